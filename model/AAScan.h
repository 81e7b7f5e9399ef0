#pragma once

// What the model's readers of AA files share: the lines that end a body,
// the block sizes they read in, the search for the lines that may matter,
// the batches they scan a block in, and the check of a file's encoding.
// Only the model's own .cpp files include this header (see FindLineEnd.h).

#include "FindLineEnd.h"
#include "LineReader.h"
#include "MonotonicArray.h"
#include "PodArray.h"
#include "RidaxoError.h"
#include "ShiftJis.h"
#include "TextRoutines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// The lines that end a body in each format: "[END]" and "[SPLIT]" as the
// whole line, and any line that begins "[AA][".
inline constexpr std::string_view kEndLine = "[END]";
inline constexpr std::string_view kSplitLine = "[SPLIT]";
inline constexpr std::string_view kAstKey = "[AA][";
// A file is loaded in blocks read into a buffer small enough to stay in the
// processor's cache between being read and being searched. Mapping a large
// file instead saves copying it, and measured faster on the machines first
// measured; on the virtual machines measured since, the first read of each
// page of a mapping costs some 1.4 us even with the pages mapped in one
// call, and reading took a fifth off loading a million AAs. Blocks of 128
// and 256 KB measured no faster.
inline constexpr std::size_t kLoadBufferSize = std::size_t{64} * 1024;
// The search of a text file without loading it reads larger blocks: a rare
// text leaves it little to do but read, and half as many reads cost less
// on the machines measured, where a call of the system is dear.
inline constexpr std::size_t kFindBufferSize = std::size_t{128} * 1024;
// How much of the start of a file decides whether it is code page 932.
inline constexpr std::size_t kEncodingSniffSize = std::size_t{64} * 1024;
// A search of bodies maps every file it can, however small: it needs the
// whole file at hand.
inline constexpr std::uint64_t kSearchMapThreshold = 1;
// A body is a few lines.
inline constexpr std::size_t kTextBufferSize = std::size_t{16} * 1024;

// How far ahead of a scan for line starts its bytes are fetched.
inline constexpr std::ptrdiff_t kScanPrefetchDistance = 1024;

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
inline const char* FindLineStartCandidate(const char* pFrom, const char* pEnd, char chSecond, char chOtherSecond)
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
    // p + 32. Asking for the bytes a kilobyte ahead before they are needed
    // made both loaders 7% faster on the machines measured, where the scan
    // of a mapped file waited for memory at nearly every stop.
    for (; pEnd - p > 32; p += 32) {
        _mm_prefetch(p + kScanPrefetchDistance, _MM_HINT_T0);
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

inline const char* FindLineStartCandidate(const char* pFrom, const char* pEnd, char chSecond)
{
    return FindLineStartCandidate(pFrom, pEnd, chSecond, chSecond);
}

// From p, inside a line, to the start of the next line that may be a key
// line ("[" and chSecond), or to the block's end; when the scan is then at
// the start of a line, nState becomes nLineStart, the scanner's state
// there. The next block begins a line when this one ends one. Should a CR
// here pair with an LF there, that LF is taken for a line of its own,
// which is no key line, and the search goes on after it.
template <class EState>
const char* SkipToLineStartCandidate(const char* p, const char* pEnd, char chSecond, EState& nState, EState nLineStart)
{
    const char* pCandidate = FindLineStartCandidate(p + 1, pEnd, chSecond);
    if (pCandidate != nullptr || pEnd[-1] == '\n' || pEnd[-1] == '\r')
        nState = nLineStart;
    return pCandidate != nullptr ? pCandidate : pEnd;
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
inline bool IsNameLine(const char* p, const char* pEnd)
{
    constexpr std::string_view kKey = CMojieNameLines::kKey;
    return static_cast<std::size_t>(pEnd - p) >= kKey.size() && std::memcmp(p, kKey.data(), kKey.size()) == 0;
}

// True when the line before the one that p begins is "[END]"; false when p
// begins the block, whose lines before are unknown here (or the file).
inline bool FollowsEndLine(const char* p, const char* pBlock)
{
    if (p > pBlock && p[-1] == '\n')
        --p;
    if (p > pBlock && p[-1] == '\r')
        --p;
    const auto nSize = static_cast<std::ptrdiff_t>(kEndLine.size());
    return p - pBlock >= nSize && std::memcmp(p - nSize, kEndLine.data(), kEndLine.size()) == 0 &&
           (p - nSize == pBlock || p[-1 - nSize] == '\n' || p[-1 - nSize] == '\r');
}

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

// Reads the pages of the MLT file that reader reads into the lists, as
// ScanFile does.
void ScanPages(CLineReader& reader, const std::string& strPath, CMonotonicArray<>& offsets, CPodArray<char>& nameBytes,
               CMonotonicArray<>& nameEnds);
