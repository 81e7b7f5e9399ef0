#include "ListExCore.h"

#include <algorithm>
#include <cstdlib>

namespace
{

int s_nComCtlLevel = 0;

int Magnitude(int nKey)
{
    return nKey < 0 ? -nKey : nKey;
}

char FoldCase(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// ASCII case is ignored, as when a user types the start of a name.
bool TextMatches(const std::string& strText, const std::string& strWanted, bool bPartial)
{
    if (bPartial ? strText.size() < strWanted.size() : strText.size() != strWanted.size())
        return false;
    for (size_t i = 0; i < strWanted.size(); ++i) {
        if (FoldCase(strText[i]) != FoldCase(strWanted[i]))
            return false;
    }
    return true;
}

} // namespace

CListExCore::CListExCore(unsigned nStyle) : m_nStyle(nStyle)
{
    // Every toolkit the program runs on draws sort arrows in its headers;
    // the classic image marks stay for a caller that asks for them.
    if (s_nComCtlLevel == 0)
        s_nComCtlLevel = 2;
    m_crHot = m_colours.m_crHotLight;
    m_crBk = m_colours.m_crWindow;
}

CListExCore::~CListExCore() = default;

int CListExCore::GetComCtlLevel()
{
    return s_nComCtlLevel;
}

void CListExCore::SetComCtlLevel(int nLevel)
{
    s_nComCtlLevel = nLevel;
}

void CListExCore::SetSysColours(const CListExSysColours& colours)
{
    m_colours = colours;
    m_crHot = colours.m_crHotLight;
    m_crBk = colours.m_crWindow;
}

// ---------------------------------------------------------------------------
// Items

void CListExCore::SetItemCountHint(int nCount)
{
    if (nCount > 0)
        m_rows.reserve(static_cast<size_t>(nCount));
}

std::unique_ptr<ListExCell> CListExCore::MakeCell(const CListExItemInfo& info)
{
    auto pCell = std::make_unique<ListExCell>();
    pCell->m_nMask = info.m_nMask;
    pCell->m_nItem = info.m_nItem;
    pCell->m_nSubItem = info.m_nSubItem;
    if (info.m_nMask & LXIF_STATE)
        pCell->m_nState = info.m_nState & info.m_nStateMask;
    if (info.m_nMask & LXIF_TEXT) {
        pCell->m_nText = info.m_bTextCallback ? ListExCell::EText::Callback : ListExCell::EText::Owned;
        if (!info.m_bTextCallback)
            pCell->m_strText = info.m_strText;
    }
    if (info.m_nMask & LXIF_IMAGE)
        pCell->m_nImage = info.m_nImage;
    if (info.m_nMask & LXIF_INDENT)
        pCell->m_nIndent = info.m_nIndent;
    return pCell;
}

int CListExCore::SortedInsertPos(const std::string& strText) const
{
    // A list that sorts by text keeps its rows in text order as they come.
    const bool bDescending = (m_nStyle & LXS_SORTDESCENDING) != 0;
    const auto it =
        std::upper_bound(m_rows.begin(), m_rows.end(), strText, [&](const std::string& strNew, const CRow& row) {
            const ListExCell* pCell = row.m_item.m_cells.empty() ? nullptr : row.m_item.m_cells[0].get();
            const std::string strRow =
                pCell && pCell->m_nText == ListExCell::EText::Owned ? pCell->m_strText : std::string();
            return bDescending ? strRow < strNew : strNew < strRow;
        });
    return static_cast<int>(it - m_rows.begin());
}

int CListExCore::InsertItem(const CListExItemInfo& info)
{
    if (info.m_nItem < 0)
        return -1;
    // Rows whose text is the owner's need no cell record: a million of them
    // are listed without an allocation each.
    const bool bOwnText = (info.m_nMask & LXIF_TEXT) && !info.m_bTextCallback;
    int nPos = std::min(info.m_nItem, GetItemCount());
    if ((m_nStyle & (LXS_SORTASCENDING | LXS_SORTDESCENDING)) && bOwnText)
        nPos = SortedInsertPos(info.m_strText);

    CRow row;
    row.m_item.lParam = (info.m_nMask & LXIF_PARAM) ? info.m_nParam : 0;
    row.m_nImage = (info.m_nMask & LXIF_IMAGE) ? info.m_nImage : 0;
    row.m_nIndent = (info.m_nMask & LXIF_INDENT) ? info.m_nIndent : 0;
    if (bOwnText) {
        auto pCell = MakeCell(info);
        pCell->m_nSubItem = 0;
        pCell->m_nItem = nPos;
        row.m_item.m_cells.push_back(std::move(pCell));
    }
    m_rows.insert(m_rows.begin() + nPos, std::move(row));
    if (m_nHotItem >= nPos)
        ++m_nHotItem;
    unsigned nState = (info.m_nMask & LXIF_STATE) ? info.m_nState : 0;
    unsigned nStateMask = (info.m_nMask & LXIF_STATE) ? info.m_nStateMask : 0;
    // A row inserted while check boxes are shown starts unchecked, unless
    // the caller chose its state image.
    if ((m_dwExStyle & LXS_EX_CHECKBOXES) && !(nStateMask & LXIS_STATEIMAGEMASK)) {
        nState = (nState & ~unsigned{LXIS_STATEIMAGEMASK}) | ListExStateImage(1);
        nStateMask |= LXIS_STATEIMAGEMASK;
    }
    if (nStateMask)
        SetItemState(nPos, nState, nStateMask);
    return nPos;
}

void CListExCore::StoreCell(CRow& row, int nColumn, std::unique_ptr<ListExCell> pCell, unsigned nMask)
{
    auto& cells = row.m_item.m_cells;
    const auto nSlot = static_cast<size_t>(nColumn);
    if (nSlot < cells.size() && cells[nSlot]) {
        ListExCell& cell = *cells[nSlot];
        if (nMask & LXIF_IMAGE)
            cell.m_nImage = pCell->m_nImage;
        if (nMask & LXIF_INDENT)
            cell.m_nIndent = pCell->m_nIndent;
        if ((nMask & LXIF_TEXT) && pCell->m_nText != ListExCell::EText::None) {
            cell.m_nText = pCell->m_nText;
            cell.m_strText = std::move(pCell->m_strText);
        }
        cell.m_nMask |= nMask;
        return;
    }
    if (cells.size() <= nSlot)
        cells.resize(nSlot + 1);
    pCell->m_nMask = nMask;
    cells[nSlot] = std::move(pCell);
}

bool CListExCore::SetItem(const CListExItemInfo& info)
{
    if (!IsColumnValid(info.m_nSubItem) || info.m_nItem < 0)
        return false;
    // The value alone is kept in the row's record only, and a row beyond
    // the last has no record to keep it in: nothing is refused and nothing
    // changes. Anything more needs the row.
    if (!IsItemValid(info.m_nItem))
        return (info.m_nMask & ~unsigned{LXIF_PARAM}) == 0;
    CRow& row = m_rows[static_cast<size_t>(info.m_nItem)];
    if (info.m_nSubItem == 0) {
        if (info.m_nMask & LXIF_IMAGE)
            row.m_nImage = info.m_nImage;
        if (info.m_nMask & LXIF_INDENT)
            row.m_nIndent = info.m_nIndent;
    }
    if (info.m_nMask & LXIF_STATE)
        SetItemState(info.m_nItem, info.m_nState, info.m_nStateMask);
    if (info.m_nMask & LXIF_PARAM)
        row.m_item.lParam = info.m_nParam;
    if (info.m_nMask & (LXIF_TEXT | LXIF_IMAGE | LXIF_INDENT))
        StoreCell(row, info.m_nSubItem, MakeCell(info), info.m_nMask & ~unsigned{LXIF_PARAM});
    return true;
}

bool CListExCore::SetItemText(int nItem, int nSubItem, const char* pszText)
{
    if (!IsColumnValid(nSubItem) || !IsItemValid(nItem))
        return false;
    if (!pszText)
        return true;
    CListExItemInfo info;
    info.m_nMask = LXIF_TEXT;
    info.m_nItem = nItem;
    info.m_nSubItem = nSubItem;
    info.m_strText = pszText;
    return SetItem(info);
}

bool CListExCore::GetItem(CListExItemInfo& info) const
{
    if (!IsColumnValid(info.m_nSubItem) || !IsItemValid(info.m_nItem))
        return false;
    const CRow& row = m_rows[static_cast<size_t>(info.m_nItem)];
    const auto nSlot = static_cast<size_t>(info.m_nSubItem);
    const ListExCell* pCell = nSlot < row.m_item.m_cells.size() ? row.m_item.m_cells[nSlot].get() : nullptr;
    if (info.m_nMask & LXIF_TEXT) {
        const bool bOwn = pCell && pCell->m_nText == ListExCell::EText::Owned;
        info.m_bTextCallback = !bOwn;
        info.m_strText = bOwn ? pCell->m_strText : std::string();
    }
    if (info.m_nMask & LXIF_IMAGE)
        info.m_nImage = info.m_nSubItem == 0 ? row.m_nImage : (pCell ? pCell->m_nImage : 0);
    if (info.m_nMask & LXIF_STATE)
        info.m_nState = row.m_nState & info.m_nStateMask;
    if (info.m_nMask & LXIF_PARAM)
        info.m_nParam = row.m_item.lParam;
    if (info.m_nMask & LXIF_INDENT)
        info.m_nIndent = row.m_nIndent;
    return true;
}

std::intptr_t CListExCore::GetItemData(int nItem) const
{
    return IsItemValid(nItem) ? m_rows[static_cast<size_t>(nItem)].m_item.lParam : 0;
}

bool CListExCore::SetItemData(int nItem, std::intptr_t lParam)
{
    if (!IsItemValid(nItem))
        return false;
    m_rows[static_cast<size_t>(nItem)].m_item.lParam = lParam;
    return true;
}

const std::string* CListExCore::GetOwnText(int nItem, int nSubItem) const
{
    if (!IsItemValid(nItem) || nSubItem < 0)
        return nullptr;
    const auto& cells = m_rows[static_cast<size_t>(nItem)].m_item.m_cells;
    const auto nSlot = static_cast<size_t>(nSubItem);
    if (nSlot >= cells.size() || !cells[nSlot] || cells[nSlot]->m_nText != ListExCell::EText::Owned)
        return nullptr;
    return &cells[nSlot]->m_strText;
}

const ListExItem* CListExCore::GetRecord(int nItem) const
{
    return IsItemValid(nItem) ? &m_rows[static_cast<size_t>(nItem)].m_item : nullptr;
}

bool CListExCore::DeleteItem(int nItem)
{
    if (!IsItemValid(nItem))
        return false;
    m_rows.erase(m_rows.begin() + nItem);
    if (m_nHotItem == nItem)
        m_nHotItem = -1;
    else if (m_nHotItem > nItem)
        --m_nHotItem;
    return true;
}

bool CListExCore::DeleteItems(const std::vector<int>& items)
{
    if (items.empty())
        return true;
    if (!std::is_sorted(items.begin(), items.end()) || !IsItemValid(items.front()) || !IsItemValid(items.back()))
        return false;
    // One pass: the rows kept slide down over the deleted ones.
    size_t nOut = 0;
    size_t nNext = 0;
    for (size_t nIn = 0; nIn < m_rows.size(); ++nIn) {
        if (nNext < items.size() && static_cast<size_t>(items[nNext]) == nIn) {
            while (nNext < items.size() && static_cast<size_t>(items[nNext]) == nIn)
                ++nNext;
            continue;
        }
        if (nOut != nIn)
            m_rows[nOut] = std::move(m_rows[nIn]);
        ++nOut;
    }
    m_rows.resize(nOut);
    m_nHotItem = -1;
    return true;
}

bool CListExCore::DeleteAllItems()
{
    // The room stays: a list emptied is mostly filled again at once.
    m_rows.clear();
    m_nHotItem = -1;
    return true;
}

int CListExCore::FindItem(int nStart, const CListExFindInfo& info, IListExOwnerTexts* pOwner) const
{
    const int nCount = GetItemCount();
    const bool bPartial = (info.m_nFlags & LXFI_PARTIAL) != 0;
    auto matches = [&](int nItem) {
        if (info.m_nFlags & LXFI_PARAM)
            return m_rows[static_cast<size_t>(nItem)].m_item.lParam == info.m_nParam;
        if (const std::string* pText = GetOwnText(nItem, 0))
            return TextMatches(*pText, info.m_strText, bPartial);
        return pOwner && TextMatches(pOwner->GetOwnerText(nItem, 0), info.m_strText, bPartial);
    };
    for (int nItem = nStart < 0 ? 0 : nStart + 1; nItem < nCount; ++nItem) {
        if (matches(nItem))
            return nItem;
    }
    if (nStart >= 0 && (info.m_nFlags & LXFI_WRAP)) {
        for (int nItem = 0; nItem <= nStart && nItem < nCount; ++nItem) {
            if (matches(nItem))
                return nItem;
        }
    }
    return -1;
}

bool CListExCore::SortItems(PFNLXCOMPARE pfnCompare, std::intptr_t lParamSort)
{
    if (!pfnCompare)
        return false;
    m_nHotItem = -1;
    auto less = [&](const CRow& a, const CRow& b) {
        return pfnCompare(a.m_item.lParam, b.m_item.lParam, lParamSort) < 0;
    };
    // Rows listed in order, and a click that only reverses the direction,
    // are the common cases: each takes one pass instead of a sort.
    if (std::is_sorted(m_rows.begin(), m_rows.end(), less))
        return true;
    if (std::is_sorted(m_rows.begin(), m_rows.end(), [&](const CRow& a, const CRow& b) { return less(b, a); })) {
        std::reverse(m_rows.begin(), m_rows.end());
        // Equal rows keep the order they had.
        for (auto it = m_rows.begin(); it != m_rows.end();) {
            auto itEnd = it + 1;
            while (itEnd != m_rows.end() && !less(*it, *itEnd))
                ++itEnd;
            std::reverse(it, itEnd);
            it = itEnd;
        }
        return true;
    }
    // Otherwise the values are sorted beside their positions, and each row
    // is moved once.
    std::vector<std::pair<std::intptr_t, std::uint32_t>> keys(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        keys[i] = {m_rows[i].m_item.lParam, static_cast<std::uint32_t>(i)};
    std::stable_sort(keys.begin(), keys.end(),
                     [&](const auto& a, const auto& b) { return pfnCompare(a.first, b.first, lParamSort) < 0; });
    std::vector<CRow> sorted;
    sorted.reserve(m_rows.capacity());
    for (const auto& key : keys)
        sorted.push_back(std::move(m_rows[key.second]));
    m_rows.swap(sorted);
    return true;
}

// ---------------------------------------------------------------------------
// Item states

unsigned CListExCore::GetItemState(int nItem, unsigned nMask) const
{
    return IsItemValid(nItem) ? m_rows[static_cast<size_t>(nItem)].m_nState & nMask : 0;
}

bool CListExCore::SetItemState(int nItem, unsigned nState, unsigned nMask, std::vector<int>* pChanged)
{
    if (nItem < -1 || nItem >= GetItemCount())
        return false;
    auto apply = [&](int n, unsigned nNewState, unsigned nNewMask) {
        unsigned& nOld = m_rows[static_cast<size_t>(n)].m_nState;
        const unsigned nNew = (nOld & ~nNewMask) | (nNewState & nNewMask);
        if (nNew == nOld)
            return;
        nOld = nNew;
        if (pChanged)
            pChanged->push_back(n);
    };
    if (nItem == -1) {
        for (int n = 0; n < GetItemCount(); ++n)
            apply(n, nState, nMask);
        return true;
    }
    // One row holds the focus, and a single-selection list one selection.
    unsigned nExclusive = nState & nMask & LXIS_FOCUSED;
    if (m_nStyle & LXS_SINGLESEL)
        nExclusive |= nState & nMask & LXIS_SELECTED;
    if (nExclusive) {
        for (int n = 0; n < GetItemCount(); ++n) {
            if (n != nItem && (m_rows[static_cast<size_t>(n)].m_nState & nExclusive))
                apply(n, 0, nExclusive);
        }
    }
    apply(nItem, nState, nMask);
    return true;
}

int CListExCore::GetNextItem(int nStart, unsigned nRelation) const
{
    unsigned nWanted = 0;
    if (nRelation & LXNI_SELECTED)
        nWanted |= LXIS_SELECTED;
    if (nRelation & LXNI_FOCUSED)
        nWanted |= LXIS_FOCUSED;
    for (int n = std::max(nStart + 1, 0); n < GetItemCount(); ++n) {
        if ((m_rows[static_cast<size_t>(n)].m_nState & nWanted) == nWanted)
            return n;
    }
    return -1;
}

int CListExCore::GetSelectedCount() const
{
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(),
                                          [](const CRow& row) { return (row.m_nState & LXIS_SELECTED) != 0; }));
}

