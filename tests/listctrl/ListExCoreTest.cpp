#include "ListExCore.h"

#include <gtest/gtest.h>

#include <map>

namespace
{

CListExItemInfo TextItem(int nItem, const std::string& strText)
{
    CListExItemInfo info;
    info.m_nMask = LXIF_TEXT;
    info.m_nItem = nItem;
    info.m_strText = strText;
    return info;
}

CListExColumnInfo Column(int nWidth, int nFormat = LXCFMT_LEFT)
{
    CListExColumnInfo info;
    info.m_nMask = LXCF_WIDTH | LXCF_FMT;
    info.m_nWidth = nWidth;
    info.m_nFormat = nFormat;
    return info;
}

// n rows whose values are their first positions, and three columns.
void Populate(CListExCore& core, int nRows)
{
    for (int i = 0; i < 3; ++i)
        core.InsertColumn(i, Column(100));
    for (int i = 0; i < nRows; ++i) {
        CListExItemInfo info = TextItem(i, "row" + std::to_string(i));
        info.m_nMask |= LXIF_PARAM;
        info.m_nParam = 100 + i;
        core.InsertItem(info);
    }
}

int CompareDescending(std::intptr_t a, std::intptr_t b, std::intptr_t nParam)
{
    EXPECT_EQ(nParam, 77);
    return a > b ? -1 : (a < b ? 1 : 0);
}

// A painter that measures every text as 6 pixels a character and records
// what it is asked to draw.
class CRecordingPainter : public IListExPainter
{
public:
    std::string GetOwnerText(int nItem, int nColumn) override
    {
        return "owner" + std::to_string(nItem) + "." + std::to_string(nColumn);
    }
    int MeasureText(const std::string& strText) override { return static_cast<int>(strText.size()) * 6; }
    void FillRect(const CListExRect& rc, ListExColour cr) override { m_fills.push_back({rc, cr}); }
    void DrawImage(bool bState, int nImage, int, int, int, int, bool) override
    {
        m_images.push_back(bState ? -1 - nImage : nImage);
    }
    void DrawText(const std::string& strText, const CListExRect&, int, ListExColour, ListExColour, bool) override
    {
        m_texts.push_back(strText);
    }
    void DrawFocusRect(const CListExRect&, ListExColour) override { ++m_nFocusRects; }

    std::vector<CListExFill> m_fills;
    std::vector<int> m_images;
    std::vector<std::string> m_texts;
    int m_nFocusRects = 0;
};

CListExMetrics Metrics(int nStateWidth = 0, int nIconWidth = 0)
{
    CListExMetrics metrics;
    metrics.m_nRowHeight = 20;
    metrics.m_nClientWidth = 400;
    metrics.m_nClientHeight = 200;
    metrics.m_nStateIconWidth = metrics.m_nStateIconHeight = nStateWidth;
    metrics.m_nSmallIconWidth = metrics.m_nSmallIconHeight = nIconWidth;
    return metrics;
}

} // namespace

