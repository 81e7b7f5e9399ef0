// The program without a mouse: keys pressed in the tree and the list, their
// popups and commands, and moving and copying folders and AAs through the
// edit commands, checked in the panes and in the model.
#include "AAFacts.h"
#include "AAListView.h"
#include "AASearch.h"
#include "AAStore.h"
#include "Category.h"
#include "CategoryTreeView.h"
#include "DocumentFile.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Resources.h"
#include "RidaxoDoc.h"
#include "ShiftJis.h"
#include "TempFiles.h"

#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/srchctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

namespace
{

struct CKey
{
    int m_nCode;
    int m_nModifiers = wxMOD_NONE;
};

// Folders only, names in UTF-8: name(child child...).
std::string Folders(const CCategory& category)
{
    std::string strOut = Cp932ToUtf8(category.GetNameRef());
    std::string strChildren;
    for (int i = 0; i < category.GetChildCount(); ++i)
        strChildren += (i ? " " : "") + Folders(*category.GetChildAt(i));
    return strChildren.empty() ? strOut : strOut + "(" + strChildren + ")";
}

// The text pane's and the clipboard's form of an AA's body.
wxString ScreenText(const std::string& strText)
{
    wxString strScreen = wxString::FromUTF8(Cp932ToUtf8(strText));
    strScreen.Replace("\r\n", "\n");
    return strScreen;
}

class KeyboardTest : public CGroupedSampleFixture
{
protected:
    // A key as the window system delivers it: the key going down, then,
    // when nothing took that, the character.
    static void Press(wxWindow& window, const CKey& key)
    {
        wxKeyEvent down(wxEVT_KEY_DOWN);
        down.m_keyCode = key.m_nCode;
        down.SetShiftDown(key.m_nModifiers & wxMOD_SHIFT);
        down.SetControlDown(key.m_nModifiers & wxMOD_CONTROL);
        down.SetEventObject(&window);
        if (!window.ProcessWindowEvent(down)) {
            wxKeyEvent character(down);
            character.SetEventType(wxEVT_CHAR);
            window.ProcessWindowEvent(character);
        }
        PumpEvents();
    }

    std::vector<int> SelectedRows() const { return List().GetSelectedRows(); }

    void SelectRows(std::initializer_list<int> rows)
    {
        List().SetItemState(-1, 0, LXIS_SELECTED);
        for (int nRow : rows)
            List().SetItemState(nRow, LXIS_SELECTED, LXIS_SELECTED);
        PumpEvents();
    }
};

} // namespace

