// The extended tree's picture: metrics, scrolling, painting only the rows
// in sight, and bringing an item into sight.
#include "TreeCtrlEx.h"

#include "TreeExItem.h"

#include "ListCtrlEx.h"

#include <wx/dcbuffer.h>
#include <wx/imaglist.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{
// The room around a label, as the layout keeps it.
constexpr int kLabelPadding = 2;
// How far a horizontal scroll step goes, in pixels.
constexpr int kLineScroll = 16;
} // namespace

// ---------------------------------------------------------------------------
// Metrics and scrolling

void CTreeCtrlEx::UpdateMetrics()
{
    int nTextHeight = 0;
    GetTextExtent("Ag", nullptr, &nTextHeight);
    int nImageHeight = 0;
    m_nImageWidth = 0;
    if (wxImageList* pImages = GetImageList(); pImages && pImages->GetImageCount() > 0)
        pImages->GetSize(0, m_nImageWidth, nImageHeight);
    m_nTextHeight = nTextHeight;
    m_nRowHeight = std::max(nTextHeight + FromDIP(6), nImageHeight + FromDIP(4));
    if (m_nIndent <= 0)
        m_nIndent = FromDIP(18);
    ++m_nFontStamp;
    m_bScrollbarsStale = true;
    Refresh();
}

int CTreeCtrlEx::GetPageRows() const
{
    return std::max(GetClientSize().y / std::max(m_nRowHeight, 1), 1);
}

void CTreeCtrlEx::UpdateScrollbars()
{
    m_bScrollbarsStale = false;
    const wxSize client = GetClientSize();
    const int nPage = GetPageRows();
    // A range shorter than its page would make GTK draw its overshoot glow
    // at that edge: it is never shorter.
    SetScrollbar(wxVERTICAL, m_nTopRow, nPage, std::max(m_core.GetRowCount(), nPage));
    m_nScrollWidth = std::max(m_nWidestRow, client.x);
    SetScrollbar(wxHORIZONTAL, m_nScrollX, client.x, m_nScrollWidth);
    // Rows gone at the end, or a taller window, may leave the view past
    // the last row.
    ScrollToPos(m_nTopRow, m_nScrollX);
}

void CTreeCtrlEx::ScrollToPos(int nTopRow, int nScrollX)
{
    nTopRow = std::clamp(nTopRow, 0, std::max(m_core.GetRowCount() - GetPageRows(), 0));
    nScrollX = std::clamp(nScrollX, 0, std::max(m_nScrollWidth - GetClientSize().x, 0));
    if (nTopRow == m_nTopRow && nScrollX == m_nScrollX)
        return;
    m_nTopRow = nTopRow;
    m_nScrollX = nScrollX;
    SetScrollPos(wxVERTICAL, m_nTopRow);
    SetScrollPos(wxHORIZONTAL, m_nScrollX);
    PlaceEditor();
    Refresh();
}

void CTreeCtrlEx::OnInternalIdle()
{
    wxTreeCtrlBase::OnInternalIdle();
    if (m_bScrollbarsStale)
        UpdateScrollbars();
}

void CTreeCtrlEx::OnSize(wxSizeEvent& event)
{
    UpdateScrollbars();
    PlaceEditor();
    Refresh();
    event.Skip();
}

void CTreeCtrlEx::OnScroll(wxScrollWinEvent& event)
{
    if (event.GetOrientation() == wxVERTICAL)
        ScrollToPos(ScrollEventTarget(event, m_nTopRow, 1, std::max(GetPageRows() - 1, 1), m_core.GetRowCount()),
                    m_nScrollX);
    else
        ScrollToPos(m_nTopRow, ScrollEventTarget(event, m_nScrollX, kLineScroll, GetClientSize().x, m_nScrollWidth));
}

void CTreeCtrlEx::OnMouseWheel(wxMouseEvent& event)
{
    const int nSteps = event.GetWheelRotation() / std::max(event.GetWheelDelta(), 1) * event.GetLinesPerAction();
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL)
        ScrollToPos(m_nTopRow, m_nScrollX + nSteps * kLineScroll);
    else
        ScrollToPos(m_nTopRow - nSteps, m_nScrollX);
}

void CTreeCtrlEx::RowsChanged()
{
    // Many items may come one after another, as a whole tree is filled:
    // the scrollbars catch up once, when the window next rests.
    m_bScrollbarsStale = true;
    Refresh();
}

void CTreeCtrlEx::RefreshNode(const CTreeExNode* pNode)
{
    const int nRow = m_core.GetRowOf(pNode);
    if (nRow < m_nTopRow || nRow > m_nTopRow + GetPageRows())
        return;
    RefreshRect(wxRect(0, RowTop(nRow), GetClientSize().x, m_nRowHeight), false);
}

