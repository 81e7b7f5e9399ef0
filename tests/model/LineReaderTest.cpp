#include "LineReader.h"
#include "RidaxoError.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace
{
struct CLineAt
{
    std::string m_strLine;
    std::uint64_t m_nNextPosition;
    bool operator==(const CLineAt&) const = default;
};

std::vector<CLineAt> ReadAll(const std::string& strPath, std::size_t nBufferSize, std::size_t nMaxLength = SIZE_MAX)
{
    CLineReader reader(strPath, nBufferSize);
    std::vector<CLineAt> lines;
    std::string_view line;
    while (reader.ReadLine(line, nMaxLength))
        lines.push_back({std::string(line), reader.GetPosition()});
    EXPECT_TRUE(line.empty());
    return lines;
}
} // namespace

TEST(LineReaderTest, SplitsAtCrLfLoneLfAndLoneCrWhateverTheBufferSize)
{
    struct CCase
    {
        std::string_view m_strData;
        std::vector<CLineAt> m_expected;
    };
    const CCase cases[] = {
        {"", {}},
        {"a\r\nbc\r\n", {{"a", 3}, {"bc", 7}}},
        {"a\nbc\n", {{"a", 2}, {"bc", 5}}},
        {"last", {{"last", 4}}},                   // no terminator: still a line
        {"\n\r\n\n", {{"", 1}, {"", 3}, {"", 4}}}, // empty lines are lines
        {"a\rb\r\r\n", {{"a", 2}, {"b", 4}, {"", 6}}},
        {"x\r", {{"x", 2}}},
        // Blocks of 16 bytes end in the CR: the LF that begins the next one
        // pairs with it, after a line that fits a block and after one that
        // spans two.
        {"0123456789abcde\r\nf", {{"0123456789abcde", 17}, {"f", 18}}},
        {"0123456789abcde\rf\r", {{"0123456789abcde", 16}, {"f", 18}}},
        {"0123456789abcdef0123456789abcde\r\ng", {{"0123456789abcdef0123456789abcde", 33}, {"g", 34}}},
        {"a somewhat longer line that spans blocks\r\nand more\n",
         {{"a somewhat longer line that spans blocks", 42}, {"and more", 51}}},
    };
    CTempDir dir;
    for (const CCase& c : cases) {
        const std::string strPath = dir.Write("lines.txt", c.m_strData);
        // Capped, a line keeps its first bytes and the next line starts
        // where it did.
        std::vector<CLineAt> capped = c.m_expected;
        for (CLineAt& line : capped)
            line.m_strLine.resize(std::min<std::size_t>(line.m_strLine.size(), 5));
        for (std::size_t nBuffer : {16, 17, 64 * 1024}) {
            EXPECT_EQ(ReadAll(strPath, nBuffer), c.m_expected) << c.m_strData << " buffer " << nBuffer;
            EXPECT_EQ(ReadAll(strPath, nBuffer, 5), capped) << c.m_strData << " buffer " << nBuffer << " capped";
        }
    }
}

TEST(LineReaderTest, SeekContinuesAtAByteOffsetAndReportsThePath)
{
    CTempDir dir;
    const std::string strPath = dir.Write("seek.txt", "one\r\ntwo\r\nthree\r\n");
    CLineReader reader(strPath, 16);
    EXPECT_EQ(reader.GetFilePath(), strPath);
    EXPECT_EQ(reader.GetFileSize(), 17U);
    reader.Seek(5);
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "two");
    reader.Seek(100);
    EXPECT_FALSE(reader.ReadLine(line));
}

TEST(LineReaderTest, RefusesWhatIsNotARegularFile)
{
    CTempDir dir;
    const std::string strFifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    const std::string paths[] = {dir.File("missing.txt"), dir.GetPath().string(), strFifo, "/dev/zero"};
    for (const std::string& strPath : paths) {
        try {
            CLineReader reader(strPath);
            ADD_FAILURE() << "opened " << strPath;
        } catch (const CRidaxoError& error) {
            EXPECT_EQ(error.GetFile(), strPath);
            EXPECT_NE(error.GetCause().find("cannot open"), std::string::npos) << error.what();
        }
    }
}

