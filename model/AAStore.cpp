#include "AAStore.h"

#include "AASearch.h"
#include "FindLineEnd.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "ShiftJis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace
{
// The lines that end a body in each format: "[END]" and "[SPLIT]" as the
// whole line, and any line that begins "[AA][".
constexpr std::string_view kEndLine = "[END]";
constexpr std::string_view kSplitLine = "[SPLIT]";
constexpr std::string_view kAstKey = "[AA][";
// Files of a megabyte and more are mapped into memory rather than read:
// that saves copying them, a tenth of the time of loading a large file.
constexpr std::uint64_t kLoadMapThreshold = std::uint64_t{1} << 20;
// Smaller files, and any file where mapping fails, are read in blocks small
// enough to stay in the processor's cache between being read and being
// searched; blocks of 128 KB and more measured far slower.
constexpr std::size_t kLoadBufferSize = std::size_t{64} * 1024;
// The search of a text file without loading it reads larger blocks: a rare
// text leaves it little to do but read, and half as many reads cost less
// on the machines measured, where a call of the system is dear.
constexpr std::size_t kFindBufferSize = std::size_t{128} * 1024;
// How much of the start of a file decides whether it is code page 932.
constexpr std::size_t kEncodingSniffSize = std::size_t{64} * 1024;
// A search of bodies maps every file it can, however small: it needs the
// whole file at hand.
constexpr std::uint64_t kSearchMapThreshold = 1;
// A body is a few lines.
constexpr std::size_t kTextBufferSize = std::size_t{16} * 1024;

// The first line start in [pFrom, pEnd) whose line begins with "[" and
// chSecond or chOtherSecond, the second bytes of the keys sought, or with
// "[" at the very end of the block; null when there is none. pFrom[-1]
// must be readable. A line starts after an LF or after a CR: a CR before a
// "[" is never the first half of a CR LF pair.
//
// Nearly every byte of a file passes through here, so it tests sixteen
// bytes at a time where the processor allows. Looking for two bytes rather
// than "[" skips the lines of other keys ("[END]" between "[MojieName="
// lines) too, which halves the stops (and mispredicted branches) on the
// way; such a pair inside a line is so rare that whether a line ends before
// it is asked only at the stops, which costs fewer steps a block than
// asking it of every byte.
const char* FindLineStartCandidate(const char* pFrom, const char* pEnd, char chSecond, char chOtherSecond)
{
    const char* p = pFrom;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i brackets = _mm_set1_epi8('[');
    const __m128i seconds = _mm_set1_epi8(chSecond);
    const __m128i otherSeconds = _mm_set1_epi8(chOtherSecond);
    // Marks the bytes at pAt … pAt + 15 that are a "[" before a second byte.
    // For one key the compiler folds the two comparisons into one.
    const auto candidates = [&](const char* pAt) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt));
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt + 1));
        return _mm_and_si128(_mm_cmpeq_epi8(here, brackets),
                             _mm_or_si128(_mm_cmpeq_epi8(after, seconds), _mm_cmpeq_epi8(after, otherSeconds)));
    };
    // Thirty-two bytes a round, with one branch; the last load reads up to
    // p + 32.
    for (; pEnd - p > 32; p += 32) {
        const __m128i first = candidates(p);
        const __m128i second = candidates(p + 16);
        if (_mm_movemask_epi8(_mm_or_si128(first, second)) == 0)
            continue;
        const auto nFirst = static_cast<unsigned>(_mm_movemask_epi8(first));
        const auto nSecond = static_cast<unsigned>(_mm_movemask_epi8(second));
        for (unsigned nMask = nFirst | nSecond << 16; nMask != 0; nMask &= nMask - 1) {
            const char* pAt = p + std::countr_zero(nMask);
            if (pAt[-1] == '\n' || pAt[-1] == '\r')
                return pAt;
        }
    }
#endif
    for (; p < pEnd; ++p)
        if (*p == '[' && (p[-1] == '\n' || p[-1] == '\r') &&
            (p + 1 == pEnd || p[1] == chSecond || p[1] == chOtherSecond))
            return p;
    return nullptr;
}

const char* FindLineStartCandidate(const char* pFrom, const char* pEnd, char chSecond)
{
    return FindLineStartCandidate(pFrom, pEnd, chSecond, chSecond);
}

// From p, inside a line, to the start of the next line that may be a key
// line ("[" and chSecond), or to the block's end; bLineStart tells whether
// the scan is then at the start of a line. The next block begins a line
// when this one ends one. Should a CR here pair with an LF there, that LF
// is taken for a line of its own, which is no key line, and the search goes
// on after it.
const char* SkipToLineStartCandidate(const char* p, const char* pEnd, char chSecond, bool& bLineStart)
{
    if (const char* pCandidate = FindLineStartCandidate(p + 1, pEnd, chSecond)) {
        bLineStart = true;
        return pCandidate;
    }
    bLineStart = pEnd[-1] == '\n' || pEnd[-1] == '\r';
    return pEnd;
}

