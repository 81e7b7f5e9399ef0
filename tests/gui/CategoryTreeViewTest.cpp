// The category tree in the running program: folders added, renamed,
// deleted and moved, and AAs dropped on folders, each checked in the tree,
// in the model and in the saved index file.
#include "CategoryTreeView.h"

#include "AAListView.h"
#include "AAStore.h"
#include "Category.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Resources.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"
#include "ShiftJis.h"
#include "TempFiles.h"

#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <algorithm>
#include <optional>
#include <set>

namespace
{

// How many colours the pixels of rect in image take.
int CountColours(const wxImage& image, const wxRect& rect)
{
    std::set<unsigned long> colours;
    for (int y = rect.y; y < rect.GetBottom(); ++y) {
        for (int x = rect.x; x < rect.GetRight(); ++x)
            colours.insert(image.GetRed(x, y) << 16 | image.GetGreen(x, y) << 8 | image.GetBlue(x, y));
    }
    return static_cast<int>(colours.size());
}

bool SamePixels(const wxImage& one, const wxImage& other, const wxRect& rect)
{
    const wxImage oneRect = one.GetSubImage(rect);
    const wxImage otherRect = other.GetSubImage(rect);
    return std::equal(oneRect.GetData(), oneRect.GetData() + rect.width * rect.height * 3, otherRect.GetData());
}

std::string Utf8Name(const CCategory& category)
{
    return Cp932ToUtf8(category.GetNameRef());
}

// Folders only, names in UTF-8: name(child child...).
std::string Folders(const CCategory& category)
{
    std::string strOut = Utf8Name(category);
    std::string strChildren;
    for (int i = 0; i < category.GetChildCount(); ++i)
        strChildren += (i ? " " : "") + Folders(*category.GetChildAt(i));
    return strChildren.empty() ? strOut : strOut + "(" + strChildren + ")";
}

const CCategory* FindFolder(const CCategory& category, const std::string& strName)
{
    if (Utf8Name(category) == strName)
        return &category;
    for (int i = 0; i < category.GetChildCount(); ++i) {
        if (const CCategory* pFound = FindFolder(*category.GetChildAt(i), strName))
            return pFound;
    }
    return nullptr;
}

class CategoryTreeViewTest : public CGroupedSampleFixture
{
protected:
    // The root's folders after grouping the sample, in order.
    static std::string SampleFolders(const std::string& strMore = std::string())
    {
        return "sample-aa.txt(ねこ・ かお・ いぬ・ わく・ うさぎ・" + strMore + ")";
    }

    // A point below every item.
    wxPoint EmptySpace() const { return wxPoint(5, Tree().GetClientSize().y - 5); }

    // Every item shows the category at the same place in the model, under
    // the same name.
    void ExpectTreeMirrorsModel(const wxTreeItemId& item, const CCategory& category) const
    {
        EXPECT_EQ(Tree().GetItemCategory(item), &category);
        EXPECT_EQ(Tree().GetItemText(item).utf8_string(), Utf8Name(category));
        ASSERT_EQ(static_cast<int>(Tree().GetChildrenCount(item, false)), category.GetChildCount())
            << Utf8Name(category);
        wxTreeItemIdValue cookie;
        int i = 0;
        for (wxTreeItemId child = Tree().GetFirstChild(item, cookie); child.IsOk();
             child = Tree().GetNextChild(item, cookie))
            ExpectTreeMirrorsModel(child, *category.GetChildAt(i++));
    }
    void ExpectTreeMirrorsModel() const
    {
        if (Tree().GetRootItem().IsOk())
            ExpectTreeMirrorsModel(Tree().GetRootItem(), Root());
    }

