// The extended tree's input: the mouse, the keyboard and the label editor.
#include "TreeCtrlEx.h"

#include "TreeExItem.h"

#include "ListCtrlEx.h"

#include <wx/textctrl.h>

#include <algorithm>

// ---------------------------------------------------------------------------
// Mouse and keyboard

void CTreeCtrlEx::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    int nFlags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
    m_bPressedSelected = false;
    if (item.IsOk()) {
        if (nFlags & wxTREE_HITTEST_ONITEMBUTTON) {
            Toggle(item);
        } else if (ItemOf(item) == m_pSelected) {
            // A second click on the selected label edits it, once the
            // button goes up and no double click follows.
            m_bPressedSelected = HasFlag(wxTR_EDIT_LABELS) && (nFlags & wxTREE_HITTEST_ONITEMLABEL);
        } else {
            SelectItem(item);
        }
    }
    event.Skip();
}

void CTreeCtrlEx::OnLeftUp(wxMouseEvent& event)
{
    if (std::exchange(m_bPressedSelected, false)) {
        int nFlags = 0;
        const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
        if (ItemOf(item) == m_pSelected && (nFlags & wxTREE_HITTEST_ONITEMLABEL)) {
            m_pRenamePending = m_pSelected;
            m_renameTimer.StartOnce(kRenameDelayMs);
        }
    }
    event.Skip();
}

void CTreeCtrlEx::OnLeftDClick(wxMouseEvent& event)
{
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    int nFlags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), nFlags);
    if (!item.IsOk())
        return;
    if (nFlags & wxTREE_HITTEST_ONITEMBUTTON) {
        Toggle(item);
        return;
    }
    // An owner that does nothing with the activation leaves the tree to
    // open or close the item.
    wxTreeEvent activated(wxEVT_TREE_ITEM_ACTIVATED, this, item);
    activated.SetPoint(event.GetPosition());
    if (!ProcessWindowEvent(activated) && ItemHasChildren(item))
        Toggle(item);
}

void CTreeCtrlEx::OnMotion(wxMouseEvent& event)
{
    int nFlags = 0;
    const wxTreeItemId item = event.Leaving() ? wxTreeItemId() : HitTest(event.GetPosition(), nFlags);
    CTreeExItem* pHover = nFlags & (wxTREE_HITTEST_ONITEMLABEL | wxTREE_HITTEST_ONITEMICON) ? ItemOf(item) : nullptr;
    if (pHover != m_pHover) {
        m_pHover = pHover;
        UpdateToolTip();
    }
    event.Skip();
}

void CTreeCtrlEx::UpdateToolTip()
{
    // A label the window cuts short is shown whole in a tooltip, or as
    // the owner words it.
    wxString strTip;
    wxRect rect;
    if (m_pHover && GetBoundingRect(IdOf(m_pHover), rect, true)) {
        wxTreeEvent event(wxEVT_TREE_ITEM_GETTOOLTIP, this, IdOf(m_pHover));
        ProcessWindowEvent(event);
        const bool bCut = rect.x < 0 || rect.GetRight() >= GetClientSize().x;
        if (event.IsAllowed() && (bCut || event.GetLabel() != m_pHover->m_strText))
            strTip = event.GetLabel();
    }
    if (!strTip.empty())
        SetToolTip(strTip);
    else if (GetToolTip())
        UnsetToolTip();
}

void CTreeCtrlEx::OnRightDown(wxMouseEvent& event)
{
    SetFocus();
    event.Skip();
}

