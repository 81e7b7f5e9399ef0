#include "TextRoutines.h"

#include <charconv>
#include <limits>

std::string IntToString(long long n)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), n);
    return std::string(buffer, result.ptr);
}

namespace
{
bool IsCSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
} // namespace

long long StringToInt(std::string_view text)
{
    // Most numbers of an index file are a few bare digits, which cannot
    // overflow: read them without the checks below.
    if (!text.empty() && text.size() <= 18 && text[0] >= '0' && text[0] <= '9') {
        long long nValue = 0;
        for (char ch : text) {
            if (ch < '0' || ch > '9')
                break;
            nValue = nValue * 10 + (ch - '0');
        }
        return nValue;
    }
    std::size_t nPos = 0;
    while (nPos < text.size() && IsCSpace(text[nPos]))
        ++nPos;
    bool bNegative = false;
    if (nPos < text.size() && (text[nPos] == '+' || text[nPos] == '-'))
        bNegative = text[nPos++] == '-';
    // Accumulate negatively so that the most negative value fits too. The
    // limits are constants: a division for every digit made this the most
    // costly step of reading a large index file.
    constexpr long long kMin = std::numeric_limits<long long>::min();
    constexpr long long kMinTenth = kMin / 10;  // -922337203685477580
    constexpr int kMinLastDigit = -(kMin % 10); // 8
    long long nValue = 0;
    for (; nPos < text.size() && text[nPos] >= '0' && text[nPos] <= '9'; ++nPos) {
        const int nDigit = text[nPos] - '0';
        if (nValue < kMinTenth || (nValue == kMinTenth && nDigit > kMinLastDigit)) {
            nValue = kMin;
        } else {
            nValue = nValue * 10 - nDigit;
        }
    }
    if (bNegative)
        return nValue;
    return nValue == kMin ? std::numeric_limits<long long>::max() : -nValue;
}

std::string Quote(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

std::string Unquote(std::string_view text)
{
    std::size_t nBegin = 0;
    std::size_t nEnd = text.size();
    while (nBegin < nEnd && IsCSpace(text[nBegin]))
        ++nBegin;
    while (nEnd > nBegin && IsCSpace(text[nEnd - 1]))
        --nEnd;
    text = text.substr(nBegin, nEnd - nBegin);
    const std::size_t nFirst = text.find('"');
    const std::size_t nLast = text.rfind('"');
    if (nFirst == std::string_view::npos || nLast == nFirst)
        return std::string(text);
    return std::string(text.substr(nFirst + 1, nLast - nFirst - 1));
}
