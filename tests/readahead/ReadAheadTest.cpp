// Reading ahead on a worker thread: the pages show what they show when they read for themselves,
// say they are loading while the data are on the way, report a failed statement of the worker when
// they are shown, and do not take data read before the database changed or after the module let
// the database go.
#include "../module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <hostconf/ConfManager.h>

#include <platform/background.h>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The module over a database file, with its workspace in a window; reading ahead when `ahead`.
class Host {
public:
    // `served` stands between the module and the database when given; `beforeWorkspace` runs
    // between the module's start and the making of the workspace.
    Host(const std::string& path, bool ahead, const std::vector<XStringW>& compared, bool hold = false,
         std::function<void()> beforeWorkspace = nullptr,
         std::function<XComPtr<Data::IDatabase>(Data::IDatabase*)> served = nullptr) {
        ModuleHost::Options options;
        options.screenWidth = 1100;
        options.screenHeight = 800;
        options.readAhead = ahead;
        options.holdWorker = hold;
        options.serve = std::move(served);
        host.Start(path, options);
        for (const XStringW& code : compared)
            module.AddFund(code);
        host.MakeWindow(1100, 800);
        if (beforeWorkspace)
            beforeWorkspace();
        host.ShowWorkspace(nullptr, /*settle=*/false);
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

    // Every cell of the workspace's list of all funds, row by row.
    std::vector<std::wstring> FundCells() {
        std::vector<std::wstring> cells;
        Data::IDataTable* table = module.Workspace().FundsTable();
        for (int c = 0; c < table->GetColumnCount(); ++c) {
            XComPtr<Data::IColumnItem> item;
            table->GetColumnItem(item.Receive(), c);
            XStringW name;
            item->GetName(name);
            cells.push_back(name.str());
        }
        for (int r = 0; r < table->GetRowCount(); ++r) {
            XComPtr<Data::IDataRow> row;
            table->GetRow(row.Receive(), r);
            for (int c = 0; c < table->GetColumnCount(); ++c)
                cells.push_back(row->GetValueAt(c)->ToString().str());
        }
        return cells;
    }

    ModuleHost host;
    FundCompareModuleImpl& module = host.module;
    XComPtr<HostDb::SqliteDatabase>& database = host.database;
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

// A connection whose every Execute fails, as a worker's reading that broke off would; its queries
// go through.
class BrokenExecute final : public HostKernel::RefCounted<Data::IDatabase, Data::IDatabaseConnections> {
public:
    explicit BrokenExecute(Data::IDatabase* inner) : m_inner(inner) {}
    bool IsOpen() override { return m_inner->IsOpen(); }
    bool Execute(const wchar_t*, Data::IDataTable*, int, int) override {
        ++executes;
        return false;
    }
    bool Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) override {
        return m_inner->Query(statement, sql, error);
    }
    void GetLastError(XStringW& error) override { error = L"disk I/O error"; }
    bool OpenConnection(Data::IDatabase**, XStringW& error) override {
        error = L"none";
        return false;
    }
    void Interrupt() override { Connections()->Interrupt(); }
    long long DataVersion() override { return Connections()->DataVersion(); }
    std::atomic<int> executes{0};

private:
    XComPtr<Data::IDatabaseConnections> Connections() { return m_inner.As<Data::IDatabaseConnections>(); }
    XComPtr<Data::IDatabase> m_inner;
};

// The module's own connection as it is, whose further connections are broken for Execute.
class BrokenWorker final : public HostKernel::RefCounted<Data::IDatabase, Data::IDatabaseConnections> {
public:
    explicit BrokenWorker(Data::IDatabase* inner) : m_inner(inner) {}
    bool IsOpen() override { return m_inner->IsOpen(); }
    bool Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved) override {
        return m_inner->Execute(sql, table, replace, reserved);
    }
    bool Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) override {
        return m_inner->Query(statement, sql, error);
    }
    void GetLastError(XStringW& error) override { m_inner->GetLastError(error); }
    bool OpenConnection(Data::IDatabase** connection, XStringW& error) override {
        XComPtr<Data::IDatabase> real;
        if (!m_inner.As<Data::IDatabaseConnections>()->OpenConnection(real.Receive(), error))
            return false;
        worker = HostKernel::MakeRef<BrokenExecute>(real.Get());
        *connection = XComPtr<Data::IDatabase>(worker.Get()).Detach();
        return true;
    }
    void Interrupt() override { m_inner.As<Data::IDatabaseConnections>()->Interrupt(); }
    long long DataVersion() override { return m_inner.As<Data::IDatabaseConnections>()->DataVersion(); }
    XComPtr<BrokenExecute> worker;

