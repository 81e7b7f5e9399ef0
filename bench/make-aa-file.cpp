// make-aa-file: writes a generated AA text file for benchmarks.
//
//   make-aa-file [--count N] [--seed S] [--mlt] OUTPUT

#include "AAFileGenerator.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace
{
bool ParseNumber(std::string_view text, std::uint64_t& nValue)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), nValue);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int Usage()
{
    std::fputs("usage: make-aa-file [--count N] [--seed S] [--mlt] OUTPUT\n", stderr);
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    CAAFileShape shape;
    std::string strOutput;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--mlt") {
            shape.m_bMlt = true;
        } else if ((arg == "--count" || arg == "--seed") && i + 1 < argc) {
            if (!ParseNumber(argv[++i], arg == "--count" ? shape.m_nCount : shape.m_nSeed))
                return Usage();
        } else if (strOutput.empty() && !arg.empty() && arg[0] != '-') {
            strOutput = arg;
        } else {
            return Usage();
        }
    }
    if (strOutput.empty())
        return Usage();
    try {
        WriteAAFile(strOutput, shape);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make-aa-file: %s\n", error.what());
        return 1;
    }
    return 0;
}
