#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAAStore;

// One AA of an AA text file: its name and the byte offset of its body.
struct CNameAt
{
    std::string m_strName;
    std::uint64_t m_nOffset = 0;
    bool operator==(const CNameAt&) const = default;
};

// The AAs of an AA text file whose bytes are text, read the plain, slow
// way: a line at a time and a character at a time. It is what the store's
// loader must agree with, and so it shares no code with the model: a fault
// there cannot hide by being made twice.
std::vector<CNameAt> ReadNamesPlainly(std::string_view text);

// The names and body offsets that store holds, in the same form.
std::vector<CNameAt> NamesOf(const CAAStore& store);
