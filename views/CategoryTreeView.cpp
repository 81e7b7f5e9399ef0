#include "CategoryTreeView.h"

#include "AAListView.h"
#include "ArrangementCommand.h"
#include "Bitmaps.h"
#include "Category.h"
#include "CategoryClip.h"
#include "CategoryEdit.h"
#include "DisplayText.h"
#include "Prompt.h"
#include "Resources.h"
#include "ViewHost.h"

#include <wx/dnd.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace
{
enum : int
{
    kImageClosed = 0,
    kImageOpen = 1,
};

const char* const kNewFolderName = "(新規)";

// Inserts categories as tree items, each carrying its category: the first
// one at nFirstPos among its siblings (negative: last), the others last.
class CTreeInserter : public ICategoryTreeSink
{
public:
    explicit CTreeInserter(wxTreeCtrlBase& tree, int nFirstPos = -1) : m_tree(tree), m_nFirstPos(nFirstPos) {}

    void* InsertItem(void* hParent, CCategory& category) override
    {
        const wxString strName = ToDisplayName(category.GetNameRef());
        auto* pData = new CTreeItemParam(&category);
        const int nPos = std::exchange(m_nFirstPos, -1);
        wxTreeItemId item;
        if (!hParent)
            item = m_tree.AddRoot(strName, kImageClosed, kImageOpen, pData);
        else if (nPos >= 0)
            item = m_tree.InsertItem(wxTreeItemId(hParent), static_cast<size_t>(nPos), strName, kImageClosed,
                                     kImageOpen, pData);
        else
            item = m_tree.AppendItem(wxTreeItemId(hParent), strName, kImageClosed, kImageOpen, pData);
        return item.GetID();
    }

private:
    wxTreeCtrlBase& m_tree;
    int m_nFirstPos;
};

// Takes AAs dragged from the list. The platform refuses data of any other
// format before it asks this target; which AAs are meant is read from the
// list's selection, not from the data.
class CAADropTarget : public wxDropTarget
{
public:
    explicit CAADropTarget(CCategoryTreeView& tree)
        : wxDropTarget(new wxCustomDataObject(wxDataFormat(CAAListView::DragFormatName()))), m_tree(tree)
    {}

    wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult def) override { return OnDragOver(x, y, def); }
    wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult /*def*/) override
    {
        return m_tree.OnAADragOver(wxPoint(x, y), wxGetKeyState(WXK_CONTROL));
    }
    void OnLeave() override { m_tree.OnAADragLeave(); }
    bool OnDrop(wxCoord x, wxCoord y) override { return m_tree.OnAADrop(wxPoint(x, y)); }
    // The AAs were taken in OnDrop; the effect is what that did.
    wxDragResult OnData(wxCoord /*x*/, wxCoord /*y*/, wxDragResult /*def*/) override
    {
        return m_tree.GetAADropResult();
    }

private:
    CCategoryTreeView& m_tree;
};

CAAListView* ListView()
{
    IViewHost* pHost = GetViewHost();
    return pHost ? pHost->GetListView() : nullptr;
}

// The mark of a cut or copy, or null while no document is open.
CCategoryClip* Clip()
{
    IViewHost* pHost = GetViewHost();
    return pHost ? pHost->GetClip() : nullptr;
}

void ShowCategory()
{
    if (IViewHost* pHost = GetViewHost())
        pHost->ShowCategory();
}

} // namespace

CCategoryTreeView::CCategoryTreeView(wxWindow* pParent)
    : CTreeViewEx(pParent, wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_EDIT_LABELS | wxTR_SINGLE)
{
    auto* pImages = new wxImageList(16, 16, true, 3);
    pImages->Add(LoadBitmap(EBitmap::FolderClosed));
    pImages->Add(LoadBitmap(EBitmap::FolderOpen));
    pImages->Add(LoadBitmap(EBitmap::Smile));
    AssignImageList(pImages);
    // A folder dropped on another always becomes its last child.
    m_bKeepDepth = false;
    SetDropTarget(new CAADropTarget(*this));

    Bind(wxEVT_TREE_SEL_CHANGED, &CCategoryTreeView::OnSelChanged, this);
    Bind(wxEVT_TREE_END_LABEL_EDIT, &CCategoryTreeView::OnEndLabelEdit, this);
    Bind(wxEVT_RIGHT_DOWN, &CCategoryTreeView::OnRightDown, this);
    Bind(wxEVT_KEY_DOWN, &CCategoryTreeView::OnKeyDown, this);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { AddFolder(); }, ID_FOLDER_ADD);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { DeleteFolder(); }, ID_FOLDER_DELETE);
}

