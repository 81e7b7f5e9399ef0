// Where the extended list's rows and cells lie, hot tracking and check boxes.
#include "ListExCore.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Geometry

int CListExCore::GetTotalColumnWidth() const
{
    int nWidth = 0;
    for (const auto& pColumn : m_columns)
        nWidth += pColumn->m_info.m_nWidth;
    return nWidth;
}

int CListExCore::GetColumnLeft(int nColumn) const
{
    if (!IsColumnValid(nColumn))
        return -1;
    const int nOrder = m_columns[static_cast<size_t>(nColumn)]->m_nOrder;
    int nLeft = 0;
    for (const auto& pColumn : m_columns) {
        if (pColumn->m_nOrder < nOrder)
            nLeft += pColumn->m_info.m_nWidth;
    }
    return nLeft;
}

int CListExCore::RowFromY(int nY) const
{
    if (m_metrics.m_nRowHeight <= 0)
        return -1;
    const long long nPos = static_cast<long long>(nY) + m_metrics.m_nScrollY;
    if (nPos < 0)
        return -1;
    const long long nRow = nPos / m_metrics.m_nRowHeight;
    return nRow < GetItemCount() ? static_cast<int>(nRow) : -1;
}

bool CListExCore::GetItemRect(int nItem, int nCode, CListExRect& rc) const
{
    if (!IsItemValid(nItem) || m_columns.empty())
        return false;
    const long long nTop = static_cast<long long>(nItem) * m_metrics.m_nRowHeight - m_metrics.m_nScrollY;
    rc.m_nTop = static_cast<int>(std::clamp(nTop, -(1LL << 30), 1LL << 30));
    rc.m_nBottom = rc.m_nTop + m_metrics.m_nRowHeight;
    if (nCode == LXIR_BOUNDS) {
        rc.m_nLeft = -m_metrics.m_nScrollX;
        rc.m_nRight = rc.m_nLeft + GetTotalColumnWidth();
        return true;
    }
    // Column 0 holds, from the left: the indent, the state image with a gap
    // before it, the small image and the label.
    const CRow& row = m_rows[static_cast<size_t>(nItem)];
    const int nLeft = GetColumnLeft(0) - m_metrics.m_nScrollX;
    const int nRight = nLeft + GetColumnWidth(0);
    int x = nLeft + row.m_nIndent * m_metrics.m_nSmallIconWidth;
    if (m_metrics.m_nStateIconWidth > 0)
        x += m_metrics.m_nStateIconWidth + 4;
    CListExRect rcIcon{std::min(x, nRight), rc.m_nTop, std::min(x + m_metrics.m_nSmallIconWidth, nRight), rc.m_nBottom};
    if (nCode == LXIR_ICON) {
        rc = rcIcon;
        return true;
    }
    if (nCode == LXIR_LABEL) {
        rc.m_nLeft = rcIcon.m_nRight;
        rc.m_nRight = nRight;
        return true;
    }
    return false;
}

bool CListExCore::GetSubItemRect(int nItem, int nSubItem, int nCode, CListExRect& rc) const
{
    if (!IsColumnValid(nSubItem) || !GetItemRect(nItem, LXIR_BOUNDS, rc))
        return false;
    if (nSubItem == 0)
        return nCode == LXIR_BOUNDS || GetItemRect(nItem, nCode, rc);
    rc.m_nLeft = GetColumnLeft(nSubItem) - m_metrics.m_nScrollX;
    rc.m_nRight = rc.m_nLeft + GetColumnWidth(nSubItem);
    return true;
}

bool CListExCore::GetCellRect(int nItem, int nColumn, int nKind, CListExRect& rc) const
{
    switch (nKind) {
    case 0:
        if (!GetSubItemRect(nItem, nColumn, LXIR_BOUNDS, rc))
            return false;
        if (nColumn == 0) {
            // Column 0's bounds span the whole row; its cell is its own width.
            rc.m_nLeft = GetColumnLeft(0) - m_metrics.m_nScrollX;
            rc.m_nRight = rc.m_nLeft + GetColumnWidth(0);
        }
        return true;
    case 1: {
        CListExRect rcCell;
        if (!GetItemRect(nItem, LXIR_ICON, rc) || !GetCellRect(nItem, 0, 0, rcCell))
            return false;
        rc.m_nRight = std::min(rc.m_nRight, rcCell.m_nRight);
        return true;
    }
    case 2:
        return GetItemRect(nItem, LXIR_LABEL, rc);
    default:
        return false;
    }
}

