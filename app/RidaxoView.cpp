#include "RidaxoView.h"

#include "MainFrame.h"
#include "RidaxoDoc.h"

wxIMPLEMENT_DYNAMIC_CLASS(CRidaxoView, wxView);

bool CRidaxoView::OnCreate(wxDocument* /*pDoc*/, long /*nFlags*/)
{
    if (CMainFrame* pFrame = GetMainFrame())
        SetFrame(pFrame);
    Activate(true);
    return true;
}

void CRidaxoView::OnDraw(wxDC* /*pDC*/) {}

void CRidaxoView::OnUpdate(wxView* /*pSender*/, wxObject* pHint)
{
    // No frame, none to show anything on: before the window is built, or
    // once it is gone while the document is on its way out.
    CMainFrame* pFrame = GetMainFrame();
    const auto* pUpdate = dynamic_cast<const CRidaxoUpdateHint*>(pHint);
    if (!pFrame || !pUpdate)
        return;
    switch (pUpdate->GetKind()) {
    case CRidaxoUpdateHint::EKind::Replacing:
        pFrame->ClearViews();
        break;
    case CRidaxoUpdateHint::EKind::Loaded:
        pFrame->RefreshTree();
        pFrame->UpdateTitle();
        break;
    case CRidaxoUpdateHint::EKind::Status:
        pFrame->SetStatusText(pUpdate->GetText(), CMainFrame::kPaneMessage);
        break;
    }
}

void CRidaxoView::OnChangeFilename()
{
    if (CMainFrame* pFrame = GetMainFrame())
        pFrame->UpdateTitle();
}

bool CRidaxoView::OnClose(bool /*bDeleteWindow*/)
{
    // The frame outlives the document's view; closing the view only lets the
    // document go.
    return GetDocument() ? GetDocument()->Close() : true;
}
