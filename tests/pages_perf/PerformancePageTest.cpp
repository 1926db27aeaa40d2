// The performance page on fixture databases, driven through the module and the headless screen:
// the rows and cells of the list, ranks, sorting within period groups, the filter panel, removal
// through the context menu, the tooltip, the drawing of group cells and bars, and failed queries.
#include "../module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "support/FixtureDb.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>
#include <platform/winbase.h>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr COLORREF kOddLine = RGB(31, 32, 33);
constexpr COLORREF kEvenLine = RGB(61, 62, 63);
constexpr COLORREF kGridLine = RGB(90, 90, 200);
constexpr COLORREF kListBack = RGB(20, 20, 20);
constexpr COLORREF kSelection = RGB(70, 80, 110);

class PerformancePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(1100, 1100);
        PlatformClearMessageBoxes();
        PlatformClearMenus();
    }

    void TearDown() override {
        PlatformSetMenuHook(nullptr);
        PlatformSetMessageBoxHook(nullptr);
        if (frame != nullptr)
            DestroyWindow(frame);
        PlatformRunUntilIdle();
    }

    // Joins the module to a host over the database file and shows the workspace in a window.
    void Start(const std::string& path) {
        XStringW error;
        database = HostDb::SqliteDatabase::Open(path, error);
        ASSERT_NE(database, nullptr) << error.ToUtf8();
        FakeTheme& theme = app->themes->theme;
        theme.colours["wnd_general_bg"] = RGB(10, 10, 10);
        theme.colours["list_bg_oddLine"] = kOddLine;
        theme.colours["list_bg_evenLine"] = kEvenLine;
        theme.colours["list_border_inside"] = kGridLine;
        theme.colours["list_column_bg"] = RGB(40, 40, 60);
        theme.colours["list_title"] = RGB(240, 240, 240);
        theme.colours["list_bg"] = kListBack;
        theme.colours["list_sel_bg"] = kSelection;
        theme.colours["list_style"] = RGB(120, 200, 240);
        theme.colours["list_value_positive"] = RGB(255, 64, 64);
        theme.colours["list_value_negative"] = RGB(0, 200, 0);
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        theme.colours["list_prev_data"] = RGB(230, 230, 230);
        theme.colours["list_name"] = RGB(200, 200, 120);
        theme.numbers["list_list_row_heihgt"] = 20;
        theme.numbers["list_header_row_heihgt"] = 24;
        for (const char* font :
             {"_font_name", "_font_bold", "_font_regular", "_font_digital", "_font_digital_bold"})
            theme.AddFont(font, L"WenQuanYi Micro Hei", 12, L"normal");
        auto dbModule = HostKernel::MakeRef<FakeDbModule>();
        dbModule->database = database.Get();
        app->modules["mod_Database"] = dbModule.Get();
        app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
        module.Load(nullptr, nullptr);
        ASSERT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();

        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"PerformancePageTestFrame";
        RegisterClassExW(&wc);
        frame = CreateWindowExW(0, L"PerformancePageTestFrame", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, 1100, 1064, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(module.Workspace().Create(frame, nullptr), nullptr);
        module.Workspace().Move(0, 0, 1100, 1064);
        module.Workspace().ApplyTheme(&theme);
        module.Workspace().Show();
        PlatformRunUntilIdle();
    }

    void StartOnFixture() { Start(fixture.Path()); }

    PerformancePage& Page() { return module.Workspace().Performance(); }
    PerformanceGrid& Grid() { return Page().Grid(); }

    void ShowPage() {
        module.Workspace().ShowTab(1);
        PlatformRunUntilIdle();
    }

    int Rows() {
        return static_cast<int>(SendMessageW(Grid(), Control::DataGridEx::kGetRowCountMessage, 0, 0));
    }

    // A cell as the grid shows it, through the message the host's scripted runs use.
    std::wstring Cell(int row, const wchar_t* column) {
        Control::XDataGrid::HeaderInfo2 info;
        if (!Grid().GetHeaderInfo(column, info))
            return L"<no column>";
        Control::DataGridEx::CellTextRequest request;
        request.row = row;
        request.column = info.index;
        if (SendMessageW(Grid(), Control::DataGridEx::kGetCellTextMessage, 0,
                         reinterpret_cast<LPARAM>(&request)) == 0)
            return L"<no cell>";
        return request.text.str();
    }

    // The row of a fund in a period, -1 when there is none.
    int RowOf(const std::wstring& alias, const std::wstring& period) {
        for (int row = 0; row < Rows(); ++row)
            if (Cell(row, L"aliascode") == alias && Cell(row, L"distance") == period)
                return row;
        return -1;
    }

    POINT CellCentre(int row, const wchar_t* column) {
        Control::XDataGrid::HeaderInfo2 info;
        Grid().GetHeaderInfo(column, info);
        RECT cell = Grid().GetCellRect(row, info.index);
        return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }

    void ClickGrid(POINT point, PlatformMouseButton button = PlatformMouseButton::Left) {
        ClientToScreen(Grid(), &point);
        PlatformClick(point.x, point.y, button);
        PlatformRunUntilIdle();
    }

    TestSupport::FixtureDb fixture{"funds.sql"};
    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    FundCompareModuleImpl module;
    HWND frame = nullptr;
};

