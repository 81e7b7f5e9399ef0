// How the extended list's rows are painted: the plan of each row.
#include "ListExCore.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Painting

std::string CListExCore::CellText(IListExOwnerTexts& owner, int nItem, int nSubItem) const
{
    const std::string* pText = GetOwnText(nItem, nSubItem);
    return pText ? *pText : owner.GetOwnerText(nItem, nSubItem);
}

CListExCore::CRowLook CListExCore::GetRowLook(int nItem, const CListExRect& rcBounds, const CListExRect& rcLabel) const
{
    const unsigned nState = m_rows[static_cast<size_t>(nItem)].m_nState;
    CRowLook look;
    look.m_bSelected = (nState & LXIS_SELECTED) != 0;
    look.m_bFocused = m_bHasFocus;
    const bool bActive = look.m_bSelected && look.m_bFocused;
    const bool bInactive = look.m_bSelected && !look.m_bFocused && (m_nStyle & LXS_SHOWSELALWAYS);
    look.m_bHighlighted = bActive || bInactive;
    look.m_bFocusMark = (nState & LXIS_FOCUSED) && look.m_bFocused;
    look.m_bFullRow = (m_dwExStyle & LXS_EX_FULLROWSELECT) != 0;

    look.m_rcFocus = rcBounds;
    if (look.m_bFullRow && GetColumnCount() > 0 && m_columns[0]->m_nOrder == 0)
        look.m_rcFocus.m_nLeft = std::min(rcLabel.m_nLeft, rcBounds.m_nLeft + GetColumnWidth(OrderToIndex(0)));

    look.m_crHighlight = m_colours.m_crBtnFace;
    if (bActive)
        look.m_crHighlight = nItem == m_nHotItem ? m_crHot : m_colours.m_crHighlight;
    look.m_bUnderline =
        ((m_dwExStyle & LXS_EX_TWOCLICKACTIVATE) && look.m_bSelected) ||
        ((m_dwExStyle & LXS_EX_ONECLICKACTIVATE) && (m_dwExStyle & LXS_EX_UNDERLINEHOT) && nItem == m_nHotItem);
    look.m_crPlainText = look.m_bUnderline ? m_crHot : m_colours.m_crWindowText;
    look.m_crHighlightText = bActive ? m_colours.m_crHighlightText : look.m_crPlainText;
    return look;
}

CListExRect CListExCore::GetLabelHighlight(const CListExRect& rcLabel, int nTextWidth) const
{
    // Without full-row selection only the text and a margin around it are
    // highlighted, placed as column 0 aligns its text.
    CListExRect rcHigh = rcLabel;
    switch (m_nColumn0Format) {
    case LXCFMT_LEFT:
        rcHigh.m_nRight = rcHigh.m_nLeft + nTextWidth + 8;
        break;
    case LXCFMT_RIGHT:
        rcHigh.m_nLeft = rcHigh.m_nRight - nTextWidth - 8;
        break;
    case LXCFMT_CENTER:
        rcHigh.m_nLeft = rcLabel.m_nLeft + (rcLabel.Width() - nTextWidth - 12) / 2;
        rcHigh.m_nRight = rcHigh.m_nLeft + nTextWidth + 12;
        break;
    default:
        break;
    }
    rcHigh.m_nLeft = std::max(rcHigh.m_nLeft, rcLabel.m_nLeft);
    rcHigh.m_nRight = std::min(rcHigh.m_nRight, rcLabel.m_nRight);
    return rcHigh;
}