// What the scanners of AA files share. They take the file in the blocks it
// is read in.
//
// A block may be a mapped file that another program cuts short while it is
// read. The reading then runs under the reader's guard, which leaves it by
// a jump, and so must neither allocate nor hold anything to destroy. A
// block is therefore taken in batches: outside the guard, the name bytes
// get room; under it, the scan copies the names it wants into that room
// and notes what it finds in arrays made beforehand; outside again,
// TScanner's EndBatch takes what the batch found. Copying a name while the
// scan has just read it costs nothing more than reading the file; going
// back for the names afterwards did.
//
// TScanner scans: its Step(p, pEnd, pBlock) takes the bytes from p on as
// far as it likes and returns where the scan goes on, or null when it
// needs more room (HasRoomFor, or room of its own that EndBatch makes);
// the next batch then steps from p again. Its IsBatchFull ends a batch
// early.
template <class TScanner> class CBlockScanner
{
public:
    CBlockScanner(std::uint64_t nStart, CPodArray<char>& nameBytes) : m_nBlockStart(nStart), m_nameBytes(nameBytes) {}

    // Scans block, the block that reader handed out last; the first block
    // begins a line.
    void Feed(CLineReader& reader, std::string_view block)
    {
        std::size_t nPos = 0;
        RunBatches(reader, [&] {
            nPos = ScanBatch(block, nPos);
            return nPos == block.size();
        });
        m_nBlockStart += block.size();
    }

protected:
    // Runs fnBatch under the reader's guard, batch after batch, until it
    // returns true: room for names is made before each batch, and what the
    // batch found is taken after it. fnBatch must not allocate.
    template <class TBatch> void RunBatches(CLineReader& reader, TBatch fnBatch)
    {
        bool bDone = false;
        do {
            m_nRoomEnd = m_nameBytes.GetSize() + std::max(kNameRoom, m_nRoomWanted);
            m_nameBytes.Reserve(m_nRoomEnd);
            m_nRoomWanted = 0;
            reader.ReadGuarded([&] { bDone = fnBatch(); });
            static_cast<TScanner*>(this)->EndBatch();
        } while (!bDone);
    }

    // Whether the room for names holds nBytes more; when it does not, the
    // batch is to end, and the next makes room for them.
    bool HasRoomFor(std::size_t nBytes)
    {
        if (nBytes <= m_nRoomEnd - m_nameBytes.GetSize())
            return true;
        m_nRoomWanted = nBytes;
        return false;
    }

    std::uint64_t OffsetOf(const char* p, const char* pBlock) const
    {
        return m_nBlockStart + static_cast<std::uint64_t>(p - pBlock);
    }

    std::uint64_t m_nBlockStart;
    CPodArray<char>& m_nameBytes;

private:
    // The room a batch has for names at the least.
    static constexpr std::size_t kNameRoom = std::size_t{64} * 1024;

    // Scans block from nFrom on until the block ends, the batch is full or
    // the scanner finds no room; returns where it stopped. Allocates
    // nothing.
    std::size_t ScanBatch(std::string_view block, std::size_t nFrom)
    {
        auto* const pScanner = static_cast<TScanner*>(this);
        const char* p = block.data() + nFrom;
        const char* const pEnd = block.data() + block.size();
        while (p < pEnd && !pScanner->IsBatchFull()) {
            const char* pNext = pScanner->Step(p, pEnd, block.data());
            if (pNext == nullptr)
                break;
            p = pNext;
        }
        return static_cast<std::size_t>(p - block.data());
    }

    // The end of the room the batch has for names, and what a name that
    // found too little asks of the next batch.
    std::size_t m_nRoomEnd = 0;
    std::size_t m_nRoomWanted = 0;
};

// The loaders' scanners: each AA found is noted, its name copied, and the
// AAs of a batch join the store's lists after it.
template <class TScanner> class CAAListScanner : public CBlockScanner<TScanner>
{
    friend CBlockScanner<TScanner>;

public:
    CAAListScanner(const std::string& strPath, std::uint64_t nStart, CMonotonicArray<>& offsets,
                   CPodArray<char>& nameBytes, CMonotonicArray<>& nameEnds)
        : CBlockScanner<TScanner>(nStart, nameBytes), m_strPath(strPath), m_offsets(offsets), m_nameEnds(nameEnds)
    {}

protected:
    // Notes an AA whose body begins at nBodyOffset and whose name is what
    // the name bytes hold after the last AA's. A step notes at most one AA.
    void NoteAA(std::uint64_t nBodyOffset) { NoteAA(nBodyOffset, EndName()); }
    void NoteAA(std::uint64_t nBodyOffset, std::size_t nNameEnd) { m_found[m_nFound++] = {nBodyOffset, nNameEnd}; }

    // The name bytes end with a name: returns its end, where the next begins.
    std::size_t EndName()
    {
        m_nNameStart = this->m_nameBytes.GetSize();
        return m_nNameStart;
    }

    // Adds the AAs noted, outside the guard.
    void AddFoundAAs()
    {
        for (std::size_t i = 0; i < m_nFound; ++i)
            AddAA(m_found[i].m_nBodyOffset, m_found[i].m_nNameEnd);
        m_nFound = 0;
    }

    void AddAA(std::uint64_t nBodyOffset, std::size_t nNameEnd)
    {
        if (m_offsets.GetSize() == static_cast<std::size_t>(std::numeric_limits<int>::max()))
            throw CRidaxoError(m_strPath, EErrorCause::TooManyAAs);
        m_offsets.Add(nBodyOffset);
        m_nameEnds.Add(nNameEnd);
    }

    // Where the next name begins in the name bytes: the end of the last.
    std::size_t m_nNameStart = 0;

private:
    // An AA that a batch found, its name copied.
    struct CFoundAA
    {
        std::uint64_t m_nBodyOffset;
        std::size_t m_nNameEnd; // in the name bytes
    };
    // Enough AAs a batch that the guard's cost vanishes beside the scan.
    static constexpr std::size_t kBatchSize = 1024;

    bool IsBatchFull() const { return m_nFound == kBatchSize; }
    void EndBatch() { AddFoundAAs(); }

    const std::string& m_strPath;
    std::array<CFoundAA, kBatchSize> m_found;
    std::size_t m_nFound = 0;
    CMonotonicArray<>& m_offsets;
    CMonotonicArray<>& m_nameEnds;
};

// The "[MojieName=" format: a line that begins with the key names an AA up
// to its last "]" (none: an empty name); the body follows it.
struct CMojieNameLines
{
    static constexpr std::string_view kKey = "[MojieName=";
    static std::size_t NameLength(std::string_view afterKey)
    {
        const std::size_t nBracket = FindLastSjisChar(afterKey, ']');
        return nBracket == std::string_view::npos ? 0 : nBracket;
    }
};

// The AST format: as above with the key "[AA][", but a line without "]"
// names its AA with all the rest of it.
struct CAstLines
{
    static constexpr std::string_view kKey = kAstKey;
    static std::size_t NameLength(std::string_view afterKey)
    {
        return std::min(FindLastSjisChar(afterKey, ']'), afterKey.size());
    }
};

