// The program without a mouse: keys pressed in the tree and the list, and
// their popups and commands, checked in the panes and in the model.
#include "AAListView.h"
#include "AAStore.h"
#include "Category.h"
#include "CategoryTreeView.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Resources.h"
#include "RidaxoDoc.h"
#include "ShiftJis.h"

#include <wx/menu.h>
#include <wx/textctrl.h>

#include <algorithm>
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

class KeyboardTest : public CSampleFixture
{
protected:
    void SetUp() override
    {
        CSampleFixture::SetUp();
        ImportSample(wxYES);
        m_messages.clear();
    }

    CCategory& Root() const { return Doc().m_model.GetRoot(); }
    wxTreeItemId Item(const std::string& strName) const { return FindTreeItem(Tree(), wxString::FromUTF8(strName)); }
    CCategory* Category(const std::string& strName) const { return Tree().GetItemCategory(Item(strName)); }

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
    const std::vector<std::pair<int, wxString>> listMenu = {{ID_AA_DELETE, U8("ＡＡの削除")}};
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
