// Sections: opening; preparing; Execute (building the result table); Query.
#include <hostdb/SqliteDatabase.h>
#include <hostkernel/CellText.h>
#include <hostkernel/DataTable.h>

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
    if (rc != SQLITE_OK) {
        error = Describe(path, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_exec(db, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);

    // SQLite reads the header lazily; one cheap query makes a bad file fail now.
    sqlite3_stmt* probe = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &probe,
                            nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    if (rc != SQLITE_ROW) {
        std::string reason = sqlite3_errmsg(db);
        if (sqlite3_errcode(db) == SQLITE_NOTADB)
            reason = "not a SQLite database (" + reason + ")";
        error = Describe(path, reason);
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

// A column's kind from its declared type, by SQLite's affinity rules; -1 when the values decide
// (no declared type, NUMERIC and the like).
int KindOfDeclaredType(const char* declared) {
    if (declared == nullptr)
        return -1;
    std::string type(declared);
    for (char& c : type)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (type.find("INT") != std::string::npos)
        return Data::kInteger;
    if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
        type.find("TEXT") != std::string::npos)
        return Data::kText;
    if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
        type.find("DOUB") != std::string::npos)
        return Data::kReal;
    return -1;
}

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

bool SqliteDatabase::Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int /*reserved*/) {
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
    for (int c = 0; c < columns; ++c) {
        int kind = KindOfDeclaredType(sqlite3_column_decltype(statement, c));
        undecided[static_cast<std::size_t>(c)] = kind < 0;
        std::wstring name;
        const char* utf8 = sqlite3_column_name(statement, c);
        HostKernel::AppendUtf8(name, utf8, utf8 != nullptr ? std::strlen(utf8) : 0);
        result->AddColumn(kind < 0 ? Data::kText : kind, name.c_str());
    }

    if (replace != 0)
        result->ReserveLike(*target);

    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        int row = result->AppendRowQuietly();
        for (int c = 0; c < columns; ++c) {
            auto u = static_cast<std::size_t>(c);
            // A text column needs no type test: SQLite answers null for a null value and
            // renders numbers as text the way it stores them.
            if (!undecided[u] && result->KindAt(c) == Data::kText) {
                auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                if (text != nullptr)
                    result->PutUtf8(row, c, text,
                                    static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
                continue;
            }
            int type = sqlite3_column_type(statement, c);
            if (type == SQLITE_NULL)
                continue;
            if (undecided[u]) {
                // Every earlier cell of the column is null, so the conversion costs nothing.
                result->ConvertColumn(c, KindOfValue(type));
                undecided[u] = false;
            }
            int kind = result->KindAt(c);
            if (type == SQLITE_TEXT || type == SQLITE_BLOB || kind == Data::kText) {
                // Text in a numeric column turns the column to text rather than losing the value.
                if (kind != Data::kText)
                    result->ConvertColumn(c, Data::kText);
                auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                result->PutUtf8(row, c, text, static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
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
    if (prepared == nullptr)
        return false;
    *statement = new SqliteStatement(this, prepared);
    return true;
}

} // namespace HostDb
