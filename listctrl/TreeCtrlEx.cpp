#include "TreeCtrlEx.h"

#include "ListCtrlEx.h"

#include <wx/dcbuffer.h>
#include <wx/imaglist.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>

// One item as the window keeps it: what it shows and the value it carries.
class CTreeExItem : public CTreeExNode
{
public:
    CTreeExItem(const wxString& strText, int nImage, int nSelectedImage, wxTreeItemData* pData)
        : m_strText(strText), m_pData(pData)
    {
        m_images[wxTreeItemIcon_Normal] = nImage;
        m_images[wxTreeItemIcon_Selected] = nSelectedImage;
    }

    wxString m_strText;
    std::unique_ptr<wxTreeItemData> m_pData;
    int m_images[wxTreeItemIcon_Max] = {-1, -1, -1, -1};
    int m_nState = wxTREE_ITEMSTATE_NONE;
    bool m_bBold = false;
    // Invalid while the window's own are used.
    wxColour m_crText;
    wxColour m_crBack;
    wxFont m_font;
    // The label's width, valid while m_nWidthStamp is the window's.
    mutable int m_nWidth = 0;
    mutable unsigned m_nWidthStamp = 0;
};

namespace
{
// The room around a label, as the layout keeps it.
constexpr int kLabelPadding = 2;
// How far a horizontal scroll step goes, in pixels.
constexpr int kLineScroll = 16;
} // namespace

CTreeCtrlEx::CTreeCtrlEx(wxWindow* pParent, wxWindowID nId, long nStyle)
    : m_core((nStyle & wxTR_HIDE_ROOT) != 0), m_renameTimer(this, RENAME_TIMER_ID)
{
    // Every pixel is painted here; the buffer keeps a scroll from flickering.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(pParent, nId, wxDefaultPosition, wxDefaultSize, nStyle | wxVSCROLL | wxHSCROLL | wxWANTS_CHARS);
    SetOwnBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
    SetOwnForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
    UpdateMetrics();

    Bind(wxEVT_PAINT, &CTreeCtrlEx::OnPaint, this);
    Bind(wxEVT_SIZE, &CTreeCtrlEx::OnSize, this);
    for (const auto nType :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
          wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(nType, &CTreeCtrlEx::OnScroll, this);
    Bind(wxEVT_MOUSEWHEEL, &CTreeCtrlEx::OnMouseWheel, this);
    Bind(wxEVT_SET_FOCUS, &CTreeCtrlEx::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CTreeCtrlEx::OnFocus, this);
    Bind(wxEVT_LEFT_DOWN, &CTreeCtrlEx::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CTreeCtrlEx::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &CTreeCtrlEx::OnLeftDClick, this);
    Bind(wxEVT_RIGHT_DOWN, &CTreeCtrlEx::OnRightDown, this);
    Bind(wxEVT_MOTION, &CTreeCtrlEx::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &CTreeCtrlEx::OnMotion, this);
    // An owner that has nothing to say about a tooltip gets the label.
    Bind(wxEVT_TREE_ITEM_GETTOOLTIP, [this](wxTreeEvent& event) {
        if (event.GetLabel().empty())
            event.SetLabel(GetItemText(event.GetItem()));
    });
    Bind(wxEVT_KEY_DOWN, &CTreeCtrlEx::OnKeyDown, this);
    Bind(wxEVT_CHAR, &CTreeCtrlEx::OnChar, this);
    Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& event) {
        SetOwnBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
        SetOwnForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
        Refresh();
        event.Skip();
    });
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
            CTreeExItem* pItem = std::exchange(m_pRenamePending, nullptr);
            if (pItem && pItem == m_pSelected)
                EditLabel(IdOf(pItem));
        },
        RENAME_TIMER_ID);
}

CTreeCtrlEx::~CTreeCtrlEx()
{
    // The items go while the window can still report them.
    DeleteAllItems();
}

CTreeExItem* CTreeCtrlEx::ItemOf(const wxTreeItemId& item) const
{
    return static_cast<CTreeExItem*>(static_cast<CTreeExNode*>(item.GetID()));
}

