#include "LineReader.h"

#include "FindLineEnd.h"
#include "RidaxoError.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <chrono>
#else
#include <csetjmp>
#include <csignal>
#include <sys/mman.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace
{
int SeekFile(std::FILE* pFile, std::uint64_t nOffset)
{
#ifdef _WIN32
    return _fseeki64(pFile, static_cast<__int64>(nOffset), SEEK_SET);
#else
    return fseeko(pFile, static_cast<off_t>(nOffset), SEEK_SET);
#endif
}

#ifndef _WIN32
// The whole of a mapped file is read (the search of a loaded store's bodies
// maps the file), so its pages are mapped in the one call where the system
// offers it, rather than by a trap for every sixteen on first touch: when
// the import still mapped files, it took 8% less time so.
#if defined(MAP_POPULATE)
constexpr int kMapFlags = MAP_PRIVATE | MAP_POPULATE;
#else
constexpr int kMapFlags = MAP_PRIVATE;
#endif

CFileStamp MakeStamp(const struct stat& status)
{
    CFileStamp stamp;
    stamp.m_nSize = status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    stamp.m_nModifiedNs = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return stamp;
}

// Where a bus error in a guarded read of a mapped block returns to, on the
// thread that reads; null outside such a read.
thread_local sigjmp_buf* t_pGuardedReadJump = nullptr;
// How many readers hold a mapping, and what handled bus errors before the
// first of them put OnBusError in place.
int g_nBusErrorHolders = 0;
struct sigaction g_previousBusAction
{};

void OnBusError(int /*nSignal*/, siginfo_t* /*pInfo*/, void* /*pContext*/)
{
    if (sigjmp_buf* pJump = t_pGuardedReadJump) {
        t_pGuardedReadJump = nullptr;
        siglongjmp(*pJump, 1);
    }
    // A fault elsewhere: the earlier handling takes over when the faulting
    // instruction runs again.
    sigaction(SIGBUS, &g_previousBusAction, nullptr);
}

// Bus errors go to OnBusError from the first HoldBusErrorHandler to the
// last ReleaseBusErrorHandler. The handler stays in place for as long as a
// mapping is held rather than for each guarded read: a guarded read is
// then no system call at all, where setting the handler each time made
// loading a large file measurably slower.
void HoldBusErrorHandler()
{
    if (g_nBusErrorHolders++ != 0)
        return;
    struct sigaction action
    {};
    action.sa_sigaction = OnBusError;
    // SA_NODEFER leaves bus errors unblocked in the handler, so the jump out
    // of it has no signal mask to restore (see CallCatchingBusError).
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previousBusAction);
}

void ReleaseBusErrorHandler()
{
    if (--g_nBusErrorHolders == 0)
        sigaction(SIGBUS, &g_previousBusAction, nullptr);
}

// Calls fnRead; false when a bus error ended it. The bytes of a mapped file
// that is cut short vanish under the reading, and touching them raises a
// bus error, which comes back here instead of ending the process. Checking
// the size beforehand would not do: the file can shrink at any moment.
bool CallCatchingBusError(const std::function<void()>& fnRead)
{
    // Should fnRead throw, no later bus error may jump into this frame.
    struct CJumpReset
    {
        ~CJumpReset() { t_pGuardedReadJump = nullptr; }
    };
    const CJumpReset reset{};
    sigjmp_buf jump;
    // The signal mask is left as it is, as the handler never blocks bus
    // errors; saving it would cost a system call each time.
    if (sigsetjmp(jump, 0) != 0)
        return false;
    t_pGuardedReadJump = &jump;
    fnRead();
    return true;
}
#endif
} // namespace

std::optional<CFileStamp> ReadFileStamp(const std::string& strPath)
{
#ifndef _WIN32
    struct stat status
    {};
    if (stat(strPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return MakeStamp(status);
#else
    std::error_code ec;
    const fs::path path(strPath);
    if (!fs::is_regular_file(path, ec))
        return std::nullopt;
    CFileStamp stamp;
    stamp.m_nSize = fs::file_size(path, ec);
    stamp.m_nModifiedNs = static_cast<std::int64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(fs::last_write_time(path, ec).time_since_epoch()).count());
    return ec ? std::nullopt : std::optional<CFileStamp>(stamp);
#endif
}

std::string MakeFullPath(const std::string& strPath)
{
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(strPath), ec);
    if (ec)
        return strPath;
    return path.lexically_normal().string();
}

std::string GetLowerExtension(const std::string& strPath)
{
    std::string strName = fs::path(strPath).filename().string();
    for (char& ch : strName)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    const std::size_t nDot = strName.rfind('.');
    return nDot == std::string::npos ? strName : strName.substr(nDot + 1);
}

