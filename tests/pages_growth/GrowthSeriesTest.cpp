// From net values to reinvested wealth, the alignment of series on one axis, and the calendar of the
// growth page (dates, range starts, years).
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthPanel.h"
#include "pages/growth/GrowthRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using GrowthDates::FromCivil;

GrowthSeries Build(std::initializer_list<std::tuple<int, double, double>> rows) {
    WealthBuilder builder;
    for (const auto& [day, unit, total] : rows)
        builder.AddNetValues(day, unit, total);
    GrowthSeries series;
    builder.Finish(series);
    return series;
}

TEST(WealthBuilder, ACashDividendIsReinvestedAtTheExDividendUnitValue) {
    // 1.02 -> 1.03 on the ex-dividend day, then 0.1 paid out: the unit shows 0.93, the accumulated
    // value rose by 0.01. The day's growth is 1 + 0.01 / 1.02, not 0.93 / 1.02.
    const GrowthSeries s = Build({{1, 1.00, 2.00}, {2, 1.02, 2.02}, {3, 0.93, 2.03}, {4, 0.96, 2.06}});
    ASSERT_EQ(s.wealth.size(), 4u);
    EXPECT_DOUBLE_EQ(s.wealth[0], 1.0);
    EXPECT_NEAR(s.wealth[1], 1.02, 1e-12);
    EXPECT_NEAR(s.wealth[2], 1.02 * (1 + 0.01 / 1.02), 1e-12);
    EXPECT_NEAR(s.wealth[3], s.wealth[2] * (1 + 0.03 / 0.93), 1e-12);
}

TEST(WealthBuilder, ASplitChangesNothingAndMissingAccumulatedValuesFallBackToUnits) {
    // A 2-for-1 split halves the unit value; the accumulated value goes on unchanged.
    const GrowthSeries split = Build({{1, 2.0, 3.0}, {2, 1.0, 3.0}, {3, 1.1, 3.1}});
    EXPECT_NEAR(split.wealth[1], 1.0, 1e-12);
    EXPECT_NEAR(split.wealth[2], 1.1, 1e-12);
    // No accumulated value on a day (null reads as 0): that day and the next go by unit values.
    const GrowthSeries missing = Build({{1, 1.0, 1.0}, {2, 1.2, 0.0}, {3, 1.5, 1.5}});
    EXPECT_NEAR(missing.wealth[1], 1.2, 1e-12);
    EXPECT_NEAR(missing.wealth[2], 1.5, 1e-12);
}

TEST(WealthBuilder, BadRowsAreSkipped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const GrowthSeries s = Build({{5, 0.0, 1.0},  // no unit value
                                  {5, 1.0, 1.0},  // the first usable day
                                  {5, 2.0, 2.0},  // the same day again
                                  {4, 2.0, 2.0},  // out of order
                                  {6, nan, 1.1},  // not a number
                                  {7, 1.0, -5.0}, // a negative accumulated value is ignored
                                  {8, 1.0, 0.5},  // falls back to units: the previous day had none
                                  {9, 1.0, -1.0}, // ignored again
                                  {10, 1.1, 1.1}});
    EXPECT_EQ(s.days, (std::vector<int>{5, 7, 8, 9, 10}));
    EXPECT_NEAR(s.wealth.back(), 1.1, 1e-12);
    // A growth factor of zero or less (the accumulated value fell by more than the unit value) is a
    // bad row, not a wiped-out fund.
    const GrowthSeries wipe = Build({{1, 1.0, 2.0}, {2, 1.0, 0.5}, {3, 1.1, 2.1}});
    EXPECT_EQ(wipe.days, (std::vector<int>{1, 3}));
    EXPECT_NEAR(wipe.wealth[1], 1.1, 1e-12);
}

GrowthSeries BuildUntil(int lastDay, const std::vector<std::tuple<int, double, double>>& rows) {
    WealthBuilder builder(lastDay);
    for (const auto& [day, unit, total] : rows)
        builder.AddNetValues(day, unit, total);
    GrowthSeries series;
    builder.Finish(series);
    return series;
}

// Thirty days of steady 0.1 % growth from day 100, as (day, unit, accumulated) rows.
std::vector<std::tuple<int, double, double>> Steady(int days = 30) {
    std::vector<std::tuple<int, double, double>> rows;
    double value = 1.0;
    for (int k = 0; k < days; ++k, value *= 1.001)
        rows.emplace_back(100 + k, value, value + 1.0);
    return rows;
}