wxTreeItemId CTreeCtrlEx::IdOf(const CTreeExNode* pNode) const
{
    return wxTreeItemId(const_cast<CTreeExNode*>(pNode));
}

bool CTreeCtrlEx::SendEvent(wxEventType nType, const CTreeExItem* pItem, wxTreeEvent* pEvent)
{
    wxTreeEvent event(nType, this, IdOf(pItem));
    wxTreeEvent& sent = pEvent ? *pEvent : event;
    if (pEvent) {
        sent.SetEventType(nType);
        sent.SetEventObject(this);
        sent.SetId(GetId());
        sent.SetItem(IdOf(pItem));
    }
    ProcessWindowEvent(sent);
    return sent.IsAllowed();
}

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
// Items

unsigned int CTreeCtrlEx::GetCount() const
{
    // The hidden root is no item the user sees.
    const size_t nCount = m_core.GetCount();
    const bool bRootHidden = HasFlag(wxTR_HIDE_ROOT) && nCount > 0;
    return static_cast<unsigned>(bRootHidden ? nCount - 1 : nCount);
}

unsigned int CTreeCtrlEx::GetIndent() const
{
    return static_cast<unsigned>(m_nIndent);
}

void CTreeCtrlEx::SetIndent(unsigned int nIndent)
{
    m_nIndent = std::max(static_cast<int>(nIndent), 1);
    m_nWidestRow = 0;
    m_bScrollbarsStale = true;
    Refresh();
}

wxString CTreeCtrlEx::GetItemText(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem ? pItem->m_strText : wxString();
}

int CTreeCtrlEx::GetItemImage(const wxTreeItemId& item, wxTreeItemIcon nWhich) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && nWhich >= 0 && nWhich < wxTreeItemIcon_Max ? pItem->m_images[nWhich] : -1;
}

wxTreeItemData* CTreeCtrlEx::GetItemData(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem ? pItem->m_pData.get() : nullptr;
}

wxColour CTreeCtrlEx::GetItemTextColour(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && pItem->m_crText.IsOk() ? pItem->m_crText : GetForegroundColour();
}

wxColour CTreeCtrlEx::GetItemBackgroundColour(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && pItem->m_crBack.IsOk() ? pItem->m_crBack : GetBackgroundColour();
}

wxFont CTreeCtrlEx::GetItemFont(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    wxFont font = pItem && pItem->m_font.IsOk() ? pItem->m_font : GetFont();
    if (pItem && pItem->m_bBold)
        font.MakeBold();
    return font;
}

void CTreeCtrlEx::SetItemText(const wxTreeItemId& item, const wxString& strText)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    pItem->m_strText = strText;
    pItem->m_nWidthStamp = 0;
    RefreshNode(pItem);
}

void CTreeCtrlEx::SetItemImage(const wxTreeItemId& item, int nImage, wxTreeItemIcon nWhich)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem || nWhich < 0 || nWhich >= wxTreeItemIcon_Max)
        return;
    pItem->m_images[nWhich] = nImage;
    RefreshNode(pItem);
}

void CTreeCtrlEx::SetItemData(const wxTreeItemId& item, wxTreeItemData* pData)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    if (pData)
        pData->SetId(item);
    pItem->m_pData.reset(pData);
}

void CTreeCtrlEx::SetItemHasChildren(const wxTreeItemId& item, bool bHas)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->SetHasButton(bHas);
        RefreshNode(pItem);
    }
}

void CTreeCtrlEx::SetItemBold(const wxTreeItemId& item, bool bBold)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->m_bBold = bBold;
        pItem->m_nWidthStamp = 0;
        RefreshNode(pItem);
    }
}

void CTreeCtrlEx::SetItemDropHighlight(const wxTreeItemId& item, bool bHighlight)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    CTreeExItem* pOld = m_pDropHighlight;
    if (bHighlight)
        m_pDropHighlight = pItem;
    else if (pItem == m_pDropHighlight)
        m_pDropHighlight = nullptr;
    if (pOld != m_pDropHighlight) {
        RefreshNode(pOld);
        RefreshNode(m_pDropHighlight);
    }
}