bool CTreeCtrlEx::MoveByKey(ETreeExKey nKey)
{
    if (!m_pCurrent)
        return false;
    const CTreeExKeyMove move = m_core.MoveByKey(m_pCurrent, nKey, GetPageRows());
    switch (move.m_nAction) {
    case CTreeExKeyMove::EAction::None:
        break;
    case CTreeExKeyMove::EAction::Select:
        SelectItem(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::Expand:
        Expand(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::Collapse:
        Collapse(IdOf(move.m_pNode));
        break;
    case CTreeExKeyMove::EAction::ExpandAll:
        ExpandAllChildren(IdOf(move.m_pNode));
        break;
    }
    return true;
}

void CTreeCtrlEx::OnKeyDown(wxKeyEvent& event)
{
    wxTreeEvent keyEvent(wxEVT_TREE_KEY_DOWN, this);
    keyEvent.SetKeyEvent(event);
    if (ProcessWindowEvent(keyEvent))
        return;
    if (event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    std::optional<ETreeExKey> nKey;
    switch (event.GetKeyCode()) {
    case WXK_UP:
    case WXK_NUMPAD_UP:
        nKey = ETreeExKey::Up;
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        nKey = ETreeExKey::Down;
        break;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        nKey = ETreeExKey::Left;
        break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        nKey = ETreeExKey::Right;
        break;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
        nKey = ETreeExKey::Home;
        break;
    case WXK_END:
    case WXK_NUMPAD_END:
        nKey = ETreeExKey::End;
        break;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
        nKey = ETreeExKey::PageUp;
        break;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
        nKey = ETreeExKey::PageDown;
        break;
    case WXK_ADD:
    case WXK_NUMPAD_ADD:
        nKey = ETreeExKey::Expand;
        break;
    case WXK_SUBTRACT:
    case WXK_NUMPAD_SUBTRACT:
        nKey = ETreeExKey::Collapse;
        break;
    case WXK_MULTIPLY:
    case WXK_NUMPAD_MULTIPLY:
        nKey = ETreeExKey::ExpandAll;
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
        if (m_pCurrent)
            SendEvent(wxEVT_TREE_ITEM_ACTIVATED, m_pCurrent);
        break;
    default:
        break;
    }
    if (!nKey || !MoveByKey(*nKey))
        event.Skip();
}

void CTreeCtrlEx::OnChar(wxKeyEvent& event)
{
    bool bNewPrefix = false;
    if (!m_typedPrefix.Add(event, bNewPrefix)) {
        event.Skip();
        return;
    }
    const int nRows = m_core.GetRowCount();
    const int nCurrent = m_core.GetRowOf(m_pCurrent);
    const int nFirst = nCurrent < 0 ? 0 : (bNewPrefix ? nCurrent + 1 : nCurrent);
    const int nFound = FindRowStartingWith(nRows, nFirst, m_typedPrefix.Get(), [this](int nRow) {
        return static_cast<const CTreeExItem*>(m_core.GetRowNode(nRow))->m_strText;
    });
    if (nFound >= 0)
        SelectItem(IdOf(m_core.GetRowNode(nFound)));
}

// ---------------------------------------------------------------------------
// Label editing

wxTextCtrl* CTreeCtrlEx::EditLabel(const wxTreeItemId& item, wxClassInfo* /*pTextCtrlClass*/)
{
    CTreeExItem* pItem = ItemOf(item);
    if (!pItem)
        return nullptr;
    if (m_pEditItem == pItem)
        return m_pEdit;
    if (m_pEditItem)
        EndEdit(true);
    m_renameTimer.Stop();
    m_pRenamePending = nullptr;
    wxTreeEvent begin(wxEVT_TREE_BEGIN_LABEL_EDIT, this, item);
    begin.SetLabel(pItem->m_strText);
    if (!SendEvent(wxEVT_TREE_BEGIN_LABEL_EDIT, pItem, &begin))
        return nullptr;
    EnsureVisible(item);
    if (!m_pEdit) {
        // One editor serves every edit: making a native text field for
        // each would make the platform lay out the whole frame each time.
        m_pEdit = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
        m_pEdit->Bind(wxEVT_KEY_DOWN, &CTreeCtrlEx::OnEditKeyDown, this);
        m_pEdit->Bind(wxEVT_KILL_FOCUS, &CTreeCtrlEx::OnEditKillFocus, this);
    }
    m_pEditItem = pItem;
    m_strEditStart = pItem->m_strText;
    // A limit left from the last edit would cut this label as it is set.
    m_pEdit->SetMaxLength(0);
    m_pEdit->ChangeValue(m_strEditStart);
    PlaceEditor();
    m_pEdit->Show();
    m_pEdit->SetFocus();
    m_pEdit->SelectAll();
    return m_pEdit;
}

wxTextCtrl* CTreeCtrlEx::GetEditControl() const
{
    return m_pEditItem ? m_pEdit : nullptr;
}

void CTreeCtrlEx::EndEditLabel(const wxTreeItemId& /*item*/, bool bDiscardChanges)
{
    EndEdit(bDiscardChanges);
}

void CTreeCtrlEx::PlaceEditor()
{
    if (!m_pEditItem)
        return;
    const int nRow = m_core.GetRowOf(m_pEditItem);
    if (nRow < 0)
        return;
    const CTreeExRowLayout layout = GetLayout(*m_pEditItem);
    const int nX = layout.m_nTextLeft - m_nScrollX;
    const int nHeight = std::max(m_pEdit->GetBestSize().y, m_nRowHeight);
    const int nWidth = std::max(GetClientSize().x - nX, FromDIP(100));
    m_pEdit->SetSize(nX, RowTop(nRow) + (m_nRowHeight - nHeight) / 2, nWidth, nHeight);
}

void CTreeCtrlEx::EndEdit(bool bDiscardChanges)
{
    if (!m_pEditItem || m_bEnding)
        return;
    // A message shown while the edit ends takes the focus from the editor,
    // which must not end it a second time.
    m_bEnding = true;
    CTreeExItem* pItem = m_pEditItem;
    const wxString strValue = m_pEdit->GetValue();
    // An unchanged label is a cancelled edit, as the tree control's
    // interface has it.
    const bool bCancelled = bDiscardChanges || strValue == m_strEditStart;
    wxTreeEvent end(wxEVT_TREE_END_LABEL_EDIT, this, IdOf(pItem));
    end.SetLabel(bCancelled ? m_strEditStart : strValue);
    end.SetEditCanceled(bCancelled);
    const bool bAllowed = SendEvent(wxEVT_TREE_END_LABEL_EDIT, pItem, &end);
    // A handler may have deleted the item meanwhile.
    if (m_pEditItem == pItem && bAllowed && !bCancelled)
        SetItemText(IdOf(pItem), strValue);
    m_pEditItem = nullptr;
    const bool bHadFocus = wxWindow::FindFocus() == m_pEdit;
    m_pEdit->Hide();
    if (bHadFocus)
        SetFocus();
    m_bEnding = false;
}

void CTreeCtrlEx::OnEditKeyDown(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        EndEdit(false);
        return;
    case WXK_ESCAPE:
        EndEdit(true);
        return;
    default:
        event.Skip();
    }
}

void CTreeCtrlEx::OnEditKillFocus(wxFocusEvent& event)
{
    // Clicking elsewhere keeps what was typed, as Enter does.
    EndEdit(false);
    event.Skip();
}
