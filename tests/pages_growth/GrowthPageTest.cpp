// The growth page on the fixture database, driven headless: reading the history, following the
// compared set only while visible, the figures as displayed, the range buttons and date boxes,
// the legend, the pointer tip, the matrix switch, the settings, and databases without a history
// or with a broken one.
#include "GrowthFixture.h"

#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthSettings.h"

#include <cmath>

namespace {

using GrowthDates::FromCivil;

TEST_F(GrowthFixture, TheHistoryIsReadOncePerFundWithoutWithdrawnRows) {
    StartModule();
    GrowthHistory history;
    XStringW error;
    Data::IDatabase* database = module.Database();
    ASSERT_TRUE(history.Sync(database, {L"F001", L"F004"}, error)) << error.ToUtf8();
    EXPECT_EQ(history.GetStatus(), GrowthHistory::Status::kReady);
    const GrowthSeries* f001 = history.Find(L"F001");
    ASSERT_NE(f001, nullptr);
    EXPECT_EQ(f001->aliascode, XStringW(L"000001"));
    EXPECT_EQ(f001->name, XStringW(L"华夏成长股票"));
    ASSERT_EQ(f001->days.size(), 9u); // the withdrawn 9.90 is not among them
    EXPECT_EQ(f001->days.front(), FromCivil(2010, 9, 20));
    EXPECT_NEAR(f001->wealth.back(), 1.0632258065, 1e-9); // the dividend reinvested
    ASSERT_NE(history.Find(L"F004"), nullptr);
    EXPECT_TRUE(history.Find(L"F004")->Empty());
    ASSERT_EQ(history.Index().days.size(), 9u);
    EXPECT_NEAR(history.Index().wealth.back(), 1.06, 1e-12); // not the withdrawn 9999
    EXPECT_EQ(history.FundReads(), 2);

    // A new set reads only the fund that joined, and forgets the one that left.
    ASSERT_TRUE(history.Sync(database, {L"F001", L"F002"}, error));
    EXPECT_EQ(history.FundReads(), 3);
    EXPECT_EQ(history.Find(L"F004"), nullptr);
    EXPECT_EQ(history.Find(L"F002")->days.size(), 4u);
}

TEST_F(GrowthFixture, ThePageFollowsTheSetOnlyWhileVisible) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    EXPECT_EQ(page().ReloadCount(), 0); // hidden
    Show();
    EXPECT_EQ(page().ReloadCount(), 1);
    ASSERT_EQ(chart().Lines().size(), 2u);
    EXPECT_EQ(chart().Lines()[0].key, XStringW(L"F001"));
    EXPECT_EQ(chart().Lines()[0].label, XStringW(L"000001 华夏成长股票"));
    EXPECT_TRUE(chart().Lines()[1].isIndex);
    EXPECT_EQ(chart().Lines()[1].label, XStringW(L"上证指数"));

    module.AddFund(L"F002");
    EXPECT_EQ(page().ReloadCount(), 2);
    EXPECT_EQ(chart().Lines().size(), 3u);
    EXPECT_EQ(page().History().FundReads(), 2);

    page().ShowWindow(SW_HIDE);
    module.RemoveFund(L"F001");
    module.NotifyFundsChanged(XStringW());
    EXPECT_EQ(page().ReloadCount(), 2);
    EXPECT_EQ(chart().Lines().size(), 3u); // still the old picture until shown
    Show();
    EXPECT_EQ(page().ReloadCount(), 3);
    ASSERT_EQ(chart().Lines().size(), 2u);
    EXPECT_EQ(chart().Lines()[0].key, XStringW(L"F002"));

