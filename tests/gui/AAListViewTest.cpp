#include "AAListView.h"

#include "AAStore.h"
#include "CategoryTreeView.h"
#include "DisplayText.h"
#include "DocumentFile.h"
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "ModelHelpers.h"
#include "Resources.h"
#include "RidaxoApp.h"
#include "RidaxoDoc.h"
#include "TempFiles.h"

#include <wx/headerctrl.h>
#include <wx/menu.h>

#include <algorithm>
#include <cstring>

namespace
{

class AAListViewTest : public CSampleFixture
{
protected:
    CCategory& Root() const { return Doc().GetRootForSteps(); }

    // Lists the whole collection, in file order: one folder, 40 AAs.
    void ListAll()
    {
        ImportSample(wxNO);
        SelectFolder(Tree().GetRootItem());
        ASSERT_EQ(List().GetItemCount(), Root().GetAACount());
        m_messages.clear();
    }

    void ClickHeader(int nColumn)
    {
        wxHeaderCtrl* pHeader = List().GetHeaderCtrl();
        wxHeaderCtrlEvent event(wxEVT_HEADER_CLICK, pHeader->GetId());
        event.SetEventObject(pHeader);
        event.SetColumn(nColumn);
        pHeader->ProcessWindowEvent(event);
        PumpEvents();
    }

    void Mouse(wxEventType nType, const wxPoint& point, bool bLeftDown) { SendMouse(List(), nType, point, bLeftDown); }

    wxPoint RowPoint(int nRow)
    {
        wxRect rect;
        EXPECT_TRUE(List().GetCellRect(nRow, 0, 2, rect));
        return {rect.x + 10, rect.y + rect.height / 2};
    }

    void SelectRows(std::initializer_list<int> rows)
    {
        List().SetItemState(-1, 0, LXIS_SELECTED);
        for (int nRow : rows)
            List().SetItemState(nRow, LXIS_SELECTED, LXIS_SELECTED);
        PumpEvents();
    }

    std::vector<int> Rows() const
    {
        std::vector<int> rows;
        for (int i = 0; i < List().GetRowCount(); ++i)
            rows.push_back(List().GetRowAA(i));
        return rows;
    }
};

} // namespace

