// Opens arbitrary bytes as an index file beside a small AA text file
// "aa.txt", so that headers naming it (as "aa.txt", which is looked for
// beside the index file, or as a Windows path) reach the category blocks. What opens must save and
// open again to the same bytes.
#include "AAStore.h"
#include "Category.h"
#include "DocumentFile.h"
#include "FuzzSupport.h"
#include "RidaxoError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace
{
bool Open(const std::string& strPath, CAAStore& store, CCategoryModel& model)
{
    try {
        OpenIndexFile(strPath, store, model);
        return true;
    } catch (const CRidaxoError&) {
        return false;
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*pArgc*/, char*** /*pArgv*/)
{
    WriteFuzzFile("aa.txt", "[MojieName=\x82\xCB\x82\xB1]\r\n(=^.^=)\r\n[END]\r\n[MojieName=a]\r\n\r\n[END]\r\n"
                            "[MojieName=a]b]\r\n\x81\x40\r\n[END]\r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string strIndex = WriteFuzzFile("i.rix", std::string_view(reinterpret_cast<const char*>(pData), nSize));
    CAAStore store;
    CCategoryModel model;
    if (!Open(strIndex, store, model))
        return 0;
    const std::string saved = FormatIndexFile(store, model);
    const std::string strAgain = WriteFuzzFile("again.rix", saved);
    CAAStore storeAgain;
    CCategoryModel modelAgain;
    FuzzCheck(Open(strAgain, storeAgain, modelAgain), "a saved index file opens again");
    FuzzCheck(FormatIndexFile(storeAgain, modelAgain) == saved, "opening and saving again gives the same bytes");
    std::filesystem::remove(strAgain);
    return 0;
}