    // Clearing the set leaves the index alone on the chart and in the grid.
    module.ClearFunds();
    ASSERT_EQ(chart().Lines().size(), 1u);
    EXPECT_TRUE(chart().Lines()[0].isIndex);
    EXPECT_EQ(Cells().size(), 1u);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(GrowthFixture, TheFiguresGridShowsTheRangeAsDisplayedWithTheIndexLast) {
    StartModule();
    CreatePage();
    module.AddFund(L"F004");
    module.AddFund(L"F002");
    module.AddFund(L"F001");
    Show();
    // The last day in the data is 2010-09-30; one year back reaches before every series.
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 30));
    EXPECT_EQ(page().RangeStart(), FromCivil(2009, 9, 30));
    const auto rows = Cells();
    ASSERT_EQ(rows.size(), 4u);
    // 代码 名称 起始日 截止日 区间收益 年化收益 年化波动率 最大回撤 回撤峰值日 回撤谷底日 夏普 索提诺 卡玛
    // 贝塔 阿尔法 相关系数
    EXPECT_EQ(rows[0][0], L"000001");
    EXPECT_EQ(rows[0][1], L"华夏成长股票");
    EXPECT_EQ(rows[0][4], L"6.32%");  // reinvested: the unit value alone would say -4.00%
    EXPECT_EQ(rows[0][7], L"-1.08%"); // 1.03 on the dividend day to 1.0189 on the next
    EXPECT_EQ(rows[0][8], L"2010-09-24");
    EXPECT_EQ(rows[0][9], L"2010-09-27");
    EXPECT_EQ(rows[1][0], L"000002");
    EXPECT_EQ(rows[0][2], L"2010-09-20"); // the figures' own first and last day
    EXPECT_EQ(rows[0][3], L"2010-09-30");
    EXPECT_EQ(rows[1][4], L"10.00%"); // from its own first day, which the row shows
    EXPECT_EQ(rows[1][2], L"2010-09-27");
    EXPECT_EQ(rows[2][0], L"000004"); // no history: every figure missing
    for (size_t c = 2; c < rows[2].size(); ++c)
        EXPECT_EQ(rows[2][c], L"--") << c;
    EXPECT_EQ(rows[3][0], L"sh000001");
    EXPECT_EQ(rows[3][1], L"上证指数");
    EXPECT_EQ(rows[3][4], L"6.00%");
    EXPECT_EQ(rows[3][13], L"1.00");
    EXPECT_EQ(rows[3][15], L"1.00");
    // The fund without history says so in the legend and stays off the chart.
    EXPECT_EQ(chart().Lines()[2].label, XStringW(L"000004 嘉实稳健债券（无净值数据）"));
    EXPECT_TRUE(chart().Path(2).empty());
    EXPECT_NE(page().FiguresCaption().str().find(L"无风险利率 1.50%/年"), std::wstring::npos);

    // Sorting by a figure orders by value, the missing ones last.
    const RECT header = page().Grid().GetHeaderRect();
    const RECT cell = page().Grid().GetCellRect(0, 4);
    ClickIn(page().Grid(), RECT{cell.left, header.top, cell.right, header.bottom});
    std::vector<std::wstring> order;
    for (const auto& row : Cells())
        order.push_back(row[0]);
    const bool ascending = page().Grid().GetSortAscending();
    EXPECT_EQ(order, ascending ? (std::vector<std::wstring>{L"sh000001", L"000001", L"000002", L"000004"})
                               : (std::vector<std::wstring>{L"000002", L"000001", L"sh000001", L"000004"}));
}

TEST_F(GrowthFixture, EachFundKeepsItsLineStyleWhenAnotherLeaves) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    Show();
    ASSERT_EQ(chart().Lines().size(), 3u);
    const LineStyles::LineStyle first = chart().Lines()[0].style, second = chart().Lines()[1].style;
    EXPECT_NE(first.colour, second.colour);
    module.RemoveFund(L"F001");
    module.NotifyFundsChanged(XStringW());
    ASSERT_EQ(chart().Lines().size(), 2u);
    EXPECT_EQ(chart().Lines()[0].key, XStringW(L"F002"));
    EXPECT_EQ(chart().Lines()[0].style.colour, second.colour);
    EXPECT_EQ(chart().Lines()[0].style.dash, second.dash);
    // A fund that joins takes the style that was let go, never one still in use.
    module.AddFund(L"F003");
    module.NotifyFundsChanged(XStringW());
    ASSERT_EQ(chart().Lines().size(), 3u);
    EXPECT_EQ(chart().Lines()[1].style.colour, first.colour);
    EXPECT_EQ(chart().Lines()[0].style.colour, second.colour);
}

