// SqliteStatement: Data::IStatement over one prepared statement, stepped by Next.
#pragma once

#include <hostdb/SqliteDatabase.h>

#include <string>
#include <vector>

namespace HostDb {

class SqliteStatement final : public HostKernel::RefCounted<Data::IStatement> {
public:
    SqliteStatement(SqliteDatabase* database, sqlite3_stmt* statement);

    bool Next() override;
    double GetDouble(int column) override;
    void GetString(XStringW& text, int column) override;
    int GetColumnCount() override;
    void GetError(XStringW& error) override { error = m_error; }
    bool GetNumber(int column, double& value) override;
    std::string_view GetUtf8(int column) override;

private:
    ~SqliteStatement() override;
    bool HasCell(int column) const;
    // True when the cell must read as null: a null, or a figure that is not a plain number.
    bool ReadsAsNull(int column);
    // The kind the column is declared with (Data::kReal, ...), -1 when none; read on first use.
    int DeclaredKind(int column);

    XComPtr<SqliteDatabase> m_database; // the connection outlives its statements
    sqlite3_stmt* m_statement;
    int m_columns; // the result's column count
    bool m_onRow = false;
    bool m_finished = false;
    XStringW m_error;
    std::vector<int> m_declared; // the declared kind of each column, read on the first row
    std::string m_buffer;        // a text of GetUtf8 that had NULs taken out
};

} // namespace HostDb
