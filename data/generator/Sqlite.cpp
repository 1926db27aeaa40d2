#include "Sqlite.h"

namespace SampleDb {

SqliteHandle OpenDatabase(const std::string& path, bool create) {
    sqlite3* raw = nullptr;
    const int flags = create ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) : SQLITE_OPEN_READWRITE;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteHandle db(raw); // closes even a handle that failed to open
    if (rc != SQLITE_OK)
        throw SqliteError("cannot open " + path + ": " +
                          (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
    return db;
}

void Exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw SqliteError(text);
    }
}

StatementHandle Prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(db));
    return StatementHandle(raw);
}

void Insert::Check(int rc) {
    if (rc != SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(m_db));
}

void Insert::Bind(int index, int value) {
    Check(sqlite3_bind_int(m_statement.get(), index, value));
}
void Insert::Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(m_statement.get(), index, value));
}
void Insert::Bind(int index, double value) {
    Check(sqlite3_bind_double(m_statement.get(), index, value));
}
void Insert::Bind(int index, const std::string& value) {
    Check(sqlite3_bind_text(m_statement.get(), index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT));
}
void Insert::Bind(int index, const char* value) {
    Check(sqlite3_bind_text(m_statement.get(), index, value, -1, SQLITE_TRANSIENT));
}
void Insert::Bind(int index, Null) {
    Check(sqlite3_bind_null(m_statement.get(), index));
}
void Insert::Bind(int index, const std::optional<double>& value) {
    if (value)
        Bind(index, *value);
    else
        Bind(index, Null{});
}

} // namespace SampleDb