TEST_F(GrowthFixture, FutureAndOutlyingHistoryRowsAreLeftOutAndCounted) {
    // A row dated 2099 in the index and in F001, and an accumulated value a thousand times too
    // large in F002: the range still ends on the last real day, every fund keeps its figures,
    // and the caption counts the three rows.
    Alter("insert into tb_indexhistory (id, exponentcode, date, closevalue, isdeleted)"
          " values (0, 'sh000001', '2099-12-31', 3300, 0);"
          "insert into tb_netvaluehistory (id, code, date, value, totalvalue, isdeleted)"
          " values (0, 'F001', '2099-12-31', 0.97, 2.07, 0);"
          "update tb_netvaluehistory set totalvalue = totalvalue * 1000 where code = 'F002'"
          " and date = '2010-09-28' and not isdeleted;");
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    Show();
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 30));
    const auto rows = Cells();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][4], L"6.32%");
    EXPECT_EQ(rows[1][4], L"10.00%");
    EXPECT_EQ(rows[2][4], L"6.00%");
    EXPECT_NE(page().FiguresCaption().str().find(L"已忽略 3 条"), std::wstring::npos)
        << page().FiguresCaption().ToUtf8();
}

TEST_F(GrowthFixture, RangeButtonsAndTheDateBoxesChooseTheRange) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    ClickIn(page().RangeHeader(), page().RangeHeader().GetButtonRect(GrowthRange::kOneMonth));
    EXPECT_EQ(page().RangeKind(), GrowthRange::kOneMonth);
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 8, 30));
    EXPECT_EQ(page().StartBox().Text(), XStringW(L"2010-08-30"));

    // Typing a start date makes the range custom: F001 then starts from its value on 09-22.
    RECT box{};
    GetClientRect(page().StartBox(), &box);
    ClickIn(page().StartBox(), box);
    PlatformTypeText(L"20100922");
    PlatformRunUntilIdle();
    EXPECT_EQ(page().StartBox().Text().ToUtf8(), "2010-09-22");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().RangeKind(), GrowthPage::kCustomRange);
    EXPECT_EQ(page().RangeHeader().GetCurrSel(), GrowthPage::kCustomRange);
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 22));
    EXPECT_EQ(Cells()[0][4], L"6.32%"); // 1.00 on 09-22, the same as on 09-20

    // A day later with the arrow key; text that is no date leaves the date alone.
    PlatformKeyPress(VK_UP);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 23));
    PlatformTypeText(L"20101399");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 23));
    EXPECT_EQ(page().StartBox().Text(), XStringW(L"2010-09-23"));

    // A date after the last day moves to it.
    EXPECT_TRUE(page().SetCustomRange(FromCivil(2010, 9, 24), FromCivil(2011, 5, 1)));
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 24));
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 30));
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(GrowthFixture, AStartAfterTheEndIsRefusedWhenAppliedAndTheBoxesKeepWhatWasTyped) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    ASSERT_TRUE(page().SetCustomRange(FromCivil(2010, 9, 21), FromCivil(2010, 9, 24)));
    // Typing a start after the end: nothing is swapped, the range on show stays, the status bar
    // says why.
    RECT box{};
    GetClientRect(page().StartBox(), &box);
    ClickIn(page().StartBox(), box);
    PlatformTypeText(L"20100928");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().StartBox().Text(), XStringW(L"2010-09-28"));
    EXPECT_EQ(page().EndBox().Text(), XStringW(L"2010-09-24"));
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 21));
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 24));
    EXPECT_NE(page().RangeNote().str().find(L"晚于结束日期"), std::wstring::npos);
    // The 自定义 button applies the boxes again and is refused again: the selection stays.
    ClickIn(page().RangeHeader(), page().RangeHeader().GetButtonRect(GrowthPage::kCustomRange));
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 24));
    // The next edit, a later end, is not a no-op: it makes the range valid and takes it.
    GetClientRect(page().EndBox(), &box);
    ClickIn(page().EndBox(), box);
    // Only the focused box shows the caret.
    PlatformPaintAll();
    EXPECT_FALSE(page().StartBox().Editing());
    EXPECT_TRUE(page().EndBox().Editing());
    PlatformTypeText(L"20100930");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    EXPECT_EQ(page().RangeStart(), FromCivil(2010, 9, 28));
    EXPECT_EQ(page().RangeEnd(), FromCivil(2010, 9, 30));
    EXPECT_TRUE(page().RangeNote().empty());
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(GrowthFixture, TheLegendHidesLinesAndThePointerShowsEveryVisibleValueHighestFirst) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    Show();
    page().SelectRange(GrowthRange::kOneMonth);
    PlatformPaintAll();
    const HWND window = chart();
    const RECT plot = chart().PlotRect();
    // Point at the last day: F002 +10 %, F001 +6.32 %, the index +6 %.
    const int x = static_cast<int>(chart().XOfDay(FromCivil(2010, 9, 30)));
    const int y = static_cast<int>(chart().YOfValue(10.0));
    POINT p{x, y};
    ClientToScreen(window, &p);
    PlatformMouseMove(p.x, p.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(chart().TipEntries().size(), 3u);
    EXPECT_EQ(chart().TipEntries()[0].line, 1);
    EXPECT_EQ(chart().TipEntries()[1].line, 0);
    EXPECT_EQ(chart().TipEntries()[2].line, 2);
    EXPECT_NEAR(chart().TipEntries()[0].value, 10.0, 1e-9);
    EXPECT_EQ(chart().HotLine(), 1); // the pointer is on F002's line
    EXPECT_EQ(chart().Days()[static_cast<size_t>(chart().HoverPosition())], FromCivil(2010, 9, 30));

    // F002's line is drawn in its colour where it ends; hidden, it is gone from the plot and the tip.
    // The lines are smoothed, so a pixel counts when it is close to the colour.
    const COLORREF colour = chart().Lines()[1].style.colour;
    auto near = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                   std::abs(GetBValue(a) - GetBValue(b)) <
               60;
    };
    auto drawn = [&] {
        PlatformPaintAll();
        int found = 0;
        for (int yy = plot.top; yy < plot.bottom; ++yy)
            for (int xx = plot.right - 40; xx < plot.right; ++xx)
                found += near(PlatformWindowPixel(window, xx, yy), colour) ? 1 : 0;
        return found;
    };
    PlatformMouseMove(0, 0);
    PlatformRunUntilIdle();
    EXPECT_GT(drawn(), 5);
    const RECT entry = chart().LegendEntryRect(1);
    ClickIn(window, entry);
    EXPECT_TRUE(chart().IsLineHidden(1));
    EXPECT_EQ(drawn(), 0);
    PlatformMouseMove(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(chart().TipEntries().size(), 2u);
    // The hidden state is kept by fund code across a reload, and a second click shows the line.
    page().Reload();
    EXPECT_TRUE(chart().IsLineHidden(1));
    ClickIn(window, chart().LegendEntryRect(1));
    EXPECT_FALSE(chart().IsLineHidden(1));
    // Pointing at a legend entry brings its line to the front.
    const RECT first = chart().LegendEntryRect(0);
    POINT q{(first.left + first.right) / 2, (first.top + first.bottom) / 2};
    ClientToScreen(window, &q);
    PlatformMouseMove(q.x, q.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(chart().HotLine(), 0);
    EXPECT_EQ(chart().HoverPosition(), -1);
}

TEST_F(GrowthFixture, TheChartDrawsTheZeroLineTheDashedIndexAndTheTheme) {
    StartModule();
    CreatePage();
    module.AddFund(L"F002");
    Show();
    page().SelectRange(GrowthRange::kOneMonth);
    PlatformPaintAll();
    const HWND window = chart();
    const RECT plot = chart().PlotRect();
    EXPECT_EQ(PlatformWindowPixel(window, 2, 2), RGB(10, 10, 10)); // chart_bg
    const int zero = static_cast<int>(std::floor(chart().YOfValue(0.0)));
    // Along the zero line, left of where F002 starts, only the zero colour and the index cross it.
    int zeroPixels = 0;
    for (int x = plot.left + 1; x < plot.left + 40; ++x)
        zeroPixels += PlatformWindowPixel(window, x, zero) == RGB(120, 0, 120) ? 1 : 0;
    EXPECT_GT(zeroPixels, 20);
    // The index runs from 2010-09-20 dashed: along its path there are gaps in the index colour.
    int on = 0, off = 0;
    for (int x = static_cast<int>(chart().XOfDay(FromCivil(2010, 9, 20))) + 2; x < plot.right - 2; ++x) {
        bool lit = false;
        for (int y = plot.top; y < plot.bottom && !lit; ++y)
            lit = PlatformWindowPixel(window, x, y) == RGB(250, 250, 250);
        (lit ? on : off) += 1;
    }
    EXPECT_GT(on, 2 * off);
    EXPECT_GT(off, 20);

    // A theme change recolours the chart at once.
    FakeTheme& theme = app->themes->theme;
    theme.colours["chart_bg"] = RGB(240, 240, 240);
    page().ApplyTheme(&theme);
    PlatformPaintAll();
    EXPECT_EQ(PlatformWindowPixel(window, 2, 2), RGB(240, 240, 240));
}

// The matrix list's cells as displayed: the header's titles, then each row.
std::vector<std::vector<std::wstring>> MatrixSheet(CorrelationMatrixGrid& grid) {
    std::vector<std::vector<std::wstring>> rows;
    Control::DataGridEx::Sheet sheet = grid.ReadSheet(false);
    std::vector<std::wstring> titles;
    for (const auto& column : sheet.columns)
        titles.push_back(column.title.str());
    rows.push_back(titles);
    for (const auto& row : sheet.rows) {
        std::vector<std::wstring> cells;
        for (const XStringW& cell : row)
            cells.push_back(cell.str());
        rows.push_back(cells);
    }
    return rows;
}

std::wstring SheetCell(const std::vector<std::vector<std::wstring>>& sheet, size_t row,
                       const std::wstring& title) {
    for (size_t c = 0; c < sheet[0].size(); ++c)
        if (sheet[0][c] == title)
            return row < sheet.size() ? sheet[row][c] : L"<no row>";
    return L"<no column " + title + L">";
}

TEST_F(GrowthFixture, TheMatrixIsAListOfCoefficientsWithTwoDecimalsAndDashesForShortPairs) {
    // F003 has two returns, both before F002's first day: a matrix member without a pair with F002.
    Alter("INSERT INTO tb_netvaluehistory (code, date, value, totalvalue, isdeleted) VALUES "
          "('F003', '2010-09-20', 1.00, 1.00, 0), ('F003', '2010-09-21', 1.02, 1.02, 0), "
          "('F003', '2010-09-22', 1.01, 1.01, 0)");
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    ClickIn(page().ViewHeader(), page().ViewHeader().GetButtonRect(1));
    EXPECT_TRUE(page().MatrixShown());
    EXPECT_FALSE(IsWindowVisible(page().Grid()));
    EXPECT_TRUE(IsWindowVisible(page().Matrix()));
    // One fund is no matrix; the caption says why.
    EXPECT_EQ(page().MatrixNotice(), XStringW(GrowthPage::kMatrixNotice));
    EXPECT_EQ(page().Matrix().Size(), 0u);
    EXPECT_NE(page().FiguresCaption().str().find(GrowthPage::kMatrixNotice), std::wstring::npos);

    module.AddFund(L"F002");
    module.AddFund(L"F003");
    EXPECT_TRUE(page().MatrixNotice().empty());
    ASSERT_EQ(page().Matrix().Size(), 3u);
    const auto sheet = MatrixSheet(page().Matrix());
    ASSERT_EQ(sheet.size(), 4u);
    // The names first, then a column per fund titled with its code, in the set's order.
    EXPECT_EQ(sheet[0][0], L"名称");
    EXPECT_EQ(sheet[1][0], L"华夏成长股票");
    EXPECT_EQ(sheet[0].size(), 5u);
    // F001 and F002 over the three returns between the days both have (27 to 30 September):
    // F001 +2.17 %, +1.06 %, +1.05 %; F002 +5 %, -4.76 %, +10 % give 0.1745.
    EXPECT_EQ(SheetCell(sheet, 1, L"000002"), L"0.17");
    EXPECT_EQ(SheetCell(sheet, 2, L"000001"), L"0.17");
    EXPECT_NEAR(page().Matrix().Value(0, 1), 0.17454, 1e-4);
    EXPECT_DOUBLE_EQ(page().Matrix().Value(0, 1), page().Matrix().Value(1, 0));
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(sheet[k + 1][k + 2], L"1.00") << k;
    // F003 and F002 share no day; F003 and F001 share three days, two returns, which is enough.
    EXPECT_EQ(SheetCell(sheet, 3, L"000002"), L"--");
    EXPECT_EQ(SheetCell(sheet, 2, L"000003"), L"--");
    EXPECT_EQ(SheetCell(sheet, 3, L"000001"), L"1.00");

    // The title's tip gives the whole name; a cell's tip names the pair, or why it has no value.
    CorrelationMatrixGrid& grid = page().Matrix();
    int second = -1, third = -1;
    for (int c = 0; c < grid.GetColumnCount(); ++c) {
        second = grid.GetColumn(c)->title == XStringW(L"000002") ? c : second;
        third = grid.GetColumn(c)->title == XStringW(L"000003") ? c : third;
    }
    ASSERT_GE(second, 0);
    ASSERT_GE(third, 0);
    RECT cell = grid.GetCellRect(0, second);
    grid.HoverAt((cell.left + cell.right) / 2, 4);
    EXPECT_EQ(grid.TipText(), XStringW(L"华夏红利股票（000002）"));
    grid.HoverAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_EQ(grid.TipText(), XStringW(L"华夏成长股票（000001） 与 华夏红利股票（000002）：0.17"));
    cell = grid.GetCellRect(1, third);
    grid.HoverAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_NE(grid.TipText().str().find(L"：--（两者共同的日收益率不足两个）"), std::wstring::npos)
        << grid.TipText().ToUtf8();

    // The heat runs both ways from the background: +1 and -1 differ, 0 is the list's own colour,
    // and a weak coefficient is paler than a strong one.
    EXPECT_EQ(grid.HeatColour(0), grid.GetEvenLineColour());
    EXPECT_NE(grid.HeatColour(0.9), grid.HeatColour(-0.9));
    EXPECT_NE(grid.HeatColour(-0.9), grid.GetEvenLineColour());
    EXPECT_NE(grid.HeatColour(0.2), grid.HeatColour(0.9));
    EXPECT_NE(page().FiguresCaption().str().find(L"相关系数矩阵"), std::wstring::npos);

    ClickIn(page().ViewHeader(), page().ViewHeader().GetButtonRect(0));
    EXPECT_TRUE(IsWindowVisible(page().Grid()));
    EXPECT_FALSE(IsWindowVisible(page().Matrix()));
}

TEST_F(GrowthFixture, SettingsComeFromTheirOwnNodeWithDefaultsForBadValues) {
    app->conf->keys["/Quenda2/GrowthCompare/RiskFreeRate"] = L" 3 ";
    app->conf->keys["/Quenda2/GrowthCompare/DefaultRange"] = L"0";
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    EXPECT_DOUBLE_EQ(page().RiskFreePercent(), 3.0);
    EXPECT_EQ(page().RangeKind(), GrowthRange::kOneMonth);
    EXPECT_NE(page().FiguresCaption().str().find(L"无风险利率 3.00%/年"), std::wstring::npos);

    for (const wchar_t* bad : {L"abc", L"", L"2%", L"75", L"nan"}) {
        app->conf->keys["/Quenda2/GrowthCompare/RiskFreeRate"] = bad;
        page().Reload();
        EXPECT_DOUBLE_EQ(page().RiskFreePercent(), 1.5) << XStringW(bad).ToUtf8();
    }
}

TEST(GrowthSettings, ANegativeRateIsARateAndARangeMustBeAWholeNumberOfTheList) {
    auto app = HostKernel::MakeRef<ConfiguredApp>();
    const GrowthSettings defaults;
    app->conf->keys[GrowthSettings::kRiskFreeRateKey] = L"-0.5"; // rates below zero have been paid
    app->conf->keys[GrowthSettings::kDefaultRangeKey] = L"6";
    GrowthSettings read = GrowthSettings::Read(app);
    EXPECT_DOUBLE_EQ(read.riskFreePercent, -0.5);
    EXPECT_EQ(read.defaultRange, 6);
    for (const wchar_t* range : {L"2.5", L"7", L"-1"}) {
        app->conf->keys[GrowthSettings::kDefaultRangeKey] = range;
        EXPECT_EQ(GrowthSettings::Read(app).defaultRange, defaults.defaultRange) << XStringW(range).ToUtf8();
    }
    app->conf->keys[GrowthSettings::kRiskFreeRateKey] = L"-6";
    EXPECT_DOUBLE_EQ(GrowthSettings::Read(app).riskFreePercent, defaults.riskFreePercent);
}

TEST_F(GrowthFixture, ADatabaseWithoutHistorySaysSoAndABrokenOneIsReported) {
    Alter("DROP TABLE tb_netvaluehistory; DROP TABLE tb_indexhistory;");
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    EXPECT_EQ(page().History().GetStatus(), GrowthHistory::Status::kNoHistory);
    EXPECT_EQ(chart().Notice(), XStringW(GrowthPage::kNoHistoryNotice));
    EXPECT_TRUE(Cells().empty());
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_TRUE(page().IsWindowVisible());
}

TEST_F(GrowthFixture, AFailedStatementIsReportedAndTheChartStaysAsItWas) {
    // A history table without the accumulated value: the fund statement cannot be prepared.
    Alter("DROP TABLE tb_netvaluehistory;"
          "CREATE TABLE tb_netvaluehistory (id INTEGER PRIMARY KEY, code TEXT, date TEXT, value REAL,"
          " isdeleted INTEGER);");
    StartModule();
    CreatePage();
    Show();
    ASSERT_EQ(chart().Lines().size(), 1u); // the index alone
    module.AddFund(L"F001");
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"ERROR");
    EXPECT_NE(PlatformMessageBoxes().back().text.find(L"totalvalue"), std::wstring::npos);
    EXPECT_EQ(chart().Lines().size(), 1u);
    EXPECT_EQ(page().History().Find(L"F001"), nullptr);
}

TEST_F(GrowthFixture, TheWorkspaceShowsThePageOnItsSixthTab) {
    StartModule();
    ASSERT_TRUE(host.ShowWorkspace());
    Control::XTableHeader& header = module.Workspace().Header();
    ClickIn(header, header.GetButtonRect(5));
    EXPECT_EQ(module.Workspace().CurrentTab(), 5);
    EXPECT_TRUE(page().IsWindowVisible());
    EXPECT_FALSE(module.Workspace().General().IsWindowVisible());
    EXPECT_EQ(page().ReloadCount(), 1);
    // Back to the first tab: the growth page hides and no longer follows the set.
    ClickIn(header, header.GetButtonRect(0));
    EXPECT_FALSE(page().IsWindowVisible());
    module.AddFund(L"F001");
    EXPECT_EQ(page().ReloadCount(), 1);
}

} // namespace
