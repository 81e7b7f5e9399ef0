#include "CategoryEdit.h"

#include <cassert>
#include <utility>

CRenameFolderEdit::CRenameFolderEdit(CCategory& folder, std::string strName)
    : m_folder(folder), m_strOtherName(std::move(strName))
{}

void CRenameFolderEdit::Do()
{
    // Do and Undo each put the other name in and keep the one they took out.
    std::string strOld = m_folder.GetName();
    m_folder.SetName(std::move(m_strOtherName));
    m_strOtherName = std::move(strOld);
}

void CRenameFolderEdit::Undo()
{
    Do();
}

CAddFolderEdit::CAddFolderEdit(CCategory& parent, std::string strName) : m_parent(parent), m_strName(std::move(strName))
{}

void CAddFolderEdit::Do()
{
    if (m_pTakenOut)
        m_pFolder = m_parent.AttachChild(std::move(m_pTakenOut), -1);
    else
        m_pFolder = m_parent.AddChild(m_strName);
}

void CAddFolderEdit::Undo()
{
    const int nLast = m_parent.GetChildCount() - 1;
    assert(m_parent.GetChildAt(nLast) == m_pFolder);
    m_pTakenOut = m_parent.DetachChild(nLast);
}

CDeleteFolderEdit::CDeleteFolderEdit(CCategory& folder) : m_folder(folder), m_pParent(folder.GetParent()) {}

void CDeleteFolderEdit::Do()
{
    m_takenOut.clear();
    if (!m_pParent) {
        m_takenOut = m_folder.DetachAllChildren();
        return;
    }
    m_nPos = m_pParent->GetChildPos(&m_folder);
    assert(m_nPos >= 0);
    m_takenOut.push_back(m_pParent->DetachChild(m_nPos));
}

void CDeleteFolderEdit::Undo()
{
    if (!m_pParent) {
        for (auto& pChild : m_takenOut)
            m_folder.AttachChild(std::move(pChild), -1);
    } else {
        m_pParent->AttachChild(std::move(m_takenOut.front()), m_nPos);
    }
    m_takenOut.clear();
}

CMoveFolderEdit::CMoveFolderEdit(CCategory& folder, CCategory& newParent, int nPos)
    : m_oldParent(*folder.GetParent()), m_newParent(newParent), m_nOldPos(m_oldParent.GetChildPos(&folder)),
      m_nNewPos(nPos)
{
    assert(!IsInBranch(newParent, folder));
}

void CMoveFolderEdit::Do()
{
    std::unique_ptr<CCategory> pFolder = m_oldParent.DetachChild(m_nOldPos);
    // Where it went, counted as Undo finds it: beyond the count is last.
    m_nNewPos = m_newParent.GetChildPos(m_newParent.AttachChild(std::move(pFolder), m_nNewPos));
}

void CMoveFolderEdit::Undo()
{
    m_oldParent.AttachChild(m_newParent.DetachChild(m_nNewPos), m_nOldPos);
}

CCopyFolderEdit::CCopyFolderEdit(const CCategory& source, CCategory& parent, int nPos)
    : m_pSource(&source), m_parent(parent), m_nPos(nPos)
{}

void CCopyFolderEdit::Do()
{
    std::unique_ptr<CCategory> pCopy = m_pTakenOut ? std::move(m_pTakenOut) : m_pSource->CopyBranch();
    // The source is not needed again, nor may it be: it may be gone by a redo.
    m_pSource = nullptr;
    m_pCopy = m_parent.AttachChild(std::move(pCopy), m_nPos);
    m_nPos = m_parent.GetChildPos(m_pCopy);
}

void CCopyFolderEdit::Undo()
{
    m_pTakenOut = m_parent.DetachChild(m_nPos);
}

CAddAAsEdit::CAddAAsEdit(CCategory& folder, std::vector<int> aas) : m_folder(folder), m_aas(std::move(aas)) {}

void CAddAAsEdit::Do()
{
    for (int nIndex : m_aas)
        m_folder.AddAA(nIndex);
}

void CAddAAsEdit::Undo()
{
    m_folder.RemoveLastAAs(m_aas.size());
}

CRemoveAAsEdit::CRemoveAAsEdit(CCategory& folder, std::vector<int> aas) : m_folder(folder), m_aas(std::move(aas)) {}

void CRemoveAAsEdit::Do()
{
    m_removed = {};
    m_folder.RemoveAAs(m_aas, &m_removed);
}

void CRemoveAAsEdit::Undo()
{
    m_folder.RestoreAAs(m_removed);
}

void CEditSequence::Do()
{
    for (auto& pEdit : m_edits)
        pEdit->Do();
}

void CEditSequence::Undo()
{
    for (auto it = m_edits.rbegin(); it != m_edits.rend(); ++it)
        (*it)->Undo();
}

bool IsInBranch(const CCategory& category, const CCategory& ancestor)
{
    for (const CCategory* pUp = &category; pUp; pUp = pUp->GetParent()) {
        if (pUp == &ancestor)
            return true;
    }
    return false;
}
