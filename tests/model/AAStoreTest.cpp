#include "AAStore.h"
#include "AATextReference.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace
{
void LoadFile(CAAStore& store, const std::string& strPath, std::size_t nBuffer = 16,
              std::uint64_t nMapThreshold = CLineReader::kNeverMap)
{
    CLineReader reader(strPath, nBuffer, nMapThreshold); // small blocks: lines cross them
    store.Load(reader, GetAAFileFormat(strPath));
}

// text with every CR LF replaced by lineEnd.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd)
{
    std::string strOut(text);
    for (std::size_t nPos = 0; (nPos = strOut.find("\r\n", nPos)) != std::string::npos; nPos += lineEnd.size())
        strOut.replace(nPos, 2, lineEnd);
    return strOut;
}

const char* LineEndName(std::string_view lineEnd)
{
    return lineEnd == "\r" ? "CR" : lineEnd == "\n" ? "LF" : "CR LF";
}

struct CExpectedAA
{
    std::string_view m_strName;
    std::string_view m_strText;
};

void ExpectAAs(const CAAStore& store, std::initializer_list<CExpectedAA> expected)
{
    ASSERT_EQ(store.GetCount(), static_cast<int>(expected.size()));
    int nIndex = 0;
    for (const CExpectedAA& aa : expected) {
        EXPECT_EQ(store.GetName(nIndex), aa.m_strName) << "AA " << nIndex;
        EXPECT_EQ(store.GetText(nIndex), aa.m_strText) << "AA " << nIndex;
        ++nIndex;
    }
}

// One file with the cases of the format; each line ends with "\r\n" unless
// the test replaces them.
constexpr std::string_view kFormatCases = "text before the first AA\r\n"
                                          "[MojieName=]\r\n" // 0: empty name
                                          "body 0\r\n"
                                          "[END]\r\n"
                                          "between AAs\r\n"
                                          "[MojieName=a]b]tail\r\n" // 1: up to the last "]"
                                          "[END] \r\n"              //    not an end line
                                          " [MojieName=not a name]\r\n"
                                          "[mojiename=not either]\r\n"
                                          "[END]\r\n"
                                          "[MojieName=no bracket\r\n" // 2: no "]" at all
                                          "\r\n"
                                          "\r\n"
                                          "[END]\r\n"
                                          "[MojieName=\x83]\x83]]\r\n" // 3: ゾゾ, trail bytes are no "]"
                                          "[END]\r\n"
                                          "[MojieName=runs on]\r\n" // 4: its [END] is missing
                                          "own line\r\n"
                                          "[MojieName=next]\r\n" // 5
                                          "next line\r\n"
                                          "[END]\r\n"
                                          "[MojieName=last]\r\n" // 6: no [END] before the end
                                          "to the end\r\n"
                                          "no terminator";
} // namespace

TEST(AAStoreTest, ReadsNamesAndBodiesOfTheFormatWhateverItsLineEnds)
{
    // Counting two bytes for every line end would read bodies from the wrong
    // place; taking only LF for one would read a file of lone CRs as one AA.
    CTempDir dir;
    for (const std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
        const std::string text = WithLineEnds(kFormatCases, lineEnd);
        CAAStore store;
        LoadFile(store, dir.Write("cases.txt", text));
        SCOPED_TRACE(LineEndName(lineEnd));
        ExpectAAs(store, {
                             {"", "body 0\r\n"},
                             {"a]b", "[END] \r\n [MojieName=not a name]\r\n[mojiename=not either]\r\n"},
                             {"", "\r\n\r\n"},
                             {"\x83]\x83]", ""},
                             {"runs on", "own line\r\n[MojieName=next]\r\nnext line\r\n"},
                             {"next", "next line\r\n"},
                             {"last", "to the end\r\nno terminator\r\n"},
                         });
        EXPECT_EQ(store.GetOffset(0), text.find("body 0"));
        EXPECT_EQ(store.GetPath(), dir.File("cases.txt"));
    }
    const std::string mixed = "[MojieName=one]\nA\r\n[END]\n[MojieName=two]\r\nB\nC\r\n[END]\r\n"
                              "[MojieName=three]\rD\r\r\n[END]\r[MojieName=four]\r";
    CAAStore store;
    LoadFile(store, dir.Write("mixed.txt", mixed));
    ExpectAAs(store, {{"one", "A\r\n"}, {"two", "B\r\nC\r\n"}, {"three", "D\r\n\r\n"}, {"four", ""}});
    EXPECT_EQ(store.GetOffset(3), mixed.size());
}

