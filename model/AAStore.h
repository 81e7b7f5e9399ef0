#pragma once

#include "LineReader.h"
#include "MonotonicArray.h"
#include "PodArray.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CSearchText;

// The formats of AA files: code page 932 lines, each ended by CR LF, a lone
// LF or a lone CR. Ridaxo only ever reads them.
enum class EAAFileFormat
{
    // AA text file (.txt): a line whose first 11 bytes are "[MojieName="
    // begins an AA; its name runs to the last "]" of the line (found
    // character by character; none gives an empty name), and its body is
    // the following lines up to the first line that is exactly "[END]", or
    // to the end of the file.
    MojieName,
    // MLT library (.mlt): the lines between lines that are exactly
    // "[SPLIT]" are the AAs, the first from the top of the file; a
    // separator that ends the file ends no AA after it, and an empty file
    // holds none. The pages carry no names: each is named from its first
    // lines (a heading "【…】", or the last heading and the start of its
    // first line that holds something).
    Mlt,
    // AST library (.ast): a line that begins "[AA][" begins an AA named by
    // the rest of the line up to its last "]" (all of it without one); its
    // body is the following lines up to the next such line, or to the end
    // of the file.
    Ast,
};

// The format of the AA file at strPath by its lower-cased extension: "mlt"
// and "ast" name theirs, and every other file ("txt" and whatever an index
// file names) is an AA text file.
EAAFileFormat GetAAFileFormat(const std::string& strPath);

// The AAs of one AA file: for every AA its name and the byte offset at which
// its body begins. Bodies stay on disk and are read again whenever one is
// asked for. An AA is known by its AA index, its zero-based position in the
// file.
class CAAStore
{
public:
    CAAStore() = default;
    virtual ~CAAStore() = default;

    // Replaces the contents by the AAs of the AA file of the format that
    // reader reads, from its current position; the store's path becomes the
    // reader's full path. Throws CRidaxoError on a read error, or when the
    // file is plainly not code page 932 (UTF-8 or UTF-16 text, see
    // DetectTextEncoding), leaving the store as it was.
    void Load(CLineReader& reader, EAAFileFormat format = EAAFileFormat::MojieName);

    // Load from the AA file at strPath, in the format its name tells (see
    // GetAAFileFormat), read in large blocks. Throws CRidaxoError when it
    // cannot be opened or read.
    void LoadFile(const std::string& strPath);

    // The format of the file loaded.
    EAAFileFormat GetFormat() const { return m_format; }

    // Whether the window shows the character references ("&#x2003;") of
    // names and bodies as the characters they stand for. The libraries of
    // the AA editors write them so; an AA text file has always been shown
    // as its bytes, and an AA in it that shows such a reference as text
    // keeps showing it.
    bool ResolvesReferences() const { return m_format != EAAFileFormat::MojieName; }

    // Number of AAs.
    int GetCount() const { return static_cast<int>(m_offsets.GetSize()); }

    // Copy of the AA's name; empty for an index outside 0 … count − 1.
    std::string GetName(int nIndex) const { return std::string(GetNameView(nIndex)); }

    // The AA's name without a copy; valid until the store changes.
    std::string_view GetNameView(int nIndex) const;

    // The AA's body read anew from the text file, every line followed by
    // CR LF; empty for an index outside 0 … count − 1. Throws CRidaxoError
    // when the text file can no longer be read.
    std::string GetText(int nIndex) const;

    // The start of the AA's body as GetText gives it, for a view that shows
    // no more than a part: each line cut to nLineBytes bytes, and no line
    // read once more than nTextBytes bytes of lines (line ends aside) or
    // more than nLines lines have been. Costs what it returns, however long
    // the body: a view that shows less than it asks for can tell that there
    // was more.
    std::string GetTextHead(int nIndex, std::size_t nLineBytes, std::size_t nTextBytes, std::size_t nLines) const;

    // Full path of the AA text file; empty before the first load.
    std::string GetPath() const { return m_strPath; }
    const std::string& GetPathRef() const { return m_strPath; }

    // Size and modification time of the text file when it was loaded.
    const CFileStamp& GetFileStamp() const { return m_stamp; }

    // True when the text file is there but differs in size or modification
    // time from when it was loaded: its AAs may no longer begin at the
    // offsets the store holds. A file that is gone or unreadable is not
    // "changed"; GetText reports it.
    bool HasFileChanged() const;

    // Byte offset of the AA's body in the text file (0 for a bad index).
    std::uint64_t GetOffset(int nIndex) const;

    // The AAs, ascending by AA index, whose names the text matches (see
    // CSearchText) and, with bBodies, those whose bodies it matches in one
    // of their lines, as GetText gives them. The names are searched where
    // they lie in memory; the bodies are read from the text file once,
    // however many AAs match. Throws CRidaxoError when the text file cannot
    // be read.
    std::vector<int> FindAAs(const CSearchText& text, bool bBodies) const;

    void Swap(CAAStore& other) noexcept;

private:
    // Set marks[i] for each AA i whose name, or body, the text matches;
    // marks holds an entry per AA.
    void MarkNameMatches(const CSearchText& text, std::vector<unsigned char>& marks) const;
    void MarkBodyMatches(const CSearchText& text, std::vector<unsigned char>& marks) const;
    // The same over the bytes of the whole text file; allocates nothing,
    // as it may run under the reader's guard.
    void MarkBodyMatchesIn(std::string_view file, const CSearchText& text, unsigned char* pMarks) const;

    bool IsValidIndex(int nIndex) const { return nIndex >= 0 && nIndex < GetCount(); }

    std::string m_strPath;
    CFileStamp m_stamp;
    // Per AA, in file order: the offset of the first line after its name line.
    CMonotonicArray<> m_offsets;
    // All names, one after the other, and per AA the end of its name in
    // m_nameBytes; kept this way so that a large collection costs its names'
    // bytes and eight bytes an AA.
    CPodArray<char> m_nameBytes;
    CMonotonicArray<> m_nameEnds;
    EAAFileFormat m_format = EAAFileFormat::MojieName;
};

// What CAAStore::FindAAs finds in the AA text file (EAAFileFormat::MojieName)
// that reader reads, from its current position, once it is loaded; found
// without loading it, in one pass over the file that keeps nothing of the
// AAs it passes. fnFound is called for each AA found, ascending by AA
// index, with its index and its name's bytes (valid during the call).
// Returns the number of AAs in the file. For a program that searches a file
// once: loading the store first costs more than the whole search. Throws
// CRidaxoError as Load does, possibly after calls of fnFound.
int FindAAsInText(CLineReader& reader, const CSearchText& text, bool bBodies,
                  const std::function<void(int nIndex, std::string_view name)>& fnFound);

// The same of the AA text file at strPath, read in large blocks.
int FindAAsInTextFile(const std::string& strPath, const CSearchText& text, bool bBodies,
                      const std::function<void(int nIndex, std::string_view name)>& fnFound);