TEST_F(AAListViewTest, ListsInFileOrderAndHeaderClicksAlternateWithMarkAndShade)
{
    ListAll();
    const int nLast = Root().GetAACount() - 1;
    const CListExCore& core = List().GetCore();
    EXPECT_EQ(List().GetRowAA(0), 0);
    EXPECT_EQ(List().GetRowAA(nLast), nLast);
    EXPECT_EQ(List().GetFirstSelectedRow(), -1);
    // Until the first click: ascending, yet no mark and no shaded column.
    EXPECT_EQ(core.GetSortKey(), 0);
    EXPECT_EQ(core.GetHeaderMark(0), EListExMark::None);
    EXPECT_EQ(core.PlanErase({0, 0, 100, 100}).size(), 1U);
    // Every name is the owner's text, and a search by name finds it.
    CListExFindInfo find;
    find.m_nFlags = LXFI_STRING;
    find.m_strText = List().GetItemText(nLast).utf8_string();
    const int nFound = List().FindItem(-1, find);
    ASSERT_GE(nFound, 0);
    EXPECT_EQ(List().GetItemText(nFound), List().GetItemText(nLast));

    ClickHeader(0);
    EXPECT_EQ(List().GetSortParam(), -1);
    EXPECT_EQ(List().GetRowAA(0), nLast);
    EXPECT_EQ(core.GetHeaderMark(0), EListExMark::ArrowDown);
    const auto fills = core.PlanErase({0, 0, 1000, 100});
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.front().m_cr, core.GetShadeColour());

    ClickHeader(0);
    EXPECT_EQ(List().GetSortParam(), 1);
    EXPECT_EQ(List().GetRowAA(0), 0);
    EXPECT_EQ(core.GetHeaderMark(0), EListExMark::ArrowUp);

    // The direction chosen applies to the next folder listed too.
    ClickHeader(0);
    SelectFolder(Tree().GetRootItem());
    List().Fill(&Root());
    EXPECT_EQ(List().GetRowAA(0), nLast);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(AAListViewTest, PopupDeletesExactlyTheSelectedEntriesAndTheSaveShowsIt)
{
    ListAll();
    std::unique_ptr<wxMenu> pMenu = LoadPopupMenu(IDR_LISTPOPUP);
    ASSERT_TRUE(pMenu);
    ASSERT_EQ(pMenu->GetMenuItemCount(), 2U);
    EXPECT_EQ(pMenu->FindItemByPosition(0)->GetItemLabelText(), wxString::FromUTF8("ＡＡの削除"));
    EXPECT_EQ(pMenu->FindItemByPosition(0)->GetId(), ID_AA_DELETE);

    SelectRows({2, 5, 7});
    wxCommandEvent choose(wxEVT_MENU, ID_AA_DELETE);
    List().ProcessWindowEvent(choose);
    PumpEvents();

    std::vector<int> expected;
    for (int i = 0; i < 40; ++i) {
        if (i != 2 && i != 5 && i != 7)
            expected.push_back(i);
    }
    EXPECT_EQ(Root().GetAAList(), expected);
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(Doc().GetStore().GetCount(), 40);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(Doc().IsModified());

    CTempDir dir;
    const std::string strIndex = dir.File("deleted.rix");
    ASSERT_TRUE(Doc().SaveAsPath(strIndex));
    EXPECT_FALSE(Doc().IsModified());
    ASSERT_TRUE(Manager().OpenPath(strIndex)) << (m_messages.empty() ? "" : m_messages.back().m_strText.utf8_string());
    PumpEvents();
    EXPECT_EQ(Doc().GetModel().GetRoot().GetAAList(), expected);
}

TEST_F(AAListViewTest, AnAAHeldTwiceShowsTwoRowsAndDeletingOneKeepsOne)
{
    ListAll();
    Root().AddAA(3);
    List().Fill(&Root());
    ASSERT_EQ(List().GetRowAA(3), 3);
    ASSERT_EQ(List().GetRowAA(4), 3);
    EXPECT_EQ(List().GetItemText(3), List().GetItemText(4));

    SelectRows({4});
    List().DeleteSelected();
    EXPECT_EQ(std::count(Root().GetAAList().begin(), Root().GetAAList().end(), 3), 1);
    EXPECT_EQ(List().GetRowCount(), 40);
}

TEST_F(AAListViewTest, DragBlockHoldsTheIndexInDecimalZeroFilled)
{
    struct CCase
    {
        int m_nIndex;
        const char* m_pszDigits;
    };
    for (const CCase& test : {CCase{7, "7"}, CCase{42, "42"}, CCase{0, "0"}, CCase{1234567, "1234567"}}) {
        const std::vector<char> block = CAAListView::MakeDragData(test.m_nIndex);
        ASSERT_EQ(block.size(), 4096U);
        const size_t nDigits = std::strlen(test.m_pszDigits);
        EXPECT_EQ(std::string(block.data(), nDigits), test.m_pszDigits);
        EXPECT_TRUE(std::all_of(block.begin() + static_cast<long>(nDigits), block.end(), [](char ch) {
            return ch == 0;
        })) << test.m_nIndex;
    }
}