TEST(ListExCoreTest, ItemValuesAreTheCallersAndBadIndicesAreRefused)
{
    CListExCore core;
    // Without a column even row 0's attributes cannot be read.
    CListExItemInfo probe;
    probe.m_nMask = LXIF_TEXT;
    EXPECT_EQ(core.InsertItem(TextItem(0, "a")), 0);
    EXPECT_FALSE(core.GetItem(probe));

    core.InsertColumn(0, Column(100));
    EXPECT_EQ(core.GetItemData(0), 0);
    EXPECT_TRUE(core.SetItemData(0, 42));
    CListExItemInfo info;
    info.m_nMask = LXIF_PARAM | LXIF_TEXT;
    ASSERT_TRUE(core.GetItem(info));
    EXPECT_EQ(info.m_nParam, 42);
    EXPECT_EQ(info.m_strText, "a");
    EXPECT_EQ(core.GetRecord(0)->lParam, 42);

    EXPECT_EQ(core.InsertItem(TextItem(-1, "x")), -1);
    EXPECT_EQ(core.InsertItem(TextItem(99, "end")), 1);
    info.m_nSubItem = 1;
    EXPECT_FALSE(core.GetItem(info));
    EXPECT_FALSE(core.SetItemText(0, 1, "b"));
    EXPECT_FALSE(core.SetItemText(5, 0, "b"));
    EXPECT_FALSE(core.DeleteItem(-1));
    EXPECT_FALSE(core.DeleteItem(2));
    EXPECT_EQ(core.GetItemCount(), 2);

    // Only the value, for a row beyond the last, succeeds without a change.
    struct CSet
    {
        unsigned m_nMask;
        int m_nItem;
        int m_nSubItem;
        bool m_bResult;
    };
    for (const CSet& test :
         {CSet{LXIF_PARAM, 2, 0, true}, CSet{LXIF_PARAM, 9, 0, true}, CSet{LXIF_PARAM | LXIF_TEXT, 2, 0, false},
          CSet{LXIF_STATE, 2, 0, false}, CSet{LXIF_PARAM, -1, 0, false}, CSet{LXIF_PARAM, 2, 1, false}}) {
        CListExItemInfo set = TextItem(test.m_nItem, "set");
        set.m_nMask = test.m_nMask;
        set.m_nSubItem = test.m_nSubItem;
        set.m_nParam = 7;
        EXPECT_EQ(core.SetItem(set), test.m_bResult) << test.m_nMask << " " << test.m_nItem << "," << test.m_nSubItem;
    }
    EXPECT_EQ(core.GetItemCount(), 2);
    EXPECT_EQ(core.GetItemData(1), 0);

    // The owner's texts have no record of their own.
    CListExItemInfo callback;
    callback.m_nMask = LXIF_TEXT;
    callback.m_nItem = 2;
    callback.m_bTextCallback = true;
    EXPECT_EQ(core.InsertItem(callback), 2);
    EXPECT_EQ(core.GetOwnText(2, 0), nullptr);
    ASSERT_NE(core.GetOwnText(0, 0), nullptr);
    EXPECT_TRUE(core.SetItemText(0, 0, nullptr));
    EXPECT_EQ(*core.GetOwnText(0, 0), "a");
}

TEST(ListExCoreTest, FindItemByValueWithAndWithoutWrap)
{
    CListExCore core;
    Populate(core, 6);
    core.SetItemData(1, 500);
    core.SetItemData(4, 500);
    struct CCase
    {
        int m_nStart;
        std::intptr_t m_nParam;
        unsigned m_nFlags;
        int m_nExpected;
    };
    const CCase cases[] = {
        {-1, 500, LXFI_PARAM, 1},
        {1, 500, LXFI_PARAM, 4},
        {4, 500, LXFI_PARAM, -1},
        {4, 500, LXFI_PARAM | LXFI_WRAP, 1},
        {-1, 999, LXFI_PARAM | LXFI_WRAP, -1},
        {5, 100, LXFI_PARAM | LXFI_WRAP, 0},
        {0, 100, LXFI_PARAM | LXFI_WRAP, 0},
    };
    for (const CCase& test : cases) {
        CListExFindInfo find;
        find.m_nFlags = test.m_nFlags;
        find.m_nParam = test.m_nParam;
        EXPECT_EQ(core.FindItem(test.m_nStart, find), test.m_nExpected) << test.m_nStart << " " << test.m_nFlags;
    }
}

TEST(ListExCoreTest, FindItemByTextMatchesTheShownTextAskingTheOwner)
{
    // Rows 0 and 2 have their own texts; rows 1 and 3 show the owner's,
    // "owner1.0" and "owner3.0".
    CListExCore core;
    Populate(core, 4);
    CListExItemInfo callback;
    callback.m_nMask = LXIF_TEXT;
    callback.m_bTextCallback = true;
    for (int nItem : {1, 3}) {
        callback.m_nItem = nItem;
        core.SetItem(callback);
    }
    CRecordingPainter owner;
    struct CCase
    {
        int m_nStart;
        const char* m_pszText;
        unsigned m_nFlags;
        int m_nExpected;
    };
    const CCase cases[] = {
        {-1, "owner1.0", LXFI_STRING, 1},
        {-1, "OWNER3.0", LXFI_STRING, 3},
        {-1, "owner3", LXFI_STRING, -1},
        {-1, "ROW2", LXFI_STRING | LXFI_PARTIAL, 2},
        {1, "owner", LXFI_STRING | LXFI_PARTIAL, 3},
        {3, "owner", LXFI_STRING | LXFI_PARTIAL, -1},
        {3, "owner", LXFI_STRING | LXFI_PARTIAL | LXFI_WRAP, 1},
    };
    for (const CCase& test : cases) {
        CListExFindInfo find;
        find.m_nFlags = test.m_nFlags;
        find.m_strText = test.m_pszText;
        EXPECT_EQ(core.FindItem(test.m_nStart, find, &owner), test.m_nExpected)
            << test.m_pszText << " from " << test.m_nStart;
    }
}

