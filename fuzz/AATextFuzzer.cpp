// Loads arbitrary bytes as an AA text file and checks the load against a
// plain reading (see CheckAAFileLoad).
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CheckAAFileLoad("aa.txt", std::string_view(reinterpret_cast<const char*>(pData), nSize));
    return 0;
}
