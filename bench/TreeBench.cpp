// How long the category tree takes to show a large arrangement anew: the
// real program window, on a display (run it under xvfb-run on a machine
// without one).
#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "RidaxoDoc.h"
#include "WindowBench.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include <wx/event.h>

namespace
{

// How many AAs the folder that is deleted and brought back holds.
constexpr int kBigFolderAAs = 100000;

// The milliseconds fnRun takes.
double TimeMs(const std::function<void()>& fnRun)
{
    const auto start = std::chrono::steady_clock::now();
    fnRun();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

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

struct CDeleteTimes
{
    double m_dDelete = 0;
    double m_dUndo = 0;
    bool m_bUndone = false;
    int m_nFolders = 0;
};

// A folder of kBigFolderAAs AAs, added as the top folder's last, deleted
// from the popup, selected and listed as the user deletes it, then brought
// back with the edit menu's undo, selected and listed again; the best of
// nRuns of each. Where undo brings nothing back, the folder is made again
// for the next run, untimed.
CDeleteTimes TimeDeleteAndUndo(CMainFrame& frame, int nRuns)
{
    CCategoryTreeView& tree = *frame.GetTreeView();
    CRidaxoDoc& doc = *frame.GetActiveDocument();
    CCategory& root = doc.GetRootForSteps();
    const auto addBigFolder = [&] {
        std::vector<int> aas(std::min<std::size_t>(kBigFolderAAs, doc.GetStore().GetCount()));
        std::iota(aas.begin(), aas.end(), 0);
        root.AddChild("big")->AssignAAs(aas.data(), aas.data() + aas.size());
        frame.RefreshTree();
        PumpWindows();
    };
    addBigFolder();
    CDeleteTimes times{1e300, 1e300, false, 0};
    for (int nRun = 0; nRun < nRuns; ++nRun) {
        tree.SelectItem(tree.GetLastChild(tree.GetRootItem()));
        PumpWindows();
        const int nChildren = root.GetChildCount();
        times.m_dDelete = std::min(times.m_dDelete, TimeMs([&] {
                                       tree.DeleteFolder();
                                       PumpWindows();
                                       tree.Update();
                                   }));
        const double dUndo = TimeMs([&] {
            wxCommandEvent undo(wxEVT_MENU, wxID_UNDO);
            undo.SetEventObject(&frame);
            frame.ProcessWindowEvent(undo);
            PumpWindows();
            tree.Update();
        });
        times.m_bUndone = root.GetChildCount() == nChildren && frame.GetListView()->GetRowCount() == kBigFolderAAs;
        if (times.m_bUndone)
            times.m_dUndo = std::min(times.m_dUndo, dUndo);
        else
            addBigFolder();
    }
    return times;
}

void PrintDeleteTimes(const char* pszWhere, const CDeleteTimes& times, int nRuns)
{
    std::printf("\n| %-54s | time (ms) |\n", pszWhere);
    std::printf("|--------------------------------------------------------|-----------|\n");
    std::printf("| delete a listed folder of %d AAs (best of %2d)      | %9.1f |\n", kBigFolderAAs, nRuns,
                times.m_dDelete);
    if (times.m_bUndone)
        std::printf("| then undo it: back, selected and listed (best of %2d)   | %9.1f |\n", nRuns, times.m_dUndo);
    else
        std::printf("| then undo it                                           |         - |\n");
}

} // namespace

int main(int argc, char** argv)
{
    const long nFolders = argc > 1 ? std::atol(argv[1]) : 10000;
    const long nCount = argc > 2 ? std::atol(argv[2]) : 1000000;
    const int nRuns = argc > 3 ? std::atoi(argv[3]) : 7;
    // An index file of the same AAs (ridaxo-cli import --auto), on which the
    // deletion and its undo are timed again.
    const char* pszIndexFile = argc > 4 ? argv[4] : nullptr;
    // Every AA starts in the top folder; the folders are made here.
    const CBenchProgram program("tree-bench", argv[0], nCount);
    CMainFrame* pFrame = program.GetFrame();
    if (!pFrame)
        return 1;
    CCategoryTreeView& tree = *pFrame->GetTreeView();
    CRidaxoDoc& doc = *pFrame->GetActiveDocument();
    const int nDepth = BuildTree(doc.GetRootForSteps(), doc.GetStore(), nFolders);

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

    const CDeleteTimes synthetic = TimeDeleteAndUndo(*pFrame, nRuns);
    CDeleteTimes grouped;
    if (pszIndexFile && doc.OpenFile(wxString::FromUTF8(pszIndexFile)) == CRidaxoDoc::EOpenResult::Opened) {
        PumpWindows();
        grouped = TimeDeleteAndUndo(*pFrame, nRuns);
        grouped.m_nFolders = doc.GetModel().GetRoot().GetChildCount() - 1;
    }

    std::printf("Tree: %ld folders under the top folder, %d levels deep, %zu items; %ld AAs\n", nFolders, nDepth,
                nItems, nCount);
    std::printf("\n| step                                   | time (ms) | goal     | met |\n");
    std::printf("|----------------------------------------|-----------|----------|-----|\n");
    std::printf("| rebuild the tree (best of %2d)          | %9.1f | < 300 ms | %-3s |\n", nRuns, dRebuild,
                dRebuild < 300 ? "yes" : "no");
    std::printf("| then open every folder (once)          | %9.1f |          |     |\n", dExpandAll);
    PrintDeleteTimes("in this tree", synthetic, nRuns);
    if (pszIndexFile) {
        const std::string strWhere =
            "in " + std::string(pszIndexFile) + ", after " + std::to_string(grouped.m_nFolders) + " folders";
        PrintDeleteTimes(strWhere.c_str(), grouped, nRuns);
    }
    return dRebuild < 300 ? 0 : 2;
}
