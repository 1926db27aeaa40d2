// Every statement of the module over a generated database: it runs, finds data, and reaches the
// large per-fund tables only through their indexes.
#include "ModuleStatements.h"

#include "Sqlite.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using TestSupport::Query;

// The tables that grow with funds times report dates or years; walking one of them row by row for
// each statement would make the pages slow on a real database.
const std::set<std::string> kWatchedTables = {"tb_assetallocation", "tb_investindustry", "tb_yieldhistory",
                                              "tb_riskevaluation",  "tb_manager",        "tb_analyticalindex",
                                              "tb_netvaluehistory", "tb_indexhistory"};

// Alias (or table name) to table name, read from the statement's "tb_xxx alias" pairs.
std::map<std::string, std::string> TableAliases(const std::string& sql) {
    static const std::set<std::string> kKeywords = {"where", "on",    "left",  "join", "group",
                                                    "order", "limit", "inner", "as",   "union"};
    std::map<std::string, std::string> aliases;
    static const std::regex pair(R"(\b(tb_[a-z]+)\b(?:\s+(?:as\s+)?([A-Za-z_][A-Za-z0-9_]*))?)",
                                 std::regex::icase);
    for (auto it = std::sregex_iterator(sql.begin(), sql.end(), pair); it != std::sregex_iterator(); ++it) {
        const std::string table = (*it)[1];
        aliases[table] = table;
        std::string alias = (*it)[2];
        std::transform(alias.begin(), alias.end(), alias.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (!alias.empty() && kKeywords.count(alias) == 0)
            aliases[(*it)[2]] = table;
    }
    return aliases;
}

struct Inputs {
    XStringW date;
    std::vector<XStringW> codes;
};

Inputs InputsFrom(sqlite3* db) {
    Inputs inputs;
    inputs.date = XStringW::FromUtf8(
        Query(db, "select max(date) from tb_assetallocation where not isdeleted").rows.at(0).at(0).text);
    for (const auto& row : Query(db, "select code from tb_fund order by id limit 20").rows)
        inputs.codes.push_back(XStringW::FromUtf8(row.at(0).text));
    return inputs;
}

TEST(GeneratedDatabase, EveryStatementRunsAndFindsData) {
    SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    const Inputs inputs = InputsFrom(db.get());
    ASSERT_EQ(inputs.date.str(), L"2010-12-31");
    for (const auto& statement : DataTests::AllStatements(inputs.date, 2010, inputs.codes)) {
        SCOPED_TRACE(statement.name);
        TestSupport::Rows rows;
        ASSERT_NO_THROW(rows = Query(db.get(), statement.sql));
        ASSERT_FALSE(rows.rows.empty());
        EXPECT_FALSE(rows.rows[0][0].IsNull());
        if (statement.name == "kIndexWeeksQuery") {
            EXPECT_GE(rows.rows.size(), 260u);
        }
        if (statement.name == "kIndustryNamesQuery") {
            EXPECT_EQ(rows.rows.size(), 22u);
        }
        if (statement.name == "kLatestYearQuery") {
            EXPECT_EQ(rows.rows[0][0].text, "2010");
        }
    }
}

TEST(GeneratedDatabase, StatementsReachLargeTablesThroughIndexes) {
    SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    const Inputs inputs = InputsFrom(db.get());
    for (const auto& statement : DataTests::AllStatements(inputs.date, 2010, inputs.codes)) {
        const auto aliases = TableAliases(statement.sql);
        const auto plan = TestSupport::QueryPlan(db.get(), statement.sql);
        std::map<int, std::string> details;
        for (const auto& step : plan)
            details[step.id] = step.detail;
        for (const auto& step : plan) {
            if (step.detail.rfind("SCAN ", 0) != 0)
                continue;
            std::string object = step.detail.substr(5, step.detail.find(' ', 5) - 5);
            const auto alias = aliases.find(object);
            if (alias == aliases.end() || kWatchedTables.count(alias->second) == 0)
                continue;
            // The one walk allowed: the ordered index read that finds the earliest rating date,
            // which LIMIT 1 stops at its first row.
            const bool boundedLookup = details[step.parent].rfind("SCALAR SUBQUERY", 0) == 0 &&
                                       step.detail.find(" USING ") != std::string::npos;
            EXPECT_TRUE(boundedLookup) << statement.name << " scans " << alias->second << ": " << step.detail;
        }
    }
}

// Every statement's plan, one line per step, indented by depth.
std::string Plans(sqlite3* db, const Inputs& inputs) {
    std::string text;
    for (const auto& statement : DataTests::AllStatements(inputs.date, 2010, inputs.codes)) {
        text += statement.name + "\n";
        std::map<int, int> depth;
        for (const auto& step : TestSupport::QueryPlan(db, statement.sql)) {
            depth[step.id] = depth.count(step.parent) != 0 ? depth[step.parent] + 1 : 1;
            text += std::string(static_cast<std::size_t>(2 * depth[step.id]), ' ') + step.detail + "\n";
        }
    }
    return text;
}

TEST(GeneratedDatabase, TheGeneratorsStatisticsPlanLikeAFullAnalyze) {
    // The generator saves time by sampling the largest tables for the planner's statistics; the
    // readers must still get the plans that statistics over every row give them. The database is
    // large enough that the sample is a small part of the largest tables.
    const TestSupport::GeneratedDb generated(SampleDb::Options{600, 6, 77});
    std::string sampled;
    Inputs inputs;
    {
        SampleDb::SqliteHandle db = generated.Open();
        inputs = InputsFrom(db.get());
        ASSERT_GT(Query(db.get(), "select count(*) from tb_investindustry").rows[0][0].real, 20000.0);
        ASSERT_GT(Query(db.get(), "select count(*) from sqlite_stat1").rows[0][0].real, 10.0);
        sampled = Plans(db.get(), inputs);
    }
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(generated.Path(), false);
    SampleDb::Exec(db.get(), "PRAGMA analysis_limit=0; ANALYZE");
    EXPECT_EQ(sampled, Plans(db.get(), inputs));
}

// Turns a generated database back into the layout older databases have, and users' own databases
// may still have: rowid holdings tables with a separate per-fund index.
void ToRowidHoldings(const std::string& path) {
    SampleDb::SqliteHandle db = SampleDb::OpenDatabase(path, false);
    SampleDb::Exec(db.get(), R"(
        BEGIN;
        CREATE TABLE old_asset (id INTEGER PRIMARY KEY, code TEXT NOT NULL, date TEXT NOT NULL,
            assettype TEXT NOT NULL, marketvalue REAL, percent REAL, isdeleted INTEGER NOT NULL DEFAULT 0);
        INSERT INTO old_asset SELECT * FROM tb_assetallocation ORDER BY id;
        DROP TABLE tb_assetallocation;
        ALTER TABLE old_asset RENAME TO tb_assetallocation;
        CREATE INDEX ix_assetallocation_fund ON tb_assetallocation (code, date, assettype);
        CREATE INDEX ix_assetallocation_date ON tb_assetallocation (date) WHERE NOT isdeleted;
        CREATE TABLE old_industry (id INTEGER PRIMARY KEY, code TEXT NOT NULL, date TEXT NOT NULL,
            industryid INTEGER NOT NULL, marketvalue REAL, percent REAL, isdeleted INTEGER NOT NULL DEFAULT 0);
        INSERT INTO old_industry SELECT * FROM tb_investindustry ORDER BY id;
        DROP TABLE tb_investindustry;
        ALTER TABLE old_industry RENAME TO tb_investindustry;
        CREATE INDEX ix_investindustry_fund ON tb_investindustry (code, date, industryid);
        CREATE INDEX ix_investindustry_date ON tb_investindustry (date) WHERE NOT isdeleted;
        COMMIT;
        ANALYZE;)");
}

std::vector<std::string> Lines(const TestSupport::Rows& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows.rows) {
        std::string line;
        for (const auto& cell : row)
            line += std::to_string(cell.type) + ":" + cell.text + "|";
        lines.push_back(line);
    }
    return lines;
}

