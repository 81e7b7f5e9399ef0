#include "MainFrame.h"
#include "AAFacts.h"
#include "AAListView.h"
#include "AAStore.h"
#include "CategoryTreeView.h"
#include "DisplayText.h"
#include "DocumentFile.h"
#include "GuiTestSupport.h"
#include "ModelHelpers.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"
#include "ShiftJis.h"
#include "TempFiles.h"

#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>

namespace
{
wxString Utf8(const char* psz)
{
    return wxString::FromUTF8(psz);
}

std::vector<wxString> ChildLabels(const wxTreeCtrlBase& tree, const wxTreeItemId& parent)
{
    std::vector<wxString> labels;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree.GetFirstChild(parent, cookie); item.IsOk(); item = tree.GetNextChild(parent, cookie))
        labels.push_back(tree.GetItemText(item));
    return labels;
}

// The text pane's form of an AA's body.
wxString PaneForm(const std::string& strText)
{
    wxString strPane = wxString::FromUTF8(Cp932ToUtf8(strText));
    strPane.Replace("\r\n", "\n");
    return strPane;
}

// Whether a message box's text mentions strPart.
bool Mentions(const CMessage& message, const std::string& strPart)
{
    return message.m_strText.Find(wxString::FromUTF8(strPart)) != wxNOT_FOUND;
}

class MainFrameTest : public CSampleFixture
{
protected:
    bool IsMenuEnabled(int nId)
    {
        Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return Frame()->GetMenuBar()->IsEnabled(nId);
    }

    wxString StatusText() const { return Frame()->GetStatusBar()->GetStatusText(0); }
};

// Tests that need the keyboard focus, which another test's window would
// take: CTest runs them alone.
class MainFrameOwnDisplayTest : public MainFrameTest
{};
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
    const CAAStore& store = Doc().GetStore();
    ASSERT_EQ(List().GetItemCount(), store.GetCount());
    for (int nRow : {0, 17, store.GetCount() - 1}) {
        EXPECT_EQ(List().GetRowAA(nRow), nRow);
        EXPECT_EQ(List().GetItemText(nRow), wxString::FromUTF8(Cp932ToUtf8(store.GetNameView(nRow))));
    }

    // Nothing selected yet: the pane shows row 0's AA once asked.
    Frame()->ShowSelectedAA();
    EXPECT_EQ(PaneText(), PaneForm(store.GetText(0)));

    SelectRow(5);
    EXPECT_EQ(PaneText(), PaneForm(store.GetText(5)));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(MainFrameTest, SaveAsThenReopenGivesTheSameTreeAndEnablesSave)
{
    ImportSample(wxYES);
    CTempDir dir;
    const std::string strIndex = dir.File("sample.rix");
    ASSERT_TRUE(Doc().SaveAsPath(strIndex));
    EXPECT_EQ(ReadBytes(strIndex), FormatIndexFile(Doc().GetStore(), Doc().GetModel()));
    EXPECT_EQ(Frame()->GetTitle(), "sample.rix - Ridaxo");
    // The document is that index file now: Save writes it.
    EXPECT_TRUE(IsMenuEnabled(wxID_SAVE));
    Doc().GetRootForSteps().AddAA(0);
    Doc().Modify(true);
    ASSERT_TRUE(Doc().Save());
    EXPECT_EQ(ReadBytes(strIndex), FormatIndexFile(Doc().GetStore(), Doc().GetModel()));
    const std::string strBefore = DescribeTree(Doc().GetModel().GetRoot());

    ASSERT_TRUE(Manager().OpenPath(strIndex));
    EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strBefore);
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
    const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());

    CTempDir dir;
    const std::string strMissing = dir.File("missing.rix");
    const std::string strOrphan = dir.Write("orphan.rix", "\"" + dir.File("gone.txt") + "\"\n\"x\"\n0\n0\n");
    for (const std::string& strPath : {strMissing, strOrphan}) {
        m_messages.clear();
        EXPECT_FALSE(Manager().OpenPath(strPath));
        ASSERT_EQ(m_messages.size(), 1U);
        EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_ERROR);
        EXPECT_NE(m_messages[0].m_strText.Find(strPath == strMissing ? "missing.rix" : "gone.txt"), wxNOT_FOUND);
        // Japanese throughout, the path aside.
        wxString strWords = m_messages[0].m_strText;
        strWords.Replace(wxString::FromUTF8(strPath == strMissing ? strMissing : dir.File("gone.txt")), "");
        EXPECT_EQ(strWords.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), wxString::npos)
            << strWords.utf8_string();
        EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
        EXPECT_EQ(List().GetItemCount(), nRows);
        EXPECT_EQ(Tree().GetSelection(), firstFolder);
        EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt - Ridaxo");
    }
}