bool CListExCore::GetCheck(int nItem) const
{
    return (GetItemState(nItem, LXIS_STATEIMAGEMASK) >> 12) == 2;
}

bool CListExCore::SetCheck(int nItem, bool bCheck)
{
    return SetItemState(nItem, ListExStateImage(bCheck ? 2 : 1), LXIS_STATEIMAGEMASK);
}

int CListExCore::StateImageOf(int nItem) const
{
    return static_cast<int>(GetItemState(nItem, LXIS_STATEIMAGEMASK) >> 12);
}

void CListExCore::OnSetFocus()
{
    m_bHasFocus = true;
    const int nFirst = GetNextItem(-1, LXNI_SELECTED);
    if (nFirst >= 0)
        SetItemState(nFirst, LXIS_FOCUSED, LXIS_FOCUSED);
}

void CListExCore::OnKillFocus()
{
    m_bHasFocus = false;
    const int nFirst = GetNextItem(-1, LXNI_SELECTED);
    if (nFirst >= 0)
        SetItemState(nFirst, 0, LXIS_FOCUSED);
}

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

    if (m_nSortKey != 0 && nColumn < Magnitude(m_nSortKey))
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

    const int nSorted = Magnitude(m_nSortKey) - 1;
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
    const bool bColumnChanged = Magnitude(nSortKey) != Magnitude(m_nSortKey);
    m_nSortKey = nSortKey;
    return bColumnChanged ? EListExRepaint::HeaderAndList : EListExRepaint::Header;
}

