#include "PodArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

// The array maps the pages of large blocks ahead of the values written, and
// keeps its own count of how far they are mapped: every way of growing,
// shrinking and swapping must leave the values and that count true. Large
// enough to cross the size where pages are mapped ahead several times; under
// AddressSanitizer a value written past the room is caught.
TEST(PodArrayTest, ALargeArrayKeepsItsValuesThroughEveryWayOfGrowingAndShrinking)
{
    std::mt19937 random(11);
    CPodArray<char> values;
    std::vector<char> expected;
    const auto check = [&](int nRound) {
        ASSERT_EQ(values.GetSize(), expected.size()) << "round " << nRound;
        ASSERT_TRUE(expected.empty() || std::memcmp(values.GetData(), expected.data(), expected.size()) == 0)
            << "round " << nRound;
    };
    std::vector<char> chunk(std::size_t{300} * 1024);
    for (int nRound = 0; nRound < 400; ++nRound) {
        for (char& ch : chunk)
            ch = static_cast<char>(random());
        switch (random() % 8) {
        case 0:
        case 1: {
            const std::size_t nCount = random() % chunk.size();
            values.Append(chunk.data(), nCount);
            expected.insert(expected.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(nCount));
            break;
        }
        case 2:
            for (int i = 0; i < 5000; ++i) {
                values.Add(chunk[static_cast<std::size_t>(i)]);
                expected.push_back(chunk[static_cast<std::size_t>(i)]);
            }
            break;
        case 3:
            // As the loaders write names: room made first, then short copies.
            values.Reserve(values.GetSize() + 16 * 1000);
            for (std::size_t i = 0; i < 1000; ++i) {
                values.AppendShort<16>(chunk.data() + 16 * i, 10);
                expected.insert(expected.end(), chunk.begin() + static_cast<std::ptrdiff_t>(16 * i),
                                chunk.begin() + static_cast<std::ptrdiff_t>(16 * i + 10));
            }
            break;
        case 4: {
            const std::size_t nPos = expected.empty() ? 0 : random() % expected.size();
            const std::size_t nCount = random() % 100000;
            values.Erase(nPos, nCount);
            const std::size_t nErased = std::min(nCount, expected.size() - nPos);
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(nPos),
                           expected.begin() + static_cast<std::ptrdiff_t>(nPos + nErased));
            break;
        }
        case 5:
            if (random() % 4 == 0) {
                const std::size_t nSize = expected.empty() ? 0 : random() % expected.size();
                values.Truncate(nSize);
                expected.resize(nSize);
            }
            values.FreeExtra();
            break;
        case 6: {
            // A swap takes each block's count of mapped room along: the array
            // that gets the small block must grow before it takes much.
            CPodArray<char> small;
            small.Add('x');
            values.Swap(small);
            values.Append(chunk.data(), chunk.size());
            ASSERT_EQ(values.GetSize(), chunk.size() + 1);
            EXPECT_EQ(std::memcmp(values.GetData() + 1, chunk.data(), chunk.size()), 0);
            values.Swap(small);
            break;
        }
        default:
            if (expected.size() > std::size_t{6} << 20) {
                values.Truncate(0);
                values.FreeExtra();
                expected.clear();
            }
            break;
        }
        check(nRound);
    }
}
