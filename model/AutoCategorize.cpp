#include "AutoCategorize.h"

#include "AAStore.h"
#include "Category.h"
#include "PodArray.h"
#include "ShiftJis.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

std::size_t CommonPrefixLength(std::string_view a, std::string_view b)
{
    const std::size_t nMax = std::min(a.size(), b.size());
    std::size_t n = 0;
    // Eight bytes at a time while both have them: the grouping compares
    // the names of whole families with their first name.
    for (; n + 8 <= nMax; n += 8) {
        std::uint64_t nA = 0;
        std::uint64_t nB = 0;
        std::memcpy(&nA, a.data() + n, 8);
        std::memcpy(&nB, b.data() + n, 8);
        if (nA != nB) {
            const std::uint64_t nDiffer = nA ^ nB;
            const int nSameBits =
                std::endian::native == std::endian::little ? std::countr_zero(nDiffer) : std::countl_zero(nDiffer);
            return n + static_cast<std::size_t>(nSameBits / 8);
        }
    }
    while (n < nMax && a[n] == b[n])
        ++n;
    return n;
}

namespace
{
// Length in bytes of the first nChars whole characters of text, or npos when
// text has fewer (a lone lead byte at the end is no whole character).
std::size_t PrefixBytes(std::string_view text, unsigned nChars)
{
    std::size_t nPos = 0;
    for (unsigned i = 0; i < nChars; ++i) {
        if (nPos >= text.size())
            return std::string_view::npos;
        const std::size_t nNext = nPos + CharLengthAt(text, nPos);
        if (nNext > text.size())
            return std::string_view::npos;
        nPos = nNext;
    }
    return nPos;
}
} // namespace

void AutoCategorizePlain(CCategory& root, const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    root.RemoveAllChildren();
    root.RemoveAllAAs();
    std::vector<int> pending(static_cast<std::size_t>(store.GetCount()));
    for (std::size_t i = 0; i < pending.size(); ++i)
        pending[i] = static_cast<int>(i);

    std::vector<std::size_t> matches;
    while (!pending.empty()) {
        const std::string_view seed = store.GetNameView(pending[0]);
        const std::size_t nPrefix = PrefixBytes(seed, nThreshold);
        matches.clear();
        std::size_t nCommon = seed.size();
        if (nPrefix != std::string_view::npos) {
            for (std::size_t j = 0; j < pending.size(); ++j) {
                const std::size_t nShared = CommonPrefixLength(seed, store.GetNameView(pending[j]));
                if (nShared >= nPrefix) {
                    matches.push_back(j);
                    nCommon = std::min(nCommon, nShared);
                }
            }
        }
        if (nPrefix != std::string_view::npos && matches.size() >= nMinItems) {
            CCategory* pCategory = root.AddChild(std::string(CutToWholeChars(seed, nCommon)));
            for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
                pCategory->AddAA(pending[*it]);
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(*it));
            }
        } else {
            root.AddAA(pending[0]);
            pending.erase(pending.begin());
        }
    }
}

