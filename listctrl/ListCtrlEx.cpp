#include "ListCtrlEx.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/time.h>

namespace
{

wxColour ToWx(ListExColour cr)
{
    return wxColour(ListExRed(cr), ListExGreen(cr), ListExBlue(cr));
}

ListExColour FromWx(const wxColour& colour)
{
    return ListExRgb(colour.Red(), colour.Green(), colour.Blue());
}

wxRect ToWx(const CListExRect& rc, int nDy)
{
    return wxRect(rc.m_nLeft, rc.m_nTop + nDy, rc.Width(), rc.Height());
}

constexpr int kLineScroll = 16;
constexpr int kWheelRows = 3;

} // namespace

// ---------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------
// Painting a row on a device context.

class CListExWindow::CPainter : public IListExPainter
{
public:
    CPainter(CListExWindow& list, wxDC& dc, int nDy) : m_list(list), m_dc(dc), m_nDy(nDy) {}

    std::string GetOwnerText(int nItem, int nColumn) override
    {
        return m_list.OnGetItemText(nItem, nColumn).utf8_string();
    }

    int MeasureText(const std::string& strText) override { return m_dc.GetTextExtent(wxString::FromUTF8(strText)).x; }

    void FillRect(const CListExRect& rc, ListExColour cr) override
    {
        if (rc.IsEmpty())
            return;
        m_dc.SetPen(*wxTRANSPARENT_PEN);
        m_dc.SetBrush(wxBrush(ToWx(cr)));
        m_dc.DrawRectangle(ToWx(rc, m_nDy));
    }

    void DrawImage(bool bState, int nImage, int nX, int nY, int nWidth, int nHeight, bool bSelected) override
    {
        if (nWidth <= 0 || nHeight <= 0)
            return;
        const wxRect rect(nX, nY + m_nDy, nWidth, nHeight);
        wxDCClipper clip(m_dc, rect);
        if (bState) {
            // State image 0 is the empty box, 1 the ticked one.
            const int nFlags = (nImage == 1 ? int{wxCONTROL_CHECKED} : 0) | (bSelected ? int{wxCONTROL_FOCUSED} : 0);
            wxRendererNative::Get().DrawCheckBox(&m_list, m_dc, rect, nFlags);
            return;
        }
        if (m_list.m_pSmallImages && nImage < m_list.m_pSmallImages->GetImageCount())
            m_list.m_pSmallImages->Draw(nImage, m_dc, nX, nY + m_nDy, wxIMAGELIST_DRAW_TRANSPARENT);
    }

    void DrawText(const std::string& strText, const CListExRect& rc, int nFormat, ListExColour crText,
                  ListExColour /*crBk*/, bool bUnderline) override
    {
        const wxRect rect = ToWx(rc, m_nDy);
        wxDCClipper clip(m_dc, rect);
        wxFont font = m_dc.GetFont();
        if (bUnderline)
            font.SetUnderlined(true);
        wxDCFontChanger fontChanger(m_dc, font);
        const wxString strShown = wxControl::Ellipsize(wxString::FromUTF8(strText), m_dc, wxELLIPSIZE_END, rect.width,
                                                       wxELLIPSIZE_FLAGS_NONE);
        int nAlign = wxALIGN_LEFT;
        if (nFormat == LXCFMT_CENTER)
            nAlign = wxALIGN_CENTRE_HORIZONTAL;
        else if (nFormat == LXCFMT_RIGHT)
            nAlign = wxALIGN_RIGHT;
        m_dc.SetTextForeground(ToWx(crText));
        m_dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        m_dc.DrawLabel(strShown, rect, nAlign | wxALIGN_CENTRE_VERTICAL);
    }

    void DrawFocusRect(const CListExRect& rc, ListExColour /*cr*/) override
    {
        wxRendererNative::Get().DrawFocusRect(&m_list, m_dc, ToWx(rc, m_nDy));
    }

private:
    CListExWindow& m_list;
    wxDC& m_dc;
    int m_nDy;
};

// ---------------------------------------------------------------------------