    // A right click at point, choosing nCommand from the popup.
    void RightClickAndChoose(const wxPoint& point, int nCommand)
    {
        std::vector<std::pair<int, wxString>> items;
        CPopupMenuOverride popup([&](wxMenu& menu) {
            for (const wxMenuItem* pItem : menu.GetMenuItems())
                items.emplace_back(pItem->GetId(), pItem->GetItemLabelText());
            return nCommand;
        });
        wxMouseEvent event(wxEVT_RIGHT_DOWN);
        event.SetPosition(point);
        event.SetEventObject(&Tree());
        Tree().ProcessWindowEvent(event);
        PumpEvents();
        const std::vector<std::pair<int, wxString>> expected = {{ID_FOLDER_ADD, U8("フォルダの追加")},
                                                                {ID_FOLDER_DELETE, U8("フォルダの削除")}};
        EXPECT_EQ(items, expected);
    }

    void Key(wxWindow& window, int nKeyCode)
    {
        for (wxEventType nType : {wxEVT_KEY_DOWN, wxEVT_CHAR}) {
            wxKeyEvent event(nType);
            event.m_keyCode = nKeyCode;
            event.SetEventObject(&window);
            window.ProcessWindowEvent(event);
        }
        PumpEvents();
    }

    // Types strText into the open label editor and presses Enter.
    void TypeLabel(const wxString& strText)
    {
        wxTextCtrl* pEdit = Tree().GetEditControl();
        ASSERT_NE(pEdit, nullptr);
        pEdit->SetValue(strText);
        Key(*pEdit, WXK_RETURN);
        EXPECT_EQ(Tree().GetEditControl(), nullptr);
    }

    void MouseOnTree(wxEventType nType, const wxPoint& point, bool bLeftDown)
    {
        SendMouse(Tree(), nType, point, bLeftDown);
    }

    // Drags folder strFrom onto strOnto with the mouse.
    void DragFolder(const std::string& strFrom, const std::string& strOnto)
    {
        const wxPoint from = FolderPoint(Item(strFrom));
        const wxPoint onto = FolderPoint(Item(strOnto));
        MouseOnTree(wxEVT_LEFT_DOWN, from, true);
        for (int i = 1; i <= 3; ++i)
            MouseOnTree(wxEVT_MOTION, from + wxPoint(2 * i, 0), true);
        EXPECT_TRUE(Tree().IsDraggingItem());
        MouseOnTree(wxEVT_MOTION, onto, true);
        MouseOnTree(wxEVT_LEFT_UP, onto, false);
        PumpEvents();
    }

    // Saves under a new name and opens the saved file again.
    void SaveAndReopen()
    {
        const std::string strIndex = m_dir.File("arranged.rix");
        ASSERT_TRUE(Doc().SaveAsPath(wxString::FromUTF8(strIndex)));
        ASSERT_TRUE(Manager().OpenPath(wxString::FromUTF8(strIndex)));
        PumpEvents();
    }

    CTempDir m_dir;
};

// Tests that need the display to themselves: they move the real pointer, or
// keep a label editor open, which closes when another test's window takes
// the focus. CTest runs them alone.
class CategoryTreeOwnDisplayTest : public CategoryTreeViewTest
{};

} // namespace

TEST_F(CategoryTreeOwnDisplayTest, ANewFolderComesLastSelectedAndOpenForItsName)
{
    RightClickAndChoose(FolderPoint(Tree().GetRootItem()), ID_FOLDER_ADD);

    // Last under the folder clicked, in the tree and the model; selected,
    // listing nothing, its label open for editing.
    EXPECT_EQ(Folders(Root()), SampleFolders(" (新規)"));
    ExpectTreeMirrorsModel();
    const wxTreeItemId added = Tree().GetLastChild(Tree().GetRootItem());
    EXPECT_EQ(Tree().GetSelection(), added);
    EXPECT_EQ(List().GetCategory(), Root().GetChildAt(5));
    EXPECT_EQ(List().GetRowCount(), 0);
    EXPECT_TRUE(Doc().IsModified());
    ASSERT_NE(Tree().GetEditControl(), nullptr);

    // Esc keeps "(新規)".
    Key(*Tree().GetEditControl(), WXK_ESCAPE);
    EXPECT_EQ(Tree().GetEditControl(), nullptr);
    EXPECT_EQ(Tree().GetItemText(added), U8("(新規)"));

    // F2 opens it again: a name is taken, an empty one refused.
    Key(Tree(), WXK_F2);
    TypeLabel(U8("ひよこ"));
    Key(Tree(), WXK_F2);
    TypeLabel(wxString());
    EXPECT_EQ(Tree().GetItemText(added), U8("ひよこ"));
    // A folder under the new one; then the new one takes a sibling's name.
    RightClickAndChoose(FolderPoint(added), ID_FOLDER_ADD);
    TypeLabel(U8("わく・"));
    SelectFolder(added);
    Key(Tree(), WXK_F2);
    TypeLabel(U8("いぬ・"));
    EXPECT_EQ(Folders(Root()), SampleFolders(" いぬ・(わく・)"));
    ExpectTreeMirrorsModel();
    EXPECT_TRUE(m_messages.empty());

    SaveAndReopen();
    EXPECT_EQ(Folders(Root()), SampleFolders(" いぬ・(わく・)"));
    ExpectTreeMirrorsModel();
}

