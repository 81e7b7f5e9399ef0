#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// The extended tree's records and decisions, with no window system: the
// items as a tree, the items shown as a flat list of rows, the layout of a
// row and the keyboard's moves. A window asks the rows it paints for their
// items, so painting, hit testing and scrolling cost what is on screen,
// whatever the number of items open.

// One item of the tree. A window derives its own item from it, with the
// text and images it shows.
class CTreeExNode
{
public:
    CTreeExNode() = default;
    CTreeExNode(const CTreeExNode&) = delete;
    CTreeExNode& operator=(const CTreeExNode&) = delete;
    virtual ~CTreeExNode() = default;

    CTreeExNode* GetParent() const { return m_pParent; }
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    CTreeExNode* GetChild(int nIndex) const { return m_children[static_cast<size_t>(nIndex)].get(); }
    // The place among its parent's children.
    int GetIndex() const { return m_nIndex; }
    // 0 for the root.
    int GetDepth() const { return m_nDepth; }
    bool IsExpanded() const { return m_bExpanded; }
    // Whether the item shows a button: it has children, or its owner said
    // it has some still to come.
    bool HasButton() const { return m_bHasButton || !m_children.empty(); }
    void SetHasButton(bool bHas) { m_bHasButton = bHas; }
    // True when this item is ancestor or lies below it.
    bool IsIn(const CTreeExNode* pAncestor) const;

private:
    friend class CTreeExCore;

    CTreeExNode* m_pParent = nullptr;
    std::vector<std::unique_ptr<CTreeExNode>> m_children;
    int m_nIndex = 0;
    int m_nDepth = 0;
    bool m_bExpanded = false;
    bool m_bHasButton = false;
    // The row showing the item, valid while m_nRowStamp is the core's.
    mutable int m_nRow = -1;
    mutable unsigned m_nRowStamp = 0;
};

// The keys that move through a tree.
enum class ETreeExKey
{
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    PageUp,
    PageDown,
    Expand,
    Collapse,
    // Opens the item and everything below it.
    ExpandAll,
};

// What a key asks for: select m_pNode, or open or close it.
struct CTreeExKeyMove
{
    enum class EAction
    {
        None,
        Select,
        Expand,
        Collapse,
        ExpandAll,
    };
    EAction m_nAction = EAction::None;
    CTreeExNode* m_pNode = nullptr;
};

// Where the parts of a row lie, left to right, in pixels from the left of
// the rows' area before scrolling. The button takes one indent step before
// the image, so items at one depth line up whether they have one or not.
struct CTreeExRowLayout
{
    // Where the parts of a row of nDepth lie, with a label nTextWidth wide.
    static CTreeExRowLayout Make(int nDepth, int nIndent, int nImageWidth, int nTextWidth);

    enum class EPart
    {
        Indent,
        Button,
        Image,
        Label,
        Right,
    };
    // The part of the row at x.
    EPart HitTest(int nX) const;

    int m_nButtonLeft = 0;
    int m_nButtonRight = 0;
    int m_nImageLeft = 0;
    int m_nImageRight = 0;
    int m_nTextLeft = 0;
    int m_nTextRight = 0;
};

class CTreeExCore
{
public:
    // bHideRoot: the root's row is not shown and its children are the top
    // rows, always open.
    explicit CTreeExCore(bool bHideRoot = false);
    CTreeExCore(const CTreeExCore&) = delete;
    CTreeExCore& operator=(const CTreeExCore&) = delete;
    ~CTreeExCore();

    CTreeExNode* GetRoot() const { return m_pRoot.get(); }
    // The number of items, the root included.
    size_t GetCount() const { return m_nCount; }

    // Takes pNode in as the child at nPos of pParent (the end when nPos is
    // beyond it), or as the root when pParent is null and there is none.
    CTreeExNode* Insert(std::unique_ptr<CTreeExNode> pNode, CTreeExNode* pParent, size_t nPos);
    // Removes pNode with its branch. fnEach hears of every item of the
    // branch, children before their parents, while the whole branch is
    // still in place; then the branch is destroyed.
    void Remove(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach);
    // Removes the children of pNode, as Remove does each.
    void RemoveChildren(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach);
    // Orders the children of pNode; fnLess compares two of them. Equal
    // items keep their order.
    void SortChildren(CTreeExNode* pNode, const std::function<bool(const CTreeExNode&, const CTreeExNode&)>& fnLess);

    // Opens or closes pNode; false when that changes nothing. An item
    // without a button is never open.
    bool SetExpanded(CTreeExNode* pNode, bool bExpanded);

    // The rows shown: each item whose ancestors are all open.
    int GetRowCount() const;
    CTreeExNode* GetRowNode(int nRow) const;
    // The row showing pNode; -1 while an ancestor of it is closed.
    int GetRowOf(const CTreeExNode* pNode) const;
    // The item shown right below (bDown) or above pNode; null past either
    // end or for an item not shown.
    CTreeExNode* GetShownNeighbour(const CTreeExNode* pNode, bool bDown) const;

    // Where a navigation key moves from pCurrent, a page being nPageRows
    // rows. Without a current item no key moves anywhere.
    CTreeExKeyMove MoveByKey(const CTreeExNode* pCurrent, ETreeExKey nKey, int nPageRows) const;

private:
    void UpdateRows() const;
    // Tells fnEach of every item of pNode's branch, children first.
    void ReportBranch(CTreeExNode* pNode, const std::function<void(CTreeExNode&)>& fnEach);
    void Free(std::unique_ptr<CTreeExNode> pNode);
    void Changed() { m_bRowsDirty = true; }

    std::unique_ptr<CTreeExNode> m_pRoot;
    bool m_bHideRoot;
    size_t m_nCount = 0;
    mutable std::vector<CTreeExNode*> m_rows;
    mutable bool m_bRowsDirty = true;
    mutable unsigned m_nRowStamp = 0;
};
