#pragma once

#include <functional>

#include <wx/string.h>

class wxWindow;

// Every message box of the program goes through RidaxoMessageBox, so that
// one place decides how a question is put, and a test can answer it.

// Shows strText in a message box with the application's title as caption;
// style takes wxMessageBox's flags. Returns wxYES, wxNO, wxOK or wxCANCEL.
int RidaxoMessageBox(const wxString& strText, long nStyle, wxWindow* pParent = nullptr);

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
