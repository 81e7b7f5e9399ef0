// The extended list's hooks for its owner, and the mouse and keys.
#include "ListCtrlEx.h"

#include "ListExWindowParts.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/time.h>

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
    const bool bSelected = nItem >= 0 && GetItemState(nItem, LXIS_SELECTED) != 0;
    ApplySelectStep(m_selectRules.OnLeftPress(nItem, event.ShiftDown(), event.ControlDown(), bMulti, bSelected,
                                              GetSelectedCount()));
    if (nItem >= 0) {
        m_bDragArmed = true;
        m_ptPress = point;
    }
    ApplyHot(m_pCore->UpdateHotItem(nX, nY));
}

void CListExWindow::OnLeftUp(wxMouseEvent& event)
{
    ApplySelectStep(m_selectRules.OnLeftRelease(GetItemCount()));
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
    unsigned nFlags = 0;
    const int nItem = HitTest(event.GetPosition(), nFlags);
    ApplySelectStep(m_selectRules.OnRightPress(nItem, nItem >= 0 && GetItemState(nItem, LXIS_SELECTED) != 0));
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
    m_selectRules.ForgetPress();
    OnBeginDrag(m_ptPress);
}

void CListExWindow::ApplySelectStep(const CListExSelectStep& step)
{
    switch (step.m_nAction) {
    case EListExSelect::None:
        break;
    case EListExSelect::ClearAll:
        ChangeState(-1, 0, LXIS_SELECTED);
        break;
    case EListExSelect::SelectOnly:
        SelectOnly(step.m_nItem);
        break;
    case EListExSelect::SelectRange:
        SelectRange(step.m_nFrom, step.m_nItem, step.m_bKeepOthers);
        break;
    case EListExSelect::Toggle: {
        const unsigned nSelected = GetItemState(step.m_nItem, LXIS_SELECTED) ^ LXIS_SELECTED;
        ChangeState(step.m_nItem, nSelected | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
        break;
    }
    case EListExSelect::FocusOnly:
        ChangeState(step.m_nItem, LXIS_FOCUSED, LXIS_FOCUSED);
        break;
    }
}

void CListExWindow::MoveFocusTo(int nItem, bool bExtend, bool bKeepSelection)
{
    if (GetItemCount() == 0)
        return;
    nItem = std::clamp(nItem, 0, GetItemCount() - 1);
    const bool bMulti = !(m_pCore->GetStyle() & LXS_SINGLESEL);
    ApplySelectStep(m_selectRules.OnFocusMove(nItem, bExtend, bKeepSelection, bMulti));
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
