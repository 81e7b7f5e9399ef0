#pragma once

#include "Category.h"

#include <memory>
#include <string>
#include <vector>

// One change to a category tree that can be undone and done again. Undo
// restores the tree exactly: the same category objects (whoever points at
// one, a tree item or a mark, still finds it), at the same places among
// their siblings, with the same AAs in the same order. An edit keeps only
// what it needs to go back: the branch it took out, the AAs it removed and
// where they stood, never a copy of the whole tree.
//
// The constructor changes nothing; Do makes the change, Undo takes it back,
// and the two alternate, Do first. Edits done one after the other are
// undone in the reverse order, each from the state its Do left, as an undo
// history does it. A category an edit refers to must live as long as the
// edit; the branches an edit took out live in it.
class CCategoryEdit
{
public:
    virtual ~CCategoryEdit() = default;
    virtual void Do() = 0;
    virtual void Undo() = 0;
};

// Renames a folder.
class CRenameFolderEdit : public CCategoryEdit
{
public:
    CRenameFolderEdit(CCategory& folder, std::string strName);
    void Do() override;
    void Undo() override;

private:
    CCategory& m_folder;
    std::string m_strOtherName;
};

// Appends a new, empty folder to a parent; the folder Do makes first is the
// one every later Do puts back.
class CAddFolderEdit : public CCategoryEdit
{
public:
    CAddFolderEdit(CCategory& parent, std::string strName);
    void Do() override;
    void Undo() override;
    // The folder added, once Do has run.
    CCategory* GetFolder() const { return m_pFolder; }

private:
    CCategory& m_parent;
    std::string m_strName;
    CCategory* m_pFolder = nullptr;
    std::unique_ptr<CCategory> m_pTakenOut;
};

// Deletes a folder with its branch. The top folder is never deleted: it
// loses its sub-folders, and keeps its name and AAs.
class CDeleteFolderEdit : public CCategoryEdit
{
public:
    explicit CDeleteFolderEdit(CCategory& folder);
    void Do() override;
    void Undo() override;

private:
    CCategory& m_folder;
    // The folder's parent, and where the folder stood among its children;
    // null for the top folder.
    CCategory* m_pParent;
    int m_nPos = -1;
    // What Do took out: the folder, or the top folder's sub-folders.
    std::vector<std::unique_ptr<CCategory>> m_takenOut;
};

// Moves a folder with its branch under another parent, or to another place
// under its own, at nPos among the new parent's other children (beyond
// their count: last). The folder may not go into its own branch (see
// IsInBranch), nor may the top folder move.
class CMoveFolderEdit : public CCategoryEdit
{
public:
    CMoveFolderEdit(CCategory& folder, CCategory& newParent, int nPos);
    void Do() override;
    void Undo() override;

private:
    CCategory& m_oldParent;
    CCategory& m_newParent;
    int m_nOldPos;
    int m_nNewPos;
};

// Puts a copy of a folder's branch (names and AA lists, every sub-folder)
// under a parent at nPos (beyond the count of its children: last). The
// copy is made once, at the first Do.
class CCopyFolderEdit : public CCategoryEdit
{
public:
    CCopyFolderEdit(const CCategory& source, CCategory& parent, int nPos);
    void Do() override;
    void Undo() override;
    // The copy, once Do has run.
    CCategory* GetCopy() const { return m_pCopy; }

private:
    const CCategory* m_pSource;
    CCategory& m_parent;
    int m_nPos;
    CCategory* m_pCopy = nullptr;
    std::unique_ptr<CCategory> m_pTakenOut;
};

// Appends AAs to a folder.
class CAddAAsEdit : public CCategoryEdit
{
public:
    CAddAAsEdit(CCategory& folder, std::vector<int> aas);
    void Do() override;
    void Undo() override;

private:
    CCategory& m_folder;
    std::vector<int> m_aas;
};

// Removes AAs from a folder as CCategory::RemoveAAs does: for each index
// given, its first entry still there.
class CRemoveAAsEdit : public CCategoryEdit
{
public:
    CRemoveAAsEdit(CCategory& folder, std::vector<int> aas);
    void Do() override;
    void Undo() override;

private:
    CCategory& m_folder;
    std::vector<int> m_aas;
    CRemovedAAs m_removed;
};

// Edits done as one: in order, and undone in the reverse order (AAs moved
// from one folder to another are a removal and an addition).
class CEditSequence : public CCategoryEdit
{
public:
    void Add(std::unique_ptr<CCategoryEdit> pEdit) { m_edits.push_back(std::move(pEdit)); }
    bool IsEmpty() const { return m_edits.empty(); }
    void Do() override;
    void Undo() override;

private:
    std::vector<std::unique_ptr<CCategoryEdit>> m_edits;
};

// True when category is ancestor or lies below it.
bool IsInBranch(const CCategory& category, const CCategory& ancestor);
