#include "ShiftJis.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace
{
#include "Cp932Table.inc"

constexpr unsigned kLeadCount = 60;   // 0x81-0x9F and 0xE0-0xFC
constexpr unsigned kTrailCount = 188; // 0x40-0x7E and 0x80-0xFC
static_assert(sizeof(kDoubleByteToUnicode) / sizeof(kDoubleByteToUnicode[0]) == std::size_t{kLeadCount} * kTrailCount);

int LeadSlot(unsigned char lead)
{
    if (lead >= 0x81 && lead <= 0x9F)
        return lead - 0x81;
    if (lead >= 0xE0 && lead <= 0xFC)
        return lead - 0xE0 + 0x1F;
    return -1;
}

int TrailSlot(unsigned char trail)
{
    if (trail >= 0x40 && trail <= 0x7E)
        return trail - 0x40;
    if (trail >= 0x80 && trail <= 0xFC)
        return trail - 0x80 + 0x3F;
    return -1;
}

unsigned char LeadOfSlot(int nSlot)
{
    return static_cast<unsigned char>(nSlot < 0x1F ? 0x81 + nSlot : 0xE0 + nSlot - 0x1F);
}

unsigned char TrailOfSlot(int nSlot)
{
    return static_cast<unsigned char>(nSlot < 0x3F ? 0x40 + nSlot : 0x80 + nSlot - 0x3F);
}

// Code page 932's single bytes above ASCII, as Windows maps them.
char32_t SingleByteToUnicode(unsigned char ch)
{
    if (ch < 0x80)
        return ch;
    if (ch == 0x80)
        return 0x0080;
    if (ch == 0xA0)
        return 0xF8F0;
    if (ch >= 0xA1 && ch <= 0xDF)
        return 0xFF61 + (ch - 0xA1);
    if (ch >= 0xFD)
        return 0xF8F1 + (ch - 0xFD);
    return 0; // a lead byte
}

// Unicode code point (BMP) to code page 932: a byte pair as lead << 8 | trail,
// a single byte as its value, 0 for none (U+0000 is handled by the caller).
const std::array<std::uint16_t, 0x10000>& EncodeTable()
{
    static const std::unique_ptr<std::array<std::uint16_t, 0x10000>> table = [] {
        auto result = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        result->fill(0);
        for (unsigned ch = 1; ch <= 0xFF; ++ch)
            if (char32_t code = SingleByteToUnicode(static_cast<unsigned char>(ch)))
                (*result)[code] = static_cast<std::uint16_t>(ch);
        // Where several byte pairs read as one character, Windows writes the
        // first of them, except that the IBM extensions (leads 0xFA-0xFC)
        // win over NEC's copies of them (leads 0xED-0xEE). Walking from the
        // last pair to the first lets earlier pairs overwrite later ones.
        constexpr std::size_t nCells = sizeof(kDoubleByteToUnicode) / sizeof(kDoubleByteToUnicode[0]);
        for (std::size_t i = nCells; i-- > 0;) {
            const std::uint16_t code = kDoubleByteToUnicode[i];
            if (code == 0)
                continue;
            const unsigned char lead = LeadOfSlot(static_cast<int>(i / kTrailCount));
            const unsigned char trail = TrailOfSlot(static_cast<int>(i % kTrailCount));
            const bool bNecCopyOfIbm = (lead == 0xED || lead == 0xEE) && ((*result)[code] >> 8) >= 0xFA;
            if (!bNecCopyOfIbm)
                (*result)[code] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
        for (const auto& pair : kBestFitToCp932)
            (*result)[pair[0]] = pair[1];
        return result;
    }();
    return *table;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads one UTF-8 character at nPos; returns its code point and sets nLength,
// or returns char32_t(-1) with nLength 1 for a byte that starts no valid
// character (overlong forms and surrogates included).
char32_t DecodeUtf8At(std::string_view text, std::size_t nPos, std::size_t& nLength)
{
    nLength = 1;
    const auto lead = static_cast<unsigned char>(text[nPos]);
    if (lead < 0x80)
        return lead;
    std::size_t nCount = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        nCount = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        nCount = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        nCount = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return static_cast<char32_t>(-1);
    }
    if (nPos + nCount > text.size())
        return static_cast<char32_t>(-1);
    for (std::size_t i = 1; i < nCount; ++i) {
        const auto next = static_cast<unsigned char>(text[nPos + i]);
        if ((next & 0xC0) != 0x80)
            return static_cast<char32_t>(-1);
        code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return static_cast<char32_t>(-1);
    nLength = nCount;
    return code;
}

// True when rest, the end of a text, is the beginning of a UTF-8 character
// of more bytes than rest holds.
bool IsCutUtf8Character(std::string_view rest)
{
    const auto lead = static_cast<unsigned char>(rest[0]);
    const std::size_t nCount = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (rest.size() >= nCount)
        return false;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80)
            return false;
    }
    return true;
}

// Shared by the strict and the lenient encoder; returns false at the first
// character that cannot be written when pReplacement is null.
bool EncodeCp932(std::string_view text, std::string& out, const char* pReplacement)
{
    const auto& table = EncodeTable();
    out.reserve(text.size());
    for (std::size_t nPos = 0; nPos < text.size();) {
        std::size_t nLength = 0;
        const char32_t code = DecodeUtf8At(text, nPos, nLength);
        nPos += nLength;
        if (code == 0) {
            out += '\0';
            continue;
        }
        const std::uint16_t value = code < 0x10000 ? table[code] : 0;
        if (value == 0) {
            if (pReplacement == nullptr)
                return false;
            out += pReplacement;
        } else if (value > 0xFF) {
            out += static_cast<char>(value >> 8);
            out += static_cast<char>(value & 0xFF);
        } else {
            out += static_cast<char>(value);
        }
    }
    return true;
}

// Appends text, code page 932, to out in UTF-8; see Cp932ToUtf8.
void AppendCp932AsUtf8(std::string& out, std::string_view text)
{
    for (std::size_t nPos = 0; nPos < text.size();) {
        const auto ch = static_cast<unsigned char>(text[nPos]);
        if (ch < 0x80) {
            out += static_cast<char>(ch);
            ++nPos;
            continue;
        }
        const int nLead = LeadSlot(ch);
        if (nLead < 0) {
            AppendUtf8(out, SingleByteToUnicode(ch));
            ++nPos;
            continue;
        }
        const int nTrail = nPos + 1 < text.size() ? TrailSlot(static_cast<unsigned char>(text[nPos + 1])) : -1;
        if (nTrail < 0) {
            // A lead byte without a trail byte: the next byte is read anew.
            AppendUtf8(out, 0xFFFD);
            ++nPos;
            continue;
        }
        const std::uint16_t code = kDoubleByteToUnicode[nLead * kTrailCount + nTrail];
        AppendUtf8(out, code ? code : 0xFFFD);
        nPos += 2;
    }
}

// The character that the reference "&#NNNN;" or "&#xHHHH;" at the start of
// text stands for, with nLength set to the reference's length; 0 when text
// begins with no reference, or with one to no character that may stand in
// text (NUL, a surrogate, beyond U+10FFFF), which then stays as it is.
char32_t ReadCharacterReference(std::string_view text, std::size_t& nLength)
{
    if (!text.starts_with("&#"))
        return 0;
    std::size_t nPos = 2;
    const bool bHex = nPos < text.size() && (text[nPos] == 'x' || text[nPos] == 'X');
    if (bHex)
        ++nPos;
    const std::size_t nDigitsStart = nPos;
    char32_t code = 0;
    for (; nPos < text.size(); ++nPos) {
        const char ch = text[nPos];
        int nDigit = -1;
        if (ch >= '0' && ch <= '9')
            nDigit = ch - '0';
        else if (bHex && ch >= 'a' && ch <= 'f')
            nDigit = ch - 'a' + 10;
        else if (bHex && ch >= 'A' && ch <= 'F')
            nDigit = ch - 'A' + 10;
        if (nDigit < 0)
            break;
        // Past the last character the value only has to stay past it.
        code = std::min<char32_t>(code * (bHex ? 16 : 10) + static_cast<char32_t>(nDigit), 0x110000);
    }
    if (nPos == nDigitsStart || nPos == text.size() || text[nPos] != ';')
        return 0;
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    nLength = nPos + 1;
    return code;
}
} // namespace

