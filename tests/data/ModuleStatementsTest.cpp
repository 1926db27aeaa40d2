// The module's statements over the hand-checked fixture database (tests/fixtures/funds.sql): each
// returns exactly the rows and figures worked out by hand, and none lets a withdrawn row, an
// excluded fund form or a deleted fund through.
#include "ModuleStatements.h"

#include "pages/asset/AssetQueries.h"
#include "pages/general/GeneralQueries.h"
#include "pages/industry/IndustryQueries.h"
#include "pages/performance/PerformanceQueries.h"
#include "pages/riskreturn/RiskReturnQueries.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

namespace {

using DataTests::AllFundsQuery;
using DataTests::AssetQuery;
using DataTests::GeneralQuery;
using DataTests::IndustryQuery;
using TestSupport::Query;
using TestSupport::Rows;

std::string Utf8(const wchar_t* text) {
    return XStringW(text).ToUtf8();
}

std::multiset<std::string> Codes(const Rows& rows, const std::string& column = "code") {
    std::multiset<std::string> codes;
    for (std::size_t i = 0; i < rows.rows.size(); ++i)
        codes.insert(rows.At(i, column).text);
    return codes;
}

std::size_t RowOf(const Rows& rows, const std::string& code) {
    for (std::size_t i = 0; i < rows.rows.size(); ++i)
        if (rows.At(i, "code").text == code)
            return i;
    ADD_FAILURE() << "no row for " << code;
    return 0;
}

class FixtureStatements : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_fixture = new TestSupport::FixtureDb({"funds.sql"}); }
    static void TearDownTestSuite() {
        delete s_fixture;
        s_fixture = nullptr;
    }
    void SetUp() override { m_db = s_fixture->Open(); }

    Rows Run(const std::string& sql) { return Query(m_db.get(), sql); }

    static TestSupport::FixtureDb* s_fixture;
    SampleDb::SqliteHandle m_db;
};
TestSupport::FixtureDb* FixtureStatements::s_fixture = nullptr;

TEST_F(FixtureStatements, PickerListsOnlyLiveOpenEndedFunds) {
    const Rows rows = Run(DataTests::FundsSource());
    EXPECT_EQ(rows.columns,
              (std::vector<std::string>{"code", "aliascode", "name", "pycode", "investtype", "createdate"}));
    EXPECT_EQ(Codes(rows), (std::multiset<std::string>{"F001", "F002", "F003", "F004", "F005", "F006", "F007",
                                                       "F008", "F014"}));
    EXPECT_EQ(rows.At(RowOf(rows, "F006"), "createdate").text, "--");
    EXPECT_EQ(rows.At(RowOf(rows, "F001"), "createdate").text, "2001-12-18");
    EXPECT_EQ(rows.At(RowOf(rows, "F001"), "aliascode").text, "000001");
}

TEST_F(FixtureStatements, ReportDatesIgnoreWithdrawnRows) {
    // Withdrawn rows exist at 2010-03-31 and 2010-12-31 in both tables.
    EXPECT_EQ(Run(Utf8(kLatestReportDateQuery)).rows.at(0).at(0).text, "2010-09-30");
    EXPECT_EQ(Run(Utf8(kAssetEarliestDateQuery)).rows.at(0).at(0).text, "2010-06-30");
    EXPECT_EQ(Run(Utf8(kAssetLatestDateQuery)).rows.at(0).at(0).text, "2010-09-30");
    EXPECT_EQ(Run(Utf8(kIndustryEarliestDateQuery)).rows.at(0).at(0).text, "2010-06-30");
    EXPECT_EQ(Run(Utf8(kIndustryLatestDateQuery)).rows.at(0).at(0).text, "2010-09-30");
}

