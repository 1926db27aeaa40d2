// The growth page with 100 compared funds of more than five years' history on a generated database
// of 12,000 funds, range 近5年, in a 1280 x 800 workspace:
//   - reading the histories (the page's statements through the host database into its series),
//     next to the same statements stepped with SQLite alone, every column read;
//   - a full chart frame (scales, decimation, axes, 101 lines, legend), and a pointer move (cursor,
//     tip with 101 values, the line in front);
//   - the figures of 101 lines and the 100 x 100 correlation matrix from the read series.
//
// The database gives the net-value history to its first 1,200 funds (a tenth): the statements
// read one fund at a time through an index, so the cost of a fund does not depend on how many
// other funds have a history, and the setup stays within seconds instead of minutes.
#include "module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "pages/common/SqlCodeList.h"
#include "pages/growth/GrowthFigures.h"
#include "pages/growth/GrowthQueries.h"

#include <SampleDbGenerator.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>
#include <sdk/Kernel.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The database, the module in a fake host, the workspace on the growth page with 100 funds.
struct Bench {
    std::string path;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    XComPtr<FakeDbModule> databaseModule = HostKernel::MakeRef<FakeDbModule>();
    FundCompareModuleImpl module;
    Control::XWin parent;
    std::vector<XStringW> codes;

