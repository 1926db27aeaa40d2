// The holdings page with the 100 funds of the benchmark database that list the most holdings at the
// latest report (an annual report, which lists every holding: about 20,000 lines):
//   - the first show, next to the plain SQLite loop over the statements it ran, on one connection
//     and in one iteration, compared in processor time (budget 1.3 x);
//   - the 100 x 100 overlap matrix from the report read, over stocks and over industries (20 ms);
//   - a full frame of the stock list and of the matrix in a 1280 x 800 page, in processor time (16 ms).
#include "BenchDatabase.h"
#include "RawStatements.h"
#include "Summary.h"
#include "module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"

#include <hostconf/Theme.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace {

constexpr double kFirstShowBudget = 1.3;
constexpr double kMatrixBudgetMs = 20;
constexpr double kFrameBudgetMs = 16;

struct Fixture {
    std::string path;
    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    FundCompareModuleImpl module;
    XComPtr<HostConf::Theme> theme;
    HWND parent = nullptr;
    std::size_t lines = 0;

    Fixture() {
        path = BenchSupport::CachedDatabase(BenchSupport::kBudgetDatabase);
        XStringW error;
        database = HostDb::SqliteDatabase::Open(path, error);
        if (database == nullptr) {
            std::fprintf(stderr, "%s\n", error.ToUtf8().c_str());
            std::exit(1);
        }
        auto dbModule = HostKernel::MakeRef<FakeDbModule>();
        dbModule->database = database.Get();
        app->modules["mod_Database"] = dbModule.Get();
        app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
        module.Load(nullptr, nullptr);
        module.Initialize(app, error);
        theme = HostConf::Theme::LoadFile(FC_SOURCE_DIR "/host/themes/dark.xml", error);
        std::vector<XStringW> codes;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(
            database->Handle(),
            "select code, count(*) n from tb_stockholding where date = (select max(date) from "
            "tb_stockholding where not isdeleted) and not isdeleted group by code order by n desc "
            "limit 100",
            -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            codes.push_back(
                XStringW::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
            lines += static_cast<std::size_t>(sqlite3_column_int(statement, 1));
        }
        sqlite3_finalize(statement);
        if (codes.empty()) {
            std::fprintf(stderr, "the benchmark database has no stock holdings; delete %s to make it again\n",
                         path.c_str());
            std::exit(1);
        }
        module.ReplaceFunds(codes, XStringW(L"bench"));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"HoldingsBenchParent";
        RegisterClassExW(&wc);
        parent = CreateWindowExW(0, L"HoldingsBenchParent", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                 0, 1280, 800, nullptr, nullptr, nullptr, nullptr);
    }

    std::unique_ptr<HoldingsComparePage> MakePage() {
        auto page = std::make_unique<HoldingsComparePage>();
        page->SetContext(&module);
        page->Create(parent, nullptr);
        page->ApplyTheme(theme);
        ::MoveWindow(page->GetHandle(), 0, 64, 1280, 736, FALSE);
        return page;
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void BM_HoldingsFirstShow(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    sqlite3* db = fixture.database->Handle();
    std::vector<std::string> statements;
    {
        // Untimed: finds the statements and warms the cache for both sides alike.
        auto probe = fixture.MakePage();
        BenchSupport::StatementRecorder recorder(db);
        ::ShowWindow(probe->GetHandle(), SW_SHOW);
        statements = recorder.Statements();
        probe->DestroyWindow();
    }
    std::vector<double> ratios;
    double page = 0, raw = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        auto shown = fixture.MakePage();
        double rawTime = 0;
        auto runRaw = [&] {
            const double start = ThreadSeconds();
            benchmark::DoNotOptimize(BenchSupport::RunRaw(db, statements));
            rawTime = ThreadSeconds() - start;
        };
        if (rawFirst)
            runRaw();
        const auto wall = std::chrono::steady_clock::now();
        const double start = ThreadSeconds();
        ::ShowWindow(shown->GetHandle(), SW_SHOW);
        const double pageTime = ThreadSeconds() - start;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count());
        if (!rawFirst)
            runRaw();
        rawFirst = !rawFirst;
        page += pageTime;
        raw += rawTime;
        if (rawTime > 0)
            ratios.push_back(pageTime / rawTime);
        shown->DestroyWindow();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = page * 1000 / n;
    state.counters["raw_cpu_ms"] = raw * 1000 / n;
    state.counters["ratio"] = Median(ratios);
    state.counters["lines"] = static_cast<double>(fixture.lines);
    BenchSupport::SummaryRatioRow("first show holdings, 100 funds, " + std::to_string(fixture.lines) +
                                      " lines, vs sqlite3_step",
                                  page * 1000 / n, raw * 1000 / n, Median(ratios), kFirstShowBudget, "ms");
}
BENCHMARK(BM_HoldingsFirstShow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

void Matrix(benchmark::State& state, bool industries) {
    Fixture& fixture = TheFixture();
    static std::unique_ptr<HoldingsComparePage> page;
    if (!page) {
        page = fixture.MakePage();
        ::ShowWindow(page->GetHandle(), SW_SHOW);
    }
    HoldingsReport report = page->Report();
    XStringW error;
    if (industries)
        report.LoadIndustries(fixture.database.Get(), error);
    const auto& portfolios = industries ? report.IndustryPortfolios() : report.StockPortfolios();
    std::vector<double> times;
    for (auto _ : state) {
        const double start = ThreadSeconds();
        std::vector<double> matrix = HoldingsOverlap::Matrix(portfolios);
        benchmark::DoNotOptimize(matrix.data());
        times.push_back(ThreadSeconds() - start);
    }
    state.counters["funds"] = static_cast<double>(portfolios.size());
    BenchSupport::SummaryRow(std::string("holdings overlap matrix, 100 x 100 funds, ") +
                                 (industries ? "industries" : "stocks"),
                             Median(times) * 1000, "ms", kMatrixBudgetMs);
}

void BM_HoldingsMatrixStocks(benchmark::State& state) {
    Matrix(state, false);
}
// Fixed counts: the library would otherwise call each function again while it settles on one, and
// every call would add its row to the summary.
BENCHMARK(BM_HoldingsMatrixStocks)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_HoldingsMatrixIndustries(benchmark::State& state) {
    Matrix(state, true);
}
BENCHMARK(BM_HoldingsMatrixIndustries)->Unit(benchmark::kMillisecond)->Iterations(100);

void Frame(benchmark::State& state, int view) {
    Fixture& fixture = TheFixture();
    auto page = fixture.MakePage();
    ::ShowWindow(page->GetHandle(), SW_SHOW);
    page->ShowView(view);
    HoldingsGrid& grid = view == HoldingsComparePage::kStocksView ? page->StockGrid() : page->MatrixGrid();
    PlatformPaintAll();
    // The frame is drawn on this thread alone, so its processor time is the frame's cost; the wall
    // time, reported beside it, mostly measures the wait for a processor on a shared machine.
    std::vector<double> times, walls;
    for (auto _ : state) {
        const auto wall = std::chrono::steady_clock::now();
        const double start = ThreadSeconds();
        grid.Invalidate(FALSE);
        UpdateWindow(grid);
        times.push_back(ThreadSeconds() - start);
        walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count());
    }
    state.counters["wall_ms"] = Median(walls) * 1000;
    BenchSupport::SummaryRow(
        std::string("holdings page frame, 1280 x 800, ") +
            (view == HoldingsComparePage::kStocksView ? "stocks held" : "overlap matrix"),
        Median(times) * 1000, "ms", kFrameBudgetMs);
    page->DestroyWindow();
}

void BM_HoldingsStocksFrame(benchmark::State& state) {
    Frame(state, HoldingsComparePage::kStocksView);
}
BENCHMARK(BM_HoldingsStocksFrame)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_HoldingsMatrixFrame(benchmark::State& state) {
    Frame(state, HoldingsComparePage::kMatrixView);
}
BENCHMARK(BM_HoldingsMatrixFrame)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

int main(int argc, char** argv) {
    PlatformStartHeadless(1280, 800);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