// Why grouping by key gives what the plain grouping gives.
//
// Call the key of a name its first nThreshold whole characters; a name with
// fewer has none. A pending AA matches the seed exactly when its name begins
// with the seed's key, byte for byte - and then its own first characters are
// those same bytes, read the same way from the front: its key is the seed's.
// So a seed gathers precisely the pending AAs of its own key, and AAs of
// one key leave the pending list only as seeds or gathered by a seed of
// their key. When the first AA of a key becomes the seed, all AAs of that
// key are still pending: if there are at least nMinItems of them, they all
// form the category; otherwise the seed goes to the root, and each later AA
// of the key, when its turn as seed comes, finds even fewer partners and
// goes to the root too. Hence:
//
// - the AAs of every key with at least nMinItems AAs form one category,
//   named after the seed's name cut to the bytes that every member shares
//   with it, holding its AAs in descending AA index order;
// - the categories stand in the order of their first AAs;
// - every other AA (no key, or too few AAs with its key) stands in the
//   root, in ascending AA index order, as seeds leave the list in order.
//
// How the passes below find the groups fast. Most AAs belong either to a
// large group or to a group far smaller than nMinItems, and only the large
// groups need to be known one by one. A first pass counts the keys roughly,
// in a table of small counters indexed by the key's hash, where different
// keys may share a counter: a count there is never less than the true
// count. An AA whose counter stays below nMinItems has too few partners and
// goes to the root; only the others are grouped exactly, in a hash table
// that then holds few keys and stays in the processor's cache. (A table of
// all keys, far larger than the caches, missed the cache at nearly every
// AA.)
namespace
{
constexpr std::uint32_t kNone = UINT32_MAX;

std::uint64_t Load64(const char* p)
{
    std::uint64_t nValue = 0;
    std::memcpy(&nValue, p, 8);
    return nValue;
}

std::uint64_t Load32(const char* p)
{
    std::uint32_t nValue = 0;
    std::memcpy(&nValue, p, 4);
    return nValue;
}

// Eight bytes that, together with the key's length, tell keys of up to
// eight bytes apart: short keys are read in pieces that may overlap but
// cover every byte (a copy of variable length would stall the load that
// follows it). For longer keys, their first eight bytes.
std::uint64_t KeyHead(std::string_view key)
{
    const char* p = key.data();
    const std::size_t n = key.size();
    if (n >= 8)
        return Load64(p);
    if (n >= 4)
        return Load32(p) | Load32(p + n - 4) << 32;
    if (n == 0)
        return 0;
    return static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
           static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
}

// Hash of a key whose head is nHead, with the high bit clear.
std::uint32_t HashKey(std::string_view key, std::uint64_t nHead)
{
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t nHash = (key.size() * kMultiplier) ^ nHead;
    // The rest eight bytes at a time, the last eight perhaps overlapping
    // the ones before.
    for (std::size_t nPos = 8; nPos < key.size(); nPos += 8) {
        nHash = (nHash ^ (nHash >> 29)) * kMultiplier;
        nHash ^= Load64(key.data() + std::min(nPos, key.size() - 8));
    }
    nHash *= kMultiplier;
    nHash ^= nHash >> 32;
    nHash *= 0xD6E8FEB86659FD93ULL;
    return static_cast<std::uint32_t>(nHash ^ (nHash >> 32)) >> 1;
}

// The key of AA nIndex: the first nThreshold whole characters of its name;
// m_bHasKey false when the name has fewer.
struct CAAKey
{
    std::string_view m_strKey;
    bool m_bHasKey = false;
};

CAAKey FindKey(const CAAStore& store, std::size_t nIndex, unsigned nThreshold)
{
    const std::string_view name = store.GetNameView(static_cast<int>(nIndex));
    const std::size_t nKeyBytes = PrefixBytes(name, nThreshold);
    if (nKeyBytes == std::string_view::npos)
        return {};
    return {name.substr(0, nKeyBytes), true};
}

inline void PrefetchLine(const void* p)
{
#if defined(__SSE2__) || defined(_M_X64)
    _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
    (void)p;
#endif
}

// Rough counts of keys: four bits per counter, stopping at 15, about two
// counters an AA - small enough to stay in the processor's cache.
class CKeySketch
{
public:
    explicit CKeySketch(std::size_t nAAs)
    {
        std::size_t nCounters = 2048;
        while (nCounters < nAAs * 2)
            nCounters *= 2;
        m_nibbles.assign(nCounters / 2, 0);
        m_nMask = nCounters - 1;
    }

    // Asks the processor to fetch the counter of nHash ahead of its use.
    void Prefetch(std::uint32_t nHash) const { PrefetchLine(&m_nibbles[(nHash & m_nMask) / 2]); }

    void Count(std::uint32_t nHash)
    {
        const std::size_t nCounter = nHash & m_nMask;
        std::uint8_t& nByte = m_nibbles[nCounter / 2];
        const unsigned nShift = (nCounter % 2) * 4;
        if (((nByte >> nShift) & 0xF) != 0xF)
            nByte = static_cast<std::uint8_t>(nByte + (1U << nShift));
    }

    // False only when the key of nHash stands fewer than nMinItems times.
    bool MayReach(std::uint32_t nHash, unsigned nMinItems) const
    {
        const std::size_t nCounter = nHash & m_nMask;
        const unsigned nValue = (m_nibbles[nCounter / 2] >> ((nCounter % 2) * 4)) & 0xF;
        return nValue == 0xF || nValue >= nMinItems;
    }

private:
    std::vector<std::uint8_t> m_nibbles;
    std::size_t m_nMask = 0;
};

// The AAs that share one key.
struct CKeyGroup
{
    std::uint64_t m_nKeyHead;
    std::uint32_t m_nKeyBytes;
    std::uint32_t m_nCount;
    int m_nSeed; // the group's first AA
};

// The groups of a run and a table from key to group: open addressing, each
// slot the key's hash and the group number + 1 (0: empty), at most half
// full.
class CKeyGroups
{
public:
    explicit CKeyGroups(const CAAStore& store) : m_store(store), m_nMask(1023) { m_slots.Resize(1024, 0); }