void CListExCore::OnColumnClick(int nColumn)
{
    if (m_nSortKey != 0 && Magnitude(m_nSortKey) == nColumn + 1)
        m_nSortKey = -m_nSortKey;
    else
        m_nSortKey = nColumn + 1;
}

EListExMark CListExCore::GetHeaderMark(int nColumn) const
{
    if (!m_bSortMarks || !IsColumnValid(nColumn))
        return EListExMark::None;
    const bool bClassic = s_nComCtlLevel != 2;
    if (m_nSortKey == nColumn + 1)
        return bClassic ? EListExMark::ImageUp : EListExMark::ArrowUp;
    if (m_nSortKey == -(nColumn + 1))
        return bClassic ? EListExMark::ImageDown : EListExMark::ArrowDown;
    return EListExMark::None;
}

int CListExCore::GetImageMarkColumn() const
{
    const int nColumn = Magnitude(m_nSortKey) - 1;
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

// ---------------------------------------------------------------------------
// Geometry

int CListExCore::GetTotalColumnWidth() const
{
    int nWidth = 0;
    for (const auto& pColumn : m_columns)
        nWidth += pColumn->m_info.m_nWidth;
    return nWidth;
}

int CListExCore::GetColumnLeft(int nColumn) const
{
    if (!IsColumnValid(nColumn))
        return -1;
    const int nOrder = m_columns[static_cast<size_t>(nColumn)]->m_nOrder;
    int nLeft = 0;
    for (const auto& pColumn : m_columns) {
        if (pColumn->m_nOrder < nOrder)
            nLeft += pColumn->m_info.m_nWidth;
    }
    return nLeft;
}

int CListExCore::RowFromY(int nY) const
{
    if (m_metrics.m_nRowHeight <= 0)
        return -1;
    const long long nPos = static_cast<long long>(nY) + m_metrics.m_nScrollY;
    if (nPos < 0)
        return -1;
    const long long nRow = nPos / m_metrics.m_nRowHeight;
    return nRow < GetItemCount() ? static_cast<int>(nRow) : -1;
}

bool CListExCore::GetItemRect(int nItem, int nCode, CListExRect& rc) const
{
    if (!IsItemValid(nItem) || m_columns.empty())
        return false;
    const long long nTop = static_cast<long long>(nItem) * m_metrics.m_nRowHeight - m_metrics.m_nScrollY;
    rc.m_nTop = static_cast<int>(std::clamp(nTop, -(1LL << 30), 1LL << 30));
    rc.m_nBottom = rc.m_nTop + m_metrics.m_nRowHeight;
    if (nCode == LXIR_BOUNDS) {
        rc.m_nLeft = -m_metrics.m_nScrollX;
        rc.m_nRight = rc.m_nLeft + GetTotalColumnWidth();
        return true;
    }
    // Column 0 holds, from the left: the indent, the state image with a gap
    // before it, the small image and the label.
    const CRow& row = m_rows[static_cast<size_t>(nItem)];
    const int nLeft = GetColumnLeft(0) - m_metrics.m_nScrollX;
    const int nRight = nLeft + GetColumnWidth(0);
    int x = nLeft + row.m_nIndent * m_metrics.m_nSmallIconWidth;
    if (m_metrics.m_nStateIconWidth > 0)
        x += m_metrics.m_nStateIconWidth + 4;
    CListExRect rcIcon{std::min(x, nRight), rc.m_nTop, std::min(x + m_metrics.m_nSmallIconWidth, nRight), rc.m_nBottom};
    if (nCode == LXIR_ICON) {
        rc = rcIcon;
        return true;
    }
    if (nCode == LXIR_LABEL) {
        rc.m_nLeft = rcIcon.m_nRight;
        rc.m_nRight = nRight;
        return true;
    }
    return false;
}

bool CListExCore::GetSubItemRect(int nItem, int nSubItem, int nCode, CListExRect& rc) const
{
    if (!IsColumnValid(nSubItem) || !GetItemRect(nItem, LXIR_BOUNDS, rc))
        return false;
    if (nSubItem == 0)
        return nCode == LXIR_BOUNDS || GetItemRect(nItem, nCode, rc);
    rc.m_nLeft = GetColumnLeft(nSubItem) - m_metrics.m_nScrollX;
    rc.m_nRight = rc.m_nLeft + GetColumnWidth(nSubItem);
    return true;
}

bool CListExCore::GetCellRect(int nItem, int nColumn, int nKind, CListExRect& rc) const
{
    switch (nKind) {
    case 0:
        if (!GetSubItemRect(nItem, nColumn, LXIR_BOUNDS, rc))
            return false;
        if (nColumn == 0) {
            // Column 0's bounds span the whole row; its cell is its own width.
            rc.m_nLeft = GetColumnLeft(0) - m_metrics.m_nScrollX;
            rc.m_nRight = rc.m_nLeft + GetColumnWidth(0);
        }
        return true;
    case 1: {
        CListExRect rcCell;
        if (!GetItemRect(nItem, LXIR_ICON, rc) || !GetCellRect(nItem, 0, 0, rcCell))
            return false;
        rc.m_nRight = std::min(rc.m_nRight, rcCell.m_nRight);
        return true;
    }
    case 2:
        return GetItemRect(nItem, LXIR_LABEL, rc);
    default:
        return false;
    }
}

bool CListExCore::GetStateIconRect(int nItem, CListExRect& rc) const
{
    CListExRect rcCell;
    CListExRect rcIcon;
    if (!GetCellRect(nItem, 0, 0, rcCell) || !GetCellRect(nItem, 0, 1, rcIcon))
        return false;
    rc = rcCell;
    rc.m_nRight = rcIcon.IsEmpty() ? rcIcon.m_nLeft : rcIcon.m_nLeft - 1;
    if (!m_bStateGapKnown) {
        m_nStateGap = 4;
        if (m_metrics.m_nStateIconWidth > 0)
            m_nStateGap = std::clamp(rc.Width() - m_metrics.m_nStateIconWidth, 0, 4);
        m_bStateGapKnown = true;
    }
    rc.m_nLeft += m_nStateGap;
    if (rc.m_nRight >= rcCell.m_nRight)
        rc.m_nRight = rcCell.m_nRight - 1;
    return true;
}

int CListExCore::HitTest(int nX, int nY, unsigned& nFlags) const
{
    nFlags = LXHT_NOWHERE;
    const int nItem = RowFromY(nY);
    CListExRect rcBounds;
    if (nItem < 0 || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !rcBounds.Contains(nX, nY))
        return -1;
    const bool bOwnerDraw = (m_nStyle & LXS_OWNERDRAWFIXED) != 0;
    CListExRect rcLabel;
    CListExRect rcIcon;
    CListExRect rcState;
    GetCellRect(nItem, 0, 2, rcLabel);
    GetCellRect(nItem, 0, 1, rcIcon);
    const bool bStateImages = m_metrics.m_nStateIconWidth > 0 && GetStateIconRect(nItem, rcState);

    if (!bOwnerDraw) {
        // The plain list knows the parts of column 0; other columns count
        // as the row only when whole rows are selected.
        if (rcIcon.Contains(nX, nY))
            nFlags = LXHT_ONITEMICON;
        else if (bStateImages && rcState.Contains(nX, nY))
            nFlags = LXHT_ONITEMSTATEICON;
        else if (rcLabel.Contains(nX, nY) || (m_dwExStyle & LXS_EX_FULLROWSELECT))
            nFlags = LXHT_ONITEMLABEL;
        else
            return -1;
        return nItem;
    }

    // An owner-drawn row is one piece to the plain list; its parts are
    // found here.
    nFlags = LXHT_ONITEM;
    if (rcLabel.Contains(nX, nY))
        nFlags = LXHT_ONITEMLABEL;
    else if (rcIcon.Contains(nX, nY))
        nFlags = LXHT_ONITEMICON;
    else if (bStateImages && rcState.Contains(nX, nY))
        nFlags = LXHT_ONITEMSTATEICON;
    else if (rcBounds.m_nLeft > -m_nStateGap && nX < std::min(rcBounds.m_nLeft + m_nStateGap, m_nStateGap))
        nFlags = LXHT_NOWHERE;
    return nItem;
}

// ---------------------------------------------------------------------------
// Hot tracking and check boxes

CListExHotChange CListExCore::UpdateHotItem(int nX, int nY)
{
    CListExHotChange change;
    change.m_nOldHot = m_nHotItem;
    change.m_nNewHot = m_nHotItem;
    if (!(m_dwExStyle & LXS_EX_HOTBITS))
        return change;
    unsigned nFlags = 0;
    const int nHit = HitTest(nX, nY, nFlags);
    int nHot = -1;
    // "On the item" holds the icon and label bits, so the rest of an
    // owner-drawn row, which the hit test calls the item, is hot as well.
    if (nHit >= 0 && (nFlags & (LXHT_ONITEMICON | LXHT_ONITEMLABEL))) {
        if ((m_dwExStyle & LXS_EX_ONECLICKACTIVATE) ||
            ((m_dwExStyle & LXS_EX_TWOCLICKACTIVATE) && GetItemState(nHit, LXIS_SELECTED)))
            nHot = nHit;
    }
    m_nHotItem = nHot;
    change.m_nNewHot = nHot;
    if (m_nStyle & LXS_OWNERDRAWFIXED) {
        change.m_bRepaint = change.m_nOldHot != nHot;
        change.m_bSetCursor = true;
        change.m_bHandCursor = nHot >= 0;
    }
    return change;
}

bool CListExCore::ToggleCheckAt(int nX, int nY, std::vector<int>* pChanged)
{
    if (!(m_nStyle & LXS_OWNERDRAWFIXED) || !(m_dwExStyle & LXS_EX_CHECKBOXES))
        return false;
    unsigned nFlags = 0;
    const int nHit = HitTest(nX, nY, nFlags);
    if (nHit < 0 || nFlags != LXHT_ONITEMSTATEICON)
        return false;
    SetItemState(nHit, ListExStateImage(GetCheck(nHit) ? 1 : 2), LXIS_STATEIMAGEMASK, pChanged);
    return true;
}

// ---------------------------------------------------------------------------
// Painting

std::string CListExCore::CellText(IListExOwnerTexts& owner, int nItem, int nSubItem) const
{
    const std::string* pText = GetOwnText(nItem, nSubItem);
    return pText ? *pText : owner.GetOwnerText(nItem, nSubItem);
}

CListExRowPlan CListExCore::PlanRow(int nItem, IListExPainter& painter) const
{
    CListExRowPlan plan;
    CListExRect rcBounds;
    CListExRect rcLabel;
    if (!IsItemValid(nItem) || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !GetCellRect(nItem, 0, 2, rcLabel))
        return plan;
    const unsigned nState = m_rows[static_cast<size_t>(nItem)].m_nState;

    const bool bFocused = m_bHasFocus;
    const bool bSelected = (nState & LXIS_SELECTED) != 0;
    const bool bActive = bSelected && bFocused;
    const bool bInactive = bSelected && !bFocused && (m_nStyle & LXS_SHOWSELALWAYS);
    const bool bFocusMark = (nState & LXIS_FOCUSED) && bFocused;
    const bool bFullRow = (m_dwExStyle & LXS_EX_FULLROWSELECT) != 0;
    const bool bHighlighted = bActive || bInactive;

    CListExRect rcFocus = rcBounds;
    if (bFullRow && GetColumnCount() > 0 && m_columns[0]->m_nOrder == 0)
        rcFocus.m_nLeft = std::min(rcLabel.m_nLeft, rcBounds.m_nLeft + GetColumnWidth(OrderToIndex(0)));

    const ListExColour crText0 = m_colours.m_crWindowText;
    ListExColour crHighlight = m_colours.m_crBtnFace;
    if (bActive)
        crHighlight = nItem == m_nHotItem ? m_crHot : m_colours.m_crHighlight;

    plan.m_bUnderline =
        ((m_dwExStyle & LXS_EX_TWOCLICKACTIVATE) && bSelected) ||
        ((m_dwExStyle & LXS_EX_ONECLICKACTIVATE) && (m_dwExStyle & LXS_EX_UNDERLINEHOT) && nItem == m_nHotItem);
    const ListExColour crPlainText = plan.m_bUnderline ? m_crHot : crText0;
    const ListExColour crHighlightText = bActive ? m_colours.m_crHighlightText : crPlainText;
    const int nSorted = Magnitude(m_nSortKey) - 1;

    CListExRect rcCell = rcBounds;
    for (int nOrder = 0;; ++nOrder) {
        const int nColumn = OrderToIndex(nOrder);
        if (nColumn < 0)
            break;
        const int nWidth = GetColumnWidth(nColumn);
        const int nFormat = m_columns[static_cast<size_t>(nColumn)]->m_info.m_nFormat;
        const ListExColour crBack = (m_bSortShading && m_nSortKey != 0 && nColumn == nSorted) ? m_crShade : m_crBk;
        if (nOrder == 0)
            rcCell.m_nRight = rcBounds.m_nLeft + nWidth;
        else {
            rcCell.m_nLeft = rcCell.m_nRight;
            rcCell.m_nRight = rcCell.m_nLeft + nWidth;
        }

        CListExCellPaint cell;
        cell.m_nColumn = nColumn;
        cell.m_nFormat = nFormat;
        cell.m_bUnderline = plan.m_bUnderline;
        cell.m_strText = CellText(painter, nItem, nColumn);
        cell.m_rcText = nColumn == 0
                            ? CListExRect{rcLabel.m_nLeft + 2, rcCell.m_nTop, rcLabel.m_nRight - 2, rcCell.m_nBottom}
                            : CListExRect{rcCell.m_nLeft + 6, rcCell.m_nTop, rcCell.m_nRight - 6, rcCell.m_nBottom};
        int nTextWidth = 0;
        if (!cell.m_strText.empty() && cell.m_rcText.Width() > 0)
            nTextWidth = std::min(painter.MeasureText(cell.m_strText), cell.m_rcText.Width());

        auto plain = [&] {
            plan.m_fills.push_back({rcCell, crBack});
            cell.m_crTextBk = crBack;
            cell.m_crText = crPlainText;
        };
        const bool bLabelCase = nColumn == 0 && (nOrder == 0 || !bFullRow);
        if (bLabelCase && (bHighlighted || (bFocusMark && !bFullRow))) {
            CListExRect rcHigh = rcLabel;
            if (!bFullRow) {
                switch (m_nColumn0Format) {
                case LXCFMT_LEFT:
                    rcHigh.m_nRight = rcHigh.m_nLeft + nTextWidth + 8;
                    break;
                case LXCFMT_RIGHT:
                    rcHigh.m_nLeft = rcHigh.m_nRight - nTextWidth - 8;
                    break;
                case LXCFMT_CENTER:
                    rcHigh.m_nLeft = rcLabel.m_nLeft + (rcLabel.Width() - nTextWidth - 12) / 2;
                    rcHigh.m_nRight = rcHigh.m_nLeft + nTextWidth + 12;
                    break;
                default:
                    break;
                }
                rcHigh.m_nLeft = std::max(rcHigh.m_nLeft, rcLabel.m_nLeft);
                rcHigh.m_nRight = std::min(rcHigh.m_nRight, rcLabel.m_nRight);
                rcFocus = rcHigh;
            }
            if (bHighlighted) {
                if (rcHigh.m_nLeft > rcCell.m_nLeft)
                    plan.m_fills.push_back({{rcCell.m_nLeft, rcCell.m_nTop, rcHigh.m_nLeft, rcCell.m_nBottom}, crBack});
                plan.m_fills.push_back(
                    {{rcHigh.m_nLeft, rcCell.m_nTop, rcHigh.m_nRight, rcCell.m_nBottom}, crHighlight});
                if (rcHigh.m_nRight < rcCell.m_nRight)
                    plan.m_fills.push_back(
                        {{rcHigh.m_nRight, rcCell.m_nTop, rcCell.m_nRight, rcCell.m_nBottom}, crBack});
                cell.m_crTextBk = crHighlight;
                cell.m_crText = crHighlightText;
            } else {
                plain();
            }
        } else if (!bLabelCase && bHighlighted && bFullRow) {
            plan.m_fills.push_back({rcCell, crHighlight});
            cell.m_crTextBk = crHighlight;
            cell.m_crText = crHighlightText;
        } else {
            plain();
        }

        if (nColumn == 0) {
            cell.m_bSelectedLook = bSelected && bFocused;
            CListExRect rc;
            if (GetStateIconRect(nItem, rc) && StateImageOf(nItem) > 0) {
                cell.m_nStateImage = StateImageOf(nItem) - 1;
                cell.m_rcState = rc;
            }
            const int nImage = m_rows[static_cast<size_t>(nItem)].m_nImage;
            if (GetCellRect(nItem, 0, 1, rc) && nImage > 0) {
                cell.m_nImage = nImage;
                cell.m_rcIcon = rc;
            }
        }
        plan.m_cells.push_back(std::move(cell));
    }
    if (bFocusMark) {
        plan.m_bFocusRect = true;
        plan.m_rcFocus = rcFocus;
        plan.m_crFocus = crText0;
    }
    return plan;
}

void CListExCore::DrawSmallIcon(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_nImage <= 0 || m_metrics.m_nSmallIconWidth <= 0)
        return;
    painter.DrawImage(false, paint.m_nImage, paint.m_rcIcon.m_nLeft, paint.m_rcIcon.m_nTop,
                      std::min(paint.m_rcIcon.Width() + 1, m_metrics.m_nSmallIconWidth),
                      std::min(paint.m_rcIcon.Height() + 1, m_metrics.m_nSmallIconHeight), paint.m_bSelectedLook);
}