// Finds the name lines of a file whose AAs each begin with a line that
// starts with TFormat::kKey. Most of a file is picture lines that need no
// look at all: the scanner jumps from one line that begins like the key to
// the next and checks only those.
template <class TFormat> class CNameLineScanner : public CAAListScanner<CNameLineScanner<TFormat>>
{
    using CBase = CAAListScanner<CNameLineScanner<TFormat>>;
    friend CBlockScanner<CNameLineScanner<TFormat>>;
    static constexpr std::string_view kKey = TFormat::kKey;

public:
    using CBase::CBase;

    // Ends the scan at the end of the file, where a name line may end
    // without a line end, or with a CR that no LF follows; its body is empty
    // and begins at the end.
    void Finish()
    {
        if (m_nState == EState::InName) {
            CutName();
            this->AddAA(this->m_nBlockStart, this->EndName());
        } else if (m_nState == EState::AfterNameCr) {
            this->AddAA(this->m_nBlockStart, m_nPendingNameEnd);
        }
        m_nState = EState::InKey;
        m_nKeyMatched = 0;
        m_bLineGoesOn = false;
    }

private:
    enum class EState
    {
        InKey,       // at the start of a line, or m_nKeyMatched bytes into it, all of them the key's
        InLine,      // inside a line that is no name line
        InName,      // after the key of a name line; the name bytes end with what earlier blocks held of it
        AfterNameCr, // a name line ended with the CR that ended the last block; an LF may pair with it
    };

    const char* Step(const char* p, const char* pEnd, const char* pBlock)
    {
        switch (m_nState) {
        case EState::InKey:
            return MatchKey(p, pEnd);
        case EState::InLine:
            return SkipToNameLineCandidate(p, pEnd);
        case EState::InName:
            return TakeNameLine(p, pEnd, pBlock);
        case EState::AfterNameCr:
            return TakePendingLineFeed(p, pBlock);
        }
        return pEnd;
    }

    const char* MatchKey(const char* p, const char* pEnd)
    {
        const auto nAvailable = static_cast<std::size_t>(pEnd - p);
        // The usual case, with a comparison of fixed length that the compiler
        // does inline.
        if (m_nKeyMatched == 0 && nAvailable >= kKey.size()) {
            if (std::memcmp(p, kKey.data(), kKey.size()) != 0) {
                m_nState = EState::InLine;
                return p;
            }
            m_nState = EState::InName;
            return p + kKey.size();
        }
        const std::size_t nWanted = kKey.size() - m_nKeyMatched;
        const std::size_t nCompare = nAvailable < nWanted ? nAvailable : nWanted;
        if (std::memcmp(p, kKey.data() + m_nKeyMatched, nCompare) != 0) {
            // The key holds no CR or LF, so this line ends at p or later.
            m_nState = EState::InLine;
            m_nKeyMatched = 0;
            return p;
        }
        if (nCompare < nWanted) {
            m_nKeyMatched += nCompare;
            return pEnd;
        }
        m_nState = EState::InName;
        m_nKeyMatched = 0;
        return p + nCompare;
    }

    // p is not the start of a line. Returns the start of the next line that
    // may be a name line (in state InKey), or the block's end.
    const char* SkipToNameLineCandidate(const char* p, const char* pEnd)
    {
        bool bLineStart = false;
        const char* pNext = SkipToLineStartCandidate(p, pEnd, kKey[1], bLineStart);
        if (bLineStart)
            m_nState = EState::InKey;
        return pNext;
    }

    // Copies the name on the line that goes on at p. Returns where the scan
    // goes on, or null, with nothing done, when the room for names is short.
    const char* TakeNameLine(const char* p, const char* pEnd, const char* pBlock)
    {
        const char* pLineEnd = FindLineEnd(p, pEnd);
        std::string_view piece(p, static_cast<std::size_t>((pLineEnd == nullptr ? pEnd : pLineEnd) - p));
        // A line in one block is cut to its name before it is copied; the
        // pieces of a line that straddles blocks are copied whole, and the
        // line is cut where it ends.
        if (pLineEnd != nullptr && !m_bLineGoesOn)
            piece = piece.substr(0, TFormat::NameLength(piece));
        if (!this->HasRoomFor(piece.size()))
            return nullptr;
        this->m_nameBytes.Append(piece.data(), piece.size());
        if (pLineEnd == nullptr) {
            m_bLineGoesOn = true;
            return pEnd;
        }
        if (m_bLineGoesOn) {
            CutName();
            m_bLineGoesOn = false;
        }
        // The body begins after the line end, a CR LF pair counting as one.
        const char* pBody = pLineEnd + 1;
        if (*pLineEnd == '\r') {
            if (pBody == pEnd) {
                m_nPendingNameEnd = this->EndName();
                m_nState = EState::AfterNameCr;
                return pEnd;
            }
            if (*pBody == '\n')
                ++pBody;
        }
        this->NoteAA(this->OffsetOf(pBody, pBlock));
        m_nState = EState::InKey;
        return pBody;
    }

    // A name line ended with the CR that ended the last block, and p begins
    // this one: an LF here belongs to that line end, and the body begins
    // after it.
    const char* TakePendingLineFeed(const char* p, const char* pBlock)
    {
        if (*p == '\n')
            ++p;
        this->NoteAA(this->OffsetOf(p, pBlock), m_nPendingNameEnd);
        m_nState = EState::InKey;
        return p;
    }

    // The name bytes end with a whole name line after its key, from
    // m_nNameStart on: cuts it to its name.
    void CutName()
    {
        const std::size_t nStart = this->m_nNameStart;
        const std::string_view afterKey(this->m_nameBytes.GetData() + nStart, this->m_nameBytes.GetSize() - nStart);
        this->m_nameBytes.Truncate(nStart + TFormat::NameLength(afterKey));
    }

    EState m_nState = EState::InKey;
    std::size_t m_nKeyMatched = 0;
    // The name line being read goes on from an earlier block.
    bool m_bLineGoesOn = false;
    // In state AfterNameCr, the end of the name whose AA waits for its body
    // offset.
    std::size_t m_nPendingNameEnd = 0;
};

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
        bool bLineStart = false;
        const char* pNext = SkipToLineStartCandidate(p, pEnd, kSplitLine[1], bLineStart);
        if (bLineStart)
            m_nState = EState::LineStart;
        return pNext;
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

// Refuses a file whose first bytes show another encoding than code page
// 932: its names and bodies would show as garbage. The blocks of a file are
// handed in one by one; the decision is taken on the same first bytes of
// the file whatever the size of its blocks. They are copied under the
// reader's guard, into room made beforehand, as the name lines are.
class CEncodingCheck
{
public:
    explicit CEncodingCheck(const std::string& strPath)
        : m_strPath(strPath), m_pHead(std::make_unique_for_overwrite<char[]>(kEncodingSniffSize))
    {}

