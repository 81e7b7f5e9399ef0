// Loads arbitrary bytes as an MLT or an AST library, as the input's first
// byte picks, and checks the load against a plain reading (see
// CheckAAFileLoad). The two formats share one fuzzer, so that they add no
// more to a fuzzing run than one.
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    CheckAAFileLoad((pData[0] & 1) != 0 ? "aa.ast" : "aa.mlt",
                    std::string_view(reinterpret_cast<const char*>(pData) + 1, nSize - 1));
    return 0;
}
