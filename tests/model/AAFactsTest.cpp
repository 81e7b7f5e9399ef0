#include "AAFacts.h"

#include <gtest/gtest.h>

TEST(AAFactsTest, KnownWidthsOfTheStandardFace)
{
    struct CCase
    {
        const char* m_pszCp932;
        int m_nWidth;
    };
    const CCase cases[] = {
        {"\x81\x69\x20\x81\x4C\x81\xCD\x81\x4D\x81\x6A", 53}, // （ ´∀｀）
        {"\x81\x40", 11},                                     // full-width space
        {" ", 5},
        {"\x8B\xC1", 16}, // a kanji
        {"\xB1", 10},     // ｱ, half-width kana
        {"\xA0", 8},      // a single byte the face lacks
        {"\x87\x9A", 16}, // a pair it may lack counts as two bytes
    };
    for (const CCase& test : cases)
        EXPECT_EQ(MeasureAABody(test.m_pszCp932, false).m_nWidth, test.m_nWidth) << test.m_pszCp932;
    // In a library a character reference measures as its character, one
    // of its own advance; elsewhere it is the characters it is written in.
    EXPECT_EQ(MeasureAABody("&#x2003;&#8195;\r\n", true).m_nWidth, 2 * CharAdvance(U'\u2003'));
    EXPECT_EQ(MeasureAABody("&#x2003;", false).m_nWidth, MeasureAABody("&#x2003", true).m_nWidth + CharAdvance(U';'));
    EXPECT_EQ(CharAdvance(U'\u2009'), 2); // a space the face lacks, known from the standard face
    EXPECT_EQ(CharAdvance(U'\U0001F600'), 16);
}

TEST(AAFactsTest, LinesWidthAndBytesAsABoardCountsThem)
{
    struct CCase
    {
        const char* m_pszBody;
        std::size_t m_nLines;
        int m_nWidth;
        std::size_t m_nBytes;
    };
    const CCase cases[] = {
        {"", 0, 0, 0},
        {"\r\n", 1, 0, 0},
        {"  \r\n\x81\x40\r\n", 2, 11, 6}, // the widest line; CR LF counts 2, the last not at all
        {"a\nb\rc\r\n\r\n", 4, 8, 9},     // LF and CR alone count 2 as well
        {"\x8B\xC1\x8B\xC1", 1, 32, 4},   // without a line end
    };
    for (const CCase& test : cases) {
        const CAAFacts facts = MeasureAABody(test.m_pszBody, false);
        EXPECT_EQ(facts.m_nLines, test.m_nLines) << test.m_pszBody;
        EXPECT_EQ(facts.m_nWidth, test.m_nWidth) << test.m_pszBody;
        EXPECT_EQ(facts.m_nBytes, test.m_nBytes) << test.m_pszBody;
    }
    std::string strBody;
    for (int i = 0; i < 60; ++i)
        strBody += "\r\n";
    EXPECT_FALSE(MeasureAABody(strBody, false).HasTooManyLines());
    EXPECT_TRUE(MeasureAABody(strBody + "x", false).HasTooManyLines());
    EXPECT_FALSE(MeasureAABody(std::string(4096, 'x'), false).HasTooManyBytes());
    EXPECT_TRUE(MeasureAABody(std::string(4095, 'x') + "\r\nx", false).HasTooManyBytes());
}
