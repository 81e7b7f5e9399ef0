// What the window pays for one enormous name and one enormous line: the real
// program window, on a display (run it under xvfb-run on a machine without
// one), on a generated file of three AAs: one named by N MB of kana, one
// whose body is a single line of N MB, and an ordinary one.
#include "AAListView.h"
#include "CategoryTreeView.h"
#include "MainFrame.h"
#include "RidaxoDoc.h"
#include "WindowBench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <unistd.h>

#include <wx/textctrl.h>

namespace
{

// Writes the file, unless one of that size was made before.
std::string MakeLongTextFile(long nMegabytes)
{
    std::string strFile = BenchFolder() + "/long-" + std::to_string(nMegabytes) + "mb.txt";
    if (std::filesystem::exists(strFile))
        return strFile;
    const std::size_t nBytes = static_cast<std::size_t>(nMegabytes) * 1000 * 1000;
    const auto writeRepeated = [nBytes](std::ofstream& out, const std::string& strUnit) {
        std::string chunk;
        while (chunk.size() < (1 << 20))
            chunk += strUnit;
        for (std::size_t nDone = 0; nDone < nBytes; nDone += chunk.size())
            out.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), nBytes - nDone)));
    };
    std::ofstream out(strFile + ".part", std::ios::binary);
    out << "[MojieName=";
    writeRepeated(out, "\x82\xA0"); // あ: the name is whole characters
    out << "]\r\n(=^.^=)\r\n[END]\r\n";
    out << "[MojieName=\x92\xB7\x82\xA2\x8D\x73]\r\n";        // 長い行
    writeRepeated(out, "(\x81\x40\x81\x4C\x81\xCD\x81\x4D)"); // ( ´∀｀) with full-width spaces
    out << "\r\n[END]\r\n";
    out << "[MojieName=\x82\xD3\x82\xC2\x82\xA4]\r\n(=^.^=)\r\n[END]\r\n"; // ふつう
    out.close();
    std::filesystem::rename(strFile + ".part", strFile);
    return strFile;
}

double ProcessCpuSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

// The process id of the X server of this display, found by its command
// line; 0 when it is not a local Xvfb or Xorg.
long FindXServer()
{
    const char* pszDisplay = std::getenv("DISPLAY");
    std::string strDisplay = pszDisplay ? pszDisplay : "";
    strDisplay = strDisplay.substr(0, strDisplay.find('.'));
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string strPid = entry.path().filename().string();
        if (strPid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string strArg;
        bool bServer = false;
        for (int i = 0; std::getline(in, strArg, '\0'); ++i) {
            if (i == 0)
                bServer = strArg.ends_with("Xvfb") || strArg.ends_with("Xorg");
            else if (bServer && strArg == strDisplay)
                return std::stol(strPid);
        }
    }
    return 0;
}