TEST(ListExCoreTest, SortUsesTheCallersFunctionOnTheCallersValuesAndRowsKeepTheirState)
{
    CListExCore core;
    Populate(core, 4);
    core.SetItemState(1, LXIS_SELECTED, LXIS_SELECTED);
    core.SetCheck(2, true);
    ASSERT_TRUE(core.SortItems(&CompareDescending, 77));
    std::vector<std::intptr_t> values;
    for (int i = 0; i < core.GetItemCount(); ++i)
        values.push_back(core.GetItemData(i));
    EXPECT_EQ(values, (std::vector<std::intptr_t>{103, 102, 101, 100}));
    EXPECT_EQ(core.GetNextItem(-1, LXNI_SELECTED), 2);
    EXPECT_TRUE(core.GetCheck(1));
    EXPECT_EQ(*core.GetOwnText(2, 0), "row1");
    EXPECT_FALSE(core.SortItems(nullptr, 0));
}

TEST(ListExCoreTest, ListThatSortsByTextInsertsInOrder)
{
    CListExCore core(LXS_SORTASCENDING);
    core.InsertColumn(0, Column(100));
    for (const char* psz : {"pear", "apple", "quince", "fig"})
        core.InsertItem(TextItem(0, psz));
    std::vector<std::string> texts;
    for (int i = 0; i < core.GetItemCount(); ++i)
        texts.push_back(*core.GetOwnText(i, 0));
    EXPECT_EQ(texts, (std::vector<std::string>{"apple", "fig", "pear", "quince"}));
}

TEST(ListExCoreTest, DeletingManyRowsAtOnceKeepsTheOthersInOrder)
{
    CListExCore core;
    Populate(core, 8);
    core.SetItemState(6, LXIS_SELECTED, LXIS_SELECTED);
    EXPECT_FALSE(core.DeleteItems({5, 2}));
    EXPECT_FALSE(core.DeleteItems({2, 8}));
    ASSERT_TRUE(core.DeleteItems({0, 2, 5, 7}));
    std::vector<std::intptr_t> values;
    for (int i = 0; i < core.GetItemCount(); ++i)
        values.push_back(core.GetItemData(i));
    EXPECT_EQ(values, (std::vector<std::intptr_t>{101, 103, 104, 106}));
    EXPECT_EQ(core.GetNextItem(-1, LXNI_SELECTED), 3);
    EXPECT_TRUE(core.DeleteAllItems());
    EXPECT_EQ(core.GetItemCount(), 0);
}

TEST(ListExCoreTest, OneRowHoldsTheFocusAndFocusChangesFollowTheFirstSelection)
{
    CListExCore core(LXS_SINGLESEL);
    Populate(core, 4);
    std::vector<int> changed;
    core.SetItemState(1, LXIS_FOCUSED | LXIS_SELECTED, LXIS_FOCUSED | LXIS_SELECTED, &changed);
    core.SetItemState(3, LXIS_FOCUSED | LXIS_SELECTED, LXIS_FOCUSED | LXIS_SELECTED, &changed);
    EXPECT_EQ(changed, (std::vector<int>{1, 1, 3}));
    EXPECT_EQ(core.GetSelectedCount(), 1);
    EXPECT_EQ(core.GetNextItem(-1, LXNI_FOCUSED), 3);

    core.OnKillFocus();
    EXPECT_EQ(core.GetNextItem(-1, LXNI_FOCUSED), -1);
    core.SetItemState(3, 0, LXIS_FOCUSED);
    core.OnSetFocus();
    EXPECT_EQ(core.GetNextItem(-1, LXNI_FOCUSED), 3);
    EXPECT_FALSE(core.SetItemState(4, LXIS_SELECTED, LXIS_SELECTED));
}

