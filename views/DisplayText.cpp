#include "DisplayText.h"

#include "AAFacts.h"
#include "ShiftJis.h"

#include <algorithm>

namespace
{

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";    // …
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// Appends cp932 in UTF-8 to strUtf8, decoded as every AA text is (see
// DecodeAAText), its character references resolved when bReferences. The
// conversion itself is lenient; a NUL byte is valid text to it, but GTK
// refuses a text holding one as a whole, so it shows as the replacement
// character too.
void AppendDisplay(std::string& strUtf8, std::string_view cp932, bool bReferences)
{
    const std::string strConverted = DecodeAAText(cp932, bReferences);
    for (std::size_t nPos = 0;;) {
        const std::size_t nNul = strConverted.find('\0', nPos);
        strUtf8.append(strConverted, nPos, nNul == std::string::npos ? std::string::npos : nNul - nPos);
        if (nNul == std::string::npos)
            return;
        strUtf8 += kReplacement;
        nPos = nNul + 1;
    }
}
} // namespace

std::string DisplayNameUtf8(std::string_view cp932, bool bReferences)
{
    // Only the characters shown are walked over and converted.
    std::size_t nPos = 0;
    for (std::size_t nChars = 0; nChars < kNameDisplayChars && nPos < cp932.size(); ++nChars)
        nPos += CharLengthAt(cp932, nPos);
    std::string strUtf8;
    AppendDisplay(strUtf8, cp932.substr(0, nPos), bReferences);
    if (nPos < cp932.size())
        strUtf8 += kEllipsis;
    return strUtf8;
}

CPaneText MakePaneText(std::string_view cp932, bool bReferences)
{
    CPaneText shown;
    std::size_t nBudget = kPaneTextBytes;
    std::size_t nLines = 0;
    std::size_t nPos = 0;
    while (nPos < cp932.size()) {
        if (nBudget == 0 || nLines == kPaneLines) {
            shown.m_strUtf8 += kEllipsis;
            shown.m_bCut = true;
            break;
        }
        const std::size_t nLineFeed = cp932.find('\n', nPos);
        const std::size_t nEnd = nLineFeed == std::string_view::npos ? cp932.size() : nLineFeed;
        std::string_view line = cp932.substr(nPos, nEnd - nPos);
        if (nLineFeed != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        const std::size_t nLimit = std::min(kPaneLineBytes, nBudget);
        const std::string_view part = CutToWholeChars(line, nLimit);
        AppendDisplay(shown.m_strUtf8, part, bReferences);
        if (part.size() < line.size()) {
            shown.m_strUtf8 += kEllipsis;
            shown.m_bCut = true;
            // The budget ran out within this line: a stub of the next line
            // would help nobody.
            if (nLimit == nBudget)
                break;
        }
        nBudget -= part.size();
        if (nLineFeed == std::string_view::npos)
            break;
        shown.m_strUtf8 += '\n';
        ++nLines;
        nPos = nLineFeed + 1;
    }
    return shown;
}

wxString ToDisplay(std::string_view cp932, bool bReferences)
{
    std::string strUtf8;
    AppendDisplay(strUtf8, cp932, bReferences);
    return wxString::FromUTF8(strUtf8);
}

wxString ToDisplayName(std::string_view cp932, bool bReferences)
{
    return wxString::FromUTF8(DisplayNameUtf8(cp932, bReferences));
}

std::optional<std::string> FromDisplay(const wxString& strText)
{
    return Utf8ToCp932(strText.utf8_string());
}
