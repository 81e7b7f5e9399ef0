#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CAAStore;
class CBlockWriter;
class CCategory;
class CLineReader;

// What FillTree inserts a category tree into: a tree control, seen through
// opaque item handles so that the model needs no window library.
class ICategoryTreeSink
{
public:
    virtual ~ICategoryTreeSink() = default;
    // Inserts an item for category as the last child of hParent and returns
    // the new item's handle.
    virtual void* InsertItem(void* hParent, CCategory& category) = 0;
};

// The entries that CCategory::RemoveAAs took out of an AA list: the
// positions they held, ascending, and their values in the same order.
struct CRemovedAAs
{
    std::vector<int> m_positions;
    std::vector<int> m_values;
};

// A category: a name, an ordered list of AA indices and an ordered list of
// child categories that it owns. AA indices are not checked against the
// store; the same AA may stand in several categories or twice in one.
//
// In the index file a category is a block of LF-ended lines: its quoted
// name, the number of its AAs, one AA index a line, the number of its
// children, then one block a child (pre-order).
class CCategory
{
public:
    CCategory() = default;
    // Destroys the whole subtree; deep trees do not recurse.
    virtual ~CCategory();

    CCategory(const CCategory&) = delete;
    CCategory& operator=(const CCategory&) = delete;

    std::string GetName() const { return m_strName; }
    const std::string& GetNameRef() const { return m_strName; }
    void SetName(std::string strName) { m_strName = std::move(strName); }

    // The parent, or null for the root.
    CCategory* GetParent() const { return m_pParent; }

    // Creates a child named strName and appends it as the last child.
    CCategory* AddChild(std::string strName);
    // Appends a child with source's name and a copy of its AA list; source's
    // children are not copied.
    CCategory* AddChildCopy(const CCategory& source);
    // Destroys pChild with its subtree if it is a child of this category and
    // returns true; returns false and changes nothing otherwise.
    bool RemoveChild(const CCategory* pChild);
    // Destroys every child with its subtree.
    void RemoveAllChildren();
    // Destroys each given category with its subtree, as deleting their tree
    // items asks: one whose ancestor is given too goes with that ancestor,
    // so each is destroyed exactly once whatever the order or repetitions
    // of the list. A root given keeps itself, its name and its AAs and loses
    // its children. Every category given must still exist.
    static void RemoveCategories(const std::vector<CCategory*>& categories);

    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // The child at nPos, or null when nPos is out of range.
    CCategory* GetChildAt(int nPos) const;
    // Where pChild stands among the children, or −1 when it is none of them.
    int GetChildPos(const CCategory* pChild) const;

    // Takes the child at nPos out, branch and all, and hands it over
    // parentless; null when nPos is out of range.
    std::unique_ptr<CCategory> DetachChild(int nPos);
    // Takes every child out, in order.
    std::vector<std::unique_ptr<CCategory>> DetachAllChildren();
    // Puts a parentless category in as the child at nPos (beyond the count
    // of children, or negative: last) and returns it.
    CCategory* AttachChild(std::unique_ptr<CCategory> pChild, int nPos);
    // A parentless copy of this category and its whole branch: names and
    // AA lists. Deep trees do not recurse.
    std::unique_ptr<CCategory> CopyBranch() const;

    int GetAACount() const { return static_cast<int>(m_aaList.size()); }
    // The AA index at position nPos, or −1 when nPos is out of range.
    int GetAAAt(int nPos) const;
    const std::vector<int>& GetAAList() const { return m_aaList; }
    // Appends nIndex, duplicates allowed.
    void AddAA(int nIndex) { m_aaList.push_back(nIndex); }
    // Makes room for nCount AAs in all, for one who knows how many will come.
    void ReserveAAs(std::size_t nCount) { m_aaList.reserve(nCount); }
    // Replaces the AA list by the indices from pBegin to pEnd.
    void AssignAAs(const int* pBegin, const int* pEnd) { m_aaList.assign(pBegin, pEnd); }
    // Removes the first entry equal to nIndex; nothing when there is none.
    void RemoveAA(int nIndex);
    // Removes, for each index given, the first entry equal to it that is
    // still there, as RemoveAA once per index would, in one pass over the
    // list. pRemoved, when given, receives what was taken out.
    void RemoveAAs(const std::vector<int>& indices, CRemovedAAs* pRemoved = nullptr);
    // Puts the entries that RemoveAAs took out back where they stood.
    void RestoreAAs(const CRemovedAAs& removed);
    // Removes the last nCount entries (all when there are fewer).
    void RemoveLastAAs(std::size_t nCount);
    void RemoveAllAAs() { m_aaList.clear(); }

    // Appends this category's block, children included, to strOut.
    void Save(std::string& strOut) const;
    // Writes this category's block, children included, to writer.
    void Save(CBlockWriter& writer) const;
    // Replaces name, AAs and children by the block that reader reads next.
    // Lines missing at the end of the file read as empty lines, so a file
    // cut short still gives a whole tree; but when the file's counts ask for
    // far more lines than the file holds, throws CRidaxoError (damaged file)
    // and leaves the category as it was.
    void Load(CLineReader& reader);

    // Inserts this category under hParent and its subtree below it, each
    // item after its parent and children in their order. Deep trees do not
    // recurse.
    void FillTree(ICategoryTreeSink& sink, void* hParent);

private:
    friend class CCategoryModel;
    void SwapContents(CCategory& other) noexcept;

    std::vector<std::unique_ptr<CCategory>> m_children;
    std::vector<int> m_aaList;
    std::string m_strName;
    CCategory* m_pParent = nullptr;
};

// How many AA entries of the tree under root, root included, name no AA of
// store: negative ones and those not below its count. An index file can
// hold them when it was damaged, or when its AA text file has since lost
// AAs; each is counted, however often it stands.
std::size_t CountUnbackedAAs(const CCategory& root, const CAAStore& store);

// Every AA of the tree under root, root included, ascending and each once:
// what a search limited to a folder and its sub-folders may show.
std::vector<int> CollectBranchAAs(const CCategory& root);

// The category tree of one document. Its root always exists and is never
// destroyed; only its contents change.
class CCategoryModel
{
public:
    CCategoryModel() = default;
    virtual ~CCategoryModel() = default;

    CCategoryModel(const CCategoryModel&) = delete;
    CCategoryModel& operator=(const CCategoryModel&) = delete;

    CCategory& GetRoot() { return m_root; }
    const CCategory& GetRoot() const { return m_root; }
    void SetRootName(std::string strName) { m_root.SetName(std::move(strName)); }

    // Groups the store's AAs into categories under the root by the leading
    // characters their names share (see AutoCategorize.h). nThreshold and
    // nMinItems below 1 count as 1.
    void AutoCategorize(const CAAStore& store, unsigned nThreshold, unsigned nMinItems);

    // No grouping: the root loses its children and holds every AA in file
    // order.
    void PlaceAllInRoot(const CAAStore& store);

    // Exchanges the whole trees, root names included.
    void Swap(CCategoryModel& other) noexcept { m_root.SwapContents(other.m_root); }

private:
    CCategory m_root;
};
