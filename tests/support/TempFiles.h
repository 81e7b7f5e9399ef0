#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A folder of its own for one test, removed with everything in it when the
// test ends.
class CTempDir
{
public:
    CTempDir();
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
