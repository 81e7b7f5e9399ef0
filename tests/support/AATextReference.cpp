#include "AATextReference.h"

#include "AAStore.h"

namespace
{
// A byte that begins a two-byte character of code page 932.
bool BeginsTwoByteCharacter(char ch)
{
    const auto nByte = static_cast<unsigned char>(ch);
    return (nByte >= 0x81 && nByte <= 0x9F) || (nByte >= 0xE0 && nByte <= 0xFC);
}

// The name on a name line after its key: everything up to the last "]",
// walking the line from its start a character at a time so that the second
// byte of a two-byte character is never taken for one; empty without "]".
std::string NameOnLine(std::string_view afterKey)
{
    std::size_t nBracket = 0;
    for (std::size_t nPos = 0; nPos < afterKey.size(); nPos += BeginsTwoByteCharacter(afterKey[nPos]) ? 2 : 1)
        if (afterKey[nPos] == ']')
            nBracket = nPos;
    return std::string(afterKey.substr(0, nBracket));
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

std::vector<CNameAt> ReadNamesPlainly(std::string_view text)
{
    constexpr std::string_view kKey = "[MojieName=";
    std::vector<CNameAt> names;
    std::vector<std::size_t> nextLines;
    const std::vector<std::string_view> lines = SplitLinesPlainly(text, &nextLines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(kKey))
            names.push_back({NameOnLine(lines[i].substr(kKey.size())), nextLines[i]});
    return names;
}

std::string ReadBodyPlainly(std::string_view text, std::uint64_t nOffset)
{
    std::string strBody;
    for (std::string_view line : SplitLinesPlainly(text.substr(nOffset), nullptr)) {
        if (line == "[END]")
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
