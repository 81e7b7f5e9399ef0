#include "PodArray.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(__linux__) && defined(MADV_HUGEPAGE)
#define RIDAXO_HUGE_BLOCKS 1
#endif

namespace
{
std::atomic<std::size_t> g_nLargeBlockBytes{0};

#if defined(RIDAXO_HUGE_BLOCKS)
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// Whether the system gives a mapping huge pages when asked to: Linux with
// transparent huge pages "always" or on "madvise". Elsewhere a large block
// in a mapping of its own would only cost a copy on every growth.
bool HasHugePages()
{
    static const bool bHas = [] {
        std::FILE* pFile = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
        if (pFile == nullptr)
            return false;
        char szMode[128] = {};
        const bool bRead = std::fgets(szMode, sizeof szMode, pFile) != nullptr;
        std::fclose(pFile);
        return bRead && (std::strstr(szMode, "[always]") != nullptr || std::strstr(szMode, "[madvise]") != nullptr);
    }();
    return bHas;
}

// nBytes rounded up to whole huge pages; less than nBytes on overflow.
std::size_t RoundUpToHugePages(std::size_t nBytes)
{
    return (nBytes + kHugePageSize - 1) & ~(kHugePageSize - 1);
}

// Maps nBytes, a multiple of the huge page, starting on a huge page's
// boundary: only whole, aligned huge pages are huge. Null on failure.
char* MapOnHugePageBoundary(std::size_t nBytes, int nProtection)
{
    void* pMapping = mmap(nullptr, nBytes + kHugePageSize, nProtection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pMapping == MAP_FAILED)
        return nullptr;
    auto* const pStart = static_cast<char*>(pMapping);
    const std::size_t nOffset = reinterpret_cast<std::uintptr_t>(pStart) & (kHugePageSize - 1);
    char* const pBlock = nOffset == 0 ? pStart : pStart + (kHugePageSize - nOffset);
    if (pBlock != pStart)
        munmap(pStart, static_cast<std::size_t>(pBlock - pStart));
    const std::size_t nAfter = kHugePageSize - static_cast<std::size_t>(pBlock - pStart);
    if (nAfter != 0)
        munmap(pBlock + nBytes, nAfter);
    return pBlock;
}
#endif
} // namespace

bool IsLargeBlockSize(std::size_t nBytes)
{
#if defined(RIDAXO_HUGE_BLOCKS)
    // A block of one huge page and more: below that, a huge page's worth of
    // memory for a few values.
    return nBytes >= kHugePageSize && HasHugePages();
#else
    (void)nBytes;
    return false;
#endif
}

void* MapLargeBlock(std::size_t& nBytes)
{
#if defined(RIDAXO_HUGE_BLOCKS)
    const std::size_t nRounded = RoundUpToHugePages(nBytes);
    char* const pBlock = nRounded < nBytes ? nullptr : MapOnHugePageBoundary(nRounded, PROT_READ | PROT_WRITE);
    if (pBlock == nullptr)
        return nullptr;
    // Without huge pages after all, the block still works, page by page.
    madvise(pBlock, nRounded, MADV_HUGEPAGE);
    nBytes = nRounded;
    g_nLargeBlockBytes += nRounded;
    return pBlock;
#else
    (void)nBytes;
    return nullptr;
#endif
}

void* ResizeLargeBlock(void* pBlock, std::size_t nBytes, std::size_t& nNewBytes)
{
#if defined(RIDAXO_HUGE_BLOCKS)
    if (nNewBytes <= nBytes) {
        const std::size_t nPage = GetPageSize();
        const std::size_t nKept = std::min((nNewBytes + nPage - 1) / nPage * nPage, nBytes);
        if (nKept < nBytes)
            munmap(static_cast<char*>(pBlock) + nKept, nBytes - nKept);
        g_nLargeBlockBytes -= nBytes - nKept;
        nNewBytes = nKept;
        return pBlock;
    }
    const std::size_t nRounded = RoundUpToHugePages(nNewBytes);
    if (nRounded < nNewBytes)
        return nullptr;
    // The pages move, not what they hold: in place where nothing is mapped
    // after the block, else to a place reserved on a huge page's boundary,
    // where the huge pages stay whole.
    void* pGrown = mremap(pBlock, nBytes, nRounded, 0);
    if (pGrown == MAP_FAILED) {
        char* const pPlace = MapOnHugePageBoundary(nRounded, PROT_NONE);
        if (pPlace == nullptr)
            return nullptr;
        pGrown = mremap(pBlock, nBytes, nRounded, MREMAP_MAYMOVE | MREMAP_FIXED, pPlace);
        if (pGrown == MAP_FAILED) {
            munmap(pPlace, nRounded);
            return nullptr;
        }
    }
    g_nLargeBlockBytes += nRounded - nBytes;
    nNewBytes = nRounded;
    return pGrown;
#else
    (void)pBlock;
    (void)nBytes;
    (void)nNewBytes;
    return nullptr;
#endif
}

void UnmapLargeBlock(void* pBlock, std::size_t nBytes)
{
#if defined(RIDAXO_HUGE_BLOCKS)
    munmap(pBlock, nBytes);
    g_nLargeBlockBytes -= nBytes;
#else
    (void)pBlock;
    (void)nBytes;
#endif
}

std::size_t GetLargeBlockBytes()
{
    return g_nLargeBlockBytes;
}

std::size_t GetPageSize()
{
#if defined(__linux__)
    static const auto nPage = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return nPage;
#else
    return 4096;
#endif
}
