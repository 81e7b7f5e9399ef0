#include "TreeViewEx.h"

#include "ListCtrlEx.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/imaglist.h>
#include <wx/popupwin.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace
{

// The dragged item's picture, following the pointer in a window of its own:
// drawing over other windows is not possible on every platform.
class CDragImageWindow : public wxPopupWindow
{
public:
    CDragImageWindow(wxWindow* pParent, const wxBitmap& bitmap)
        : wxPopupWindow(pParent, wxBORDER_NONE), m_bitmap(bitmap)
    {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        SetClientSize(bitmap.GetSize());
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.DrawBitmap(m_bitmap, 0, 0);
        });
    }

private:
    wxBitmap m_bitmap;
};

} // namespace

void CTreeViewEx::CPopupDeleter::operator()(wxPopupWindow* pWindow) const
{
    pWindow->Hide();
    pWindow->Destroy();
}

CTreeViewEx::CTreeViewEx(wxWindow* pParent, long nStyle)
    : CTreeCtrlEx(pParent, wxID_ANY, nStyle), m_hoverTimer(this, HOVER_TIMER_ID)
{
    Bind(wxEVT_TREE_END_LABEL_EDIT, &CTreeViewEx::OnEndLabelEdit, this);
    Bind(wxEVT_TREE_DELETE_ITEM, [this](wxTreeEvent& event) {
        // The drag's items may go while it runs, when another part of the
        // program changes the tree; nothing may refer to them afterwards.
        const wxTreeItemId item = event.GetItem();
        if (item == m_hDropHighlight)
            m_hDropHighlight = wxTreeItemId();
        if (item == m_hDropTarget)
            m_hDropTarget = wxTreeItemId();
        if (item == m_hDragItem) {
            CancelItemDrag();
            m_hDragItem = wxTreeItemId();
        }
        event.Skip();
    });
    Bind(wxEVT_LEFT_DOWN, &CTreeViewEx::OnLeftDown, this);
    Bind(wxEVT_MOTION, &CTreeViewEx::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &CTreeViewEx::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CTreeViewEx::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CTreeViewEx::OnKeyDown, this);
    Bind(wxEVT_TIMER, &CTreeViewEx::OnHoverTimer, this, HOVER_TIMER_ID);
}

CTreeViewEx::~CTreeViewEx()
{
    CancelItemDrag();
    // Deleting the items reports each of them; this object must still be
    // whole when it hears of them.
    DeleteAllItems();
}

void* CTreeViewEx::GetItemParam(const wxTreeItemId& item) const
{
    if (!item.IsOk())
        return nullptr;
    const auto* pData = dynamic_cast<const CTreeItemParam*>(GetItemData(item));
    return pData ? pData->m_pParam : nullptr;
}

void CTreeViewEx::SetItemParam(const wxTreeItemId& item, void* pParam)
{
    if (auto* pData = dynamic_cast<CTreeItemParam*>(GetItemData(item)))
        pData->m_pParam = pParam;
    else
        SetItemData(item, new CTreeItemParam(pParam));
}

bool CTreeViewEx::CanCopyItem(const wxTreeItemId& /*item*/, const wxTreeItemId& /*hNewParent*/,
                              const wxTreeItemId& /*hInsertAfter*/)
{
    return true;
}

bool CTreeViewEx::OnItemCopied(const wxTreeItemId& /*hNewItem*/, const wxTreeItemId& /*hOldItem*/,
                               const wxTreeItemId& /*hNewParent*/, const wxTreeItemId& /*hInsertAfter*/)
{
    return true;
}

void CTreeViewEx::SelectItem(const wxTreeItemId& item, bool bSelect)
{
    CTreeCtrlEx::SelectItem(item, bSelect);
}

void CTreeViewEx::DeleteItem(const wxTreeItemId& item)
{
    Delete(item);
}