CListExWindow::CListExWindow(wxWindow* pParent, wxWindowID nId, unsigned nStyle, long nWxStyle)
    : m_pCore(std::make_unique<CListExCore>(nStyle))
{
    // Every pixel of the rows is painted here; the buffer keeps a scroll
    // from flickering.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(pParent, nId, wxDefaultPosition, wxDefaultSize, nWxStyle | wxVSCROLL | wxHSCROLL | wxWANTS_CHARS);
    m_pCore->SetSysColours(ReadSysColours());
    m_pHeader = new CListExHeader(this);

    Bind(wxEVT_PAINT, &CListExWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &CListExWindow::OnSize, this);
    for (const auto nType :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
          wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(nType, &CListExWindow::OnScroll, this);
    Bind(wxEVT_MOUSEWHEEL, &CListExWindow::OnMouseWheel, this);
    Bind(wxEVT_SET_FOCUS, &CListExWindow::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &CListExWindow::OnFocus, this);
    Bind(wxEVT_SYS_COLOUR_CHANGED, &CListExWindow::OnSysColourChanged, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CListExWindow::OnCaptureLost, this);
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) { OnLeftDown(event); });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) { OnLeftUp(event); });
    Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& event) { OnLeftDClick(event); });
    Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent& event) { OnRightDown(event); });
    Bind(wxEVT_MOTION, [this](wxMouseEvent& event) { OnMouseMove(event); });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) { OnMouseMove(event); });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) { OnKeyDown(event); });
    Bind(wxEVT_CHAR, [this](wxKeyEvent& event) { OnChar(event); });
    // The list's own context menu is none: a right click is the owner's to
    // handle, and the frame above never sees it.
    Bind(wxEVT_CONTEXT_MENU, [](wxContextMenuEvent&) {});
    UpdateMetrics();
}

bool IsDragMove(const wxWindow& window, const wxPoint& delta)
{
    const int nDragX = std::max(wxSystemSettings::GetMetric(wxSYS_DRAG_X, &window), 2);
    const int nDragY = std::max(wxSystemSettings::GetMetric(wxSYS_DRAG_Y, &window), 2);
    return std::abs(delta.x) * 2 >= nDragX || std::abs(delta.y) * 2 >= nDragY;
}

CListExWindow::~CListExWindow()
{
    // The rows' records go with the window.
    m_pCore->DeleteAllItems();
}

CListExSysColours CListExWindow::ReadSysColours() const
{
    CListExSysColours colours;
    colours.m_crWindow = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
    colours.m_crWindowText = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT));
    colours.m_crHighlight = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    colours.m_crHighlightText = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    colours.m_crBtnFace = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    colours.m_crHotLight = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT));
    colours.m_crGrayText = FromWx(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    return colours;
}

wxBitmap CListExWindow::SortMarkBitmap(bool bUp) const
{
    // A 9 by 5 triangle in the grey of disabled text, the rest see-through.
    wxImage image(LXSM_CX, LXSM_CY);
    image.SetMaskColour(255, 255, 255);
    const ListExColour crMark = m_pCore->GetSysColours().m_crGrayText;
    constexpr int nMiddle = LXSM_CX / 2;
    for (int y = 0; y < LXSM_CY; ++y) {
        const int nRow = bUp ? y : LXSM_CY - 1 - y;
        for (int x = 0; x < LXSM_CX; ++x) {
            const bool bInside = x >= nMiddle - nRow && x <= nMiddle + nRow;
            if (bInside)
                image.SetRGB(x, y, ListExRed(crMark), ListExGreen(crMark), ListExBlue(crMark));
            else
                image.SetRGB(x, y, 255, 255, 255);
        }
    }
    return wxBitmap(image);
}

wxHeaderCtrl* CListExWindow::GetHeaderCtrl() const
{
    return m_pHeader;
}

const wxHeaderColumn& CListExWindow::GetHeaderColumn(int nColumn) const
{
    return m_pHeader->GetColumn(static_cast<unsigned>(nColumn));
}

bool CListExWindow::SetFont(const wxFont& font)
{
    if (!wxWindow::SetFont(font))
        return false;
    // Rows are as high as the new font wants.
    m_nCharHeight = 0;
    UpdateScrollbars();
    Refresh();
    return true;
}

int CListExWindow::GetRowsTop() const
{
    return m_pHeader ? m_pHeader->GetSize().y : 0;
}

// Every change of what the metrics hold (size, scrolling, font, images,
// check boxes) comes through here, so the core's metrics are always current.
void CListExWindow::UpdateMetrics()
{
    CListExMetrics metrics = m_pCore->GetMetrics();
    if (m_nCharHeight <= 0) {
        wxClientDC dc(this);
        dc.SetFont(GetFont());
        m_nCharHeight = dc.GetCharHeight();
    }
    int nRowHeight = m_nCharHeight + 4;
    metrics.m_nSmallIconWidth = metrics.m_nSmallIconHeight = 0;
    if (m_pSmallImages) {
        m_pSmallImages->GetSize(0, metrics.m_nSmallIconWidth, metrics.m_nSmallIconHeight);
        nRowHeight = std::max(nRowHeight, metrics.m_nSmallIconHeight + 2);
    }
    metrics.m_nStateIconWidth = metrics.m_nStateIconHeight = 0;
    if (m_pCore->GetExtendedStyle() & LXS_EX_CHECKBOXES) {
        const wxSize size = wxRendererNative::Get().GetCheckBoxSize(this);
        metrics.m_nStateIconWidth = size.x;
        metrics.m_nStateIconHeight = size.y;
        nRowHeight = std::max(nRowHeight, size.y + 2);
    }
    metrics.m_nRowHeight = nRowHeight;
    const wxSize client = GetClientSize();
    metrics.m_nClientWidth = client.x;
    metrics.m_nClientHeight = std::max(client.y - GetRowsTop(), 0);
    metrics.m_nScrollX = m_nScrollX;
    metrics.m_nScrollY = m_nTopRow * nRowHeight;
    m_pCore->SetMetrics(metrics);
}

