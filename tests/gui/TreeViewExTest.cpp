// The tree with item drag and label editing, alone in a window: items
// carrying plain numbers, driven by the mouse events a user's drag makes.
#include "TreeViewEx.h"

#include "GuiTestSupport.h"

#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/popupwin.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <map>
#include <string>

namespace
{

// Counts the copies and may refuse one item.
class CTestTree : public CTreeViewEx
{
public:
    explicit CTestTree(wxWindow* pParent) : CTreeViewEx(pParent, wxTR_HAS_BUTTONS | wxTR_EDIT_LABELS | wxTR_SINGLE) {}

    bool CanCopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                     const wxTreeItemId& hInsertAfter) override
    {
        if (GetItemText(item) == m_strRefused)
            return false;
        return CTreeViewEx::CanCopyItem(item, hNewParent, hInsertAfter);
    }
    bool OnItemCopied(const wxTreeItemId& hNewItem, const wxTreeItemId& hOldItem, const wxTreeItemId& hNewParent,
                      const wxTreeItemId& hInsertAfter) override
    {
        m_strCopied += GetItemText(hOldItem).utf8_string() + "<" + GetItemText(hNewParent).utf8_string() + " ";
        EXPECT_EQ(GetItemParent(hNewItem), hNewParent);
        return CTreeViewEx::OnItemCopied(hNewItem, hOldItem, hNewParent, hInsertAfter);
    }

    void SetKeepDepth(bool bKeepDepth) { m_bKeepDepth = bKeepDepth; }

    wxString m_strRefused;
    std::string m_strCopied;
};

class TreeViewExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = new wxFrame(nullptr, wxID_ANY, "tree", wxPoint(20, 20), wxSize(360, 420));
        m_pTree = new CTestTree(m_pFrame);
        auto* pSizer = new wxBoxSizer(wxVERTICAL);
        pSizer->Add(m_pTree, 1, wxEXPAND);
        m_pFrame->SetSizer(pSizer);
        auto* pImages = new wxImageList(16, 16, true, 2);
        pImages->Add(wxBitmap(16, 16));
        pImages->Add(wxBitmap(16, 16));
        m_pTree->AssignImageList(pImages);
        Build();
        m_pFrame->Show();
        m_pFrame->Raise();
        m_pTree->SetFocus();
        PumpEvents();
    }

    void TearDown() override
    {
        m_pTree->CancelItemDrag();
        m_pFrame->Hide();
        m_pFrame->Destroy();
        PumpEvents();
    }

    // root
    //   a (state image 1)
    //     a1
    //       a1x
    //     a2
    //   b
    //     b1
    //   c
    void Build()
    {
        m_pTree->DeleteAllItems();
        m_items.clear();
        const auto add = [this](const std::string& strParent, const std::string& strName) {
            const wxTreeItemId item = strParent.empty() ? m_pTree->AddRoot(strName, 0, 1)
                                                        : m_pTree->AppendItem(m_items.at(strParent), strName, 0, 1);
            m_pTree->SetItemParam(item, reinterpret_cast<void*>(static_cast<std::intptr_t>(m_items.size() + 100)));
            m_items[strName] = item;
        };
        add("", "root");
        add("root", "a");
        add("a", "a1");
        add("a1", "a1x");
        add("a", "a2");
        add("root", "b");
        add("b", "b1");
        add("root", "c");
        m_pTree->ExpandAll();
        m_pTree->SetItemState(Item("a"), 1);
        PumpEvents();
    }

    wxTreeItemId Item(const std::string& strName) const { return m_items.at(strName); }

    // The first item of that name now in the tree.
    wxTreeItemId Find(const wxString& strName) const { return FindTreeItem(*m_pTree, strName); }

    // The tree as text: name(children...), depth first.
    std::string Shape(wxTreeItemId item = wxTreeItemId()) const
    {
        if (!item.IsOk())
            item = m_pTree->GetRootItem();
        std::string strOut = m_pTree->GetItemText(item).utf8_string();
        wxTreeItemIdValue cookie;
        std::string strChildren;
        for (wxTreeItemId child = m_pTree->GetFirstChild(item, cookie); child.IsOk();
             child = m_pTree->GetNextChild(item, cookie))
            strChildren += (strChildren.empty() ? "" : " ") + Shape(child);
        return strChildren.empty() ? strOut : strOut + "(" + strChildren + ")";
    }

    wxPoint PointOf(const wxTreeItemId& item) const { return TreeLabelPoint(*m_pTree, item); }

    void Mouse(wxEventType nType, const wxPoint& point, bool bLeftDown)
    {
        SendMouse(*m_pTree, nType, point, bLeftDown);
    }

    // Presses on from and moves a little with the button down: the drag
    // starts at the last move, the first beyond half the system's drag
    // distance (4 of GTK's 8 pixels), as the tree's own notice would at
    // its third move.
    void PressAndStartDrag(const wxTreeItemId& from)
    {
        const wxPoint point = PointOf(from);
        Mouse(wxEVT_LEFT_DOWN, point, true);
        for (int nDx : {1, 2, 4})
            Mouse(wxEVT_MOTION, point + wxPoint(nDx, 0), true);
    }

    // A whole drag by mouse events: press on from, pass over each item of
    // path, release (over the last of them, or outside the tree).
    void DragByMouse(const wxTreeItemId& from, const std::vector<wxTreeItemId>& path, bool bReleaseOutside = false)
    {
        PressAndStartDrag(from);
        ASSERT_TRUE(m_pTree->IsDraggingItem());
        wxPoint last = PointOf(from);
        for (const wxTreeItemId& item : path) {
            last = PointOf(item);
            Mouse(wxEVT_MOTION, last, true);
        }
        if (bReleaseOutside) {
            last = wxPoint(-40, -40);
            Mouse(wxEVT_MOTION, last, true);
        }
        Mouse(wxEVT_LEFT_UP, last, false);
        PumpEvents();
    }

    wxFrame* m_pFrame = nullptr;
    CTestTree* m_pTree = nullptr;
    std::map<std::string, wxTreeItemId> m_items;
};

