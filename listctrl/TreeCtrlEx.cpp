// The extended tree's items: making, finding, changing and removing them.
#include "TreeCtrlEx.h"

#include "TreeExItem.h"

#include <wx/settings.h>

#include <algorithm>

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

int CTreeCtrlEx::GetItemDepth(const wxTreeItemId& item) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem ? pItem->GetDepth() : 0;
}

bool CTreeCtrlEx::IsItemInSubtree(const wxTreeItemId& item, const wxTreeItemId& ancestor) const
{
    const CTreeExItem* pItem = ItemOf(item);
    return pItem && ancestor.IsOk() && pItem->IsIn(ItemOf(ancestor));
}

wxTreeItemId CTreeCtrlEx::GetShownItem(int nRow) const
{
    return IdOf(m_core.GetRowNode(nRow < 0 ? m_core.GetRowCount() + nRow : nRow));
}