int CListExWindow::GetCountPerPage() const
{
    const CListExMetrics& metrics = m_pCore->GetMetrics();
    return metrics.m_nRowHeight > 0 ? std::max(metrics.m_nClientHeight / metrics.m_nRowHeight, 1) : 1;
}

int CListExWindow::GetTopIndex() const
{
    return m_nTopRow;
}

void CListExWindow::UpdateScrollbars()
{
    UpdateMetrics();
    const CListExMetrics& metrics = m_pCore->GetMetrics();
    const int nPage = GetCountPerPage();
    // A range shorter than its page would be one scrolled past its end:
    // GTK then draws its overshoot glow, a grey half-moon at that edge (the
    // right one whenever the columns are narrower than the window, the
    // bottom one whenever the rows do not fill it). Such a range is made
    // exactly one page long, which needs no scrollbar either.
    SetScrollbar(wxVERTICAL, m_nTopRow, nPage, std::max(GetItemCount(), nPage));
    SetScrollbar(wxHORIZONTAL, m_nScrollX, metrics.m_nClientWidth,
                 std::max(m_pCore->GetTotalColumnWidth(), metrics.m_nClientWidth));
    // Rows deleted at the end, or a window grown taller, may leave the view
    // past the last row.
    ScrollTo(m_nTopRow, m_nScrollX);
}

void CListExWindow::ScrollTo(int nTopRow, int nScrollX)
{
    const CListExMetrics& metrics = m_pCore->GetMetrics();
    nTopRow = std::clamp(nTopRow, 0, std::max(GetItemCount() - GetCountPerPage(), 0));
    nScrollX = std::clamp(nScrollX, 0, std::max(m_pCore->GetTotalColumnWidth() - metrics.m_nClientWidth, 0));
    if (nTopRow == m_nTopRow && nScrollX == m_nScrollX)
        return;
    if (nScrollX != m_nScrollX)
        m_pHeader->ScrollWindow(m_nScrollX - nScrollX, 0);
    m_nTopRow = nTopRow;
    m_nScrollX = nScrollX;
    SetScrollPos(wxVERTICAL, m_nTopRow);
    SetScrollPos(wxHORIZONTAL, m_nScrollX);
    UpdateMetrics();
    Refresh();
}

void CListExWindow::UpdateHeader()
{
    if (static_cast<int>(m_pHeader->GetColumnCount()) != GetColumnCount())
        m_pHeader->SetColumnCount(static_cast<unsigned>(GetColumnCount()));
    wxArrayInt order;
    for (int i = 0; i < GetColumnCount(); ++i)
        order.push_back(m_pCore->OrderToIndex(i));
    m_pHeader->SetColumnsOrder(order);
    for (int i = 0; i < GetColumnCount(); ++i)
        m_pHeader->UpdateColumn(static_cast<unsigned>(i));
    m_pHeader->Refresh();
}

void CListExWindow::OnSize(wxSizeEvent& event)
{
    const wxSize client = GetClientSize();
    m_pHeader->SetSize(0, 0, client.x, m_pHeader->GetBestSize().y);
    UpdateScrollbars();
    Refresh();
    event.Skip();
}

void CListExWindow::OnPaint(wxPaintEvent& /*event*/)
{
    wxAutoBufferedPaintDC dc(this);
    PaintRows(dc, GetUpdateClientRect());
}

void CListExWindow::PaintRows(wxDC& dc, const wxRect& rcArea)
{
    dc.SetFont(GetFont());
    const int nTop = GetRowsTop();
    const wxSize client = GetClientSize();
    const wxRect rcUpdate = rcArea.Intersect(wxRect(0, nTop, client.x, std::max(client.y - nTop, 0)));
    if (rcUpdate.IsEmpty())
        return;
    CPainter painter(*this, dc, nTop);
    const CListExRect rcClip{rcUpdate.x, rcUpdate.y - nTop, rcUpdate.GetRight() + 1, rcUpdate.GetBottom() + 1 - nTop};
    for (const CListExFill& fill : m_pCore->PlanErase(rcClip))
        painter.FillRect(fill.m_rc, fill.m_cr);

    const int nRowHeight = m_pCore->GetMetrics().m_nRowHeight;
    const int nFirst = m_nTopRow + std::max(rcClip.m_nTop, 0) / nRowHeight;
    const int nLast = std::min(m_nTopRow + (rcClip.m_nBottom - 1) / nRowHeight, GetItemCount() - 1);
    for (int nItem = nFirst; nItem <= nLast; ++nItem)
        m_pCore->DrawItem(painter, nItem);
}

