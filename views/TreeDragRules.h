#pragma once

// The decisions of a tree's item drag, as plain code: where a dropped item
// goes, and when the hover timer that opens folders under the pointer starts
// again. The tree window only carries them out. Items are opaque handles.

using TreeItemHandle = const void*;

// Where a dropped item goes.
enum class EDropPlace
{
    Refused,           // nothing happens
    LastChildOfTarget, // appended under the drop target
    AfterTarget,       // a sibling of the target, right after it
};

// Where the item dragged is dropped, given the drag's last target:
//  - bHasTarget: an item was under the pointer at some time of the drag;
//  - bTargetInDragged: the target is the dragged item or lies below it;
//  - bKeepDepth: the dropped item keeps its depth instead of becoming the
//    target's last child;
//  - nDragDepth, nTargetDepth: ancestors of the dragged item and the target.
// With bKeepDepth an item goes after a target of its own depth, or under a
// target one level up; any other depth is refused.
EDropPlace ChooseDropPlace(bool bHasTarget, bool bTargetInDragged, bool bKeepDepth, int nDragDepth, int nTargetDepth);

// The hover timer's rule while an item is dragged. Its period starts at the
// first move over an item and starts again at every move over the first
// item that was highlighted (normally the dragged item itself), so that
// item is not opened while the pointer still wanders on it after the press;
// moves over other items leave a running period alone.
class CHoverRule
{
public:
    enum class EAction
    {
        None,    // a running period goes on
        Start,   // no period ran: start one
        Restart, // stop the running period and start a new one
    };

    // A drag move over hItem; hHighlighted is the item highlighted before
    // this move, or null.
    EAction OnMoveOverItem(TreeItemHandle hItem, TreeItemHandle hHighlighted, bool bTimerRunning);
    // A new drag begins.
    void Reset() { m_hFirstHover = nullptr; }
    TreeItemHandle GetFirstHover() const { return m_hFirstHover; }

private:
    TreeItemHandle m_hFirstHover = nullptr;
};
