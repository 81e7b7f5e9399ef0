#include "TextRoutines.h"

#include <gtest/gtest.h>

#include <limits>

TEST(TextRoutinesTest, IntToStringWritesPrintfDecimal)
{
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(-7), "-7");
    EXPECT_EQ(IntToString(2147483647), "2147483647");
    EXPECT_EQ(IntToString(std::numeric_limits<int>::min()), "-2147483648");
}

TEST(TextRoutinesTest, StringToIntReadsAsAtol)
{
    struct CCase
    {
        std::string_view m_strText;
        long long m_nExpected;
    };
    const CCase cases[] = {
        {"42", 42},
        {"  \t-17xyz", -17},
        {"+5", 5},
        {"", 0},
        {"abc", 0},
        {"- 3", 0},
        {"\r\n12\r", 12},
        {"007", 7},
        {"99999999999999999999999", std::numeric_limits<long long>::max()},
        {"-99999999999999999999999", std::numeric_limits<long long>::min()},
        // Right at the limits and one past them.
        {"9223372036854775807", std::numeric_limits<long long>::max()},
        {"9223372036854775808", std::numeric_limits<long long>::max()},
        {"-9223372036854775808", std::numeric_limits<long long>::min()},
        {"-9223372036854775809", std::numeric_limits<long long>::min()},
        {"-9223372036854775799", -9223372036854775807LL + 8},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(StringToInt(c.m_strText), c.m_nExpected) << c.m_strText;
}

TEST(TextRoutinesTest, QuoteAndUnquote)
{
    EXPECT_EQ(Quote("a\"b"), "\"a\"b\"");
    struct CCase
    {
        std::string_view m_strText;
        std::string_view m_strExpected;
    };
    const CCase cases[] = {
        {"\"name\"", "name"},
        {" \t\"name\"\t ", "name"},
        {"\" in side \"", " in side "},
        {"\"a\"b\"", "a\"b"}, // names holding quotes survive a save and load
        {"\"\"", ""},
        {"\"", "\""}, // one quote: the trimmed text itself
        {"  plain text ", "plain text"},
        {"x\"y\"z", "y"},
        {"\v\f\"q\"\r\n", "q"},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(Unquote(c.m_strText), c.m_strExpected) << c.m_strText;
}
