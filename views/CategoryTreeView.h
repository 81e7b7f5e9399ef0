#pragma once

#include "TreeViewEx.h"

#include <wx/dnd.h>

#include <functional>
#include <memory>
#include <vector>

class CCategory;
class CRidaxoDoc;

// The category tree: one folder an item, the root category the only
// top-level item, each item carrying the category it shows. It is where the
// user arranges the categories: selecting a folder lists its AAs; the popup
// adds and deletes folders; a label edited in place renames its folder;
// dragging a folder onto another moves it there, last, with everything
// under it; AAs dragged from the list are dropped onto a folder (moved, or
// copied with Ctrl). The model changes together with the tree.
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
    // selected AAs to the folder under point and returns false when it
    // appends nothing.
    wxDragResult OnAADragOver(const wxPoint& point, bool bCopy);
    void OnAADragLeave();
    bool OnAADrop(const wxPoint& point);

    // Deleting an item destroys its category with the branch below; the
    // root category loses only its children.
    void DeleteItem(const wxTreeItemId& item) override;
    // Every folder may be copied; an item without a category, which the
    // tree never holds, would refuse, so a move stays whole or does nothing.
    bool CanCopyItem(const wxTreeItemId& item, const wxTreeItemId& hNewParent,
                     const wxTreeItemId& hInsertAfter) override;
    bool OnItemCopied(const wxTreeItemId& hNewItem, const wxTreeItemId& hOldItem, const wxTreeItemId& hNewParent,
                      const wxTreeItemId& hInsertAfter) override;

private:
    void OnSelChanged(wxTreeEvent& event);
    void OnEndLabelEdit(wxTreeEvent& event);
    void OnDeleteItemEvent(wxTreeEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    // Opens the popup at point, in client coordinates.
    // The item showing pCategory, or an invalid item.
    wxTreeItemId FindCategoryItem(const CCategory* pCategory) const;
    void MarkChanged();
    // Runs fnDelete, which deletes items, and then destroys the categories
    // of every item it deleted.
    void DeleteItemsAndCategories(const std::function<void()>& fnDelete);

    // The categories of the items deleted by the DeleteItem under way;
    // null outside one, when deleted items leave their categories alone.
    std::vector<CCategory*>* m_pDeleted = nullptr;
};