TEST_F(CategoryTreeViewTest, DeletingAFolderTakesItsBranchAndKeepsTheAAs)
{
    // ねこ・ gets a branch two levels deep, holding AAs of other folders.
    CCategory* pCats = Category("ねこ・");
    ASSERT_NE(pCats, nullptr);
    SelectFolder(Item("ねこ・"));
    AddNamedFolder("kitten");
    AddNamedFolder("tiny");
    Category("kitten")->AddAA(2);
    Category("tiny")->AddAA(7);
    const int nAACount = Doc().GetStore().GetCount();
    const std::vector<int> faces = Category("かお・")->GetAAList();
    SelectFolder(Item("tiny"));
    ASSERT_EQ(List().GetCategory(), Category("tiny"));

    RightClickAndChoose(FolderPoint(Item("ねこ・")), ID_FOLDER_DELETE);

    // No question; the branch is gone at once, the folder above selected
    // and listed.
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(かお・ いぬ・ わく・ うさぎ・)");
    ExpectTreeMirrorsModel();
    EXPECT_EQ(Tree().GetSelection(), Tree().GetRootItem());
    EXPECT_EQ(List().GetCategory(), &Root());
    EXPECT_EQ(Doc().GetStore().GetCount(), nAACount);
    EXPECT_EQ(Category("かお・")->GetAAList(), faces);
    EXPECT_TRUE(Doc().IsModified());

    SaveAndReopen();
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(かお・ いぬ・ わく・ うさぎ・)");
    EXPECT_EQ(Category("かお・")->GetAAList(), faces);
}

TEST_F(CategoryTreeViewTest, DeletingTheTopFolderKeepsItWithItsAAsAndTakesItsSubFolders)
{
    // What the screen shows is what the file keeps: the top folder, its
    // name and its AAs, without sub-folders.
    const std::vector<int> rootAAs = Root().GetAAList();
    SelectFolder(Item("いぬ・"));
    RightClickAndChoose(FolderPoint(Tree().GetRootItem()), ID_FOLDER_DELETE);

    EXPECT_EQ(Tree().GetCount(), 1U);
    EXPECT_EQ(Folders(Root()), "sample-aa.txt");
    EXPECT_EQ(Root().GetAAList(), rootAAs);
    EXPECT_EQ(Tree().GetSelection(), Tree().GetRootItem());
    EXPECT_EQ(List().GetCategory(), &Root());
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(rootAAs.size()));
    EXPECT_TRUE(Doc().IsModified());
    // The popup's commands work on it as on any folder.
    RightClickAndChoose(FolderPoint(Tree().GetRootItem()), ID_FOLDER_ADD);
    EXPECT_EQ(Folders(Root()), "sample-aa.txt((新規))");
    ExpectTreeMirrorsModel();

    SaveAndReopen();
    EXPECT_EQ(Folders(Root()), "sample-aa.txt((新規))");
    EXPECT_EQ(Root().GetAAList(), rootAAs);
}

