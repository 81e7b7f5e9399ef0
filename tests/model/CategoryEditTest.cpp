#include "CategoryEdit.h"

#include "Category.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
// What an arrangement is, for comparing two: its saved bytes and which
// category object stands at each place (pre-order).
struct CSnapshot
{
    std::string m_strSaved;
    std::vector<const CCategory*> m_folders;
    bool operator==(const CSnapshot&) const = default;
};

void CollectFolders(const CCategory& category, std::vector<const CCategory*>& folders)
{
    folders.push_back(&category);
    for (int i = 0; i < category.GetChildCount(); ++i)
        CollectFolders(*category.GetChildAt(i), folders);
}

CSnapshot Take(const CCategory& root)
{
    CSnapshot snapshot;
    root.Save(snapshot.m_strSaved);
    CollectFolders(root, snapshot.m_folders);
    return snapshot;
}

std::vector<CCategory*> Folders(CCategory& root)
{
    std::vector<const CCategory*> folders;
    CollectFolders(root, folders);
    std::vector<CCategory*> result;
    for (const CCategory* pFolder : folders)
        result.push_back(const_cast<CCategory*>(pFolder));
    return result;
}

// AA lists of a few small numbers, so that the same AA often stands twice.
std::vector<int> RandomAAs(std::mt19937& random, int nMost)
{
    std::vector<int> aas(std::uniform_int_distribution<int>(0, nMost)(random));
    for (int& nIndex : aas)
        nIndex = std::uniform_int_distribution<int>(0, 9)(random);
    return aas;
}

void BuildRandomTree(CCategory& root, std::mt19937& random)
{
    root.SetName("root");
    root.AssignAAs(nullptr, nullptr);
    for (int nIndex : RandomAAs(random, 6))
        root.AddAA(nIndex);
    const int nFolders = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < nFolders; ++i) {
        const std::vector<CCategory*> folders = Folders(root);
        CCategory* pParent = folders[std::uniform_int_distribution<std::size_t>(0, folders.size() - 1)(random)];
        CCategory* pChild = pParent->AddChild("f" + std::to_string(i));
        for (int nIndex : RandomAAs(random, 6))
            pChild->AddAA(nIndex);
    }
}

// A random edit that the arrangement allows, as the window would make it.
std::unique_ptr<CCategoryEdit> RandomEdit(CCategory& root, std::mt19937& random, int nStep)
{
    const std::vector<CCategory*> folders = Folders(root);
    const auto pick = [&](int nFirst) {
        return folders[std::uniform_int_distribution<std::size_t>(nFirst, folders.size() - 1)(random)];
    };
    const auto position = [&](const CCategory& parent) {
        // Now and then beyond the children: last.
        return std::uniform_int_distribution<int>(0, parent.GetChildCount() + 1)(random);
    };
    CCategory* pFolder = pick(0);
    switch (std::uniform_int_distribution<int>(0, 7)(random)) {
    case 0:
        return std::make_unique<CRenameFolderEdit>(*pFolder, "renamed" + std::to_string(nStep));
    case 1:
        return std::make_unique<CAddFolderEdit>(*pFolder, "new" + std::to_string(nStep));
    case 2:
        return std::make_unique<CDeleteFolderEdit>(*pFolder);
    case 3: {
        if (folders.size() < 2)
            break;
        CCategory* pMoved = pick(1);
        CCategory* pParent = pick(0);
        if (IsInBranch(*pParent, *pMoved))
            break;
        return std::make_unique<CMoveFolderEdit>(*pMoved, *pParent, position(*pParent));
    }
    case 4: {
        CCategory* pParent = pick(0);
        return std::make_unique<CCopyFolderEdit>(*pFolder, *pParent, position(*pParent));
    }
    case 5:
        return std::make_unique<CAddAAsEdit>(*pFolder, RandomAAs(random, 4));
    case 6:
        // Some of them the folder does not hold.
        return std::make_unique<CRemoveAAsEdit>(*pFolder, RandomAAs(random, 5));
    default: {
        // AAs dragged from one folder to another.
        auto pSequence = std::make_unique<CEditSequence>();
        std::vector<int> moved = RandomAAs(random, 4);
        pSequence->Add(std::make_unique<CRemoveAAsEdit>(*pFolder, moved));
        pSequence->Add(std::make_unique<CAddAAsEdit>(*pick(0), moved));
        return pSequence;
    }
    }
    return std::make_unique<CRenameFolderEdit>(*pFolder, "");
}
} // namespace

TEST(CategoryEditTest, UndoingEveryEditRestoresTheArrangementExactlyAndRedoingRepeatsIt)
{
    for (unsigned nSeed = 1; nSeed <= 400; ++nSeed) {
        std::mt19937 random(nSeed);
        CCategoryModel model;
        BuildRandomTree(model.GetRoot(), random);
        std::vector<CSnapshot> states{Take(model.GetRoot())};
        std::vector<std::unique_ptr<CCategoryEdit>> history;
        const int nSteps = std::uniform_int_distribution<int>(1, 25)(random);
        for (int nStep = 0; nStep < nSteps; ++nStep) {
            history.push_back(RandomEdit(model.GetRoot(), random, nStep));
            history.back()->Do();
            states.push_back(Take(model.GetRoot()));
        }
        // Back to the start, each state on the way as it was; then forward
        // to the end again. Twice, as a user may go back and forth.
        for (int nPass = 0; nPass < 2; ++nPass) {
            for (std::size_t i = history.size(); i-- > 0;) {
                history[i]->Undo();
                ASSERT_EQ(Take(model.GetRoot()), states[i]) << "seed " << nSeed << ", undo of step " << i;
            }
            for (std::size_t i = 0; i < history.size(); ++i) {
                history[i]->Do();
                ASSERT_EQ(Take(model.GetRoot()), states[i + 1]) << "seed " << nSeed << ", redo of step " << i;
            }
        }
    }
}

TEST(CategoryEditTest, AnEditKeepsWhatItTookOutAndNoMore)
{
    CCategoryModel model;
    CCategory& root = model.GetRoot();
    root.SetName("top");
    root.AddAA(42);
    CCategory* pBig = root.AddChild("big");
    for (int i = 0; i < 1000; ++i)
        pBig->AddAA(i);
    CCategory* pSub = pBig->AddChild("sub");
    const CSnapshot before = Take(root);

    // The deleted branch lives in the edit, the same objects, until undone.
    CDeleteFolderEdit deleteBig(*pBig);
    deleteBig.Do();
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(pBig->GetParent(), nullptr);
    EXPECT_EQ(pSub->GetParent(), pBig);
    deleteBig.Undo();
    EXPECT_EQ(Take(root), before);

    // The top folder is never deleted: it loses its sub-folders only.
    CDeleteFolderEdit deleteRoot(root);
    deleteRoot.Do();
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_EQ(root.GetName(), "top");
    EXPECT_EQ(root.GetAAList(), std::vector<int>{42});
    deleteRoot.Undo();
    EXPECT_EQ(Take(root), before);

    // Removing AAs keeps the entries removed and their places, duplicates
    // and AAs the folder does not hold included.
    pSub->AssignAAs(nullptr, nullptr);
    for (int nIndex : {5, 3, 5, 7, 5, 3})
        pSub->AddAA(nIndex);
    CRemoveAAsEdit remove(*pSub, {5, 5, 9, 3});
    remove.Do();
    EXPECT_EQ(pSub->GetAAList(), (std::vector<int>{7, 5, 3}));
    remove.Undo();
    EXPECT_EQ(pSub->GetAAList(), (std::vector<int>{5, 3, 5, 7, 5, 3}));
}
