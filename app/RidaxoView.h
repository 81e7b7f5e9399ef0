#pragma once

#include <wx/docview.h>

// The document's link to the main frame: the frame's panes show the
// document, and this view carries out on the frame what the document says
// changed (CRidaxoUpdateHint), its name and its changed mark included.
class CRidaxoView : public wxView
{
public:
    bool OnCreate(wxDocument* pDoc, long nFlags) override;
    void OnDraw(wxDC* pDC) override;
    void OnUpdate(wxView* pSender, wxObject* pHint) override;
    void OnChangeFilename() override;
    bool OnClose(bool bDeleteWindow) override;

private:
    wxDECLARE_DYNAMIC_CLASS(CRidaxoView);
};
