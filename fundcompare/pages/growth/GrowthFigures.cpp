// GrowthFigures: returns, drawdown, risk-adjusted ratios, index statistics and correlations.
#include "pages/growth/GrowthFigures.h"

#include "pages/growth/GrowthDates.h"

#include <algorithm>
#include <cmath>

namespace GrowthFigures {
namespace {

// A standard deviation of daily returns below this is rounding, not movement: a line that rises
// by the same rate every day has none, and a ratio over it would be noise.
constexpr double kFlat = 1e-10;

double DailyRate(double yearly) {
    return std::pow(1.0 + yearly, 1.0 / kTradingDaysPerYear) - 1.0;
}

// Absurd data (a wealth of 1e300 after a day of 1e-300) can overflow a figure; such a figure is as
// good as missing.
Figures Finite(Figures f) {
    for (double* value : {&f.totalReturn, &f.annualReturn, &f.volatility, &f.maxDrawdown, &f.sharpe,
                          &f.sortino, &f.calmar, &f.beta, &f.alpha, &f.correlation})
        if (!std::isfinite(*value))
            *value = Figures::kNone;
    return f;
}

// The returns of two series between the days both have in their windows, in day order.
void PairReturns(const GrowthSeries& a, Window wa, const GrowthSeries& b, Window wb, std::vector<double>& ra,
                 std::vector<double>& rb) {
    ra.clear();
    rb.clear();
    size_t i = wa.from, j = wb.from;
    bool matched = false;
    size_t pi = 0, pj = 0;
    while (i < wa.to && j < wb.to) {
        const int da = a.days[i], db = b.days[j];
        if (da < db) {
            ++i;
        } else if (db < da) {
            ++j;
        } else {
            if (matched) {
                ra.push_back(a.wealth[i] / a.wealth[pi] - 1.0);
                rb.push_back(b.wealth[j] / b.wealth[pj] - 1.0);
            }
            matched = true;
            pi = i++;
            pj = j++;
        }
    }
}

// Means and sums of squared and crossed deviations of paired returns (two passes, for accuracy
// on nearly constant series).
struct Moments {
    size_t count = 0;
    double meanA = 0.0, meanB = 0.0;
    double squaresA = 0.0, squaresB = 0.0, cross = 0.0;
};

Moments MomentsOf(const std::vector<double>& ra, const std::vector<double>& rb) {
    Moments m;
    m.count = ra.size();
    if (m.count == 0)
        return m;
    for (size_t k = 0; k < m.count; ++k) {
        m.meanA += ra[k];
        m.meanB += rb[k];
    }
    m.meanA /= static_cast<double>(m.count);
    m.meanB /= static_cast<double>(m.count);
    for (size_t k = 0; k < m.count; ++k) {
        const double x = ra[k] - m.meanA, y = rb[k] - m.meanB;
        m.squaresA += x * x;
        m.squaresB += y * y;
        m.cross += x * y;
    }
    return m;
}

// Whether a sum of squared deviations over `count` returns is only rounding.
bool Flat(double squares, size_t count) {
    return squares <= kFlat * kFlat * static_cast<double>(count > 1 ? count - 1 : 1);
}

Figures ComputeRaw(const GrowthSeries& series, const GrowthSeries* index, int start, int end,
                   double riskFreeRate) {
    Figures f;
    const Window w = InRange(series, start, end);
    if (w.Count() == 0)
        return f;
    f.firstDay = series.days[w.from];
    f.lastDay = series.days[w.to - 1];
    if (w.Count() < 2)
        return f;
    const double rf = DailyRate(riskFreeRate);
    const double firstWealth = series.wealth[w.from];
    const double lastWealth = series.wealth[w.to - 1];

    f.totalReturn = lastWealth / firstWealth - 1.0;
    // A return over less than a year is not annualised: a good week would read as a four-digit
    // yearly rate. A series that was already trading when the range began counts the period from
    // the chosen start (which may be a day off), one that began later from its own first day; the
    // same holds at the end.
    const int measuredFrom = w.from > 0 ? std::min(start, f.firstDay) : f.firstDay;
    const int measuredTo = w.to < series.days.size() ? std::max(end, f.lastDay) : f.lastDay;
    const double years = GrowthDates::YearsBetween(f.firstDay, f.lastDay);
    if (GrowthDates::YearsBetween(measuredFrom, measuredTo) >= 1.0 && years > 0.0)
        f.annualReturn = std::pow(1.0 + f.totalReturn, 1.0 / years) - 1.0;

    // Drawdown: the deepest fall below the highest value reached so far.
    double peak = firstWealth;
    size_t peakPosition = w.from;
    f.maxDrawdown = 0.0;
    for (size_t p = w.from; p < w.to; ++p) {
        const double value = series.wealth[p];
        if (value > peak) {
            peak = value;
            peakPosition = p;
        }
        const double drawdown = value / peak - 1.0;
        if (drawdown < f.maxDrawdown) {
            f.maxDrawdown = drawdown;
            f.peakDay = series.days[peakPosition];
            f.troughDay = series.days[p];
        }
    }
    if (f.maxDrawdown < 0.0 && !std::isnan(f.annualReturn))
        f.calmar = f.annualReturn / -f.maxDrawdown;

    std::vector<double> returns;
    returns.reserve(w.Count() - 1);
    for (size_t p = w.from + 1; p < w.to; ++p)
        returns.push_back(series.wealth[p] / series.wealth[p - 1] - 1.0);
    const Moments own = MomentsOf(returns, returns);
    const size_t n = own.count;
    if (n >= 2) {
        const double sd = std::sqrt(own.squaresA / static_cast<double>(n - 1));
        f.volatility = sd * std::sqrt(kTradingDaysPerYear);
        // Both ratios need a line that moves: the downside of a flat line is only the risk-free
        // rate it falls short of, and a ratio over that says nothing about the fund.
        if (sd > kFlat) {
            const double excess = own.meanA - rf;
            f.sharpe = excess / sd * std::sqrt(kTradingDaysPerYear);
            double downside = 0.0;
            for (double r : returns) {
                const double below = std::min(0.0, r - rf);
                downside += below * below;
            }
            const double downsideDeviation = std::sqrt(downside / static_cast<double>(n));
            if (downsideDeviation > kFlat)
                f.sortino =
                    excess * kTradingDaysPerYear / (downsideDeviation * std::sqrt(kTradingDaysPerYear));
        }
    }

    // Against the index, over the days both have.
    if (index == nullptr)
        return f;
    std::vector<double> ra, rb;
    PairReturns(series, w, *index, InRange(*index, start, end), ra, rb);
    const Moments pair = MomentsOf(ra, rb);
    if (pair.count < 2 || Flat(pair.squaresB, pair.count))
        return f;
    f.beta = pair.cross / pair.squaresB;
    f.alpha = ((pair.meanA - rf) - f.beta * (pair.meanB - rf)) * kTradingDaysPerYear;
    if (!Flat(pair.squaresA, pair.count))
        f.correlation = std::clamp(pair.cross / std::sqrt(pair.squaresA * pair.squaresB), -1.0, 1.0);
    return f;
}

} // namespace

Window InRange(const GrowthSeries& series, int start, int end) {
    Window w;
    w.from = static_cast<size_t>(std::lower_bound(series.days.begin(), series.days.end(), start) -
                                 series.days.begin());
    w.to = static_cast<size_t>(std::upper_bound(series.days.begin(), series.days.end(), end) -
                               series.days.begin());
    if (w.to < w.from || series.wealth.size() < series.days.size())
        w.to = w.from;
    return w;
}

Figures Compute(const GrowthSeries& series, const GrowthSeries* index, int start, int end,
                double riskFreeRate) {
    return Finite(ComputeRaw(series, index, start, end, riskFreeRate));
}

std::vector<double> CorrelationMatrix(const std::vector<const GrowthSeries*>& series, int start, int end) {
    const size_t n = series.size();
    std::vector<double> matrix(n * n, Figures::kNone);
    std::vector<Window> windows(n);
    for (size_t k = 0; k < n; ++k)
        if (series[k] != nullptr)
            windows[k] = InRange(*series[k], start, end);
    std::vector<double> ra, rb;
    for (size_t i = 0; i < n; ++i) {
        if (windows[i].Count() < 3)
            continue;
        for (size_t j = i; j < n; ++j) {
            if (windows[j].Count() < 3)
                continue;
            PairReturns(*series[i], windows[i], *series[j], windows[j], ra, rb);
            const Moments m = MomentsOf(ra, rb);
            if (m.count < 2 || Flat(m.squaresA, m.count) || Flat(m.squaresB, m.count))
                continue;
            const double value = std::clamp(m.cross / std::sqrt(m.squaresA * m.squaresB), -1.0, 1.0);
            matrix[i * n + j] = value;
            matrix[j * n + i] = value;
        }
    }
    return matrix;
}

} // namespace GrowthFigures
