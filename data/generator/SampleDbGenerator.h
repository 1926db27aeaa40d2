// The sample fund database: a deterministic, scalable imitation of a Chinese fund market, written
// through the SQLite C API. Used by make-sample-db, the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace SampleDb {

struct Options {
    int funds = 2000;       // fund rows, closed-end forms, products, deleted and delisted ones included
    int years = 6;          // years of quarterly reports, ratings and calendar-year yields
    std::uint64_t seed = 1; // the same seed always gives the same content
    int historyFunds =
        -1; // funds given a daily net-value history, in the order they are made: -1 all, 0 none
};

// Bounds that keep a typo from asking for a database that would fill the disk.
inline constexpr int kMaxFunds = 200000;
inline constexpr int kMaxYears = 30;

// Every database the generator writes carries this SQLite application id (a field of the file
// header, read with "PRAGMA application_id"), so that a program can tell the sample's invented
// funds from a user's own data without a table of its own.
inline constexpr std::int32_t kApplicationId = 0x46435344; // "FCSD"

// Every report in the sample ends on this year's last quarter.
inline constexpr int kLastYear = 2010;
// The sample's bond index, beside the composite (sh000001) and sz399001; code and name are made up
// (the growth page knows it as 示例综合债券指数).
inline constexpr const char* kBondIndexCode = "fc000101";

// Table row counts of a finished database, for the program's summary.
struct Summary {
    std::int64_t funds = 0;
    std::int64_t rows = 0;
};

// The schema (data/schema.sql), compiled in.
const char* SchemaSql();

// Creates the schema's tables in an open database, then its indexes; CREATE INDEX statements are
// returned in `deferredIndexes` instead of run when that is not null, so that a bulk load can build
// them once at the end.
void CreateSchema(::sqlite3* db, std::string* deferredIndexes = nullptr);

// Writes a new database to `path`: built in a temporary file beside it and renamed over `path` only
// when complete, so that a failure or an interruption never leaves a half-written database under the
// final name, and an existing file there is replaced only by a finished one. Returns an empty text on
// success, else the reason; `summary` may be null.
std::string Generate(const std::string& path, const Options& options, Summary* summary = nullptr);

// Removes the temporary file of a build in progress, if there is one. Safe to call from a signal
// handler, so that a program stopped while it builds leaves nothing behind.
void RemoveUnfinishedFile();

// The connection settings a database is built under, run before its tables are created; and the
// last steps of a build, once its tables are filled: the indexes that CreateSchema deferred, then
// the planner's statistics. The benchmark builds its reference database the same way.
const char* BuildSettingsSql();
void FinishBuild(::sqlite3* db, const std::string& deferredIndexes);

} // namespace SampleDb
