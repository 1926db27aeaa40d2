// The benchmark database (12,000 funds, 10 years): how long the generator takes to make it, beside
// the time SQLite alone needs to build the same tables, and the raw SQLite time of the module's
// heaviest statements on it, the baseline that the module's own page timings are compared with.
#include "SampleDbGenerator.h"
#include "Sqlite.h"
#include "pages/common/SqlCodeList.h"
#include "pages/performance/PerformanceQueries.h"
#include "pages/riskreturn/RiskReturnQueries.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr SampleDb::Options kBenchOptions{12000, 10, 2010};
// What making the benchmark database may take.
constexpr double kBudgetSeconds = 10.0;

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

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reference: SQLite's own cost of the same database ---------------------------------------------

// The tables of a built database, each with its columns, in the order they were created.
struct TableShape {
    std::string name;
    std::vector<std::string> columns;
};

std::vector<TableShape> ShapesOf(sqlite3* db) {
    std::vector<TableShape> shapes;
    SampleDb::StatementHandle tables =
        SampleDb::Prepare(db, "select name from sqlite_master where type = 'table' and name like 'tb\\_%' "
                              "escape '\\' order by rowid");
    while (sqlite3_step(tables.get()) == SQLITE_ROW) {
        TableShape shape;
        shape.name = reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0));
        SampleDb::StatementHandle info = SampleDb::Prepare(db, "pragma table_info(" + shape.name + ")");
        while (sqlite3_step(info.get()) == SQLITE_ROW)
            shape.columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

// One value of a row read back from the generated database, held until it is inserted again.
struct HeldValue {
    int type = SQLITE_NULL;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text;
};

// Builds the database at `generated` a second time the plainest way SQLite allows, and returns the
// seconds that took: the same schema and settings as the generator, one prepared INSERT per table
// run in a bare loop inside one transaction over the very rows the generator wrote, in the order it
// wrote them, then the same indexes and statistics, and the file synced. The rows are read back in
// chunks between the timed stretches, so that only SQLite's writing is counted.
double BareBuild(const std::string& generated, const std::string& path) {
    constexpr std::size_t kChunkRows = 65536;
    SampleDb::SqliteHandle source = SampleDb::OpenDatabase(generated, false);
    const std::vector<TableShape> shapes = ShapesOf(source.get());

    std::remove(path.c_str());
    double seconds = 0.0;
    auto start = std::chrono::steady_clock::now();
    {
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(path, true, true);
        SampleDb::Exec(db.get(), SampleDb::BuildSettingsSql());
        std::string indexes;
        SampleDb::CreateSchema(db.get(), &indexes);
        SampleDb::Exec(db.get(), "BEGIN");
        std::vector<HeldValue> chunk;
        for (const TableShape& shape : shapes) {
            std::string names, marks;
            for (const std::string& column : shape.columns) {
                names += (names.empty() ? "" : ", ") + column;
                marks += marks.empty() ? "?" : ",?";
            }
            SampleDb::StatementHandle insert = SampleDb::Prepare(
                db.get(), "INSERT INTO " + shape.name + " (" + names + ") VALUES (" + marks + ")");
            SampleDb::StatementHandle read =
                SampleDb::Prepare(source.get(), "SELECT " + names + " FROM " + shape.name);
            const int width = static_cast<int>(shape.columns.size());
            bool more = true;
            while (more) {
                seconds += SecondsSince(start);
                chunk.clear();
                std::size_t rows = 0;
                while (rows < kChunkRows && (more = sqlite3_step(read.get()) == SQLITE_ROW)) {
                    for (int c = 0; c < width; ++c) {
                        HeldValue value;
                        value.type = sqlite3_column_type(read.get(), c);
                        if (value.type == SQLITE_INTEGER)
                            value.integer = sqlite3_column_int64(read.get(), c);
                        else if (value.type == SQLITE_FLOAT)
                            value.real = sqlite3_column_double(read.get(), c);
                        else if (value.type != SQLITE_NULL)
                            value.text = reinterpret_cast<const char*>(sqlite3_column_text(read.get(), c));
                        chunk.push_back(std::move(value));
                    }
                    ++rows;
                }
                start = std::chrono::steady_clock::now();
                sqlite3_stmt* statement = insert.get();
                for (std::size_t row = 0; row < rows; ++row) {
                    const HeldValue* values = &chunk[row * static_cast<std::size_t>(width)];
                    for (int c = 0; c < width; ++c) {
                        const HeldValue& value = values[c];
                        if (value.type == SQLITE_INTEGER)
                            sqlite3_bind_int64(statement, c + 1, value.integer);
                        else if (value.type == SQLITE_FLOAT)
                            sqlite3_bind_double(statement, c + 1, value.real);
                        else if (value.type == SQLITE_NULL)
                            sqlite3_bind_null(statement, c + 1);
                        else
                            sqlite3_bind_text(statement, c + 1, value.text.data(),
                                              static_cast<int>(value.text.size()), SQLITE_STATIC);
                    }
                    if (sqlite3_step(statement) != SQLITE_DONE)
                        throw SampleDb::SqliteError(shape.name + ": " + sqlite3_errmsg(db.get()));
                    sqlite3_reset(statement);
                }
            }
        }
        SampleDb::Exec(db.get(), "COMMIT");
        SampleDb::FinishBuild(db.get(), indexes);
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return seconds + SecondsSince(start);
}

// The generator ---------------------------------------------------------------------------------------

// Adds the generator's figure to the closing summary of scripts/bench (the file named by
// $FC_BENCH_SUMMARY, one tab-separated row: figure, value, reference, ratio, budget, ok or OVER).
// Its budget bounds the time itself; the reference and the ratio say how much of it SQLite needs.
void AddSummaryRow(const std::string& figure, double seconds, double reference, double budget) {
    const char* path = std::getenv("FC_BENCH_SUMMARY");
    if (path == nullptr || *path == '\0')
        return;
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr)
        return;
    std::fprintf(file, "%s\t%.1f s\t%.1f s\t%.2f\t<= %.1f s\t%s\n", figure.c_str(), seconds, reference,
                 seconds / reference, budget, seconds <= budget ? "ok" : "OVER");
    std::fclose(file);
}