// ---- Rows, cells and ranks -------------------------------------------------------------------------

TEST_F(PerformancePageTest, ThreeFundsGiveThirteenGroupsOldestYearFirst) {
    StartOnFixture();
    for (const wchar_t* code : {L"F014", L"F001", L"F002"})
        module.AddFund(code);
    ShowPage();
    EXPECT_EQ(Page().LatestYear(), XStringW(L"2010"));
    ASSERT_EQ(Rows(), 39);
    const std::vector<std::wstring> groups = {
        L"2008年",   L"2009年",   L"2010年",     L"最近五年", L"最近三年", L"最近两年",  L"最近一年",
        L"今年以来", L"最近半年", L"最近一季度", L"最近一月", L"最近一周", L"最近交易日"};
    const std::vector<std::wstring> funds = {L"000001", L"000002", L"000014"};
    for (int row = 0; row < 39; ++row) {
        EXPECT_EQ(Cell(row, L"distance"), groups[static_cast<size_t>(row / 3)]) << row;
        // Funds in code order within each period.
        EXPECT_EQ(Cell(row, L"aliascode"), funds[static_cast<size_t>(row % 3)]) << row;
    }
    EXPECT_EQ(Cell(0, L"name"), L"华夏成长股票");
    EXPECT_EQ(Cell(1, L"buystate"), L"暂停");
    EXPECT_EQ(Cell(2, L"buystate"), L"开放");
    EXPECT_EQ(Cell(0, L"investtype"), L"股票型");
}

TEST_F(PerformancePageTest, GrowthAndRanksAsShown) {
    StartOnFixture();
    for (const wchar_t* code : {L"F014", L"F001", L"F002"})
        module.AddFund(code);
    ShowPage();
    // Last week: nine ranked funds; F002 and F014 tie and share the fourth place, and among the
    // three equity funds the second place.
    int row = RowOf(L"000001", L"最近一周");
    EXPECT_EQ(Cell(row, L"yield"), L"2.00%");
    EXPECT_EQ(Cell(row, L"all_rank"), L"2/9");
    EXPECT_EQ(Cell(row, L"type_rank"), L"1/3");
    for (const wchar_t* alias : {L"000002", L"000014"}) {
        row = RowOf(alias, L"最近一周");
        EXPECT_EQ(Cell(row, L"all_rank"), L"4/9") << alias;
        EXPECT_EQ(Cell(row, L"type_rank"), L"2/3") << alias;
    }
    // Three years compound the average yield: (1.1)^3 - 1; one year shows the stored value.
    EXPECT_EQ(Cell(RowOf(L"000001", L"最近三年"), L"yield"), L"33.10%");
    EXPECT_EQ(Cell(RowOf(L"000001", L"最近一年"), L"yield"), L"25.00%");
    // A fund without a value shows no growth (the column's mark for an empty value) and is not ranked.
    row = RowOf(L"000002", L"最近三年");
    EXPECT_EQ(Cell(row, L"yield"), L"--");
    EXPECT_EQ(Cell(row, L"all_rank"), L"");
    EXPECT_EQ(Cell(RowOf(L"000001", L"最近三年"), L"all_rank"), L"2/6");
    // Calendar years: the withdrawn 2010 figure of F001 is not used.
    EXPECT_EQ(Cell(RowOf(L"000001", L"2010年"), L"yield"), L"21.00%");
    EXPECT_EQ(Cell(RowOf(L"000002", L"2010年"), L"all_rank"), L"2/2");
    EXPECT_EQ(Cell(RowOf(L"000014", L"2010年"), L"yield"), L"--");
    // Only funds of the return table that are open-ended, listed and not deleted are ranked.
    EXPECT_EQ(Page().Universe().Size(), 9u);
    EXPECT_EQ(Page().Universe().Find(L"F009"), -1);
    EXPECT_EQ(Page().Universe().Find(L"F099"), -1);
}

