#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Whether a block of nBytes gets a mapping of its own in huge pages (see
// CPodArray), and that mapping. MapLargeBlock and ResizeLargeBlock set the
// bytes asked for to those they mapped (whole huge pages when mapping or
// growing, whole pages when shrinking) and return null, with nothing done,
// where they cannot; a growth may move the block, never what it holds.
bool IsLargeBlockSize(std::size_t nBytes);
void* MapLargeBlock(std::size_t& nBytes);
void* ResizeLargeBlock(void* pBlock, std::size_t nBytes, std::size_t& nNewBytes);
void UnmapLargeBlock(void* pBlock, std::size_t nBytes);
// The bytes that such mappings hold in all, which the C library's own
// counts of what it allocated leave out.
std::size_t GetLargeBlockBytes();
// The size of a page of memory.
std::size_t GetPageSize();

// A growable array of plain values (numbers, characters) kept in one block.
// For the few large arrays that hold a value per AA, the first write to
// each page of memory costs more than the values written:
// - a block of the C library grows and shrinks with realloc, which moves a
//   large block by remapping its pages rather than copying them, so filling
//   the array touches each page once, where a std::vector copies (and first
//   touches) everything again on every growth and on shrink_to_fit;
// - where the system has huge pages, a large block lives in a mapping of
//   its own in them instead, whose pages move, as realloc's do, when it
//   grows. On the virtual machines measured, the first write to each 4 KB
//   page cost some 5 us even after the page was mapped ahead, and to a
//   huge page a fraction of that for 2 MB: loading a million AAs from a
//   text file took a tenth less time, from an MLT library, whose names
//   take twice the room, a fifth.
template <typename T> class CPodArray
{
    static_assert(std::is_trivially_copyable_v<T>, "CPodArray moves its values as bytes");

public:
    CPodArray() = default;
    ~CPodArray() { Release(); }

    CPodArray(const CPodArray&) = delete;
    CPodArray& operator=(const CPodArray&) = delete;

    std::size_t GetSize() const { return m_nSize; }
    bool IsEmpty() const { return m_nSize == 0; }
    // Bytes allocated, spare room included.
    std::size_t GetAllocatedBytes() const { return m_nCapacity * sizeof(T); }

    const T* GetData() const { return m_pData; }
    T& operator[](std::size_t nPos) { return m_pData[nPos]; }
    const T& operator[](std::size_t nPos) const { return m_pData[nPos]; }

    void Add(T value)
    {
        if (m_nSize == m_nReady)
            MakeReady(m_nSize + 1);
        m_pData[m_nSize++] = value;
    }

    void Append(const T* pValues, std::size_t nCount)
    {
        if (nCount > m_nReady - m_nSize) {
            if (nCount > kMaxCount - m_nSize)
                throw std::bad_alloc();
            MakeReady(m_nSize + nCount);
        }
        if (nCount != 0)
            std::memcpy(m_pData + m_nSize, pValues, nCount * sizeof(T));
        m_nSize += nCount;
    }

    // Appends the nCount values at pValues, nCount no more than kCopy, by
    // copying kCopy values, which the compiler does in a few moves inline:
    // for the short names that a load appends a million times over, a call
    // of memcpy costs more than the copy. The array must have room for kCopy
    // values (Reserve), and kCopy values at pValues must be readable; they
    // may lie in the array itself. What was copied past nCount is not kept.
    template <std::size_t kCopy> void AppendShort(const T* pValues, std::size_t nCount)
    {
        // Through a copy of our own: the values read may overlap those
        // written, past nCount.
        T values[kCopy];
        std::memcpy(values, pValues, sizeof(values));
        std::memcpy(m_pData + m_nSize, values, sizeof(values));
        m_nSize += nCount;
    }

    // Makes the array nCount values long, those added set to fill.
    void Resize(std::size_t nCount, T fill = T())
    {
        if (nCount <= m_nSize) {
            Truncate(nCount);
            return;
        }
        if (nCount > m_nReady)
            MakeReady(nCount);
        std::fill(m_pData + m_nSize, m_pData + nCount, fill);
        m_nSize = nCount;
    }

    // Makes room for nCount values in all: appending up to that many
    // allocates nothing, which a caller that must not allocate relies on.
    void Reserve(std::size_t nCount)
    {
        if (nCount > m_nReady)
            MakeReady(nCount);
    }

    // Drops the values from position nSize on; allocates nothing.
    void Truncate(std::size_t nSize) { m_nSize = std::min(nSize, m_nSize); }

    // Removes the nCount values from position nPos on, the later ones
    // moving up; allocates nothing.
    void Erase(std::size_t nPos, std::size_t nCount)
    {
        nPos = std::min(nPos, m_nSize);
        nCount = std::min(nCount, m_nSize - nPos);
        if (nCount != 0)
            std::memmove(m_pData + nPos, m_pData + nPos + nCount, (m_nSize - nPos - nCount) * sizeof(T));
        m_nSize -= nCount;
    }

    // Gives back the spare room at the end.
    void FreeExtra() { Reallocate(m_nSize); }

    void Swap(CPodArray& other) noexcept
    {
        std::swap(m_pData, other.m_pData);
        std::swap(m_nSize, other.m_nSize);
        std::swap(m_nCapacity, other.m_nCapacity);
        std::swap(m_nReady, other.m_nReady);
        std::swap(m_nMappedBytes, other.m_nMappedBytes);
    }

private:
    // Makes room for nCount values in all, with their pages mapped.
    void MakeReady(std::size_t nCount)
    {
        if (nCount > m_nCapacity)
            Grow(nCount);
        Prefault(nCount);
    }

    void Grow(std::size_t nMinimum)
    {
        const std::size_t nDoubled = m_nCapacity > kMaxCount / 2 ? kMaxCount : m_nCapacity * 2;
        Reallocate(std::max({nMinimum, nDoubled, std::size_t{16}}));
    }

    // Makes the room nCapacity values, m_nSize no more than that.
    void Reallocate(std::size_t nCapacity)
    {
        if (nCapacity == 0) {
            Release();
            m_pData = nullptr;
            m_nCapacity = 0;
            m_nReady = 0;
            return;
        }
        if (nCapacity > kMaxCount)
            throw std::bad_alloc();
        const std::size_t nBytes = nCapacity * sizeof(T);
        if (m_nMappedBytes != 0 && IsLargeBlockSize(nBytes)) {
            std::size_t nMapped = nBytes;
            if (void* pResized = ResizeLargeBlock(m_pData, m_nMappedBytes, nMapped)) {
                m_pData = static_cast<T*>(pResized);
                m_nMappedBytes = nMapped;
                m_nCapacity = nMapped / sizeof(T);
                m_nReady = std::min(m_nReady, m_nCapacity);
                return;
            }
        }
        if (m_nMappedBytes == 0 && !IsLargeBlockSize(nBytes)) {
            ReallocateOnHeap(nCapacity);
            return;
        }
        // Into a mapping of its own, or out of one.
        std::size_t nMapped = nBytes;
        void* pNew = IsLargeBlockSize(nBytes) ? MapLargeBlock(nMapped) : nullptr;
        if (pNew == nullptr) {
            nMapped = 0;
            pNew = std::malloc(nBytes);
            if (pNew == nullptr)
                throw std::bad_alloc();
        }
        if (m_nSize != 0)
            std::memcpy(pNew, m_pData, m_nSize * sizeof(T));
        Release();
        m_pData = static_cast<T*>(pNew);
        m_nMappedBytes = nMapped;
        m_nCapacity = nMapped != 0 ? nMapped / sizeof(T) : nCapacity;
        m_nReady = m_nSize;
        Prefault(m_nSize);
    }

    void ReallocateOnHeap(std::size_t nCapacity)
    {
        void* pNew = std::realloc(m_pData, nCapacity * sizeof(T));
        if (pNew == nullptr)
            throw std::bad_alloc();
        m_pData = static_cast<T*>(pNew);
        m_nCapacity = nCapacity;
        // Pages past the values may be new, should the block have moved.
        m_nReady = std::min(m_nReady, m_nSize);
        Prefault(m_nSize);
    }

    void Release()
    {
        if (m_nMappedBytes != 0)
            UnmapLargeBlock(m_pData, m_nMappedBytes);
        else
            std::free(m_pData);
        m_nMappedBytes = 0;
    }

    // Maps the pages for the values up to nCount, and a stretch beyond, in
    // one call, and moves m_nReady past them. Linux maps a page of a large
    // block only when it is first written, a trap each, and on the virtual
    // machines measured a trap costs microseconds: mapping the pages in
    // calls made importing a million AAs 9% faster, and the same AAs as an
    // MLT file, whose names take twice the room, 15%. A stretch at a time,
    // just ahead of the writes, rather than all a growth adds: the pages the
    // system has just cleared are then still in the processor's cache when
    // the values are written, which took another 4% off the MLT import.
    // Where the call fails, pages are mapped on first write, as without it.
    // In a block of huge pages the first call of a huge page maps all of it
    // and the others find it mapped; they still map ahead where the system
    // had no huge page to give.
    void Prefault(std::size_t nCount)
    {
#if defined(MADV_POPULATE_WRITE)
        if (m_nCapacity * sizeof(T) >= kPrefaultMinimum) {
            const std::size_t nReady = std::min(m_nCapacity, std::max(nCount, m_nReady + kPrefaultStretch / sizeof(T)));
            const std::uintptr_t nPage = GetPageSize();
            const std::uintptr_t nFrom = reinterpret_cast<std::uintptr_t>(m_pData + m_nReady) & ~(nPage - 1);
            const std::uintptr_t nTo = reinterpret_cast<std::uintptr_t>(m_pData + nReady) & ~(nPage - 1);
            if (nTo > nFrom)
                madvise(reinterpret_cast<void*>(nFrom), nTo - nFrom, MADV_POPULATE_WRITE);
            m_nReady = nReady;
            return;
        }
#endif
        (void)nCount;
        m_nReady = m_nCapacity;
    }

    // No object may be larger than the largest pointer difference.
    static constexpr std::size_t kMaxCount =
        static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(T);
    // Small blocks come from the C library's heap, whose pages are mostly
    // mapped already.
    static constexpr std::size_t kPrefaultMinimum = std::size_t{1} << 20;
    // How far ahead of the values pages are mapped; a quarter of a megabyte
    // measured best, ahead of a megabyte and more.
    static constexpr std::size_t kPrefaultStretch = std::size_t{256} << 10;

    T* m_pData = nullptr;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
    // The values up to here have room whose pages are mapped (all the room,
    // where pages are not mapped ahead); never more than m_nCapacity.
    std::size_t m_nReady = 0;
    // The bytes of the block's own mapping; 0 for a block of the C library.
    std::size_t m_nMappedBytes = 0;
};
