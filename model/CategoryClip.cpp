#include "CategoryClip.h"

#include "Category.h"
#include "CategoryEdit.h"

#include <unordered_map>
#include <utility>

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
        return IsInBranch(*pTarget, *m_pFolder) ? EPaste::IntoOwnBranch : EPaste::Allowed;
    return m_bCut && pTarget == m_pFolder ? EPaste::Nothing : EPaste::Allowed;
}

std::unique_ptr<CCategoryEdit> CCategoryClip::MakeAAsPaste(CCategory& target)
{
    if (m_nKind != EKind::AAs || CheckPaste(&target) != EPaste::Allowed || m_aas.empty())
        return nullptr;
    if (!m_bCut)
        return std::make_unique<CAddAAsEdit>(target, m_aas);
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
    CCategory& source = *m_pFolder;
    Clear();
    if (moved.empty())
        return nullptr;
    auto pMove = std::make_unique<CEditSequence>();
    pMove->Add(std::make_unique<CRemoveAAsEdit>(source, moved));
    pMove->Add(std::make_unique<CAddAAsEdit>(target, std::move(moved)));
    return pMove;
}

void CCategoryClip::ForgetUnlessUnder(const CCategory& root)
{
    if (m_pFolder && !IsInBranch(*m_pFolder, root))
        Clear();
}