    // Takes the first bytes of block, the block that reader handed out last.
    void Feed(CLineReader& reader, std::string_view block)
    {
        if (m_bDone)
            return;
        reader.ReadGuarded([&] {
            const std::size_t nCopy = std::min(block.size(), kEncodingSniffSize - m_nHead);
            std::memcpy(m_pHead.get() + m_nHead, block.data(), nCopy);
            m_nHead += nCopy;
        });
        if (m_nHead == kEncodingSniffSize)
            Decide();
    }

    void Finish()
    {
        if (!m_bDone)
            Decide();
    }

private:
    void Decide()
    {
        m_bDone = true;
        const char* pszEncoding = nullptr;
        switch (DetectTextEncoding(std::string_view(m_pHead.get(), m_nHead))) {
        case ETextEncoding::Cp932:
            return;
        case ETextEncoding::Utf8:
            pszEncoding = "UTF-8";
            break;
        case ETextEncoding::Utf16:
            pszEncoding = "UTF-16";
            break;
        }
        throw CRidaxoError(m_strPath, EErrorCause::WrongEncoding, std::string(pszEncoding));
    }

    const std::string& m_strPath;
    std::unique_ptr<char[]> m_pHead;
    std::size_t m_nHead = 0;
    bool m_bDone = false;
};

// True when the line that p begins is a name line of an AA text file.
bool IsNameLine(const char* p, const char* pEnd)
{
    constexpr std::string_view kKey = CMojieNameLines::kKey;
    return static_cast<std::size_t>(pEnd - p) >= kKey.size() && std::memcmp(p, kKey.data(), kKey.size()) == 0;
}

// True when the line before the one that p begins is "[END]"; false when p
// begins the block, whose lines before are unknown here (or the file).
bool FollowsEndLine(const char* p, const char* pBlock)
{
    if (p > pBlock && p[-1] == '\n')
        --p;
    if (p > pBlock && p[-1] == '\r')
        --p;
    const auto nSize = static_cast<std::ptrdiff_t>(kEndLine.size());
    return p - pBlock >= nSize && std::memcmp(p - nSize, kEndLine.data(), kEndLine.size()) == 0 &&
           (p - nSize == pBlock || p[-1 - nSize] == '\n' || p[-1 - nSize] == '\r');
}

// The name lines that CountNameLines found: how many, and the last.
struct CNameLineCount
{
    std::uint64_t m_nCount;
    const char* m_pLast; // null when there is none
};

// Counts the name lines of an AA text file that begin in [pFrom, pLast],
// pFrom being a line start; pEnd ends the block.
//
// A rare text leaves nearly the whole file to this count. It takes
// sixty-four bytes a round where the processor allows, and the first "[M"
// of a round without a branch: name lines, some 150 bytes apart, fall into
// a round or not as chance has it, and a branch on that was mispredicted
// at nearly every name line. Only a round with a second "[M" takes a
// branch, rarely.
CNameLineCount CountNameLines(const char* pFrom, const char* pLast, const char* pEnd)
{
    CNameLineCount count{0, nullptr};
    const auto take = [&](const char* p, bool bNameLine) {
        count.m_pLast = bNameLine ? p : count.m_pLast;
        count.m_nCount += bNameLine ? 1 : 0;
    };
    take(pFrom, IsNameLine(pFrom, pEnd));
    const char* p = pFrom + 1;
#if defined(__SSE2__) || defined(_M_X64)
    constexpr std::string_view kKey = CMojieNameLines::kKey;
    static_assert(kKey.size() > 8 && kKey.size() <= 16);
    const auto load8 = [](const char* pAt) {
        std::uint64_t n = 0;
        std::memcpy(&n, pAt, sizeof n);
        return n;
    };
    const std::uint64_t nKeyHead = load8(kKey.data());
    const std::uint64_t nKeyTail = load8(kKey.data() + kKey.size() - 8);
    // Without a branch: each comparison as a number, combined bit by bit.
    const auto bit = [](bool b) { return static_cast<unsigned>(b); };
    const auto isNameLineAt = [&](const char* pAt) {
        return (bit(pAt[-1] == '\n') | bit(pAt[-1] == '\r')) & bit(load8(pAt) == nKeyHead) &
               bit(load8(pAt + kKey.size() - 8) == nKeyTail);
    };
    const __m128i brackets = _mm_set1_epi8('[');
    const __m128i seconds = _mm_set1_epi8(kKey[1]);
    // A round reads up to p + 64, the key up to p + 63 + kKey.size().
    for (; pLast - p >= 63 && pEnd - p >= static_cast<std::ptrdiff_t>(64 + kKey.size()); p += 64) {
        std::uint64_t nMask = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i + 1));
            const __m128i pairs = _mm_and_si128(_mm_cmpeq_epi8(here, brackets), _mm_cmpeq_epi8(after, seconds));
            nMask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(pairs))) << (16 * i);
        }
        // With no "[M" in the round, its first byte stands in for one: it
        // begins no name line, as it is no "[".
        const char* const pFirst = p + (nMask != 0 ? std::countr_zero(nMask) : 0);
        take(pFirst, (bit(nMask != 0) & isNameLineAt(pFirst)) != 0);
        for (nMask &= nMask - 1; nMask != 0; nMask &= nMask - 1) {
            const char* const pAt = p + std::countr_zero(nMask);
            take(pAt, isNameLineAt(pAt) != 0);
        }
    }
#endif
    for (const char* q = p - 1; (q = FindLineStartCandidate(q + 1, pLast + 1, CMojieNameLines::kKey[1])) != nullptr;)
        take(q, IsNameLine(q, pEnd));
    return count;
}

// Finds in an AA text file, in one pass, what CAAStore::FindAAs finds in it
// once loaded, keeping nothing of the AAs it does not find. The blocks fed
// hold whole lines (CLineReader::ReadLineBlock): whether a hit matches
// depends on the line it is in.
//
// A name matches as its line passes. A body is the lines after its name
// line up to the first line "[END]"; an AA without one goes on through the
// next AA's name line and body, so a hit in any line matches every AA
// opened since the last "[END]". The AAs not yet matched whose bodies are
// still open wait, in AA order, with any matched after them, their names
// copied; a line "[END]" or the end of the file drops those it closes
// unmatched. While no open AA waits for a match, the scan jumps from name
// line to name line as the loader's does, and reads neither bodies nor
// "[END]" lines; when the text's bytes stand nowhere in the next few AAs,
// it only counts the name lines up to where they do.
class CTextFileFinder : public CBlockScanner<CTextFileFinder>
{
    friend CBlockScanner<CTextFileFinder>;

public:
    using FoundFn = std::function<void(int nIndex, std::string_view name)>;

