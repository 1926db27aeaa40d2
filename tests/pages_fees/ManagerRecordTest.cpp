// Managers' stints and the fund's return under each, by hand: a manager who started before the
// history, one who left and came back, co-managers, a start on a day without a price, and the
// index over the same days.
#include "pages/fees/ManagerRecord.h"

#include "pages/growth/GrowthDates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using GrowthDates::FromCivil;

// Wealth on given days.
GrowthSeries Series(std::vector<std::pair<int, double>> points) {
    GrowthSeries series;
    for (const auto& [day, wealth] : points) {
        series.days.push_back(day);
        series.wealth.push_back(wealth);
    }
    return series;
}

ManagerStint Stint(const wchar_t* name, int start, int end = -1) {
    return ManagerStint{name, start, end};
}

const int kJan4 = FromCivil(2010, 1, 4);   // Monday
const int kJan8 = FromCivil(2010, 1, 8);   // Friday
const int kJan11 = FromCivil(2010, 1, 11); // Monday

TEST(ManagerRecord, AReturnStartsFromThePriceTheManagerTookOver) {
    const GrowthSeries fund = Series({{kJan4, 1.0}, {kJan8, 1.2}, {kJan11, 1.5}});
    int from = -1, to = -1;
    // A start on Saturday counts from Friday's price.
    EXPECT_NEAR(ManagerRecord::ReturnBetween(fund, kJan8 + 1, kJan11, &from, &to), 0.25, 1e-12);
    EXPECT_EQ(from, kJan8);
    EXPECT_EQ(to, kJan11);
    // On the day itself, that day's price.
    EXPECT_NEAR(ManagerRecord::ReturnBetween(fund, kJan8, kJan11, &from, &to), 0.25, 1e-12);
    // An end between prices takes the last price before it.
    EXPECT_NEAR(ManagerRecord::ReturnBetween(fund, kJan4, kJan11 - 1, &from, &to), 0.2, 1e-12);
    EXPECT_EQ(to, kJan8);
    // A stint within one price has no return.
    EXPECT_TRUE(std::isnan(ManagerRecord::ReturnBetween(fund, kJan8, kJan8 + 2, &from, &to)));
    EXPECT_EQ(from, -1);
    EXPECT_TRUE(std::isnan(ManagerRecord::ReturnBetween(GrowthSeries(), kJan4, kJan11, &from, &to)));
}

TEST(ManagerRecord, AManagerWhoStartedBeforeTheHistoryCountsFromItsFirstDay) {
    const GrowthSeries fund = Series({{kJan4, 2.0}, {kJan11, 3.0}});
    const StintFigures f =
        ManagerRecord::Figures(Stint(L"王强", FromCivil(2001, 12, 18)), kJan11, &fund, nullptr);
    EXPECT_EQ(f.fromDay, kJan4);
    EXPECT_NEAR(f.fundReturn, 0.5, 1e-12);
    EXPECT_NEAR(f.tenureYears, (kJan11 - FromCivil(2001, 12, 18)) / 365.25, 1e-12);
    EXPECT_TRUE(std::isnan(f.indexReturn)); // no index
    // A whole stint before the history has no return at all.
    const StintFigures gone = ManagerRecord::Figures(
        Stint(L"王强", FromCivil(2001, 1, 1), FromCivil(2005, 1, 1)), kJan11, &fund, nullptr);
    EXPECT_TRUE(std::isnan(gone.fundReturn));
    EXPECT_EQ(gone.fromDay, -1);
}

TEST(ManagerRecord, OnlyAStintOfMoreThanAYearIsAnnualised) {
    const int start = FromCivil(2008, 1, 1);
    const GrowthSeries fund = Series({{start, 1.0}, {start + 365, 1.1}, {start + 730, 1.21}});
    const StintFigures year = ManagerRecord::Figures(Stint(L"甲", start), start + 365, &fund, nullptr);
    EXPECT_NEAR(year.fundReturn, 0.1, 1e-12);
    EXPECT_TRUE(std::isnan(year.annualReturn));
    const StintFigures two = ManagerRecord::Figures(Stint(L"甲", start), start + 730, &fund, nullptr);
    EXPECT_NEAR(two.fundReturn, 0.21, 1e-12);
    EXPECT_NEAR(two.annualReturn, 0.1, 1e-12);
}

