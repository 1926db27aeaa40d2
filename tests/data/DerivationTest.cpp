// The derivation of the pages' figures from daily values, on hand-worked histories: dividends
// reinvested, periods that reach before the first day left missing, complete calendar years only,
// grid weeks for risk and the index, and the dividends that the values imply.
#include "FundDerivation.h"

#include <sdk/CivilDays.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using Derive::NavDay;

int Day(int y, int m, int d) {
    return CivilDays::FromDate(y, m, d);
}

bool Weekday(int day) {
    return ((day % 7) + 7 + 3) % 7 < 5;
}

// Every weekday from `from` to `to`, growing by `daily` each day, with no dividend.
std::vector<NavDay> Steady(int from, int to, double daily, double start = 1.0) {
    std::vector<NavDay> days;
    double value = start;
    for (int day = from; day <= to; ++day) {
        if (!Weekday(day))
            continue;
        if (!days.empty())
            value *= 1.0 + daily;
        days.push_back({day, value, value});
    }
    return days;
}

TEST(Derivation, CalendarStepsKeepTheDayOrTakeTheMonthsEnd) {
    EXPECT_EQ(Derive::MonthsBefore(Day(2021, 3, 31), 1), Day(2021, 2, 28));
    EXPECT_EQ(Derive::MonthsBefore(Day(2020, 3, 31), 1), Day(2020, 2, 29));
    EXPECT_EQ(Derive::MonthsBefore(Day(2010, 12, 31), 12), Day(2009, 12, 31));
    EXPECT_EQ(Derive::MonthsBefore(Day(2010, 1, 15), 3), Day(2009, 10, 15));
    EXPECT_EQ(Derive::MonthsBefore(Day(2012, 2, 29), 12), Day(2011, 2, 28));
    // The grid: week 52 takes the year's last days; weeks run from 1 January.
    EXPECT_EQ(Derive::WeekOfYear(Derive::WeekNumber(Day(2010, 1, 7))), 1);
    EXPECT_EQ(Derive::WeekOfYear(Derive::WeekNumber(Day(2010, 1, 8))), 2);
    EXPECT_EQ(Derive::WeekOfYear(Derive::WeekNumber(Day(2010, 12, 31))), 52);
    EXPECT_EQ(Derive::WeekLastDay(Derive::WeekNumber(Day(2010, 12, 25))), Day(2010, 12, 31));
    EXPECT_EQ(Derive::WeekFirstDay(Derive::WeekNumber(Day(2011, 1, 1))), Day(2011, 1, 1));
}

TEST(Derivation, ACashDividendIsReinvestedNotLost) {
    // Unit 1.02 then a 0.10 dividend paid on a day of +1 %: the unit shows 0.9302, the accumulated
    // value grows by 1 % of 1.02. The day's return is +1 %, not -8.8 %.
    std::vector<NavDay> days = {{Day(2020, 9, 23), 1.02, 2.02},
                                {Day(2020, 9, 24), 1.02 * 1.01 - 0.10, 2.02 + 0.0102}};
    const Derive::FundFigures figures = Derive::DeriveFund(days);
    ASSERT_TRUE(figures.dayGrowth);
    EXPECT_NEAR(*figures.dayGrowth, 0.01, 1e-6);
    EXPECT_DOUBLE_EQ(figures.unit, days[1].unit);
    EXPECT_EQ(figures.latestDay, Day(2020, 9, 24));
    // Too short for any period: all missing, none made up from the first day.
    EXPECT_FALSE(figures.periods.lastweek);
    EXPECT_FALSE(figures.periods.thisyear);
    EXPECT_FALSE(figures.periods.year1);
    EXPECT_TRUE(figures.years.empty());
    EXPECT_TRUE(figures.risk.empty());
}

