// The fee page on the fixture database, driven headless: the fees side by side with the cheapest
// total marked, the columns sorted by a row's label, the calculator's boxes, the manager view with
// a fund's managers over its life, removal from a column, a database without the fee tables and a
// broken one.
#include "pages/fees/FeesPage.h"
#include "module/ModuleHost.h"
#include "pages/growth/GrowthDates.h"
#include "support/FixtureDb.h"
#include "workspace/PageList.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Row = FeeCompareGrid::Row;

class FeesFixture : public ::testing::Test {
protected:
    TestSupport::FixtureDb fixture{"funds.sql", "../pages_growth/growth_history.sql",
                                   "../pages_fees/fees.sql"};
    ModuleHost host;
    FundCompareModuleImpl& module = host.module;
    HWND top = nullptr;

    FeesPage& page() { return module.Workspace().Fees(); }
    FeeCompareGrid& grid() { return page().FeeGrid(); }

    void Alter(const std::string& sql) {
        SampleDb::Exec(SampleDb::OpenDatabase(fixture.Path(), false).get(), sql);
    }

    void StartModule() {
        ASSERT_TRUE(host.Start(fixture.Path()));
        FakeTheme& theme = host.app->themes->theme;
        theme.colours["wnd_general_bg"] = RGB(16, 24, 40);
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        theme.AddFont("default", L"WenQuanYi Micro Hei", 12, L"normal");
        top = host.MakeWindow(1200, 700);
        ASSERT_NE(top, nullptr);
        HWND window = page().Create(top, nullptr);
        ASSERT_NE(window, nullptr);
        MoveWindow(window, 0, 0, 1200, 700, TRUE);
        page().ApplyTheme(&theme);
    }

    void Show() {
        page().ShowWindow(SW_SHOW);
        PlatformRunUntilIdle();
        PlatformPaintAll();
    }

    // The whole workspace over the fixture, reading ahead on a worker that waits until released
    // when `hold`, with the four funds compared and the fee page's manager view shown.
    void StartWorkspaceOnManagers(bool hold) {
        ModuleHost::Options options;
        options.readAhead = true;
        options.holdWorker = hold;
        ASSERT_TRUE(host.Start(fixture.Path(), options));
        FakeTheme& theme = host.app->themes->theme;
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        theme.AddFont("default", L"WenQuanYi Micro Hei", 12, L"normal");
        CompareAll();
        top = host.MakeWindow(1200, 700);
        ASSERT_TRUE(host.ShowWorkspace(&theme, /*settle=*/false));
        for (size_t k = 0; k < PageList().size(); ++k)
            if (std::wstring(PageList()[k].caption) == L"费率与经理")
                module.Workspace().ShowTab(static_cast<int>(k));
        page().ShowView(FeesPage::View::kManagers);
    }

    // The manager view's return cells (任职以来收益) by row.
    std::vector<std::wstring> Returns() {
        std::vector<std::wstring> returns;
        for (const auto& row : Cells(page().Managers()))
            returns.push_back(row.size() > 7 ? row[7] : L"?");
        return returns;
    }

    void CompareAll() {
        for (const wchar_t* code : {L"F001", L"F002", L"F003", L"F004"})
            module.AddFund(code);
    }

    void TearDown() override { host.Stop(); }

    // A grid's cells as displayed (and as dumped), row by row.
    static std::vector<std::vector<std::wstring>> Cells(Control::DataGridEx& grid) {
        std::vector<std::vector<std::wstring>> rows;
        const int count =
            static_cast<int>(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
        for (int r = 0; r < count; ++r) {
            std::vector<std::wstring> row;
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                Control::DataGridEx::CellTextRequest request;
                request.row = r;
                request.column = c;
                SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0,
                             reinterpret_cast<LPARAM>(&request));
                row.push_back(request.text.str());
            }
            rows.push_back(row);
        }
        return rows;
    }

    std::vector<std::wstring> ColumnOrder() {
        std::vector<std::wstring> codes;
        for (const FeeCompareGrid::Column& column : grid().Columns())
            codes.push_back(column.code.str());
        return codes;
    }

    std::wstring Text(const wchar_t* code, int row) { return grid().Text(code, row).str(); }

    // A click in the middle of a cell of a grid.
    static void ClickCell(Control::XDataGrid& g, int row, int column, bool right = false) {
        const RECT r = g.GetCellRect(row, column);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(g, &p);
        PlatformClick(p.x, p.y, right ? PlatformMouseButton::Right : PlatformMouseButton::Left);
        PlatformRunUntilIdle();
    }
};

