// The benchmark database (12,000 funds, 10 years): how long the generator takes to make it, and the
// raw SQLite time of the module's heaviest statements on it, the baseline that the module's own
// page timings are compared with.
#include "SampleDbGenerator.h"
#include "Sqlite.h"
#include "pages/common/SqlCodeList.h"
#include "pages/performance/PerformanceQueries.h"
#include "pages/riskreturn/RiskReturnQueries.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr SampleDb::Options kBenchOptions{12000, 10, 2010};

std::string BenchPath() {
    return "/tmp/fc-bench-" + std::to_string(::getpid()) + ".db";
}

// Made by the first benchmark that needs it, removed at exit.
const std::string& BenchDb() {
    struct Holder {
        Holder() : path(BenchPath()) {
            const std::string error = SampleDb::Generate(path, kBenchOptions);
            if (!error.empty()) {
                std::fprintf(stderr, "sampledb_bench: %s\n", error.c_str());
                std::exit(1);
            }
        }
        ~Holder() { std::remove(path.c_str()); }
        std::string path;
    };
    static Holder holder;
    return holder.path;
}

std::string Template(const char* name) {
    std::ifstream in(std::string(FC_SOURCE_DIR) + "/fundcompare/resources/" + name + ".sql");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Fill(std::string text, const std::string& value) {
    for (std::size_t at; (at = text.find("%s")) != std::string::npos;)
        text.replace(at, 2, value);
    return text;
}

void RunAll(sqlite3* db, const std::string& sql, benchmark::State& state) {
    SampleDb::StatementHandle statement = SampleDb::Prepare(db, sql);
    std::int64_t rows = 0;
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        ++rows;
    state.counters["rows"] = static_cast<double>(rows);
}

std::vector<XStringW> HundredCodes(sqlite3* db) {
    std::vector<XStringW> codes;
    SampleDb::StatementHandle statement =
        SampleDb::Prepare(db, "select code from tb_fund where not isdeleted and isdellisting = 0 limit 100");
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        codes.push_back(
            XStringW::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0))));
    return codes;
}

void BM_GenerateBenchmarkDatabase(benchmark::State& state) {
    const std::string path = BenchPath() + ".gen";
    for (auto _ : state) {
        const std::string error = SampleDb::Generate(path, kBenchOptions);
        if (!error.empty())
            state.SkipWithError(error.c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_GenerateBenchmarkDatabase)->Iterations(1)->Unit(benchmark::kSecond);

void BM_GenerateDefaultDatabase(benchmark::State& state) {
    const std::string path = BenchPath() + ".default";
    for (auto _ : state)
        SampleDb::Generate(path, SampleDb::Options{});
    std::remove(path.c_str());
}
BENCHMARK(BM_GenerateDefaultDatabase)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_AllFundsQuery(benchmark::State& state) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(BenchDb(), false);
    XStringW sql;
    sql.Format(kAllFundsQuery, L"2010", 2009, 2008, L"2010", 2009, 2008);
    for (auto _ : state)
        RunAll(db.get(), sql.ToUtf8(), state);
}
BENCHMARK(BM_AllFundsQuery)->Unit(benchmark::kMillisecond);

void BM_RiskAndAverageQueries(benchmark::State& state) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(BenchDb(), false);
    for (auto _ : state) {
        RunAll(db.get(), XStringW(kFundRiskQuery).ToUtf8(), state);
        RunAll(db.get(), XStringW(kAverageQuery).ToUtf8(), state);
        RunAll(db.get(), XStringW(kIndexWeeksQuery).ToUtf8(), state);
    }
}
BENCHMARK(BM_RiskAndAverageQueries)->Unit(benchmark::kMillisecond);

void BM_GeneralQuery100Funds(benchmark::State& state) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(BenchDb(), false);
    const std::string list = SqlCodeList::JoinQuoted(HundredCodes(db.get())).ToUtf8();
    std::string sql = Template("GENERAL_QUERY");
    sql.replace(sql.find("%s"), 2, "2010-12-31");
    sql.replace(sql.find("%s"), 2, "2010-12-31");
    sql.replace(sql.find("%s"), 2, list);
    for (auto _ : state)
        RunAll(db.get(), sql, state);
}
BENCHMARK(BM_GeneralQuery100Funds)->Unit(benchmark::kMillisecond);

void BM_AllocationQueries100Funds(benchmark::State& state) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(BenchDb(), false);
    const std::string clause = SqlCodeList::FundListClause(HundredCodes(db.get())).ToUtf8();
    const std::string name = state.range(0) == 0 ? "ASSET_QUERY" : "INDUSTRY_QUERY";
    const std::string sql = Fill(Template(name.c_str()), "2010-12-31") + clause;
    state.SetLabel(name);
    for (auto _ : state)
        RunAll(db.get(), sql, state);
}
BENCHMARK(BM_AllocationQueries100Funds)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
