#pragma once

// Only the model's own .cpp files include this header: it brings in the
// processor's SIMD intrinsics, which the headers that the windows include
// must not drag into every file of the window program.

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// The first LF in [p, pEnd), or null. Inline, sixteen bytes at a time where
// the processor allows: for the short lines of index files and name lines a
// call of memchr costs more than the search.
inline const char* FindLineFeed(const char* p, const char* pEnd)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i newLines = _mm_set1_epi8('\n');
    for (; pEnd - p >= 16; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto nMask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, newLines)));
        if (nMask != 0)
            return p + std::countr_zero(nMask);
    }
#endif
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(pEnd - p)));
}