wxTreeItemId CTreeViewEx::CopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                   const wxTreeItemId& hInsertAfter)
{
    if (!CanCopyItem(item, hNewParent, hInsertAfter))
        return {};
    const wxString strText = GetItemText(item);
    const int nImage = GetItemImage(item, wxTreeItemIcon_Normal);
    const int nSelectedImage = GetItemImage(item, wxTreeItemIcon_Selected);
    // The copy starts with the old item's value; a derived class that keeps
    // its own object per item replaces it in OnItemCopied.
    auto* pData = new CTreeItemParam(GetItemParam(item));
    const wxTreeItemId hNewItem = hInsertAfter.IsOk()
                                      ? InsertItem(hNewParent, hInsertAfter, strText, nImage, nSelectedImage, pData)
                                      : AppendItem(hNewParent, strText, nImage, nSelectedImage, pData);
    const int nState = GetItemState(item);
    if (nState != wxTREE_ITEMSTATE_NONE)
        SetItemState(hNewItem, nState);
    OnItemCopied(hNewItem, item, hNewParent, hInsertAfter);
    return hNewItem;
}

wxTreeItemId CTreeViewEx::CopySubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                      const wxTreeItemId& hInsertAfter)
{
    const wxTreeItemId hNewItem = CopyItem(item, hNewParent, hInsertAfter);
    if (!hNewItem.IsOk())
        return {};
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk(); child = GetNextChild(item, cookie)) {
        if (!CopySubtree(child, hNewItem, wxTreeItemId()).IsOk()) {
            // Half a copy would leave the branch in two places, neither of
            // them whole: take it back, and the original stays as it was.
            DeleteItem(hNewItem);
            return {};
        }
    }
    return hNewItem;
}

wxTreeItemId CTreeViewEx::MoveSubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                                      const wxTreeItemId& hInsertAfter)
{
    const wxTreeItemId hNewItem = CopySubtree(item, hNewParent, hInsertAfter);
    if (hNewItem.IsOk())
        DeleteItem(item);
    return hNewItem;
}

wxTextCtrl* CTreeViewEx::EditLabel(const wxTreeItemId& item, wxClassInfo* pTextCtrlClass)
{
    wxTextCtrl* pEdit = CTreeCtrlEx::EditLabel(item, pTextCtrlClass);
    // A longer label, from an index file, is not cut short by merely
    // opening the editor on it.
    if (pEdit)
        pEdit->SetMaxLength(std::max<unsigned long>(kLabelLimit, pEdit->GetValue().length()));
    return pEdit;
}

void CTreeViewEx::OnEndLabelEdit(wxTreeEvent& event)
{
    // A derived class that names its items takes the new label; here it is
    // refused.
    event.Veto();
}

void CTreeViewEx::OnLeftDown(wxMouseEvent& event)
{
    m_ptPress = event.GetPosition();
    event.Skip();
}

bool CTreeViewEx::BeginItemDrag(const wxPoint& point)
{
    if (m_bDragging)
        return false;
    int nFlags = 0;
    const wxTreeItemId item = HitTest(point, nFlags);
    if (!item.IsOk() || !CreateDragImage(item))
        return false;
    m_hDragItem = item;
    m_hDropTarget = wxTreeItemId();
    m_hoverRule.Reset();
    m_bDragging = true;
    MoveDragImage(ClientToScreen(point));
    m_pDragImage->Show();
    CaptureMouse();
    return true;
}

