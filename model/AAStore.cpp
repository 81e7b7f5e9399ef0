#include "AAStore.h"

#include "AAScan.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace
{
// Finds the name lines of a file whose AAs each begin with a line that
// starts with TFormat::kKey. Most of a file is picture lines that need no
// look at all: the scanner jumps from one line that begins like the key to
// the next and checks only those.
template <class TFormat> class CNameLineScanner : public CAAListScanner<CNameLineScanner<TFormat>>
{
    using CBase = CAAListScanner<CNameLineScanner<TFormat>>;
    friend CBlockScanner<CNameLineScanner<TFormat>>;
    static constexpr std::string_view kKey = TFormat::kKey;

public:
    using CBase::CBase;

    // Ends the scan at the end of the file, where a name line may end
    // without a line end, or with a CR that no LF follows; its body is empty
    // and begins at the end.
    void Finish()
    {
        if (m_nState == EState::InName) {
            CutName();
            this->AddAA(this->m_nBlockStart, this->EndName());
        } else if (m_nState == EState::AfterNameCr) {
            this->AddAA(this->m_nBlockStart, m_nPendingNameEnd);
        }
        m_nState = EState::InKey;
        m_nKeyMatched = 0;
        m_bLineGoesOn = false;
    }

private:
    enum class EState
    {
        InKey,       // at the start of a line, or m_nKeyMatched bytes into it, all of them the key's
        InLine,      // inside a line that is no name line
        InName,      // after the key of a name line; the name bytes end with what earlier blocks held of it
        AfterNameCr, // a name line ended with the CR that ended the last block; an LF may pair with it
    };

    const char* Step(const char* p, const char* pEnd, const char* pBlock)
    {
        switch (m_nState) {
        case EState::InKey:
            return MatchKey(p, pEnd);
        case EState::InLine:
            return SkipToNameLineCandidate(p, pEnd);
        case EState::InName:
            return TakeNameLine(p, pEnd, pBlock);
        case EState::AfterNameCr:
            return TakePendingLineFeed(p, pBlock);
        }
        return pEnd;
    }

    const char* MatchKey(const char* p, const char* pEnd)
    {
        const auto nAvailable = static_cast<std::size_t>(pEnd - p);
        // The usual case, with a comparison of fixed length that the compiler
        // does inline.
        if (m_nKeyMatched == 0 && nAvailable >= kKey.size()) {
            if (std::memcmp(p, kKey.data(), kKey.size()) != 0) {
                m_nState = EState::InLine;
                return p;
            }
            m_nState = EState::InName;
            return p + kKey.size();
        }
        const std::size_t nWanted = kKey.size() - m_nKeyMatched;
        const std::size_t nCompare = nAvailable < nWanted ? nAvailable : nWanted;
        if (std::memcmp(p, kKey.data() + m_nKeyMatched, nCompare) != 0) {
            // The key holds no CR or LF, so this line ends at p or later.
            m_nState = EState::InLine;
            m_nKeyMatched = 0;
            return p;
        }
        if (nCompare < nWanted) {
            m_nKeyMatched += nCompare;
            return pEnd;
        }
        m_nState = EState::InName;
        m_nKeyMatched = 0;
        return p + nCompare;
    }

    // p is not the start of a line. Returns the start of the next line that
    // may be a name line (in state InKey), or the block's end.
    const char* SkipToNameLineCandidate(const char* p, const char* pEnd)
    {
        return SkipToLineStartCandidate(p, pEnd, kKey[1], m_nState, EState::InKey);
    }

    // Copies the name on the line that goes on at p. Returns where the scan
    // goes on, or null, with nothing done, when the room for names is short.
    const char* TakeNameLine(const char* p, const char* pEnd, const char* pBlock)
    {
        const char* pLineEnd = FindLineEnd(p, pEnd);
        std::string_view piece(p, static_cast<std::size_t>((pLineEnd == nullptr ? pEnd : pLineEnd) - p));
        // A line in one block is cut to its name before it is copied; the
        // pieces of a line that straddles blocks are copied whole, and the
        // line is cut where it ends.
        if (pLineEnd != nullptr && !m_bLineGoesOn)
            piece = piece.substr(0, TFormat::NameLength(piece));
        if (!this->HasRoomFor(piece.size()))
            return nullptr;
        this->m_nameBytes.Append(piece.data(), piece.size());
        if (pLineEnd == nullptr) {
            m_bLineGoesOn = true;
            return pEnd;
        }
        if (m_bLineGoesOn) {
            CutName();
            m_bLineGoesOn = false;
        }
        // The body begins after the line end, a CR LF pair counting as one.
        const char* pBody = pLineEnd + 1;
        if (*pLineEnd == '\r') {
            if (pBody == pEnd) {
                m_nPendingNameEnd = this->EndName();
                m_nState = EState::AfterNameCr;
                return pEnd;
            }
            if (*pBody == '\n')
                ++pBody;
        }
        this->NoteAA(this->OffsetOf(pBody, pBlock));
        m_nState = EState::InKey;
        return pBody;
    }

    // A name line ended with the CR that ended the last block, and p begins
    // this one: an LF here belongs to that line end, and the body begins
    // after it.
    const char* TakePendingLineFeed(const char* p, const char* pBlock)
    {
        if (*p == '\n')
            ++p;
        this->NoteAA(this->OffsetOf(p, pBlock), m_nPendingNameEnd);
        m_nState = EState::InKey;
        return p;
    }

    // The name bytes end with a whole name line after its key, from
    // m_nNameStart on: cuts it to its name.
    void CutName()
    {
        const std::size_t nStart = this->m_nNameStart;
        const std::string_view afterKey(this->m_nameBytes.GetData() + nStart, this->m_nameBytes.GetSize() - nStart);
        this->m_nameBytes.Truncate(nStart + TFormat::NameLength(afterKey));
    }

    EState m_nState = EState::InKey;
    std::size_t m_nKeyMatched = 0;
    // The name line being read goes on from an earlier block.
    bool m_bLineGoesOn = false;
    // In state AfterNameCr, the end of the name whose AA waits for its body
    // offset.
    std::size_t m_nPendingNameEnd = 0;
};

// True when line ends the body it follows in a file of the format.
bool EndsBody(EAAFileFormat format, std::string_view line)
{
    switch (format) {
    case EAAFileFormat::Mlt:
        return line == kSplitLine;
    case EAAFileFormat::Ast:
        return line.starts_with(kAstKey);
    case EAAFileFormat::MojieName:
        break;
    }
    return line == kEndLine;
}
} // namespace

