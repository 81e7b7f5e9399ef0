#pragma once

#include <cstdint>
#include <string>

// Large AA text files for benchmarks, made up but shaped like real
// collections: CR LF lines of code page 932, names that come in families
// sharing their first characters (often with numbered variants, and often
// standing one after the other), many names of their own, a few names the
// format treats specially, and pictures of 3 to 12 lines.
struct CAAFileShape
{
    std::uint64_t m_nCount = 1000000; // AAs in the file
    std::uint64_t m_nSeed = 1;        // the same seed gives the same bytes on every machine
    // The same AAs as an MLT library: the pictures as pages between "[SPLIT]"
    // lines, and a heading page "【family】" before each run of a family.
    bool m_bMlt = false;
};

// Writes the AA text file that shape describes to strPath. Throws
// std::runtime_error when the file cannot be written.
void WriteAAFile(const std::string& strPath, const CAAFileShape& shape);
