#include "TreeExCore.h"

#include <algorithm>
#include <utility>

namespace
{
// The gap between a row's parts, and the room kept around the label.
constexpr int kGap = 4;
constexpr int kLabelPadding = 2;
} // namespace

bool CTreeExNode::IsIn(const CTreeExNode* pAncestor) const
{
    for (const CTreeExNode* pUp = this; pUp; pUp = pUp->m_pParent) {
        if (pUp == pAncestor)
            return true;
    }
    return false;
}

CTreeExRowLayout CTreeExRowLayout::Make(int nDepth, int nIndent, int nImageWidth, int nTextWidth)
{
    CTreeExRowLayout layout;
    layout.m_nButtonLeft = nDepth * nIndent;
    layout.m_nButtonRight = layout.m_nButtonLeft + nIndent;
    layout.m_nImageLeft = layout.m_nButtonRight;
    layout.m_nImageRight = layout.m_nImageLeft + (nImageWidth > 0 ? nImageWidth + kGap : 0);
    layout.m_nTextLeft = layout.m_nImageRight;
    layout.m_nTextRight = layout.m_nTextLeft + nTextWidth + 2 * kLabelPadding;
    return layout;
}

CTreeExRowLayout::EPart CTreeExRowLayout::HitTest(int nX) const
{
    if (nX < m_nButtonLeft)
        return EPart::Indent;
    if (nX < m_nButtonRight)
        return EPart::Button;
    if (nX < m_nImageRight)
        return EPart::Image;
    if (nX < m_nTextRight)
        return EPart::Label;
    return EPart::Right;
}

CTreeExCore::CTreeExCore(bool bHideRoot) : m_bHideRoot(bHideRoot) {}

CTreeExCore::~CTreeExCore()
{
    if (m_pRoot)
        Remove(m_pRoot.get(), [](CTreeExNode&) {});
}

CTreeExNode* CTreeExCore::Insert(std::unique_ptr<CTreeExNode> pNode, CTreeExNode* pParent, size_t nPos)
{
    CTreeExNode* pInserted = pNode.get();
    if (!pParent) {
        if (m_pRoot)
            return nullptr;
        m_pRoot = std::move(pNode);
        // A hidden root's children are the top rows: it is always open.
        m_pRoot->m_bExpanded = m_bHideRoot;
    } else {
        auto& children = pParent->m_children;
        nPos = std::min(nPos, children.size());
        pInserted->m_pParent = pParent;
        pInserted->m_nDepth = pParent->m_nDepth + 1;
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(nPos), std::move(pNode));
        for (size_t i = nPos; i < children.size(); ++i)
            children[i]->m_nIndex = static_cast<int>(i);
    }
    ++m_nCount;
    Changed();
    return pInserted;
}

void CTreeExCore::ReportBranch(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach)
{
    // Walked with a stack of its own, children before their parents, so
    // that a deep branch cannot exhaust the call stack.
    std::vector<std::pair<CTreeExNode*, int>> pending{{pNode, 0}};
    while (!pending.empty()) {
        auto& [pTop, nNext] = pending.back();
        if (nNext < pTop->GetChildCount()) {
            CTreeExNode* pChild = pTop->GetChild(nNext++);
            pending.emplace_back(pChild, 0);
            continue;
        }
        fnEach(*pTop);
        pending.pop_back();
    }
}

void CTreeExCore::Remove(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach)
{
    if (!pNode)
        return;
    ReportBranch(pNode, fnEach);
    CTreeExNode* pParent = pNode->m_pParent;
    if (!pParent) {
        Free(std::move(m_pRoot));
        return;
    }
    auto& children = pParent->m_children;
    const auto nPos = static_cast<size_t>(pNode->m_nIndex);
    std::unique_ptr<CTreeExNode> pTaken = std::move(children[nPos]);
    children.erase(children.begin() + static_cast<std::ptrdiff_t>(nPos));
    for (size_t i = nPos; i < children.size(); ++i)
        children[i]->m_nIndex = static_cast<int>(i);
    if (children.empty() && !pParent->m_bHasButton && pParent != m_pRoot.get())
        pParent->m_bExpanded = false;
    Free(std::move(pTaken));
}

void CTreeExCore::RemoveChildren(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach)
{
    if (!pNode || pNode->m_children.empty())
        return;
    for (auto& pChild : pNode->m_children)
        ReportBranch(pChild.get(), fnEach);
    std::vector<std::unique_ptr<CTreeExNode>> children;
    children.swap(pNode->m_children);
    if (!pNode->m_bHasButton && pNode != m_pRoot.get())
        pNode->m_bExpanded = false;
    for (auto& pChild : children)
        Free(std::move(pChild));
}

void CTreeExCore::Free(std::unique_ptr<CTreeExNode> pNode)
{
    // The items go after everyone has heard of them, gathered breadth
    // first, so that a branch of any depth is freed without recursion.
    std::vector<std::unique_ptr<CTreeExNode>> doomed;
    doomed.push_back(std::move(pNode));
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (auto& pChild : doomed[i]->m_children)
            doomed.push_back(std::move(pChild));
        doomed[i]->m_children.clear();
    }
    m_nCount -= doomed.size();
    Changed();
}