TEST_F(KeyboardTest, WithNothingSelectedAKeySelectsTheFirstItemAndTheUsualKeysGoOn)
{
    const std::string strRoot = "sample-aa.txt";
    struct CCase
    {
        std::vector<CKey> m_keys;
        std::string m_strFolder; // selected afterwards
        bool m_bRootOpen;
    };
    const CCase treeCases[] = {
        {{{WXK_DOWN}}, strRoot, false},
        {{{WXK_UP}}, strRoot, false},
        {{{WXK_HOME}}, strRoot, false},
        {{{WXK_END}}, strRoot, false},
        {{{WXK_PAGEDOWN}}, strRoot, false},
        {{{WXK_RIGHT}}, strRoot, false},
        {{{WXK_SPACE}}, strRoot, false},
        {{{WXK_RETURN}}, strRoot, false},
        {{{WXK_DOWN}, {WXK_RIGHT}, {WXK_DOWN}}, "ねこ・", true},
        {{{WXK_DOWN}, {WXK_RIGHT}, {WXK_DOWN}, {WXK_LEFT}}, strRoot, true},
        {{{WXK_DOWN}, {WXK_RIGHT}, {WXK_LEFT}}, strRoot, false},
        {{{WXK_HOME}, {WXK_RETURN}, {WXK_END}}, "うさぎ・", true},
        {{{WXK_HOME}, {WXK_RETURN}, {WXK_RETURN}}, strRoot, false},
        {{{WXK_HOME}, {WXK_RIGHT}, {WXK_PAGEDOWN}}, "うさぎ・", true},
        {{{WXK_HOME}, {WXK_RIGHT}, {WXK_END}, {WXK_PAGEUP}}, strRoot, true},
    };
    for (const CCase& test : treeCases) {
        SCOPED_TRACE(testing::Message() << test.m_strFolder << " after " << test.m_keys.size() << " keys");
        Tree().RebuildTree();
        for (const CKey& key : test.m_keys)
            Press(Tree(), key);
        EXPECT_EQ(Tree().GetSelection(), Item(test.m_strFolder));
        EXPECT_EQ(Tree().IsExpanded(Tree().GetRootItem()), test.m_bRootOpen);
        // The folder the keys chose is listed.
        EXPECT_EQ(List().GetCategory(), Category(test.m_strFolder));
    }

    SelectFolder(Tree().GetRootItem());
    struct CListCase
    {
        std::vector<CKey> m_keys;
        std::vector<int> m_rows; // selected afterwards
    };
    const CListCase listCases[] = {
        {{{WXK_DOWN}}, {0}},
        {{{WXK_HOME}}, {0}},
        {{{WXK_SPACE}}, {0}},
        {{{WXK_RETURN}}, {0}},
        {{{WXK_DOWN}, {WXK_DOWN, wxMOD_SHIFT}, {WXK_DOWN, wxMOD_SHIFT}}, {0, 1, 2}},
        // Ctrl moves the focus alone; Space adds the row, Enter shows it.
        {{{WXK_DOWN}, {WXK_DOWN, wxMOD_CONTROL}, {WXK_SPACE}}, {0, 1}},
        {{{WXK_DOWN}, {WXK_DOWN, wxMOD_CONTROL}, {WXK_RETURN}}, {1}},
    };
    for (const CListCase& test : listCases) {
        SCOPED_TRACE(testing::Message() << "list, " << test.m_keys.size() << " keys, first " << test.m_keys[0].m_nCode);
        List().Fill(&Root());
        for (const CKey& key : test.m_keys)
            Press(List(), key);
        EXPECT_EQ(SelectedRows(), test.m_rows);
    }
}

