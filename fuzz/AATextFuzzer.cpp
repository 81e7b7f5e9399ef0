// Loads arbitrary bytes as an AA text file and checks the load against a
// plain reading (see CheckAAFileLoad), and the one-pass search of the file
// against the loaded store's (see CheckTextFileSearch).
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view data(reinterpret_cast<const char*>(pData), nSize);
    CheckAAFileLoad("aa.txt", data);
    CheckTextFileSearch(data);
    return 0;
}