private:
    XComPtr<Data::IDatabase> m_inner;
};

// What a database file cut short under the running program does to every connection to it: each
// statement fails and the data version moves at every look, as it does while the file is rewritten.
// The version settles after a while, so that a reader that retried for ever still comes to rest
// and the count of its statements tells.
struct Breakage {
    std::atomic<bool> broken{false};
    std::atomic<int> workerStatements{0}; // statements tried on the worker's connections once broken
    std::atomic<long long> version{0};
    static constexpr int kSettlesAfter = 400;
};

class CutShort final : public HostKernel::RefCounted<Data::IDatabase, Data::IDatabaseConnections> {
public:
    CutShort(Data::IDatabase* inner, std::shared_ptr<Breakage> breakage, bool worker)
        : m_inner(inner), m_breakage(std::move(breakage)), m_worker(worker) {}
    bool IsOpen() override { return m_inner->IsOpen(); }
    bool Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved) override {
        if (Broken())
            return false;
        return m_inner->Execute(sql, table, replace, reserved);
    }
    bool Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) override {
        if (Broken()) {
            error = kMalformed;
            return false;
        }
        return m_inner->Query(statement, sql, error);
    }
    void GetLastError(XStringW& error) override {
        if (m_breakage->broken)
            error = kMalformed;
        else
            m_inner->GetLastError(error);
    }
    bool OpenConnection(Data::IDatabase** connection, XStringW& error) override {
        XComPtr<Data::IDatabase> real;
        if (!Connections()->OpenConnection(real.Receive(), error))
            return false;
        auto wrapped = HostKernel::MakeRef<CutShort>(real.Get(), m_breakage, true);
        *connection = XComPtr<Data::IDatabase>(wrapped.Get()).Detach();
        return true;
    }
    void Interrupt() override { Connections()->Interrupt(); }
    long long DataVersion() override {
        if (m_breakage->broken && m_breakage->workerStatements < Breakage::kSettlesAfter)
            return ++m_breakage->version;
        return m_breakage->version;
    }
    static constexpr const wchar_t* kMalformed = L"database disk image is malformed";

private:
    bool Broken() {
        if (!m_breakage->broken)
            return false;
        if (m_worker)
            ++m_breakage->workerStatements;
        return true;
    }
    XComPtr<Data::IDatabaseConnections> Connections() { return m_inner.As<Data::IDatabaseConnections>(); }
    XComPtr<Data::IDatabase> m_inner;
    std::shared_ptr<Breakage> m_breakage;
    bool m_worker;
};

// Keeps the funds of one investment type, as the host's fund-filter page does.
class TypeFilter final : public HostKernel::RefCounted<Data::IDataFilter> {
public:
    explicit TypeFilter(std::wstring type) : m_type(std::move(type)) {}
    void Filter(Data::IDataTable* table, int* rows, int* count) override {
        int column = table->GetColumnIndex(L"investtype");
        int kept = 0;
        for (int i = 0; i < *count; ++i) {
            XComPtr<Data::IDataRow> row;
            if (column >= 0 && table->GetRow(row.Receive(), rows[i]) &&
                row->GetValueAt(column)->ToString().str() == m_type)
                rows[kept++] = rows[i];
        }
        *count = kept;
    }

private:
    std::wstring m_type;
};

