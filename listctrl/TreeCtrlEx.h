#pragma once

#include "ListCtrlEx.h"
#include "TreeExCore.h"

#include <wx/timer.h>
#include <wx/treectrl.h>

#include <memory>
#include <optional>

class CTreeExItem;
class wxTextCtrl;

// The extended tree as a window, with the tree control's interface: items,
// their texts, images and values, events for selection, opening, label
// editing and deletion. It paints only the rows in sight, each in the
// platform's look (expander, selection, fonts and colours), and measures a
// label only when its row is painted, so a folder of tens of thousands of
// children opens, scrolls and takes clicks in the time of a screenful.
//
// One item at a time is selected (wxTR_SINGLE). Nothing is selected
// unless the user or the program selects it: an item that goes takes the
// selection with it, and the program decides what to select next. Labels
// are edited in one overlay editor, kept for the window's life.
class CTreeCtrlEx : public wxTreeCtrlBase
{
public:
    enum : int
    {
        // How long a second click on the selected item's label waits
        // before its editor opens, unless a double click follows.
        kRenameDelayMs = 500,
        // The rename timer's id; a derived tree keeps its own timers apart.
        RENAME_TIMER_ID = 1001,
    };

    // nStyle: wxTR_ styles (wxTR_HAS_BUTTONS, wxTR_EDIT_LABELS,
    // wxTR_HIDE_ROOT) and the window's border.
    CTreeCtrlEx(wxWindow* pParent, wxWindowID nId, long nStyle);
    ~CTreeCtrlEx() override;

    unsigned int GetCount() const override;
    unsigned int GetIndent() const override;
    void SetIndent(unsigned int nIndent) override;
    void SetImageList(wxImageList* pImages) override;
    void SetStateImageList(wxImageList* pImages) override;

    wxString GetItemText(const wxTreeItemId& item) const override;
    int GetItemImage(const wxTreeItemId& item, wxTreeItemIcon nWhich = wxTreeItemIcon_Normal) const override;
    wxTreeItemData* GetItemData(const wxTreeItemId& item) const override;
    wxColour GetItemTextColour(const wxTreeItemId& item) const override;
    wxColour GetItemBackgroundColour(const wxTreeItemId& item) const override;
    wxFont GetItemFont(const wxTreeItemId& item) const override;

    void SetItemText(const wxTreeItemId& item, const wxString& strText) override;
    void SetItemImage(const wxTreeItemId& item, int nImage, wxTreeItemIcon nWhich = wxTreeItemIcon_Normal) override;
    void SetItemData(const wxTreeItemId& item, wxTreeItemData* pData) override;
    void SetItemHasChildren(const wxTreeItemId& item, bool bHas = true) override;
    void SetItemBold(const wxTreeItemId& item, bool bBold = true) override;
    void SetItemDropHighlight(const wxTreeItemId& item, bool bHighlight = true) override;
    void SetItemTextColour(const wxTreeItemId& item, const wxColour& colour) override;
    void SetItemBackgroundColour(const wxTreeItemId& item, const wxColour& colour) override;
    void SetItemFont(const wxTreeItemId& item, const wxFont& font) override;

    bool IsVisible(const wxTreeItemId& item) const override;
    bool ItemHasChildren(const wxTreeItemId& item) const override;
    bool IsExpanded(const wxTreeItemId& item) const override;
    bool IsSelected(const wxTreeItemId& item) const override;
    bool IsBold(const wxTreeItemId& item) const override;
    size_t GetChildrenCount(const wxTreeItemId& item, bool bRecursively = true) const override;

    wxTreeItemId GetRootItem() const override;
    wxTreeItemId GetSelection() const override;
    size_t GetSelections(wxArrayTreeItemIds& selections) const override;
    wxTreeItemId GetFocusedItem() const override;
    void ClearFocusedItem() override;
    void SetFocusedItem(const wxTreeItemId& item) override;
    wxTreeItemId GetItemParent(const wxTreeItemId& item) const override;
    wxTreeItemId GetFirstChild(const wxTreeItemId& item, wxTreeItemIdValue& cookie) const override;
    wxTreeItemId GetNextChild(const wxTreeItemId& item, wxTreeItemIdValue& cookie) const override;
    wxTreeItemId GetLastChild(const wxTreeItemId& item) const override;
    wxTreeItemId GetNextSibling(const wxTreeItemId& item) const override;
    wxTreeItemId GetPrevSibling(const wxTreeItemId& item) const override;
    wxTreeItemId GetFirstVisibleItem() const override;
    wxTreeItemId GetNextVisible(const wxTreeItemId& item) const override;
    wxTreeItemId GetPrevVisible(const wxTreeItemId& item) const override;

    wxTreeItemId AddRoot(const wxString& strText, int nImage = -1, int nSelectedImage = -1,
                         wxTreeItemData* pData = nullptr) override;
    void Delete(const wxTreeItemId& item) override;
    void DeleteChildren(const wxTreeItemId& item) override;
    void DeleteAllItems() override;
    void Expand(const wxTreeItemId& item) override;
    void Collapse(const wxTreeItemId& item) override;
    void CollapseAndReset(const wxTreeItemId& item) override;
    void Toggle(const wxTreeItemId& item) override;
    void Unselect() override;
    void UnselectAll() override;
    void SelectItem(const wxTreeItemId& item, bool bSelect = true) override;
    void SelectChildren(const wxTreeItemId& parent) override;
    // Opens the item's ancestors and scrolls its row into sight.
    void EnsureVisible(const wxTreeItemId& item) override;
    // Scrolls the item's row to the top, as far as the rows go.
    void ScrollTo(const wxTreeItemId& item) override;

