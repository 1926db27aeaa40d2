// The first show of every page with 100 compared funds, next to the plain SQLite loop over the
// statements that the show ran, on the same connection, in the same iteration (so both share
// whatever else the machine is doing). The reported time is the page's; the counters give the
// reference's time ("raw_ms"), both in processor time ("cpu_ms", "raw_cpu_ms"), the ratio of the
// two ("ratio": the median over the iterations, in processor time; "wall_ratio" over the wall
// clock's totals) and the budget of that ratio.
//
// A first show is a page that has never loaded anything being shown: its universe is read and
// ranked (performance, risk-return), its report dates and industries listed (asset, industry), its
// histories read (growth), its table filled and its view sorted; the general page, which loads on a
// change of the compared set whether shown or not, is reloaded. Painting is not part of it.
//
// The fund counts come from --funds=3000,12000,48000 (12,000 when not given): the same benchmarks
// at each size show how a first show grows with the fund universe.
#include "BenchDatabase.h"
#include "RawStatements.h"
#include "Summary.h"
#include "module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"

#include <hostconf/Theme.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBudget = 1.3;
constexpr int kComparedFunds = 100;

// One generated database with the module over it, 100 funds compared, and a parent window.
struct Fixture {
    std::string path;
    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    FundCompareModuleImpl module;
    XComPtr<HostConf::Theme> theme;
    HWND parent = nullptr;

    explicit Fixture(int funds) {
        BenchSupport::DatabaseSpec spec;
        spec.funds = funds;
        path = BenchSupport::CachedDatabase(spec);
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
        for (const std::string& code : BenchSupport::ComparedCodes(path, kComparedFunds))
            codes.push_back(XStringW::FromUtf8(code));
        module.ReplaceFunds(codes, XStringW(L"bench"));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"FirstShowBenchParent";
        RegisterClassExW(&wc);
        parent = CreateWindowExW(0, L"FirstShowBenchParent", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                 0, 1280, 800, nullptr, nullptr, nullptr, nullptr);
    }
};

Fixture& FixtureFor(int funds) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    std::unique_ptr<Fixture>& fixture = fixtures[funds];
    if (!fixture)
        fixture = std::make_unique<Fixture>(funds);
    return *fixture;
}

// A page as the workspace makes it: created hidden, themed, laid out.
template <class Page>
std::unique_ptr<Page> MakePage(Fixture& fixture) {
    auto page = std::make_unique<Page>();
    page->SetContext(&fixture.module);
    page->Create(fixture.parent, nullptr);
    page->ApplyTheme(fixture.theme);
    ::MoveWindow(page->GetHandle(), 0, 64, 1280, 736, FALSE);
    return page;
}

template <class Page>
void ShowPage(Page& page) {
    ::ShowWindow(page.GetHandle(), SW_SHOW);
}

template <>
void ShowPage(GeneralComparePage& page) {
    page.Reload();
}

// Wall time, and the processor time of this thread: the figures are compared through the latter,
// which the other programs on a shared machine disturb far less than the clock on the wall.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Work>
Timing Time(Work work) {
    const auto wall = Clock::now();
    const double cpu = ThreadSeconds();
    work();
    return Timing{std::chrono::duration<double>(Clock::now() - wall).count(), ThreadSeconds() - cpu};
}

// The middle of the per-iteration ratios: one iteration that another program slowed down moves it
// little.
double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Each page's processor time, and that of the reference loop, by fund count, for the growth rows
// of the summary.
struct ShowTime {
    double page = 0;
    double raw = 0;
};

std::map<std::string, std::map<int, ShowTime>>& ShowTimes() {
    static std::map<std::string, std::map<int, ShowTime>> times;
    return times;
}