TEST_F(CategoryTreeViewTest, ARightClickOnEmptySpaceClearsTheSelectionAndTheCommandsDoNothing)
{
    SelectFolder(Item("かお・"));
    ASSERT_GT(List().GetRowCount(), 0);
    for (int nCommand : {ID_FOLDER_ADD, ID_FOLDER_DELETE}) {
        RightClickAndChoose(EmptySpace(), nCommand);
        EXPECT_FALSE(Tree().GetSelection().IsOk());
        EXPECT_EQ(List().GetCategory(), nullptr);
        EXPECT_EQ(List().GetRowCount(), 0);
        EXPECT_EQ(Folders(Root()), SampleFolders());
    }
    // Idle time does not bring a selection back.
    PumpEvents();
    EXPECT_FALSE(Tree().GetSelection().IsOk());
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(CategoryTreeViewTest, DraggingAFolderMovesItsBranchLastUnderTheTarget)
{
    SelectFolder(Item("ねこ・"));
    AddNamedFolder("kitten");
    Category("kitten")->AddAA(2);
    const std::vector<int> cats = Category("ねこ・")->GetAAList();
    Doc().Modify(false);

    // Onto itself, below itself, or the top folder anywhere: refused.
    for (const auto& [strFrom, strOnto] : std::vector<std::pair<std::string, std::string>>{
             {"ねこ・", "ねこ・"}, {"ねこ・", "kitten"}, {"sample-aa.txt", "かお・"}}) {
        DragFolder(strFrom, strOnto);
        EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・(kitten) かお・ いぬ・ わく・ うさぎ・)")
            << strFrom << " onto " << strOnto;
        EXPECT_FALSE(Doc().IsModified());
    }

    DragFolder("ねこ・", "かお・");
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(かお・(ねこ・(kitten)) いぬ・ わく・ うさぎ・)");
    ExpectTreeMirrorsModel();
    EXPECT_EQ(Category("ねこ・")->GetAAList(), cats);
    EXPECT_EQ(Category("kitten")->GetAAList(), std::vector<int>{2});
    // Selected and listed, the folder it went to open.
    EXPECT_EQ(Tree().GetSelection(), Item("ねこ・"));
    EXPECT_EQ(List().GetCategory(), Category("ねこ・"));
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(cats.size()));
    EXPECT_TRUE(Tree().IsExpanded(Item("かお・")));
    EXPECT_TRUE(Doc().IsModified());

    // Onto its own parent: last among its siblings.
    DragFolder("いぬ・", "sample-aa.txt");
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(かお・(ねこ・(kitten)) わく・ うさぎ・ いぬ・)");
    ExpectTreeMirrorsModel();

    SaveAndReopen();
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(かお・(ねこ・(kitten)) わく・ うさぎ・ いぬ・)");
    EXPECT_EQ(FindFolder(Root(), "ねこ・")->GetAAList(), cats);
    EXPECT_EQ(FindFolder(Root(), "kitten")->GetAAList(), std::vector<int>{2});
}

TEST_F(CategoryTreeViewTest, DroppedAAsAreMovedOrWithCtrlCopiedInRowOrder)
{
    const std::vector<int> faces = Category("かお・")->GetAAList();
    const std::vector<int> dogs = Category("いぬ・")->GetAAList();
    for (bool bCopy : {false, true}) {
        ImportSample(wxYES);
        SelectFolder(Item("かお・"));
        SelectRow(1);
        List().SetItemState(3, LXIS_SELECTED, LXIS_SELECTED);
        const std::vector<int> dropped = List().GetSelectedAAs();
        ASSERT_EQ(dropped.size(), 2U);

        const wxPoint onto = FolderPoint(Item("いぬ・"));
        wxDragResult nOver = wxDragError;
        CDragOverride drag([&](wxDataObject&) {
            nOver = Tree().OnAADragOver(onto, bCopy);
            EXPECT_EQ(Tree().GetDropHighlight(), Item("いぬ・"));
            return Tree().OnAADrop(onto) ? nOver : wxDragNone;
        });
        List().DragSelected();
        PumpEvents();

        EXPECT_EQ(nOver, bCopy ? wxDragCopy : wxDragMove);
        EXPECT_FALSE(Tree().GetDropHighlight().IsOk());
        std::vector<int> expectedDogs = dogs;
        expectedDogs.insert(expectedDogs.end(), dropped.begin(), dropped.end());
        EXPECT_EQ(Category("いぬ・")->GetAAList(), expectedDogs) << bCopy;
        std::vector<int> expectedFaces = faces;
        if (!bCopy) {
            for (int nIndex : dropped)
                expectedFaces.erase(std::find(expectedFaces.begin(), expectedFaces.end(), nIndex));
        }
        EXPECT_EQ(Category("かお・")->GetAAList(), expectedFaces) << bCopy;
        EXPECT_EQ(List().GetRowCount(), static_cast<int>(expectedFaces.size()));
        EXPECT_TRUE(Doc().IsModified());

        SaveAndReopen();
        EXPECT_EQ(FindFolder(Root(), "いぬ・")->GetAAList(), expectedDogs);
        EXPECT_EQ(FindFolder(Root(), "かお・")->GetAAList(), expectedFaces);
    }
}

