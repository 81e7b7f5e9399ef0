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
    m_crHot = m_colours.crHotLight;
    m_crBk = m_colours.crWindow;
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

void CListExCore::SetSysColours(const ListExSysColours& colours)
{
    m_colours = colours;
    m_crHot = colours.crHotLight;
    m_crBk = colours.crWindow;
}

// ---------------------------------------------------------------------------
// Items

void CListExCore::SetItemCountHint(int nCount)
{
    if (nCount > 0)
        m_rows.reserve(static_cast<size_t>(nCount));
}

std::unique_ptr<ListExCell> CListExCore::MakeCell(const ListExItemInfo& info)
{
    auto pCell = std::make_unique<ListExCell>();
    pCell->mask = info.mask;
    pCell->iItem = info.iItem;
    pCell->iSubItem = info.iSubItem;
    if (info.mask & LXIF_STATE)
        pCell->state = info.state & info.stateMask;
    if (info.mask & LXIF_TEXT) {
        pCell->nText = info.bTextCallback ? ListExCell::EText::Callback : ListExCell::EText::Owned;
        if (!info.bTextCallback)
            pCell->strText = info.strText;
    }
    if (info.mask & LXIF_IMAGE)
        pCell->iImage = info.iImage;
    if (info.mask & LXIF_INDENT)
        pCell->iIndent = info.iIndent;
    return pCell;
}

int CListExCore::SortedInsertPos(const std::string& strText) const
{
    // A list that sorts by text keeps its rows in text order as they come.
    const bool bDescending = (m_nStyle & LXS_SORTDESCENDING) != 0;
    const auto it =
        std::upper_bound(m_rows.begin(), m_rows.end(), strText, [&](const std::string& strNew, const CRow& row) {
            const ListExCell* pCell = row.item.cells.empty() ? nullptr : row.item.cells[0].get();
            const std::string strRow =
                pCell && pCell->nText == ListExCell::EText::Owned ? pCell->strText : std::string();
            return bDescending ? strRow < strNew : strNew < strRow;
        });
    return static_cast<int>(it - m_rows.begin());
}

int CListExCore::InsertItem(const ListExItemInfo& info)
{
    if (info.iItem < 0)
        return -1;
    // Rows whose text is the owner's need no cell record: a million of them
    // are listed without an allocation each.
    const bool bOwnText = (info.mask & LXIF_TEXT) && !info.bTextCallback;
    int nPos = std::min(info.iItem, GetItemCount());
    if ((m_nStyle & (LXS_SORTASCENDING | LXS_SORTDESCENDING)) && bOwnText)
        nPos = SortedInsertPos(info.strText);

    CRow row;
    row.item.lParam = (info.mask & LXIF_PARAM) ? info.lParam : 0;
    row.iImage = (info.mask & LXIF_IMAGE) ? info.iImage : 0;
    row.iIndent = (info.mask & LXIF_INDENT) ? info.iIndent : 0;
    if (bOwnText) {
        auto pCell = MakeCell(info);
        pCell->iSubItem = 0;
        pCell->iItem = nPos;
        row.item.cells.push_back(std::move(pCell));
    }
    m_rows.insert(m_rows.begin() + nPos, std::move(row));
    if (m_nHotItem >= nPos)
        ++m_nHotItem;
    unsigned nState = (info.mask & LXIF_STATE) ? info.state : 0;
    unsigned nStateMask = (info.mask & LXIF_STATE) ? info.stateMask : 0;
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
    auto& cells = row.item.cells;
    const auto nSlot = static_cast<size_t>(nColumn);
    if (nSlot < cells.size() && cells[nSlot]) {
        ListExCell& cell = *cells[nSlot];
        if (nMask & LXIF_IMAGE)
            cell.iImage = pCell->iImage;
        if (nMask & LXIF_INDENT)
            cell.iIndent = pCell->iIndent;
        if ((nMask & LXIF_TEXT) && pCell->nText != ListExCell::EText::None) {
            cell.nText = pCell->nText;
            cell.strText = std::move(pCell->strText);
        }
        cell.mask |= nMask;
        return;
    }
    if (cells.size() <= nSlot)
        cells.resize(nSlot + 1);
    pCell->mask = nMask;
    cells[nSlot] = std::move(pCell);
}

