// The proof of the importer: the sample generator's invented facts, written as the files people
// import (GBK and UTF-8 CSV, TSV, xlsx, Chinese and English headers), imported into a new database,
// give the same result for every statement of every page as the generator's own database; and a
// history imported without its dividends gives them back from the values.
#include "ModuleStatements.h"

#include "FundImporter.h"
#include "InputFiles.h"
#include "SampleDbGenerator.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

namespace {

using TestSupport::Query;

// Every row as text, reals to nine significant digits (a percentage written in a file as 12.3457
// and divided by 100 again may differ in the last bit), sorted, since some statements ask for no
// order. Row ids and the company's guid are the columns no page shows: an import numbers its own
// rows, and an imported company's guid follows from its name where the generator's is random.
std::vector<std::string> Canonical(const TestSupport::Rows& rows) {
    std::vector<std::string> out;
    const int guid = rows.Column("companyguid");
    const int id = rows.Column("id");
    for (const auto& row : rows.rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const auto& cell = row[c];
            if (static_cast<int>(c) == guid || static_cast<int>(c) == id)
                continue;
            if (cell.type == SQLITE_FLOAT) {
                char text[40];
                std::snprintf(text, sizeof text, "%.9g", cell.real);
                line += text;
            } else {
                line += cell.text;
            }
            line += '\x1f';
        }
        out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class RoundTrip : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_generated = new TestSupport::GeneratedDb(SampleDb::Options{150, 6, 20101231});
        s_folder = std::filesystem::temp_directory_path() / ("fc-roundtrip-" + std::to_string(::getpid()));
        std::filesystem::remove_all(s_folder);
        ASSERT_EQ(SampleDb::WriteInputFiles(s_generated->Path(), s_folder.string()), "");
    }
    static void TearDownTestSuite() {
        std::filesystem::remove_all(s_folder);
        delete s_generated;
    }
    static TestSupport::GeneratedDb* s_generated;
    static std::filesystem::path s_folder;
};
TestSupport::GeneratedDb* RoundTrip::s_generated = nullptr;
std::filesystem::path RoundTrip::s_folder;

TEST_F(RoundTrip, EveryPageStatementGivesTheSameRows) {
    TestSupport::TempDbFile imported("roundtrip");
    std::filesystem::remove(imported.Path());
    const FundImport::Result result = FundImport::Import(imported.Path(), {s_folder.string()}, {});
    ASSERT_TRUE(result.error.empty()) << result.error;
    for (const auto& problem : result.problems)
        ADD_FAILURE() << problem.Text();
    ASSERT_TRUE(result.written);
    EXPECT_GT(result.files, 50);

    const SampleDb::SqliteHandle a = s_generated->Open();
    const SampleDb::SqliteHandle b = TestSupport::OpenReadOnly(imported.Path());
    std::vector<XStringW> codes;
    for (const auto& row : Query(a.get(), "select code from tb_fund where not isdeleted order by code").rows)
        codes.push_back(XStringW::FromUtf8(row[0].text));
    ASSERT_GT(codes.size(), 100u);
    int statements = 0;
    for (const char* date : {"2010-12-31", "2008-06-30"})
        for (const DataTests::FilledStatement& statement :
             DataTests::AllStatements(XStringW::FromUtf8(date), 2010, codes)) {
            SCOPED_TRACE(statement.name + " " + date);
            const auto expected = Canonical(Query(a.get(), statement.sql));
            const auto actual = Canonical(Query(b.get(), statement.sql));
            ASSERT_EQ(expected.size(), actual.size());
            for (std::size_t k = 0; k < expected.size(); ++k)
                ASSERT_EQ(expected[k], actual[k]) << "row " << k;
            ++statements;
        }
    EXPECT_GE(statements, 30);
    // Each fund's history, day for day, and the index.
    const char* history = "select code, count(*), sum(value), sum(totalvalue) from tb_netvaluehistory"
                          " where not isdeleted and code in (select code from tb_fund where not isdeleted)"
                          " group by code";
    EXPECT_EQ(Canonical(Query(a.get(), history)), Canonical(Query(b.get(), history)));
}

TEST_F(RoundTrip, DividendsComeBackFromTheValuesWhenNoFileGivesThem) {
    const std::filesystem::path folder = s_folder.string() + "-nodividends";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const char* part : {"基金列表.csv", "净值"})
        std::filesystem::copy(s_folder / part, folder / part, std::filesystem::copy_options::recursive);
    TestSupport::TempDbFile imported("nodividends");
    std::filesystem::remove(imported.Path());
    const FundImport::Result result = FundImport::Import(imported.Path(), {folder.string()}, {});
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(result.written) << (result.problems.empty() ? result.error : result.problems[0].Text());

    // The cash dividends of the general page (count and sum per fund) and the splits, by fund.
    const char* sql = "select code, type, count(*), round(sum(bonus), 3) from tb_bonus where not isdeleted"
                      " and code in (select code from tb_fund where not isdeleted) group by code, type";
    const SampleDb::SqliteHandle a = s_generated->Open();
    const SampleDb::SqliteHandle b = TestSupport::OpenReadOnly(imported.Path());
    const auto expected = Canonical(Query(a.get(), sql));
    ASSERT_GT(expected.size(), 20u);
    EXPECT_EQ(expected, Canonical(Query(b.get(), sql)));
}

} // namespace
