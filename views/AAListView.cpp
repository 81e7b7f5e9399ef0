#include "AAListView.h"

#include "AASearch.h"
#include "AAStore.h"
#include "ArrangementCommand.h"
#include "Bitmaps.h"
#include "Category.h"
#include "CategoryClip.h"
#include "CategoryEdit.h"
#include "DisplayText.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoError.h"
#include "TreeViewEx.h"
#include "ViewHost.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <unordered_map>

#ifdef __WXGTK3__
#include <dlfcn.h>
#endif

#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/utils.h>

namespace
{

constexpr size_t kDragDataSize = 4096;
// The most AAs a drag offers as text to other programs.
constexpr size_t kMaxDragTextAAs = 1000;

DragHandler& DragHandlerSlot()
{
    static DragHandler s_fnHandler;
    return s_fnHandler;
}

#ifdef __WXGTK3__
// Gives a drag that GTK runs its picture, hanging below and right of the
// pointer as the tree's own drag picture does. wxWidgets 3.2 hands GTK 3 a
// window it never paints, which GTK shows as an empty grey square right at
// the pointer, over the very folder the rows would go to; GTK itself takes
// a picture with a hot spot outside it. The drop source sets its own
// picture after the drag has begun, so this one follows once the drag
// runs. GTK's function is looked up at run time: the program reaches GTK
// only through wxWidgets and builds without GTK's headers.
class CGtkDragPicture
{
public:
    CGtkDragPicture(const wxDropSource& source, const wxBitmap& picture) : m_source(source), m_picture(picture)
    {
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Apply(); });
        m_timer.StartOnce(1);
    }

private:
    void Apply() const
    {
        using FSetIconPixbuf = void (*)(GdkDragContext*, GdkPixbuf*, int, int);
        static const auto s_pfnSetIconPixbuf =
            std::bit_cast<FSetIconPixbuf>(dlsym(RTLD_DEFAULT, "gtk_drag_set_icon_pixbuf"));
        if (!s_pfnSetIconPixbuf || !m_picture.IsOk() || !m_source.m_dragContext)
            return;
        const int nHotSpot = -CTreeViewEx::kDragImageOffset;
        s_pfnSetIconPixbuf(m_source.m_dragContext, m_picture.GetPixbuf(), nHotSpot, nHotSpot);
    }

    const wxDropSource& m_source;
    wxBitmap m_picture;
    // Fires in the drag's own event loop, and never once the drag is over.
    wxTimer m_timer;
};
#endif

// The open library's AAs, or null.
const CAAStore* Store()
{
    const IViewHost* pHost = GetViewHost();
    return pHost ? pHost->GetStore() : nullptr;
}

} // namespace

CDragOverride::CDragOverride(DragHandler fnHandler) : CScopedOverride(DragHandlerSlot(), std::move(fnHandler)) {}

CAAListView::CAAListView(wxWindow* pParent) : CListViewEx(pParent, LXS_SHOWSELALWAYS)
{
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { DeleteSelected(); }, ID_AA_DELETE);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CopySelectedText(); }, ID_AA_COPY);
    // Search results belong to no folder they could be deleted from.
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(m_pCategory && GetSelectedCount() > 0); },
        ID_AA_DELETE);
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
    m_bResults = false;
    if (!pCategory) {
        DeleteAllItems();
        ScheduleShowSelectedAA();
        return;
    }
    FillRows(pCategory->GetAAList());
}

void CAAListView::ShowResults(const std::vector<int>& aas)
{
    m_pCategory = nullptr;
    m_bResults = true;
    FillRows(aas);
}

void CAAListView::FillRows(std::vector<int> aaList)
{
    DeleteAllItems();
    // Each row holds its AA index; its name is asked for when it is shown.
    // The indices are put in order here, where comparing them is cheap, so
    // the list's own sort below finds them in order already.
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
    m_bResults = false;
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
    if (rows.empty() || !m_pCategory || !GetViewHost())
        return;
    // One pass over the category and one over the rows, so that deleting
    // every row of a large folder takes no longer than listing it.
    SubmitStep(new CRemoveAAsCommand(*m_pCategory, GetSelectedAAs()));
    DeleteItems(rows);
    ScheduleShowSelectedAA();
}