TEST_F(KeyboardTest, TheMenuKeyAndShiftF10OpenThePopupAtTheSelectionAndDeleteIsItsDeleteCommand)
{
    const std::vector<std::pair<int, wxString>> treeMenu = {{ID_FOLDER_ADD, U8("フォルダの追加")},
                                                            {ID_FOLDER_DELETE, U8("フォルダの削除")}};
    const std::vector<std::pair<int, wxString>> listMenu = {{ID_AA_DELETE, U8("ＡＡの削除")},
                                                            {ID_AA_COPY, U8("ＡＡのコピー")}};
    struct CCase
    {
        bool m_bTree;
        CKey m_key;
        bool m_bPopup;
        int m_nChoose; // from the popup
        bool m_bDeletes;
    };
    const CCase cases[] = {
        {true, {WXK_MENU}, true, wxID_NONE, false},
        {true, {WXK_F10, wxMOD_SHIFT}, true, ID_FOLDER_DELETE, true},
        {true, {WXK_DELETE}, false, wxID_NONE, true},
        {false, {WXK_MENU}, true, ID_AA_DELETE, true},
        {false, {WXK_F10, wxMOD_SHIFT}, true, wxID_NONE, false},
        {false, {WXK_DELETE}, false, wxID_NONE, true},
        // Shift+Delete is cut, which the window's menu carries out.
        {false, {WXK_DELETE, wxMOD_SHIFT}, false, wxID_NONE, false},
    };
    for (const CCase& test : cases) {
        SCOPED_TRACE(testing::Message() << (test.m_bTree ? "tree" : "list") << ", key " << test.m_key.m_nCode);
        Doc().Modify(false);
        ImportSample(wxYES);
        // The pointer rests elsewhere: the popup must open at the selection.
        const wxTreeItemId folder = Item("かお・");
        SelectFolder(folder);
        CCategory* pFaces = Category("かお・");
        const int nAAs = pFaces->GetAACount();
        SelectRows({1, 2});
        wxRect rcSelected;
        if (test.m_bTree)
            ASSERT_TRUE(Tree().GetBoundingRect(folder, rcSelected));
        else
            ASSERT_TRUE(List().GetCellRect(1, 0, LXIR_BOUNDS, rcSelected));

        std::vector<std::pair<int, wxString>> items;
        wxPoint point;
        CPopupMenuOverride popup([&](wxMenu& menu, const wxPoint& at) {
            for (const wxMenuItem* pItem : menu.GetMenuItems())
                items.emplace_back(pItem->GetId(), pItem->GetItemLabelText());
            point = at;
            return test.m_nChoose;
        });
        Press(test.m_bTree ? static_cast<wxWindow&>(Tree()) : List(), test.m_key);

        if (test.m_bPopup) {
            EXPECT_EQ(items, test.m_bTree ? treeMenu : listMenu);
            EXPECT_TRUE(rcSelected.Contains(point)) << point.x << "," << point.y;
        } else {
            EXPECT_TRUE(items.empty());
        }
        if (test.m_bTree) {
            EXPECT_EQ(Item("かお・").IsOk(), !test.m_bDeletes);
        } else {
            EXPECT_EQ(pFaces->GetAACount(), test.m_bDeletes ? nAAs - 2 : nAAs);
            EXPECT_EQ(List().GetRowCount(), pFaces->GetAACount());
        }
        EXPECT_EQ(Doc().IsModified(), test.m_bDeletes);
    }
}

namespace
{
// The edit commands act on the pane with the keyboard focus, which the
// display gives one window at a time: CTest runs these alone.
class KeyboardOwnDisplayTest : public KeyboardTest
{
protected:
    void Focus(wxWindow& window)
    {
        window.SetFocus();
        PumpEvents();
        ASSERT_EQ(wxWindow::FindFocus(), &window);
    }

    bool IsEnabled(int nId)
    {
        Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return Frame()->GetMenuBar()->IsEnabled(nId);
    }

    // A command of the edit menu, as its item, shortcut or tool sends it.
    void Command(int nId)
    {
        wxCommandEvent event(wxEVT_MENU, nId);
        event.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(event);
        PumpEvents();
    }

    static wxString ClipboardText()
    {
        wxClipboardLocker locker;
        wxTextDataObject data;
        return !!locker && wxTheClipboard->GetData(data) ? data.GetText() : wxString();
    }