TEST_F(CategoryTreeViewTest, DropsOnTheListedFolderOrOnNothingAndForeignDrags)
{
    SelectFolder(Item("かお・"));
    std::vector<int> faces = Category("かお・")->GetAAList();
    const auto dragRows = [&](std::initializer_list<int> rows, const wxPoint& onto, bool bCopy) {
        SelectRow(*rows.begin());
        for (int nRow : rows)
            List().SetItemState(nRow, LXIS_SELECTED, LXIS_SELECTED);
        const std::vector<int> dropped = List().GetSelectedAAs();
        CDragOverride drag([&](wxDataObject&) {
            const wxDragResult nOver = Tree().OnAADragOver(onto, bCopy);
            return Tree().OnAADrop(onto) ? nOver : wxDragNone;
        });
        List().DragSelected();
        PumpEvents();
        return dropped;
    };

    // With Ctrl onto the listed folder: held twice, and listed so.
    std::vector<int> dropped = dragRows({0}, FolderPoint(Item("かお・")), true);
    faces.push_back(dropped[0]);
    EXPECT_EQ(Category("かお・")->GetAAList(), faces);
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(faces.size()));

    // Without Ctrl onto the listed folder: the AAs move to its end, and the
    // list shows every one of them.
    dropped = dragRows({2, 4}, FolderPoint(Item("かお・")), false);
    for (int nIndex : dropped) {
        faces.erase(std::find(faces.begin(), faces.end(), nIndex));
        faces.push_back(nIndex);
    }
    EXPECT_EQ(Category("かお・")->GetAAList(), faces);
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(faces.size()));

    // Onto empty space: refused, the list keeps its rows.
    Doc().Modify(false);
    dragRows({1}, EmptySpace(), false);
    EXPECT_EQ(Category("かお・")->GetAAList(), faces);
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(faces.size()));
    EXPECT_FALSE(Doc().IsModified());

    // A drag that did not start in this list (another running copy of the
    // program offers the same format) is refused.
    SelectRow(0);
    EXPECT_EQ(Tree().OnAADragOver(FolderPoint(Item("いぬ・")), false), wxDragNone);
    EXPECT_FALSE(Tree().OnAADrop(FolderPoint(Item("いぬ・"))));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(CategoryTreeViewTest, TheDropTargetAcceptsOnlyTheAAFormatAndClearsItsHighlight)
{
    wxDropTarget* pTarget = Tree().GetDropTarget();
    ASSERT_NE(pTarget, nullptr);
    wxDataFormat formats[2];
    ASSERT_EQ(pTarget->GetDataObject()->GetFormatCount(), 1U);
    pTarget->GetDataObject()->GetAllFormats(formats);
    EXPECT_EQ(formats[0].GetId(), "RIDAXO_AA_DATA");

    SelectFolder(Item("かお・"));
    SelectRow(0);
    const int nFirst = List().GetRowAA(0);
    const wxPoint onto = FolderPoint(Item("わく・"));
    CDragOverride drag([&](wxDataObject&) {
        // Ctrl is not held on the test display: a move.
        EXPECT_EQ(pTarget->OnEnter(onto.x, onto.y, wxDragCopy), wxDragMove);
        EXPECT_EQ(Tree().GetDropHighlight(), Item("わく・"));
        pTarget->OnLeave();
        EXPECT_FALSE(Tree().GetDropHighlight().IsOk());
        EXPECT_EQ(pTarget->OnDragOver(onto.x, onto.y, wxDragCopy), wxDragMove);
        EXPECT_TRUE(pTarget->OnDrop(onto.x, onto.y));
        return pTarget->OnData(onto.x, onto.y, wxDragMove);
    });
    List().DragSelected();
    PumpEvents();
    EXPECT_EQ(Category("わく・")->GetAAList().back(), nFirst);
    EXPECT_EQ(std::count(Category("かお・")->GetAAList().begin(), Category("かお・")->GetAAList().end(), nFirst), 0);
}