TEST_F(ReadAheadTest, ThePickerListsEveryFundWhetherTheListWasReadAheadLateFailedOrNotAtAll) {
    TestSupport::GeneratedDb generated(SampleDb::Options{300, 3, 5, 20});
    std::vector<std::wstring> alone;
    int equity = 0;
    auto filter = HostKernel::MakeRef<TypeFilter>(L"股票型");
    {
        Host host(generated.Path(), false, {});
        EXPECT_FALSE(host.module.Workspace().FundsArriving());
        alone = host.FundCells();
        host.module.Workspace().OnFilterChanged(nullptr, filter, nullptr, nullptr);
        equity = host.module.Workspace().FundsView()->GetRowCount();
        EXPECT_EQ(host.module.Workspace().PickerTable()->GetRowCount(), equity);
    }
    ASSERT_GT(alone.size(), 6u * 100);
    ASSERT_GT(equity, 0);

    {
        // Read ahead and finished before the workspace was made: taken at once, nothing read here.
        Host host(generated.Path(), true, {}, false, [] { PlatformRunUntilIdle(); });
        EXPECT_FALSE(host.module.Workspace().FundsArriving());
        EXPECT_EQ(host.FundCells(), alone);
    }
    {
        // Still on its way: the picker lists nothing and the host's filter waits with it.
        Host host(generated.Path(), true, {}, /*hold=*/true);
        ASSERT_TRUE(host.module.Workspace().FundsArriving());
        EXPECT_EQ(host.module.Workspace().FundsTable()->GetRowCount(), 0);
        host.module.Workspace().OnFilterChanged(nullptr, filter, nullptr, nullptr);
        host.module.Ahead().HoldWorker(false);
        PlatformRunUntilIdle();
        EXPECT_FALSE(host.module.Workspace().FundsArriving());
        EXPECT_EQ(host.FundCells(), alone);
        EXPECT_EQ(host.module.Workspace().FundsView()->GetRowCount(), equity);
        ASSERT_NE(host.module.Workspace().PickerTable(), nullptr);
        EXPECT_EQ(host.module.Workspace().PickerTable()->GetRowCount(), equity);
    }
    for (bool settle : {true, false}) {
        // The worker's reading fails: the list is read here, as without a worker, and the failure
        // of a list the user never asked for is no message.
        XComPtr<BrokenWorker> broken;
        std::function<void()> before =
            settle ? std::function<void()>([] { PlatformRunUntilIdle(); }) : nullptr;
        // Held, so that without settling the workspace surely finds the list on its way.
        Host host(generated.Path(), true, {}, /*hold=*/!settle, before, [&broken](Data::IDatabase* real) {
            broken = HostKernel::MakeRef<BrokenWorker>(real);
            return XComPtr<Data::IDatabase>(broken.Get());
        });
        EXPECT_EQ(host.module.Workspace().FundsArriving(), !settle);
        host.module.Ahead().HoldWorker(false);
        PlatformRunUntilIdle();
        ASSERT_NE(broken->worker, nullptr);
        EXPECT_EQ(broken->worker->executes.load(), 1) << settle;
        EXPECT_FALSE(host.module.Workspace().FundsArriving());
        EXPECT_EQ(host.FundCells(), alone) << settle;
        EXPECT_TRUE(PlatformMessageBoxes().empty());
    }
}

TEST_F(ReadAheadTest, AFundListReadBeforeTheDataChangedIsReadAgain) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    // The list is read ahead, then another program renames a fund before the workspace is made.
    Host host(fixture.Path(), true, {}, false, [&fixture] {
        PlatformRunUntilIdle();
        Execute(fixture.Path(), "UPDATE tb_fund SET name = '改名基金' WHERE code = 'F001'");
    });
    EXPECT_TRUE(host.module.Workspace().FundsArriving()) << "the list read before the change was taken";
    PlatformRunUntilIdle();
    EXPECT_FALSE(host.module.Workspace().FundsArriving());
    std::vector<std::wstring> cells = host.FundCells();
    EXPECT_NE(std::find(cells.begin(), cells.end(), L"改名基金"), cells.end());
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

TEST_F(ReadAheadTest, RiskFiguresReadBeforeTheDatabaseChangedAreReadAgain) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    Host host(fixture.Path(), true, {L"F001"});
    PlatformRunUntilIdle(); // the universes are read, and wait to be taken
    Execute(fixture.Path(),
            "UPDATE tb_riskevaluation SET increasepercent = 0.4321 WHERE fundcode = 'F001' AND year = 1");
    RiskReturnPage& page = host.module.Workspace().RiskReturn();
    host.module.Workspace().ShowTab(2);
    EXPECT_TRUE(page.IsLoading()) << "the figures read before the change were taken";
    PlatformRunUntilIdle();
    EXPECT_FALSE(page.IsLoading());
    ASSERT_EQ(page.Stars().size(), 1u);
    EXPECT_NEAR(page.Stars()[0].returnValue, 0.4321, 1e-12);
}

