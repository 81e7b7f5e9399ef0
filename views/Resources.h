#pragma once

#include <memory>

#include <wx/defs.h>
#include <wx/string.h>

// Command IDs and texts of the program. Stock commands (open, save, cut...)
// use wx's stock IDs so that the document manager and the text control route
// them. The program's own commands were numbered from 32771; wx refuses IDs
// above 32766, so they keep their order and last digits 10000 lower.
enum : int
{
    ID_VIEW_FONT = 22771,
    ID_FOLDER_ADD = 22773,
    ID_FOLDER_DELETE = 22774,
    ID_AA_DELETE = 22775,
    ID_SETTINGS = 22776,
    ID_AA_COPY = 22777,
    ID_FIND = 22778,
    // Framework commands that wx has no stock ID for; wx wants IDs below
    // 32767, so they cannot keep their historical numbers.
    ID_VIEW_TOOLBAR = wxID_HIGHEST + 1,
    ID_VIEW_STATUS_BAR,
    ID_NEXT_PANE,
    ID_PREV_PANE,
    IDC_VERSION = 1000,
    IDC_MIN_ITEMS = 1002,
    IDC_THRESHOLD = 1003,
};

// Popup menus.
enum : int
{
    IDR_TREEPOPUP = 133, // "TreePopup": add and delete a folder
    IDR_LISTPOPUP = 137, // "ListPopup": copy the AAs' text, delete AAs from the listed folder
};

// Text resource numbers that are not command IDs.
enum : int
{
    IDR_MAINFRAME = 128,   // the document string
    IDS_APP_TITLE = 57344, // "Ridaxo"
    IDS_IDLE = 57345,      // status-bar text while nothing happens
    IDS_VERSION = 57608,   // the about box's version line
};

// A resource text by number; empty when there is none. Prompts of commands
// hold the status-bar prompt, "\n", then the tooltip.
wxString LoadResString(int nId);
// The part of a command's resource text before "\n" (the status-bar prompt).
wxString GetCommandPrompt(int nId);
// The part after "\n" (the tooltip).
wxString GetCommandTooltip(int nId);
// Field nField (0-based, separated by "\n") of the document string.
wxString GetDocStringField(int nField);
// The file dialogs' filter: index files, then (bWithAAFiles, for opening)
// the AA files that can be imported, then all files.
wxString GetFileDialogFilter(bool bWithAAFiles = false);

class wxMenu;
// A popup menu by resource number, titled as its resource; null when there
// is none.
std::unique_ptr<wxMenu> LoadPopupMenu(int nId);

// Japanese text from a UTF-8 literal: narrow literals would be read in the
// C locale's encoding and come out empty.
inline wxString U8(const char* pszUtf8)
{
    return wxString::FromUTF8(pszUtf8);
}