    CTextFileFinder(const std::string& strPath, const CSearchText& text, bool bBodies, CPodArray<char>& nameBytes,
                    const FoundFn& fnFound)
        : CBlockScanner(0, nameBytes), m_strPath(strPath), m_text(text),
          m_bBodies(bBodies && text.CanMatch() && !text.IsEmpty()), m_fnFound(fnFound)
    {
        m_pending.Reserve(m_nPendingRoom);
    }

    // Ends the scan at the end of the file, which closes every body.
    void Finish(CLineReader& reader)
    {
        RunBatches(reader, [this] {
            Close();
            return Drain();
        });
    }

    // The number of AAs in the file.
    int GetCount() const { return m_nCount; }

private:
    // An AA that waits, its name in the name bytes.
    struct CPendingAA
    {
        std::size_t m_nNameStart;
        std::size_t m_nNameEnd;
        int m_nIndex;
        bool m_bNameMatched;
    };
    static constexpr std::string_view kKey = CMojieNameLines::kKey;
    // Enough AAs a batch that the guard's cost vanishes beside the scan.
    static constexpr std::size_t kBatchSize = 1024;
    // How far ahead the text's bytes must stand for the AAs before them to
    // be counted rather than taken line by line: a few AAs.
    static constexpr std::ptrdiff_t kSkipDistance = 512;

    bool IsBatchFull() const { return m_nFound == kBatchSize; }

    // Outside the guard: hands the AAs found to the caller, drops what is
    // done with, and makes room for more AAs to wait when they filled it.
    void EndBatch()
    {
        for (std::size_t i = 0; i < m_nFound; ++i) {
            const CPendingAA& aa = m_found[i];
            m_fnFound(aa.m_nIndex,
                      std::string_view(m_nameBytes.GetData() + aa.m_nNameStart, aa.m_nNameEnd - aa.m_nNameStart));
        }
        m_nFound = 0;
        const std::size_t nDone =
            m_nHead < m_pending.GetSize() ? m_pending[m_nHead].m_nNameStart : m_nameBytes.GetSize();
        m_nameBytes.Erase(0, nDone);
        m_pending.Erase(0, m_nHead);
        for (std::size_t i = 0; i < m_pending.GetSize(); ++i) {
            m_pending[i].m_nNameStart -= nDone;
            m_pending[i].m_nNameEnd -= nDone;
        }
        m_nBodyMatchedEnd -= std::min(m_nBodyMatchedEnd, m_nHead);
        m_nClosedEnd -= std::min(m_nClosedEnd, m_nHead);
        m_nHead = 0;
        if (m_bTooManyAAs)
            throw CRidaxoError(m_strPath, EErrorCause::TooManyAAs);
        if (m_pending.GetSize() == m_nPendingRoom) {
            m_nPendingRoom *= 2;
            m_pending.Reserve(m_nPendingRoom);
        }
    }

    // p begins a line. Takes it, and when it is no name line the lines
    // after it up to the next that may matter; returns the line after them,
    // or null, with nothing taken, when the batch has no room left.
    const char* Step(const char* p, const char* pEnd, const char* pBlock)
    {
        if (!Drain())
            return nullptr;
        if (const char* pAfter = SkipToNextHit(p, pEnd, pBlock); pAfter != p)
            return pAfter;
        if (IsNameLine(p, pEnd))
            return TakeNameLine(p, pEnd, pBlock);
        // Only an AA that may still match cares where bodies end.
        const bool bWaiting = m_nOpenUnmatched != 0;
        if (bWaiting && IsEndLine(p, pEnd)) {
            Close();
            return NextLine(p + kEndLine.size(), pEnd);
        }
        const char* const pNext = FindLineStartCandidate(p + 1, pEnd, kKey[1], bWaiting ? kEndLine[1] : kKey[1]);
        const char* const pStop = pNext != nullptr ? pNext : pEnd;
        if (bWaiting && MayOccurIn(p, pStop, pEnd, pBlock) &&
            m_text.OccursIn(std::string_view(p, static_cast<std::size_t>(pStop - p))))
            MatchOpenBodies();
        return pStop;
    }

    // False when the text cannot occur in [p, pStop) of the block, as the
    // next place its bytes stand lies beyond.
    bool MayOccurIn(const char* p, const char* pStop, const char* pEnd, const char* pBlock)
    {
        if (m_text.IsEmpty())
            return true;
        const char* const pHit = FindNextHit(p, pEnd, pBlock);
        return pHit != pEnd && pHit + m_text.GetSize() <= pStop;
    }

    // The first place in [p, pEnd) where the text's bytes stand, or pEnd.
    // It is searched for once over the rest of the block and kept, so that
    // a rare text costs one long search a hit rather than a short one a body
    // and a name. It is kept as a file offset: a read block's memory is
    // reused.
    const char* FindNextHit(const char* p, const char* pEnd, const char* pBlock)
    {
        const std::uint64_t nFrom = OffsetOf(p, pBlock);
        if (nFrom < m_nSearchedFrom || nFrom > m_nNextHit || nFrom >= m_nSearchedTo) {
            const char* const pHit = m_text.FindCandidate(p, pEnd);
            m_nSearchedFrom = nFrom;
            m_nSearchedTo = OffsetOf(pEnd, pBlock);
            m_nNextHit = pHit != nullptr ? OffsetOf(pHit, pBlock) : m_nSearchedTo;
        }
        return pBlock + (m_nNextHit - m_nBlockStart);
    }