bool CTreeCtrlEx::SetFont(const wxFont& font)
{
    if (!wxTreeCtrlBase::SetFont(font))
        return false;
    UpdateMetrics();
    return true;
}

void CTreeCtrlEx::SetImageList(wxImageList* pImages)
{
    wxTreeCtrlBase::SetImageList(pImages);
    UpdateMetrics();
}

void CTreeCtrlEx::SetStateImageList(wxImageList* pImages)
{
    m_imagesState.SetImageList(pImages);
    Refresh();
}

wxSize CTreeCtrlEx::DoGetBestSize() const
{
    // Measuring every label would cost what the tree is meant to spare;
    // the window is sized by its place in the frame.
    return FromDIP(wxSize(200, 300));
}

// ---------------------------------------------------------------------------
// Layout and painting

int CTreeCtrlEx::GetLayoutDepth(const CTreeExNode& node) const
{
    return HasFlag(wxTR_HIDE_ROOT) ? node.GetDepth() - 1 : node.GetDepth();
}

int CTreeCtrlEx::GetLabelWidth(const CTreeExItem& item) const
{
    if (item.m_nWidthStamp != m_nFontStamp) {
        int nWidth = 0;
        const wxFont font = GetItemFont(IdOf(&item));
        GetTextExtent(item.m_strText, &nWidth, nullptr, nullptr, nullptr, &font);
        item.m_nWidth = nWidth;
        item.m_nWidthStamp = m_nFontStamp;
    }
    return item.m_nWidth;
}

CTreeExRowLayout CTreeCtrlEx::GetLayout(const CTreeExItem& item) const
{
    const CTreeExRowLayout layout =
        CTreeExRowLayout::Make(GetLayoutDepth(item), m_nIndent, m_nImageWidth, GetLabelWidth(item));
    if (layout.m_nTextRight > m_nWidestRow) {
        m_nWidestRow = layout.m_nTextRight;
        m_bScrollbarsStale = true;
    }
    return layout;
}

int CTreeCtrlEx::GetCurrentImage(const CTreeExItem& item) const
{
    // The image for the item's state, falling back as the tree control's
    // interface describes: selected and open, selected, open, normal.
    const bool bSelected = &item == m_pSelected;
    const int* pImages = item.m_images;
    int nImage = -1;
    if (item.IsExpanded()) {
        if (bSelected)
            nImage = pImages[wxTreeItemIcon_SelectedExpanded];
        if (nImage == -1)
            nImage = pImages[wxTreeItemIcon_Expanded];
    } else if (bSelected) {
        nImage = pImages[wxTreeItemIcon_Selected];
    }
    return nImage == -1 ? pImages[wxTreeItemIcon_Normal] : nImage;
}

void CTreeCtrlEx::OnPaint(wxPaintEvent& /*event*/)
{
    wxAutoBufferedPaintDC dc(this);
    const wxRect rcUpdate = GetUpdateClientRect();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetBackgroundColour()));
    dc.DrawRectangle(rcUpdate);
    dc.SetFont(GetFont());
    const int nFirst = m_nTopRow + std::max(rcUpdate.y, 0) / m_nRowHeight;
    const int nLast = std::min(m_nTopRow + rcUpdate.GetBottom() / m_nRowHeight, m_core.GetRowCount() - 1);
    for (int nRow = nFirst; nRow <= nLast; ++nRow)
        PaintRow(dc, *static_cast<const CTreeExItem*>(m_core.GetRowNode(nRow)), RowTop(nRow));
}