TEST(AAStoreTest, ReadsThePagesOfMltAndTheAAsOfAstFilesWhateverTheirLineEnds)
{
    struct CCase
    {
        const char* m_pszFile; // its extension picks the format
        std::string_view m_strText;
        std::vector<CExpectedAA> m_expected;
    };
    // 【 81 79, 】 81 7A, 顔 8A E7, 手 8E E8, あ 82 A0, full-width space 81 40.
    const CCase cases[] = {
        {"empty.mlt", "", {}},
        {"one-page.mlt", "a\r\n\r\nb", {{"a", "a\r\n\r\nb\r\n"}}},
        // A leading separator ends an empty first page, two in a row make an
        // empty page, and one at the very end makes none after it.
        {"separators.mlt",
         "[SPLIT]\r\nx\r\n[SPLIT]\r\n[SPLIT]\r\ny\r\n[SPLIT]\r\n",
         {{"", ""}, {"x", "x\r\n"}, {"", ""}, {"y", "y\r\n"}}},
        {"last-separator.mlt", "x\r\n[SPLIT]", {{"x", "x\r\n"}}},
        {"after-last.mlt", "x\r\n[SPLIT]\r\n\r\n", {{"x", "x\r\n"}, {"", "\r\n"}}},
        // Only the whole line is a separator.
        {"beside.mlt",
         "a\r\n [SPLIT]\r\n[SPLIT] \r\n[SPLIT]x\r\n[split]\r\n[SPLIT\r\n",
         {{"a", "a\r\n [SPLIT]\r\n[SPLIT] \r\n[SPLIT]x\r\n[split]\r\n[SPLIT\r\n"}}},
        // Blank pages, headings, and the pages under them.
        {"headings.mlt",
         "\x81\x40 \r\n\r\n[SPLIT]\r\n"                                // blank before any heading
         "\r\n\x81\x79\x8A\xE7\x81\x7A\x82\xA0\r\n\x81\x40\r\nsub\r\n" // 【顔】あ: a heading of 2 lines
         "[SPLIT]\r\n smile \r\n[SPLIT]\r\n"                           // under it
         " \r\n[SPLIT]\r\n"                                            // blank: the heading alone
         "\x81\x79"
         "a\x81\x7A\r\nb\r\nc\r\n[SPLIT]\r\n"                      // 3 lines: no heading
         "\x81\x79no close\r\n[SPLIT]\r\n"                         // no "】"
         "\x81\x79\x82\x81z\r\n[SPLIT]\r\n"                        // 82 81 is a character: no "】"
         " \x81\x79sp\x81\x7A\r\n[SPLIT]\r\n"                      // does not start with "【"
         "\x81\x79\x8E\xE8\x81\x7A\r\n[SPLIT]\r\nx\r\n[SPLIT]\r\n" // 【手】, then a page under it
         "\x81\x79"
         "hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh\x81\x7A\r\n[SPLIT]\r\ny", // a long heading
         {{"", "\x81\x40 \r\n\r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A", "\r\n\x81\x79\x8A\xE7\x81\x7A\x82\xA0\r\n\x81\x40\r\nsub\r\n"},
          {"\x81\x79\x8A\xE7\x81\x7Asmile", " smile \r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A", " \r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A\x81\x79"
           "a\x81\x7A",
           "\x81\x79"
           "a\x81\x7A\r\nb\r\nc\r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A\x81\x79no close", "\x81\x79no close\r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A\x81\x79\x82\x81z", "\x81\x79\x82\x81z\r\n"},
          {"\x81\x79\x8A\xE7\x81\x7A\x81\x79sp\x81\x7A", " \x81\x79sp\x81\x7A\r\n"},
          {"\x81\x79\x8E\xE8\x81\x7A", "\x81\x79\x8E\xE8\x81\x7A\r\n"},
          {"\x81\x79\x8E\xE8\x81\x7Ax", "x\r\n"},
          {"\x81\x79hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh\x81\x7A",
           "\x81\x79hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh\x81\x7A\r\n"},
          {"\x81\x79hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh\x81\x7Ay", "y\r\n"}}},
        // Labels: 24 whole characters of the trimmed line, never a part of
        // a two-byte character or of a reference; references kept as bytes.
        // Spaces up to the cut stay when more follows them past it.
        {"labels.mlt",
         "\x81\x40 aaaaaaaaaaaaaaaaaaaaaaa\x82\xA0\x82\xA0 \r\n[SPLIT]\r\n"
         "aaaaaaaaaaaaaaaaaaaaaaa\x82\r\n[SPLIT]\r\n"
         "cccccccccccccccccccc&#x2003;d\r\n[SPLIT]\r\n"
         "x                              \r\n[SPLIT]\r\n"
         "y                       z\r\n[SPLIT]\r\n"
         "&#12354;b\x81\x40\r\n",
         {{"aaaaaaaaaaaaaaaaaaaaaaa\x82\xA0", "\x81\x40 aaaaaaaaaaaaaaaaaaaaaaa\x82\xA0\x82\xA0 \r\n"},
          {"aaaaaaaaaaaaaaaaaaaaaaa\x82", "aaaaaaaaaaaaaaaaaaaaaaa\x82\r\n"},
          {"cccccccccccccccccccc", "cccccccccccccccccccc&#x2003;d\r\n"},
          {"x", "x                              \r\n"},
          {"y                       ", "y                       z\r\n"},
          {"&#12354;b", "&#12354;b\x81\x40\r\n"}}},
        // AST: lines before the first AA belong to none; a name runs to the
        // last "]" as a character, or to the line end without one.
        {"cases.ast",
         "before\r\n[AA][a]b]c\r\nbody &#x2003;\r\n [AA][no]\r\n[AA]x\r\n[AA][no bracket\r\n\r\n"
         "[AA][\x83]\x83]]\r\n[aa][x]\r\n[AA][last]",
         {{"a]b", "body &#x2003;\r\n [AA][no]\r\n[AA]x\r\n"},
          {"no bracket", "\r\n"},
          {"\x83]\x83]", "[aa][x]\r\n"},
          {"last", ""}}},
        {"none.ast", "no AA\r\n", {}},
    };
    CTempDir dir;
    for (const CCase& test : cases) {
        for (const std::string_view lineEnd : {"\r\n", "\n", "\r"}) {
            SCOPED_TRACE(std::string(test.m_pszFile) + " " + LineEndName(lineEnd));
            const std::string text = WithLineEnds(test.m_strText, lineEnd);
            CAAStore store;
            LoadFile(store, dir.Write(test.m_pszFile, text));
            ASSERT_EQ(store.GetCount(), static_cast<int>(test.m_expected.size()));
            for (int i = 0; i < store.GetCount(); ++i) {
                EXPECT_EQ(store.GetName(i), test.m_expected[i].m_strName) << "AA " << i;
                EXPECT_EQ(store.GetText(i), WithLineEnds(test.m_expected[i].m_strText, "\r\n")) << "AA " << i;
            }
        }
    }
}

