// The figures of the growth page against values worked out by hand (docs/growth-figures.md shows
// the working) on short series: flat, rising at a steady rate, one crash and recovery, and a fund
// that starts after the range; and the correlation matrix.
#include "pages/growth/GrowthFigures.h"
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthPanel.h"

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

    // The figures of a line over all six days against the index (or none).
    Figures Of(const GrowthSeries& line, double rate = 0.0, const GrowthSeries* against = nullptr) const {
        return Compute(line, against != nullptr ? against : &index, days.front(), days.back(), rate);
    }
};

TEST(GrowthFigures, AFlatLineEarnsNothingAndHasNoRatiosThatDivideByItsRisk) {
    const Lines lines;
    const Figures f = lines.Of(lines.flat);
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

    // With a risk-free rate every day falls short of it by the daily rate; a ratio over that
    // shortfall alone (-sqrt(252) whatever the rate) would say nothing about the fund.
    const Figures withRate = lines.Of(lines.flat, 0.015);
    EXPECT_TRUE(std::isnan(withRate.sortino));
    const double daily = std::pow(1.015, 1.0 / 252) - 1.0;
    EXPECT_NEAR(withRate.alpha, -daily * 252, 1e-12);
}

TEST(GrowthFigures, ASteadyRiseCompoundsAndCarriesNoRisk) {
    const Lines lines;
    const Figures f = lines.Of(lines.rising);
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
    const Figures f = lines.Of(lines.crash);
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
    const Figures withRate = lines.Of(lines.crash, 0.015);
    EXPECT_NEAR(withRate.sharpe, 6.468299810, 1e-8);
    EXPECT_NEAR(withRate.sortino, 11.116721846, 1e-8);
    EXPECT_NEAR(withRate.alpha, 16.737230981, 1e-8);
    EXPECT_DOUBLE_EQ(withRate.beta, f.beta);
}

TEST(GrowthFigures, AFundShorterThanTheRangeIsMeasuredOverItsOwnDays) {
    const Lines lines;
    const Figures f = lines.Of(lines.late);
    EXPECT_EQ(f.firstDay, lines.days[3]);
    EXPECT_EQ(f.lastDay, lines.days[5]);
    EXPECT_NEAR(f.totalReturn, -0.01, 1e-12);
    // Four months of history are not annualised, and so have no Calmar ratio either.
    EXPECT_TRUE(std::isnan(f.annualReturn));
    EXPECT_TRUE(std::isnan(f.calmar));
    EXPECT_NEAR(f.maxDrawdown, -0.1, 1e-12);
    EXPECT_EQ(f.peakDay, lines.days[4]);
    EXPECT_EQ(f.troughDay, lines.days[5]);
    // Against the index's last two returns only (-1 %, +2 %): the fund moved exactly against it.
    EXPECT_NEAR(f.beta, -0.003 / 0.00045, 1e-9);
    EXPECT_NEAR(f.correlation, -1.0, 1e-12);
    EXPECT_NEAR(f.alpha, (0.0 - f.beta * 0.005) * 252, 1e-9);
}

TEST(GrowthFigures, APeriodUnderAYearIsNotAnnualised) {
    using GrowthDates::FromCivil;
    // +5.10 % over one week would read as more than 1,000 % a year.
    int monday = FromCivil(2010, 3, 1);
    const GrowthSeries week = Series({monday, monday + 1, monday + 2, monday + 3, monday + 4, monday + 7},
                                     {1, 1.01, 1.0201, 1.030301, 1.04060401, 1.0510100501});
    const Figures f = Compute(week, nullptr, monday, monday + 7, 0.0);
    EXPECT_NEAR(f.totalReturn, 0.0510100501, 1e-10);
    EXPECT_TRUE(std::isnan(f.annualReturn));

    // A year less a day is still under a year; the whole year is annualised (to itself).
    const int start = FromCivil(2009, 3, 2), yearOn = FromCivil(2010, 3, 2);
    const GrowthSeries almost = Series({start, yearOn - 1}, {1.0, 1.2});
    EXPECT_TRUE(std::isnan(Compute(almost, nullptr, start, yearOn, 0.0).annualReturn));
    const GrowthSeries whole = Series({start, start + 30, yearOn}, {1.0, 0.9, 1.2});
    const Figures year = Compute(whole, nullptr, start, yearOn, 0.0);
    EXPECT_NEAR(year.annualReturn, 0.2, 1e-12);
    EXPECT_NEAR(year.calmar, 2.0, 1e-12);

    // A range chosen from a Sunday begins on the Monday after it; a fund that was trading then has
    // covered the year although its first day in the range is a day short of it.
    const int sunday = FromCivil(2009, 3, 1), end = FromCivil(2010, 3, 1);
    monday = sunday + 1;
    const GrowthSeries trading = Series({sunday - 2, monday, monday + 30, end}, {1.0, 1.0, 0.9, 1.1});
    const Figures covered = Compute(trading, nullptr, sunday, end, 0.0);
    EXPECT_EQ(covered.firstDay, monday);
    EXPECT_NEAR(covered.annualReturn, std::pow(1.1, 1.0 / GrowthDates::YearsBetween(monday, end)) - 1.0,
                1e-12);
    // A fund that began on that Monday has not.
    const GrowthSeries young = Series({monday, monday + 30, end}, {1.0, 0.9, 1.1});
    EXPECT_TRUE(std::isnan(Compute(young, nullptr, sunday, end, 0.0).annualReturn));
    // Nor has one that was trading at the start but stopped before a year was over.
    const GrowthSeries stopped = Series({sunday - 2, monday, monday + 30, end - 7}, {1.0, 1.0, 0.9, 1.1});
    EXPECT_TRUE(std::isnan(Compute(stopped, nullptr, sunday, end, 0.0).annualReturn));
    // The same at the end: a range ending on a Saturday still holds the Friday's whole year.
    const GrowthSeries friday = Series({monday - 3, monday + 30, end - 3, end}, {1.0, 0.9, 1.1, 1.2});
    EXPECT_TRUE(std::isfinite(Compute(friday, nullptr, end - 2 - 365, end - 2, 0.0).annualReturn));
}

