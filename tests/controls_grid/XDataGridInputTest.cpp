// XDataGrid input through the headless screen: selection by clicks and keys, the hooks input
// calls, header clicks and border drags, and scrolling.
#include "GridTestSupport.h"

namespace gridtest {
namespace {

using InputTest = GridFixture;

TEST_F(InputTest, ClicksSelectAndModifiersToggleOrExtendOnlyWithMultiSelection) {
    Show(6);
    Click(Cell(1, 0));
    EXPECT_EQ(grid.GetCurrSel(), 1);
    EXPECT_EQ(Selection(), (std::vector<int>{1}));
    // Without multi-selection the modifiers make plain clicks.
    ClickWith(VK_CONTROL, Cell(3, 1));
    EXPECT_EQ(Selection(), (std::vector<int>{3}));
    ClickWith(VK_SHIFT, Cell(5, 1));
    EXPECT_EQ(Selection(), (std::vector<int>{5}));

    grid.SetMultiSel(true);
    Click(Cell(1, 0));
    ClickWith(VK_CONTROL, Cell(3, 2));
    EXPECT_EQ(Selection(), (std::vector<int>{1, 3}));
    EXPECT_EQ(grid.GetCurrSel(), 3);
    ClickWith(VK_CONTROL, Cell(1, 2));
    EXPECT_EQ(Selection(), (std::vector<int>{3}));
    // Shift extends from the last plain or Ctrl click (row 1 here), in either direction.
    ClickWith(VK_SHIFT, Cell(5, 0));
    EXPECT_EQ(Selection(), (std::vector<int>{1, 2, 3, 4, 5}));
    ClickWith(VK_SHIFT, Cell(0, 0));
    EXPECT_EQ(Selection(), (std::vector<int>{0, 1}));
    EXPECT_EQ(grid.GetCurrSel(), 0);

    grid.ClearMultiSel();
    EXPECT_TRUE(grid.GetCurrSels().empty());
    EXPECT_EQ(grid.GetCurrSel(), -1);
    // Turning multi-selection off keeps only the current row.
    Click(Cell(2, 0));
    ClickWith(VK_CONTROL, Cell(4, 0));
    grid.SetMultiSel(false);
    EXPECT_EQ(Selection(), (std::vector<int>{4}));

    EXPECT_FALSE(grid.SetCurrSel(6));
    EXPECT_FALSE(grid.SetCurrSel(-2));
    EXPECT_TRUE(grid.SetCurrSel(-1));
    EXPECT_TRUE(grid.GetCurrSels().empty());
}

TEST_F(InputTest, RightClickSelectsAnUnselectedRowAndReportsGridCoordinates) {
    Show(6);
    grid.SetMultiSel(true);
    Click(Cell(1, 0));
    ClickWith(VK_CONTROL, Cell(2, 0));
    // On a selected row the selection stays, so that a menu acts on all of it.
    POINT p = Cell(2, 1);
    Click(p, PlatformMouseButton::Right);
    EXPECT_EQ(Selection(), (std::vector<int>{1, 2}));
    ASSERT_EQ(grid.contextMenus.size(), 1u);
    EXPECT_EQ(grid.contextMenus[0].x, p.x);
    EXPECT_EQ(grid.contextMenus[0].y, p.y);
    Click(Cell(4, 1), PlatformMouseButton::Right);
    EXPECT_EQ(Selection(), (std::vector<int>{4}));
    EXPECT_EQ(grid.contextMenus.size(), 2u);
}

TEST_F(InputTest, KeysMoveTheCurrentRowAndKeepItInView) {
    Show(40); // 200 - 2 border - 24 header = 174 pixels: 8 whole rows
    Click(Cell(0, 0));
    Key(VK_DOWN);
    EXPECT_EQ(grid.GetCurrSel(), 1);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(grid.GetCurrSel(), 0) << "Up stops at the first row";
    Key(VK_NEXT);
    EXPECT_EQ(grid.GetCurrSel(), 8);
    EXPECT_EQ(grid.GetTopRow(), 1) << "the current row is scrolled just into view";
    Key(VK_END);
    EXPECT_EQ(grid.GetCurrSel(), 39);
    EXPECT_EQ(grid.GetTopRow(), 32);
    Key(VK_NEXT);
    EXPECT_EQ(grid.GetCurrSel(), 39);
    Key(VK_PRIOR);
    EXPECT_EQ(grid.GetCurrSel(), 31);
    EXPECT_EQ(grid.GetTopRow(), 31);
    Key(VK_HOME);
    EXPECT_EQ(grid.GetCurrSel(), 0);
    EXPECT_EQ(grid.GetTopRow(), 0);
    EXPECT_EQ(Selection(), (std::vector<int>{0}));

    grid.SetMultiSel(true);
    PlatformKeyDown(VK_SHIFT);
    Key(VK_DOWN);
    Key(VK_DOWN);
    PlatformKeyUp(VK_SHIFT);
    PlatformRunUntilIdle();
    EXPECT_EQ(Selection(), (std::vector<int>{0, 1, 2}));

    Key(VK_RETURN);
    PlatformDoubleClick(Cell(4, 1).x, Cell(4, 1).y);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.entered, (std::vector<int>{2, 4}));
    EXPECT_EQ(grid.GetCurrSel(), 4);
}

TEST_F(InputTest, KeysOnAnEmptyGridDoNothing) {
    Show(0);
    for (UINT key : {VK_DOWN, VK_UP, VK_END, VK_HOME, VK_NEXT, VK_RETURN})
        Key(key);
    EXPECT_EQ(grid.GetCurrSel(), -1);
    EXPECT_TRUE(grid.entered.empty());
}

TEST_F(InputTest, HeaderClicksAlternateTheDirectionAndTheMarkFollowsTheResult) {
    Show(5);
    RECT header = grid.GetHeaderRect();
    POINT yield{header.left + 250, header.top + 10};
    POINT code{header.left + 40, header.top + 10};
    Click(yield);
    Click(yield);
    Click(yield);
    ASSERT_EQ(grid.sortCalls.size(), 3u);
    EXPECT_EQ(grid.sortCalls[0], std::make_pair(std::wstring(L"yield"), false));
    EXPECT_EQ(grid.sortCalls[1], std::make_pair(std::wstring(L"yield"), true));
    EXPECT_EQ(grid.sortCalls[2], std::make_pair(std::wstring(L"yield"), false));
    EXPECT_EQ(grid.GetSortColumn().str(), L"yield");
    EXPECT_FALSE(grid.GetSortAscending());

    // A refused sort leaves the mark where the rows are still sorted.
    grid.sortResult = false;
    Click(code);
    EXPECT_EQ(grid.sortCalls.back(), std::make_pair(std::wstring(L"code"), false));
    EXPECT_EQ(grid.GetSortColumn().str(), L"yield");

    // A press that slides off the item before the release is no click.
    grid.sortResult = true;
    size_t calls = grid.sortCalls.size();
    PlatformMouseDown(code.x, code.y);
    PlatformMouseMove(code.x, code.y + 80);
    PlatformMouseUp(code.x, code.y + 80);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.sortCalls.size(), calls);

