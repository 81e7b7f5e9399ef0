#pragma once

#include "TreeViewEx.h"

#include <wx/dnd.h>

#include <vector>

class CCategory;
class CRidaxoDoc;

// The category tree: one folder an item, the root category the only
// top-level item, each item carrying the category it shows. It is where the
// user arranges the categories: selecting a folder lists its AAs; the popup
// adds and deletes folders; a label edited in place renames its folder;
// dragging a folder onto another moves it there, last, with everything
// under it; AAs dragged from the list are dropped onto a folder (moved, or
// copied with Ctrl). Each change to the arrangement is one step of the
// document's undo history (CArrangementCommand): the model changes, and the
// tree follows it.
//
// From the keyboard: Enter opens or closes the selected folder, Delete
// deletes it, and the Menu key or Shift+F10 opens the popup at it. The edit
// commands mark the selected folder to be moved (cut) or copied, and paste
// what was marked here or in the list into the selected folder.
class CCategoryTreeView : public CTreeViewEx
{
public:
    explicit CCategoryTreeView(wxWindow* pParent);
    ~CCategoryTreeView() override;

    // Deletes every item and inserts the document's category tree anew, all
    // collapsed and nothing selected. Categories are not touched.
    void RebuildTree();

    // The category an item shows, or null.
    CCategory* GetItemCategory(const wxTreeItemId& item) const;
    // The item showing pCategory, or an invalid item.
    wxTreeItemId FindCategoryItem(const CCategory* pCategory) const;

    // The model changed under parent: its items show its sub-folders as
    // they are now, in order, each with its branch. Items of sub-folders
    // that stayed where they were are kept as they are, open or closed;
    // one that moved among its siblings or came in is inserted anew,
    // closed. Nothing happens when parent has no item. Categories are not
    // touched.
    void ShowChildrenOf(const CCategory& parent);
    // The item of category shows its name as it is now.
    void ShowName(const CCategory& category);
    // Selects the item of pCategory, opening the folders above it, without
    // listing it; with none, nothing is selected.
    void SelectCategory(const CCategory* pCategory);

    // The popup's commands. AddFolder appends "(新規)" to the selected
    // folder, selects it and opens its label for editing; DeleteFolder
    // deletes the selected folder with its branch, without a question (the
    // top folder loses only its sub-folders, and stays selected and
    // listed). Without a selected folder neither does anything.
    void AddFolder();
    void DeleteFolder();

    // What a right click does before its popup opens: the item under point
    // becomes the selected one; on empty space nothing stays selected.
    void SelectAt(const wxPoint& point);

    // The edit commands. Any folder but the top one, which can go nowhere
    // else, can be marked. Paste puts what was marked into the selected
    // folder: marked AAs are appended, a marked folder becomes its last
    // sub-folder with its branch; a cut is moved, a copy copied. A folder
    // is refused, with a message, into itself or below itself.
    bool CanMarkSelected() const;
    void MarkSelected(bool bCut);
    // True when Paste has something to do, or to refuse.
    bool CanPaste() const;
    void Paste();

    // The drop of AAs dragged from the list, as the drop target sees it:
    // the folder under point is highlighted and the result says whether a
    // drop would copy (bCopy: Ctrl held) or move; wxDragNone for a drag
    // that did not start in this window's list. OnAADrop appends the list's
    // selected AAs to the folder under point, as one step that also takes
    // them out of the listed folder when the last OnAADragOver said move,
    // and returns false when it appends nothing. GetAADropResult is what
    // the last drop did: move, copy or nothing.
    wxDragResult OnAADragOver(const wxPoint& point, bool bCopy);
    void OnAADragLeave();
    bool OnAADrop(const wxPoint& point);
    wxDragResult GetAADropResult() const { return m_nDropResult; }

    // What the tree's own operations on items do to the folders, each one
    // step of the history. Deleting an item deletes its folder with the
    // branch below (the top folder loses only its sub-folders); a subtree
    // copied or moved is the folder's branch copied or moved, the same
    // folder going where a move takes it. They return the new item, or an
    // invalid one when nothing changed.
    void DeleteItem(const wxTreeItemId& item) override;
    wxTreeItemId CopySubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                             const wxTreeItemId& hInsertAfter) override;
    wxTreeItemId MoveSubtree(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                             const wxTreeItemId& hInsertAfter) override;

private:
    void OnSelChanged(wxTreeEvent& event);
    void OnEndLabelEdit(wxTreeEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    // Where a folder put under hNewParent after hInsertAfter (invalid:
    // last) stands among the new parent's other children; −1 for last.
    int GetInsertPos(const wxTreeItemId& item, const wxTreeItemId& hNewParent, const wxTreeItemId& hInsertAfter) const;

    // Set while SelectCategory selects: the selection is not listed then.
    bool m_bQuietSelect = false;
    // What the last drag of AAs over the tree would do if dropped.
    wxDragResult m_nDropResult = wxDragNone;
};
