// LineStyles: how the growth chart tells up to 100 funds apart — twenty hues, each in five dash
// patterns — and the colour helpers the page's drawing shares (contrast, mixing, the red-to-blue
// scale of the correlation matrix).
#pragma once

#include <platform/windef.h>

#include <vector>

namespace LineStyles {

inline constexpr int kHues = 20;
inline constexpr int kDashes = 5;

// On and off lengths in pixels along the line, repeated; an empty pattern is a solid line.
struct DashPattern {
    const float* lengths = nullptr;
    int count = 0;
};

enum Dash { kSolid = 0, kDashed, kDotted, kDashDot, kLongDash, kIndexDash };
DashPattern PatternOf(int dash);

struct LineStyle {
    COLORREF colour = RGB(255, 255, 255);
    int dash = kSolid;
};

// The style of the k-th fund (k from 0): hue k mod 20 taken in golden-angle order, so that any
// few neighbours differ most, and dash k / 20. The colour is lightened (on a dark background) or
// darkened (on a light one) until it stands out from the background at 3:1 at least.
LineStyle FundStyle(int k, COLORREF background, int saturation, int lightness);

// WCAG relative luminance and the contrast ratio of two colours (1 to 21).
double Luminance(COLORREF colour);
double Contrast(COLORREF a, COLORREF b);
// a blended towards b by t (0 keeps a, 1 gives b).
COLORREF Mix(COLORREF a, COLORREF b, double t);
COLORREF FromHsl(double hueDegrees, double saturation, double lightness);
// Black or white, whichever reads better on the background (always 4.5:1 or more).
COLORREF TextOn(COLORREF background);
// The correlation scale: -1 blue, 0 the neutral colour, +1 red; NaN gives the neutral colour.
COLORREF CorrelationColour(double value, COLORREF negative, COLORREF neutral, COLORREF positive);

} // namespace LineStyles
