#include "DocumentFile.h"
#include "AAStore.h"
#include "BlockWriter.h"
#include "Category.h"
#include "ModelHelpers.h"
#include "RidaxoError.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
// A document's data, as the window program's document holds it.
struct CDoc
{
    CAAStore m_store;
    CCategoryModel m_model;
    bool m_bFromText = true;

    void Open(const std::string& strPath, bool bAnswerYes = false, CGroupingSettings settings = {})
    {
        OpenDocumentFile(
            strPath, m_store, m_model, m_bFromText, [=] { return bAnswerYes; }, settings);
    }
    std::string Tree() const { return DescribeTree(m_model.GetRoot()); }
};

const std::vector<std::string> kNames = {"cat-a", "dog-a", "cat-b", "cat-c", "owl"};

} // namespace

TEST(DocumentFileTest, TheNameDecidesBetweenImportAndIndexFile)
{
    struct CCase
    {
        std::string_view m_strPath;
        bool m_bText;
    };
    const CCase cases[] = {
        {"a.txt", true},
        {"/x/LIST.TXT", true},
        {"dir/txt", true},
        {"TxT", true},
        {"a.MLT", true},
        {"/x/a.ast", true},
        {"a.mlt.rix", false},
        {".txt", true},
        {"a.txt.rix", false},
        {"a.dat", false},
        {"a.rix", false},
        {"/x.txt/a.rix", false},
        {"a.", false},
        {"", false},
        {"a.txtx", false},
        // "あ" ends in byte 0x82, a Shift-JIS lead byte: the "." after it must
        // still be found.
        {"/\xE3\x81\x82.txt", true},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(IsAATextFileName(std::string(c.m_strPath)), c.m_bText) << c.m_strPath;
    EXPECT_EQ(GetFileTitle("/a/b/ねこ.txt"), "ねこ.txt");
    EXPECT_EQ(MakeRootName("/a/b/ねこ.txt"), "\x82\xCB\x82\xB1.txt");
    EXPECT_EQ(MakeRootName("/a/😺.txt"), "?.txt");
}

TEST(DocumentFileTest, ImportNamesTheRootAndGroupsAsAnswered)
{
    CTempDir dir;
    const std::string strText = dir.Write("Animals.TXT", MakeAAFile(kNames));
    CDoc doc;
    doc.Open(strText, false);
    EXPECT_TRUE(doc.m_bFromText);
    EXPECT_EQ(doc.Tree(), "Animals.TXT{0,1,2,3,4,}[]");
    EXPECT_EQ(doc.m_store.GetPath(), strText);

    doc.Open(strText, true, {4, 3});
    EXPECT_EQ(doc.Tree(), "Animals.TXT{1,4,}[cat-{3,2,0,}[]]");
}

TEST(DocumentFileTest, AnIndexFileRestoresTheTreeAndResavesTheSameBytes)
{
    CTempDir dir;
    const std::string strText = dir.Write("animals.txt", MakeAAFile(kNames));
    CDoc doc;
    doc.Open(strText, true, {4, 3});
    const std::string strIndex = dir.File("animals.rix");
    SaveIndexFile(strIndex, doc.m_store, doc.m_model);
    const std::string bytes = ReadBytes(strIndex);
    EXPECT_EQ(bytes, "\"" + strText + "\"\n\"animals.txt\"\n2\n1\n4\n1\n\"cat-\"\n3\n3\n2\n0\n0\n");

    CDoc reopened;
    reopened.Open(strIndex);
    EXPECT_FALSE(reopened.m_bFromText);
    EXPECT_EQ(reopened.Tree(), doc.Tree());
    EXPECT_EQ(reopened.m_store.GetName(4), "owl");
    EXPECT_EQ(FormatIndexFile(reopened.m_store, reopened.m_model), bytes);

    // An index file of a library reads it in the library's format again.
    const std::string strLibrary = dir.Write("pages.MLT", "cat\r\n[SPLIT]\r\ndog\r\n");
    CDoc library;
    library.Open(strLibrary);
    SaveIndexFile(strIndex, library.m_store, library.m_model);
    reopened.Open(strIndex);
    EXPECT_EQ(reopened.m_store.GetName(1), "dog");
    EXPECT_EQ(reopened.m_store.GetText(1), "dog\r\n");
}

TEST(DocumentFileTest, HeaderLinesWithBlanksWithoutQuotesOrRelativePaths)
{
    CTempDir dir;
    const std::string strText = dir.Write("a.txt", MakeAAFile({"x"}));
    const std::string tree = "\"root\"\n1\n0\n0\n";
    const std::string headers[] = {" \t\"" + strText + "\" \r", strText, "\"a.txt\"", "./a.txt"};
    const auto previous = fs::current_path();
    fs::current_path(dir.GetPath());
    for (const std::string& strHeader : headers) {
        CDoc doc;
        doc.Open(dir.Write("i.rix", strHeader + "\n" + tree));
        EXPECT_EQ(doc.m_store.GetPath(), strText) << strHeader;
        EXPECT_EQ(doc.Tree(), "root{0,}[]");
    }
    fs::current_path(previous);
}

TEST(DocumentFileTest, AFailedOpenChangesNothing)
{
    CTempDir dir;
    const std::string strFifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    const std::string strText = dir.Write("good.txt", MakeAAFile(kNames));
    const std::string bad[] = {
        dir.File("missing.txt"),
        dir.File("missing.rix"),
        dir.Write("missing-text.rix", "\"" + dir.File("gone.txt") + "\"\n\"r\"\n0\n0\n"),
        dir.Write("folder.rix", "\"" + dir.GetPath().string() + "\"\n\"r\"\n0\n0\n"),
        dir.Write("fifo.rix", "\"" + strFifo + "\"\n\"r\"\n0\n0\n"),
        dir.Write("zero.rix", "\"/dev/zero\"\n\"r\"\n0\n0\n"),
        dir.Write("no-header.rix", "\"\"\n\"r\"\n0\n0\n"),
        // The system reads a name only up to a NUL byte: "good.txt" would open,
        // and the normalised path the store keeps would name "x" beside it.
        dir.Write("nul.rix", "\"" + strText + std::string("\0/../x", 6) + "\"\n\"r\"\n0\n0\n"),
        dir.Write("damaged.rix", "\"" + strText + "\"\n\"r\"\n2000000000\n"),
        dir.Write("no-aa.txt", "text, but no AA\r\n[END]\r\n"),
        strFifo,
    };
    CDoc doc;
    doc.Open(strText, true, {4, 3});
    const std::string before = FormatIndexFile(doc.m_store, doc.m_model);
    for (const std::string& strPath : bad) {
        bool bAsked = false;
        EXPECT_THROW(
            OpenDocumentFile(strPath, doc.m_store, doc.m_model, doc.m_bFromText, [&] { return bAsked = true; }, {}),
            CRidaxoError)
            << strPath;
        EXPECT_FALSE(bAsked) << strPath << ": the grouping question comes only when there is something to group";
        EXPECT_EQ(FormatIndexFile(doc.m_store, doc.m_model), before) << strPath;
        EXPECT_TRUE(doc.m_bFromText);
    }
}

TEST(DocumentFileTest, AnEmptyDocumentSavesAFileThatNamesNoTextFile)
{
    CTempDir dir;
    CDoc doc;
    EXPECT_EQ(FormatIndexFile(doc.m_store, doc.m_model), "\"\"\n\"\"\n0\n0\n");
    SaveIndexFile(dir.File("empty.rix"), doc.m_store, doc.m_model);
    CDoc reopened;
    try {
        reopened.Open(dir.File("empty.rix"));
        FAIL() << "opened";
    } catch (const CRidaxoError& error) {
        EXPECT_EQ(error.GetFile(), dir.File("empty.rix"));
    }
}

TEST(DocumentFileTest, AFailedSaveLeavesTheOldFileAsItWas)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("keep.rix", "old contents\n");
    const std::string big(64 * 1024, 'x');
    WithFileSizeLimit(1024, [&] { EXPECT_THROW(WriteFileAtomically(strTarget, big), CRidaxoError); });
    EXPECT_EQ(ReadBytes(strTarget), "old contents\n");
    EXPECT_EQ(FolderEntries(dir.GetPath()), std::vector<std::string>{"keep.rix"}); // no leftovers

    // A writer that fails halfway through leaves nothing either.
    EXPECT_THROW(WriteFileAtomically(strTarget,
                                     [](CBlockWriter& writer) {
                                         writer.Write(std::string(200000, 'y'));
                                         throw std::runtime_error("out of ideas");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(ReadBytes(strTarget), "old contents\n");
    EXPECT_EQ(FolderEntries(dir.GetPath()), std::vector<std::string>{"keep.rix"});

    EXPECT_THROW(WriteFileAtomically(dir.File("no/such/folder.rix"), "x"), CRidaxoError);
    EXPECT_THROW(WriteFileAtomically(dir.GetPath().string(), "x"), CRidaxoError);
    EXPECT_EQ(FolderEntries(dir.GetPath()), std::vector<std::string>{"keep.rix"});
}

TEST(DocumentFileTest, SavingReplacesTheFileKeepsItsModeAndFollowsLinks)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.rix", "old\n");
    ASSERT_EQ(chmod(strTarget.c_str(), 0640), 0);
    const std::string strLink = dir.File("link.rix");
    fs::create_symlink(strTarget, strLink);

    WriteFileAtomically(strLink, "new\n");
    EXPECT_TRUE(fs::is_symlink(strLink));
    EXPECT_EQ(ReadBytes(strTarget), "new\n");
    EXPECT_EQ(fs::status(strTarget).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(dir.GetPath()), (std::vector<std::string>{"link.rix", "t.rix"}));
}

TEST(DocumentFileTest, AReadOnlyFileIsNotReplaced)
{
    const CPermissionsEnforced enforced;
    CTempDir dir;
    const std::string strTarget = dir.Write("ro.rix", "old\n");
    ASSERT_EQ(chmod(strTarget.c_str(), 0444), 0);
    EXPECT_THROW(WriteFileAtomically(strTarget, "new\n"), CRidaxoError);
    EXPECT_EQ(ReadBytes(strTarget), "old\n");
}

TEST(DocumentFileTest, ATextFileNotWhereTheHeaderSaysIsLookedForBesideTheIndexFile)
{
    CTempDir dir;
    fs::create_directories(dir.GetPath() / "coll" / "sub");
    const std::string strIndex = dir.File("coll/i.rix");
    const std::string strAA = dir.Write("coll/aa.txt", MakeAAFile({"x"}));
    const std::string strSub = dir.Write("coll/sub/aa.txt", MakeAAFile({"x"}));
    // 表 is 95 5C in code page 932: its trail byte is a backslash.
    const std::string strHyou = dir.Write("coll/\xE8\xA1\xA8.txt", MakeAAFile({"x"}));
    const std::string strGone = dir.File("coll/gone.txt");
    struct CCase
    {
        std::string m_strNamed;
        std::string m_strExpected; // empty: not found, and the error names this place and strGone
        std::string m_strMissing = {};
    };
    const CCase cases[] = {
        {"aa.txt", strAA},
        {"sub/aa.txt", strSub},
        {"./sub/../aa.txt", dir.File("coll/./sub/../aa.txt")},
        {"C:\\AA\\aa.txt", strAA},
        {"c:aa.txt", strAA},
        {"\\\\server\\share\\aa.txt", strAA},
        {"D:\\AA\\\x95\x5C.txt", strHyou},
        {"\x95\x5C.txt", strHyou},
        // The collection's folder was moved, or copied elsewhere.
        {dir.File("elsewhere/aa.txt"), strAA},
        {"elsewhere/aa.txt", strAA},
        // Nowhere, with one place to name: opening it says so.
        {"gone.txt", strGone},
        {strGone, strGone},
        // Nowhere, with two places.
        {"E:\\gone.txt", "", "E:\\gone.txt"},
        {dir.File("elsewhere/gone.txt"), "", dir.File("elsewhere/gone.txt")},
        {"elsewhere/gone.txt", "", dir.File("coll/elsewhere/gone.txt")},
    };
    const auto previous = fs::current_path();
    fs::current_path(dir.GetPath());
    for (const CCase& c : cases) {
        try {
            EXPECT_EQ(FindNamedTextFile(c.m_strNamed, strIndex), c.m_strExpected) << c.m_strNamed;
        } catch (const CRidaxoError& error) {
            EXPECT_EQ(error.GetFile(), c.m_strMissing) << c.m_strNamed;
            EXPECT_NE(error.GetCause().find(" " + strGone + " "), std::string::npos) << error.what();
            EXPECT_NE(error.GetCause(ELanguage::Japanese).find(strGone), std::string::npos) << c.m_strNamed;
        }
    }

    // Opening goes the same way, and the store then holds the full path,
    // which the next save writes.
    CDoc doc;
    doc.Open(dir.Write("coll/win.rix", "\"D:\\AA\\\x95\x5C.txt\"\n\"r\"\n1\n0\n0\n"));
    EXPECT_EQ(doc.m_store.GetPath(), strHyou);
    doc.Open(dir.Write("coll/moved.rix", "\"" + dir.File("elsewhere/aa.txt") + "\"\n\"r\"\n1\n0\n0\n"));
    EXPECT_EQ(FormatIndexFile(doc.m_store, doc.m_model), "\"" + strAA + "\"\n\"r\"\n1\n0\n0\n");
    fs::current_path(previous);
}