TEST_F(PerformancePageTest, SetChangesRefillFromTheRankedUniverseWhileVisible) {
    StartOnFixture();
    module.AddFund(L"F001");
    EXPECT_EQ(Page().ReloadCount(), 0); // hidden: nothing is loaded
    ShowPage();
    EXPECT_EQ(Page().ReloadCount(), 1);
    EXPECT_EQ(Rows(), 13);
    module.AddFund(L"F099"); // not in the ranked universe: no rows
    module.AddFund(L"F003");
    EXPECT_EQ(Page().ReloadCount(), 3);
    EXPECT_EQ(Rows(), 26);
    module.ClearFunds();
    EXPECT_EQ(Rows(), 0);
}

// ---- Sorting -----------------------------------------------------------------------------------------

TEST_F(PerformancePageTest, SortingKeepsPeriodGroupsTogether) {
    StartOnFixture();
    for (const wchar_t* code : {L"F001", L"F002", L"F003", L"F004"})
        module.AddFund(code);
    ShowPage();

    // A click on the header of the growth column.
    ClickGrid(POINT{CellCentre(0, L"yield").x, Grid().GetHeaderRect().top + 5});
    EXPECT_EQ(Grid().GetSortColumn(), XStringW(L"yield"));
    ASSERT_EQ(Rows(), 52);
    auto groupOf = [&](int row) { return Cell(row, L"distance"); };
    for (int row = 0; row < 52; ++row)
        EXPECT_EQ(groupOf(row), groupOf(row - row % 4)) << row;
    // The periods now run from the latest trading day, as the period index ascends.
    EXPECT_EQ(groupOf(0), L"最近交易日");

    // Peer rank: by period, then investment type, then rank; downwards (as the first click sorts)
    // the best rank comes first.
    ASSERT_TRUE(Grid().sort(L"type_rank", false));
    int first = RowOf(L"000001", L"最近一周") - RowOf(L"000001", L"最近一周") % 4;
    std::vector<std::wstring> order;
    for (int row = first; row < first + 4; ++row)
        order.push_back(Cell(row, L"aliascode"));
    // 指数型 (U+6307) and 债券型 (U+503A) come before 股票型 (U+80A1) by code units.
    EXPECT_EQ(order, (std::vector<std::wstring>{L"000004", L"000003", L"000001", L"000002"}));
    EXPECT_EQ(groupOf(first), L"最近一周");
}

TEST_F(PerformancePageTest, RankColumnsSortByNumberAlsoAfterARefill) {
    TestSupport::GeneratedDb generated(SampleDb::Options{80, 3, 7});
    Start(generated.Path());
    module.AddFund(L"no such fund");
    ShowPage(); // loads the universe
    ASSERT_GT(Page().Universe().Size(), 20u);
    // Fifteen funds: enough for overall ranks with two digits next to ranks with one.
    std::set<XStringW, FundCodeLess> codes;
    for (size_t row = 0; row < Page().Universe().RowCount(); ++row)
        codes.insert(Page().Universe().FundAt(static_cast<int>(row)).code);
    int added = 0;
    for (const XStringW& code : codes)
        if (added < 15 && module.AddFund(code) == FundCompareModuleImpl::kAdded)
            ++added;
    // Downwards, as the first click on the header sorts: the best rank first.
    ASSERT_TRUE(Grid().sort(L"all_rank", false));
    auto checkOrder = [&](const char* when) {
        for (int row = 1; row < Rows(); ++row) {
            if (Cell(row, L"distance") != Cell(row - 1, L"distance"))
                continue;
            std::wstring previous = Cell(row - 1, L"all_rank"), current = Cell(row, L"all_rank");
            if (previous.empty() || current.empty())
                continue;
            EXPECT_LE(std::stoi(previous), std::stoi(current)) << when << " row " << row;
        }
    };
    checkOrder("after the sort");
    module.RemoveFund(L"no such fund");
    module.NotifyFundsChanged(L"");
    checkOrder("after the refill");
}

