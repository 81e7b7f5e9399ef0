// The extended list as a window: what it paints, read back from the screen.
#include "ListCtrlEx.h"

#include "GuiTestSupport.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include <functional>

namespace
{

wxColour ToWx(ListExColour cr)
{
    return wxColour(ListExRed(cr), ListExGreen(cr), ListExBlue(cr));
}

// A three-column owner-drawn list with whole-row selection, check boxes, hot
// tracking and the middle column shaded.
class ListCtrlExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame = new wxFrame(nullptr, wxID_ANY, "list", wxPoint(20, 20), wxSize(480, 320));
        m_pList = new CListCtrlEx(m_pFrame, wxID_ANY, LXS_OWNERDRAWFIXED | LXS_SHOWSELALWAYS);
        auto* pSizer = new wxBoxSizer(wxVERTICAL);
        pSizer->Add(m_pList, 1, wxEXPAND);
        m_pFrame->SetSizer(pSizer);
        m_pList->InsertColumn(0, "Name", LXCFMT_LEFT, 120);
        m_pList->InsertColumn(1, "Size", LXCFMT_RIGHT, 100);
        m_pList->InsertColumn(2, "Kind", LXCFMT_LEFT, 100);
        m_pList->SetExtendedStyle(0, LXS_EX_FULLROWSELECT | LXS_EX_CHECKBOXES | LXS_EX_ONECLICKACTIVATE |
                                         LXS_EX_UNDERLINEHOT);
        m_pList->SetBkColour(*wxWHITE);
        for (int i = 0; i < 5; ++i) {
            m_pList->InsertItem(i, wxString::Format("item %d", i));
            m_pList->SetItemText(i, 1, wxString::Format("%d", i * 10));
            m_pList->SetItemText(i, 2, "x");
        }
        m_pList->EnableSortShading(true, 2);
        m_pFrame->Show();
        m_pFrame->Raise();
        m_pList->SetFocus();
        PumpEvents();
    }

    void TearDown() override
    {
        // Hidden at once: the next test's window takes the same place on
        // the screen before this one is gone.
        m_pFrame->Hide();
        m_pFrame->Destroy();
        PumpEvents();
    }

    void MouseAt(wxEventType nType, const wxPoint& point)
    {
        SendMouse(*m_pList, nType, point, nType == wxEVT_LEFT_DOWN);
    }

    wxRect Cell(int nItem, int nColumn)
    {
        wxRect rect;
        EXPECT_TRUE(m_pList->GetCellRect(nItem, nColumn, 0, rect));
        return rect;
    }

    // The rows as the list paints them when it is exposed.
    wxImage Grab()
    {
        PumpEvents();
        const wxSize size = m_pList->GetClientSize();
        wxBitmap bitmap(size);
        {
            wxMemoryDC memory(bitmap);
            m_pList->PaintRows(memory, wxRect(size));
        }
        return bitmap.ConvertToImage();
    }

    // As "rgb(r, g, b)", which a failure prints readably.
    static std::string Pixel(const wxImage& image, const wxPoint& point)
    {
        return Css(wxColour(image.GetRed(point.x, point.y), image.GetGreen(point.x, point.y),
                            image.GetBlue(point.x, point.y)));
    }
    static std::string Css(const wxColour& colour) { return colour.GetAsString(wxC2S_CSS_SYNTAX).utf8_string(); }

    // A point of a cell well away from its text: its right edge for a
    // left-aligned column, its left for a right-aligned one.
    static wxPoint Blank(const wxRect& rect, bool bRightAligned)
    {
        return {bRightAligned ? rect.x + 3 : rect.GetRight() - 3, rect.y + rect.height / 2};
    }

    wxFrame* m_pFrame = nullptr;
    CListCtrlEx* m_pList = nullptr;
};

// The highlight's colour depends on the list having the keyboard focus,
// which another test's window would take, and what the screen shows on no
// other window covering this one: CTest runs these alone.
class ListCtrlExOwnDisplayTest : public ListCtrlExTest
{};

} // namespace

