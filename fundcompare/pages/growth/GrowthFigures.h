// GrowthFigures: the return and risk figures of one series over a range, and the correlation
// matrix of several. docs/growth-figures.md gives every definition with a worked example; in
// short, over the daily returns r of the series' own days in the range (n of them):
//   区间收益     W_last / W_first - 1
//   年化收益     (1 + 区间收益)^(1 / years) - 1, years counted on the calendar; none under a year
//   年化波动率   sample standard deviation of r times sqrt(252)
//   最大回撤     the lowest W / (highest W so far) - 1, with the days of that peak and trough
//   夏普比率     mean(r - rf) / sd(r) * sqrt(252)
//   索提诺比率   mean(r - rf) * 252 / (sqrt(mean(min(0, r - rf)^2)) * sqrt(252))
//   卡玛比率     年化收益 / |最大回撤|
//   贝塔         cov(r, r_index) / var(r_index), over the days both series have
//   阿尔法       (mean(r - rf) - 贝塔 * mean(r_index - rf)) * 252
//   相关系数     cov(r, r_index) / (sd(r) * sd(r_index))
// where rf is the daily risk-free rate (1 + yearly rate)^(1/252) - 1. A figure that cannot be
// computed (too few days, no variation, no index, a period too short to annualise) is NaN.
//
// Every figure of a series depends only on that series (and, for the three against the index, on
// the index): a series is measured on its own trading days, and a pair on the days both have, so
// that adding or removing other funds never changes a fund's row.
#pragma once

#include "pages/growth/GrowthSeries.h"

#include <limits>
#include <vector>

namespace GrowthFigures {

inline constexpr double kTradingDaysPerYear = 252.0;

struct Figures {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    int firstDay = -1; // the series' first and last day in the range; -1 without one
    int lastDay = -1;
    double totalReturn = kNone; // fractions: 0.1 is 10 %
    double annualReturn = kNone;
    double volatility = kNone;
    double maxDrawdown = kNone; // 0 or negative
    int peakDay = -1;           // days of the largest drawdown's peak and trough; -1 without one
    int troughDay = -1;
    double sharpe = kNone;
    double sortino = kNone;
    double calmar = kNone;
    double beta = kNone;
    double alpha = kNone; // a yearly fraction
    double correlation = kNone;
};

// The positions of a series' days that lie in [start, end]: [from, to), empty when none do. The
// range starts on the series' first day on or after `start`, never on a day before it.
struct Window {
    size_t from = 0;
    size_t to = 0;
    size_t Count() const { return to - from; }
};
Window InRange(const GrowthSeries& series, int start, int end);

// The figures of `series` over [start, end] against `index` (null for none), with a risk-free rate
// given as a yearly fraction (0.015 for 1.5 %).
Figures Compute(const GrowthSeries& series, const GrowthSeries* index, int start, int end,
                double riskFreeRate);

// The correlation of the returns of every pair of the given series over [start, end], each pair on
// the days both have: a row-major n x n matrix, NaN where a pair shares fewer than two returns or
// a series does not vary (null entries give NaN rows).
std::vector<double> CorrelationMatrix(const std::vector<const GrowthSeries*>& series, int start, int end);

} // namespace GrowthFigures
