#pragma once

#include <functional>

#include <wx/string.h>

class CRidaxoError;
class wxWindow;

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
class CMessageBoxOverride
{
public:
    explicit CMessageBoxOverride(MessageBoxHandler fnHandler);
    ~CMessageBoxOverride();
    CMessageBoxOverride(const CMessageBoxOverride&) = delete;
    CMessageBoxOverride& operator=(const CMessageBoxOverride&) = delete;

private:
    MessageBoxHandler m_fnPrevious;
};