TEST_F(MainFrameTest, UnsavedChangesAreOfferedBeforeTheyAreLost)
{
    ImportSample(wxNO);
    Doc().Modify(true);
    EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt* - Ridaxo");

    // Opening another file: Cancel keeps everything.
    m_messages.clear();
    m_answers = {wxCANCEL};
    EXPECT_FALSE(Manager().OpenPath(SamplePath()));
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_NE(m_messages[0].m_strText.Find(Utf8("への変更を保存しますか")), wxNOT_FOUND);
    EXPECT_TRUE(Doc().IsModified());

    // Answering No, then the file fails to open: the changes are still on
    // screen, and still offered for saving later.
    CTempDir dir;
    const std::string strUtf8 = dir.Write("utf8.txt", "\xEF\xBB\xBF[MojieName=x]\r\n");
    const std::string strOrphan = dir.Write("orphan.rix", "\"" + dir.File("gone.txt") + "\"\n\"x\"\n0\n0\n");
    for (const std::string& strPath : {strUtf8, strOrphan}) {
        m_answers = {wxNO};
        EXPECT_FALSE(Manager().OpenPath(strPath));
        EXPECT_TRUE(Doc().IsModified()) << strPath;
        EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt* - Ridaxo") << strPath;
    }

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
    namespace fs = std::filesystem;
    struct CCase
    {
        const char* m_pszWhat;
        std::function<void(const std::string&)> m_fnBreak;
    };
    const CCase cases[] = {
        {"deleted", [](const std::string& strPath) { fs::remove(strPath); }},
        {"moved", [](const std::string& strPath) { fs::rename(strPath, strPath + ".moved"); }},
        {"made unreadable", [](const std::string& strPath) { fs::permissions(strPath, fs::perms::none); }},
        {"replaced by a folder",
         [](const std::string& strPath) {
             fs::remove(strPath);
             fs::create_directory(strPath);
         }},
    };
    const CPermissionsEnforced enforced;
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_pszWhat);
        CTempDir dir;
        const std::string strText = dir.Write("aa.txt", ReadBytes(SamplePath()));
        m_answers = {wxNO};
        ASSERT_TRUE(Manager().OpenPath(strText));
        SelectFolder(Tree().GetRootItem());
        SelectRow(0);
        ASSERT_FALSE(PaneText().empty());
        const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());

        c.m_fnBreak(strText);
        m_messages.clear();
        for (int nRow : {1, 2, 3})
            SelectRow(nRow);
        EXPECT_TRUE(PaneText().empty());
        ASSERT_EQ(m_messages.size(), 1U) << "reported once";
        EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_ERROR);
        EXPECT_TRUE(Mentions(m_messages[0], strText));
        EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);

        const std::string strIndex = dir.File("kept.rix");
        ASSERT_TRUE(Doc().SaveAsPath(strIndex));
        EXPECT_EQ(ReadBytes(strIndex), FormatIndexFile(Doc().GetStore(), Doc().GetModel()));
        EXPECT_EQ(ReadBytes(strIndex).substr(0, strText.size() + 2), "\"" + strText + "\"");
    }
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

    SelectFolder(root);
    EXPECT_FALSE(endEdit(wxString()));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(endEdit(Utf8("顔😀")));
    EXPECT_EQ(m_messages.size(), 2U) << "the grouping question, then the refusal";
    EXPECT_EQ(Doc().GetModel().GetRoot().GetName(), "sample-aa.txt");
    // The editor opens again on the refused name, for it to be corrected.
    PumpEvents();
    ASSERT_NE(Tree().GetEditControl(), nullptr);
    EXPECT_EQ(Tree().GetEditControl()->GetValue(), Utf8("顔😀"));
    Tree().EndEditLabel(root, true);
    PumpEvents();

    EXPECT_TRUE(endEdit(Utf8("顔①")));
    EXPECT_EQ(Doc().GetModel().GetRoot().GetName(), "\x8a\xe7\x87\x40");
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

    // An entry whose file is there but no longer opens goes, once its
    // error has been shown; one kept by a cancel stays.
    dir.Write("aa8.txt", "\xEF\xBB\xBF[MojieName=x]\r\n");
    Doc().Modify(true);
    const auto chooseFirst = [this] {
        wxCommandEvent command(wxEVT_MENU, wxID_FILE1);
        Frame()->ProcessWindowEvent(command);
    };
    m_answers = {wxCANCEL};
    chooseFirst();
    EXPECT_EQ(Manager().GetHistoryFilesCount(), 8U);
    m_messages.clear();
    m_answers = {wxNO};
    chooseFirst();
    ASSERT_EQ(m_messages.size(), 2U);
    EXPECT_TRUE(m_messages[1].m_nStyle & wxICON_ERROR);
    ASSERT_EQ(Manager().GetHistoryFilesCount(), 7U);
    EXPECT_EQ(Manager().GetHistoryFile(0), dir.File("aa7.txt"));
}

