#include "support/SqlRows.h"

#include "Sqlite.h"

#include <stdexcept>

namespace TestSupport {

int Rows::Column(const std::string& name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name)
            return static_cast<int>(i);
    return -1;
}

const Cell& Rows::At(std::size_t row, const std::string& name) const {
    const int column = Column(name);
    if (column < 0)
        throw std::out_of_range("no result column " + name);
    return rows.at(row).at(column);
}

Rows Query(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("prepare failed: ") + sqlite3_errmsg(db));
    SampleDb::StatementHandle statement(raw);
    Rows result;
    const int count = sqlite3_column_count(raw);
    for (int i = 0; i < count; ++i)
        result.columns.emplace_back(sqlite3_column_name(raw, i));
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<Cell> row(count);
        for (int i = 0; i < count; ++i) {
            row[i].type = sqlite3_column_type(raw, i);
            if (row[i].type == SQLITE_NULL)
                continue;
            row[i].real = sqlite3_column_double(raw, i);
            const unsigned char* text = sqlite3_column_text(raw, i);
            row[i].text.assign(reinterpret_cast<const char*>(text), sqlite3_column_bytes(raw, i));
        }
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string("step failed: ") + sqlite3_errmsg(db));
    return result;
}

std::vector<PlanStep> QueryPlan(sqlite3* db, const std::string& sql) {
    const Rows plan = Query(db, "EXPLAIN QUERY PLAN " + sql);
    std::vector<PlanStep> steps;
    for (const auto& row : plan.rows)
        steps.push_back({static_cast<int>(row.at(0).real), static_cast<int>(row.at(1).real), row.at(3).text});
    return steps;
}

} // namespace TestSupport
