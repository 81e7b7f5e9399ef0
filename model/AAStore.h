#pragma once

#include "LineReader.h"
#include "MonotonicArray.h"
#include "PodArray.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CSearchText;

// The AAs of one AA text file: for every AA its name and the byte offset at
// which its body begins. Bodies stay on disk and are read again whenever one
// is asked for. An AA is known by its AA index, its zero-based position in
// the file.
//
// AA text file: code page 932 lines, each ended by CR LF, a lone LF or a
// lone CR. A line whose first 11 bytes are "[MojieName=" begins an AA; its
// name runs to the last "]" of the line (found character by character), and
// its body is the following lines up to the first line that is exactly
// "[END]", or to the end of the file.
class CAAStore
{
public:
    CAAStore() = default;
    virtual ~CAAStore() = default;

    // Replaces the contents by the AAs of the AA text file that reader reads,
    // from its current position; the store's path becomes the reader's full
    // path. Throws CRidaxoError on a read error, or when the file is plainly
    // not code page 932 (UTF-8 or UTF-16 text, see DetectTextEncoding),
    // leaving the store as it was.
    void Load(CLineReader& reader);

    // Load from the AA text file at strPath, read in large blocks. Throws
    // CRidaxoError when it cannot be opened or read.
    void LoadFile(const std::string& strPath);

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
};
