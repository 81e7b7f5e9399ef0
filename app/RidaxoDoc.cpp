#include "RidaxoDoc.h"

#include "DocumentFile.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoApp.h"
#include "RidaxoError.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include <filesystem>
#include <system_error>

wxIMPLEMENT_DYNAMIC_CLASS(CRidaxoDoc, wxDocument);

namespace
{
std::string ToNativePath(const wxString& strPath)
{
    return std::string(strPath.fn_str());
}

// True when strPath is the AA text file the store reads its AAs from:
// writing the index file there would destroy the collection.
bool IsStoreTextFile(const CAAStore& store, const wxString& strPath)
{
    std::error_code error;
    return !store.GetPath().empty() && std::filesystem::equivalent(ToNativePath(strPath), store.GetPath(), error) &&
           !error;
}
} // namespace

wxString MakeIndexFileName(const wxString& strPath)
{
    wxFileName name(strPath);
    name.SetExt(GetDocStringField(4).Mid(1));
    return name.GetFullPath();
}

bool CRidaxoDoc::OnCreate(const wxString& /*strPath*/, long nFlags)
{
    // The one view only links the document to the main frame.
    return GetDocumentTemplate()->CreateView(this, nFlags) != nullptr;
}

CRidaxoDoc::ESaveAnswer CRidaxoDoc::AskToSaveChanges()
{
    if (!IsModified())
        return ESaveAnswer::Kept;
    const wxString strQuestion = wxString::Format(U8("%s への変更を保存しますか?"), GetUserReadableName());
    switch (RidaxoMessageBox(strQuestion, wxYES_NO | wxCANCEL | wxICON_EXCLAMATION)) {
    case wxYES:
        return Save() ? ESaveAnswer::Kept : ESaveAnswer::Cancelled;
    case wxNO:
        return ESaveAnswer::Discarded;
    default:
        return ESaveAnswer::Cancelled;
    }
}

bool CRidaxoDoc::OnSaveModified()
{
    switch (AskToSaveChanges()) {
    case ESaveAnswer::Cancelled:
        return false;
    case ESaveAnswer::Discarded:
        Modify(false);
        return true;
    case ESaveAnswer::Kept:
        break;
    }
    return true;
}

wxCommandProcessor* CRidaxoDoc::OnCreateCommandProcessor()
{
    return new CArrangementHistory(kHistorySteps);
}

CArrangementHistory* CRidaxoDoc::GetHistory() const
{
    return static_cast<CArrangementHistory*>(GetCommandProcessor());
}

void CRidaxoDoc::SubmitStep(CArrangementCommand* pCommand)
{
    if (CArrangementHistory* pHistory = GetHistory())
        pHistory->Submit(pCommand);
    FollowHistory();
}

bool CRidaxoDoc::UndoStep()
{
    CArrangementHistory* pHistory = GetHistory();
    const bool bDone = pHistory && pHistory->Undo();
    FollowHistory();
    return bDone;
}

bool CRidaxoDoc::RedoStep()
{
    CArrangementHistory* pHistory = GetHistory();
    const bool bDone = pHistory && pHistory->Redo();
    FollowHistory();
    return bDone;
}

void CRidaxoDoc::FollowHistory()
{
    if (const CArrangementHistory* pHistory = GetHistory())
        Modify(pHistory->GetState() != m_nSavedState);
}

void CRidaxoDoc::Modify(bool bModified)
{
    if (!bModified) {
        if (const CArrangementHistory* pHistory = GetHistory())
            m_nSavedState = pHistory->GetState();
    }
    // The library's Modify tells the first view, whose OnChangeFilename puts
    // the mark in the title.
    wxDocument::Modify(bModified);
}

void CRidaxoDoc::TellViews(CRidaxoUpdateHint::EKind nKind, const wxString& strText)
{
    CRidaxoUpdateHint hint(nKind, strText);
    UpdateAllViews(nullptr, &hint);
}