TEST(WealthBuilder, AnOutlierIsLeftOutAndNeverBecomesTheReference) {
    // One accumulated value a thousand times too large on day 110: left out, and day 111 is
    // measured against day 109, so the whole series is the steady rise.
    auto rows = Steady();
    std::get<2>(rows[10]) *= 1000.0;
    const GrowthSeries s = BuildUntil(1000, rows);
    EXPECT_EQ(s.ignoredRows, 1);
    ASSERT_EQ(s.days.size(), 29u);
    EXPECT_EQ(s.days[10], 111);
    const GrowthSeries clean = BuildUntil(1000, Steady());
    // The growth of the left-out day goes into the next: the end is where the clean series ends.
    EXPECT_NEAR(s.wealth.back(), clean.wealth.back(), 1e-12);

    // So is a unit value of 1e308, or beyond a million, or a value that falls to a tenth.
    for (double bad : {1e308, 2e6, 0.1}) {
        auto odd = Steady();
        std::get<1>(odd[10]) = bad;
        std::get<2>(odd[10]) = 0.0;
        const GrowthSeries t = BuildUntil(1000, odd);
        EXPECT_EQ(t.ignoredRows, 1) << bad;
        EXPECT_EQ(t.days.size(), 29u) << bad;
        EXPECT_NEAR(t.wealth.back(), clean.wealth.back(), 1e-9) << bad;
    }
}

TEST(WealthBuilder, ANewLevelThatHoldsIsTakenAsNoChange) {
    // From day 110 on every value is ten times larger (a change of units nobody recorded): after
    // five rows that agree the series goes on at the new level, the step counted as no change.
    auto rows = Steady();
    for (size_t k = 10; k < rows.size(); ++k) {
        std::get<1>(rows[k]) *= 10.0;
        std::get<2>(rows[k]) = 0.0;
    }
    const GrowthSeries s = BuildUntil(1000, rows);
    EXPECT_EQ(s.ignoredRows, 0);
    EXPECT_EQ(s.days.size(), 30u);
    EXPECT_NEAR(s.wealth[10], s.wealth[9], 1e-12);
    EXPECT_NEAR(s.wealth.back() / s.wealth[10], std::pow(1.001, 19), 1e-9);
    // Four such rows at the end are slips, not a level.
    auto tail = Steady(14);
    for (size_t k = 10; k < tail.size(); ++k)
        std::get<1>(tail[k]) *= 10.0, std::get<2>(tail[k]) = 0.0;
    const GrowthSeries t = BuildUntil(1000, tail);
    EXPECT_EQ(t.ignoredRows, 4);
    EXPECT_EQ(t.days.back(), 109);
}

TEST(WealthBuilder, FutureAndLonelyRowsAreLeftOut) {
    // A row dated after the last day (today) is left out, and counted.
    auto rows = Steady();
    rows.emplace_back(500, 1.2, 2.2);
    const GrowthSeries future = BuildUntil(200, rows);
    EXPECT_EQ(future.days.back(), 129);
    EXPECT_EQ(future.ignoredRows, 1);
    // A row more than a year after the one before it, with nothing after it, stands alone.
    const GrowthSeries lonely = BuildUntil(100000, rows);
    EXPECT_EQ(lonely.days.back(), 129);
    EXPECT_EQ(lonely.ignoredRows, 1);
    // A lonely row in the middle is left out, and the history that resumes a year after it is
    // kept, measured from the last row before the gap.
    std::vector<std::tuple<int, double, double>> ordered;
    for (int k = 0; k < 5; ++k)
        ordered.push_back(Steady()[static_cast<size_t>(k)]);
    ordered.emplace_back(104 + 400, 1.01, 2.01);
    ordered.emplace_back(104 + 800, 1.02, 2.02);
    ordered.emplace_back(104 + 801, 1.03, 2.03);
    const GrowthSeries resumed = BuildUntil(100000, ordered);
    EXPECT_EQ(resumed.ignoredRows, 1); // day 504 is alone: a year from 104 and from 904
    EXPECT_EQ(resumed.days, (std::vector<int>{100, 101, 102, 103, 104, 904, 905}));
}

GrowthSeries Series(std::vector<int> days, std::vector<double> wealth) {
    GrowthSeries s;
    s.days = std::move(days);
    s.wealth = std::move(wealth);
    return s;
}