TEST_F(FixtureStatements, GeneralQueryGathersTheFactsOfListedLiveFunds) {
    const Rows rows =
        Run(GeneralQuery(L"2010-09-30", {L"F001", L"F002", L"F009", L"F012", L"F013", L"F099"}));
    // Deleted, delisted and unknown codes give no row; one row per fund despite two managers.
    EXPECT_EQ(Codes(rows), (std::multiset<std::string>{"F001", "F002", "F009"}));

    const std::size_t f1 = RowOf(rows, "F001");
    EXPECT_EQ(rows.At(f1, "aliascode").text, "000001");
    EXPECT_EQ(rows.At(f1, "company").text, "华夏基金管理有限公司");
    EXPECT_EQ(rows.At(f1, "investstyle").text, "成长型");
    EXPECT_DOUBLE_EQ(rows.At(f1, "value").real, 1.2345);
    EXPECT_DOUBLE_EQ(rows.At(f1, "totalvalue").real, 2.3456);
    EXPECT_DOUBLE_EQ(rows.At(f1, "total_marketvalue").real, 100000000.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "net_marketvalue").real, 95000000.0);
    EXPECT_EQ(rows.At(f1, "bonus_times").text, "2");
    EXPECT_NEAR(rows.At(f1, "bonus").real, 0.15, 1e-12);
    EXPECT_DOUBLE_EQ(rows.At(f1, "issueshares").real, 3200000000.0);
    EXPECT_EQ(rows.At(f1, "buystate").text, "1");
    EXPECT_EQ(rows.At(f1, "redeemstate").text, "1");
    EXPECT_EQ(rows.At(f1, "peoples").text, "100000");
    EXPECT_DOUBLE_EQ(rows.At(f1, "quotient").real, 5000000000.0);
    // Current managers only, in whatever order SQLite concatenates them.
    const std::string managers = rows.At(f1, "manager").text;
    EXPECT_TRUE(managers == "张伟,李娜" || managers == "李娜,张伟") << managers;
    // The ratings of the latest live report date (2010-09-30), not those of 2010-06-30.
    EXPECT_EQ(rows.At(f1, "star2").text, "5");
    EXPECT_EQ(rows.At(f1, "star3").text, "5");
    EXPECT_EQ(rows.At(f1, "star5").text, "5");

    const std::size_t f2 = RowOf(rows, "F002");
    EXPECT_EQ(rows.At(f2, "buystate").text, "0");
    EXPECT_EQ(rows.At(f2, "manager").text, "陈静");
    EXPECT_TRUE(rows.At(f2, "total_marketvalue").IsNull());
    EXPECT_TRUE(rows.At(f2, "star3").IsNull());
    // F002 was rated at 2010-06-30 only: at the latest date it has no rating.
    EXPECT_TRUE(rows.At(f2, "star2").IsNull());
}

TEST_F(FixtureStatements, GeneralQueryRatesAtTheLatestReportDateThatIsNotWithdrawn) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    {
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(fixture.Path(), false);
        SampleDb::Exec(db.get(), "INSERT INTO tb_analyticalindex (code, reportdate, year, star, isdeleted)"
                                 " VALUES ('F001', '2010-12-31', 2, 1, 1), ('F002', '2010-12-31', 3, 1, 1);");
    }
    SampleDb::SqliteHandle db = fixture.Open();
    const Rows rows = Query(db.get(), GeneralQuery(L"2010-09-30", {L"F001"}));
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.At(0, "star2").text, "5");
    EXPECT_EQ(rows.At(0, "star3").text, "5");
}

TEST_F(FixtureStatements, GeneralQueryCopesWithNoDateAndNoFunds) {
    // A failed date query leaves the date empty: the assets are missing, the rest is there.
    const Rows undated = Run(GeneralQuery(L"", {L"F001"}));
    ASSERT_EQ(undated.rows.size(), 1u);
    EXPECT_TRUE(undated.At(0, "total_marketvalue").IsNull());
    EXPECT_TRUE(undated.At(0, "net_marketvalue").IsNull());
    EXPECT_DOUBLE_EQ(undated.At(0, "value").real, 1.2345);
    EXPECT_TRUE(Run(GeneralQuery(L"2010-09-30", {})).rows.empty());
}

TEST_F(FixtureStatements, LatestYearComesFromCalendarYearYieldsOnly) {
    // A yield of another type in 2011 must not move the year.
    EXPECT_EQ(Run(Utf8(kLatestYearQuery)).rows.at(0).at(0).text, "2010");
}

