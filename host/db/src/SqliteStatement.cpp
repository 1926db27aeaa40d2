#include "SqliteStatement.h"

#include <hostkernel/CellText.h>

#include <sqlite3.h>

namespace HostDb {

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
        if (rc != SQLITE_DONE)
            m_error = m_database->ErrorText();
    }
    return m_onRow;
}

bool SqliteStatement::HasCell(int column) const {
    return m_onRow && column >= 0 && column < sqlite3_column_count(m_statement);
}

double SqliteStatement::GetDouble(int column) {
    if (!HasCell(column))
        return 0;
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_TEXT: {
        std::wstring text;
        HostKernel::AppendUtf8(text, reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column)),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
        return HostKernel::LeadingNumber(text);
    }
    default:
        return sqlite3_column_double(m_statement, column);
    }
}

void SqliteStatement::GetString(XStringW& text, int column) {
    text.clear();
    if (!HasCell(column) || sqlite3_column_type(m_statement, column) == SQLITE_NULL)
        return;
    const char* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    std::wstring wide;
    HostKernel::AppendUtf8(wide, utf8, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
    text = XStringW(std::move(wide));
}

int SqliteStatement::GetColumnCount() {
    return sqlite3_column_count(m_statement);
}

} // namespace HostDb