TEST(Derivation, PeriodsRunFromTheLastCloseOnOrBeforeTheirStart) {
    // From Friday 2009-12-25 to Friday 2010-12-31 at +0.1 % a weekday.
    const auto days = Steady(Day(2009, 12, 25), Day(2010, 12, 31), 0.001);
    const Derive::FundFigures figures = Derive::DeriveFund(days);
    auto growthOver = [](int weekdays) { return std::pow(1.001, weekdays) - 1.0; };
    // A week back is Friday 2010-12-24: five weekdays of growth.
    ASSERT_TRUE(figures.periods.lastweek);
    EXPECT_NEAR(*figures.periods.lastweek, growthOver(5), 1e-6);
    // This year: from the close of 2009-12-31 (a Thursday); 2010 has 261 weekdays.
    ASSERT_TRUE(figures.periods.thisyear);
    EXPECT_NEAR(*figures.periods.thisyear, growthOver(261), 1e-6);
    // One year back is 2009-12-31 too; two years reach before the first day.
    ASSERT_TRUE(figures.periods.year1);
    EXPECT_NEAR(*figures.periods.year1, growthOver(261), 1e-6);
    EXPECT_FALSE(figures.periods.year2);
    // 2010 is complete and has the close of 2009 before it; 2009 has no close of 2008.
    ASSERT_EQ(figures.years.size(), 1u);
    EXPECT_EQ(figures.years[0].year, 2010);
    EXPECT_NEAR(figures.years[0].value, growthOver(261), 1e-6);
    // The one-year risk figures agree with the yearly yield when the latest day ends the grid's
    // year; a steady growth has (nearly) no deviation.
    ASSERT_EQ(figures.risk.size(), 1u);
    EXPECT_EQ(figures.risk[0].years, 1);
    EXPECT_DOUBLE_EQ(figures.risk[0].annualReturn, *figures.periods.year1);
    EXPECT_LT(figures.risk[0].standard, 0.001);
}

TEST(Derivation, AYearInProgressHasNoCalendarYearReturn) {
    const auto days = Steady(Day(2018, 12, 3), Day(2020, 6, 30), 0.0005);
    const Derive::FundFigures figures = Derive::DeriveFund(days);
    ASSERT_EQ(figures.years.size(), 1u);
    EXPECT_EQ(figures.years[0].year, 2019);
    // Risk over one year only: two years reach before the first day.
    ASSERT_EQ(figures.risk.size(), 1u);
    EXPECT_EQ(figures.risk[0].years, 1);
}

TEST(Derivation, RiskIsTheDeviationOfTheGridWeeks) {
    // Alternating weeks of +2 % and -1 % (the Friday of each grid week carries the week's move):
    // the weekly deviation is 1.5 %, times the root of 52.
    std::vector<NavDay> days;
    double value = 1.0;
    days.push_back({Day(2009, 12, 31), value, value});
    int week = 0;
    for (int w = Derive::WeekNumber(Day(2010, 1, 1)); w <= Derive::WeekNumber(Day(2010, 12, 31));
         ++w, ++week) {
        value *= week % 2 == 0 ? 1.02 : 0.99;
        days.push_back({Derive::WeekLastDay(w), value, value});
    }
    const Derive::FundFigures figures = Derive::DeriveFund(days);
    ASSERT_EQ(figures.risk.size(), 1u);
    EXPECT_NEAR(figures.risk[0].standard, 0.015 * std::sqrt(52.0), 1e-6);
    EXPECT_NEAR(figures.risk[0].annualReturn, std::pow(1.02 * 0.99, 26) - 1.0, 1e-6);
}