TEST(ListExCoreTest, ColumnChangesMoveTheSortKeyAndTheDisplayPositions)
{
    struct CCase
    {
        const char* m_pszWhat;
        int m_nKey;
        bool m_bInsert;
        int m_nColumn;
        int m_nExpectedKey;
    };
    const CCase cases[] = {
        {"insert before the sorted column", 2, true, 0, 3},
        {"insert before, descending", -2, true, 1, -3},
        {"insert after", 2, true, 2, 2},
        {"delete the sorted column", 2, false, 1, 0},
        {"delete after it", 2, false, 2, 2},
        {"delete before it", -3, false, 0, -2},
    };
    for (const CCase& test : cases) {
        CListExCore core;
        Populate(core, 2);
        core.SetSortKey(test.m_nKey);
        if (test.m_bInsert)
            EXPECT_EQ(core.InsertColumn(test.m_nColumn, Column(50)), test.m_nColumn);
        else
            EXPECT_TRUE(core.DeleteColumn(test.m_nColumn));
        EXPECT_EQ(core.GetSortKey(), test.m_nExpectedKey) << test.m_pszWhat;
    }

    CListExCore core;
    Populate(core, 2);
    core.SetItemText(0, 2, "last");
    // A column inserted to be shown first pushes the others on; the cells
    // keep their columns.
    CListExColumnInfo first = Column(30);
    first.m_nMask |= LXCF_ORDER;
    first.m_nOrder = 0;
    EXPECT_EQ(core.InsertColumn(1, first), 1);
    int order[4] = {};
    ASSERT_EQ(core.GetColumnOrderArray(4, order), 4);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(*core.GetOwnText(0, 3), "last");
    EXPECT_EQ(core.GetColumnLeft(0), 30);

    CListExColumnInfo move;
    move.m_nMask = LXCF_ORDER;
    move.m_nOrder = 3;
    ASSERT_TRUE(core.SetColumn(1, move));
    ASSERT_EQ(core.GetColumnOrderArray(4, order), 4);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 2, 3, 1}));

    const int bad[] = {0, 0, 1, 2};
    EXPECT_FALSE(core.SetColumnOrderArray(4, bad));
    const int outside[] = {0, 9};
    EXPECT_FALSE(core.SetColumnOrderArray(2, outside));
    const int swapped[] = {3, 2, 1, 0};
    ASSERT_TRUE(core.SetColumnOrderArray(4, swapped));
    ASSERT_EQ(core.GetColumnOrderArray(9, order), 4);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{3, 2, 1, 0}));
    core.MoveColumnToOrder(0, 0);
    EXPECT_EQ(core.OrderToIndex(0), 0);

    CListExColumnInfo read;
    read.m_nMask = LXCF_ORDER | LXCF_SUBITEM | LXCF_WIDTH;
    ASSERT_TRUE(core.GetColumn(2, read));
    EXPECT_EQ(read.m_nSubItem, 2);
    EXPECT_EQ(read.m_nWidth, 100);
    EXPECT_EQ(core.InsertColumn(9, Column(10)), -1);
    EXPECT_FALSE(core.DeleteColumn(4));
    EXPECT_EQ(core.GetColumnWidth(4), 0);
}

TEST(ListExCoreTest, ExtendedStyleIsAnOwnCopyChangedUnderItsMask)
{
    CListExCore core;
    EXPECT_EQ(core.SetExtendedStyle(0, LXS_EX_FULLROWSELECT | LXS_EX_CHECKBOXES), 0U);
    EXPECT_EQ(core.GetExtendedStyle(), unsigned{LXS_EX_FULLROWSELECT | LXS_EX_CHECKBOXES});
    EXPECT_EQ(core.SetExtendedStyle(LXS_EX_CHECKBOXES | LXS_EX_UNDERLINEHOT, LXS_EX_UNDERLINEHOT),
              unsigned{LXS_EX_FULLROWSELECT | LXS_EX_CHECKBOXES});
    EXPECT_EQ(core.GetExtendedStyle(), unsigned{LXS_EX_FULLROWSELECT | LXS_EX_UNDERLINEHOT});

    // Column 0's header follows its format only when rows are the owner's
    // or selected whole.
    core.InsertColumn(0, Column(50, LXCFMT_CENTER));
    EXPECT_EQ(core.GetHeaderAlignment(0), LXCFMT_CENTER);
    core.SetExtendedStyle(LXS_EX_FULLROWSELECT, 0);
    EXPECT_EQ(core.GetHeaderAlignment(0), LXCFMT_LEFT);
    EXPECT_EQ(core.GetColumn0Format(), LXCFMT_CENTER);
}

