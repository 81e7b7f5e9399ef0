#pragma once

#include "ListCtrlEx.h"
#include "Prompt.h"

#include <functional>
#include <optional>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dnd.h>

class CCategory;

// The list of the AAs of one category, one row an entry of its AA list,
// showing each AA's name. Rows hold only their AA index; names are read from
// the store while rows are painted, so a category of a million AAs lists at
// once. Selecting rows shows the first selected AA in the text pane; the
// popup deletes AAs from the category, and dragging rows offers them to the
// category tree under "RIDAXO_AA_DATA". From the keyboard, Delete deletes
// the selected AAs and the Menu key or Shift+F10 opens the popup at them.
class CAAListView : public CListViewEx
{
public:
    explicit CAAListView(wxWindow* pParent);

    // Lists pCategory's AAs, ordered by the current sort key; no row is
    // selected afterwards. A null category lists nothing.
    void Fill(CCategory* pCategory);
    // Deletes every row and forgets the listed category, which may be about
    // to be destroyed.
    void Clear();
    // Removes the AAs of the selected rows from the listed category (one
    // entry each), as one step of the undo history, and deletes those rows.
    // Asks nothing.
    void DeleteSelected();
    // Selects the rows of aas, and only those: for an AA given n times, its
    // first n rows.
    void SelectAAs(const std::vector<int>& aas);

    // The edit commands' cut and copy: the selected AAs are marked to be
    // moved or copied by the next paste into a folder, and their bodies go
    // on the system clipboard as text, an empty line between two AAs.
    bool CanMarkSelected() const;
    void MarkSelected(bool bCut);
    // The popup's copy: the selected AAs' bodies go on the clipboard as
    // text, as MarkSelected puts them, and nothing is marked.
    void CopySelectedText();

    // Lists the AAs a search found, aas ascending by AA index, ordered by
    // the current sort key. The list then shows no folder: its rows cannot
    // be deleted, and dragged onto a folder they are copied there.
    void ShowResults(const std::vector<int>& aas);
    bool IsShowingResults() const { return m_bResults; }

    // Orders two AA indices for the sort key nSortParam: a 1-based column,
    // negative for descending. Only column 1 orders anything: by AA index,
    // that is by place in the AA text file, never by name.
    static int CompareAAs(std::intptr_t nIndex1, std::intptr_t nIndex2, std::intptr_t nSortParam);

    CCategory* GetCategory() const { return m_pCategory; }
    int GetSortParam() const { return m_nSortParam; }
    int GetRowCount() const { return GetItemCount(); }
    // The AA index shown in row nRow, or −1 when there is no such row.
    int GetRowAA(int nRow) const;
    // The first selected row, or −1.
    int GetFirstSelectedRow() const;
    // The AA indices of the selected rows, top to bottom.
    std::vector<int> GetSelectedAAs() const;

    // What a click on column nColumn's header does: the same column again
    // reverses the order, another sorts ascending by it.
    void SortByColumn(int nColumn);

    // The drag's data: nIndex in decimal, zero-filled to 4096 bytes.
    static std::vector<char> MakeDragData(int nIndex);
    static const char* DragFormatName() { return "RIDAXO_AA_DATA"; }
    // Starts the drag of the selected rows, as a press and move on them
    // does; with a move result the rows leave the category.
    void DragSelected();
    // True while a drag of rows started here runs: drops of AAs are taken
    // only from this window's own list.
    bool IsDraggingRows() const { return m_bDragging; }
    // A folder of this window took the dragged rows' AAs out of the listed
    // folder: when the drag ends, only the rows are left to delete.
    void SetDraggedRowsMoved() { m_bRowsMoved = true; }

protected:
    wxString OnGetItemText(int nItem, int nColumn) const override;
    // Matches the names as they are stored, in code page 932, by the search
    // rule (ASCII letters in any case): converting each name to compare it
    // cost a miss on a folder of a million AAs a quarter of a second.
    int FindRowStartingWith(const wxString& strPrefix, int nFirst) const override;
    void OnItemChanged(int nItem) override;
    void OnColumnClick(int nColumn) override;
    void OnBeginDrag(const wxPoint& point) override;
    void OnRightDown(wxMouseEvent& event) override;
    void OnKeyDown(wxKeyEvent& event) override;
    void OnItemActivated(int nItem) override;

private:
    void ScheduleShowSelectedAA();
    // Replaces the rows by aas, ordered by the current sort key.
    void FillRows(std::vector<int> aas);
    // The bodies of aas as one text, an empty line between two, converted
    // as the text pane converts them; std::nullopt, the failure reported,
    // when they cannot be read.
    std::optional<wxString> ReadBodiesText(const std::vector<int>& aas);
    // Puts the bodies of aas on the system clipboard; a failure to read
    // them is reported and leaves the clipboard as it was.
    void CopyTextToClipboard(const std::vector<int>& aas);
    // The picture that follows the pointer, below and right of it, while
    // the selected rows are dragged: the first one's name and, for several,
    // how many more, drawn as the tree draws a dragged folder.
    wxBitmap MakeRowsPicture() const;

    CCategory* m_pCategory = nullptr;
    int m_nSortParam = 1;
    bool m_bShowPending = false;
    bool m_bDragging = false;
    bool m_bRowsMoved = false;
    bool m_bResults = false;
};

// While one lives, the AA list's drags are handed to a function instead of
// the platform, which a test cannot drive with a real mouse.
using DragHandler = std::function<wxDragResult(wxDataObject& data)>;
class CDragOverride : public CScopedOverride<DragHandler>
{
public:
    explicit CDragOverride(DragHandler fnHandler);
};