bool CListExCore::SetItem(const ListExItemInfo& info)
{
    if (!IsColumnValid(info.iSubItem) || info.iItem < 0)
        return false;
    // The value alone is kept in the row's record only, and a row beyond
    // the last has no record to keep it in: nothing is refused and nothing
    // changes. Anything more needs the row.
    if (!IsItemValid(info.iItem))
        return (info.mask & ~unsigned{LXIF_PARAM}) == 0;
    CRow& row = m_rows[static_cast<size_t>(info.iItem)];
    if (info.iSubItem == 0) {
        if (info.mask & LXIF_IMAGE)
            row.iImage = info.iImage;
        if (info.mask & LXIF_INDENT)
            row.iIndent = info.iIndent;
    }
    if (info.mask & LXIF_STATE)
        SetItemState(info.iItem, info.state, info.stateMask);
    if (info.mask & LXIF_PARAM)
        row.item.lParam = info.lParam;
    if (info.mask & (LXIF_TEXT | LXIF_IMAGE | LXIF_INDENT))
        StoreCell(row, info.iSubItem, MakeCell(info), info.mask & ~unsigned{LXIF_PARAM});
    return true;
}

bool CListExCore::SetItemText(int nItem, int nSubItem, const char* pszText)
{
    if (!IsColumnValid(nSubItem) || !IsItemValid(nItem))
        return false;
    if (!pszText)
        return true;
    ListExItemInfo info;
    info.mask = LXIF_TEXT;
    info.iItem = nItem;
    info.iSubItem = nSubItem;
    info.strText = pszText;
    return SetItem(info);
}

bool CListExCore::GetItem(ListExItemInfo& info) const
{
    if (!IsColumnValid(info.iSubItem) || !IsItemValid(info.iItem))
        return false;
    const CRow& row = m_rows[static_cast<size_t>(info.iItem)];
    const auto nSlot = static_cast<size_t>(info.iSubItem);
    const ListExCell* pCell = nSlot < row.item.cells.size() ? row.item.cells[nSlot].get() : nullptr;
    if (info.mask & LXIF_TEXT) {
        const bool bOwn = pCell && pCell->nText == ListExCell::EText::Owned;
        info.bTextCallback = !bOwn;
        info.strText = bOwn ? pCell->strText : std::string();
    }
    if (info.mask & LXIF_IMAGE)
        info.iImage = info.iSubItem == 0 ? row.iImage : (pCell ? pCell->iImage : 0);
    if (info.mask & LXIF_STATE)
        info.state = row.nState & info.stateMask;
    if (info.mask & LXIF_PARAM)
        info.lParam = row.item.lParam;
    if (info.mask & LXIF_INDENT)
        info.iIndent = row.iIndent;
    return true;
}

std::intptr_t CListExCore::GetItemData(int nItem) const
{
    return IsItemValid(nItem) ? m_rows[static_cast<size_t>(nItem)].item.lParam : 0;
}

bool CListExCore::SetItemData(int nItem, std::intptr_t lParam)
{
    if (!IsItemValid(nItem))
        return false;
    m_rows[static_cast<size_t>(nItem)].item.lParam = lParam;
    return true;
}

const std::string* CListExCore::GetOwnText(int nItem, int nSubItem) const
{
    if (!IsItemValid(nItem) || nSubItem < 0)
        return nullptr;
    const auto& cells = m_rows[static_cast<size_t>(nItem)].item.cells;
    const auto nSlot = static_cast<size_t>(nSubItem);
    if (nSlot >= cells.size() || !cells[nSlot] || cells[nSlot]->nText != ListExCell::EText::Owned)
        return nullptr;
    return &cells[nSlot]->strText;
}