// ---- Filter panel, bars and tooltip ----------------------------------------------------------------

TEST_F(PerformancePageTest, ThePeriodFilterNarrowsRowsAndRescalesBars) {
    StartOnFixture();
    for (const wchar_t* code : {L"F014", L"F001", L"F002"})
        module.AddFund(code);
    ShowPage();
    // The largest growth in view: F001's 2009 return.
    EXPECT_DOUBLE_EQ(Grid().MaxYield(), 0.55);

    FilterWnd2::DropdownButton* button = Page().FilterPanel().FindButton(L"distance");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCaption(), XStringW(L"对比区间"));
    PlatformSetMenuHook(PlatformMenuPickCaption(L"最近一周"));
    RECT rect{};
    GetWindowRect(*button, &rect);
    PlatformClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PlatformRunUntilIdle();
    ASSERT_FALSE(PlatformMenus().empty());
    EXPECT_EQ(PlatformMenus().back().items.size(), 15u); // show all, separator, thirteen periods
    EXPECT_EQ(PlatformMenus().back().items[12].caption, L"2010年");

    ASSERT_EQ(Rows(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Cell(row, L"distance"), L"最近一周");
    EXPECT_DOUBLE_EQ(Grid().MaxYield(), 0.02);

    // The filter stays with the view when the compared set changes.
    module.AddFund(L"F003");
    EXPECT_EQ(Rows(), 4);
}