TEST_F(FeesFixture, TheFeesStandSideBySideAndTheCheapestCompleteTotalIsMarked) {
    StartModule();
    CompareAll();
    Show();
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F001", L"F002", L"F003", L"F004"}));

    EXPECT_EQ(Text(L"F001", Row::kShareClass), L"A");
    EXPECT_EQ(Text(L"F001", Row::kManagementFee), L"1.5%"); // not the withdrawn 5 %
    EXPECT_EQ(Text(L"F001", Row::kYearlyFees), L"1.75%");
    EXPECT_EQ(Text(L"F001", Row::kMinPurchase), L"1000元");
    EXPECT_EQ(Text(L"F001", Row::kPurchaseTiers), L"<100万 1.5%；100万-500万 1%；≥500万 1000元/笔");
    EXPECT_EQ(Text(L"F002", Row::kShareClass), L"C");
    EXPECT_EQ(Text(L"F002", Row::kYearlyFees), L"1.8%");
    EXPECT_EQ(Text(L"F002", Row::kPurchaseTiers), L"不限 0");
    EXPECT_EQ(Text(L"F003", Row::kShareClass), L"不分类");
    EXPECT_EQ(Text(L"F003", Row::kPurchaseTiers), L"--");
    EXPECT_EQ(Text(L"F004", Row::kManagementFee), L"--");
    EXPECT_EQ(Text(L"F004", Row::kTotal), L"--");

    // 100,000 yuan for three years: F001 pays 1.5 % on top and 1.75 % a year on what it bought.
    const double invested = 1e5 / 1.015;
    XStringW expected;
    expected.Format(L"%.2f", 1e5 - invested + invested * 0.0175 * 3);
    EXPECT_EQ(Text(L"F001", Row::kSubscription), L"1477.83");
    EXPECT_EQ(Text(L"F001", Row::kRedemption), L"0.00");
    EXPECT_EQ(Text(L"F001", Row::kTotal), expected.str());
    // F002 costs 1.8 % a year alone and is the cheapest; F003's lower total lacks its tiers.
    EXPECT_EQ(Text(L"F002", Row::kTotal), std::wstring(L"5400.00") + FeeCompareGrid::kCheapestMark);
    EXPECT_EQ(Text(L"F002", Row::kPerYear), L"1.80%");
    EXPECT_EQ(Text(L"F003", Row::kTotal), L"1800.00");

    // The tiers take a row each under their label, in the display and the dump alike.
    const auto cells = Cells(grid());
    const int purchase = grid().DisplayRowOf(Row::kPurchaseTiers);
    ASSERT_EQ(grid().DisplayRowCount(), Row::kRowCount - 2 + 3 + 4);
    ASSERT_EQ(static_cast<int>(cells.size()), grid().DisplayRowCount());
    EXPECT_EQ(cells[static_cast<size_t>(purchase)][0], L"申购费率");
    EXPECT_EQ(cells[static_cast<size_t>(purchase)][1], L"<100万 1.5%");
    EXPECT_EQ(cells[static_cast<size_t>(purchase + 2)][0], L"");
    EXPECT_EQ(cells[static_cast<size_t>(purchase + 2)][1], L"≥500万 1000元/笔");
    EXPECT_EQ(cells[static_cast<size_t>(purchase + 1)][2], L""); // F002 has one tier
    EXPECT_EQ(cells[static_cast<size_t>(grid().DisplayRowOf(Row::kRedemptionTiers) + 3)][1], L"≥2年 0");
    EXPECT_EQ(cells[static_cast<size_t>(grid().DisplayRowOf(Row::kTotal))][0], L"总成本（元）");
}

