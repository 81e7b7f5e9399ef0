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
} // namespace

std::vector<CNameAt> ReadNamesPlainly(std::string_view text)
{
    constexpr std::string_view kKey = "[MojieName=";
    std::vector<CNameAt> names;
    std::size_t nLineStart = 0;
    while (nLineStart < text.size()) {
        const std::size_t nNewLine = text.find('\n', nLineStart);
        const std::size_t nLineEnd = nNewLine == std::string_view::npos ? text.size() : nNewLine;
        const std::size_t nNextLine = nNewLine == std::string_view::npos ? text.size() : nNewLine + 1;
        std::string_view line = text.substr(nLineStart, nLineEnd - nLineStart);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with(kKey))
            names.push_back({NameOnLine(line.substr(kKey.size())), nNextLine});
        nLineStart = nNextLine;
    }
    return names;
}

std::vector<CNameAt> NamesOf(const CAAStore& store)
{
    std::vector<CNameAt> names;
    for (int i = 0; i < store.GetCount(); ++i)
        names.push_back({store.GetName(i), store.GetOffset(i)});
    return names;
}
