#include "RidaxoApp.h"

#include "MainFrame.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"

#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

namespace
{
const char* const kVendorName = "Local AppWizard-Generated Applications";
constexpr int kRecentFiles = 8;
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
    event.Enable(pDoc && !pDoc->m_bFromText);
}

void CRidaxoApp::OnInitCmdLine(wxCmdLineParser& parser)
{
    wxApp::OnInitCmdLine(parser);
    parser.AddParam("file", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
}

bool CRidaxoApp::OnCmdLineParsed(wxCmdLineParser& parser)
{
    if (parser.GetParamCount() > 0)
        m_strFileToOpen = parser.GetParam(0);
    return wxApp::OnCmdLineParsed(parser);
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

    auto* pFrame = new CMainFrame(m_pDocManager, LoadResString(IDS_APP_TITLE));
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
