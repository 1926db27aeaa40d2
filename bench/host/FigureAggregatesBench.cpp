// What the connection's own avg and sum cost against SQLite's: the same statements on a plain
// read-only connection and on the host's, which replaces the two aggregates with ones that pass over
// figures that are no numbers. Both run in every iteration, in alternating order; the reported time
// is the host connection's, the counters "plain_ms" and "ratio" (the host's total over the plain
// one's) hold it against SQLite's own aggregates. On the benchmark database of 12,000 funds.
#include "BenchDatabase.h"
#include "RawStatements.h"
#include "pages/riskreturn/RiskReturnQueries.h"

#include <hostdb/SqliteDatabase.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Connections {
    sqlite3* plain = nullptr;
    XComPtr<HostDb::SqliteDatabase> host;

    Connections() {
        const std::string path = BenchSupport::CachedDatabase(BenchSupport::kBudgetDatabase);
        XStringW error;
        host = HostDb::SqliteDatabase::Open(path, error);
        if (host == nullptr ||
            sqlite3_open_v2(path.c_str(), &plain, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "cannot open %s\n", path.c_str());
            std::exit(1);
        }
    }
};

Connections& Shared() {
    static Connections connections;
    return connections;
}

void Compare(benchmark::State& state, const std::string& sql) {
    Connections& connections = Shared();
    const std::vector<std::string> statements = {sql};
    // Once on each side first, so that both find the file's pages cached.
    BenchSupport::RunRaw(connections.plain, statements);
    BenchSupport::RunRaw(connections.host->Handle(), statements);
    double plain = 0, host = 0;
    bool plainFirst = true;
    for (auto _ : state) {
        auto time = [&statements](sqlite3* db) {
            const auto start = Clock::now();
            BenchSupport::RunRaw(db, statements);
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        double p = 0, h = 0;
        if (plainFirst)
            p = time(connections.plain);
        h = time(connections.host->Handle());
        if (!plainFirst)
            p = time(connections.plain);
        plainFirst = !plainFirst;
        plain += p;
        host += h;
        state.SetIterationTime(h);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = iterations > 0 ? plain * 1000 / iterations : 0;
    state.counters["ratio"] = plain > 0 ? host / plain : 0;
}

// The aggregates alone, over every risk figure of every fund.
void BM_FigureAggregates(benchmark::State& state) {
    Compare(state, "select avg(increasepercent), sum(increasepercent), avg(standard), sum(standard)"
                   " from tb_riskevaluation");
}

// The risk-return page's type averages, where the aggregates stand behind four joins.
void BM_RiskAveragesStatement(benchmark::State& state) {
    Compare(state, XStringW(kAverageQuery).ToUtf8());
}

} // namespace

BENCHMARK(BM_FigureAggregates)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_RiskAveragesStatement)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK_MAIN();
