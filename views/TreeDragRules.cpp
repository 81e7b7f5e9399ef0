#include "TreeDragRules.h"

EDropPlace ChooseDropPlace(bool bHasTarget, bool bTargetInDragged, bool bKeepDepth, int nDragDepth, int nTargetDepth)
{
    // An item cannot be moved into itself: its subtree would lose its place.
    if (!bHasTarget || bTargetInDragged)
        return EDropPlace::Refused;
    if (!bKeepDepth)
        return EDropPlace::LastChildOfTarget;
    if (nDragDepth == nTargetDepth)
        return EDropPlace::AfterTarget;
    if (nDragDepth == nTargetDepth + 1)
        return EDropPlace::LastChildOfTarget;
    return EDropPlace::Refused;
}

CHoverRule::EAction CHoverRule::OnMoveOverItem(TreeItemHandle hItem, TreeItemHandle hHighlighted, bool bTimerRunning)
{
    // At the first move that finds an item nothing is highlighted yet, so
    // the first hover is learnt at the next move: the item the first one
    // highlighted.
    if (!m_hFirstHover)
        m_hFirstHover = hHighlighted;
    if (!bTimerRunning)
        return EAction::Start;
    return hItem == m_hFirstHover ? EAction::Restart : EAction::None;
}
