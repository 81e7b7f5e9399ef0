#pragma once

// The extended list's records and decisions, free of any window system: the
// item and column records beside the rows, the sort key with its header
// marks and shaded column, the rectangles of a row's parts, the hit test and
// the plan of how a row is painted. The windows (ListCtrlEx.h) only carry
// these decisions out, so a test can check every one of them directly.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Item attribute masks.
enum : unsigned
{
    LXIF_TEXT = 0x0001,
    LXIF_IMAGE = 0x0002,
    LXIF_PARAM = 0x0004,
    LXIF_STATE = 0x0008,
    LXIF_INDENT = 0x0010,
};

// Item states. The state image (1 unchecked, 2 checked for check boxes) is
// kept in bits 12 to 15.
enum : unsigned
{
    LXIS_FOCUSED = 0x0001,
    LXIS_SELECTED = 0x0002,
    LXIS_STATEIMAGEMASK = 0xF000,
};
constexpr unsigned ListExStateImage(unsigned nImage)
{
    return nImage << 12;
}

// Window styles of the list, fixed when it is made.
enum : unsigned
{
    LXS_SINGLESEL = 0x0004,
    LXS_SHOWSELALWAYS = 0x0008,
    LXS_SORTASCENDING = 0x0010,
    LXS_SORTDESCENDING = 0x0020,
    LXS_OWNERDRAWFIXED = 0x0400,
};

// Extended styles, changed at any time through SetExtendedStyle.
enum : unsigned
{
    LXS_EX_CHECKBOXES = 0x0004,
    LXS_EX_FULLROWSELECT = 0x0020,
    LXS_EX_ONECLICKACTIVATE = 0x0040,
    LXS_EX_TWOCLICKACTIVATE = 0x0080,
    LXS_EX_UNDERLINEHOT = 0x0800,
    LXS_EX_HOTBITS = LXS_EX_ONECLICKACTIVATE | LXS_EX_TWOCLICKACTIVATE | LXS_EX_UNDERLINEHOT,
};

// Column formats (the low two bits are the alignment) and column masks.
enum : int
{
    LXCFMT_LEFT = 0,
    LXCFMT_RIGHT = 1,
    LXCFMT_CENTER = 2,
    LXCFMT_JUSTIFYMASK = 3,
};
enum : unsigned
{
    LXCF_FMT = 0x0001,
    LXCF_WIDTH = 0x0002,
    LXCF_TEXT = 0x0004,
    LXCF_SUBITEM = 0x0008,
    LXCF_IMAGE = 0x0010,
    LXCF_ORDER = 0x0020,
};

// Hit-test results.
enum : unsigned
{
    LXHT_NOWHERE = 0x0001,
    LXHT_ONITEMICON = 0x0002,
    LXHT_ONITEMLABEL = 0x0004,
    LXHT_ONITEMSTATEICON = 0x0008,
    LXHT_ONITEM = LXHT_ONITEMICON | LXHT_ONITEMLABEL | LXHT_ONITEMSTATEICON,
};

// FindItem flags and GetNextItem relations.
enum : unsigned
{
    LXFI_PARAM = 0x0001,
    LXFI_STRING = 0x0002,
    LXFI_PARTIAL = 0x0008,
    LXFI_WRAP = 0x0020,
};
enum : unsigned
{
    LXNI_ALL = 0x0000,
    LXNI_FOCUSED = 0x0001,
    LXNI_SELECTED = 0x0002,
};

// Parts of an item for GetItemRect.
enum : int
{
    LXIR_BOUNDS = 0,
    LXIR_ICON = 1,
    LXIR_LABEL = 2,
};

// A colour as 0x00BBGGRR.
using ListExColour = std::uint32_t;
constexpr ListExColour ListExRgb(unsigned r, unsigned g, unsigned b)
{
    return r | (g << 8) | (b << 16);
}
constexpr unsigned ListExRed(ListExColour cr)
{
    return cr & 0xFF;
}
constexpr unsigned ListExGreen(ListExColour cr)
{
    return (cr >> 8) & 0xFF;
}
constexpr unsigned ListExBlue(ListExColour cr)
{
    return (cr >> 16) & 0xFF;
}

// A rectangle whose right and bottom edges are exclusive.
struct CListExRect
{
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;

    int Width() const { return m_nRight - m_nLeft; }
    int Height() const { return m_nBottom - m_nTop; }
    bool IsEmpty() const { return m_nRight <= m_nLeft || m_nBottom <= m_nTop; }
    bool Contains(int x, int y) const { return x >= m_nLeft && x < m_nRight && y >= m_nTop && y < m_nBottom; }
    bool operator==(const CListExRect&) const = default;
};