// Keeps a label editor open, which closes when another test's window takes
// the focus: CTest runs these alone.
class TreeViewExOwnDisplayTest : public TreeViewExTest
{};

const char kStartShape[] = "root(a(a1(a1x) a2) b(b1) c)";

} // namespace

TEST_F(TreeViewExTest, DropsGoWhereTheModeSaysAndIntoItselfNever)
{
    struct CCase
    {
        bool m_bKeepDepth;
        const char* m_pszFrom;
        const char* m_pszOnto;
        const char* m_pszShape; // nullptr: unchanged
    };
    const CCase cases[] = {
        // Without keeping depth: the target's last child, its own parent too.
        {false, "a", "c", "root(b(b1) c(a(a1(a1x) a2)))"},
        {false, "a2", "b", "root(a(a1(a1x)) b(b1 a2) c)"},
        {false, "a1", "a", "root(a(a2 a1(a1x)) b(b1) c)"},
        {false, "b1", "a1x", "root(a(a1(a1x(b1)) a2) b c)"},
        // Keeping depth: after a target of the same depth, under a target
        // one level up, nothing otherwise.
        {true, "a1", "b1", "root(a(a2) b(b1 a1(a1x)) c)"},
        {true, "a", "c", "root(b(b1) c a(a1(a1x) a2))"},
        {true, "a2", "b", "root(a(a1(a1x)) b(b1 a2) c)"},
        {true, "a1x", "b", nullptr},
        {true, "b", "a1", nullptr},
        // Onto itself or into its own subtree: refused in both modes.
        {false, "a", "a", nullptr},
        {false, "a", "a1x", nullptr},
        {true, "a", "a2", nullptr},
        {false, "root", "c", nullptr},
    };
    for (const CCase& test : cases) {
        Build();
        m_pTree->SetKeepDepth(test.m_bKeepDepth);
        DragByMouse(Item(test.m_pszFrom), {Item(test.m_pszOnto)});
        const std::string strWhat = std::string(test.m_pszFrom) + " onto " + test.m_pszOnto;
        EXPECT_FALSE(m_pTree->IsDraggingItem()) << strWhat;
        EXPECT_EQ(Shape(), test.m_pszShape ? test.m_pszShape : kStartShape) << strWhat << " keep " << test.m_bKeepDepth;
        if (!test.m_pszShape)
            continue;
        // The moved item is selected and its new parent open.
        const wxTreeItemId moved = Find(test.m_pszFrom);
        ASSERT_TRUE(moved.IsOk()) << strWhat;
        EXPECT_EQ(m_pTree->GetSelection(), moved) << strWhat;
        EXPECT_TRUE(m_pTree->IsExpanded(m_pTree->GetItemParent(moved))) << strWhat;
    }
}

