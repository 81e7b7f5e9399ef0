#include "Category.h"

#include "AAStore.h"
#include "BlockWriter.h"
#include "LineReader.h"
#include "RidaxoError.h"
#include "TextRoutines.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace
{
// Reads the lines of an index file's category blocks. Past the end of the
// file every line reads as an empty line, as the format wants for a file
// that was cut short; but only so many of them as the file's own size
// allows, so that a damaged count can neither hang the program nor fill
// memory.
class CBlockLineSource
{
public:
    explicit CBlockLineSource(CLineReader& reader)
        : m_reader(reader), m_nMissingAllowed(reader.GetFileSize() + kMissingLinesSlack)
    {}

    std::string_view Next()
    {
        std::string_view line;
        if (m_bAtEnd || !m_reader.ReadLine(line)) {
            m_bAtEnd = true;
            if (++m_nMissing > m_nMissingAllowed)
                throw CRidaxoError(m_reader.GetFilePath(), EErrorCause::IndexCountsBeyondFile);
        }
        return line;
    }

    long long NextNumber() { return StringToInt(Next()); }

    // The categories hold AA indices in 32 bits. A number beyond them would
    // be saved as another number, so the file is refused as damaged, naming
    // the line: the reader has read every line from the file's start.
    int NextAAIndex()
    {
        const long long nValue = NextNumber();
        if (nValue < std::numeric_limits<int>::min() || nValue > std::numeric_limits<int>::max())
            throw CRidaxoError(m_reader.GetFilePath(), EErrorCause::IndexNumberOutOfRange,
                               std::to_string(m_reader.GetLinesRead()));
        return static_cast<int>(nValue);
    }

    // The most number lines the whole file could hold, at two bytes a line.
    std::uint64_t GetMostLines() const { return m_reader.GetFileSize() / 2 + 1; }

private:
    static constexpr std::uint64_t kMissingLinesSlack = std::uint64_t{64} * 1024;

    CLineReader& m_reader;
    std::uint64_t m_nMissingAllowed;
    std::uint64_t m_nMissing = 0;
    bool m_bAtEnd = false;
};

// Reads one block's own lines (name, AAs) into category; returns the number
// of child blocks that follow.
long long ReadBlockHead(CBlockLineSource& source, CCategory& category)
{
    category.SetName(Unquote(source.Next()));
    const long long nAAs = source.NextNumber();
    // Room for the AAs at once, but never for more than the file could hold
    // (two bytes a line): counts of a damaged file are not to be trusted.
    if (nAAs > 0)
        category.ReserveAAs(static_cast<std::size_t>(std::min<std::uint64_t>(nAAs, source.GetMostLines())));
    for (long long i = 0; i < nAAs; ++i)
        category.AddAA(source.NextAAIndex());
    return source.NextNumber();
}

void WriteBlockHead(CBlockWriter& writer, const CCategory& category)
{
    // The quoted name, as Quote makes it.
    writer.WriteChar('"');
    writer.Write(category.GetNameRef());
    writer.Write("\"\n");
    writer.WriteNumberLine(category.GetAACount());
    for (int nIndex : category.GetAAList())
        writer.WriteNumberLine(nIndex);
    writer.WriteNumberLine(category.GetChildCount());
}
} // namespace

CCategory::~CCategory()
{
    RemoveAllChildren();
}

CCategory* CCategory::AddChild(std::string strName)
{
    auto child = std::make_unique<CCategory>();
    child->m_strName = std::move(strName);
    child->m_pParent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

CCategory* CCategory::AddChildCopy(const CCategory& source)
{
    std::vector<int> aaList = source.m_aaList;
    CCategory* pChild = AddChild(source.m_strName);
    pChild->m_aaList = std::move(aaList);
    return pChild;
}

bool CCategory::RemoveChild(const CCategory* pChild)
{
    // Unlinked before it is destroyed, so that nothing reached from its
    // destructor finds it still listed.
    return DetachChild(GetChildPos(pChild)) != nullptr;
}

void CCategory::RemoveAllChildren()
{
    // Unlink the subtree level by level so that destroying a category never
    // destroys another from inside its destructor: a tree nested a million
    // deep must not exhaust the stack.
    std::vector<std::unique_ptr<CCategory>> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<CCategory> category = std::move(pending.back());
        pending.pop_back();
        for (auto& child : category->m_children)
            pending.push_back(std::move(child));
        category->m_children.clear();
    }
}

