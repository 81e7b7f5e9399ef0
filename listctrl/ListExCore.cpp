#include "ListExCore.h"

#include <algorithm>
#include <cstdlib>

namespace
{

int s_nComCtlLevel = 0;

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
