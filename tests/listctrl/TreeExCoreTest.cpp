#include "TreeExCore.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

class CNamedNode : public CTreeExNode
{
public:
    explicit CNamedNode(std::string strName) : m_strName(std::move(strName)) {}
    std::string m_strName;
};

// root
//   a
//     a1
//     a2
//   b
//     b1
//   c
class CTree
{
public:
    explicit CTree(bool bHideRoot = false) : m_core(bHideRoot)
    {
        Add("", "root");
        Add("root", "a");
        Add("a", "a1");
        Add("a", "a2");
        Add("root", "b");
        Add("b", "b1");
        Add("root", "c");
    }

    CTreeExNode* Add(const std::string& strParent, const std::string& strName, size_t nPos = SIZE_MAX)
    {
        CTreeExNode* pParent = strParent.empty() ? nullptr : m_nodes.at(strParent);
        return m_nodes[strName] = m_core.Insert(std::make_unique<CNamedNode>(strName), pParent, nPos);
    }

    CTreeExNode* operator[](const std::string& strName) const { return m_nodes.at(strName); }

    static std::string Name(const CTreeExNode* pNode)
    {
        return pNode ? static_cast<const CNamedNode*>(pNode)->m_strName : "-";
    }

    // The rows as names, checking that each row's item knows its row.
    std::string Rows() const
    {
        std::string strRows;
        for (int nRow = 0; nRow < m_core.GetRowCount(); ++nRow) {
            const CTreeExNode* pNode = m_core.GetRowNode(nRow);
            EXPECT_EQ(m_core.GetRowOf(pNode), nRow) << Name(pNode);
            strRows += (nRow ? " " : "") + Name(pNode);
        }
        return strRows;
    }

    CTreeExCore m_core;
    std::map<std::string, CTreeExNode*> m_nodes;
};

} // namespace

TEST(TreeExCoreTest, RowsAreTheItemsWhoseAncestorsAreOpenAndFollowEveryChange)
{
    CTree tree;
    EXPECT_EQ(tree.Rows(), "root");
    EXPECT_EQ(tree.m_core.GetRowOf(tree["a1"]), -1);
    tree.m_core.SetExpanded(tree["root"], true);
    tree.m_core.SetExpanded(tree["a"], true);
    EXPECT_EQ(tree.Rows(), "root a a1 a2 b c");
    // An item without children has nothing to open.
    EXPECT_FALSE(tree.m_core.SetExpanded(tree["c"], true));
    // Inserted in the middle, the later siblings move on a place.
    tree.Add("root", "ab", 1);
    EXPECT_EQ(tree.Rows(), "root a a1 a2 ab b c");
    EXPECT_EQ(tree["c"]->GetIndex(), 3);
    EXPECT_EQ(tree.m_core.GetShownNeighbour(tree["a2"], true), tree["ab"]);
    EXPECT_EQ(tree.m_core.GetShownNeighbour(tree["root"], false), nullptr);

    // A removal tells of every item of the branch, children first, while
    // the branch is whole, and the rows and places close up.
    std::vector<std::string> told;
    tree.m_core.Remove(tree["a"], [&told](CTreeExNode& node) {
        told.push_back(CTree::Name(&node) + (node.GetParent() ? "<" + CTree::Name(node.GetParent()) : ""));
    });
    EXPECT_EQ(told, (std::vector<std::string>{"a1<a", "a2<a", "a<root"}));
    EXPECT_EQ(tree.Rows(), "root ab b c");
    EXPECT_EQ(tree["c"]->GetIndex(), 2);
    EXPECT_EQ(tree.m_core.GetCount(), 5U);
    // A parent that lost its last child is no longer open.
    tree.m_core.SetExpanded(tree["b"], true);
    tree.m_core.RemoveChildren(tree["b"], [](CTreeExNode&) {});
    EXPECT_FALSE(tree["b"]->IsExpanded());
    EXPECT_EQ(tree.Rows(), "root ab b c");

    // A hidden root's children are the top rows.
    CTree hidden(true);
    EXPECT_EQ(hidden.Rows(), "a b c");
    EXPECT_EQ(hidden.m_core.GetCount(), 7U);
}

