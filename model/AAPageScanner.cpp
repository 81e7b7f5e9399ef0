#include "AAScan.h"

#include <cstdint>

namespace
{
// U+3000, the full-width space, in code page 932.
constexpr std::string_view kWideSpace = "\x81\x40";
constexpr std::string_view kHeadingOpen = "\x81\x79";  // 【
constexpr std::string_view kHeadingClose = "\x81\x7A"; // 】
// How many characters of its first line name an MLT page at most, and how
// many bytes they take at most.
constexpr std::size_t kLabelChars = 24;
constexpr std::size_t kLabelBytes = 2 * kLabelChars;
// A heading page has no more lines that hold something.
constexpr std::size_t kHeadingLines = 2;

// The length of the space (U+0020 or U+3000) at nPos of text; 0 for any
// other character.
std::size_t SpaceLengthAt(std::string_view text, std::size_t nPos)
{
    if (text[nPos] == ' ')
        return 1;
    // Both bytes compared at once: about half the characters of a picture
    // begin with the lead byte 0x81, and a branch on it alone is a guess.
    return text.substr(nPos, 2) == kWideSpace ? 2 : 0;
}

// The length of the spaces that line begins with: all of it for a line of
// nothing but spaces, the empty line included.
std::size_t LeadingSpacesLength(std::string_view line)
{
    std::size_t nPos = 0;
    while (nPos < line.size()) {
        const std::size_t nSpace = SpaceLengthAt(line, nPos);
        if (nSpace == 0)
            break;
        nPos += nSpace;
    }
    return nPos;
}

// True for a line of nothing but spaces, the empty line included.
bool IsBlankLine(std::string_view line)
{
    return LeadingSpacesLength(line) == line.size();
}

// The position of the first two-byte character ch in text at nFrom or
// after, read as characters from nFrom, which begins one; npos when there
// is none.
std::size_t FindSjisPair(std::string_view text, std::string_view ch, std::size_t nFrom)
{
    for (std::size_t nPos = nFrom; nPos < text.size(); nPos += CharLengthAt(text, nPos))
        if (text.substr(nPos, 2) == ch)
            return nPos;
    return std::string_view::npos;
}

// The length of a heading page's name on its first line that holds
// something: the line from its "【" to its first "】", both included; 0 when
// the line does not start a heading.
std::size_t HeadingLength(std::string_view line)
{
    if (!line.starts_with(kHeadingOpen))
        return 0;
    const std::size_t nClose = FindSjisPair(line, kHeadingClose, kHeadingOpen.size());
    return nClose == std::string_view::npos ? 0 : nClose + kHeadingClose.size();
}

// The length of the label of an MLT page, given its first line that holds
// something and nStart, where the spaces that the line begins with end: the
// line with its spaces trimmed from both ends, cut to its first kLabelChars
// characters. A character reference ("&#x2003;") that the cut would part
// stays out whole: its start would show as text.
//
// The first line of a picture is often long, so only the characters up to
// the cut are walked: of the rest, it matters only whether anything other
// than spaces follows, which the first such character tells.
std::size_t FindLabelLength(std::string_view line, std::size_t nStart)
{
    const std::string_view rest = line.substr(nStart);
    // Most labels are a short rest of the line that ends in no space: the
    // whole rest, with no walk. A last byte "@" (0x40) may be the end of a
    // full-width space.
    if (rest.size() <= kLabelChars && !rest.empty() && rest.back() != ' ' && rest.back() != kWideSpace[1])
        return rest.size();
    // The end of the last character that is no space up to the cut, and
    // where the cut falls; a lead byte that ends the line is a character of
    // its own.
    std::size_t nEnd = 0;
    std::size_t nCut = 0;
    for (std::size_t nChars = 0; nChars < kLabelChars && nCut < rest.size(); ++nChars) {
        // A full-width space is a two-byte character as any other: only
        // whether the label may end after the character depends on it.
        const auto ch = static_cast<unsigned char>(rest[nCut]);
        const bool bSpace = ch == ' ' || (ch == static_cast<unsigned char>(kWideSpace[0]) && nCut + 1 < rest.size() &&
                                          rest[nCut + 1] == kWideSpace[1]);
        nCut = std::min(nCut + (IsLeadByte(ch) ? 2 : 1), rest.size());
        if (!bSpace)
            nEnd = nCut;
    }
    // Spaces up to the cut are trimmed when the line ends in them, and
    // stay when something follows them. A reference that the label holds
    // whole ends before spaces do, so only a cut can part one.
    if (IsBlankLine(rest.substr(nCut)))
        return nEnd;
    // "&" is never the second byte of a character.
    const std::size_t nAmpersand = rest.substr(0, nCut).rfind('&');
    if (nAmpersand != std::string_view::npos) {
        const std::size_t nReference = CharacterReferenceLength(rest.substr(nAmpersand));
        if (nReference != 0 && nAmpersand + nReference > nCut)
            return nAmpersand;
    }
    return nCut;
}

// Finds the pages of an MLT file: the runs of lines between lines that are
// exactly "[SPLIT]", each an AA whose body begins at its first line. MLT
// names no page, so the scanner names each from its first lines: a page
// whose first line that holds something starts with "【…】" and that holds
// no more than kHeadingLines such lines is a heading, named "【…】"; any
// other page is named by the last heading followed by its label (see
// FindLabelLength), so that the pages of a section group together.
//
// A page's name begins with a copy of the heading when the page begins.
// The lines that may name it are read where they lie in the block, and only
// the label is copied after the heading; only a line that may begin a
// heading is kept whole, until the page tells. After the name the scanner
// jumps from one line that starts with "[S" to the next and compares it
// with the separator in place, without a search for its end. The blank
// lines at the top of a page and its label's line are walked in one step,
// which ends with that jump. A line that straddles two blocks is copied
// into the room for names instead, piece by piece (of a line after the
// name, only enough to tell a separator), and read there once it ends.
class CPageScanner : public CAAListScanner<CPageScanner>
{
    using CBase = CAAListScanner<CPageScanner>;
    friend CBlockScanner<CPageScanner>;

public:
    using CBase::CBase;

