#include "FuzzSupport.h"

#include "AASearch.h"
#include "AAStore.h"
#include "AATextReference.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "ShiftJis.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

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

namespace
{
std::vector<CNameAt> LoadWith(const std::string& strPath, std::size_t nBuffer, std::uint64_t nMapThreshold)
{
    CLineReader reader(strPath, nBuffer, nMapThreshold);
    CAAStore store;
    store.Load(reader, GetAAFileFormat(strPath));
    return NamesOf(store);
}
} // namespace

void CheckAAFileLoad(std::string_view strName, std::string_view data)
{
    const std::string strPath = WriteFuzzFile(strName, data);
    const EAAFileFormat format = GetAAFileFormat(strPath);
    CAAStore store;
    try {
        store.LoadFile(strPath);
    } catch (const CRidaxoError&) {
        FuzzCheck(DetectTextEncoding(data) != ETextEncoding::Cp932, "only text of another encoding is refused");
        return;
    }
    const std::vector<CNameAt> names = NamesOf(store);
    FuzzCheck(names == ReadNamesPlainly(data, format), "the block scan finds what a line-by-line reading finds");
    FuzzCheck(names == LoadWith(strPath, 16, CLineReader::kNeverMap), "small blocks find the same");
    FuzzCheck(names == LoadWith(strPath, 16, 0), "a mapped file gives the same");
    FuzzCheck(!store.HasFileChanged(), "the file is as loaded");

    const int nCount = store.GetCount();
    for (const int nIndex : {-1, 0, nCount / 2, nCount - 1, nCount}) {
        const bool bValid = nIndex >= 0 && nIndex < nCount;
        FuzzCheck(store.GetText(nIndex) == (bValid ? ReadBodyPlainly(data, names[nIndex].m_nOffset, format) : ""),
                  "a body reads as a line-by-line reading reads it");
    }
}

void CheckTextFileSearch(std::string_view data)
{
    const std::string strPath = WriteFuzzFile("search.txt", data);
    CAAStore store;
    try {
        store.LoadFile(strPath);
    } catch (const CRidaxoError&) {
        return;
    }
    // The first byte tells how many of the next make the text.
    const std::size_t nSize = data.empty() ? 0 : static_cast<unsigned char>(data[0]) % 4;
    const CSearchText text(data.substr(std::min<std::size_t>(1, data.size()), nSize));
    for (const bool bBodies : {false, true}) {
        std::vector<int> found;
        bool bNamesAgree = true;
        CLineReader reader(strPath, 16, CLineReader::kNeverMap);
        const int nCount = FindAAsInText(reader, text, bBodies, [&](int nIndex, std::string_view name) {
            found.push_back(nIndex);
            bNamesAgree = bNamesAgree && name == store.GetNameView(nIndex);
        });
        FuzzCheck(nCount == store.GetCount(), "the one-pass search counts the AAs the store holds");
        FuzzCheck(found == store.FindAAs(text, bBodies), "the one-pass search finds what the store finds");
        FuzzCheck(bNamesAgree, "the one-pass search gives the names the store holds");
    }
}