TEST(Derivation, IndexWeeksStartAfterTheFirstCloseAndIncludeTheWeekInProgress) {
    std::vector<Derive::CloseDay> closes = {{Day(2010, 1, 4), 100.0},  {Day(2010, 1, 7), 110.0},
                                            {Day(2010, 1, 12), 121.0}, {Day(2010, 1, 20), 99.0},
                                            {Day(2010, 1, 22), 108.9}, {Day(2010, 1, 25), 100.0}};
    const auto weeks = Derive::IndexWeeks(closes);
    // Weeks: 1 (1-7 Jan) ends at 110, 2 (8-14) at 121, 3 (15-21) at 99, 4 (22-28) at 100 so far.
    ASSERT_EQ(weeks.size(), 3u);
    EXPECT_EQ(weeks[0].week, 2);
    EXPECT_NEAR(weeks[0].value, 0.1, 1e-9);
    EXPECT_NEAR(weeks[1].value, 99.0 / 121.0 - 1.0, 1e-6);
    EXPECT_EQ(weeks[2].week, 4);
    EXPECT_NEAR(weeks[2].value, 100.0 / 99.0 - 1.0, 1e-6);
    EXPECT_TRUE(Derive::IndexWeeks({}).empty());
}

TEST(Derivation, PayoutsComeOutOfTheValues) {
    // Day 2: a cash dividend of 0.05; day 3: a split that brings the unit value to 1; day 4: only
    // rounding; a money-market fund's constant unit value implies nothing.
    std::vector<NavDay> days = {{Day(2020, 6, 1), 1.5000, 1.5000},
                                {Day(2020, 6, 2), 1.4600, 1.5100},
                                {Day(2020, 6, 3), 1.0000, 1.5246},
                                {Day(2020, 6, 4), 1.0100, 1.5346 + 0.0001}};
    const auto payouts = Derive::InferPayouts(days);
    ASSERT_EQ(payouts.size(), 2u);
    EXPECT_FALSE(payouts[0].split);
    EXPECT_EQ(payouts[0].day, Day(2020, 6, 2));
    EXPECT_DOUBLE_EQ(payouts[0].amount, 0.05);
    EXPECT_TRUE(payouts[1].split);
    EXPECT_NEAR(payouts[1].amount, 1.4746, 1e-9);
    std::vector<NavDay> money = {
        {Day(2020, 6, 1), 1.0, 1.0}, {Day(2020, 6, 2), 1.0, 1.0001}, {Day(2020, 6, 3), 1.0, 1.0009}};
    EXPECT_TRUE(Derive::InferPayouts(money).empty());
}

} // namespace

