// Execute of a 12,000-row, 6-column result against a plain sqlite3_step loop reading the same
// columns from the same file, side by side; the ratio of the two is the cost of the table.
#include <hostdb/SqliteDatabase.h>
#include <hostkernel/DataTable.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kQuery = "select code, name, investtype, nav, shares, yield from tb_fund";

// The benchmark database, built once in a temporary file and removed at exit.
struct BenchDatabase {
    std::string path;
    BenchDatabase() {
        path =
            (std::filesystem::temp_directory_path() / ("hostdb_bench_" + std::to_string(::getpid()) + ".db"))
                .string();
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE tb_fund(code TEXT, name TEXT, investtype TEXT, nav REAL, shares INTEGER,"
                     " yield REAL); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO tb_fund VALUES(?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
        const char* types[] = {"股票型", "债券型", "混合型", "指数型", "保本型", "QDII"};
        for (int i = 0; i < 12000; ++i) {
            std::string code = std::to_string(100000 + i);
            std::string name = "华夏成长混合" + std::to_string(i) + "号";
            sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, types[i % 6], -1, SQLITE_STATIC);
            sqlite3_bind_double(insert, 4, 1.0 + i * 0.0001);
            sqlite3_bind_int64(insert, 5, 1000000 + i * 37);
            if (i % 20 == 0)
                sqlite3_bind_null(insert, 6);
            else
                sqlite3_bind_double(insert, 6, (i % 200 - 100) / 250.0);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ~BenchDatabase() { std::remove(path.c_str()); }
};

BenchDatabase& Database() {
    static BenchDatabase database;
    return database;
}

void RawStepLoop(sqlite3* db) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    std::size_t bytes = 0;
    double sum = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < 3; ++c) {
            benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, c));
        }
        sum += sqlite3_column_double(statement, 3);
        sum += static_cast<double>(sqlite3_column_int64(statement, 4));
        sum += sqlite3_column_double(statement, 5);
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(sum);
}

void BM_RawStepLoop(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(Database().path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state)
        RawStepLoop(db);
    sqlite3_close(db);
}

void BM_ExecuteIntoTable(benchmark::State& state) {
    XStringW error;
    XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(Database().path, error);
    XComPtr<HostKernel::DataTable> table = HostKernel::DataTable::Create();
    for (auto _ : state) {
        if (!database->Execute(L"select code, name, investtype, nav, shares, yield from tb_fund", table, 1,
                               0))
            state.SkipWithError("Execute failed");
        benchmark::DoNotOptimize(table->GetRowCount());
    }
}

// Both in every iteration, one after the other, so that they share the machine's load; the
// reported time is Execute's and the counter "ratio" is Execute's total over the raw loop's.
void BM_ExecuteOverRawStep(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    sqlite3* db = nullptr;
    sqlite3_open_v2(Database().path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    XStringW error;
    XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(Database().path, error);
    XComPtr<HostKernel::DataTable> table = HostKernel::DataTable::Create();
    double raw = 0, execute = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        RawStepLoop(db);
        auto t1 = Clock::now();
        database->Execute(L"select code, name, investtype, nav, shares, yield from tb_fund", table, 1, 0);
        auto t2 = Clock::now();
        raw += std::chrono::duration<double>(t1 - t0).count();
        execute += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    state.counters["ratio"] = raw > 0 ? execute / raw : 0;
    state.counters["raw_ms"] =
        state.iterations() > 0 ? raw * 1000 / static_cast<double>(state.iterations()) : 0;
    sqlite3_close(db);
}

} // namespace

BENCHMARK(BM_RawStepLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExecuteIntoTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExecuteOverRawStep)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_MAIN();