    CPodArray<CKeyGroup>& GetGroups() { return m_groups; }

    // The group of key, the key of AA nIndex; a new group when the key is
    // new.
    std::uint32_t FindOrAdd(std::string_view key, std::uint32_t nHash, int nIndex)
    {
        if ((m_groups.GetSize() + 1) * 2 > m_slots.GetSize())
            Grow();
        const std::uint64_t nKeyHead = KeyHead(key);
        for (std::size_t nSlot = nHash & m_nMask;; nSlot = (nSlot + 1) & m_nMask) {
            const std::uint64_t nEntry = m_slots[nSlot];
            if (nEntry == 0) {
                const auto nGroup = static_cast<std::uint32_t>(m_groups.GetSize());
                m_groups.Add({nKeyHead, static_cast<std::uint32_t>(key.size()), 0, nIndex});
                m_slots[nSlot] = static_cast<std::uint64_t>(nHash) << 32 | (nGroup + 1);
                return nGroup;
            }
            if (static_cast<std::uint32_t>(nEntry >> 32) != nHash)
                continue;
            const auto nGroup = static_cast<std::uint32_t>(nEntry) - 1;
            const CKeyGroup& group = m_groups[nGroup];
            if (group.m_nKeyBytes == key.size() && group.m_nKeyHead == nKeyHead &&
                (key.size() <= 8 || m_store.GetNameView(group.m_nSeed).substr(8, key.size() - 8) == key.substr(8)))
                return nGroup;
        }
    }

private:
    void Grow()
    {
        CPodArray<std::uint64_t> old;
        old.Resize(m_slots.GetSize() * 2, 0);
        old.Swap(m_slots);
        m_nMask = m_slots.GetSize() - 1;
        for (std::size_t i = 0; i < old.GetSize(); ++i) {
            const std::uint64_t nEntry = old[i];
            if (nEntry == 0)
                continue;
            std::size_t nSlot = (nEntry >> 32) & m_nMask;
            while (m_slots[nSlot] != 0)
                nSlot = (nSlot + 1) & m_nMask;
            m_slots[nSlot] = nEntry;
        }
    }

    const CAAStore& m_store;
    CPodArray<CKeyGroup> m_groups;
    CPodArray<std::uint64_t> m_slots;
    std::size_t m_nMask;
};

// A group large enough to become a category.
struct CLargeGroup
{
    std::string_view m_strSeed;  // the name of the group's first AA
    std::size_t m_nKeyBytes = 0; // the length of the key, the same for all
    std::size_t m_nCommon = 0;   // bytes that every member's name shares with m_strSeed
    std::uint32_t m_nCount = 0;
};
} // namespace

