#pragma once

#include <vector>

#include <wx/listctrl.h>

class CCategory;

// The list of the AAs of one category, one row an entry of its AA list,
// showing each AA's name. Rows are asked for only when they are shown, so a
// category of a million AAs lists at once. Selecting rows shows the first
// selected AA in the text pane.
class CAAListView : public wxListCtrl
{
public:
    explicit CAAListView(wxWindow* pParent);

    // Lists pCategory's AAs, ordered by the current sort key; no row is
    // selected afterwards. A null category lists nothing.
    void Fill(CCategory* pCategory);
    // Deletes every row and forgets the listed category, which may be about
    // to be destroyed.
    void Clear();

    // Orders two AA indices for the sort key nSortParam: a 1-based column,
    // negative for descending. Only column 1 orders anything: by AA index,
    // that is by place in the AA text file, never by name.
    static int CompareAAs(int nIndex1, int nIndex2, int nSortParam);

    CCategory* GetCategory() const { return m_pCategory; }
    int GetSortParam() const { return m_nSortParam; }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    // The AA index shown in row nRow, or −1 when there is no such row.
    int GetRowAA(int nRow) const;
    // The first selected row, or −1.
    int GetFirstSelectedRow() const;

    // What a click on column nColumn's header does: the same column again
    // reverses the order, another sorts ascending by it.
    void SortByColumn(int nColumn);

protected:
    wxString OnGetItemText(long nItem, long nColumn) const override;

private:
    void SortRows();
    void OnItemChanged(wxListEvent& event);
    void OnColumnClick(wxListEvent& event);

    CCategory* m_pCategory = nullptr;
    int m_nSortParam = 1;
    // AA index per row, in display order.
    std::vector<int> m_rows;
    bool m_bShowPending = false;
};