    std::vector<int> AAs(const std::string& strFolder) const { return Category(strFolder)->GetAAList(); }
};

std::vector<int> Joined(std::vector<int> first, const std::vector<int>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
} // namespace

TEST_F(KeyboardOwnDisplayTest, CutCopyAndPasteMoveAndCopyAAsAndFoldersIntoTheSelectedFolder)
{
    const std::vector<int> cats = AAs("ねこ・");
    const std::vector<int> faces = AAs("かお・");
    const std::vector<int> dogs = AAs("いぬ・");
    const CAAStore& store = Doc().GetStore();

    // Nothing marked yet: nothing to paste; in the list, copy needs a row.
    SelectFolder(Item("かお・"));
    Focus(List());
    EXPECT_FALSE(IsEnabled(wxID_COPY));
    EXPECT_FALSE(IsEnabled(wxID_PASTE));

    // AAs copied in the list: their bodies go on the clipboard, an empty
    // line between two, and a paste appends them to the selected folder.
    SelectRows({0, 2});
    const std::vector<int> copied = List().GetSelectedAAs();
    ASSERT_EQ(copied.size(), 2U);
    ASSERT_TRUE(IsEnabled(wxID_COPY));
    Command(wxID_COPY);
    EXPECT_EQ(ClipboardText(), ScreenText(store.GetText(copied[0]) + "\r\n" + store.GetText(copied[1])));
    SelectFolder(Item("いぬ・"));
    Focus(Tree());
    ASSERT_TRUE(IsEnabled(wxID_PASTE));
    EXPECT_FALSE(Doc().IsModified());
    Command(wxID_PASTE);
    EXPECT_EQ(AAs("いぬ・"), Joined(dogs, copied));
    EXPECT_EQ(AAs("かお・"), faces);
    EXPECT_EQ(List().GetRowCount(), static_cast<int>(dogs.size()) + 2);
    EXPECT_TRUE(Doc().IsModified());

    // A cut AA leaves its folder when pasted elsewhere, once; into its own
    // folder there is nothing to paste. One deleted from its folder
    // meanwhile is not moved.
    SelectFolder(Item("かお・"));
    Focus(List());
    SelectRows({1, 2});
    const int nCut = List().GetRowAA(1);
    const int nDeleted = List().GetRowAA(2);
    Command(wxID_CUT);
    EXPECT_FALSE(IsEnabled(wxID_PASTE));
    SelectRows({2});
    Press(List(), {WXK_DELETE});
    SelectFolder(Item("ねこ・"));
    Focus(List());
    ASSERT_TRUE(IsEnabled(wxID_PASTE));
    Command(wxID_PASTE);
    EXPECT_EQ(AAs("ねこ・"), Joined(cats, {nCut}));
    std::vector<int> facesLeft = faces;
    for (int nGone : {nCut, nDeleted})
        facesLeft.erase(std::find(facesLeft.begin(), facesLeft.end(), nGone));
    EXPECT_EQ(AAs("かお・"), facesLeft);
    EXPECT_FALSE(IsEnabled(wxID_PASTE));

    // A cut folder moves with its AAs; the top folder can go nowhere.
    SelectFolder(Tree().GetRootItem());
    Focus(Tree());
    EXPECT_FALSE(IsEnabled(wxID_CUT));
    SelectFolder(Item("かお・"));
    Command(wxID_CUT);
    SelectFolder(Item("わく・"));
    Command(wxID_PASTE);
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・ いぬ・ わく・(かお・) うさぎ・)");
    EXPECT_EQ(Tree().GetSelection(), Item("かお・"));
    EXPECT_EQ(AAs("かお・"), facesLeft);

    // A copied folder copies its branch with the AA lists, as often as it
    // is pasted, but never into itself or below itself.
    SelectFolder(Item("わく・"));
    const wxTreeItemId hMarked = Item("かお・");
    const std::vector<int> frames = AAs("わく・");
    Command(wxID_COPY);
    SelectFolder(Item("いぬ・"));
    Command(wxID_PASTE);
    SelectFolder(Item("ねこ・"));
    Command(wxID_PASTE);
    EXPECT_EQ(Folders(Root()), "sample-aa.txt(ねこ・(わく・(かお・)) いぬ・(わく・(かお・)) わく・(かお・) うさぎ・)");
    const CCategory& copy = *Category("いぬ・")->GetChildAt(0);
    EXPECT_EQ(copy.GetAAList(), frames);
    EXPECT_EQ(copy.GetChildAt(0)->GetAAList(), AAs("かお・"));
    const std::string strBefore = Folders(Root());
    SelectFolder(hMarked);
    Focus(Tree());
    m_messages.clear();
    Command(wxID_PASTE);
    EXPECT_EQ(Folders(Root()), strBefore);
    ASSERT_EQ(m_messages.size(), 1U);

    // In the text pane the commands edit text, whatever is marked.
    Focus(*Frame()->GetTextView());
    Command(wxID_PASTE);
    EXPECT_EQ(Folders(Root()), strBefore);

