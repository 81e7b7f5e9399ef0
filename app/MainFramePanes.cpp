// The main frame's panes: what the list and the text pane show, the search,
// and the status bar's facts.
#include "MainFrame.h"

#include "AAFacts.h"
#include "AAListView.h"
#include "AboutDlg.h"
#include "ArrangementCommand.h"
#include "Bitmaps.h"
#include "CategoryTreeView.h"
#include "DisplayText.h"
#include "Prompt.h"
#include "Resources.h"
#include "RidaxoDoc.h"
#include "RidaxoError.h"
#include "SettingsDlg.h"

#include "AASearch.h"
#include "Category.h"
#include "CategoryEdit.h"

#include <wx/accel.h>
#include <wx/checkbox.h>
#include <wx/dcscreen.h>
#include <wx/fontdlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/srchctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>

namespace
{
// How long typing in the search field pauses before the search runs.
constexpr int kSearchDelayMs = 200;
} // namespace

CRidaxoDoc* CMainFrame::GetActiveDocument() const
{
    wxDocManager* pManager = GetDocumentManager();
    return pManager ? dynamic_cast<CRidaxoDoc*>(pManager->GetCurrentDocument()) : nullptr;
}

void CMainFrame::ClearViews()
{
    // A search of the file that was open means nothing in the next.
    m_searchTimer.Stop();
    if (m_pSearchCtrl)
        m_pSearchCtrl->ChangeValue(wxString());
    ShowPaneText({});
    if (m_pListView)
        m_pListView->Clear();
    if (m_pTreeView)
        m_pTreeView->DeleteAllItems();
    m_bTextReadFailed = false;
}

void CMainFrame::RefreshTree()
{
    if (m_bPanesReady && m_pTreeView)
        m_pTreeView->RebuildTree();
}

void CMainFrame::OnSearchTyped(wxCommandEvent& /*event*/)
{
    // Each keystroke starts the wait anew: the search runs once, when the
    // typing pauses.
    m_searchTimer.StartOnce(kSearchDelayMs);
}

void CMainFrame::EndSearch()
{
    m_searchTimer.Stop();
    if (m_pSearchCtrl && !m_pSearchCtrl->IsEmpty())
        m_pSearchCtrl->ChangeValue(wxString());
    SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
    ShowCategory();
}

void CMainFrame::RunSearch()
{
    m_searchTimer.Stop();
    if (!m_bPanesReady || !m_pSearchCtrl || !m_pListView)
        return;
    CRidaxoDoc* pDoc = GetActiveDocument();
    const wxString strTyped = m_pSearchCtrl->GetValue();
    if (strTyped.empty() || !pDoc) {
        EndSearch();
        return;
    }
    const std::optional<CSearchText> text = CSearchText::FromUtf8(strTyped.utf8_string());
    if (!text) {
        m_pListView->ShowResults({});
        SetStatusText(U8("検索する文字列に Shift-JIS で書けない文字があるため、一致する AA はありません。"),
                      kPaneMessage);
        return;
    }
    // Bodies are read from the AA text file: not from one that changed
    // since it was loaded, whose AAs no longer lie where the store says.
    const bool bBodies = m_pSearchBodies->GetValue() && !pDoc->HasUnansweredTextFileChange();
    std::vector<int> found;
    try {
        wxBusyCursor busy;
        found = pDoc->GetStore().FindAAs(*text, bBodies);
    } catch (const CRidaxoError& error) {
        found = pDoc->GetStore().FindAAs(*text, false);
        ReportTextFileError(
            FormatErrorText(U8("AA テキストファイルを読めないため、本文は検索しませんでした。"), error));
    }
    const CCategory* pFolder = m_pTreeView ? m_pTreeView->GetItemCategory(m_pTreeView->GetSelection()) : nullptr;
    if (m_pSearchInFolder->GetValue() && pFolder) {
        const std::vector<int> branch = CollectBranchAAs(*pFolder);
        std::vector<int> inBranch;
        std::set_intersection(found.begin(), found.end(), branch.begin(), branch.end(), std::back_inserter(inBranch));
        found.swap(inBranch);
    }
    m_pListView->ShowResults(found);
    SetStatusText(found.empty() ? U8("一致する AA はありません。")
                                : wxString::Format(U8("%zu 件の AA が見つかりました。"), found.size()),
                  kPaneMessage);
}

bool CMainFrame::IsSearching() const
{
    return m_pSearchCtrl && !m_pSearchCtrl->IsEmpty();
}

void CMainFrame::ShowCategory()
{
    if (!m_bPanesReady || !m_pTreeView || !m_pListView)
        return;
    // While a search is shown, another folder selected is searched within
    // when the search is limited to it; the results stay otherwise.
    if (IsSearching()) {
        if (m_pSearchInFolder->GetValue())
            RunSearch();
        return;
    }
    if (CCategory* pCategory = m_pTreeView->GetItemCategory(m_pTreeView->GetSelection())) {
        m_pListView->Fill(pCategory);
        return;
    }
    // No folder is selected: the list must not keep a folder that may have
    // gone, nor the text pane an AA the list no longer holds.
    m_pListView->Clear();
    ShowPaneText({});
}