void CTreeCtrlEx::SetItemTextColour(const wxTreeItemId& item, const wxColour& colour)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->m_crText = colour;
        RefreshNode(pItem);
    }
}

void CTreeCtrlEx::SetItemBackgroundColour(const wxTreeItemId& item, const wxColour& colour)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->m_crBack = colour;
        RefreshNode(pItem);
    }
}

void CTreeCtrlEx::SetItemFont(const wxTreeItemId& item, const wxFont& font)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->m_font = font;
        pItem->m_nWidthStamp = 0;
        RefreshNode(pItem);
    }
}

int CTreeCtrlEx::DoGetItemState(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem ? pItem->m_nState : wxTREE_ITEMSTATE_NONE;
}

void CTreeCtrlEx::DoSetItemState(const wxTreeItemId& item, int nState)
{
    if (CTreeExItem* pItem = ItemOf(item)) {
        pItem->m_nState = nState;
        RefreshNode(pItem);
    }
}

bool CTreeCtrlEx::IsVisible(const wxTreeItemId& item) const
{
    const int nRow = m_core.GetRowOf(ItemOf(item));
    return nRow >= m_nTopRow && nRow < m_nTopRow + GetPageRows();
}

bool CTreeCtrlEx::ItemHasChildren(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && pItem->HasButton();
}

bool CTreeCtrlEx::IsExpanded(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && pItem->IsExpanded();
}

bool CTreeCtrlEx::IsSelected(const wxTreeItemId& item) const
{
    return item.IsOk() && ItemOf(item) == m_pSelected;
}

bool CTreeCtrlEx::IsBold(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && pItem->m_bBold;
}

size_t CTreeCtrlEx::GetChildrenCount(const wxTreeItemId& item, bool bRecursively) const
{
    const CTreeExNode* pItem = ItemOf(item);
    if (!pItem)
        return 0;
    if (!bRecursively)
        return static_cast<size_t>(pItem->GetChildCount());
    size_t nCount = 0;
    std::vector<const CTreeExNode*> pending{pItem};
    while (!pending.empty()) {
        const CTreeExNode* pNode = pending.back();
        pending.pop_back();
        nCount += static_cast<size_t>(pNode->GetChildCount());
        for (int i = 0; i < pNode->GetChildCount(); ++i)
            pending.push_back(pNode->GetChild(i));
    }
    return nCount;
}

wxTreeItemId CTreeCtrlEx::GetRootItem() const
{
    return IdOf(m_core.GetRoot());
}

wxTreeItemId CTreeCtrlEx::GetSelection() const
{
    return IdOf(m_pSelected);
}

size_t CTreeCtrlEx::GetSelections(wxArrayTreeItemIds& selections) const
{
    selections.clear();
    if (m_pSelected)
        selections.push_back(IdOf(m_pSelected));
    return selections.size();
}

wxTreeItemId CTreeCtrlEx::GetFocusedItem() const
{
    return IdOf(m_pCurrent);
}

void CTreeCtrlEx::ClearFocusedItem()
{
    RefreshNode(std::exchange(m_pCurrent, nullptr));
}

void CTreeCtrlEx::SetFocusedItem(const wxTreeItemId& item)
{
    RefreshNode(m_pCurrent);
    m_pCurrent = ItemOf(item);
    RefreshNode(m_pCurrent);
}

wxTreeItemId CTreeCtrlEx::GetItemParent(const wxTreeItemId& item) const
{
    const CTreeExNode* pItem = ItemOf(item);
    return IdOf(pItem ? pItem->GetParent() : nullptr);
}

wxTreeItemId CTreeCtrlEx::GetFirstChild(const wxTreeItemId& item, wxTreeItemIdValue& cookie) const
{
    cookie = nullptr;
    return GetNextChild(item, cookie);
}

wxTreeItemId CTreeCtrlEx::GetNextChild(const wxTreeItemId& item, wxTreeItemIdValue& cookie) const
{
    // The cookie is the place of the next child.
    const CTreeExNode* pItem = ItemOf(item);
    const auto nIndex = reinterpret_cast<std::intptr_t>(cookie);
    if (!pItem || nIndex >= pItem->GetChildCount())
        return {};
    cookie = reinterpret_cast<wxTreeItemIdValue>(nIndex + 1);
    return IdOf(pItem->GetChild(static_cast<int>(nIndex)));
}