    // A new header keeps the mark only if its column is still there.
    grid.SetHeader(L"<header><item name='yield' width='50'/></header>");
    EXPECT_EQ(grid.GetSortColumn().str(), L"yield");
    grid.SetHeader(L"<header><item name='other' width='50'/></header>");
    EXPECT_TRUE(grid.GetSortColumn().empty());
}

TEST_F(InputTest, DraggingAHeaderBorderResizesTheColumnAndUpdatesTheDocument) {
    Show(5);
    RECT header = grid.GetHeaderRect();
    int border = header.left + 99;
    int y = header.top + 10;
    PlatformMouseDown(border, y);
    PlatformMouseMove(border + 20, y);
    PlatformMouseMove(border + 30, y);
    PlatformMouseUp(border + 30, y);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.GetColumn(0)->width, 130);
    EXPECT_EQ(grid.GetCellRect(0, 1).left, grid.GetDataRect().left + 130);
    EXPECT_EQ(grid.headerChanges, 1);
    EXPECT_STREQ(grid.GetHeaderItem(L"code").attribute("width").value(), "130");
    EXPECT_TRUE(grid.sortCalls.empty()) << "a border drag is not a sort click";

    // A column cannot be dragged to nothing.
    border = header.left + 129;
    PlatformMouseDown(border, y);
    PlatformMouseMove(border - 300, y);
    PlatformMouseUp(border - 300, y);
    PlatformRunUntilIdle();
    EXPECT_GE(grid.GetColumn(0)->width, 8);
}