void AutoCategorizeFast(CCategory& root, const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    root.RemoveAllChildren();
    root.RemoveAllAAs();
    const auto nCount = static_cast<std::size_t>(store.GetCount());

    // The hash of every AA's key (kNone for none), and the rough counts.
    // The counters are read and written at random, so each is fetched when
    // its hash is known and used sixteen AAs later. The keys' lengths are
    // kept too (up to 254 bytes; 255: longer), so that the exact pass need
    // not work them out again. No entry needs clearing first. These arrays,
    // and the others of a value per AA or group, are CPodArrays, which keep
    // large blocks in huge pages: a fresh page's first touch cost grouping
    // a tenth of its time (see CPodArray).
    constexpr std::size_t kAhead = 16;
    constexpr std::uint8_t kLongKey = UINT8_MAX;
    CPodArray<std::uint32_t> groupOf;
    CPodArray<std::uint8_t> keyBytes;
    groupOf.Reserve(nCount);
    keyBytes.Reserve(nCount);
    CKeySketch sketch(nCount);
    const auto countAA = [&](std::size_t i) {
        if (groupOf[i] != kNone)
            sketch.Count(groupOf[i]);
    };
    for (std::size_t i = 0; i < nCount; ++i) {
        const CAAKey aaKey = FindKey(store, i, nThreshold);
        groupOf.Add(aaKey.m_bHasKey ? HashKey(aaKey.m_strKey, KeyHead(aaKey.m_strKey)) : kNone);
        keyBytes.Add(static_cast<std::uint8_t>(std::min<std::size_t>(aaKey.m_strKey.size(), kLongKey)));
        if (aaKey.m_bHasKey)
            sketch.Prefetch(groupOf[i]);
        if (i >= kAhead)
            countAA(i - kAhead);
    }
    for (std::size_t i = nCount > kAhead ? nCount - kAhead : 0; i < nCount; ++i)
        countAA(i);

    // The exact groups of the AAs that may have enough partners; groupOf
    // becomes their group, or kNone. AAs of a family often stand together:
    // an AA with its predecessor's key needs no look-up.
    CKeyGroups keyGroups(store);
    CPodArray<CKeyGroup>& groups = keyGroups.GetGroups();
    std::uint32_t nLastGroup = kNone;
    std::string_view lastKey;
    for (std::size_t i = 0; i < nCount; ++i) {
        if (i + kAhead < nCount && groupOf[i + kAhead] != kNone)
            sketch.Prefetch(groupOf[i + kAhead]);
        const std::uint32_t nHash = groupOf[i];
        if (nHash == kNone || !sketch.MayReach(nHash, nMinItems)) {
            groupOf[i] = kNone;
            continue;
        }
        const std::string_view key = keyBytes[i] != kLongKey
                                         ? store.GetNameView(static_cast<int>(i)).substr(0, keyBytes[i])
                                         : FindKey(store, i, nThreshold).m_strKey;
        const std::uint32_t nGroup =
            nLastGroup != kNone && key == lastKey ? nLastGroup : keyGroups.FindOrAdd(key, nHash, static_cast<int>(i));
        ++groups[nGroup].m_nCount;
        groupOf[i] = nGroup;
        nLastGroup = nGroup;
        lastKey = key;
    }

    // The groups that form categories, numbered in the order they were
    // found, that of their seeds.
    CPodArray<std::uint32_t> largeOf;
    largeOf.Resize(groups.GetSize(), kNone);
    std::vector<CLargeGroup> large;
    std::size_t nInCategories = 0;
    for (std::size_t nGroup = 0; nGroup < groups.GetSize(); ++nGroup) {
        const CKeyGroup& group = groups[nGroup];
        if (group.m_nCount < nMinItems)
            continue;
        const std::string_view seed = store.GetNameView(group.m_nSeed);
        largeOf[nGroup] = static_cast<std::uint32_t>(large.size());
        large.push_back({seed, group.m_nKeyBytes, seed.size(), group.m_nCount});
        nInCategories += group.m_nCount;
    }

    // Where each category's members end in one array that holds them all,
    // each category's in a run.
    std::vector<std::size_t> runEnds(large.size());
    std::size_t nEnd = 0;
    for (std::size_t nLarge = 0; nLarge < large.size(); ++nLarge)
        runEnds[nLarge] = nEnd += large[nLarge].m_nCount;
    CPodArray<int> members;
    members.Resize(nInCategories);

    // One pass in file order: the root's AAs, ascending; the members of the
    // categories, each run filled from its end so that it comes out in
    // descending AA index order (a counting sort: appending to thousands of
    // lists in turn would miss the cache at every AA); and how much of its
    // name every member shares with its seed (at least the key; the seed
    // all of it).
    root.ReserveAAs(nCount - nInCategories);
    for (std::size_t i = 0; i < nCount; ++i) {
        const std::uint32_t nLarge = groupOf[i] == kNone ? kNone : largeOf[groupOf[i]];
        if (nLarge == kNone) {
            root.AddAA(static_cast<int>(i));
            continue;
        }
        members[--runEnds[nLarge]] = static_cast<int>(i);
        CLargeGroup& group = large[nLarge];
        const std::size_t nKeyBytes = group.m_nKeyBytes;
        if (group.m_nCommon > nKeyBytes) {
            const std::string_view name = store.GetNameView(static_cast<int>(i));
            const std::size_t nShared =
                nKeyBytes + CommonPrefixLength(group.m_strSeed.substr(nKeyBytes), name.substr(nKeyBytes));
            group.m_nCommon = std::min(group.m_nCommon, nShared);
        }
    }

    // The categories, named by whole characters.
    std::size_t nBegin = 0;
    for (CLargeGroup& group : large) {
        CCategory* pCategory = root.AddChild(std::string(CutToWholeChars(group.m_strSeed, group.m_nCommon)));
        pCategory->AssignAAs(members.GetData() + nBegin, members.GetData() + nBegin + group.m_nCount);
        nBegin += group.m_nCount;
    }
}

void CCategoryModel::AutoCategorize(const CAAStore& store, unsigned nThreshold, unsigned nMinItems)
{
    AutoCategorizeFast(m_root, store, std::max(nThreshold, 1U), std::max(nMinItems, 1U));
}