TEST_F(ListCtrlExOwnDisplayTest, PaintsShadeHighlightHotRowAndStripeBelowTheRows)
{
    const CListExSysColours& colours = m_pList->GetCore().GetSysColours();
    m_pList->SetItemState(1, LXIS_SELECTED, LXIS_SELECTED);
    m_pList->SetItemState(2, LXIS_SELECTED | LXIS_FOCUSED, LXIS_SELECTED | LXIS_FOCUSED);
    // The pointer over row 2's label makes it the hot row.
    wxRect label;
    ASSERT_TRUE(m_pList->GetCellRect(2, 0, 2, label));
    MouseAt(wxEVT_MOTION, wxPoint(label.x + 20, label.y + label.height / 2));
    EXPECT_EQ(m_pList->GetCore().GetHotItem(), 2);

    const wxImage image = Grab();
    const wxColour shade(247, 247, 247);
    // Row 0: plain, with the sorted column shaded.
    EXPECT_EQ(Pixel(image, Blank(Cell(0, 1), true)), Css(shade));
    EXPECT_EQ(Pixel(image, Blank(Cell(0, 2), false)), Css(*wxWHITE));
    // Row 1: selected in a focused list, highlighted across every column.
    EXPECT_EQ(Pixel(image, Blank(Cell(1, 1), true)), Css(ToWx(colours.m_crHighlight)));
    EXPECT_EQ(Pixel(image, Blank(Cell(1, 2), false)), Css(ToWx(colours.m_crHighlight)));
    // Column 0 keeps the background left of its label, where the check box is.
    EXPECT_EQ(Pixel(image, wxPoint(Cell(1, 0).x + 1, Cell(1, 0).y + 1)), Css(*wxWHITE));
    // Row 2: selected and hot, in the hot colour.
    EXPECT_EQ(Pixel(image, Blank(Cell(2, 2), false)), Css(ToWx(colours.m_crHotLight)));
    // Below the last row the shaded stripe goes on.
    const wxRect last = Cell(4, 1);
    EXPECT_EQ(Pixel(image, wxPoint(last.x + 10, last.GetBottom() + 20)), Css(shade));
    EXPECT_EQ(Pixel(image, wxPoint(Cell(4, 2).x + 10, last.GetBottom() + 20)), Css(*wxWHITE));
}

TEST_F(ListCtrlExOwnDisplayTest, ClassicSortMarkIsDrawnRightOfTheTitle)
{
    const int nLevel = CListExCore::GetComCtlLevel();
    CListExCore::SetComCtlLevel(1);
    m_pList->EnableSortMarks(true, 3);
    wxHeaderCtrl* pHeader = m_pList->GetHeaderCtrl();
    pHeader->Refresh();
    pHeader->Update();
    PumpEvents();
    // What the screen shows of the header, where the window system drew it.
    const wxSize size = pHeader->GetClientSize();
    wxBitmap shot(size);
    {
        wxMemoryDC memory(shot);
        wxScreenDC screen;
        const wxPoint origin = pHeader->GetScreenPosition();
        memory.Blit(0, 0, size.x, size.y, &screen, origin.x, origin.y);
    }
    CListExCore::SetComCtlLevel(nLevel);
    const wxImage image = shot.ConvertToImage();

    // The mark's base: a run of its grey as wide as the mark, in column 2.
    const wxColour crGray = ToWx(m_pList->GetCore().GetSysColours().m_crGrayText);
    auto isGray = [&](int x, int y) {
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) == crGray;
    };
    const int nLeft = m_pList->GetCore().GetColumnLeft(2);
    int nMarkLeft = -1;
    for (int y = 2; y < size.y - 2 && nMarkLeft < 0; ++y) {
        for (int x = nLeft; x + LXSM_CX <= nLeft + m_pList->GetColumnWidth(2) && nMarkLeft < 0; ++x) {
            int nRun = 0;
            while (nRun < LXSM_CX && isGray(x + nRun, y))
                ++nRun;
            if (nRun == LXSM_CX)
                nMarkLeft = x;
        }
    }
    ASSERT_GE(nMarkLeft, 0);
    EXPECT_GE(nMarkLeft, nLeft + pHeader->GetTextExtent("Kind").x);
}

