#include "LineReader.h"

#include "RidaxoError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
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
} // namespace

std::string MakeFullPath(const std::string& strPath)
{
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(strPath), ec);
    if (ec)
        return strPath;
    return path.lexically_normal().string();
}

CLineReader::CLineReader(const std::string& strPath, std::size_t nBufferSize, std::uint64_t nMapThreshold)
    : m_strPath(MakeFullPath(strPath)), m_buffer(nBufferSize < 16 ? 16 : nBufferSize), m_nMapThreshold(nMapThreshold)
{
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(strPath), ec);
    if (ec)
        throw CRidaxoError(m_strPath, "cannot open: " + ec.message());
    if (fs::is_directory(status))
        throw CRidaxoError(m_strPath, "cannot open: it is a folder, not a file");
    if (!fs::is_regular_file(status))
        throw CRidaxoError(m_strPath, "cannot open: it is not a regular file");
    m_pFile = std::fopen(strPath.c_str(), "rb");
    if (m_pFile == nullptr)
        throw CRidaxoError(m_strPath, std::string("cannot open: ") + std::strerror(errno));
    // The reader does its own buffering in large blocks.
    std::setvbuf(m_pFile, nullptr, _IONBF, 0);
    m_nFileSize = fs::file_size(fs::path(strPath), ec);
    if (ec)
        m_nFileSize = 0;
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
    m_nEnd = std::fread(m_buffer.data(), 1, m_buffer.size(), m_pFile);
    if (m_nEnd == 0 && std::ferror(m_pFile))
        throw CRidaxoError(m_strPath, std::string("cannot read: ") + std::strerror(errno));
    return m_nEnd > 0;
}

bool CLineReader::ReadLine(std::string_view& line)
{
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
        const char* pNewLine = FindLineFeed(pBegin, pBegin + nAvailable);
        if (pNewLine == nullptr) {
            if (!bCarry)
                m_strCarry.clear();
            m_strCarry.append(pBegin, nAvailable);
            bCarry = true;
            m_nBegin = m_nEnd;
            continue;
        }
        const auto nLength = static_cast<std::size_t>(pNewLine - pBegin);
        m_nBegin += nLength + 1;
        if (bCarry) {
            m_strCarry.append(pBegin, nLength);
            line = m_strCarry;
        } else {
            line = std::string_view(pBegin, nLength);
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        break;
    }
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

bool CLineReader::MapRest(std::string_view& block)
{
#ifndef _WIN32
    if (m_nMapThreshold == kNeverMap)
        return false;
    // The size now, not at opening: the file may have grown since.
    struct stat status
    {};
    const int fd = fileno(m_pFile);
    if (fstat(fd, &status) != 0 || status.st_size <= 0)
        return false;
    const auto nFileSize = static_cast<std::uint64_t>(status.st_size);
    const std::uint64_t nPosition = GetPosition();
    if (nPosition >= nFileSize || nFileSize - nPosition < m_nMapThreshold || nFileSize > SIZE_MAX)
        return false;
    // Mapped from the start of the file, as a mapping must begin at a page.
    void* pMapping = mmap(nullptr, static_cast<std::size_t>(nFileSize), PROT_READ, MAP_PRIVATE, fd, 0);
    if (pMapping == MAP_FAILED)
        return false;
    m_pMapping = pMapping;
    m_nMappingSize = static_cast<std::size_t>(nFileSize);
    // Whatever follows (the file may still grow) is read as usual.
    Seek(nFileSize);
    block = std::string_view(static_cast<const char*>(pMapping) + nPosition,
                             static_cast<std::size_t>(nFileSize - nPosition));
    return true;
#else
    (void)block;
    return false;
#endif
}

void CLineReader::Unmap()
{
#ifndef _WIN32
    if (m_pMapping != nullptr)
        munmap(m_pMapping, m_nMappingSize);
#endif
    m_pMapping = nullptr;
    m_nMappingSize = 0;
}

void CLineReader::Seek(std::uint64_t nOffset)
{
    if (SeekFile(m_pFile, nOffset) != 0)
        throw CRidaxoError(m_strPath, std::string("cannot seek: ") + std::strerror(errno));
    m_nBufferStart = nOffset;
    m_nBegin = 0;
    m_nEnd = 0;
}