// The caller's compare function for SortItems: the two items' values and
// the caller's sort parameter.
using PFNLXCOMPARE = int (*)(std::intptr_t lParam1, std::intptr_t lParam2, std::intptr_t lParamSort);

// What the caller gives for, or asks of, one cell.
struct CListExItemInfo
{
    unsigned m_nMask = 0;
    int m_nItem = 0;
    int m_nSubItem = 0;
    unsigned m_nState = 0;
    unsigned m_nStateMask = 0;
    std::string m_strText;
    // The text is asked of the owner whenever it is shown.
    bool m_bTextCallback = false;
    int m_nImage = 0;
    std::intptr_t m_nParam = 0;
    int m_nIndent = 0;
};

// The record of one cell that was given attributes.
struct ListExCell
{
    enum class EText
    {
        None,
        Owned,
        Callback,
    };
    unsigned m_nMask = 0;
    int m_nItem = 0;
    int m_nSubItem = 0;
    unsigned m_nState = 0;
    EText m_nText = EText::None;
    std::string m_strText;
    int m_nImage = 0;
    int m_nIndent = 0;
};

// The record beside one row: the caller's value and the cells' records, one
// slot a column (a slot may be empty).
struct ListExItem
{
    std::intptr_t lParam = 0;
    std::vector<std::unique_ptr<ListExCell>> m_cells;
};

struct CListExColumnInfo
{
    unsigned m_nMask = 0;
    int m_nFormat = LXCFMT_LEFT;
    int m_nWidth = 0;
    std::string m_strText;
    int m_nSubItem = 0;
    int m_nImage = -1;
    int m_nOrder = 0;
};

// The record of one column: where it is displayed, and what it was given.
struct ListExColumn
{
    int m_nOrder = 0;
    CListExColumnInfo m_info;
};

struct CListExFindInfo
{
    unsigned m_nFlags = 0;
    std::string m_strText;
    std::intptr_t m_nParam = 0;
};

// The system colours a row is painted with.
struct CListExSysColours
{
    ListExColour m_crWindow = ListExRgb(255, 255, 255);
    ListExColour m_crWindowText = ListExRgb(0, 0, 0);
    ListExColour m_crHighlight = ListExRgb(0, 120, 215);
    ListExColour m_crHighlightText = ListExRgb(255, 255, 255);
    ListExColour m_crBtnFace = ListExRgb(240, 240, 240);
    ListExColour m_crHotLight = ListExRgb(0, 102, 204);
    ListExColour m_crGrayText = ListExRgb(109, 109, 109);
};

// Sizes the window measures and the core lays rows out with.
struct CListExMetrics
{
    int m_nRowHeight = 18;
    // Scroll position in pixels: the client area shows the rows from
    // m_nScrollY down and the columns from m_nScrollX on.
    int m_nScrollX = 0;
    int m_nScrollY = 0;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    // Sizes of the small images and of the state images (0 when the list has
    // no such images).
    int m_nSmallIconWidth = 0;
    int m_nSmallIconHeight = 0;
    int m_nStateIconWidth = 0;
    int m_nStateIconHeight = 0;
};

// How the header shows a column's sort state.
enum class EListExMark
{
    None,
    // The header's own sort arrows (current toolkits).
    ArrowUp,
    ArrowDown,
    // The list's own 9 by 5 mark images, right of the title (classic look).
    ImageUp,
    ImageDown,
};

// The margin a header keeps either side of a title, and the size of the
// list's own mark images.
enum : int
{
    LXHD_TITLEMARGIN = 5,
    LXSM_CX = 9,
    LXSM_CY = 5,
};

// Where a header item shows its title and the list's own sort mark, in the
// header's client coordinates.
struct CListExHeaderLayout
{
    CListExRect m_rcTitle;
    // Empty when the item shows none of the list's own marks.
    CListExRect m_rcMark;
};

// What changing the sort key needs repainted.
enum class EListExRepaint
{
    None,
    Header,
    HeaderAndList,
};

// One filled rectangle of a painted row or of the erased background.
struct CListExFill
{
    CListExRect m_rc;
    ListExColour m_cr = 0;
    bool operator==(const CListExFill&) const = default;
};

// How one cell of a row is painted after the fills.
struct CListExCellPaint
{
    int m_nColumn = 0;
    int m_nFormat = LXCFMT_LEFT;
    CListExRect m_rcText;
    ListExColour m_crText = 0;
    ListExColour m_crTextBk = 0;
    // Column 0 only: the state image and the small image, where they go
    // (images numbered from 0; -1 for none).
    int m_nStateImage = -1;
    CListExRect m_rcState;
    int m_nImage = -1;
    CListExRect m_rcIcon;
    // Images are drawn in their selected look.
    bool m_bSelectedLook = false;
    bool m_bUnderline = false;
    std::string m_strText;
};

