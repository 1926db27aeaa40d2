// The trading calendar of the weekly grid, the spreading of weeks over days and the walk of net values.
#include "DailyHistory.h"

#include <sdk/CivilDays.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace SampleDb {
namespace {

// 1970-01-01 was a Thursday; Monday is 0.
int Weekday(int day) {
    return ((day % 7) + 7 + 3) % 7;
}

constexpr int kWeeksPerYear = 52;

} // namespace

int TradingCalendar::FirstOnOrAfter(int day) const {
    return static_cast<int>(std::lower_bound(days.begin(), days.end(), day) - days.begin());
}

TradingCalendar MakeTradingCalendar(int firstYear, int years) {
    TradingCalendar calendar;
    int before = CivilDays::FromDate(firstYear, 1, 1) - 1;
    while (Weekday(before) >= 5)
        --before;
    calendar.days.push_back(before);
    calendar.text.push_back(CivilDays::Text(before));
    calendar.week.push_back(-1);
    for (int y = firstYear; y < firstYear + years; ++y) {
        const int yearStart = CivilDays::FromDate(y, 1, 1);
        const int nextYear = CivilDays::FromDate(y + 1, 1, 1);
        for (int w = 0; w < kWeeksPerYear; ++w) {
            calendar.weekStart.push_back(static_cast<int>(calendar.days.size()));
            const int from = yearStart + 7 * w;
            const int to = w == kWeeksPerYear - 1 ? nextYear : from + 7;
            for (int day = from; day < to; ++day) {
                if (Weekday(day) >= 5)
                    continue;
                calendar.days.push_back(day);
                calendar.text.push_back(CivilDays::Text(day));
                calendar.week.push_back((y - firstYear) * kWeeksPerYear + w);
            }
        }
    }
    calendar.weekStart.push_back(static_cast<int>(calendar.days.size()));
    return calendar;
}

void SpreadWeek(Prng& rng, double weekly, const double* shared, double beta, double dailySd, double* out,
                int count) {
    if (count <= 0)
        return;
    double sharedSum = 0.0;
    if (shared != nullptr)
        for (int k = 0; k < count; ++k)
            sharedSum += shared[k];
    const double rest = (weekly - beta * sharedSum) / count;
    double noiseMean = 0.0;
    for (int k = 0; k < count; ++k) {
        out[k] = dailySd > 0.0 ? dailySd * rng.Normal() : 0.0;
        noiseMean += out[k];
    }
    noiseMean /= count;
    for (int k = 0; k < count; ++k)
        out[k] += (shared != nullptr ? beta * shared[k] : 0.0) + rest - noiseMean;
}

NetValuePath WalkNetValues(const TradingCalendar& calendar, int first, const std::vector<double>& dailyLog,
                           double startUnit, double startDividends, const std::vector<Payout>& payouts,
                           bool fixedUnit) {
    NetValuePath path;
    const int count = static_cast<int>(calendar.days.size());
    path.first = std::clamp(first, 0, count);
    path.unit.reserve(static_cast<size_t>(count - path.first));
    path.total.reserve(static_cast<size_t>(count - path.first));

    // Each payout lands on the first trading day on or after its date.
    std::vector<Payout> byIndex = payouts;
    for (Payout& payout : byIndex)
        payout.day = calendar.FirstOnOrAfter(payout.day);
    std::sort(byIndex.begin(), byIndex.end(), [](const Payout& a, const Payout& b) { return a.day < b.day; });
    size_t next = 0;
    while (next < byIndex.size() && byIndex[next].day < path.first)
        ++next;

    double unit = startUnit;
    double total = startUnit + startDividends;
    for (int i = path.first; i < count; ++i) {
        // The starting values are those of the evening before the first day, so the first day
        // grows too (its growth is 0 when the fund was still being launched).
        const double growth = std::exp(dailyLog[static_cast<size_t>(i)]);
        total += unit * (growth - 1.0);
        if (!fixedUnit)
            unit *= growth;
        for (; next < byIndex.size() && byIndex[next].day == i; ++next) {
            const Payout& payout = byIndex[next];
            if (fixedUnit)
                continue;
            Payout applied = payout;
            if (payout.split) {
                if (applied.amount <= 0.0)
                    applied.amount = std::round(unit * 10000.0) / 10000.0;
                if (applied.amount > 0.0)
                    unit /= applied.amount;
            } else {
                // A fund never pays out (nearly) all it is worth; the cap only guards against an
                // extreme week that the weekly dividend rule could not foresee.
                applied.amount = std::min(payout.amount, 0.8 * unit);
                unit -= applied.amount;
            }
            path.applied.push_back(applied);
        }
        path.unit.push_back(unit);
        path.total.push_back(total);
    }
    return path;
}

} // namespace SampleDb
