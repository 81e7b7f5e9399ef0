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
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace
{
constexpr std::string_view kNameKey = "[MojieName=";
constexpr std::string_view kEndLine = "[END]";
// Files of a megabyte and more are mapped into memory rather than read:
// that saves copying them, a tenth of the time of loading a large file.
constexpr std::uint64_t kLoadMapThreshold = std::uint64_t{1} << 20;
// Smaller files, and any file where mapping fails, are read in blocks small
// enough to stay in the processor's cache between being read and being
// searched; blocks of 128 KB and more measured far slower.
constexpr std::size_t kLoadBufferSize = std::size_t{64} * 1024;
// How much of the start of a file decides whether it is code page 932.
constexpr std::size_t kEncodingSniffSize = std::size_t{64} * 1024;
// A search of bodies maps every file it can, however small: it needs the
// whole file at hand.
constexpr std::uint64_t kSearchMapThreshold = 1;
// A body is a few lines.
constexpr std::size_t kTextBufferSize = std::size_t{16} * 1024;

// The first line start in [pFrom, pEnd) whose line begins with "[M", the
// key's first two bytes, or with "[" at the very end of the block; null when
// there is none. pFrom[-1] must be readable. A line starts after an LF or
// after a CR: a CR before a "[" is never the first half of a CR LF pair.
//
// Nearly every byte of a file passes through here, so it tests sixteen
// bytes at a time where the processor allows. Looking for "[M" rather than
// "[" skips the "[END]" lines too, which halves the stops (and mispredicted
// branches) on the way; an "[M" inside a line is so rare that whether a
// line ends before it is asked only at the stops, which costs fewer steps a
// block than asking it of every byte.
const char* FindNameLineCandidate(const char* pFrom, const char* pEnd)
{
    const char* p = pFrom;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i brackets = _mm_set1_epi8('[');
    const __m128i letters = _mm_set1_epi8('M');
    // Marks the bytes at pAt … pAt + 15 that are a "[" before an "M".
    const auto candidates = [&](const char* pAt) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt));
        const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt + 1));
        return _mm_and_si128(_mm_cmpeq_epi8(here, brackets), _mm_cmpeq_epi8(after, letters));
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
        if (*p == '[' && (p[-1] == '\n' || p[-1] == '\r') && (p + 1 == pEnd || p[1] == 'M'))
            return p;
    return nullptr;
}

// Finds the name lines of an AA text file in the blocks it is read in and
// appends each AA's name and body offset to the lists it was given. Most of
// a file is picture lines that need no look at all: the scanner jumps from
// one line that begins like the key to the next and checks only those.
//
// A block may be a mapped file that another program cuts short while it is
// read. The reading then runs under the reader's guard, which leaves it by
// a jump, and so must neither allocate nor hold anything to destroy. A
// block is therefore taken in batches: outside the guard, the name bytes
// get room; under it, the scan copies the names it finds into that room
// and notes each AA in an array of fixed size; outside again, the AAs join
// the lists. Copying a name while the scan has just read it costs nothing
// more than reading the file; going back for the names afterwards did.
class CNameLineScanner
{
public:
    CNameLineScanner(const std::string& strPath, std::uint64_t nStart, CMonotonicArray<>& offsets,
                     CPodArray<char>& nameBytes, CMonotonicArray<>& nameEnds)
        : m_strPath(strPath), m_nBlockStart(nStart), m_offsets(offsets), m_nameBytes(nameBytes), m_nameEnds(nameEnds)
    {}

    // Scans block, the block that reader handed out last; the first block
    // begins a line.
    void Feed(CLineReader& reader, std::string_view block)
    {
        for (std::size_t nPos = 0; nPos < block.size();) {
            m_nRoomEnd = m_nameBytes.GetSize() + std::max(kNameRoom, m_nRoomWanted);
            m_nameBytes.Reserve(m_nRoomEnd);
            reader.ReadGuarded([&] { nPos = ScanBatch(block, nPos); });
            for (std::size_t i = 0; i < m_nFound; ++i)
                AddAA(m_found[i].m_nBodyOffset, m_found[i].m_nNameEnd);
        }
        m_nBlockStart += block.size();
    }

