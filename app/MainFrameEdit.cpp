// The main frame's edit commands: undo and redo, cut, copy and paste, on
// the pane that has the focus.
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
// The edit menu's label of undo or redo, naming strStep when there is one;
// the shortcut stays with it.
wxString MakeUndoLabel(int nId, const wxString& strStep)
{
    const bool bUndo = nId == wxID_UNDO;
    const wxString strVerb = U8(bUndo ? "元に戻す" : "やり直し");
    const wxString strKey = bUndo ? "(&U)\tCtrl+Z" : "(&R)\tCtrl+Y";
    return strStep.empty() ? strVerb + strKey : strVerb + ": " + strStep + strKey;
}
} // namespace

bool CMainFrame::TryBefore(wxEvent& event)
{
    const int nId = event.GetId();
    if (nId == wxID_UNDO || nId == wxID_REDO) {
        if (event.GetEventType() == wxEVT_MENU) {
            OnEditCommand(static_cast<wxCommandEvent&>(event));
            return true;
        }
        if (event.GetEventType() == wxEVT_UPDATE_UI) {
            OnUpdateEditCommand(static_cast<wxUpdateUIEvent&>(event));
            return true;
        }
    }
    return wxDocParentFrame::TryBefore(event);
}

void CMainFrame::OnEditCommand(wxCommandEvent& event)
{
    // The edit commands act on the pane that has the focus. In a text field
    // (the search field too), the text pane or a label being edited, they
    // edit text. Anywhere else undo and redo go through the arrangement's
    // history. In the tree and the list, cut and copy mark the selected
    // folder or AAs, and paste puts what was marked into the tree's
    // selected folder, the one the list shows.
    wxWindow* pFocus = FindFocus();
    const int nId = event.GetId();
    auto* pText = dynamic_cast<wxTextEntry*>(pFocus);
    if ((nId == wxID_UNDO || nId == wxID_REDO) && !pText) {
        if (CRidaxoDoc* pDoc = GetActiveDocument())
            nId == wxID_UNDO ? pDoc->UndoStep() : pDoc->RedoStep();
        return;
    }
    if (IsTreeOrList(pFocus)) {
        if (nId == wxID_PASTE) {
            m_pTreeView->Paste();
            // What cut or copy said to do next has been done.
            SetStatusText(LoadResString(IDS_IDLE), kPaneMessage);
        } else if (nId == wxID_COPY && pFocus == m_pListView && m_pListView->IsShowingResults()) {
            // Search results are copied as text only: they have no folder
            // that a paste would take them from.
            m_pListView->CopySelectedText();
        } else if (nId == wxID_CUT || nId == wxID_COPY) {
            if (pFocus == m_pListView)
                m_pListView->MarkSelected(nId == wxID_CUT);
            else
                m_pTreeView->MarkSelected(nId == wxID_CUT);
            ReportMarked();
        } else {
            event.Skip();
        }
        return;
    }
    if (!pText) {
        event.Skip();
        return;
    }
    switch (nId) {
    case wxID_UNDO:
        pText->Undo();
        break;
    case wxID_REDO:
        pText->Redo();
        break;
    case wxID_CUT:
        pText->Cut();
        break;
    case wxID_COPY:
        pText->Copy();
        break;
    case wxID_PASTE:
        pText->Paste();
        break;
    default:
        event.Skip();
        break;
    }
}

void CMainFrame::OnUpdateEditCommand(wxUpdateUIEvent& event)
{
    const wxWindow* pFocus = FindFocus();
    const auto* pText = dynamic_cast<const wxTextEntry*>(pFocus);
    const int nId = event.GetId();
    bool bEnable = false;
    if ((nId == wxID_UNDO || nId == wxID_REDO) && !pText) {
        // The item names the step it takes back or does again.
        const CRidaxoDoc* pDoc = GetActiveDocument();
        const CArrangementHistory* pHistory = pDoc ? pDoc->GetHistory() : nullptr;
        const CArrangementCommand* pStep = nullptr;
        if (pHistory)
            pStep = nId == wxID_UNDO ? pHistory->GetUndoStep() : pHistory->GetRedoStep();
        bEnable = pStep != nullptr;
        event.SetText(MakeUndoLabel(nId, pStep ? pStep->GetName() : wxString()));
    } else if ((nId == wxID_UNDO || nId == wxID_REDO) && pText) {
        bEnable = nId == wxID_UNDO ? pText->CanUndo() : pText->CanRedo();
        event.SetText(MakeUndoLabel(nId, wxString()));
    } else if (IsTreeOrList(pFocus)) {
        switch (nId) {
        case wxID_CUT:
        case wxID_COPY:
            bEnable = pFocus == m_pListView ? m_pListView->CanMarkSelected() : m_pTreeView->CanMarkSelected();
            if (pFocus == m_pListView && nId == wxID_COPY && m_pListView->IsShowingResults())
                bEnable = m_pListView->GetSelectedCount() > 0;
            break;
        case wxID_PASTE:
            bEnable = m_pTreeView->CanPaste();
            break;
        default:
            break;
        }
    } else if (pText) {
        switch (nId) {
        case wxID_CUT:
            bEnable = pText->CanCut();
            break;
        case wxID_COPY:
            bEnable = pText->CanCopy();
            break;
        case wxID_PASTE:
            // Not CanPaste: that asks the clipboard's owner and waits for
            // the answer, on every idle event while a field has the focus,
            // a third of what opening a label editor cost. Pasting nothing
            // into an editable field is harmless.
            bEnable = pText->IsEditable();
            break;
        default:
            break;
        }
    }
    event.Enable(bEnable);
}

bool CMainFrame::IsTreeOrList(const wxWindow* pWindow) const
{
    return m_bPanesReady && m_pTreeView && m_pListView && pWindow && (pWindow == m_pTreeView || pWindow == m_pListView);
}

void CMainFrame::ReportMarked()
{
    const CRidaxoDoc* pDoc = GetActiveDocument();
    if (!pDoc)
        return;
    const CCategoryClip& clip = pDoc->GetClip();
    wxString strWhat;
    switch (clip.GetKind()) {
    case CCategoryClip::EKind::None:
        return;
    case CCategoryClip::EKind::AAs:
        strWhat = wxString::Format(U8("%d 個の AA "), static_cast<int>(clip.GetAAs().size()));
        break;
    case CCategoryClip::EKind::Folder:
        strWhat = U8("フォルダ「") + ToDisplay(clip.GetFolder()->GetNameRef()) + U8("」");
        break;
    }
    SetStatusText(strWhat + (clip.IsCut() ? U8("を切り取りました。移動先のフォルダを選んで貼り付けてください。")
                                          : U8("をコピーしました。コピー先のフォルダを選んで貼り付けてください。")),
                  kPaneMessage);
}