void CAAListView::SelectAAs(const std::vector<int>& aas)
{
    SetItemState(-1, 0, LXIS_SELECTED);
    std::unordered_map<int, int> wanted;
    for (int nIndex : aas)
        ++wanted[nIndex];
    int nFirst = -1;
    for (int nRow = 0; nRow < GetRowCount() && !wanted.empty(); ++nRow) {
        const auto it = wanted.find(GetRowAA(nRow));
        if (it == wanted.end())
            continue;
        SetItemState(nRow, LXIS_SELECTED, LXIS_SELECTED);
        if (nFirst < 0)
            nFirst = nRow;
        if (--it->second == 0)
            wanted.erase(it);
    }
    if (nFirst >= 0) {
        SetItemState(nFirst, LXIS_FOCUSED, LXIS_FOCUSED);
        EnsureVisible(nFirst);
    }
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
    const CAAStore* pStore = Store();
    if (nColumn != 0 || !pStore)
        return {};
    return ToDisplayName(pStore->GetNameView(GetRowAA(nItem)), pStore->ResolvesReferences());
}

int CAAListView::FindRowStartingWith(const wxString& strPrefix, int nFirst) const
{
    const CAAStore* pStore = Store();
    const std::optional<CSearchText> text = CSearchText::FromUtf8(strPrefix.utf8_string());
    if (!pStore || !text)
        return -1;
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; ++i) {
        const int nItem = (nFirst + i) % nCount;
        if (text->StartsIn(pStore->GetNameView(GetRowAA(nItem))))
            return nItem;
    }
    return -1;
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
        if (IViewHost* pHost = GetViewHost())
            pHost->ShowSelectedAA();
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
    auto* pCustom = new wxCustomDataObject(wxDataFormat(DragFormatName()));
    pCustom->SetData(block.size(), block.data());
    // Other programs take the bodies as text; Ridaxo's own folders take the
    // custom format. A drag of more AAs than anyone pastes at once offers
    // no text: reading every body before the drag could begin would hold
    // the pointer still.
    wxDataObjectComposite data;
    const std::vector<int> aas = GetSelectedAAs();
    if (aas.size() <= kMaxDragTextAAs) {
        const std::optional<wxString> text = ReadBodiesText(aas);
        if (!text)
            return;
        data.Add(new wxTextDataObject(*text), true);
    }
    data.Add(pCustom);

    wxDragResult nResult = wxDragNone;
    m_bDragging = true;
    m_bRowsMoved = false;
    if (DragHandlerSlot()) {
        nResult = DragHandlerSlot()(data);
    } else {
        wxDropSource source(data, this);
#ifdef __WXGTK3__
        const CGtkDragPicture picture(source, MakeRowsPicture());
#endif
        nResult = source.DoDragDrop(m_pCategory ? wxDrag_AllowMove : wxDrag_CopyOnly);
    }
    m_bDragging = false;
    // The folder they were dropped on took them; a copy leaves them here.
    // Another program that moved them took only their text: they leave
    // the folder here, as a step of their own.
    if (nResult == wxDragMove && m_bRowsMoved)
        DeleteItems(GetSelectedRows());
    else if (nResult == wxDragMove)
        DeleteSelected();
    m_bRowsMoved = false;
    // Dropped on the listed folder itself, they were appended to it: list
    // it anew rather than show fewer rows than it holds.
    if (m_pCategory && m_pCategory->GetAACount() != GetRowCount())
        Fill(m_pCategory);
}

wxBitmap CAAListView::MakeRowsPicture() const
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty())
        return wxNullBitmap;
    const wxString strSuffix =
        rows.size() > 1 ? wxString::Format(U8(" …他 %d 件"), static_cast<int>(rows.size() - 1)) : wxString();
    return MakeDragPicture(*this, GetItemText(rows.front()), strSuffix, LoadBitmap(EBitmap::Smile));
}

void CAAListView::OnRightDown(wxMouseEvent& event)
{
    CListViewEx::OnRightDown(event);
    if (GetSelectedCount() > 0)
        ShowPopupMenu(*this, IDR_LISTPOPUP, event.GetPosition());
}

