#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a person needs to know of an AA before posting it: how many lines,
// how wide and how many bytes, against what a typical board takes.

// An AA's text (a body, a part of one, or a name) as characters, in UTF-8:
// the one place where its code page 932 bytes become characters, for the
// text pane, the list, the clipboard, a drag to another program and the
// width alike. With bReferences, for the files whose store resolves them
// (CAAStore::ResolvesReferences), each character reference ("&#x2003;")
// becomes the character it stands for (Cp932ToUtf8ResolvingReferences).
// Lenient: a byte or pair that is no character becomes U+FFFD.
std::string DecodeAAText(std::string_view cp932, bool bReferences);

// A typical board refuses a post of more lines or bytes than these.
constexpr std::size_t kBoardMaxLines = 60;
constexpr std::size_t kBoardMaxBytes = 4096;

struct CAAFacts
{
    std::size_t m_nLines = 0;
    // The widest line in dots of the standard AA face at 16 pixels.
    int m_nWidth = 0;
    // Code page 932 bytes, each line end counted as CR LF, the last line's
    // end not counted: what the body weighs in a post.
    std::size_t m_nBytes = 0;

    bool HasTooManyLines() const { return m_nLines > kBoardMaxLines; }
    bool HasTooManyBytes() const { return m_nBytes > kBoardMaxBytes; }
};

// The facts of a body given as CAAStore::GetText gives it: lines ended by
// CR LF, LF or CR. The width sums each character's advance (see
// CharAdvance) over the characters DecodeAAText makes of each line, with
// bReferences as it is given: a reference then measures as its character.
// The bytes are the file's, a reference counted as it is written.
CAAFacts MeasureAABody(std::string_view cp932, bool bReferences);

// A character's advance in dots in the standard AA face at 16 pixels (12
// points at 96 dpi), whatever face this machine shows AAs in: from the
// table generated from Monapo, which has the same advances. A character
// the table lacks counts 16 when code page 932 writes it in two bytes,
// else 8; one code page 932 cannot write counts as wide.
int CharAdvance(char32_t ch);