    // A mark goes with its folder, and with the file.
    SelectFolder(Item("うさぎ・"));
    Focus(Tree());
    Command(wxID_COPY);
    Tree().DeleteFolder();
    PumpEvents();
    SelectFolder(Item("いぬ・"));
    EXPECT_FALSE(IsEnabled(wxID_PASTE));
    Command(wxID_COPY);
    Doc().Modify(false);
    ImportSample(wxYES);
    SelectFolder(Item("ねこ・"));
    Focus(Tree());
    EXPECT_FALSE(IsEnabled(wxID_PASTE));
}

TEST_F(KeyboardOwnDisplayTest, SearchTypeAheadAndTheFactsOfTheShownAA)
{
    const CAAStore& store = Doc().GetStore();
    wxSearchCtrl& field = *Frame()->GetSearchCtrl();
    SelectFolder(Item("かお・"));
    ASSERT_GT(List().GetRowCount(), 1);
    // Ctrl+F goes to the search field; what is typed there lists, after a
    // pause, every AA of the library whose name holds it.
    Command(ID_FIND);
    ASSERT_EQ(wxWindow::FindFocus(), &field);
    const std::string strName = store.GetName(List().GetRowAA(0));
    const std::string strTyped = Cp932ToUtf8(strName.substr(0, CharLengthAt(strName, 0)));
    field.SetValue(wxString::FromUTF8(strTyped));
    EXPECT_FALSE(List().IsShowingResults()); // not before the pause
    for (int i = 0; i < 50 && !List().IsShowingResults(); ++i) {
        wxMilliSleep(20);
        wxYield();
    }
    ASSERT_TRUE(List().IsShowingResults());
    const std::vector<int> expected = store.FindAAs(*CSearchText::FromUtf8(strTyped), false);
    std::vector<int> rows;
    for (int nRow = 0; nRow < List().GetRowCount(); ++nRow)
        rows.push_back(List().GetRowAA(nRow));
    EXPECT_EQ(rows, expected);
    EXPECT_NE(Frame()->GetStatusBar()->GetStatusText(0).Find(wxString::Format("%zu", expected.size())), wxNOT_FOUND);
    // Results cannot be deleted from a folder.
    SelectRow(0);
    EXPECT_FALSE(IsEnabled(wxID_CUT));

    // A text code page 932 cannot hold lists nothing and says so.
    field.SetValue(wxString::FromUTF8("\xED\x95\x9C"));
    Frame()->RunSearch();
    EXPECT_EQ(List().GetRowCount(), 0);
    EXPECT_NE(Frame()->GetStatusBar()->GetStatusText(0).Find("Shift-JIS"), wxNOT_FOUND);

    // Esc returns to the folder that was listed.
    Focus(field);
    wxUIActionSimulator typist;
    typist.Char(WXK_ESCAPE);
    PumpEvents();
    EXPECT_FALSE(List().IsShowingResults());
    EXPECT_TRUE(field.IsEmpty());

    // Type-ahead: a character committed to the list selects the next row
    // whose name starts with it.
    Focus(List());
    SelectRow(0);
    int nNext = -1;
    for (int nRow = 1; nRow < List().GetRowCount() && nNext < 0; ++nRow)
        if (List().GetItemText(nRow).StartsWith(wxString::FromUTF8(strTyped)))
            nNext = nRow;
    if (nNext >= 0) {
        wxKeyEvent character(wxEVT_CHAR);
        character.m_uniChar = wxString::FromUTF8(strTyped)[0];
        character.SetEventObject(&List());
        List().ProcessWindowEvent(character);
        PumpEvents();
        EXPECT_EQ(SelectedRows(), std::vector<int>{nNext});
    }

    // The shown AA's facts are in the status bar.
    const CAAFacts facts =
        MeasureAABody(store.GetText(List().GetRowAA(List().GetFirstSelectedRow())), store.ResolvesReferences());
    const wxString strLines = Frame()->GetStatusBar()->GetStatusText(CMainFrame::kStatusLines);
    EXPECT_TRUE(strLines.EndsWith(wxString::Format(U8("%zu 行"), facts.m_nLines))) << strLines;
    EXPECT_EQ(Frame()->GetStatusBar()->GetStatusText(CMainFrame::kStatusWidth),
              wxString::Format(U8("幅 %d ドット"), facts.m_nWidth));
    EXPECT_EQ(Frame()->IsStatusPaneWarned(CMainFrame::kStatusLines), facts.HasTooManyLines());
}

