// GrowthFigures: returns, drawdown, risk-adjusted ratios, index statistics and correlations.
#include "pages/growth/GrowthFigures.h"

#include "pages/growth/GrowthDates.h"

#include <algorithm>
#include <cmath>

namespace GrowthFigures {
namespace {

// The daily return at a position, NaN where the line lacks the day or the day before.
double ReturnAt(const GrowthPanel::Line& line, int p) {
    if (p <= line.first || p > line.last)
        return Figures::kNone;
    return line.wealth[static_cast<size_t>(p)] / line.wealth[static_cast<size_t>(p) - 1] - 1.0;
}

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

Figures ComputeRaw(const GrowthPanel& panel, size_t lineIndex, int indexLine, double riskFreeRate) {
    Figures f;
    if (lineIndex >= panel.lines.size())
        return f;
    const GrowthPanel::Line& line = panel.lines[lineIndex];
    if (!line.HasValues())
        return f;
    const double rf = DailyRate(riskFreeRate);
    const double firstWealth = line.wealth[static_cast<size_t>(line.first)];
    const double lastWealth = line.wealth[static_cast<size_t>(line.last)];
    if (!line.HasReturns())
        return f;

    f.totalReturn = lastWealth / firstWealth - 1.0;
    const double years = GrowthDates::YearsBetween(panel.days[static_cast<size_t>(line.first)],
                                                   panel.days[static_cast<size_t>(line.last)]);
    if (years > 0.0)
        f.annualReturn = std::pow(1.0 + f.totalReturn, 1.0 / years) - 1.0;

    // Drawdown: the deepest fall below the highest value reached so far.
    double peak = firstWealth;
    int peakPosition = line.first;
    f.maxDrawdown = 0.0;
    for (int p = line.first; p <= line.last; ++p) {
        const double w = line.wealth[static_cast<size_t>(p)];
        if (w > peak) {
            peak = w;
            peakPosition = p;
        }
        const double drawdown = w / peak - 1.0;
        if (drawdown < f.maxDrawdown) {
            f.maxDrawdown = drawdown;
            f.peakDay = panel.days[static_cast<size_t>(peakPosition)];
            f.troughDay = panel.days[static_cast<size_t>(p)];
        }
    }
    if (f.maxDrawdown < 0.0 && !std::isnan(f.annualReturn))
        f.calmar = f.annualReturn / -f.maxDrawdown;

    // Moments of the daily returns (two passes, for accuracy on nearly constant series).
    const int n = line.last - line.first;
    double sum = 0.0;
    for (int p = line.first + 1; p <= line.last; ++p)
        sum += ReturnAt(line, p);
    const double mean = sum / n;
    double squares = 0.0, downside = 0.0;
    for (int p = line.first + 1; p <= line.last; ++p) {
        const double r = ReturnAt(line, p);
        squares += (r - mean) * (r - mean);
        const double below = std::min(0.0, r - rf);
        downside += below * below;
    }
    const double excess = mean - rf;
    if (n >= 2) {
        const double sd = std::sqrt(squares / (n - 1));
        f.volatility = sd * std::sqrt(kTradingDaysPerYear);
        if (sd > kFlat)
            f.sharpe = excess / sd * std::sqrt(kTradingDaysPerYear);
    }
    const double downsideDeviation = std::sqrt(downside / n);
    if (downsideDeviation > kFlat)
        f.sortino = excess * kTradingDaysPerYear / (downsideDeviation * std::sqrt(kTradingDaysPerYear));

    // Against the index, over the days on which both have a return.
    if (indexLine < 0 || static_cast<size_t>(indexLine) >= panel.lines.size())
        return f;
    const GrowthPanel::Line& index = panel.lines[static_cast<size_t>(indexLine)];
    const int from = std::max(line.first, index.first) + 1;
    const int to = std::min(line.last, index.last);
    const int pairs = to - from + 1;
    if (index.first < 0 || pairs < 2)
        return f;
    double sumF = 0.0, sumI = 0.0;
    for (int p = from; p <= to; ++p) {
        sumF += ReturnAt(line, p);
        sumI += ReturnAt(index, p);
    }
    const double meanF = sumF / pairs, meanI = sumI / pairs;
    double covariance = 0.0, varianceF = 0.0, varianceI = 0.0;
    for (int p = from; p <= to; ++p) {
        const double a = ReturnAt(line, p) - meanF, b = ReturnAt(index, p) - meanI;
        covariance += a * b;
        varianceF += a * a;
        varianceI += b * b;
    }
    const double flat = kFlat * kFlat * (pairs - 1);
    if (varianceI > flat) {
        f.beta = covariance / varianceI;
        f.alpha = ((meanF - rf) - f.beta * (meanI - rf)) * kTradingDaysPerYear;
        if (varianceF > flat)
            f.correlation = std::clamp(covariance / std::sqrt(varianceF * varianceI), -1.0, 1.0);
    }
    return f;
}

} // namespace

Figures Compute(const GrowthPanel& panel, size_t lineIndex, int indexLine, double riskFreeRate) {
    return Finite(ComputeRaw(panel, lineIndex, indexLine, riskFreeRate));
}

std::vector<double> CorrelationMatrix(const GrowthPanel& panel, const std::vector<size_t>& lines) {
    const size_t n = lines.size();
    std::vector<double> matrix(n * n, Figures::kNone);
    const size_t positions = panel.days.size();

    // Each line's returns, 0 where it has none, with prefix sums of the returns and their squares,
    // so that any pair's overlap (one interval, as every line's days are) costs one dot product.
    struct Prepared {
        std::vector<double> r;
        std::vector<double> sum, squares; // prefix: over positions [0, p)
        int from = 0, to = -1;            // positions with a return
    };
    std::vector<Prepared> prepared(n);
    for (size_t k = 0; k < n; ++k) {
        Prepared& item = prepared[k];
        item.r.assign(positions, 0.0);
        item.sum.assign(positions + 1, 0.0);
        item.squares.assign(positions + 1, 0.0);
        if (lines[k] >= panel.lines.size())
            continue;
        const GrowthPanel::Line& line = panel.lines[lines[k]];
        if (!line.HasReturns())
            continue;
        item.from = line.first + 1;
        item.to = line.last;
        for (int p = item.from; p <= item.to; ++p)
            item.r[static_cast<size_t>(p)] = ReturnAt(line, p);
        for (size_t p = 0; p < positions; ++p) {
            item.sum[p + 1] = item.sum[p] + item.r[p];
            item.squares[p + 1] = item.squares[p] + item.r[p] * item.r[p];
        }
    }

    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i; j < n; ++j) {
            const Prepared& a = prepared[i];
            const Prepared& b = prepared[j];
            const int from = std::max(a.from, b.from), to = std::min(a.to, b.to);
            const int count = to - from + 1;
            if (count < 2)
                continue;
            const size_t lo = static_cast<size_t>(from), hi = static_cast<size_t>(to) + 1;
            const double sa = a.sum[hi] - a.sum[lo], sb = b.sum[hi] - b.sum[lo];
            const double ssa = a.squares[hi] - a.squares[lo], ssb = b.squares[hi] - b.squares[lo];
            const double qa = ssa - sa * sa / count, qb = ssb - sb * sb / count;
            double cross = 0.0;
            const double* x = a.r.data();
            const double* y = b.r.data();
            for (size_t p = lo; p < hi; ++p)
                cross += x[p] * y[p];
            cross -= sa * sb / count;
            // The sums of squares come out of a subtraction, which leaves rounding of the size of
            // the terms; a line that does not move leaves only that.
            const double flat = kFlat * kFlat * (count - 1);
            if (qa <= flat + 1e-12 * ssa || qb <= flat + 1e-12 * ssb)
                continue;
            const double value = std::clamp(cross / std::sqrt(qa * qb), -1.0, 1.0);
            matrix[i * n + j] = value;
            matrix[j * n + i] = value;
        }
    }
    return matrix;
}

} // namespace GrowthFigures