CViewState CMainFrame::CaptureViewState() const
{
    CViewState state;
    if (!m_bPanesReady || !m_pTreeView || !m_pListView)
        return state;
    state.m_pFolder = m_pTreeView->GetItemCategory(m_pTreeView->GetSelection());
    if (m_pListView->GetCategory())
        state.m_selectedAAs = m_pListView->GetSelectedAAs();
    return state;
}

void CMainFrame::ShowArrangementChange(const std::vector<CCategory*>& parents, const CCategory* pRenamed,
                                       const CViewState* pState)
{
    CRidaxoDoc* pDoc = GetActiveDocument();
    if (!m_bPanesReady || !m_pTreeView || !m_pListView || !pDoc)
        return;
    for (auto it = parents.begin(); it != parents.end(); ++it) {
        if (std::find(parents.begin(), it, *it) == it)
            m_pTreeView->ShowChildrenOf(**it);
    }
    if (pRenamed)
        m_pTreeView->ShowName(*pRenamed);
    // A folder taken out lives on in the step that took it, and goes when
    // that step leaves the history: nothing may keep pointing at it.
    const CCategory& root = pDoc->GetRootForSteps();
    pDoc->GetClip().ForgetUnlessUnder(root);
    if (pState) {
        m_pTreeView->SelectCategory(pState->m_pFolder);
        ShowCategory();
        if (m_pListView->GetCategory())
            m_pListView->SelectAAs(pState->m_selectedAAs);
        return;
    }
    const CCategory* pListed = m_pListView->GetCategory();
    if (pListed && !IsInBranch(*pListed, root))
        ShowCategory();
}

void CMainFrame::ShowSelectedAA()
{
    if (!m_bPanesReady || !m_pListView || !m_pTextView)
        return;
    CRidaxoDoc* pDoc = GetActiveDocument();
    int nRow = m_pListView->GetFirstSelectedRow();
    if (nRow < 0)
        nRow = 0;
    if (!pDoc || nRow >= m_pListView->GetRowCount()) {
        ShowPaneText({});
        return;
    }
    if (pDoc->HasUnansweredTextFileChange()) {
        // The AAs may no longer begin at the offsets the store holds: what
        // lies there now is no AA to show.
        ShowPaneText({});
        if (!m_bReloadQuestionPending) {
            m_bReloadQuestionPending = true;
            // Asked after the notification that led here has been handled,
            // as ReportTextFileError does.
            CallAfter(&CMainFrame::AskReloadTextFile);
        }
        return;
    }
    try {
        // Only what the pane can show is read: a body of one enormous line
        // would otherwise cost its whole size before most of it is cut.
        const std::string strText =
            pDoc->GetStore().GetTextHead(m_pListView->GetRowAA(nRow), kPaneLineBytes + 1, kPaneTextBytes, ::kPaneLines);
        m_bTextReadFailed = false;
        ShowPaneText(strText, pDoc->GetStore().ResolvesReferences());
    } catch (const CRidaxoError& error) {
        ShowPaneText({});
        if (!m_bTextReadFailed) {
            m_bTextReadFailed = true;
            ReportTextFileError(FormatErrorText(U8("AA テキストファイルを読めません。"), error));
        }
    }
}

void CMainFrame::ShowPaneText(std::string_view strBody, bool bReferences)
{
    if (!m_pTextView)
        return;
    const CPaneText shown = MakePaneText(strBody, bReferences);
    m_pTextView->ChangeValue(wxString::FromUTF8(shown.m_strUtf8));
    // The facts are those of the body the pane was given: the whole of an
    // AA it shows whole. Nothing is shown, nothing is measured.
    if (strBody.empty()) {
        ShowFacts(nullptr, false);
    } else {
        const CAAFacts facts = MeasureAABody(strBody, bReferences);
        ShowFacts(&facts, shown.m_bCut);
    }
    // The note stays while the AA it speaks of is shown, and gives way to
    // the idle text after it; other messages are left alone.
    wxStatusBar* pStatusBar = GetStatusBar();
    if (!pStatusBar)
        return;
    const wxString strNote = U8("この AA は長いため、一部だけを表示しています。");
    if (shown.m_bCut)
        pStatusBar->SetStatusText(strNote, kPaneMessage);
    else if (pStatusBar->GetStatusText(kPaneMessage) == strNote)
        pStatusBar->SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
}

void CMainFrame::ReportTextFileError(const wxString& strText)
{
    // Shown after the notification that led here has been handled, so the
    // message box never runs inside the list's own event processing.
    CallAfter([strText] { RidaxoMessageBox(strText, wxOK | wxICON_ERROR); });
}

void CMainFrame::AskReloadTextFile()
{
    m_bReloadQuestionPending = false;
    CRidaxoDoc* pDoc = GetActiveDocument();
    if (!pDoc || !pDoc->HasUnansweredTextFileChange())
        return;
    const wxString strQuestion =
        U8("読み込んだ後で AA テキストファイルが変更されたため、AA の位置が合わなくなっています。") + "\n\n" +
        wxString(pDoc->GetStore().GetPathRef().c_str(), *wxConvFileName) + "\n\n" +
        U8("読み込み直しますか？ カテゴリの構成はそのまま残ります。");
    if (RidaxoMessageBox(strQuestion, wxYES_NO | wxICON_QUESTION) == wxYES) {
        if (pDoc->ReloadTextFile() && m_pListView)
            m_pListView->Refresh(); // the names may have changed
    } else {
        pDoc->KeepChangedTextFile();
    }
    ShowSelectedAA();
}
