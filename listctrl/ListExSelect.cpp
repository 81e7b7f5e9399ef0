#include "ListExSelect.h"

CListExSelectStep CListExSelectRules::OnLeftPress(int nItem, bool bShift, bool bCtrl, bool bMulti, bool bItemSelected,
                                                  int nSelectedCount)
{
    m_nPending = -1;
    if (nItem < 0)
        return bCtrl ? CListExSelectStep{} : CListExSelectStep{EListExSelect::ClearAll};
    if (bMulti && bShift && m_nAnchor >= 0)
        return {EListExSelect::SelectRange, nItem, m_nAnchor, bCtrl};
    m_nAnchor = nItem;
    if (bMulti && bCtrl)
        return {EListExSelect::Toggle, nItem};
    if (bItemSelected && nSelectedCount > 1) {
        m_nPending = nItem;
        return {EListExSelect::FocusOnly, nItem};
    }
    return {EListExSelect::SelectOnly, nItem};
}

CListExSelectStep CListExSelectRules::OnLeftRelease(int nCount)
{
    const int nPending = m_nPending;
    m_nPending = -1;
    if (nPending < 0 || nPending >= nCount)
        return {};
    return {EListExSelect::SelectOnly, nPending};
}

CListExSelectStep CListExSelectRules::OnRightPress(int nItem, bool bItemSelected)
{
    m_nPending = -1;
    if (nItem < 0)
        return {EListExSelect::ClearAll};
    if (bItemSelected)
        return {EListExSelect::FocusOnly, nItem};
    m_nAnchor = nItem;
    return {EListExSelect::SelectOnly, nItem};
}

CListExSelectStep CListExSelectRules::OnFocusMove(int nItem, bool bShift, bool bCtrl, bool bMulti)
{
    if (bMulti && bShift && m_nAnchor >= 0)
        return {EListExSelect::SelectRange, nItem, m_nAnchor, false};
    if (bMulti && bCtrl)
        return {EListExSelect::FocusOnly, nItem};
    m_nAnchor = nItem;
    return {EListExSelect::SelectOnly, nItem};
}

void CListExSelectRules::Forget()
{
    m_nAnchor = -1;
    m_nPending = -1;
}

void CListExSelectRules::OnRowDeleted(int nCount)
{
    if (m_nAnchor >= nCount)
        m_nAnchor = -1;
    m_nPending = -1;
}
