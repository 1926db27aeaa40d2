// The figures of the growth page against values worked out by hand (docs/growth-figures.md shows
// the working) on short series: flat, rising at a steady rate, one crash and recovery, and a fund
// that starts after the range; and the correlation matrix.
#include "pages/growth/GrowthFigures.h"
#include "pages/growth/GrowthDates.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using GrowthFigures::Compute;
using GrowthFigures::Figures;

// Six trading days from 2008-01-01 to 2010-01-01, so that the whole span is exactly two years.
std::vector<int> SixDays() {
    using GrowthDates::FromCivil;
    return {FromCivil(2008, 1, 1), FromCivil(2008, 6, 2), FromCivil(2008, 12, 1),
            FromCivil(2009, 5, 4), FromCivil(2009, 9, 1), FromCivil(2010, 1, 1)};
}

GrowthSeries Series(const std::vector<int>& days, const std::vector<double>& wealth) {
    GrowthSeries series;
    series.days = days;
    series.wealth = wealth;
    return series;
}

// The index: daily returns 1 %, -1 %, 2 %, -1 %, 2 %.
std::vector<double> IndexWealth() {
    std::vector<double> wealth{1.0};
    for (double r : {0.01, -0.01, 0.02, -0.01, 0.02})
        wealth.push_back(wealth.back() * (1.0 + r));
    return wealth;
}

struct Lines {
    std::vector<int> days = SixDays();
    GrowthSeries index = Series(days, IndexWealth());
    GrowthSeries flat = Series(days, {1, 1, 1, 1, 1, 1});
    GrowthSeries rising = Series(days, {1, 1.01, 1.0201, 1.030301, 1.04060401, 1.0510100501});
    GrowthSeries crash = Series(days, {1, 1.2, 0.6, 0.9, 1.2, 1.5});
    // Starts on the fourth day, then +10 %, -10 %.
    GrowthSeries late = Series({days[3], days[4], days[5]}, {1, 1.1, 0.99});

    GrowthPanel Panel() const {
        return GrowthPanel::Build({&flat, &rising, &crash, &late, &index}, days.front(), days.back());
    }
};
constexpr int kIndex = 4;

TEST(GrowthFigures, AFlatLineEarnsNothingAndHasNoRatiosThatDivideByItsRisk) {
    const Lines lines;
    const Figures f = Compute(lines.Panel(), 0, kIndex, 0.0);
    EXPECT_DOUBLE_EQ(f.totalReturn, 0.0);
    EXPECT_DOUBLE_EQ(f.annualReturn, 0.0);
    EXPECT_DOUBLE_EQ(f.volatility, 0.0);
    EXPECT_DOUBLE_EQ(f.maxDrawdown, 0.0);
    EXPECT_EQ(f.peakDay, -1);
    EXPECT_EQ(f.troughDay, -1);
    EXPECT_TRUE(std::isnan(f.sharpe));
    EXPECT_TRUE(std::isnan(f.sortino)); // no return below the target of 0
    EXPECT_TRUE(std::isnan(f.calmar));  // no drawdown to divide by
    EXPECT_NEAR(f.beta, 0.0, 1e-12);
    EXPECT_NEAR(f.alpha, 0.0, 1e-12);
    EXPECT_TRUE(std::isnan(f.correlation));

    // With a risk-free rate every day falls short of it by the daily rate d, so the downside
    // deviation is d and the Sortino ratio -d * 252 / (d * sqrt(252)) = -sqrt(252).
    const Figures withRate = Compute(lines.Panel(), 0, kIndex, 0.015);
    EXPECT_NEAR(withRate.sortino, -std::sqrt(252.0), 1e-6);
    const double daily = std::pow(1.015, 1.0 / 252) - 1.0;
    EXPECT_NEAR(withRate.alpha, -daily * 252, 1e-12);
}