TEST_F(ReadAheadTest, AUniverseReadForAnotherYearIsNotHandedOut) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    Host host(fixture.Path(), true, {});
    PlatformRunUntilIdle(); // the universe of the latest year is read
    ReadAhead& ahead = host.module.Ahead();
    EXPECT_TRUE(ahead.Fetch(AheadRequest::Performance(L"2009")).OnItsWay());
    PlatformRunUntilIdle();
    AheadResult read = ahead.Fetch(AheadRequest::Performance(L"2009"));
    ASSERT_TRUE(read.Ok()) << read.Error().ToUtf8();
    EXPECT_EQ(read.Take<PerformanceUniverse>().Year(), XStringW(L"2009"));
}

TEST_F(ReadAheadTest, HistoriesAreHandedOutOnlyWhenTheReadingCoversEveryFundAskedFor) {
    TestSupport::FixtureDb fixture({"funds.sql", "../pages_growth/growth_history.sql"});
    Host host(fixture.Path(), true, {});
    ReadAhead& ahead = host.module.Ahead();
    EXPECT_TRUE(ahead.Fetch(AheadRequest::Histories({L"F001"})).OnItsWay());
    PlatformRunUntilIdle();
    // A reading of one fund does not serve two: the second would have to be read on this thread.
    EXPECT_TRUE(ahead.Fetch(AheadRequest::Histories({L"F002", L"F001"})).OnItsWay());
    PlatformRunUntilIdle();
    // A reading of two serves one of them.
    AheadResult read = ahead.Fetch(AheadRequest::Histories({L"F002"}));
    ASSERT_TRUE(read.Ok()) << read.Error().ToUtf8();
    GrowthHistory history = read.Take<GrowthHistory>();
    EXPECT_NE(history.Find(L"F001"), nullptr);
    EXPECT_NE(history.Find(L"F002"), nullptr);
}

TEST_F(ReadAheadTest, TheHistoriesOfARestoredSetAreReadBeforeTheGrowthPageIsShown) {
    TestSupport::FixtureDb fixture({"funds.sql", "../pages_growth/growth_history.sql"});
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("read-ahead-restored-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        auto config = HostKernel::MakeRef<HostConf::ConfManager>();
        XStringW error;
        config->Load((folder / "config.xml").string(), error);
        config->SetValue("/Quenda2/FundCompare/Session/Funds", XStringW(L"F001,F002"));
        ModuleHost host;
        host.app->conf = config.Get();
        ModuleHost::Options options;
        options.readAhead = true;
        ASSERT_TRUE(host.Start(fixture.Path(), options));
        host.MakeWindow(1100, 800);
        ASSERT_TRUE(host.ShowWorkspace(nullptr, /*settle=*/false));
        PlatformRunUntilIdle(); // everything read ahead arrives
        host.module.Workspace().ShowTab(5);
        EXPECT_FALSE(host.module.Workspace().Growth().WaitingForHistories());
        EXPECT_EQ(host.module.Ahead().Handed(), 1); // the histories; no other page was shown
        EXPECT_EQ(host.module.Workspace().Growth().History().FundReads(), 2); // once each, on the worker
    }
    std::filesystem::remove_all(folder);
}

TEST_F(ReadAheadTest, APageLeftBeforeItsDataCameTakesThemWhenItIsShownAgain) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    Host host(fixture.Path(), true, {L"F001"}, /*hold=*/true);
    BackgroundPage& ws = host.module.Workspace();
    ws.ShowTab(1);
    EXPECT_TRUE(ws.Performance().IsLoading());
    ws.ShowTab(0);
    host.module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();
    // The data wait for the page: taken when it is shown, they are checked against the data then.
    EXPECT_EQ(host.module.Ahead().Handed(), 0);
    EXPECT_TRUE(ws.Performance().IsLoading());
    ws.ShowTab(1);
    EXPECT_FALSE(ws.Performance().IsLoading());
    EXPECT_EQ(host.module.Ahead().Handed(), 1);
    EXPECT_GT(ws.Performance().ListTable()->GetRowCount(), 0);
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