TEST(AAStoreTest, CrLfOffsetsCountTwoBytesALineEnd)
{
    CTempDir dir;
    CAAStore store;
    LoadFile(store, dir.Write("crlf.txt", "x\r\n[MojieName=a]\r\nb\r\n[END]\r\n[MojieName=c]\r\n"));
    ASSERT_EQ(store.GetCount(), 2);
    EXPECT_EQ(store.GetOffset(0), 3U + 15U);
    EXPECT_EQ(store.GetOffset(1), 3U + 15U + 3U + 7U + 15U);
}

TEST(AAStoreTest, TheHeadOfABodyIsItsStartCutToTheLimitsAndOneStepBeyond)
{
    CTempDir dir;
    CAAStore store;
    const std::string strLong(100000, 'x');
    LoadFile(store, dir.Write("head.txt", "[MojieName=a]\r\n" + strLong + "\r\nab\r\ncd\r\nef\r\n[END]\r\n"));
    struct CCase
    {
        std::size_t m_nLineBytes;
        std::size_t m_nTextBytes;
        std::size_t m_nLines;
        std::string m_strHead;
    };
    const CCase cases[] = {
        // Every line cut; all read, the "[END]" line ends it.
        {8, 1000, 100, "xxxxxxxx\r\nab\r\ncd\r\nef\r\n"},
        // A line cut short never reads as "[END]", however short the cut.
        {2, 1000, 100, "xxxxxxxx\r\nab\r\ncd\r\nef\r\n"},
        // No more lines once the bytes or the lines are past the limit.
        {8, 9, 100, "xxxxxxxx\r\nab\r\n"},
        {8, 1000, 1, "xxxxxxxx\r\nab\r\n"},
    };
    for (const CCase& test : cases)
        EXPECT_EQ(store.GetTextHead(0, test.m_nLineBytes, test.m_nTextBytes, test.m_nLines), test.m_strHead)
            << test.m_nLineBytes << " " << test.m_nTextBytes << " " << test.m_nLines;
    EXPECT_EQ(store.GetTextHead(1, 8, 8, 8), "");
}