    // p begins a line, and no AA waits. Up to the next place the text's
    // bytes stand nothing can match, so the AAs there need only be counted,
    // without a look at their lines. Returns the line the scan goes on
    // from, as if it had taken every line before: the last name line up to
    // that place after which no body is open, with the AAs before it
    // counted, or p. While bodies are searched, that is a name line right
    // after a line "[END]", which closed every body before it; after any
    // other line a body may be open still, which the hit would match.
    const char* SkipToNextHit(const char* p, const char* pEnd, const char* pBlock)
    {
        if (m_text.IsEmpty() || m_nOpenUnmatched != 0 || m_nHead != m_pending.GetSize())
            return p;
        const char* const pHit = FindNextHit(p, pEnd, pBlock);
        // Nothing to skip before this place was found from an earlier line:
        // neither is there from this one. For a place a few AAs ahead, as a
        // common text has in nearly every AA, counting and then going back
        // to the last name line costs more than taking the lines.
        if (m_nNextHit == m_nNoSkipBefore || pHit - p < kSkipDistance)
            return p;
        const CNameLineCount count = CountNameLines(p, pHit == pEnd ? pEnd - 1 : pHit, pEnd);
        const char* pResume = count.m_pLast != nullptr ? count.m_pLast : p;
        std::uint64_t nBefore = count.m_nCount != 0 ? count.m_nCount - 1 : 0;
        // Nearly every name line follows an "[END]": the search back for
        // one that does takes no step then.
        while (m_bBodies && pResume != p && !FollowsEndLine(pResume, pBlock)) {
            do
                --pResume;
            while (pResume != p && !((pResume[-1] == '\n' || pResume[-1] == '\r') && IsNameLine(pResume, pEnd)));
            nBefore = pResume != p ? nBefore - 1 : 0;
        }
        if (nBefore > static_cast<std::uint64_t>(std::numeric_limits<int>::max() - m_nCount)) {
            // The steps one by one report that there are too many.
            pResume = p;
            nBefore = 0;
        }
        m_nCount += static_cast<int>(nBefore);
        if (pResume == p)
            m_nNoSkipBefore = m_nNextHit;
        return pResume;
    }

    const char* TakeNameLine(const char* p, const char* pEnd, const char* pBlock)
    {
        const char* const pAfterKey = p + kKey.size();
        const char* pLineEnd = FindLineEnd(pAfterKey, pEnd);
        if (pLineEnd == nullptr)
            pLineEnd = pEnd;
        const std::string_view afterKey(pAfterKey, static_cast<std::size_t>(pLineEnd - pAfterKey));
        const std::string_view name = afterKey.substr(0, CMojieNameLines::NameLength(afterKey));
        const bool bNameMatched =
            MayOccurIn(name.data(), name.data() + name.size(), pEnd, pBlock) && m_text.OccursIn(name);
        const bool bWaits = bNameMatched || m_bBodies;
        if (bWaits && (m_pending.GetSize() == m_nPendingRoom || !HasRoomFor(name.size())))
            return nullptr;
        if (m_nCount == std::numeric_limits<int>::max()) {
            m_bTooManyAAs = true;
            return nullptr;
        }
        // The whole line is a line of the bodies still open.
        if (m_nOpenUnmatched != 0 && MayOccurIn(p, pLineEnd, pEnd, pBlock) &&
            m_text.OccursIn(std::string_view(p, static_cast<std::size_t>(pLineEnd - p))))
            MatchOpenBodies();
        if (bWaits) {
            const std::size_t nNameStart = m_nameBytes.GetSize();
            m_nameBytes.Append(name.data(), name.size());
            m_pending.Add({nNameStart, m_nameBytes.GetSize(), m_nCount, bNameMatched});
            if (!bNameMatched)
                ++m_nOpenUnmatched;
        }
        ++m_nCount;
        return NextLine(pLineEnd, pEnd);
    }

    static bool IsEndLine(const char* p, const char* pEnd)
    {
        const std::size_t nSize = kEndLine.size();
        return static_cast<std::size_t>(pEnd - p) >= nSize && std::memcmp(p, kEndLine.data(), nSize) == 0 &&
               (p + nSize == pEnd || p[nSize] == '\r' || p[nSize] == '\n');
    }

    // The start of the line after the line end at pLineEnd (or pEnd).
    static const char* NextLine(const char* pLineEnd, const char* pEnd)
    {
        if (pLineEnd == pEnd)
            return pEnd;
        return *pLineEnd == '\r' && pLineEnd + 1 != pEnd && pLineEnd[1] == '\n' ? pLineEnd + 2 : pLineEnd + 1;
    }

    // A hit in a line of the open bodies matches every AA that waits for it.
    void MatchOpenBodies()
    {
        m_nBodyMatchedEnd = m_pending.GetSize();
        m_nOpenUnmatched = 0;
    }

    // The open bodies end: the AAs that wait unmatched never match.
    void Close()
    {
        m_nClosedEnd = m_pending.GetSize();
        m_nOpenUnmatched = 0;
    }

    // Takes the waiting AAs that are decided, in order: a matched one is
    // found, one closed unmatched dropped. Stops at the first that may match
    // yet. False when the batch is full.
    bool Drain()
    {
        for (; m_nHead < m_pending.GetSize(); ++m_nHead) {
            const CPendingAA& aa = m_pending[m_nHead];
            if (aa.m_bNameMatched || m_nHead < m_nBodyMatchedEnd) {
                if (IsBatchFull())
                    return false;
                m_found[m_nFound++] = aa;
            } else if (m_nHead >= m_nClosedEnd) {
                break;
            }
        }
        return true;
    }

    const std::string& m_strPath;
    const CSearchText& m_text;
    // Whether bodies are searched: not for a text that matches every name,
    // nor for one that matches no line.
    const bool m_bBodies;
    const FoundFn& m_fnFound;
    int m_nCount = 0;
    bool m_bTooManyAAs = false;
    // The AAs that wait, from m_nHead on; those before m_nBodyMatchedEnd
    // matched by a body line, those before m_nClosedEnd closed.
    CPodArray<CPendingAA> m_pending;
    std::size_t m_nPendingRoom = kBatchSize;
    std::size_t m_nHead = 0;
    std::size_t m_nBodyMatchedEnd = 0;
    std::size_t m_nClosedEnd = 0;
    // Open AAs that wait unmatched: while there are none, no body is read.
    std::size_t m_nOpenUnmatched = 0;
    std::array<CPendingAA, kBatchSize> m_found;
    std::size_t m_nFound = 0;
    // The file offset of the first place the text's bytes stand, found by
    // a search from m_nSearchedFrom to m_nSearchedTo; m_nSearchedTo when
    // there is none.
    std::uint64_t m_nNextHit = 0;
    std::uint64_t m_nSearchedFrom = 0;
    std::uint64_t m_nSearchedTo = 0;
    // What m_nNextHit was when no name line before it let the scan skip.
    std::uint64_t m_nNoSkipBefore = std::numeric_limits<std::uint64_t>::max();
};
} // namespace