// The whole painting of one row, in order: fills, then each cell's images
// and text, then the focus rectangle.
struct CListExRowPlan
{
    std::vector<CListExFill> m_fills;
    std::vector<CListExCellPaint> m_cells;
    bool m_bUnderline = false;
    bool m_bFocusRect = false;
    CListExRect m_rcFocus;
    ListExColour m_crFocus = 0;
};

// The hot item after a mouse move, and what the window must do about it.
struct CListExHotChange
{
    int m_nOldHot = -1;
    int m_nNewHot = -1;
    // Owner-drawn lists only: repaint the old and new hot rows and show the
    // hand over a hot item.
    bool m_bRepaint = false;
    bool m_bSetCursor = false;
    bool m_bHandCursor = false;
};

// The owner of the list, asked for the texts it keeps itself.
class IListExOwnerTexts
{
public:
    virtual ~IListExOwnerTexts() = default;
    // The owner's text of a cell that has none of its own.
    virtual std::string GetOwnerText(int nItem, int nColumn) = 0;
};

// The surface a row is painted on, and the texts it shows.
class IListExPainter : public IListExOwnerTexts
{
public:
    virtual int MeasureText(const std::string& strText) = 0;
    virtual void FillRect(const CListExRect& rc, ListExColour cr) = 0;
    // Draws image nImage of the state images (bState) or the small images,
    // clipped to nWidth by nHeight, at (nX, nY).
    virtual void DrawImage(bool bState, int nImage, int nX, int nY, int nWidth, int nHeight, bool bSelected) = 0;
    // One line, ellipsised at the end, aligned by nFormat, centred
    // vertically.
    virtual void DrawText(const std::string& strText, const CListExRect& rc, int nFormat, ListExColour crText,
                          ListExColour crBk, bool bUnderline) = 0;
    virtual void DrawFocusRect(const CListExRect& rc, ListExColour cr) = 0;
};

// The records and decisions of one extended list.
class CListExCore
{
public:
    // nStyle: the LXS_ window styles the list was made with.
    explicit CListExCore(unsigned nStyle = 0);
    virtual ~CListExCore();

    CListExCore(const CListExCore&) = delete;
    CListExCore& operator=(const CListExCore&) = delete;

    // 1 classic look (sort marks as images), 2 the toolkit's own sort arrows.
    // Probed once for the whole process when the first core is made.
    static int GetComCtlLevel();
    static void SetComCtlLevel(int nLevel);

    unsigned GetStyle() const { return m_nStyle; }
    void SetSysColours(const CListExSysColours& colours);
    const CListExSysColours& GetSysColours() const { return m_colours; }

    // Items. Indices outside what the list holds are refused with -1, false
    // or 0 as the functions say, without touching anything.
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    // Room for nCount rows, so a fill does not move them again and again.
    void SetItemCountHint(int nCount);
    // Inserts a row at info.m_nItem (at the end when beyond it); the index it
    // got, or -1.
    int InsertItem(const CListExItemInfo& info);
    // Sets what info.m_nMask names of (info.m_nItem, info.m_nSubItem). The value
    // alone, for a row beyond the last, is no failure: nothing changes.
    bool SetItem(const CListExItemInfo& info);
    // pszText null keeps an existing cell's text.
    bool SetItemText(int nItem, int nSubItem, const char* pszText);
    // Fills what info.m_nMask asks of (info.m_nItem, info.m_nSubItem). A text that
    // is the owner's is reported by m_bTextCallback.
    bool GetItem(CListExItemInfo& info) const;
    std::intptr_t GetItemData(int nItem) const;
    bool SetItemData(int nItem, std::intptr_t lParam);
    // The cell's own text, or null when the owner is asked for it.
    const std::string* GetOwnText(int nItem, int nSubItem) const;
    bool DeleteItem(int nItem);
    // Deletes the rows at the given ascending positions in one pass.
    bool DeleteItems(const std::vector<int>& items);
    bool DeleteAllItems();
    // The first row after nStart matching info (with LXFI_WRAP and a start
    // of 0 or more the search goes on from the top up to nStart), or -1.
    // Texts are matched as shown: rows whose text is the owner's are asked
    // of pOwner, and match nothing without one.
    int FindItem(int nStart, const CListExFindInfo& info, IListExOwnerTexts* pOwner = nullptr) const;
    // Sorts the rows with the caller's function on the caller's values; rows
    // keep their states.
    bool SortItems(PFNLXCOMPARE pfnCompare, std::intptr_t lParamSort);
    const ListExItem* GetRecord(int nItem) const;

