#pragma once

#include "DocumentFile.h"

#include <wx/app.h>
#include <wx/docview.h>

#include <optional>

class CMainFrame;
class CRidaxoDoc;

// The document manager of the one document. Unlike the library's own, it
// never closes the open document to open another: the document reads the
// new file first and takes it over only when that worked, so a failed open
// keeps what was open. It also holds the grouping settings, which outlive
// every document and which the document reads without the window.
class CRidaxoDocManager : public wxDocManager
{
public:
    CRidaxoDocManager();

    wxFileHistory* OnCreateFileHistory() override;
    wxString MakeNewDocumentName() override;

    CRidaxoDoc* GetRidaxoDoc() const;
    // Opens strPath into the one document, as Open does once a file is
    // chosen.
    bool OpenPath(const wxString& strPath);

    // The settings an AA file is grouped with; the program's defaults at
    // every start.
    CGroupingSettings& GetGroupingSettings() { return m_groupingSettings; }
    const CGroupingSettings& GetGroupingSettings() const { return m_groupingSettings; }

protected:
    void OnMRUFileNotExist(unsigned nIndex, const wxString& strPath) override;

private:
    void OnOpen(wxCommandEvent& event);
    void OnNew(wxCommandEvent& event);
    void OnRecentFile(wxCommandEvent& event);
    void OnUpdateSave(wxUpdateUIEvent& event);

    CGroupingSettings m_groupingSettings;
};

// The application: settings store, recent files, the document template, the
// main frame and the command line (--help, --version, or the path of one
// file to open).
class CRidaxoApp : public wxApp
{
public:
    // The window program's command line, for the application and for
    // AnswerWithoutWindow alike.
    static void DescribeCommandLine(wxCmdLineParser& parser);
    // Prints the help or the version when the command line asks for one
    // and returns the exit status; nothing for any other command line.
    // main() asks this before the toolkit starts, which needs a display.
    static std::optional<int> AnswerWithoutWindow(int argc, char** argv);

    bool OnInit() override;
    int OnExit() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;

    // Everything OnInit does after the command line has been read: builds
    // the document manager, the frame and the empty document, then opens
    // strPath when it is not empty. False when any of it fails; the window
    // is then gone.
    bool StartUp(const wxString& strPath);
    // Saves the recent-file list and lets go of the document manager.
    void ShutDown();

    CRidaxoDocManager* GetDocManager() const { return m_pDocManager; }

private:
    CRidaxoDocManager* m_pDocManager = nullptr;
    wxString m_strFileToOpen;
};