TEST_F(TreeViewExTest, AQuickFlickDragsTheItemPressedNotTheOneUnderThePointerLater)
{
    // The tree notices a drag at its third move with the button down; a
    // flick of 40 px a move is by then rows further on, or past the last
    // row.
    struct CCase
    {
        const char* m_pszFrom;
        const char* m_pszOnto;
        const char* m_pszShape;
    };
    const CCase cases[] = {
        {"a", "c", "root(b(b1) c(a(a1(a1x) a2)))"},
        {"c", "b", "root(a(a1(a1x) a2) b(b1 c))"},
    };
    m_pTree->SetKeepDepth(false);
    for (const CCase& test : cases) {
        Build();
        const wxPoint from = PointOf(Item(test.m_pszFrom));
        Mouse(wxEVT_LEFT_DOWN, from, true);
        for (int i = 1; i <= 3; ++i)
            Mouse(wxEVT_MOTION, from + wxPoint(0, i * 40), true);
        ASSERT_TRUE(m_pTree->IsDraggingItem()) << test.m_pszFrom;
        Mouse(wxEVT_MOTION, PointOf(Item(test.m_pszOnto)), true);
        Mouse(wxEVT_LEFT_UP, PointOf(Item(test.m_pszOnto)), false);
        PumpEvents();
        EXPECT_EQ(Shape(), test.m_pszShape) << test.m_pszFrom << " flicked onto " << test.m_pszOnto;
    }
}

TEST_F(TreeViewExTest, OnlyAPlaceTheItemMayGoIsHighlighted)
{
    struct CCase
    {
        bool m_bKeepDepth;
        const char* m_pszFrom;
        const char* m_pszOver;
        bool m_bHighlighted;
    };
    const CCase cases[] = {
        {false, "a", "a", false},    {false, "a", "a1x", false}, {false, "a", "b", true},
        {true, "a1", "root", false}, {true, "a1", "b1", true},
    };
    for (const CCase& test : cases) {
        Build();
        m_pTree->SetKeepDepth(test.m_bKeepDepth);
        PressAndStartDrag(Item(test.m_pszFrom));
        Mouse(wxEVT_MOTION, PointOf(Item(test.m_pszOver)), true);
        EXPECT_EQ(m_pTree->GetDropHighlight(), test.m_bHighlighted ? Item(test.m_pszOver) : wxTreeItemId())
            << test.m_pszFrom << " over " << test.m_pszOver;
        m_pTree->CancelItemDrag();
    }
}

