// A forced reload of the asset and the industry page with 100 compared funds on a generated
// database of 12,000 funds, next to the bare statement (prepared, stepped and read through the
// host database) that the reload runs; the ratio of the two is the cost of the page.
#include "module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "pages/common/SqlCodeList.h"

#include "grid/HeaderText.h"
#include "wgui/ModuleInstance.h"

#include <SampleDbGenerator.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>
#include <sdk/Kernel.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// The generated database, the module joined to a fake host around it, and the workspace in a
// headless window; built once, removed at exit.
struct Bench {
    std::string path;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    XComPtr<FakeDbModule> databaseModule = HostKernel::MakeRef<FakeDbModule>();
    FundCompareModuleImpl module;
    Control::XWin parent;

    Bench() {
        path = (std::filesystem::temp_directory_path() /
                ("allocation_bench_" + std::to_string(::getpid()) + ".db"))
                   .string();
        SampleDb::Options options;
        options.funds = 12000;
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
        // The first 100 fund codes of the database, in the set's order.
        XComPtr<Data::IStatement> statement;
        if (database &&
            database->Query(statement.Receive(), L"select code from tb_fund where not isdeleted limit 100",
                            openError)) {
            while (statement->Next()) {
                XStringW code;
                statement->GetString(code, 0);
                module.AddFund(code);
            }
        }
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

template <class Page>
void ReloadPage(benchmark::State& state, Page& page, int tab) {
    Bench& bench = TheBench();
    bench.module.Workspace().ShowTab(tab);
    PlatformRunUntilIdle();
    for (auto _ : state) {
        page.Reload(true);
        benchmark::DoNotOptimize(page.ListTable()->GetRowCount());
    }
    state.counters["rows"] = page.ListTable()->GetRowCount();
}

void BM_AssetPageReload100Funds(benchmark::State& state) {
    ReloadPage(state, TheBench().module.Workspace().Asset(), 3);
}
BENCHMARK(BM_AssetPageReload100Funds)->Unit(benchmark::kMillisecond);

void BM_IndustryPageReload100Funds(benchmark::State& state) {
    ReloadPage(state, TheBench().module.Workspace().Industry(), 4);
}
BENCHMARK(BM_IndustryPageReload100Funds)->Unit(benchmark::kMillisecond);

// The page's main statement alone: every row stepped and every column read.
void RawQuery(benchmark::State& state, const wchar_t* resource, const XStringW& date) {
    Bench& bench = TheBench();
    XStringW sql = LoadResourceText(WGUI::ModuleInstance(), L"SQL", resource);
    sql.replace(L"%s", date);
    sql += SqlCodeList::FundListClause(bench.module.Funds());
    for (auto _ : state) {
        XComPtr<Data::IStatement> statement;
        XStringW error;
        bench.databaseModule->database->Query(statement.Receive(), sql.c_str(), error);
        int columns = statement ? statement->GetColumnCount() : 0;
        while (statement && statement->Next()) {
            XStringW text;
            for (int column = 0; column < 5; ++column)
                statement->GetString(text, column);
            for (int column = 5; column < columns; ++column)
                benchmark::DoNotOptimize(statement->GetDouble(column));
        }
    }
}

void BM_AssetQueryRaw100Funds(benchmark::State& state) {
    RawQuery(state, L"ASSET_QUERY", TheBench().module.Workspace().Asset().LastDate());
}
BENCHMARK(BM_AssetQueryRaw100Funds)->Unit(benchmark::kMillisecond);

void BM_IndustryQueryRaw100Funds(benchmark::State& state) {
    RawQuery(state, L"INDUSTRY_QUERY", TheBench().module.Workspace().Industry().LastDate());
}
BENCHMARK(BM_IndustryQueryRaw100Funds)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