void CListExCore::PlanCellBackground(CListExRowPlan& plan, CListExCellPaint& cell, const CListExRect& rcCell,
                                     const CListExRect& rcLabel, bool bLabelCell, int nTextWidth, ListExColour crBack,
                                     CRowLook& look) const
{
    const auto fill = [&plan](int nLeft, int nRight, const CListExRect& rcRow, ListExColour cr) {
        plan.m_fills.push_back({{nLeft, rcRow.m_nTop, nRight, rcRow.m_nBottom}, cr});
    };
    const auto highlight = [&cell, &look] {
        cell.m_crTextBk = look.m_crHighlight;
        cell.m_crText = look.m_crHighlightText;
    };
    if (bLabelCell && (look.m_bHighlighted || (look.m_bFocusMark && !look.m_bFullRow))) {
        // The label's cell: highlighted where its text is, and the focus
        // mark drawn around that.
        CListExRect rcHigh = rcLabel;
        if (!look.m_bFullRow) {
            rcHigh = GetLabelHighlight(rcLabel, nTextWidth);
            look.m_rcFocus = rcHigh;
        }
        if (look.m_bHighlighted) {
            if (rcHigh.m_nLeft > rcCell.m_nLeft)
                fill(rcCell.m_nLeft, rcHigh.m_nLeft, rcCell, crBack);
            fill(rcHigh.m_nLeft, rcHigh.m_nRight, rcCell, look.m_crHighlight);
            if (rcHigh.m_nRight < rcCell.m_nRight)
                fill(rcHigh.m_nRight, rcCell.m_nRight, rcCell, crBack);
            highlight();
            return;
        }
    } else if (!bLabelCell && look.m_bHighlighted && look.m_bFullRow) {
        plan.m_fills.push_back({rcCell, look.m_crHighlight});
        highlight();
        return;
    }
    plan.m_fills.push_back({rcCell, crBack});
    cell.m_crTextBk = crBack;
    cell.m_crText = look.m_crPlainText;
}

void CListExCore::PlanCellImages(CListExCellPaint& cell, int nItem) const
{
    CListExRect rc;
    if (GetStateIconRect(nItem, rc) && StateImageOf(nItem) > 0) {
        cell.m_nStateImage = StateImageOf(nItem) - 1;
        cell.m_rcState = rc;
    }
    const int nImage = m_rows[static_cast<size_t>(nItem)].m_nImage;
    if (GetCellRect(nItem, 0, 1, rc) && nImage > 0) {
        cell.m_nImage = nImage;
        cell.m_rcIcon = rc;
    }
}

CListExRowPlan CListExCore::PlanRow(int nItem, IListExPainter& painter) const
{
    CListExRowPlan plan;
    CListExRect rcBounds;
    CListExRect rcLabel;
    if (!IsItemValid(nItem) || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !GetCellRect(nItem, 0, 2, rcLabel))
        return plan;
    CRowLook look = GetRowLook(nItem, rcBounds, rcLabel);
    plan.m_bUnderline = look.m_bUnderline;
    const int nSorted = std::abs(m_nSortKey) - 1;

    // The cells left to right, in the columns' order.
    CListExRect rcCell = rcBounds;
    for (int nOrder = 0;; ++nOrder) {
        const int nColumn = OrderToIndex(nOrder);
        if (nColumn < 0)
            break;
        const int nWidth = GetColumnWidth(nColumn);
        rcCell.m_nLeft = nOrder == 0 ? rcBounds.m_nLeft : rcCell.m_nRight;
        rcCell.m_nRight = rcCell.m_nLeft + nWidth;

        CListExCellPaint cell;
        cell.m_nColumn = nColumn;
        cell.m_nFormat = m_columns[static_cast<size_t>(nColumn)]->m_info.m_nFormat;
        cell.m_bUnderline = plan.m_bUnderline;
        cell.m_strText = CellText(painter, nItem, nColumn);
        cell.m_rcText = nColumn == 0
                            ? CListExRect{rcLabel.m_nLeft + 2, rcCell.m_nTop, rcLabel.m_nRight - 2, rcCell.m_nBottom}
                            : CListExRect{rcCell.m_nLeft + 6, rcCell.m_nTop, rcCell.m_nRight - 6, rcCell.m_nBottom};
        int nTextWidth = 0;
        if (!cell.m_strText.empty() && cell.m_rcText.Width() > 0)
            nTextWidth = std::min(painter.MeasureText(cell.m_strText), cell.m_rcText.Width());

        const ListExColour crBack = (m_bSortShading && m_nSortKey != 0 && nColumn == nSorted) ? m_crShade : m_crBk;
        const bool bLabelCell = nColumn == 0 && (nOrder == 0 || !look.m_bFullRow);
        PlanCellBackground(plan, cell, rcCell, rcLabel, bLabelCell, nTextWidth, crBack, look);
        if (nColumn == 0) {
            cell.m_bSelectedLook = look.m_bSelected && look.m_bFocused;
            PlanCellImages(cell, nItem);
        }
        plan.m_cells.push_back(std::move(cell));
    }
    if (look.m_bFocusMark) {
        plan.m_bFocusRect = true;
        plan.m_rcFocus = look.m_rcFocus;
        plan.m_crFocus = m_colours.m_crWindowText;
    }
    return plan;
}

