#include "AAStore.h"

#include "LineReader.h"
#include "RidaxoError.h"
#include "ShiftJis.h"

#include <cstring>
#include <limits>

namespace
{
constexpr std::string_view kNameKey = "[MojieName=";
constexpr std::string_view kEndLine = "[END]";
// AA text files run to hundreds of megabytes; read them in large blocks.
constexpr std::size_t kLoadBufferSize = std::size_t{1} << 20;
// A body is a few lines.
constexpr std::size_t kTextBufferSize = std::size_t{16} * 1024;

// The name on a name line: from after the key to the last "]", or empty
// when the line has none.
std::string_view CutName(std::string_view line)
{
    const std::string_view rest = line.substr(kNameKey.size());
    const std::size_t nBracket = FindLastSjisChar(rest, ']');
    return nBracket == std::string_view::npos ? std::string_view() : rest.substr(0, nBracket);
}
} // namespace

void CAAStore::Load(CLineReader& reader)
{
    CAAStore loaded;
    loaded.m_strPath = reader.GetFilePath();
    std::string_view line;
    while (reader.ReadLine(line)) {
        if (line.size() >= kNameKey.size() && std::memcmp(line.data(), kNameKey.data(), kNameKey.size()) == 0) {
            if (loaded.m_offsets.size() == static_cast<std::size_t>(std::numeric_limits<int>::max()))
                throw CRidaxoError(loaded.m_strPath, "cannot load: the file holds more AAs than Ridaxo can count");
            // The reader's position is where the next line, the body's first,
            // begins: this counts the bytes every line really ended with.
            loaded.m_offsets.push_back(reader.GetPosition());
            loaded.m_nameBytes += CutName(line);
            loaded.m_nameEnds.push_back(loaded.m_nameBytes.size());
        }
    }
    loaded.m_offsets.shrink_to_fit();
    loaded.m_nameBytes.shrink_to_fit();
    loaded.m_nameEnds.shrink_to_fit();
    Swap(loaded);
}

void CAAStore::LoadFile(const std::string& strPath)
{
    CLineReader reader(strPath, kLoadBufferSize);
    Load(reader);
}

std::string_view CAAStore::GetNameView(int nIndex) const
{
    if (!IsValidIndex(nIndex))
        return {};
    const std::uint64_t nBegin = nIndex == 0 ? 0 : m_nameEnds[nIndex - 1];
    return std::string_view(m_nameBytes).substr(nBegin, m_nameEnds[nIndex] - nBegin);
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
    while (reader.ReadLine(line) && line != kEndLine) {
        strText += line;
        strText += "\r\n";
    }
    return strText;
}

void CAAStore::Swap(CAAStore& other) noexcept
{
    m_strPath.swap(other.m_strPath);
    m_offsets.swap(other.m_offsets);
    m_nameBytes.swap(other.m_nameBytes);
    m_nameEnds.swap(other.m_nameEnds);
}