CLineReader::CLineReader(const std::string& strPath, std::size_t nBufferSize, std::uint64_t nMapThreshold)
    : m_strPath(MakeFullPath(strPath)), m_buffer(nBufferSize < 16 ? 16 : nBufferSize), m_nMapThreshold(nMapThreshold)
{
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(strPath), ec);
    if (ec)
        throw CRidaxoError(m_strPath, EErrorCause::OpenFailed, ec.value());
    if (fs::is_directory(status))
        throw CRidaxoError(m_strPath, EErrorCause::OpenFolder);
    if (!fs::is_regular_file(status))
        throw CRidaxoError(m_strPath, EErrorCause::OpenNotRegularFile);
    m_pFile = std::fopen(strPath.c_str(), "rb");
    if (m_pFile == nullptr)
        throw CRidaxoError(m_strPath, EErrorCause::OpenFailed, errno);
    // The reader does its own buffering in large blocks.
    std::setvbuf(m_pFile, nullptr, _IONBF, 0);
#ifndef _WIN32
    // The stamp of the file that was opened, not of whatever the path names
    // by now.
    struct stat opened
    {};
    if (fstat(fileno(m_pFile), &opened) == 0)
        m_stamp = MakeStamp(opened);
#else
    m_stamp = ReadFileStamp(strPath).value_or(CFileStamp{});
#endif
}

CLineReader::~CLineReader()
{
    Unmap();
    if (m_pFile != nullptr)
        std::fclose(m_pFile);
}

bool CLineReader::Fill()
{
    m_nBufferStart += m_nEnd;
    m_nBegin = 0;
    // Never beyond the size at opening: a file that grows without end (or a
    // file of the system's such as those under /proc, which claims no size
    // at all) would otherwise never be read to its end.
    const std::uint64_t nLeft = m_stamp.m_nSize > m_nBufferStart ? m_stamp.m_nSize - m_nBufferStart : 0;
    const std::size_t nWanted = nLeft < m_buffer.size() ? static_cast<std::size_t>(nLeft) : m_buffer.size();
    m_nEnd = nWanted == 0 ? 0 : std::fread(m_buffer.data(), 1, nWanted, m_pFile);
    if (m_nEnd == 0 && std::ferror(m_pFile))
        throw CRidaxoError(m_strPath, EErrorCause::ReadFailed, errno);
    return m_nEnd > 0;
}

bool CLineReader::ReadLine(std::string_view& line, std::size_t nMaxLength)
{
    // Keeps what the line's cap leaves room for of the next piece of it.
    const auto carry = [this, nMaxLength](const char* p, std::size_t nLength) {
        m_strCarry.append(p, std::min(nLength, nMaxLength - std::min(nMaxLength, m_strCarry.size())));
    };
    bool bCarry = false;
    for (;;) {
        if (m_nBegin == m_nEnd && !Fill()) {
            if (!bCarry) {
                line = {};
                return false;
            }
            line = m_strCarry;
            break;
        }
        const char* pBegin = m_buffer.data() + m_nBegin;
        const std::size_t nAvailable = m_nEnd - m_nBegin;
        const char* pLineEnd = FindLineEnd(pBegin, pBegin + nAvailable);
        if (pLineEnd == nullptr) {
            if (!bCarry)
                m_strCarry.clear();
            carry(pBegin, nAvailable);
            bCarry = true;
            m_nBegin = m_nEnd;
            continue;
        }
        const auto nLength = static_cast<std::size_t>(pLineEnd - pBegin);
        m_nBegin += nLength + 1;
        if (*pLineEnd == '\r' && m_nBegin == m_nEnd) {
            // A CR that ends the block may pair with an LF that begins the
            // next, which the buffer is about to be overwritten with: the
            // line is set aside first.
            if (!bCarry)
                m_strCarry.clear();
            carry(pBegin, nLength);
            line = m_strCarry;
            if (Fill() && m_buffer[0] == '\n')
                m_nBegin = 1;
            break;
        }
        if (*pLineEnd == '\r' && m_buffer[m_nBegin] == '\n')
            ++m_nBegin;
        if (bCarry) {
            carry(pBegin, nLength);
            line = m_strCarry;
        } else {
            line = std::string_view(pBegin, std::min(nLength, nMaxLength));
        }
        break;
    }
    ++m_nLinesRead;
    return true;
}

bool CLineReader::ReadBlock(std::string_view& block)
{
    Unmap();
    if (m_nBegin == m_nEnd && MapRest(block))
        return true;
    if (m_nBegin == m_nEnd && !Fill()) {
        block = {};
        return false;
    }
    block = std::string_view(m_buffer.data() + m_nBegin, m_nEnd - m_nBegin);
    m_nBegin = m_nEnd;
    return true;
}