TEST(ListExCoreTest, CheckBoxesGiveEveryRowItsBoxWhileTheyAreOn)
{
    auto stateImages = [](const CListExCore& core) {
        std::vector<unsigned> images;
        for (int i = 0; i < core.GetItemCount(); ++i)
            images.push_back(core.GetItemState(i, LXIS_STATEIMAGEMASK) >> 12);
        return images;
    };
    CListExCore core;
    Populate(core, 2);
    std::vector<int> changed;
    core.SetExtendedStyle(LXS_EX_CHECKBOXES, LXS_EX_CHECKBOXES, &changed);
    EXPECT_EQ(stateImages(core), (std::vector<unsigned>{1, 1}));
    EXPECT_EQ(changed, (std::vector<int>{0, 1}));

    // Rows inserted meanwhile start unchecked, unless given a state image;
    // the style set again keeps the checks.
    core.InsertItem(TextItem(2, "new"));
    CListExItemInfo checked = TextItem(3, "checked");
    checked.m_nMask |= LXIF_STATE;
    checked.m_nState = ListExStateImage(2);
    checked.m_nStateMask = LXIS_STATEIMAGEMASK;
    core.InsertItem(checked);
    core.SetExtendedStyle(LXS_EX_CHECKBOXES, LXS_EX_CHECKBOXES);
    EXPECT_EQ(stateImages(core), (std::vector<unsigned>{1, 1, 1, 2}));

    core.SetExtendedStyle(LXS_EX_CHECKBOXES, 0);
    EXPECT_EQ(stateImages(core), (std::vector<unsigned>{0, 0, 0, 0}));
}

TEST(ListExCoreTest, ShadeColourAndSortKeyRules)
{
    struct CColour
    {
        ListExColour m_crBackground;
        ListExColour m_crShade;
    };
    for (const CColour& test : {CColour{ListExRgb(255, 255, 255), ListExRgb(247, 247, 247)},
                                CColour{ListExRgb(200, 100, 0), ListExRgb(220, 110, 0)},
                                CColour{ListExRgb(240, 250, 250), ListExRgb(255, 255, 255)},
                                CColour{ListExRgb(30, 30, 30), ListExRgb(33, 33, 33)}})
        EXPECT_EQ(CListExCore::ShadeColour(test.m_crBackground), test.m_crShade);

    CListExCore core;
    Populate(core, 1);
    // 256 colours cannot show the shade: nothing changes, not even the key.
    EXPECT_FALSE(core.EnableSortShading(true, 2, 8));
    EXPECT_FALSE(core.IsSortShading());
    EXPECT_EQ(core.GetSortKey(), 0);
    EXPECT_TRUE(core.EnableSortShading(true, 0, 24));
    EXPECT_FALSE(core.EnableSortShading(true, 0, 24));

    core.SetSortKey(-3);
    EXPECT_EQ(core.SetSortKey(3), EListExRepaint::Header);
    EXPECT_EQ(core.SetSortKey(2), EListExRepaint::HeaderAndList);
    EXPECT_EQ(core.SetSortKey(2), EListExRepaint::None);

    core.OnColumnClick(1);
    EXPECT_EQ(core.GetSortKey(), -2);
    core.OnColumnClick(1);
    EXPECT_EQ(core.GetSortKey(), 2);
    core.OnColumnClick(0);
    EXPECT_EQ(core.GetSortKey(), 1);
}