const ListExItem* CListExCore::GetRecord(int nItem) const
{
    return IsItemValid(nItem) ? &m_rows[static_cast<size_t>(nItem)].item : nullptr;
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

int CListExCore::FindItem(int nStart, const ListExFindInfo& info, IListExOwnerTexts* pOwner) const
{
    const int nCount = GetItemCount();
    const bool bPartial = (info.flags & LXFI_PARTIAL) != 0;
    auto matches = [&](int nItem) {
        if (info.flags & LXFI_PARAM)
            return m_rows[static_cast<size_t>(nItem)].item.lParam == info.lParam;
        if (const std::string* pText = GetOwnText(nItem, 0))
            return TextMatches(*pText, info.strText, bPartial);
        return pOwner && TextMatches(pOwner->GetOwnerText(nItem, 0), info.strText, bPartial);
    };
    for (int nItem = nStart < 0 ? 0 : nStart + 1; nItem < nCount; ++nItem) {
        if (matches(nItem))
            return nItem;
    }
    if (nStart >= 0 && (info.flags & LXFI_WRAP)) {
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
    auto less = [&](const CRow& a, const CRow& b) { return pfnCompare(a.item.lParam, b.item.lParam, lParamSort) < 0; };
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
        keys[i] = {m_rows[i].item.lParam, static_cast<std::uint32_t>(i)};
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
    return IsItemValid(nItem) ? m_rows[static_cast<size_t>(nItem)].nState & nMask : 0;
}

bool CListExCore::SetItemState(int nItem, unsigned nState, unsigned nMask, std::vector<int>* pChanged)
{
    if (nItem < -1 || nItem >= GetItemCount())
        return false;
    auto apply = [&](int n, unsigned nNewState, unsigned nNewMask) {
        unsigned& nOld = m_rows[static_cast<size_t>(n)].nState;
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
            if (n != nItem && (m_rows[static_cast<size_t>(n)].nState & nExclusive))
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
        if ((m_rows[static_cast<size_t>(n)].nState & nWanted) == nWanted)
            return n;
    }
    return -1;
}

int CListExCore::GetSelectedCount() const
{
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const CRow& row) { return (row.nState & LXIS_SELECTED) != 0; }));
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

int CListExCore::InsertColumn(int nColumn, const ListExColumnInfo& info)
{
    if (nColumn < 0 || nColumn > GetColumnCount())
        return -1;
    const int nOldCount = GetColumnCount();
    auto pColumn = std::make_unique<ListExColumn>();
    pColumn->info = info;
    pColumn->info.mask &= ~unsigned{LXCF_SUBITEM};
    if (!(info.mask & LXCF_FMT))
        pColumn->info.fmt = LXCFMT_LEFT;
    if (!(info.mask & LXCF_WIDTH))
        pColumn->info.cx = 0;
    if (nColumn == 0)
        m_nColumn0Format = pColumn->info.fmt;

    int nOrder = (info.mask & LXCF_ORDER) ? info.iOrder : nColumn;
    nOrder = std::clamp(nOrder, 0, GetColumnCount());
    for (auto& pOther : m_columns) {
        if (pOther->nOrder >= nOrder)
            ++pOther->nOrder;
    }
    pColumn->nOrder = nOrder;
    pColumn->info.iOrder = nOrder;
    m_columns.insert(m_columns.begin() + nColumn, std::move(pColumn));

    if (m_nSortKey != 0 && nColumn < Magnitude(m_nSortKey))
        m_nSortKey += m_nSortKey > 0 ? 1 : -1;
    // The cells move with their columns. A list that had no column yet
    // keeps its rows' texts in the first one.
    for (CRow& row : m_rows) {
        auto& cells = row.item.cells;
        if (nColumn < nOldCount && cells.size() > static_cast<size_t>(nColumn))
            cells.insert(cells.begin() + nColumn, nullptr);
    }
    return nColumn;
}

bool CListExCore::DeleteColumn(int nColumn)
{
    if (!IsColumnValid(nColumn))
        return false;
    const int nOrder = m_columns[static_cast<size_t>(nColumn)]->nOrder;
    for (auto& pOther : m_columns) {
        if (pOther->nOrder > nOrder)
            --pOther->nOrder;
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
        auto& cells = row.item.cells;
        if (cells.size() > static_cast<size_t>(nColumn))
            cells.erase(cells.begin() + nColumn);
    }
    return true;
}

