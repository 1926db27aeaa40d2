// Owning wrappers over the SQLite C API for the generator and the tests: a connection and a
// prepared statement that finalise themselves, and an insert helper that binds a row in one call.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
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

// Opens (or creates, with `create`) a database file; throws on failure.
SqliteHandle OpenDatabase(const std::string& path, bool create);
// Runs one or more statements that return no rows.
void Exec(sqlite3* db, const std::string& sql);
StatementHandle Prepare(sqlite3* db, std::string_view sql);

// A NULL cell for Insert::Row.
struct Null {};

// A prepared INSERT run once per Row call.
class Insert {
public:
    Insert(sqlite3* db, std::string_view sql) : m_db(db), m_statement(Prepare(db, sql)) {}

    template <class... Values>
    void Row(const Values&... values) {
        int index = 1;
        (Bind(index++, values), ...);
        if (sqlite3_step(m_statement.get()) != SQLITE_DONE)
            throw SqliteError(sqlite3_errmsg(m_db));
        sqlite3_reset(m_statement.get());
        ++m_rows;
    }

    std::int64_t Rows() const { return m_rows; }

private:
    void Bind(int index, int value);
    void Bind(int index, std::int64_t value);
    void Bind(int index, double value);
    void Bind(int index, const std::string& value);
    void Bind(int index, const char* value);
    void Bind(int index, Null);
    void Bind(int index, const std::optional<double>& value);
    void Check(int rc);

    sqlite3* m_db;
    StatementHandle m_statement;
    std::int64_t m_rows = 0;
};

} // namespace SampleDb