TEST(LineReaderTest, ReportsARelativePathInFullForm)
{
    CTempDir dir;
    dir.Write("rel.txt", "x\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.GetPath());
    const std::string strRelative = "../" + dir.GetPath().filename().string() + "/./rel.txt";
    CLineReader reader(strRelative);
    std::filesystem::current_path(previous);
    EXPECT_EQ(reader.GetFilePath(), dir.File("rel.txt"));
}

TEST(LineReaderTest, BlocksHandOutTheRestOfTheFileReadOrMapped)
{
    CTempDir dir;
    const std::string data = "first\r\n" + std::string(5000, 'x') + "\nlast";
    const std::string strPath = dir.Write("blocks.txt", data);
    struct CCase
    {
        std::size_t m_nBuffer;
        std::uint64_t m_nMapThreshold;
    };
    const CCase cases[] = {{16, CLineReader::kNeverMap}, {4096, CLineReader::kNeverMap}, {16, 0}, {16, 100000}};
    for (const CCase& c : cases) {
        CLineReader reader(strPath, c.m_nBuffer, c.m_nMapThreshold);
        std::string_view line;
        ASSERT_TRUE(reader.ReadLine(line)); // blocks continue after a line
        std::string rest;
        std::string_view block;
        while (reader.ReadBlock(block)) {
            rest += block;
            EXPECT_EQ(reader.GetPosition(), 7 + rest.size());
        }
        EXPECT_TRUE(block.empty());
        EXPECT_EQ(rest, data.substr(7)) << c.m_nBuffer << " " << c.m_nMapThreshold;
    }
}

TEST(LineReaderTest, AFileCutShortWhileItsMappingIsReadIsAnErrorNotABusError)
{
    CTempDir dir;
    const std::string strPath = dir.Write("shrinks.txt", std::string(std::size_t{3} << 20, 'x'));
    CLineReader reader(strPath, 4096, 1 << 20);
    std::string_view block;
    ASSERT_TRUE(reader.ReadBlock(block));
    std::size_t nSum = 0;
    // The reading cuts the file itself, as another program would, before it
    // reads the mapped bytes; with a call that allocates nothing, as the
    // guard asks.
    EXPECT_THROW(reader.ReadGuarded([&] {
        ASSERT_EQ(truncate(strPath.c_str(), 0), 0);
        for (const char ch : block)
            nSum += static_cast<unsigned char>(ch);
    }),
                 CRidaxoError);
    // A read that works afterwards finds bus errors handled as usual again.
    const std::string strOther = dir.Write("other.txt", std::string(std::size_t{2} << 20, 'y'));
    CLineReader other(strOther, 4096, 1 << 20);
    std::uint64_t nRead = 0;
    while (other.ReadBlock(block))
        other.ReadGuarded([&] { nRead += std::count(block.begin(), block.end(), 'y'); });
    EXPECT_EQ(nRead, std::uint64_t{2} << 20);
}

TEST(LineReaderTest, ReadsTheFileAsLargeAsItWasWhenOpened)
{
    CTempDir dir;
    const std::string strPath = dir.Write("grows.txt", "a\nb\n");
    for (const std::uint64_t nMapThreshold : {CLineReader::kNeverMap, std::uint64_t{0}}) {
        WriteBytes(strPath, "a\nb\n");
        CLineReader reader(strPath, 16, nMapThreshold);
        EXPECT_EQ(reader.GetFileStamp(), ReadFileStamp(strPath));
        WriteBytes(strPath, std::string(100, 'z') + "\n");
        std::string all;
        std::string_view block;
        while (reader.ReadBlock(block))
            all += block;
        EXPECT_EQ(all.size(), 4U) << "only the four bytes there were at opening";
        EXPECT_EQ(reader.GetFileSize(), 4U);
    }
    // Files of the system that claim no size are read as empty rather than
    // without end.
    CLineReader proc("/proc/self/maps");
    std::string_view line;
    EXPECT_FALSE(proc.ReadLine(line));
    EXPECT_FALSE(ReadFileStamp(dir.GetPath().string()).has_value()) << "a folder has no stamp";
}
