#pragma once

#include "ListCtrlEx.h"

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/renderer.h>
#include <wx/settings.h>

// What the list window's files share: conversions between the core's plain
// colours and rectangles and wx's, the header, and the owner's texts.

inline wxColour ToWx(ListExColour cr)
{
    return wxColour(ListExRed(cr), ListExGreen(cr), ListExBlue(cr));
}

inline ListExColour FromWx(const wxColour& colour)
{
    return ListExRgb(colour.Red(), colour.Green(), colour.Blue());
}

inline wxRect ToWx(const CListExRect& rc, int nDy)
{
    return wxRect(rc.m_nLeft, rc.m_nTop + nDy, rc.Width(), rc.Height());
}

// A horizontal scroll step in pixels, and the rows a wheel notch scrolls.
inline constexpr int kLineScroll = 16;
inline constexpr int kWheelRows = 3;

// The header: its columns are read from the core whenever it draws them.

class CListExHeader : public wxHeaderCtrl
{
public:
    explicit CListExHeader(CListExWindow* pOwner)
        : wxHeaderCtrl(pOwner, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHD_ALLOW_REORDER), m_pOwner(pOwner)
    {
        Bind(wxEVT_HEADER_CLICK, [this](wxHeaderCtrlEvent& event) { m_pOwner->HeaderClicked(event.GetColumn()); });
        auto onResize = [this](wxHeaderCtrlEvent& event) {
            m_pOwner->HeaderResized(event.GetColumn(), event.GetWidth());
        };
        Bind(wxEVT_HEADER_RESIZING, onResize);
        Bind(wxEVT_HEADER_END_RESIZE, onResize);
        Bind(wxEVT_HEADER_END_REORDER, [this](wxHeaderCtrlEvent& event) {
            // The list keeps the order; the header is told it afterwards.
            event.Veto();
            m_pOwner->HeaderReordered(event.GetColumn(), static_cast<int>(event.GetNewOrder()));
        });
#ifdef wxHAS_GENERIC_HEADERCTRL
        Bind(wxEVT_PAINT, &CListExHeader::OnPaint, this);
#endif
    }

    const wxHeaderColumn& GetColumn(unsigned int nIndex) const override
    {
        const CListExCore& core = m_pOwner->GetCore();
        const int nColumn = static_cast<int>(nIndex);
        CListExColumnInfo info;
        info.m_nMask = LXCF_TEXT | LXCF_WIDTH;
        core.GetColumn(nColumn, info);
        m_column.SetTitle(wxString::FromUTF8(info.m_strText));
        m_column.SetWidth(info.m_nWidth);
        switch (core.GetHeaderAlignment(nColumn)) {
        case LXCFMT_RIGHT:
            m_column.SetAlignment(wxALIGN_RIGHT);
            break;
        case LXCFMT_CENTER:
            m_column.SetAlignment(wxALIGN_CENTRE);
            break;
        default:
            m_column.SetAlignment(wxALIGN_LEFT);
            break;
        }
        m_column.UnsetAsSortKey();
        m_column.SetBitmap(wxBitmapBundle());
        switch (core.GetHeaderMark(nColumn)) {
        case EListExMark::ArrowUp:
            m_column.SetSortOrder(true);
            break;
        case EListExMark::ArrowDown:
            m_column.SetSortOrder(false);
            break;
        case EListExMark::ImageUp:
            m_column.SetBitmap(m_pOwner->SortMarkBitmap(true));
            break;
        case EListExMark::ImageDown:
            m_column.SetBitmap(m_pOwner->SortMarkBitmap(false));
            break;
        case EListExMark::None:
            break;
        }
        return m_column;
    }

private:
#ifdef wxHAS_GENERIC_HEADERCTRL
    // The generic header draws a column's bitmap left of its title, and the
    // list's own sort mark goes right of it. While one is shown, the header
    // is painted here: every column as the header paints it, the marked one
    // with its title and mark where the core places them.
    void OnPaint(wxPaintEvent& event)
    {
        const CListExCore& core = m_pOwner->GetCore();
        const int nMarked = core.GetImageMarkColumn();
        if (nMarked < 0) {
            event.Skip();
            return;
        }
        wxAutoBufferedPaintDC dc(this);
        dc.SetBackground(GetBackgroundColour());
        dc.Clear();
        dc.SetFont(GetFont());
        wxRendererNative& renderer = wxRendererNative::Get();
        const int nHeight = GetClientSize().y;
        const wxPoint pointer = ScreenToClient(wxGetMousePosition());
        const int nCount = core.GetColumnCount();
        for (int nOrder = 0; nOrder < nCount; ++nOrder) {
            const int nColumn = core.OrderToIndex(nOrder);
            const wxHeaderColumn& column = GetColumn(static_cast<unsigned>(nColumn));
            const wxRect rect(core.GetColumnLeft(nColumn) - core.GetMetrics().m_nScrollX, 0, column.GetWidth(),
                              nHeight);
            int nFlags = 0;
            if (!IsEnabled())
                nFlags |= wxCONTROL_DISABLED;
            else if (rect.Contains(pointer))
                nFlags |= wxCONTROL_CURRENT;
            if (nOrder == 0)
                nFlags |= wxCONTROL_SPECIAL;
#ifdef __WXGTK__
            // The last button has edges of its own.
            if (nOrder == nCount - 1)
                nFlags |= wxCONTROL_DIRTY;
#endif
            wxHeaderSortIconType nArrow = wxHDR_SORT_ICON_NONE;
            if (column.IsSortKey())
                nArrow = column.IsSortOrderAscending() ? wxHDR_SORT_ICON_UP : wxHDR_SORT_ICON_DOWN;
            wxHeaderButtonParams params;
            params.m_labelText = column.GetTitle();
            params.m_labelAlignment = column.GetAlignment();
            CListExHeaderLayout layout;
            if (nColumn != nMarked ||
                !core.GetHeaderItemLayout(nColumn, dc.GetTextExtent(params.m_labelText).x, nHeight, layout)) {
                renderer.DrawHeaderButton(this, dc, rect, nFlags, nArrow, &params);
                continue;
            }
            // The button without its title; the header draws a title within
            // its margins of the rectangle it is given, which is the title's
            // own widened by them.
            wxHeaderButtonParams button;
            renderer.DrawHeaderButton(this, dc, rect, nFlags, nArrow, &button);
            wxDCClipper clip(dc, rect);
            params.m_labelAlignment = wxALIGN_LEFT;
            renderer.DrawHeaderButtonContents(this, dc, ToWx(layout.m_rcTitle, 0).Inflate(LXHD_TITLEMARGIN, 0), nFlags,
                                              wxHDR_SORT_ICON_NONE, &params);
            dc.DrawBitmap(m_pOwner->SortMarkBitmap(core.GetHeaderMark(nColumn) == EListExMark::ImageUp),
                          layout.m_rcMark.m_nLeft, layout.m_rcMark.m_nTop, true);
        }
    }
#endif

    CListExWindow* m_pOwner;
    mutable wxHeaderColumnSimple m_column{wxString()};
};

// The owner's texts, for a search of the rows.

class CListExWindow::COwnerTexts : public IListExOwnerTexts
{
public:
    explicit COwnerTexts(const CListExWindow& list) : m_list(list) {}

    std::string GetOwnerText(int nItem, int nColumn) override
    {
        return m_list.OnGetItemText(nItem, nColumn).utf8_string();
    }

private:
    const CListExWindow& m_list;
};