CCategoryTreeView::~CCategoryTreeView()
{
    // The items go while this object can still hear of them; the categories
    // belong to the document and stay.
    DeleteAllItems();
}

void CCategoryTreeView::RebuildTree()
{
    IViewHost* pHost = GetViewHost();
    CCategory* pRoot = pHost ? pHost->GetRootCategory() : nullptr;
    DeleteAllItems();
    if (!pRoot)
        return;
    CTreeInserter inserter(*this);
    pRoot->FillTree(inserter, nullptr);
}

CCategory* CCategoryTreeView::GetItemCategory(const wxTreeItemId& item) const
{
    return static_cast<CCategory*>(GetItemParam(item));
}

void CCategoryTreeView::OnSelChanged(wxTreeEvent& /*event*/)
{
    if (m_bQuietSelect)
        return;
    ShowCategory();
}

void CCategoryTreeView::OnEndLabelEdit(wxTreeEvent& event)
{
    if (event.IsEditCancelled())
        return;
    CCategory* pCategory = GetItemCategory(event.GetItem());
    const wxString strLabel = event.GetLabel();
    if (!pCategory || strLabel.empty()) {
        event.Veto();
        return;
    }
    // Names are kept in code page 932; a name it cannot hold would be saved
    // wrong, so it is refused and the folder keeps its name.
    std::optional<std::string> strName = FromDisplay(strLabel);
    if (!strName) {
        event.Veto();
        RidaxoMessageBox(U8("この名前には Shift-JIS で表せない文字が含まれています。別の名前を入力してください。"),
                         wxOK | wxICON_EXCLAMATION, this);
        // The message asks for another name: the editor opens again on
        // what was typed, to be corrected rather than typed anew. The
        // editor closes only after this event, so it opens afterwards; the
        // folder edited is the selected one, unless the user moved on.
        const wxTreeItemId item = event.GetItem();
        CallAfter([this, item, strLabel] {
            if (GetSelection() != item || GetEditControl())
                return;
            if (wxTextCtrl* pEdit = EditLabel(item)) {
                pEdit->SetValue(strLabel);
                pEdit->SetInsertionPointEnd();
            }
        });
        return;
    }
    if (*strName == pCategory->GetNameRef())
        return;
    SubmitStep(new CRenameFolderCommand(*pCategory, std::move(*strName)));
}

void CCategoryTreeView::SelectAt(const wxPoint& point)
{
    int nFlags = 0;
    const wxTreeItemId item = HitTest(point, nFlags);
    if (item.IsOk()) {
        SelectItem(item);
        return;
    }
    // The tree tells no one when its selection is cleared.
    Unselect();
    ShowCategory();
}

void CCategoryTreeView::OnRightDown(wxMouseEvent& event)
{
    SelectAt(event.GetPosition());
    ShowPopupMenu(*this, IDR_TREEPOPUP, event.GetPosition());
}

void CCategoryTreeView::OnKeyDown(wxKeyEvent& event)
{
    // Keys reach the tree only while it has the focus itself, never while
    // a label is being edited: the editor takes them then.
    const int nKeyCode = event.GetKeyCode();
    const wxTreeItemId item = GetSelection();
    if (nKeyCode == WXK_MENU || (nKeyCode == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT)) {
        // The popup opens at the selected folder, wherever the pointer is,
        // below the start of its label so that the label stays in sight;
        // with nothing selected at the top left, as a right click on empty
        // space offers it too.
        wxPoint point(0, 0);
        wxRect rect;
        if (item.IsOk()) {
            EnsureVisible(item);
            if (GetBoundingRect(item, rect, true))
                point = wxPoint(rect.x + rect.height / 2, rect.GetBottom());
        }
        ShowPopupMenu(*this, IDR_TREEPOPUP, point);
        return;
    }
    if (event.HasAnyModifiers() || GetEditControl()) {
        event.Skip();
        return;
    }
    switch (nKeyCode) {
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE: {
        // The same command the popup gives.
        wxCommandEvent command(wxEVT_MENU, ID_FOLDER_DELETE);
        command.SetEventObject(this);
        ProcessWindowEvent(command);
        return;
    }
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        // Selecting the folder listed it already; Enter opens or closes it.
        if (item.IsOk()) {
            if (ItemHasChildren(item))
                Toggle(item);
            return;
        }
        break;
    default:
        break;
    }
    event.Skip();
}

