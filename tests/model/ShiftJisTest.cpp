#include "ShiftJis.h"

#include <gtest/gtest.h>

#include <random>

TEST(ShiftJisTest, LeadBytesAreTheTwoCodePage932Ranges)
{
    for (int ch = 0; ch < 256; ++ch) {
        const bool bExpected = (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(ch)), bExpected) << ch;
    }
}

TEST(ShiftJisTest, FindLastCharSkipsTrailBytes)
{
    struct CCase
    {
        std::string_view m_strText;
        std::size_t m_nExpected;
    };
    const CCase cases[] = {
        {"a]b]", 3},
        {"\x83]", std::string_view::npos}, // ゾ: its trail byte is "]"
        {"\x83]]", 2},
        {"a]\x83]", 1},
        {"", std::string_view::npos},
        {"\x83", std::string_view::npos}, // a lone lead byte at the end
        {"\xB1]", 1},                     // half-width katakana is one byte
    };
    for (const CCase& c : cases)
        EXPECT_EQ(FindLastSjisChar(c.m_strText, ']'), c.m_nExpected) << c.m_strText;

    // Against a walk through the characters from the front, on texts made of
    // "]", lead bytes (0x83 also before "]") and one-byte characters.
    const char bytes[] = {']', '\x83', '\x82', 'a', '\xB1'};
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 20000; ++nRound) {
        std::string text;
        for (std::size_t n = random() % 12; n-- > 0;)
            text += bytes[random() % std::size(bytes)];
        std::size_t nExpected = std::string_view::npos;
        for (std::size_t nPos = 0; nPos < text.size(); nPos += IsLeadByte(text[nPos]) ? 2 : 1)
            if (text[nPos] == ']')
                nExpected = nPos;
        ASSERT_EQ(FindLastSjisChar(text, ']'), nExpected) << text;
    }
}

TEST(ShiftJisTest, DecodesWindowsExtensionsAndHalfWidthKana)
{
    struct CCase
    {
        std::string_view m_strCp932;
        std::string_view m_strUtf8;
    };
    const CCase cases[] = {
        {"\x82\xA0\x82\xA2", "あい"},
        {"\x87\x40", "①"},  // NEC row 13
        {"\xFB\xFC", "髙"}, // IBM extension
        {"\x81\x61", "∥"},
        {"\x81\x60", "～"}, // Microsoft's wave dash
        {"\xB1\xDF", "ｱﾟ"},
        {"a\\~", "a\\~"},                         // ASCII stays ASCII
        {"\xA0\xFD", "\xEF\xA3\xB0\xEF\xA3\xB1"}, // U+F8F0, U+F8F1 as Windows maps them
    };
    for (const CCase& c : cases)
        EXPECT_EQ(Cp932ToUtf8(c.m_strCp932), c.m_strUtf8);
}

