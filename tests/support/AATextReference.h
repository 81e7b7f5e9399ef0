#pragma once

#include "AAStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One AA of an AA text file: its name and the byte offset of its body.
struct CNameAt
{
    std::string m_strName;
    std::uint64_t m_nOffset = 0;
    bool operator==(const CNameAt&) const = default;
};

// The AA text file's reading done the plain, slow way: a line at a time and
// a character at a time. It is what the store's loader and body reader must
// agree with, and so it shares no code with the model: a fault there cannot
// hide by being made twice.

// The AAs of an AA file of the format whose bytes are text.
std::vector<CNameAt> ReadNamesPlainly(std::string_view text, EAAFileFormat format = EAAFileFormat::MojieName);

// The body that begins at nOffset of text, every line followed by CR LF.
std::string ReadBodyPlainly(std::string_view text, std::uint64_t nOffset,
                            EAAFileFormat format = EAAFileFormat::MojieName);

// The names and body offsets that store holds, in the same form.
std::vector<CNameAt> NamesOf(const CAAStore& store);