bool CCategoryTreeView::CanMarkSelected() const
{
    const CCategory* pCategory = GetItemCategory(GetSelection());
    return pCategory && pCategory->GetParent();
}

void CCategoryTreeView::MarkSelected(bool bCut)
{
    CCategoryClip* pClip = Clip();
    if (pClip && CanMarkSelected())
        pClip->MarkFolder(*GetItemCategory(GetSelection()), bCut);
}

bool CCategoryTreeView::CanPaste() const
{
    const CCategoryClip* pClip = Clip();
    return pClip && pClip->CheckPaste(GetItemCategory(GetSelection())) != CCategoryClip::EPaste::Nothing;
}

void CCategoryTreeView::Paste()
{
    CCategoryClip* pClip = Clip();
    const wxTreeItemId hTarget = GetSelection();
    CCategory* pTarget = GetItemCategory(hTarget);
    if (!pClip || !pTarget)
        return;
    CCategoryClip& clip = *pClip;
    switch (clip.CheckPaste(pTarget)) {
    case CCategoryClip::EPaste::Nothing:
        return;
    case CCategoryClip::EPaste::IntoOwnBranch:
        RidaxoMessageBox(U8("フォルダは、そのフォルダ自身やその下のフォルダには貼り付けられません。"),
                         wxOK | wxICON_EXCLAMATION, this);
        return;
    case CCategoryClip::EPaste::Allowed:
        break;
    }
    if (clip.GetKind() == CCategoryClip::EKind::AAs) {
        const bool bCut = clip.IsCut();
        std::unique_ptr<CCategoryEdit> pPaste = clip.MakeAAsPaste(*pTarget);
        if (!pPaste)
            return;
        SubmitStep(new CDropAAsCommand(bCut, std::move(pPaste)));
        // The target is the selected folder, so it is the one listed.
        if (CAAListView* pList = ListView(); pList && pList->GetCategory() == pTarget)
            pList->Fill(pTarget);
        return;
    }
    // A cut folder moves, the same folder with its branch, and the mark
    // is done; a copied one is copied as often as it is pasted.
    const wxTreeItemId hSource = FindCategoryItem(clip.GetFolder());
    if (!hSource.IsOk())
        return;
    const bool bCut = clip.IsCut();
    const wxTreeItemId hNewItem =
        bCut ? MoveSubtree(hSource, hTarget, wxTreeItemId()) : CopySubtree(hSource, hTarget, wxTreeItemId());
    if (bCut)
        clip.Clear();
    if (!hNewItem.IsOk())
        return;
    Expand(hTarget);
    SelectItem(hNewItem);
    EnsureVisible(hNewItem);
}

wxTreeItemId CCategoryTreeView::FindCategoryItem(const CCategory* pCategory) const
{
    // Down from the top item along the folders above pCategory, each
    // looked for among its parent's children only.
    std::vector<const CCategory*> path;
    for (const CCategory* pUp = pCategory; pUp; pUp = pUp->GetParent())
        path.push_back(pUp);
    wxTreeItemId item = GetRootItem();
    if (path.empty() || !item.IsOk() || GetItemCategory(item) != path.back())
        return {};
    for (auto it = path.rbegin() + 1; it != path.rend(); ++it) {
        wxTreeItemIdValue cookie;
        wxTreeItemId child = GetFirstChild(item, cookie);
        while (child.IsOk() && GetItemCategory(child) != *it)
            child = GetNextChild(item, cookie);
        if (!child.IsOk())
            return {};
        item = child;
    }
    return item;
}