bool CListExCore::GetColumn(int nColumn, ListExColumnInfo& info) const
{
    if (!IsColumnValid(nColumn))
        return false;
    const ListExColumn& column = *m_columns[static_cast<size_t>(nColumn)];
    const unsigned nMask = info.mask;
    if (nMask & LXCF_FMT)
        info.fmt = column.info.fmt;
    if (nMask & LXCF_WIDTH)
        info.cx = column.info.cx;
    if (nMask & LXCF_TEXT)
        info.strText = column.info.strText;
    if (nMask & LXCF_IMAGE)
        info.iImage = column.info.iImage;
    if (nMask & LXCF_ORDER)
        info.iOrder = column.nOrder;
    if (nMask & LXCF_SUBITEM)
        info.iSubItem = nColumn;
    return true;
}

bool CListExCore::SetColumn(int nColumn, const ListExColumnInfo& info)
{
    if (!IsColumnValid(nColumn))
        return false;
    ListExColumn& column = *m_columns[static_cast<size_t>(nColumn)];
    if (info.mask & LXCF_FMT)
        column.info.fmt = info.fmt;
    if (info.mask & LXCF_WIDTH)
        column.info.cx = std::max(info.cx, 0);
    if (info.mask & LXCF_TEXT)
        column.info.strText = info.strText;
    if (info.mask & LXCF_IMAGE)
        column.info.iImage = info.iImage;
    column.info.mask |= info.mask & ~unsigned{LXCF_SUBITEM};
    if (info.mask & LXCF_ORDER)
        MoveColumnOrder(nColumn, info.iOrder);
    return true;
}

int CListExCore::GetColumnWidth(int nColumn) const
{
    return IsColumnValid(nColumn) ? m_columns[static_cast<size_t>(nColumn)]->info.cx : 0;
}

bool CListExCore::SetColumnWidth(int nColumn, int nWidth)
{
    if (!IsColumnValid(nColumn))
        return false;
    m_columns[static_cast<size_t>(nColumn)]->info.cx = std::max(nWidth, 0);
    return true;
}

void CListExCore::MoveColumnOrder(int nColumn, int nOrder)
{
    nOrder = std::clamp(nOrder, 0, GetColumnCount() - 1);
    const int nOld = m_columns[static_cast<size_t>(nColumn)]->nOrder;
    for (auto& pOther : m_columns) {
        if (nOrder < nOld && pOther->nOrder >= nOrder && pOther->nOrder < nOld)
            ++pOther->nOrder;
        else if (nOrder > nOld && pOther->nOrder > nOld && pOther->nOrder <= nOrder)
            --pOther->nOrder;
    }
    m_columns[static_cast<size_t>(nColumn)]->nOrder = nOrder;
    m_columns[static_cast<size_t>(nColumn)]->info.iOrder = nOrder;
}

void CListExCore::MoveColumnToOrder(int nColumn, int nOrder)
{
    if (IsColumnValid(nColumn) && nOrder >= 0)
        MoveColumnOrder(nColumn, nOrder);
}

int CListExCore::OrderToIndex(int nOrder) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i]->nOrder == nOrder)
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
    return m_columns[static_cast<size_t>(nColumn)]->info.fmt & LXCFMT_JUSTIFYMASK;
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

bool CListExCore::GetHeaderItemLayout(int nColumn, int nTitleWidth, int nHeight, ListExHeaderLayout& layout) const
{
    if (!IsColumnValid(nColumn))
        return false;
    // The gap keeps the mark off the text.
    constexpr int kMarkGap = 6;
    const bool bMark = nColumn == GetImageMarkColumn();
    const int nMarkSpace = bMark ? kMarkGap + LXSM_CX : 0;
    const int nInnerLeft = GetColumnLeft(nColumn) - m_metrics.nScrollX + LXHD_TITLEMARGIN;
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
    layout.rcTitle = {x, 0, x + nShown, nHeight};
    layout.rcMark = {};
    if (bMark) {
        const int nMarkLeft = x + nShown + kMarkGap;
        const int nMarkTop = (nHeight - LXSM_CY) / 2;
        layout.rcMark = {nMarkLeft, nMarkTop, nMarkLeft + LXSM_CX, nMarkTop + LXSM_CY};
    }
    return true;
}