TEST(GrowthFigures, ASteadyRiseCompoundsAndCarriesNoRisk) {
    const Lines lines;
    const Figures f = Compute(lines.Panel(), 1, kIndex, 0.0);
    EXPECT_NEAR(f.totalReturn, 0.0510100501, 1e-10); // 1.01^5 - 1
    EXPECT_NEAR(f.annualReturn, 0.0251878121, 1e-9); // 1.01^(5/2) - 1
    EXPECT_NEAR(f.volatility, 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(f.maxDrawdown, 0.0);
    EXPECT_TRUE(std::isnan(f.sharpe)); // rounding in the returns is not risk
    EXPECT_TRUE(std::isnan(f.correlation));
    // Nothing in common with the index, and 1 % a day above the rate of 0: alpha 252 %.
    EXPECT_NEAR(f.beta, 0.0, 1e-9);
    EXPECT_NEAR(f.alpha, 2.52, 1e-9);
}

TEST(GrowthFigures, ACrashAndRecoveryGivesItsDrawdownAndRatios) {
    const Lines lines;
    const Figures f = Compute(lines.Panel(), 2, kIndex, 0.0);
    EXPECT_NEAR(f.totalReturn, 0.5, 1e-12);
    EXPECT_NEAR(f.annualReturn, std::sqrt(1.5) - 1.0, 1e-12); // two years
    // From 1.2 on the second day to 0.6 on the third; the later new high does not matter.
    EXPECT_NEAR(f.maxDrawdown, -0.5, 1e-12);
    EXPECT_EQ(f.peakDay, lines.days[1]);
    EXPECT_EQ(f.troughDay, lines.days[2]);
    EXPECT_NEAR(f.calmar, (std::sqrt(1.5) - 1.0) / 0.5, 1e-12);
    // Returns 0.2, -0.5, 0.5, 1/3, 0.25: mean 0.156667, sample sd 0.384346.
    EXPECT_NEAR(f.volatility, 6.101311334, 1e-8);
    EXPECT_NEAR(f.sharpe, 6.470740114, 1e-8);
    // Only -0.5 falls below 0: downside deviation sqrt(0.25 / 5).
    EXPECT_NEAR(f.sortino, 11.122229992, 1e-8);
    EXPECT_NEAR(f.beta, 15.181159420, 1e-8);
    EXPECT_NEAR(f.alpha, 16.526086957, 1e-8);
    EXPECT_NEAR(f.correlation, 0.599026372, 1e-8);

    // A risk-free rate of 1.5 % a year moves the ratios by the daily rate.
    const Figures withRate = Compute(lines.Panel(), 2, kIndex, 0.015);
    EXPECT_NEAR(withRate.sharpe, 6.468299810, 1e-8);
    EXPECT_NEAR(withRate.sortino, 11.116721846, 1e-8);
    EXPECT_NEAR(withRate.alpha, 16.737230981, 1e-8);
    EXPECT_DOUBLE_EQ(withRate.beta, f.beta);
}

TEST(GrowthFigures, AFundShorterThanTheRangeIsMeasuredOverItsOwnDays) {
    const Lines lines;
    const GrowthPanel panel = lines.Panel();
    ASSERT_EQ(panel.lines[3].first, 3);
    const Figures f = Compute(panel, 3, kIndex, 0.0);
    EXPECT_NEAR(f.totalReturn, -0.01, 1e-12);
    const double years = GrowthDates::YearsBetween(lines.days[3], lines.days[5]);
    EXPECT_NEAR(f.annualReturn, std::pow(0.99, 1.0 / years) - 1.0, 1e-12);
    EXPECT_NEAR(f.maxDrawdown, -0.1, 1e-12);
    EXPECT_EQ(f.peakDay, lines.days[4]);
    EXPECT_EQ(f.troughDay, lines.days[5]);
    // Against the index's last two returns only (-1 %, +2 %): the fund moved exactly against it.
    EXPECT_NEAR(f.beta, -0.003 / 0.00045, 1e-9);
    EXPECT_NEAR(f.correlation, -1.0, 1e-12);
    EXPECT_NEAR(f.alpha, (0.0 - f.beta * 0.005) * 252, 1e-9);
}

TEST(GrowthFigures, ALateFundsHighestValueCanBeItsFirstDay) {
    // The fund starts on the fourth day at its highest value and never regains it: its peak is its
    // own first day, not a day of the range before it existed.
    const Lines lines;
    const GrowthSeries fallFirst = Series({lines.days[3], lines.days[4], lines.days[5]}, {1.2, 1.0, 1.1});
    const GrowthPanel panel = GrowthPanel::Build({&fallFirst}, lines.days.front(), lines.days.back());
    const Figures f = Compute(panel, 0, -1, 0.0);
    EXPECT_NEAR(f.maxDrawdown, -1.0 / 6.0, 1e-12);
    EXPECT_EQ(f.peakDay, lines.days[3]);
    EXPECT_EQ(f.troughDay, lines.days[4]);
}

TEST(GrowthFigures, AnIndexThatStartsLaterIsPairedFromItsOwnFirstReturn) {
    // The index starts on the third day and then moves 2 %, -1 %, 2 %; the crash line moves
    // +50 %, +1/3, +25 % on those days. Over those three pairs the summed products of deviations
    // (0.0025 / 3) over the index's summed squares (0.0006) give beta = 25 / 18, and alpha =
    // (13/36 - 25/18 * 0.01) * 252 = 87.5.
    const Lines lines;
    std::vector<double> wealth{1.0};
    for (double r : {0.02, -0.01, 0.02})
        wealth.push_back(wealth.back() * (1.0 + r));
    const GrowthSeries lateIndex =
        Series({lines.days[2], lines.days[3], lines.days[4], lines.days[5]}, wealth);
    const GrowthPanel panel =
        GrowthPanel::Build({&lines.crash, &lateIndex}, lines.days.front(), lines.days.back());
    const Figures f = Compute(panel, 0, 1, 0.0);
    EXPECT_NEAR(f.beta, 25.0 / 18.0, 1e-9);
    EXPECT_NEAR(f.alpha, 87.5, 1e-6);
    EXPECT_TRUE(std::isfinite(f.correlation));
    // The fund's own figures still run over all of its days.
    EXPECT_NEAR(f.totalReturn, 0.5, 1e-12);
}

TEST(GrowthFigures, TheIndexAgainstItselfAndLinesWithoutEnoughDays) {
    const Lines lines;
    const GrowthPanel panel = lines.Panel();
    const Figures index = Compute(panel, kIndex, kIndex, 0.0);
    EXPECT_NEAR(index.beta, 1.0, 1e-12);
    EXPECT_NEAR(index.alpha, 0.0, 1e-12);
    EXPECT_NEAR(index.correlation, 1.0, 1e-12);
    EXPECT_NEAR(index.sortino, 15.059880478, 1e-8);

    // Without an index the fund's own figures stay; the index figures are missing.
    const Figures alone = Compute(panel, 2, -1, 0.0);
    EXPECT_NEAR(alone.totalReturn, 0.5, 1e-12);
    EXPECT_TRUE(std::isnan(alone.beta) && std::isnan(alone.alpha) && std::isnan(alone.correlation));

    // A single value has no return; one return has no standard deviation.
    const GrowthSeries single = Series({lines.days[5]}, {1.0});
    const GrowthSeries two = Series({lines.days[4], lines.days[5]}, {1.0, 1.1});
    const GrowthPanel short_ = GrowthPanel::Build({&single, &two}, lines.days[0], lines.days[5]);
    const Figures none = Compute(short_, 0, -1, 0.0);
    EXPECT_TRUE(std::isnan(none.totalReturn) && std::isnan(none.volatility) && std::isnan(none.maxDrawdown));
    const Figures one = Compute(short_, 1, -1, 0.0);
    EXPECT_NEAR(one.totalReturn, 0.1, 1e-12);
    EXPECT_TRUE(std::isnan(one.volatility) && std::isnan(one.sharpe));
    EXPECT_TRUE(std::isnan(Compute(short_, 7, -1, 0.0).totalReturn)); // no such line
}

TEST(GrowthFigures, TheCorrelationMatrixPairsLinesOverTheDaysTheyShare) {
    const Lines lines;
    const GrowthPanel panel = lines.Panel();
    const GrowthSeries mirror = Series(lines.days, {1, 0.99, 1.0, 0.98, 0.99, 0.97});
    const GrowthPanel withMirror = GrowthPanel::Build({&lines.index, &mirror, &lines.crash, &lines.late},
                                                      lines.days.front(), lines.days.back());
    const std::vector<double> m = GrowthFigures::CorrelationMatrix(withMirror, {0, 1, 2, 3});
    ASSERT_EQ(m.size(), 16u);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(m[k * 4 + k], 1.0, 1e-12) << k;
    // The mirror's returns are nearly the index's negated: strongly negative, and symmetric.
    EXPECT_LT(m[0 * 4 + 1], -0.95);
    EXPECT_DOUBLE_EQ(m[0 * 4 + 1], m[1 * 4 + 0]);
    // The same figure as the one against the index in the grid.
    EXPECT_NEAR(m[0 * 4 + 2], 0.599026372, 1e-8);
    // The late fund shares two returns with the index, where it moved exactly against it.
    EXPECT_NEAR(m[0 * 4 + 3], -1.0, 1e-9);

    // A flat line correlates with nothing; a line without values neither.
    const std::vector<double> flat = GrowthFigures::CorrelationMatrix(panel, {0, 1, 4});
    EXPECT_TRUE(std::isnan(flat[0 * 3 + 2]));
    EXPECT_TRUE(std::isnan(flat[1 * 3 + 2])); // the steady rise does not vary either
    EXPECT_TRUE(std::isnan(flat[0]));
    EXPECT_TRUE(std::isnan(GrowthFigures::CorrelationMatrix(panel, {9, 4})[1]));
}

} // namespace
