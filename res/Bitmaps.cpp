#include "Bitmaps.h"

#include <wx/icon.h>

#include "app_icon_16.xpm"
#include "app_icon_32.xpm"
#include "folder_closed.xpm"
#include "folder_open.xpm"
#include "smile.xpm"
#include "sort_down.xpm"
#include "sort_up.xpm"
#include "toolbar_about.xpm"
#include "toolbar_copy.xpm"
#include "toolbar_cut.xpm"
#include "toolbar_open.xpm"
#include "toolbar_paste.xpm"
#include "toolbar_save.xpm"

wxBitmap LoadBitmap(EBitmap nBitmap)
{
    switch (nBitmap) {
    case EBitmap::ToolOpen:
        return wxBitmap(toolbar_open_xpm);
    case EBitmap::ToolSave:
        return wxBitmap(toolbar_save_xpm);
    case EBitmap::ToolCut:
        return wxBitmap(toolbar_cut_xpm);
    case EBitmap::ToolCopy:
        return wxBitmap(toolbar_copy_xpm);
    case EBitmap::ToolPaste:
        return wxBitmap(toolbar_paste_xpm);
    case EBitmap::ToolAbout:
        return wxBitmap(toolbar_about_xpm);
    case EBitmap::FolderClosed:
        return wxBitmap(folder_closed_xpm);
    case EBitmap::FolderOpen:
        return wxBitmap(folder_open_xpm);
    case EBitmap::Smile:
        return wxBitmap(smile_xpm);
    case EBitmap::SortUp:
        return wxBitmap(sort_up_xpm);
    case EBitmap::SortDown:
        return wxBitmap(sort_down_xpm);
    }
    return {};
}

wxIconBundle LoadAppIcons()
{
    wxIconBundle icons;
    icons.AddIcon(wxIcon(app_icon_16_xpm));
    icons.AddIcon(wxIcon(app_icon_32_xpm));
    return icons;
}
