// Reading whole results through the SQLite C API, for assertions on rows and query plans.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct Cell {
    int type = SQLITE_NULL; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL
    std::string text;       // the value as SQLite renders it as text; empty for NULL
    double real = 0.0;      // the value as a number; 0 for NULL

    bool IsNull() const { return type == SQLITE_NULL; }
};

struct Rows {
    std::vector<std::string> columns;
    std::vector<std::vector<Cell>> rows;

    // The position of a result column by name, -1 when absent.
    int Column(const std::string& name) const;
    // The cell of `row` in the column named `name`; throws std::out_of_range for an unknown name.
    const Cell& At(std::size_t row, const std::string& name) const;
};

// Runs one statement to the end; throws std::runtime_error with SQLite's message on failure.
Rows Query(sqlite3* db, const std::string& sql);

struct PlanStep {
    int id = 0;
    int parent = 0;
    std::string detail; // for example "SEARCH a USING INDEX ix_fund_code (code=?)"
};

// The steps of EXPLAIN QUERY PLAN for the statement.
std::vector<PlanStep> QueryPlan(sqlite3* db, const std::string& sql);

} // namespace TestSupport
