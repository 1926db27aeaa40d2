// The holdings page driven headless: the three lists on the fixture's hand-made reports, the
// industry toggle, removal, a database without the holdings table, and the data path on a
// generated database.
#include "module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

class HoldingsFixture : public ::testing::Test {
protected:
    std::unique_ptr<TestSupport::FixtureDb> fixture;
    ModuleHost host;
    FundCompareModuleImpl& module = host.module;
    HWND top = nullptr;

    HoldingsComparePage& page() { return module.Workspace().Holdings(); }

    void Start(std::initializer_list<std::string_view> files = {"funds.sql",
                                                                "../pages_holdings/stock_holdings.sql"}) {
        fixture = std::make_unique<TestSupport::FixtureDb>(files);
        StartOn(fixture->Path());
    }
    void StartOn(const std::string& path) {
        ASSERT_TRUE(host.Start(path));
        host.app->themes->theme.AddFont("default", L"WenQuanYi Micro Hei", 12, L"normal");
        top = host.MakeWindow(1200, 700);
        HWND window = page().Create(top, nullptr);
        ASSERT_NE(window, nullptr);
        MoveWindow(window, 0, 0, 1200, 700, TRUE);
        page().ApplyTheme(&host.app->themes->theme);
    }
    void Show() {
        page().ShowWindow(SW_SHOW);
        PlatformRunUntilIdle();
        PlatformPaintAll();
    }
    void TearDown() override { host.Stop(); }

    // A list's cells as displayed: the header's titles, then each row.
    static std::vector<std::vector<std::wstring>> Sheet(HoldingsGrid& grid) {
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
    // The cell of a row under a column whose title starts with the text.
    static std::wstring Cell(const std::vector<std::vector<std::wstring>>& sheet, size_t row,
                             const std::wstring& title) {
        for (size_t c = 0; c < sheet[0].size(); ++c)
            if (sheet[0][c].rfind(title, 0) == 0)
                return row < sheet.size() ? sheet[row][c] : L"<no row>";
        return L"<no column " + title + L">";
    }
    void PickDate(const wchar_t* date) {
        HWND box = page().DateBox();
        const LRESULT at =
            SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(date));
        ASSERT_GE(at, 0);
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageW(page(), WM_COMMAND, MAKEWPARAM(HoldingsComparePage::kDateBoxId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        PlatformRunUntilIdle();
    }
};

TEST_F(HoldingsFixture, TheStocksHeldAreListedByHoldersThenSummedWeightWithAColumnPerFund) {
    Start();
    for (const wchar_t* code : {L"F001", L"F002", L"F003", L"F004", L"F005"})
        module.AddFund(code);
    Show();
    ASSERT_TRUE(PlatformMessageBoxes().empty());
    const auto sheet = Sheet(page().StockGrid());
    // A before B (both held by three funds, 24 % against 16 %), then C (two funds), then E before D
    // (one fund each, 7 % against 2 %).
    ASSERT_EQ(sheet.size(), 6u);
    std::vector<std::wstring> order;
    for (size_t r = 1; r < sheet.size(); ++r)
        order.push_back(Cell(sheet, r, L"股票名称"));
    EXPECT_EQ(order, (std::vector<std::wstring>{L"甲银行", L"乙机械", L"丙食品", L"戊地产", L"丁电力"}));
    EXPECT_EQ(Cell(sheet, 1, L"持有基金数"), L"3");
    EXPECT_EQ(Cell(sheet, 1, L"合计权重"), L"24.00%");   // the withdrawn 90 % line does not count
    EXPECT_EQ(Cell(sheet, 1, L"行业"), L"金融、保险业"); // from the stock's live row
    EXPECT_EQ(Cell(sheet, 3, L"持有基金数"), L"2");
    EXPECT_EQ(Cell(sheet, 1, L"标记"), HoldingsComparePage::kMarkText);
    EXPECT_EQ(Cell(sheet, 3, L"标记"), HoldingsComparePage::kMarkText);
    EXPECT_EQ(Cell(sheet, 4, L"标记"), L"");
    // The fund columns: a weight, nothing where the fund does not hold the stock, "--" for F004,
    // which has no report at the date.
    EXPECT_EQ(Cell(sheet, 1, L"华夏成长股票"), L"10.00%");
    EXPECT_EQ(Cell(sheet, 1, L"华夏红利股票"), L"4.00%");
    EXPECT_EQ(Cell(sheet, 3, L"华夏红利股票"), L"");
    EXPECT_EQ(Cell(sheet, 1, L"嘉实稳健债券"), L"--");
    EXPECT_EQ(Cell(sheet, 4, L"华夏平衡混合"), L"7.00%");
    EXPECT_NE(page().Caption().str().find(L"1 只基金在该报告期没有持仓数据"), std::wstring::npos);

    // The filter by industry keeps the stocks of the industries picked.
    HWND button = *page().FilterPanel().FindButton(L"industry");
    RECT rect{};
    GetWindowRect(button, &rect);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"机械、设备、仪表"));
    PlatformClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PlatformRunUntilIdle();
    const auto filtered = Sheet(page().StockGrid());
    ASSERT_EQ(filtered.size(), 2u);
    EXPECT_EQ(Cell(filtered, 1, L"股票名称"), L"乙机械");
}

