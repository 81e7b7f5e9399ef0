#include "AASearch.h"
#include "AAStore.h"
#include "LineReader.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
std::vector<int> Find(const CAAStore& store, std::string_view utf8, bool bBodies)
{
    const std::optional<CSearchText> text = CSearchText::FromUtf8(utf8);
    EXPECT_TRUE(text.has_value()) << utf8;
    return text ? store.FindAAs(*text, bBodies) : std::vector<int>{};
}

// What FindAAs must give, from the bodies as GetText reads them one by one.
std::vector<int> FindOneByOne(const CAAStore& store, const CSearchText& text, bool bBodies)
{
    std::vector<int> found;
    for (int i = 0; i < store.GetCount(); ++i) {
        bool bMatch = text.OccursIn(store.GetNameView(i));
        const std::string strBody = store.GetText(i);
        for (std::size_t nPos = 0; bBodies && !bMatch && nPos < strBody.size();) {
            const std::size_t nEnd = strBody.find("\r\n", nPos);
            bMatch = text.OccursIn(std::string_view(strBody).substr(nPos, nEnd - nPos));
            nPos = nEnd + 2;
        }
        if (bMatch)
            found.push_back(i);
    }
    return found;
}
} // namespace

// Each case is put once as a name and once as a body line: the rule is the
// same for both.
TEST(AASearchTest, TheRuleOnNamesAndBodyLines)
{
    struct CCase
    {
        const char* m_pszText;  // UTF-8, as typed
        const char* m_pszWhere; // code page 932
        bool m_bMatch;
        bool m_bStarts; // the text begins m_pszWhere (type-ahead)
    };
    const CCase cases[] = {
        {"\\", "\x95\x5C", false, false},  // 表: its trail byte is "\"
        {"]", "\x83\x5D", false, false},   // ゾ: its trail byte is "]"
        {"\\", "\x95\x5C\\", true, false}, // 表 then a real "\"
        {"\\", "a\\b", true, false},
        {"表", "\x82\x9F\x95\x5C", true, false}, // after ぁ, whose trail byte may be a lead byte
        {"\\", "\x82\x9F\x95\x5C", false, false},
        {"abc", "xABCx", true, false}, // ASCII letters in any case
        {"ABC", "abc", true, true},
        {"aBc", "ab", false, false},
        {"ア", "\x83\x61", false, false},                 // ヂ: only one-byte letters fold, not ア's trail "A"
        {"ａ", "a", false, false},                        // full-width is not half-width
        {"ａ", "\x82\x60", false, false},                 // nor of another case: Ａ
        {"ｱ", "\x83\x41", false, false},                  // half-width kana is not ア
        {"驚き", "\x8B\xC1\x82\xAB\x82\xCC", true, true}, // at the start: 驚きの
        {"の", "\x8B\xC1\x82\xAB\x82\xCC", true, false},  // at the end
        {"きの", "\x8B\xC1\x82\xAB\x82\xCC", true, false},
        {"驚きの!", "\x8B\xC1\x82\xAB\x82\xCC", false, false},
    };
    CTempDir dir;
    std::string strFile;
    for (const CCase& test : cases) {
        strFile += std::string("[MojieName=") + test.m_pszWhere + "]\r\n#\r\n[END]\r\n";
        strFile += std::string("[MojieName=#]\r\n#\r\n") + test.m_pszWhere + "\r\n#\r\n[END]\r\n";
    }
    CAAStore store;
    store.LoadFile(dir.Write("cases.txt", strFile));
    ASSERT_EQ(store.GetCount(), static_cast<int>(std::size(cases)) * 2);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const CCase& test = cases[i];
        const std::optional<CSearchText> text = CSearchText::FromUtf8(test.m_pszText);
        ASSERT_TRUE(text);
        const auto nName = static_cast<int>(i * 2);
        EXPECT_EQ(text->OccursIn(test.m_pszWhere), test.m_bMatch) << "case " << i;
        EXPECT_EQ(text->StartsIn(test.m_pszWhere), test.m_bStarts) << "case " << i;
        const std::vector<int> names = store.FindAAs(*text, false);
        const std::vector<int> both = store.FindAAs(*text, true);
        EXPECT_EQ(std::count(names.begin(), names.end(), nName), test.m_bMatch) << "name, case " << i;
        EXPECT_EQ(std::count(both.begin(), both.end(), nName + 1), test.m_bMatch) << "body, case " << i;
    }
}

