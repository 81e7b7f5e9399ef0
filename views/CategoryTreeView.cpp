#include "CategoryTreeView.h"

#include "AAListView.h"
#include "Bitmaps.h"
#include "Category.h"
#include "DisplayText.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"

#include <wx/dnd.h>
#include <wx/imaglist.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <utility>

namespace
{
enum : int
{
    kImageClosed = 0,
    kImageOpen = 1,
};

const char* const kNewFolderName = "(新規)";

// Inserts categories as tree items, each carrying its category.
class CTreeInserter : public ICategoryTreeSink
{
public:
    explicit CTreeInserter(wxTreeCtrlBase& tree) : m_tree(tree) {}

    void* InsertItem(void* hParent, CCategory& category) override
    {
        const wxString strName = ToDisplayName(category.GetNameRef());
        auto* pData = new CTreeItemParam(&category);
        const wxTreeItemId item =
            hParent ? m_tree.AppendItem(wxTreeItemId(hParent), strName, kImageClosed, kImageOpen, pData)
                    : m_tree.AddRoot(strName, kImageClosed, kImageOpen, pData);
        return item.GetID();
    }

private:
    wxTreeCtrlBase& m_tree;
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
    // The AAs were taken in OnDrop; the effect is the one the last move
    // showed, which tells the list whether to let them go.
    wxDragResult OnData(wxCoord /*x*/, wxCoord /*y*/, wxDragResult def) override { return def; }

private:
    CCategoryTreeView& m_tree;
};

CAAListView* ListView()
{
    const CMainFrame* pFrame = GetMainFrame();
    return pFrame ? pFrame->GetListView() : nullptr;
}

CRidaxoDoc* ActiveDocument()
{
    const CMainFrame* pFrame = GetMainFrame();
    return pFrame ? pFrame->GetActiveDocument() : nullptr;
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
    Bind(wxEVT_TREE_DELETE_ITEM, &CCategoryTreeView::OnDeleteItemEvent, this);
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
    CMainFrame* pFrame = GetMainFrame();
    CRidaxoDoc* pDoc = pFrame ? pFrame->GetActiveDocument() : nullptr;
    DeleteAllItems();
    if (!pDoc)
        return;
    CTreeInserter inserter(*this);
    pDoc->m_model.GetRoot().FillTree(inserter, nullptr);
}

CCategory* CCategoryTreeView::GetItemCategory(const wxTreeItemId& item) const
{
    return static_cast<CCategory*>(GetItemParam(item));
}

void CCategoryTreeView::OnSelChanged(wxTreeEvent& /*event*/)
{
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->ShowCategory();
}

void CCategoryTreeView::MarkChanged()
{
    if (CRidaxoDoc* pDoc = ActiveDocument())
        pDoc->MarkArrangementChanged();
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
    pCategory->SetName(std::move(*strName));
    MarkChanged();
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
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->ShowCategory();
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
    CRidaxoDoc* pDoc = ActiveDocument();
    if (pDoc && CanMarkSelected())
        pDoc->m_clip.MarkFolder(*GetItemCategory(GetSelection()), bCut);
}

bool CCategoryTreeView::CanPaste() const
{
    const CRidaxoDoc* pDoc = ActiveDocument();
    return pDoc && pDoc->m_clip.CheckPaste(GetItemCategory(GetSelection())) != CCategoryClip::EPaste::Nothing;
}

void CCategoryTreeView::Paste()
{
    CRidaxoDoc* pDoc = ActiveDocument();
    const wxTreeItemId hTarget = GetSelection();
    CCategory* pTarget = GetItemCategory(hTarget);
    if (!pDoc || !pTarget)
        return;
    CCategoryClip& clip = pDoc->m_clip;
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
        if (!clip.PasteAAs(*pTarget))
            return;
        MarkChanged();
        // The target is the selected folder, so it is the one listed.
        if (CAAListView* pList = ListView(); pList && pList->GetCategory() == pTarget)
            pList->Fill(pTarget);
        return;
    }
    // A folder goes as a drag takes it, through the tree's items, so the
    // tree and the model stay one; a cut folder's old branch is deleted,
    // which drops the mark.
    const wxTreeItemId hSource = FindCategoryItem(clip.GetFolder());
    if (!hSource.IsOk())
        return;
    const wxTreeItemId hNewItem =
        clip.IsCut() ? MoveSubtree(hSource, hTarget, wxTreeItemId()) : CopySubtree(hSource, hTarget, wxTreeItemId());
    if (!hNewItem.IsOk())
        return;
    Expand(hTarget);
    SelectItem(hNewItem);
    EnsureVisible(hNewItem);
}

