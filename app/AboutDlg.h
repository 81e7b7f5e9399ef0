#pragma once

#include <wx/dialog.h>

class wxStaticText;

// The about box: the program's icon, its version line and a credit line.
class CAboutDlg : public wxDialog
{
public:
    explicit CAboutDlg(wxWindow* pParent);

    // Shows the version line from the string table, not the placeholder the
    // dialog is built with.
    bool TransferDataToWindow() override;

    wxString m_strVersion;

private:
    wxStaticText* m_pVersion = nullptr;
};