TEST_F(CategoryTreeOwnDisplayTest, ARealDragOfRowsOntoAFolderMovesThem)
{
    SelectFolder(Item("かお・"));
    SelectRow(1);
    List().SetItemState(3, LXIS_SELECTED, LXIS_SELECTED);
    const std::vector<int> dropped = List().GetSelectedAAs();
    const std::vector<int> dogs = Category("いぬ・")->GetAAList();
    Frame()->Raise();
    PumpEvents();

    wxRect rowRect;
    ASSERT_TRUE(List().GetCellRect(1, 0, 2, rowRect));
    const wxPoint from = List().ClientToScreen(rowRect.GetPosition() + wxPoint(10, rowRect.height / 2));
    const wxPoint onto = Tree().ClientToScreen(FolderPoint(Item("いぬ・")));
    using EKind = CPointerStep::EKind;
    std::vector<CPointerStep> steps = {{EKind::Move, from.x, from.y}, {EKind::Press}};
    for (int i = 1; i <= 12; ++i) {
        const wxPoint point = from + (onto - from) * i / 12;
        steps.push_back({EKind::Move, point.x, point.y});
    }
    steps.push_back({EKind::Move, onto.x + 1, onto.y});
    steps.push_back({EKind::Rest, 300});
    steps.push_back({EKind::Release});
    // What the screen shows around the place the pointer rests on the
    // folder, before the drag begins and while the pointer rests there.
    const wxPoint rest(onto.x + 1, onto.y);
    const wxPoint inGrab(20, 20); // where the pointer rests in the grabs
    const wxRect around(rest - inGrab, wxSize(120, 60));
    std::optional<wxImage> before;
    std::optional<wxImage> during;
    int nTicksAtRest = 0;
    wxTimer look;
    look.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!before && !List().IsDraggingRows())
            before = GrabScreen(around);
        // Once the drag has had time to show the pointer's arrival.
        if (!during && List().IsDraggingRows() && wxGetMousePosition() == rest && ++nTicksAtRest == 3)
            during = GrabScreen(around);
    });
    look.Start(50);
    if (!RunRealPointer(steps))
        GTEST_SKIP() << "this display cannot fake pointer input";
    look.Stop();
    ASSERT_TRUE(before && during);

    // The folder's label right of the pointer stays readable, and the
    // picture hangs below and right of the pointer.
    EXPECT_GT(CountColours(*during, wxRect(inGrab + wxPoint(2, 1), wxSize(18, 6))), 1) << "the label is covered";
    const wxRect picture(inGrab + wxPoint(14, 15), wxSize(60, 10));
    EXPECT_FALSE(SamePixels(*during, *before, picture)) << "no picture below and right of the pointer";

    std::vector<int> expected = dogs;
    expected.insert(expected.end(), dropped.begin(), dropped.end());
    EXPECT_EQ(Category("いぬ・")->GetAAList(), expected);
    const std::vector<int>& faces = Category("かお・")->GetAAList();
    for (int nIndex : dropped)
        EXPECT_EQ(std::count(faces.begin(), faces.end(), nIndex), 0) << nIndex;
    EXPECT_FALSE(Tree().GetDropHighlight().IsOk());
}

