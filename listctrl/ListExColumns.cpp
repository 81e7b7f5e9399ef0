// The extended list's columns, sort marks and shading.
#include "ListExCore.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Columns

int CListExCore::InsertColumn(int nColumn, const CListExColumnInfo& info)
{
    if (nColumn < 0 || nColumn > GetColumnCount())
        return -1;
    const int nOldCount = GetColumnCount();
    auto pColumn = std::make_unique<ListExColumn>();
    pColumn->m_info = info;
    pColumn->m_info.m_nMask &= ~unsigned{LXCF_SUBITEM};
    if (!(info.m_nMask & LXCF_FMT))
        pColumn->m_info.m_nFormat = LXCFMT_LEFT;
    if (!(info.m_nMask & LXCF_WIDTH))
        pColumn->m_info.m_nWidth = 0;
    if (nColumn == 0)
        m_nColumn0Format = pColumn->m_info.m_nFormat;

    int nOrder = (info.m_nMask & LXCF_ORDER) ? info.m_nOrder : nColumn;
    nOrder = std::clamp(nOrder, 0, GetColumnCount());
    for (auto& pOther : m_columns) {
        if (pOther->m_nOrder >= nOrder)
            ++pOther->m_nOrder;
    }
    pColumn->m_nOrder = nOrder;
    pColumn->m_info.m_nOrder = nOrder;
    m_columns.insert(m_columns.begin() + nColumn, std::move(pColumn));

    if (m_nSortKey != 0 && nColumn < std::abs(m_nSortKey))
        m_nSortKey += m_nSortKey > 0 ? 1 : -1;
    // The cells move with their columns. A list that had no column yet
    // keeps its rows' texts in the first one.
    for (CRow& row : m_rows) {
        auto& cells = row.m_item.m_cells;
        if (nColumn < nOldCount && cells.size() > static_cast<size_t>(nColumn))
            cells.insert(cells.begin() + nColumn, nullptr);
    }
    return nColumn;
}

bool CListExCore::DeleteColumn(int nColumn)
{
    if (!IsColumnValid(nColumn))
        return false;
    const int nOrder = m_columns[static_cast<size_t>(nColumn)]->m_nOrder;
    for (auto& pOther : m_columns) {
        if (pOther->m_nOrder > nOrder)
            --pOther->m_nOrder;
    }
    m_columns.erase(m_columns.begin() + nColumn);

    const int nSorted = std::abs(m_nSortKey) - 1;
    if (m_nSortKey != 0) {
        if (nColumn == nSorted)
            m_nSortKey = 0;
        else if (nColumn < nSorted)
            m_nSortKey += m_nSortKey > 0 ? -1 : 1;
    }
    for (CRow& row : m_rows) {
        auto& cells = row.m_item.m_cells;
        if (cells.size() > static_cast<size_t>(nColumn))
            cells.erase(cells.begin() + nColumn);
    }
    return true;
}

bool CListExCore::GetColumn(int nColumn, CListExColumnInfo& info) const
{
    if (!IsColumnValid(nColumn))
        return false;
    const ListExColumn& column = *m_columns[static_cast<size_t>(nColumn)];
    const unsigned nMask = info.m_nMask;
    if (nMask & LXCF_FMT)
        info.m_nFormat = column.m_info.m_nFormat;
    if (nMask & LXCF_WIDTH)
        info.m_nWidth = column.m_info.m_nWidth;
    if (nMask & LXCF_TEXT)
        info.m_strText = column.m_info.m_strText;
    if (nMask & LXCF_IMAGE)
        info.m_nImage = column.m_info.m_nImage;
    if (nMask & LXCF_ORDER)
        info.m_nOrder = column.m_nOrder;
    if (nMask & LXCF_SUBITEM)
        info.m_nSubItem = nColumn;
    return true;
}

bool CListExCore::SetColumn(int nColumn, const CListExColumnInfo& info)
{
    if (!IsColumnValid(nColumn))
        return false;
    ListExColumn& column = *m_columns[static_cast<size_t>(nColumn)];
    if (info.m_nMask & LXCF_FMT)
        column.m_info.m_nFormat = info.m_nFormat;
    if (info.m_nMask & LXCF_WIDTH)
        column.m_info.m_nWidth = std::max(info.m_nWidth, 0);
    if (info.m_nMask & LXCF_TEXT)
        column.m_info.m_strText = info.m_strText;
    if (info.m_nMask & LXCF_IMAGE)
        column.m_info.m_nImage = info.m_nImage;
    column.m_info.m_nMask |= info.m_nMask & ~unsigned{LXCF_SUBITEM};
    if (info.m_nMask & LXCF_ORDER)
        MoveColumnOrder(nColumn, info.m_nOrder);
    return true;
}

