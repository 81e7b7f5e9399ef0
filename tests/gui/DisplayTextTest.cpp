#include "DisplayText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A code page 932 text of n copies of unit.
std::string Repeat(const std::string& unit, std::size_t n)
{
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text += unit;
    return text;
}

// The characters the cases are made of.
struct CChars
{
    std::string m_strA = "\x82\xA0"; // あ in code page 932, two bytes
    std::string m_strAUtf8 = "あ";
    std::string m_strCut = "…";
    std::string m_strBad = "\xEF\xBF\xBD"; // U+FFFD
};
} // namespace

TEST(DisplayTextTest, NamesAreCutByCharactersAndEveryBadByteShows)
{
    const CChars chars;
    const std::string& kA = chars.m_strA;
    const std::string& kAUtf8 = chars.m_strAUtf8;
    const std::string& kCut = chars.m_strCut;
    const std::string& kBad = chars.m_strBad;
    const std::size_t n = kNameDisplayChars;
    struct CCase
    {
        const char* m_pszWhat;
        std::string m_strCp932;
        std::string m_strShown;
    };
    const CCase cases[] = {
        {"as long as shown", Repeat(kA, n), Repeat(kAUtf8, n)},
        {"one character more", Repeat(kA, n + 1), Repeat(kAUtf8, n) + kCut},
        {"a megabyte", Repeat(kA, 500000), Repeat(kAUtf8, n) + kCut},
        // The cut counts characters, never parting a lead byte from its
        // trail byte, whatever mix of one- and two-byte characters.
        {"cut after a one-byte character", "a" + Repeat(kA, n), "a" + Repeat(kAUtf8, n - 1) + kCut},
        {"a NUL byte", std::string("ab\0c", 4), "ab" + kBad + "c"},
        {"a lone lead byte at the end", "ab\x82", "ab" + kBad},
        {"an unmapped pair inside", "a\x85\x40z", "a" + kBad + "z"},
        {"empty", "", ""},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_pszWhat);
        EXPECT_EQ(DisplayNameUtf8(c.m_strCp932), c.m_strShown);
        // What the windows are given holds every character, a NUL's
        // replacement included: wxString is never emptied by bad bytes.
        EXPECT_EQ(ToDisplayName(c.m_strCp932).utf8_string(), c.m_strShown);
    }
}

TEST(DisplayTextTest, ThePaneShowsWhatItDrawsQuicklyAndSaysWhenThatIsNotAll)
{
    const CChars chars;
    const std::string& kA = chars.m_strA;
    const std::string& kAUtf8 = chars.m_strAUtf8;
    const std::string& kCut = chars.m_strCut;
    const std::string& kBad = chars.m_strBad;
    const std::string longLine = Repeat(kA, kPaneLineBytes); // twice the line limit in bytes
    const std::string shownPart = Repeat(kAUtf8, kPaneLineBytes / 2);
    const std::string fullLine = Repeat("x", kPaneLineBytes);
    struct CCase
    {
        const char* m_pszWhat;
        std::string m_strCp932;
        std::string m_strShown;
        bool m_bCut;
    };
    const CCase cases[] = {
        {"lines end in LF", "a\r\n\r\nb\r\n", "a\n\nb\n", false},
        {"a NUL byte keeps the rest", std::string("a\0b\r\nc\r\n", 8), "a" + kBad + "b\nc\n", false},
        {"a line at the limit", fullLine + "\r\n", fullLine + "\n", false},
        {"a long line is cut, the next shown", longLine + "\r\nb\r\n", shownPart + kCut + "\nb\n", true},
        {"a line cut within a character", "a" + longLine + "\r\n",
         "a" + Repeat(kAUtf8, kPaneLineBytes / 2 - 1) + kCut + "\n", true},
        {"a body of many lines stops at the line limit", Repeat("a\r\n", kPaneLines + 1),
         Repeat("a\n", kPaneLines) + kCut, true},
        {"a body of many bytes stops at the byte limit",
         Repeat(fullLine + "\r\n", kPaneTextBytes / kPaneLineBytes) + "z\r\n",
         Repeat(fullLine + "\n", kPaneTextBytes / kPaneLineBytes) + kCut, true},
        {"the byte limit falls within a line",
         Repeat(fullLine + "\r\n", kPaneTextBytes / kPaneLineBytes - 1) + Repeat("w", 2000) + "\r\n" +
             Repeat("y", 3000) + "\r\nz\r\n",
         Repeat(fullLine + "\n", kPaneTextBytes / kPaneLineBytes - 1) + Repeat("w", 2000) + "\n" +
             Repeat("y", kPaneLineBytes - 2000) + kCut,
         true},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_pszWhat);
        const CPaneText shown = MakePaneText(c.m_strCp932);
        EXPECT_EQ(shown.m_strUtf8, c.m_strShown);
        EXPECT_EQ(shown.m_bCut, c.m_bCut);
    }
    EXPECT_EQ(MakePaneText("&#x2003;\x82\xA0\r\n", true).m_strUtf8, "\u2003あ\n");
    EXPECT_EQ(MakePaneText("&#x2003;\r\n").m_strUtf8, "&#x2003;\n");
}