void CListExCore::SetBkColour(ListExColour cr)
{
    m_crBk = cr;
    if (m_bSortShading)
        m_crShade = ShadeColour(cr);
}

void CListExCore::OnSysColourChange(const ListExSysColours& colours)
{
    const ListExColour crOldWindow = m_colours.crWindow;
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
        nWidth += pColumn->info.cx;
    return nWidth;
}

int CListExCore::GetColumnLeft(int nColumn) const
{
    if (!IsColumnValid(nColumn))
        return -1;
    const int nOrder = m_columns[static_cast<size_t>(nColumn)]->nOrder;
    int nLeft = 0;
    for (const auto& pColumn : m_columns) {
        if (pColumn->nOrder < nOrder)
            nLeft += pColumn->info.cx;
    }
    return nLeft;
}

int CListExCore::RowFromY(int nY) const
{
    if (m_metrics.nRowHeight <= 0)
        return -1;
    const long long nPos = static_cast<long long>(nY) + m_metrics.nScrollY;
    if (nPos < 0)
        return -1;
    const long long nRow = nPos / m_metrics.nRowHeight;
    return nRow < GetItemCount() ? static_cast<int>(nRow) : -1;
}

bool CListExCore::GetItemRect(int nItem, int nCode, ListExRect& rc) const
{
    if (!IsItemValid(nItem) || m_columns.empty())
        return false;
    const long long nTop = static_cast<long long>(nItem) * m_metrics.nRowHeight - m_metrics.nScrollY;
    rc.top = static_cast<int>(std::clamp(nTop, -(1LL << 30), 1LL << 30));
    rc.bottom = rc.top + m_metrics.nRowHeight;
    if (nCode == LXIR_BOUNDS) {
        rc.left = -m_metrics.nScrollX;
        rc.right = rc.left + GetTotalColumnWidth();
        return true;
    }
    // Column 0 holds, from the left: the indent, the state image with a gap
    // before it, the small image and the label.
    const CRow& row = m_rows[static_cast<size_t>(nItem)];
    const int nLeft = GetColumnLeft(0) - m_metrics.nScrollX;
    const int nRight = nLeft + GetColumnWidth(0);
    int x = nLeft + row.iIndent * m_metrics.nSmallIconWidth;
    if (m_metrics.nStateIconWidth > 0)
        x += m_metrics.nStateIconWidth + 4;
    ListExRect rcIcon{std::min(x, nRight), rc.top, std::min(x + m_metrics.nSmallIconWidth, nRight), rc.bottom};
    if (nCode == LXIR_ICON) {
        rc = rcIcon;
        return true;
    }
    if (nCode == LXIR_LABEL) {
        rc.left = rcIcon.right;
        rc.right = nRight;
        return true;
    }
    return false;
}

bool CListExCore::GetSubItemRect(int nItem, int nSubItem, int nCode, ListExRect& rc) const
{
    if (!IsColumnValid(nSubItem) || !GetItemRect(nItem, LXIR_BOUNDS, rc))
        return false;
    if (nSubItem == 0)
        return nCode == LXIR_BOUNDS || GetItemRect(nItem, nCode, rc);
    rc.left = GetColumnLeft(nSubItem) - m_metrics.nScrollX;
    rc.right = rc.left + GetColumnWidth(nSubItem);
    return true;
}

bool CListExCore::GetCellRect(int nItem, int nColumn, int nKind, ListExRect& rc) const
{
    switch (nKind) {
    case 0:
        if (!GetSubItemRect(nItem, nColumn, LXIR_BOUNDS, rc))
            return false;
        if (nColumn == 0) {
            // Column 0's bounds span the whole row; its cell is its own width.
            rc.left = GetColumnLeft(0) - m_metrics.nScrollX;
            rc.right = rc.left + GetColumnWidth(0);
        }
        return true;
    case 1: {
        ListExRect rcCell;
        if (!GetItemRect(nItem, LXIR_ICON, rc) || !GetCellRect(nItem, 0, 0, rcCell))
            return false;
        rc.right = std::min(rc.right, rcCell.right);
        return true;
    }
    case 2:
        return GetItemRect(nItem, LXIR_LABEL, rc);
    default:
        return false;
    }
}