TEST_F(ReadAheadTest, ADatabaseCutShortStopsTheReadingAheadAndEveryWaitingPageReportsIt) {
    TestSupport::GeneratedDb generated(SampleDb::Options{120, 3, 3, 40});
    const std::vector<XStringW> funds = SomeFunds(generated.Path(), 3);
    ASSERT_FALSE(funds.empty());
    auto breakage = std::make_shared<Breakage>();
    Host host(generated.Path(), true, funds, /*hold=*/true, nullptr, [breakage](Data::IDatabase* real) {
        return XComPtr<Data::IDatabase>(HostKernel::MakeRef<CutShort>(real, breakage, false).Get());
    });
    FundCompareModuleImpl& module = host.module;
    // The performance page waits for its universe behind the fund list, the risk universe and the
    // histories; then the file is cut short.
    module.Workspace().ShowTab(1);
    ASSERT_TRUE(module.Workspace().Performance().IsLoading());
    ASSERT_TRUE(module.Workspace().FundsArriving());
    breakage->broken = true;
    module.Ahead().HoldWorker(false);
    PlatformRunUntilIdle();

    // The first failure ends the reading: no job after it, no worker left.
    EXPECT_LE(breakage->workerStatements.load(), 2) << "the worker kept reading a broken database";
    EXPECT_EQ(PlatformBackgroundWork(), 0);
    // The waiting page is released and says what went wrong.
    EXPECT_FALSE(module.Workspace().Performance().IsLoading());
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    EXPECT_NE(PlatformMessageBoxes()[0].text.find(CutShort::kMalformed), std::wstring::npos);
    EXPECT_FALSE(module.Workspace().FundsArriving());

    // The pages shown later start no reading and report the failure too.
    module.Workspace().ShowTab(2);
    PlatformRunUntilIdle();
    EXPECT_FALSE(module.Workspace().RiskReturn().IsLoading());
    EXPECT_EQ(PlatformMessageBoxes().size(), 2u);
    module.Workspace().ShowTab(5);
    PlatformRunUntilIdle();
    EXPECT_FALSE(module.Workspace().Growth().WaitingForHistories());
    EXPECT_NE(module.Workspace().Growth().Chart().Notice(), XStringW(ComparePage::kLoadingText));
    EXPECT_EQ(PlatformMessageBoxes().size(), 3u);
    module.Workspace().ShowTab(1);
    PlatformRunUntilIdle();
    EXPECT_LE(breakage->workerStatements.load(), 2);
    EXPECT_EQ(PlatformBackgroundWork(), 0);

    // A database opened again reads ahead again.
    breakage->broken = false;
    const int handed = module.Ahead().Handed();
    module.Ahead().Start(host.database, funds);
    PlatformRunUntilIdle();
    module.Workspace().ShowTab(0);
    module.Workspace().ShowTab(2);
    EXPECT_FALSE(module.Workspace().RiskReturn().IsLoading());
    EXPECT_FALSE(module.Workspace().RiskReturn().Stars().empty());
    EXPECT_EQ(module.Ahead().Handed(), handed + 1);
}

TEST_F(ReadAheadTest, ADatabaseFileTruncatedUnderTheProgramLeavesNoPageWaitingAndNoWorkerBusy) {
    for (const double kept : {0.0, 0.5}) {
        TestSupport::GeneratedDb generated(SampleDb::Options{300, 4, 3, 60});
        const std::vector<XStringW> funds = SomeFunds(generated.Path(), 3);
        Host host(generated.Path(), true, funds, /*hold=*/true);
        host.module.Workspace().ShowTab(1);
        ASSERT_TRUE(host.module.Workspace().Performance().IsLoading());
        const auto size = std::filesystem::file_size(generated.Path());
        std::filesystem::resize_file(generated.Path(), static_cast<std::uintmax_t>(size * kept));
        host.module.Ahead().HoldWorker(false);
        PlatformRunUntilIdle();
        EXPECT_EQ(PlatformBackgroundWork(), 0) << kept;
        EXPECT_FALSE(host.module.Workspace().Performance().IsLoading()) << kept;
        host.module.Workspace().ShowTab(5);
        PlatformRunUntilIdle();
        EXPECT_FALSE(host.module.Workspace().Growth().WaitingForHistories()) << kept;
        EXPECT_EQ(PlatformBackgroundWork(), 0) << kept;
    }
}

} // namespace
