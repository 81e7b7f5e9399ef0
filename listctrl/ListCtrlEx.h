#pragma once

#include "ListExCore.h"
#include "ListExSelect.h"

#include <functional>
#include <memory>

#include <wx/imaglist.h>
#include <wx/window.h>

class CListExHeader;
class wxHeaderColumn;
class wxHeaderCtrl;

// True when the pointer, moved by delta from where the left button went
// down in window, has gone far enough for a drag: half the system's drag
// distance either way, so that a quick flick starts one at its first move.
bool IsDragMove(const wxWindow& window, const wxPoint& delta);

// Where a scroll event asks a window to go from nPos, a line being nLine
// and a page nPage units, the end nEnd; not yet kept within the range.
int ScrollEventTarget(const wxScrollWinEvent& event, int nPos, int nLine, int nPage, int nEnd);

// The start of a name typed so far, as list and tree controls collect it
// to select a row by its first letters; a pause of about a second starts a
// new one.
class CTypedPrefix
{
public:
    // Adds the character event types; false for a key that types none.
    // bNew tells whether the character began a new prefix.
    bool Add(const wxKeyEvent& event, bool& bNew);
    const wxString& Get() const { return m_strPrefix; }

private:
    wxString m_strPrefix;
    wxLongLong m_nLastMs = 0;
};

// The first of nCount rows from nFirst on, going round past the last, whose
// text fnText gives starts with strPrefix, letters in any case; -1 when
// none does.
int FindRowStartingWith(int nCount, int nFirst, const wxString& strPrefix, const std::function<wxString(int)>& fnText);

// The extended list as a window: a report list that draws every row itself
// from the decisions of its CListExCore, with a header above the rows. It
// shows the sort mark in the header, shades the sorted column, draws rows
// in full or by the owner's rules, tracks the hot item and toggles check
// boxes. Rows are asked for their text only while they are painted, so a
// list of a million rows fills at once.
//
// Derived windows change behaviour through the protected virtual handlers,
// calling the base first where they add to it, as the AA list does.
class CListExWindow : public wxWindow
{
public:
    // nStyle: LXS_ window styles; nWxStyle: the window's border style.
    CListExWindow(wxWindow* pParent, wxWindowID nId, unsigned nStyle, long nWxStyle);
    ~CListExWindow() override;

    CListExCore& GetCore() { return *m_pCore; }
    const CListExCore& GetCore() const { return *m_pCore; }

    // Columns.
    int InsertColumn(int nColumn, const wxString& strTitle, int nFormat = LXCFMT_LEFT, int nWidth = 80);
    int InsertColumn(int nColumn, const CListExColumnInfo& info);
    bool DeleteColumn(int nColumn);
    bool SetColumn(int nColumn, const CListExColumnInfo& info);
    int GetColumnCount() const { return m_pCore->GetColumnCount(); }
    int GetColumnWidth(int nColumn) const { return m_pCore->GetColumnWidth(nColumn); }
    bool SetColumnWidth(int nColumn, int nWidth);
    bool SetColumnOrderArray(int nCount, const int* pArray);
    int GetColumnOrderArray(int nCount, int* pArray) const { return m_pCore->GetColumnOrderArray(nCount, pArray); }

    // Items.
    int GetItemCount() const { return m_pCore->GetItemCount(); }
    void SetItemCountHint(int nCount) { m_pCore->SetItemCountHint(nCount); }
    // Rows were added through the core directly: the scrollbars and the
    // picture catch up.
    void RowsChanged();
    int InsertItem(int nItem, const wxString& strText);
    int InsertItem(const CListExItemInfo& info);
    bool SetItem(const CListExItemInfo& info);
    bool SetItemText(int nItem, int nSubItem, const wxString& strText);
    // The text shown in a cell: its own, or the owner's.
    wxString GetItemText(int nItem, int nSubItem = 0) const;
    std::intptr_t GetItemData(int nItem) const { return m_pCore->GetItemData(nItem); }
    bool SetItemData(int nItem, std::intptr_t lParam) { return m_pCore->SetItemData(nItem, lParam); }
    bool DeleteItem(int nItem);
    // Deletes the rows at the given ascending positions.
    bool DeleteItems(const std::vector<int>& items);
    bool DeleteAllItems();
    // The first row after nStart matching info; texts are matched as shown.
    int FindItem(int nStart, const CListExFindInfo& info) const;
    bool SortItems(PFNLXCOMPARE pfnCompare, std::intptr_t lParamSort);

    // Item states.
    unsigned GetItemState(int nItem, unsigned nMask) const { return m_pCore->GetItemState(nItem, nMask); }
    bool SetItemState(int nItem, unsigned nState, unsigned nMask);
    int GetNextItem(int nStart, unsigned nRelation) const { return m_pCore->GetNextItem(nStart, nRelation); }
    int GetSelectedCount() const { return m_pCore->GetSelectedCount(); }
    // The selected rows, top to bottom.
    std::vector<int> GetSelectedRows() const;
    bool GetCheck(int nItem) const { return m_pCore->GetCheck(nItem); }
    bool SetCheck(int nItem, bool bCheck);
    void EnsureVisible(int nItem);
    int GetTopIndex() const;
    int GetCountPerPage() const;

