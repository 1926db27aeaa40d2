#include "SqliteStatement.h"

#include "Figures.h"

#include <hostkernel/CellText.h>

#include <sqlite3.h>

#include <cmath>

namespace HostDb {

SqliteStatement::SqliteStatement(SqliteDatabase* database, sqlite3_stmt* statement)
    : m_database(database), m_statement(statement), m_columns(sqlite3_column_count(statement)) {}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

bool SqliteStatement::Next() {
    // SQLite would start the statement over when stepped after its end; a caller that asks once
    // more must get "no row", not the first row again.
    if (m_finished)
        return false;
    int rc = sqlite3_step(m_statement);
    m_onRow = rc == SQLITE_ROW;
    if (!m_onRow) {
        m_finished = true;
        if (rc != SQLITE_DONE) {
            m_error = m_database->ErrorText();
            m_database->NoteFailure(sqlite3_sql(m_statement), m_error);
        }
    }
    return m_onRow;
}

bool SqliteStatement::HasCell(int column) const {
    return m_onRow && column >= 0 && column < m_columns;
}

int SqliteStatement::DeclaredKind(int column) {
    if (m_declared.empty()) {
        m_declared.resize(static_cast<std::size_t>(m_columns));
        for (int c = 0; c < m_columns; ++c)
            m_declared[static_cast<std::size_t>(c)] = DeclaredKindOf(m_statement, c);
    }
    return m_declared[static_cast<std::size_t>(column)];
}

bool SqliteStatement::ReadsAsNull(int column) {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return false;
    case SQLITE_FLOAT:
        return !std::isfinite(sqlite3_column_double(m_statement, column));
    default: {
        const int declared = DeclaredKind(column);
        return declared == Data::kReal || declared == Data::kInteger;
    }
    }
}

double SqliteStatement::GetDouble(int column) {
    if (!HasCell(column))
        return 0;
    // One look at the cell's type; every read below is the one the type calls for.
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(m_statement, column);
        return std::isfinite(value) ? value : 0;
    }
    case SQLITE_TEXT: {
        const int declared = DeclaredKind(column);
        if (declared == Data::kReal || declared == Data::kInteger)
            return 0;
        std::wstring text;
        std::string buffer;
        std::string_view utf8 = CellText(m_statement, column, buffer);
        HostKernel::AppendUtf8(text, utf8.data(), utf8.size());
        return HostKernel::LeadingNumber(text);
    }
    default: {
        const int declared = DeclaredKind(column);
        if (declared == Data::kReal || declared == Data::kInteger)
            return 0;
        return sqlite3_column_double(m_statement, column);
    }
    }
}

bool SqliteStatement::GetNumber(int column, double& value) {
    value = 0;
    if (!HasCell(column))
        return false;
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        value = static_cast<double>(sqlite3_column_int64(m_statement, column));
        return true;
    case SQLITE_FLOAT: {
        const double real = sqlite3_column_double(m_statement, column);
        if (!std::isfinite(real))
            return false;
        value = real;
        return true;
    }
    default:
        return false;
    }
}

std::string_view SqliteStatement::GetUtf8(int column) {
    if (!HasCell(column) || ReadsAsNull(column))
        return {};
    return CellText(m_statement, column, m_buffer);
}

void SqliteStatement::GetString(XStringW& text, int column) {
    text.clear();
    if (!HasCell(column) || ReadsAsNull(column))
        return;
    std::string buffer;
    std::string_view utf8 = CellText(m_statement, column, buffer);
    std::wstring wide;
    HostKernel::AppendUtf8(wide, utf8.data(), utf8.size());
    text = XStringW(std::move(wide));
}

int SqliteStatement::GetColumnCount() {
    return m_columns;
}

} // namespace HostDb