TEST_F(CategoryTreeOwnDisplayTest, ARealMouseBuildsThreeLevelsRestingOnAClosedFolderToOpenIt)
{
    using EKind = CPointerStep::EKind;
    const auto dragSteps = [](const wxPoint& from, const std::vector<wxPoint>& path, int nRestMs) {
        std::vector<CPointerStep> steps = {{EKind::Move, from.x, from.y}, {EKind::Press}};
        // A quick flick down, as people drag: the tree notices the drag
        // at its third move with the button down, rows away from the
        // folder pressed, which is the one dragged all the same.
        for (int i = 1; i <= 3; ++i)
            steps.push_back({EKind::Move, from.x + i, from.y + i * 40});
        for (const wxPoint& point : path) {
            steps.push_back({EKind::Move, point.x, point.y});
            steps.push_back({EKind::Move, point.x + 1, point.y});
        }
        if (nRestMs > 0)
            steps.push_back({EKind::Rest, nRestMs});
        return steps;
    };
    Frame()->Raise();
    PumpEvents();
    const auto screen = [this](const std::string& strName) {
        return Tree().ClientToScreen(FolderPoint(Item(strName)));
    };

    // いぬ・ onto かお・.
    std::vector<CPointerStep> steps = dragSteps(screen("いぬ・"), {screen("かお・")}, 0);
    steps.push_back({EKind::Release});
    if (!RunRealPointer(steps))
        GTEST_SKIP() << "this display cannot fake pointer input";
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・ かお・(いぬ・) わく・ うさぎ・)");

    // わく・ rests on the closed かお・ until it opens, then goes onto いぬ・.
    Tree().Collapse(Item("かお・"));
    PumpEvents();
    steps = dragSteps(screen("わく・"), {screen("かお・")}, 2300);
    ASSERT_TRUE(RunRealPointer(steps));
    EXPECT_TRUE(Tree().IsDraggingItem());
    EXPECT_TRUE(Tree().IsExpanded(Item("かお・")));
    const wxPoint dogs = screen("いぬ・");
    ASSERT_TRUE(RunRealPointer({{EKind::Move, dogs.x, dogs.y}, {EKind::Move, dogs.x + 1, dogs.y}, {EKind::Release}}));
    EXPECT_FALSE(Tree().IsDraggingItem());
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・ かお・(いぬ・(わく・)) うさぎ・)");
    ExpectTreeMirrorsModel();

    // A real click, a right click and the popup's first command: the new
    // folder's label is open for its name once the menu has gone.
    const wxPoint cats = screen("ねこ・");
    ASSERT_TRUE(RunRealPointer({{EKind::Move, cats.x, cats.y},
                                {EKind::Press},
                                {EKind::Release},
                                {EKind::Rest, 300},
                                {EKind::RightClick},
                                {EKind::Rest, 300},
                                {EKind::Move, cats.x + 30, cats.y + 15},
                                {EKind::Move, cats.x + 31, cats.y + 15},
                                {EKind::Press},
                                {EKind::Release},
                                {EKind::Rest, 300}}));
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・((新規)) かお・(いぬ・(わく・)) うさぎ・)");
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    EXPECT_EQ(Tree().GetEditControl()->GetValue(), U8("(新規)"));
    Tree().EndEditLabel(Tree().GetSelection(), true);

    // A flick that a busy program hears as one move drags all the same.
    // (Folders go into the folder they are dropped on.)
    const wxPoint rabbits = screen("うさぎ・");
    const wxPoint catsNow = screen("ねこ・");
    ASSERT_TRUE(RunRealPointer(
        {{EKind::Move, rabbits.x, rabbits.y}, {EKind::Press}, {EKind::Move, catsNow.x, catsNow.y}, {EKind::Release}}));
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・((新規) うさぎ・) かお・(いぬ・(わく・)))");

    SaveAndReopen();
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・((新規) うさぎ・) かお・(いぬ・(わく・)))");
}