TEST(GrowthPanel, SeriesShareOneAxisAndStartOnTheirOwnDays) {
    // The range is [10, 20]. a has a value before it, a gap on 14 and ends on 16; b starts on 15;
    // c has a value on or before the start only outside it.
    const GrowthSeries a = Series({8, 12, 13, 16, 25}, {1.0, 1.1, 1.2, 1.3, 9.9});
    const GrowthSeries b = Series({15, 18, 20}, {1.0, 0.9, 1.2});
    const GrowthSeries c = Series({2, 14}, {1.0, 2.0});
    const GrowthPanel panel = GrowthPanel::Build({&a, &b, &c, nullptr}, 10, 20);
    EXPECT_EQ(panel.days, (std::vector<int>{12, 13, 14, 15, 16, 18, 20}));
    ASSERT_EQ(panel.lines.size(), 4u);

    // a starts on its first day in the range, 12, not on its value of day 8 before it.
    const GrowthPanel::Line& la = panel.lines[0];
    EXPECT_EQ(la.first, 0);
    EXPECT_EQ(la.last, 4);
    EXPECT_DOUBLE_EQ(la.wealth[0], 1.1);
    EXPECT_DOUBLE_EQ(la.wealth[2], 1.2);   // day 14 carried from 13
    EXPECT_TRUE(std::isnan(la.wealth[5])); // after its last day in the range
    EXPECT_NEAR(panel.CumulativePercent(0, 4), (1.3 / 1.1 - 1.0) * 100.0, 1e-9);

    const GrowthPanel::Line& lb = panel.lines[1];
    EXPECT_EQ(lb.first, 3);
    EXPECT_TRUE(std::isnan(lb.wealth[2]));
    EXPECT_NEAR(panel.CumulativePercent(1, 3), 0.0, 1e-12); // a late line starts at its first value
    EXPECT_NEAR(panel.CumulativePercent(1, 6), 20.0, 1e-9);

    // c has one day in the range: a value, but no return.
    EXPECT_EQ(panel.lines[2].first, 2);
    EXPECT_FALSE(panel.lines[2].HasReturns());
    EXPECT_NEAR(panel.CumulativePercent(2, 2), 0.0, 1e-9);
    EXPECT_FALSE(panel.lines[3].HasValues());
    EXPECT_TRUE(std::isnan(panel.CumulativePercent(3, 0)));
    // A range holding none of the days has an empty axis.
    EXPECT_TRUE(GrowthPanel::Build({&a}, 17, 24).days.empty());
}

TEST(GrowthDates, TextAndCalendarArithmetic) {
    EXPECT_EQ(FromCivil(1970, 1, 1), 0);
    EXPECT_EQ(GrowthDates::Format(FromCivil(2008, 2, 29)), XStringW(L"2008-02-29"));
    EXPECT_EQ(GrowthDates::Parse(L"2010-12-31"), FromCivil(2010, 12, 31));
    for (const wchar_t* bad : {L"2009-02-29", L"2010-13-01", L"2010-1-01", L"2010/01/01", L"", L"x010-01-01"})
        EXPECT_FALSE(GrowthDates::Parse(bad).has_value()) << XStringW(bad).ToUtf8();
    EXPECT_EQ(GrowthDates::AddMonths(FromCivil(2010, 3, 31), -1), FromCivil(2010, 2, 28));
    EXPECT_EQ(GrowthDates::AddMonths(FromCivil(2010, 1, 15), -13), FromCivil(2008, 12, 15));
    EXPECT_EQ(GrowthDates::AddYears(FromCivil(2008, 2, 29), 1), FromCivil(2009, 2, 28));
    EXPECT_EQ(GrowthDates::Weekday(FromCivil(2010, 12, 31)), 4); // a Friday

    // Whole calendar years count as whole, leap days or not; the rest by the next year's length.
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2007, 12, 31), FromCivil(2010, 12, 31)), 3.0);
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2008, 2, 29), FromCivil(2009, 2, 28)), 1.0);
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2009, 1, 1), FromCivil(2009, 7, 2)), 182.0 / 365.0);
    // The days left over count against the length of the year that follows them: 366 days from
    // 2008-01-01, 365 from 2008-03-01 (which ends before the next 29 February).
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2008, 1, 1), FromCivil(2008, 7, 1)), 182.0 / 366.0);
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2007, 3, 1), FromCivil(2008, 9, 1)),
                     1.0 + 184.0 / 365.0);
    EXPECT_DOUBLE_EQ(GrowthDates::YearsBetween(FromCivil(2009, 1, 1), FromCivil(2009, 1, 1)), 0.0);
}

TEST(GrowthRange, ButtonsCountBackFromTheLastDay) {
    const int end = FromCivil(2010, 12, 31);
    const int earliest = FromCivil(2003, 5, 6);
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kOneMonth, end, earliest), FromCivil(2010, 11, 30));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kThreeMonths, end, earliest), FromCivil(2010, 9, 30));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kSixMonths, end, earliest), FromCivil(2010, 6, 30));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kOneYear, end, earliest), FromCivil(2009, 12, 31));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kThreeYears, end, earliest), FromCivil(2007, 12, 31));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kFiveYears, end, earliest), FromCivil(2005, 12, 31));
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kSinceInception, end, earliest), earliest);
    EXPECT_EQ(GrowthRange::StartOf(GrowthRange::kSinceInception, end, end), FromCivil(2009, 12, 31));
    EXPECT_EQ(std::wstring(GrowthRange::Caption(GrowthRange::kSinceInception)), L"成立以来");
}

} // namespace