int CListExCore::GetColumnWidth(int nColumn) const
{
    return IsColumnValid(nColumn) ? m_columns[static_cast<size_t>(nColumn)]->m_info.m_nWidth : 0;
}

bool CListExCore::SetColumnWidth(int nColumn, int nWidth)
{
    if (!IsColumnValid(nColumn))
        return false;
    m_columns[static_cast<size_t>(nColumn)]->m_info.m_nWidth = std::max(nWidth, 0);
    return true;
}

void CListExCore::MoveColumnOrder(int nColumn, int nOrder)
{
    nOrder = std::clamp(nOrder, 0, GetColumnCount() - 1);
    const int nOld = m_columns[static_cast<size_t>(nColumn)]->m_nOrder;
    for (auto& pOther : m_columns) {
        if (nOrder < nOld && pOther->m_nOrder >= nOrder && pOther->m_nOrder < nOld)
            ++pOther->m_nOrder;
        else if (nOrder > nOld && pOther->m_nOrder > nOld && pOther->m_nOrder <= nOrder)
            --pOther->m_nOrder;
    }
    m_columns[static_cast<size_t>(nColumn)]->m_nOrder = nOrder;
    m_columns[static_cast<size_t>(nColumn)]->m_info.m_nOrder = nOrder;
}

void CListExCore::MoveColumnToOrder(int nColumn, int nOrder)
{
    if (IsColumnValid(nColumn) && nOrder >= 0)
        MoveColumnOrder(nColumn, nOrder);
}

int CListExCore::OrderToIndex(int nOrder) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i]->m_nOrder == nOrder)
            return static_cast<int>(i);
    }
    return -1;
}

int CListExCore::GetColumnOrderArray(int nCount, int* pArray) const
{
    if (nCount <= 0 || !pArray)
        return 0;
    nCount = std::min(nCount, GetColumnCount());
    for (int i = 0; i < nCount; ++i)
        pArray[i] = OrderToIndex(i);
    return nCount;
}

bool CListExCore::SetColumnOrderArray(int nCount, const int* pArray)
{
    if (nCount <= 0 || !pArray)
        return false;
    nCount = std::min(nCount, GetColumnCount());
    std::vector<bool> seen(static_cast<size_t>(GetColumnCount()), false);
    for (int i = 0; i < nCount; ++i) {
        if (!IsColumnValid(pArray[i]) || seen[static_cast<size_t>(pArray[i])])
            return false;
        seen[static_cast<size_t>(pArray[i])] = true;
    }
    for (int i = 0; i < nCount; ++i)
        MoveColumnOrder(pArray[i], i);
    return true;
}

int CListExCore::GetHeaderAlignment(int nColumn) const
{
    if (!IsColumnValid(nColumn))
        return LXCFMT_LEFT;
    if (nColumn == 0 && !(m_nStyle & LXS_OWNERDRAWFIXED) && !(m_dwExStyle & LXS_EX_FULLROWSELECT))
        return LXCFMT_LEFT;
    return m_columns[static_cast<size_t>(nColumn)]->m_info.m_nFormat & LXCFMT_JUSTIFYMASK;
}

unsigned CListExCore::SetExtendedStyle(unsigned nMask, unsigned nStyles, std::vector<int>* pChanged)
{
    const unsigned nOld = m_dwExStyle;
    if (nMask == 0)
        nMask = ~0u;
    m_dwExStyle = (nOld & ~nMask) | (nStyles & nMask);
    // A box is drawn only for a row that has a state image: without one a
    // row would show no box until a click gave it one. Setting the style
    // again leaves the checks as they are.
    if ((nOld ^ m_dwExStyle) & LXS_EX_CHECKBOXES) {
        const unsigned nImage = (m_dwExStyle & LXS_EX_CHECKBOXES) ? ListExStateImage(1) : 0;
        SetItemState(-1, nImage, LXIS_STATEIMAGEMASK, pChanged);
    }
    return nOld;
}

// ---------------------------------------------------------------------------
// Sort marks and shading

ListExColour CListExCore::ShadeColour(ListExColour crBackground)
{
    const unsigned r = ListExRed(crBackground);
    const unsigned g = ListExGreen(crBackground);
    const unsigned b = ListExBlue(crBackground);
    // A near-white background is darkened a little; any other lightened,
    // so the stripe stays visible on dark and light themes alike.
    if (r > 240 && g > 240 && b > 240)
        return ListExRgb(r - 8, g - 8, b - 8);
    auto lighten = [](unsigned c) { return c >= 232 ? 255u : c + c / 10; };
    return ListExRgb(lighten(r), lighten(g), lighten(b));
}