void CTreeCtrlEx::PaintRow(wxDC& dc, const CTreeExItem& item, int nY)
{
    const CTreeExRowLayout layout = GetLayout(item);
    const int nDx = -m_nScrollX;
    wxRendererNative& renderer = wxRendererNative::Get();
    if (HasFlag(wxTR_HAS_BUTTONS) && item.HasButton()) {
        const int nSize = std::min(FromDIP(12), m_nIndent);
        const wxRect rcButton(nDx + layout.m_nButtonLeft + (m_nIndent - nSize) / 2, nY + (m_nRowHeight - nSize) / 2,
                              nSize, nSize);
        renderer.DrawTreeItemButton(this, dc, rcButton, item.IsExpanded() ? int{wxCONTROL_EXPANDED} : 0);
    }
    wxImageList* pImages = GetImageList();
    const int nImage = GetCurrentImage(item);
    if (pImages && nImage >= 0 && nImage < pImages->GetImageCount()) {
        int nWidth = 0;
        int nHeight = 0;
        pImages->GetSize(nImage, nWidth, nHeight);
        pImages->Draw(nImage, dc, nDx + layout.m_nImageLeft, nY + (m_nRowHeight - nHeight) / 2,
                      wxIMAGELIST_DRAW_TRANSPARENT);
    }
    const wxRect rcLabel(nDx + layout.m_nTextLeft, nY + 1, layout.m_nTextRight - layout.m_nTextLeft, m_nRowHeight - 2);
    const bool bDrop = &item == m_pDropHighlight;
    wxColour crText = item.m_crText.IsOk() ? item.m_crText : GetForegroundColour();
    if (&item == m_pSelected || bDrop) {
        // The platform's own selection, dimmed while the window has no
        // focus; a drop target always looks like the place it is.
        int nFlags = wxCONTROL_SELECTED;
        if (bDrop || HasFocus() || (m_pEdit && m_pEdit->HasFocus()))
            nFlags |= wxCONTROL_FOCUSED;
        renderer.DrawItemSelectionRect(this, dc, rcLabel, nFlags);
        crText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    } else if (item.m_crBack.IsOk()) {
        dc.SetBrush(wxBrush(item.m_crBack));
        dc.DrawRectangle(rcLabel);
    }
    const bool bOwnFont = item.m_font.IsOk() || item.m_bBold;
    if (bOwnFont)
        dc.SetFont(GetItemFont(IdOf(&item)));
    dc.SetTextForeground(crText);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.DrawText(item.m_strText, rcLabel.x + kLabelPadding, nY + (m_nRowHeight - m_nTextHeight) / 2);
    if (bOwnFont)
        dc.SetFont(GetFont());
}

void CTreeCtrlEx::OnFocus(wxFocusEvent& event)
{
    // The selection's colour follows the focus.
    RefreshNode(m_pSelected);
    event.Skip();
}

// ---------------------------------------------------------------------------
// Opening, selecting, scrolling into sight

void CTreeCtrlEx::Expand(const wxTreeItemId& item)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem || pItem->IsExpanded() || !pItem->HasButton())
        return;
    if (!SendEvent(wxEVT_TREE_ITEM_EXPANDING, pItem))
        return;
    if (!m_core.SetExpanded(pItem, true))
        return;
    RowsChanged();
    SendEvent(wxEVT_TREE_ITEM_EXPANDED, pItem);
}

void CTreeCtrlEx::Collapse(const wxTreeItemId& item)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem || !pItem->IsExpanded())
        return;
    if (!SendEvent(wxEVT_TREE_ITEM_COLLAPSING, pItem))
        return;
    if (m_pEditItem && m_pEditItem != pItem && m_pEditItem->IsIn(pItem))
        EndEdit(true);
    if (!m_core.SetExpanded(pItem, false))
        return;
    RowsChanged();
    // A selection that went out of sight comes up to the item closed, as
    // the user would expect of any tree.
    if (m_pSelected && m_pSelected != pItem && m_pSelected->IsIn(pItem)) {
        SelectItem(item);
        if (m_pSelected != pItem)
            Unselect();
    }
    if (m_pCurrent && m_pCurrent->IsIn(pItem))
        m_pCurrent = m_pSelected;
    SendEvent(wxEVT_TREE_ITEM_COLLAPSED, pItem);
}

void CTreeCtrlEx::CollapseAndReset(const wxTreeItemId& item)
{
    Collapse(item);
    DeleteChildren(item);
}

void CTreeCtrlEx::Toggle(const wxTreeItemId& item)
{
    if (IsExpanded(item))
        Collapse(item);
    else
        Expand(item);
}

void CTreeCtrlEx::Unselect()
{
    RefreshNode(std::exchange(m_pSelected, nullptr));
    m_pCurrent = nullptr;
}

void CTreeCtrlEx::UnselectAll()
{
    Unselect();
}

void CTreeCtrlEx::SelectItem(const wxTreeItemId& item, bool bSelect)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    if (!bSelect) {
        if (pItem == m_pSelected)
            Unselect();
        return;
    }
    if (pItem == m_pSelected) {
        m_pCurrent = pItem;
        return;
    }
    wxTreeEvent event(wxEVT_TREE_SEL_CHANGING, this, item);
    event.SetOldItem(IdOf(m_pSelected));
    if (!SendEvent(wxEVT_TREE_SEL_CHANGING, pItem, &event))
        return;
    CTreeExItem* pOld = std::exchange(m_pSelected, pItem);
    m_pCurrent = pItem;
    RefreshNode(pOld);
    RefreshNode(pItem);
    EnsureVisible(item);
    wxTreeEvent changed(wxEVT_TREE_SEL_CHANGED, this, item);
    changed.SetOldItem(IdOf(pOld));
    SendEvent(wxEVT_TREE_SEL_CHANGED, pItem, &changed);
}

