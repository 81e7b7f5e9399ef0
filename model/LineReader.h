#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a file looked like at one moment: a size or modification time that
// differs later tells that the file was written since.
struct CFileStamp
{
    std::uint64_t m_nSize = 0;
    std::int64_t m_nModifiedNs = 0; // nanoseconds since the epoch
    bool operator==(const CFileStamp&) const = default;
};

// The stamp of the regular file at strPath now; std::nullopt when there is
// none, or it cannot be looked at.
std::optional<CFileStamp> ReadFileStamp(const std::string& strPath);

// A buffered line reader over one file opened by path. Lines end at the pair
// CR LF, at a lone LF or at a lone CR, as files written on Windows, on Unix
// and on old Macs end them; a last line without terminator is still a line.
// Reads large blocks and hands out views into them, so reading a line costs
// no allocation unless it spans two blocks. The reader reads the file as
// large as it was when opened: bytes that another program appends later are
// not read, so the stamp taken at opening describes what was read.
class CLineReader
{
public:
    static constexpr std::size_t kDefaultBufferSize = std::size_t{64} * 1024;
    static constexpr std::uint64_t kNeverMap = UINT64_MAX;

    // Opens strPath for reading. Throws CRidaxoError naming the file when it
    // cannot be opened or is not a regular file (a folder, a FIFO or a device
    // would hang the reader or never end). With nMapThreshold, ReadBlock maps
    // the rest of the file into memory instead of reading it when at least
    // that many bytes are left and the system offers mapping.
    explicit CLineReader(const std::string& strPath, std::size_t nBufferSize = kDefaultBufferSize,
                         std::uint64_t nMapThreshold = kNeverMap);
    virtual ~CLineReader();

    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    // Reads the next line, without its terminator, into line; the view stays
    // valid until the next call. Returns false, with an empty line, when no
    // byte is left. Throws CRidaxoError on a read error. A line longer than
    // nMaxLength bytes gives its first nMaxLength bytes, and the rest of it
    // is passed over without being kept: a line of any length then costs
    // the reader no more memory than that.
    bool ReadLine(std::string_view& line, std::size_t nMaxLength = SIZE_MAX);

    // Reads the next bytes, as many as one block holds, into block, for
    // callers that find line ends themselves; the view stays valid until the
    // next call. Returns false, with an empty block, when no byte is left.
    // Throws CRidaxoError on a read error.
    //
    // When the reader maps (see the constructor), the block is everything
    // from the current position to the end of the file, mapped into memory.
    // A program that cut the file short while it is mapped would make
    // reading it fail with a bus error, which ends the process; the mapping
    // is held only until the next call. ReadGuarded guards against that.
    bool ReadBlock(std::string_view& block);

    // As ReadBlock, but the block holds whole lines: it ends after a line
    // end (a CR LF pair kept together) or at the end of the file. A line
    // longer than the buffer makes the buffer grow to hold it. For callers
    // that take a block line by line but need no line to straddle two.
    bool ReadLineBlock(std::string_view& block);

    // Runs fnRead, which reads bytes of the block that ReadBlock handed out
    // last. When that block is mapped and another program cuts the file
    // short while fnRead reads it, throws CRidaxoError instead of the bus
    // error. fnRead is then left by a jump that destroys nothing on its way,
    // so fnRead must neither allocate (a jump out of the allocator breaks
    // it) nor create anything that needs destroying; whatever it wrote so
    // far is to be dropped. While any reader holds a mapping, bus errors are
    // the readers' to handle: only one thread at a time may map files.
    void ReadGuarded(const std::function<void()>& fnRead);

    // Continues reading at byte nOffset from the start of the file.
    void Seek(std::uint64_t nOffset);

    // Byte offset from the start of the file of the first byte not yet read
    // as part of a line: after ReadLine, the start of the next line.
    std::uint64_t GetPosition() const { return m_nBufferStart + m_nBegin; }

    // How many lines ReadLine has read since the file was opened: when it
    // read from the start without seeking, the number of the line just read.
    std::uint64_t GetLinesRead() const { return m_nLinesRead; }

    // Full path of the file, as it was opened.
    const std::string& GetFilePath() const { return m_strPath; }

    // Size of the file in bytes when it was opened.
    std::uint64_t GetFileSize() const { return m_stamp.m_nSize; }
    // Size and modification time of the file when it was opened.
    const CFileStamp& GetFileStamp() const { return m_stamp; }

private:
    bool Fill();
    // Moves the bytes not yet read to the start of the buffer and reads
    // more after them, as many as the buffer holds; false when the file has
    // no more.
    bool TopUp();
    bool MapRest(std::string_view& block);
    void Unmap();

    std::string m_strPath;
    std::FILE* m_pFile = nullptr;
    CFileStamp m_stamp;
    std::vector<char> m_buffer;
    std::uint64_t m_nBufferStart = 0; // file offset of m_buffer[0]
    std::size_t m_nBegin = 0;         // first unread byte in m_buffer
    std::size_t m_nEnd = 0;           // end of the valid bytes in m_buffer
    std::string m_strCarry;           // a line that spans two blocks
    std::uint64_t m_nLinesRead = 0;
    std::uint64_t m_nMapThreshold;
    void* m_pMapping = nullptr; // the block ReadBlock mapped, if any
    std::size_t m_nMappingSize = 0;
};

// The full form of a path, in the operating system's encoding: made absolute
// against the current folder and with "." and ".." steps resolved.
std::string MakeFullPath(const std::string& strPath);

// The lower-cased text after the last "." of the path's file name, or the
// whole name when it has none. A path is in the system's encoding, never
// code page 932: the "." is found byte by byte.
std::string GetLowerExtension(const std::string& strPath);
