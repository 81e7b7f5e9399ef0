#include "PodArray.h"

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

std::size_t PageSize()
{
    static const auto nPage = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return nPage;
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
    // Mapped with a huge page to spare, so that the block can start on a
    // huge page's boundary: only whole, aligned huge pages are huge.
    const std::size_t nRounded = (nBytes + kHugePageSize - 1) & ~(kHugePageSize - 1);
    if (nRounded < nBytes)
        return nullptr;
    void* pMapping =
        mmap(nullptr, nRounded + kHugePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pMapping == MAP_FAILED)
        return nullptr;
    auto* const pStart = static_cast<char*>(pMapping);
    auto* const pBlock = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(pStart) + kHugePageSize - 1) &
                                                 ~std::uintptr_t{kHugePageSize - 1});
    if (pBlock != pStart)
        munmap(pStart, static_cast<std::size_t>(pBlock - pStart));
    const std::size_t nAfter = kHugePageSize - static_cast<std::size_t>(pBlock - pStart);
    if (nAfter != 0)
        munmap(pBlock + nRounded, nAfter);
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

std::size_t TrimLargeBlock(void* pBlock, std::size_t nBytes, std::size_t nKeep)
{
#if defined(RIDAXO_HUGE_BLOCKS)
    const std::size_t nPage = PageSize();
    const std::size_t nKept = (nKeep + nPage - 1) / nPage * nPage;
    if (nKept >= nBytes)
        return nBytes;
    munmap(static_cast<char*>(pBlock) + nKept, nBytes - nKept);
    g_nLargeBlockBytes -= nBytes - nKept;
    return nKept;
#else
    (void)pBlock;
    (void)nKeep;
    return nBytes;
#endif
}

std::size_t GetLargeBlockBytes()
{
    return g_nLargeBlockBytes;
}