TEST_F(MainFrameTest, RecentFilesAreKeptWhereNoConfigurationFolderWasYet)
{
    // The settings are made anew for a configuration folder that does not
    // exist, two levels deep.
    CTempDir dir;
    const std::string strConfigDir = dir.File("config/ridaxo-test");
    const std::string strOldConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", strConfigDir.c_str(), 1);
    delete wxConfigBase::Set(nullptr);
    wxConfigBase::Get();
    ImportSample(wxNO);
    ASSERT_TRUE(CloseFrame());
    App().ShutDown();
    delete wxConfigBase::Set(nullptr);
    setenv("XDG_CONFIG_HOME", strOldConfig.c_str(), 1);

    const std::string strSaved = ReadBytes(strConfigDir + "/Ridaxo.conf");
    EXPECT_NE(strSaved.find("sample-aa.txt"), std::string::npos) << strSaved;
}

TEST_F(MainFrameTest, AANumbersTheTextFileCannotBackAreCountedInOneWarning)
{
    CTempDir dir;
    const std::string strText = dir.Write("aa.txt", ReadBytes(SamplePath()));
    const std::string strIndex = dir.Write("aa.rix", "\"" + strText + "\"\n\"top\"\n4\n0\n-1\n99999\n1\n0\n");
    m_messages.clear();
    ASSERT_TRUE(Manager().OpenPath(strIndex));
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_WARNING);
    EXPECT_TRUE(Mentions(m_messages[0], "2 件"));
    // The numbers stay as they were read.
    EXPECT_EQ(Doc().GetModel().GetRoot().GetAAList(), (std::vector<int>{0, -1, 99999, 1}));
}

TEST_F(MainFrameTest, AnEmptyFileIsNotReadAndChangesNothing)
{
    ImportSample(wxNO);
    Doc().Modify(true);
    const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());
    const size_t nRecent = Manager().GetHistoryFilesCount();
    CTempDir dir;
    for (const char* pszName : {"empty.txt", "empty.rix"}) {
        m_messages.clear();
        EXPECT_TRUE(Manager().OpenPath(dir.Write(pszName, "")));
        EXPECT_TRUE(m_messages.empty()) << pszName << ": no question, no error";
        EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree) << pszName;
        EXPECT_TRUE(Tree().GetRootItem().IsOk()) << pszName;
        EXPECT_TRUE(Doc().IsModified()) << pszName;
        EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt* - Ridaxo") << pszName;
        EXPECT_EQ(Manager().GetHistoryFilesCount(), nRecent) << pszName;
    }
}

TEST_F(MainFrameTest, NewKeepsTheContentsUnderTheUntitledName)
{
    ImportSample(wxYES);
    const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());
    wxCommandEvent newCommand(wxEVT_MENU, wxID_NEW);
    Frame()->ProcessWindowEvent(newCommand);
    EXPECT_EQ(Frame()->GetTitle(), Utf8("無題 - Ridaxo"));
    EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
    EXPECT_TRUE(Tree().GetRootItem().IsOk());
}