namespace
{
// Reads the AAs of the file that reader reads, in the format that TScanner
// scans, into the lists.
template <class TScanner>
void ScanFile(CLineReader& reader, const std::string& strPath, CMonotonicArray<>& offsets, CPodArray<char>& nameBytes,
              CMonotonicArray<>& nameEnds)
{
    TScanner scanner(strPath, reader.GetPosition(), offsets, nameBytes, nameEnds);
    CEncodingCheck encoding(strPath);
    std::string_view block;
    while (reader.ReadBlock(block)) {
        encoding.Feed(reader, block);
        scanner.Feed(reader, block);
    }
    encoding.Finish();
    scanner.Finish();
}

// True when line ends the body it follows in a file of the format.
bool EndsBody(EAAFileFormat format, std::string_view line)
{
    switch (format) {
    case EAAFileFormat::Mlt:
        return line == kSplitLine;
    case EAAFileFormat::Ast:
        return line.starts_with(kAstKey);
    case EAAFileFormat::MojieName:
        break;
    }
    return line == kEndLine;
}
} // namespace

EAAFileFormat GetAAFileFormat(const std::string& strPath)
{
    const std::string strExtension = GetLowerExtension(strPath);
    if (strExtension == "mlt")
        return EAAFileFormat::Mlt;
    if (strExtension == "ast")
        return EAAFileFormat::Ast;
    return EAAFileFormat::MojieName;
}

void CAAStore::Load(CLineReader& reader, EAAFileFormat format)
{
    CAAStore loaded;
    loaded.m_strPath = reader.GetFilePath();
    loaded.m_stamp = reader.GetFileStamp();
    loaded.m_format = format;
    switch (format) {
    case EAAFileFormat::MojieName:
        ScanFile<CNameLineScanner<CMojieNameLines>>(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes,
                                                    loaded.m_nameEnds);
        break;
    case EAAFileFormat::Mlt:
        ScanFile<CPageScanner>(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes, loaded.m_nameEnds);
        break;
    case EAAFileFormat::Ast:
        ScanFile<CNameLineScanner<CAstLines>>(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes,
                                              loaded.m_nameEnds);
        break;
    }
    loaded.m_offsets.FreeExtra();
    loaded.m_nameBytes.FreeExtra();
    loaded.m_nameEnds.FreeExtra();
    Swap(loaded);
}

void CAAStore::LoadFile(const std::string& strPath)
{
    CLineReader reader(strPath, kLoadBufferSize, kLoadMapThreshold);
    Load(reader, GetAAFileFormat(strPath));
}

std::string_view CAAStore::GetNameView(int nIndex) const
{
    if (!IsValidIndex(nIndex))
        return {};
    const std::uint64_t nBegin = nIndex == 0 ? 0 : m_nameEnds[nIndex - 1];
    return std::string_view(m_nameBytes.GetData() + nBegin, m_nameEnds[nIndex] - nBegin);
}

bool CAAStore::HasFileChanged() const
{
    if (m_strPath.empty())
        return false;
    const std::optional<CFileStamp> stamp = ReadFileStamp(m_strPath);
    return stamp && *stamp != m_stamp;
}

std::uint64_t CAAStore::GetOffset(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_offsets[nIndex] : 0;
}

std::string CAAStore::GetText(int nIndex) const
{
    if (!IsValidIndex(nIndex))
        return {};
    CLineReader reader(m_strPath, kTextBufferSize);
    reader.Seek(m_offsets[nIndex]);
    std::string strText;
    std::string_view line;
    while (reader.ReadLine(line) && !EndsBody(m_format, line)) {
        strText += line;
        strText += "\r\n";
    }
    return strText;
}

std::string CAAStore::GetTextHead(int nIndex, std::size_t nLineBytes, std::size_t nTextBytes, std::size_t nLines) const
{
    if (!IsValidIndex(nIndex))
        return {};
    // A line that was cut must never pass for a line that ends the body,
    // nor fail to pass for one.
    nLineBytes = std::max(nLineBytes, kSplitLine.size() + 1);
    CLineReader reader(m_strPath, kTextBufferSize);
    reader.Seek(m_offsets[nIndex]);
    std::string strText;
    std::string_view line;
    std::size_t nBytes = 0;
    for (std::size_t nRead = 0; nBytes <= nTextBytes && nRead <= nLines; ++nRead) {
        if (!reader.ReadLine(line, nLineBytes) || EndsBody(m_format, line))
            break;
        strText += line;
        strText += "\r\n";
        nBytes += line.size();
    }
    return strText;
}

std::vector<int> CAAStore::FindAAs(const CSearchText& text, bool bBodies) const
{
    std::vector<unsigned char> marks(static_cast<std::size_t>(GetCount()), 0);
    MarkNameMatches(text, marks);
    if (bBodies)
        MarkBodyMatches(text, marks);
    std::vector<int> found;
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (marks[i] != 0)
            found.push_back(static_cast<int>(i));
    return found;
}

void CAAStore::MarkNameMatches(const CSearchText& text, std::vector<unsigned char>& marks) const
{
    if (text.IsEmpty()) {
        std::fill(marks.begin(), marks.end(), 1);
        return;
    }
    // The names lie one after the other in one array: the text is searched
    // for over all of them at once, and a place where it stands is then
    // put to the rule within the name that holds it.
    const char* const pNames = m_nameBytes.GetData();
    const char* const pEnd = pNames + m_nameBytes.GetSize();
    const std::size_t nCount = marks.size();
    std::size_t nAA = 0;
    std::uint64_t nNameStart = 0;
    // Where a character is known to begin, in the name that holds nAA.
    const char* pKnown = pNames;
    for (const char* p = pNames; (p = text.FindCandidate(p, pEnd)) != nullptr;) {
        const auto nAt = static_cast<std::uint64_t>(p - pNames);
        while (nAA < nCount && m_nameEnds[nAA] <= nAt) {
            nNameStart = m_nameEnds[nAA];
            ++nAA;
        }
        if (nAA == nCount)
            break;
        const char* const pNameEnd = pNames + m_nameEnds[nAA];
        pKnown = std::max(pKnown, pNames + nNameStart);
        if (p + text.GetSize() > pNameEnd) {
            // It runs into the next name: nowhere later in this name does it
            // fit either.
            p = pNameEnd;
        } else if (!CSearchText::IsCharStart(pKnown, p)) {
            // p is a trail byte: a character begins after it.
            pKnown = ++p;
        } else {
            marks[nAA] = 1;
            p = pNameEnd;
        }
    }
}