wxTreeItemId CTreeCtrlEx::GetLastChild(const wxTreeItemId& item) const
{
    const CTreeExNode* pItem = ItemOf(item);
    return pItem && pItem->GetChildCount() > 0 ? IdOf(pItem->GetChild(pItem->GetChildCount() - 1)) : wxTreeItemId();
}

wxTreeItemId CTreeCtrlEx::GetNextSibling(const wxTreeItemId& item) const
{
    const CTreeExNode* pItem = ItemOf(item);
    const CTreeExNode* pParent = pItem ? pItem->GetParent() : nullptr;
    return pParent && pItem->GetIndex() + 1 < pParent->GetChildCount() ? IdOf(pParent->GetChild(pItem->GetIndex() + 1))
                                                                       : wxTreeItemId();
}

wxTreeItemId CTreeCtrlEx::GetPrevSibling(const wxTreeItemId& item) const
{
    const CTreeExNode* pItem = ItemOf(item);
    const CTreeExNode* pParent = pItem ? pItem->GetParent() : nullptr;
    return pParent && pItem->GetIndex() > 0 ? IdOf(pParent->GetChild(pItem->GetIndex() - 1)) : wxTreeItemId();
}

wxTreeItemId CTreeCtrlEx::GetFirstVisibleItem() const
{
    return IdOf(m_core.GetRowNode(m_nTopRow));
}

wxTreeItemId CTreeCtrlEx::GetNextVisible(const wxTreeItemId& item) const
{
    const int nRow = m_core.GetRowOf(ItemOf(item));
    return nRow >= 0 && nRow + 1 < m_nTopRow + GetPageRows() ? IdOf(m_core.GetRowNode(nRow + 1)) : wxTreeItemId();
}

wxTreeItemId CTreeCtrlEx::GetPrevVisible(const wxTreeItemId& item) const
{
    const int nRow = m_core.GetRowOf(ItemOf(item));
    return nRow > m_nTopRow ? IdOf(m_core.GetRowNode(nRow - 1)) : wxTreeItemId();
}

wxTreeItemId CTreeCtrlEx::AddRoot(const wxString& strText, int nImage, int nSelectedImage, wxTreeItemData* pData)
{
    if (m_core.GetRoot())
        return {};
    CTreeExNode* pNode =
        m_core.Insert(std::make_unique<CTreeExItem>(strText, nImage, nSelectedImage, pData), nullptr, 0);
    if (pData)
        pData->SetId(IdOf(pNode));
    RowsChanged();
    return IdOf(pNode);
}

wxTreeItemId CTreeCtrlEx::DoInsertItem(const wxTreeItemId& parent, size_t nPos, const wxString& strText, int nImage,
                                       int nSelectedImage, wxTreeItemData* pData)
{
    CTreeExItem* pParent = ItemOf(parent);
    if (!pParent)
        return AddRoot(strText, nImage, nSelectedImage, pData);
    CTreeExNode* pNode =
        m_core.Insert(std::make_unique<CTreeExItem>(strText, nImage, nSelectedImage, pData), pParent, nPos);
    if (pData)
        pData->SetId(IdOf(pNode));
    RowsChanged();
    return IdOf(pNode);
}

wxTreeItemId CTreeCtrlEx::DoInsertAfter(const wxTreeItemId& parent, const wxTreeItemId& idPrevious,
                                        const wxString& strText, int nImage, int nSelectedImage, wxTreeItemData* pData)
{
    // Without a previous item the new one comes first.
    const CTreeExNode* pPrevious = ItemOf(idPrevious);
    const size_t nPos = pPrevious ? static_cast<size_t>(pPrevious->GetIndex()) + 1 : 0;
    return DoInsertItem(parent, nPos, strText, nImage, nSelectedImage, pData);
}

