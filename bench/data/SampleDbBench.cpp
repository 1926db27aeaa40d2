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
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
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

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reference: SQLite's own cost of the same database ---------------------------------------------

struct Column {
    std::string name;
    std::string type;
};

// A table of a built database: the columns the generator fills and its number of rows.
struct TableShape {
    std::string name;
    std::vector<Column> columns;
    std::int64_t rows = 0;
    bool withoutRowid = false; // stored in the order of its primary key
};

std::vector<TableShape> ShapesOf(const std::string& path) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(path, false);
    std::vector<TableShape> shapes;
    SampleDb::StatementHandle tables = SampleDb::Prepare(
        db.get(), "select name from sqlite_master where type = 'table' and name like 'tb\\_%' escape '\\'");
    while (sqlite3_step(tables.get()) == SQLITE_ROW) {
        TableShape shape;
        shape.name = reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0));
        SampleDb::StatementHandle info = SampleDb::Prepare(db.get(), "pragma table_info(" + shape.name + ")");
        shape.withoutRowid = true;
        std::vector<Column> columns;
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
            const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2));
            const bool key = sqlite3_column_int(info.get(), 5) != 0;
            if (key && type == "INTEGER" && name == "id")
                shape.withoutRowid = false;
            columns.push_back({name, type});
        }
        // A rowid alias is numbered by SQLite itself, as in the generator's inserts, except in the
        // one table that the generator numbers itself.
        for (const Column& column : columns)
            if (column.name != "id" || shape.withoutRowid || shape.name == "tb_industryname")
                shape.columns.push_back(column);
        SampleDb::StatementHandle count = SampleDb::Prepare(db.get(), "select count(*) from " + shape.name);
        sqlite3_step(count.get());
        shape.rows = sqlite3_column_int64(count.get(), 0);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

// Builds a database of the given shapes the plainest way SQLite allows: the same schema and settings
// as the generator, one prepared INSERT per table run in a bare loop inside one transaction, with
// values that cost nothing to make, then the same indexes and statistics, and the file synced.
// Each table's rows come fund by fund, the funds in a random code order and each fund's days in
// date order, as the generator writes them, so that the index builds sort the same kind of input.
// The tables without a rowid get their rows in key order, as the generator gives them.
double BareBuild(const std::string& path, const std::vector<TableShape>& shapes, int funds) {
    std::vector<std::string> codes;
    for (int k = 0; k < funds; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "%06d", 1 + k * 41);
        codes.push_back(text);
    }
    std::vector<std::string> sortedCodes = codes;
    std::shuffle(codes.begin(), codes.end(), std::mt19937(2010));
    std::vector<std::string> dates;
    for (int year = 2001; year <= 2010; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 28; ++day) {
                char text[16];
                std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
                dates.push_back(text);
            }

    std::remove(path.c_str());
    const auto start = std::chrono::steady_clock::now();
    {
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(path, true, true);
        SampleDb::Exec(db.get(), SampleDb::BuildSettingsSql());
        std::string indexes;
        SampleDb::CreateSchema(db.get(), &indexes);
        SampleDb::Exec(db.get(), "BEGIN");
        for (const TableShape& shape : shapes) {
            if (shape.rows == 0)
                continue;
            std::string sql = "INSERT INTO " + shape.name + " (";
            std::string marks;
            for (const Column& column : shape.columns) {
                sql += (marks.empty() ? "" : ", ") + column.name;
                marks += marks.empty() ? "?" : ",?";
            }
            SampleDb::StatementHandle insert = SampleDb::Prepare(db.get(), sql + ") VALUES (" + marks + ")");
            const std::vector<std::string>& fundOrder = shape.withoutRowid ? sortedCodes : codes;
            for (std::int64_t row = 0; row < shape.rows; ++row) {
                // The rows spread evenly over the funds; a fund's k-th row has its k-th day, so that
                // the keys of the tables without a rowid (code, day) never repeat.
                const std::int64_t fund = row * funds / shape.rows;
                const std::int64_t firstRow = (fund * shape.rows + funds - 1) / funds;
                const std::string& code = fundOrder[static_cast<std::size_t>(fund)];
                const std::string& date = dates[static_cast<std::size_t>((row - firstRow) % dates.size())];
                int index = 1;
                for (const Column& column : shape.columns) {
                    sqlite3_stmt* statement = insert.get();
                    if (column.name == "id")
                        sqlite3_bind_int64(statement, index, row + 1);
                    else if (column.name == "code" || column.name == "fundcode" ||
                             column.name == "aliascode" || column.name == "exponentcode")
                        sqlite3_bind_text(statement, index, code.data(), static_cast<int>(code.size()),
                                          SQLITE_STATIC);
                    else if (column.name.find("date") != std::string::npos ||
                             column.name.find("time") != std::string::npos)
                        sqlite3_bind_text(statement, index, date.data(), static_cast<int>(date.size()),
                                          SQLITE_STATIC);
                    else if (column.type == "TEXT")
                        sqlite3_bind_text(statement, index, "股票型", -1, SQLITE_STATIC);
                    else if (column.type == "REAL")
                        sqlite3_bind_double(statement, index, static_cast<double>(row % 100003) * 0.0001);
                    else if (column.name == "isdeleted" || column.name == "isdellisting")
                        sqlite3_bind_int(statement, index, 0);
                    else
                        sqlite3_bind_int64(statement, index, row % 97);
                    ++index;
                }
                if (sqlite3_step(insert.get()) != SQLITE_DONE)
                    throw SampleDb::SqliteError(shape.name + ": " + sqlite3_errmsg(db.get()));
                sqlite3_reset(insert.get());
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
    return SecondsSince(start);
}

// The generator ---------------------------------------------------------------------------------------

// The benchmark database with its daily history (history:1) and without it (history:0). The time is
// the generator's; beside it, reference_s is the bare build of the same tables with the same number
// of rows (BareBuild), and ratio the generator's time over it: how close the generator comes to what
// SQLite itself needs for this database.
void BM_GenerateBenchmarkDatabase(benchmark::State& state) {
    SampleDb::Options options = kBenchOptions;
    options.historyFunds = state.range(0) != 0 ? -1 : 0;
    const std::string path = BenchPath() + ".gen";
    const std::string reference = BenchPath() + ".ref";
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
        try {
            const double referenceSeconds = BareBuild(reference, ShapesOf(path), options.funds);
            state.counters["reference_s"] = referenceSeconds;
            state.counters["ratio"] = seconds / referenceSeconds;
        } catch (const std::exception& failure) {
            state.SkipWithError(failure.what());
        }
        state.counters["rows"] = static_cast<double>(summary.rows);
    }
    std::remove(path.c_str());
    std::remove(reference.c_str());
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
    const std::string path = BenchPath() + ".default";
    for (auto _ : state) {
        const std::string error = SampleDb::Generate(path, SampleDb::Options{});
        if (!error.empty())
            state.SkipWithError(error.c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_GenerateDefaultDatabase)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

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
