#pragma once

#include <memory>
#include <vector>

class CCategory;
class CCategoryEdit;

// What the edit commands' cut and copy marked for a later paste into a
// folder: some AAs of one folder, or one folder with its branch. A cut
// moves them, a copy copies them, as a drag without and with Ctrl does.
// The mark points into the category tree, so whoever destroys categories
// tells it first (Forget) and it never points at one that has gone.
class CCategoryClip
{
public:
    enum class EKind
    {
        None,
        AAs,
        Folder,
    };

    // What a paste into a folder would do.
    enum class EPaste
    {
        // Nothing is marked, there is no folder to paste into, or the AAs
        // were cut from that very folder and are there already.
        Nothing,
        Allowed,       // the marked AAs or folder go into the folder
        IntoOwnBranch, // refused: a folder cannot go into itself or below itself
    };

    // Marks the AAs aas of folder source, in the order given.
    void MarkAAs(CCategory& source, std::vector<int> aas, bool bCut);
    // Marks folder with everything below it.
    void MarkFolder(CCategory& folder, bool bCut);
    void Clear();

    EKind GetKind() const { return m_nKind; }
    bool IsCut() const { return m_bCut; }
    // The marked folder, or the folder the marked AAs are in; null when
    // nothing is marked.
    CCategory* GetFolder() const { return m_pFolder; }
    const std::vector<int>& GetAAs() const { return m_aas; }

    EPaste CheckPaste(const CCategory* pTarget) const;

    // The edit that appends the marked AAs to target, when CheckPaste
    // allows it and there is anything to append; null otherwise. A cut
    // takes from its folder those of them the folder still holds (the rest
    // were moved or deleted meanwhile) and moves only those; it is then
    // done and the mark cleared.
    std::unique_ptr<CCategoryEdit> MakeAAsPaste(CCategory& target);

    // The marked folder is no longer in the tree under root (deleted, or
    // taken out again by an undo): the mark is dropped, so that it never
    // points at a folder that may be destroyed while it is out.
    void ForgetUnlessUnder(const CCategory& root);

private:
    EKind m_nKind = EKind::None;
    bool m_bCut = false;
    CCategory* m_pFolder = nullptr;
    std::vector<int> m_aas;
};
