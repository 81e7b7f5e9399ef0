#include "TempFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

CTempDir::CTempDir()
{
    std::string strTemplate = (fs::temp_directory_path() / "ridaxo-test-XXXXXX").string();
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