TEST_F(ListCtrlExTest, AScrollRangeIsNeverShorterThanItsPage)
{
    // GTK takes a range shorter than its page for one scrolled past its
    // end and draws its overshoot glow there: a grey half-moon at the
    // list's right edge, or at its bottom.
    struct CCase
    {
        const char* m_pszWhat;
        std::function<void()> m_fnChange;
        bool m_bScrollsAcross;
    };
    const CCase cases[] = {
        {"five rows, narrow columns", [] {}, false},
        {"no rows", [this] { m_pList->DeleteAllItems(); }, false},
        {"columns wider than the window", [this] { m_pList->SetColumnWidth(0, 2000); }, true},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.m_pszWhat);
        c.m_fnChange();
        PumpEvents();
        for (int nOrient : {wxHORIZONTAL, wxVERTICAL})
            EXPECT_GE(m_pList->GetScrollRange(nOrient), m_pList->GetScrollThumb(nOrient)) << nOrient;
        EXPECT_EQ(m_pList->GetScrollRange(wxHORIZONTAL) > m_pList->GetScrollThumb(wxHORIZONTAL), c.m_bScrollsAcross);
    }
}

TEST_F(ListCtrlExTest, ClickOnTheCheckBoxTogglesItWithoutSelectingTheRow)
{
    wxRect cell = Cell(3, 0);
    CListExRect state;
    ASSERT_TRUE(m_pList->GetCore().GetStateIconRect(3, state));
    const wxPoint box(state.m_nLeft + 2, cell.y + cell.height / 2);
    MouseAt(wxEVT_LEFT_DOWN, box);
    MouseAt(wxEVT_LEFT_UP, box);
    EXPECT_TRUE(m_pList->GetCheck(3));
    EXPECT_EQ(m_pList->GetSelectedCount(), 0);
    MouseAt(wxEVT_LEFT_DOWN, box);
    EXPECT_FALSE(m_pList->GetCheck(3));

    // A click on the label selects the row and leaves its box alone.
    wxRect label;
    ASSERT_TRUE(m_pList->GetCellRect(3, 0, 2, label));
    MouseAt(wxEVT_LEFT_DOWN, wxPoint(label.x + 5, label.y + 3));
    EXPECT_FALSE(m_pList->GetCheck(3));
    EXPECT_EQ(m_pList->GetNextItem(-1, LXNI_SELECTED), 3);
}

TEST_F(ListCtrlExTest, OwnHeaderClickFlipsTheKeyAndTheOwnerHearsOfIt)
{
    std::vector<int> heard;
    m_pFrame->Bind(wxEVT_LIST_COL_CLICK, [&](wxListEvent& event) { heard.push_back(event.GetColumn()); });
    m_pList->EnableSortMarks(true, 0);
    auto click = [&](int nColumn) {
        wxHeaderCtrl* pHeader = m_pList->GetHeaderCtrl();
        wxHeaderCtrlEvent event(wxEVT_HEADER_CLICK, pHeader->GetId());
        event.SetEventObject(pHeader);
        event.SetColumn(nColumn);
        pHeader->ProcessWindowEvent(event);
    };
    click(1);
    EXPECT_EQ(m_pList->GetSortKey(), -2);
    EXPECT_TRUE(m_pList->GetHeaderColumn(1).IsSortKey());
    EXPECT_FALSE(m_pList->GetHeaderColumn(1).IsSortOrderAscending());
    click(1);
    EXPECT_EQ(m_pList->GetSortKey(), 2);
    EXPECT_TRUE(m_pList->GetHeaderColumn(1).IsSortOrderAscending());
    click(2);
    EXPECT_EQ(m_pList->GetSortKey(), 3);
    EXPECT_FALSE(m_pList->GetHeaderColumn(1).IsSortKey());
    EXPECT_EQ(heard, (std::vector<int>{1, 1, 2}));

    // The classic look shows the list's own grey mark instead of the arrow.
    const int nLevel = CListExCore::GetComCtlLevel();
    CListExCore::SetComCtlLevel(1);
    m_pList->EnableSortMarks(true, -3);
    const wxHeaderColumn& column = m_pList->GetHeaderColumn(2);
    EXPECT_FALSE(column.IsSortKey());
    const wxBitmap mark = column.GetBitmapBundle().GetBitmap(wxSize(9, 5));
    CListExCore::SetComCtlLevel(nLevel);
    ASSERT_TRUE(mark.IsOk());
    EXPECT_EQ(mark.GetSize(), wxSize(9, 5));
    const wxImage image = mark.ConvertToImage();
    const ListExColour crGray = m_pList->GetCore().GetSysColours().m_crGrayText;
    // The down mark: its base along the top row, its apex at the bottom.
    EXPECT_EQ(wxColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0)), ToWx(crGray));
    EXPECT_EQ(wxColour(image.GetRed(4, 4), image.GetGreen(4, 4), image.GetBlue(4, 4)), ToWx(crGray));
    EXPECT_TRUE(image.IsTransparent(0, 4));
}

