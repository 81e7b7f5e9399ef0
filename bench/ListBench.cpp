// How long the AA list takes to list and to sort a folder of a million AAs:
// the real program window, on a display (run it under xvfb-run on a machine
// without one).
#include "AAFileGenerator.h"
#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"

#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace
{

double BestMs(int nRuns, const std::function<void()>& fnRun)
{
    double dBest = 1e300;
    for (int i = 0; i < nRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fnRun();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        dBest = std::min(dBest, elapsed.count());
    }
    return dBest;
}

void Pump()
{
    for (int i = 0; i < 3; ++i) {
        wxYield();
        wxTheApp->ProcessPendingEvents();
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long nCount = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int nRuns = argc > 2 ? std::atoi(argv[2]) : 7;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "list-bench needs a display: run it under xvfb-run.\n");
        return 1;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ridaxo-list-bench";
    std::filesystem::create_directories(dir);
    const std::string strFile = (dir / ("aa-" + std::to_string(nCount) + ".txt")).string();
    if (!std::filesystem::exists(strFile))
        WriteAAFile(strFile, CAAFileShape{static_cast<std::uint64_t>(nCount), 1});
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);

    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new CRidaxoApp);
    int nArgc = 1;
    wxInitializer initializer(nArgc, argv);
    if (!initializer.IsOk())
        return 1;
    // Every AA in one folder: the import's grouping question is answered no.
    CMessageBoxOverride answers([](const wxString&, long nStyle) { return (nStyle & wxYES_NO) ? wxNO : wxOK; });
    auto& app = dynamic_cast<CRidaxoApp&>(*wxTheApp);
    if (!app.StartUp(wxString::FromUTF8(strFile)))
        return 1;
    Pump();
    CMainFrame* pFrame = GetMainFrame();
    CAAListView& list = *pFrame->GetListView();
    CCategory& root = pFrame->GetActiveDocument()->m_model.GetRoot();

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
    app.ShutDown();
    return dFill < 100 && dSort < 300 ? 0 : 2;
}
