#include "MainFrame.h"
#include "AAListView.h"
#include "AAStore.h"
#include "CategoryTreeView.h"
#include "DocumentFile.h"
#include "GuiTestSupport.h"
#include "ModelHelpers.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"
#include "ShiftJis.h"
#include "TempFiles.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <filesystem>

namespace
{
wxString Utf8(const char* psz)
{
    return wxString::FromUTF8(psz);
}

std::vector<wxString> ChildLabels(const wxTreeCtrl& tree, const wxTreeItemId& parent)
{
    std::vector<wxString> labels;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree.GetFirstChild(parent, cookie); item.IsOk(); item = tree.GetNextChild(parent, cookie))
        labels.push_back(tree.GetItemText(item));
    return labels;
}

class MainFrameTest : public CSampleFixture
{
protected:
    bool IsMenuEnabled(int nId)
    {
        Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return Frame()->GetMenuBar()->IsEnabled(nId);
    }
};
} // namespace

TEST_F(MainFrameTest, StartsEmptyWithDefaultsAndOnlySaveAsAvailable)
{
    EXPECT_EQ(Frame()->GetTitle(), Utf8("無題 - Ridaxo"));
    EXPECT_EQ(Tree().GetCount(), 0U);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_TRUE(PaneText().empty());
    EXPECT_EQ(Frame()->SimilarityThreshold, 3U);
    EXPECT_EQ(Frame()->MinCategoryItems, 5U);
    EXPECT_FALSE(IsMenuEnabled(wxID_SAVE));
    EXPECT_TRUE(IsMenuEnabled(wxID_SAVEAS));
    EXPECT_TRUE(Frame()->m_bPanesReady);
    EXPECT_EQ(Manager().GetFileHistory()->GetMaxFiles(), 8U);
}

TEST_F(MainFrameTest, ImportAnsweredYesGroupsIntoCollapsedUnselectedTree)
{
    ImportSample(wxYES);

    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(m_messages[0].m_strText, Utf8("自動カテゴライズしますか？"));
    EXPECT_EQ(m_messages[0].m_nStyle & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);

    const wxTreeItemId root = Tree().GetRootItem();
    ASSERT_TRUE(root.IsOk());
    EXPECT_EQ(Tree().GetItemText(root), "sample-aa.txt");
    EXPECT_EQ(ChildLabels(Tree(), root).size(), 5U);
    EXPECT_FALSE(Tree().IsExpanded(root));
    EXPECT_FALSE(Tree().GetSelection().IsOk());
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt - Ridaxo");
    EXPECT_FALSE(IsMenuEnabled(wxID_SAVE));
    EXPECT_EQ(Manager().GetHistoryFilesCount(), 1U);
}

TEST_F(MainFrameTest, ImportAnsweredNoListsEveryAAAndShowsTheSelectedOne)
{
    ImportSample(wxNO);
    const wxTreeItemId root = Tree().GetRootItem();
    EXPECT_TRUE(ChildLabels(Tree(), root).empty());

    SelectFolder(root);
    const CAAStore& store = Doc().m_store;
    ASSERT_EQ(List().GetItemCount(), store.GetCount());
    for (int nRow : {0, 17, store.GetCount() - 1}) {
        EXPECT_EQ(List().GetRowAA(nRow), nRow);
        EXPECT_EQ(List().GetItemText(nRow), wxString::FromUTF8(Cp932ToUtf8(store.GetNameView(nRow))));
    }

    // Nothing selected yet: the pane shows row 0's AA once asked.
    Frame()->ShowSelectedAA();
    wxString strExpected = wxString::FromUTF8(Cp932ToUtf8(store.GetText(0)));
    strExpected.Replace("\r\n", "\n");
    EXPECT_EQ(PaneText(), strExpected);

    SelectRow(5);
    strExpected = wxString::FromUTF8(Cp932ToUtf8(store.GetText(5)));
    strExpected.Replace("\r\n", "\n");
    EXPECT_EQ(PaneText(), strExpected);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(MainFrameTest, SaveAsThenReopenGivesTheSameTreeAndEnablesSave)
{
    ImportSample(wxYES);
    const std::string strBefore = DescribeTree(Doc().m_model.GetRoot());
    CTempDir dir;
    const std::string strIndex = dir.File("sample.rix");
    ASSERT_TRUE(Doc().SaveAsPath(strIndex));
    EXPECT_EQ(ReadBytes(strIndex), FormatIndexFile(Doc().m_store, Doc().m_model));
    EXPECT_EQ(Frame()->GetTitle(), "sample.rix - Ridaxo");

    ASSERT_TRUE(Manager().OpenPath(strIndex));
    EXPECT_EQ(DescribeTree(Doc().m_model.GetRoot()), strBefore);
    EXPECT_TRUE(IsMenuEnabled(wxID_SAVE));
    EXPECT_EQ(Tree().GetItemText(Tree().GetRootItem()), "sample-aa.txt");
    EXPECT_EQ(m_messages.size(), 1U) << "opening an index file asks nothing";
}

TEST_F(MainFrameTest, SaveAsRefusesToOverwriteTheAATextFile)
{
    CTempDir dir;
    const std::string strText = dir.Write("aa.txt", ReadBytes(SamplePath()));
    m_answers = {wxNO};
    ASSERT_TRUE(Manager().OpenPath(strText));
    EXPECT_EQ(MakeIndexFileName(strText), dir.File("aa.rix"));

    EXPECT_FALSE(Doc().SaveAsPath(strText));
    EXPECT_EQ(ReadBytes(strText), ReadBytes(SamplePath()));
    ASSERT_EQ(m_messages.size(), 2U);
    EXPECT_TRUE(m_messages[1].m_nStyle & wxICON_ERROR);
}

TEST_F(MainFrameTest, FailedOpenKeepsTheArrangementPanesAndTitle)
{
    ImportSample(wxYES);
    wxTreeItemIdValue cookie;
    const wxTreeItemId firstFolder = Tree().GetFirstChild(Tree().GetRootItem(), cookie);
    SelectFolder(firstFolder);
    const int nRows = List().GetItemCount();
    ASSERT_GT(nRows, 0);
    const std::string strTree = DescribeTree(Doc().m_model.GetRoot());

    CTempDir dir;
    const std::string strMissing = dir.File("missing.rix");
    const std::string strOrphan = dir.Write("orphan.rix", "\"" + dir.File("gone.txt") + "\"\n\"x\"\n0\n0\n");
    for (const std::string& strPath : {strMissing, strOrphan}) {
        m_messages.clear();
        EXPECT_FALSE(Manager().OpenPath(strPath));
        ASSERT_EQ(m_messages.size(), 1U);
        EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_ERROR);
        EXPECT_NE(m_messages[0].m_strText.Find(strPath == strMissing ? "missing.rix" : "gone.txt"), wxNOT_FOUND);
        EXPECT_EQ(DescribeTree(Doc().m_model.GetRoot()), strTree);
        EXPECT_EQ(List().GetItemCount(), nRows);
        EXPECT_EQ(Tree().GetSelection(), firstFolder);
        EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt - Ridaxo");
    }
}