bool CLineReader::ReadLineBlock(std::string_view& block)
{
    Unmap();
    if (m_nBegin == m_nEnd && MapRest(block))
        return true;
    // How many bytes held from m_nBegin on are known to end no line.
    std::size_t nNoLineEnd = 0;
    for (;;) {
        const bool bFileEnds = m_nBufferStart + m_nEnd >= m_stamp.m_nSize;
        std::size_t nCut = m_nEnd;
        if (!bFileEnds) {
            // After the last line end held; a CR at the very end may pair
            // with an LF still in the file.
            if (nCut > m_nBegin && m_buffer[nCut - 1] == '\r')
                --nCut;
            while (nCut > m_nBegin + nNoLineEnd && m_buffer[nCut - 1] != '\n' && m_buffer[nCut - 1] != '\r')
                --nCut;
            if (nCut == m_nBegin + nNoLineEnd)
                nCut = m_nBegin;
        }
        if (nCut > m_nBegin) {
            block = std::string_view(m_buffer.data() + m_nBegin, nCut - m_nBegin);
            m_nBegin = nCut;
            return true;
        }
        if (bFileEnds) {
            block = {};
            return false;
        }
        // No line ends in what is held: more of the file, in a larger
        // buffer when one line fills this one.
        nNoLineEnd = m_nEnd - m_nBegin;
        if (nNoLineEnd != 0 && m_buffer[m_nEnd - 1] == '\r')
            --nNoLineEnd;
        if (m_nEnd - m_nBegin == m_buffer.size())
            m_buffer.resize(m_buffer.size() * 2);
        if (!TopUp()) {
            // The file ended early, cut short since it was opened.
            block = std::string_view(m_buffer.data() + m_nBegin, m_nEnd - m_nBegin);
            m_nBegin = m_nEnd;
            return !block.empty();
        }
    }
}

bool CLineReader::TopUp()
{
    const std::size_t nKept = m_nEnd - m_nBegin;
    if (nKept != 0 && m_nBegin != 0)
        std::memmove(m_buffer.data(), m_buffer.data() + m_nBegin, nKept);
    m_nBufferStart += m_nBegin;
    m_nBegin = 0;
    m_nEnd = nKept;
    const std::uint64_t nFileEnd = m_nBufferStart + m_nEnd;
    const std::uint64_t nLeft = m_stamp.m_nSize > nFileEnd ? m_stamp.m_nSize - nFileEnd : 0;
    const std::size_t nRoom = m_buffer.size() - m_nEnd;
    const std::size_t nWanted = nLeft < nRoom ? static_cast<std::size_t>(nLeft) : nRoom;
    const std::size_t nRead = nWanted == 0 ? 0 : std::fread(m_buffer.data() + m_nEnd, 1, nWanted, m_pFile);
    if (nRead == 0 && nWanted != 0 && std::ferror(m_pFile))
        throw CRidaxoError(m_strPath, EErrorCause::ReadFailed, errno);
    m_nEnd += nRead;
    return nRead > 0;
}

bool CLineReader::MapRest(std::string_view& block)
{
#ifndef _WIN32
    if (m_nMapThreshold == kNeverMap)
        return false;
    const std::uint64_t nFileSize = m_stamp.m_nSize;
    const std::uint64_t nPosition = GetPosition();
    if (nPosition >= nFileSize || nFileSize - nPosition < m_nMapThreshold || nFileSize > SIZE_MAX)
        return false;
    // Mapped from the start of the file, as a mapping must begin at a page.
    void* pMapping = mmap(nullptr, static_cast<std::size_t>(nFileSize), PROT_READ, kMapFlags, fileno(m_pFile), 0);
    if (pMapping == MAP_FAILED)
        return false;
    m_pMapping = pMapping;
    m_nMappingSize = static_cast<std::size_t>(nFileSize);
    HoldBusErrorHandler();
    Seek(nFileSize);
    block = std::string_view(static_cast<const char*>(pMapping) + nPosition,
                             static_cast<std::size_t>(nFileSize - nPosition));
    return true;
#else
    (void)block;
    return false;
#endif
}

void CLineReader::ReadGuarded(const std::function<void()>& fnRead)
{
    if (m_pMapping == nullptr) {
        fnRead();
        return;
    }
#ifndef _WIN32
    if (!CallCatchingBusError(fnRead))
        throw CRidaxoError(m_strPath, EErrorCause::ReadCutShort);
#else
    fnRead();
#endif
}

void CLineReader::Unmap()
{
#ifndef _WIN32
    if (m_pMapping != nullptr) {
        munmap(m_pMapping, m_nMappingSize);
        ReleaseBusErrorHandler();
    }
#endif
    m_pMapping = nullptr;
    m_nMappingSize = 0;
}

void CLineReader::Seek(std::uint64_t nOffset)
{
    if (SeekFile(m_pFile, nOffset) != 0)
        throw CRidaxoError(m_strPath, EErrorCause::SeekFailed, errno);
    m_nBufferStart = nOffset;
    m_nBegin = 0;
    m_nEnd = 0;
}
