#pragma once

#include <functional>
#include <memory>
#include <string>

class CMainFrame;
class CMessageBoxOverride;
class wxInitializer;

// What the window benchmarks share: the real program, started on a
// generated file of AAs, and a timer of the best run.

// The shortest of nRuns runs of fnRun, in milliseconds.
double BestMs(int nRuns, const std::function<void()>& fnRun);
// Lets the windows do what is queued: layout, idle work, paints.
void PumpWindows();
// The folder the window benchmarks keep their generated files in.
std::string BenchFolder();

// The program's window on a generated AA text file of nCount AAs (made once
// and kept in the temporary folder), every AA in the top folder: the
// import's grouping question is answered no. Needs a display.
class CBenchProgram
{
public:
    CBenchProgram(const char* pszName, char* pszArgv0, long nCount);
    // The program's window on the AA text file strFile, made by the caller.
    CBenchProgram(const char* pszName, char* pszArgv0, const std::string& strFile);
    ~CBenchProgram();
    CBenchProgram(const CBenchProgram&) = delete;
    CBenchProgram& operator=(const CBenchProgram&) = delete;

    // Null when the program could not start; the reason was printed.
    CMainFrame* GetFrame() const { return m_pFrame; }

private:
    void Start(char* pszArgv0, const std::string& strFile);

    std::unique_ptr<wxInitializer> m_pInitializer;
    std::unique_ptr<CMessageBoxOverride> m_pAnswers;
    CMainFrame* m_pFrame = nullptr;
};
