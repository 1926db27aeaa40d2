// Inserts batches of rows through prepared statements, one table at a time.
#pragma once

#include "RowBatch.h"
#include "Sqlite.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace SampleDb {

class RowLoader {
public:
    // `inserts[t]` is the INSERT statement of table number t: "INSERT INTO ... VALUES (?,...)", with
    // one parameter per value.
    RowLoader(sqlite3* db, const std::vector<std::string_view>& inserts);

    // Inserts every row of the batch, in order within each table; throws SqliteError when SQLite
    // refuses one, or when a row names an unknown table or brings a number of values its statement
    // does not take.
    void Load(const RowBatch& batch);

    std::int64_t Rows() const { return m_rows; }

private:
    struct Statements {
        StatementHandle one;  // inserts one row
        StatementHandle many; // inserts m_manyRows rows at once; null when the text does not allow it
        int values = 0;       // parameters of one row
    };

    void InsertOneByOne(RowBatch::Reader reader, int rows);
    void Bind(sqlite3_stmt* statement, int first, RowBatch::Reader& reader, int values);
    void Run(sqlite3_stmt* statement);
    void Check(int rc) const;

    sqlite3* m_db;
    std::vector<Statements> m_tables;
    int m_manyRows = 1;
    std::int64_t m_rows = 0;
};

} // namespace SampleDb
