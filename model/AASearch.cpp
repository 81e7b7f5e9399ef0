#include "AASearch.h"

#include "FindLineEnd.h"
#include "ShiftJis.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr bool IsAsciiLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

constexpr char LowerAscii(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// The first place in [p, pEnd) holding ch in either case.
const char* FindLetter(const char* p, const char* pEnd, char ch)
{
    if (p >= pEnd)
        return nullptr;
    const auto nSize = static_cast<std::size_t>(pEnd - p);
    const auto* pLower = static_cast<const char*>(std::memchr(p, LowerAscii(ch), nSize));
    const char chUpper = static_cast<char>(LowerAscii(ch) - 'a' + 'A');
    const auto* pUpper =
        static_cast<const char*>(std::memchr(p, chUpper, static_cast<std::size_t>((pLower ? pLower : pEnd) - p)));
    return pUpper ? pUpper : pLower;
}
} // namespace

std::optional<CSearchText> CSearchText::FromUtf8(std::string_view utf8)
{
    std::optional<std::string> cp932 = Utf8ToCp932(utf8);
    if (!cp932)
        return std::nullopt;
    return CSearchText(*cp932);
}

CSearchText::CSearchText(std::string_view cp932) : m_strText(cp932), m_strLower(cp932), m_foldFlags(cp932.size(), 0)
{
    m_bCanMatch = m_strText.find_first_of("\r\n") == std::string::npos;
    // Only letters that are characters of their own fold: the trail byte of
    // ア (0x83 0x41) is an "A" byte, and ヂ (0x83 0x61) no other case of it.
    for (std::size_t nPos = 0; nPos < m_strText.size(); nPos += CharLengthAt(m_strText, nPos)) {
        if (IsAsciiLetter(m_strText[nPos])) {
            m_foldFlags[nPos] = 1;
            m_strLower[nPos] = LowerAscii(m_strText[nPos]);
        }
    }
    for (std::size_t nPos = 0; nPos < m_strText.size();) {
        const std::size_t nEnd = std::min(m_foldFlags.find('\1', nPos), m_strText.size());
        if (nEnd - nPos > m_nAnchorSize) {
            m_nAnchorPos = nPos;
            m_nAnchorSize = nEnd - nPos;
        }
        nPos = nEnd + 1;
    }
}

bool CSearchText::MatchesAt(const char* p) const
{
    for (std::size_t i = 0; i < m_strText.size(); ++i) {
        const char ch = m_foldFlags[i] ? LowerAscii(p[i]) : p[i];
        if (ch != m_strLower[i])
            return false;
    }
    return true;
}

const char* CSearchText::FindCandidate(const char* pFrom, const char* pEnd) const
{
    if (!m_bCanMatch || pEnd - pFrom < static_cast<std::ptrdiff_t>(m_strText.size()))
        return nullptr;
    if (m_strText.empty())
        return pFrom;
    const std::size_t nAfterAnchor = m_strText.size() - m_nAnchorPos - m_nAnchorSize;
    // The anchor is searched for where the whole text would fit around it.
    const char* p = pFrom + m_nAnchorPos;
    const char* const pAnchorEnd = pEnd - nAfterAnchor;
    const std::string_view anchor(m_strText.data() + m_nAnchorPos, m_nAnchorSize);
    for (;; ++p) {
        // A text of letters alone has no anchor: its first letter, in either
        // case, is searched for where the text fits after it.
        p = anchor.empty() ? FindLetter(p, pAnchorEnd + 1, m_strText[0]) : FindBytes(p, pAnchorEnd, anchor);
        if (p == nullptr)
            return nullptr;
        const char* pStart = p - m_nAnchorPos;
        if (MatchesAt(pStart))
            return pStart;
    }
}

bool CSearchText::IsCharStart(const char* pKnown, const char* p)
{
    // A byte that cannot be a lead byte ends a character, and from there
    // on the bytes that may be lead bytes pair up; so does a run that
    // reaches pKnown.
    std::size_t nLeads = 0;
    while (p - nLeads > pKnown && IsLeadByte(static_cast<unsigned char>(p[-1 - static_cast<std::ptrdiff_t>(nLeads)])))
        ++nLeads;
    return nLeads % 2 == 0;
}

bool CSearchText::OccursIn(std::string_view text) const
{
    const char* const pBegin = text.data();
    const char* const pEnd = pBegin + text.size();
    for (const char* p = pBegin; (p = FindCandidate(p, pEnd)) != nullptr; ++p) {
        if (IsCharStart(pBegin, p))
            return true;
        if (p == pEnd)
            return false;
    }
    return false;
}
