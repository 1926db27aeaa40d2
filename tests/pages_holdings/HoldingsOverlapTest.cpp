// The overlap of two portfolios, worked out by hand: identical funds overlap by their summed
// weight, disjoint ones by 0, a fund without a report by nothing ("--"), and a pair in between by
// the smaller weight of each common stock.
#include "pages/holdings/HoldingsOverlap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Weight = HoldingsOverlap::Weight;
using Portfolio = HoldingsOverlap::Portfolio;

Portfolio Of(std::vector<Weight> lines) {
    return HoldingsOverlap::Make(std::move(lines));
}

TEST(HoldingsOverlap, IdenticalFundsOverlapByTheirSummedWeight) {
    const Portfolio a = Of({{1, 0.10}, {2, 0.05}, {3, 0.03}});
    const Portfolio b = Of({{3, 0.03}, {1, 0.10}, {2, 0.05}}); // the same lines in another order
    EXPECT_NEAR(HoldingsOverlap::Overlap(a, b), 0.18, 1e-12);
    EXPECT_NEAR(HoldingsOverlap::Total(a), 0.18, 1e-12);
}

TEST(HoldingsOverlap, DisjointFundsOverlapByZeroNotByNothing) {
    const Portfolio a = Of({{1, 0.10}, {2, 0.05}});
    const Portfolio b = Of({{3, 0.07}, {4, 0.20}});
    const double overlap = HoldingsOverlap::Overlap(a, b);
    EXPECT_FALSE(std::isnan(overlap));
    EXPECT_EQ(overlap, 0.0);
    // A fund that reported no stocks at all still has a report: 0 as well.
    EXPECT_EQ(HoldingsOverlap::Overlap(a, Of({})), 0.0);
    EXPECT_TRUE(HoldingsOverlap::Common(a, b).empty());
}

TEST(HoldingsOverlap, APairInBetweenTakesTheSmallerWeightOfEachCommonStock) {
    // min(10, 4) + min(5, 6) = 9; stock 3 and stock 4 are held by one fund only. Neither the larger
    // weight (16), nor the mean (12.5), nor one side's weights (15 or 10) gives 9.
    const Portfolio a = Of({{1, 0.10}, {2, 0.05}, {3, 0.03}});
    const Portfolio b = Of({{1, 0.04}, {2, 0.06}, {4, 0.02}});
    EXPECT_NEAR(HoldingsOverlap::Overlap(a, b), 0.09, 1e-12);
    EXPECT_NEAR(HoldingsOverlap::Overlap(b, a), 0.09, 1e-12);
    const std::vector<Weight> common = HoldingsOverlap::Common(a, b);
    ASSERT_EQ(common.size(), 2u);
    EXPECT_EQ(common[0].key, 2); // 5 % in common before 4 %
    EXPECT_NEAR(common[0].weight, 0.05, 1e-12);
    EXPECT_EQ(common[1].key, 1);
    EXPECT_NEAR(common[1].weight, 0.04, 1e-12);
}

TEST(HoldingsOverlap, CommonStocksAtTheEndsOfTheListsAreFound) {
    // The first and the last key of each list: a merge that stops one step early misses them.
    const Portfolio a = Of({{1, 0.01}, {5, 0.02}, {9, 0.03}});
    const Portfolio b = Of({{1, 0.04}, {6, 0.05}, {9, 0.06}});
    EXPECT_NEAR(HoldingsOverlap::Overlap(a, b), 0.04, 1e-12);
}

TEST(HoldingsOverlap, AFundWithoutAReportHasNoOverlapAtAll) {
    const Portfolio reported = Of({{1, 0.10}});
    const Portfolio missing = HoldingsOverlap::Make({}, false);
    EXPECT_TRUE(std::isnan(HoldingsOverlap::Overlap(reported, missing)));
    EXPECT_TRUE(std::isnan(HoldingsOverlap::Overlap(missing, reported)));
    EXPECT_TRUE(std::isnan(HoldingsOverlap::Total(missing)));
    EXPECT_TRUE(HoldingsOverlap::Common(reported, missing).empty());
}

TEST(HoldingsOverlap, LinesOfOneStockAddUpAndBrokenWeightsAreLeftOut) {
    // A report that lists a stock as an index part and an active part; a NaN and a negative line.
    const Portfolio a = Of({{7, 0.02}, {1, 0.01}, {7, 0.03}, {2, NAN}, {3, -0.5}, {4, INFINITY}});
    ASSERT_EQ(a.weights.size(), 2u);
    EXPECT_EQ(a.weights[0].key, 1);
    EXPECT_EQ(a.weights[1].key, 7);
    EXPECT_NEAR(a.weights[1].weight, 0.05, 1e-12);
    EXPECT_NEAR(HoldingsOverlap::Total(a), 0.06, 1e-12);
    EXPECT_NEAR(HoldingsOverlap::Overlap(a, Of({{7, 0.04}})), 0.04, 1e-12);
}

TEST(HoldingsOverlap, TheMatrixIsSymmetricWithEachFundsTotalOnItsDiagonal) {
    const std::vector<Portfolio> funds = {Of({{1, 0.10}, {2, 0.05}, {3, 0.03}}),
                                          Of({{1, 0.04}, {2, 0.06}, {4, 0.02}}),
                                          HoldingsOverlap::Make({}, false), Of({{5, 0.07}})};
    const std::vector<double> m = HoldingsOverlap::Matrix(funds);
    ASSERT_EQ(m.size(), 16u);
    EXPECT_NEAR(m[0 * 4 + 0], 0.18, 1e-12);
    EXPECT_NEAR(m[1 * 4 + 1], 0.12, 1e-12);
    EXPECT_NEAR(m[0 * 4 + 1], 0.09, 1e-12);
    EXPECT_NEAR(m[1 * 4 + 0], 0.09, 1e-12);
    EXPECT_EQ(m[0 * 4 + 3], 0.0);
    EXPECT_EQ(m[3 * 4 + 1], 0.0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(std::isnan(m[2 * 4 + k])) << k;
        EXPECT_TRUE(std::isnan(m[k * 4 + 2])) << k;
    }
    EXPECT_TRUE(HoldingsOverlap::Matrix({}).empty());
}

} // namespace
