#include "AAFacts.h"

#include "ShiftJis.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace
{
struct CWidthRun
{
    std::uint32_t m_nFirst;
    std::uint32_t m_nLast;
    int m_nWidth;
};

#include "AAWidthTable.inc"

int LineWidth(std::string_view cp932Line, bool bReferences)
{
    const std::string strLine = DecodeAAText(cp932Line, bReferences);
    int nWidth = 0;
    for (std::size_t nPos = 0; nPos < strLine.size();)
        nWidth += CharAdvance(NextUtf8Char(strLine, nPos));
    return nWidth;
}
} // namespace

std::string DecodeAAText(std::string_view cp932, bool bReferences)
{
    return bReferences ? Cp932ToUtf8ResolvingReferences(cp932) : Cp932ToUtf8(cp932);
}

int CharAdvance(char32_t ch)
{
    const auto* const pEnd = std::end(kWidthRuns);
    const auto* pRun = std::upper_bound(std::begin(kWidthRuns), pEnd, ch,
                                        [](char32_t c, const CWidthRun& run) { return c < run.m_nFirst; });
    if (pRun != std::begin(kWidthRuns) && ch <= std::prev(pRun)->m_nLast)
        return std::prev(pRun)->m_nWidth;
    return Cp932CharLength(ch) == 1 ? 8 : 16;
}

CAAFacts MeasureAABody(std::string_view cp932, bool bReferences)
{
    CAAFacts facts;
    std::size_t nPos = 0;
    while (nPos < cp932.size()) {
        std::size_t nEnd = cp932.find_first_of("\r\n", nPos);
        if (nEnd == std::string_view::npos)
            nEnd = cp932.size();
        ++facts.m_nLines;
        facts.m_nBytes += nEnd - nPos;
        facts.m_nWidth = std::max(facts.m_nWidth, LineWidth(cp932.substr(nPos, nEnd - nPos), bReferences));
        nPos = nEnd;
        if (nPos < cp932.size() && cp932[nPos] == '\r')
            ++nPos;
        if (nPos < cp932.size() && cp932[nPos] == '\n')
            ++nPos;
    }
    if (facts.m_nLines > 1)
        facts.m_nBytes += 2 * (facts.m_nLines - 1);
    return facts;
}