bool CListExCore::EnableSortShading(bool bOn, int nSortKey, int nBitsPerPixel)
{
    if (bOn == m_bSortShading && (nSortKey == 0 || nSortKey == m_nSortKey))
        return false;
    if (bOn && nBitsPerPixel <= 8)
        return false;
    if (bOn != m_bSortShading) {
        if (bOn)
            m_crShade = ShadeColour(m_crBk);
        m_bSortShading = bOn;
    }
    if (nSortKey != 0)
        m_nSortKey = nSortKey;
    return true;
}

void CListExCore::EnableSortMarks(bool bOn, int nSortKey)
{
    m_bSortMarks = bOn;
    if (nSortKey != 0)
        m_nSortKey = nSortKey;
}

EListExRepaint CListExCore::SetSortKey(int nSortKey)
{
    if (nSortKey == m_nSortKey)
        return EListExRepaint::None;
    const bool bColumnChanged = std::abs(nSortKey) != std::abs(m_nSortKey);
    m_nSortKey = nSortKey;
    return bColumnChanged ? EListExRepaint::HeaderAndList : EListExRepaint::Header;
}

void CListExCore::OnColumnClick(int nColumn)
{
    if (m_nSortKey != 0 && std::abs(m_nSortKey) == nColumn + 1)
        m_nSortKey = -m_nSortKey;
    else
        m_nSortKey = nColumn + 1;
}

EListExMark CListExCore::GetHeaderMark(int nColumn) const
{
    if (!m_bSortMarks || !IsColumnValid(nColumn))
        return EListExMark::None;
    const bool bClassic = GetComCtlLevel() != 2;
    if (m_nSortKey == nColumn + 1)
        return bClassic ? EListExMark::ImageUp : EListExMark::ArrowUp;
    if (m_nSortKey == -(nColumn + 1))
        return bClassic ? EListExMark::ImageDown : EListExMark::ArrowDown;
    return EListExMark::None;
}

int CListExCore::GetImageMarkColumn() const
{
    const int nColumn = std::abs(m_nSortKey) - 1;
    const EListExMark nMark = GetHeaderMark(nColumn);
    return nMark == EListExMark::ImageUp || nMark == EListExMark::ImageDown ? nColumn : -1;
}

bool CListExCore::GetHeaderItemLayout(int nColumn, int nTitleWidth, int nHeight, CListExHeaderLayout& layout) const
{
    if (!IsColumnValid(nColumn))
        return false;
    // The gap keeps the mark off the text.
    constexpr int kMarkGap = 6;
    const bool bMark = nColumn == GetImageMarkColumn();
    const int nMarkSpace = bMark ? kMarkGap + LXSM_CX : 0;
    const int nInnerLeft = GetColumnLeft(nColumn) - m_metrics.m_nScrollX + LXHD_TITLEMARGIN;
    const int nInnerWidth = std::max(GetColumnWidth(nColumn) - 2 * LXHD_TITLEMARGIN, 0);
    const int nShown = std::clamp(nTitleWidth, 0, std::max(nInnerWidth - nMarkSpace, 0));
    // The title and the mark are aligned together, as one piece.
    int nSpare = std::max(nInnerWidth - nShown - nMarkSpace, 0);
    switch (GetHeaderAlignment(nColumn)) {
    case LXCFMT_RIGHT:
        break;
    case LXCFMT_CENTER:
        nSpare /= 2;
        break;
    default:
        nSpare = 0;
        break;
    }
    const int x = nInnerLeft + nSpare;
    layout.m_rcTitle = {x, 0, x + nShown, nHeight};
    layout.m_rcMark = {};
    if (bMark) {
        const int nMarkLeft = x + nShown + kMarkGap;
        const int nMarkTop = (nHeight - LXSM_CY) / 2;
        layout.m_rcMark = {nMarkLeft, nMarkTop, nMarkLeft + LXSM_CX, nMarkTop + LXSM_CY};
    }
    return true;
}

void CListExCore::SetBkColour(ListExColour cr)
{
    m_crBk = cr;
    if (m_bSortShading)
        m_crShade = ShadeColour(cr);
}

void CListExCore::OnSysColourChange(const CListExSysColours& colours)
{
    const ListExColour crOldWindow = m_colours.m_crWindow;
    const ListExColour crBk = m_crBk;
    SetSysColours(colours);
    // A background the owner chose stays; one that followed the system
    // follows it still.
    if (crBk != crOldWindow)
        m_crBk = crBk;
    if (m_bSortShading)
        m_crShade = ShadeColour(m_crBk);
}
