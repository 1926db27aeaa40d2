// The generated daily net-value history: every figure the other tables hold about a fund's returns
// can be worked out again from it, the index closes follow the weekly index returns, dividends
// fall on their dates, and leaving the history out changes nothing else.
#include "ModuleStatements.h"

#include "SampleDbGenerator.h"
#include "support/FixtureDb.h"
#include "support/SqlRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace {

using TestSupport::Query;

struct Day {
    std::string date;
    double unit = 0.0;
    double total = 0.0;
};

class History : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = DataTests::SmallGeneratedDb().Open();
        for (const auto& row : Run("select code, date, value, totalvalue from tb_netvaluehistory"
                                   " where not isdeleted order by code, date")
                                   .rows)
            m_days[row[0].text].push_back({row[1].text, row[2].real, row[3].real});
    }
    TestSupport::Rows Run(const std::string& sql) { return Query(m_db.get(), sql); }

    // Wealth with dividends reinvested, from the value on the last day on or before `from` (or the
    // first value, for a fund that starts later) to the value on the last day on or before `to`.
    double Growth(const std::string& code, const std::string& from, const std::string& to) const {
        const std::vector<Day>& days = m_days.at(code);
        double wealth = 1.0;
        for (size_t k = 1; k < days.size() && days[k].date <= to; ++k)
            if (days[k].date > from)
                wealth *= 1.0 + (days[k].total - days[k - 1].total) / days[k - 1].unit;
        return wealth;
    }

    SampleDb::SqliteHandle m_db;
    std::map<std::string, std::vector<Day>> m_days;
};

std::string DateOf(int year, int dayOfYear) {
    // Day 0 of the year is 1 January; the grid's weeks are days 7(w-1) to 7w-1.
    static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0, day = dayOfYear;
    while (true) {
        const int length = kLengths[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
        if (day < length)
            break;
        day -= length;
        ++month;
    }
    char text[40]; // room for any int, so that no compiler sees a truncation
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month + 1, day + 1);
    return text;
}

TEST_F(History, PeriodAndYearlyYieldsComeOutOfTheDailyValues) {
    ASSERT_GT(m_days.size(), 100u);
    int checked = 0;
    for (const auto& row :
         Run("select fundcode, thisyear, yearavgyield3year from tb_yield where not isdeleted").rows) {
        const std::string& code = row[0].text;
        if (row[1].IsNull() || m_days.count(code) == 0)
            continue;
        EXPECT_NEAR(Growth(code, "2009-12-31", "2010-12-31") - 1.0, row[1].real, 2e-6) << code;
        if (!row[2].IsNull()) {
            EXPECT_NEAR(std::pow(Growth(code, "2007-12-31", "2010-12-31"), 1.0 / 3) - 1.0, row[2].real, 2e-6)
                << code;
        }
        ++checked;
    }
    EXPECT_GT(checked, 80);
    checked = 0;
    for (const auto& row :
         Run("select fundcode, year, percentvalue from tb_yieldhistory where yieldtype = 1 and not isdeleted")
             .rows) {
        const int year = static_cast<int>(row[1].real);
        const double growth =
            Growth(row[0].text, std::to_string(year - 1) + "-12-31", std::to_string(year) + "-12-31");
        EXPECT_NEAR(growth - 1.0, row[2].real, 2e-6) << row[0].text << " " << year;
        ++checked;
    }
    EXPECT_GT(checked, 200);
}

TEST_F(History, RiskFiguresComeOutOfTheWeeksOfTheDailyValues) {
    int checked = 0;
    for (const auto& row :
         Run("select fundcode, standard from tb_riskevaluation where year = 1 and not isdeleted").rows) {
        const std::string& code = row[0].text;
        if (m_days.count(code) == 0)
            continue;
        std::vector<double> weeks;
        std::string previous = "2009-12-31";
        for (int w = 1; w <= 52; ++w) {
            const std::string end = w == 52 ? std::string("2010-12-31") : DateOf(2010, 7 * w - 1);
            weeks.push_back(Growth(code, previous, end) - 1.0);
            previous = end;
        }
        double mean = 0.0, variance = 0.0;
        for (double r : weeks)
            mean += r / 52;
        for (double r : weeks)
            variance += (r - mean) * (r - mean) / 52;
        EXPECT_NEAR(std::sqrt(variance * 52), row[1].real, 1e-5) << code;
        ++checked;
    }
    EXPECT_GT(checked, 80);
}