TEST(AAStoreTest, BadIndicesGiveEmptyTextsAndANewFileReplacesTheOld)
{
    CTempDir dir;
    CAAStore store;
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetText(0), "");
    LoadFile(store, dir.Write("three.txt", "[MojieName=a]\r\n[MojieName=b]\r\n[MojieName=c]\r\n"));
    EXPECT_EQ(store.GetCount(), 3);
    EXPECT_EQ(store.GetName(3), "");
    EXPECT_EQ(store.GetText(-1), "");
    EXPECT_EQ(store.GetName(-5), "");

    LoadFile(store, dir.Write("one.txt", "[MojieName=z]\r\nzz\r\n"));
    ExpectAAs(store, {{"z", "zz\r\n"}});
    LoadFile(store, dir.Write("none.txt", "no AA here\r\n"));
    EXPECT_EQ(store.GetCount(), 0);
}

TEST(AAStoreTest, TextOfAVanishedFileIsAnErrorNamingIt)
{
    CTempDir dir;
    CAAStore store;
    const std::string strPath = dir.Write("gone.txt", "[MojieName=a]\r\nb\r\n");
    LoadFile(store, strPath);
    std::filesystem::remove(strPath);
    try {
        store.GetText(0);
        FAIL() << "no error";
    } catch (const CRidaxoError& error) {
        EXPECT_EQ(error.GetFile(), strPath);
    }
    EXPECT_EQ(store.GetName(0), "a"); // the store itself is untouched
}

TEST(AAStoreTest, BlockScanFindsWhatALineByLineReadingFinds)
{
    // Files pieced together from fragments that matter to the scan of each
    // format: keys and separators whole and cut, "[END]", "]" and the lead
    // byte 0x83 (ゾ is 83 5D), "【" and "】" and the spaces, references,
    // every kind of line end. Blocks of odd sizes cut lines, keys and CR LF
    // pairs at every place; a mapped file is one block.
    struct CFormat
    {
        const char* m_pszFile;
        std::vector<std::string_view> m_pieces;
    };
    const std::vector<std::string_view> lineEnds = {"\r", "\n", "\r\n", "\r\n"};
    const CFormat formats[] = {
        {"random.txt",
         {"[MojieName=", "[MojieName=", "[MojieName", "[M", "[", "[END]", "]", "]", "\x83", "a", "\n[MojieName="}},
        {"random.ast", {"[AA][", "[AA][", "[AA", "[A", "[", "[END]", "]", "]", "\x83", "a", "\n[AA]["}},
        {"random.mlt",
         {"[SPLIT]\r\n", "[SPLIT]", "[SPLIT]", "[SPL", "[S", "[", "\x81\x79", "\x81\x79", "\x81\x7A", "\x81", "\x82",
          " ", "\x81\x40", "&#x2003;", "&#12354;", "aaaaaaaaaa", "\r\n[SPLIT]\r\n"}},
    };
    std::mt19937 random(11);
    CTempDir dir;
    for (const CFormat& format : formats) {
        const EAAFileFormat fileFormat = GetAAFileFormat(format.m_pszFile);
        for (int nRound = 0; nRound < 300; ++nRound) {
            std::string text;
            for (std::size_t n = random() % 200; n-- > 0;)
                text += random() % 3 == 0 ? lineEnds[random() % lineEnds.size()]
                                          : format.m_pieces[random() % format.m_pieces.size()];
            const std::string strPath = dir.Write(format.m_pszFile, text);
            const std::vector<CNameAt> expected = ReadNamesPlainly(text, fileFormat);
            CAAStore store;
            for (std::size_t nBuffer : {16, 17, 29, 64, 4096}) {
                LoadFile(store, strPath, nBuffer, nBuffer == 29 ? 0 : CLineReader::kNeverMap);
                ASSERT_EQ(NamesOf(store), expected) << format.m_pszFile << " round " << nRound << " buffer " << nBuffer;
            }
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(store.GetText(static_cast<int>(i)), ReadBodyPlainly(text, expected[i].m_nOffset, fileFormat))
                    << format.m_pszFile << " round " << nRound << " AA " << i;
        }
    }
}

TEST(AAStoreTest, ALargeFileIsMappedAndReadTheSame)
{
    std::string text;
    for (int i = 0; text.size() < (std::size_t{3} << 20); ++i)
        text += "[MojieName=\x83]" + std::to_string(i) + "]\r\n\x83]\r\n[END]\r\n";
    // Names far longer than any other, one of them the file's last.
    text.insert(text.find("[END]\r\n", text.size() / 2) + 7, "[MojieName=" + std::string(200000, 'n') + "]\r\n");
    text += "[MojieName=" + std::string(200000, 'l') + "]";
    CTempDir dir;
    const std::string strPath = dir.Write("large.txt", text);
    CAAStore store;
    store.LoadFile(strPath);
    EXPECT_EQ(NamesOf(store), ReadNamesPlainly(text));
    EXPECT_EQ(store.GetOffset(store.GetCount() - 1), text.size());
    EXPECT_EQ(store.GetText(7), "\x83]\r\n");
}

