// The columns the program reads, as the host checks them when it opens a database: every column
// that a statement of the module reads is on the host's list, so that a database without one is
// refused with its name instead of showing empty pages; and every listed column is in the schema.
#include "FundTables.h"
#include "ModuleStatements.h"
#include "support/FixtureDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

using Columns = std::map<std::string, std::set<std::string>>;

// The table columns a statement reads, as SQLite's authorizer sees them while preparing it.
int collect(void* context, int action, const char* table, const char* column, const char*, const char*) {
    if (action == SQLITE_READ && table != nullptr && column != nullptr && *column != 0)
        (*static_cast<Columns*>(context))[table].insert(column);
    return SQLITE_OK;
}

Columns listed() {
    Columns columns;
    for (const FundTables::Table& table : FundTables::kTables) {
        std::istringstream names(table.columns);
        for (std::string name; names >> name;)
            columns[table.name].insert(name);
    }
    return columns;
}

} // namespace

TEST(ReadColumns, EveryColumnTheModuleReadsIsChecked) {
    TestSupport::FixtureDb db({"funds.sql"});
    SampleDb::SqliteHandle handle = db.Open();
    Columns read;
    sqlite3_set_authorizer(handle.get(), &collect, &read);
    for (const DataTests::FilledStatement& statement :
         DataTests::AllStatements(L"2010-09-30", 2010, {L"F001", L"F002"})) {
        sqlite3_stmt* prepared = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(handle.get(), statement.sql.c_str(), -1, &prepared, nullptr), SQLITE_OK)
            << statement.name << ": " << sqlite3_errmsg(handle.get());
        sqlite3_finalize(prepared);
    }
    sqlite3_set_authorizer(handle.get(), nullptr, nullptr);
    Columns checked = listed();
    read.erase("sqlite_master");
    read.erase("sqlite_schema");
    ASSERT_FALSE(read.empty());
    for (const auto& [table, columns] : read)
        for (const std::string& column : columns)
            EXPECT_TRUE(checked[table].count(column) == 1)
                << table << "." << column << " is read but not checked";
}

TEST(ReadColumns, EveryCheckedColumnIsInTheSchema) {
    TestSupport::FixtureDb db;
    SampleDb::SqliteHandle handle = db.Open();
    for (const auto& [table, columns] : listed())
        for (const std::string& column : columns) {
            std::string sql = "select " + column + " from " + table;
            sqlite3_stmt* prepared = nullptr;
            EXPECT_EQ(sqlite3_prepare_v2(handle.get(), sql.c_str(), -1, &prepared, nullptr), SQLITE_OK)
                << table << "." << column << ": " << sqlite3_errmsg(handle.get());
            sqlite3_finalize(prepared);
        }
}
