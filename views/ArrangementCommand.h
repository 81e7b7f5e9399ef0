#pragma once

#include <wx/cmdproc.h>

#include <memory>
#include <string>
#include <vector>

class CCategory;
class CCategoryEdit;
class CRidaxoDoc;

// What the panes showed of the arrangement: the folder selected in the
// tree and the AAs of the rows selected in the list.
struct CViewState
{
    CCategory* m_pFolder = nullptr;
    std::vector<int> m_selectedAAs;
};

// One change to the arrangement as one step of the document's undo history,
// however many folders or AAs it moves: a model edit (CategoryEdit.h) that
// the tree follows. Done the first time, it changes the model and the tree
// items it touches, and whoever made it selects what it shows next. Undone
// or done again, the panes also show what they showed at that state of the
// arrangement: the folder selected and listed, and the rows selected.
class CArrangementCommand : public wxCommand
{
public:
    bool Do() override;
    bool Undo() override;

    // The states of the history (CArrangementHistory) before and after
    // this step.
    unsigned GetStateBefore() const { return m_nStateBefore; }
    unsigned GetStateAfter() const { return m_nStateAfter; }

protected:
    // pszName (UTF-8) names the step in the edit menu. The tree shows the
    // sub-folders of each folder of parents anew after the edit, and
    // pRenamed's name.
    CArrangementCommand(const char* pszName, std::unique_ptr<CCategoryEdit> pEdit, std::vector<CCategory*> parents,
                        CCategory* pRenamed = nullptr);
    CCategoryEdit& GetEdit() const { return *m_pEdit; }

private:
    // The tree follows the model; pState, when given, is what the panes
    // show then.
    void ShowChange(const CViewState* pState) const;

    std::unique_ptr<CCategoryEdit> m_pEdit;
    std::vector<CCategory*> m_parents;
    CCategory* m_pRenamed;
    bool m_bDone = false;
    unsigned m_nStateBefore = 0;
    unsigned m_nStateAfter = 0;
    // What the panes showed before the last Do, and before the last Undo.
    CViewState m_before;
    CViewState m_after;
};

class CRenameFolderCommand : public CArrangementCommand
{
public:
    CRenameFolderCommand(CCategory& folder, std::string strName);
};

// Appends a new folder to parent.
class CAddFolderCommand : public CArrangementCommand
{
public:
    CAddFolderCommand(CCategory& parent, std::string strName);
    // The folder added, once done.
    CCategory* GetFolder() const;
};

// Deletes a folder with its branch; the top folder loses only its
// sub-folders.
class CDeleteFolderCommand : public CArrangementCommand
{
public:
    explicit CDeleteFolderCommand(CCategory& folder);
};

// Moves a folder with its branch to nPos among newParent's other children
// (beyond them, or negative: last).
class CMoveFolderCommand : public CArrangementCommand
{
public:
    CMoveFolderCommand(CCategory& folder, CCategory& newParent, int nPos);
};

// Puts a copy of source's branch under parent at nPos (beyond the children,
// or negative: last).
class CCopyFolderCommand : public CArrangementCommand
{
public:
    CCopyFolderCommand(const CCategory& source, CCategory& parent, int nPos);
    // The copy, once done.
    CCategory* GetCopy() const;
};

// Appends AAs to a folder, or moves them there from another (bMove): each
// leaves its first entry in the folder it came from.
class CDropAAsCommand : public CArrangementCommand
{
public:
    CDropAAsCommand(CCategory* pFrom, CCategory& to, std::vector<int> aas);
    // A paste of what cut or copy marked (CCategoryClip::MakeAAsPaste).
    CDropAAsCommand(bool bMove, std::unique_ptr<CCategoryEdit> pPaste);
};

// Removes AAs from a folder, the first entry of each.
class CRemoveAAsCommand : public CArrangementCommand
{
public:
    CRemoveAAsCommand(CCategory& folder, std::vector<int> aas);
};

// The document's undo history: wx's command processor of
// CArrangementCommand steps, which also tells the states of the arrangement
// apart, so that the changed mark can follow the history: undone back to
// the state last saved, the arrangement is the saved one again.
class CArrangementHistory : public wxCommandProcessor
{
public:
    explicit CArrangementHistory(int nMaxSteps) : wxCommandProcessor(nMaxSteps) {}

    // The step Undo takes back, and the one Redo does again; null when
    // there is none.
    const CArrangementCommand* GetUndoStep() const;
    const CArrangementCommand* GetRedoStep() const;

    // The state the arrangement is in, as the history sees it: one number
    // for each state a step left, and one for the state the history
    // started from.
    unsigned GetState() const;
    // A number no state had before.
    unsigned NewState() { return ++m_nLastState; }

    // Forgets every step; the arrangement as it is becomes the state the
    // history starts from.
    void ClearCommands() override;

private:
    unsigned m_nLastState = 0;
    unsigned m_nStartState = 0;
};