TEST_F(TreeViewExTest, AMovedItemKeepsItsLookValueAndStateAndCopiesParentsFirst)
{
    m_pTree->SetKeepDepth(false);
    void* pParamA = m_pTree->GetItemParam(Item("a"));
    void* pParamA1x = m_pTree->GetItemParam(Item("a1x"));
    DragByMouse(Item("a"), {Item("b"), Item("c")});

    EXPECT_EQ(Shape(), "root(b(b1) c(a(a1(a1x) a2)))");
    EXPECT_EQ(m_pTree->m_strCopied, "a<c a1<a a1x<a1 a2<a ");
    const wxTreeItemId moved = Find("a");
    EXPECT_NE(moved, Item("a"));
    EXPECT_EQ(m_pTree->GetItemParam(moved), pParamA);
    EXPECT_EQ(m_pTree->GetItemParam(Find("a1x")), pParamA1x);
    EXPECT_EQ(m_pTree->GetItemImage(moved, wxTreeItemIcon_Normal), 0);
    EXPECT_EQ(m_pTree->GetItemImage(moved, wxTreeItemIcon_Selected), 1);
    EXPECT_EQ(m_pTree->GetItemState(moved), 1);
    EXPECT_EQ(m_pTree->GetItemDepth(moved), 2);
    EXPECT_EQ(m_pTree->GetItemDepth(Find("a1x")), 4);
    EXPECT_EQ(m_pTree->GetItemDepth(m_pTree->GetRootItem()), 0);
}

TEST_F(TreeViewExTest, ARefusedCopyLeavesTheDraggedBranchWholeWhereItWas)
{
    m_pTree->SetKeepDepth(false);
    m_pTree->m_strRefused = "a1x";
    DragByMouse(Item("a"), {Item("c")});
    EXPECT_EQ(Shape(), kStartShape);
    EXPECT_EQ(m_pTree->GetCount(), 8U);

    m_pTree->m_strRefused = "a";
    DragByMouse(Item("a"), {Item("c")});
    EXPECT_EQ(Shape(), kStartShape);
    EXPECT_EQ(m_pTree->m_strCopied, "a<c a1<a ");
}

TEST_F(TreeViewExTest, ReleaseOutsideDropsOnTheLastItemPassedAndADragOverNoItemChangesNothing)
{
    m_pTree->SetKeepDepth(false);
    DragByMouse(Item("c"), {Item("b"), Item("a2")}, true);
    EXPECT_EQ(Shape(), "root(a(a1(a1x) a2(c)) b(b1))");

    // Pressed on an item, then straight off the tree: no target ever.
    Build();
    PressAndStartDrag(Item("c"));
    Mouse(wxEVT_MOTION, wxPoint(-30, -30), true);
    EXPECT_FALSE(m_pTree->GetItemDropTarget().IsOk());
    Mouse(wxEVT_LEFT_UP, wxPoint(-30, -30), false);
    EXPECT_EQ(Shape(), kStartShape);
}

TEST_F(TreeViewExTest, TheDragShowsPictureAndHighlightAndEveryEndingClearsThem)
{
    // Released, lost to another window's capture, or cancelled with Esc:
    // each ends the drag whole, and only the release moves anything.
    enum class EEnd
    {
        Release,
        CaptureLost,
        Escape
    };
    for (EEnd nEnd : {EEnd::Release, EEnd::CaptureLost, EEnd::Escape}) {
        Build();
        m_pTree->SetKeepDepth(false);
        PressAndStartDrag(Item("c"));
        ASSERT_TRUE(m_pTree->IsDraggingItem());
        EXPECT_TRUE(m_pTree->HasCapture());
        wxPopupWindow* pImage = m_pTree->GetDragImageWindow();
        ASSERT_NE(pImage, nullptr);
        EXPECT_TRUE(pImage->IsShown());
        // The picture holds the icon and the label and hangs below and right
        // of the pointer, leaving the highlighted target in sight.
        EXPECT_GT(pImage->GetClientSize().x, 16 + m_pTree->GetTextExtent("c").x);
        const wxPoint ptScreen = m_pTree->ClientToScreen(PointOf(Item("b")));
        Mouse(wxEVT_MOTION, PointOf(Item("b")), true);
        EXPECT_EQ(pImage->GetScreenPosition(), ptScreen + wxPoint(12, 12));
        EXPECT_EQ(m_pTree->GetDropHighlight(), Item("b"));
        EXPECT_TRUE(m_pTree->GetHoverTimer().IsRunning());

        switch (nEnd) {
        case EEnd::Release:
            Mouse(wxEVT_LEFT_UP, PointOf(Item("b")), false);
            break;
        case EEnd::CaptureLost: {
            wxMouseCaptureLostEvent event(m_pTree->GetId());
            event.SetEventObject(m_pTree);
            m_pTree->ProcessWindowEvent(event);
            break;
        }
        case EEnd::Escape: {
            wxKeyEvent event(wxEVT_KEY_DOWN);
            event.m_keyCode = WXK_ESCAPE;
            event.SetEventObject(m_pTree);
            m_pTree->ProcessWindowEvent(event);
            break;
        }
        }
        PumpEvents();
        EXPECT_FALSE(m_pTree->IsDraggingItem());
        EXPECT_EQ(m_pTree->GetDragImageWindow(), nullptr);
        EXPECT_FALSE(m_pTree->GetDropHighlight().IsOk());
        EXPECT_FALSE(m_pTree->GetHoverTimer().IsRunning());
        EXPECT_FALSE(m_pTree->HasCapture());
        EXPECT_EQ(Shape(), nEnd == EEnd::Release ? "root(a(a1(a1x) a2) b(b1 c))" : kStartShape);
        // A later move with the button up does not revive it.
        Mouse(wxEVT_MOTION, PointOf(Item("a")), false);
        EXPECT_FALSE(m_pTree->GetDropHighlight().IsOk());
    }
}