TEST(ShiftJisTest, BadBytesBecomeReplacementCharactersWithoutLosingTheRest)
{
    // An unmapped pair, a lead byte before a byte that cannot trail, and a
    // lone lead byte at the end.
    EXPECT_EQ(Cp932ToUtf8("a\x85\x40"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Cp932ToUtf8("\x82\x0A"
                          "c"),
              "\xEF\xBF\xBD\nc");
    EXPECT_EQ(Cp932ToUtf8("xy\x82"), "xy\xEF\xBF\xBD");
}

TEST(ShiftJisTest, ReferencesResolveToTheirCharactersAndAnythingElseStaysText)
{
    struct CCase
    {
        std::string_view m_strCp932;
        std::string_view m_strUtf8;
    };
    const CCase cases[] = {
        {"&#12354;&#x2003;&#X2003;", "あ\u2003\u2003"},
        {"\x82\xA0&#65;&&#66;\x82", "あA&B\xEF\xBF\xBD"}, // decoded around them as without
        {"&#x10FFFF;", "\U0010FFFF"},
        // Not references, or to no character that may stand in text.
        {"&#x2003 &#; &#x; &#a; &#x2g; &amp; &#", "&#x2003 &#; &#x; &#a; &#x2g; &amp; &#"},
        {"&#0; &#x0; &#xD800; &#57343; &#x110000; &#99999999999999999999;",
         "&#0; &#x0; &#xD800; &#57343; &#x110000; &#99999999999999999999;"},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(Cp932ToUtf8ResolvingReferences(c.m_strCp932), c.m_strUtf8) << c.m_strCp932;
    EXPECT_EQ(CharacterReferenceLength("&#x2003;d"), 8U);
    EXPECT_EQ(CharacterReferenceLength("&#0;"), 0U);
}

TEST(ShiftJisTest, EncodesTypedTextOrRefusesIt)
{
    EXPECT_EQ(Utf8ToCp932("ねこ①髙"), std::string("\x82\xCB\x82\xB1\x87\x40\xFB\xFC"));
    // Characters with several byte pairs take the one Windows writes.
    EXPECT_EQ(Utf8ToCp932("ⅰⅠ∵￢"), std::string("\xFA\x40\x87\x54\x81\xE6\x81\xCA"));
    // Input methods on Linux type U+301C for the wave dash.
    EXPECT_EQ(Utf8ToCp932("〜"), std::string("\x81\x60"));
    EXPECT_EQ(Utf8ToCp932("ｱ"), std::string("\xB1"));
    EXPECT_EQ(Utf8ToCp932(""), std::string());
    EXPECT_FALSE(Utf8ToCp932("猫😺").has_value());          // no emoji in code page 932
    EXPECT_FALSE(Utf8ToCp932("\xC3\x28").has_value());     // not UTF-8
    EXPECT_FALSE(Utf8ToCp932("\xED\xA0\x80").has_value()); // a surrogate
    EXPECT_EQ(Utf8ToCp932Lenient("a😺b\xFF"), "a?b?");
}

TEST(ShiftJisTest, EveryDecodedCharacterEncodesBackToBytesThatDecodeAlike)
{
    // Several pairs read as one character (NEC and IBM rows); the encoder
    // picks one of them, which must read back as the same character.
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = Cp932ToUtf8(std::string_view(pair, 2));
            if (utf8.find("\xEF\xBF\xBD") != std::string::npos)
                continue;
            const auto encoded = Utf8ToCp932(utf8);
            ASSERT_TRUE(encoded.has_value()) << lead << " " << trail;
            EXPECT_EQ(Cp932ToUtf8(*encoded), utf8);
        }
    }
}

TEST(ShiftJisTest, RecognisesUtf8AndUtf16ButNeverTakesCodePage932ForThem)
{
    struct CCase
    {
        const char* m_pszWhat;
        std::string_view m_strHead;
        ETextEncoding m_nExpected;
    };
    const CCase cases[] = {
        {"empty", "", ETextEncoding::Cp932},
        {"plain ASCII", "[MojieName=cat]\r\n(=^.^=)\r\n[END]\r\n", ETextEncoding::Cp932},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[MojieName=cat]\r\n", ETextEncoding::Utf8},
        {"UTF-8 kana", "[MojieName=\xE3\x81\xAD\xE3\x81\x93]\r\n", ETextEncoding::Utf8},
        {"UTF-8 with a character cut off at the end", "\xE3\x81\xAD\xE3\x81", ETextEncoding::Utf8},
        {"UTF-16 little-endian", "\xFF\xFE[\0M\0", ETextEncoding::Utf16},
        {"UTF-16 big-endian", "\xFE\xFF\0[\0M", ETextEncoding::Utf16},
        {"code page 932 kana", "[MojieName=\x82\xCB\x82\xB1]\r\n", ETextEncoding::Cp932},
        {"full-width space", "\x81\x40\x81\x40(\x81\x4C\x81\x45\x83\xD6\x81\x45\x81\x4D)", ETextEncoding::Cp932},
        {"half-width kana followed by ASCII", "\xB1\xB2\xB3 abc", ETextEncoding::Cp932},
        {"half-width kana pair that is valid two-byte UTF-8", "\xC3\xA7\xC3\xA7", ETextEncoding::Cp932},
        {"kanji whose lead byte is a UTF-8 lead", "\xE8\x8F\x9C\x8A\xBF", ETextEncoding::Cp932},
        {"UTF-8 first, then an invalid byte", "\xE3\x81\xAD \x82\xCB", ETextEncoding::Cp932},
        {"overlong UTF-8 form", "\xE0\x80\xAF", ETextEncoding::Cp932},
        {"UTF-16 surrogate in UTF-8 form", "\xED\xA0\x80", ETextEncoding::Cp932},
        {"code page 932 ending in a lone lead byte", "abc\x82", ETextEncoding::Cp932},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(DetectTextEncoding(c.m_strHead), c.m_nExpected) << c.m_pszWhat;
}
