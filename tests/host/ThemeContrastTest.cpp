// Readability of the shipped themes: every text colour that a window draws on a background of
// the same theme reaches the WCAG AA contrast of 4.5:1, and every highlight differs visibly from
// the colour it stands out from.
//
// The pairs below come from the drawing code; a key that starts to be drawn on another background
// belongs in this list too.
#include <hostconf/Theme.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace HostConf;

namespace {

const std::string kThemes = std::string(FC_SOURCE_DIR) + "/host/themes";

struct Pair {
    const char* text;
    const char* background;
};

// Grid rows: the module's grids alternate the odd and even line colours and mark the selection;
// the host's own grids (fund filter, holdings) draw every row on list_bg.
const std::vector<const char*> kRowBackgrounds = {"list_bg_oddLine", "list_bg_evenLine", "list_sel_bg",
                                                  "list_bg"};
// Every colour a grid cell is written in: the columns' fixed colours from the header documents,
// the value colours by sign, the followed-fund highlight, the general page's row labels
// (list_title) and the host grids' text (list_prev_data).
const std::vector<const char*> kCellTexts = {
    "list_prev_data",      "list_name",           "list_style",     "list_value_zero",
    "list_value_negative", "list_value_positive", "list_highlight", "list_title",
    "list_cur_data",       "list_type2",          "list_company",
};

std::vector<Pair> TextPairs() {
    std::vector<Pair> pairs;
    for (const char* text : kCellTexts)
        for (const char* row : kRowBackgrounds)
            pairs.push_back({text, row});
    const Pair others[] = {
        // Grid headers, and the general page's group rows drawn like a header.
        {"list_title", "list_column_bg"},
        // Labels of the workspace, the allocation pages, the fund filter and the holdings pages.
        {"list_prev_data", "wnd_general_bg"},
        {"list_highlight", "wnd_general_bg"},
        // The page tab header of the workspace and the fund filter's type bar.
        {"tabhdr_normal_text", "tabhdr_normal_bg"},
        {"tabhdr_focus_text", "tabhdr_focus_bg"},
        // The main frame: toolbar (a hot button keeps its text colour), main tabs, status bar.
        {"toolbar_text", "toolbar_bg"},
        {"toolbar_text", "toolbar_hot_bg"},
        {"tab_text", "tab_bg"},
        {"tab_sel_text", "tab_sel_bg"},
        {"statusbar_text", "statusbar_bg"},
        // Standard controls take the theme through the system colours: buttons and message
        // boxes (button face), boxes and the picker (window), and selected items in lists and
        // menus (highlight, written in the window text colour).
        {"button_text", "button_bg"},
        {"combo_text", "combo_bg"},
        {"combo_text", "button_bg"},
        {"combo_text", "list_sel_bg"},
        // The growth page: the chart's captions, ticks and legend (a hidden line's name is dimmed,
        // still readable), and its pointer tip; the correlation matrix writes its labels in the
        // chart's text colour too.
        {"chart_text", "chart_bg"},
        {"chart_legend_hidden", "chart_bg"},
        {"chart_tip_text", "chart_tip_bg"},
        // Filter strips and the chart, as the theme pairs them.
        {"filter_text", "filter_bg"},
        {"filter_sel_text", "filter_sel_bg"},
        {"star_text", "star_bg"},
    };
    pairs.insert(pairs.end(), std::begin(others), std::end(others));
    return pairs;
}

// A highlight and the colour it replaces: a followed fund's name against the normal column
// colours, the selected tab's text, and selected or hot backgrounds against the plain ones.
struct Highlight {
    const char* highlight;
    const char* normal;
    double minimum; // CIE76 colour difference
};

// Thresholds: a colour difference (CIE76 delta E*ab) of about 2.3 is just noticeable; a highlight
// written in text must be another colour altogether (at least 40), a highlighted background must
// stand out clearly from its neighbours (at least 10) without taking the contrast the text needs.
const std::vector<Highlight> kHighlights = {
    {"list_highlight", "list_name", 40},         {"list_highlight", "list_prev_data", 40},
    {"list_highlight", "list_style", 40},        {"tab_sel_text", "tab_text", 40},
    {"list_sel_bg", "list_bg_oddLine", 10},      {"list_sel_bg", "list_bg_evenLine", 10},
    {"tabhdr_focus_bg", "tabhdr_normal_bg", 10}, {"toolbar_hot_bg", "toolbar_bg", 10},
    {"filter_sel_bg", "filter_bg", 10},
};

double Linear(int channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::array<double, 3> LinearRgb(COLORREF c) {
    return {Linear(GetRValue(c)), Linear(GetGValue(c)), Linear(GetBValue(c))};
}

// WCAG 2 relative luminance and contrast ratio.
double Luminance(COLORREF c) {
    auto [r, g, b] = LinearRgb(c);
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

double Contrast(COLORREF a, COLORREF b) {
    double x = Luminance(a), y = Luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// CIE L*a*b* under D65, and the plain Euclidean difference (CIE76).
std::array<double, 3> Lab(COLORREF c) {
    auto [r, g, b] = LinearRgb(c);
    double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    auto f = [](double t) {
        return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

double DeltaE(COLORREF a, COLORREF b) {
    auto p = Lab(a), q = Lab(b);
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                     (p[2] - q[2]) * (p[2] - q[2]));
}

COLORREF Colour(Theme& theme, const char* key) {
    COLORREF c = 0;
    EXPECT_TRUE(theme.GetColor(key, c)) << key;
    return c;
}

class ShippedTheme : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        XStringW error;
        theme = Theme::LoadFile(kThemes + "/" + GetParam() + ".xml", error);
        ASSERT_NE(theme, nullptr) << error.ToUtf8();
    }
    XComPtr<Theme> theme;
};

TEST(ThemeContrast, TheMeasuresAgreeWithKnownValues) {
    EXPECT_NEAR(Contrast(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(RGB(255, 255, 255), RGB(0, 0, 0)), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(RGB(119, 119, 119), RGB(255, 255, 255)), 4.48, 0.01);
    EXPECT_NEAR(Contrast(RGB(200, 200, 200), RGB(200, 200, 200)), 1.0, 1e-9);
    EXPECT_NEAR(DeltaE(RGB(255, 255, 255), RGB(0, 0, 0)), 100.0, 0.01);
    EXPECT_NEAR(DeltaE(RGB(255, 212, 0), RGB(255, 212, 0)), 0.0, 1e-9);
}

TEST_P(ShippedTheme, EveryTextReachesFourAndAHalfToOneOnItsBackgrounds) {
    double lowest = 21.0;
    std::string lowestPair;
    for (const Pair& p : TextPairs()) {
        double ratio = Contrast(Colour(*theme, p.text), Colour(*theme, p.background));
        EXPECT_GE(ratio, 4.5) << p.text << " on " << p.background;
        if (ratio < lowest) {
            lowest = ratio;
            lowestPair = std::string(p.text) + " on " + p.background;
        }
    }
    std::printf("%s theme: lowest contrast %.2f:1 (%s)\n", GetParam(), lowest, lowestPair.c_str());
    RecordProperty("lowest_contrast", std::to_string(lowest));
}

TEST_P(ShippedTheme, HighlightsDifferVisiblyFromWhatTheyReplace) {
    for (const Highlight& h : kHighlights)
        EXPECT_GE(DeltaE(Colour(*theme, h.highlight), Colour(*theme, h.normal)), h.minimum)
            << h.highlight << " against " << h.normal;
}

INSTANTIATE_TEST_SUITE_P(Themes, ShippedTheme, ::testing::Values("dark", "light"));

} // namespace