void CCategoryTreeView::ShowChildrenOf(const CCategory& parent)
{
    const wxTreeItemId hParent = FindCategoryItem(&parent);
    if (!hParent.IsOk())
        return;
    // The top folder lost every sub-folder: their items go at once, rather
    // than one by one from the front.
    if (parent.GetChildCount() == 0) {
        DeleteChildren(hParent);
        return;
    }
    // One pass over the items and one over the sub-folders, so that a step
    // under a parent of many thousands of folders costs no more than
    // listing them. A step adds, removes or moves one folder: the items of
    // the others stay, and keep whatever is open below them. Those in front
    // of the change, most of them as a rule, are only walked past.
    const int nCount = parent.GetChildCount();
    int nSame = 0;
    wxTreeItemIdValue cookie;
    wxTreeItemId child = GetFirstChild(hParent, cookie);
    while (child.IsOk() && nSame < nCount && GetItemCategory(child) == parent.GetChildAt(nSame)) {
        ++nSame;
        child = GetNextChild(hParent, cookie);
    }
    std::unordered_map<const CCategory*, int> children;
    for (int i = nSame; i < nCount; ++i)
        children.emplace(parent.GetChildAt(i), i);
    std::vector<std::pair<wxTreeItemId, const CCategory*>> items;
    std::unordered_map<const CCategory*, std::size_t> itemOf;
    std::vector<wxTreeItemId> gone;
    for (; child.IsOk(); child = GetNextChild(hParent, cookie)) {
        const CCategory* pCategory = GetItemCategory(child);
        if (children.count(pCategory) == 0) {
            gone.push_back(child);
            continue;
        }
        itemOf.emplace(pCategory, items.size());
        items.emplace_back(child, pCategory);
    }
    for (const wxTreeItemId& item : gone)
        Delete(item);

    const auto deleteItem = [this, &items](std::size_t nItem) {
        Delete(items[nItem].first);
        items[nItem].first = wxTreeItemId();
    };
    std::size_t nNext = 0;
    for (int i = nSame; i < nCount; ++i) {
        CCategory* pChild = parent.GetChildAt(i);
        while (nNext < items.size() && !items[nNext].first.IsOk())
            ++nNext;
        if (nNext < items.size() && items[nNext].second == pChild) {
            ++nNext;
            continue;
        }
        // The next item's folder moved down past this one: it goes, and is
        // inserted anew where it stands now.
        if (nNext + 1 < items.size() && items[nNext + 1].first.IsOk() && items[nNext + 1].second == pChild) {
            deleteItem(nNext);
            nNext += 2;
            continue;
        }
        // This folder came in, or moved up from further down.
        if (const auto it = itemOf.find(pChild); it != itemOf.end() && items[it->second].first.IsOk())
            deleteItem(it->second);
        CTreeInserter inserter(*this, i);
        pChild->FillTree(inserter, hParent.GetID());
    }
    for (; nNext < items.size(); ++nNext) {
        if (items[nNext].first.IsOk())
            deleteItem(nNext);
    }
}

void CCategoryTreeView::ShowName(const CCategory& category)
{
    const wxTreeItemId item = FindCategoryItem(&category);
    if (item.IsOk())
        SetItemText(item, ToDisplayName(category.GetNameRef()));
}

void CCategoryTreeView::SelectCategory(const CCategory* pCategory)
{
    const wxTreeItemId item = FindCategoryItem(pCategory);
    if (!item.IsOk()) {
        Unselect();
        return;
    }
    const bool bQuiet = std::exchange(m_bQuietSelect, true);
    EnsureVisible(item);
    SelectItem(item);
    m_bQuietSelect = bQuiet;
}

void CCategoryTreeView::AddFolder()
{
    const wxTreeItemId item = GetSelection();
    CCategory* pCategory = GetItemCategory(item);
    if (!pCategory)
        return;
    const CAddFolderCommand* pAdd =
        SubmitStep(new CAddFolderCommand(*pCategory, FromDisplay(U8(kNewFolderName)).value_or(std::string())));
    if (!pAdd)
        return;
    const wxTreeItemId hNewItem = FindCategoryItem(pAdd->GetFolder());
    if (!hNewItem.IsOk())
        return;
    SelectItem(hNewItem);
    EnsureVisible(hNewItem);
    // The user names the new folder at once. The editor opens once the
    // popup menu that chose this command has closed: the focus going back
    // from the menu would otherwise end the edit as soon as it began.
    CallAfter([this, hNewItem] {
        if (GetSelection() == hNewItem && !GetEditControl())
            EditLabel(hNewItem);
    });
}

void CCategoryTreeView::DeleteFolder()
{
    const wxTreeItemId item = GetSelection();
    if (!item.IsOk())
        return;
    const wxTreeItemId hParent = GetItemParent(item);
    DeleteItem(item);
    // The folder above takes the selection, so the list shows a folder
    // that still exists; the top folder, which stays with its AAs, keeps
    // it and is listed anew.
    if (hParent.IsOk())
        SelectItem(hParent);
    else
        ShowCategory();
}

