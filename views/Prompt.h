#pragma once

#include <functional>
#include <utility>

#include <wx/string.h>

class CRidaxoError;
class wxMenu;
class wxPoint;
class wxWindow;

// While one lives, a handler slot holds another handler; the one it held
// comes back when it goes. Tests use these to stand in for the user.
template <typename THandler> class CScopedOverride
{
public:
    CScopedOverride(THandler& slot, THandler fnHandler)
        : m_fnSlot(slot), m_fnPrevious(std::exchange(slot, std::move(fnHandler)))
    {}
    ~CScopedOverride() { m_fnSlot = std::move(m_fnPrevious); }
    CScopedOverride(const CScopedOverride&) = delete;
    CScopedOverride& operator=(const CScopedOverride&) = delete;

private:
    THandler& m_fnSlot;
    THandler m_fnPrevious;
};

// Every message box of the program goes through RidaxoMessageBox, so that
// one place decides how a question is put, and a test can answer it.

// Shows strText in a message box with the application's title as caption;
// style takes wxMessageBox's flags. Returns wxYES, wxNO, wxOK or wxCANCEL.
int RidaxoMessageBox(const wxString& strText, long nStyle, wxWindow* pParent = nullptr);

// The text of a model failure for a message box: what failed, the file
// concerned and the cause.
wxString FormatErrorText(const wxString& strWhat, const CRidaxoError& error);
// Shows that text as an error.
void ShowRidaxoError(const wxString& strWhat, const CRidaxoError& error);

using MessageBoxHandler = std::function<int(const wxString& strText, long nStyle)>;

// Replaces the message box by fnHandler until the returned guard goes away
// (tests use this to answer questions); an empty handler restores it.
class CMessageBoxOverride : public CScopedOverride<MessageBoxHandler>
{
public:
    explicit CMessageBoxOverride(MessageBoxHandler fnHandler);
};

// Every popup menu goes through ShowPopupMenu: it shows menu at point, in
// window's client coordinates, and the chosen command reaches window.
void ShowPopupMenu(wxWindow& window, wxMenu& menu, const wxPoint& point);
// The same with the popup menu of the resources that nMenuId names.
void ShowPopupMenu(wxWindow& window, int nMenuId, const wxPoint& point);

// Chooses from a popup menu in the user's place, shown at point (client
// coordinates of the window it belongs to): returns the command chosen, or
// wxID_NONE.
using PopupMenuHandler = std::function<int(wxMenu& menu, const wxPoint& point)>;

// Replaces the popup menu by fnHandler while it lives (a popup menu is
// modal on some platforms, where a test could not choose from it).
class CPopupMenuOverride : public CScopedOverride<PopupMenuHandler>
{
public:
    explicit CPopupMenuOverride(PopupMenuHandler fnHandler);
    // For a handler that does not care where the menu opens.
    explicit CPopupMenuOverride(const std::function<int(wxMenu& menu)>& fnHandler);
};