namespace
{
// Every folder under category, category first, parents before children:
// which objects they are and in which order.
void CollectFolders(const CCategory& category, std::vector<const CCategory*>& folders)
{
    folders.push_back(&category);
    for (int i = 0; i < category.GetChildCount(); ++i)
        CollectFolders(*category.GetChildAt(i), folders);
}

// The folders the tree's items show, in the same order.
void CollectItemFolders(const CCategoryTreeView& tree, const wxTreeItemId& item, std::vector<const CCategory*>& folders)
{
    folders.push_back(tree.GetItemCategory(item));
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk(); child = tree.GetNextChild(item, cookie))
        CollectItemFolders(tree, child, folders);
}

// What the window shows and the file would hold at one moment.
struct CShown
{
    std::string m_strBytes;
    std::vector<const CCategory*> m_folders;
    const CCategory* m_pSelected;
    const CCategory* m_pListed;
    std::vector<int> m_selectedAAs;

    bool operator==(const CShown&) const = default;
};

class UndoOwnDisplayTest : public KeyboardOwnDisplayTest
{
protected:
    CShown Shown() const
    {
        CShown shown{FormatIndexFile(Doc().GetStore(), Doc().GetModel()), {}, nullptr, nullptr, {}};
        CollectFolders(Root(), shown.m_folders);
        std::vector<const CCategory*> items;
        CollectItemFolders(Tree(), Tree().GetRootItem(), items);
        EXPECT_EQ(items, shown.m_folders) << "the tree shows the model";
        shown.m_pSelected = Tree().GetItemCategory(Tree().GetSelection());
        shown.m_pListed = List().GetCategory();
        shown.m_selectedAAs = List().GetSelectedAAs();
        return shown;
    }

    wxString MenuLabel(int nId)
    {
        Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return Frame()->GetMenuBar()->FindItem(nId)->GetItemLabel();
    }

    // Undo (or redo) through the edit menu, or with the keys: Ctrl+Z, and
    // Ctrl+Y or Ctrl+Shift+Z.
    void UndoOrRedo(bool bUndo, bool bKeys, bool bShiftZ = false)
    {
        if (!bKeys) {
            Command(bUndo ? wxID_UNDO : wxID_REDO);
            return;
        }
        wxUIActionSimulator typist;
        if (bUndo)
            typist.Char('z', wxMOD_CONTROL);
        else if (bShiftZ)
            typist.Char('z', wxMOD_CONTROL | wxMOD_SHIFT);
        else
            typist.Char('y', wxMOD_CONTROL);
        for (int i = 0; i < 5; ++i) {
            wxMilliSleep(10);
            PumpEvents();
        }
    }

    // Drags folder strFrom onto strOnto with the mouse, a quick flick.
    void DragFolder(const std::string& strFrom, const std::string& strOnto)
    {
        const wxPoint from = FolderPoint(Item(strFrom));
        const wxPoint onto = FolderPoint(Item(strOnto));
        SendMouse(Tree(), wxEVT_LEFT_DOWN, from, true);
        for (int i = 1; i <= 3; ++i)
            SendMouse(Tree(), wxEVT_MOTION, from + wxPoint(6 * i, 0), true);
        SendMouse(Tree(), wxEVT_MOTION, onto, true);
        SendMouse(Tree(), wxEVT_LEFT_UP, onto, false);
        PumpEvents();
    }

