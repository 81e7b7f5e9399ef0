#include "MonotonicArray.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(MonotonicArrayTest, ReadsBackRisingValuesAcrossChangesOfTheHighBits)
{
    // With four low bits the high bits change every 16: steps of 0 (equal
    // values), small steps, and jumps over several changes at once, from 0
    // and from far up.
    std::mt19937 random(5);
    for (std::uint64_t nStart : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
        CMonotonicArray<4> values;
        std::vector<std::uint64_t> expected;
        std::uint64_t nValue = nStart;
        for (int i = 0; i < 2000; ++i) {
            const unsigned nKind = random() % 4;
            nValue += nKind == 0 ? 0 : nKind == 3 ? random() % 200 : random() % 10;
            values.Add(nValue);
            expected.push_back(nValue);
        }
        values.FreeExtra();
        CMonotonicArray<4> swapped;
        swapped.Swap(values);
        ASSERT_EQ(swapped.GetSize(), expected.size());
        EXPECT_EQ(values.GetSize(), 0U);
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(swapped[i], expected[i]) << "at " << i;
    }
}