TEST(ListExCoreTest, HeaderMarksFollowTheKeyInBothLooks)
{
    const int nLevel = CListExCore::GetComCtlLevel();
    CListExCore core;
    Populate(core, 1);
    core.EnableSortMarks(true, 2);
    struct CCase
    {
        int m_nLevel;
        int m_nKey;
        EListExMark m_nColumn1;
    };
    for (const CCase& test :
         {CCase{2, 2, EListExMark::ArrowUp}, CCase{2, -2, EListExMark::ArrowDown}, CCase{1, 2, EListExMark::ImageUp},
          CCase{1, -2, EListExMark::ImageDown}, CCase{2, 0, EListExMark::None}, CCase{1, 3, EListExMark::None}}) {
        CListExCore::SetComCtlLevel(test.m_nLevel);
        core.SetSortKey(test.m_nKey);
        EXPECT_EQ(core.GetHeaderMark(1), test.m_nColumn1) << test.m_nLevel << " " << test.m_nKey;
        EXPECT_EQ(core.GetHeaderMark(0), EListExMark::None);
    }
    core.EnableSortMarks(false, 0);
    core.SetSortKey(2);
    EXPECT_EQ(core.GetHeaderMark(1), EListExMark::None);
    CListExCore::SetComCtlLevel(nLevel);
}

TEST(ListExCoreTest, ClassicSortMarkGoesRightOfTheHeaderTitle)
{
    const int nLevel = CListExCore::GetComCtlLevel();
    CListExCore::SetComCtlLevel(1);
    // Column 1 spans 100 to 200 less the scroll; 5 pixels of margin either
    // side leave 90 for the title, the 6 pixel gap and the 9 pixel mark.
    struct CCase
    {
        const char* m_pszWhat;
        int m_nFormat;
        int m_nKey;
        int m_nScrollX;
        int m_nTitleWidth;
        CListExRect m_rcTitle;
        int m_nMarkLeft;
    };
    const CCase cases[] = {
        {"left", LXCFMT_LEFT, 2, 0, 30, {105, 0, 135, 24}, 141},
        {"right", LXCFMT_RIGHT, -2, 0, 30, {150, 0, 180, 24}, 186},
        {"centred", LXCFMT_CENTER, 2, 0, 30, {127, 0, 157, 24}, 163},
        {"too wide: the title is shortened", LXCFMT_LEFT, 2, 0, 200, {105, 0, 180, 24}, 186},
        {"scrolled", LXCFMT_LEFT, 2, 40, 30, {65, 0, 95, 24}, 101},
        {"another column sorted: no mark", LXCFMT_RIGHT, 3, 0, 30, {165, 0, 195, 24}, -1},
    };
    for (const CCase& test : cases) {
        CListExCore core;
        Populate(core, 1);
        CListExColumnInfo format;
        format.m_nMask = LXCF_FMT;
        format.m_nFormat = test.m_nFormat;
        core.SetColumn(1, format);
        CListExMetrics metrics = Metrics();
        metrics.m_nScrollX = test.m_nScrollX;
        core.SetMetrics(metrics);
        core.EnableSortMarks(true, test.m_nKey);
        CListExHeaderLayout layout;
        ASSERT_TRUE(core.GetHeaderItemLayout(1, test.m_nTitleWidth, 24, layout));
        EXPECT_EQ(layout.m_rcTitle, test.m_rcTitle) << test.m_pszWhat;
        const CListExRect rcMark =
            test.m_nMarkLeft < 0 ? CListExRect{} : CListExRect{test.m_nMarkLeft, 9, test.m_nMarkLeft + LXSM_CX, 14};
        EXPECT_EQ(layout.m_rcMark, rcMark) << test.m_pszWhat;
    }
    CListExCore::SetComCtlLevel(nLevel);
}