    wxTextCtrl* EditLabel(const wxTreeItemId& item, wxClassInfo* pTextCtrlClass = wxCLASSINFO(wxTextCtrl)) override;
    // The editor while a label is being edited, or null.
    wxTextCtrl* GetEditControl() const override;
    // Ends the edit under way, whichever item it is on.
    void EndEditLabel(const wxTreeItemId& item, bool bDiscardChanges = false) override;

    void SortChildren(const wxTreeItemId& item) override;
    bool GetBoundingRect(const wxTreeItemId& item, wxRect& rect, bool bTextOnly = false) const override;

    bool AcceptsFocus() const override { return true; }
    bool SetFont(const wxFont& font) override;
    void OnInternalIdle() override;

    // The number of ancestors of item: 0 for the root.
    int GetItemDepth(const wxTreeItemId& item) const;
    // True when item is ancestor or lies below it.
    bool IsItemInSubtree(const wxTreeItemId& item, const wxTreeItemId& ancestor) const;
    // The item shown on row nRow, counted from the last row when negative
    // (-1: the last); an invalid item past the rows.
    wxTreeItemId GetShownItem(int nRow) const;

    // The height of every row.
    int GetRowHeight() const { return m_nRowHeight; }
    // The first row in sight.
    int GetTopRow() const { return m_nTopRow; }
    const CTreeExCore& GetCore() const { return m_core; }

protected:
    wxSize DoGetBestSize() const override;
    int DoGetItemState(const wxTreeItemId& item) const override;
    void DoSetItemState(const wxTreeItemId& item, int nState) override;
    wxTreeItemId DoInsertItem(const wxTreeItemId& parent, size_t nPos, const wxString& strText, int nImage,
                              int nSelectedImage, wxTreeItemData* pData) override;
    wxTreeItemId DoInsertAfter(const wxTreeItemId& parent, const wxTreeItemId& idPrevious, const wxString& strText,
                               int nImage = -1, int nSelectedImage = -1, wxTreeItemData* pData = nullptr) override;
    wxTreeItemId DoTreeHitTest(const wxPoint& point, int& nFlags) const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void UpdateToolTip();
    void OnKeyDown(wxKeyEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnEditKeyDown(wxKeyEvent& event);
    void OnEditKillFocus(wxFocusEvent& event);

    CTreeExItem* ItemOf(const wxTreeItemId& item) const;
    wxTreeItemId IdOf(const CTreeExNode* pNode) const;
    // Sends a tree event about pItem; false when a handler vetoed it.
    bool SendEvent(wxEventType nType, const CTreeExItem* pItem, wxTreeEvent* pEvent = nullptr);
    void RemoveItems(CTreeExItem* pItem, bool bChildrenOnly);
    // The image pItem shows in its state: selected, open, or neither.
    int GetCurrentImage(const CTreeExItem& item) const;
    // The width of the label, measured once and kept until the text or the
    // font changes.
    int GetLabelWidth(const CTreeExItem& item) const;
    CTreeExRowLayout GetLayout(const CTreeExItem& item) const;
    int GetLayoutDepth(const CTreeExNode& node) const;
    // The rows' area in client coordinates of row nRow.
    int RowTop(int nRow) const { return (nRow - m_nTopRow) * m_nRowHeight; }
    int GetPageRows() const;
    void UpdateMetrics();
    void UpdateScrollbars();
    // Rows came, went, opened or closed.
    void RowsChanged();
    void ScrollToPos(int nTopRow, int nScrollX);
    void RefreshNode(const CTreeExNode* pNode);
    void PaintRow(wxDC& dc, const CTreeExItem& item, int nY);
    // Carries out a key's move; false when the key moves nothing.
    bool MoveByKey(ETreeExKey nKey);
    void SelectAndShow(CTreeExNode* pNode);
    void EndEdit(bool bDiscardChanges);
    void PlaceEditor();

    CTreeExCore m_core;
    CTreeExItem* m_pSelected = nullptr;
    CTreeExItem* m_pCurrent = nullptr;
    CTreeExItem* m_pDropHighlight = nullptr;
    // The item whose label or image the pointer is over.
    CTreeExItem* m_pHover = nullptr;
    int m_nIndent = 0;
    int m_nRowHeight = 1;
    int m_nTextHeight = 0;
    int m_nImageWidth = 0;
    int m_nTopRow = 0;
    int m_nScrollX = 0;
    // The widest row measured so far: labels are measured as they are
    // painted, so the horizontal extent grows as the user scrolls.
    mutable int m_nWidestRow = 0;
    int m_nScrollWidth = 0;
    mutable bool m_bScrollbarsStale = true;
    // Bumped when the font changes, which makes every width measured
    // before it stale.
    unsigned m_nFontStamp = 1;

    // The label editor, made at the first edit and hidden between edits.
    wxTextCtrl* m_pEdit = nullptr;
    CTreeExItem* m_pEditItem = nullptr;
    wxString m_strEditStart;
    bool m_bEnding = false;

    // A click on the label of the item already selected edits it after a
    // pause, unless a double click comes first.
    CTreeExItem* m_pRenamePending = nullptr;
    bool m_bPressedSelected = false;
    wxTimer m_renameTimer;

    CTypedPrefix m_typedPrefix;
};
