// fund-import on the benchmark data: 12,000 funds with up to ten years of daily values (16.4 million
// rows: the funds start over the ten years) loaded into a new database and derived, beside SQLite's own bulk
// load of the same CSV rows into a plain table (the sqlite3 program's .import, same machine, same run); then
// one new day for every fund imported into that database; and the peak memory of both, which must not grow
// with the input.
//
// The input files are made once from the generated benchmark database and kept in the cache folder
// ($FC_BENCH_CACHE) beside it, since writing 30 million rows takes a while. Both programs run as
// child processes, so that their peak memory is their own.
#include "BenchDatabase.h"
#include "Sqlite.h"
#include "Summary.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr BenchSupport::DatabaseSpec kHistoryDatabase{12000, 10, -1, 1};
constexpr double kLoadBudget = 1.5;     // against sqlite3's .import
constexpr double kOneDayBudget = 2.0;   // seconds
constexpr double kMemoryBudget = 300.0; // MB

struct Inputs {
    fs::path funds, history, oneDay;
};

// The fund list, the long history file (code, date, value, accumulated value: the rows both loads
// read) and a file of one new day for every fund, written from the generated database.
Inputs MakeInputs() {
    const fs::path database = BenchSupport::CachedDatabase(kHistoryDatabase);
    const fs::path folder = database.string() + ".import";
    Inputs inputs{folder / "funds.csv", folder / "history.csv", folder / "oneday.csv"};
    if (fs::exists(folder / "complete"))
        return inputs;
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::fprintf(stderr, "writing the import benchmark's input files (kept for later runs) ...\n");
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(database.string(), false);
    {
        std::ofstream out(inputs.funds);
        out << "code,name,investtype,fundtype,createdate\n";
        SampleDb::StatementHandle rows = SampleDb::Prepare(
            db.get(), "select code, name, investtype, fundtype, createdate from tb_fund where not isdeleted");
        while (sqlite3_step(rows.get()) == SQLITE_ROW) {
            for (int k = 0; k < 5; ++k)
                out << (k > 0 ? "," : "")
                    << reinterpret_cast<const char*>(sqlite3_column_text(rows.get(), k));
            out << '\n';
        }
    }
    {
        std::FILE* out = std::fopen(inputs.history.c_str(), "w");
        std::FILE* day = std::fopen(inputs.oneDay.c_str(), "w");
        std::fputs("code,date,value,totalvalue\n", out);
        std::fputs("code,date,value,totalvalue\n", day);
        SampleDb::StatementHandle rows = SampleDb::Prepare(
            db.get(),
            "select h.code, h.date, h.value, h.totalvalue from tb_netvaluehistory h join tb_fund f on "
            "f.code = h.code and not f.isdeleted where not h.isdeleted order by h.code, h.date");
        std::string code;
        double unit = 0.0, total = 0.0;
        auto newDay = [&]() {
            if (!code.empty())
                std::fprintf(day, "%s,2011-01-03,%.6f,%.6f\n", code.c_str(), unit * 1.001,
                             total + unit * 0.001);
        };
        while (sqlite3_step(rows.get()) == SQLITE_ROW) {
            const char* rowCode = reinterpret_cast<const char*>(sqlite3_column_text(rows.get(), 0));
            if (code != rowCode) {
                newDay();
                code = rowCode;
            }
            unit = sqlite3_column_double(rows.get(), 2);
            total = sqlite3_column_double(rows.get(), 3);
            std::fprintf(out, "%s,%s,%.6f,%.6f\n", rowCode, sqlite3_column_text(rows.get(), 1), unit, total);
        }
        newDay();
        std::fclose(out);
        std::fclose(day);
    }
    std::ofstream(folder / "complete") << "ok\n";
    return inputs;
}

struct Timed {
    double seconds = 0.0;
    double peakMb = 0.0;
    bool ok = false;
};

// Runs a program to its end: its wall time and its peak resident memory.
Timed RunProgram(const std::vector<std::string>& arguments) {
    Timed timed;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timed.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    timed.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return timed;
}

std::string FundImportProgram() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "fund-import").string();
}

void BM_ImportAgainstSqliteImport(benchmark::State& state) {
    const Inputs inputs = MakeInputs();
    const std::string target =
        (fs::temp_directory_path() / ("fc-import-bench-" + std::to_string(::getpid()))).string();
    Timed import, reference, update;
    for (auto _ : state) {
        fs::remove(target + ".ref");
        fs::remove(target + ".db");
        reference =
            RunProgram({"sqlite3", target + ".ref", ".import --csv " + inputs.history.string() + " history"});
        import = RunProgram(
            {FundImportProgram(), "--quiet", target + ".db", inputs.funds.string(), inputs.history.string()});
        if (!reference.ok || !import.ok) {
            state.SkipWithError("a load failed");
            break;
        }
        fs::copy_file(target + ".db", target + ".update.db", fs::copy_options::overwrite_existing);
        // The copy's pages reach the disk before the update is timed, not while it runs.
        ::sync();
        update = RunProgram({FundImportProgram(), "--quiet", target + ".update.db", inputs.oneDay.string()});
        if (!update.ok) {
            state.SkipWithError("the one-day update failed");
            break;
        }
        state.SetIterationTime(import.seconds);
    }
    for (const char* suffix : {".ref", ".db", ".update.db"})
        fs::remove(target + suffix);
    if (!import.ok)
        return;
    state.counters["reference_s"] = reference.seconds;
    state.counters["ratio"] = import.seconds / reference.seconds;
    state.counters["peak_mb"] = import.peakMb;
    state.counters["update_s"] = update.seconds;
    state.counters["update_peak_mb"] = update.peakMb;
    BenchSupport::SummaryRatioRow(
        "fund-import, 12,000 funds x 10 years of daily values, against sqlite3 .import", import.seconds,
        reference.seconds, import.seconds / reference.seconds, kLoadBudget, "s");
    BenchSupport::SummaryRow("fund-import, one new day for 12,000 funds", update.seconds, "s", kOneDayBudget);
    BenchSupport::SummaryRow("fund-import, peak memory of the load and the update",
                             std::max(import.peakMb, update.peakMb), "MB", kMemoryBudget);
}
BENCHMARK(BM_ImportAgainstSqliteImport)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