TEST_F(FeesFixture, TheCalculatorFollowsItsBoxesAndCountsBoundsAsTheTierAbove) {
    StartModule();
    CompareAll();
    Show();
    page().SetAmount(5e6); // exactly on the fixed fee's bound
    EXPECT_EQ(Text(L"F001", Row::kSubscription), L"1000.00");
    page().SetAmount(1e6); // exactly on the 1 % bound
    EXPECT_EQ(Text(L"F001", Row::kSubscription), L"9900.99");
    page().SetPeriodDays(7); // exactly on the 0.5 % bound
    XStringW expected;
    expected.Format(L"%.2f", (1e6 - 9900.990099) * 0.005);
    EXPECT_EQ(Text(L"F001", Row::kRedemption), expected.str());
    EXPECT_EQ(Text(L"F002", Row::kRedemption), L"5000.00"); // 7 to 30 days
    EXPECT_NE(page().CostCaption().str().find(L"投资 100万、持有 7天"), std::wstring::npos);

    // The boxes drive it as a person does: a pick sends CBN_SELCHANGE.
    HWND box = GetDlgItem(page().GetHandle(), FeesPage::kPeriodBoxId);
    ASSERT_NE(box, nullptr);
    SendMessageW(box, CB_SETCURSEL, 3, 0); // 1年
    SendMessageW(page().GetHandle(), WM_COMMAND, MAKEWPARAM(FeesPage::kPeriodBoxId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
    EXPECT_EQ(page().PeriodDays(), 365);

    // The tick: F001's history is days long, far from three years, so no growth can be estimated.
    page().SetPeriodDays(1095);
    const std::wstring before = Text(L"F001", Row::kTotal);
    const RECT tick = page().TickRect();
    POINT p{tick.left + 5, (tick.top + tick.bottom) / 2};
    ClientToScreen(page().GetHandle(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(page().EstimateGrowth());
    EXPECT_EQ(Text(L"F001", Row::kGrowth), L"--");
    EXPECT_EQ(Text(L"F001", Row::kTotal), before);
    EXPECT_NE(page().CostCaption().str().find(L"近 3 年年化收益"), std::wstring::npos);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(FeesFixture, ARowsLabelSortsTheColumnsWithUnknownsLastBothWays) {
    StartModule();
    CompareAll();
    Show();
    const int total = grid().DisplayRowOf(Row::kTotal);
    ClickCell(grid(), total, 0);
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F003", L"F002", L"F001", L"F004"}));
    EXPECT_EQ(grid().GetSortColumn(), FeeCompareGrid::SortName(Row::kTotal));
    EXPECT_TRUE(grid().GetSortAscending());
    ClickCell(grid(), total, 0);
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F001", L"F002", L"F003", L"F004"}));
    // The shown columns follow: the first fund column is now F001's.
    EXPECT_EQ(grid().GetColumn(1)->name, XStringW(L"F001"));

    // Texts sort in natural order, and the order holds when the set changes.
    EXPECT_TRUE(grid().SortBy(FeeCompareGrid::SortName(Row::kShareClass), true));
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F001", L"F002", L"F003", L"F004"}));
    EXPECT_TRUE(grid().SortBy(FeeCompareGrid::SortName(Row::kManagementFee), false));
    module.RemoveFund(L"F002");
    module.NotifyFundsChanged(XStringW());
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F001", L"F003", L"F004"}));
    // Group rows and fund names are no sort.
    EXPECT_FALSE(grid().SortBy(FeeCompareGrid::SortName(Row::kCostGroup), true));
    EXPECT_FALSE(grid().SortBy(L"F001", true));
    EXPECT_FALSE(grid().SortBy(L"row99", true));
}

TEST_F(FeesFixture, AColumnsMenuTakesItsFundOutOfTheComparison) {
    StartModule();
    CompareAll();
    Show();
    PlatformSetMenuHook(PlatformMenuPickCaption(CompareWorkspace::kRemoveItem));
    ClickCell(grid(), grid().DisplayRowOf(Row::kTotal), 2, true); // F002's column
    PlatformSetMenuHook({});
    EXPECT_FALSE(module.IsCompared(L"F002"));
    EXPECT_TRUE(module.IsCompared(L"F001"));
    EXPECT_EQ(ColumnOrder(), (std::vector<std::wstring>{L"F001", L"F003", L"F004"}));
    // With F002 gone the cheapest complete total is F001's.
    EXPECT_NE(Text(L"F001", Row::kTotal).find(FeeCompareGrid::kCheapestMark), std::wstring::npos);
}

TEST_F(FeesFixture, TheManagerViewGivesReturnsSinceEachCurrentManagerStarted) {
    StartModule();
    CompareAll();
    Show();
    page().ShowView(FeesPage::View::kManagers);
    EXPECT_TRUE(::IsWindowVisible(page().Managers()));
    EXPECT_FALSE(::IsWindowVisible(grid()));
    EXPECT_EQ(page().AsOfDay(), GrowthDates::FromCivil(2010, 9, 30));
    const auto rows = Cells(page().Managers());
    // 代码 名称 投资类型 基金经理 任职日期 任职年限 收益起算日 任职以来收益 任职年化收益 同期上证指数
    // 经理变更次数 现管其他基金
    ASSERT_EQ(rows.size(), 6u);
    // F001's co-managers both started before the history: their return counts from its first day.
    EXPECT_EQ(rows[0],
              (std::vector<std::wstring>{L"000001", L"华夏成长股票", L"股票型", L"张伟", L"2008-01-01",
                                         L"2.7", L"2010-09-20", L"6.32%", L"--", L"6.00%", L"2", L"1"}));
    EXPECT_EQ(rows[1][3], L"李娜");
    EXPECT_EQ(rows[1][11], L"0");
    // F002's second manager joined within the history: 1.05 to 1.10.
    EXPECT_EQ(rows[2][3], L"陈静");
    EXPECT_EQ(rows[3][3], L"周杰");
    EXPECT_EQ(rows[3][6], L"2010-09-28");
    EXPECT_EQ(rows[3][7], L"4.76%");
    EXPECT_EQ(rows[3][10], L"1");
    // F003's manager left and came back: one row, from the latest start, two changes, no history.
    EXPECT_EQ(rows[4][3], L"孙丽");
    EXPECT_EQ(rows[4][4], L"2008-01-01");
    EXPECT_EQ(rows[4][7], L"--");
    EXPECT_EQ(rows[4][10], L"2");
    // F004 has no manager and keeps a row.
    EXPECT_EQ(rows[5][0], L"000004");
    EXPECT_EQ(rows[5][3], L"--");

    // Enter on F003's row lists its managers over its life.
    page().Managers().SetCurrSel(4);
    SetFocus(page().Managers());
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().HistoryFund(), XStringW(L"F003"));
    const auto history = Cells(page().History());
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0][2], L"孙丽");
    EXPECT_EQ(history[0][4], L"2006-01-01");
    EXPECT_EQ(history[1][2], L"钱进");
    EXPECT_EQ(history[2][2], L"孙丽");
    EXPECT_EQ(history[2][4], L"至今");
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(FeesFixture, ADatabaseWithoutFeeTablesSaysSo) {
    Alter("DROP TABLE tb_fundfee; DROP TABLE tb_fundfeetier;");
    StartModule();
    CompareAll();
    Show();
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_EQ(page().Book().GetFeeStatus(), FeeBook::FeeStatus::kNoFeeTables);
    EXPECT_EQ(page().CostCaption(), XStringW(FeesPage::kNoFeeDataNotice));
    EXPECT_EQ(ColumnOrder().size(), 4u);
    EXPECT_EQ(Text(L"F001", Row::kTotal), L"--");
    // The manager view does not need them.
    page().ShowView(FeesPage::View::kManagers);
    EXPECT_EQ(Cells(page().Managers()).size(), 6u);
}

TEST_F(FeesFixture, ABrokenFeeTableIsReportedAndChangesNothing) {
    Alter("DROP TABLE tb_fundfeetier; CREATE TABLE tb_fundfeetier (id INTEGER PRIMARY KEY, code TEXT);");
    StartModule();
    CompareAll();
    Show();
    ASSERT_FALSE(PlatformMessageBoxes().empty());
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"ERROR");
    EXPECT_NE(PlatformMessageBoxes().back().text.find(L"feetype"), std::wstring::npos);
    EXPECT_TRUE(ColumnOrder().empty());
    EXPECT_TRUE(module.IsCompared(L"F001"));
    EXPECT_EQ(module.Funds().size(), 4u);
}

TEST_F(FeesFixture, TheWorkspaceShowsThePageAfterTheHoldingsPage) {
    // The page's tab follows 持仓对比, the page before it in the list.
    int tab = -1, holdings = -1;
    for (size_t k = 0; k < PageList().size(); ++k) {
        if (std::wstring(PageList()[k].caption) == L"费率与经理")
            tab = static_cast<int>(k);
        if (std::wstring(PageList()[k].caption) == L"持仓对比")
            holdings = static_cast<int>(k);
    }
    ASSERT_GE(holdings, 6);
    ASSERT_EQ(tab, holdings + 1);
    StartModule();
    ASSERT_TRUE(host.ShowWorkspace());
    Control::XTableHeader& header = module.Workspace().Header();
    const RECT button = header.GetButtonRect(tab);
    POINT p{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(header, &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(module.Workspace().CurrentTab(), tab);
    EXPECT_TRUE(page().IsWindowVisible());
    EXPECT_EQ(page().ReloadCount(), 1);
}

TEST_F(FeesFixture, TheManagerViewFiltersByTheComparedFundsInvestmentTypes) {
    StartModule();
    CompareAll();
    Show();
    HWND filter = page().FilterPanel().GetHandle();
    ASSERT_NE(filter, nullptr);
    EXPECT_FALSE(::IsWindowVisible(filter)); // the fee view's funds are columns: nothing to filter
    page().ShowView(FeesPage::View::kManagers);
    EXPECT_TRUE(::IsWindowVisible(filter));
    ASSERT_EQ(Cells(page().Managers()).size(), 6u);
    // The types of the compared funds are offered, and no other.
    EXPECT_FALSE(page().FilterPanel().PickValue(L"investtype", L"混合型"));
    ASSERT_TRUE(page().FilterPanel().PickValue(L"investtype", L"股票型"));
    PlatformRunUntilIdle();
    auto rows = Cells(page().Managers());
    ASSERT_EQ(rows.size(), 4u); // F001's two co-managers, F002's two
    for (const auto& row : rows)
        EXPECT_EQ(row[2], L"股票型");
    // A second type widens the list; the history list below is not filtered.
    ASSERT_TRUE(page().FilterPanel().PickValue(L"investtype", L"债券型"));
    PlatformRunUntilIdle();
    rows = Cells(page().Managers());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.back()[0], L"000004");
    EXPECT_EQ(Cells(page().History()).size(), 3u); // F001's managers, the first fund's
    // A fund of another type joining the comparison is offered too.
    module.AddFund(L"F005");
    PlatformRunUntilIdle();
    EXPECT_TRUE(page().FilterPanel().PickValue(L"investtype", L"混合型"));
}

TEST_F(FeesFixture, TheManagersShowAtOnceAndTheirReturnsFillWhenTheHistoriesArrive) {
    StartWorkspaceOnManagers(/*hold=*/true);
    // The histories are on their way: the rows stand, with their returns, tenures and the
    // index's return unknown, and the caption says why.
    EXPECT_TRUE(page().WaitingForHistories());
    auto rows = Cells(page().Managers());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][3], L"张伟");
    EXPECT_EQ(rows[0][5], L"--");
    EXPECT_EQ(rows[0][7], L"--");
    EXPECT_EQ(rows[0][9], L"--");
    EXPECT_EQ(page().ExportCaption(), XStringW(FeesPage::kHistoryComingNotice));
    EXPECT_EQ(page().Histories().FundReads(), 0) << "histories read on the page's thread";

    module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();
    EXPECT_FALSE(page().WaitingForHistories());
    rows = Cells(page().Managers());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][5], L"2.7");
    EXPECT_EQ(rows[0][7], L"6.32%");
    EXPECT_EQ(rows[0][9], L"6.00%");
    EXPECT_EQ(rows[3][7], L"4.76%");
    EXPECT_EQ(page().Histories().FundReads(), 4); // once each, on the worker
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(FeesFixture, HistoriesOfAnOlderSetAreNotEnoughAndHistoriesNobodyWaitsForAreDropped) {
    StartWorkspaceOnManagers(/*hold=*/true);
    ASSERT_TRUE(page().WaitingForHistories());
    // What a reading for an earlier set, F001 alone, would bring.
    GrowthHistory older;
    XStringW error;
    ASSERT_TRUE(older.Sync(module.Database(), {L"F001"}, error)) << error.ToUtf8();
    page().OnReadAhead(AheadResult::Ready(AheadKind::kHistory, true, XStringW(), std::move(older)));
    // F001's figures may come from it, but the page still waits for the others and reads none
    // of them itself.
    EXPECT_TRUE(page().WaitingForHistories());
    EXPECT_EQ(page().Histories().FundReads(), 1); // the older reading's one
    EXPECT_EQ(Returns()[3], L"--");

    module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();
    ASSERT_FALSE(page().WaitingForHistories());
    EXPECT_EQ(Returns()[0], L"6.32%");
    EXPECT_EQ(Returns()[3], L"4.76%");
    EXPECT_EQ(page().Histories().FundReads(), 5); // and the worker's four: none read here

    // Once nobody waits (the fee view wants no histories), a late reading is dropped, even one for
    // a fund that joined meanwhile.
    page().ShowView(FeesPage::View::kFees);
    module.AddFund(L"F005");
    PlatformRunUntilIdle();
    ASSERT_FALSE(page().WaitingForHistories());
    GrowthHistory late;
    ASSERT_TRUE(late.Sync(module.Database(), {L"F005"}, error)) << error.ToUtf8();
    page().OnReadAhead(AheadResult::Ready(AheadKind::kHistory, true, XStringW(), std::move(late)));
    EXPECT_EQ(page().Histories().Find(L"F005"), nullptr);
    EXPECT_FALSE(page().WaitingForHistories());
}

TEST_F(FeesFixture, AFailedHistoryReadingIsReportedAndLeavesTheManagersListed) {
    Alter("ALTER TABLE tb_netvaluehistory RENAME COLUMN totalvalue TO totalvalue_gone;");
    StartWorkspaceOnManagers(/*hold=*/true);
    ASSERT_TRUE(page().WaitingForHistories());
    module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();
    EXPECT_FALSE(page().WaitingForHistories());
    ASSERT_FALSE(PlatformMessageBoxes().empty());
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"ERROR");
    EXPECT_NE(PlatformMessageBoxes().back().text.find(L"totalvalue"), std::wstring::npos);
    // The list stands, with nothing made up for the returns, and the set is as it was.
    const auto rows = Cells(page().Managers());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][7], L"--");
    EXPECT_EQ(module.Funds().size(), 4u);
}

} // namespace
