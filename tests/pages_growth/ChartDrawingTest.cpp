// The chart's drawing parts on their own: round value ticks, calendar date ticks, the fund palette
// and the shipped themes' chart colours, the pixel lines and the column decimation.
#include "pages/growth/ChartScale.h"
#include "pages/growth/GrowthDates.h"
#include "pages/growth/LineStyles.h"
#include "pages/growth/PixelCanvas.h"

#include <hostconf/Theme.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

using GrowthDates::FromCivil;

TEST(ChartScale, ValueTicksAreRoundAndCoverTheValues) {
    struct Case {
        double low, high;
        int maxTicks;
        double step;
    };
    // The smallest of 1, 2, 2.5 and 5 times a power of ten that fits: 10 would need seven intervals
    // for the first case, 25 eleven for the fourth.
    for (const Case& c : {Case{-12.3, 47.9, 6, 20.0}, Case{0.0, 3.2, 8, 0.5}, Case{-0.4, 0.9, 6, 0.25},
                          Case{-60.0, 180.0, 10, 50.0}, Case{0.0, 0.013, 5, 0.005}}) {
        const ChartScale::ValueTicks axis = ChartScale::NiceTicks(c.low, c.high, c.maxTicks);
        EXPECT_DOUBLE_EQ(axis.step, c.step) << c.low << " " << c.high;
        EXPECT_LE(axis.low, c.low);
        EXPECT_GE(axis.high, c.high);
        EXPECT_LE(static_cast<int>(axis.ticks.size()) - 1, c.maxTicks);
        EXPECT_NEAR(std::fmod(std::abs(axis.low), axis.step), 0.0, 1e-9);
    }
    EXPECT_EQ(ChartScale::NiceTicks(-0.4, 0.9, 6).decimals, 2); // 0.25 needs two
    EXPECT_EQ(ChartScale::NiceTicks(-12.3, 47.9, 6).decimals, 0);
    // A flat line and values that are no numbers still give an axis with room around them.
    const ChartScale::ValueTicks flat = ChartScale::NiceTicks(0.0, 0.0, 6);
    EXPECT_LT(flat.low, 0.0);
    EXPECT_GT(flat.high, 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_GE(ChartScale::NiceTicks(nan, nan, 6).ticks.size(), 2u);
    // The zero tick is exactly zero and shows without a sign.
    const ChartScale::ValueTicks axis = ChartScale::NiceTicks(-0.3, 0.3, 6);
    EXPECT_EQ(std::count(axis.ticks.begin(), axis.ticks.end(), 0.0), 1);
    EXPECT_EQ(ChartScale::PercentLabel(-0.0001, 1), XStringW(L"0.0%"));
    EXPECT_EQ(ChartScale::PercentLabel(-12.5, 1), XStringW(L"-12.5%"));
}

TEST(ChartScale, DateTicksFollowTheCalendarAtTheStepTheRangeNeeds) {
    const int end = FromCivil(2010, 12, 31);
    // One month: Mondays.
    ChartScale::DateTicks ticks = ChartScale::ChooseDateTicks(FromCivil(2010, 11, 30), end, 10);
    EXPECT_EQ(ticks.step, ChartScale::DateStep::Week);
    ASSERT_FALSE(ticks.days.empty());
    EXPECT_EQ(ticks.days.front(), FromCivil(2010, 12, 6));
    for (int day : ticks.days)
        EXPECT_EQ(GrowthDates::Weekday(day), 0);
    EXPECT_EQ(ChartScale::DateLabel(ticks.days.front(), ticks.step), XStringW(L"12-06"));
    // One year, room for twelve: months, starting with January (the range starts on 31 December).
    ticks = ChartScale::ChooseDateTicks(FromCivil(2009, 12, 31), end, 12);
    EXPECT_EQ(ticks.step, ChartScale::DateStep::Month);
    EXPECT_EQ(ticks.days.size(), 12u);
    EXPECT_EQ(ticks.days.front(), FromCivil(2010, 1, 1));
    // The same year with room for five: quarters.
    ticks = ChartScale::ChooseDateTicks(FromCivil(2009, 12, 31), end, 5);
    EXPECT_EQ(ticks.step, ChartScale::DateStep::Quarter);
    EXPECT_EQ(ticks.days, (std::vector<int>{FromCivil(2010, 1, 1), FromCivil(2010, 4, 1),
                                            FromCivil(2010, 7, 1), FromCivil(2010, 10, 1)}));
    EXPECT_EQ(ChartScale::DateLabel(ticks.days[1], ticks.step), XStringW(L"2010-04"));
    // Five years: half years with room for ten, years with room for six.
    EXPECT_EQ(ChartScale::ChooseDateTicks(FromCivil(2005, 12, 31), end, 10).step,
              ChartScale::DateStep::HalfYear);
    ticks = ChartScale::ChooseDateTicks(FromCivil(2005, 12, 31), end, 6);
    EXPECT_EQ(ticks.step, ChartScale::DateStep::Year);
    EXPECT_EQ(ticks.days.front(), FromCivil(2006, 1, 1));
    EXPECT_EQ(ChartScale::DateLabel(ticks.days.front(), ticks.step), XStringW(L"2006"));
    // A tick on the range's first day is left out (it is the axis itself); one on the last is kept.
    EXPECT_EQ(
        ChartScale::DateTickDays(FromCivil(2010, 1, 1), FromCivil(2011, 1, 1), ChartScale::DateStep::Year),
        (std::vector<int>{FromCivil(2011, 1, 1)}));
    EXPECT_TRUE(ChartScale::DateTickDays(end, end, ChartScale::DateStep::Month).empty());
}

COLORREF ThemeColour(const char* theme, const char* key) {
    XStringW error;
    XComPtr<HostConf::Theme> loaded =
        HostConf::Theme::LoadFile(std::string(FC_SOURCE_DIR) + "/host/themes/" + theme + ".xml", error);
    COLORREF colour = RGB(1, 2, 3);
    EXPECT_NE(loaded, nullptr) << error.ToUtf8();
    if (loaded != nullptr) {
        EXPECT_TRUE(loaded->GetColor(key, colour)) << theme << " lacks " << key;
    }
    return colour;
}

int ThemeNumber(const char* theme, const char* key) {
    XStringW error;
    XComPtr<HostConf::Theme> loaded =
        HostConf::Theme::LoadFile(std::string(FC_SOURCE_DIR) + "/host/themes/" + theme + ".xml", error);
    return loaded != nullptr ? loaded->GetNumber(key) : 0;
}

TEST(ChartColours, BothThemesDefineEveryChartKey) {
    for (const char* theme : {"dark", "light"}) {
        for (const char* key :
             {"chart_bg", "chart_text", "chart_axis", "chart_grid", "chart_zero", "chart_cursor",
              "chart_index", "chart_tip_bg", "chart_tip_text", "chart_tip_border", "chart_legend_hidden",
              "matrix_negative", "matrix_neutral", "matrix_positive"})
            ThemeColour(theme, key);
        EXPECT_GT(ThemeNumber(theme, "chart_line_saturation"), 0) << theme;
        EXPECT_GT(ThemeNumber(theme, "chart_line_lightness"), 0) << theme;
    }
}

TEST(ChartColours, EveryChartTextReadsAtFourAndAHalfToOneInBothThemes) {
    struct Pair {
        const char* text;
        const char* background;
    };
    for (const char* theme : {"dark", "light"})
        for (const Pair& pair : {Pair{"chart_text", "chart_bg"}, Pair{"chart_legend_hidden", "chart_bg"},
                                 Pair{"chart_tip_text", "chart_tip_bg"}})
            EXPECT_GE(
                LineStyles::Contrast(ThemeColour(theme, pair.text), ThemeColour(theme, pair.background)), 4.5)
                << theme << ": " << pair.text << " on " << pair.background;
    // Whatever a matrix cell's colour, its value is written in black or white, whichever reads.
    for (int grey = 0; grey < 256; grey += 5)
        for (COLORREF c : {RGB(grey, grey, grey), RGB(grey, 0, 0), RGB(0, grey, 255 - grey)})
            EXPECT_GE(LineStyles::Contrast(LineStyles::TextOn(c), c), 4.5) << grey;
}

TEST(ChartColours, AHundredFundsGetDistinctStylesThatStandOutFromTheBackground) {
    for (const char* theme : {"dark", "light"}) {
        const COLORREF background = ThemeColour(theme, "chart_bg");
        const int saturation = ThemeNumber(theme, "chart_line_saturation");
        const int lightness = ThemeNumber(theme, "chart_line_lightness");
        std::set<std::pair<COLORREF, int>> styles;
        for (int k = 0; k < 100; ++k) {
            const LineStyles::LineStyle style = LineStyles::FundStyle(k, background, saturation, lightness);
            styles.insert({style.colour, style.dash});
            EXPECT_GE(LineStyles::Contrast(style.colour, background), 3.0) << theme << " fund " << k;
            EXPECT_EQ(style.dash, k / LineStyles::kHues);
        }
        EXPECT_EQ(styles.size(), 100u) << theme;
        // Funds that share a dash differ in colour, and the first few are far apart.
        for (int a = 0; a < 5; ++a)
            for (int b = a + 1; b < 5; ++b) {
                const COLORREF ca = LineStyles::FundStyle(a, background, saturation, lightness).colour;
                const COLORREF cb = LineStyles::FundStyle(b, background, saturation, lightness).colour;
                const int distance = std::abs(GetRValue(ca) - GetRValue(cb)) +
                                     std::abs(GetGValue(ca) - GetGValue(cb)) +
                                     std::abs(GetBValue(ca) - GetBValue(cb));
                EXPECT_GT(distance, 90) << theme << " " << a << " " << b;
            }
        EXPECT_GE(LineStyles::Contrast(ThemeColour(theme, "chart_index"), background), 3.0) << theme;
    }
    // The matrix scale runs from blue through the neutral colour to red.
    const COLORREF blue = RGB(0, 0, 255), grey = RGB(128, 128, 128), red = RGB(255, 0, 0);
    EXPECT_EQ(LineStyles::CorrelationColour(1.0, blue, grey, red), red);
    EXPECT_EQ(LineStyles::CorrelationColour(-1.0, blue, grey, red), blue);
    EXPECT_EQ(LineStyles::CorrelationColour(0.0, blue, grey, red), grey);
    EXPECT_EQ(LineStyles::CorrelationColour(std::numeric_limits<double>::quiet_NaN(), blue, grey, red), grey);
    EXPECT_EQ(LineStyles::CorrelationColour(0.5, blue, grey, red), RGB(192, 64, 64));
}

class Canvas : public ::testing::Test {
protected:
    static constexpr int kSize = 40;
    std::vector<std::uint32_t> bits = std::vector<std::uint32_t>(kSize * kSize, 0);
    PixelCanvas canvas{bits.data(), kSize, kSize, kSize};
    int Lit(int x0, int y0, int x1, int y1) const {
        int lit = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                lit += bits[static_cast<size_t>(y * kSize + x)] != 0 ? 1 : 0;
        return lit;
    }
};

TEST_F(Canvas, LinesCoverTheirPixelsOnceAndDashesLeaveGaps) {
    // A level line through pixel centres: one full pixel per column, the end column left out.
    const ChartPoint level[2] = {{2.5f, 5.5f}, {30.5f, 5.5f}};
    canvas.Polyline(level, 2, RGB(255, 255, 255), 1.0f, {});
    EXPECT_EQ(Lit(0, 0, kSize, kSize), 28);
    EXPECT_EQ(canvas.Pixel(2, 5), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(30, 5), RGB(0, 0, 0));
    // Halfway between two rows, each gets half the colour.
    const ChartPoint between[2] = {{2.5f, 10.0f}, {12.5f, 10.0f}};
    canvas.Polyline(between, 2, RGB(200, 200, 200), 1.0f, {});
    EXPECT_EQ(canvas.Pixel(5, 9), RGB(100, 100, 100));
    EXPECT_EQ(canvas.Pixel(5, 10), RGB(100, 100, 100));
    // A dashed line: 8 on, 4 off.
    const ChartPoint dashed[2] = {{0.5f, 20.5f}, {36.5f, 20.5f}};
    canvas.Polyline(dashed, 2, RGB(255, 0, 0), 1.0f, LineStyles::PatternOf(LineStyles::kDashed));
    EXPECT_EQ(Lit(0, 20, 36, 21), 24);
    EXPECT_EQ(canvas.Pixel(3, 20), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(9, 20), RGB(0, 0, 0));
    // A steep line lights one pixel per row; a wide one two.
    const ChartPoint steep[2] = {{35.5f, 0.5f}, {36.5f, 30.5f}};
    canvas.Polyline(steep, 2, RGB(0, 255, 0), 1.0f, {});
    EXPECT_GE(Lit(34, 0, 38, 30), 30);
    const ChartPoint wide[2] = {{2.5f, 30.0f}, {12.5f, 30.0f}};
    canvas.Polyline(wide, 2, RGB(0, 0, 255), 2.0f, {});
    EXPECT_EQ(canvas.Pixel(5, 29), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(5, 30), RGB(0, 0, 255));
}

TEST_F(Canvas, NothingIsDrawnOutsideTheClipOrForWildCoordinates) {
    canvas.SetClip(RECT{10, 10, 20, 20});
    const ChartPoint across[2] = {{0.5f, 15.5f}, {39.5f, 15.5f}};
    canvas.Polyline(across, 2, RGB(255, 255, 255), 1.0f, {});
    EXPECT_EQ(Lit(0, 0, kSize, kSize), 10);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ChartPoint wild[3] = {{-1e30f, -1e30f}, {1e30f, 1e30f}, {nan, 5.0f}};
    canvas.Polyline(wild, 3, RGB(255, 0, 0), 1.0f, {});
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 0, 0));
    canvas.FillRect(RECT{-100, -100, 100, 100}, RGB(1, 1, 1));
    EXPECT_EQ(Lit(0, 0, kSize, kSize), 100);
}