TEST(ManagerRecord, TheIndexIsTakenOverTheFundsDaysWhenItCoversThem) {
    const GrowthSeries fund = Series({{kJan4, 1.0}, {kJan8, 1.1}, {kJan11, 1.2}});
    const GrowthSeries index = Series({{kJan4, 100.0}, {kJan8, 90.0}, {kJan11, 99.0}});
    const StintFigures f = ManagerRecord::Figures(Stint(L"甲", kJan8), kJan11, &fund, &index);
    EXPECT_NEAR(f.indexReturn, 0.1, 1e-12);
    // An index that starts well after the fund's first day would compare other days.
    const GrowthSeries late = Series({{kJan11 - 1, 100.0}, {kJan11, 99.0}});
    EXPECT_TRUE(std::isnan(
        ManagerRecord::Figures(Stint(L"甲", FromCivil(2009, 6, 1)), kJan11, &fund, &late).indexReturn));
}

TEST(ManagerRecord, AManagerWhoLeftAndCameBackIsCurrentOnceWithTheLatestStint) {
    const int a1 = FromCivil(2005, 1, 1), b = FromCivil(2007, 1, 1), a2 = FromCivil(2009, 1, 1);
    const std::vector<ManagerStint> stints = {Stint(L"甲", a1, b), Stint(L"乙", b, a2), Stint(L"甲", a2)};
    const std::vector<ManagerStint> current = ManagerRecord::Current(stints);
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(current[0].start, a2);
    // Two changes: 乙 for 甲 on one day, and back on another.
    EXPECT_EQ(ManagerRecord::Changes(stints), 2);

    const GrowthSeries fund = Series({{a1, 1.0}, {b, 2.0}, {a2, 1.0}, {a2 + 400, 1.5}});
    EXPECT_NEAR(ManagerRecord::Figures(stints[0], a2 + 400, &fund, nullptr).fundReturn, 1.0, 1e-12);
    EXPECT_NEAR(ManagerRecord::Figures(stints[1], a2 + 400, &fund, nullptr).fundReturn, -0.5, 1e-12);
    EXPECT_NEAR(ManagerRecord::Figures(stints[2], a2 + 400, &fund, nullptr).fundReturn, 0.5, 1e-12);
}

TEST(ManagerRecord, CoManagersStartingTogetherAreNoChange) {
    const int start = FromCivil(2008, 1, 1), joins = FromCivil(2009, 6, 1);
    std::vector<ManagerStint> stints = {Stint(L"张伟", start), Stint(L"刘洋", start)};
    EXPECT_EQ(ManagerRecord::Changes(stints), 0);
    EXPECT_EQ(ManagerRecord::Current(stints).size(), 2u);
    stints.push_back(Stint(L"李娜", joins));
    EXPECT_EQ(ManagerRecord::Changes(stints), 1);
    // A leaving and a joining on one day are one change.
    stints.push_back(Stint(L"王强", FromCivil(2005, 1, 1), start));
    EXPECT_EQ(ManagerRecord::Changes(stints), 2);
    const std::vector<ManagerStint> current = ManagerRecord::Current(stints);
    ASSERT_EQ(current.size(), 3u);
    EXPECT_EQ(current.back().name, XStringW(L"李娜")); // the latest start last
}

TEST(ManagerRecord, DatesReadWithOrWithoutATime) {
    EXPECT_EQ(ManagerRecord::ParseDay(L"2010-01-04"), kJan4);
    EXPECT_EQ(ManagerRecord::ParseDay(L"2010-01-04 00:00:00"), kJan4);
    EXPECT_EQ(ManagerRecord::ParseDay(L"2010-01-04T09:30"), kJan4);
    for (const wchar_t* bad : {L"", L"2010-1-4", L"2010-02-30", L"2010-01-04x", L"abcd-ef-gh", L"20100104"})
        EXPECT_EQ(ManagerRecord::ParseDay(bad), -1) << XStringW(bad).ToUtf8();
    EXPECT_NEAR(ManagerRecord::TenureYears(Stint(L"甲", kJan4, kJan4 + 365), kJan11), 365 / 365.25, 1e-12);
}

} // namespace