// User and system CPU seconds of process nPid so far.
double CpuSecondsOf(long nPid)
{
    std::ifstream in("/proc/" + std::to_string(nPid) + "/stat");
    std::string strStat;
    std::getline(in, strStat);
    // The fields after the command name, which may hold spaces, in brackets.
    std::istringstream fields(strStat.substr(strStat.rfind(')') + 2));
    std::string strSkip;
    for (int i = 3; i < 14; ++i)
        fields >> strSkip;
    double dUser = 0;
    double dSystem = 0;
    fields >> dUser >> dSystem;
    return (dUser + dSystem) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A field of /proc/self/status in MB.
double StatusMegabytes(const char* pszField)
{
    std::ifstream in("/proc/self/status");
    for (std::string strLine; std::getline(in, strLine);) {
        if (strLine.starts_with(pszField))
            return std::stod(strLine.substr(std::strlen(pszField) + 1)) / 1024.0;
    }
    return 0;
}

struct CCost
{
    double m_dCpu = 0;
    double m_dServerCpu = 0;
    double m_dRssBefore = 0;
    double m_dPeak = 0;
};

// Runs fnStep and lets the window draw it; the peak is the most memory the
// process held meanwhile (the kernel's high-water mark, reset first).
CCost Measure(long nServer, const std::function<void()>& fnStep)
{
    PumpWindows();
    CCost cost;
    std::ofstream("/proc/self/clear_refs") << "5";
    cost.m_dRssBefore = StatusMegabytes("VmRSS:");
    const double dCpu = ProcessCpuSeconds();
    const double dServerCpu = nServer ? CpuSecondsOf(nServer) : 0;
    fnStep();
    PumpWindows();
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->Update();
    cost.m_dCpu = ProcessCpuSeconds() - dCpu;
    cost.m_dServerCpu = nServer ? CpuSecondsOf(nServer) - dServerCpu : -1;
    cost.m_dPeak = StatusMegabytes("VmHWM:");
    return cost;
}

void PrintCost(const char* pszStep, const CCost& cost)
{
    char szServer[32] = "n/a";
    if (cost.m_dServerCpu >= 0)
        std::snprintf(szServer, sizeof szServer, "%.2f", cost.m_dServerCpu);
    std::printf("| %-44s | %7.2f | %8s | %9.0f | %8.0f | %+8.0f |\n", pszStep, cost.m_dCpu, szServer, cost.m_dRssBefore,
                cost.m_dPeak, cost.m_dPeak - cost.m_dRssBefore);
    std::fflush(stdout);
}

void SelectRow(CAAListView& list, int nRow)
{
    list.SetItemState(-1, 0, LXIS_SELECTED);
    list.SetItemState(nRow, LXIS_SELECTED | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
}

} // namespace

int main(int argc, char** argv)
{
    const long nMegabytes = argc > 1 ? std::atol(argv[1]) : 50;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "long-text-bench needs a display: run it under xvfb-run.\n");
        return 1;
    }
    const std::string strFile = MakeLongTextFile(nMegabytes);
    const long nServer = FindXServer();
    const CBenchProgram program("long-text-bench", argv[0], strFile);
    CMainFrame* pFrame = program.GetFrame();
    if (!pFrame)
        return 1;
    CCategoryTreeView& tree = *pFrame->GetTreeView();
    CAAListView& list = *pFrame->GetListView();
    CRidaxoDoc& doc = *pFrame->GetActiveDocument();

    std::printf("File: %s, a name of %ld MB and a line of %ld MB\n", strFile.c_str(), nMegabytes, nMegabytes);
    std::printf(
        "\n| step                                         | CPU (s) | X server | RSS before | peak (MB) | growth |\n");
    std::printf(
        "|----------------------------------------------|---------|----------|------------|-----------|--------|\n");
    // The top folder holds the three AAs: the list paints the long name.
    const CCost listed = Measure(nServer, [&] { tree.SelectItem(tree.GetRootItem()); });
    PrintCost("show the folder (the list paints the name)", listed);
    const CCost named = Measure(nServer, [&] { SelectRow(list, 0); });
    PrintCost("select the AA with the long name", named);
    const CCost lined = Measure(nServer, [&] { SelectRow(list, 1); });
    PrintCost("select the AA with the long line", lined);
    // The grouping names a folder after what its AAs' names share, which
    // may be all of a long name.
    doc.GetRootForSteps().AddChild(doc.GetStore().GetName(0));
    const CCost foldered = Measure(nServer, [&] {
        pFrame->RefreshTree();
        tree.Expand(tree.GetRootItem());
    });
    PrintCost("show a folder named by the long name", foldered);
    // What the model alone pays for the long line: it reads the whole body
    // from the file, which the window then shows in part.
    const CCost read = Measure(nServer, [&] { (void)doc.GetStore().GetText(1); });
    PrintCost("(for reference: the model reads the line)", read);
    std::printf("\nCPU: this process; X server: the display's server (n/a when not found); memory: VmRSS "
                "before the step and VmHWM during it.\n");
    const CCost steps[] = {listed, named, lined, foldered};
    for (const CCost& cost : steps) {
        if (cost.m_dCpu > 1.0)
            return 2;
    }
    return 0;
}
