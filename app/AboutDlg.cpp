#include "AboutDlg.h"

#include "Bitmaps.h"
#include "Resources.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

CAboutDlg::CAboutDlg(wxWindow* pParent) : wxDialog(pParent, wxID_ANY, U8("Ridaxo のﾊﾞｼﾞｮｰﾝ情報"))
{
    auto* pIcon = new wxStaticBitmap(this, wxID_ANY, LoadAppIcons().GetIcon(32));
    m_pVersion = new wxStaticText(this, IDC_VERSION, "Ridaxo", wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    auto* pCredit = new wxStaticText(this, wxID_ANY, U8("Ridaxo の開発者一同 — AA を集めるみなさんへ"));
    auto* pOk = new wxButton(this, wxID_OK, "OK");
    pOk->SetDefault();

    auto* pLines = new wxBoxSizer(wxVERTICAL);
    pLines->Add(m_pVersion, 0, wxEXPAND | wxBOTTOM, FromDIP(8));
    pLines->Add(pCredit);
    auto* pTop = new wxBoxSizer(wxHORIZONTAL);
    pTop->Add(pIcon, 0, wxALL, FromDIP(12));
    pTop->Add(pLines, 1, wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, FromDIP(12));
    pTop->Add(pOk, 0, wxALL, FromDIP(12));
    m_pVersion->SetMinSize(wxSize(FromDIP(220), -1));
    SetSizerAndFit(pTop);
    CentreOnParent();
}

bool CAboutDlg::TransferDataToWindow()
{
    m_strVersion = LoadResString(IDS_VERSION);
    m_pVersion->SetLabel(m_strVersion);
    return wxDialog::TransferDataToWindow();
}