wxBitmap MakeDragPicture(const wxWindow& window, const wxString& strName, const wxString& strSuffix,
                         const wxBitmap& image)
{
    wxMemoryDC dc;
    dc.SetFont(window.GetFont());
    // However long the name, the picture stays a picture, not a banner
    // across the screen.
    const wxString strText =
        wxControl::Ellipsize(strName, dc, wxELLIPSIZE_END, window.FromDIP(kDragPictureNameWidth)) + strSuffix;
    const wxSize imageSize = image.IsOk() ? image.GetSize() : wxSize(0, 0);
    const wxSize textSize = dc.GetTextExtent(strText.empty() ? wxString(" ") : strText);
    const int nGap = imageSize.x > 0 ? 4 : 0;
    const wxSize size(2 + imageSize.x + nGap + textSize.x + 4, std::max(imageSize.y, textSize.y) + 4);
    wxBitmap bitmap(size);
    if (!bitmap.IsOk())
        return bitmap;
    dc.SelectObject(bitmap);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.Clear();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(wxPoint(0, 0), size);
    if (imageSize.x > 0)
        dc.DrawBitmap(image, 2, (size.y - imageSize.y) / 2, true);
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    dc.DrawText(strText, 2 + imageSize.x + nGap, (size.y - textSize.y) / 2);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

bool CTreeViewEx::CreateDragImage(const wxTreeItemId& item)
{
    wxImageList* pImages = GetImageList();
    const int nImage = GetItemImage(item, wxTreeItemIcon_Normal);
    const wxBitmap bitmap = MakeDragPicture(*this, GetItemText(item), wxString(),
                                            pImages && nImage >= 0 ? pImages->GetBitmap(nImage) : wxNullBitmap);
    if (!bitmap.IsOk())
        return false;
    // The picture is a window of its own and hides what lies under it, so
    // it hangs below and right of the pointer: held by its middle, it would
    // cover the very folder that shows where the drop goes.
    m_ptHotSpot = wxPoint(-kDragImageOffset, -kDragImageOffset);
    m_pDragImage.reset(new CDragImageWindow(this, bitmap));
    return true;
}

void CTreeViewEx::MoveDragImage(const wxPoint& ptScreen)
{
    if (m_pDragImage)
        m_pDragImage->Move(ptScreen - m_ptHotSpot);
}

void CTreeViewEx::DragItemTo(const wxPoint& point)
{
    if (!m_bDragging)
        return;
    MoveDragImage(ClientToScreen(point));
    int nFlags = 0;
    const wxTreeItemId item = HitTest(point, nFlags);
    // Off the items the last target stays: a release outside the tree drops
    // onto the item the pointer passed last.
    if (!item.IsOk())
        return;
    const CHoverRule::EAction nAction =
        m_hoverRule.OnMoveOverItem(item.GetID(), m_hDropTarget.GetID(), m_hoverTimer.IsRunning());
    // Only a place the item may go is highlighted: the dragged item itself,
    // its own sub-items and, keeping depth, items of other depths are not.
    SetDropHighlight(ChooseDropPlaceFor(m_hDragItem, item) != EDropPlace::Refused ? item : wxTreeItemId());
    m_hDropTarget = item;
    if (nAction != CHoverRule::EAction::None)
        m_hoverTimer.Start(kHoverPeriodMs); // a running timer starts its period anew
}

void CTreeViewEx::SetDropHighlight(const wxTreeItemId& item)
{
    if (item == m_hDropHighlight)
        return;
    if (m_hDropHighlight.IsOk())
        SetItemDropHighlight(m_hDropHighlight, false);
    m_hDropHighlight = item;
    if (item.IsOk())
        SetItemDropHighlight(item, true);
}

void CTreeViewEx::OnHoverTimer(wxTimerEvent& /*event*/)
{
    // A folder the item may not go into is not opened for it either.
    const wxTreeItemId item = m_hDropHighlight;
    if (item.IsOk() && item == m_hDropTarget && ItemHasChildren(item))
        Expand(item);
}

void CTreeViewEx::EndDragState()
{
    m_bDragging = false;
    m_pDragImage.reset();
    if (HasCapture())
        ReleaseMouse();
    SetDropHighlight(wxTreeItemId());
    m_hoverRule.Reset();
    m_hoverTimer.Stop();
}

void CTreeViewEx::CancelItemDrag()
{
    if (!m_bDragging)
        return;
    EndDragState();
    m_hDropTarget = wxTreeItemId();
}

void CTreeViewEx::DropItem()
{
    if (!m_bDragging)
        return;
    EndDragState();
    const wxTreeItemId hDragItem = m_hDragItem;
    const wxTreeItemId hTarget = m_hDropTarget;
    m_hDragItem = wxTreeItemId();
    m_hDropTarget = wxTreeItemId();
    const EDropPlace nPlace = ChooseDropPlaceFor(hDragItem, hTarget);
    wxTreeItemId hNewParent;
    wxTreeItemId hInsertAfter;
    switch (nPlace) {
    case EDropPlace::Refused:
        return;
    case EDropPlace::LastChildOfTarget:
        hNewParent = hTarget;
        break;
    case EDropPlace::AfterTarget:
        // This tree has one top-level item, so a target of depth 0 is the
        // dragged item itself, refused above; every other has a parent.
        hNewParent = GetItemParent(hTarget);
        hInsertAfter = hTarget;
        if (!hNewParent.IsOk())
            return;
        break;
    }
    Expand(hNewParent);
    const wxTreeItemId hNewItem = MoveSubtree(hDragItem, hNewParent, hInsertAfter);
    if (!hNewItem.IsOk())
        return;
    // A target that had no children could not open before the move.
    Expand(hNewParent);
    SelectItem(hNewItem);
}

EDropPlace CTreeViewEx::ChooseDropPlaceFor(const wxTreeItemId& hDragItem, const wxTreeItemId& hTarget) const
{
    const bool bHasTarget = hTarget.IsOk() && hDragItem.IsOk();
    return ChooseDropPlace(bHasTarget, bHasTarget && IsItemInSubtree(hTarget, hDragItem), m_bKeepDepth,
                           bHasTarget ? GetItemDepth(hDragItem) : 0, bHasTarget ? GetItemDepth(hTarget) : 0);
}

void CTreeViewEx::OnMotion(wxMouseEvent& event)
{
    if (!m_bDragging && m_ptPress && event.LeftIsDown()) {
        // The drag starts at the first move far enough from the press:
        // while the program is busy GTK merges the moves of a quick flick
        // into one or two, so a later move might never come.
        if (IsDragMove(*this, event.GetPosition() - *m_ptPress)) {
            const wxPoint ptPress = *m_ptPress;
            m_ptPress.reset();
            if (BeginItemDrag(ptPress)) {
                MoveDragImage(ClientToScreen(event.GetPosition()));
                return;
            }
        }
    }
    if (m_bDragging)
        DragItemTo(event.GetPosition());
    event.Skip();
}

void CTreeViewEx::OnLeftUp(wxMouseEvent& event)
{
    m_ptPress.reset();
    // The tree's own handling of a release may start a label edit on the
    // item it is over; after a drag that would be a surprise.
    if (!m_bDragging) {
        event.Skip();
        return;
    }
    // Where the button goes up is the drag's last step: a flick may have
    // had no move between its start and the release.
    DragItemTo(event.GetPosition());
    DropItem();
}

void CTreeViewEx::OnCaptureLost(wxMouseCaptureLostEvent& /*event*/)
{
    // Another window took the mouse: the drag ends with nothing dropped.
    CancelItemDrag();
}

void CTreeViewEx::OnKeyDown(wxKeyEvent& event)
{
    if (m_bDragging && event.GetKeyCode() == WXK_ESCAPE) {
        CancelItemDrag();
        return;
    }
    if (event.GetKeyCode() == WXK_F2 && !event.HasAnyModifiers() && !GetEditControl()) {
        const wxTreeItemId item = GetSelection();
        if (item.IsOk()) {
            EditLabel(item);
            return;
        }
    }
    if (!event.HasAnyModifiers() && SelectByKey(event.GetKeyCode()))
        return;
    event.Skip();
}

bool CTreeViewEx::SelectByKey(int nKeyCode)
{
    const wxTreeItemId current = GetFocusedItem();
    // The tree moves only from a current item, so without one the keyboard
    // could never select anything: the first key picks one. From a current
    // item the tree's own keys move.
    if (current.IsOk())
        return false;
    wxTreeItemId target;
    switch (nKeyCode) {
    case WXK_END:
    case WXK_NUMPAD_END:
        target = GetShownItem(-1);
        break;
    case WXK_UP:
    case WXK_DOWN:
    case WXK_LEFT:
    case WXK_RIGHT:
    case WXK_HOME:
    case WXK_PAGEUP:
    case WXK_PAGEDOWN:
    case WXK_SPACE:
    case WXK_RETURN:
    case WXK_NUMPAD_UP:
    case WXK_NUMPAD_DOWN:
    case WXK_NUMPAD_LEFT:
    case WXK_NUMPAD_RIGHT:
    case WXK_NUMPAD_HOME:
    case WXK_NUMPAD_PAGEUP:
    case WXK_NUMPAD_PAGEDOWN:
    case WXK_NUMPAD_SPACE:
    case WXK_NUMPAD_ENTER:
        target = GetShownItem(0);
        break;
    default:
        return false;
    }
    if (target.IsOk()) {
        SelectItem(target);
        EnsureVisible(target);
    }
    return true;
}