TEST_F(AAListViewTest, DraggingRowsOffersTheFirstAndAMoveTakesThemAway)
{
    ListAll();
    struct CCase
    {
        wxDragResult m_nResult;
        bool m_bRowsLeave;
    };
    for (const CCase& test :
         {CCase{wxDragCopy, false}, CCase{wxDragNone, false}, CCase{wxDragCancel, false}, CCase{wxDragMove, true}}) {
        SelectRows({4, 9, 12});
        std::vector<char> block;
        wxString strText;
        CDragOverride drag([&](wxDataObject& data) {
            // Ridaxo's own folders take the custom format, other programs
            // the bodies as text.
            const wxDataFormat format(CAAListView::DragFormatName());
            EXPECT_TRUE(data.IsSupported(format));
            block.resize(data.GetDataSize(format));
            data.GetDataHere(format, block.data());
            wxTextDataObject text;
            EXPECT_EQ(data.GetPreferredFormat(), text.GetFormat());
            std::vector<char> textBlock(data.GetDataSize(text.GetFormat()));
            data.GetDataHere(text.GetFormat(), textBlock.data());
            text.SetData(text.GetFormat(), textBlock.size(), textBlock.data());
            strText = text.GetText();
            return test.m_nResult;
        });
        // A press on a selected row keeps the others selected; moving away
        // with the button down starts the drag.
        const wxPoint point = RowPoint(9);
        Mouse(wxEVT_LEFT_DOWN, point, true);
        Mouse(wxEVT_MOTION, point + wxPoint(20, 20), true);
        PumpEvents();

        wxString strBodies = ToDisplay(Doc().GetStore().GetText(4) + "\r\n" + Doc().GetStore().GetText(9) + "\r\n" +
                                       Doc().GetStore().GetText(12));
        strBodies.Replace("\r\n", "\n");
        EXPECT_EQ(strText, strBodies);
        ASSERT_EQ(block.size(), 4096U);
        EXPECT_EQ(std::string(block.data()), "4");
        const bool bGone =
            std::find(Root().GetAAList().begin(), Root().GetAAList().end(), 9) == Root().GetAAList().end();
        EXPECT_EQ(bGone, test.m_bRowsLeave) << test.m_nResult;
        EXPECT_EQ(List().GetRowCount(), test.m_bRowsLeave ? 37 : 40);
    }
    const std::vector<int> rows = Rows();
    EXPECT_EQ(rows.front(), 0);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 12), 0);
}

TEST_F(AAListViewTest, AClickWithoutMovingSelectsTheRowAndShowsItsText)
{
    ListAll();
    int nDrags = 0;
    CDragOverride drag([&](wxDataObject&) {
        ++nDrags;
        return wxDragNone;
    });
    SelectRows({1, 2, 3});
    const wxPoint point = RowPoint(2);
    Mouse(wxEVT_LEFT_DOWN, point, true);
    Mouse(wxEVT_MOTION, point + wxPoint(1, 0), true);
    Mouse(wxEVT_LEFT_UP, point, false);
    PumpEvents();

    EXPECT_EQ(nDrags, 0);
    EXPECT_EQ(List().GetSelectedCount(), 1);
    EXPECT_EQ(List().GetFirstSelectedRow(), 2);
    EXPECT_FALSE(PaneText().empty());
    EXPECT_EQ(Root().GetAACount(), 40);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(AAListViewTest, ListingAFolderShowsItsFirstAANeverOneOfTheFolderBefore)
{
    ImportSample(wxYES);
    std::vector<wxTreeItemId> folders = {Tree().GetRootItem()};
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = Tree().GetFirstChild(folders[0], cookie); item.IsOk();
         item = Tree().GetNextChild(folders[0], cookie))
        folders.push_back(item);
    ASSERT_GT(folders.size(), 2U);
    for (const wxTreeItemId& folder : folders) {
        SelectFolder(folder);
        ASSERT_GT(List().GetRowCount(), 1);
        const wxString strListed = PaneText();
        // What the pane shows for the first row, chosen.
        SelectRow(0);
        EXPECT_FALSE(strListed.empty()) << Tree().GetItemText(folder);
        EXPECT_EQ(strListed, PaneText()) << Tree().GetItemText(folder);
        // The next folder is listed while another row is selected here.
        SelectRow(1);
    }
}