TEST_F(FixtureStatements, LatestYearSkipsWithdrawnYields) {
    TestSupport::FixtureDb fixture({"funds.sql"});
    {
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(fixture.Path(), false);
        SampleDb::Exec(db.get(),
                       "INSERT INTO tb_yieldhistory (fundcode, yieldtype, year, percentvalue, isdeleted)"
                       " VALUES ('F001', 1, 2011, 0.5, 1);");
    }
    SampleDb::SqliteHandle db = fixture.Open();
    EXPECT_EQ(Query(db.get(), Utf8(kLatestYearQuery)).rows.at(0).at(0).text, "2010");
}

TEST_F(FixtureStatements, AllFundsQueryGivesTheRankingUniverse) {
    const Rows rows = Run(AllFundsQuery(2010));
    ASSERT_EQ(rows.columns.size(), 44u);
    EXPECT_EQ(rows.columns[35], "value2010");
    EXPECT_EQ(rows.columns[38], "value2009");
    EXPECT_EQ(rows.columns[41], "value2008");
    // Closed forms, products, deleted and delisted funds, orphan yields and withdrawn yield rows
    // drop out, and a withdrawn current value does not give a fund a second row.
    EXPECT_EQ(Codes(rows), (std::multiset<std::string>{"F001", "F002", "F003", "F004", "F005", "F006", "F007",
                                                       "F008", "F014"}));

    // The thirteen period values at the stride of three, in period order.
    const std::size_t f1 = RowOf(rows, "F001");
    const double expected[13] = {0.0123, 0.02, 0.05, 0.10, 0.15, 0.20, 0.25,
                                 0.18,   0.10, 0.08, 0.21, 0.55, -0.45};
    for (int i = 0; i < 13; ++i) {
        EXPECT_DOUBLE_EQ(rows.rows[f1][5 + 3 * i].real, expected[i]) << "period " << i;
        EXPECT_TRUE(rows.rows[f1][6 + 3 * i].IsNull());
        EXPECT_TRUE(rows.rows[f1][7 + 3 * i].IsNull());
    }
    EXPECT_EQ(rows.At(f1, "aliascode").text, "000001");
    EXPECT_EQ(rows.At(f1, "buystate").text, "开放");
    const std::size_t f2 = RowOf(rows, "F002");
    EXPECT_EQ(rows.At(f2, "buystate").text, "暂停");
    EXPECT_DOUBLE_EQ(rows.At(f2, "value2010").real, 0.11);
    EXPECT_TRUE(rows.At(f2, "value2008").IsNull());
    EXPECT_TRUE(rows.At(f2, "yearavgyield3year").IsNull());
    // A limited state (2) and a missing state row both read as open.
    EXPECT_EQ(rows.At(RowOf(rows, "F003"), "buystate").text, "开放");
    EXPECT_EQ(rows.At(RowOf(rows, "F005"), "buystate").text, "开放");
}

TEST_F(FixtureStatements, IndexWeeksRunFromTheLatestWeekBackwards) {
    const Rows rows = Run(Utf8(kIndexWeeksQuery));
    std::vector<double> weeks;
    for (const auto& row : rows.rows)
        weeks.push_back(row.at(1).real);
    EXPECT_EQ(weeks, (std::vector<double>{-0.01, 0.04, 0.03, -0.02, 0.01}));
}

TEST_F(FixtureStatements, RiskQueryLeavesOutMoneyMarketAndExcludedFunds) {
    const Rows rows = Run(Utf8(kFundRiskQuery));
    ASSERT_EQ(rows.columns.size(), 12u);
    std::vector<std::string> codes;
    for (const auto& row : rows.rows)
        codes.push_back(row.at(1).text);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    for (const char* present : {"F001", "F002", "F003", "F004", "F005", "F006", "F007", "F014"})
        EXPECT_NE(std::find(codes.begin(), codes.end(), present), codes.end()) << present;
    for (const char* absent : {"F008", "F010", "F011", "F012", "F013"})
        EXPECT_EQ(std::find(codes.begin(), codes.end(), absent), codes.end()) << absent;

    const auto& f1 = rows.rows[std::find(codes.begin(), codes.end(), "F001") - codes.begin()];
    EXPECT_EQ(f1[0].text, "000001");
    const double figures[8] = {0.18, 0.10, 0.08, 0.06, 0.25, 0.22, 0.20, 0.21};
    for (int k = 0; k < 8; ++k)
        EXPECT_DOUBLE_EQ(f1[4 + k].real, figures[k]) << "column " << 4 + k;
}

