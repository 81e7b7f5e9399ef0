#include "WindowBench.h"

#include "AAFileGenerator.h"
#include "MainFrame.h"
#include "Prompt.h"
#include "RidaxoApp.h"

#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

void PumpWindows()
{
    for (int i = 0; i < 3; ++i) {
        wxYield();
        wxTheApp->ProcessPendingEvents();
    }
}

std::string BenchFolder()
{
    // One folder for every window benchmark, so that they share the
    // generated file of a given size.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ridaxo-list-bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

CBenchProgram::CBenchProgram(const char* pszName, char* pszArgv0, long nCount)
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "%s needs a display: run it under xvfb-run.\n", pszName);
        return;
    }
    const std::string strFile = BenchFolder() + "/aa-" + std::to_string(nCount) + ".txt";
    if (!std::filesystem::exists(strFile))
        WriteAAFile(strFile, CAAFileShape{static_cast<std::uint64_t>(nCount), 1});
    Start(pszArgv0, strFile);
}

CBenchProgram::CBenchProgram(const char* pszName, char* pszArgv0, const std::string& strFile)
{
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "%s needs a display: run it under xvfb-run.\n", pszName);
        return;
    }
    Start(pszArgv0, strFile);
}

void CBenchProgram::Start(char* pszArgv0, const std::string& strFile)
{
    setenv("XDG_CONFIG_HOME", BenchFolder().c_str(), 1);

    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new CRidaxoApp);
    int nArgc = 1;
    char* argv[] = {pszArgv0, nullptr};
    m_pInitializer = std::make_unique<wxInitializer>(nArgc, argv);
    if (!m_pInitializer->IsOk())
        return;
    m_pAnswers = std::make_unique<CMessageBoxOverride>(
        [](const wxString&, long nStyle) { return (nStyle & wxYES_NO) ? wxNO : wxOK; });
    auto& app = dynamic_cast<CRidaxoApp&>(*wxTheApp);
    if (!app.StartUp(wxString::FromUTF8(strFile)))
        return;
    PumpWindows();
    m_pFrame = GetMainFrame();
}

CBenchProgram::~CBenchProgram()
{
    if (m_pFrame)
        dynamic_cast<CRidaxoApp&>(*wxTheApp).ShutDown();
}