void CTreeExCore::SortChildren(CTreeExNode* pNode,
                               const std::function<bool(const CTreeExNode&, const CTreeExNode&)>& fnLess)
{
    auto& children = pNode->m_children;
    std::stable_sort(children.begin(), children.end(),
                     [&fnLess](const auto& pA, const auto& pB) { return fnLess(*pA, *pB); });
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->m_nIndex = static_cast<int>(i);
    Changed();
}

bool CTreeExCore::SetExpanded(CTreeExNode* pNode, bool bExpanded)
{
    if (!pNode || pNode->m_bExpanded == bExpanded || (bExpanded && !pNode->HasButton()))
        return false;
    if (pNode == m_pRoot.get() && m_bHideRoot)
        return false;
    pNode->m_bExpanded = bExpanded;
    Changed();
    return true;
}

void CTreeExCore::UpdateRows() const
{
    if (!m_bRowsDirty)
        return;
    m_bRowsDirty = false;
    // A new stamp makes every item's old row invalid at once, so an item
    // that went out of sight needs no visit.
    ++m_nRowStamp;
    m_rows.clear();
    if (!m_pRoot)
        return;
    std::vector<std::pair<const CTreeExNode*, int>> pending;
    const auto show = [this](const CTreeExNode* pNode) {
        pNode->m_nRow = static_cast<int>(m_rows.size());
        pNode->m_nRowStamp = m_nRowStamp;
        m_rows.push_back(const_cast<CTreeExNode*>(pNode));
    };
    if (!m_bHideRoot)
        show(m_pRoot.get());
    if (m_pRoot->m_bExpanded)
        pending.emplace_back(m_pRoot.get(), 0);
    while (!pending.empty()) {
        auto& [pParent, nNext] = pending.back();
        if (nNext >= pParent->GetChildCount()) {
            pending.pop_back();
            continue;
        }
        const CTreeExNode* pChild = pParent->GetChild(nNext++);
        show(pChild);
        if (pChild->m_bExpanded && !pChild->m_children.empty())
            pending.emplace_back(pChild, 0);
    }
}

int CTreeExCore::GetRowCount() const
{
    UpdateRows();
    return static_cast<int>(m_rows.size());
}

CTreeExNode* CTreeExCore::GetRowNode(int nRow) const
{
    UpdateRows();
    return nRow >= 0 && nRow < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(nRow)] : nullptr;
}

int CTreeExCore::GetRowOf(const CTreeExNode* pNode) const
{
    UpdateRows();
    return pNode && pNode->m_nRowStamp == m_nRowStamp ? pNode->m_nRow : -1;
}

CTreeExNode* CTreeExCore::GetShownNeighbour(const CTreeExNode* pNode, bool bDown) const
{
    const int nRow = GetRowOf(pNode);
    return nRow < 0 ? nullptr : GetRowNode(bDown ? nRow + 1 : nRow - 1);
}

CTreeExKeyMove CTreeExCore::MoveByKey(const CTreeExNode* pCurrent, ETreeExKey nKey, int nPageRows) const
{
    using EAction = CTreeExKeyMove::EAction;
    const int nRow = GetRowOf(pCurrent);
    if (nRow < 0)
        return {};
    auto* pNode = const_cast<CTreeExNode*>(pCurrent);
    const int nLast = GetRowCount() - 1;
    const auto selectRow = [this](int nTarget) { return CTreeExKeyMove{EAction::Select, GetRowNode(nTarget)}; };
    const bool bOpen = pNode->m_bExpanded && !pNode->m_children.empty();
    switch (nKey) {
    case ETreeExKey::Up:
        return nRow > 0 ? selectRow(nRow - 1) : CTreeExKeyMove{};
    case ETreeExKey::Down:
        return nRow < nLast ? selectRow(nRow + 1) : CTreeExKeyMove{};
    case ETreeExKey::Home:
        return selectRow(0);
    case ETreeExKey::End:
        return selectRow(nLast);
    case ETreeExKey::PageUp:
        return selectRow(std::max(nRow - std::max(nPageRows - 1, 1), 0));
    case ETreeExKey::PageDown:
        return selectRow(std::min(nRow + std::max(nPageRows - 1, 1), nLast));
    case ETreeExKey::Left:
        // An open item closes; a closed one hands the selection up.
        if (bOpen)
            return {EAction::Collapse, pNode};
        if (pNode->m_pParent && GetRowOf(pNode->m_pParent) >= 0)
            return {EAction::Select, pNode->m_pParent};
        return {};
    case ETreeExKey::Right:
        // A closed item opens; an open one hands the selection down.
        if (pNode->HasButton() && !pNode->m_bExpanded)
            return {EAction::Expand, pNode};
        if (bOpen)
            return {EAction::Select, pNode->GetChild(0)};
        return {};
    case ETreeExKey::Expand:
        return pNode->HasButton() && !pNode->m_bExpanded ? CTreeExKeyMove{EAction::Expand, pNode} : CTreeExKeyMove{};
    case ETreeExKey::Collapse:
        return pNode->m_bExpanded ? CTreeExKeyMove{EAction::Collapse, pNode} : CTreeExKeyMove{};
    case ETreeExKey::ExpandAll:
        return pNode->HasButton() ? CTreeExKeyMove{EAction::ExpandAll, pNode} : CTreeExKeyMove{};
    }
    return {};
}
