#include "SqliteStatement.h"

#include "Figures.h"

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
        if (rc != SQLITE_DONE) {
            m_error = m_database->ErrorText();
            m_database->NoteFailure(sqlite3_sql(m_statement), m_error);
        }
    }
    return m_onRow;
}

bool SqliteStatement::HasCell(int column) const {
    return m_onRow && column >= 0 && column < sqlite3_column_count(m_statement);
}

bool SqliteStatement::ReadsAsNull(int column) {
    if (m_declared.empty()) {
        int count = sqlite3_column_count(m_statement);
        m_declared.resize(static_cast<std::size_t>(count));
        for (int c = 0; c < count; ++c)
            m_declared[static_cast<std::size_t>(c)] = DeclaredKindOf(m_statement, c);
    }
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL ||
           IsBadFigure(m_statement, column, m_declared[static_cast<std::size_t>(column)]);
}

double SqliteStatement::GetDouble(int column) {
    if (!HasCell(column) || ReadsAsNull(column))
        return 0;
    if (sqlite3_column_type(m_statement, column) == SQLITE_TEXT) {
        std::wstring text;
        std::string buffer;
        std::string_view utf8 = CellText(m_statement, column, buffer);
        HostKernel::AppendUtf8(text, utf8.data(), utf8.size());
        return HostKernel::LeadingNumber(text);
    }
    return sqlite3_column_double(m_statement, column);
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
    return sqlite3_column_count(m_statement);
}

} // namespace HostDb
