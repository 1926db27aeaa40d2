// The figures the pages read that a fund's daily history gives: the latest value and day growth,
// the period returns as of the latest day, the calendar-year returns, the risk figures over one to
// five years, an index's weekly returns, and the dividends that the unit and accumulated values
// imply. The importer and the sample generator both compute every such figure here, from the values
// as they are stored, so that a database made either way holds the same figures for the same days.
//
// Model: a fund's day carries its unit value U and accumulated value T; the return of day d with
// dividends reinvested is (T[d] - T[d-1]) / U[d-1] (see data/schema.sql, section 6). The growth of
// money over a span is the product of the days' (1 + return). A figure whose span reaches before the
// first day of the history is missing (std::nullopt), never extrapolated.
//
// Weeks are those of the weekly series the risk page reads: 52 a calendar year, week w running from
// day 7 (w - 1) of the year for seven days, and week 52 also taking the year's last one or two days.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Derive {

// One stored day of a fund: days since 1970-01-01, unit and accumulated net value.
struct NavDay {
    int day = 0;
    double unit = 0.0;
    double total = 0.0;
};

// One stored close of an index.
struct CloseDay {
    int day = 0;
    double close = 0.0;
};

// Week grid ----------------------------------------------------------------------------------------

inline constexpr int kWeeksPerYear = 52;

// The grid week of a day as one running number: year * 52 + (week - 1).
int WeekNumber(int day);
inline int WeekYear(int weekNumber) {
    return weekNumber >= 0 ? weekNumber / kWeeksPerYear : (weekNumber - kWeeksPerYear + 1) / kWeeksPerYear;
}
inline int WeekOfYear(int weekNumber) {
    return weekNumber - WeekYear(weekNumber) * kWeeksPerYear + 1;
}
// The first and the last day of a grid week.
int WeekFirstDay(int weekNumber);
int WeekLastDay(int weekNumber);

// Calendar steps: the same day `months` months (or years) earlier, on the month's last day when the
// month is shorter.
int MonthsBefore(int day, int months);

// Figures ------------------------------------------------------------------------------------------

struct PeriodReturns {
    std::optional<double> lastweek, lastmonth, lastquarter, lasthalfyear, thisyear;
    // Average yearly yields over 1, 2, 3 and 5 years: (1 + growth)^(1/N) - 1.
    std::optional<double> year1, year2, year3, year5;
};

struct YearReturn {
    int year = 0;
    double value = 0.0;
};

// Over the last `years` years of grid weeks, ending with the week of the latest day.
struct RiskFigures {
    int years = 0;
    double annualReturn = 0.0; // (1 + growth)^(1/years) - 1
    double standard = 0.0;     // population deviation of the weekly returns times the root of 52
};

struct FundFigures {
    bool empty = true; // no day at all: nothing below is set
    int latestDay = 0;
    double unit = 0.0;               // of the latest day
    double total = 0.0;              // of the latest day
    std::optional<double> dayGrowth; // the latest day's return; missing with a single day
    PeriodReturns periods;
    std::vector<YearReturn> years; // complete calendar years, ascending
    std::vector<RiskFigures> risk; // for 1, 2, 3 and 5 years, those the history covers
};

// Every figure of one fund. `days` ascending by day, one entry per day, unit values above zero.
// Figures are rounded to six decimals, as the database stores them.
FundFigures DeriveFund(std::span<const NavDay> days);

struct WeekReturn {
    int year = 0;
    int week = 0;
    double value = 0.0;
};

// An index's weekly returns, from the week after its first close to the week of its latest (which
// may be a week in progress). `closes` ascending, closes above zero.
std::vector<WeekReturn> IndexWeeks(std::span<const CloseDay> closes);

// A dividend or unit split that the values imply.
struct Payout {
    int day = 0;
    bool split = false;
    double amount = 0.0; // cash per unit (four decimals), or new units per old one
};

// The dividends of a history that comes without them: on a day where the accumulated value rose by
// more than the unit value, the difference was paid out. A payout that leaves a unit value of
// exactly 1 is a unit split (funds convert their units to a value of 1), any other a cash dividend.
// A unit value that never moves (a money-market fund paying its income every day) implies nothing.
std::vector<Payout> InferPayouts(std::span<const NavDay> days);

// Keeping the figures up to date day by day ---------------------------------------------------------

// What the figures of a fund need of its past, so that new days can be added without reading the
// history again: the growth at the last close of each of the last weeks, and the latest day.
// Growth is relative to `firstDay`, the earliest day the state was made from.
inline constexpr int kStateWeeks = 270; // five years of weeks and a margin
struct FundState {
    int firstDay = 0;
    int latestDay = 0;
    int lastWeek = 0;                             // the week number of latestDay, held by the last slot
    double unit = 0.0, total = 0.0, growth = 1.0; // of latestDay
    bool payoutsFromValues = false; // the fund's dividends are those its values imply (the importer's)
    std::array<double, kStateWeeks> weekEnd{}; // growth at each week's last close; -1 before the first day
};

FundState MakeState(std::span<const NavDay> days);

// The stored days from the last one on or before `from` through `to`, ascending; Advance asks for
// `from` the day before a week, so the first day it gets closes the week before.
using DayReader = std::function<std::vector<NavDay>(int from, int to)>;

// Adds days after the state's latest to the state and returns the fund's figures as of the new
// latest day: the same figures as DeriveFund over the whole history, except that `years` holds
// only the calendar years that the new days complete. Period starts before the new days are found
// through `read`, a week of days at most each.
FundFigures Advance(FundState& state, std::span<const NavDay> newDays, const DayReader& read);

// The state as bytes for the database, and back; nullopt for bytes of another layout.
std::string StateBytes(const FundState& state);
std::optional<FundState> StateFromBytes(const void* bytes, std::size_t size);

// Rounds to `decimals` places, as the tables store figures.
double Round(double value, int decimals);

} // namespace Derive