void CAAListView::OnKeyDown(wxKeyEvent& event)
{
    const int nKeyCode = event.GetKeyCode();
    if (nKeyCode == WXK_MENU || (nKeyCode == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT)) {
        // The popup opens at the selected rows, wherever the pointer is: at
        // the bottom of the focused row when it is one of them, so that its
        // name stays in sight. Without a selection its one command has
        // nothing to act on, as after a right click on no row.
        int nRow = GetNextItem(-1, LXNI_FOCUSED);
        if (nRow < 0 || !GetItemState(nRow, LXIS_SELECTED))
            nRow = GetFirstSelectedRow();
        wxRect rect;
        if (nRow >= 0) {
            EnsureVisible(nRow);
            if (GetCellRect(nRow, 0, LXIR_LABEL, rect))
                ShowPopupMenu(*this, IDR_LISTPOPUP, wxPoint(rect.x + rect.height / 2, rect.GetBottom()));
        }
        return;
    }
    if ((nKeyCode == WXK_DELETE || nKeyCode == WXK_NUMPAD_DELETE) && !event.HasAnyModifiers()) {
        // The same command the popup gives.
        wxCommandEvent command(wxEVT_MENU, ID_AA_DELETE);
        command.SetEventObject(this);
        ProcessWindowEvent(command);
        return;
    }
    CListViewEx::OnKeyDown(event);
}

void CAAListView::OnItemActivated(int nItem)
{
    // Enter on the focused row shows its AA: it becomes the selection when
    // it is not part of it.
    if (!GetItemState(nItem, LXIS_SELECTED))
        SelectOnly(nItem);
    CListViewEx::OnItemActivated(nItem);
}

void CAAListView::CopySelectedText()
{
    if (GetSelectedCount() == 0)
        return;
    CopyTextToClipboard(GetSelectedAAs());
}

bool CAAListView::CanMarkSelected() const
{
    return m_pCategory && GetSelectedCount() > 0;
}

void CAAListView::MarkSelected(bool bCut)
{
    IViewHost* pHost = GetViewHost();
    CCategoryClip* pClip = pHost ? pHost->GetClip() : nullptr;
    if (!pClip || !CanMarkSelected())
        return;
    std::vector<int> aas = GetSelectedAAs();
    CopyTextToClipboard(aas);
    pClip->MarkAAs(*m_pCategory, std::move(aas), bCut);
}

void CAAListView::CopyTextToClipboard(const std::vector<int>& aas)
{
    const std::optional<wxString> text = ReadBodiesText(aas);
    if (!text)
        return;
    wxClipboardLocker locker;
    if (!locker) {
        RidaxoMessageBox(U8("クリップボードを開けませんでした。"), wxOK | wxICON_EXCLAMATION, this);
        return;
    }
    wxTheClipboard->SetData(new wxTextDataObject(*text));
    // The text stays on the clipboard after Ridaxo closes, where the
    // desktop keeps clipboards.
    wxTheClipboard->Flush();
}

std::optional<wxString> CAAListView::ReadBodiesText(const std::vector<int>& aas)
{
    const IViewHost* pHost = GetViewHost();
    const CAAStore* pStore = pHost ? pHost->GetStore() : nullptr;
    if (!pStore)
        return std::nullopt;
    // The AAs may no longer begin where the store says: what lies there now
    // is no text of theirs.
    if (pHost->HasUnansweredTextFileChange()) {
        RidaxoMessageBox(
            U8("読み込んだ後で AA テキストファイルが変更されたため、AA のテキストはクリップボードに入れませんでした。"),
            wxOK | wxICON_EXCLAMATION, this);
        return std::nullopt;
    }
    std::string strText;
    try {
        // Every body is read from the AA text file again.
        wxBusyCursor busy;
        for (size_t i = 0; i < aas.size(); ++i) {
            if (i > 0)
                strText += "\r\n";
            strText += pStore->GetText(aas[i]);
        }
    } catch (const CRidaxoError& error) {
        ShowRidaxoError(U8("AA テキストファイルを読めません。"), error);
        return std::nullopt;
    }
    wxString strDisplay = ToDisplay(strText, pStore->ResolvesReferences());
    // The clipboard and other programs take LF line ends and give each
    // platform its own.
    strDisplay.Replace("\r\n", "\n");
    return strDisplay;
}