TEST(GeneratedDatabase, HoldingsAreFoundByFundDateAndLine) {
    // Every per-fund read of the holdings tables finds its one row by equality on the fund, the date
    // and the line together: through the primary key that stores the table, or through the date
    // index, whose entries carry that key in a table without rowid. A search on the fund or the date
    // alone would walk every line of a report, or every fund of a date. The report-date reads use the
    // date index.
    SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    const Inputs inputs = InputsFrom(db.get());
    int lookups = 0, joins = 0;
    for (const auto& statement : DataTests::AllStatements(inputs.date, 2010, inputs.codes)) {
        std::string lower = statement.sql;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        for (const char* table : {"join tb_assetallocation ", "join tb_investindustry "})
            for (std::size_t at = lower.find(table); at != std::string::npos; at = lower.find(table, at + 1))
                ++joins;
        const auto aliases = TableAliases(statement.sql);
        for (const auto& step : TestSupport::QueryPlan(db.get(), statement.sql)) {
            const std::size_t space = step.detail.find(' ');
            const std::string object =
                step.detail.substr(space + 1, step.detail.find(' ', space + 1) - space - 1);
            const auto alias = aliases.find(object);
            if (alias == aliases.end() ||
                (alias->second != "tb_assetallocation" && alias->second != "tb_investindustry"))
                continue;
            const std::string line = alias->second == "tb_assetallocation" ? "assettype=?" : "industryid=?";
            if (step.detail.find("code=?") == std::string::npos) {
                EXPECT_NE(step.detail.find(" INDEX ix_"), std::string::npos)
                    << statement.name << ": " << step.detail;
                EXPECT_NE(step.detail.find("_date"), std::string::npos)
                    << statement.name << ": " << step.detail;
                continue;
            }
            EXPECT_EQ(step.detail.rfind("SEARCH ", 0), 0u) << statement.name << ": " << step.detail;
            EXPECT_TRUE(step.detail.find("(code=? AND date=? AND " + line) != std::string::npos ||
                        step.detail.find("(date=? AND code=? AND " + line) != std::string::npos)
                << statement.name << ": " << step.detail;
            ++lookups;
        }
    }
    // Seven asset lines and twenty-three industries, and the general page's two totals.
    EXPECT_EQ(joins, 32);
    EXPECT_EQ(lookups, joins);
}