TEST_F(MainFrameTest, AChangedTextFileIsOfferedForReadingAgainKeepingTheArrangement)
{
    CTempDir dir;
    const std::string sample = ReadBytes(SamplePath());
    const std::string strText = dir.Write("aa.txt", sample);
    m_answers = {wxYES};
    ASSERT_TRUE(Manager().OpenPath(strText));
    ASSERT_TRUE(Doc().SaveAsPath(dir.File("aa.rix")));
    const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());
    SelectFolder(Tree().GetRootItem());
    SelectRow(0);
    const int nAA = List().GetRowAA(1);
    const std::string strBody = Doc().GetStore().GetText(nAA);

    // A line more at the top moves every AA.
    const std::string strTop = "a new first line\r\n";
    WriteBytes(strText, strTop + sample);
    m_messages.clear();
    m_answers = {wxYES};
    SelectRow(1);
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(m_messages[0].m_nStyle & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
    EXPECT_TRUE(Mentions(m_messages[0], "AA の位置が合わなくなっています"));
    EXPECT_TRUE(Mentions(m_messages[0], strText));
    // Read again: the same AAs at their new places, the arrangement as it was.
    EXPECT_EQ(Doc().GetStore().GetText(nAA), strBody);
    EXPECT_EQ(PaneText(), PaneForm(strBody));
    EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_FALSE(Doc().HasUnansweredTextFileChange());
    const std::uint64_t nOffset = Doc().GetStore().GetOffset(nAA);

    // Another change, answered No: shown as the file now stands, and not
    // asked about again.
    WriteBytes(strText, sample);
    m_messages.clear();
    m_answers = {wxNO};
    SelectRow(2);
    ASSERT_EQ(m_messages.size(), 1U);
    EXPECT_EQ(Doc().GetStore().GetOffset(nAA), nOffset) << "not read again";
    EXPECT_EQ(PaneText(), PaneForm(Doc().GetStore().GetText(List().GetRowAA(2))));
    SelectRow(3);
    EXPECT_EQ(m_messages.size(), 1U);

    // A change after that is a new one.
    WriteBytes(strText, sample + "\r\n");
    SelectRow(4);
    EXPECT_EQ(m_messages.size(), 2U);
    EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
}

