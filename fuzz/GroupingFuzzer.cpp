// Groups the AAs named by arbitrary bytes, one name a line, with settings
// taken from the first two bytes: the fast grouping must give exactly the
// tree that the plain one gives.
#include "AAStore.h"
#include "AutoCategorize.h"
#include "Category.h"
#include "FuzzSupport.h"
#include "RidaxoError.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize < 2)
        return 0;
    // Small settings make groups likely.
    const unsigned nThreshold = 1 + pData[0] % 8;
    const unsigned nMinItems = 1 + pData[1] % 8;
    const std::string_view names(reinterpret_cast<const char*>(pData) + 2, nSize - 2);
    // A full-width space first keeps the file code page 932 whatever the
    // names hold.
    std::string text = "\x81\x40\r\n";
    std::size_t nStart = 0;
    while (nStart <= names.size()) {
        std::size_t nEnd = names.find('\n', nStart);
        if (nEnd == std::string_view::npos)
            nEnd = names.size();
        text += "[MojieName=";
        text += names.substr(nStart, nEnd - nStart);
        text += "]\r\n[END]\r\n";
        nStart = nEnd + 1;
    }
    CAAStore store;
    store.LoadFile(WriteFuzzFile("names.txt", text));

    CCategory plain;
    CCategory fast;
    fast.AddChild("from before")->AddAA(0);
    AutoCategorizePlain(plain, store, nThreshold, nMinItems);
    AutoCategorizeFast(fast, store, nThreshold, nMinItems);
    std::string strPlain;
    std::string strFast;
    plain.Save(strPlain);
    fast.Save(strFast);
    FuzzCheck(strPlain == strFast, "the fast grouping equals the plain one");
    return 0;
}