void CCategory::RemoveCategories(const std::vector<CCategory*>& categories)
{
    const std::unordered_set<CCategory*> given(categories.begin(), categories.end());
    // Decide everything before anything is destroyed: only the categories
    // with no given ancestor are removed, and their subtrees are disjoint,
    // so removing one never touches another. A deleted branch reports
    // every category in it, so each walk up stops at the first step but the
    // branch top's.
    std::vector<CCategory*> tops;
    for (CCategory* pCategory : given) {
        bool bUnderGiven = false;
        for (CCategory* pUp = pCategory->m_pParent; pUp && !bUnderGiven; pUp = pUp->m_pParent)
            bUnderGiven = given.count(pUp) != 0;
        if (!bUnderGiven)
            tops.push_back(pCategory);
    }
    // Each parent loses all its given children in one pass: deleting the
    // top folder's thousands of sub-folders one by one would take a pass
    // over its children for each.
    std::unordered_set<CCategory*> parents;
    for (CCategory* pTop : tops) {
        if (pTop->m_pParent)
            parents.insert(pTop->m_pParent);
        else
            pTop->RemoveAllChildren();
    }
    for (CCategory* pParent : parents)
        std::erase_if(pParent->m_children,
                      [&given](const std::unique_ptr<CCategory>& pChild) { return given.count(pChild.get()) != 0; });
}

CCategory* CCategory::GetChildAt(int nPos) const
{
    if (nPos < 0 || nPos >= GetChildCount())
        return nullptr;
    return m_children[nPos].get();
}

int CCategory::GetChildPos(const CCategory* pChild) const
{
    const auto it = std::find_if(m_children.begin(), m_children.end(),
                                 [pChild](const auto& child) { return child.get() == pChild; });
    return it == m_children.end() ? -1 : static_cast<int>(it - m_children.begin());
}

std::unique_ptr<CCategory> CCategory::DetachChild(int nPos)
{
    if (nPos < 0 || nPos >= GetChildCount())
        return nullptr;
    std::unique_ptr<CCategory> pChild = std::move(m_children[nPos]);
    m_children.erase(m_children.begin() + nPos);
    pChild->m_pParent = nullptr;
    return pChild;
}

std::vector<std::unique_ptr<CCategory>> CCategory::DetachAllChildren()
{
    std::vector<std::unique_ptr<CCategory>> children = std::move(m_children);
    m_children.clear();
    for (auto& pChild : children)
        pChild->m_pParent = nullptr;
    return children;
}

CCategory* CCategory::AttachChild(std::unique_ptr<CCategory> pChild, int nPos)
{
    pChild->m_pParent = this;
    const auto it = nPos < 0 || nPos >= GetChildCount() ? m_children.end() : m_children.begin() + nPos;
    return m_children.insert(it, std::move(pChild))->get();
}

std::unique_ptr<CCategory> CCategory::CopyBranch() const
{
    auto pCopy = std::make_unique<CCategory>();
    pCopy->m_strName = m_strName;
    pCopy->m_aaList = m_aaList;
    // Each source category beside the copy that takes its children.
    std::vector<std::pair<const CCategory*, CCategory*>> pending{{this, pCopy.get()}};
    while (!pending.empty()) {
        const auto [pSource, pTarget] = pending.back();
        pending.pop_back();
        for (const auto& pChild : pSource->m_children)
            pending.emplace_back(pChild.get(), pTarget->AddChildCopy(*pChild));
    }
    return pCopy;
}

int CCategory::GetAAAt(int nPos) const
{
    if (nPos < 0 || nPos >= GetAACount())
        return -1;
    return m_aaList[nPos];
}

void CCategory::RemoveAA(int nIndex)
{
    const auto it = std::find(m_aaList.begin(), m_aaList.end(), nIndex);
    if (it != m_aaList.end())
        m_aaList.erase(it);
}

void CCategory::RemoveAAs(const std::vector<int>& indices, CRemovedAAs* pRemoved)
{
    if (indices.empty())
        return;
    std::unordered_map<int, std::size_t> wanted;
    for (int nIndex : indices)
        ++wanted[nIndex];
    // The earliest entries of each index go, as repeated RemoveAA would.
    // erase_if visits the entries in order, once each.
    int nPos = -1;
    std::erase_if(m_aaList, [&wanted, &nPos, pRemoved](int nIndex) {
        ++nPos;
        const auto it = wanted.find(nIndex);
        if (it == wanted.end() || it->second == 0)
            return false;
        --it->second;
        if (pRemoved) {
            pRemoved->m_positions.push_back(nPos);
            pRemoved->m_values.push_back(nIndex);
        }
        return true;
    });
}

