#pragma once

// Only the model's own .cpp files include this header: it brings in the
// processor's SIMD intrinsics, which the headers that the windows include
// must not drag into every file of the window program.

#include <bit>
#include <cstddef>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// The first CR or LF in [p, pEnd), or null: where a line ends, whether at
// CR LF, a lone LF or a lone CR. Inline, sixteen bytes at a time where the
// processor allows: for the short lines of index files and name lines a
// call of a library search costs more than the search.
inline const char* FindLineEnd(const char* p, const char* pEnd)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    const __m128i returns = _mm_set1_epi8('\r');
    for (; pEnd - p >= 16; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto nMask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(here, lineFeeds), _mm_cmpeq_epi8(here, returns))));
        if (nMask != 0)
            return p + std::countr_zero(nMask);
    }
#endif
    for (; p < pEnd; ++p)
        if (*p == '\n' || *p == '\r')
            return p;
    return nullptr;
}