EAAFileFormat GetAAFileFormat(const std::string& strPath)
{
    const std::string strExtension = GetLowerExtension(strPath);
    if (strExtension == "mlt")
        return EAAFileFormat::Mlt;
    if (strExtension == "ast")
        return EAAFileFormat::Ast;
    return EAAFileFormat::MojieName;
}

void CAAStore::Load(CLineReader& reader, EAAFileFormat format)
{
    CAAStore loaded;
    loaded.m_strPath = reader.GetFilePath();
    loaded.m_stamp = reader.GetFileStamp();
    loaded.m_format = format;
    switch (format) {
    case EAAFileFormat::MojieName:
        ScanFile<CNameLineScanner<CMojieNameLines>>(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes,
                                                    loaded.m_nameEnds);
        break;
    case EAAFileFormat::Mlt:
        ScanPages(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes, loaded.m_nameEnds);
        break;
    case EAAFileFormat::Ast:
        ScanFile<CNameLineScanner<CAstLines>>(reader, loaded.m_strPath, loaded.m_offsets, loaded.m_nameBytes,
                                              loaded.m_nameEnds);
        break;
    }
    loaded.m_offsets.FreeExtra();
    loaded.m_nameBytes.FreeExtra();
    loaded.m_nameEnds.FreeExtra();
    Swap(loaded);
}

void CAAStore::LoadFile(const std::string& strPath)
{
    CLineReader reader(strPath, kLoadBufferSize);
    Load(reader, GetAAFileFormat(strPath));
}

std::string_view CAAStore::GetNameView(int nIndex) const
{
    if (!IsValidIndex(nIndex))
        return {};
    const std::uint64_t nBegin = nIndex == 0 ? 0 : m_nameEnds[nIndex - 1];
    return std::string_view(m_nameBytes.GetData() + nBegin, m_nameEnds[nIndex] - nBegin);
}

bool CAAStore::HasFileChanged() const
{
    if (m_strPath.empty())
        return false;
    const std::optional<CFileStamp> stamp = ReadFileStamp(m_strPath);
    return stamp && *stamp != m_stamp;
}

std::uint64_t CAAStore::GetOffset(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_offsets[nIndex] : 0;
}

std::string CAAStore::GetText(int nIndex) const
{
    if (!IsValidIndex(nIndex))
        return {};
    CLineReader reader(m_strPath, kTextBufferSize);
    reader.Seek(m_offsets[nIndex]);
    std::string strText;
    std::string_view line;
    while (reader.ReadLine(line) && !EndsBody(m_format, line)) {
        strText += line;
        strText += "\r\n";
    }
    return strText;
}

std::string CAAStore::GetTextHead(int nIndex, std::size_t nLineBytes, std::size_t nTextBytes, std::size_t nLines) const
{
    if (!IsValidIndex(nIndex))
        return {};
    // A line that was cut must never pass for a line that ends the body,
    // nor fail to pass for one.
    nLineBytes = std::max(nLineBytes, kSplitLine.size() + 1);
    CLineReader reader(m_strPath, kTextBufferSize);
    reader.Seek(m_offsets[nIndex]);
    std::string strText;
    std::string_view line;
    std::size_t nBytes = 0;
    for (std::size_t nRead = 0; nBytes <= nTextBytes && nRead <= nLines; ++nRead) {
        if (!reader.ReadLine(line, nLineBytes) || EndsBody(m_format, line))
            break;
        strText += line;
        strText += "\r\n";
        nBytes += line.size();
    }
    return strText;
}

void CAAStore::Swap(CAAStore& other) noexcept
{
    m_strPath.swap(other.m_strPath);
    std::swap(m_stamp, other.m_stamp);
    m_offsets.Swap(other.m_offsets);
    m_nameBytes.Swap(other.m_nameBytes);
    m_nameEnds.Swap(other.m_nameEnds);
    std::swap(m_format, other.m_format);
}