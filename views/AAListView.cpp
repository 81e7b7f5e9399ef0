#include "AAListView.h"

#include "AAStore.h"
#include "Category.h"
#include "DisplayText.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"

#include <algorithm>
#include <charconv>

#include <wx/menu.h>

namespace
{

constexpr size_t kDragDataSize = 4096;

DragHandler& DragHandlerSlot()
{
    static DragHandler s_fnHandler;
    return s_fnHandler;
}

CRidaxoDoc* ActiveDocument()
{
    const CMainFrame* pFrame = GetMainFrame();
    return pFrame ? pFrame->GetActiveDocument() : nullptr;
}

} // namespace

CDragOverride::CDragOverride(DragHandler fnHandler) : CScopedOverride(DragHandlerSlot(), std::move(fnHandler)) {}

CAAListView::CAAListView(wxWindow* pParent) : CListViewEx(pParent, LXS_SHOWSELALWAYS)
{
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { DeleteSelected(); }, ID_AA_DELETE);
}

int CAAListView::CompareAAs(std::intptr_t nIndex1, std::intptr_t nIndex2, std::intptr_t nSortParam)
{
    const bool bDescending = nSortParam < 0;
    const std::intptr_t nColumn = (bDescending ? -nSortParam : nSortParam) - 1;
    int nResult = 0;
    if (nColumn == 0)
        nResult = nIndex1 < nIndex2 ? -1 : (nIndex1 > nIndex2 ? 1 : 0);
    return bDescending ? -nResult : nResult;
}

void CAAListView::Fill(CCategory* pCategory)
{
    m_pCategory = pCategory;
    DeleteAllItems();
    if (!pCategory) {
        ScheduleShowSelectedAA();
        return;
    }
    // Each row holds its AA index; its name is asked for when it is shown.
    // The indices are put in order here, where comparing them is cheap, so
    // the list's own sort below finds them in order already.
    std::vector<int> aaList = pCategory->GetAAList();
    const int nSortParam = m_nSortParam;
    // Equal indices cannot be told apart, so the sort need not be stable.
    std::sort(aaList.begin(), aaList.end(), [nSortParam](int a, int b) { return CompareAAs(a, b, nSortParam) < 0; });
    CListExCore& core = GetCore();
    core.SetItemCountHint(static_cast<int>(aaList.size()));
    CListExItemInfo info;
    info.m_nMask = LXIF_TEXT | LXIF_PARAM;
    info.m_bTextCallback = true;
    for (size_t i = 0; i < aaList.size(); ++i) {
        info.m_nItem = static_cast<int>(i);
        info.m_nParam = aaList[i];
        core.InsertItem(info);
    }
    SortItems(&CAAListView::CompareAAs, m_nSortParam);
    RowsChanged();
    // The text pane follows: it shows the new first row, never an AA of the
    // folder listed before.
    ScheduleShowSelectedAA();
}

void CAAListView::Clear()
{
    m_pCategory = nullptr;
    DeleteAllItems();
}

int CAAListView::GetRowAA(int nRow) const
{
    return nRow >= 0 && nRow < GetRowCount() ? static_cast<int>(GetItemData(nRow)) : -1;
}

int CAAListView::GetFirstSelectedRow() const
{
    return GetNextItem(-1, LXNI_SELECTED);
}

std::vector<int> CAAListView::GetSelectedAAs() const
{
    std::vector<int> aas;
    for (int nRow : GetSelectedRows())
        aas.push_back(GetRowAA(nRow));
    return aas;
}

void CAAListView::DeleteSelected()
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty() || !m_pCategory)
        return;
    const std::vector<int> aas = GetSelectedAAs();
    // One pass over the category and one over the rows, so that deleting
    // every row of a large folder takes no longer than listing it.
    m_pCategory->RemoveAAs(aas);
    DeleteItems(rows);
    if (CRidaxoDoc* pDoc = ActiveDocument())
        pDoc->MarkArrangementChanged();
    ScheduleShowSelectedAA();
}

void CAAListView::SortByColumn(int nColumn)
{
    int nKey = nColumn + 1;
    if (nKey == m_nSortParam)
        nKey = -nKey;
    m_nSortParam = nKey;
    SetSortKey(nKey);
    SortItems(&CAAListView::CompareAAs, m_nSortParam);
}

void CAAListView::OnColumnClick(int nColumn)
{
    SortByColumn(nColumn);
}

wxString CAAListView::OnGetItemText(int nItem, int nColumn) const
{
    const CRidaxoDoc* pDoc = ActiveDocument();
    if (nColumn != 0 || !pDoc)
        return {};
    return ToDisplayName(pDoc->m_store.GetNameView(GetRowAA(nItem)));
}

void CAAListView::OnItemChanged(int /*nItem*/)
{
    ScheduleShowSelectedAA();
}

void CAAListView::ScheduleShowSelectedAA()
{
    // A click that moves the selection changes several rows; the text pane
    // is brought up to date once they are all in.
    if (m_bShowPending)
        return;
    m_bShowPending = true;
    CallAfter([this] {
        m_bShowPending = false;
        if (CMainFrame* pFrame = GetMainFrame())
            pFrame->ShowSelectedAA();
    });
}

std::vector<char> CAAListView::MakeDragData(int nIndex)
{
    std::vector<char> data(kDragDataSize, '\0');
    std::to_chars(data.data(), data.data() + data.size(), nIndex);
    return data;
}

void CAAListView::OnBeginDrag(const wxPoint& /*point*/)
{
    DragSelected();
}

void CAAListView::DragSelected()
{
    const int nRow = GetFirstSelectedRow();
    if (nRow < 0)
        return;
    const std::vector<char> block = MakeDragData(GetRowAA(nRow));
    wxCustomDataObject data{wxDataFormat(DragFormatName())};
    data.SetData(block.size(), block.data());

    wxDragResult nResult = wxDragNone;
    m_bDragging = true;
    if (DragHandlerSlot())
        nResult = DragHandlerSlot()(data);
    else {
        wxDropSource source(data, this);
        nResult = source.DoDragDrop(wxDrag_AllowMove);
    }
    m_bDragging = false;
    // The folder they were dropped on took them; a copy leaves them here.
    if (nResult == wxDragMove)
        DeleteSelected();
    // Dropped on the listed folder itself, they were appended to it: list
    // it anew rather than show fewer rows than it holds.
    if (m_pCategory && m_pCategory->GetAACount() != GetRowCount())
        Fill(m_pCategory);
}

void CAAListView::OnRightDown(wxMouseEvent& event)
{
    CListViewEx::OnRightDown(event);
    if (GetSelectedCount() == 0)
        return;
    std::unique_ptr<wxMenu> pMenu = LoadPopupMenu(IDR_LISTPOPUP);
    if (pMenu)
        ShowPopupMenu(*this, *pMenu, event.GetPosition());
}
