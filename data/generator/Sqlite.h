// Owning wrappers over the SQLite C API for the generator and the tests: a connection and a
// prepared statement that finalise themselves.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace SampleDb {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Thrown by the helpers below with SQLite's message; the generator turns it into its error text.
class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens (or creates, with `create`) a database file; throws on failure. A connection opened with
// `oneThread` skips SQLite's per-call locking and must only ever be used by one thread at a time.
SqliteHandle OpenDatabase(const std::string& path, bool create, bool oneThread = false);
// Runs one or more statements that return no rows.
void Exec(sqlite3* db, const std::string& sql);
StatementHandle Prepare(sqlite3* db, std::string_view sql);

} // namespace SampleDb