void CCategory::RestoreAAs(const CRemovedAAs& removed)
{
    std::vector<int> restored;
    restored.reserve(m_aaList.size() + removed.m_values.size());
    std::size_t nKept = 0;
    for (std::size_t i = 0; i < removed.m_positions.size() && i < removed.m_values.size(); ++i) {
        // Entries that stayed fill the places up to the next one restored.
        const auto nAt = static_cast<std::size_t>(removed.m_positions[i]);
        while (restored.size() < nAt && nKept < m_aaList.size())
            restored.push_back(m_aaList[nKept++]);
        restored.push_back(removed.m_values[i]);
    }
    restored.insert(restored.end(), m_aaList.begin() + static_cast<std::ptrdiff_t>(nKept), m_aaList.end());
    m_aaList = std::move(restored);
}

void CCategory::RemoveLastAAs(std::size_t nCount)
{
    m_aaList.resize(m_aaList.size() - std::min(nCount, m_aaList.size()));
}

void CCategory::Save(std::string& strOut) const
{
    CBlockWriter writer([&strOut](std::string_view data) { strOut += data; });
    Save(writer);
    writer.Flush();
}

void CCategory::Save(CBlockWriter& writer) const
{
    // Pre-order with an explicit stack, for trees of any depth.
    struct CFrame
    {
        const CCategory* m_pCategory;
        std::size_t m_nNextChild;
    };
    WriteBlockHead(writer, *this);
    std::vector<CFrame> stack{{this, 0}};
    while (!stack.empty()) {
        CFrame& top = stack.back();
        if (top.m_nNextChild == top.m_pCategory->m_children.size()) {
            stack.pop_back();
            continue;
        }
        const CCategory& child = *top.m_pCategory->m_children[top.m_nNextChild++];
        WriteBlockHead(writer, child);
        stack.push_back({&child, 0});
    }
}

void CCategory::Load(CLineReader& reader)
{
    struct CFrame
    {
        CCategory* m_pCategory;
        long long m_nChildrenLeft;
    };
    CBlockLineSource source(reader);
    CCategory loaded;
    std::vector<CFrame> stack{{&loaded, ReadBlockHead(source, loaded)}};
    while (!stack.empty()) {
        CFrame& top = stack.back();
        if (top.m_nChildrenLeft <= 0) {
            stack.pop_back();
            continue;
        }
        --top.m_nChildrenLeft;
        CCategory* pChild = top.m_pCategory->AddChild(std::string());
        const long long nChildren = ReadBlockHead(source, *pChild);
        stack.push_back({pChild, nChildren});
    }
    SwapContents(loaded);
}

void CCategory::SwapContents(CCategory& other) noexcept
{
    m_children.swap(other.m_children);
    m_aaList.swap(other.m_aaList);
    m_strName.swap(other.m_strName);
    for (auto& child : m_children)
        child->m_pParent = this;
    for (auto& child : other.m_children)
        child->m_pParent = &other;
}

void CCategoryModel::PlaceAllInRoot(const CAAStore& store)
{
    m_root.RemoveAllChildren();
    m_root.RemoveAllAAs();
    const int nCount = store.GetCount();
    m_root.m_aaList.reserve(nCount);
    for (int nIndex = 0; nIndex < nCount; ++nIndex)
        m_root.AddAA(nIndex);
}

namespace
{
// Calls fnVisit for root and every category below it; a list of pending
// categories rather than recursion, as a tree may be deeper than the stack.
template <typename TVisit> void VisitBranch(const CCategory& root, TVisit fnVisit)
{
    std::vector<const CCategory*> pending{&root};
    while (!pending.empty()) {
        const CCategory* pCategory = pending.back();
        pending.pop_back();
        fnVisit(*pCategory);
        for (int i = 0; i < pCategory->GetChildCount(); ++i)
            pending.push_back(pCategory->GetChildAt(i));
    }
}
} // namespace

std::size_t CountUnbackedAAs(const CCategory& root, const CAAStore& store)
{
    const int nCount = store.GetCount();
    std::size_t nUnbacked = 0;
    VisitBranch(root, [&](const CCategory& category) {
        for (int nIndex : category.GetAAList())
            if (nIndex < 0 || nIndex >= nCount)
                ++nUnbacked;
    });
    return nUnbacked;
}

std::vector<int> CollectBranchAAs(const CCategory& root)
{
    std::vector<int> aas;
    VisitBranch(root, [&](const CCategory& category) {
        aas.insert(aas.end(), category.GetAAList().begin(), category.GetAAList().end());
    });
    std::sort(aas.begin(), aas.end());
    aas.erase(std::unique(aas.begin(), aas.end()), aas.end());
    return aas;
}