void CListExCore::DrawStateIcon(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_nStateImage < 0 || m_metrics.m_nStateIconWidth <= 0)
        return;
    // The state image is centred in the row's height.
    const int nHeight = std::min(paint.m_rcState.Height(), m_metrics.m_nStateIconHeight);
    const int nTop = paint.m_rcState.m_nTop + (paint.m_rcState.Height() - nHeight) / 2;
    painter.DrawImage(true, paint.m_nStateImage, paint.m_rcState.m_nLeft, nTop,
                      std::min(paint.m_rcState.Width() + 1, m_metrics.m_nStateIconWidth), nHeight,
                      paint.m_bSelectedLook);
}

void CListExCore::DrawCellText(IListExPainter& painter, const CListExCellPaint& paint) const
{
    if (paint.m_strText.empty() || paint.m_rcText.Width() <= 0)
        return;
    painter.DrawText(paint.m_strText, paint.m_rcText, paint.m_nFormat & LXCFMT_JUSTIFYMASK, paint.m_crText,
                     paint.m_crTextBk, paint.m_bUnderline);
}

void CListExCore::DrawItem(IListExPainter& painter, int nItem) const
{
    const CListExRowPlan plan = PlanRow(nItem, painter);
    for (const CListExFill& fill : plan.m_fills)
        painter.FillRect(fill.m_rc, fill.m_cr);
    for (const CListExCellPaint& cell : plan.m_cells) {
        if (cell.m_nColumn == 0) {
            DrawStateIcon(painter, cell);
            DrawSmallIcon(painter, cell);
        }
        DrawCellText(painter, cell);
    }
    if (plan.m_bFocusRect)
        painter.DrawFocusRect(plan.m_rcFocus, plan.m_crFocus);
}

std::vector<CListExFill> CListExCore::PlanErase(const CListExRect& rcClip) const
{
    const int nSorted = Magnitude(m_nSortKey) - 1;
    if (m_bSortShading && m_nSortKey != 0 && IsColumnValid(nSorted)) {
        const int a = GetColumnLeft(nSorted) - m_metrics.m_nScrollX;
        const int b = a + GetColumnWidth(nSorted);
        if (a < rcClip.m_nRight && b > rcClip.m_nLeft) {
            std::vector<CListExFill> fills;
            if (rcClip.m_nLeft < a)
                fills.push_back({{rcClip.m_nLeft, rcClip.m_nTop, a, rcClip.m_nBottom}, m_crBk});
            fills.push_back(
                {{std::max(a, rcClip.m_nLeft), rcClip.m_nTop, std::min(b, rcClip.m_nRight), rcClip.m_nBottom},
                 m_crShade});
            if (b < rcClip.m_nRight)
                fills.push_back({{b, rcClip.m_nTop, rcClip.m_nRight, rcClip.m_nBottom}, m_crBk});
            return fills;
        }
    }
    return {{rcClip, m_crBk}};
}