TEST_F(HoldingsFixture, TheMatrixGivesTheOverlapOfEveryPairAndNamesTheCommonStocks) {
    Start();
    for (const wchar_t* code : {L"F001", L"F002", L"F003", L"F004", L"F005"})
        module.AddFund(code);
    Show();
    page().ShowView(HoldingsComparePage::kMatrixView);
    PlatformRunUntilIdle();
    const auto sheet = Sheet(page().MatrixGrid());
    ASSERT_EQ(sheet.size(), 6u);
    // Rows in the compared set's order: F001, F002, F003, F004, F005.
    EXPECT_EQ(Cell(sheet, 1, L"名称"), L"华夏成长股票");
    EXPECT_EQ(Cell(sheet, 1, L"华夏成长股票"), L"18.00%");    // its own summed weight
    EXPECT_EQ(Cell(sheet, 1, L"嘉实沪深300指数"), L"18.00%"); // identical funds
    EXPECT_EQ(Cell(sheet, 1, L"华夏红利股票"), L"9.00%");
    EXPECT_EQ(Cell(sheet, 2, L"华夏成长股票"), L"9.00%");
    EXPECT_EQ(Cell(sheet, 3, L"华夏红利股票"), L"9.00%");
    EXPECT_EQ(Cell(sheet, 5, L"华夏成长股票"), L"0.00%"); // disjoint
    EXPECT_EQ(Cell(sheet, 1, L"嘉实稳健债券"), L"--");    // no report at the date
    EXPECT_EQ(Cell(sheet, 4, L"嘉实稳健债券"), L"--");
    EXPECT_NE(page().Caption().str().find(L"min(权重i, 权重j)"), std::wstring::npos);

    // Pointing at F001 x F002 names the stocks they share, the larger common weight first.
    HoldingsGrid& grid = page().MatrixGrid();
    int column = -1;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        if (grid.GetColumn(c)->title.str().rfind(L"华夏红利股票", 0) == 0)
            column = c;
    ASSERT_GE(column, 0);
    const RECT cell = grid.GetCellRect(0, column);
    grid.HoverAt((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    const std::wstring tip = grid.TipText().str();
    EXPECT_NE(tip.find(L"重合度 9.00%"), std::wstring::npos) << XStringW(tip).ToUtf8();
    EXPECT_NE(tip.find(L"共同持有 2 只：乙机械 5.00%、甲银行 4.00%"), std::wstring::npos)
        << XStringW(tip).ToUtf8();

    // The pairs shade from the background to the heat colour, the largest pair (18 %) the most.
    EXPECT_EQ(grid.HeatColour(0), grid.GetEvenLineColour());
    EXPECT_NE(grid.HeatColour(0.09), grid.HeatColour(0.18));
}

TEST_F(HoldingsFixture, TheIndustryMatrixUsesTheIndustryTableWithoutTheParentCategory) {
    Start();
    for (const wchar_t* code : {L"F001", L"F002", L"F003"})
        module.AddFund(code);
    Show();
    page().ShowView(HoldingsComparePage::kMatrixView);
    page().ShowIndustryMatrix(true);
    PlatformRunUntilIdle();
    ASSERT_TRUE(PlatformMessageBoxes().empty());
    const auto sheet = Sheet(page().MatrixGrid());
    // F001's leaf industries: 4.2105 + 21.0526 + 31.5789 + 27.3684; 制造业 (the parent, 52.63 %)
    // would count 食品 and 机械 twice, and the withdrawn 采掘业 row must not count.
    EXPECT_EQ(Cell(sheet, 1, L"华夏成长股票"), L"84.21%");
    EXPECT_EQ(Cell(sheet, 1, L"嘉实沪深300指数"), L"27.37%"); // both hold 金融、保险业
    EXPECT_EQ(Cell(sheet, 2, L"华夏成长股票"), L"--");        // F002 has no industry rows at the date
    EXPECT_NE(page().Caption().str().find(L"行业重合度"), std::wstring::npos);
    page().ShowIndustryMatrix(false);
    EXPECT_EQ(Cell(Sheet(page().MatrixGrid()), 2, L"华夏成长股票"), L"9.00%");
}

TEST_F(HoldingsFixture, OneFundsReportsComeLatestFirstWithTheChangeSinceTheReportBefore) {
    Start();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    Show();
    page().ShowView(HoldingsComparePage::kFundView);
    ASSERT_EQ(page().ChosenFund(), XStringW(L"F001"));
    const auto sheet = Sheet(page().FundGrid());
    ASSERT_EQ(sheet.size(), 7u);
    EXPECT_EQ(Cell(sheet, 1, L"报告期"), L"2010-09-30");
    EXPECT_EQ(Cell(sheet, 1, L"股票名称"), L"甲银行");
    EXPECT_EQ(Cell(sheet, 1, L"占净值比例"), L"10.00%");
    EXPECT_EQ(Cell(sheet, 1, L"较上期"), L"2.00%");
    EXPECT_EQ(Cell(sheet, 2, L"股票名称"), L"乙机械");
    EXPECT_EQ(Cell(sheet, 2, L"较上期"), L"--");
    EXPECT_EQ(Cell(sheet, 2, L"变动"), L"新进");
    EXPECT_EQ(Cell(sheet, 3, L"较上期"), L"-1.00%");
    EXPECT_EQ(Cell(sheet, 4, L"报告期"), L"2010-06-30");
    EXPECT_EQ(Cell(sheet, 4, L"较上期"), L"--"); // the first report has nothing to compare with
    EXPECT_EQ(Cell(sheet, 4, L"变动"), L"");
    EXPECT_EQ(Cell(sheet, 1, L"持仓市值"), L"1000.00万");

    // Enter on a fund of the matrix opens its reports.
    EXPECT_TRUE(page().ShowFund(L"F002"));
    EXPECT_FALSE(page().ShowFund(L"F009")); // not compared
    EXPECT_EQ(page().ChosenFund(), XStringW(L"F002"));
    EXPECT_EQ(Sheet(page().FundGrid()).size(), 4u);
}

// What the page hands a report: the notes, and each list's names as they are at that moment.
struct RecordingSink : ReportSink {
    std::vector<std::wstring> notes;
    std::vector<std::vector<std::wstring>> tables;
    void Note(const XStringW& text) override { notes.push_back(text.str()); }
    void Table(Control::DataGridEx& grid) override {
        const Control::DataGridEx::Sheet sheet = grid.ReadSheet(false);
        std::vector<std::wstring> firstCells;
        for (const auto& row : sheet.rows)
            firstCells.push_back(row.size() > 2 ? row[2].str() : std::wstring());
        tables.push_back(firstCells);
    }
    void Chart(HWND) override {}
    SIZE PictureArea() const override { return SIZE{800, 500}; }
    void Picture(SIZE, const std::function<void(HDC)>&) override {}
};

TEST_F(HoldingsFixture, TheReportHoldsTheMatrixAndTheTopStocksInTheOrderShown) {
    Start();
    for (const wchar_t* code : {L"F001", L"F002", L"F003", L"F004", L"F005"})
        module.AddFund(code);
    Show();
    // Five stocks fit the rule's limit: the whole list, the matrix before it, no single fund.
    RecordingSink whole;
    page().WriteReport(whole);
    ASSERT_EQ(whole.tables.size(), 2u);
    EXPECT_EQ(whole.tables[0].size(), 5u); // the matrix: a row per fund
    EXPECT_EQ(whole.tables[1].size(), 5u);
    EXPECT_NE(whole.notes[0].find(L"持仓重合度"), std::wstring::npos);
    EXPECT_NE(whole.notes[1].find(L"重仓股"), std::wstring::npos);

    // Three rows only, the list sorted by name descending: the three stocks most funds hold, in
    // that order, and the list on screen whole again afterwards.
    ASSERT_TRUE(page().StockGrid().SortBy(L"stockname", false));
    const auto before = Sheet(page().StockGrid());
    page().SetReportStockRows(3);
    RecordingSink top;
    page().WriteReport(top);
    ASSERT_EQ(top.tables.size(), 2u);
    std::vector<std::wstring> expected;
    for (size_t row = 1; row < before.size(); ++row) {
        const std::wstring name = Cell(before, row, L"股票名称");
        if (name == L"甲银行" || name == L"乙机械" || name == L"丙食品")
            expected.push_back(name);
    }
    EXPECT_EQ(top.tables[1], expected);
    EXPECT_NE(std::find_if(top.notes.begin(), top.notes.end(),
                           [](const std::wstring& note) {
                               return note.find(L"前 3 只股票（共 5 只）") != std::wstring::npos;
                           }),
              top.notes.end());
    EXPECT_EQ(Sheet(page().StockGrid()), before);

    // In the single-fund view that list comes last.
    page().ShowView(HoldingsComparePage::kFundView);
    RecordingSink withFund;
    page().WriteReport(withFund);
    EXPECT_EQ(withFund.tables.size(), 3u);
}

TEST_F(HoldingsFixture, AStockMissingFromATopTenReportIsNotCalledNew) {
    Start();
    // An annual report after the third quarter's top ten: A again, and D, which the top ten did
    // not list (the fund may have held it below them).
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(fixture->Path().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "INSERT INTO tb_stockholding (id, code, date, rank, stockcode, stockname, shares, "
                           "marketvalue, percent, isdeleted) VALUES "
                           "(900, 'F001', '2010-12-31', 1, '600001', '甲银行', 1100000, 11000000, 0.11, 0), "
                           "(901, 'F001', '2010-12-31', 2, '600009', '丁能源', 200000, 2000000, 0.02, 0)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    module.AddFund(L"F001");
    Show();
    page().ShowView(HoldingsComparePage::kFundView);
    const auto sheet = Sheet(page().FundGrid());
    ASSERT_EQ(Cell(sheet, 1, L"报告期"), L"2010-12-31");
    EXPECT_EQ(Cell(sheet, 1, L"较上期"), L"1.00%");
    ASSERT_EQ(Cell(sheet, 2, L"股票名称"), L"丁能源");
    EXPECT_EQ(Cell(sheet, 2, L"较上期"), L"--");
    EXPECT_EQ(Cell(sheet, 2, L"变动"), L"");
    // After the complete half-year report, the third quarter's new stock is new still.
    bool marked = false;
    for (size_t row = 1; row < sheet.size(); ++row)
        marked =
            marked || (Cell(sheet, row, L"报告期") == L"2010-09-30" && Cell(sheet, row, L"变动") == L"新进");
    EXPECT_TRUE(marked);
}

TEST_F(HoldingsFixture, AnotherDateShowsThatDatesReports) {
    Start();
    module.AddFund(L"F001");
    module.AddFund(L"F004");
    Show();
    PickDate(L"2010-06-30");
    const auto sheet = Sheet(page().StockGrid());
    ASSERT_EQ(sheet.size(), 5u);
    EXPECT_EQ(Cell(sheet, 1, L"合计权重"), L"8.00%");
    // B and X are held by one fund each at 1 %: the codes decide.
    EXPECT_EQ(Cell(sheet, 3, L"股票名称"), L"乙机械");
    EXPECT_EQ(Cell(sheet, 3, L"嘉实稳健债券"), L"1.00%");
    EXPECT_EQ(Cell(sheet, 3, L"华夏成长股票"), L"");
    EXPECT_EQ(Cell(sheet, 4, L"股票名称"), L"己农业");
}

TEST_F(HoldingsFixture, RemovingTakesTheFundOfTheRowOrOfTheClickedColumn) {
    Start();
    for (const wchar_t* code : {L"F001", L"F002", L"F003"})
        module.AddFund(code);
    Show();
    // In the stock list a row is a stock: the fund is that of the column clicked.
    HoldingsGrid& stocks = page().StockGrid();
    int column = -1;
    for (int c = 0; c < stocks.GetColumnCount(); ++c)
        if (stocks.GetColumn(c)->title.str().rfind(L"华夏红利股票", 0) == 0)
            column = c;
    ASSERT_GE(column, 0);
    RECT cell = stocks.GetCellRect(0, column);
    POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(stocks, &p);
    PlatformSetMenuHook(PlatformMenuPickCaption(CompareWorkspace::kRemoveItem));
    PlatformClick(p.x, p.y, PlatformMouseButton::Right);
    PlatformRunUntilIdle();
    EXPECT_EQ(module.Funds().count(L"F002"), 0u);
    EXPECT_EQ(module.Funds().size(), 2u);

    // A stock's own column names no fund: the item is greyed and nothing leaves.
    cell = stocks.GetCellRect(0, 1);
    p = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(stocks, &p);
    PlatformSetMenuHook(PlatformMenuPickCaption(CompareWorkspace::kRemoveItem));
    PlatformClick(p.x, p.y, PlatformMouseButton::Right);
    PlatformRunUntilIdle();
    EXPECT_EQ(module.Funds().size(), 2u);

    // In the matrix a row is a fund.
    page().ShowView(HoldingsComparePage::kMatrixView);
    PlatformRunUntilIdle();
    HoldingsGrid& matrix = page().MatrixGrid();
    cell = matrix.GetCellRect(1, 1);
    p = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(matrix, &p);
    PlatformClick(p.x, p.y);
    PlatformKeyPress(VK_DELETE);
    PlatformRunUntilIdle();
    EXPECT_EQ(module.Funds().size(), 1u);
    EXPECT_EQ(module.Funds().count(L"F001"), 1u);
}

TEST_F(HoldingsFixture, ADatabaseWithoutTheHoldingsTableSaysSo) {
    fixture = std::make_unique<TestSupport::FixtureDb>(std::initializer_list<std::string_view>{"funds.sql"});
    SampleDb::Exec(SampleDb::OpenDatabase(fixture->Path(), false).get(),
                   "DROP TABLE tb_stockholding; DROP TABLE tb_stock;");
    StartOn(fixture->Path());
    module.AddFund(L"F001");
    Show();
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    EXPECT_EQ(page().Notice(), XStringW(HoldingsComparePage::kNoHoldingsNotice));
    EXPECT_FALSE(IsWindowVisible(page().StockGrid()));
    EXPECT_EQ(page().Caption(), XStringW(HoldingsComparePage::kNoHoldingsNotice));
    EXPECT_EQ(module.Funds().size(), 1u);
}

TEST_F(HoldingsFixture, WithoutTheStockTableTheLinesShowWithoutIndustry) {
    fixture = std::make_unique<TestSupport::FixtureDb>(
        std::initializer_list<std::string_view>{"funds.sql", "../pages_holdings/stock_holdings.sql"});
    SampleDb::Exec(SampleDb::OpenDatabase(fixture->Path(), false).get(), "DROP TABLE tb_stock;");
    StartOn(fixture->Path());
    module.AddFund(L"F001");
    Show();
    EXPECT_TRUE(PlatformMessageBoxes().empty());
    const auto sheet = Sheet(page().StockGrid());
    ASSERT_EQ(sheet.size(), 4u);
    EXPECT_EQ(Cell(sheet, 1, L"行业"), L"--");
}

TEST_F(HoldingsFixture, AFailingStatementIsReportedAndThePageKeepsWhatItShowed) {
    Start();
    module.AddFund(L"F001");
    Show();
    ASSERT_EQ(Sheet(page().StockGrid()).size(), 4u);
    // The fund table goes away under the page: the next read fails.
    SampleDb::Exec(SampleDb::OpenDatabase(fixture->Path(), false).get(),
                   "ALTER TABLE tb_fund RENAME TO tb_gone;");
    module.AddFund(L"F002");
    PlatformRunUntilIdle();
    ASSERT_FALSE(PlatformMessageBoxes().empty());
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"ERROR");
    EXPECT_EQ(Sheet(page().StockGrid()).size(), 4u);
}

// The generated sample: its holdings follow each fund's industry allocation, and the funds of one
// company and style share more than others.
TEST(HoldingsSample, AFullReportAddsUpToTheFundsIndustryAllocation) {
    SampleDb::Options options;
    options.funds = 120;
    options.years = 2;
    options.historyFunds = 0;
    TestSupport::GeneratedDb db(options);
    SampleDb::SqliteHandle connection = db.Open();
    // At the latest (annual) report: per fund, the stock lines against the leaf industries.
    SampleDb::StatementHandle statement = SampleDb::Prepare(
        connection.get(),
        "select h.code, sum(h.percent), (select sum(i.percent) from tb_investindustry i where i.code = "
        "h.code and "
        "i.date = h.date and not i.isdeleted and i.industryid <> 2), count(*) from tb_stockholding h where "
        "h.date = '2010-12-31' and not h.isdeleted group by h.code");
    int funds = 0;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        ++funds;
        const double stocks = sqlite3_column_double(statement.get(), 1);
        const double industries = sqlite3_column_double(statement.get(), 2);
        EXPECT_NEAR(stocks, industries, 0.002) << sqlite3_column_text(statement.get(), 0);
    }
    EXPECT_GT(funds, 30);
    // A quarterly report lists at most ten lines.
    SampleDb::StatementHandle quarter = SampleDb::Prepare(
        connection.get(),
        "select max(n) from (select count(*) n from tb_stockholding where date = '2010-09-30' "
        "and not isdeleted group by code)");
    ASSERT_EQ(sqlite3_step(quarter.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(quarter.get(), 0), 10);
    // Every stock held has an industry of its own, never the parent category.
    SampleDb::StatementHandle orphans = SampleDb::Prepare(
        connection.get(),
        "select count(*) from tb_stockholding h where not exists (select 1 from tb_stock s where "
        "s.code = h.stockcode and not s.isdeleted and s.industryid not in (2))");
    ASSERT_EQ(sqlite3_step(orphans.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(orphans.get(), 0), 0);
}

TEST_F(HoldingsFixture, OnAGeneratedDatabaseFundsOfOneCompanyAndStyleOverlapMore) {
    SampleDb::Options options;
    options.funds = 150;
    options.years = 2;
    options.historyFunds = 0;
    TestSupport::GeneratedDb db(options);
    // Stock funds of the sample by company and style.
    std::map<std::pair<std::string, std::string>, std::vector<std::string>> groups;
    std::vector<std::string> all;
    {
        SampleDb::SqliteHandle connection = db.Open();
        SampleDb::StatementHandle statement = SampleDb::Prepare(
            connection.get(),
            "select f.code, f.companyguid, f.investstyle from tb_fund f where not f.isdeleted and "
            "f.investtype = '股票型' and exists (select 1 from tb_stockholding h where h.code = f.code "
            "and h.date = '2010-12-31') order by f.code");
        while (sqlite3_step(statement.get()) == SQLITE_ROW) {
            const std::string code = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
            groups[{reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1)),
                    reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 2))}]
                .push_back(code);
            all.push_back(code);
        }
    }
    ASSERT_GE(all.size(), 6u);
    StartOn(db.Path());
    for (const std::string& code : all)
        module.AddFund(XStringW::FromUtf8(code.c_str()));
    Show();
    ASSERT_TRUE(PlatformMessageBoxes().empty());
    const auto& funds = page().Report().Funds();
    const std::vector<double>& m = page().Matrix();
    ASSERT_EQ(m.size(), funds.size() * funds.size());
    std::map<std::string, std::pair<std::string, std::string>> groupOf;
    for (const auto& [key, codes] : groups)
        for (const std::string& code : codes)
            groupOf[code] = key;
    double same = 0, other = 0;
    int sameCount = 0, otherCount = 0;
    for (size_t r = 0; r < funds.size(); ++r)
        for (size_t c = r + 1; c < funds.size(); ++c) {
            const double v = m[r * funds.size() + c];
            ASSERT_TRUE(std::isfinite(v));
            EXPECT_LE(v, std::min(m[r * funds.size() + r], m[c * funds.size() + c]) + 1e-9);
            if (groupOf[funds[r].code.ToUtf8()] == groupOf[funds[c].code.ToUtf8()])
                same += v, ++sameCount;
            else
                other += v, ++otherCount;
        }
    ASSERT_GT(sameCount, 0);
    ASSERT_GT(otherCount, 0);
    EXPECT_GT(same / sameCount, 1.3 * (other / otherCount));
}

} // namespace
