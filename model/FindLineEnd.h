#pragma once

// Only the model's own .cpp files include this header: it brings in the
// processor's SIMD intrinsics, which the headers that the windows include
// must not drag into every file of the window program.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

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

// The first occurrence of needle in [p, pEnd), or null; an empty needle is
// found at p. Sixteen places at a time where the processor allows: a place
// is looked at closely only when it holds the needle's first and last
// bytes, which for code page 932 text (where a few lead bytes stand before
// every other byte) skips far more than a search for the first byte alone.
inline const char* FindBytes(const char* p, const char* pEnd, std::string_view needle)
{
    const std::size_t nSize = needle.size();
    if (nSize == 0)
        return p <= pEnd ? p : nullptr;
    if (pEnd - p < static_cast<std::ptrdiff_t>(nSize))
        return nullptr;
    const char chFirst = needle.front();
    const char chLast = needle.back();
#if defined(__SSE2__) || defined(_M_X64)
    if (nSize > 1) {
        const __m128i firsts = _mm_set1_epi8(chFirst);
        const __m128i lasts = _mm_set1_epi8(chLast);
        const auto pairs = [&](const char* pAt) {
            const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt));
            const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pAt + nSize - 1));
            return _mm_and_si128(_mm_cmpeq_epi8(heads, firsts), _mm_cmpeq_epi8(tails, lasts));
        };
        // Sixty-four places a round, with one branch, while a rare needle
        // leaves whole rounds without a candidate; the last load reads up
        // to p + nSize - 1 + 64.
        for (; pEnd - p >= static_cast<std::ptrdiff_t>(nSize + 63); p += 64) {
            const __m128i first = pairs(p);
            const __m128i second = pairs(p + 16);
            const __m128i third = pairs(p + 32);
            const __m128i fourth = pairs(p + 48);
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(first, second), _mm_or_si128(third, fourth))) == 0)
                continue;
            const auto mask = [](__m128i found, int nShift) {
                return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(found))) << nShift;
            };
            for (std::uint64_t nMask = mask(first, 0) | mask(second, 16) | mask(third, 32) | mask(fourth, 48);
                 nMask != 0; nMask &= nMask - 1) {
                const char* pAt = p + std::countr_zero(nMask);
                if (std::memcmp(pAt + 1, needle.data() + 1, nSize - 2) == 0)
                    return pAt;
            }
        }
        for (; pEnd - p >= static_cast<std::ptrdiff_t>(nSize + 15); p += 16) {
            for (auto nMask = static_cast<unsigned>(_mm_movemask_epi8(pairs(p))); nMask != 0; nMask &= nMask - 1) {
                const char* pAt = p + std::countr_zero(nMask);
                if (std::memcmp(pAt + 1, needle.data() + 1, nSize - 2) == 0)
                    return pAt;
            }
        }
    }
#endif
    for (const char* pLastStart = pEnd - nSize; p <= pLastStart; ++p) {
        p = static_cast<const char*>(std::memchr(p, chFirst, static_cast<std::size_t>(pLastStart - p) + 1));
        if (p == nullptr)
            return nullptr;
        if (p[nSize - 1] == chLast && std::memcmp(p, needle.data(), nSize) == 0)
            return p;
    }
    return nullptr;
}