bool CListExCore::GetStateIconRect(int nItem, ListExRect& rc) const
{
    ListExRect rcCell;
    ListExRect rcIcon;
    if (!GetCellRect(nItem, 0, 0, rcCell) || !GetCellRect(nItem, 0, 1, rcIcon))
        return false;
    rc = rcCell;
    rc.right = rcIcon.IsEmpty() ? rcIcon.left : rcIcon.left - 1;
    if (!m_bStateGapKnown) {
        m_nStateGap = 4;
        if (m_metrics.nStateIconWidth > 0)
            m_nStateGap = std::clamp(rc.Width() - m_metrics.nStateIconWidth, 0, 4);
        m_bStateGapKnown = true;
    }
    rc.left += m_nStateGap;
    if (rc.right >= rcCell.right)
        rc.right = rcCell.right - 1;
    return true;
}

int CListExCore::HitTest(int nX, int nY, unsigned& nFlags) const
{
    nFlags = LXHT_NOWHERE;
    const int nItem = RowFromY(nY);
    ListExRect rcBounds;
    if (nItem < 0 || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !rcBounds.Contains(nX, nY))
        return -1;
    const bool bOwnerDraw = (m_nStyle & LXS_OWNERDRAWFIXED) != 0;
    ListExRect rcLabel;
    ListExRect rcIcon;
    ListExRect rcState;
    GetCellRect(nItem, 0, 2, rcLabel);
    GetCellRect(nItem, 0, 1, rcIcon);
    const bool bStateImages = m_metrics.nStateIconWidth > 0 && GetStateIconRect(nItem, rcState);

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
    else if (rcBounds.left > -m_nStateGap && nX < std::min(rcBounds.left + m_nStateGap, m_nStateGap))
        nFlags = LXHT_NOWHERE;
    return nItem;
}

// ---------------------------------------------------------------------------
// Hot tracking and check boxes

