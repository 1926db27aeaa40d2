// Reading ahead on a worker thread: the pages show what they show when they read for themselves,
// say they are loading while the data are on the way, report a failed statement of the worker when
// they are shown, and do not take data read before the database changed or after the module let
// the database go.
#include "../module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "support/FixtureDb.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/background.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The module over a database file, with its workspace in a window; reading ahead when `ahead`.
class Host {
public:
    Host(const std::string& path, bool ahead, const std::vector<XStringW>& compared, bool hold = false) {
        XStringW error;
        database = HostDb::SqliteDatabase::Open(path, error);
        EXPECT_NE(database, nullptr) << error.ToUtf8();
        database->OfferConnections(ahead);
        auto dbModule = HostKernel::MakeRef<FakeDbModule>();
        dbModule->database = database.Get();
        app->modules["mod_Database"] = dbModule.Get();
        app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
        module.Ahead().HoldWorker(hold);
        module.Load(nullptr, nullptr);
        EXPECT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();
        for (const XStringW& code : compared)
            module.AddFund(code);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"ReadAheadTestFrame";
        RegisterClassExW(&wc);
        frame = CreateWindowExW(0, L"ReadAheadTestFrame", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                1100, 800, nullptr, nullptr, nullptr, nullptr);
        module.Workspace().Create(frame, nullptr);
        module.Workspace().Move(0, 0, 1100, 800);
        module.Workspace().Show();
    }
    ~Host() {
        module.Ahead().HoldWorker(false);
        module.Uninitialize();
        DestroyWindow(frame);
        PlatformRunUntilIdle();
    }

    // Every cell of the performance list, row by row.
    std::vector<std::wstring> PerformanceCells() {
        std::vector<std::wstring> cells;
        Data::IDataTable* table = module.Workspace().Performance().ListTable();
        for (int r = 0; r < table->GetRowCount(); ++r) {
            XComPtr<Data::IDataRow> row;
            table->GetRow(row.Receive(), r);
            for (int c = 0; c < table->GetColumnCount(); ++c)
                cells.push_back(row->GetValueAt(c)->ToString().str());
        }
        return cells;
    }
    // The risk-return page's stars and averages, as text.
    std::vector<std::wstring> RiskFigures() {
        std::vector<std::wstring> figures;
        RiskReturnPage& page = module.Workspace().RiskReturn();
        for (const RiskModel::FundStar& star : page.Stars())
            figures.push_back(star.code.str() + L" " + std::to_wstring(star.returnValue) + L" " +
                              std::to_wstring(star.stdDev));
        for (const RiskModel::AverageEntry& entry : page.Averages())
            for (const RiskModel::AverageStar& average : entry)
                figures.push_back(average.name.str() + L" " + std::to_wstring(average.returnValue));
        return figures;
    }
    // The growth page's figures grid, cell by cell.
    std::vector<std::wstring> GrowthCells() {
        std::vector<std::wstring> cells;
        GrowthPage& page = module.Workspace().Growth();
        const GrowthPanel& panel = page.Panel();
        cells.push_back(std::to_wstring(panel.days.size()));
        for (size_t k = 0; k < panel.lines.size(); ++k)
            for (size_t p = 0; p < panel.days.size(); p += 97)
                cells.push_back(std::to_wstring(panel.CumulativePercent(k, p)));
        return cells;
    }

    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    FundCompareModuleImpl module;
    HWND frame = nullptr;
};

class ReadAheadTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(1100, 800);
        PlatformClearMessageBoxes();
    }
};