TEST_F(MainFrameTest, UnsavedChangesAreOfferedBeforeTheyAreLost)
{
    ImportSample(wxNO);
    Doc().MarkArrangementChanged();
    EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt* - Ridaxo");

    // Opening another file: Cancel keeps everything.
    m_messages.clear();
    m_answers = {wxCANCEL};
    EXPECT_FALSE(Manager().OpenPath(SamplePath()));
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_NE(m_messages[0].m_strText.Find(Utf8("への変更を保存しますか")), wxNOT_FOUND);
    EXPECT_TRUE(Doc().IsModified());

    // Closing: Cancel keeps the window, its panes still served.
    m_answers = {wxCANCEL};
    EXPECT_FALSE(CloseFrame());
    EXPECT_TRUE(Frame()->m_bPanesReady);
    EXPECT_TRUE(Doc().IsModified());

    // Closing, answering No: the window goes without saving.
    m_answers = {wxNO};
    EXPECT_TRUE(CloseFrame());
}

TEST_F(MainFrameTest, UnreadableTextFileIsReportedOnceAndShowsNothingStale)
{
    CTempDir dir;
    const std::string strText = dir.Write("aa.txt", ReadBytes(SamplePath()));
    m_answers = {wxNO};
    ASSERT_TRUE(Manager().OpenPath(strText));
    SelectFolder(Tree().GetRootItem());
    SelectRow(0);
    ASSERT_FALSE(PaneText().empty());

    std::filesystem::remove(strText);
    m_messages.clear();
    for (int nRow : {1, 2, 3}) {
        List().SetItemState(nRow - 1, 0, LXIS_SELECTED);
        SelectRow(nRow);
    }
    EXPECT_TRUE(PaneText().empty());
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_NE(m_messages[0].m_strText.Find("aa.txt"), wxNOT_FOUND);
    EXPECT_EQ(DescribeTree(Doc().m_model.GetRoot()).empty(), false);
}

TEST_F(MainFrameTest, RenamingAFolderKeepsCodePage932AndMarksTheChange)
{
    ImportSample(wxYES);
    const wxTreeItemId root = Tree().GetRootItem();
    const auto endEdit = [&](const wxString& strLabel) {
        wxTreeEvent event(wxEVT_TREE_END_LABEL_EDIT, &Tree(), root);
        event.SetLabel(strLabel);
        Tree().ProcessWindowEvent(event);
        return event.IsAllowed();
    };

    EXPECT_FALSE(endEdit(wxString()));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(endEdit(Utf8("顔😀")));
    EXPECT_EQ(m_messages.size(), 2U) << "the grouping question, then the refusal";
    EXPECT_EQ(Doc().m_model.GetRoot().GetName(), "sample-aa.txt");

    EXPECT_TRUE(endEdit(Utf8("顔①")));
    EXPECT_EQ(Doc().m_model.GetRoot().GetName(), "\x8a\xe7\x87\x40");
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(MainFrameTest, RecentFileListHoldsEightAndDropsTheOldest)
{
    CTempDir dir;
    const std::string strSample = ReadBytes(SamplePath());
    for (int i = 0; i < 9; ++i) {
        m_answers = {wxNO};
        ASSERT_TRUE(Manager().OpenPath(dir.Write("aa" + std::to_string(i) + ".txt", strSample)));
    }
    ASSERT_EQ(Manager().GetHistoryFilesCount(), 8U);
    EXPECT_EQ(Manager().GetHistoryFile(0), dir.File("aa8.txt"));
    EXPECT_EQ(Manager().GetHistoryFile(7), dir.File("aa1.txt"));
}

TEST_F(MainFrameTest, NewKeepsTheContentsUnderTheUntitledName)
{
    ImportSample(wxYES);
    const std::string strTree = DescribeTree(Doc().m_model.GetRoot());
    wxCommandEvent newCommand(wxEVT_MENU, wxID_NEW);
    Frame()->ProcessWindowEvent(newCommand);
    EXPECT_EQ(Frame()->GetTitle(), Utf8("無題 - Ridaxo"));
    EXPECT_EQ(DescribeTree(Doc().m_model.GetRoot()), strTree);
    EXPECT_TRUE(Tree().GetRootItem().IsOk());
}