    // Drags the list's selected rows onto folder strOnto, with Ctrl held or
    // not.
    void DropRows(const std::string& strOnto, bool bCopy)
    {
        const wxPoint onto = FolderPoint(Item(strOnto));
        CDragOverride drag([&](wxDataObject&) {
            const wxDragResult nOver = Tree().OnAADragOver(onto, bCopy);
            return Tree().OnAADrop(onto) ? nOver : wxDragNone;
        });
        List().DragSelected();
        PumpEvents();
    }

    CTempDir m_dir;
};
} // namespace

TEST_F(UndoOwnDisplayTest, EachChangeIsOneStepThatTheMenuAndTheKeysUndoAndRedoExactly)
{
    // m_fnSelect selects what the change starts from (and cut or copy
    // marks it); m_fnChange is the step.
    struct CCase
    {
        const char* m_pszStep;
        std::function<void()> m_fnSelect;
        std::function<void()> m_fnChange;
    };
    const auto selectRows = [&](const std::string& strFolder, std::initializer_list<int> rows) {
        SelectFolder(Item(strFolder));
        Focus(List());
        SelectRows(rows);
    };
    const auto mark = [&](int nCommand, const std::string& strTarget) {
        Command(nCommand);
        SelectFolder(Item(strTarget));
    };
    const CCase cases[] = {
        {"フォルダの追加", [&] { SelectFolder(Item("かお・")); },
         [&] {
             Tree().AddFolder();
             PumpEvents();
             Tree().EndEditLabel(Tree().GetSelection(), true);
             PumpEvents();
         }},
        {"フォルダ名の変更", [] {}, [&] { ASSERT_TRUE(RenameFolder(Item("いぬ・"), "dogs")); }},
        {"フォルダの削除", [&] { SelectFolder(Item("ねこ・")); }, [&] { Press(Tree(), {WXK_DELETE}); }},
        {"フォルダの削除", [&] { SelectFolder(Tree().GetRootItem()); }, [&] { Press(Tree(), {WXK_DELETE}); }},
        {"フォルダの移動", [&] { SelectFolder(Item("ねこ・")); }, [&] { DragFolder("ねこ・", "わく・"); }},
        {"フォルダの移動", [&] { SelectFolder(Item("かお・")); }, [&] { DragFolder("かお・", "sample-aa.txt"); }},
        {"フォルダの移動",
         [&] {
             SelectFolder(Item("うさぎ・"));
             mark(wxID_CUT, "ねこ・");
         },
         [&] { Command(wxID_PASTE); }},
        {"フォルダのコピー",
         [&] {
             SelectFolder(Item("いぬ・"));
             mark(wxID_COPY, "かお・");
         },
         [&] { Command(wxID_PASTE); }},
        {"ＡＡの移動",
         [&] {
             selectRows("かお・", {0, 2, 3});
         },
         [&] { DropRows("いぬ・", false); }},
        {"ＡＡのコピー",
         [&] {
             selectRows("かお・", {1, 2});
         },
         [&] { DropRows("かお・", true); }},
        {"ＡＡの削除",
         [&] {
             selectRows("かお・", {0, 3});
         },
         [&] { Press(List(), {WXK_DELETE}); }},
        {"ＡＡの移動",
         [&] {
             selectRows("かお・", {1, 2});
             mark(wxID_CUT, "ねこ・");
         },
         [&] { Command(wxID_PASTE); }},
        {"ＡＡのコピー",
         [&] {
             selectRows("ねこ・", {0});
             mark(wxID_COPY, "いぬ・");
         },
         [&] { Command(wxID_PASTE); }},
    };
    const std::string strSaved = m_dir.File("saved.rix");
    const std::string strUndone = m_dir.File("undone.rix");
    bool bKeys = false;
    for (const CCase& test : cases) {
        bKeys = !bKeys;
        const wxString strStep = wxString::FromUTF8(test.m_pszStep);
        SCOPED_TRACE(testing::Message() << test.m_pszStep << (bKeys ? ", keys" : ", menu"));
        ImportSample(wxYES);
        ASSERT_TRUE(Doc().SaveAsPath(strSaved));
        Focus(Tree());
        EXPECT_EQ(MenuLabel(wxID_UNDO), U8("元に戻す(&U)\tCtrl+Z"));
        EXPECT_FALSE(IsEnabled(wxID_UNDO));
        test.m_fnSelect();
        const CShown before = Shown();

        test.m_fnChange();
        Focus(Tree());
        const CShown after = Shown();
        ASSERT_NE(after.m_strBytes, before.m_strBytes);
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_EQ(MenuLabel(wxID_UNDO), U8("元に戻す: ") + strStep + "(&U)\tCtrl+Z");

        UndoOrRedo(true, bKeys);
        EXPECT_EQ(Shown(), before);
        EXPECT_FALSE(Doc().IsModified());
        EXPECT_FALSE(IsEnabled(wxID_UNDO));
        EXPECT_EQ(MenuLabel(wxID_REDO), U8("やり直し: ") + strStep + "(&R)\tCtrl+Y");
        ASSERT_TRUE(Doc().SaveAsPath(strUndone));
        EXPECT_EQ(ReadBytes(strUndone), ReadBytes(strSaved));

        UndoOrRedo(false, bKeys, !bKeys);
        // The same folders again, where the change had put them, and the
        // panes as they were when it was undone.
        const CShown redone = Shown();
        EXPECT_EQ(redone.m_strBytes, after.m_strBytes);
        EXPECT_EQ(redone.m_folders, after.m_folders);
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_FALSE(IsEnabled(wxID_REDO));
        // Undone once more, it is the saved file again.
        UndoOrRedo(true, !bKeys);
        EXPECT_EQ(Shown(), before);
        EXPECT_FALSE(Doc().IsModified());
    }
}