TEST(AASearchTest, WhatIsNoPartOfANameOrBodyLineNeverMatches)
{
    CTempDir dir;
    CAAStore store;
    store.LoadFile(dir.Write("aa.txt", "before\r\n"
                                       "[MojieName=ab]\r\n" // 0
                                       "cd\r\n"
                                       "e\r\n"
                                       "[END]\r\n"
                                       "between\r\n"
                                       "[MojieName=runs on]\r\n" // 1: no [END], its body runs into 2
                                       "xy\n"
                                       "[MojieName=next]\r" // 2
                                       "zz\r\n"
                                       "[END]\r\n"
                                       "[MojieName=empty]\r\n" // 3
                                       "[END]\r\n"
                                       "[MojieName=last]\r\n" // 4: ends with the file
                                       "tail"));
    ASSERT_EQ(store.GetCount(), 5);
    struct CCase
    {
        const char* m_pszText;
        bool m_bBodies;
        std::vector<int> m_expected;
    };
    const CCase cases[] = {
        {"", false, {0, 1, 2, 3, 4}}, // an empty text matches every name
        {"bc", false, {}},            // never from one name into the next
        {"bc", true, {}},
        {"de", true, {}},     // nor across a line end
        {"before", true, {}}, // nor outside the AAs
        {"between", true, {}},
        {"END", true, {}},    // the end line is no part of a body
        {"Mojie", true, {1}}, // but 2's name line is part of 1's body
        {"ZZ", true, {1, 2}},
        {"xy", false, {}},
        {"AIL", true, {4}},
        {"e", false, {2, 3}},
        {"e", true, {0, 1, 2, 3}},
    };
    for (const CCase& test : cases) {
        const std::optional<CSearchText> text = CSearchText::FromUtf8(test.m_pszText);
        ASSERT_TRUE(text);
        EXPECT_EQ(store.FindAAs(*text, test.m_bBodies), test.m_expected) << test.m_pszText << " " << test.m_bBodies;
        EXPECT_EQ(store.FindAAs(*text, test.m_bBodies), FindOneByOne(store, *text, test.m_bBodies)) << test.m_pszText;
    }

    // In the libraries a body ends at its own separator: "[END]" is a body
    // line there, and a separator or a name line is no body's.
    CAAStore mlt;
    mlt.LoadFile(dir.Write("aa.mlt", "ab\r\n" // 0
                                     "[SPLIT]\r\n"
                                     "cd\r\n" // 1
                                     "[END]\r\n"
                                     "x[SPLIT]\n"
                                     "[SPLIT]\r"
                                     "[SPLIT]\r\n" // 2, empty
                                     "ef\r\n"));   // 3
    ASSERT_EQ(mlt.GetCount(), 4);
    CAAStore ast;
    ast.LoadFile(dir.Write("aa.ast", "before\r\n"
                                     "[AA][one]\r\n" // 0
                                     "[END]\r\n"
                                     "[AA][two]\n" // 1
                                     "[AA]x\r\n"));
    ASSERT_EQ(ast.GetCount(), 2);
    struct CLibraryCase
    {
        const CAAStore* m_pStore;
        const char* m_pszText;
        std::vector<int> m_expected;
    };
    const CLibraryCase libraryCases[] = {
        {&mlt, "END", {1}}, {&mlt, "SPLIT", {1}}, {&mlt, "b", {0}}, {&mlt, "ef", {3}},
        {&ast, "END", {0}}, {&ast, "AA", {1}},    {&ast, "w", {1}}, {&ast, "before", {}},
    };
    for (const CLibraryCase& test : libraryCases) {
        const CSearchText text(test.m_pszText);
        EXPECT_EQ(test.m_pStore->FindAAs(text, true), test.m_expected) << test.m_pszText;
        EXPECT_EQ(test.m_pStore->FindAAs(text, true), FindOneByOne(*test.m_pStore, text, true)) << test.m_pszText;
    }
}

