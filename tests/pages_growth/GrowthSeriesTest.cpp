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
