#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A folder of its own for one test, removed with everything in it when the
// test ends.
class CTempDir
{
public:
    CTempDir();
    // A folder inside base.
    explicit CTempDir(const std::filesystem::path& base);
    ~CTempDir();

    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& GetPath() const { return m_path; }
    // The path of strName inside the folder, as a string.
    std::string File(std::string_view strName) const { return (m_path / strName).string(); }
    // Writes data to strName inside the folder and returns its path.
    std::string Write(std::string_view strName, std::string_view data) const;

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::string& strPath, std::string_view data);
std::string ReadBytes(const std::string& strPath);

// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// Runs fnRun with the process unable to write files larger than nBytes, as
// on a disk that is full: a write beyond fails with EFBIG.
void WithFileSizeLimit(std::uint64_t nBytes, const std::function<void()>& fnRun);

// While it exists, the calling thread is held to the files' permissions even
// when it runs as the superuser, who may otherwise read and write any file;
// so a test of an unreadable file or a read-only folder means the same for
// everyone.
class CPermissionsEnforced
{
public:
    CPermissionsEnforced();
    ~CPermissionsEnforced();

    CPermissionsEnforced(const CPermissionsEnforced&) = delete;
    CPermissionsEnforced& operator=(const CPermissionsEnforced&) = delete;

private:
    bool m_bDropped = false;
    std::uint32_t m_nEffective = 0;
};