    Bench() {
        path =
            (std::filesystem::temp_directory_path() / ("growth_bench_" + std::to_string(::getpid()) + ".db"))
                .string();
        SampleDb::Options options;
        options.funds = 12000;
        options.historyFunds = 1200;
        std::string error = SampleDb::Generate(path, options);
        if (!error.empty())
            std::fprintf(stderr, "generating the database failed: %s\n", error.c_str());
        XStringW openError;
        XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(path, openError);
        databaseModule->database = database.Get();
        app->modules["mod_Database"] = databaseModule.Get();
        app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
        PlatformStartHeadless(1280, 800);
        module.Load(nullptr, nullptr);
        module.Initialize(app, openError);
        parent.Create(L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1280, 800, nullptr);
        module.Workspace().Create(parent, nullptr);
        module.Workspace().Move(0, 0, 1280, 800);
        module.Workspace().Show();
        module.Workspace().ShowTab(5);
        // Open-ended funds with a history that began before 2006: five full years and more.
        XComPtr<Data::IStatement> statement;
        if (database &&
            database->Query(statement.Receive(),
                            L"select code from tb_fund f where fundtype = '契约型开放式'"
                            L" and not isdeleted and not isdellisting and exists (select 1 from"
                            L" tb_netvaluehistory h where h.code = f.code and h.date <= '2005-12-31')"
                            L" order by code limit 100",
                            openError)) {
            while (statement->Next()) {
                XStringW code;
                statement->GetString(code, 0);
                module.AddFund(code);
                codes.push_back(code);
            }
        }
        module.Workspace().Growth().SelectRange(GrowthRange::kFiveYears);
        PlatformRunUntilIdle();
    }
    ~Bench() {
        ::DestroyWindow(parent);
        module.Uninitialize();
        std::remove(path.c_str());
    }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

void BM_GrowthReadHistories100Funds(benchmark::State& state) {
    Bench& bench = TheBench();
    size_t days = 0;
    for (auto _ : state) {
        GrowthHistory history;
        XStringW error;
        history.Sync(bench.databaseModule->database, bench.codes, error);
        days = history.Index().days.size();
        for (const XStringW& code : bench.codes)
            if (const GrowthSeries* series = history.Find(code))
                days += series->days.size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["funds"] = static_cast<double>(bench.codes.size());
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_GrowthReadHistories100Funds)->Unit(benchmark::kMillisecond);

// The same statements, prepared, stepped and read with SQLite alone.
void BM_GrowthReadHistoriesRawSqlite(benchmark::State& state) {
    Bench& bench = TheBench();
    std::vector<std::string> statements;
    statements.push_back(XStringW(kHistoryTablesQuery).ToUtf8());
    XStringW sql;
    sql.Format(kIndexHistoryQuery, L"'sh000001'");
    statements.push_back(sql.ToUtf8());
    for (const XStringW& code : bench.codes) {
        sql.Format(kFundHistoryQuery, (XStringW(L"'") + code + XStringW(L"'")).c_str());
        statements.push_back(sql.ToUtf8());
    }
    sql.Format(kFundNamesQuery, SqlCodeList::Parenthesized(bench.codes).c_str());
    statements.push_back(sql.ToUtf8());
    sqlite3* db = nullptr;
    sqlite3_open_v2(bench.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        double sum = 0.0;
        size_t bytes = 0;
        for (const std::string& text : statements) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, text.c_str(), -1, &statement, nullptr);
            const int columns = sqlite3_column_count(statement);
            while (sqlite3_step(statement) == SQLITE_ROW)
                for (int column = 0; column < columns; ++column) {
                    if (sqlite3_column_type(statement, column) == SQLITE_TEXT)
                        bytes += static_cast<size_t>(sqlite3_column_bytes(statement, column));
                    else
                        sum += sqlite3_column_double(statement, column);
                }
            sqlite3_finalize(statement);
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_GrowthReadHistoriesRawSqlite)->Unit(benchmark::kMillisecond);

void BM_GrowthChartFullFrame(benchmark::State& state) {
    GrowthChart& chart = TheBench().module.Workspace().Growth().Chart();
    for (auto _ : state)
        chart.RenderFrame();
    RECT plot = chart.PlotRect();
    state.counters["lines"] = static_cast<double>(chart.Lines().size());
    state.counters["days"] = static_cast<double>(chart.Days().size());
    state.counters["plot_width"] = plot.right - plot.left;
}
BENCHMARK(BM_GrowthChartFullFrame)->Unit(benchmark::kMillisecond);

void BM_GrowthChartHover(benchmark::State& state) {
    GrowthChart& chart = TheBench().module.Workspace().Growth().Chart();
    chart.RenderFrame();
    const RECT plot = chart.PlotRect();
    int step = 0;
    for (auto _ : state) {
        // A pointer moving across the plot, one new day each time.
        const int x = plot.left + 5 + (step++ * 7) % (plot.right - plot.left - 10);
        chart.HoverAt(x, (plot.top + plot.bottom) / 2);
        chart.RenderOverlay();
    }
    state.counters["tip_entries"] = static_cast<double>(chart.TipEntries().size());
}
BENCHMARK(BM_GrowthChartHover)->Unit(benchmark::kMillisecond);

void BM_GrowthFiguresAndCorrelation(benchmark::State& state) {
    Bench& bench = TheBench();
    GrowthPage& page = bench.module.Workspace().Growth();
    const GrowthHistory& history = page.History();
    std::vector<const GrowthSeries*> funds;
    for (const XStringW& code : bench.codes)
        funds.push_back(history.Find(code));
    const GrowthSeries* index = history.HasIndex() ? &history.Index() : nullptr;
    const int start = page.RangeStart(), end = page.RangeEnd();
    for (auto _ : state) {
        double sum = 0.0;
        for (const GrowthSeries* series : funds)
            if (series != nullptr)
                sum += GrowthFigures::Compute(*series, index, start, end, 0.015).sharpe;
        if (index != nullptr)
            sum += GrowthFigures::Compute(*index, index, start, end, 0.015).sharpe;
        std::vector<double> matrix = GrowthFigures::CorrelationMatrix(funds, start, end);
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(matrix.data());
    }
    state.counters["lines"] = static_cast<double>(funds.size() + 1);
    state.counters["days"] = static_cast<double>(page.Panel().days.size());
}
BENCHMARK(BM_GrowthFiguresAndCorrelation)->Unit(benchmark::kMillisecond);

// The same with the panel laid out again from the series, as a change of range does.
void BM_GrowthRangeChange(benchmark::State& state) {
    GrowthPage& page = TheBench().module.Workspace().Growth();
    int kind = GrowthRange::kFiveYears;
    for (auto _ : state) {
        kind = kind == GrowthRange::kFiveYears ? GrowthRange::kThreeYears : GrowthRange::kFiveYears;
        page.SelectRange(kind);
    }
    state.counters["lines"] = static_cast<double>(page.Panel().lines.size());
}
BENCHMARK(BM_GrowthRangeChange)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