TEST(TreeExCoreTest, ABranchOfAnyDepthGoesWithoutRecursion)
{
    // Deep enough that one stack frame an item would overflow the stack.
    CTreeExCore core;
    CTreeExNode* pNode = core.Insert(std::make_unique<CTreeExNode>(), nullptr, 0);
    CTreeExNode* pTop = pNode;
    for (int i = 0; i < 300000; ++i) {
        pNode = core.Insert(std::make_unique<CTreeExNode>(), pNode, 0);
        core.SetExpanded(pNode->GetParent(), true);
    }
    EXPECT_EQ(core.GetRowCount(), 300001);
    size_t nTold = 0;
    core.RemoveChildren(pTop, [&nTold](CTreeExNode&) { ++nTold; });
    EXPECT_EQ(nTold, 300000U);
    EXPECT_EQ(core.GetCount(), 1U);
}

TEST(TreeExCoreTest, KeysMoveAsTreesDo)
{
    using EAction = CTreeExKeyMove::EAction;
    struct CCase
    {
        const char* m_pszFrom;
        ETreeExKey m_nKey;
        EAction m_nAction;
        const char* m_pszTo;
    };
    // Rows: root a a1 a2 b c, with a open and b closed; a page of 3 rows.
    const CCase cases[] = {
        {"a", ETreeExKey::Down, EAction::Select, "a1"},
        {"a2", ETreeExKey::Down, EAction::Select, "b"},
        {"c", ETreeExKey::Down, EAction::None, "-"},
        {"root", ETreeExKey::Up, EAction::None, "-"},
        {"b", ETreeExKey::Up, EAction::Select, "a2"},
        {"a2", ETreeExKey::Home, EAction::Select, "root"},
        {"a", ETreeExKey::End, EAction::Select, "c"},
        {"root", ETreeExKey::PageDown, EAction::Select, "a1"},
        {"b", ETreeExKey::PageDown, EAction::Select, "c"},
        {"b", ETreeExKey::PageUp, EAction::Select, "a1"},
        {"a", ETreeExKey::Left, EAction::Collapse, "a"},
        {"a1", ETreeExKey::Left, EAction::Select, "a"},
        {"root", ETreeExKey::Left, EAction::Collapse, "root"},
        {"b", ETreeExKey::Right, EAction::Expand, "b"},
        {"a", ETreeExKey::Right, EAction::Select, "a1"},
        {"c", ETreeExKey::Right, EAction::None, "-"},
        {"b", ETreeExKey::Expand, EAction::Expand, "b"},
        {"a", ETreeExKey::Expand, EAction::None, "-"},
        {"a", ETreeExKey::Collapse, EAction::Collapse, "a"},
        {"b", ETreeExKey::Collapse, EAction::None, "-"},
        {"root", ETreeExKey::ExpandAll, EAction::ExpandAll, "root"},
        {"c", ETreeExKey::ExpandAll, EAction::None, "-"},
    };
    CTree tree;
    tree.m_core.SetExpanded(tree["root"], true);
    tree.m_core.SetExpanded(tree["a"], true);
    for (const CCase& test : cases) {
        const CTreeExKeyMove move = tree.m_core.MoveByKey(tree[test.m_pszFrom], test.m_nKey, 3);
        EXPECT_EQ(move.m_nAction, test.m_nAction) << test.m_pszFrom << " key " << static_cast<int>(test.m_nKey);
        EXPECT_EQ(CTree::Name(move.m_pNode), test.m_pszTo)
            << test.m_pszFrom << " key " << static_cast<int>(test.m_nKey);
    }
    // An item out of sight moves nowhere.
    EXPECT_EQ(tree.m_core.MoveByKey(tree["b1"], ETreeExKey::Down, 3).m_nAction, EAction::None);
}

TEST(TreeExCoreTest, ARowIsIndentButtonImageAndLabelFromTheLeft)
{
    using EPart = CTreeExRowLayout::EPart;
    // Depth 2, indent 18, a 16-pixel image, a 40-pixel label: the button
    // takes 36..53, the image and its gap 54..73, the label and its room
    // 74..117.
    const CTreeExRowLayout layout = CTreeExRowLayout::Make(2, 18, 16, 40);
    const std::pair<int, EPart> cases[] = {
        {0, EPart::Indent}, {35, EPart::Indent}, {36, EPart::Button}, {53, EPart::Button}, {54, EPart::Image},
        {73, EPart::Image}, {74, EPart::Label},  {117, EPart::Label}, {118, EPart::Right},
    };
    for (const auto& [nX, nPart] : cases)
        EXPECT_EQ(layout.HitTest(nX), nPart) << nX;
    // Without images the label follows the button.
    EXPECT_EQ(CTreeExRowLayout::Make(0, 18, 0, 10).m_nTextLeft, 18);
}