void CAAStore::MarkBodyMatches(const CSearchText& text, std::vector<unsigned char>& marks) const
{
    if (marks.empty() || !text.CanMatch())
        return;
    CLineReader reader(m_strPath, kLoadBufferSize, kSearchMapThreshold);
    std::string_view block;
    if (!reader.ReadBlock(block))
        return;
    if (block.size() == reader.GetFileSize()) {
        // The file is mapped: read it under the guard, which allocates
        // nothing and writes only marks, made beforehand.
        unsigned char* const pMarks = marks.data();
        reader.ReadGuarded([&] { MarkBodyMatchesIn(block, text, pMarks); });
        return;
    }
    // The system would not map it: it is read whole.
    std::string strFile(block);
    while (reader.ReadBlock(block))
        strFile += block;
    MarkBodyMatchesIn(strFile, text, marks.data());
}

void CAAStore::MarkBodyMatchesIn(std::string_view file, const CSearchText& text, unsigned char* pMarks) const
{
    const char* const pBegin = file.data();
    const char* const pEnd = pBegin + file.size();
    const auto nCount = static_cast<std::size_t>(GetCount());
    // Offsets beyond the file, of a file cut short since it was loaded,
    // hold empty bodies at its end.
    const auto bodyStart = [&](std::size_t nAA) {
        return pBegin + std::min<std::uint64_t>(m_offsets[nAA], file.size());
    };
    const auto isLineEnd = [](char ch) { return ch == '\n' || ch == '\r'; };
    // The line that ends a body: "[END]" or "[SPLIT]" as the whole line, or
    // any line that begins "[AA][" (see EndsBody).
    const std::string_view endLine = m_format == EAAFileFormat::Mlt   ? kSplitLine
                                     : m_format == EAAFileFormat::Ast ? kAstKey
                                                                      : kEndLine;
    const bool bWholeLine = m_format != EAAFileFormat::Ast;
    // True when a line that ends a body begins in [pStart, pAt], pStart
    // being a line start: a body that begins at pStart has ended before pAt
    // then.
    const auto endsBy = [&](const char* pStart, const char* pAt) {
        const char* const pLimit =
            pEnd - pAt > static_cast<std::ptrdiff_t>(endLine.size()) ? pAt + endLine.size() : pEnd;
        for (const char* q = pStart; (q = FindBytes(q, pLimit, endLine)) != nullptr; ++q) {
            const char* pAfter = q + endLine.size();
            if ((q == pStart || isLineEnd(q[-1])) && (!bWholeLine || pAfter == pEnd || isLineEnd(*pAfter)))
                return true;
        }
        return false;
    };
    // The start of the line that ends right before p, a line start.
    const auto lineBefore = [&](const char* p) {
        if (p > pBegin && p[-1] == '\n')
            --p;
        if (p > pBegin && p[-1] == '\r')
            --p;
        const char* pLine = p;
        while (pLine > pBegin && !isLineEnd(pLine[-1]))
            --pLine;
        return std::string_view(pLine, static_cast<std::size_t>(p - pLine));
    };
    // True when the line before AA nAA's name line is "[END]": the AA
    // before it surely ended there. Looking back over two lines costs far
    // less than looking for that AA's end from the start of its body, and
    // nearly every AA has its "[END]" right before the next name.
    const auto endsBeforeNameOf = [&](std::size_t nAA) {
        return FollowsEndLine(lineBefore(bodyStart(nAA)).data(), pBegin);
    };
    std::size_t nAA = 0;
    const char* p = bodyStart(0);
    // Where a character is known to begin: at the latest, the start of a
    // body; CR and LF end characters too.
    const char* pKnown = p;
    while ((p = text.FindCandidate(p, pEnd)) != nullptr) {
        if (!CSearchText::IsCharStart(pKnown, p)) {
            pKnown = ++p;
            continue;
        }
        // The AA whose body begins last at or before p: no other body can
        // hold p, but for AAs of an AA text file before it without
        // "[END]", whose bodies go on into the next AA's lines. In the
        // libraries every body ends where the next AA begins.
        while (nAA + 1 < nCount && bodyStart(nAA + 1) <= p)
            ++nAA;
        if (!endsBy(bodyStart(nAA), p)) {
            pMarks[nAA] = 1;
            if (m_format == EAAFileFormat::MojieName && nAA > 0 && pMarks[nAA - 1] == 0 && !endsBeforeNameOf(nAA)) {
                for (std::size_t nBefore = nAA; nBefore-- > 0 && pMarks[nBefore] == 0;) {
                    if (endsBy(bodyStart(nBefore), p))
                        break;
                    pMarks[nBefore] = 1;
                }
            }
        }
        // Any later place before the next body is this AA's again.
        if (nAA + 1 == nCount)
            break;
        p = pKnown = bodyStart(nAA + 1);
    }
}

int FindAAsInText(CLineReader& reader, const CSearchText& text, bool bBodies,
                  const std::function<void(int nIndex, std::string_view name)>& fnFound)
{
    CEncodingCheck encoding(reader.GetFilePath());
    CPodArray<char> nameBytes;
    CTextFileFinder finder(reader.GetFilePath(), text, bBodies, nameBytes, fnFound);
    std::string_view block;
    while (reader.ReadLineBlock(block)) {
        encoding.Feed(reader, block);
        finder.Feed(reader, block);
    }
    encoding.Finish();
    finder.Finish(reader);
    return finder.GetCount();
}

int FindAAsInTextFile(const std::string& strPath, const CSearchText& text, bool bBodies,
                      const std::function<void(int nIndex, std::string_view name)>& fnFound)
{
    // Read, never mapped: on the machines measured, scanning a mapped file
    // took several times as long as reading it in blocks that stay in the
    // processor's cache.
    CLineReader reader(strPath, kFindBufferSize);
    return FindAAsInText(reader, text, bBodies, fnFound);
}

void CAAStore::Swap(CAAStore& other) noexcept
{
    m_strPath.swap(other.m_strPath);
    std::swap(m_stamp, other.m_stamp);
    m_offsets.Swap(other.m_offsets);
    m_nameBytes.Swap(other.m_nameBytes);
    m_nameEnds.Swap(other.m_nameEnds);
    std::swap(m_format, other.m_format);
}
