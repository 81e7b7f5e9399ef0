#pragma once

#include <string>
#include <string_view>

// The four small text routines of the index file.

// Decimal text of n as printf's "%d" writes it.
std::string IntToString(long long n);

// C's atol: leading white space skipped, an optional sign, then decimal
// digits up to the first non-digit; no digits give 0. Values beyond the
// range of long long saturate instead of overflowing.
long long StringToInt(std::string_view text);

// The text enclosed in double quotes; quotes inside are not escaped.
std::string Quote(std::string_view text);

// Trims blanks, tabs, CR, LF, vertical tabs and form feeds from both ends;
// then, when the text holds two double quotes, returns what stands between
// the first and the last of them, else the trimmed text.
std::string Unquote(std::string_view text);
