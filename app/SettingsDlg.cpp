#include "SettingsDlg.h"

#include "Prompt.h"
#include "Resources.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <limits>

namespace
{
constexpr unsigned kMin = 1;
constexpr unsigned kMax = 999;
} // namespace

std::optional<unsigned> ParseDialogUInt(const wxString& strText)
{
    wxString strTrimmed = strText;
    strTrimmed.Trim(true).Trim(false);
    if (strTrimmed.StartsWith("+"))
        strTrimmed.Remove(0, 1);
    if (strTrimmed.empty())
        return std::nullopt;
    unsigned long long nValue = 0;
    for (wxUniChar ch : strTrimmed) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        nValue = nValue * 10 + (ch - '0');
        if (nValue > std::numeric_limits<unsigned>::max())
            nValue = std::numeric_limits<unsigned>::max();
    }
    return static_cast<unsigned>(nValue);
}

CSettingsDlg::CSettingsDlg(wxWindow* pParent) : wxDialog(pParent, wxID_ANY, U8("Ridaxo　設定"))
{
    // Created in the order the keyboard visits them.
    auto* pOk = new wxButton(this, wxID_OK, "OK");
    auto* pCancel = new wxButton(this, wxID_CANCEL, U8("ｷｬﾝｾﾙ"));
    m_pMinItemsEdit = new wxTextCtrl(this, IDC_MIN_ITEMS, wxString(), wxDefaultPosition, FromDIP(wxSize(80, -1)));
    m_pThresholdEdit = new wxTextCtrl(this, IDC_THRESHOLD, wxString(), wxDefaultPosition, FromDIP(wxSize(80, -1)));
    auto* pThresholdLabel = new wxStaticText(this, wxID_ANY, U8("近似パターンとみなす閾値"), wxDefaultPosition,
                                             wxDefaultSize, wxALIGN_RIGHT);
    auto* pMinItemsLabel = new wxStaticText(this, wxID_ANY, U8("カテゴリ化最低アイテム数"), wxDefaultPosition,
                                            wxDefaultSize, wxALIGN_RIGHT);
    pOk->SetDefault();
    m_pThresholdEdit->Bind(wxEVT_CHAR, &CSettingsDlg::OnThresholdChar, this);

    auto* pFields = new wxFlexGridSizer(2, FromDIP(wxSize(8, 8)));
    pFields->Add(pThresholdLabel, 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
    pFields->Add(m_pThresholdEdit);
    pFields->Add(pMinItemsLabel, 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
    pFields->Add(m_pMinItemsEdit);
    auto* pButtons = new wxBoxSizer(wxHORIZONTAL);
    pButtons->AddStretchSpacer();
    pButtons->Add(pOk, 0, wxRIGHT, FromDIP(6));
    pButtons->Add(pCancel);
    auto* pTop = new wxBoxSizer(wxVERTICAL);
    pTop->Add(pFields, 0, wxALL, FromDIP(12));
    pTop->Add(pButtons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(12));
    SetSizerAndFit(pTop);
    CentreOnParent();
}

bool CSettingsDlg::ExchangeField(wxTextCtrl* pEdit, unsigned& nValue, bool bSave)
{
    if (!bSave) {
        pEdit->ChangeValue(wxString::Format("%u", nValue));
        return true;
    }
    const std::optional<unsigned> nParsed = ParseDialogUInt(pEdit->GetValue());
    wxString strError;
    if (!nParsed)
        strError = U8("正の整数を入力してください。");
    else if (*nParsed < kMin || *nParsed > kMax)
        strError = wxString::Format(U8("%u から %u までの整数を入力してください。"), kMin, kMax);
    if (!strError.empty()) {
        RidaxoMessageBox(strError, wxOK | wxICON_EXCLAMATION, this);
        pEdit->SetFocus();
        pEdit->SelectAll();
        return false;
    }
    nValue = *nParsed;
    return true;
}

bool CSettingsDlg::TransferDataToWindow()
{
    return ExchangeField(m_pThresholdEdit, m_nThreshold, false) && ExchangeField(m_pMinItemsEdit, m_nMinItems, false);
}

bool CSettingsDlg::Validate()
{
    // Checked with the transfer itself, field by field in order.
    return true;
}

bool CSettingsDlg::TransferDataFromWindow()
{
    // Nothing is kept unless both fields are good.
    unsigned nThreshold = m_nThreshold;
    unsigned nMinItems = m_nMinItems;
    if (!ExchangeField(m_pThresholdEdit, nThreshold, true) || !ExchangeField(m_pMinItemsEdit, nMinItems, true))
        return false;
    m_nThreshold = nThreshold;
    m_nMinItems = nMinItems;
    return true;
}

void CSettingsDlg::OnThresholdChar(wxKeyEvent& event)
{
    // The threshold field takes digits only; editing and navigation keys and
    // shortcuts pass.
    // Keys that are no characters (arrows, Home...) come as WXK_NONE.
    const wxChar nKey = event.GetUnicodeKey();
    if (nKey < WXK_SPACE || nKey == WXK_DELETE || event.HasAnyModifiers() || (nKey >= u'0' && nKey <= u'9')) {
        event.Skip();
        return;
    }
    wxBell();
}