wxTreeItemId CCategoryTreeView::FindCategoryItem(const CCategory* pCategory) const
{
    // Walked with a stack of its own: a deep tree must not exhaust the
    // call stack.
    std::vector<wxTreeItemId> pending;
    if (GetRootItem().IsOk())
        pending.push_back(GetRootItem());
    while (!pending.empty()) {
        const wxTreeItemId item = pending.back();
        pending.pop_back();
        if (GetItemCategory(item) == pCategory)
            return item;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk(); child = GetNextChild(item, cookie))
            pending.push_back(child);
    }
    return {};
}

void CCategoryTreeView::AddFolder()
{
    const wxTreeItemId item = GetSelection();
    CCategory* pCategory = GetItemCategory(item);
    if (!pCategory)
        return;
    CCategory* pChild = pCategory->AddChild(FromDisplay(U8(kNewFolderName)).value_or(std::string()));
    const wxTreeItemId hNewItem =
        AppendItem(item, ToDisplayName(pChild->GetNameRef()), kImageClosed, kImageOpen, new CTreeItemParam(pChild));
    MarkChanged();
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
    if (!hParent.IsOk()) {
        // The top folder is the file's own: it keeps its name and its AAs
        // and loses its sub-folders, on screen as in the file.
        DeleteItemsAndCategories([this, &item] { DeleteChildren(item); });
        if (CMainFrame* pFrame = GetMainFrame())
            pFrame->ShowCategory();
        return;
    }
    DeleteItem(item);
    // The folder above takes the selection, so the list shows a folder
    // that still exists.
    SelectItem(hParent);
}

void CCategoryTreeView::OnDeleteItemEvent(wxTreeEvent& event)
{
    if (m_pDeleted) {
        if (CCategory* pCategory = GetItemCategory(event.GetItem()))
            m_pDeleted->push_back(pCategory);
    }
    event.Skip();
}

void CCategoryTreeView::DeleteItem(const wxTreeItemId& item)
{
    DeleteItemsAndCategories([this, &item] { CTreeViewEx::DeleteItem(item); });
}

void CCategoryTreeView::DeleteItemsAndCategories(const std::function<void()>& fnDelete)
{
    // The tree reports every item of the branch, in an order of its own;
    // the categories are destroyed together once it has finished, each
    // exactly once.
    std::vector<CCategory*> deleted;
    std::vector<CCategory*>* pOuter = std::exchange(m_pDeleted, &deleted);
    fnDelete();
    m_pDeleted = pOuter;
    if (deleted.empty())
        return;
    // The list must not keep showing a category about to go.
    CAAListView* pList = ListView();
    if (pList && std::find(deleted.begin(), deleted.end(), pList->GetCategory()) != deleted.end()) {
        pList->Clear();
        if (CMainFrame* pFrame = GetMainFrame())
            pFrame->ShowCategory();
    }
    // Nothing marked for a paste may point at a category that goes.
    if (CRidaxoDoc* pDoc = ActiveDocument())
        pDoc->m_clip.Forget(deleted);
    CCategory::RemoveCategories(deleted);
    MarkChanged();
}

bool CCategoryTreeView::CanCopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                    const wxTreeItemId& /*hInsertAfter*/)
{
    return GetItemCategory(item) && GetItemCategory(hNewParent);
}

bool CCategoryTreeView::OnItemCopied(const wxTreeItemId& hNewItem, const wxTreeItemId& hOldItem,
                                     const wxTreeItemId& hNewParent, const wxTreeItemId& /*hInsertAfter*/)
{
    // The copied item still carries the old category, which goes when the
    // old item is deleted; it must carry its own copy, or none.
    CCategory* pSource = GetItemCategory(hOldItem);
    CCategory* pNewParent = GetItemCategory(hNewParent);
    if (!pSource || !pNewParent) {
        SetItemParam(hNewItem, nullptr);
        return false;
    }
    // Parents are copied before their children, so each child's new parent
    // category is already in place; both append, so the order matches.
    SetItemParam(hNewItem, pNewParent->AddChildCopy(*pSource));
    MarkChanged();
    return true;
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
        return wxDragNone;
    }
    SetDropHighlight(item);
    // Search results have no folder to be moved out of.
    return bCopy || pList->IsShowingResults() ? wxDragCopy : wxDragMove;
}

void CCategoryTreeView::OnAADragLeave()
{
    SetDropHighlight(wxTreeItemId());
}

bool CCategoryTreeView::OnAADrop(const wxPoint& point)
{
    SetDropHighlight(wxTreeItemId());
    const CAAListView* pList = ListView();
    int nFlags = 0;
    CCategory* pTarget = GetItemCategory(HitTest(point, nFlags));
    if (!pList || !pList->IsDraggingRows() || !pTarget)
        return false;
    const std::vector<int> aas = pList->GetSelectedAAs();
    for (int nIndex : aas)
        pTarget->AddAA(nIndex);
    if (aas.empty())
        return false;
    MarkChanged();
    return true;
}