TEST_F(ListCtrlExTest, DraggedHeaderColumnMovesItsCellsAndItsShade)
{
    wxHeaderCtrl* pHeader = m_pList->GetHeaderCtrl();
    wxHeaderCtrlEvent event(wxEVT_HEADER_END_REORDER, pHeader->GetId());
    event.SetEventObject(pHeader);
    event.SetColumn(1);
    event.SetNewOrder(0);
    pHeader->ProcessWindowEvent(event);
    int order[3] = {};
    ASSERT_EQ(m_pList->GetColumnOrderArray(3, order), 3);
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 0, 2}));
    const wxArrayInt shown = pHeader->GetColumnsOrder();
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.end()), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(Cell(0, 1).x, 0);
    EXPECT_EQ(Cell(0, 0).x, 100);
    // The shaded column went with its header.
    const wxImage image = Grab();
    EXPECT_EQ(Pixel(image, Blank(Cell(0, 1), true)), Css(wxColour(247, 247, 247)));
    EXPECT_EQ(Pixel(image, Blank(Cell(0, 0), false)), Css(*wxWHITE));
}

TEST_F(ListCtrlExTest, KeysMoveAndExtendTheSelectionAndTheContextMenuStaysInside)
{
    auto key = [&](int nCode, bool bShift = false, bool bCtrl = false) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = nCode;
        event.SetShiftDown(bShift);
        event.SetControlDown(bCtrl);
        event.SetEventObject(m_pList);
        m_pList->ProcessWindowEvent(event);
    };
    key(WXK_DOWN);
    EXPECT_EQ(m_pList->GetNextItem(-1, LXNI_SELECTED), 0);
    key(WXK_DOWN);
    key(WXK_DOWN, true);
    key(WXK_DOWN, true);
    EXPECT_EQ(m_pList->GetSelectedCount(), 3);
    EXPECT_EQ(m_pList->GetNextItem(-1, LXNI_SELECTED), 1);
    EXPECT_EQ(m_pList->GetNextItem(-1, LXNI_FOCUSED), 3);
    key(WXK_SPACE);
    EXPECT_TRUE(m_pList->GetCheck(3));
    key('A', false, true);
    EXPECT_EQ(m_pList->GetSelectedCount(), 5);
    key(WXK_HOME);
    EXPECT_EQ(m_pList->GetSelectedCount(), 1);

    int nMenus = 0;
    m_pFrame->Bind(wxEVT_CONTEXT_MENU, [&](wxContextMenuEvent&) { ++nMenus; });
    wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, m_pList->GetId(), wxPoint(5, 5));
    menu.SetEventObject(m_pList);
    m_pList->ProcessWindowEvent(menu);
    EXPECT_EQ(nMenus, 0);
}
