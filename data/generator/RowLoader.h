// Inserts batches of rows through one prepared statement per table.
#pragma once

#include "RowBatch.h"
#include "Sqlite.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace SampleDb {

class RowLoader {
public:
    // `inserts[t]` is the INSERT statement of table number t, with one parameter per value.
    RowLoader(sqlite3* db, const std::vector<std::string_view>& inserts);

    // Inserts every row of the batch; throws SqliteError when SQLite refuses one, or when a row
    // names an unknown table or brings a number of values its statement does not take.
    void Load(const RowBatch& batch);

    std::int64_t Rows() const { return m_rows; }

private:
    void Check(int rc) const;

    sqlite3* m_db;
    std::vector<StatementHandle> m_statements;
    std::vector<int> m_parameters; // parameter count of each statement
    std::int64_t m_rows = 0;
};

} // namespace SampleDb