void CTreeCtrlEx::RemoveItems(CTreeExItem* pItem, bool bChildrenOnly)
{
    if (!pItem)
        return;
    const auto goes = [pItem, bChildrenOnly](const CTreeExItem* pOther) {
        return pOther && pOther->IsIn(pItem) && !(bChildrenOnly && pOther == pItem);
    };
    if (goes(m_pEditItem)) {
        if (m_bEnding)
            m_pEditItem = nullptr; // the edit's end learns that its item went
        else
            EndEdit(true);
    }
    // Nothing may point at an item that goes; what to select instead is
    // the program's choice, not the tree's.
    if (goes(m_pSelected))
        m_pSelected = nullptr;
    if (goes(m_pCurrent))
        m_pCurrent = nullptr;
    if (goes(m_pDropHighlight))
        m_pDropHighlight = nullptr;
    if (goes(m_pRenamePending))
        m_pRenamePending = nullptr;
    if (goes(m_pHover))
        m_pHover = nullptr;
    const auto report = [this](CTreeExNode& node) {
        SendEvent(wxEVT_TREE_DELETE_ITEM, static_cast<CTreeExItem*>(&node));
    };
    if (bChildrenOnly)
        m_core.RemoveChildren(pItem, report);
    else
        m_core.Remove(pItem, report);
    RowsChanged();
}

void CTreeCtrlEx::Delete(const wxTreeItemId& item)
{
    RemoveItems(ItemOf(item), false);
}

void CTreeCtrlEx::DeleteChildren(const wxTreeItemId& item)
{
    RemoveItems(ItemOf(item), true);
}

void CTreeCtrlEx::DeleteAllItems()
{
    RemoveItems(static_cast<CTreeExItem*>(m_core.GetRoot()), false);
}

void CTreeCtrlEx::SortChildren(const wxTreeItemId& item)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return;
    m_core.SortChildren(
        pItem, [this](const CTreeExNode& a, const CTreeExNode& b) { return OnCompareItems(IdOf(&a), IdOf(&b)) < 0; });
    RowsChanged();
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

// ---------------------------------------------------------------------------
// Mouse and keyboard

void CTreeCtrlEx::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    int nFlags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
    m_bPressedSelected = false;
    if (item.IsOk()) {
        if (nFlags & wxTREE_HITTEST_ONITEMBUTTON) {
            Toggle(item);
        } else if (ItemOf(item) == m_pSelected) {
            // A second click on the selected label edits it, once the
            // button goes up and no double click follows.
            m_bPressedSelected = HasFlag(wxTR_EDIT_LABELS) && (nFlags & wxTREE_HITTEST_ONITEMLABEL);
        } else {
            SelectItem(item);
        }
    }
    event.Skip();
}

void CTreeCtrlEx::OnLeftUp(wxMouseEvent& event)
{
    if (std::exchange(m_bPressedSelected, false)) {
        int nFlags = 0;
        const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
        if (ItemOf(item) == m_pSelected && (nFlags & wxTREE_HITTEST_ONITEMLABEL)) {
            m_pRenamePending = m_pSelected;
            m_renameTimer.StartOnce(kRenameDelayMs);
        }
    }
    event.Skip();
}

void CTreeCtrlEx::OnLeftDClick(wxMouseEvent& event)
{
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    int nFlags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
    if (!item.IsOk())
        return;
    if (nFlags & wxTREE_HITTEST_ONITEMBUTTON) {
        Toggle(item);
        return;
    }
    // An owner that does nothing with the activation leaves the tree to
    // open or close the item.
    wxTreeEvent activated(wxEVT_TREE_ITEM_ACTIVATED, this, item);
    activated.SetPoint(event.GetPosition());
    if (!ProcessWindowEvent(activated) && ItemHasChildren(item))
        Toggle(item);
}

void CTreeCtrlEx::OnMotion(wxMouseEvent& event)
{
    int nFlags = 0;
    const wxTreeItemId item = event.Leaving() ? wxTreeItemId() : HitTest(event.GetPosition(), nFlags);
    CTreeExItem* pHover = nFlags & (wxTREE_HITTEST_ONITEMLABEL | wxTREE_HITTEST_ONITEMICON) ? ItemOf(item) : nullptr;
    if (pHover != m_pHover) {
        m_pHover = pHover;
        UpdateToolTip();
    }
    event.Skip();
}

