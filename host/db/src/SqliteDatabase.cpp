// Sections: opening; further connections; preparing; Execute (building the result table); Query.
#include <hostdb/SqliteDatabase.h>
#include <hostkernel/CellText.h>
#include <hostkernel/DataTable.h>

#include "Figures.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace HostDb {

namespace {

XStringW Wide(const std::string& utf8) {
    return XStringW::FromUtf8(utf8);
}

XStringW Describe(const std::string& path, const std::string& reason) {
    return Wide("cannot open the database '" + path + "': " + reason);
}

// The reason a read-only open failed, in words that name the cause when it is one a reader of
// the database can act on: a journal left behind by a writer, or a write-ahead log that SQLite
// cannot read in a folder it may not write to.
std::string ReasonOf(sqlite3* db, const std::string& path) {
    const int code = sqlite3_extended_errcode(db);
    std::string text = sqlite3_errmsg(db);
    switch (code) {
    case SQLITE_NOTADB:
        return "not a SQLite database (" + text + ")";
    case SQLITE_READONLY_ROLLBACK:
        return "a hot journal ('" + path +
               "-journal') left by a program that stopped in the middle of a change must be rolled back "
               "before the data can be read, and a read-only open cannot do that; open the database once "
               "with a program that may write to it (" +
               text + ")";
    case SQLITE_READONLY_DIRECTORY:
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_CANTLOCK:
    case SQLITE_CANTOPEN:
        break;
    default:
        return text;
    }
    // The write-ahead-log cases: the file's header says whether the database uses the log.
    unsigned char header[20] = {};
    FILE* file = std::fopen(path.c_str(), "rb");
    bool wal = false;
    if (file != nullptr) {
        wal = std::fread(header, 1, sizeof header, file) == sizeof header && header[18] == 2;
        std::fclose(file);
    }
    if (!wal)
        return text;
    return "the database uses a write-ahead log ('" + path +
           "-wal'), which cannot be read without its index file ('" + path +
           "-shm'), and that file can neither be read nor made where the database lies (a read-only "
           "folder); copy the database to a folder that may be written, or turn its log off there with "
           "PRAGMA journal_mode=DELETE (" +
           text + ")";
}

} // namespace

// ---- opening ---------------------------------------------------------------------------------

