// The extended list's columns and items, as the window changes them.
#include "ListCtrlEx.h"

#include "ListExWindowParts.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/time.h>

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
    m_selectRules.OnRowDeleted(GetItemCount());
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::DeleteItems(const std::vector<int>& items)
{
    if (!m_pCore->DeleteItems(items))
        return false;
    m_selectRules.Forget();
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::DeleteAllItems()
{
    m_pCore->DeleteAllItems();
    m_selectRules.Forget();
    m_nTopRow = 0;
    UpdateScrollbars();
    Refresh();
    return true;
}

bool CListExWindow::SortItems(PFNLXCOMPARE pfnCompare, std::intptr_t lParamSort)
{
    if (!m_pCore->SortItems(pfnCompare, lParamSort))
        return false;
    m_selectRules.Forget();
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
