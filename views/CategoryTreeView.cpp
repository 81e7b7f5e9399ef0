#include "CategoryTreeView.h"

#include "Bitmaps.h"
#include "Category.h"
#include "DisplayText.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"

#include <wx/imaglist.h>

namespace
{
enum : int
{
    kImageClosed = 0,
    kImageOpen = 1,
};

// Inserts categories as tree items, each carrying its category.
class CTreeInserter : public ICategoryTreeSink
{
public:
    explicit CTreeInserter(wxTreeCtrl& tree) : m_tree(tree) {}

    void* InsertItem(void* hParent, CCategory& category) override
    {
        const wxString strName = ToDisplay(category.GetNameRef());
        auto* pData = new CCategoryItemData(&category);
        const wxTreeItemId item =
            hParent ? m_tree.AppendItem(wxTreeItemId(hParent), strName, kImageClosed, kImageOpen, pData)
                    : m_tree.AddRoot(strName, kImageClosed, kImageOpen, pData);
        return item.GetID();
    }

private:
    wxTreeCtrl& m_tree;
};
} // namespace

CCategoryTreeView::CCategoryTreeView(wxWindow* pParent)
    : wxTreeCtrl(pParent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_EDIT_LABELS | wxTR_SINGLE)
{
    auto* pImages = new wxImageList(16, 16, true, 3);
    pImages->Add(LoadBitmap(EBitmap::FolderClosed));
    pImages->Add(LoadBitmap(EBitmap::FolderOpen));
    pImages->Add(LoadBitmap(EBitmap::Smile));
    AssignImageList(pImages);

    Bind(wxEVT_TREE_SEL_CHANGING, &CCategoryTreeView::OnSelChanging, this);
    Bind(wxEVT_TREE_SEL_CHANGED, &CCategoryTreeView::OnSelChanged, this);
    Bind(wxEVT_TREE_END_LABEL_EDIT, &CCategoryTreeView::OnEndLabelEdit, this);
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
    // The generic tree selects a new root by itself, without telling
    // anyone; after a load nothing is selected until the user picks a folder.
    Unselect();
}

void CCategoryTreeView::OnInternalIdle()
{
    // On idle the generic tree selects the root whenever nothing is
    // selected. Here "nothing selected" is a state of its own: after a load,
    // and once folders can be deleted or a click lands on empty space.
    m_bInIdle = true;
    wxTreeCtrl::OnInternalIdle();
    m_bInIdle = false;
}

void CCategoryTreeView::OnSelChanging(wxTreeEvent& event)
{
    if (m_bInIdle)
        event.Veto();
}

CCategory* CCategoryTreeView::GetItemCategory(const wxTreeItemId& item) const
{
    if (!item.IsOk())
        return nullptr;
    const auto* pData = dynamic_cast<const CCategoryItemData*>(GetItemData(item));
    return pData ? pData->m_pCategory : nullptr;
}

void CCategoryTreeView::OnSelChanged(wxTreeEvent& /*event*/)
{
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->ShowCategory();
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
        return;
    }
    if (*strName == pCategory->GetNameRef())
        return;
    pCategory->SetName(std::move(*strName));
    if (CMainFrame* pFrame = GetMainFrame()) {
        if (CRidaxoDoc* pDoc = pFrame->GetActiveDocument())
            pDoc->MarkArrangementChanged();
    }
}
