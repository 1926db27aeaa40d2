// A fund's figures on the growth page do not depend on which other funds are compared: on a
// generated database where one other fund also has values on weekend days, the first fund's row,
// the index's row and a cell of the correlation matrix stay the same with 1, 5 and 100 funds.
#include "../module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

std::vector<XStringW> FundsWithHistory(const std::string& path, int count) {
    std::vector<XStringW> codes;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "select code from tb_netvaluehistory where date <= '2008-01-31' group by code"
                       " order by code limit ?",
                       -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, count);
    while (sqlite3_step(statement) == SQLITE_ROW)
        codes.push_back(XStringW::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return codes;
}

void Exec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

// Every cell of the row of `code` in the figures grid.
std::vector<std::wstring> RowOf(GrowthPage& page, const XStringW& code) {
    std::vector<std::wstring> cells;
    Data::IDataTable* table = page.Grid().Table();
    for (int r = 0; r < table->GetRowCount(); ++r) {
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), r);
        if (row->GetValue(L"code")->ToString() != code)
            continue;
        for (int c = 0; c < table->GetColumnCount(); ++c)
            cells.push_back(row->GetValueAt(c)->ToString().str());
    }
    return cells;
}

TEST(GrowthSet, AFundsRowDoesNotDependOnTheOtherComparedFunds) {
    TestSupport::GeneratedDb generated(SampleDb::Options{600, 6, 7, 300});
    const std::vector<XStringW> funds = FundsWithHistory(generated.Path(), 100);
    ASSERT_EQ(funds.size(), 100u);
    // The second fund also trades on every Saturday of 2010 (a market with other holidays), at a
    // value off its Friday's, so that a shared calendar would give the others zero-return days.
    Exec(generated.Path(), "insert into tb_netvaluehistory (id, code, date, value, totalvalue, isdeleted)"
                           " select 0, code, date(date, '+1 day'), value * 1.03, totalvalue + value * 0.03, 0"
                           " from tb_netvaluehistory where code = '" +
                               funds[1].ToUtf8() +
                               "' and date >= '2010-01-01' and strftime('%w', date) = '5' and not isdeleted");

    ModuleHost host;
    ASSERT_TRUE(host.Start(generated.Path()));
    host.MakeWindow(1280, 800);
    host.ShowWorkspace();
    host.module.Workspace().ShowTab(5);
    PlatformRunUntilIdle();
    GrowthPage& page = host.module.Workspace().Growth();

    std::vector<std::vector<std::wstring>> first, index;
    std::vector<double> cell;
    auto look = [&] {
        PlatformRunUntilIdle();
        first.push_back(RowOf(page, funds[0]));
        index.push_back(RowOf(page, XStringW(L"sh000001")));
    };
    host.module.AddFund(funds[0]);
    host.module.NotifyFundsChanged(XStringW());
    look();
    for (size_t k = 1; k < 5; ++k)
        host.module.AddFund(funds[k]);
    host.module.NotifyFundsChanged(XStringW());
    look();
    ASSERT_EQ(page.Matrix().Size(), 5u);
    const double pairInFive = page.Matrix().Value(0, 1);
    for (size_t k = 5; k < funds.size(); ++k)
        host.module.AddFund(funds[k]);
    host.module.NotifyFundsChanged(XStringW());
    look();
    ASSERT_EQ(page.Matrix().Size(), 100u);
    const double pairInHundred = page.Matrix().Value(0, 1);
    for (size_t k = 1; k < 3; ++k)
        host.module.RemoveFund(funds[k]);
    host.module.NotifyFundsChanged(XStringW());
    look();

    ASSERT_FALSE(first[0].empty());
    for (size_t k = 1; k < first.size(); ++k) {
        EXPECT_EQ(first[k], first[0]) << k;
        EXPECT_EQ(index[k], index[0]) << k;
    }
    // The pair of the first two funds is the same cell in the matrix of 5 and of 100.
    EXPECT_TRUE(std::isfinite(pairInFive));
    EXPECT_EQ(pairInFive, pairInHundred);
}

} // namespace
