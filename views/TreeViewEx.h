#pragma once

#include "TreeDragRules.h"

#include "TreeCtrlEx.h"
#include <wx/bitmap.h>
#include <wx/timer.h>

#include <memory>
#include <optional>

class wxPopupWindow;

// How wide the name in a drag's picture may be drawn, in pixels at 96 dpi;
// a longer one ends in "…".
constexpr int kDragPictureNameWidth = 300;

// The picture that follows the pointer while something is dragged, as the
// tree's item drag and the AA list's drag draw it: image (none when it is
// not valid), then strName cut to kDragPictureNameWidth and strSuffix, one
// line in window's font and the window colours, framed.
wxBitmap MakeDragPicture(const wxWindow& window, const wxString& strName, const wxString& strSuffix,
                         const wxBitmap& image);

// What each item of a CTreeViewEx carries: one pointer-sized value of its
// owner's choosing, copied along when the item is moved.
class CTreeItemParam : public wxTreeItemData
{
public:
    explicit CTreeItemParam(void* pParam) : m_pParam(pParam) {}
    void* m_pParam;
};

// A tree that moves an item with its whole subtree when the user drags it
// onto another item: a picture of the item follows the pointer, the item
// under the pointer is highlighted, a folder the pointer rests on opens
// after two seconds, and a drop onto the item itself or into its own
// subtree is refused. The move is carried out through overridable
// operations, so a derived class follows every copied item. Labels are
// edited in place, 127 characters at most, and F2 begins editing. With
// nothing selected, a navigation key selects the first item (End the last
// one shown).
//
// Insert-after positions are items; an invalid item stands for "last".
class CTreeViewEx : public CTreeCtrlEx
{
public:
    enum : int
    {
        HOVER_TIMER_ID = 1000,
        kHoverPeriodMs = 2000,
        kLabelLimit = 127,
        // How far below and right of the pointer the dragged picture hangs.
        kDragImageOffset = 12,
    };

    CTreeViewEx(wxWindow* pParent, long nStyle);
    ~CTreeViewEx() override;

    // The value item carries, or null.
    void* GetItemParam(const wxTreeItemId& item) const;
    void SetItemParam(const wxTreeItemId& item, void* pParam);

    // Whether item may be copied under hNewParent after hInsertAfter.
    virtual bool CanCopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                             const wxTreeItemId& hInsertAfter);
    // Called for each item copied, right after its copy is inserted.
    virtual bool OnItemCopied(const wxTreeItemId& hNewItem, const wxTreeItemId& hOldItem,
                              const wxTreeItemId& hNewParent, const wxTreeItemId& hInsertAfter);
    void SelectItem(const wxTreeItemId& item, bool bSelect = true) override;
    virtual void DeleteItem(const wxTreeItemId& item);
    // Inserts a copy of item (text, images, value, state image; no children)
    // under hNewParent after hInsertAfter; an invalid item when CanCopyItem
    // refuses.
    virtual wxTreeItemId CopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                  const wxTreeItemId& hInsertAfter);
    // Copies item, then each of its children in order under the copy, so a
    // parent's copy is always made before its children's. All or nothing:
    // when any copy is refused, what was copied is deleted again and an
    // invalid item returned.
    virtual wxTreeItemId CopySubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                     const wxTreeItemId& hInsertAfter);
    // Copies the subtree, then deletes item; when the copy is refused,
    // nothing changes and an invalid item is returned.
    virtual wxTreeItemId MoveSubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                     const wxTreeItemId& hInsertAfter);

    wxTextCtrl* EditLabel(const wxTreeItemId& item, wxClassInfo* pTextCtrlClass = wxCLASSINFO(wxTextCtrl)) override;

    // The drag of an item, as the mouse drives it; points are client
    // coordinates of the tree. BeginItemDrag returns false when no item is
    // under point.
    bool BeginItemDrag(const wxPoint& point);
    void DragItemTo(const wxPoint& point);
    // Ends the drag and drops the item on the last target, if it may go
    // there.
    void DropItem();
    // Ends the drag without dropping anything.
    void CancelItemDrag();

    bool IsDraggingItem() const { return m_bDragging; }
    wxTreeItemId GetItemDropTarget() const { return m_hDropTarget; }
    // The item that carries the drop highlight, or an invalid item.
    wxTreeItemId GetDropHighlight() const { return m_hDropHighlight; }
    // Highlights item as the place of a drop; an invalid item removes the
    // highlight.
    void SetDropHighlight(const wxTreeItemId& item);
    // The window that shows the dragged item's picture, while it is shown.
    wxPopupWindow* GetDragImageWindow() const { return m_pDragImage.get(); }
    wxTimer& GetHoverTimer() { return m_hoverTimer; }

protected:
    // False: a dropped item becomes the target's last child. True: it keeps
    // its depth (a sibling after a target of its own depth, or a child of a
    // target one level up).
    bool m_bKeepDepth = true;

private:
    void OnLeftDown(wxMouseEvent& event);
    void OnEndLabelEdit(wxTreeEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    // Selects what a navigation key asks for where the tree itself would do
    // nothing; false for a key left to the tree.
    bool SelectByKey(int nKeyCode);
    void OnHoverTimer(wxTimerEvent& event);
    // Where hDragItem would go, dropped on hTarget.
    EDropPlace ChooseDropPlaceFor(const wxTreeItemId& hDragItem, const wxTreeItemId& hTarget) const;
    // Hides the picture, releases the mouse, removes the highlight and
    // stops the hover timer.
    void EndDragState();
    // Makes the picture of item: its image and its label (MakeDragPicture).
    bool CreateDragImage(const wxTreeItemId& item);
    void MoveDragImage(const wxPoint& ptScreen);

    struct CPopupDeleter
    {
        void operator()(wxPopupWindow* pWindow) const;
    };
    std::unique_ptr<wxPopupWindow, CPopupDeleter> m_pDragImage;
    // The point of the picture the pointer holds.
    wxPoint m_ptHotSpot;
    // Where the left button went down, while it is down: the item pressed
    // there is the one a drag takes.
    std::optional<wxPoint> m_ptPress;
    wxTreeItemId m_hDragItem;
    wxTreeItemId m_hDropTarget;
    wxTreeItemId m_hDropHighlight;
    CHoverRule m_hoverRule;
    bool m_bDragging = false;
    wxTimer m_hoverTimer;
};
