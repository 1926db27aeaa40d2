// The performance page on a generated database of 12,000 funds: the first show (the all-funds
// query, thirteen ranking passes and the fill for 100 compared funds), a refill after a change of
// the compared set, and the plain SQLite time of the same statement for comparison.
#include "module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "pages/performance/PerformanceQueries.h"

#include <SampleDbGenerator.h>
#include <hostconf/Theme.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

namespace {

// The database, the module joined to a host over it, and a parent window for the pages.
struct Bench {
    std::string path;
    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    FundCompareModuleImpl module;
    HWND parent = nullptr;

    Bench() {
        PlatformStartHeadless(1280, 800);
        path = (std::filesystem::temp_directory_path() /
                ("performance_bench_" + std::to_string(::getpid()) + ".db"))
                   .string();
        std::string failure = SampleDb::Generate(path, SampleDb::Options{12000, 6, 1});
        if (!failure.empty())
            std::fprintf(stderr, "generating the database failed: %s\n", failure.c_str());
        XStringW error;
        database = HostDb::SqliteDatabase::Open(path, error);
        auto dbModule = HostKernel::MakeRef<FakeDbModule>();
        dbModule->database = database.Get();
        app->modules["mod_Database"] = dbModule.Get();
        app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
        module.Load(nullptr, nullptr);
        module.Initialize(app, error);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"PerformanceBenchParent";
        RegisterClassExW(&wc);
        parent = CreateWindowExW(0, L"PerformanceBenchParent", L"", WS_POPUP, 0, 0, 1280, 800, nullptr,
                                 nullptr, nullptr, nullptr);
    }
    ~Bench() {
        if (parent != nullptr)
            DestroyWindow(parent);
        std::remove(path.c_str());
    }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

// The first hundred ranked funds join the comparison.
void CompareHundredFunds(Bench& bench, const PerformancePage& page) {
    std::set<XStringW, FundCodeLess> codes;
    for (size_t row = 0; row < page.Universe().RowCount(); ++row)
        codes.insert(page.Universe().FundAt(static_cast<int>(row)).code);
    for (const XStringW& code : codes) {
        if (bench.module.Funds().size() >= FundCompareModuleImpl::kMaxFunds)
            break;
        bench.module.AddFund(code);
    }
}

void BM_FirstShow(benchmark::State& state) {
    Bench& bench = Shared();
    {
        PerformancePage probe;
        probe.SetContext(&bench.module);
        probe.Create(bench.parent, nullptr);
        probe.LoadAllFunds();
        CompareHundredFunds(bench, probe);
        probe.DestroyWindow();
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto page = std::make_unique<PerformancePage>();
        page->SetContext(&bench.module);
        page->Create(bench.parent, nullptr);
        state.ResumeTiming();
        page->ShowData();
        state.PauseTiming();
        benchmark::DoNotOptimize(page->ListTable()->GetRowCount());
        page->DestroyWindow();
        page.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstShow)->Unit(benchmark::kMillisecond);

void BM_RefillHundredFunds(benchmark::State& state) {
    Bench& bench = Shared();
    PerformancePage page;
    page.SetContext(&bench.module);
    page.Create(bench.parent, nullptr);
    page.LoadAllFunds();
    CompareHundredFunds(bench, page);
    for (auto _ : state) {
        page.ShowData();
        benchmark::DoNotOptimize(page.ListTable()->GetRowCount());
    }
    page.DestroyWindow();
}
BENCHMARK(BM_RefillHundredFunds)->Unit(benchmark::kMillisecond);

// One full frame of the list with 100 compared funds in the dark theme, scrolled into the middle
// of a period group of 100 rows, whose label is drawn over the part of the group in view.
void BM_GroupedFrameHundredFunds(benchmark::State& state) {
    Bench& bench = Shared();
    XStringW error;
    XComPtr<HostConf::Theme> theme = HostConf::Theme::LoadFile(FC_SOURCE_DIR "/host/themes/dark.xml", error);
    PerformancePage page;
    page.SetContext(&bench.module);
    page.Create(bench.parent, nullptr);
    page.ApplyTheme(theme);
    page.LoadAllFunds();
    CompareHundredFunds(bench, page);
    ::MoveWindow(page, 0, 0, 1280, 736, TRUE);
    ::ShowWindow(bench.parent, SW_SHOW);
    page.ShowWindow(SW_SHOW);
    PlatformRunUntilIdle();
    page.Grid().SetTopRow(130);
    PlatformPaintAll();
    for (auto _ : state) {
        page.Grid().Refresh(false, false);
        PlatformPaintAll();
    }
    state.counters["rows"] = static_cast<double>(page.ListTable()->GetRowCount());
    ::ShowWindow(bench.parent, SW_HIDE);
    page.DestroyWindow();
}
BENCHMARK(BM_GroupedFrameHundredFunds)->Unit(benchmark::kMillisecond);

// The same all-funds statement stepped with SQLite alone, every column read as text.
void BM_RawAllFundsQuery(benchmark::State& state) {
    Bench& bench = Shared();
    XStringW sql = XStringW().Format(kAllFundsQuery, L"2010", 2009, 2008, L"2010", 2009, 2008);
    std::string utf8 = sql.ToUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(bench.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, utf8.c_str(), -1, &statement, nullptr);
        size_t bytes = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            for (int column = 0; column < 44; ++column)
                bytes += static_cast<size_t>(sqlite3_column_bytes(statement, column));
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_RawAllFundsQuery)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