    // Item states.
    unsigned GetItemState(int nItem, unsigned nMask) const;
    // nItem -1 sets the state of every row. The rows whose state changed are
    // reported through changed (when given).
    bool SetItemState(int nItem, unsigned nState, unsigned nMask, std::vector<int>* pChanged = nullptr);
    int GetNextItem(int nStart, unsigned nRelation) const;
    int GetSelectedCount() const;
    bool GetCheck(int nItem) const;
    bool SetCheck(int nItem, bool bCheck);
    // Focus moves: the first selected row gains or loses the focus mark.
    void OnSetFocus();
    void OnKillFocus();
    bool HasFocus() const { return m_bHasFocus; }

    // Columns.
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    int InsertColumn(int nColumn, const CListExColumnInfo& info);
    bool DeleteColumn(int nColumn);
    bool GetColumn(int nColumn, CListExColumnInfo& info) const;
    bool SetColumn(int nColumn, const CListExColumnInfo& info);
    int GetColumnWidth(int nColumn) const;
    bool SetColumnWidth(int nColumn, int nWidth);
    int GetColumnOrderArray(int nCount, int* pArray) const;
    bool SetColumnOrderArray(int nCount, const int* pArray);
    // The column dragged in the header was dropped at display position
    // nOrder.
    void MoveColumnToOrder(int nColumn, int nOrder);
    // The column shown at display position nOrder, or -1.
    int OrderToIndex(int nOrder) const;
    int GetColumn0Format() const { return m_nColumn0Format; }
    // The alignment the header shows for a column. Column 0's text is
    // always drawn from the left by the plain list, so its header follows
    // the given format only when the owner draws or selects whole rows.
    int GetHeaderAlignment(int nColumn) const;

    // Extended style: the own copy; the previous style is returned. Check
    // boxes switched on give every row the unchecked box, switched off take
    // the boxes away; the rows whose state changed are reported through
    // changed (when given).
    unsigned SetExtendedStyle(unsigned nMask, unsigned nStyles, std::vector<int>* pChanged = nullptr);
    unsigned GetExtendedStyle() const { return m_dwExStyle; }

    // Sort marks and shading.
    int GetSortKey() const { return m_nSortKey; }
    bool IsSortShading() const { return m_bSortShading; }
    bool IsSortMarks() const { return m_bSortMarks; }
    ListExColour GetShadeColour() const { return m_crShade; }
    static ListExColour ShadeColour(ListExColour crBackground);
    // True when the list must be repainted. A display of 8 bits or fewer a
    // pixel cannot show the shade, and nothing changes then.
    bool EnableSortShading(bool bOn, int nSortKey, int nBitsPerPixel);
    void EnableSortMarks(bool bOn, int nSortKey);
    EListExRepaint SetSortKey(int nSortKey);
    // The list's own reaction to a click on column nColumn's header: the
    // same column again flips the direction, another sorts ascending.
    void OnColumnClick(int nColumn);
    EListExMark GetHeaderMark(int nColumn) const;
    // The column whose header shows one of the list's own mark images, or
    // -1.
    int GetImageMarkColumn() const;
    // Where header item nColumn, nHeight high, shows a title nTitleWidth
    // wide and its image mark: the title within the item's margins,
    // aligned as the header aligns it, and the mark just right of it, as a
    // header shows a bitmap on the right. A title too wide for both is
    // shortened, never the mark.
    bool GetHeaderItemLayout(int nColumn, int nTitleWidth, int nHeight, CListExHeaderLayout& layout) const;
    ListExColour GetBkColour() const { return m_crBk; }
    void SetBkColour(ListExColour cr);
    // The system colours changed: the shade follows the background.
    void OnSysColourChange(const CListExSysColours& colours);

    // Geometry, in the client coordinates of the rows' window.
    void SetMetrics(const CListExMetrics& metrics) { m_metrics = metrics; }
    const CListExMetrics& GetMetrics() const { return m_metrics; }
    int GetTotalColumnWidth() const;
    // The left edge of column nColumn, unscrolled, or -1.
    int GetColumnLeft(int nColumn) const;
    bool GetItemRect(int nItem, int nCode, CListExRect& rc) const;
    bool GetSubItemRect(int nItem, int nSubItem, int nCode, CListExRect& rc) const;
    // The row under nY (whether or not a column lies under nX), or -1.
    int RowFromY(int nY) const;
    // The hit test: the item under (nX, nY) or -1, with the part in flags.
    int HitTest(int nX, int nY, unsigned& nFlags) const;
    // Kinds: 0 the cell, 1 column 0's icon, 2 column 0's label.
    bool GetCellRect(int nItem, int nColumn, int nKind, CListExRect& rc) const;
    bool GetStateIconRect(int nItem, CListExRect& rc) const;