// The real two seconds are waited for in the category tree's real-mouse
// test; here the timer's tick is called at once.
TEST_F(TreeViewExTest, RestingOnAClosedFolderOpensIt)
{
    m_pTree->Collapse(Item("b"));
    PressAndStartDrag(Item("c"));
    // The pointer rests on b, closed with a child; the timer fires.
    Mouse(wxEVT_MOTION, PointOf(Item("b")), true);
    ASSERT_FALSE(m_pTree->IsExpanded(Item("b")));
    m_pTree->GetHoverTimer().Notify();
    EXPECT_TRUE(m_pTree->IsExpanded(Item("b")));
    // On an item without children nothing happens.
    Mouse(wxEVT_MOTION, PointOf(Item("b1")), true);
    m_pTree->GetHoverTimer().Notify();
    EXPECT_FALSE(m_pTree->IsExpanded(Item("b1")));
    m_pTree->CancelItemDrag();
}

TEST_F(TreeViewExOwnDisplayTest, F2EditsTheSelectedLabelUpTo127AndTheBaseRefusesTheResult)
{
    const auto pressF2 = [this] {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = WXK_F2;
        event.SetEventObject(m_pTree);
        m_pTree->ProcessWindowEvent(event);
        PumpEvents();
    };
    m_pTree->Unselect();
    pressF2();
    EXPECT_EQ(m_pTree->GetEditControl(), nullptr);

    m_pTree->SelectItem(Item("a2"));
    pressF2();
    wxTextCtrl* pEdit = m_pTree->GetEditControl();
    ASSERT_NE(pEdit, nullptr);
    pEdit->SetInsertionPointEnd();
    // Typed one by one, as keys come.
    for (int i = 0; i < 200; ++i)
        pEdit->WriteText("x");
    EXPECT_EQ(pEdit->GetValue().length(), 127U);
    m_pTree->EndEditLabel(Item("a2"), false);
    PumpEvents();
    EXPECT_EQ(m_pTree->GetItemText(Item("a2")), "a2");

    // A label already longer than the limit is not cut by opening it.
    const wxString strLong('y', 150);
    m_pTree->SetItemText(Item("c"), strLong);
    m_pTree->SelectItem(Item("c"));
    pressF2();
    pEdit = m_pTree->GetEditControl();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->GetValue(), strLong);
    m_pTree->EndEditLabel(Item("c"), true);
    PumpEvents();
    EXPECT_EQ(m_pTree->GetItemText(Item("c")), strLong);
}