// One generator run per iteration, timed by hand, with the bare build of the same rows beside it:
// reference_s is BareBuild's time and ratio the generator's time over it, how close the generator
// comes to what SQLite itself needs for this database.
void GenerateBesideReference(benchmark::State& state, const SampleDb::Options& options,
                             const std::string& tag, const std::string& figure = {},
                             double budgetSeconds = 0.0) {
    const std::string path = BenchPath() + "." + tag;
    const std::string reference = path + ".ref";
    double generatorSeconds = 0.0, referenceSeconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SampleDb::Summary summary;
        const std::string error = SampleDb::Generate(path, options, &summary);
        const double seconds = SecondsSince(start);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(seconds);
        // Out of the CPU column, which then shows the generator's inserting thread alone.
        state.PauseTiming();
        try {
            referenceSeconds += BareBuild(path, reference);
        } catch (const std::exception& failure) {
            state.ResumeTiming();
            state.SkipWithError(failure.what());
            break;
        }
        state.ResumeTiming();
        generatorSeconds += seconds;
        state.counters["rows"] = static_cast<double>(summary.rows);
    }
    if (referenceSeconds > 0.0) {
        state.counters["reference_s"] = referenceSeconds / static_cast<double>(state.iterations());
        state.counters["ratio"] = generatorSeconds / referenceSeconds;
        const double iterations = static_cast<double>(state.iterations());
        if (!figure.empty())
            AddSummaryRow(figure, generatorSeconds / iterations, referenceSeconds / iterations,
                          budgetSeconds);
    }
    std::remove(path.c_str());
    std::remove(reference.c_str());
}

// The benchmark database (12,000 funds, 10 years) with its daily history (history:1) and without
// it (history:0).
void BM_GenerateBenchmarkDatabase(benchmark::State& state) {
    SampleDb::Options options = kBenchOptions;
    options.historyFunds = state.range(0) != 0 ? -1 : 0;
    GenerateBesideReference(state, options, "gen",
                            std::string("make-sample-db, 12,000 funds x 10 years, ") +
                                (state.range(0) != 0 ? "with" : "without") + " daily history",
                            kBudgetSeconds);
}
BENCHMARK(BM_GenerateBenchmarkDatabase)
    ->ArgName("history")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// The sample database that make-sample-db writes without options (2,000 funds, 6 years, history).
void BM_GenerateDefaultDatabase(benchmark::State& state) {
    GenerateBesideReference(state, SampleDb::Options{}, "default");
}
BENCHMARK(BM_GenerateDefaultDatabase)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// The module's statements on the benchmark database ----------------------------------------------------

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