TEST_F(PerformancePageTest, TheBarTooltipShowsTheGrowth) {
    StartOnFixture();
    module.AddFund(L"F001");
    ShowPage();
    int row = RowOf(L"000001", L"最近三年");
    POINT point = CellCentre(row, L"image");
    ClientToScreen(Grid(), &point);
    PlatformMouseMove(point.x, point.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(Grid().TooltipText(), XStringW(L"涨幅：33.10%"));
    point = CellCentre(row, L"name");
    ClientToScreen(Grid(), &point);
    PlatformMouseMove(point.x, point.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(Grid().TooltipText().empty());
}

TEST_F(PerformancePageTest, GroupCellsAndBarsAreDrawn) {
    StartOnFixture();
    for (const wchar_t* code : {L"F014", L"F001", L"F002"})
        module.AddFund(code);
    ShowPage();
    PlatformPaintAll();
    const std::string shot = (std::filesystem::temp_directory_path() / "performance_page.png").string();
    EXPECT_TRUE(PlatformSaveWindowPng(Page(), shot));

    Control::XDataGrid::HeaderInfo2 distance, name, image;
    ASSERT_TRUE(Grid().GetHeaderInfo(L"distance", distance));
    ASSERT_TRUE(Grid().GetHeaderInfo(L"name", name));
    ASSERT_TRUE(Grid().GetHeaderInfo(L"image", image));
    auto differing = [&](int row, int column, COLORREF back) {
        RECT cell = Grid().GetCellRect(row, column);
        int count = 0;
        for (int y = cell.top; y < cell.bottom - 1; ++y)
            for (int x = cell.left; x < cell.right - 1; ++x)
                count += PlatformWindowPixel(Grid(), x, y) != back;
        return count;
    };
    // The label of the first group is drawn once, over its middle row, on the grid's own
    // background rather than on the rows' stripes.
    EXPECT_EQ(differing(0, distance.index, kListBack), 0);
    EXPECT_GT(differing(1, distance.index, kListBack), 20);
    EXPECT_EQ(differing(2, distance.index, kListBack), 0);

    // Inside a group the period cell has no bottom line; other cells do, and the group's last row
    // has the grey group line.
    RECT first = Grid().GetCellRect(0, distance.index);
    EXPECT_EQ(PlatformWindowPixel(Grid(), (first.left + first.right) / 2, first.bottom - 1), kListBack);
    RECT firstName = Grid().GetCellRect(0, name.index);
    EXPECT_EQ(PlatformWindowPixel(Grid(), (firstName.left + firstName.right) / 2, firstName.bottom - 1),
              kGridLine);
    RECT third = Grid().GetCellRect(2, name.index);
    EXPECT_EQ(PlatformWindowPixel(Grid(), (third.left + third.right) / 2, third.bottom - 1),
              RGB(125, 125, 125));

    // The largest growth fills the bar column with the red gain bar; a loss is green and as long
    // as its share of the largest growth.
    int best = RowOf(L"000001", L"2009年");
    RECT cell = Grid().GetCellRect(best, image.index);
    int middle = (cell.top + cell.bottom) / 2;
    COLORREF start = PlatformWindowPixel(Grid(), cell.left + 6, middle);
    COLORREF end = PlatformWindowPixel(Grid(), cell.right - 7, middle);
    EXPECT_GT(GetRValue(start), 150);
    EXPECT_LT(GetGValue(start), 120);
    EXPECT_GT(GetRValue(end), 150);
    EXPECT_LT(GetGValue(end), 120);
    int loss = RowOf(L"000001", L"2008年"); // -0.45 of 0.55
    cell = Grid().GetCellRect(loss, image.index);
    middle = (cell.top + cell.bottom) / 2;
    int width = cell.right - cell.left - 8;
    auto isGreen = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 40; };
    EXPECT_TRUE(isGreen(PlatformWindowPixel(Grid(), cell.left + 6, middle)));
    EXPECT_TRUE(isGreen(PlatformWindowPixel(Grid(), cell.left + 4 + width * 45 / 55 - 3, middle)));
    EXPECT_EQ(PlatformWindowPixel(Grid(), cell.left + 4 + width * 45 / 55 + 3, middle),
              loss % 2 == 0 ? kOddLine : kEvenLine);
    // A fund without a value has no bar.
    int none = RowOf(L"000014", L"2010年");
    cell = Grid().GetCellRect(none, image.index);
    COLORREF back = none % 2 == 0 ? kOddLine : kEvenLine;
    EXPECT_EQ(PlatformWindowPixel(Grid(), cell.left + 6, (cell.top + cell.bottom) / 2), back);
}

TEST_F(PerformancePageTest, APeriodLabelStaysInViewAndNeitherStripesNorTheSelectionCutThroughIt) {
    StartOnFixture();
    // Every ranked fund: groups of nine rows.
    for (const wchar_t* code :
         {L"F001", L"F002", L"F003", L"F004", L"F005", L"F006", L"F007", L"F008", L"F014"})
        module.AddFund(code);
    ShowPage();
    ASSERT_EQ(Rows(), 117);
    Control::XDataGrid::HeaderInfo2 distance, name;
    ASSERT_TRUE(Grid().GetHeaderInfo(L"distance", distance));
    ASSERT_TRUE(Grid().GetHeaderInfo(L"name", name));
    // Scrolled so that only the last four rows of the first group are left in view: the middle
    // of the whole group is above the view.
    Grid().SetTopRow(5);
    PlatformPaintAll();
    ASSERT_EQ(Cell(8, L"distance"), L"2008年");
    ASSERT_EQ(Cell(9, L"distance"), L"2009年");

    // The label's pixels in the group column of rows 5 to 8, and where they lie.
    auto label = [&] {
        std::vector<COLORREF> pixels;
        int top = INT_MAX, bottom = INT_MIN;
        for (int row = 5; row <= 8; ++row) {
            RECT cell = Grid().GetCellRect(row, distance.index);
            for (int y = cell.top; y < cell.bottom - 1; ++y)
                for (int x = cell.left; x < cell.right - 1; ++x) {
                    COLORREF c = PlatformWindowPixel(Grid(), x, y);
                    pixels.push_back(c);
                    if (c != kListBack) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
                }
        }
        return std::make_tuple(pixels, top, bottom);
    };
    auto [before, top, bottom] = label();
    ASSERT_NE(top, INT_MAX) << "the label of the first group is not in view";
    // One label, centred on the part of the group in view (rows 5 to 8).
    int rowHeight = Grid().GetCellRect(6, 0).top - Grid().GetCellRect(5, 0).top;
    EXPECT_LT(bottom - top, rowHeight);
    int centre = (Grid().GetCellRect(5, 0).top + Grid().GetCellRect(8, 0).bottom) / 2;
    EXPECT_LE(top, centre);
    EXPECT_GE(bottom, centre - 2);

    // The stripes stop at the group column: an even and an odd row show the grid's background
    // there, and their own stripe beside it.
    for (int row : {5, 6}) {
        RECT group = Grid().GetCellRect(row, distance.index);
        RECT fund = Grid().GetCellRect(row, name.index);
        EXPECT_EQ(PlatformWindowPixel(Grid(), group.left + 2, group.top + 1), kListBack) << row;
        EXPECT_EQ(PlatformWindowPixel(Grid(), fund.right - 3, fund.top + 1),
                  row % 2 == 0 ? kOddLine : kEvenLine)
            << row;
    }

    // A click selects a row of the group; the row turns the selection colour, the group cell
    // does not change at all.
    ClickGrid(CellCentre(7, L"name"));
    PlatformPaintAll();
    ASSERT_EQ(Grid().GetCurrSel(), 7);
    RECT fund = Grid().GetCellRect(7, name.index);
    EXPECT_EQ(PlatformWindowPixel(Grid(), fund.right - 3, fund.top + 1), kSelection);
    auto [after, topAfter, bottomAfter] = label();
    EXPECT_TRUE(after == before);
    EXPECT_EQ(topAfter, top);

    // A group whose first rows are the last ones in view, its middle below the view, shows its
    // label in those rows.
    RECT data = Grid().GetDataRect();
    int shown = (data.bottom - data.top) / rowHeight;
    int group = (shown + 8) / 9;
    Grid().SetTopRow(9 * group + 4 - shown);
    PlatformPaintAll();
    ASSERT_EQ(Grid().GetCellRect(9 * group + 3, 0).bottom <= data.bottom, true);
    int ink = 0;
    for (int row = 9 * group; row <= 9 * group + 3; ++row) {
        RECT cell = Grid().GetCellRect(row, distance.index);
        for (int y = cell.top; y < cell.bottom - 1; ++y)
            for (int x = cell.left; x < cell.right - 1; ++x)
                ink += PlatformWindowPixel(Grid(), x, y) != kListBack;
    }
    EXPECT_GT(ink, 20);
}

TEST_F(PerformancePageTest, AWithdrawnYearDoesNotMoveTheYearGroups) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(fixture.Path().c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(raw,
                     "insert into tb_yieldhistory (fundcode, yieldtype, year, percentvalue, isdeleted)"
                     " values ('F001', 1, 2012, 0.7, 1);"
                     // A tiny loss on the latest day, too small to show.
                     "update tb_currvalue set daymargin = -0.00001 where code = 'F002' and not isdeleted;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(raw);
    StartOnFixture();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    ShowPage();
    EXPECT_EQ(Page().LatestYear(), XStringW(L"2010"));
    EXPECT_EQ(Cell(RowOf(L"000001", L"2010年"), L"yield"), L"21.00%");
    EXPECT_EQ(Cell(RowOf(L"000001", L"2009年"), L"yield"), L"55.00%");
    // A value that rounds to nothing shows without a sign.
    EXPECT_EQ(Cell(RowOf(L"000002", L"最近交易日"), L"yield"), L"0.00%");
}

// ---- Removing funds ------------------------------------------------------------------------------------

TEST_F(PerformancePageTest, TheContextMenuRemovesTheSelectedFunds) {
    StartOnFixture();
    for (const wchar_t* code : {L"F014", L"F001", L"F002"})
        module.AddFund(code);
    ShowPage();
    // Nothing selected: the item is offered greyed.
    Grid().ClearMultiSel();
    PlatformSetMenuHook(
        [](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::optional<UINT>(); });
    RECT data = Grid().GetDataRect();
    ClickGrid(POINT{data.left + 50, data.bottom - 3}, PlatformMouseButton::Right);
    ASSERT_FALSE(PlatformMenus().empty());
    // The removal item first; the list's export follows behind a separator and is never greyed.
    ASSERT_EQ(PlatformMenus().back().items.size(), 3u);
    EXPECT_EQ(PlatformMenus().back().items[0].caption, L"从当前对比中移除(&R)");
    EXPECT_TRUE(PlatformMenus().back().items[0].grayed);
    EXPECT_TRUE(PlatformMenus().back().items[1].separator);
    EXPECT_FALSE(PlatformMenus().back().items[2].grayed);
    EXPECT_EQ(module.Funds().size(), 3u);

    // A right click on a row of F002 selects it; the item removes the fund from every period.
    PlatformSetMenuHook(PlatformMenuPickId(PerformanceGrid::kRemoveCommand));
    ClickGrid(CellCentre(RowOf(L"000002", L"最近一月"), L"name"), PlatformMouseButton::Right);
    EXPECT_FALSE(PlatformMenus().back().items[0].grayed);
    EXPECT_EQ(module.Funds().count(L"F002"), 0u);
    EXPECT_EQ(module.Funds().size(), 2u);
    ASSERT_EQ(Rows(), 26);
    for (int row = 0; row < Rows(); ++row)
        EXPECT_NE(Cell(row, L"aliascode"), L"000002");
    EXPECT_TRUE(Grid().GetCurrSels().empty());
}

// ---- Years and failures ----------------------------------------------------------------------------------

TEST(PerformancePageYear, OnlyFourDigitsReachTheQuery) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    XStringW current = XStringW().Format(L"%d", static_cast<int>(now.wYear));
    EXPECT_EQ(PerformancePage::SafeYear(L"2010"), XStringW(L"2010"));
    for (const wchar_t* bad : {L"", L"201", L"20100", L"2010 or 1=1", L"２０１０", L"-201"})
        EXPECT_EQ(PerformancePage::SafeYear(bad), current) << XStringW(bad).ToUtf8();
}

TEST_F(PerformancePageTest, AnEmptyYearTableLabelsTheCurrentYear) {
    TestSupport::FixtureDb empty;
    Start(empty.Path());
    module.AddFund(L"F001");
    ShowPage();
    SYSTEMTIME now{};
    GetSystemTime(&now);
    ASSERT_EQ(Page().Periods().size(), 13u);
    EXPECT_EQ(Page().Periods()[10], XStringW().Format(L"%d年", now.wYear));
    EXPECT_EQ(Page().Periods()[12], XStringW().Format(L"%d年", now.wYear - 2));
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_EQ(Rows(), 0);
}

TEST_F(PerformancePageTest, FailedQueriesShowErrorsAndAreTriedAgain) {
    // A database without the fund tables.
    TestSupport::TempDbFile file("performance-broken");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.Path().c_str(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "create table other(a)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    PlatformClearMessageBoxes();
    Start(file.Path());
    // The year query failed while the page was built; the year falls back to the current one.
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
    EXPECT_EQ(PlatformMessageBoxes()[0].owner, nullptr);
    EXPECT_NE(PlatformMessageBoxes()[0].text.find(L"tb_yieldhistory"), std::wstring::npos);
    EXPECT_EQ(Page().LatestYear().length(), 4u);

    // The general page reports its own failures; count only what this page asks.
    auto pageErrors = [] {
        size_t n = 0;
        for (const auto& box : PlatformMessageBoxes())
            if (box.caption == L"ERROR" && box.text.find(L"tb_yield") != std::wstring::npos)
                ++n;
        return n;
    };
    size_t before = pageErrors();
    module.AddFund(L"F001");
    ShowPage();
    EXPECT_EQ(pageErrors(), before + 1);
    EXPECT_EQ(Rows(), 0);
    // Nothing was kept, so the next refill asks again.
    module.AddFund(L"F002");
    EXPECT_EQ(pageErrors(), before + 2);
}

TEST_F(PerformancePageTest, AQueryThatFailsPartWayKeepsNoPartialRanking) {
    // The return of one fund overflows while the rows are being read, after other funds came.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(fixture.Path().c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "alter table tb_yield rename to tb_yield_stored;"
                           "create view tb_yield as select fundcode, fundtype, date,"
                           " case when fundcode = 'F014' then abs(-9223372036854775808) else lastweek end"
                           " as lastweek, lastmonth, lastquarter, lasthalfyear, thisyear, yearavgyield1year,"
                           " yearavgyield2year, yearavgyield3year, yearavgyield5year, isdeleted"
                           " from tb_yield_stored order by fundcode",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    StartOnFixture();
    module.AddFund(L"F001");
    ShowPage();
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
    EXPECT_NE(PlatformMessageBoxes()[0].text.find(L"overflow"), std::wstring::npos);
    EXPECT_TRUE(Page().Universe().Empty());
    EXPECT_EQ(Rows(), 0);
}

} // namespace
