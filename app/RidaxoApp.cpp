#include "RidaxoApp.h"

#include "MainFrame.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"
#include "RidaxoView.h"

#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgout.h>
#include <wx/stdpaths.h>

#include <cstdio>

namespace
{
const char* const kVendorName = "Local AppWizard-Generated Applications";
constexpr int kRecentFiles = 8;

void PrintVersion()
{
    std::fputs("ridaxo " RIDAXO_VERSION "\n", stdout);
}

// Swallows what the parser would print of a command line it refuses; with
// no application yet there is nowhere for it to go.
class CNoMessageOutput : public wxMessageOutput
{
protected:
    void Output(const wxString& /*str*/) override {}
};
} // namespace

// The library's default constructor would make its file history before ours
// is in place; Initialize then makes the one of eight entries.
CRidaxoDocManager::CRidaxoDocManager() : wxDocManager(0, false)
{
    SetMaxDocsOpen(1);
    Initialize();
    Bind(wxEVT_MENU, &CRidaxoDocManager::OnOpen, this, wxID_OPEN);
    Bind(wxEVT_MENU, &CRidaxoDocManager::OnNew, this, wxID_NEW);
    Bind(wxEVT_MENU, &CRidaxoDocManager::OnRecentFile, this, wxID_FILE1, wxID_FILE9);
    Bind(wxEVT_UPDATE_UI, &CRidaxoDocManager::OnUpdateSave, this, wxID_SAVE);
}

wxFileHistory* CRidaxoDocManager::OnCreateFileHistory()
{
    return new wxFileHistory(kRecentFiles);
}

wxString CRidaxoDocManager::MakeNewDocumentName()
{
    return U8("無題");
}

CRidaxoDoc* CRidaxoDocManager::GetRidaxoDoc() const
{
    wxList& docs = const_cast<CRidaxoDocManager*>(this)->GetDocuments();
    return docs.empty() ? nullptr : dynamic_cast<CRidaxoDoc*>(docs.GetFirst()->GetData());
}

bool CRidaxoDocManager::OpenPath(const wxString& strPath)
{
    CRidaxoDoc* pDoc = GetRidaxoDoc();
    return pDoc && pDoc->OpenFile(strPath) == CRidaxoDoc::EOpenResult::Opened;
}