TEST_F(InputTest, WheelAndScrollBarsScrollWithinTheRows) {
    Show(40);
    RECT data = grid.GetDataRect();
    PlatformMouseWheel(data.left + 50, data.top + 50, -1);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.GetTopRow(), 3);
    PlatformMouseWheel(data.left + 50, data.top + 50, -100);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.GetTopRow(), 32) << "the last row ends at the bottom, no further";
    PlatformMouseWheel(data.left + 50, data.top + 50, 2);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.GetTopRow(), 26);

    // The arrows step by a row; the track pages.
    int barX = data.right + 6;
    Click(POINT{barX, data.top - 24 + 5}); // the up arrow sits at the top of the bar
    EXPECT_EQ(grid.GetTopRow(), 25);
    Click(POINT{barX, 198 - 5});
    EXPECT_EQ(grid.GetTopRow(), 26);
    Click(POINT{barX, data.top}); // the track above the thumb
    EXPECT_EQ(grid.GetTopRow(), 18);

    // The view stays put when the current row changes inside it, and a refresh can go home.
    grid.SetCurrSel(20);
    EXPECT_EQ(grid.GetTopRow(), 18);
    grid.Refresh(true, false);
    EXPECT_EQ(grid.GetTopRow(), 0);
    EXPECT_EQ(grid.GetCurrSel(), 20);
}

TEST_F(InputTest, TheWheelScrollsTheGridUnderTheCursorWithoutAClickFirst) {
    Show(40);
    TestGrid other;
    for (int i = 0; i < 40; ++i)
        other.rows.push_back({std::to_wstring(i), L"Other", L"0"});
    other.SetHeader(kThreeColumns);
    other.SetRowHight(20);
    other.SetHeaderRowHight(24);
    ASSERT_TRUE(other.Create(L"other", WS_POPUP | WS_VISIBLE, 400, 0, 320, 200, nullptr));
    other.Refresh(false, false);
    PlatformRunUntilIdle();

    // The keyboard is in the first grid; the wheel turns over the second.
    Click(Cell(0, 0));
    ASSERT_EQ(GetFocus(), static_cast<HWND>(grid));
    PlatformMouseWheel(400 + 50, 80, -1);
    PlatformRunUntilIdle();
    EXPECT_EQ(other.GetTopRow(), 3);
    EXPECT_EQ(grid.GetTopRow(), 0);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(grid)) << "scrolling does not move the keyboard";
    // And back over the first grid, the first one scrolls.
    PlatformMouseWheel(50, 80, -1);
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.GetTopRow(), 3);
    EXPECT_EQ(other.GetTopRow(), 3);
}

TEST_F(InputTest, RefreshDropsSelectionsThatNoLongerNameRows) {
    Show(10);
    grid.SetMultiSel(true);
    Click(Cell(2, 0));
    ClickWith(VK_SHIFT, Cell(7, 0));
    grid.rows.resize(5);
    grid.Refresh(false, false);
    EXPECT_EQ(Selection(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(grid.GetCurrSel(), -1);
    grid.Refresh(false, true);
    EXPECT_TRUE(grid.GetCurrSels().empty());
}

} // namespace
} // namespace gridtest