TEST_F(FixtureStatements, AveragesArePerInvestmentTypeAndSkipMissingFigures) {
    const Rows rows = Run(Utf8(kAverageQuery));
    EXPECT_EQ(rows.columns,
              (std::vector<std::string>{"investtype", "one_avg_return", "one_avg_standard", "two_avg_return",
                                        "two_avg_standard", "three_avg_return", "three_avg_standard",
                                        "five_avg_return", "five_avg_standard"}));
    EXPECT_EQ(Codes(rows, "investtype"),
              (std::multiset<std::string>{"QDII", "保本型", "债券型", "指数型", "混合型", "股票型"}));
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        if (rows.At(i, "investtype").text != "股票型")
            continue;
        // F001, F002 and F014 have one-year figures, only F001 and F002 two-year ones.
        EXPECT_NEAR(rows.At(i, "one_avg_return").real, (0.18 + 0.12 + 0.06) / 3, 1e-12);
        EXPECT_NEAR(rows.At(i, "one_avg_standard").real, (0.25 + 0.20 + 0.16) / 3, 1e-12);
        EXPECT_NEAR(rows.At(i, "two_avg_return").real, 0.095, 1e-12);
        EXPECT_NEAR(rows.At(i, "five_avg_return").real, 0.06, 1e-12);
    }
}

TEST_F(FixtureStatements, AssetQueryGivesSharesOfTotalAssets) {
    const Rows rows = Run(AssetQuery(L"2010-09-30", {L"F001", L"F002", L"F003", L"F004", L"F012"}));
    EXPECT_EQ(rows.columns,
              (std::vector<std::string>{
                  "code", "aliascode", "name", "assettype", "stock_marketvalue", "stock_percent",
                  "bond_marketvalue", "bond_percent", "cash_marketvalue", "cash_percent",
                  "resale_marketvalue", "resale_percent", "other_marketvalue", "other_percent",
                  "quanzheng_marketvalue", "quanzheng_percent", "buystate", "investtype"}));
    EXPECT_EQ(Codes(rows), (std::multiset<std::string>{"F001", "F002", "F003", "F004"}));

    const std::size_t f1 = RowOf(rows, "F001");
    EXPECT_EQ(rows.At(f1, "assettype").text, "股票");
    EXPECT_DOUBLE_EQ(rows.At(f1, "stock_marketvalue").real, 80000000.0); // not the withdrawn 99999999
    EXPECT_DOUBLE_EQ(rows.At(f1, "stock_percent").real, 0.8);
    EXPECT_DOUBLE_EQ(rows.At(f1, "bond_percent").real, 0.1);
    EXPECT_DOUBLE_EQ(rows.At(f1, "cash_percent").real, 0.05);
    EXPECT_DOUBLE_EQ(rows.At(f1, "resale_percent").real, 0.02);
    EXPECT_DOUBLE_EQ(rows.At(f1, "other_marketvalue").real, 3000000.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "other_percent").real, 0.03);
    EXPECT_DOUBLE_EQ(rows.At(f1, "quanzheng_marketvalue").real, 0.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "quanzheng_percent").real, 0.0);
    EXPECT_EQ(rows.At(f1, "buystate").text, "开放");
    EXPECT_EQ(rows.At(f1, "investtype").text, "股票型");

    const std::size_t f2 = RowOf(rows, "F002"); // no balance sheet that quarter
    EXPECT_TRUE(rows.At(f2, "stock_marketvalue").IsNull());
    EXPECT_TRUE(rows.At(f2, "stock_percent").IsNull());
    EXPECT_EQ(rows.At(f2, "buystate").text, "暂停");

    const std::size_t f4 = RowOf(rows, "F004");
    EXPECT_TRUE(rows.At(f4, "stock_marketvalue").IsNull());
    EXPECT_DOUBLE_EQ(rows.At(f4, "bond_percent").real, 0.9);

    const Rows earlier = Run(AssetQuery(L"2010-06-30", {L"F001"}));
    ASSERT_EQ(earlier.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(earlier.At(0, "stock_percent").real, 0.75);
}

