#include "CategoryClip.h"

#include "Category.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace
{
bool IsInBranch(const CCategory* pCategory, const CCategory* pTop)
{
    for (const CCategory* pUp = pCategory; pUp; pUp = pUp->GetParent()) {
        if (pUp == pTop)
            return true;
    }
    return false;
}
} // namespace

void CCategoryClip::MarkAAs(CCategory& source, std::vector<int> aas, bool bCut)
{
    m_nKind = EKind::AAs;
    m_bCut = bCut;
    m_pFolder = &source;
    m_aas = std::move(aas);
}

void CCategoryClip::MarkFolder(CCategory& folder, bool bCut)
{
    m_nKind = EKind::Folder;
    m_bCut = bCut;
    m_pFolder = &folder;
    m_aas.clear();
}

void CCategoryClip::Clear()
{
    m_nKind = EKind::None;
    m_bCut = false;
    m_pFolder = nullptr;
    m_aas.clear();
}

CCategoryClip::EPaste CCategoryClip::CheckPaste(const CCategory* pTarget) const
{
    if (!pTarget || m_nKind == EKind::None)
        return EPaste::Nothing;
    if (m_nKind == EKind::Folder)
        return IsInBranch(pTarget, m_pFolder) ? EPaste::IntoOwnBranch : EPaste::Allowed;
    return m_bCut && pTarget == m_pFolder ? EPaste::Nothing : EPaste::Allowed;
}

bool CCategoryClip::PasteAAs(CCategory& target)
{
    if (m_nKind != EKind::AAs || CheckPaste(&target) != EPaste::Allowed)
        return false;
    if (!m_bCut) {
        for (int nIndex : m_aas)
            target.AddAA(nIndex);
        return !m_aas.empty();
    }
    // Each entry the folder holds can be moved once: an AA marked twice
    // but held once moves once.
    std::unordered_map<int, int> held;
    for (int nIndex : m_pFolder->GetAAList())
        ++held[nIndex];
    std::vector<int> moved;
    for (int nIndex : m_aas) {
        if (auto it = held.find(nIndex); it != held.end() && it->second > 0) {
            --it->second;
            moved.push_back(nIndex);
        }
    }
    m_pFolder->RemoveAAs(moved);
    for (int nIndex : moved)
        target.AddAA(nIndex);
    Clear();
    return !moved.empty();
}

void CCategoryClip::Forget(const std::vector<CCategory*>& categories)
{
    if (m_nKind == EKind::None)
        return;
    if (std::any_of(categories.begin(), categories.end(),
                    [this](const CCategory* pGoing) { return IsInBranch(m_pFolder, pGoing); }))
        Clear();
}