ListExHotChange CListExCore::UpdateHotItem(int nX, int nY)
{
    ListExHotChange change;
    change.nOldHot = m_nHotItem;
    change.nNewHot = m_nHotItem;
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
    change.nNewHot = nHot;
    if (m_nStyle & LXS_OWNERDRAWFIXED) {
        change.bRepaint = change.nOldHot != nHot;
        change.bSetCursor = true;
        change.bHandCursor = nHot >= 0;
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

ListExRowPlan CListExCore::PlanRow(int nItem, IListExPainter& painter) const
{
    ListExRowPlan plan;
    ListExRect rcBounds;
    ListExRect rcLabel;
    if (!IsItemValid(nItem) || !GetItemRect(nItem, LXIR_BOUNDS, rcBounds) || !GetCellRect(nItem, 0, 2, rcLabel))
        return plan;
    const unsigned nState = m_rows[static_cast<size_t>(nItem)].nState;

    const bool bFocused = m_bHasFocus;
    const bool bSelected = (nState & LXIS_SELECTED) != 0;
    const bool bActive = bSelected && bFocused;
    const bool bInactive = bSelected && !bFocused && (m_nStyle & LXS_SHOWSELALWAYS);
    const bool bFocusMark = (nState & LXIS_FOCUSED) && bFocused;
    const bool bFullRow = (m_dwExStyle & LXS_EX_FULLROWSELECT) != 0;
    const bool bHighlighted = bActive || bInactive;

    ListExRect rcFocus = rcBounds;
    if (bFullRow && GetColumnCount() > 0 && m_columns[0]->nOrder == 0)
        rcFocus.left = std::min(rcLabel.left, rcBounds.left + GetColumnWidth(OrderToIndex(0)));

    const ListExColour crText0 = m_colours.crWindowText;
    ListExColour crHighlight = m_colours.crBtnFace;
    if (bActive)
        crHighlight = nItem == m_nHotItem ? m_crHot : m_colours.crHighlight;

    plan.bUnderline =
        ((m_dwExStyle & LXS_EX_TWOCLICKACTIVATE) && bSelected) ||
        ((m_dwExStyle & LXS_EX_ONECLICKACTIVATE) && (m_dwExStyle & LXS_EX_UNDERLINEHOT) && nItem == m_nHotItem);
    const ListExColour crPlainText = plan.bUnderline ? m_crHot : crText0;
    const ListExColour crHighlightText = bActive ? m_colours.crHighlightText : crPlainText;
    const int nSorted = Magnitude(m_nSortKey) - 1;

    ListExRect rcCell = rcBounds;
    for (int nOrder = 0;; ++nOrder) {
        const int nColumn = OrderToIndex(nOrder);
        if (nColumn < 0)
            break;
        const int nWidth = GetColumnWidth(nColumn);
        const int nFormat = m_columns[static_cast<size_t>(nColumn)]->info.fmt;
        const ListExColour crBack = (m_bSortShading && m_nSortKey != 0 && nColumn == nSorted) ? m_crShade : m_crBk;
        if (nOrder == 0)
            rcCell.right = rcBounds.left + nWidth;
        else {
            rcCell.left = rcCell.right;
            rcCell.right = rcCell.left + nWidth;
        }

        ListExCellPaint cell;
        cell.nColumn = nColumn;
        cell.nFormat = nFormat;
        cell.bUnderline = plan.bUnderline;
        cell.strText = CellText(painter, nItem, nColumn);
        cell.rcText = nColumn == 0 ? ListExRect{rcLabel.left + 2, rcCell.top, rcLabel.right - 2, rcCell.bottom}
                                   : ListExRect{rcCell.left + 6, rcCell.top, rcCell.right - 6, rcCell.bottom};
        int nTextWidth = 0;
        if (!cell.strText.empty() && cell.rcText.Width() > 0)
            nTextWidth = std::min(painter.MeasureText(cell.strText), cell.rcText.Width());

        auto plain = [&] {
            plan.fills.push_back({rcCell, crBack});
            cell.crTextBk = crBack;
            cell.crText = crPlainText;
        };
        const bool bLabelCase = nColumn == 0 && (nOrder == 0 || !bFullRow);
        if (bLabelCase && (bHighlighted || (bFocusMark && !bFullRow))) {
            ListExRect rcHigh = rcLabel;
            if (!bFullRow) {
                switch (m_nColumn0Format) {
                case LXCFMT_LEFT:
                    rcHigh.right = rcHigh.left + nTextWidth + 8;
                    break;
                case LXCFMT_RIGHT:
                    rcHigh.left = rcHigh.right - nTextWidth - 8;
                    break;
                case LXCFMT_CENTER:
                    rcHigh.left = rcLabel.left + (rcLabel.Width() - nTextWidth - 12) / 2;
                    rcHigh.right = rcHigh.left + nTextWidth + 12;
                    break;
                default:
                    break;
                }
                rcHigh.left = std::max(rcHigh.left, rcLabel.left);
                rcHigh.right = std::min(rcHigh.right, rcLabel.right);
                rcFocus = rcHigh;
            }
            if (bHighlighted) {
                if (rcHigh.left > rcCell.left)
                    plan.fills.push_back({{rcCell.left, rcCell.top, rcHigh.left, rcCell.bottom}, crBack});
                plan.fills.push_back({{rcHigh.left, rcCell.top, rcHigh.right, rcCell.bottom}, crHighlight});
                if (rcHigh.right < rcCell.right)
                    plan.fills.push_back({{rcHigh.right, rcCell.top, rcCell.right, rcCell.bottom}, crBack});
                cell.crTextBk = crHighlight;
                cell.crText = crHighlightText;
            } else {
                plain();
            }
        } else if (!bLabelCase && bHighlighted && bFullRow) {
            plan.fills.push_back({rcCell, crHighlight});
            cell.crTextBk = crHighlight;
            cell.crText = crHighlightText;
        } else {
            plain();
        }

        if (nColumn == 0) {
            cell.bSelectedLook = bSelected && bFocused;
            ListExRect rc;
            if (GetStateIconRect(nItem, rc) && StateImageOf(nItem) > 0) {
                cell.nStateImage = StateImageOf(nItem) - 1;
                cell.rcState = rc;
            }
            const int nImage = m_rows[static_cast<size_t>(nItem)].iImage;
            if (GetCellRect(nItem, 0, 1, rc) && nImage > 0) {
                cell.nImage = nImage;
                cell.rcIcon = rc;
            }
        }
        plan.cells.push_back(std::move(cell));
    }
    if (bFocusMark) {
        plan.bFocusRect = true;
        plan.rcFocus = rcFocus;
        plan.crFocus = crText0;
    }
    return plan;
}

void CListExCore::DrawSmallIcon(IListExPainter& painter, const ListExCellPaint& paint) const
{
    if (paint.nImage <= 0 || m_metrics.nSmallIconWidth <= 0)
        return;
    painter.DrawImage(false, paint.nImage, paint.rcIcon.left, paint.rcIcon.top,
                      std::min(paint.rcIcon.Width() + 1, m_metrics.nSmallIconWidth),
                      std::min(paint.rcIcon.Height() + 1, m_metrics.nSmallIconHeight), paint.bSelectedLook);
}

void CListExCore::DrawStateIcon(IListExPainter& painter, const ListExCellPaint& paint) const
{
    if (paint.nStateImage < 0 || m_metrics.nStateIconWidth <= 0)
        return;
    // The state image is centred in the row's height.
    const int nHeight = std::min(paint.rcState.Height(), m_metrics.nStateIconHeight);
    const int nTop = paint.rcState.top + (paint.rcState.Height() - nHeight) / 2;
    painter.DrawImage(true, paint.nStateImage, paint.rcState.left, nTop,
                      std::min(paint.rcState.Width() + 1, m_metrics.nStateIconWidth), nHeight, paint.bSelectedLook);
}

void CListExCore::DrawCellText(IListExPainter& painter, const ListExCellPaint& paint) const
{
    if (paint.strText.empty() || paint.rcText.Width() <= 0)
        return;
    painter.DrawText(paint.strText, paint.rcText, paint.nFormat & LXCFMT_JUSTIFYMASK, paint.crText, paint.crTextBk,
                     paint.bUnderline);
}

void CListExCore::DrawItem(IListExPainter& painter, int nItem) const
{
    const ListExRowPlan plan = PlanRow(nItem, painter);
    for (const ListExFill& fill : plan.fills)
        painter.FillRect(fill.rc, fill.cr);
    for (const ListExCellPaint& cell : plan.cells) {
        if (cell.nColumn == 0) {
            DrawStateIcon(painter, cell);
            DrawSmallIcon(painter, cell);
        }
        DrawCellText(painter, cell);
    }
    if (plan.bFocusRect)
        painter.DrawFocusRect(plan.rcFocus, plan.crFocus);
}

std::vector<ListExFill> CListExCore::PlanErase(const ListExRect& rcClip) const
{
    const int nSorted = Magnitude(m_nSortKey) - 1;
    if (m_bSortShading && m_nSortKey != 0 && IsColumnValid(nSorted)) {
        const int a = GetColumnLeft(nSorted) - m_metrics.nScrollX;
        const int b = a + GetColumnWidth(nSorted);
        if (a < rcClip.right && b > rcClip.left) {
            std::vector<ListExFill> fills;
            if (rcClip.left < a)
                fills.push_back({{rcClip.left, rcClip.top, a, rcClip.bottom}, m_crBk});
            fills.push_back(
                {{std::max(a, rcClip.left), rcClip.top, std::min(b, rcClip.right), rcClip.bottom}, m_crShade});
            if (b < rcClip.right)
                fills.push_back({{b, rcClip.top, rcClip.right, rcClip.bottom}, m_crBk});
            return fills;
        }
    }
    return {{rcClip, m_crBk}};
}
