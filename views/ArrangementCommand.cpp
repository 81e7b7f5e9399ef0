#include "ArrangementCommand.h"

#include "CategoryEdit.h"
#include "Resources.h"
#include "ViewHost.h"

#include <utility>

namespace
{
CArrangementHistory* History()
{
    IViewHost* pHost = GetViewHost();
    return pHost ? pHost->GetHistory() : nullptr;
}
} // namespace

CArrangementCommand::CArrangementCommand(const char* pszName, std::unique_ptr<CCategoryEdit> pEdit,
                                         std::vector<CCategory*> parents, CCategory* pRenamed)
    : wxCommand(true, U8(pszName)), m_pEdit(std::move(pEdit)), m_parents(std::move(parents)), m_pRenamed(pRenamed)
{}

bool CArrangementCommand::Do()
{
    if (const IViewHost* pHost = GetViewHost())
        m_before = pHost->CaptureViewState();
    const bool bRedo = m_bDone;
    if (!m_bDone) {
        m_bDone = true;
        if (CArrangementHistory* pHistory = History()) {
            m_nStateBefore = pHistory->GetState();
            m_nStateAfter = pHistory->NewState();
        }
    }
    m_pEdit->Do();
    ShowChange(bRedo ? &m_after : nullptr);
    return true;
}

bool CArrangementCommand::Undo()
{
    if (const IViewHost* pHost = GetViewHost())
        m_after = pHost->CaptureViewState();
    m_pEdit->Undo();
    ShowChange(&m_before);
    return true;
}

void CArrangementCommand::ShowChange(const CViewState* pState) const
{
    if (IViewHost* pHost = GetViewHost())
        pHost->ShowArrangementChange(m_parents, m_pRenamed, pState);
}

CRenameFolderCommand::CRenameFolderCommand(CCategory& folder, std::string strName)
    : CArrangementCommand("フォルダ名の変更", std::make_unique<CRenameFolderEdit>(folder, std::move(strName)), {},
                          &folder)
{}

CAddFolderCommand::CAddFolderCommand(CCategory& parent, std::string strName)
    : CArrangementCommand("フォルダの追加", std::make_unique<CAddFolderEdit>(parent, std::move(strName)), {&parent})
{}

CCategory* CAddFolderCommand::GetFolder() const
{
    return static_cast<const CAddFolderEdit&>(GetEdit()).GetFolder();
}

CDeleteFolderCommand::CDeleteFolderCommand(CCategory& folder)
    : CArrangementCommand("フォルダの削除", std::make_unique<CDeleteFolderEdit>(folder),
                          // The top folder keeps its item and loses those below it.
                          {folder.GetParent() ? folder.GetParent() : &folder})
{}

CMoveFolderCommand::CMoveFolderCommand(CCategory& folder, CCategory& newParent, int nPos)
    : CArrangementCommand("フォルダの移動", std::make_unique<CMoveFolderEdit>(folder, newParent, nPos),
                          {folder.GetParent(), &newParent})
{}

CCopyFolderCommand::CCopyFolderCommand(const CCategory& source, CCategory& parent, int nPos)
    : CArrangementCommand("フォルダのコピー", std::make_unique<CCopyFolderEdit>(source, parent, nPos), {&parent})
{}

CCategory* CCopyFolderCommand::GetCopy() const
{
    return static_cast<const CCopyFolderEdit&>(GetEdit()).GetCopy();
}

namespace
{
std::unique_ptr<CCategoryEdit> MakeAAsDrop(CCategory* pFrom, CCategory& to, std::vector<int> aas)
{
    if (!pFrom)
        return std::make_unique<CAddAAsEdit>(to, std::move(aas));
    // Taken out first: dropped on their own folder, they move to its end.
    auto pMove = std::make_unique<CEditSequence>();
    pMove->Add(std::make_unique<CRemoveAAsEdit>(*pFrom, aas));
    pMove->Add(std::make_unique<CAddAAsEdit>(to, std::move(aas)));
    return pMove;
}
} // namespace

CDropAAsCommand::CDropAAsCommand(CCategory* pFrom, CCategory& to, std::vector<int> aas)
    : CDropAAsCommand(pFrom != nullptr, MakeAAsDrop(pFrom, to, std::move(aas)))
{}

CDropAAsCommand::CDropAAsCommand(bool bMove, std::unique_ptr<CCategoryEdit> pPaste)
    : CArrangementCommand(bMove ? "ＡＡの移動" : "ＡＡのコピー", std::move(pPaste), {})
{}

CRemoveAAsCommand::CRemoveAAsCommand(CCategory& folder, std::vector<int> aas)
    : CArrangementCommand("ＡＡの削除", std::make_unique<CRemoveAAsEdit>(folder, std::move(aas)), {})
{}

const CArrangementCommand* CArrangementHistory::GetUndoStep() const
{
    return CanUndo() ? static_cast<const CArrangementCommand*>(GetCurrentCommand()) : nullptr;
}

const CArrangementCommand* CArrangementHistory::GetRedoStep() const
{
    if (!CanRedo())
        return nullptr;
    const wxList::compatibility_iterator next =
        m_currentCommand ? m_currentCommand->GetNext() : GetCommands().GetFirst();
    return next ? static_cast<const CArrangementCommand*>(next->GetData()) : nullptr;
}

unsigned CArrangementHistory::GetState() const
{
    if (const wxCommand* pCurrent = GetCurrentCommand())
        return static_cast<const CArrangementCommand*>(pCurrent)->GetStateAfter();
    // Everything undone: the state before the oldest step kept, which
    // may be later than the one the history started from when older steps
    // went over the limit.
    if (!GetCommands().empty())
        return static_cast<const CArrangementCommand*>(GetCommands().GetFirst()->GetData())->GetStateBefore();
    return m_nStartState;
}

void CArrangementHistory::ClearCommands()
{
    wxCommandProcessor::ClearCommands();
    m_nStartState = NewState();
}