void CCategoryTreeView::DeleteItem(const wxTreeItemId& item)
{
    // The top folder is the file's own: it keeps its name and its AAs and
    // loses its sub-folders, on screen as in the file.
    CCategory* pCategory = GetItemCategory(item);
    if (!pCategory || (!pCategory->GetParent() && pCategory->GetChildCount() == 0))
        return;
    SubmitStep(new CDeleteFolderCommand(*pCategory));
}

int CCategoryTreeView::GetInsertPos(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                    const wxTreeItemId& hInsertAfter) const
{
    const CCategory* pAfter = GetItemCategory(hInsertAfter);
    const CCategory* pNewParent = GetItemCategory(hNewParent);
    if (!pAfter || !pNewParent)
        return -1;
    // Counted among the other children: a folder moving down its own
    // parent leaves a gap before the place it goes to.
    const CCategory* pFolder = GetItemCategory(item);
    const int nFolderPos = pNewParent->GetChildPos(pFolder);
    const int nAfterPos = pNewParent->GetChildPos(pAfter);
    return nAfterPos + 1 - (nFolderPos >= 0 && nFolderPos < nAfterPos ? 1 : 0);
}

wxTreeItemId CCategoryTreeView::CopySubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                            const wxTreeItemId& hInsertAfter)
{
    const CCategory* pSource = GetItemCategory(item);
    CCategory* pNewParent = GetItemCategory(hNewParent);
    if (!pSource || !pNewParent)
        return {};
    const CCopyFolderCommand* pCopy = SubmitStep(
        new CCopyFolderCommand(*pSource, *pNewParent, GetInsertPos(wxTreeItemId(), hNewParent, hInsertAfter)));
    return pCopy ? FindCategoryItem(pCopy->GetCopy()) : wxTreeItemId();
}

wxTreeItemId CCategoryTreeView::MoveSubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                            const wxTreeItemId& hInsertAfter)
{
    CCategory* pFolder = GetItemCategory(item);
    CCategory* pNewParent = GetItemCategory(hNewParent);
    // The top folder goes nowhere, and no folder into its own branch.
    if (!pFolder || !pFolder->GetParent() || !pNewParent || IsInBranch(*pNewParent, *pFolder))
        return {};
    const int nPos = GetInsertPos(item, hNewParent, hInsertAfter);
    // Where it is already: no step, the same item.
    const int nLast = pNewParent->GetChildCount() - 1;
    if (pFolder->GetParent() == pNewParent && pNewParent->GetChildPos(pFolder) == (nPos < 0 ? nLast : nPos))
        return item;
    SubmitStep(new CMoveFolderCommand(*pFolder, *pNewParent, nPos));
    return FindCategoryItem(pFolder);
}

wxDragResult CCategoryTreeView::OnAADragOver(const wxPoint& point, bool bCopy)
{
    const CAAListView* pList = ListView();
    int nFlags = 0;
    const wxTreeItemId item = HitTest(point, nFlags);
    // Another running copy of the program offers the same format, but its
    // AAs are not this window's: only drags from this list are taken.
    if (!pList || !pList->IsDraggingRows() || !item.IsOk()) {
        SetDropHighlight(wxTreeItemId());
        m_nDropResult = wxDragNone;
        return m_nDropResult;
    }
    SetDropHighlight(item);
    // Search results have no folder to be moved out of.
    m_nDropResult = bCopy || !pList->GetCategory() ? wxDragCopy : wxDragMove;
    return m_nDropResult;
}

void CCategoryTreeView::OnAADragLeave()
{
    SetDropHighlight(wxTreeItemId());
}

bool CCategoryTreeView::OnAADrop(const wxPoint& point)
{
    SetDropHighlight(wxTreeItemId());
    CAAListView* pList = ListView();
    int nFlags = 0;
    CCategory* pTarget = GetItemCategory(HitTest(point, nFlags));
    const bool bMove = std::exchange(m_nDropResult, wxDragNone) == wxDragMove;
    if (!pList || !pList->IsDraggingRows() || !pTarget)
        return false;
    std::vector<int> aas = pList->GetSelectedAAs();
    if (aas.empty())
        return false;
    CCategory* pFrom = bMove ? pList->GetCategory() : nullptr;
    SubmitStep(new CDropAAsCommand(pFrom, *pTarget, std::move(aas)));
    if (pFrom)
        pList->SetDraggedRowsMoved();
    m_nDropResult = pFrom ? wxDragMove : wxDragCopy;
    return true;
}