TEST(Decimation, EachPixelColumnKeepsItsFirstLowestHighestAndLastPoint) {
    std::vector<ChartPoint> points;
    // Ten points in each of 50 columns, zigzagging.
    for (int k = 0; k < 500; ++k)
        points.push_back({k / 10.0f, static_cast<float>((k * 37) % 101)});
    std::vector<ChartPoint> out;
    DecimateToColumns(points.data(), points.size(), out);
    EXPECT_LE(out.size(), 4u * 50u);
    for (int column = 0; column < 50; ++column) {
        float low = 1e9f, high = -1e9f, keptLow = 1e9f, keptHigh = -1e9f;
        for (int k = column * 10; k < column * 10 + 10; ++k) {
            low = std::min(low, points[static_cast<size_t>(k)].y);
            high = std::max(high, points[static_cast<size_t>(k)].y);
        }
        std::vector<ChartPoint> kept;
        for (const ChartPoint& p : out)
            if (std::floor(p.x) == column) {
                keptLow = std::min(keptLow, p.y);
                keptHigh = std::max(keptHigh, p.y);
                kept.push_back(p);
            }
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(keptLow, low) << column;
        EXPECT_EQ(keptHigh, high) << column;
        EXPECT_EQ(kept.front().y, points[static_cast<size_t>(column * 10)].y);
        EXPECT_EQ(kept.back().y, points[static_cast<size_t>(column * 10 + 9)].y);
        for (size_t k = 1; k < kept.size(); ++k)
            EXPECT_GE(kept[k].x, kept[k - 1].x); // order kept
    }
    // A line sparser than the columns comes out as it went in.
    const std::vector<ChartPoint> sparse{{0.5f, 1.0f}, {3.5f, 2.0f}, {9.2f, 0.0f}};
    DecimateToColumns(sparse.data(), sparse.size(), out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[2].y, 0.0f);
}

} // namespace
