#include "TempFiles.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// The calling thread's capabilities, through the system calls themselves:
// the library that wraps them is not always installed.
bool GetCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

// Undoes a file size limit, even when the function run under it throws.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(std::uint64_t nBytes) : m_fnPreviousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = static_cast<rlim_t>(nBytes);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_fnPreviousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_fnPreviousHandler)(int);
};
} // namespace

CTempDir::CTempDir() : CTempDir(fs::temp_directory_path()) {}

CTempDir::CTempDir(const fs::path& base)
{
    std::string strTemplate = (base / "ridaxo-test-XXXXXX").string();
    if (mkdtemp(strTemplate.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = strTemplate;
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string CTempDir::Write(std::string_view strName, std::string_view data) const
{
    std::string strPath = File(strName);
    WriteBytes(strPath, data);
    return strPath;
}

void WriteBytes(const std::string& strPath, std::string_view data)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + strPath);
}

std::string ReadBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + strPath);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WithFileSizeLimit(std::uint64_t nBytes, const std::function<void()>& fnRun)
{
    const CFileSizeLimit limit(nBytes);
    fnRun();
}

CPermissionsEnforced::CPermissionsEnforced()
{
    __user_cap_data_struct data[2]{};
    if (!GetCapabilities(data))
        return;
    constexpr std::uint32_t nOverrides = (1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH);
    m_nEffective = data[0].effective;
    if ((m_nEffective & nOverrides) == 0)
        return;
    data[0].effective &= ~nOverrides;
    m_bDropped = SetCapabilities(data);
}

CPermissionsEnforced::~CPermissionsEnforced()
{
    __user_cap_data_struct data[2]{};
    if (m_bDropped && GetCapabilities(data)) {
        data[0].effective = m_nEffective;
        SetCapabilities(data);
    }
}
