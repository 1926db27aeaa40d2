// The sample database as the host sees it: a generated database is told from any other, and the
// funds of a first start are ones that fill every page.
#include "SampleData.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <hostdb/SqliteDatabase.h>

#include <gtest/gtest.h>

#include <set>

namespace {

XComPtr<HostDb::SqliteDatabase> open(const std::string& path) {
    XStringW error;
    XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(path, error);
    EXPECT_NE(database, nullptr) << error.ToUtf8();
    return database;
}

const TestSupport::GeneratedDb& generated() {
    static const TestSupport::GeneratedDb db(SampleDb::Options{400, 6, 7});
    return db;
}

TEST(SampleData, OnlyADatabaseOfTheGeneratorIsTheSample) {
    EXPECT_TRUE(SampleData::IsSample(open(generated().Path())));
    TestSupport::FixtureDb fixture{"funds.sql"};
    EXPECT_FALSE(SampleData::IsSample(open(fixture.Path())));
    // A database with another program's application id is somebody's own data too.
    TestSupport::FixtureDb empty;
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(empty.Path().c_str(), &db), SQLITE_OK);
        TestSupport::Query(db, "PRAGMA application_id=" + std::to_string(SampleDb::kApplicationId + 1));
        sqlite3_close(db);
    }
    EXPECT_FALSE(SampleData::IsSample(open(empty.Path())));
    EXPECT_FALSE(SampleData::IsSample(nullptr));
}

TEST(SampleData, TheFirstStartComparesThreeFundsThatFillEveryPage) {
    std::vector<XStringW> codes = SampleData::ShowcaseFunds(open(generated().Path()));
    ASSERT_EQ(codes.size(), 3u);
    SampleDb::SqliteHandle db = generated().Open();
    const std::string latest =
        TestSupport::Query(db.get(), "select max(date) from tb_investindustry where not isdeleted")
            .rows[0][0]
            .text;
    std::set<std::string> types;
    for (const XStringW& code : codes) {
        const std::string c = code.ToUtf8();
        SCOPED_TRACE(c);
        TestSupport::Rows fund = TestSupport::Query(
            db.get(),
            "select investtype, fundtype, isdellisting, isdeleted, createdate from tb_fund where code = '" +
                c + "'");
        ASSERT_EQ(fund.rows.size(), 1u);
        types.insert(fund.rows[0][0].text);
        // Offered by the fund picker: open-ended, listed, not deleted.
        EXPECT_EQ(fund.rows[0][1].text, "契约型开放式");
        EXPECT_EQ(fund.rows[0][2].real, 0.0);
        EXPECT_EQ(fund.rows[0][3].real, 0.0);
        // Five whole years before the latest report, for the longest ranking and risk periods.
        EXPECT_LE(std::stoi(fund.rows[0][4].text.substr(0, 4)), std::stoi(latest.substr(0, 4)) - 5);
        // Holdings at the latest report, for the allocation pages.
        EXPECT_GT(TestSupport::Query(db.get(), "select count(*) from tb_investindustry where code = '" + c +
                                                   "' and date = '" + latest + "' and not isdeleted")
                      .rows[0][0]
                      .real,
                  0.0);
        EXPECT_GT(TestSupport::Query(db.get(), "select count(*) from tb_riskevaluation where fundcode = '" +
                                                   c + "' and year = 5 and not isdeleted")
                      .rows[0][0]
                      .real,
                  0.0);
    }
    EXPECT_EQ(types, (std::set<std::string>{"股票型", "混合型", "指数型"}));
}

TEST(SampleData, ADatabaseWithoutSuchFundsGivesNone) {
    TestSupport::FixtureDb empty;
    EXPECT_TRUE(SampleData::ShowcaseFunds(open(empty.Path())).empty());
    EXPECT_TRUE(SampleData::ShowcaseFunds(nullptr).empty());
}

} // namespace
