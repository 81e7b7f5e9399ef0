// How long the category tree takes to show a large arrangement anew: the
// real program window, on a display (run it under xvfb-run on a machine
// without one).
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "RidaxoDoc.h"
#include "WindowBench.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

// How many children a folder at each depth gets, the root's first: broad at
// the top, as a grouped collection is, then narrowing down to six levels.
// Folders are made level by level until there are as many as asked for, so
// the deepest level is only partly filled.
constexpr std::array<int, 6> kFanOut = {50, 4, 3, 3, 2, 2};

// Replaces the root's children by nFolders folders shaped by kFanOut and
// deals the root's AAs out over the root and the folders in runs of file
// order, the root keeping the first run. A folder is named after the first
// AA of its run, as the grouping names folders after what their AAs share.
// Returns the depth of the deepest folder.
int BuildTree(CCategory& root, const CAAStore& store, long nFolders)
{
    std::vector<int> aas = root.GetAAList();
    root.RemoveAllChildren();
    root.RemoveAllAAs();

    std::vector<CCategory*> all{&root};
    std::vector<CCategory*> level{&root};
    int nDepth = 0;
    while (static_cast<long>(all.size()) <= nFolders && !level.empty()) {
        const int nFanOut = kFanOut[std::min<std::size_t>(nDepth, kFanOut.size() - 1)];
        std::vector<CCategory*> next;
        for (CCategory* pParent : level) {
            for (int i = 0; i < nFanOut && static_cast<long>(all.size()) <= nFolders; ++i) {
                next.push_back(pParent->AddChild(std::string()));
                all.push_back(next.back());
            }
        }
        level = std::move(next);
        if (!level.empty())
            ++nDepth;
    }

    const std::size_t nGroups = all.size();
    for (std::size_t k = 0; k < nGroups; ++k) {
        const std::size_t nBegin = aas.size() * k / nGroups;
        const std::size_t nEnd = aas.size() * (k + 1) / nGroups;
        CCategory& category = *all[k];
        category.AssignAAs(aas.data() + nBegin, aas.data() + nEnd);
        if (k == 0)
            continue;
        if (nBegin < nEnd && !store.GetNameView(aas[nBegin]).empty())
            category.SetName(store.GetName(aas[nBegin]));
        else
            category.SetName("folder " + std::to_string(k));
    }
    return nDepth;
}

} // namespace

int main(int argc, char** argv)
{
    const long nFolders = argc > 1 ? std::atol(argv[1]) : 10000;
    const long nCount = argc > 2 ? std::atol(argv[2]) : 1000000;
    const int nRuns = argc > 3 ? std::atoi(argv[3]) : 7;
    // Every AA starts in the top folder; the folders are made here.
    const CBenchProgram program("tree-bench", argv[0], nCount);
    CMainFrame* pFrame = program.GetFrame();
    if (!pFrame)
        return 1;
    CCategoryTreeView& tree = *pFrame->GetTreeView();
    CRidaxoDoc& doc = *pFrame->GetActiveDocument();
    const int nDepth = BuildTree(doc.m_model.GetRoot(), doc.m_store, nFolders);

    // Rebuilding: the old items go, the new ones are inserted, and on idle
    // the tree lays out its visible items and paints them.
    const double dRebuild = BestMs(nRuns, [&] {
        pFrame->RefreshTree();
        PumpWindows();
        tree.Update();
    });
    const std::size_t nItems = tree.GetCount();
    // Opening every folder lays out and paints every item; it is what a user
    // pays who opens them all, and is timed once.
    const double dExpandAll = BestMs(1, [&] {
        tree.ExpandAll();
        PumpWindows();
        tree.Update();
    });

    std::printf("Tree: %ld folders under the top folder, %d levels deep, %zu items; %ld AAs\n", nFolders, nDepth,
                nItems, nCount);
    std::printf("\n| step                                   | time (ms) | goal     | met |\n");
    std::printf("|----------------------------------------|-----------|----------|-----|\n");
    std::printf("| rebuild the tree (best of %2d)          | %9.1f | < 300 ms | %-3s |\n", nRuns, dRebuild,
                dRebuild < 300 ? "yes" : "no");
    std::printf("| then open every folder (once)          | %9.1f |          |     |\n", dExpandAll);
    return dRebuild < 300 ? 0 : 2;
}
