#pragma once

#include "PodArray.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// An array of non-decreasing 64-bit values (byte offsets into a file or a
// buffer, in order) that costs four bytes a value: it keeps the low
// kLowBits bits of each value, and separately the rare places where the
// high bits change - with 32 low bits, once every 4 GB. Files and name
// buffers under 4 GB have no such place at all, and a look-up is one read.
template <unsigned kLowBits = 32> class CMonotonicArray
{
    static_assert(kLowBits >= 1 && kLowBits <= 32);

public:
    std::size_t GetSize() const { return m_lows.GetSize(); }
    std::size_t GetAllocatedBytes() const
    {
        return m_lows.GetAllocatedBytes() + m_highs.capacity() * sizeof(m_highs[0]);
    }

    // Appends nValue, which must not be less than the last value.
    void Add(std::uint64_t nValue)
    {
        const std::uint64_t nHigh = nValue >> kLowBits;
        if (nHigh != m_nLastHigh) {
            m_highs.emplace_back(m_lows.GetSize(), nHigh);
            m_nLastHigh = nHigh;
        }
        m_lows.Add(static_cast<std::uint32_t>(nValue & kLowMask));
    }

    std::uint64_t operator[](std::size_t nPos) const
    {
        std::uint64_t nHigh = 0;
        if (!m_highs.empty() && nPos >= m_highs.front().first) {
            // The last change at or before nPos.
            const auto it = std::upper_bound(m_highs.begin(), m_highs.end(), nPos,
                                             [](std::size_t n, const auto& change) { return n < change.first; });
            nHigh = std::prev(it)->second;
        }
        return nHigh << kLowBits | m_lows[nPos];
    }

    // Gives back the spare room at the end.
    void FreeExtra()
    {
        m_lows.FreeExtra();
        m_highs.shrink_to_fit();
    }

    void Swap(CMonotonicArray& other) noexcept
    {
        m_lows.Swap(other.m_lows);
        m_highs.swap(other.m_highs);
        std::swap(m_nLastHigh, other.m_nLastHigh);
    }

private:
    static constexpr std::uint64_t kLowMask = (std::uint64_t{1} << kLowBits) - 1;

    CPodArray<std::uint32_t> m_lows;
    // (first position, high bits) wherever the high bits change.
    std::vector<std::pair<std::size_t, std::uint64_t>> m_highs;
    std::uint64_t m_nLastHigh = 0;
};
