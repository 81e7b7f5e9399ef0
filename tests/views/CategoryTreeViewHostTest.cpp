// The category tree on its own: hosted by a fake instead of the main frame,
// with no application, document or list around it.
#include "ArrangementCommand.h"
#include "CategoryTreeView.h"
#include "ViewHost.h"

#include "AAStore.h"
#include "Category.h"
#include "CategoryClip.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/frame.h>

#include <memory>
#include <string>

namespace
{

// Keeps an arrangement and an undo history and shows every step in the tree,
// as the main frame does.
class CFakeHost : public IViewHost
{
public:
    const CAAStore* GetStore() const override { return &m_store; }
    CCategory* GetRootCategory() override { return &m_root; }
    CCategoryClip* GetClip() override { return &m_clip; }
    bool HasUnansweredTextFileChange() const override { return false; }
    void SubmitStep(CArrangementCommand* pStep) override { m_history.Submit(pStep); }
    CArrangementHistory* GetHistory() override { return &m_history; }
    CCategoryTreeView* GetTreeView() const override { return m_pTree; }
    CAAListView* GetListView() const override { return nullptr; }
    void ShowCategory() override { ++m_nShown; }
    void ShowSelectedAA() override {}
    CViewState CaptureViewState() const override { return {}; }
    void ShowArrangementChange(const std::vector<CCategory*>& parents, const CCategory* pRenamed,
                               const CViewState* /*pState*/) override
    {
        for (const CCategory* pParent : parents)
            m_pTree->ShowChildrenOf(*pParent);
        if (pRenamed)
            m_pTree->ShowName(*pRenamed);
    }

    CAAStore m_store;
    CCategory m_root;
    CCategoryClip m_clip;
    CArrangementHistory m_history{100};
    CCategoryTreeView* m_pTree = nullptr;
    int m_nShown = 0;
};

class CategoryTreeViewHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_host.m_root.SetName("top");
        m_host.m_root.AddChild("a");
        m_host.m_root.AddChild("b")->AddChild("b1");
        m_host.m_root.AddChild("c");
        m_pPrevious = SetViewHost(&m_host);
        m_pFrame = new wxFrame(nullptr, wxID_ANY, "tree");
        m_host.m_pTree = new CCategoryTreeView(m_pFrame);
        m_pFrame->Show();
    }

    void TearDown() override
    {
        m_pFrame->Destroy();
        wxTheApp->ProcessIdle();
        SetViewHost(m_pPrevious);
    }

    CCategoryTreeView& Tree() { return *m_host.m_pTree; }

    // The tree's items as names, each checked against the folder it carries.
    std::string Shape(const wxTreeItemId& item)
    {
        const CCategory* pCategory = Tree().GetItemCategory(item);
        EXPECT_NE(pCategory, nullptr);
        std::string strShape = pCategory ? pCategory->GetNameRef() : "?";
        EXPECT_EQ(Tree().GetItemText(item).utf8_string(), strShape);
        std::string strChildren;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId child = Tree().GetFirstChild(item, cookie); child.IsOk();
             child = Tree().GetNextChild(item, cookie))
            strChildren += (strChildren.empty() ? "" : " ") + Shape(child);
        return strChildren.empty() ? strShape : strShape + "(" + strChildren + ")";
    }

    CFakeHost m_host;
    IViewHost* m_pPrevious = nullptr;
    wxFrame* m_pFrame = nullptr;
};

} // namespace

TEST_F(CategoryTreeViewHostTest, ShowsTheHostsFoldersAndMakesEachChangeOneStepOfItsHistory)
{
    Tree().RebuildTree();
    const wxTreeItemId root = Tree().GetRootItem();
    ASSERT_TRUE(root.IsOk());
    EXPECT_EQ(Shape(root), "top(a b(b1) c)");

    // Selecting a folder asks the host to list it.
    wxTreeItemIdValue cookie;
    Tree().GetFirstChild(root, cookie);
    const wxTreeItemId b = Tree().GetNextChild(root, cookie);
    const CCategory* pB = Tree().GetItemCategory(b);
    Tree().SelectItem(b);
    EXPECT_EQ(m_host.m_nShown, 1);

    // Deleting it is one step of the host's history, and the tree follows
    // the model both ways, the same folder coming back.
    Tree().DeleteFolder();
    ASSERT_NE(m_host.m_history.GetUndoStep(), nullptr);
    EXPECT_EQ(m_host.m_history.GetUndoStep()->GetName().utf8_string(), "フォルダの削除");
    EXPECT_EQ(Shape(root), "top(a c)");
    ASSERT_TRUE(m_host.m_history.Undo());
    EXPECT_EQ(Shape(root), "top(a b(b1) c)");
    EXPECT_EQ(m_host.m_root.GetChildAt(1), pB);
}