void CRidaxoDocManager::OnOpen(wxCommandEvent& /*event*/)
{
    wxFileDialog dialog(wxTheApp->GetTopWindow(), U8("開く"), GetLastDirectory(), wxString(), GetFileDialogFilter(true),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    SetLastDirectory(dialog.GetDirectory());
    OpenPath(dialog.GetPath());
}

void CRidaxoDocManager::OnNew(wxCommandEvent& /*event*/)
{
    if (CRidaxoDoc* pDoc = GetRidaxoDoc())
        pDoc->OnNewDocument();
}

void CRidaxoDocManager::OnRecentFile(wxCommandEvent& event)
{
    const unsigned nIndex = static_cast<unsigned>(event.GetId() - wxID_FILE1);
    if (nIndex >= GetHistoryFilesCount())
        return;
    const wxString strPath = GetHistoryFile(nIndex);
    if (!wxFileName::FileExists(strPath)) {
        OnMRUFileNotExist(nIndex, strPath);
        return;
    }
    // A file that fails to open would fail the same way every time it was
    // chosen; the error has been shown.
    CRidaxoDoc* pDoc = GetRidaxoDoc();
    if (pDoc && pDoc->OpenFile(strPath) == CRidaxoDoc::EOpenResult::Failed)
        RemoveFileFromHistory(nIndex);
}

void CRidaxoDocManager::OnMRUFileNotExist(unsigned nIndex, const wxString& strPath)
{
    RemoveFileFromHistory(nIndex);
    RidaxoMessageBox(
        wxString::Format(U8("ファイル %s が見つかりません。最近使ったファイルの一覧から外しました。"), strPath),
        wxOK | wxICON_EXCLAMATION);
}

void CRidaxoDocManager::OnUpdateSave(wxUpdateUIEvent& event)
{
    // Save writes an index file in place; contents imported from an AA text
    // file are saved with Save As.
    const CRidaxoDoc* pDoc = GetRidaxoDoc();
    event.Enable(pDoc && !pDoc->IsFromText());
}

// English, as ridaxo-cli's usage is: the manual pages are too, and a
// terminal may not show Japanese.
void CRidaxoApp::DescribeCommandLine(wxCmdLineParser& parser)
{
    parser.SetLogo("Ridaxo " RIDAXO_VERSION ": organise collections of Japanese text art (AA).");
    parser.AddSwitch("h", "help", "show this help and exit", wxCMD_LINE_OPTION_HELP);
    parser.AddSwitch("", "version", "show the version and exit");
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
    parser.AddUsageText("\nFILE is an index file (.rix) or an AA file (.txt, .mlt, .ast) to open.");
}

std::optional<int> CRidaxoApp::AnswerWithoutWindow(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    DescribeCommandLine(parser);
    // A command line this parser refuses may still hold the toolkit's own
    // options (--display); the application parses it again once the toolkit
    // has taken those, and reports what is left wrong.
    CNoMessageOutput quiet;
    wxMessageOutput* const pOldOutput = wxMessageOutput::Set(&quiet);
    const int nParsed = parser.Parse(false);
    wxMessageOutput::Set(pOldOutput);
    switch (nParsed) {
    case -1:
        std::fputs(parser.GetUsageString().utf8_str(), stdout);
        return 0;
    case 0:
        if (parser.Found("version")) {
            PrintVersion();
            return 0;
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void CRidaxoApp::OnInitCmdLine(wxCmdLineParser& parser)
{
    // Not the library's options: its --verbose is of no use here, and the
    // help would then differ from AnswerWithoutWindow's.
    DescribeCommandLine(parser);
}

bool CRidaxoApp::OnCmdLineParsed(wxCmdLineParser& parser)
{
    // Only reached with the toolkit's options beside --version: main()
    // answers it alone.
    if (parser.Found("version")) {
        PrintVersion();
        return false;
    }
    if (parser.GetParamCount() > 0)
        m_strFileToOpen = parser.GetParam(0);
    return true;
}

bool CRidaxoApp::OnInit()
{
    if (!wxApp::OnInit())
        return false;
    return StartUp(m_strFileToOpen);
}

int CRidaxoApp::OnExit()
{
    ShutDown();
    return wxApp::OnExit();
}

bool CRidaxoApp::StartUp(const wxString& strPath)
{
    SetAppName(LoadResString(IDS_APP_TITLE));
    SetAppDisplayName(LoadResString(IDS_APP_TITLE));
    SetVendorName(kVendorName);
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);

    m_pDocManager = new CRidaxoDocManager;
    new wxDocTemplate(m_pDocManager, GetDocStringField(3), "*" + GetDocStringField(4), wxString(),
                      GetDocStringField(4).Mid(1), GetDocStringField(1), GetDocStringField(1), wxCLASSINFO(CRidaxoDoc),
                      wxCLASSINFO(CRidaxoView));
    m_pDocManager->FileHistoryLoad(*wxConfigBase::Get());

    auto* pFrame = new CMainFrame(*m_pDocManager, LoadResString(IDS_APP_TITLE));
    if (!pFrame->CreateContents()) {
        pFrame->Destroy();
        return false;
    }
    SetTopWindow(pFrame);
    if (!m_pDocManager->CreateNewDocument() || (!strPath.empty() && !m_pDocManager->OpenPath(strPath))) {
        pFrame->Destroy();
        return false;
    }
    pFrame->UpdateTitle();
    pFrame->Show();
    return true;
}

void CRidaxoApp::ShutDown()
{
    if (!m_pDocManager)
        return;
    if (wxConfigBase* pConfig = wxConfigBase::Get(false)) {
        m_pDocManager->FileHistorySave(*pConfig);
        // A new account may have no configuration folder yet; without one
        // the recent files would be lost. Should the settings still not be
        // written (a read-only home), they are lost without the library's
        // message, which would speak English at the user on the way out.
        wxFileName::Mkdir(wxStandardPaths::Get().GetUserConfigDir(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        const wxLogNull noLog;
        pConfig->Flush();
    }
    delete m_pDocManager;
    m_pDocManager = nullptr;
}
