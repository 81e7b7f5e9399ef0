#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The program's pictures, drawn as XPM files beside this one.
enum class EBitmap
{
    ToolOpen,
    ToolSave,
    ToolCut,
    ToolCopy,
    ToolPaste,
    ToolAbout,
    FolderClosed,
    FolderOpen,
    Smile,
    SortUp,
    SortDown,
};

wxBitmap LoadBitmap(EBitmap nBitmap);
// The application icon at 16 and 32 pixels.
wxIconBundle LoadAppIcons();