void CTreeCtrlEx::UpdateToolTip()
{
    // A label the window cuts short is shown whole in a tooltip, or as
    // the owner words it.
    wxString strTip;
    wxRect rect;
    if (m_pHover && GetBoundingRect(IdOf(m_pHover), rect, true)) {
        wxTreeEvent event(wxEVT_TREE_ITEM_GETTOOLTIP, this, IdOf(m_pHover));
        ProcessWindowEvent(event);
        const bool bCut = rect.x < 0 || rect.GetRight() >= GetClientSize().x;
        if (event.IsAllowed() && (bCut || event.GetLabel() != m_pHover->m_strText))
            strTip = event.GetLabel();
    }
    if (!strTip.empty())
        SetToolTip(strTip);
    else if (GetToolTip())
        UnsetToolTip();
}

void CTreeCtrlEx::OnRightDown(wxMouseEvent& event)
{
    SetFocus();
    event.Skip();
}

bool CTreeCtrlEx::MoveByKey(ETreeExKey nKey)
{
    if (!m_pCurrent)
        return false;
    const CTreeExKeyMove move = m_core.MoveByKey(m_pCurrent, nKey, GetPageRows());
    switch (move.m_nAction) {
    case CTreeExKeyMove::EAction::None:
        break;
    case CTreeExKeyMove::EAction::Select:
        SelectItem(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::Expand:
        Expand(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::Collapse:
        Collapse(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::ExpandAll:
        ExpandAllChildren(IdOf(move.m_pNode));
        break;
    }
    return true;
}

void CTreeCtrlEx::OnKeyDown(wxKeyEvent& event)
{
    wxTreeEvent keyEvent(wxEVT_TREE_KEY_DOWN, this);
    keyEvent.SetKeyEvent(event);
    if (ProcessWindowEvent(keyEvent))
        return;
    if (event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    std::optional<ETreeExKey> nKey;
    switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_NUMPAD_UP:
        nKey = ETreeExKey::Up;
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        nKey = ETreeExKey::Down;
        break;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        nKey = ETreeExKey::Left;
        break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        nKey = ETreeExKey::Right;
        break;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
        nKey = ETreeExKey::Home;
        break;
    case WXK_END:
    case WXK_NUMPAD_END:
        nKey = ETreeExKey::End;
        break;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
        nKey = ETreeExKey::PageUp;
        break;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
        nKey = ETreeExKey::PageDown;
        break;
    case WXK_ADD:
    case WXK_NUMPAD_ADD:
        nKey = ETreeExKey::Expand;
        break;
    case WXK_SUBTRACT:
    case WXK_NUMPAD_SUBTRACT:
        nKey = ETreeExKey::Collapse;
        break;
    case WXK_MULTIPLY:
    case WXK_NUMPAD_MULTIPLY:
        nKey = ETreeExKey::ExpandAll;
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
        if (m_pCurrent)
            SendEvent(wxEVT_TREE_ITEM_ACTIVATED, m_pCurrent);
        break;
    default:
        break;
    }
    if (!nKey || !MoveByKey(*nKey))
        event.Skip();
}

void CTreeCtrlEx::OnChar(wxKeyEvent& event)
{
    bool bNewPrefix = false;
    if (!m_typedPrefix.Add(event, bNewPrefix)) {
        event.Skip();
        return;
    }
    const int nRows = m_core.GetRowCount();
    const int nCurrent = m_core.GetRowOf(m_pCurrent);
    const int nFirst = nCurrent < 0 ? 0 : (bNewPrefix ? nCurrent + 1 : nCurrent);
    const int nFound = FindRowStartingWith(nRows, nFirst, m_typedPrefix.Get(), [this](int nRow) {
        return static_cast<const CTreeExItem*>(m_core.GetRowNode(nRow))->m_strText;
    });
    if (nFound >= 0)
        SelectItem(IdOf(m_core.GetRowNode(nFound)));
}

// ---------------------------------------------------------------------------
// Label editing

wxTextCtrl* CTreeCtrlEx::EditLabel(const wxTreeItemId& item, wxClassInfo* /*pTextCtrlClass*/)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return nullptr;
    if (m_pEditItem == pItem)
        return m_pEdit;
    if (m_pEditItem)
        EndEdit(true);
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    wxTreeEvent begin(wxEVT_TREE_BEGIN_LABEL_EDIT, this, item);
    begin.SetLabel(pItem->m_strText);
    if (!SendEvent(wxEVT_TREE_BEGIN_LABEL_EDIT, pItem, &begin))
        return nullptr;
    EnsureVisible(item);
    if (!m_pEdit) {
        // One editor serves every edit: making a native text field for
        // each would make the platform lay out the whole frame each time.
        m_pEdit = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
        m_pEdit->Bind(wxEVT_KEY_DOWN, &CTreeCtrlEx::OnEditKeyDown, this);
        m_pEdit->Bind(wxEVT_KILL_FOCUS, &CTreeCtrlEx::OnEditKillFocus, this);
    }
    m_pEditItem = pItem;
    m_strEditStart = pItem->m_strText;
    // A limit left from the last edit would cut this label as it is set.
    m_pEdit->SetMaxLength(0);
    m_pEdit->ChangeValue(m_strEditStart);
    PlaceEditor();
    m_pEdit->Show();
    m_pEdit->SetFocus();
    m_pEdit->SelectAll();
    return m_pEdit;
}

wxTextCtrl* CTreeCtrlEx::GetEditControl() const
{
    return m_pEditItem ? m_pEdit : nullptr;
}

void CTreeCtrlEx::EndEditLabel(const wxTreeItemId& /*item*/, bool bDiscardChanges)
{
    EndEdit(bDiscardChanges);
}

void CTreeCtrlEx::PlaceEditor()
{
    if (!m_pEditItem)
        return;
    const int nRow = m_core.GetRowOf(m_pEditItem);
    if (nRow < 0)
        return;
    const CTreeExRowLayout layout = GetLayout(*m_pEditItem);
    const int nX = layout.m_nTextLeft - m_nScrollX;
    const int nHeight = std::max(m_pEdit->GetBestSize().y, m_nRowHeight);
    const int nWidth = std::max(GetClientSize().x - nX, FromDIP(100));
    m_pEdit->SetSize(nX, RowTop(nRow) + (m_nRowHeight - nHeight) / 2, nWidth, nHeight);
}

void CTreeCtrlEx::EndEdit(bool bDiscardChanges)
{
    if (!m_pEditItem || m_bEnding)
        return;
    // A message shown while the edit ends takes the focus from the editor,
    // which must not end it a second time.
    m_bEnding = true;
    CTreeExItem* pItem = m_pEditItem;
    const wxString strValue = m_pEdit->GetValue();
    // An unchanged label is a cancelled edit, as the tree control's
    // interface has it.
    const bool bCancelled = bDiscardChanges || strValue == m_strEditStart;
    wxTreeEvent end(wxEVT_TREE_END_LABEL_EDIT, this, IdOf(pItem));
    end.SetLabel(bCancelled ? m_strEditStart : strValue);
    end.SetEditCanceled(bCancelled);
    const bool bAllowed = SendEvent(wxEVT_TREE_END_LABEL_EDIT, pItem, &end);
    // A handler may have deleted the item meanwhile.
    if (m_pEditItem == pItem && bAllowed && !bCancelled)
        SetItemText(IdOf(pItem), strValue);
    m_pEditItem = nullptr;
    const bool bHadFocus = wxWindow::FindFocus() == m_pEdit;
    m_pEdit->Hide();
    if (bHadFocus)
        SetFocus();
    m_bEnding = false;
}

void CTreeCtrlEx::OnEditKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        EndEdit(false);
        return;
    case WXK_ESCAPE:
        EndEdit(true);
        return;
    default:
        event.Skip();
    }
}

void CTreeCtrlEx::OnEditKillFocus(wxFocusEvent& event)
{
    // Clicking elsewhere keeps what was typed, as Enter does.
    EndEdit(false);
    event.Skip();
}