    // Ends the scan at the end of the file, where a name line may end
    // without a line end, or with a CR that no LF follows; its body is empty
    // and begins at the end.
    void Finish()
    {
        if (m_nState == EState::InName) {
            CutName();
            AddAA(m_nBlockStart, EndName());
        } else if (m_nState == EState::AfterNameCr) {
            AddAA(m_nBlockStart, m_nPendingNameEnd);
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

    // An AA that a batch found, its name copied.
    struct CFoundAA
    {
        std::uint64_t m_nBodyOffset;
        std::size_t m_nNameEnd; // in the name bytes
    };
    // Enough AAs a batch that the guard's cost vanishes beside the scan.
    static constexpr std::size_t kBatchSize = 1024;
    // The room a batch has for names at the least; a name that does not fit
    // ends the batch, and the next makes room for it.
    static constexpr std::size_t kNameRoom = std::size_t{64} * 1024;

    // Scans block from nFrom on until the block ends, the batch holds
    // kBatchSize AAs or a name finds no room; returns where it stopped.
    // Allocates nothing.
    std::size_t ScanBatch(std::string_view block, std::size_t nFrom)
    {
        m_nFound = 0;
        m_nRoomWanted = 0;
        const char* p = block.data() + nFrom;
        const char* const pEnd = block.data() + block.size();
        while (p < pEnd && m_nFound < kBatchSize) {
            switch (m_nState) {
            case EState::InKey:
                p = MatchKey(p, pEnd);
                break;
            case EState::InLine:
                p = SkipToNameLineCandidate(p, pEnd);
                break;
            case EState::InName:
                if (const char* pNext = TakeNameLine(p, pEnd, block.data()))
                    p = pNext;
                else
                    return static_cast<std::size_t>(p - block.data());
                break;
            case EState::AfterNameCr:
                p = TakePendingLineFeed(p, block.data());
                break;
            }
        }
        return static_cast<std::size_t>(p - block.data());
    }

    const char* MatchKey(const char* p, const char* pEnd)
    {
        const auto nAvailable = static_cast<std::size_t>(pEnd - p);
        // The usual case, with a comparison of fixed length that the compiler
        // does inline.
        if (m_nKeyMatched == 0 && nAvailable >= kNameKey.size()) {
            if (std::memcmp(p, kNameKey.data(), kNameKey.size()) != 0) {
                m_nState = EState::InLine;
                return p;
            }
            m_nState = EState::InName;
            return p + kNameKey.size();
        }
        const std::size_t nWanted = kNameKey.size() - m_nKeyMatched;
        const std::size_t nCompare = nAvailable < nWanted ? nAvailable : nWanted;
        if (std::memcmp(p, kNameKey.data() + m_nKeyMatched, nCompare) != 0) {
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
        if (const char* pCandidate = FindNameLineCandidate(p + 1, pEnd)) {
            m_nState = EState::InKey;
            return pCandidate;
        }
        // The next block begins a line when this one ends one. Should a CR
        // here pair with an LF there, that LF is taken for a line that is no
        // name line, and the search goes on after it.
        if (pEnd[-1] == '\n' || pEnd[-1] == '\r')
            m_nState = EState::InKey;
        return pEnd;
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
            piece = piece.substr(0, NameLength(piece));
        if (piece.size() > m_nRoomEnd - m_nameBytes.GetSize()) {
            m_nRoomWanted = piece.size();
            return nullptr;
        }
        m_nameBytes.Append(piece.data(), piece.size());
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
                m_nPendingNameEnd = EndName();
                m_nState = EState::AfterNameCr;
                return pEnd;
            }
            if (*pBody == '\n')
                ++pBody;
        }
        m_found[m_nFound++] = {m_nBlockStart + static_cast<std::uint64_t>(pBody - pBlock), EndName()};
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
        m_found[m_nFound++] = {m_nBlockStart + static_cast<std::uint64_t>(p - pBlock), m_nPendingNameEnd};
        m_nState = EState::InKey;
        return p;
    }

    // afterKey: a name line after its key, without its line end. The name
    // runs to the last "]".
    static std::size_t NameLength(std::string_view afterKey)
    {
        const std::size_t nBracket = FindLastSjisChar(afterKey, ']');
        return nBracket == std::string_view::npos ? 0 : nBracket;
    }

    // The name bytes end with a whole name line after its key, from
    // m_nNameStart on: cuts it to its name.
    void CutName()
    {
        const std::string_view afterKey(m_nameBytes.GetData() + m_nNameStart, m_nameBytes.GetSize() - m_nNameStart);
        m_nameBytes.Truncate(m_nNameStart + NameLength(afterKey));
    }

    // The name bytes end with a name: returns its end, where the next begins.
    std::size_t EndName()
    {
        m_nNameStart = m_nameBytes.GetSize();
        return m_nNameStart;
    }

    void AddAA(std::uint64_t nBodyOffset, std::size_t nNameEnd)
    {
        if (m_offsets.GetSize() == static_cast<std::size_t>(std::numeric_limits<int>::max()))
            throw CRidaxoError(m_strPath, EErrorCause::TooManyAAs);
        m_offsets.Add(nBodyOffset);
        m_nameEnds.Add(nNameEnd);
    }

    const std::string& m_strPath;
    EState m_nState = EState::InKey;
    std::size_t m_nKeyMatched = 0;
    std::uint64_t m_nBlockStart;
    // The name line being read goes on from an earlier block.
    bool m_bLineGoesOn = false;
    // Where the next name begins in the name bytes: the end of the last.
    std::size_t m_nNameStart = 0;
    // In state AfterNameCr, the end of the name whose AA waits for its body
    // offset.
    std::size_t m_nPendingNameEnd = 0;
    // The end of the room the batch has for names, and what a name that
    // found too little asks of the next batch.
    std::size_t m_nRoomEnd = 0;
    std::size_t m_nRoomWanted = 0;
    std::array<CFoundAA, kBatchSize> m_found;
    std::size_t m_nFound = 0;
    CMonotonicArray<>& m_offsets;
    CPodArray<char>& m_nameBytes;
    CMonotonicArray<>& m_nameEnds;
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
} // namespace

void CAAStore::Load(CLineReader& reader)
{
    CAAStore loaded;
    loaded.m_strPath = reader.GetFilePath();
    loaded.m_stamp = reader.GetFileStamp();
    CNameLineScanner scanner(loaded.m_strPath, reader.GetPosition(), loaded.m_offsets, loaded.m_nameBytes,
                             loaded.m_nameEnds);
    CEncodingCheck encoding(loaded.m_strPath);
    std::string_view block;
    while (reader.ReadBlock(block)) {
        encoding.Feed(reader, block);
        scanner.Feed(reader, block);
    }
    encoding.Finish();
    scanner.Finish();
    loaded.m_offsets.FreeExtra();
    loaded.m_nameBytes.FreeExtra();
    loaded.m_nameEnds.FreeExtra();
    Swap(loaded);
}

void CAAStore::LoadFile(const std::string& strPath)
{
    CLineReader reader(strPath, kLoadBufferSize, kLoadMapThreshold);
    Load(reader);
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
    while (reader.ReadLine(line) && line != kEndLine) {
        strText += line;
        strText += "\r\n";
    }
    return strText;
}

std::string CAAStore::GetTextHead(int nIndex, std::size_t nLineBytes, std::size_t nTextBytes, std::size_t nLines) const
{
    if (!IsValidIndex(nIndex))
        return {};
    // A line that was cut must never pass for the "[END]" line.
    nLineBytes = std::max(nLineBytes, kEndLine.size() + 1);
    CLineReader reader(m_strPath, kTextBufferSize);
    reader.Seek(m_offsets[nIndex]);
    std::string strText;
    std::string_view line;
    std::size_t nBytes = 0;
    for (std::size_t nRead = 0; nBytes <= nTextBytes && nRead <= nLines; ++nRead) {
        if (!reader.ReadLine(line, nLineBytes) || line == kEndLine)
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
    // True when a line "[END]" begins in [pStart, pAt], pStart being a
    // line start: a body that begins at pStart has ended before pAt then.
    const auto endsBy = [&](const char* pStart, const char* pAt) {
        const char* const pLimit =
            pEnd - pAt > static_cast<std::ptrdiff_t>(kEndLine.size()) ? pAt + kEndLine.size() : pEnd;
        for (const char* q = pStart; (q = FindBytes(q, pLimit, kEndLine)) != nullptr; ++q) {
            const char* pAfter = q + kEndLine.size();
            if ((q == pStart || isLineEnd(q[-1])) && (pAfter == pEnd || isLineEnd(*pAfter)))
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
        const std::string_view nameLine = lineBefore(bodyStart(nAA));
        return nameLine.data() > pBegin && lineBefore(nameLine.data()) == kEndLine;
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
        // hold p, but for AAs before it without "[END]", whose bodies go
        // on into the next AA's lines.
        while (nAA + 1 < nCount && bodyStart(nAA + 1) <= p)
            ++nAA;
        if (!endsBy(bodyStart(nAA), p)) {
            pMarks[nAA] = 1;
            if (nAA > 0 && pMarks[nAA - 1] == 0 && !endsBeforeNameOf(nAA)) {
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

void CAAStore::Swap(CAAStore& other) noexcept
{
    m_strPath.swap(other.m_strPath);
    std::swap(m_stamp, other.m_stamp);
    m_offsets.Swap(other.m_offsets);
    m_nameBytes.Swap(other.m_nameBytes);
    m_nameEnds.Swap(other.m_nameEnds);
}