    // Ends the scan at the end of the file: its last line may have no line
    // end, and the last page ends there. A separator that ends the file
    // leaves no page after it.
    void Finish()
    {
        if (m_nState == EState::InTakenLine)
            TakeWholeLine(CopiedLine(), true);
        if (m_bPageOpen)
            EndPage();
        AddFoundAAs();
        m_nState = EState::LineStart;
        m_bLineGoesOn = false;
    }

private:
    enum class EState
    {
        LineStart,   // at the start of a line
        InLine,      // inside a line that is skipped
        InTakenLine, // inside a line that is read, in place or, when it goes on from the last block, as a copy
        AfterCr,     // a line ended with the CR that ended the last block; an LF may pair with it
    };

    const char* Step(const char* p, const char* pEnd, const char* pBlock)
    {
        switch (m_nState) {
        case EState::LineStart:
            return StartLine(p, pEnd, pBlock);
        case EState::InLine:
            return SkipToSeparatorCandidate(p, pEnd);
        case EState::InTakenLine:
            return TakeLine(p, pEnd);
        case EState::AfterCr:
            m_nState = EState::LineStart;
            return *p == '\n' ? p + 1 : p;
        }
        return pEnd;
    }

    const char* StartLine(const char* p, const char* pEnd, const char* pBlock)
    {
        if (!m_bPageOpen) {
            // The page's name begins with the heading it falls under.
            const std::size_t nHeading = m_nHeadingEnd - m_nHeadingStart;
            if (!HasRoomFor(std::max(nHeading, kLabelBytes)))
                return nullptr;
            m_nPageStart = OffsetOf(p, pBlock);
            m_nPageNameStart = m_nameBytes.GetSize();
            // Within the room: the bytes copied do not move, and a short
            // heading is copied with kLabelBytes at once, which the name
            // bytes hold from the heading on.
            if (nHeading <= kLabelBytes)
                m_nameBytes.AppendShort<kLabelBytes>(m_nameBytes.GetData() + m_nHeadingStart, nHeading);
            else
                m_nameBytes.Append(m_nameBytes.GetData() + m_nHeadingStart, nHeading);
            m_bPageOpen = true;
            m_bNaming = true;
            m_nFilledLines = 0;
        }
        if (!m_bNaming && *p == '[' && static_cast<std::size_t>(pEnd - p) > kSplitLine.size()) {
            // The line and the byte after "[SPLIT]" lie in the block: told in
            // place, with no search for the line end.
            const char* pAfter = p + kSplitLine.size();
            if (*pAfter == '\n' || *pAfter == '\r') {
                if (std::memcmp(p, kSplitLine.data(), kSplitLine.size()) == 0) {
                    EndPage();
                    return SkipLineEnd(pAfter, pEnd);
                }
            }
            m_nState = EState::InLine;
            return SkipToSeparatorCandidate(p, pEnd);
        }
        if (m_bNaming && m_nFilledLines == 0) {
            // Any line that may name the page needs no more room than this.
            if (!HasRoomFor(kLabelBytes))
                return nullptr;
            if (const char* pNext = WalkFirstLines(p, pEnd))
                return pNext;
        }
        if (m_bNaming || *p == '[') {
            m_nLineStart = m_nameBytes.GetSize();
            // Only whether it is "[SPLIT]" matters of a line after the name.
            m_nCopyLimit = m_bNaming ? SIZE_MAX : kSplitLine.size() + 1;
            // Should the line find too little room, the next batch takes it
            // again from p, the page already open.
            m_nState = EState::InTakenLine;
            return TakeLine(p, pEnd);
        }
        m_nState = EState::InLine;
        return SkipToSeparatorCandidate(p, pEnd);
    }