void CTreeCtrlEx::SelectChildren(const wxTreeItemId& /*parent*/)
{
    // One item at a time is selected: there is nothing to do.
}

void CTreeCtrlEx::EnsureVisible(const wxTreeItemId& item)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    std::vector<CTreeExNode*> closed;
    for (CTreeExNode* pUp = pItem->GetParent(); pUp; pUp = pUp->GetParent()) {
        if (!pUp->IsExpanded())
            closed.push_back(pUp);
    }
    for (auto it = closed.rbegin(); it != closed.rend(); ++it)
        Expand(IdOf(*it));
    const int nRow = m_core.GetRowOf(pItem);
    if (nRow < 0)
        return;
    int nTopRow = m_nTopRow;
    if (nRow < m_nTopRow)
        nTopRow = nRow;
    else if (nRow >= m_nTopRow + GetPageRows())
        nTopRow = nRow - GetPageRows() + 1;
    // A label out of sight to either side comes into it too, its start
    // first.
    const CTreeExRowLayout layout = GetLayout(*pItem);
    const int nClientWidth = GetClientSize().x;
    int nScrollX = m_nScrollX;
    if (layout.m_nTextLeft < m_nScrollX || layout.m_nTextRight > m_nScrollX + nClientWidth)
        nScrollX = std::max(layout.m_nButtonLeft, 0);
    if (m_bScrollbarsStale)
        UpdateScrollbars();
    ScrollToPos(nTopRow, nScrollX);
}

void CTreeCtrlEx::ScrollTo(const wxTreeItemId& item)
{
    const int nRow = m_core.GetRowOf(ItemOf(item));
    if (nRow < 0)
        return;
    if (m_bScrollbarsStale)
        UpdateScrollbars();
    ScrollToPos(nRow, m_nScrollX);
}

bool CTreeCtrlEx::GetBoundingRect(const wxTreeItemId& item, wxRect& rect, bool bTextOnly) const
{
    const CTreeExItem* pItem = ItemOf(item);
    const int nRow = m_core.GetRowOf(pItem);
    if (nRow < 0)
        return false;
    if (bTextOnly) {
        const CTreeExRowLayout layout = GetLayout(*pItem);
        rect = wxRect(layout.m_nTextLeft - m_nScrollX, RowTop(nRow), layout.m_nTextRight - layout.m_nTextLeft,
                      m_nRowHeight);
    } else {
        rect = wxRect(-m_nScrollX, RowTop(nRow), std::max(m_nScrollWidth, GetClientSize().x), m_nRowHeight);
    }
    return true;
}

wxTreeItemId CTreeCtrlEx::DoTreeHitTest(const wxPoint& point, int& nFlags) const
{
    const wxSize client = GetClientSize();
    nFlags = 0;
    if (point.x < 0)
        nFlags |= wxTREE_HITTEST_TOLEFT;
    if (point.x >= client.x)
        nFlags |= wxTREE_HITTEST_TORIGHT;
    if (point.y < 0)
        nFlags |= wxTREE_HITTEST_ABOVE;
    if (point.y >= client.y)
        nFlags |= wxTREE_HITTEST_BELOW;
    if (nFlags)
        return {};
    const auto* pItem = static_cast<const CTreeExItem*>(m_core.GetRowNode(m_nTopRow + point.y / m_nRowHeight));
    if (!pItem) {
        nFlags = wxTREE_HITTEST_NOWHERE;
        return {};
    }
    switch (GetLayout(*pItem).HitTest(point.x + m_nScrollX)) {
    case CTreeExRowLayout::EPart::Indent:
        nFlags = wxTREE_HITTEST_ONITEMINDENT;
        break;
    case CTreeExRowLayout::EPart::Button:
        nFlags =
            HasFlag(wxTR_HAS_BUTTONS) && pItem->HasButton() ? wxTREE_HITTEST_ONITEMBUTTON : wxTREE_HITTEST_ONITEMINDENT;
        break;
    case CTreeExRowLayout::EPart::Image:
        nFlags = wxTREE_HITTEST_ONITEMICON;
        break;
    case CTreeExRowLayout::EPart::Label:
        nFlags = wxTREE_HITTEST_ONITEMLABEL;
        break;
    case CTreeExRowLayout::EPart::Right:
        nFlags = wxTREE_HITTEST_ONITEMRIGHT;
        break;
    }
    return IdOf(pItem);
}
