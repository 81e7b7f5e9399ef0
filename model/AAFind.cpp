#include "AAScan.h"
#include "AASearch.h"
#include "AAStore.h"

#include <functional>
#include <limits>

namespace
{
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
// branch, rarely. The count and the last name line stay in locals: kept in
// the result, or passed through a lambda, they cost the compiler its
// conditional moves, which came out as branches.
CNameLineCount CountNameLines(const char* pFrom, const char* pLast, const char* pEnd)
{
    std::uint64_t nCount = 0;
    const char* pLastFound = nullptr;
    const char* p = pFrom;
    if (IsNameLine(p, pEnd)) {
        nCount = 1;
        pLastFound = p;
    }
    ++p;
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
    // 1 when a name line begins at pAt, else 0, after the line end before
    // it: each comparison as a number, combined bit by bit.
    const auto isNameLineAt = [&](const char* pAt) {
        const auto chBefore = static_cast<unsigned char>(pAt[-1]);
        return static_cast<unsigned>((chBefore == '\n') | (chBefore == '\r')) &
               static_cast<unsigned>(load8(pAt) == nKeyHead) &
               static_cast<unsigned>(load8(pAt + kKey.size() - 8) == nKeyTail);
    };
    const __m128i brackets = _mm_set1_epi8('[');
    const __m128i seconds = _mm_set1_epi8(kKey[1]);
    // A round reads up to p + 64, the key up to p + 63 + kKey.size().
    for (; pLast - p >= 63 && pEnd - p >= static_cast<std::ptrdiff_t>(64 + kKey.size()); p += 64) {
        std::uint64_t nMask = 0;
        for (std::ptrdiff_t i = 0; i < 4; ++i) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i + 1));
            const __m128i pairs = _mm_and_si128(_mm_cmpeq_epi8(here, brackets), _mm_cmpeq_epi8(after, seconds));
            nMask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(pairs))) << (16 * i);
        }
        // With no "[M" in the round, its last byte stands in for one: it
        // begins no name line, as no "[M" does.
        const char* const pFirst = p + std::countr_zero(nMask | (std::uint64_t{1} << 63));
        const unsigned nFirst = isNameLineAt(pFirst);
        nCount += nFirst;
        pLastFound = nFirst != 0 ? pFirst : pLastFound;
        for (nMask &= nMask - 1; nMask != 0; nMask &= nMask - 1) {
            const char* const pAt = p + std::countr_zero(nMask);
            if (isNameLineAt(pAt) != 0) {
                ++nCount;
                pLastFound = pAt;
            }
        }
    }
#endif
    for (const char* q = p - 1; (q = FindLineStartCandidate(q + 1, pLast + 1, CMojieNameLines::kKey[1])) != nullptr;) {
        if (IsNameLine(q, pEnd)) {
            ++nCount;
            pLastFound = q;
        }
    }
    return {nCount, pLastFound};
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