TEST(GeneratedDatabase, ADatabaseWithRowidHoldingsReadsTheSame) {
    // A database in the older layout gives every statement the same rows, in the same order, and
    // still reaches its holdings through an index.
    const TestSupport::GeneratedDb generated(SampleDb::Options{150, 6, 20101231});
    const TestSupport::GeneratedDb old(SampleDb::Options{150, 6, 20101231});
    ToRowidHoldings(old.Path());
    SampleDb::SqliteHandle newDb = generated.Open();
    SampleDb::SqliteHandle oldDb = old.Open();
    ASSERT_EQ(
        Query(oldDb.get(), "select count(*) from pragma_index_list('tb_investindustry') where origin = 'pk'")
            .rows[0][0]
            .real,
        0.0);
    const Inputs inputs = InputsFrom(newDb.get());
    for (const auto& statement : DataTests::AllStatements(inputs.date, 2010, inputs.codes)) {
        SCOPED_TRACE(statement.name);
        const auto lines = Lines(Query(newDb.get(), statement.sql));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines, Lines(Query(oldDb.get(), statement.sql)));
        for (const auto& step : TestSupport::QueryPlan(oldDb.get(), statement.sql)) {
            const auto aliases = TableAliases(statement.sql);
            if (step.detail.rfind("SCAN ", 0) != 0)
                continue;
            const auto alias = aliases.find(step.detail.substr(5, step.detail.find(' ', 5) - 5));
            EXPECT_FALSE(alias != aliases.end() &&
                         (alias->second == "tb_assetallocation" || alias->second == "tb_investindustry") &&
                         step.detail.find(" USING ") == std::string::npos)
                << step.detail;
        }
    }
    // The host's own holdings reads too.
    for (const std::string& sql :
         {"select date, max(case when assettype = '股票' then marketvalue end) from tb_assetallocation"
          " where code = '" +
              inputs.codes.at(0).ToUtf8() + "' and not isdeleted group by date order by date desc",
          "select i.date, n.name, i.marketvalue from tb_investindustry i join tb_industryname n on n.id = "
          "i.industryid where i.code = '" +
              inputs.codes.at(0).ToUtf8() + "' and not i.isdeleted order by i.date desc, i.industryid",
          std::string("select distinct date from tb_investindustry where not isdeleted order by date desc")})
        EXPECT_EQ(Lines(Query(newDb.get(), sql)), Lines(Query(oldDb.get(), sql))) << sql;
}

TEST(GeneratedDatabase, PlanCheckRecognisesAFullScan) {
    // The check above must be able to fail: a statement on an unindexed column is reported as a scan.
    SampleDb::SqliteHandle db = DataTests::SmallGeneratedDb().Open();
    const auto plan =
        TestSupport::QueryPlan(db.get(), "select count(*) from tb_assetallocation a where a.marketvalue > 1");
    ASSERT_FALSE(plan.empty());
    EXPECT_EQ(plan.back().detail.rfind("SCAN a", 0), 0u) << plan.back().detail;
    EXPECT_EQ(TableAliases("select 1 from tb_assetallocation a where 1").at("a"), "tb_assetallocation");
}

} // namespace