void CListExWindow::RefreshRow(int nItem)
{
    CListExRect rc;
    if (!m_pCore->GetItemRect(nItem, LXIR_BOUNDS, rc))
        return;
    const int nTop = GetRowsTop();
    if (rc.m_nBottom <= 0 || rc.m_nTop >= m_pCore->GetMetrics().m_nClientHeight)
        return;
    // The whole width: a row's highlight may reach past its last column.
    RefreshRect(wxRect(0, rc.m_nTop + nTop, GetClientSize().x, rc.Height()), false);
}

int ScrollEventTarget(const wxScrollWinEvent& event, int nPos, int nLine, int nPage, int nEnd)
{
    const wxEventType nType = event.GetEventType();
    if (nType == wxEVT_SCROLLWIN_TOP)
        return 0;
    if (nType == wxEVT_SCROLLWIN_BOTTOM)
        return nEnd;
    if (nType == wxEVT_SCROLLWIN_LINEUP)
        return nPos - nLine;
    if (nType == wxEVT_SCROLLWIN_LINEDOWN)
        return nPos + nLine;
    if (nType == wxEVT_SCROLLWIN_PAGEUP)
        return nPos - nPage;
    if (nType == wxEVT_SCROLLWIN_PAGEDOWN)
        return nPos + nPage;
    return event.GetPosition();
}

void CListExWindow::OnScroll(wxScrollWinEvent& event)
{
    if (event.GetOrientation() == wxVERTICAL)
        ScrollTo(ScrollEventTarget(event, m_nTopRow, 1, std::max(GetCountPerPage() - 1, 1), GetItemCount()),
                 m_nScrollX);
    else
        ScrollTo(m_nTopRow, ScrollEventTarget(event, m_nScrollX, kLineScroll, m_pCore->GetMetrics().m_nClientWidth,
                                              m_pCore->GetTotalColumnWidth()));
}

void CListExWindow::OnMouseWheel(wxMouseEvent& event)
{
    const int nRows = event.GetWheelRotation() / std::max(event.GetWheelDelta(), 1) * kWheelRows;
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL)
        ScrollTo(m_nTopRow, m_nScrollX + nRows * kLineScroll);
    else
        ScrollTo(m_nTopRow - nRows, m_nScrollX);
}

void CListExWindow::OnFocus(wxFocusEvent& event)
{
    if (event.GetEventType() == wxEVT_SET_FOCUS)
        m_pCore->OnSetFocus();
    else
        m_pCore->OnKillFocus();
    // Selected rows change colour with the focus.
    Refresh();
    event.Skip();
}

void CListExWindow::OnSysColourChanged(wxSysColourChangedEvent& event)
{
    m_pCore->OnSysColourChange(ReadSysColours());
    UpdateHeader();
    Refresh();
    event.Skip();
}

void CListExWindow::OnCaptureLost(wxMouseCaptureLostEvent& /*event*/)
{
    m_bDragArmed = false;
    m_nPendingSelect = -1;
}

// ---------------------------------------------------------------------------
// Columns and items

int CListExWindow::InsertColumn(int nColumn, const wxString& strTitle, int nFormat, int nWidth)
{
    CListExColumnInfo info;
    info.m_nMask = LXCF_TEXT | LXCF_FMT | LXCF_WIDTH;
    info.m_strText = strTitle.utf8_string();
    info.m_nFormat = nFormat;
    info.m_nWidth = nWidth;
    return InsertColumn(nColumn, info);
}

int CListExWindow::InsertColumn(int nColumn, const CListExColumnInfo& info)
{
    const int nResult = m_pCore->InsertColumn(nColumn, info);
    if (nResult >= 0) {
        UpdateHeader();
        UpdateScrollbars();
        Refresh();
    }
    return nResult;
}