template <class Page>
void FirstShow(benchmark::State& state, const std::string& name, int funds) {
    Fixture& fixture = FixtureFor(funds);
    sqlite3* db = fixture.database->Handle();
    std::vector<std::string> statements;
    {
        // A first show that is not timed: it finds the statements, and warms SQLite's cache for
        // both sides alike.
        std::unique_ptr<Page> probe = MakePage<Page>(fixture);
        BenchSupport::StatementRecorder recorder(db);
        ShowPage(*probe);
        statements = recorder.Statements();
        probe->DestroyWindow();
    }
    std::vector<double> ratios;
    double pageSeconds = 0, rawSeconds = 0, pageCpu = 0, rawCpu = 0;
    std::size_t values = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        std::unique_ptr<Page> page = MakePage<Page>(fixture);
        // Alternating the order keeps either side from always finding the other's pages cached.
        Timing raw;
        if (rawFirst)
            raw = Time([&] { values = BenchSupport::RunRaw(db, statements); });
        const Timing shown = Time([&] { ShowPage(*page); });
        if (!rawFirst)
            raw = Time([&] { values = BenchSupport::RunRaw(db, statements); });
        rawFirst = !rawFirst;
        state.SetIterationTime(shown.wall);
        pageSeconds += shown.wall;
        rawSeconds += raw.wall;
        pageCpu += shown.cpu;
        rawCpu += raw.cpu;
        if (raw.cpu > 0)
            ratios.push_back(shown.cpu / raw.cpu);
        page->DestroyWindow();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = iterations > 0 ? rawSeconds * 1000 / iterations : 0;
    state.counters["cpu_ms"] = iterations > 0 ? pageCpu * 1000 / iterations : 0;
    state.counters["raw_cpu_ms"] = iterations > 0 ? rawCpu * 1000 / iterations : 0;
    state.counters["wall_ratio"] = rawSeconds > 0 ? pageSeconds / rawSeconds : 0;
    state.counters["ratio"] = Median(ratios);
    state.counters["budget"] = kBudget;
    state.counters["funds"] = funds;
    state.counters["statements"] = static_cast<double>(statements.size());
    state.counters["values"] = static_cast<double>(values);
    if (iterations > 0) {
        ShowTimes()[name][funds] = ShowTime{pageCpu * 1000 / iterations, rawCpu * 1000 / iterations};
        BenchSupport::SummaryRatioRow(
            "first show " + name + ", " + std::to_string(funds) + " funds, vs sqlite3_step",
            pageCpu * 1000 / iterations, rawCpu * 1000 / iterations, Median(ratios), kBudget, "ms");
    }
}

// How each page's first show grew from one fund count to the next, against how the fund count grew:
// a ratio above 1 is a cost that grows faster than the work. The statements themselves may grow
// faster than the fund count (their sorts, and a larger file in the cache), so a second row holds
// the page's own cost, the first show less the reference loop, against the fund count.
void SummariseGrowth() {
    for (const auto& [name, times] : ShowTimes()) {
        for (auto next = times.begin(); next != times.end(); ++next) {
            if (next == times.begin())
                continue;
            const auto previous = std::prev(next);
            const double work = static_cast<double>(next->first) / previous->first;
            const std::string sizes = std::to_string(previous->first) + " to " + std::to_string(next->first);
            if (previous->second.page > 0) {
                const double grew = next->second.page / previous->second.page;
                BenchSupport::SummaryRatioRow("first show " + name + " growth, " + sizes + " funds, vs funds",
                                              grew, work, grew / work, 1.0, "x");
            }
            const double before = previous->second.page - previous->second.raw;
            const double after = next->second.page - next->second.raw;
            if (before > 0 && after > 0)
                BenchSupport::SummaryRatioRow("own cost of " + name + " growth, " + sizes +
                                                  " funds, vs funds",
                                              after / before, work, after / before / work, 1.0, "x");
        }
    }
}

struct PageKind {
    const char* name;
    void (*run)(benchmark::State&, const std::string&, int);
};

const PageKind kPages[] = {
    {"general", &FirstShow<GeneralComparePage>},   {"performance", &FirstShow<PerformancePage>},
    {"riskreturn", &FirstShow<RiskReturnPage>},    {"asset", &FirstShow<AssetAllocationPage>},
    {"industry", &FirstShow<IndustryPage>},        {"growth", &FirstShow<GrowthPage>},
    {"holdings", &FirstShow<HoldingsComparePage>},
};

} // namespace

int main(int argc, char** argv) {
    std::vector<int> counts = BenchSupport::TakeFundCounts(argc, argv, {12000});
    PlatformStartHeadless(1280, 800);
    for (int funds : counts) {
        for (const PageKind& kind : kPages) {
            std::string name = std::string("BM_FirstShow/") + kind.name + "/" + std::to_string(funds);
            auto* bench = benchmark::RegisterBenchmark(
                name.c_str(), [kind, funds](benchmark::State& state) { kind.run(state, kind.name, funds); });
            // Fewer rounds on the larger universes keep the whole run within minutes.
            bench->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(funds >= 40000   ? 3
                             : funds >= 10000 ? 8
                                              : 20);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    SummariseGrowth();
    benchmark::Shutdown();
    return 0;
}