    // Walks the first lines of a page that lie whole in the block: passes
    // over blank lines and names the page by its first line that holds
    // something, then goes on to the next line that may be a separator; the
    // name bytes have room for the label. A line that may be a separator or
    // begin a heading is left to TakeLine, as is one that the block cuts.
    // Returns where the scan goes on, or null when the line at p is left.
    //
    // Pages often begin with lines of full-width spaces, and a picture's
    // first line with spaces before it; walking them here rather than
    // through TakeLine step by step saves a call and the state switch per
    // line.
    const char* WalkFirstLines(const char* p, const char* pEnd)
    {
        const char* const pFrom = p;
        while (const char* pLineEnd = FindLineEnd(p, pEnd)) {
            const std::string_view line(p, static_cast<std::size_t>(pLineEnd - p));
            if (line.starts_with('[') || line.starts_with(kHeadingOpen))
                break;
            const std::size_t nSpaces = LeadingSpacesLength(line);
            if (nSpaces != line.size()) {
                m_nFilledLines = 1;
                NameByLabel(line, nSpaces, false, pEnd);
                m_nState = EState::InLine;
                return SkipToSeparatorCandidate(pLineEnd, pEnd);
            }
            p = SkipLineEnd(pLineEnd, pEnd);
            if (m_nState == EState::AfterCr)
                return p;
        }
        return p == pFrom ? nullptr : p;
    }

    // p is not the start of a line. Returns the start of the next line that
    // may be a separator (in state LineStart), or the block's end.
    const char* SkipToSeparatorCandidate(const char* p, const char* pEnd)
    {
        return SkipToLineStartCandidate(p, pEnd, kSplitLine[1], m_nState, EState::LineStart);
    }

    // Takes the line that goes on at p once it ends: in place when it lies
    // whole in the block, else from its copy, to which the piece at p is
    // added up to the copy limit. Returns where the scan goes on, or null,
    // with nothing done, when the room for names is short.
    const char* TakeLine(const char* p, const char* pEnd)
    {
        const char* pLineEnd = FindLineEnd(p, pEnd);
        if (pLineEnd != nullptr && !m_bLineGoesOn) {
            if (!TakeWholeLine(std::string_view(p, static_cast<std::size_t>(pLineEnd - p)), false))
                return nullptr;
        } else {
            const auto nPiece = static_cast<std::size_t>((pLineEnd == nullptr ? pEnd : pLineEnd) - p);
            const std::size_t nCopied = m_nameBytes.GetSize() - m_nLineStart;
            const std::size_t nCopy = std::min(nPiece, m_nCopyLimit - std::min(m_nCopyLimit, nCopied));
            if (!HasRoomFor(nCopy))
                return nullptr;
            m_nameBytes.Append(p, nCopy);
            if (pLineEnd == nullptr) {
                m_bLineGoesOn = true;
                return pEnd;
            }
            m_bLineGoesOn = false;
            TakeWholeLine(CopiedLine(), true);
        }
        return SkipLineEnd(pLineEnd, pEnd);
    }

    // Goes past the line end at pLineEnd, a CR LF pair counting as one, to
    // the start of the next line.
    const char* SkipLineEnd(const char* pLineEnd, const char* pEnd)
    {
        const char* pNext = pLineEnd + 1;
        m_nState = EState::LineStart;
        if (*pLineEnd == '\r') {
            if (pNext == pEnd)
                m_nState = EState::AfterCr;
            else if (*pNext == '\n')
                ++pNext;
        }
        return pNext;
    }

    // What the name bytes hold of the line from m_nLineStart on.
    std::string_view CopiedLine() const
    {
        return {m_nameBytes.GetData() + m_nLineStart, m_nameBytes.GetSize() - m_nLineStart};
    }

