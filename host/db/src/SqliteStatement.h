// SqliteStatement: Data::IStatement over one prepared statement, stepped by Next.
#pragma once

#include <hostdb/SqliteDatabase.h>

#include <vector>

namespace HostDb {

class SqliteStatement final : public HostKernel::RefCounted<Data::IStatement> {
public:
    SqliteStatement(SqliteDatabase* database, sqlite3_stmt* statement)
        : m_database(database), m_statement(statement) {}

    bool Next() override;
    double GetDouble(int column) override;
    void GetString(XStringW& text, int column) override;
    int GetColumnCount() override;
    void GetError(XStringW& error) override { error = m_error; }

private:
    ~SqliteStatement() override;
    bool HasCell(int column) const;
    // True when the cell must read as null: a null, or a figure that is not a plain number.
    bool ReadsAsNull(int column);

    XComPtr<SqliteDatabase> m_database; // the connection outlives its statements
    sqlite3_stmt* m_statement;
    bool m_onRow = false;
    bool m_finished = false;
    XStringW m_error;
    std::vector<int> m_declared; // the declared kind of each column, read on the first row
};

} // namespace HostDb
