// Building fund codes into SQL: the list has the exact shape the statements expect, and a code
// carrying quotes or formatter directives cannot change what a statement selects.
#include "ModuleStatements.h"

#include "pages/common/SqlCodeList.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using TestSupport::Query;

TEST(SqlCodeList, BuildsTheQuotedListAndClause) {
    const std::vector<XStringW> codes = {L"000001", L"110011"};
    EXPECT_EQ(SqlCodeList::JoinQuoted(codes).str(), L"'000001','110011'");
    EXPECT_EQ(SqlCodeList::Parenthesized(codes).str(), L"('000001','110011')");
    EXPECT_EQ(SqlCodeList::FundListClause(codes).str(),
              L" where not a.isdeleted and a.code in ('000001','110011') ");
    const std::set<XStringW> none;
    EXPECT_EQ(SqlCodeList::JoinQuoted(none).str(), L"");
    EXPECT_EQ(SqlCodeList::FundListClause(none).str(), L" where not a.isdeleted and a.code in () ");
}

TEST(SqlCodeList, DoublesEverySingleQuote) {
    EXPECT_EQ(SqlCodeList::EscapeLiteral(L"a'b''").str(), L"a''b''''");
    EXPECT_EQ(SqlCodeList::JoinQuoted(std::vector<XStringW>{L"'"}).str(), L"''''");
    EXPECT_EQ(SqlCodeList::EscapeLiteral(L"2010-09-30").str(), L"2010-09-30");
}

class HostileCodes : public ::testing::Test {
protected:
    void SetUp() override {
        // A real fund whose code holds a quote, to show that quoting finds it rather than breaks it.
        SampleDb::SqliteHandle db = SampleDb::OpenDatabase(m_fixture.Path(), false);
        SampleDb::Exec(db.get(), "INSERT INTO tb_fund (code, aliascode, name, isdellisting, isdeleted)"
                                 " VALUES ('O''1', 'O''1', 'quote', 0, 0)");
        m_db = m_fixture.Open();
    }

    std::set<std::string> Codes(const std::string& sql) {
        std::set<std::string> codes;
        const TestSupport::Rows rows = Query(m_db.get(), sql);
        for (std::size_t i = 0; i < rows.rows.size(); ++i)
            codes.insert(rows.At(i, "code").text);
        return codes;
    }

    TestSupport::FixtureDb m_fixture{{"funds.sql"}};
    SampleDb::SqliteHandle m_db;
};

TEST_F(HostileCodes, CannotWidenAnyStatement) {
    const std::vector<XStringW> codes = {
        L"F001", L"x') OR ('1'='1", L"x' OR '1'='1", L"'); DROP TABLE tb_fund; --", L"%s%d%%", L"O'1"};
    const std::set<std::string> expected = {"F001", "O'1"};
    EXPECT_EQ(Codes(DataTests::GeneralQuery(L"2010-09-30", codes)), expected);
    EXPECT_EQ(Codes(DataTests::AssetQuery(L"2010-09-30", codes)), expected);
    EXPECT_EQ(Codes(DataTests::IndustryQuery(L"2010-09-30", codes)), expected);
    EXPECT_EQ(Query(m_db.get(), "select count(*) from tb_fund").rows[0][0].text, "15");
}

TEST_F(HostileCodes, AQuotedDateCannotWidenTheQuery) {
    // The date comes from the database; even a hostile one stays a literal.
    EXPECT_EQ(Codes(DataTests::GeneralQuery(L"2010-09-30') OR ('1'='1", {L"F001"})),
              std::set<std::string>{"F001"});
    // Unquoted, it would join every balance-sheet row and repeat the fund once per row.
    EXPECT_EQ(Query(m_db.get(), DataTests::AssetQuery(L"x') OR 1=1 OR date('", {L"F001"})).rows.size(), 1u);
}

} // namespace
