// The star map's geometry: axis ranges and ticks, values to pixels, and label placement.
#include "FundStarMapLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace Control::StarMapLayout;

namespace {

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

TEST(StarMapAxis, TicksAreRoundMultiplesInsideTheRangeWithAnExactZero) {
    Axis returns = MakeAxis(-50.0, 160.0, 10);
    EXPECT_DOUBLE_EQ(returns.step, 25.0);
    ASSERT_FALSE(returns.ticks.empty());
    EXPECT_DOUBLE_EQ(returns.ticks.front(), -50.0);
    EXPECT_DOUBLE_EQ(returns.ticks.back(), 150.0);
    EXPECT_NE(std::find(returns.ticks.begin(), returns.ticks.end(), 0.0), returns.ticks.end());

    Axis small = MakeAxis(0.13, 0.91, 4);
    EXPECT_DOUBLE_EQ(small.step, 0.2);
    for (double t : small.ticks) {
        EXPECT_GE(t, 0.13);
        EXPECT_LE(t, 0.91);
        EXPECT_NEAR(std::remainder(t, 0.2), 0.0, 1e-9);
    }

    EXPECT_TRUE(MakeAxis(5.0, 5.0, 4).ticks.empty());
    EXPECT_TRUE(MakeAxis(0.0, std::numeric_limits<double>::infinity(), 4).ticks.empty());
}

TEST(StarMapAxis, RangeKeepsTheAskedSpanButWidensForStarsOutsideIt) {
    double lo = 0.0, hi = 50.0;
    FitRange(lo, hi, {10.0, 20.0});
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 50.0);

    // A fund with a 230 % return must not fall off a chart that asked for -50 to 160.
    lo = -50.0, hi = 160.0;
    FitRange(lo, hi, {12.0, 230.0, std::nan("")});
    EXPECT_EQ(lo, -50.0);
    EXPECT_GT(hi, 230.0);

    // A reversed, empty or non-finite range gives way to the values, or 0 to 1 without any.
    lo = 10.0, hi = -10.0;
    FitRange(lo, hi, {3.0, 7.0});
    EXPECT_EQ(lo, 3.0);
    EXPECT_EQ(hi, 7.0);
    lo = std::nan(""), hi = 1.0;
    FitRange(lo, hi, {4.0});
    EXPECT_LT(lo, 4.0);
    EXPECT_GT(hi, 4.0);
    lo = 1.0, hi = 1.0;
    FitRange(lo, hi, {});
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 1.0);
}

TEST(StarMapAxis, ValuesMapLinearlyInEitherDirectionAndFarValuesDoNotOverflow) {
    EXPECT_EQ(ValueToPixel(0.0, 0.0, 50.0, 72, 572), 72);
    EXPECT_EQ(ValueToPixel(50.0, 0.0, 50.0, 72, 572), 572);
    EXPECT_EQ(ValueToPixel(25.0, 0.0, 50.0, 72, 572), 322);
    // The vertical axis grows upwards: the lower end is the bottom pixel.
    EXPECT_EQ(ValueToPixel(-50.0, -50.0, 160.0, 400, 190), 400);
    EXPECT_EQ(ValueToPixel(160.0, -50.0, 160.0, 400, 190), 190);
    EXPECT_EQ(ValueToPixel(0.0, -50.0, 160.0, 400, 190), 350);
    int far = ValueToPixel(1e300, 0.0, 1.0, 0, 100);
    EXPECT_GE(far, 100);
    EXPECT_LE(far, 200);
    EXPECT_EQ(ValueToPixel(std::nan(""), 0.0, 1.0, 7, 100), 7);
}

TEST(StarMapLabels, TakeTheFirstFreeSideInTheOrderRightLeftAboveBelow) {
    const RECT bounds{0, 0, 400, 300};
    // A lone star: label to the right, vertically centred.
    auto one = PlaceLabels({{{100, 100}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(one[0].has_value());
    EXPECT_GT(one[0]->left, 104);
    EXPECT_EQ(one[0]->top, 93);

    // A star at the right edge puts its label on the left.
    auto edge = PlaceLabels({{{390, 100}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(edge[0].has_value());
    EXPECT_LT(edge[0]->right, 386);

    // Two stars side by side: the first label would cover the second star on the right, so it
    // goes left; the second then has its right side free.
    auto pair = PlaceLabels({{{100, 100}, 4, {40, 14}}, {{110, 100}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(pair[0] && pair[1]);
    EXPECT_LT(pair[0]->right, 96);
    EXPECT_GT(pair[1]->left, 114);

    // A third star between the two labels' rows: right and left are taken, so its label goes
    // above.
    auto three = PlaceLabels(
        {{{100, 100}, 4, {40, 14}}, {{110, 100}, 4, {40, 14}}, {{105, 112}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(three[2].has_value());
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(three[i] && !Overlap(*three[i], *three[2]));

    // A label larger than the bounds has nowhere to go.
    auto none = PlaceLabels({{{50, 50}, 4, {500, 14}}}, bounds);
    EXPECT_FALSE(none[0].has_value());
}

TEST(StarMapLabels, PlacedLabelsNeverOverlapEachOtherOrOtherStarsAndStayInside) {
    const RECT bounds{72, 36, 700, 500};
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(80, 690), y(40, 490);
    std::vector<LabelRequest> requests;
    for (int i = 0; i < 120; ++i)
        requests.push_back({{x(random), y(random)}, 4, {56, 14}});
    auto boxes = PlaceLabels(requests, bounds);
    int placed = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!boxes[i])
            continue;
        ++placed;
        EXPECT_GE(boxes[i]->left, bounds.left);
        EXPECT_LE(boxes[i]->right, bounds.right);
        EXPECT_GE(boxes[i]->top, bounds.top);
        EXPECT_LE(boxes[i]->bottom, bounds.bottom);
        for (std::size_t j = 0; j < boxes.size(); ++j) {
            if (j != i && boxes[j]) {
                EXPECT_FALSE(Overlap(*boxes[i], *boxes[j])) << i << " and " << j;
            }
            const POINT c = requests[j].anchor;
            if (j != i) {
                EXPECT_FALSE(Overlap(*boxes[i], {c.x - 4, c.y - 4, c.x + 5, c.y + 5}))
                    << i << " over star " << j;
            }
        }
    }
    // Crowded, but most stars still get their label.
    EXPECT_GT(placed, 60);
}