TEST(ListExCoreTest, OwnerDrawnHitTestFindsTheRowsParts)
{
    CListExCore core(LXS_OWNERDRAWFIXED);
    Populate(core, 3);
    core.SetExtendedStyle(0, LXS_EX_CHECKBOXES);
    core.SetMetrics(Metrics(13, 16));
    CListExRect label;
    CListExRect icon;
    CListExRect state;
    ASSERT_TRUE(core.GetCellRect(1, 0, 2, label));
    ASSERT_TRUE(core.GetCellRect(1, 0, 1, icon));
    ASSERT_TRUE(core.GetStateIconRect(1, state));
    EXPECT_EQ(label.m_nTop, 20);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_LT(state.m_nRight, icon.m_nLeft);
    struct CCase
    {
        int m_nX;
        int m_nY;
        int m_nItem;
        unsigned m_nFlags;
    };
    const CCase cases[] = {
        {label.m_nLeft + 5, 25, 1, LXHT_ONITEMLABEL},
        {icon.m_nLeft + 2, 25, 1, LXHT_ONITEMICON},
        {state.m_nLeft + 1, 45, 2, LXHT_ONITEMSTATEICON},
        {1, 45, 2, LXHT_NOWHERE},
        {250, 5, 0, LXHT_ONITEMLABEL},
        {301, 5, -1, LXHT_NOWHERE},
        {50, 65, -1, LXHT_NOWHERE},
    };
    for (const CCase& test : cases) {
        unsigned nFlags = 0;
        EXPECT_EQ(core.HitTest(test.m_nX, test.m_nY, nFlags), test.m_nItem) << test.m_nX << "," << test.m_nY;
        if (test.m_nItem >= 0 && test.m_nX < 250) {
            EXPECT_EQ(nFlags, test.m_nFlags) << test.m_nX << "," << test.m_nY;
        }
    }

    EXPECT_TRUE(core.ToggleCheckAt(state.m_nLeft + 1, 45));
    EXPECT_TRUE(core.GetCheck(2));
    EXPECT_EQ(core.GetSelectedCount(), 0);
    EXPECT_FALSE(core.ToggleCheckAt(label.m_nLeft + 5, 45));
    EXPECT_TRUE(core.GetCheck(2));
}

TEST(ListExCoreTest, HotItemFollowsTheLabelsWithTheHandInOwnerDrawnLists)
{
    CListExCore core(LXS_OWNERDRAWFIXED);
    Populate(core, 3);
    core.SetMetrics(Metrics());
    EXPECT_EQ(core.UpdateHotItem(10, 25).m_nNewHot, -1);

    core.SetExtendedStyle(0, LXS_EX_ONECLICKACTIVATE);
    CListExHotChange change = core.UpdateHotItem(10, 25);
    EXPECT_EQ(change.m_nNewHot, 1);
    EXPECT_TRUE(change.m_bRepaint);
    EXPECT_TRUE(change.m_bHandCursor);
    change = core.UpdateHotItem(10, 25);
    EXPECT_FALSE(change.m_bRepaint);
    change = core.UpdateHotItem(10, 90);
    EXPECT_EQ(change.m_nNewHot, -1);
    EXPECT_FALSE(change.m_bHandCursor);

    // With two clicks to activate, only a selected row becomes hot.
    core.SetExtendedStyle(0, LXS_EX_TWOCLICKACTIVATE);
    EXPECT_EQ(core.UpdateHotItem(10, 45).m_nNewHot, -1);
    core.SetItemState(2, LXIS_SELECTED, LXIS_SELECTED);
    EXPECT_EQ(core.UpdateHotItem(10, 45).m_nNewHot, 2);
}

TEST(ListExCoreTest, HotItemIsWhatTheHitTestCallsTheItemOrItsIconOrLabel)
{
    // Row 1, in column 1, right of column 0's label; and on row 1's check box.
    struct CCase
    {
        const char* m_pszWhat;
        unsigned m_nStyle;
        unsigned m_nExStyle;
        bool m_bOnCheckBox;
        int m_nHot;
    };
    const CCase cases[] = {
        {"owner-drawn: the whole row", LXS_OWNERDRAWFIXED, 0, false, 1},
        {"owner-drawn: not the check box", LXS_OWNERDRAWFIXED, 0, true, -1},
        {"plain: nothing outside column 0", 0, 0, false, -1},
        {"plain, whole rows: the row", 0, LXS_EX_FULLROWSELECT, false, 1},
    };
    for (const CCase& test : cases) {
        CListExCore core(test.m_nStyle);
        Populate(core, 3);
        core.SetExtendedStyle(0, LXS_EX_ONECLICKACTIVATE | LXS_EX_CHECKBOXES | test.m_nExStyle);
        core.SetMetrics(Metrics(13));
        CListExRect state;
        ASSERT_TRUE(core.GetStateIconRect(1, state));
        const CListExHotChange change =
            test.m_bOnCheckBox ? core.UpdateHotItem(state.m_nLeft + 1, 25) : core.UpdateHotItem(150, 25);
        EXPECT_EQ(change.m_nNewHot, test.m_nHot) << test.m_pszWhat;
        // Only the owner-drawn list shows the hand, over its hot item.
        EXPECT_EQ(change.m_bHandCursor, test.m_nHot >= 0 && test.m_nStyle == LXS_OWNERDRAWFIXED) << test.m_pszWhat;
    }
}