TEST_F(MainFrameTest, AFailedSaveKeepsTheOldFileTheArrangementAndItsChangedMark)
{
    namespace fs = std::filesystem;
    CTempDir dir;
    fs::create_directory(dir.GetPath() / "coll");
    const std::string strText = dir.Write("coll/aa.txt", ReadBytes(SamplePath()));
    const std::string strIndex = dir.File("coll/aa.rix");
    m_answers = {wxYES};
    ASSERT_TRUE(Manager().OpenPath(strText));
    ASSERT_TRUE(Doc().SaveAsPath(strIndex));
    const std::string old = ReadBytes(strIndex);

    struct CCase
    {
        const char* m_pszWhat;
        std::function<bool()> m_fnSave;
        std::string m_strNamed; // the file the message must name
    };
    const CCase cases[] = {
        {"a full disk",
         [&] {
             bool bSaved = true;
             WithFileSizeLimit(64, [&] { bSaved = Doc().Save(); });
             return bSaved;
         },
         strIndex},
        {"a read-only folder",
         [&] {
             const CPermissionsEnforced enforced;
             fs::permissions(dir.GetPath() / "coll", fs::perms::owner_read | fs::perms::owner_exec);
             const bool bSaved = Doc().Save();
             fs::permissions(dir.GetPath() / "coll", fs::perms::owner_all);
             return bSaved;
         },
         strIndex},
        {"a folder that vanished", [&] { return Doc().SaveAsPath(dir.File("gone/aa.rix")); }, dir.File("gone/aa.rix")},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_pszWhat);
        Doc().GetRootForSteps().AddChild(c.m_pszWhat)->AddAA(0);
        Doc().Modify(true);
        Frame()->RefreshTree();
        const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());
        m_messages.clear();
        EXPECT_FALSE(c.m_fnSave());
        ASSERT_EQ(m_messages.size(), 1U);
        EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_ERROR);
        EXPECT_TRUE(Mentions(m_messages[0], "ファイルを保存できませんでした"));
        EXPECT_TRUE(Mentions(m_messages[0], c.m_strNamed));
        EXPECT_EQ(ReadBytes(strIndex), old);
        EXPECT_EQ(FolderEntries(dir.GetPath() / "coll"), (std::vector<std::string>{"aa.rix", "aa.txt"}));
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_EQ(Frame()->GetTitle(), "aa.rix* - Ridaxo");
        EXPECT_EQ(Doc().GetFilename(), strIndex);
        EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
    }
    // Once there is room again, saving works.
    EXPECT_TRUE(Doc().Save());
    EXPECT_EQ(ReadBytes(strIndex), FormatIndexFile(Doc().GetStore(), Doc().GetModel()));
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(MainFrameTest, AUtf8TextFileOrOneWithoutAAsIsRefusedWithAMessageAndWhatWasOpenStays)
{
    ImportSample(wxYES);
    const std::string strTree = DescribeTree(Doc().GetModel().GetRoot());
    CTempDir dir;
    struct CCase
    {
        std::string m_strPath;
        const char* m_pszCause;
    };
    const CCase cases[] = {
        {dir.Write("utf8.txt", "[MojieName=\xE3\x81\xAD\xE3\x81\x93]\r\n(=^.^=)\r\n[END]\r\n"), "UTF-8"},
        {dir.Write("no-aa.txt", "(=^.^=)\r\n[END]\r\n"), "AA がひとつもない"},
    };
    for (const CCase& test : cases) {
        m_messages.clear();
        EXPECT_FALSE(Manager().OpenPath(test.m_strPath));
        ASSERT_EQ(m_messages.size(), 1U) << "refused before the grouping question";
        EXPECT_TRUE(m_messages[0].m_nStyle & wxICON_ERROR);
        EXPECT_TRUE(Mentions(m_messages[0], "ファイルを開けませんでした"));
        EXPECT_TRUE(Mentions(m_messages[0], test.m_strPath));
        EXPECT_TRUE(Mentions(m_messages[0], test.m_pszCause)) << m_messages[0].m_strText.utf8_string();
        EXPECT_EQ(DescribeTree(Doc().GetModel().GetRoot()), strTree);
        EXPECT_EQ(Frame()->GetTitle(), "sample-aa.txt - Ridaxo");
    }
}

TEST_F(MainFrameTest, LongNamesAndBodiesAreShownCutAndBadBytesNeverEmptyATextOrName)
{
    // Six AAs sharing a name of 10,000 characters: the grouping names their
    // folder after it.
    std::string strLongName;
    for (int i = 0; i < 5000; ++i)
        strLongName += "\x82\xCB\x82\xB1"; // ねこ
    std::string strFile;
    for (int i = 0; i < 6; ++i)
        strFile += "[MojieName=" + strLongName + "]\r\n(=^.^=)\r\n[END]\r\n";
    strFile += "[MojieName=nul\x82\xCB]\r\n" + std::string("a\0b", 3) + "\r\n[END]\r\n";
    strFile += "[MojieName=long line]\r\n" + std::string(kPaneLineBytes + 1, 'x') + "\r\n[END]\r\n";
    strFile += std::string("[MojieName=zero\0byte]\r\n(=^.^=)\r\n[END]\r\n", 37);
    CTempDir dir;
    m_answers = {wxYES};
    ASSERT_TRUE(Manager().OpenPath(dir.Write("long.txt", strFile)));
    PumpEvents();

    // Wherever the long name is shown, it is cut: the folder's label, its
    // tooltip, and the rows of the folder.
    const wxString strCut = wxString::FromUTF8(Cp932ToUtf8(strLongName.substr(0, 2 * kNameDisplayChars)) + "…");
    wxTreeItemIdValue cookie;
    const wxTreeItemId folder = Tree().GetFirstChild(Tree().GetRootItem(), cookie);
    ASSERT_TRUE(folder.IsOk());
    EXPECT_EQ(Tree().GetItemText(folder), strCut);
    wxTreeEvent tooltip(wxEVT_TREE_ITEM_GETTOOLTIP, &Tree(), folder);
    Tree().ProcessWindowEvent(tooltip);
    EXPECT_TRUE(!tooltip.IsAllowed() || tooltip.GetLabel() == strCut);
    SelectFolder(folder);
    ASSERT_EQ(List().GetItemCount(), 6);
    EXPECT_EQ(List().GetItemText(5), strCut);

    // A NUL byte shows as a replacement character, in a body and in a name;
    // a body beyond what the pane draws at once is shown cut, and the
    // status bar says so while it is shown.
    SelectFolder(Tree().GetRootItem());
    ASSERT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(List().GetItemText(2), Utf8("zero\uFFFDbyte"));
    SelectRow(0);
    EXPECT_EQ(PaneText(), Utf8("a\uFFFDb\n"));
    const wxString strIdle = StatusText();
    SelectRow(1);
    EXPECT_EQ(PaneText(), wxString(kPaneLineBytes, 'x') + Utf8("…\n"));
    EXPECT_NE(StatusText().Find(Utf8("一部だけを表示")), wxNOT_FOUND) << StatusText();
    EXPECT_EQ(Doc().GetStore().GetText(List().GetRowAA(1)).size(), kPaneLineBytes + 3) << "the model keeps it whole";
    SelectRow(2);
    EXPECT_EQ(StatusText(), strIdle);
}