TEST(AASearchTest, ATextThatCannotMatchMatchesNothing)
{
    // Code page 932 has no emoji and no hangul; a line end is in no line.
    EXPECT_FALSE(CSearchText::FromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(CSearchText::FromUtf8("\xED\x95\x9C"));
    EXPECT_FALSE(CSearchText::FromUtf8("\xFF")); // no UTF-8
    CTempDir dir;
    CAAStore store;
    store.LoadFile(dir.Write("aa.txt", "[MojieName=a]\r\nb\r\nc\r\n[END]\r\n"));
    EXPECT_TRUE(store.FindAAs(CSearchText("b\r\nc"), true).empty());
    EXPECT_TRUE(store.FindAAs(CSearchText("b\n"), true).empty());
    EXPECT_EQ(Find(store, "C", true), std::vector<int>{0});
}

TEST(AASearchTest, OnePassOverATextFileFindsWhatTheLoadedStoreFinds)
{
    // Files pieced together from what the rule and the file's lines turn
    // on: name lines whole and cut, names with and without "]", "[END]"
    // whole, cut and missing, trail bytes that are "\\", "]" or letters
    // (表 95 5C, ゾ 83 5D, ア 83 41, ヂ 83 61), a lead byte alone, letters of
    // both cases, every kind of line end. Blocks of odd sizes cut lines and
    // CR LF pairs at every place; a mapped file is one block. The last
    // files are long and hold those pieces only now and then among plain
    // lines, so that the text is rare there and the search counts the AAs
    // between its hits rather than taking them line by line.
    const std::vector<std::string_view> pieces = {
        "[MojieName=", "[MojieName=", "[MojieName", "[END]",    "[END]",    "[END", "]", "]",
        "\\",          "\x95\x5C",    "\x83\x5D",   "\x83\x41", "\x83\x61", "\x83", "a", "Ab",
    };
    const std::vector<std::string_view> lineEnds = {"\r", "\n", "\r\n", "\r\n"};
    const std::vector<std::string_view> plainPieces = {
        "[MojieName=x]\r\n", "[MojieName=y]\n", "\x81\x40x\r\n", "x\x81\x40\n", "[END]\r\n", "[END]\n", "[END]\r\n",
    };
    const std::vector<std::string> texts = {
        "", "a", "AB", "\\", "]", "\x95\x5C", "\x83\x5D", "A", "a]", "[END]", "END", "Mojie", "=a", "\x83", "b\r\na",
    };
    std::mt19937 random(7);
    CTempDir dir;
    for (int nRound = 0; nRound < 360; ++nRound) {
        std::string strFile;
        const bool bLong = nRound >= 300;
        for (std::size_t n = bLong ? 4000 : random() % 120; n-- > 0;) {
            if (bLong && random() % 300 != 0)
                strFile += plainPieces[random() % plainPieces.size()];
            else
                strFile += random() % 3 == 0 ? lineEnds[random() % lineEnds.size()] : pieces[random() % pieces.size()];
        }
        const std::string strPath = dir.Write("random.txt", strFile);
        CAAStore store;
        store.LoadFile(strPath);
        for (int nText = 0; nText < 4; ++nText) {
            const CSearchText text(texts[random() % texts.size()]);
            const bool bBodies = random() % 4 != 0;
            const std::vector<int> expected = store.FindAAs(text, bBodies);
            for (std::size_t nBuffer : {16, 17, 29, 4096}) {
                CLineReader reader(strPath, nBuffer, nBuffer == 29 ? 0 : CLineReader::kNeverMap);
                std::vector<int> found;
                const int nCount = FindAAsInText(reader, text, bBodies, [&](int nIndex, std::string_view name) {
                    found.push_back(nIndex);
                    EXPECT_EQ(name, store.GetNameView(nIndex)) << "round " << nRound << " AA " << nIndex;
                });
                ASSERT_EQ(found, expected) << "round " << nRound << " text " << text.GetText() << " bodies " << bBodies
                                           << " buffer " << nBuffer;
                EXPECT_EQ(nCount, store.GetCount());
            }
        }
    }
}
