// The derivation of a fund's and an index's figures from their daily values.
#include "FundDerivation.h"

#include <sdk/CivilDays.h>

#include <algorithm>
#include <cmath>

namespace Derive {
namespace {

int YearOf(int day) {
    return CivilDays::ToDate(day).year;
}

// The last Monday-to-Friday day of a year: a history that reaches it has the whole year.
int LastWeekdayOfYear(int year) {
    int day = CivilDays::FromDate(year, 12, 31);
    // 1970-01-01 was a Thursday; Monday is 0.
    while (((day % 7) + 7 + 3) % 7 >= 5)
        --day;
    return day;
}

// The growth of money invested at the close of each day, relative to the first day: the product of
// the days' (1 + return) with dividends reinvested.
std::vector<double> GrowthIndex(std::span<const NavDay> days) {
    std::vector<double> growth(days.size(), 1.0);
    for (std::size_t i = 1; i < days.size(); ++i)
        growth[i] = growth[i - 1] * (1.0 + (days[i].total - days[i - 1].total) / days[i - 1].unit);
    return growth;
}

// The index of the last day on or before `day`; -1 when the history starts later.
template <class Day>
int LastOnOrBefore(std::span<const Day> days, int day) {
    const auto it = std::upper_bound(days.begin(), days.end(), day,
                                     [](int value, const Day& d) { return value < d.day; });
    return static_cast<int>(it - days.begin()) - 1;
}

std::optional<double> Rounded(std::optional<double> value) {
    if (value)
        return Round(*value, 6);
    return value;
}

} // namespace

double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

int WeekNumber(int day) {
    const int year = YearOf(day);
    const int week = std::min((day - CivilDays::FromDate(year, 1, 1)) / 7, kWeeksPerYear - 1);
    return year * kWeeksPerYear + week;
}

int WeekFirstDay(int weekNumber) {
    return CivilDays::FromDate(WeekYear(weekNumber), 1, 1) + 7 * (WeekOfYear(weekNumber) - 1);
}

int WeekLastDay(int weekNumber) {
    if (WeekOfYear(weekNumber) == kWeeksPerYear)
        return CivilDays::FromDate(WeekYear(weekNumber) + 1, 1, 1) - 1;
    return WeekFirstDay(weekNumber) + 6;
}

int MonthsBefore(int day, int months) {
    const CivilDays::Date date = CivilDays::ToDate(day);
    int month = date.year * 12 + (date.month - 1) - months;
    const int year = month >= 0 ? month / 12 : (month - 11) / 12;
    month = month - year * 12 + 1;
    const int monthLength =
        CivilDays::FromDate(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1) -
        CivilDays::FromDate(year, month, 1);
    return CivilDays::FromDate(year, month, std::min(date.day, monthLength));
}

FundFigures DeriveFund(std::span<const NavDay> days) {
    FundFigures figures;
    if (days.empty())
        return figures;
    figures.empty = false;
    const int n = static_cast<int>(days.size());
    const NavDay& latest = days.back();
    figures.latestDay = latest.day;
    figures.unit = latest.unit;
    figures.total = latest.total;
    const std::vector<double> growth = GrowthIndex(days);
    if (n >= 2)
        figures.dayGrowth = Round(growth[n - 1] / growth[n - 2] - 1.0, 6);

    // Growth from the close of the last day on or before `day` to the latest close.
    auto since = [&](int day) -> std::optional<double> {
        const int base = LastOnOrBefore(days, day);
        if (base < 0)
            return std::nullopt;
        return growth[n - 1] / growth[base] - 1.0;
    };
    auto yearly = [&](int years) -> std::optional<double> {
        const auto value = since(MonthsBefore(latest.day, 12 * years));
        if (!value)
            return value;
        return std::pow(1.0 + *value, 1.0 / years) - 1.0;
    };
    PeriodReturns& periods = figures.periods;
    periods.lastweek = Rounded(since(latest.day - 7));
    periods.lastmonth = Rounded(since(MonthsBefore(latest.day, 1)));
    periods.lastquarter = Rounded(since(MonthsBefore(latest.day, 3)));
    periods.lasthalfyear = Rounded(since(MonthsBefore(latest.day, 6)));
    const int latestYear = YearOf(latest.day);
    periods.thisyear = Rounded(since(CivilDays::FromDate(latestYear - 1, 12, 31)));
    periods.year1 = Rounded(yearly(1));
    periods.year2 = Rounded(yearly(2));
    periods.year3 = Rounded(yearly(3));
    periods.year5 = Rounded(yearly(5));

    // Calendar years that the history covers from the year before's last close to the year's end.
    const int lastCompleteYear = latest.day >= LastWeekdayOfYear(latestYear) ? latestYear : latestYear - 1;
    for (int year = YearOf(days.front().day) + 1; year <= lastCompleteYear; ++year) {
        const int base = LastOnOrBefore(days, CivilDays::FromDate(year - 1, 12, 31));
        const int end = LastOnOrBefore(days, CivilDays::FromDate(year, 12, 31));
        figures.years.push_back({year, Round(growth[end] / growth[base] - 1.0, 6)});
    }

    // Risk: the weeks of the grid up to the latest day's; each week's growth from the close of the
    // week before. `weekEnd[k]` is the growth at the last close of week (last - 260 + k), or a
    // negative number when the history starts after that week.
    constexpr int kMaxWeeks = 5 * kWeeksPerYear;
    const int lastWeek = WeekNumber(latest.day);
    std::vector<double> weekEnd(kMaxWeeks + 1, -1.0);
    for (int k = 0; k <= kMaxWeeks; ++k) {
        const int at = LastOnOrBefore(days, WeekLastDay(lastWeek - kMaxWeeks + k));
        if (at >= 0)
            weekEnd[k] = growth[at];
    }
    for (int years : {1, 2, 3, 5}) {
        const int weeks = years * kWeeksPerYear;
        const int baseSlot = kMaxWeeks - weeks;
        if (weekEnd[baseSlot] < 0.0)
            continue;
        double mean = 0.0;
        for (int k = baseSlot + 1; k <= kMaxWeeks; ++k)
            mean += weekEnd[k] / weekEnd[k - 1] - 1.0;
        mean /= weeks;
        double variance = 0.0;
        for (int k = baseSlot + 1; k <= kMaxWeeks; ++k) {
            const double r = weekEnd[k] / weekEnd[k - 1] - 1.0;
            variance += (r - mean) * (r - mean);
        }
        variance /= weeks;
        // The same base close as the yearly yields when the latest day ends a grid week that ends a
        // year, so that both tables then agree to the last digit.
        const double total = growth[n - 1] / weekEnd[baseSlot];
        figures.risk.push_back(
            {years, Round(std::pow(total, 1.0 / years) - 1.0, 6), Round(std::sqrt(variance * 52.0), 6)});
    }
    return figures;
}

std::vector<WeekReturn> IndexWeeks(std::span<const CloseDay> closes) {
    std::vector<WeekReturn> weeks;
    if (closes.empty())
        return weeks;
    const int first = WeekNumber(closes.front().day);
    const int last = WeekNumber(closes.back().day);
    std::size_t at = 0;
    double previous = 0.0;
    for (int k = first; k <= last; ++k) {
        const int end = WeekLastDay(k);
        while (at + 1 < closes.size() && closes[at + 1].day <= end)
            ++at;
        const double close = closes[at].close;
        if (k > first)
            weeks.push_back({WeekYear(k), WeekOfYear(k), Round(close / previous - 1.0, 6)});
        previous = close;
    }
    return weeks;
}

std::vector<Payout> InferPayouts(std::span<const NavDay> days) {
    std::vector<Payout> payouts;
    if (days.size() < 2)
        return payouts;
    const bool moves =
        std::any_of(days.begin(), days.end(), [&](const NavDay& d) { return d.unit != days.front().unit; });
    if (!moves)
        return payouts;
    // Values of four or six decimals carry rounding of up to half a unit of the last place each; a
    // real payout is announced in whole ten-thousandths and is far larger.
    constexpr double kLeast = 0.0005;
    for (std::size_t i = 1; i < days.size(); ++i) {
        const double paid = (days[i].total - days[i - 1].total) - (days[i].unit - days[i - 1].unit);
        if (paid < kLeast)
            continue;
        if (std::fabs(days[i].unit - 1.0) < 0.00005)
            payouts.push_back({days[i].day, true, Round((days[i].unit + paid) / days[i].unit, 4)});
        else
            payouts.push_back({days[i].day, false, Round(paid, 4)});
    }
    return payouts;
}

} // namespace Derive
