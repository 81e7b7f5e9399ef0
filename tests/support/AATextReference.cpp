#include "AATextReference.h"

#include <cctype>

namespace
{
// A byte that begins a two-byte character of code page 932.
bool BeginsTwoByteCharacter(char ch)
{
    const auto nByte = static_cast<unsigned char>(ch);
    return (nByte >= 0x81 && nByte <= 0x9F) || (nByte >= 0xE0 && nByte <= 0xFC);
}

// The characters of text, each one or two bytes; a lead byte that ends
// the text is a character of one.
std::vector<std::string_view> SplitCharacters(std::string_view text)
{
    std::vector<std::string_view> characters;
    for (std::size_t nPos = 0; nPos < text.size();) {
        const std::size_t nLength = BeginsTwoByteCharacter(text[nPos]) && nPos + 1 < text.size() ? 2 : 1;
        characters.push_back(text.substr(nPos, nLength));
        nPos += nLength;
    }
    return characters;
}

// The name on a name line after its key: everything up to the last "]",
// walking the line from its start a character at a time so that the second
// byte of a two-byte character is never taken for one; without "]", empty
// or, with bWholeWithoutBracket, all of it.
std::string NameOnLine(std::string_view afterKey, bool bWholeWithoutBracket = false)
{
    std::string strName;
    std::string strSoFar;
    bool bBracket = false;
    for (std::string_view character : SplitCharacters(afterKey)) {
        if (character == "]") {
            strName = strSoFar;
            bBracket = true;
        }
        strSoFar += character;
    }
    return bBracket || !bWholeWithoutBracket ? strName : strSoFar;
}

bool IsSpace(std::string_view character)
{
    return character == " " || character == "\x81\x40";
}

bool IsBlank(std::string_view line)
{
    for (std::string_view character : SplitCharacters(line))
        if (!IsSpace(character))
            return false;
    return true;
}

// Whether text begins with a character reference to a character that may
// stand in text.
bool BeginsWithReference(std::string_view text, std::size_t& nLength)
{
    if (!text.starts_with("&#"))
        return false;
    std::size_t nPos = 2;
    int nBase = 10;
    if (nPos < text.size() && (text[nPos] == 'x' || text[nPos] == 'X')) {
        nBase = 16;
        ++nPos;
    }
    const std::size_t nStart = nPos;
    while (nPos < text.size() && std::isxdigit(static_cast<unsigned char>(text[nPos])) &&
           (nBase == 16 || std::isdigit(static_cast<unsigned char>(text[nPos]))))
        ++nPos;
    if (nPos == nStart || nPos == text.size() || text[nPos] != ';')
        return false;
    // Leading zeros aside, more than seven digits are past U+10FFFF anyway.
    std::string_view digits = text.substr(nStart, nPos - nStart);
    while (digits.size() > 1 && digits[0] == '0')
        digits.remove_prefix(1);
    if (digits.size() > 7)
        return false;
    const unsigned long nValue = std::stoul(std::string(digits), nullptr, nBase);
    if (nValue == 0 || nValue > 0x10FFFF || (nValue >= 0xD800 && nValue <= 0xDFFF))
        return false;
    nLength = nPos + 1;
    return true;
}

// An MLT page's label: its first line that holds something, trimmed of
// spaces at both ends, cut to 24 characters, but never inside a reference.
std::string LabelOf(std::string_view line)
{
    std::vector<std::string_view> characters = SplitCharacters(line);
    while (!characters.empty() && IsSpace(characters.front()))
        characters.erase(characters.begin());
    while (!characters.empty() && IsSpace(characters.back()))
        characters.pop_back();
    std::string strTrimmed;
    for (std::string_view character : characters)
        strTrimmed += character;
    std::string strLabel;
    for (std::size_t i = 0; i < characters.size() && i < 24; ++i)
        strLabel += characters[i];
    for (std::size_t nPos = 0; nPos < strLabel.size(); ++nPos) {
        std::size_t nLength = 0;
        if (strLabel[nPos] == '&' && BeginsWithReference(std::string_view(strTrimmed).substr(nPos), nLength) &&
            nPos + nLength > strLabel.size())
            return strLabel.substr(0, nPos);
    }
    return strLabel;
}

// The name of an MLT page of lines, given the heading it falls under; a
// heading page makes itself the heading.
std::string PageName(const std::vector<std::string_view>& page, std::string& strHeading)
{
    std::vector<std::string_view> filled;
    for (std::string_view line : page)
        if (!IsBlank(line))
            filled.push_back(line);
    if (filled.empty())
        return strHeading;
    if (filled.size() <= 2 && filled[0].starts_with("\x81\x79")) {
        std::string strName;
        for (std::string_view character : SplitCharacters(filled[0])) {
            strName += character;
            if (character == "\x81\x7A") {
                strHeading = strName;
                return strName;
            }
        }
    }
    return strHeading + LabelOf(filled[0]);
}

// The lines of text, split at CR LF, at a lone LF and at a lone CR; with
// pNextLines, the offset where the line after each begins.
std::vector<std::string_view> SplitLinesPlainly(std::string_view text, std::vector<std::size_t>* pNextLines)
{
    std::vector<std::string_view> lines;
    std::size_t nLineStart = 0;
    while (nLineStart < text.size()) {
        const std::size_t nEnd = text.find_first_of("\r\n", nLineStart);
        const std::size_t nLineEnd = nEnd == std::string_view::npos ? text.size() : nEnd;
        std::size_t nNextLine = nLineEnd;
        if (nNextLine < text.size())
            nNextLine += text.substr(nNextLine, 2) == "\r\n" ? 2 : 1;
        lines.push_back(text.substr(nLineStart, nLineEnd - nLineStart));
        if (pNextLines != nullptr)
            pNextLines->push_back(nNextLine);
        nLineStart = nNextLine;
    }
    return lines;
}
} // namespace

std::vector<CNameAt> ReadNamesPlainly(std::string_view text, EAAFileFormat format)
{
    const std::string_view key = format == EAAFileFormat::Ast ? "[AA][" : "[MojieName=";
    std::vector<CNameAt> names;
    std::vector<std::size_t> nextLines;
    const std::vector<std::string_view> lines = SplitLinesPlainly(text, &nextLines);
    if (format == EAAFileFormat::Mlt) {
        std::string strHeading;
        std::vector<std::string_view> page;
        std::size_t nPageStart = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] != "[SPLIT]") {
                page.push_back(lines[i]);
                continue;
            }
            names.push_back({PageName(page, strHeading), nPageStart});
            page.clear();
            nPageStart = nextLines[i];
        }
        if (nPageStart < text.size())
            names.push_back({PageName(page, strHeading), nPageStart});
        return names;
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(key))
            names.push_back({NameOnLine(lines[i].substr(key.size()), format == EAAFileFormat::Ast), nextLines[i]});
    return names;
}

std::string ReadBodyPlainly(std::string_view text, std::uint64_t nOffset, EAAFileFormat format)
{
    std::string strBody;
    for (std::string_view line : SplitLinesPlainly(text.substr(nOffset), nullptr)) {
        if (format == EAAFileFormat::MojieName ? line == "[END]"
            : format == EAAFileFormat::Mlt     ? line == "[SPLIT]"
                                               : line.starts_with("[AA]["))
            break;
        strBody += line;
        strBody += "\r\n";
    }
    return strBody;
}

std::vector<CNameAt> NamesOf(const CAAStore& store)
{
    std::vector<CNameAt> names;
    for (int i = 0; i < store.GetCount(); ++i)
        names.push_back({store.GetName(i), store.GetOffset(i)});
    return names;
}
