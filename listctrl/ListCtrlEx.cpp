#include "ListCtrlEx.h"

#include "ListExWindowParts.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/time.h>

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
    m_selectRules.ForgetPress();
}

CListCtrlEx::CListCtrlEx(wxWindow* pParent, wxWindowID nId, unsigned nStyle)
    : CListExWindow(pParent, nId, nStyle, wxBORDER_THEME)
{}

CListViewEx::CListViewEx(wxWindow* pParent, unsigned nStyle) : CListExWindow(pParent, wxID_ANY, nStyle, wxBORDER_SIMPLE)
{}
