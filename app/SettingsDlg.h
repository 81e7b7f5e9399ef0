#pragma once

#include <optional>

#include <wx/dialog.h>

class wxTextCtrl;

// The grouping settings dialog: the threshold of similar leading characters
// and the fewest AAs a category needs, each a whole number from 1 to 999.
class CSettingsDlg : public wxDialog
{
public:
    explicit CSettingsDlg(wxWindow* pParent);

    unsigned m_nThreshold = 0;
    unsigned m_nMinItems = 0;

    // Dialog data exchange, the threshold first: a field that is not a
    // number in range is reported, gets the focus, and keeps the dialog open.
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    bool Validate() override;

    wxTextCtrl* GetThresholdEdit() const { return m_pThresholdEdit; }
    wxTextCtrl* GetMinItemsEdit() const { return m_pMinItemsEdit; }

private:
    bool ExchangeField(wxTextCtrl* pEdit, unsigned& nValue, bool bSave);
    void OnThresholdChar(wxKeyEvent& event);

    wxTextCtrl* m_pMinItemsEdit = nullptr;
    wxTextCtrl* m_pThresholdEdit = nullptr;
};

// The value of a dialog field holding an unsigned decimal number: blanks
// around it allowed, nothing else; nullopt when it is not such a number.
// Values too large for 32 bits come back as the largest 32-bit value.
std::optional<unsigned> ParseDialogUInt(const wxString& strText);