// Funds of the generated database that every page shows.
std::vector<XStringW> SomeFunds(const std::string& path, int count) {
    std::vector<XStringW> codes;
    SampleDb::SqliteHandle db = TestSupport::OpenReadOnly(path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db.get(),
                       "select code from tb_fund f where fundtype = '契约型开放式' and investtype <> '现金型'"
                       " and not isdeleted and not isdellisting"
                       " and exists (select 1 from tb_netvaluehistory h where h.code = f.code)"
                       " order by code limit ?1",
                       -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, count);
    while (sqlite3_step(statement) == SQLITE_ROW)
        codes.push_back(XStringW::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    return codes;
}

void Execute(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message != nullptr ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

TEST_F(ReadAheadTest, PagesShowWhatTheyShowWhenTheyReadForThemselves) {
    TestSupport::GeneratedDb generated(SampleDb::Options{400, 6, 3, 120});
    const std::vector<XStringW> funds = SomeFunds(generated.Path(), 12);
    ASSERT_GE(funds.size(), 5u);

    std::vector<std::wstring> performance, risk, growth;
    {
        Host alone(generated.Path(), false, funds);
        EXPECT_FALSE(alone.module.Ahead().Available());
        for (int tab : {1, 2, 5}) {
            alone.module.Workspace().ShowTab(tab);
            PlatformRunUntilIdle();
        }
        performance = alone.PerformanceCells();
        risk = alone.RiskFigures();
        growth = alone.GrowthCells();
    }
    Host ahead(generated.Path(), true, funds);
    ASSERT_TRUE(ahead.module.Ahead().Available());
    PlatformRunUntilIdle(); // every universe and history arrives
    for (int tab : {1, 2, 5}) {
        ahead.module.Workspace().ShowTab(tab);
        // Nothing is read on this thread any more: the page is complete at once.
        EXPECT_FALSE(ahead.module.Workspace().Page(tab)->IsLoading()) << tab;
        PlatformRunUntilIdle();
    }
    EXPECT_EQ(ahead.module.Ahead().Handed(), 3);
    EXPECT_FALSE(performance.empty());
    EXPECT_EQ(ahead.PerformanceCells(), performance);
    EXPECT_FALSE(risk.empty());
    EXPECT_EQ(ahead.RiskFigures(), risk);
    EXPECT_GT(growth.size(), 1u);
    EXPECT_EQ(ahead.GrowthCells(), growth);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(ReadAheadTest, APageShownBeforeItsDataArriveSaysItIsLoadingAndFinishesWhenTheyCome) {
    TestSupport::GeneratedDb generated(SampleDb::Options{200, 4, 5, 60});
    const std::vector<XStringW> funds = SomeFunds(generated.Path(), 4);
    Host host(generated.Path(), true, funds, /*hold=*/true);
    PerformancePage& page = host.module.Workspace().Performance();
    host.module.Workspace().ShowTab(1);
    ASSERT_TRUE(page.IsLoading());
    EXPECT_FALSE(::IsWindowVisible(page.Grid().GetSafeHwnd()));
    EXPECT_EQ(page.ListTable()->GetRowCount(), 0);
    // The page says so where its list would be.
    PlatformPaintAll();
    RECT client{};
    GetClientRect(page.GetHandle(), &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(page.GetHandle(), &centre);
    bool text = false;
    const COLORREF back = PlatformScreenPixel(centre.x - 60, centre.y);
    for (int dx = -20; dx <= 20 && !text; ++dx)
        for (int dy = -6; dy <= 6 && !text; ++dy)
            text = PlatformScreenPixel(centre.x + dx, centre.y + dy) != back;
    EXPECT_TRUE(text) << "no 加载中 in the middle of the page";

    // The other pages that read ahead do the same.
    host.module.Workspace().ShowTab(2);
    EXPECT_TRUE(host.module.Workspace().RiskReturn().IsLoading());
    host.module.Workspace().ShowTab(5);
    EXPECT_TRUE(host.module.Workspace().Growth().WaitingForHistories());
    EXPECT_EQ(host.module.Workspace().Growth().Chart().Notice(), XStringW(ComparePage::kLoadingText));

    host.module.Workspace().ShowTab(1);
    host.module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();
    EXPECT_FALSE(page.IsLoading());
    EXPECT_TRUE(::IsWindowVisible(page.Grid().GetSafeHwnd()));
    EXPECT_EQ(page.ListTable()->GetRowCount(), 13 * static_cast<int>(funds.size()));
    // The pages that were left while loading finish when shown again.
    host.module.Workspace().ShowTab(2);
    EXPECT_FALSE(host.module.Workspace().RiskReturn().IsLoading());
    EXPECT_FALSE(host.module.Workspace().RiskReturn().Stars().empty());
    host.module.Workspace().ShowTab(5);
    PlatformRunUntilIdle();
    EXPECT_FALSE(host.module.Workspace().Growth().WaitingForHistories());
    EXPECT_NE(host.module.Workspace().Growth().Chart().Notice(), XStringW(ComparePage::kLoadingText));
    EXPECT_EQ(host.module.Workspace().Growth().Panel().lines.size(), funds.size() + 1);
}

TEST_F(ReadAheadTest, AFailedStatementOfTheWorkerIsReportedWhenThePageIsShown) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    // The all-funds statement reads a column this return table lacks; the latest year still reads.
    Execute(fixture.Path(), "ALTER TABLE tb_yield RENAME COLUMN lastweek TO lastweek_gone");
    Host host(fixture.Path(), true, {L"F001", L"F002"});
    PlatformRunUntilIdle(); // the worker has failed by now
    EXPECT_TRUE(PlatformMessageBoxes().empty()) << "reported before the page was shown";
    host.module.Workspace().ShowTab(1);
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
    EXPECT_NE(PlatformMessageBoxes()[0].text.find(L"lastweek"), std::wstring::npos)
        << XStringW(PlatformMessageBoxes()[0].text).ToUtf8();
    EXPECT_FALSE(host.module.Workspace().Performance().IsLoading());
    EXPECT_EQ(host.module.Workspace().Performance().ListTable()->GetRowCount(), 0);
    PlatformRunUntilIdle();
    // The next show reads again, and reports again.
    host.module.Workspace().ShowTab(0);
    host.module.Workspace().ShowTab(1);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformMessageBoxes().size(), 2u);
}

TEST_F(ReadAheadTest, DataReadBeforeTheDatabaseChangedAreReadAgain) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    Host host(fixture.Path(), true, {L"F001"});
    PlatformRunUntilIdle(); // the universes are read
    // Another program changes a return after they were read.
    Execute(fixture.Path(), "UPDATE tb_yield SET lastweek = 0.4321 WHERE fundcode = 'F001'");
    PerformancePage& page = host.module.Workspace().Performance();
    host.module.Workspace().ShowTab(1);
    EXPECT_TRUE(page.IsLoading()) << "the universe read before the change was taken";
    PlatformRunUntilIdle();
    EXPECT_FALSE(page.IsLoading());
    bool found = false;
    Data::IDataTable* table = page.ListTable();
    for (int r = 0; r < table->GetRowCount(); ++r) {
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), r);
        if (row->GetValue(L"distance")->ToString() == XStringW(L"最近一周")) {
            EXPECT_NEAR(row->GetValue(L"yield")->AsDouble(), 0.4321, 1e-12);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(ReadAheadTest, StoppingGivesUpTheWorkWithoutAResultOrAWait) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    auto host = std::make_unique<Host>(fixture.Path(), true, std::vector<XStringW>{L"F001"}, /*hold=*/true);
    EXPECT_EQ(PlatformBackgroundWork(), 1);
    host->module.Workspace().ShowTab(1);
    EXPECT_TRUE(host->module.Workspace().Performance().IsLoading());
    // The module lets the database go: the held worker is released, ends without reading, and
    // nothing of it reaches the page.
    host->module.Ahead().Stop();
    EXPECT_EQ(PlatformBackgroundWork(), 0);
    PlatformRunUntilIdle();
    EXPECT_EQ(host->module.Ahead().Handed(), 0);
    EXPECT_TRUE(host->module.Workspace().Performance().IsLoading());
    EXPECT_FALSE(host->module.Ahead().Available());
    // Started again on the database, it reads anew and the waiting page is served.
    host->module.Ahead().HoldWorker(false);
    host->module.Ahead().Start(host->database, {L"F001"});
    PlatformRunUntilIdle();
    host->module.Workspace().ShowTab(1);
    EXPECT_FALSE(host->module.Workspace().Performance().IsLoading());
    EXPECT_GT(host->module.Workspace().Performance().ListTable()->GetRowCount(), 0);
    host.reset();
    EXPECT_EQ(PlatformBackgroundWork(), 0);
}

} // namespace