XComPtr<SqliteDatabase> SqliteDatabase::Open(const std::string& path, XStringW& error) {
    error.clear();
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        error = Describe(path, "no such file");
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = Describe(path, "not a file");
        return nullptr;
    }
    // SQLite takes an empty file for an empty database; a fund database is never empty.
    if (info.st_size == 0) {
        error = Describe(path, "the file is empty");
        return nullptr;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (db != nullptr)
        sqlite3_extended_result_codes(db, 1);
    if (rc != SQLITE_OK) {
        error = Describe(path, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_exec(db, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
    if (!InstallFigureAggregates(db)) {
        error = Describe(path, sqlite3_errmsg(db));
        sqlite3_close(db);
        return nullptr;
    }

    // SQLite reads the header lazily; one cheap query makes a bad file fail now.
    sqlite3_stmt* probe = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &probe,
                            nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    if (rc != SQLITE_ROW) {
        error = Describe(path, ReasonOf(db, path));
        sqlite3_finalize(probe);
        sqlite3_close(db);
        return nullptr;
    }
    int tables = sqlite3_column_int(probe, 0);
    sqlite3_finalize(probe);
    if (tables == 0) {
        error = Describe(path, "the database holds no tables");
        sqlite3_close(db);
        return nullptr;
    }
    XComPtr<SqliteDatabase> database;
    database.Attach(new SqliteDatabase(db, path));
    return database;
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(m_db);
}

bool SqliteDatabase::MissingTables(const std::vector<std::string>& names, std::vector<std::string>& missing,
                                   XStringW& error) {
    missing.clear();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(
            m_db, "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE",
            -1, &statement, nullptr) != SQLITE_OK) {
        error = ErrorText();
        NoteFailure("sqlite_master", error);
        return false;
    }
    for (const std::string& name : names) {
        sqlite3_reset(statement);
        sqlite3_bind_text(statement, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) {
            missing.push_back(name);
        } else if (rc != SQLITE_ROW) {
            error = ErrorText();
            NoteFailure(sqlite3_sql(statement), error);
            sqlite3_finalize(statement);
            return false;
        }
    }
    sqlite3_finalize(statement);
    return true;
}

bool SqliteDatabase::MissingColumns(const std::string& table, const std::vector<std::string>& names,
                                    std::vector<std::string>& missing, XStringW& error) {
    missing.clear();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM pragma_table_info(?1)", -1, &statement, nullptr) !=
        SQLITE_OK) {
        error = ErrorText();
        NoteFailure("pragma_table_info", error);
        return false;
    }
    sqlite3_bind_text(statement, 1, table.c_str(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
    std::vector<std::string> present;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(statement, 0);
        present.emplace_back(name != nullptr ? reinterpret_cast<const char*>(name) : "");
    }
    if (rc != SQLITE_DONE) {
        error = ErrorText();
        NoteFailure(sqlite3_sql(statement), error);
        sqlite3_finalize(statement);
        return false;
    }
    sqlite3_finalize(statement);
    for (const std::string& name : names) {
        bool found = false;
        for (const std::string& column : present)
            found = found || sqlite3_stricmp(column.c_str(), name.c_str()) == 0;
        if (!found)
            missing.push_back(name);
    }
    return true;
}

// ---- further connections -------------------------------------------------------------------

bool SqliteDatabase::OpenConnection(Data::IDatabase** connection, XStringW& error) {
    if (connection == nullptr)
        return false;
    *connection = nullptr;
    if (!m_connectionsOffered) {
        error = L"the host offers no further connections to the database";
        return false;
    }
    XComPtr<SqliteDatabase> opened = Open(m_path, error);
    if (opened == nullptr)
        return false;
    opened->m_failures = m_failures;
    *connection = opened.Detach();
    return true;
}

void SqliteDatabase::Interrupt() {
    if (m_db != nullptr)
        sqlite3_interrupt(m_db);
}

long long SqliteDatabase::DataVersion() {
    long long version = 0;
    sqlite3_stmt* statement = nullptr;
    if (m_db != nullptr &&
        sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return version;
}

// ---- preparing -------------------------------------------------------------------------------

XStringW SqliteDatabase::ErrorText() const {
    return Wide(sqlite3_errmsg(m_db));
}

sqlite3_stmt* SqliteDatabase::Prepare(const wchar_t* sql, XStringW& error) {
    if (m_db == nullptr) {
        error = L"the database is not open";
        return nullptr;
    }
    if (sql == nullptr) {
        error = L"no SQL text";
        return nullptr;
    }
    std::string utf8 = XStringW(sql).ToUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.c_str(), static_cast<int>(utf8.size()), &statement, &tail) !=
        SQLITE_OK) {
        error = ErrorText();
        return nullptr;
    }
    if (statement == nullptr) {
        error = L"the SQL text holds no statement";
        return nullptr;
    }
    // A second statement would silently not run; a caller expecting its effect must hear of it.
    sqlite3_stmt* next = nullptr;
    if (tail != nullptr && *tail != 0) {
        int rc = sqlite3_prepare_v2(m_db, tail, -1, &next, nullptr);
        bool more = rc != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (more) {
            sqlite3_finalize(statement);
            error = L"the SQL text holds more than one statement";
            return nullptr;
        }
    }
    if (!sqlite3_stmt_readonly(statement)) {
        sqlite3_finalize(statement);
        error = L"attempt to write a readonly database";
        return nullptr;
    }
    return statement;
}

// ---- Execute ---------------------------------------------------------------------------------

namespace {

int KindOfValue(int sqliteType) {
    switch (sqliteType) {
    case SQLITE_INTEGER:
        return Data::kInteger;
    case SQLITE_FLOAT:
        return Data::kReal;
    default:
        return Data::kText;
    }
}

} // namespace

void SqliteDatabase::SetFailureObserver(FailureObserver observer) {
    std::lock_guard<std::mutex> lock(m_failures->mutex);
    m_failures->observer = std::move(observer);
}

void SqliteDatabase::NoteFailure(const std::string& sql, const XStringW& reason) {
    ++m_failures->count;
    std::lock_guard<std::mutex> lock(m_failures->mutex);
    if (m_failures->observer)
        m_failures->observer(sql, reason.ToUtf8());
}

bool SqliteDatabase::Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved) {
    bool done = Fill(sql, table, replace, reserved);
    if (!done)
        NoteFailure(sql != nullptr ? XStringW(sql).ToUtf8() : std::string(), m_lastError);
    return done;
}