    unsigned SetExtendedStyle(unsigned nMask, unsigned nStyles);
    unsigned GetExtendedStyle() const { return m_pCore->GetExtendedStyle(); }
    // The small images shown before column 0's text; the list does not own
    // them.
    void SetSmallImageList(wxImageList* pImages);
    void SetBkColour(const wxColour& colour);

    void EnableSortShading(bool bOn, int nSortKey);
    void EnableSortMarks(bool bOn, int nSortKey);
    void SetSortKey(int nSortKey);
    int GetSortKey() const { return m_pCore->GetSortKey(); }

    // The item under a point of this window's client area, with the part
    // hit in nFlags; -1 when none.
    int HitTest(const wxPoint& point, unsigned& nFlags) const;
    // A cell's rectangle in this window's client coordinates.
    bool GetCellRect(int nItem, int nColumn, int nKind, wxRect& rect) const;
    // Paints the part of the rows' area inside rcArea (client coordinates),
    // as the window does when it is exposed.
    void PaintRows(wxDC& dc, const wxRect& rcArea);
    // Where the rows start below the header.
    int GetRowsTop() const;
    wxHeaderCtrl* GetHeaderCtrl() const;
    // What the header shows for a column: title, width, sort arrow, mark.
    const wxHeaderColumn& GetHeaderColumn(int nColumn) const;

    bool AcceptsFocus() const override { return true; }
    bool SetFont(const wxFont& font) override;

protected:
    // The owner's text for a cell that has none of its own.
    virtual wxString OnGetItemText(int nItem, int nColumn) const;
    // Something about row nItem changed: its selection, focus or check.
    virtual void OnItemChanged(int nItem);
    // A click on column nColumn's header. The list flips or moves its sort
    // mark; a derived list that sorts by itself replaces this.
    virtual void OnColumnClick(int nColumn);
    // The pointer left a small square around a press of the left button on
    // a row while the button stayed down.
    virtual void OnBeginDrag(const wxPoint& point);
    // An item was activated: a double click or Enter.
    virtual void OnItemActivated(int nItem);

    virtual void OnLeftDown(wxMouseEvent& event);
    virtual void OnLeftUp(wxMouseEvent& event);
    virtual void OnLeftDClick(wxMouseEvent& event);
    virtual void OnRightDown(wxMouseEvent& event);
    virtual void OnMouseMove(wxMouseEvent& event);
    virtual void OnKeyDown(wxKeyEvent& event);
    // A typed character (from the keyboard or an input method) extends the
    // typed prefix and selects the next row whose text starts with it.
    virtual void OnChar(wxKeyEvent& event);
    // The first row from nFirst on, going round past the last, whose text
    // starts with strPrefix, letters in any case; −1 when none does. A
    // derived list that keeps its texts in another form may match them there.
    virtual int FindRowStartingWith(const wxString& strPrefix, int nFirst) const;

    // Selects exactly nItem, which also takes the focus mark.
    void SelectOnly(int nItem);
    // Applies a state change and reports every row it changed.
    bool ChangeState(int nItem, unsigned nState, unsigned nMask);
    // Selects the rows from nFrom to nTo, which takes the focus mark.
    void SelectRange(int nFrom, int nTo, bool bKeepOthers);

private:
    class COwnerTexts;
    class CPainter;
    friend class CListExHeader;

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnFocus(wxFocusEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);

    void UpdateMetrics();
    void UpdateScrollbars();
    void UpdateHeader();
    void ScrollTo(int nTopRow, int nScrollX);
    void RefreshRow(int nItem);
    // Repaints and reports each row in changed once.
    void ReportChanged(std::vector<int>& changed);
    void MoveFocusTo(int nItem, bool bExtend, bool bKeepSelection);
    // Carries out what the selection rules decided.
    void ApplySelectStep(const CListExSelectStep& step);
    void ApplyHot(const CListExHotChange& change);
    void HeaderClicked(int nColumn);
    void HeaderResized(int nColumn, int nWidth);
    void HeaderReordered(int nColumn, int nOrder);
    CListExSysColours ReadSysColours() const;
    wxBitmap SortMarkBitmap(bool bUp) const;

    std::unique_ptr<CListExCore> m_pCore;
    CListExHeader* m_pHeader = nullptr;
    wxImageList* m_pSmallImages = nullptr;
    int m_nTopRow = 0;
    int m_nScrollX = 0;
    // What clicks and keys do to the selection, and the anchor they keep.
    CListExSelectRules m_selectRules;
    bool m_bDragArmed = false;
    wxPoint m_ptPress;
    bool m_bHandCursor = false;
    int m_nCharHeight = 0;
    CTypedPrefix m_typedPrefix;
};

// The extended list as a control in a dialog or window.
class CListCtrlEx : public CListExWindow
{
public:
    CListCtrlEx(wxWindow* pParent, wxWindowID nId = wxID_ANY, unsigned nStyle = LXS_SHOWSELALWAYS);
};

// The extended list as a pane of the main window, with the pane's border.
class CListViewEx : public CListExWindow
{
public:
    explicit CListViewEx(wxWindow* pParent, unsigned nStyle = LXS_SHOWSELALWAYS);
};
