#include "Sqlite.h"

namespace SampleDb {

SqliteHandle OpenDatabase(const std::string& path, bool create, bool oneThread) {
    sqlite3* raw = nullptr;
    int flags = create ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) : SQLITE_OPEN_READWRITE;
    if (oneThread)
        flags |= SQLITE_OPEN_NOMUTEX;
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

} // namespace SampleDb