TEST(ListExCoreTest, RowPlanColoursAndRectangles)
{
    const CListExSysColours colours;
    const ListExColour crWhite = ListExRgb(255, 255, 255);
    {
        // Selected in a focused list with whole rows: every cell in the
        // highlight, except column 0 left of its label.
        CListExCore core(LXS_OWNERDRAWFIXED);
        Populate(core, 2);
        core.SetExtendedStyle(0, LXS_EX_FULLROWSELECT | LXS_EX_CHECKBOXES);
        core.SetMetrics(Metrics(13));
        core.OnSetFocus();
        core.SetItemState(0, LXIS_SELECTED | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
        core.SetCheck(0, true);
        CRecordingPainter painter;
        const CListExRowPlan plan = core.PlanRow(0, painter);
        CListExRect label;
        core.GetCellRect(0, 0, 2, label);
        ASSERT_EQ(plan.m_fills.size(), 4U);
        EXPECT_EQ(plan.m_fills[0], (CListExFill{{0, 0, label.m_nLeft, 20}, crWhite}));
        EXPECT_EQ(plan.m_fills[1], (CListExFill{{label.m_nLeft, 0, 100, 20}, colours.m_crHighlight}));
        EXPECT_EQ(plan.m_fills[2], (CListExFill{{100, 0, 200, 20}, colours.m_crHighlight}));
        EXPECT_EQ(plan.m_cells[1].m_crText, colours.m_crHighlightText);
        EXPECT_TRUE(plan.m_bFocusRect);
        core.DrawItem(painter, 0);
        EXPECT_EQ(painter.m_images, (std::vector<int>{-2}));
        EXPECT_EQ(painter.m_texts, (std::vector<std::string>{"row0", "owner0.1", "owner0.2"}));
        EXPECT_EQ(painter.m_nFocusRects, 1);
    }
    {
        // Selected without the focus, shown always: the button face and the
        // window text.
        CListExCore core(LXS_SHOWSELALWAYS);
        Populate(core, 1);
        core.SetMetrics(Metrics());
        core.SetItemState(0, LXIS_SELECTED, LXIS_SELECTED);
        CRecordingPainter painter;
        const CListExRowPlan plan = core.PlanRow(0, painter);
        EXPECT_EQ(plan.m_fills[0].m_cr, colours.m_crBtnFace);
        EXPECT_EQ(plan.m_cells[0].m_crText, colours.m_crWindowText);
        EXPECT_EQ(plan.m_cells[1].m_crTextBk, crWhite);
    }
    {
        // Column 0 centred, without whole rows: the highlight is the text
        // plus 12 pixels, centred in the label.
        CListExCore core(LXS_OWNERDRAWFIXED);
        core.InsertColumn(0, Column(100, LXCFMT_CENTER));
        core.InsertItem(TextItem(0, "abcde"));
        core.SetMetrics(Metrics());
        core.OnSetFocus();
        core.SetItemState(0, LXIS_SELECTED, LXIS_SELECTED);
        CRecordingPainter painter;
        const CListExRowPlan plan = core.PlanRow(0, painter);
        ASSERT_EQ(plan.m_fills.size(), 3U);
        EXPECT_EQ(plan.m_fills[1].m_rc.Width(), 30 + 12);
        EXPECT_EQ(plan.m_fills[1].m_rc.m_nLeft, (100 - 30 - 12) / 2);
    }
    {
        // The sorted column is shaded in the rows and in the stripe; image 0
        // is no image.
        CListExCore core;
        Populate(core, 1);
        core.SetMetrics(Metrics(0, 16));
        core.EnableSortShading(true, -2, 32);
        CRecordingPainter painter;
        core.DrawItem(painter, 0);
        EXPECT_EQ(painter.m_fills[1].m_cr, ListExRgb(247, 247, 247));
        EXPECT_EQ(painter.m_fills[0].m_cr, crWhite);
        EXPECT_TRUE(painter.m_images.empty());
        const auto stripe = core.PlanErase({0, 0, 400, 100});
        ASSERT_EQ(stripe.size(), 3U);
        EXPECT_EQ(stripe[1], (CListExFill{{100, 0, 200, 100}, ListExRgb(247, 247, 247)}));
    }
}