CRidaxoDoc::EOpenResult CRidaxoDoc::OpenFile(const wxString& strPath)
{
    // An empty file holds no AA and no arrangement: reading it would only
    // throw away what is open.
    if (const std::optional<CFileStamp> stamp = ReadFileStamp(ToNativePath(strPath)); stamp && stamp->m_nSize == 0) {
        TellViews(
            CRidaxoUpdateHint::EKind::Status,
            wxString::Format(U8("%s は空のファイルです。何も読み込みませんでした。"), wxFileNameFromPath(strPath)));
        return EOpenResult::Opened;
    }
    // Changes the user chose not to save stay marked until the new file has
    // been read: if it cannot be, they are still on screen and still unsaved.
    if (AskToSaveChanges() == ESaveAnswer::Cancelled)
        return EOpenResult::Cancelled;

    CAAStore store;
    CCategoryModel model;
    bool bFromText = false;
    CGroupingSettings settings;
    if (const auto* pManager = dynamic_cast<const CRidaxoDocManager*>(GetDocumentManager()))
        settings = pManager->GetGroupingSettings();
    const auto fnAsk = [] {
        return RidaxoMessageBox(U8("自動カテゴライズしますか？"), wxYES_NO | wxICON_QUESTION) == wxYES;
    };
    try {
        OpenDocumentFile(ToNativePath(strPath), store, model, bFromText, fnAsk, settings);
    } catch (const CRidaxoError& error) {
        ShowRidaxoError(U8("ファイルを開けませんでした。"), error);
        return EOpenResult::Failed;
    }

    TellViews(CRidaxoUpdateHint::EKind::Replacing);
    m_store.Swap(store);
    m_model.Swap(model);
    // The mark and the steps of the history pointed into the categories
    // just swapped out.
    m_clip.Clear();
    if (CArrangementHistory* pHistory = GetHistory())
        pHistory->ClearCommands();
    m_bFromText = bFromText;
    m_keptTextStamp.reset();
    const wxString strFullPath = wxFileName(strPath).GetAbsolutePath();
    SetTitle(wxFileNameFromPath(strFullPath));
    SetFilename(strFullPath, true);
    // An imported AA text file is never written: saving it means Save As.
    SetDocumentSaved(!bFromText);
    Modify(false);
    TellViews(CRidaxoUpdateHint::EKind::Loaded);
    if (wxDocManager* pManager = GetDocumentManager())
        pManager->AddFileToHistory(strFullPath);
    WarnOfUnbackedAAs();
    return EOpenResult::Opened;
}

void CRidaxoDoc::WarnOfUnbackedAAs() const
{
    // Such entries show as nameless rows; without a word the user could not
    // tell a damaged or shortened file from AAs without names. They are
    // kept as they are, and written back as read.
    const std::size_t nUnbacked = CountUnbackedAAs(m_model.GetRoot(), m_store);
    if (nUnbacked == 0)
        return;
    RidaxoMessageBox(wxString::Format(U8("フォルダの AA のうち %zu 件は、AA テキストファイルにない番号を指しています。"
                                         "名前も本文もない行として表示されます (番号はそのまま保存されます)。"),
                                      nUnbacked) +
                         "\n\n" + wxString(m_store.GetPathRef().c_str(), *wxConvFileName),
                     wxOK | wxICON_WARNING);
}

bool CRidaxoDoc::HasUnansweredTextFileChange() const
{
    // Asked each time an AA is shown: one look at the file does.
    if (m_store.GetPathRef().empty())
        return false;
    const std::optional<CFileStamp> stamp = ReadFileStamp(m_store.GetPathRef());
    return stamp && *stamp != m_store.GetFileStamp() && stamp != m_keptTextStamp;
}

void CRidaxoDoc::KeepChangedTextFile()
{
    m_keptTextStamp = ReadFileStamp(m_store.GetPathRef());
}

bool CRidaxoDoc::ReloadTextFile()
{
    CAAStore store;
    try {
        store.LoadFile(m_store.GetPathRef());
    } catch (const CRidaxoError& error) {
        // Asking again at every AA shown would not make the file readable.
        KeepChangedTextFile();
        ShowRidaxoError(U8("AA テキストファイルを読み込めませんでした。"), error);
        return false;
    }
    m_store.Swap(store);
    m_keptTextStamp.reset();
    WarnOfUnbackedAAs();
    return true;
}

bool CRidaxoDoc::DoOpenDocument(const wxString& strPath)
{
    // Every open goes through OpenFile, which never replaces the contents
    // before the new file has been read; nothing should call this.
    return OpenFile(strPath) == EOpenResult::Opened;
}

bool CRidaxoDoc::DoSaveDocument(const wxString& strPath)
{
    if (IsStoreTextFile(m_store, strPath)) {
        RidaxoMessageBox(U8("AA テキストファイルには保存できません。別のファイル名を指定してください。") + "\n\n" +
                             strPath,
                         wxOK | wxICON_ERROR);
        return false;
    }
    try {
        SaveIndexFile(ToNativePath(strPath), m_store, m_model);
    } catch (const CRidaxoError& error) {
        ShowRidaxoError(U8("ファイルを保存できませんでした。"), error);
        return false;
    }
    return true;
}

bool CRidaxoDoc::SaveAs()
{
    const wxString strProposed = MakeIndexFileName(GetFilename());
    wxFileDialog dialog(GetDocumentWindow(), U8("名前を付けて保存"), wxPathOnly(strProposed),
                        wxFileNameFromPath(strProposed), GetFileDialogFilter(), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    wxString strPath = dialog.GetPath();
    if (wxFileName(strPath).GetExt().empty())
        strPath += GetDocStringField(4);
    return SaveAsPath(strPath);
}

bool CRidaxoDoc::SaveAsPath(const wxString& strPath)
{
    if (!OnSaveDocument(strPath))
        return false;
    // The document is that index file now, whatever it was read from: Save
    // writes it.
    m_bFromText = false;
    SetTitle(wxFileNameFromPath(strPath));
    SetFilename(strPath, true);
    if (wxDocManager* pManager = GetDocumentManager())
        pManager->AddFileToHistory(strPath);
    return true;
}
