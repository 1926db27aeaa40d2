// The derivation of a fund's and an index's figures from their daily values.
#include "FundDerivation.h"

#include <sdk/CivilDays.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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

// One day's growth factor with dividends reinvested; a day without an accumulated value (on either
// side) falls back to the unit values, as the growth page does.
double DayFactor(const NavDay& before, const NavDay& day) {
    if (std::isnan(day.total) || std::isnan(before.total))
        return day.unit / before.unit;
    return 1.0 + (day.total - before.total) / before.unit;
}

// The growth of money invested at the close of each day, relative to the first day: the product of
// the days' factors.
std::vector<double> GrowthIndex(std::span<const NavDay> days) {
    std::vector<double> growth(days.size(), 1.0);
    for (std::size_t i = 1; i < days.size(); ++i)
        growth[i] = growth[i - 1] * DayFactor(days[i - 1], days[i]);
    return growth;
}

// The calendar years a history ending on `latest` holds whole are those up to this one.
int LastCompleteYear(int latest) {
    const int year = CivilDays::ToDate(latest).year;
    return latest >= LastWeekdayOfYear(year) ? year : year - 1;
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

// Risk figures from the growth at the last close of each of the last 260 weeks and the one before
// (`weekEnd[0]` is 260 weeks before `weekEnd[260]`, the latest week); a negative entry is a week
// before the first day.
std::vector<RiskFigures> RiskOf(const double* weekEnd, double latestGrowth) {
    constexpr int kMaxWeeks = 5 * kWeeksPerYear;
    std::vector<RiskFigures> risk;
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
        const double total = latestGrowth / weekEnd[baseSlot];
        risk.push_back(
            {years, Round(std::pow(total, 1.0 / years) - 1.0, 6), Round(std::sqrt(variance * 52.0), 6)});
    }
    return risk;
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
    const int lastCompleteYear = LastCompleteYear(latest.day);
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
    figures.risk = RiskOf(weekEnd.data(), growth[n - 1]);
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
        if (!(paid >= kLeast)) // also a day without an accumulated value
            continue;
        if (std::fabs(days[i].unit - 1.0) < 0.00005)
            payouts.push_back({days[i].day, true, Round((days[i].unit + paid) / days[i].unit, 4)});
        else
            payouts.push_back({days[i].day, false, Round(paid, 4)});
    }
    return payouts;
}

// Keeping the figures up to date ===================================================================

FundState MakeState(std::span<const NavDay> days) {
    FundState state;
    state.weekEnd.fill(-1.0);
    if (days.empty())
        return state;
    const std::vector<double> growth = GrowthIndex(days);
    state.firstDay = days.front().day;
    state.latestDay = days.back().day;
    state.lastWeek = WeekNumber(state.latestDay);
    state.unit = days.back().unit;
    state.total = days.back().total;
    state.growth = growth.back();
    for (int k = 0; k < kStateWeeks; ++k) {
        const int at = LastOnOrBefore(days, WeekLastDay(state.lastWeek - (kStateWeeks - 1) + k));
        if (at >= 0)
            state.weekEnd[static_cast<std::size_t>(k)] = growth[static_cast<std::size_t>(at)];
    }
    return state;
}