TEST_F(UndoOwnDisplayTest, TheHistoryHoldsAHundredStepsGoesWithTheFileAndLeavesTextEditingAlone)
{
    const wxTreeItemId item = Item("いぬ・");
    for (int i = 1; i <= CRidaxoDoc::kHistorySteps + 1; ++i)
        ASSERT_TRUE(RenameFolder(item, wxString::Format("dogs %d", i)));
    Focus(Tree());
    for (int i = 0; i < CRidaxoDoc::kHistorySteps; ++i) {
        ASSERT_TRUE(IsEnabled(wxID_UNDO)) << i;
        Command(wxID_UNDO);
    }
    // The first step went over the limit: it stays, and so does the mark.
    EXPECT_FALSE(IsEnabled(wxID_UNDO));
    EXPECT_EQ(Tree().GetItemText(item), "dogs 1");
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_NE(Frame()->GetTitle().Find("*"), wxNOT_FOUND);

    // In the text pane, undo is its own and copy copies its selection.
    Command(wxID_REDO);
    SelectFolder(Item("かお・"));
    SelectRow(0);
    wxTextCtrl& pane = *Frame()->GetTextView();
    ASSERT_GT(pane.GetLastPosition(), 3);
    Focus(pane);
    pane.SetSelection(1, 3);
    EXPECT_EQ(MenuLabel(wxID_UNDO), U8("元に戻す(&U)\tCtrl+Z"));
    Command(wxID_UNDO);
    EXPECT_EQ(Tree().GetItemText(item), "dogs 2");
    Command(wxID_COPY);
    EXPECT_EQ(ClipboardText(), pane.GetStringSelection());
    wxTheClipboard->Clear();
    wxUIActionSimulator typist;
    typist.Char('c', wxMOD_CONTROL);
    for (int i = 0; i < 5; ++i) {
        wxMilliSleep(10);
        PumpEvents();
    }
    EXPECT_EQ(ClipboardText(), pane.GetStringSelection());

    // Another file opened, the history is gone.
    Doc().Modify(false);
    ImportSample(wxYES);
    Focus(Tree());
    EXPECT_FALSE(IsEnabled(wxID_UNDO));
    EXPECT_FALSE(IsEnabled(wxID_REDO));
}
