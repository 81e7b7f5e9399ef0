#include "BlockWriter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

TEST(BlockWriterTest, BlocksJoinToWhatWasWrittenWhereverTheyBreak)
{
    // Text longer than a block, numbers at a block's end, and the widest
    // number there is.
    const std::string longText(150, 'x');
    const long long numbers[] = {0, -1, 7, 2147483647, LLONG_MIN, LLONG_MAX};
    std::string expected;
    for (int nRound = 0; nRound < 3; ++nRound) {
        expected += "\"name\"\n" + longText;
        for (long long n : numbers)
            expected += std::to_string(n) + "\n";
    }
    for (std::size_t nBlockSize : {1, 64, 65, 100, 4096}) {
        std::vector<std::string> blocks;
        CBlockWriter writer([&](std::string_view data) { blocks.emplace_back(data); }, nBlockSize);
        for (int nRound = 0; nRound < 3; ++nRound) {
            writer.WriteChar('"');
            writer.Write("name\"\n");
            writer.Write(longText);
            for (long long n : numbers)
                writer.WriteNumberLine(n);
        }
        writer.Flush();
        writer.Flush(); // nothing more to hand out
        std::string joined;
        for (const std::string& block : blocks) {
            EXPECT_FALSE(block.empty());
            EXPECT_LE(block.size(), std::max<std::size_t>(nBlockSize, 64));
            joined += block;
        }
        EXPECT_EQ(joined, expected) << "block size " << nBlockSize;
    }
}