FundFigures Advance(FundState& state, std::span<const NavDay> newDays, const DayReader& read) {
    FundFigures figures;
    if (newDays.empty())
        return figures;
    const FundState before = state;
    // The new days' growth, from the latest day the state knew.
    std::vector<double> newGrowth(newDays.size());
    NavDay previous{before.latestDay, before.unit, before.total};
    double growth = before.growth;
    for (std::size_t i = 0; i < newDays.size(); ++i) {
        growth *= DayFactor(previous, newDays[i]);
        newGrowth[i] = growth;
        previous = newDays[i];
    }
    // Move the weeks on. A week from the old latest day's on ends with the last new day in or
    // before it, or else still with the old latest day.
    const int lastWeek = WeekNumber(newDays.back().day);
    const int shift = lastWeek - before.lastWeek;
    FundState& after = state;
    std::size_t next = 0;
    for (int k = 0; k < kStateWeeks; ++k) {
        const int week = lastWeek - (kStateWeeks - 1) + k;
        if (week < before.lastWeek) {
            after.weekEnd[static_cast<std::size_t>(k)] = before.weekEnd[static_cast<std::size_t>(k + shift)];
            continue;
        }
        while (next < newDays.size() && newDays[next].day <= WeekLastDay(week))
            ++next;
        after.weekEnd[static_cast<std::size_t>(k)] = next > 0 ? newGrowth[next - 1] : before.growth;
    }
    after.latestDay = newDays.back().day;
    after.lastWeek = lastWeek;
    after.unit = newDays.back().unit;
    after.total = newDays.back().total;
    after.growth = growth;

    // The growth at the last close on or before `day`; nullopt before the first day.
    auto growthAt = [&](int day) -> std::optional<double> {
        if (day < before.firstDay)
            return std::nullopt;
        if (day >= newDays.front().day) {
            std::size_t at = 0;
            while (at + 1 < newDays.size() && newDays[at + 1].day <= day)
                ++at;
            return newGrowth[at];
        }
        if (day >= before.latestDay)
            return before.growth;
        // From the close before the day's week (a stored week end) through the day.
        const int week = WeekNumber(day);
        const int slot = week - 1 - (before.lastWeek - (kStateWeeks - 1));
        if (slot < 0)
            return std::nullopt; // further back than the state reaches: not asked for
        double value = before.weekEnd[static_cast<std::size_t>(slot)];
        const std::vector<NavDay> days = read(WeekFirstDay(week) - 1, day);
        if (days.empty())
            return std::nullopt;
        if (value < 0.0) {
            // The history starts in this week: growth 1 on its first day.
            if (days.front().day != before.firstDay)
                return std::nullopt;
            value = 1.0;
        } else if (days.front().day >= WeekFirstDay(week)) {
            return std::nullopt; // the close before the week is not in the history
        }
        for (std::size_t i = 1; i < days.size() && days[i].day <= day; ++i)
            value *= DayFactor(days[i - 1], days[i]);
        return value;
    };
    auto since = [&](int day) -> std::optional<double> {
        const std::optional<double> base = growthAt(day);
        if (!base)
            return base;
        return after.growth / *base - 1.0;
    };
    const NavDay& latest = newDays.back();
    figures.empty = false;
    figures.latestDay = latest.day;
    figures.unit = latest.unit;
    figures.total = latest.total;
    const double previousGrowth = newDays.size() >= 2 ? newGrowth[newDays.size() - 2] : before.growth;
    figures.dayGrowth = Round(after.growth / previousGrowth - 1.0, 6);
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
    periods.thisyear = Rounded(since(CivilDays::FromDate(YearOf(latest.day) - 1, 12, 31)));
    periods.year1 = Rounded(yearly(1));
    periods.year2 = Rounded(yearly(2));
    periods.year3 = Rounded(yearly(3));
    periods.year5 = Rounded(yearly(5));
    // The years the new days complete: both ends are week ends (week 52 ends on 31 December).
    auto yearEnd = [&](int year) -> double {
        const int slot = year * kWeeksPerYear + kWeeksPerYear - 1 - (lastWeek - (kStateWeeks - 1));
        return slot >= 0 && slot < kStateWeeks ? after.weekEnd[static_cast<std::size_t>(slot)] : -1.0;
    };
    for (int year = LastCompleteYear(before.latestDay) + 1; year <= LastCompleteYear(latest.day); ++year) {
        const double base = yearEnd(year - 1), end = yearEnd(year);
        if (base > 0.0 && end > 0.0 && year > YearOf(before.firstDay))
            figures.years.push_back({year, Round(end / base - 1.0, 6)});
    }
    figures.risk = RiskOf(after.weekEnd.data() + (kStateWeeks - 1 - 5 * kWeeksPerYear), after.growth);
    return figures;
}

namespace {
struct StateLayout {
    std::int32_t version;
    std::int32_t firstDay, latestDay, lastWeek, flags;
    double unit, total, growth;
    double weekEnd[kStateWeeks];
};
constexpr std::int32_t kStateVersion = 2;
} // namespace

std::string StateBytes(const FundState& state) {
    StateLayout layout{};
    layout.version = kStateVersion;
    layout.firstDay = state.firstDay;
    layout.latestDay = state.latestDay;
    layout.lastWeek = state.lastWeek;
    layout.flags = state.payoutsFromValues ? 1 : 0;
    layout.unit = state.unit;
    layout.total = state.total;
    layout.growth = state.growth;
    std::memcpy(layout.weekEnd, state.weekEnd.data(), sizeof layout.weekEnd);
    return std::string(reinterpret_cast<const char*>(&layout), sizeof layout);
}

std::optional<FundState> StateFromBytes(const void* bytes, std::size_t size) {
    StateLayout layout{};
    if (bytes == nullptr || size != sizeof layout)
        return std::nullopt;
    std::memcpy(&layout, bytes, sizeof layout);
    if (layout.version != kStateVersion || layout.lastWeek != WeekNumber(layout.latestDay))
        return std::nullopt;
    FundState state;
    state.firstDay = layout.firstDay;
    state.latestDay = layout.latestDay;
    state.lastWeek = layout.lastWeek;
    state.payoutsFromValues = (layout.flags & 1) != 0;
    state.unit = layout.unit;
    state.total = layout.total;
    state.growth = layout.growth;
    std::memcpy(state.weekEnd.data(), layout.weekEnd, sizeof layout.weekEnd);
    return state;
}

} // namespace Derive