void CListExCore::DrawSmallIcon(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_nImage <= 0 || m_metrics.m_nSmallIconWidth <= 0)
        return;
    painter.DrawImage(false, paint.m_nImage, paint.m_rcIcon.m_nLeft, paint.m_rcIcon.m_nTop,
                      std::min(paint.m_rcIcon.Width() + 1, m_metrics.m_nSmallIconWidth),
                      std::min(paint.m_rcIcon.Height() + 1, m_metrics.m_nSmallIconHeight), paint.m_bSelectedLook);
}

void CListExCore::DrawStateIcon(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_nStateImage < 0 || m_metrics.m_nStateIconWidth <= 0)
        return;
    // The state image is centred in the row's height.
    const int nHeight = std::min(paint.m_rcState.Height(), m_metrics.m_nStateIconHeight);
    const int nTop = paint.m_rcState.m_nTop + (paint.m_rcState.Height() - nHeight) / 2;
    painter.DrawImage(true, paint.m_nStateImage, paint.m_rcState.m_nLeft, nTop,
                      std::min(paint.m_rcState.Width() + 1, m_metrics.m_nStateIconWidth), nHeight,
                      paint.m_bSelectedLook);
}

void CListExCore::DrawCellText(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_strText.empty() || paint.m_rcText.Width() <= 0)
        return;
    painter.DrawText(paint.m_strText, paint.m_rcText, paint.m_nFormat & LXCFMT_JUSTIFYMASK, paint.m_crText,
                     paint.m_crTextBk, paint.m_bUnderline);
}

void CListExCore::DrawItem(IListExPainter& painter, int nItem) const
{
    const CListExRowPlan plan = PlanRow(nItem, painter);
    for (const CListExFill& fill : plan.m_fills)
        painter.FillRect(fill.m_rc, fill.m_cr);
    for (const CListExCellPaint& cell : plan.m_cells) {
        if (cell.m_nColumn == 0) {
            DrawStateIcon(painter, cell);
            DrawSmallIcon(painter, cell);
        }
        DrawCellText(painter, cell);
    }
    if (plan.m_bFocusRect)
        painter.DrawFocusRect(plan.m_rcFocus, plan.m_crFocus);
}

std::vector<CListExFill> CListExCore::PlanErase(const CListExRect& rcClip) const
{
    const int nSorted = std::abs(m_nSortKey) - 1;
    if (m_bSortShading && m_nSortKey != 0 && IsColumnValid(nSorted)) {
        const int a = GetColumnLeft(nSorted) - m_metrics.m_nScrollX;
        const int b = a + GetColumnWidth(nSorted);
        if (a < rcClip.m_nRight && b > rcClip.m_nLeft) {
            std::vector<CListExFill> fills;
            if (rcClip.m_nLeft < a)
                fills.push_back({{rcClip.m_nLeft, rcClip.m_nTop, a, rcClip.m_nBottom}, m_crBk});
            fills.push_back(
                {{std::max(a, rcClip.m_nLeft), rcClip.m_nTop, std::min(b, rcClip.m_nRight), rcClip.m_nBottom},
                 m_crShade});
            if (b < rcClip.m_nRight)
                fills.push_back({{b, rcClip.m_nTop, rcClip.m_nRight, rcClip.m_nBottom}, m_crBk});
            return fills;
        }
    }
    return {{rcClip, m_crBk}};
}