std::string Cp932ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3 / 2);
    AppendCp932AsUtf8(out, text);
    return out;
}

std::string Cp932ToUtf8ResolvingReferences(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 3 / 2);
    // "&" (0x26) is never the second byte of a two-byte character, and
    // neither are "#", the digits and ";": the bytes can be searched as
    // they are.
    for (std::size_t nPos = 0; nPos < text.size();) {
        const std::size_t nAmpersand = std::min(text.find('&', nPos), text.size());
        AppendCp932AsUtf8(out, text.substr(nPos, nAmpersand - nPos));
        if (nAmpersand == text.size())
            break;
        std::size_t nLength = 0;
        const char32_t code = ReadCharacterReference(text.substr(nAmpersand), nLength);
        if (code == 0) {
            out += '&';
            nPos = nAmpersand + 1;
            continue;
        }
        AppendUtf8(out, code);
        nPos = nAmpersand + nLength;
    }
    return out;
}

std::size_t CharacterReferenceLength(std::string_view text)
{
    std::size_t nLength = 0;
    return ReadCharacterReference(text, nLength) == 0 ? 0 : nLength;
}

std::optional<std::string> Utf8ToCp932(std::string_view text)
{
    std::string out;
    if (!EncodeCp932(text, out, nullptr))
        return std::nullopt;
    return out;
}

