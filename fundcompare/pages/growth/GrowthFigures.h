// GrowthFigures: the return and risk figures of one line of a GrowthPanel, and the correlation
// matrix of several. docs/growth-figures.md gives every definition with a worked example; in
// short, over the daily returns r of the line's days in the range (n of them):
//   区间收益     W_last / W_first - 1
//   年化收益     (1 + 区间收益)^(1 / years) - 1, years counted on the calendar
//   年化波动率   sample standard deviation of r times sqrt(252)
//   最大回撤     the lowest W / (highest W so far) - 1, with the days of that peak and trough
//   夏普比率     mean(r - rf) / sd(r) * sqrt(252)
//   索提诺比率   mean(r - rf) * 252 / (sqrt(mean(min(0, r - rf)^2)) * sqrt(252))
//   卡玛比率     年化收益 / |最大回撤|
//   贝塔         cov(r, r_index) / var(r_index), over the days both have a return
//   阿尔法       (mean(r - rf) - 贝塔 * mean(r_index - rf)) * 252
//   相关系数     cov(r, r_index) / (sd(r) * sd(r_index))
// where rf is the daily risk-free rate (1 + yearly rate)^(1/252) - 1. A figure that cannot be
// computed (too few days, no variation, no index) is NaN.
#pragma once

#include "pages/growth/GrowthPanel.h"

#include <limits>
#include <vector>

namespace GrowthFigures {

inline constexpr double kTradingDaysPerYear = 252.0;

struct Figures {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
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

// The figures of line `line` against line `indexLine` (-1 for no index), with a risk-free rate
// given as a yearly fraction (0.015 for 1.5 %).
Figures Compute(const GrowthPanel& panel, size_t line, int indexLine, double riskFreeRate);

// The correlation of the daily returns of every pair of the given lines over the days both have a
// return: a row-major n x n matrix, NaN where a pair shares fewer than two returns or a line does
// not vary.
std::vector<double> CorrelationMatrix(const GrowthPanel& panel, const std::vector<size_t>& lines);

} // namespace GrowthFigures