TEST_F(MainFrameTest, ALibrarysReferencesShowAsTheirCharactersATextFilesAsWritten)
{
    CTempDir dir;
    m_answers = {wxNO};
    ASSERT_TRUE(Manager().OpenPath(dir.Write("refs.mlt", "&#x2003;a&#0;\r\n[SPLIT]\r\nb\r\n")));
    PumpEvents();
    SelectFolder(Tree().GetRootItem());
    ASSERT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(List().GetItemText(0), Utf8("\u2003a&#0;"));
    SelectRow(0);
    EXPECT_EQ(PaneText(), Utf8("\u2003a&#0;\n"));
    // and are measured as their characters: an em space is one character.
    const int nWidth = MeasureAABody("&#x2003;a&#0;\r\n", true).m_nWidth;
    EXPECT_EQ(nWidth, CharAdvance(U'\u2003') + MeasureAABody("a&#0;", false).m_nWidth);
    EXPECT_EQ(Frame()->GetStatusBar()->GetStatusText(CMainFrame::kStatusWidth),
              wxString::Format(Utf8("幅 %d ドット"), nWidth));

    m_answers = {wxNO};
    ASSERT_TRUE(Manager().OpenPath(dir.Write("refs.txt", "[MojieName=&#x2003;]\r\n&#x2003;a\r\n[END]\r\n")));
    PumpEvents();
    SelectFolder(Tree().GetRootItem());
    EXPECT_EQ(List().GetItemText(0), "&#x2003;");
    SelectRow(0);
    EXPECT_EQ(PaneText(), "&#x2003;a\n");
}

TEST_F(MainFrameOwnDisplayTest, TheTextPaneTakesNoTypingButItsTextCanBeCopied)
{
    ImportSample(wxNO);
    SelectFolder(Tree().GetRootItem());
    SelectRow(0);
    wxTextCtrl& pane = *Frame()->GetTextView();
    const wxString strShown = PaneText();
    Frame()->Raise();
    pane.SetFocus();
    PumpEvents();
    ASSERT_EQ(wxWindow::FindFocus(), &pane);
    pane.SelectAll();

    EXPECT_TRUE(IsMenuEnabled(wxID_COPY));
    EXPECT_FALSE(IsMenuEnabled(wxID_CUT));
    EXPECT_FALSE(IsMenuEnabled(wxID_PASTE));
    wxCommandEvent copy(wxEVT_MENU, wxID_COPY);
    Frame()->ProcessWindowEvent(copy);
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTextDataObject copied;
    EXPECT_TRUE(wxTheClipboard->GetData(copied));
    wxTheClipboard->Close();
    EXPECT_EQ(copied.GetText(), strShown);

    // Neither typing nor a paste (Shift+Insert reaches the command even
    // with its menu item off) changes what the AA text file holds.
    wxUIActionSimulator typist;
    typist.Text("xy");
    typist.Char(WXK_BACK);
    typist.Char(WXK_RETURN);
    PumpEvents();
    wxCommandEvent paste(wxEVT_MENU, wxID_PASTE);
    Frame()->ProcessWindowEvent(paste);
    PumpEvents();
    EXPECT_EQ(PaneText(), strShown);
}