bool CListExWindow::DeleteColumn(int nColumn)
{
    if (!m_pCore->DeleteColumn(nColumn))
        return false;
    UpdateHeader();
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::SetColumn(int nColumn, const CListExColumnInfo& info)
{
    if (!m_pCore->SetColumn(nColumn, info))
        return false;
    UpdateHeader();
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::SetColumnWidth(int nColumn, int nWidth)
{
    if (!m_pCore->SetColumnWidth(nColumn, nWidth))
        return false;
    m_pHeader->UpdateColumn(static_cast<unsigned>(nColumn));
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::SetColumnOrderArray(int nCount, const int* pArray)
{
    if (!m_pCore->SetColumnOrderArray(nCount, pArray))
        return false;
    UpdateHeader();
    Refresh();
    return true;
}

void CListExWindow::HeaderClicked(int nColumn)
{
    if (nColumn >= 0 && nColumn < GetColumnCount())
        OnColumnClick(nColumn);
}

void CListExWindow::HeaderResized(int nColumn, int nWidth)
{
    if (!m_pCore->SetColumnWidth(nColumn, nWidth))
        return;
    m_pHeader->UpdateColumn(static_cast<unsigned>(nColumn));
    UpdateScrollbars();
    // The shaded stripe and every column right of this one move.
    Refresh();
}

void CListExWindow::HeaderReordered(int nColumn, int nOrder)
{
    m_pCore->MoveColumnToOrder(nColumn, nOrder);
    UpdateHeader();
    Refresh();
}

void CListExWindow::OnColumnClick(int nColumn)
{
    m_pCore->OnColumnClick(nColumn);
    UpdateHeader();
    // The owner sorts the rows: it hears of the click as well.
    wxListEvent event(wxEVT_LIST_COL_CLICK, GetId());
    event.SetEventObject(this);
    event.m_col = nColumn;
    GetEventHandler()->ProcessEvent(event);
}

int CListExWindow::InsertItem(int nItem, const wxString& strText)
{
    CListExItemInfo info;
    info.m_nMask = LXIF_TEXT;
    info.m_nItem = nItem;
    info.m_strText = strText.utf8_string();
    return InsertItem(info);
}

int CListExWindow::InsertItem(const CListExItemInfo& info)
{
    const int nResult = m_pCore->InsertItem(info);
    if (nResult >= 0)
        RowsChanged();
    return nResult;
}

void CListExWindow::RowsChanged()
{
    UpdateScrollbars();
    Refresh();
}

bool CListExWindow::SetItem(const CListExItemInfo& info)
{
    if (!m_pCore->SetItem(info))
        return false;
    RefreshRow(info.m_nItem);
    return true;
}

bool CListExWindow::SetItemText(int nItem, int nSubItem, const wxString& strText)
{
    if (!m_pCore->SetItemText(nItem, nSubItem, strText.utf8_string().c_str()))
        return false;
    RefreshRow(nItem);
    return true;
}

wxString CListExWindow::GetItemText(int nItem, int nSubItem) const
{
    if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0 || nSubItem >= GetColumnCount())
        return {};
    if (const std::string* pText = m_pCore->GetOwnText(nItem, nSubItem))
        return wxString::FromUTF8(*pText);
    return OnGetItemText(nItem, nSubItem);
}

int CListExWindow::FindItem(int nStart, const CListExFindInfo& info) const
{
    // Rows whose text is the owner's, as every row of the AA list, are
    // found by the text the owner shows for them.
    COwnerTexts owner(*this);
    return m_pCore->FindItem(nStart, info, &owner);
}

bool CListExWindow::DeleteItem(int nItem)
{
    if (!m_pCore->DeleteItem(nItem))
        return false;
    if (m_nAnchor >= GetItemCount())
        m_nAnchor = -1;
    m_nPendingSelect = -1;
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::DeleteItems(const std::vector<int>& items)
{
    if (!m_pCore->DeleteItems(items))
        return false;
    m_nAnchor = -1;
    m_nPendingSelect = -1;
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::DeleteAllItems()
{
    m_pCore->DeleteAllItems();
    m_nAnchor = -1;
    m_nPendingSelect = -1;
    m_nTopRow = 0;
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::SortItems(PFNLXCOMPARE pfnCompare, std::intptr_t lParamSort)
{
    if (!m_pCore->SortItems(pfnCompare, lParamSort))
        return false;
    m_nAnchor = -1;
    Refresh();
    return true;
}

void CListExWindow::ReportChanged(std::vector<int>& changed)
{
    // A row may be reported twice (deselected, then selected again); it
    // changed once.
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    if (static_cast<int>(changed.size()) > GetCountPerPage())
        Refresh();
    else {
        for (int nChanged : changed)
            RefreshRow(nChanged);
    }
    for (int nChanged : changed)
        OnItemChanged(nChanged);
}

bool CListExWindow::ChangeState(int nItem, unsigned nState, unsigned nMask)
{
    std::vector<int> changed;
    if (!m_pCore->SetItemState(nItem, nState, nMask, &changed))
        return false;
    ReportChanged(changed);
    return true;
}

void CListExWindow::SelectRange(int nFrom, int nTo, bool bKeepOthers)
{
    std::vector<int> changed;
    if (!bKeepOthers)
        m_pCore->SetItemState(-1, 0, LXIS_SELECTED, &changed);
    for (int n = std::min(nFrom, nTo); n <= std::max(nFrom, nTo); ++n)
        m_pCore->SetItemState(n, LXIS_SELECTED, LXIS_SELECTED, &changed);
    m_pCore->SetItemState(nTo, LXIS_FOCUSED, LXIS_FOCUSED, &changed);
    ReportChanged(changed);
}

bool CListExWindow::SetItemState(int nItem, unsigned nState, unsigned nMask)
{
    return ChangeState(nItem, nState, nMask);
}

std::vector<int> CListExWindow::GetSelectedRows() const
{
    std::vector<int> rows;
    for (int nRow = GetNextItem(-1, LXNI_SELECTED); nRow >= 0; nRow = GetNextItem(nRow, LXNI_SELECTED))
        rows.push_back(nRow);
    return rows;
}

bool CListExWindow::SetCheck(int nItem, bool bCheck)
{
    return ChangeState(nItem, ListExStateImage(bCheck ? 2 : 1), LXIS_STATEIMAGEMASK);
}

void CListExWindow::SelectOnly(int nItem)
{
    std::vector<int> changed;
    const unsigned nBoth = LXIS_SELECTED | LXIS_FOCUSED;
    m_pCore->SetItemState(-1, 0, LXIS_SELECTED, &changed);
    if (nItem >= 0)
        m_pCore->SetItemState(nItem, nBoth, nBoth, &changed);
    ReportChanged(changed);
}

void CListExWindow::EnsureVisible(int nItem)
{
    if (nItem < 0 || nItem >= GetItemCount())
        return;
    const int nPage = GetCountPerPage();
    if (nItem < m_nTopRow)
        ScrollTo(nItem, m_nScrollX);
    else if (nItem >= m_nTopRow + nPage)
        ScrollTo(nItem - nPage + 1, m_nScrollX);
}

unsigned CListExWindow::SetExtendedStyle(unsigned nMask, unsigned nStyles)
{
    std::vector<int> changed;
    const unsigned nOld = m_pCore->SetExtendedStyle(nMask, nStyles, &changed);
    UpdateHeader();
    // Check boxes change the rows' height: the rows are laid out for it
    // before the rows whose boxes came or went are repainted and reported.
    UpdateScrollbars();
    Refresh();
    ReportChanged(changed);
    return nOld;
}

void CListExWindow::SetSmallImageList(wxImageList* pImages)
{
    m_pSmallImages = pImages;
    UpdateScrollbars();
    Refresh();
}

void CListExWindow::SetBkColour(const wxColour& colour)
{
    m_pCore->SetBkColour(FromWx(colour));
    Refresh();
}

void CListExWindow::EnableSortShading(bool bOn, int nSortKey)
{
    if (m_pCore->EnableSortShading(bOn, nSortKey, wxDisplayDepth()))
        Refresh();
    UpdateHeader();
}

void CListExWindow::EnableSortMarks(bool bOn, int nSortKey)
{
    m_pCore->EnableSortMarks(bOn, nSortKey);
    UpdateHeader();
}

void CListExWindow::SetSortKey(int nSortKey)
{
    const EListExRepaint nRepaint = m_pCore->SetSortKey(nSortKey);
    if (nRepaint == EListExRepaint::None)
        return;
    UpdateHeader();
    if (nRepaint == EListExRepaint::HeaderAndList)
        Refresh();
}

int CListExWindow::HitTest(const wxPoint& point, unsigned& nFlags) const
{
    return m_pCore->HitTest(point.x, point.y - GetRowsTop(), nFlags);
}

bool CListExWindow::GetCellRect(int nItem, int nColumn, int nKind, wxRect& rect) const
{
    CListExRect rc;
    if (!m_pCore->GetCellRect(nItem, nColumn, nKind, rc))
        return false;
    rect = ToWx(rc, GetRowsTop());
    return true;
}

// ---------------------------------------------------------------------------
// The owner's hooks, and the mouse and keys

wxString CListExWindow::OnGetItemText(int /*nItem*/, int /*nColumn*/) const
{
    return {};
}

void CListExWindow::OnItemChanged(int /*nItem*/) {}

void CListExWindow::OnBeginDrag(const wxPoint& /*point*/) {}

void CListExWindow::OnItemActivated(int nItem)
{
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, GetId());
    event.SetEventObject(this);
    event.m_itemIndex = nItem;
    GetEventHandler()->ProcessEvent(event);
}

void CListExWindow::ApplyHot(const CListExHotChange& change)
{
    // Owner-drawn rows ask for the repaint; the plain rows show the hot
    // colour and underline from the same plan, so they follow it too.
    if (change.m_bRepaint || change.m_nOldHot != change.m_nNewHot) {
        RefreshRow(change.m_nOldHot);
        RefreshRow(change.m_nNewHot);
    }
    if (change.m_bSetCursor && change.m_bHandCursor != m_bHandCursor) {
        m_bHandCursor = change.m_bHandCursor;
        SetCursor(m_bHandCursor ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
    }
}

void CListExWindow::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    const wxPoint point = event.GetPosition();
    const int nX = point.x;
    const int nY = point.y - GetRowsTop();
    m_bDragArmed = false;
    m_nPendingSelect = -1;

    const unsigned nStyle = m_pCore->GetStyle();
    const bool bCheckBoxes = (m_pCore->GetExtendedStyle() & LXS_EX_CHECKBOXES) != 0;
    unsigned nFlags = 0;
    const int nItem = m_pCore->HitTest(nX, nY, nFlags);
    if (bCheckBoxes && nItem >= 0 && nFlags == LXHT_ONITEMSTATEICON) {
        // A click on the box flips the check and leaves the selection.
        SetCheck(nItem, !GetCheck(nItem));
        ApplyHot(m_pCore->UpdateHotItem(nX, nY));
        return;
    }

    const bool bMulti = !(nStyle & LXS_SINGLESEL);
    if (nItem < 0) {
        if (!event.ControlDown())
            ChangeState(-1, 0, LXIS_SELECTED);
    } else if (bMulti && event.ShiftDown() && m_nAnchor >= 0) {
        SelectRange(m_nAnchor, nItem, event.ControlDown());
    } else if (bMulti && event.ControlDown()) {
        const unsigned nSelected = GetItemState(nItem, LXIS_SELECTED) ^ LXIS_SELECTED;
        ChangeState(nItem, nSelected | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
        m_nAnchor = nItem;
    } else if (GetItemState(nItem, LXIS_SELECTED) && GetSelectedCount() > 1) {
        m_nPendingSelect = nItem;
        ChangeState(nItem, LXIS_FOCUSED, LXIS_FOCUSED);
        m_nAnchor = nItem;
    } else {
        SelectOnly(nItem);
        m_nAnchor = nItem;
    }
    if (nItem >= 0) {
        m_bDragArmed = true;
        m_ptPress = point;
    }
    ApplyHot(m_pCore->UpdateHotItem(nX, nY));
}

void CListExWindow::OnLeftUp(wxMouseEvent& event)
{
    if (m_nPendingSelect >= 0 && m_nPendingSelect < GetItemCount())
        SelectOnly(m_nPendingSelect);
    m_nPendingSelect = -1;
    m_bDragArmed = false;
    event.Skip();
}

void CListExWindow::OnLeftDClick(wxMouseEvent& event)
{
    const int nX = event.GetPosition().x;
    const int nY = event.GetPosition().y - GetRowsTop();
    std::vector<int> changed;
    if (m_pCore->ToggleCheckAt(nX, nY, &changed)) {
        ReportChanged(changed);
        return;
    }
    unsigned nFlags = 0;
    const int nItem = m_pCore->HitTest(nX, nY, nFlags);
    if (nItem >= 0 && nFlags != LXHT_ONITEMSTATEICON)
        OnItemActivated(nItem);
}

void CListExWindow::OnRightDown(wxMouseEvent& event)
{
    SetFocus();
    m_bDragArmed = false;
    m_nPendingSelect = -1;
    unsigned nFlags = 0;
    const int nItem = HitTest(event.GetPosition(), nFlags);
    if (nItem < 0)
        ChangeState(-1, 0, LXIS_SELECTED);
    else if (!GetItemState(nItem, LXIS_SELECTED)) {
        SelectOnly(nItem);
        m_nAnchor = nItem;
    } else
        ChangeState(nItem, LXIS_FOCUSED, LXIS_FOCUSED);
}

void CListExWindow::OnMouseMove(wxMouseEvent& event)
{
    if (event.Leaving())
        ApplyHot(m_pCore->UpdateHotItem(-1, -1));
    else
        ApplyHot(m_pCore->UpdateHotItem(event.GetPosition().x, event.GetPosition().y - GetRowsTop()));

    // A drag begins only at a move: the platform starts one from a motion
    // of the pointer, never from its leaving the window, which a quick
    // flick out of the list makes the first event after the press. The
    // moves that follow still come here while the button is down.
    if (!m_bDragArmed || event.Leaving())
        return;
    if (!event.LeftIsDown()) {
        m_bDragArmed = false;
        return;
    }
    if (!IsDragMove(*this, event.GetPosition() - m_ptPress))
        return;
    // The press that started a drag keeps the selection it had.
    m_bDragArmed = false;
    m_nPendingSelect = -1;
    OnBeginDrag(m_ptPress);
}

void CListExWindow::MoveFocusTo(int nItem, bool bExtend, bool bKeepSelection)
{
    if (GetItemCount() == 0)
        return;
    nItem = std::clamp(nItem, 0, GetItemCount() - 1);
    const bool bMulti = !(m_pCore->GetStyle() & LXS_SINGLESEL);
    if (bMulti && bExtend && m_nAnchor >= 0) {
        SelectRange(m_nAnchor, nItem, false);
    } else if (bMulti && bKeepSelection) {
        ChangeState(nItem, LXIS_FOCUSED, LXIS_FOCUSED);
    } else {
        SelectOnly(nItem);
        m_nAnchor = nItem;
    }
    EnsureVisible(nItem);
}

void CListExWindow::OnKeyDown(wxKeyEvent& event)
{
    const int nFocus = GetNextItem(-1, LXNI_FOCUSED);
    const int nCurrent = nFocus >= 0 ? nFocus : GetNextItem(-1, LXNI_SELECTED);
    const int nPage = std::max(GetCountPerPage() - 1, 1);
    const bool bShift = event.ShiftDown();
    const bool bCtrl = event.ControlDown();
    switch (event.GetKeyCode()) {
    case WXK_UP:
        MoveFocusTo(nCurrent < 0 ? 0 : nCurrent - 1, bShift, bCtrl);
        break;
    case WXK_DOWN:
        MoveFocusTo(nCurrent < 0 ? 0 : nCurrent + 1, bShift, bCtrl);
        break;
    case WXK_PAGEUP:
        MoveFocusTo(nCurrent - nPage, bShift, bCtrl);
        break;
    case WXK_PAGEDOWN:
        MoveFocusTo(nCurrent + nPage, bShift, bCtrl);
        break;
    case WXK_HOME:
        MoveFocusTo(0, bShift, bCtrl);
        break;
    case WXK_END:
        MoveFocusTo(GetItemCount() - 1, bShift, bCtrl);
        break;
    case WXK_SPACE:
        // Without a current row the keyboard could never start: the first
        // row becomes it, as the arrows make it.
        if (nCurrent < 0)
            MoveFocusTo(0, false, false);
        else if (bCtrl)
            ChangeState(nCurrent, GetItemState(nCurrent, LXIS_SELECTED) ^ LXIS_SELECTED, LXIS_SELECTED);
        else if (GetExtendedStyle() & LXS_EX_CHECKBOXES)
            SetCheck(nCurrent, !GetCheck(nCurrent));
        else
            ChangeState(nCurrent, LXIS_SELECTED, LXIS_SELECTED);
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        if (nCurrent < 0)
            MoveFocusTo(0, false, false);
        else
            OnItemActivated(nCurrent);
        break;
    case WXK_TAB:
        // The list wants arrow keys, not Tab: that still moves the focus on.
        Navigate(bShift ? wxNavigationKeyEvent::IsBackward : wxNavigationKeyEvent::IsForward);
        break;
    case 'A':
        if (bCtrl && !(m_pCore->GetStyle() & LXS_SINGLESEL))
            ChangeState(-1, LXIS_SELECTED, LXIS_SELECTED);
        else
            event.Skip();
        break;
    default:
        event.Skip();
        break;
    }
}

bool CTypedPrefix::Add(const wxKeyEvent& event, bool& bNew)
{
    const wxChar ch = event.GetUnicodeKey();
    if (ch == WXK_NONE || ch < ' ' || ch == WXK_DELETE || event.ControlDown() || event.AltDown())
        return false;
    constexpr long kPrefixPauseMs = 1000;
    const wxLongLong nNow = wxGetLocalTimeMillis();
    bNew = m_strPrefix.empty() || nNow - m_nLastMs > kPrefixPauseMs;
    m_nLastMs = nNow;
    if (bNew)
        m_strPrefix.clear();
    m_strPrefix += ch;
    return true;
}

int FindRowStartingWith(int nCount, int nFirst, const wxString& strPrefix, const std::function<wxString(int)>& fnText)
{
    const wxString strWanted = strPrefix.Lower();
    for (int i = 0; i < nCount; ++i) {
        const int nRow = (nFirst + i) % nCount;
        if (fnText(nRow).Lower().StartsWith(strWanted))
            return nRow;
    }
    return -1;
}

void CListExWindow::OnChar(wxKeyEvent& event)
{
    bool bNewPrefix = false;
    if (!m_typedPrefix.Add(event, bNewPrefix)) {
        event.Skip();
        return;
    }
    const int nFocus = GetNextItem(-1, LXNI_FOCUSED);
    const int nCurrent = nFocus >= 0 ? nFocus : GetNextItem(-1, LXNI_SELECTED);
    // A new prefix looks from the row after the current one, so that typing
    // one letter again and again steps through the rows it begins; a longer
    // prefix may still fit the current row.
    const int nFirst = nCurrent < 0 ? 0 : (bNewPrefix ? nCurrent + 1 : nCurrent);
    const int nItem = FindRowStartingWith(m_typedPrefix.Get(), nFirst);
    if (nItem >= 0) {
        SelectOnly(nItem);
        EnsureVisible(nItem);
    }
}

int CListExWindow::FindRowStartingWith(const wxString& strPrefix, int nFirst) const
{
    return ::FindRowStartingWith(GetItemCount(), nFirst, strPrefix, [this](int nRow) { return GetItemText(nRow); });
}

// ---------------------------------------------------------------------------

CListCtrlEx::CListCtrlEx(wxWindow* pParent, wxWindowID nId, unsigned nStyle)
    : CListExWindow(pParent, nId, nStyle, wxBORDER_THEME)
{}

CListViewEx::CListViewEx(wxWindow* pParent, unsigned nStyle) : CListExWindow(pParent, wxID_ANY, nStyle, wxBORDER_SIMPLE)
{}