TEST(AAStoreTest, AFileCutShortAfterItWasOpenedIsAnErrorAndTheStoreIsKept)
{
    // The reader maps the file as large as it was when opened: the bytes cut
    // off since raise a bus error where the loader first touches them. Cut
    // to nothing, the encoding check meets them; cut in the middle, the
    // search for name lines.
    struct CCase
    {
        std::size_t m_nSize;
        std::size_t m_nCut;
    };
    const CCase cases[] = {{10000, 0}, {200000, 100000}};
    CTempDir dir;
    CAAStore store;
    LoadFile(store, dir.Write("kept.txt", "[MojieName=kept]\r\n"));
    for (const CCase& c : cases) {
        std::string text;
        for (int i = 0; text.size() < c.m_nSize; ++i)
            text += "[MojieName=" + std::to_string(i) + "]\r\nbody\r\n[END]\r\n";
        const std::string strPath = dir.Write("cut.txt", text);
        CLineReader reader(strPath, 4096, 0);
        std::filesystem::resize_file(strPath, c.m_nCut);
        EXPECT_THROW(store.Load(reader), CRidaxoError) << c.m_nCut;
        EXPECT_EQ(store.GetName(0), "kept");
    }
}

TEST(AAStoreTest, TextInAnotherEncodingIsRefusedAndTheStoreKept)
{
    CTempDir dir;
    CAAStore store;
    const std::string strGood = dir.Write("good.txt", "[MojieName=\x82\xCB]\r\n\x81\x40\r\n[END]\r\n");
    store.LoadFile(strGood);
    const std::string utf8 = "[MojieName=\xE3\x81\xAD]\r\n\xE3\x80\x80\r\n[END]\r\n";
    const std::string foreign[] = {utf8, "\xEF\xBB\xBF" + utf8, std::string("\xFF\xFE[\0M\0", 6)};
    for (const std::string& text : foreign) {
        const std::string strPath = dir.Write("foreign.txt", text);
        try {
            store.LoadFile(strPath);
            ADD_FAILURE() << "loaded " << text;
        } catch (const CRidaxoError& error) {
            EXPECT_EQ(error.GetFile(), strPath);
            EXPECT_NE(error.GetCause().find("not Shift-JIS"), std::string::npos) << error.GetCause();
        }
        EXPECT_EQ(store.GetPath(), strGood);
        EXPECT_EQ(store.GetName(0), "\x82\xCB");
    }

    // The decision rests on the file's first bytes, not on its first block:
    // with blocks of 16 bytes this one ends inside what looks like UTF-8.
    const std::string strCut = dir.Write("cut.txt", "[MojieName=\xE3\x81\xAD\xE3\x81'']\r\n");
    LoadFile(store, strCut, 16);
    EXPECT_EQ(store.GetName(0), "\xE3\x81\xAD\xE3\x81''");
}

TEST(AAStoreTest, AChangeOfTheFilesSizeOrTimeIsNoticedAVanishedFileIsNot)
{
    namespace fs = std::filesystem;
    CTempDir dir;
    const std::string strPath = dir.Write("aa.txt", "[MojieName=a]\r\nb\r\n");
    CAAStore store;
    EXPECT_FALSE(store.HasFileChanged()) << "nothing loaded";
    store.LoadFile(strPath);
    EXPECT_FALSE(store.HasFileChanged());

    // The same size, written later.
    WriteBytes(strPath, "[MojieName=x]\r\ny\r\n");
    fs::last_write_time(strPath, fs::last_write_time(strPath) + std::chrono::seconds(5));
    EXPECT_TRUE(store.HasFileChanged());
    store.LoadFile(strPath);
    EXPECT_FALSE(store.HasFileChanged());
    EXPECT_EQ(store.GetName(0), "x");

    // Another size, the same time.
    const auto time = fs::last_write_time(strPath);
    WriteBytes(strPath, "[MojieName=x]\r\ny\r\nz\r\n");
    fs::last_write_time(strPath, time);
    EXPECT_TRUE(store.HasFileChanged());

    fs::remove(strPath);
    EXPECT_FALSE(store.HasFileChanged());
}
