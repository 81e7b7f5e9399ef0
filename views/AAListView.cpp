#include "AAListView.h"

#include "AAStore.h"
#include "Category.h"
#include "DisplayText.h"
#include "MainFrame.h"
#include "RidaxoDoc.h"

#include <algorithm>
#include <numeric>

CAAListView::CAAListView(wxWindow* pParent)
    : wxListCtrl(pParent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VIRTUAL)
{
    Bind(wxEVT_LIST_ITEM_SELECTED, &CAAListView::OnItemChanged, this);
    Bind(wxEVT_LIST_ITEM_DESELECTED, &CAAListView::OnItemChanged, this);
    Bind(wxEVT_LIST_COL_CLICK, &CAAListView::OnColumnClick, this);
}

int CAAListView::CompareAAs(int nIndex1, int nIndex2, int nSortParam)
{
    const bool bDescending = nSortParam < 0;
    const int nColumn = (bDescending ? -nSortParam : nSortParam) - 1;
    int nResult = 0;
    if (nColumn == 0)
        nResult = nIndex1 < nIndex2 ? -1 : (nIndex1 > nIndex2 ? 1 : 0);
    return bDescending ? -nResult : nResult;
}

void CAAListView::Fill(CCategory* pCategory)
{
    m_pCategory = pCategory;
    if (GetItemCount() > 0)
        SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_rows.clear();
    if (pCategory)
        m_rows = pCategory->GetAAList();
    // The control learns the new row count before the sort looks at its
    // selection.
    SetItemCount(static_cast<long>(m_rows.size()));
    SortRows();
    Refresh();
}

void CAAListView::Clear()
{
    m_pCategory = nullptr;
    m_rows.clear();
    DeleteAllItems();
}

int CAAListView::GetRowAA(int nRow) const
{
    return nRow >= 0 && nRow < GetRowCount() ? m_rows[static_cast<size_t>(nRow)] : -1;
}

int CAAListView::GetFirstSelectedRow() const
{
    return static_cast<int>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void CAAListView::SortRows()
{
    // Rows keep their selection while they move.
    const size_t nRows = m_rows.size();
    std::vector<char> selected(nRows, 0);
    for (long nRow = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); nRow >= 0 && size_t(nRow) < nRows;
         nRow = GetNextItem(nRow, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        selected[static_cast<size_t>(nRow)] = 1;

    std::vector<size_t> order(nRows);
    std::iota(order.begin(), order.end(), size_t{0});
    const int nSortParam = m_nSortParam;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return CompareAAs(m_rows[a], m_rows[b], nSortParam) < 0; });

    std::vector<int> rows(nRows);
    for (size_t i = 0; i < nRows; ++i)
        rows[i] = m_rows[order[i]];
    m_rows.swap(rows);
    for (size_t i = 0; i < nRows; ++i) {
        if (selected[order[i]] != selected[i])
            SetItemState(static_cast<long>(i), selected[order[i]] ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    }
}

void CAAListView::SortByColumn(int nColumn)
{
    int nKey = nColumn + 1;
    if (nKey == m_nSortParam)
        nKey = -nKey;
    m_nSortParam = nKey;
    ShowSortIndicator(nColumn, nKey > 0);
    SortRows();
    Refresh();
}

wxString CAAListView::OnGetItemText(long nItem, long nColumn) const
{
    const CMainFrame* pFrame = GetMainFrame();
    const CRidaxoDoc* pDoc = pFrame ? pFrame->GetActiveDocument() : nullptr;
    if (nColumn != 0 || !pDoc)
        return {};
    return ToDisplay(pDoc->m_store.GetNameView(GetRowAA(static_cast<int>(nItem))));
}

void CAAListView::OnItemChanged(wxListEvent& event)
{
    // A click that moves the selection reports several changes; the text
    // pane is brought up to date once they are all in.
    event.Skip();
    if (m_bShowPending)
        return;
    m_bShowPending = true;
    CallAfter([this] {
        m_bShowPending = false;
        if (CMainFrame* pFrame = GetMainFrame())
            pFrame->ShowSelectedAA();
    });
}

void CAAListView::OnColumnClick(wxListEvent& event)
{
    if (event.GetColumn() >= 0)
        SortByColumn(event.GetColumn());
}