TEST(GrowthFigures, TheRangeStartsOnTheSeriesOwnFirstDayInIt) {
    using GrowthDates::FromCivil;
    // The fund's highest value is on the Friday before a range chosen from a Saturday: that day is
    // outside the range, so the peak is the Monday, and the drawdown runs from it.
    const int friday = FromCivil(2010, 3, 5), monday = friday + 3;
    const GrowthSeries s = Series({friday, monday, monday + 1, monday + 2}, {2.0, 1.0, 0.8, 0.9});
    const Figures f = Compute(s, nullptr, friday + 1, monday + 2, 0.0);
    EXPECT_EQ(f.firstDay, monday);
    EXPECT_NEAR(f.totalReturn, -0.1, 1e-12);
    EXPECT_NEAR(f.maxDrawdown, -0.2, 1e-12);
    EXPECT_EQ(f.peakDay, monday);
    EXPECT_EQ(f.troughDay, monday + 1);
    // The chart's lines start there too.
    const GrowthPanel panel = GrowthPanel::Build({&s}, friday + 1, monday + 2);
    ASSERT_FALSE(panel.days.empty());
    EXPECT_EQ(panel.days.front(), monday);
    EXPECT_DOUBLE_EQ(panel.CumulativePercent(0, 0), 0.0);
    EXPECT_NEAR(panel.CumulativePercent(0, 2), -10.0, 1e-9);
}

TEST(GrowthFigures, ALateFundsHighestValueCanBeItsFirstDay) {
    // The fund starts on the fourth day at its highest value and never regains it: its peak is its
    // own first day, not a day of the range before it existed.
    const Lines lines;
    const GrowthSeries fallFirst = Series({lines.days[3], lines.days[4], lines.days[5]}, {1.2, 1.0, 1.1});
    const Figures f = Compute(fallFirst, nullptr, lines.days.front(), lines.days.back(), 0.0);
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
    const Figures f = lines.Of(lines.crash, 0.0, &lateIndex);
    EXPECT_NEAR(f.beta, 25.0 / 18.0, 1e-9);
    EXPECT_NEAR(f.alpha, 87.5, 1e-6);
    EXPECT_TRUE(std::isfinite(f.correlation));
    // The fund's own figures still run over all of its days.
    EXPECT_NEAR(f.totalReturn, 0.5, 1e-12);
}

TEST(GrowthFigures, APairIsMeasuredOnTheDaysBothHave) {
    // The fund also trades on a day the index lacks (a mainland holiday, say). Against the index
    // its two returns over that stretch count as one, from the last common day to the next: the
    // same figures as a fund that never had the extra day.
    const Lines lines;
    const int extra = lines.days[2] + 1;
    const GrowthSeries holiday = Series(
        {lines.days[0], lines.days[1], lines.days[2], extra, lines.days[3], lines.days[4], lines.days[5]},
        {1, 1.2, 0.6, 0.3, 0.9, 1.2, 1.5});
    const Figures with = lines.Of(holiday);
    const Figures without = lines.Of(lines.crash);
    EXPECT_NEAR(with.beta, without.beta, 1e-12);
    EXPECT_NEAR(with.alpha, without.alpha, 1e-12);
    EXPECT_NEAR(with.correlation, without.correlation, 1e-12);
    // Its own figures see the extra day.
    EXPECT_NEAR(with.maxDrawdown, -0.75, 1e-12);
    EXPECT_GT(with.volatility, without.volatility);

    // An index missing a week is measured on its own days: the missing days are not zero returns.
    const GrowthSeries gappy =
        Series({lines.days[0], lines.days[1], lines.days[3], lines.days[4], lines.days[5]},
               {1, 1.01, 1.0099, 0.999801, 1.01979702});
    const Figures gappyOwn = Compute(gappy, nullptr, lines.days.front(), lines.days.back(), 0.0);
    const std::vector<double> returns{0.01, 1.0099 / 1.01 - 1, 0.999801 / 1.0099 - 1,
                                      1.01979702 / 0.999801 - 1};
    double mean = 0.0, squares = 0.0;
    for (double r : returns)
        mean += r / 4;
    for (double r : returns)
        squares += (r - mean) * (r - mean);
    EXPECT_NEAR(gappyOwn.volatility, std::sqrt(squares / 3 * 252), 1e-12);
}

