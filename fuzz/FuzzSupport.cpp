#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// The folder, removed with everything in it when the process ends normally.
class CFuzzFolder
{
public:
    CFuzzFolder()
    {
        // A folder in memory where there is one: every input is written
        // to a file, and a disk makes that the slowest part of a run.
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string strTemplate = (base / "ridaxo-fuzz-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) == nullptr) {
            std::perror("cannot create a temporary folder");
            std::abort();
        }
        m_strPath = strTemplate;
    }
    ~CFuzzFolder()
    {
        std::error_code ec;
        fs::remove_all(m_strPath, ec);
    }
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

    const std::string& GetPath() const { return m_strPath; }

private:
    std::string m_strPath;
};
} // namespace

const std::string& FuzzFolder()
{
    static const CFuzzFolder s_folder;
    return s_folder.GetPath();
}

std::string WriteFuzzFile(std::string_view strName, std::string_view data)
{
    std::string strPath = FuzzFolder() + "/" + std::string(strName);
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr || std::fwrite(data.data(), 1, data.size(), pFile) != data.size() || std::fclose(pFile) != 0) {
        std::perror(strPath.c_str());
        std::abort();
    }
    return strPath;
}

void FuzzCheck(bool bHolds, const char* pszWhat)
{
    if (bHolds)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", pszWhat);
    std::abort();
}