    // Takes a line: one of the block, or bCopied, the one the name bytes
    // hold from m_nLineStart on. Returns false, with nothing done, when the
    // room for names is short; a copied line needs no more room.
    bool TakeWholeLine(std::string_view line, bool bCopied)
    {
        if (line == kSplitLine) {
            m_nameBytes.Truncate(m_nLineStart);
            EndPage();
            return true;
        }
        const std::size_t nSpaces = m_bNaming ? LeadingSpacesLength(line) : line.size();
        if (nSpaces == line.size()) {
            // Blank, or after the name.
            m_nameBytes.Truncate(m_nLineStart);
            return true;
        }
        if (m_nFilledLines == 0) {
            // A line that may begin a heading page is kept whole until the
            // page tells whether it is one.
            const bool bHeading = HeadingLength(line) != 0;
            if (!bCopied && !HasRoomFor(bHeading ? line.size() : kLabelBytes))
                return false;
            m_nFilledLines = 1;
            m_nLabelStart = m_nLineStart;
            if (bHeading) {
                if (!bCopied)
                    m_nameBytes.Append(line.data(), line.size());
                return true;
            }
            NameByLabel(line, nSpaces, bCopied, line.data() + line.size());
            return true;
        }
        // A later line of what may be a heading page: only counted.
        m_nameBytes.Truncate(m_nLineStart);
        if (++m_nFilledLines > kHeadingLines)
            NameByLabel(std::string_view(m_nameBytes.GetData() + m_nLabelStart, m_nLineStart - m_nLabelStart), 0, true,
                        nullptr);
        return true;
    }

    // Names the page by the heading it falls under and the label of line,
    // the page's first line that holds something, its spaces ending at
    // nSpaces. A line of the block gives its label to the name bytes, which
    // have room for kLabelBytes, and may be read up to pReadEnd; a copied
    // line, which the name bytes hold from m_nLabelStart on, is cut to it.
    void NameByLabel(std::string_view line, std::size_t nSpaces, bool bCopied, const char* pReadEnd)
    {
        const std::size_t nLength = FindLabelLength(line, nSpaces);
        const char* const pLabel = line.data() + nSpaces;
        if (bCopied) {
            m_nameBytes.Truncate(m_nLabelStart + nSpaces + nLength);
            m_nameBytes.Erase(m_nLabelStart, nSpaces);
        } else if (pReadEnd - pLabel >= static_cast<std::ptrdiff_t>(kLabelBytes)) {
            // The usual case, the label far from the block's end.
            m_nameBytes.AppendShort<kLabelBytes>(pLabel, nLength);
        } else {
            m_nameBytes.Append(pLabel, nLength);
        }
        NoteAA(m_nPageStart);
        m_bNaming = false;
    }

    // The page ends at a separator or at the end of the file.
    void EndPage()
    {
        if (m_bNaming && m_nFilledLines == 0) {
            // Spaces only: named by the heading alone.
            NoteAA(m_nPageStart);
        } else if (m_bNaming) {
            // A heading, which names the pages after it.
            const std::string_view line(m_nameBytes.GetData() + m_nLabelStart, m_nameBytes.GetSize() - m_nLabelStart);
            m_nameBytes.Truncate(m_nLabelStart + HeadingLength(line));
            m_nameBytes.Erase(m_nPageNameStart, m_nLabelStart - m_nPageNameStart);
            m_nHeadingStart = m_nPageNameStart;
            m_nHeadingEnd = m_nameBytes.GetSize();
            NoteAA(m_nPageStart);
        }
        m_bPageOpen = false;
        m_bNaming = false;
    }

    EState m_nState = EState::LineStart;
    // The line being read goes on from an earlier block, and the name bytes
    // hold what it had there from m_nLineStart on.
    bool m_bLineGoesOn = false;
    // A page has begun and not ended, and its name is still being made.
    bool m_bPageOpen = false;
    bool m_bNaming = false;
    std::uint64_t m_nPageStart = 0; // file offset of the page's first line
    // In the name bytes: where the page's name begins, where the line being
    // read begins, where the page's first line that holds something begins,
    // and the current heading.
    std::size_t m_nPageNameStart = 0;
    std::size_t m_nLineStart = 0;
    std::size_t m_nLabelStart = 0;
    std::size_t m_nHeadingStart = 0;
    std::size_t m_nHeadingEnd = 0;
    std::size_t m_nCopyLimit = SIZE_MAX;
    // Lines of the page so far that hold something other than spaces.
    std::size_t m_nFilledLines = 0;
};
} // namespace

void ScanPages(CLineReader& reader, const std::string& strPath, CMonotonicArray<>& offsets, CPodArray<char>& nameBytes,
               CMonotonicArray<>& nameEnds)
{
    ScanFile<CPageScanner>(reader, strPath, offsets, nameBytes, nameEnds);
}
