#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Shift-JIS (code page 932) helpers. Names and AA text stay code page 932
// bytes everywhere in the model; conversion happens only for display and for
// text that a person typed.

// True for a byte that begins a two-byte character of code page 932.
constexpr bool IsLeadByte(unsigned char ch)
{
    return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
}

// Number of bytes of the character that starts at nPos: 2 at a lead byte,
// else 1. The second byte may lie beyond the end of the text.
constexpr std::size_t CharLengthAt(std::string_view text, std::size_t nPos)
{
    return IsLeadByte(static_cast<unsigned char>(text[nPos])) ? 2 : 1;
}

// The longest start of text made of whole characters and no longer than
// nBytes: a lead byte is never parted from the byte after it.
constexpr std::string_view CutToWholeChars(std::string_view text, std::size_t nBytes)
{
    std::size_t nPos = 0;
    while (nPos < text.size()) {
        const std::size_t nNext = nPos + CharLengthAt(text, nPos);
        if (nNext > nBytes)
            break;
        nPos = nNext;
    }
    return text.substr(0, nPos);
}

// Position of the last one-byte character ch in text, read as characters
// from its first byte, so that the trail byte of a two-byte character never
// matches; std::string_view::npos when there is none. Linear in the length.
// Inline: the AA store cuts a million names with it.
inline std::size_t FindLastSjisChar(std::string_view text, char ch)
{
    // Searched from the end, as the character sought usually stands there. A
    // byte begins a character exactly when the run of lead-byte values right
    // before it has even length: a byte that is no lead byte always ends a
    // character, and from there on the run pairs up.
    for (std::size_t nPos = text.rfind(ch); nPos != std::string_view::npos;
         nPos = nPos == 0 ? std::string_view::npos : text.rfind(ch, nPos - 1)) {
        std::size_t nLeads = 0;
        while (nLeads < nPos && IsLeadByte(static_cast<unsigned char>(text[nPos - 1 - nLeads])))
            ++nLeads;
        if (nLeads % 2 == 0)
            return nPos;
    }
    return std::string_view::npos;
}

// Decodes code page 932 bytes to UTF-8 for display. Lenient: a byte or pair
// that has no character shows as U+FFFD and the rest is still converted.
std::string Cp932ToUtf8(std::string_view text);

// As Cp932ToUtf8, with every character reference resolved: "&#NNNN;"
// (decimal) and "&#xHHHH;" (hex) become the character they stand for, as
// AA libraries write the characters that code page 932 lacks (the spaces of
// fine widths above all). A reference to NUL, to a surrogate or beyond
// U+10FFFF, and anything else after "&", stays as it is. Bodies and names
// keep their references as bytes; this is what a window shows, copies and
// measures of them.
std::string Cp932ToUtf8ResolvingReferences(std::string_view text);

// The length of the character reference that text begins with, as
// Cp932ToUtf8ResolvingReferences resolves it; 0 when it begins with none.
std::size_t CharacterReferenceLength(std::string_view text);

// Encodes UTF-8 text to code page 932; std::nullopt when the text is not
// valid UTF-8 or holds a character that code page 932 cannot write.
std::optional<std::string> Utf8ToCp932(std::string_view text);

// As Utf8ToCp932, but every character that cannot be written (and every
// byte that is not valid UTF-8) becomes "?". For labels made from file
// names, where refusing the whole name would help nobody.
std::string Utf8ToCp932Lenient(std::string_view text);

// How many bytes code page 932 writes the character ch in: 1 or 2, or 0
// when it cannot write it.
std::size_t Cp932CharLength(char32_t ch);

// The character of UTF-8 text at nPos, which moves past it; a byte that
// begins no valid character reads as U+FFFD and moves nPos by one.
char32_t NextUtf8Char(std::string_view text, std::size_t& nPos);

// True when text is valid UTF-8 throughout.
bool IsValidUtf8(std::string_view text);

// What a text file's first bytes show it to be.
enum class ETextEncoding
{
    Cp932, // code page 932, or nothing else recognisable (plain ASCII included)
    Utf8,  // UTF-8, with or without a byte-order mark
    Utf16, // UTF-16 with a byte-order mark
};

// Recognises text that is surely not code page 932 from head, the first
// bytes of a file (a character cut off at the end of head is not held
// against it). A byte-order mark decides; otherwise head is UTF-8 only when
// all of it is valid UTF-8 and it holds a character of three or four bytes,
// as every kana and kanji is in UTF-8. Code page 932 text almost never
// passes: a full-width space, a kana or a half-width kana followed by ASCII
// is invalid UTF-8, and pairs of half-width kana that happen to form a valid
// two-byte character do not count.
ETextEncoding DetectTextEncoding(std::string_view head);