namespace {

// A fund over seven years of weekdays with a yearly dividend, a split to 1 and a quiet holiday
// week, as a history the incremental figures must reproduce from any point.
std::vector<NavDay> Eventful() {
    std::vector<NavDay> days;
    double unit = 1.0, total = 1.0;
    unsigned seed = 12345;
    for (int day = Day(2013, 3, 4); day <= Day(2020, 2, 20); ++day) {
        if (!Weekday(day) || (day >= Day(2016, 2, 8) && day <= Day(2016, 2, 12)))
            continue;
        if (!days.empty()) {
            seed = seed * 1103515245u + 12345u;
            const double r = (static_cast<double>(seed >> 16 & 0x7FFF) / 32767.0 - 0.5) * 0.04;
            total += unit * r;
            unit *= 1.0 + r;
            const CivilDays::Date date = CivilDays::ToDate(day);
            if (date.month == 12 && date.day >= 10 && date.day <= 12 && unit > 1.1)
                unit -= 0.1; // a cash dividend
            if (date.year == 2017 && date.month == 6 && date.day == 15)
                unit = 1.0; // a split to 1
        }
        days.push_back({day, std::round(unit * 1e6) / 1e6, std::round(total * 1e6) / 1e6});
    }
    return days;
}

void ExpectSameFigures(const Derive::FundFigures& a, const Derive::FundFigures& b, bool years) {
    EXPECT_EQ(a.latestDay, b.latestDay);
    EXPECT_EQ(a.dayGrowth, b.dayGrowth);
    const auto& p = a.periods;
    const auto& q = b.periods;
    for (auto [x, y] : {std::pair{p.lastweek, q.lastweek},
                        {p.lastmonth, q.lastmonth},
                        {p.lastquarter, q.lastquarter},
                        {p.lasthalfyear, q.lasthalfyear},
                        {p.thisyear, q.thisyear},
                        {p.year1, q.year1},
                        {p.year2, q.year2},
                        {p.year3, q.year3},
                        {p.year5, q.year5}}) {
        ASSERT_EQ(x.has_value(), y.has_value());
        if (x)
            EXPECT_NEAR(*x, *y, 1.5e-6);
    }
    ASSERT_EQ(a.risk.size(), b.risk.size());
    for (std::size_t k = 0; k < a.risk.size(); ++k) {
        EXPECT_NEAR(a.risk[k].annualReturn, b.risk[k].annualReturn, 1.5e-6);
        EXPECT_NEAR(a.risk[k].standard, b.risk[k].standard, 1.5e-6);
    }
    if (years)
        for (const Derive::YearReturn& year : b.years) {
            const auto match = std::find_if(a.years.begin(), a.years.end(),
                                            [&](const Derive::YearReturn& y) { return y.year == year.year; });
            ASSERT_NE(match, a.years.end()) << year.year;
            EXPECT_NEAR(match->value, year.value, 1.5e-6) << year.year;
        }
}

TEST(Derivation, NewDaysAddedToTheStateGiveTheFiguresOfTheWholeHistory) {
    const std::vector<NavDay> all = Eventful();
    auto reader = [&](int from, int to) {
        std::vector<NavDay> out;
        for (std::size_t k = 0; k < all.size(); ++k)
            if (all[k].day <= to && (all[k].day > from || (k + 1 < all.size() && all[k + 1].day > from)))
                out.push_back(all[k]);
        return out;
    };
    // Cut points: a day into a new week, into a new year, after the holiday, after the split; one
    // new day, a week of days, a month and a half.
    int checked = 0;
    for (int cut :
         {Day(2019, 12, 30), Day(2019, 12, 31), Day(2020, 1, 2), Day(2019, 6, 14), Day(2018, 11, 20)}) {
        for (std::size_t add : {std::size_t{1}, std::size_t{5}, std::size_t{33}}) {
            std::size_t split = 0;
            while (split < all.size() && all[split].day <= cut)
                ++split;
            if (split + add > all.size())
                continue;
            // The state is made from a window, as the importer makes it: five years and a margin.
            std::size_t start = 0;
            while (all[start].day < all[split - 1].day - 5 * 366 - 21)
                ++start;
            if (start > 0)
                --start;
            Derive::FundState state =
                Derive::MakeState(std::span<const NavDay>(all).subspan(start, split - start));
            const Derive::FundFigures incremental =
                Derive::Advance(state, std::span<const NavDay>(all).subspan(split, add), reader);
            const Derive::FundFigures whole =
                Derive::DeriveFund(std::span<const NavDay>(all).first(split + add));
            SCOPED_TRACE(CivilDays::Text(cut) + " + " + std::to_string(add));
            ExpectSameFigures(whole, incremental, true);
            // The state after advancing is the state of the longer history.
            const Derive::FundState remade =
                Derive::MakeState(std::span<const NavDay>(all).subspan(start, split + add - start));
            EXPECT_EQ(state.latestDay, remade.latestDay);
            for (int k = 0; k < Derive::kStateWeeks; ++k)
                EXPECT_NEAR(state.weekEnd[k], remade.weekEnd[k], 1e-9) << "week slot " << k;
            ++checked;
        }
    }
    EXPECT_GE(checked, 12);
    // A state from other bytes is refused, not misread.
    EXPECT_FALSE(Derive::StateFromBytes("junk", 4));
    const Derive::FundState state = Derive::MakeState(all);
    const std::string bytes = Derive::StateBytes(state);
    const auto back = Derive::StateFromBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->latestDay, state.latestDay);
    EXPECT_EQ(back->weekEnd, state.weekEnd);
}

} // namespace