bool SqliteDatabase::Fill(const wchar_t* sql, Data::IDataTable* table, int replace, int /*reserved*/) {
    m_lastError.clear();
    auto* target = dynamic_cast<HostKernel::DataTable*>(table);
    if (target == nullptr) {
        m_lastError = L"no result table of the host's kind";
        return false;
    }
    sqlite3_stmt* statement = Prepare(sql, m_lastError);
    if (statement == nullptr)
        return false;

    // The result is built aside and handed over only when complete, so that a failure leaves the
    // caller's table as it was.
    XComPtr<HostKernel::DataTable> result = HostKernel::DataTable::Create();
    const int columns = sqlite3_column_count(statement);
    std::vector<bool> undecided(static_cast<std::size_t>(columns));
    std::vector<int> declared(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        int kind = DeclaredKindOf(statement, c);
        undecided[static_cast<std::size_t>(c)] = kind < 0;
        declared[static_cast<std::size_t>(c)] = kind;
        std::wstring name;
        const char* utf8 = sqlite3_column_name(statement, c);
        HostKernel::AppendUtf8(name, utf8, utf8 != nullptr ? std::strlen(utf8) : 0);
        result->AddColumn(kind < 0 ? Data::kText : kind, name.c_str());
    }

    if (replace != 0)
        result->ReserveLike(*target);

    std::string buffer;
    auto putText = [&](int row, int c) {
        std::string_view text = CellText(statement, c, buffer);
        result->PutUtf8(row, c, text.data(), text.size());
    };
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        int row = result->AppendRowQuietly();
        for (int c = 0; c < columns; ++c) {
            auto u = static_cast<std::size_t>(c);
            // A text column needs no type test: SQLite answers null for a null value and
            // renders numbers as text the way it stores them.
            if (!undecided[u] && result->KindAt(c) == Data::kText) {
                if (sqlite3_column_type(statement, c) != SQLITE_NULL)
                    putText(row, c);
                continue;
            }
            int type = sqlite3_column_type(statement, c);
            if (type == SQLITE_NULL || IsBadFigure(statement, c, declared[u]))
                continue;
            if (undecided[u]) {
                // Every earlier cell of the column is null, so the conversion costs nothing.
                result->ConvertColumn(c, KindOfValue(type));
                undecided[u] = false;
            }
            int kind = result->KindAt(c);
            if (type == SQLITE_TEXT || type == SQLITE_BLOB || kind == Data::kText) {
                // Text in a column whose values decide its kind turns the column to text rather
                // than losing the value.
                if (kind != Data::kText)
                    result->ConvertColumn(c, Data::kText);
                putText(row, c);
            } else if (type == SQLITE_INTEGER) {
                result->PutInteger(row, c, sqlite3_column_int64(statement, c));
            } else {
                double value = sqlite3_column_double(statement, c);
                // A fraction (or a value beyond 64 bits) in an integer column widens the column
                // instead of being rounded away.
                if (kind == Data::kInteger && (value != std::trunc(value) || std::fabs(value) >= 9.2e18))
                    result->ConvertColumn(c, Data::kReal);
                result->PutReal(row, c, value);
            }
        }
    }
    if (rc != SQLITE_DONE) {
        m_lastError = ErrorText();
        sqlite3_finalize(statement);
        return false;
    }
    sqlite3_finalize(statement);
    if (replace != 0) {
        result->InheritTags(*target);
        target->TakeContents(*result);
        return true;
    }
    if (!target->AppendRows(*result)) {
        m_lastError = L"the result's columns do not match the table's";
        return false;
    }
    return true;
}

// ---- Query -----------------------------------------------------------------------------------

bool SqliteDatabase::Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) {
    if (statement == nullptr)
        return false;
    *statement = nullptr;
    error.clear();
    sqlite3_stmt* prepared = Prepare(sql, error);
    if (prepared == nullptr) {
        NoteFailure(sql != nullptr ? XStringW(sql).ToUtf8() : std::string(), error);
        return false;
    }
    *statement = new SqliteStatement(this, prepared);
    return true;
}

} // namespace HostDb
