#pragma once

#include "TreeExCore.h"

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/treebase.h>

#include <memory>

// One item as the window keeps it: what it shows and the value it carries.
class CTreeExItem : public CTreeExNode
{
public:
    CTreeExItem(const wxString& strText, int nImage, int nSelectedImage, wxTreeItemData* pData)
        : m_strText(strText), m_pData(pData)
    {
        m_images[wxTreeItemIcon_Normal] = nImage;
        m_images[wxTreeItemIcon_Selected] = nSelectedImage;
    }

    wxString m_strText;
    std::unique_ptr<wxTreeItemData> m_pData;
    int m_images[wxTreeItemIcon_Max] = {-1, -1, -1, -1};
    int m_nState = wxTREE_ITEMSTATE_NONE;
    bool m_bBold = false;
    // Invalid while the window's own are used.
    wxColour m_crText;
    wxColour m_crBack;
    wxFont m_font;
    // The label's width, valid while m_nWidthStamp is the window's.
    mutable int m_nWidth = 0;
    mutable unsigned m_nWidthStamp = 0;
};