    // Hot tracking.
    int GetHotItem() const { return m_nHotItem; }
    CListExHotChange UpdateHotItem(int nX, int nY);
    // A press of the left button at (nX, nY) in an owner-drawn list with
    // check boxes: true when it hit a state image and flipped the check
    // instead of the ordinary handling. The row is reported through
    // changed (when given).
    bool ToggleCheckAt(int nX, int nY, std::vector<int>* pChanged = nullptr);

    // Painting. The plan of row nItem: its fills, cells and focus mark.
    CListExRowPlan PlanRow(int nItem, IListExPainter& painter) const;
    // Paints row nItem through the painter.
    void DrawItem(IListExPainter& painter, int nItem) const;
    // The background of the clip rectangle: the shaded column's stripe, or
    // nothing when the plain background does.
    std::vector<CListExFill> PlanErase(const CListExRect& rcClip) const;

protected:
    // How a row's images and texts are drawn; a derived core may paint them
    // its own way.
    virtual void DrawSmallIcon(IListExPainter& painter, const CListExCellPaint& paint) const;
    virtual void DrawStateIcon(IListExPainter& painter, const CListExCellPaint& paint) const;
    virtual void DrawCellText(IListExPainter& painter, const CListExCellPaint& paint) const;

private:
    struct CRow
    {
        ListExItem m_item;
        unsigned m_nState = 0;
        int m_nImage = 0;
        int m_nIndent = 0;
    };

    static std::unique_ptr<ListExCell> MakeCell(const CListExItemInfo& info);
    bool IsColumnValid(int nColumn) const { return nColumn >= 0 && nColumn < GetColumnCount(); }
    bool IsItemValid(int nItem) const { return nItem >= 0 && nItem < GetItemCount(); }
    void StoreCell(CRow& row, int nColumn, std::unique_ptr<ListExCell> pCell, unsigned nMask);
    int SortedInsertPos(const std::string& strText) const;
    std::string CellText(IListExOwnerTexts& owner, int nItem, int nSubItem) const;

    // How a row looks as it is painted: its state, the colours of its
    // highlight and texts, and where its focus mark goes.
    struct CRowLook
    {
        bool m_bSelected = false;
        bool m_bFocused = false;
        bool m_bHighlighted = false;
        bool m_bFocusMark = false;
        bool m_bFullRow = false;
        bool m_bUnderline = false;
        CListExRect m_rcFocus;
        ListExColour m_crHighlight = 0;
        ListExColour m_crPlainText = 0;
        ListExColour m_crHighlightText = 0;
    };
    CRowLook GetRowLook(int nItem, const CListExRect& rcBounds, const CListExRect& rcLabel) const;
    // The part of the label's cell a selection highlights without full-row
    // selection: the text, nTextWidth wide, with a margin.
    CListExRect GetLabelHighlight(const CListExRect& rcLabel, int nTextWidth) const;
    // The fills of one cell and the colours of its text; a label's
    // highlight moves the row's focus mark to it.
    void PlanCellBackground(CListExRowPlan& plan, CListExCellPaint& cell, const CListExRect& rcCell,
                            const CListExRect& rcLabel, bool bLabelCell, int nTextWidth, ListExColour crBack,
                            CRowLook& look) const;
    // Column 0's state image and small image.
    void PlanCellImages(CListExCellPaint& cell, int nItem) const;
    int StateImageOf(int nItem) const;
    void MoveColumnOrder(int nColumn, int nOrder);

    unsigned m_nStyle;
    mutable int m_nStateGap = 4;
    std::vector<CRow> m_rows;
    std::vector<std::unique_ptr<ListExColumn>> m_columns;
    bool m_bSortMarks = false;
    bool m_bSortShading = false;
    ListExColour m_crShade = 0;
    int m_nSortKey = 0;
    int m_nColumn0Format = LXCFMT_LEFT;
    mutable bool m_bStateGapKnown = false;
    unsigned m_dwExStyle = 0;
    int m_nHotItem = -1;
    ListExColour m_crHot;
    bool m_bHasFocus = false;
    CListExSysColours m_colours;
    ListExColour m_crBk;
    CListExMetrics m_metrics;
};