TEST(AssetQueryShares, AreFractionsEvenWhenAmountsAreStoredAsIntegers) {
    // A database whose amounts column has integer affinity (another vendor's layout, or a hand-made
    // file) stores whole amounts as integers; the shares must still be fractions, not 0.
    TestSupport::FixtureDb fixture;
    {
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(fixture.Path(), false);
        SampleDb::Exec(
            db.get(),
            "DROP TABLE tb_assetallocation;"
            "CREATE TABLE tb_assetallocation (id INTEGER PRIMARY KEY, code TEXT, date TEXT,"
            " assettype TEXT, marketvalue INTEGER, percent REAL, isdeleted INTEGER);"
            "INSERT INTO tb_fund (code, aliascode, name) VALUES ('F1', '000001', 'x');"
            "INSERT INTO tb_assetallocation (code, date, assettype, marketvalue, isdeleted)"
            " VALUES ('F1', '2010-09-30', '股票', 19, 0), ('F1', '2010-09-30', '资产总计', 20, 0);");
    }
    SampleDb::SqliteHandle db = fixture.Open();
    const Rows rows = Query(db.get(), AssetQuery(L"2010-09-30", {L"F1"}));
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows.At(0, "stock_percent").real, 0.95);
}

TEST_F(FixtureStatements, IndustryQueryPairsValuesWithIndustryIds) {
    const Rows rows = Run(IndustryQuery(L"2010-09-30", {L"F001", L"F003"}));
    ASSERT_EQ(rows.columns.size(), 49u);
    std::vector<std::string> expected = {"code", "aliascode", "name", "investtype", "buystate"};
    for (int id = 1; id <= 24; ++id) {
        if (id == 2 || id == 5)
            continue;
        expected.push_back("marketvalue_" + std::to_string(id));
        expected.push_back("percent_" + std::to_string(id));
    }
    EXPECT_EQ(rows.columns, expected);
    EXPECT_EQ(Codes(rows), (std::multiset<std::string>{"F001", "F003"}));

    const std::size_t f1 = RowOf(rows, "F001");
    EXPECT_DOUBLE_EQ(rows.At(f1, "marketvalue_1").real, 4000000.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "percent_1").real, 0.042105);
    EXPECT_TRUE(rows.At(f1, "marketvalue_3").IsNull()); // withdrawn
    EXPECT_DOUBLE_EQ(rows.At(f1, "marketvalue_4").real, 20000000.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "marketvalue_12").real, 30000000.0);
    EXPECT_DOUBLE_EQ(rows.At(f1, "marketvalue_20").real, 26000000.0);
    EXPECT_TRUE(rows.At(f1, "marketvalue_24").IsNull());
    EXPECT_EQ(rows.At(f1, "buystate").text, "开放");
    EXPECT_DOUBLE_EQ(rows.At(RowOf(rows, "F003"), "marketvalue_20").real, 19000000.0);

    // The names come in the same id order as the value pairs, without the parent category.
    const Rows names = Run(Utf8(kIndustryNamesQuery));
    ASSERT_EQ(names.rows.size(), 22u);
    EXPECT_EQ(names.rows[0][0].text, "农、林、牧、渔业");
    EXPECT_EQ(names.rows[1][0].text, "采掘业");
    EXPECT_EQ(names.rows[2][0].text, "食品、饮料");
    EXPECT_EQ(names.rows[21][0].text, "综合类");
}

TEST(EmptyDatabase, EveryStatementRunsAndReturnsNothingToShow) {
    TestSupport::FixtureDb fixture;
    SampleDb::SqliteHandle db = fixture.Open();
    for (const auto& statement : DataTests::AllStatements(L"2010-09-30", 2010, {L"F001"})) {
        SCOPED_TRACE(statement.name);
        Rows rows;
        ASSERT_NO_THROW(rows = Query(db.get(), statement.sql));
        // The growth page's check for its tables reads the schema, which an empty database has too.
        if (statement.name == "kHistoryTablesQuery") {
            EXPECT_EQ(rows.rows.size(), 2u);
            continue;
        }
        // Aggregates give one row of NULL; everything else gives no row.
        for (const auto& row : rows.rows)
            for (const auto& cell : row)
                EXPECT_TRUE(cell.IsNull());
    }
}

} // namespace
