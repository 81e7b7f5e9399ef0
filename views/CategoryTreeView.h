#pragma once

#include <wx/treectrl.h>

class CCategory;

// What a tree item carries: the category it shows, owned by the document's
// category model.
class CCategoryItemData : public wxTreeItemData
{
public:
    explicit CCategoryItemData(CCategory* pCategory) : m_pCategory(pCategory) {}
    CCategory* m_pCategory;
};

// The category tree: one folder an item, the root category the only
// top-level item. Selecting a folder lists its AAs; a folder's label is
// edited in place to rename it.
class CCategoryTreeView : public wxTreeCtrl
{
public:
    explicit CCategoryTreeView(wxWindow* pParent);

    // Deletes every item and inserts the document's category tree anew, all
    // collapsed and nothing selected.
    void RebuildTree();

    // The category an item shows, or null.
    CCategory* GetItemCategory(const wxTreeItemId& item) const;

    void OnInternalIdle() override;

private:
    void OnSelChanging(wxTreeEvent& event);
    void OnSelChanged(wxTreeEvent& event);
    void OnEndLabelEdit(wxTreeEvent& event);

    bool m_bInIdle = false;
};
