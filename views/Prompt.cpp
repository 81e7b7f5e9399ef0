#include "Prompt.h"

#include "Resources.h"
#include "RidaxoError.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/window.h>

#include <memory>
#include <utility>

namespace
{
MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler fnHandler;
    return fnHandler;
}

PopupMenuHandler& CurrentPopupHandler()
{
    static PopupMenuHandler fnHandler;
    return fnHandler;
}
} // namespace

int RidaxoMessageBox(const wxString& strText, long nStyle, wxWindow* pParent)
{
    if (const MessageBoxHandler& fnHandler = CurrentHandler())
        return fnHandler(strText, nStyle);
    // The buttons speak the program's language, whatever the system's is.
    wxMessageDialog dialog(pParent, strText, LoadResString(IDS_APP_TITLE), nStyle);
    dialog.SetYesNoCancelLabels(U8("はい(&Y)"), U8("いいえ(&N)"), U8("ｷｬﾝｾﾙ"));
    dialog.SetOKCancelLabels("OK", U8("ｷｬﾝｾﾙ"));
    switch (dialog.ShowModal()) {
    case wxID_YES:
        return wxYES;
    case wxID_NO:
        return wxNO;
    case wxID_OK:
        return wxOK;
    default:
        return wxCANCEL;
    }
}

wxString FormatErrorText(const wxString& strWhat, const CRidaxoError& error)
{
    wxString strText = strWhat;
    if (!error.GetFile().empty())
        strText << "\n\n" << wxString(error.GetFile().c_str(), *wxConvFileName);
    strText << "\n" << wxString::FromUTF8(error.GetCause(ELanguage::Japanese));
    return strText;
}

void ShowRidaxoError(const wxString& strWhat, const CRidaxoError& error)
{
    RidaxoMessageBox(FormatErrorText(strWhat, error), wxOK | wxICON_ERROR);
}

CMessageBoxOverride::CMessageBoxOverride(MessageBoxHandler fnHandler)
    : CScopedOverride(CurrentHandler(), std::move(fnHandler))
{}

void ShowPopupMenu(wxWindow& window, wxMenu& menu, const wxPoint& point)
{
    const PopupMenuHandler& fnHandler = CurrentPopupHandler();
    if (!fnHandler) {
        window.PopupMenu(&menu, point);
        return;
    }
    const int nId = fnHandler(menu, point);
    if (nId == wxID_NONE)
        return;
    wxCommandEvent event(wxEVT_MENU, nId);
    event.SetEventObject(&menu);
    window.GetEventHandler()->ProcessEvent(event);
}

void ShowPopupMenu(wxWindow& window, int nMenuId, const wxPoint& point)
{
    if (std::unique_ptr<wxMenu> pMenu = LoadPopupMenu(nMenuId))
        ShowPopupMenu(window, *pMenu, point);
}

CPopupMenuOverride::CPopupMenuOverride(PopupMenuHandler fnHandler)
    : CScopedOverride(CurrentPopupHandler(), std::move(fnHandler))
{}

CPopupMenuOverride::CPopupMenuOverride(const std::function<int(wxMenu& menu)>& fnHandler)
    : CPopupMenuOverride([fnHandler](wxMenu& menu, const wxPoint& /*point*/) { return fnHandler(menu); })
{}
