// Daily net values made from the generator's weekly simulation.
//
// The market and every fund are simulated week by week (52 weeks a calendar year). The daily
// history spreads each week's return over the week's trading days in such a way that the days of
// a week compound to exactly that week's return: whatever the other tables derive from the weekly
// series (period yields, calendar-year yields, risk figures) can be recomputed from the daily one.
#pragma once

#include "Prng.h"

#include <string>
#include <vector>

namespace SampleDb {

// The trading days (Monday to Friday) of the weekly grid, each with the grid week it belongs to.
// Week w of a year runs from day 7 (w - 1) of the year for seven days; the year's last week also
// takes the one or two days left before 1 January, so that every trading day belongs to a week
// and a year ends on its own last day. The calendar opens with the last trading day before the
// grid (week -1), the evening whose values the simulation starts from: a history that holds it
// gives the grid's first week and first year whole.
struct TradingCalendar {
    std::vector<int> days;         // days since 1970-01-01, ascending
    std::vector<std::string> text; // the same days as YYYY-MM-DD
    std::vector<int> week;         // grid week of each day
    std::vector<int> weekStart;    // index in `days` of each week's first day; one entry more than weeks

    int Weeks() const { return static_cast<int>(weekStart.size()) - 1; }
    // The index of the first trading day on or after `day`; days.size() when there is none.
    int FirstOnOrAfter(int day) const;
};

TradingCalendar MakeTradingCalendar(int firstYear, int years);

// Spreads a week's log growth over its `count` trading days: `out[k]` = shared[k] times `beta`, plus
// an even share of what is left, plus noise of `dailySd` whose sum over the week is zero. The days
// add up to `weekly` exactly (up to rounding). `shared` may be null (then beta is not used).
void SpreadWeek(Prng& rng, double weekly, const double* shared, double beta, double dailySd, double* out,
                int count);

// A dividend on the first trading day on or after `day`: cash per unit, or a unit split of `amount`
// new units for each old one.
struct Payout {
    int day = 0;
    bool split = false;
    double amount = 0.0;
};

// Unit and accumulated net values of one fund from calendar index `first` to the last trading day.
struct NetValuePath {
    int first = 0;
    std::vector<double> unit;
    std::vector<double> total;
    std::vector<Payout> applied; // the payouts as they fell, day as a calendar index, ratios decided
};

// Walks the daily log growth (indexed like the calendar; days before `first` are not read) from a
// unit value `startUnit`, held the evening before day `first`, and the dividends already paid,
// `startDividends`.
// A cash dividend takes its amount off the unit value on its day; a split divides the unit value by
// its ratio, or, given a ratio of 0, converts the units to a value of 1 as funds do (the ratio is
// then the day's unit value to four decimals).
// The accumulated value grows every day by the previous unit value times the day's total return.
// With `fixedUnit` (money-market funds) the unit value stays put: the day's income is a dividend
// that only the accumulated value shows.
NetValuePath WalkNetValues(const TradingCalendar& calendar, int first, const std::vector<double>& dailyLog,
                           double startUnit, double startDividends, const std::vector<Payout>& payouts,
                           bool fixedUnit);

} // namespace SampleDb