TEST_F(History, LatestValuesDividendsTradingDaysAndStart) {
    // The latest values are the last day's.
    for (const auto& row :
         Run("select code, value, totalvalue, date from tb_currvalue where not isdeleted").rows) {
        const std::vector<Day>& days = m_days.at(row[0].text);
        EXPECT_EQ(days.back().date, row[3].text);
        EXPECT_NEAR(days.back().unit, row[1].real, 0.00005 + 1e-9) << row[0].text;
        EXPECT_NEAR(days.back().total, row[2].real, 0.00005 + 1e-9) << row[0].text;
    }
    // A cash dividend takes its amount off the unit value on its day (or the next trading day),
    // and nothing off the accumulated value.
    int dividends = 0;
    for (const auto& row : Run("select code, bonus, date from tb_bonus where type = 0 and not isdeleted"
                               " and code not in (select code from tb_bonus where type = 1)")
                               .rows) {
        const std::vector<Day>& days = m_days.at(row[0].text);
        size_t k = 1;
        while (k < days.size() && days[k].date < row[2].text)
            ++k;
        ASSERT_LT(k, days.size());
        const double paid = (days[k].total - days[k].unit) - (days[k - 1].total - days[k - 1].unit);
        EXPECT_NEAR(paid, row[1].real, 2e-6) << row[0].text << " " << row[2].text;
        ++dividends;
    }
    EXPECT_GT(dividends, 20);
    // Trading days only, for funds and the index.
    EXPECT_EQ(Run("select count(*) from tb_netvaluehistory where strftime('%w', date) in ('0', '6')")
                  .rows[0][0]
                  .real,
              0.0);
    EXPECT_EQ(
        Run("select count(*) from tb_indexhistory where strftime('%w', date) in ('0', '6')").rows[0][0].real,
        0.0);
    // A fund launched within the data starts on its first trading day.
    int launched = 0;
    for (const auto& row : Run("select code, createdate from tb_fund where createdate > '2005-01-10'").rows) {
        const std::string& first = m_days.at(row[0].text).front().date;
        EXPECT_GE(first, row[1].text);
        EXPECT_LE(Run("select julianday('" + first + "') - julianday('" + row[1].text + "')").rows[0][0].real,
                  2.0)
            << row[0].text;
        ++launched;
    }
    EXPECT_GT(launched, 50);
    // Withdrawn rows exist, so that readers must leave them out.
    EXPECT_GE(Run("select count(*) from tb_indexhistory where isdeleted").rows[0][0].real, 1.0);
}

TEST_F(History, IndexClosesFollowTheWeeklyIndexReturns) {
    std::map<int, double> yearGrowth;
    for (const auto& row :
         Run("select year, percentvalue from tb_yieldhistory where exponentcode = 'sh000001'"
             " and yieldtype = 4 and not isdeleted")
             .rows) {
        double& growth = yearGrowth.try_emplace(static_cast<int>(row[0].real), 1.0).first->second;
        growth *= 1.0 + row[1].real;
    }
    ASSERT_GE(yearGrowth.size(), 6u);
    auto close = [&](const std::string& day) {
        return Run("select closevalue from tb_indexhistory where exponentcode = 'sh000001' and not isdeleted"
                   " and date <= '" +
                   day + "' order by date desc limit 1")
            .rows[0][0]
            .real;
    };
    for (const auto& [year, growth] : yearGrowth) {
        if (year == yearGrowth.begin()->first)
            continue;
        EXPECT_NEAR(close(std::to_string(year) + "-12-31") / close(std::to_string(year - 1) + "-12-31"),
                    growth, 2e-5)
            << year;
    }
}

// FNV-1a over every cell of the tables the pages read besides the history, in id order.
std::uint64_t OtherTablesHash(sqlite3* db) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char* table :
         {"tb_fund", "tb_investadvisor", "tb_currvalue", "tb_yield", "tb_yieldhistory", "tb_riskevaluation",
          "tb_assetallocation", "tb_investindustry", "tb_industryname", "tb_bonus", "tb_issueandlisting",
          "tb_manager", "tb_analyticalindex", "tb_buyredeemstate"})
        for (const auto& row : Query(db, std::string("SELECT * FROM ") + table + " ORDER BY id").rows)
            for (const auto& cell : row)
                for (unsigned char c : std::to_string(cell.type) + ":" + cell.text + "\x1f") {
                    hash ^= c;
                    hash *= 0x100000001b3ull;
                }
    return hash;
}

TEST(HistoryOption, LeavingTheHistoryOutChangesNothingElse) {
    SampleDb::Options with{60, 6, 77};
    SampleDb::Options without = with;
    without.historyFunds = 0;
    SampleDb::Options some = with;
    some.historyFunds = 5;
    const TestSupport::GeneratedDb a(with), b(without), c(some);
    const SampleDb::SqliteHandle dbA = a.Open(), dbB = b.Open(), dbC = c.Open();
    EXPECT_EQ(OtherTablesHash(dbA.get()), OtherTablesHash(dbB.get()));
    EXPECT_EQ(OtherTablesHash(dbA.get()), OtherTablesHash(dbC.get()));
    EXPECT_EQ(Query(dbB.get(), "select count(*) from tb_netvaluehistory").rows[0][0].real, 0.0);
    EXPECT_EQ(Query(dbB.get(), "select count(*) from tb_indexhistory").rows[0][0].real, 0.0);
    EXPECT_EQ(Query(dbC.get(), "select count(distinct code) from tb_netvaluehistory").rows[0][0].real, 5.0);
    EXPECT_EQ(Query(dbA.get(), "select count(distinct code) from tb_netvaluehistory").rows[0][0].real, 60.0);
    // The funds that have it have the same history either way, day for day.
    for (const auto& row :
         Query(dbC.get(),
               "select code, sum(value), sum(totalvalue), count(*) from tb_netvaluehistory group by code")
             .rows) {
        const auto same =
            Query(dbA.get(), "select sum(value), sum(totalvalue), count(*) from tb_netvaluehistory"
                             " where code = '" +
                                 row[0].text + "'");
        EXPECT_EQ(same.rows[0][0].text, row[1].text) << row[0].text;
        EXPECT_EQ(same.rows[0][1].text, row[2].text) << row[0].text;
        EXPECT_EQ(same.rows[0][2].text, row[3].text) << row[0].text;
    }
}

} // namespace
