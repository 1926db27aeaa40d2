#include "RowLoader.h"

#include <string>

namespace SampleDb {

RowLoader::RowLoader(sqlite3* db, const std::vector<std::string_view>& inserts) : m_db(db) {
    for (std::string_view sql : inserts) {
        m_statements.push_back(Prepare(db, sql));
        m_parameters.push_back(sqlite3_bind_parameter_count(m_statements.back().get()));
    }
}

void RowLoader::Check(int rc) const {
    if (rc != SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(m_db));
}

void RowLoader::Load(const RowBatch& batch) {
    RowBatch::Reader reader(batch);
    int table = 0, values = 0;
    while (reader.NextRow(table, values)) {
        if (table < 0 || table >= static_cast<int>(m_statements.size()) || values != m_parameters[table])
            throw SqliteError("a generated row does not fit table number " + std::to_string(table));
        sqlite3_stmt* statement = m_statements[table].get();
        for (int index = 1; index <= values; ++index) {
            const RowBatch::Reader::Value value = reader.NextValue();
            switch (value.tag) {
            case RowBatch::Tag::Null:
                Check(sqlite3_bind_null(statement, index));
                break;
            case RowBatch::Tag::Integer:
                Check(sqlite3_bind_int64(statement, index, value.integer));
                break;
            case RowBatch::Tag::Real:
                Check(sqlite3_bind_double(statement, index, value.real));
                break;
            case RowBatch::Tag::Text:
                // The batch outlives the step below, and every parameter is bound again before the
                // statement runs next, so SQLite may read the text where it is.
                Check(sqlite3_bind_text(statement, index, value.text.data(),
                                        static_cast<int>(value.text.size()), SQLITE_STATIC));
                break;
            }
        }
        if (sqlite3_step(statement) != SQLITE_DONE) {
            SqliteError error(sqlite3_errmsg(m_db));
            sqlite3_reset(statement);
            throw error;
        }
        sqlite3_reset(statement);
        ++m_rows;
    }
}

} // namespace SampleDb