bool CListExCore::GetStateIconRect(int nItem, CListExRect& rc) const
{
    CListExRect rcCell;
    CListExRect rcIcon;
    if (!GetCellRect(nItem, 0, 0, rcCell) || !GetCellRect(nItem, 0, 1, rcIcon))
        return false;
    rc = rcCell;
    rc.m_nRight = rcIcon.IsEmpty() ? rcIcon.m_nLeft : rcIcon.m_nLeft - 1;
    if (!m_bStateGapKnown) {
        m_nStateGap = 4;
        if (m_metrics.m_nStateIconWidth > 0)
            m_nStateGap = std::clamp(rc.Width() - m_metrics.m_nStateIconWidth, 0, 4);
        m_bStateGapKnown = true;
    }
    rc.m_nLeft += m_nStateGap;
    if (rc.m_nRight >= rcCell.m_nRight)
        rc.m_nRight = rcCell.m_nRight - 1;
    return true;
}

int CListExCore::HitTest(int nX, int nY, unsigned& nFlags) const
{
    nFlags = LXHT_NOWHERE;
    const int nItem = RowFromY(nY);
    CListExRect rcBounds;
    if (nItem < 0 || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !rcBounds.Contains(nX, nY))
        return -1;
    const bool bOwnerDraw = (m_nStyle & LXS_OWNERDRAWFIXED) != 0;
    CListExRect rcLabel;
    CListExRect rcIcon;
    CListExRect rcState;
    GetCellRect(nItem, 0, 2, rcLabel);
    GetCellRect(nItem, 0, 1, rcIcon);
    const bool bStateImages = m_metrics.m_nStateIconWidth > 0 && GetStateIconRect(nItem, rcState);

    if (!bOwnerDraw) {
        // The plain list knows the parts of column 0; other columns count
        // as the row only when whole rows are selected.
        if (rcIcon.Contains(nX, nY))
            nFlags = LXHT_ONITEMICON;
        else if (bStateImages && rcState.Contains(nX, nY))
            nFlags = LXHT_ONITEMSTATEICON;
        else if (rcLabel.Contains(nX, nY) || (m_dwExStyle & LXS_EX_FULLROWSELECT))
            nFlags = LXHT_ONITEMLABEL;
        else
            return -1;
        return nItem;
    }

    // An owner-drawn row is one piece to the plain list; its parts are
    // found here.
    nFlags = LXHT_ONITEM;
    if (rcLabel.Contains(nX, nY))
        nFlags = LXHT_ONITEMLABEL;
    else if (rcIcon.Contains(nX, nY))
        nFlags = LXHT_ONITEMICON;
    else if (bStateImages && rcState.Contains(nX, nY))
        nFlags = LXHT_ONITEMSTATEICON;
    else if (rcBounds.m_nLeft > -m_nStateGap && nX < std::min(rcBounds.m_nLeft + m_nStateGap, m_nStateGap))
        nFlags = LXHT_NOWHERE;
    return nItem;
}

// ---------------------------------------------------------------------------
// Hot tracking and check boxes

CListExHotChange CListExCore::UpdateHotItem(int nX, int nY)
{
    CListExHotChange change;
    change.m_nOldHot = m_nHotItem;
    change.m_nNewHot = m_nHotItem;
    if (!(m_dwExStyle & LXS_EX_HOTBITS))
        return change;
    unsigned nFlags = 0;
    const int nHit = HitTest(nX, nY, nFlags);
    int nHot = -1;
    // "On the item" holds the icon and label bits, so the rest of an
    // owner-drawn row, which the hit test calls the item, is hot as well.
    if (nHit >= 0 && (nFlags & (LXHT_ONITEMICON | LXHT_ONITEMLABEL))) {
        if ((m_dwExStyle & LXS_EX_ONECLICKACTIVATE) ||
            ((m_dwExStyle & LXS_EX_TWOCLICKACTIVATE) && GetItemState(nHit, LXIS_SELECTED)))
            nHot = nHit;
    }
    m_nHotItem = nHot;
    change.m_nNewHot = nHot;
    if (m_nStyle & LXS_OWNERDRAWFIXED) {
        change.m_bRepaint = change.m_nOldHot != nHot;
        change.m_bSetCursor = true;
        change.m_bHandCursor = nHot >= 0;
    }
    return change;
}

bool CListExCore::ToggleCheckAt(int nX, int nY, std::vector<int>* pChanged)
{
    if (!(m_nStyle & LXS_OWNERDRAWFIXED) || !(m_dwExStyle & LXS_EX_CHECKBOXES))
        return false;
    unsigned nFlags = 0;
    const int nHit = HitTest(nX, nY, nFlags);
    if (nHit < 0 || nFlags != LXHT_ONITEMSTATEICON)
        return false;
    SetItemState(nHit, ListExStateImage(GetCheck(nHit) ? 1 : 2), LXIS_STATEIMAGEMASK, pChanged);
    return true;
}