TEST(GrowthFigures, TheIndexAgainstItselfAndLinesWithoutEnoughDays) {
    const Lines lines;
    const Figures index = lines.Of(lines.index);
    EXPECT_NEAR(index.beta, 1.0, 1e-12);
    EXPECT_NEAR(index.alpha, 0.0, 1e-12);
    EXPECT_NEAR(index.correlation, 1.0, 1e-12);
    EXPECT_NEAR(index.sortino, 15.059880478, 1e-8);

    // Without an index the fund's own figures stay; the index figures are missing.
    const Figures alone = Compute(lines.crash, nullptr, lines.days.front(), lines.days.back(), 0.0);
    EXPECT_NEAR(alone.totalReturn, 0.5, 1e-12);
    EXPECT_TRUE(std::isnan(alone.beta) && std::isnan(alone.alpha) && std::isnan(alone.correlation));

    // A single value has no return; one return has no standard deviation, so no Sharpe or
    // Sortino ratio, even when that return is a loss.
    const GrowthSeries single = Series({lines.days[5]}, {1.0});
    const GrowthSeries up = Series({lines.days[4], lines.days[5]}, {1.0, 1.1});
    const GrowthSeries down = Series({lines.days[4], lines.days[5]}, {1.0, 0.9});
    const Figures none = Compute(single, nullptr, lines.days[0], lines.days[5], 0.015);
    EXPECT_TRUE(std::isnan(none.totalReturn) && std::isnan(none.volatility) && std::isnan(none.maxDrawdown));
    EXPECT_EQ(none.firstDay, lines.days[5]);
    const Figures one = Compute(up, nullptr, lines.days[0], lines.days[5], 0.015);
    EXPECT_NEAR(one.totalReturn, 0.1, 1e-12);
    EXPECT_TRUE(std::isnan(one.volatility) && std::isnan(one.sharpe) && std::isnan(one.sortino));
    const Figures loss = Compute(down, &lines.index, lines.days[0], lines.days[5], 0.015);
    EXPECT_TRUE(std::isnan(loss.sortino));
    EXPECT_TRUE(std::isnan(loss.beta)); // one common return
    // A range with none of the series' days.
    const Figures outside = Compute(lines.crash, nullptr, lines.days[5] + 1, lines.days[5] + 30, 0.0);
    EXPECT_EQ(outside.firstDay, -1);
    EXPECT_TRUE(std::isnan(outside.totalReturn));
}

TEST(GrowthFigures, TheCorrelationMatrixPairsLinesOverTheDaysTheyShare) {
    const Lines lines;
    const GrowthSeries mirror = Series(lines.days, {1, 0.99, 1.0, 0.98, 0.99, 0.97});
    const int from = lines.days.front(), to = lines.days.back();
    const std::vector<double> m =
        GrowthFigures::CorrelationMatrix({&lines.index, &mirror, &lines.crash, &lines.late}, from, to);
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
    // A cell does not depend on the other series asked for.
    const std::vector<double> pair = GrowthFigures::CorrelationMatrix({&lines.index, &lines.crash}, from, to);
    EXPECT_DOUBLE_EQ(pair[1], m[0 * 4 + 2]);

    // A flat line correlates with nothing; a line without values neither; one return is too few.
    const std::vector<double> flat =
        GrowthFigures::CorrelationMatrix({&lines.flat, &lines.rising, &lines.index}, from, to);
    EXPECT_TRUE(std::isnan(flat[0 * 3 + 2]));
    EXPECT_TRUE(std::isnan(flat[1 * 3 + 2])); // the steady rise does not vary either
    EXPECT_TRUE(std::isnan(flat[0]));
    EXPECT_TRUE(std::isnan(GrowthFigures::CorrelationMatrix({nullptr, &lines.index}, from, to)[1]));
    const GrowthSeries two = Series({lines.days[4], lines.days[5]}, {1.0, 1.1});
    const std::vector<double> short_ = GrowthFigures::CorrelationMatrix({&two, &lines.index}, from, to);
    EXPECT_TRUE(std::isnan(short_[0]) && std::isnan(short_[1]));
}

} // namespace