std::string Utf8ToCp932Lenient(std::string_view text)
{
    std::string out;
    EncodeCp932(text, out, "?");
    return out;
}

std::size_t Cp932CharLength(char32_t ch)
{
    if (ch == 0)
        return 1;
    const std::uint16_t value = ch < 0x10000 ? EncodeTable()[ch] : 0;
    return value == 0 ? 0 : (value > 0xFF ? 2 : 1);
}

char32_t NextUtf8Char(std::string_view text, std::size_t& nPos)
{
    std::size_t nLength = 0;
    const char32_t ch = DecodeUtf8At(text, nPos, nLength);
    nPos += nLength;
    return ch == static_cast<char32_t>(-1) ? char32_t{0xFFFD} : ch;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t nLength = 0;
    for (std::size_t nPos = 0; nPos < text.size(); nPos += nLength) {
        if (DecodeUtf8At(text, nPos, nLength) == static_cast<char32_t>(-1))
            return false;
    }
    return true;
}

ETextEncoding DetectTextEncoding(std::string_view head)
{
    if (head.starts_with("\xEF\xBB\xBF"))
        return ETextEncoding::Utf8;
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
        return ETextEncoding::Utf16;
    bool bLongCharacter = false;
    std::size_t nPos = 0;
    while (nPos < head.size()) {
        if (static_cast<unsigned char>(head[nPos]) < 0x80) {
            ++nPos;
            continue;
        }
        std::size_t nLength = 0;
        if (DecodeUtf8At(head, nPos, nLength) == static_cast<char32_t>(-1)) {
            if (!IsCutUtf8Character(head.substr(nPos)))
                return ETextEncoding::Cp932;
            break;
        }
        bLongCharacter = bLongCharacter || nLength >= 3;
        nPos += nLength;
    }
    return bLongCharacter ? ETextEncoding::Utf8 : ETextEncoding::Cp932;
}
