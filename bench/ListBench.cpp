// How long the AA list takes to list and to sort a folder of a million AAs:
// the real program window, on a display (run it under xvfb-run on a machine
// without one).
#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "RidaxoDoc.h"
#include "WindowBench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const long nCount = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int nRuns = argc > 2 ? std::atoi(argv[2]) : 7;
    const CBenchProgram program("list-bench", argv[0], nCount);
    CMainFrame* pFrame = program.GetFrame();
    if (!pFrame)
        return 1;
    CAAListView& list = *pFrame->GetListView();
    CCategory& root = pFrame->GetActiveDocument()->GetRootForSteps();

    // Listing: the rows are made and ordered, and the first page painted.
    const double dFill = BestMs(nRuns, [&] {
        list.Fill(&root);
        list.Update();
    });
    // A header click: the order reverses and the page is painted again.
    const double dSort = BestMs(nRuns, [&] {
        list.SortByColumn(0);
        list.Update();
    });
    // A folder whose AAs came in by drags is in no order: the fill sorts it
    // from scratch.
    std::vector<int> shuffled = root.GetAAList();
    std::mt19937 random(1);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    root.AssignAAs(shuffled.data(), shuffled.data() + shuffled.size());
    const double dShuffled = BestMs(nRuns, [&] {
        list.Fill(&root);
        list.Update();
    });
    std::printf("AAs in the folder:                  %d\n", root.GetAACount());
    std::printf("list the folder, file order:        %8.1f ms  (goal < 100 ms)\n", dFill);
    std::printf("sort by the header:                 %8.1f ms  (goal < 300 ms)\n", dSort);
    std::printf("list the folder, shuffled order:    %8.1f ms\n", dShuffled);
    std::printf("(best of %d runs each)\n", nRuns);
    return dFill < 100 && dSort < 300 ? 0 : 2;
}
