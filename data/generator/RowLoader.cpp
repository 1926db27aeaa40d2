#include "RowLoader.h"

#include <algorithm>
#include <string>

namespace SampleDb {
namespace {

// A statement runs much faster once per several rows than once per row: each run costs about as
// much as the rows it inserts, and most of that is spent once per run.
constexpr int kRowsPerRun = 32;

// "INSERT ... VALUES (?,?)" with the parenthesised list of values repeated `rows` times, or an
// empty text when the statement does not end with that list.
std::string ManyRows(std::string_view insert, int rows) {
    const std::size_t open = insert.rfind('(');
    if (open == std::string_view::npos || insert.empty() || insert.back() != ')')
        return {};
    const std::string_view tuple = insert.substr(open);
    std::string text(insert);
    for (int k = 1; k < rows; ++k)
        text.append(",").append(tuple);
    return text;
}

} // namespace

RowLoader::RowLoader(sqlite3* db, const std::vector<std::string_view>& inserts) : m_db(db) {
    std::size_t widest = 1;
    for (std::string_view sql : inserts) {
        Statements statements;
        statements.one = Prepare(db, sql);
        statements.values = sqlite3_bind_parameter_count(statements.one.get());
        widest = std::max<std::size_t>(widest, static_cast<std::size_t>(statements.values));
        m_tables.push_back(std::move(statements));
    }
    const int limit = sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, -1);
    m_manyRows = std::clamp(limit / static_cast<int>(widest), 1, kRowsPerRun);
    if (m_manyRows == 1)
        return;
    for (std::size_t t = 0; t < inserts.size(); ++t) {
        const std::string many = ManyRows(inserts[t], m_manyRows);
        if (many.empty())
            continue;
        m_tables[t].many = Prepare(db, many);
        if (sqlite3_bind_parameter_count(m_tables[t].many.get()) != m_tables[t].values * m_manyRows)
            m_tables[t].many.reset();
    }
}

void RowLoader::Check(int rc) const {
    if (rc != SQLITE_OK)
        throw SqliteError(sqlite3_errmsg(m_db));
}

void RowLoader::Bind(sqlite3_stmt* statement, int first, RowBatch::Reader& reader, int values) {
    for (int index = first; index < first + values; ++index) {
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
            // The batch outlives the run of the statement, and every parameter is bound again
            // before it runs next, so SQLite may read the text where it is.
            Check(sqlite3_bind_text(statement, index, value.text.data(), static_cast<int>(value.text.size()),
                                    SQLITE_STATIC));
            break;
        }
    }
}

void RowLoader::Run(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        SqliteError error(sqlite3_errmsg(m_db));
        sqlite3_reset(statement);
        throw error;
    }
    m_rows += sqlite3_changes(m_db);
    sqlite3_reset(statement);
}

void RowLoader::InsertOneByOne(RowBatch::Reader reader, int rows) {
    int table = 0, values = 0;
    for (int k = 0; k < rows && reader.NextRow(table, values); ++k) {
        Bind(m_tables[table].one.get(), 1, reader, values);
        Run(m_tables[table].one.get());
    }
}

void RowLoader::Load(const RowBatch& batch) {
    // The rows of a table that follow one another go in by the many-row statement; what is left of
    // such a run when another table's row (or the end of the batch) comes, one by one.
    RowBatch::Reader reader(batch);
    RowBatch::Reader boundFrom = reader; // the first row bound into the pending many-row statement
    int bound = 0;                       // rows bound there and not yet inserted
    int boundTable = -1;
    while (true) {
        const RowBatch::Reader rowStart = reader;
        int table = 0, values = 0;
        const bool more = reader.NextRow(table, values);
        if (bound > 0 && (!more || table != boundTable)) {
            InsertOneByOne(boundFrom, bound);
            bound = 0;
        }
        if (!more)
            break;
        if (table < 0 || table >= static_cast<int>(m_tables.size()) || values != m_tables[table].values)
            throw SqliteError("a generated row does not fit table number " + std::to_string(table));
        Statements& statements = m_tables[table];
        if (statements.many == nullptr) {
            Bind(statements.one.get(), 1, reader, values);
            Run(statements.one.get());
            continue;
        }
        if (bound == 0) {
            boundFrom = rowStart;
            boundTable = table;
        }
        Bind(statements.many.get(), bound * values + 1, reader, values);
        if (++bound == m_manyRows) {
            Run(statements.many.get());
            bound = 0;
        }
    }
}

} // namespace SampleDb
