// The star map's geometry: axis ranges and ticks, values to pixels, and label placement.
#include "FundStarMapLayout.h"
#include "FundStarMapPalette.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_GT(one[0]->box.left, 104);
    EXPECT_EQ(one[0]->box.top, 93);

    // A star at the right edge puts its label on the left.
    auto edge = PlaceLabels({{{390, 100}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(edge[0].has_value());
    EXPECT_LT(edge[0]->box.right, 386);

    // Two stars side by side: the first label would cover the second star on the right, so it
    // goes left; the second then has its right side free.
    auto pair = PlaceLabels({{{100, 100}, 4, {40, 14}}, {{110, 100}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(pair[0] && pair[1]);
    EXPECT_LT(pair[0]->box.right, 96);
    EXPECT_GT(pair[1]->box.left, 114);

    // A third star between the two labels' rows: right and left are taken, so its label goes
    // above.
    auto three = PlaceLabels(
        {{{100, 100}, 4, {40, 14}}, {{110, 100}, 4, {40, 14}}, {{105, 112}, 4, {40, 14}}}, bounds);
    ASSERT_TRUE(three[2].has_value());
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(three[i] && !Overlap(three[i]->box, three[2]->box));

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
        EXPECT_GE(boxes[i]->box.left, bounds.left);
        EXPECT_LE(boxes[i]->box.right, bounds.right);
        EXPECT_GE(boxes[i]->box.top, bounds.top);
        EXPECT_LE(boxes[i]->box.bottom, bounds.bottom);
        for (std::size_t j = 0; j < boxes.size(); ++j) {
            if (j != i && boxes[j]) {
                EXPECT_FALSE(Overlap(boxes[i]->box, boxes[j]->box)) << i << " and " << j;
            }
            const POINT c = requests[j].anchor;
            if (j != i) {
                EXPECT_FALSE(Overlap(boxes[i]->box, {c.x - 4, c.y - 4, c.x + 5, c.y + 5}))
                    << i << " over star " << j;
            }
        }
    }
    // Crowded, but most stars still get their label.
    EXPECT_GT(placed, 60);
}

namespace {

// Checks what every placed label promises: inside the bounds, over no other label or marker, and
// attached to its own star: beside it with every other star clearly farther, or joined to it by a
// leader line that crosses no other marker or label. Returns the number of labels placed.
int ExpectAttached(const std::vector<LabelRequest>& requests,
                   const std::vector<std::optional<PlacedLabel>>& labels, const RECT& bounds) {
    auto marker = [&](std::size_t j) {
        const LabelRequest& r = requests[j];
        const int m = r.markerRadius;
        return RECT{r.anchor.x - m, r.anchor.y - m, r.anchor.x + m + 1, r.anchor.y + m + 1};
    };
    auto crosses = [](POINT a, POINT b, const RECT& r) {
        const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
        for (int s = 0; s <= steps; ++s) {
            double t = steps == 0 ? 0.0 : static_cast<double>(s) / steps;
            POINT p{static_cast<LONG>(std::lround(a.x + (b.x - a.x) * t)),
                    static_cast<LONG>(std::lround(a.y + (b.y - a.y) * t))};
            if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom)
                return true;
        }
        return false;
    };
    int placed = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (!labels[i])
            continue;
        ++placed;
        const PlacedLabel& l = *labels[i];
        EXPECT_TRUE(l.box.left >= bounds.left && l.box.right <= bounds.right && l.box.top >= bounds.top &&
                    l.box.bottom <= bounds.bottom)
            << i;
        const double own = RectDistance(marker(i), l.box);
        if (!l.leader) {
            EXPECT_LE(own, kLabelGap + 1.5) << i << " is not beside its star";
        } else {
            EXPECT_LE(
                std::hypot(l.leaderFrom.x - requests[i].anchor.x, l.leaderFrom.y - requests[i].anchor.y),
                requests[i].markerRadius + 2.0)
                << i << "'s leader does not start at its star";
            EXPECT_TRUE(l.leaderTo.x >= l.box.left && l.leaderTo.x < l.box.right &&
                        l.leaderTo.y >= l.box.top && l.leaderTo.y < l.box.bottom)
                << i << "'s leader does not reach its label";
        }
        for (std::size_t j = 0; j < requests.size(); ++j) {
            if (j == i)
                continue;
            EXPECT_FALSE(Overlap(marker(j), l.box)) << i << " over star " << j;
            EXPECT_GE(RectDistance(marker(j), l.box), (l.leader ? 0.0 : own) + kLabelClearance)
                << i << " sits nearer star " << j << " than its own";
            // Only a reference star's line may pass over a fund's marker.
            if (l.leader && (!requests[i].preferred || requests[j].preferred))
                EXPECT_FALSE(crosses(l.leaderFrom, l.leaderTo, marker(j)))
                    << i << "'s leader crosses star " << j;
            if (labels[j]) {
                EXPECT_FALSE(Overlap(labels[j]->box, l.box)) << i << " and " << j;
                if (l.leader)
                    EXPECT_FALSE(crosses(l.leaderFrom, l.leaderTo, labels[j]->box))
                        << i << "'s leader crosses the label of " << j;
            }
        }
    }
    return placed;
}

// A realistic crowd: 100 funds spread over the usual risk-return band, with the eight reference
// stars (seven type averages and the index) among them.
std::vector<LabelRequest> HundredFunds(const RECT& plot, int labelWidth, int averageWidth) {
    std::mt19937 random(2024);
    std::normal_distribution<double> stdDev(0.45, 0.15), ret(0.55, 0.15);
    auto at = [&](double fx, double fy) {
        fx = std::clamp(fx, 0.0, 1.0);
        fy = std::clamp(fy, 0.0, 1.0);
        return POINT{plot.left + static_cast<LONG>(fx * (plot.right - plot.left - 1)),
                     plot.bottom - 1 - static_cast<LONG>(fy * (plot.bottom - plot.top - 1))};
    };
    std::vector<LabelRequest> requests;
    for (int i = 0; i < 100; ++i)
        requests.push_back({at(stdDev(random), ret(random)), 6, {labelWidth, 14}, false});
    const double references[][2] = {{0.34, 0.08}, {0.08, 0.05}, {0.07, 0.06}, {0.5, 0.45},
                                    {0.42, 0.55}, {0.5, 0.6},   {0.01, 0.02}, {0.46, 0.4}};
    for (const auto& r : references)
        requests.push_back({at(r[0], r[1]), 7, {averageWidth, 14}, true});
    return requests;
}

} // namespace

TEST(StarMapLabels, ALabelNeverSitsBesideAnotherStar) {
    const RECT bounds{0, 0, 400, 300};
    // The right side of the first star has room for its label, but the label would end 4 pixels
    // from the second star: it goes to the left instead.
    std::vector<LabelRequest> requests = {{{100, 100}, 4, {40, 14}}, {{154, 100}, 4, {40, 14}}};
    auto labels = PlaceLabels(requests, bounds);
    ASSERT_TRUE(labels[0] && labels[1]);
    EXPECT_FALSE(labels[0]->leader);
    EXPECT_LT(labels[0]->box.right, 96);
    ExpectAttached(requests, labels, bounds);
}

TEST(StarMapLabels, ALabelWithNoRoomBesideItsStarMovesOutOnALeaderLine) {
    const RECT bounds{0, 0, 400, 300};
    // A star in a ring of eight others: every side beside it is taken or too near another star,
    // but there are gaps in the ring to draw a line through.
    std::vector<LabelRequest> requests = {{{200, 150}, 4, {40, 14}}};
    for (int k = 0; k < 8; ++k) {
        double a = (k + 0.5) * 3.14159265 / 4;
        requests.push_back({{200 + static_cast<LONG>(std::lround(16 * std::cos(a))),
                             150 + static_cast<LONG>(std::lround(16 * std::sin(a)))},
                            4,
                            {0, 0}});
    }
    auto labels = PlaceLabels(requests, bounds);
    ASSERT_TRUE(labels[0].has_value());
    EXPECT_TRUE(labels[0]->leader);
    ExpectAttached(requests, labels, bounds);
}

TEST(StarMapLabels, AveragesAndTheIndexTakeTheRoomBeforeFunds) {
    // A fund and an average on one line of a narrow strip. Read first, the fund takes the room to
    // its right, which is the only room the average has; the average then has none.
    const RECT bounds{0, 0, 250, 30};
    std::vector<LabelRequest> requests = {{{100, 15}, 4, {80, 14}, false}, {{200, 15}, 4, {80, 14}, false}};
    auto plain = PlaceLabels(requests, bounds);
    EXPECT_TRUE(plain[0].has_value());
    EXPECT_FALSE(plain[1].has_value());
    // As an average it goes first and takes that room; the fund still finds room on its left.
    requests[1].preferred = true;
    auto labels = PlaceLabels(requests, bounds);
    ASSERT_TRUE(labels[1].has_value());
    EXPECT_LT(labels[1]->box.right, 200);
    ASSERT_TRUE(labels[0].has_value());
    EXPECT_LT(labels[0]->box.right, 100);
    ExpectAttached(requests, labels, bounds);
}

TEST(StarMapLabels, AHundredFundsKeepEveryReferenceLabelAndEveryLabelAttached) {
    // From a full window down to a small one: labels stay attached at every size.
    const RECT plots[] = {{72, 36, 876, 516}, {72, 36, 496, 276}, {72, 36, 336, 196}};
    for (std::size_t size = 0; size < std::size(plots); ++size) {
        const RECT plot = plots[size];
        SCOPED_TRACE(testing::Message()
                     << "plot " << plot.right - plot.left << " x " << plot.bottom - plot.top);
        std::vector<LabelRequest> requests = HundredFunds(plot, 56, 42);
        auto labels = PlaceLabels(requests, plot);
        int placed = ExpectAttached(requests, labels, plot);
        EXPECT_GT(placed, 8);
        for (std::size_t i = 100; i < labels.size(); ++i) {
            if (size == 0) {
                // In a full window the funds leave room for every reference star.
                EXPECT_TRUE(labels[i].has_value()) << "reference " << i;
            } else if (!labels[i]) {
                // In a smaller one a reference star may lose its label to the markers and to the
                // other reference stars, never to funds' labels: without them it has no place
                // either.
                std::vector<LabelRequest> withoutFunds = requests;
                for (std::size_t j = 0; j < 100; ++j)
                    withoutFunds[j].size = {0, 0};
                EXPECT_FALSE(PlaceLabels(withoutFunds, plot)[i].has_value()) << "reference " << i;
            }
        }
    }
}

TEST(StarMapPalette, EveryTextReadsAndEveryLineShowsOnAnyBackground) {
    using Control::hostctl::ContrastRatio;
    std::vector<COLORREF> backgrounds = {RGB(255, 255, 255), RGB(244, 245, 247), RGB(11, 13, 18),
                                         RGB(0, 0, 0)};
    for (int r = 0; r <= 255; r += 51)
        for (int g = 0; g <= 255; g += 51)
            for (int b = 0; b <= 255; b += 51)
                backgrounds.push_back(RGB(r, g, b));
    for (COLORREF back : backgrounds) {
        SCOPED_TRACE(testing::Message() << "background " << std::hex << back);
        const Palette p = MakePalette(back);
        for (COLORREF text : {p.tickText, p.caption, p.label, p.averageLabel, p.highlight})
            EXPECT_GE(ContrastRatio(text, back), 4.5) << std::hex << text;
        for (COLORREF text : {p.tipText, p.tipDim})
            EXPECT_GE(ContrastRatio(text, p.tipBack), 4.5) << std::hex << text;
        for (COLORREF line : {p.axis, p.leader, p.cross})
            EXPECT_GE(ContrastRatio(line, back), 3.0) << std::hex << line;
    }
    // The averages keep the gold of their marks where the background allows: on white it darkens
    // to a brown gold rather than turning grey.
    const COLORREF onWhite = MakePalette(RGB(255, 255, 255)).averageLabel;
    EXPECT_GT(GetRValue(onWhite), GetBValue(onWhite) + 40);
    EXPECT_NE(onWhite, MakePalette(RGB(255, 255, 255)).label);
}

TEST(Contrast, ReadableKeepsAGoodColourAndMovesABadOneJustFarEnough) {
    using namespace Control::hostctl;
    EXPECT_NEAR(ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(RGB(119, 119, 119), RGB(255, 255, 255)), 4.48, 0.01);
    // Already readable: untouched.
    EXPECT_EQ(Readable(RGB(31, 78, 156), RGB(255, 255, 255)), RGB(31, 78, 156));
    // Pale grey on white darkens, gold on white turns brown gold, dark blue on black lightens.
    for (auto [preferred, back] :
         {std::pair{RGB(220, 220, 220), RGB(255, 255, 255)}, std::pair{RGB(232, 180, 60), RGB(255, 255, 255)},
          std::pair{RGB(20, 30, 90), RGB(0, 0, 0)}, std::pair{RGB(200, 200, 200), RGB(128, 128, 128)}}) {
        COLORREF c = Readable(preferred, back);
        EXPECT_GE(ContrastRatio(c, back), 4.5);
        // Just far enough: one step less would not do.
        EXPECT_LT(ContrastRatio(c, back), 5.2);
    }
    // Every background has an ink.
    for (int v = 0; v <= 255; v += 5)
        EXPECT_GE(ContrastRatio(InkFor(RGB(v, v, v)), RGB(v, v, v)), 4.5) << v;
}
