#pragma once

// What a click or a key does to the selection of the extended list, as
// plain decisions: the window asks, then carries the step out on its rows.
// The rules keep the anchor, the row a Shift-click or Shift-key extends
// from, and a plain press on a row already selected among others, which
// waits for its release: the rows stay selected for a drag, and the press
// selects its row alone only when the button goes up without one.

enum class EListExSelect
{
    None,
    // Every row loses the selection.
    ClearAll,
    // m_nItem alone is selected and takes the focus.
    SelectOnly,
    // The rows from m_nFrom to m_nItem are selected, m_nItem takes the
    // focus; the others stay selected with m_bKeepOthers.
    SelectRange,
    // m_nItem's selection flips, and it takes the focus.
    Toggle,
    // m_nItem takes the focus; the selection stays.
    FocusOnly,
};

struct CListExSelectStep
{
    EListExSelect m_nAction = EListExSelect::None;
    int m_nItem = -1;
    int m_nFrom = -1;
    bool m_bKeepOthers = false;
};

class CListExSelectRules
{
public:
    // A press of the left button on nItem (-1: below the rows), in a list
    // that allows many selected rows (bMulti) or one.
    CListExSelectStep OnLeftPress(int nItem, bool bShift, bool bCtrl, bool bMulti, bool bItemSelected,
                                  int nSelectedCount);
    // The left button went up without a drag, over a list of nCount rows.
    CListExSelectStep OnLeftRelease(int nCount);
    // A press of the right button: a row not selected is selected alone, so
    // that the popup acts on it; a selected one only takes the focus.
    CListExSelectStep OnRightPress(int nItem, bool bItemSelected);
    // A key moves the focus to nItem: Shift extends the selection from the
    // anchor, Ctrl moves the focus alone.
    CListExSelectStep OnFocusMove(int nItem, bool bShift, bool bCtrl, bool bMulti);
    // A drag began, or the mouse was lost: the waiting press is forgotten.
    void ForgetPress() { m_nPending = -1; }
    // Rows were deleted or reordered: the anchor, a place among rows that
    // moved, is forgotten, and so is the waiting press.
    void Forget();
    // One row was deleted and nCount are left: the anchor stays unless it
    // is past the end.
    void OnRowDeleted(int nCount);
    int GetAnchor() const { return m_nAnchor; }

private:
    int m_nAnchor = -1;
    int m_nPending = -1;
};
