// LineStyles: the fund palette, dash patterns and colour arithmetic.
#include "pages/growth/LineStyles.h"

#include <algorithm>
#include <cmath>

namespace LineStyles {
namespace {

constexpr float kDashedLengths[] = {8.0f, 4.0f};
constexpr float kDottedLengths[] = {2.0f, 3.0f};
constexpr float kDashDotLengths[] = {9.0f, 3.0f, 2.0f, 3.0f};
constexpr float kLongDashLengths[] = {16.0f, 5.0f};
// The index's own pattern, longer than any fund's, so that it reads as the benchmark.
constexpr float kIndexLengths[] = {12.0f, 6.0f};

double Channel(int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

DashPattern PatternOf(int dash) {
    switch (dash) {
    case kDashed:
        return {kDashedLengths, 2};
    case kDotted:
        return {kDottedLengths, 2};
    case kDashDot:
        return {kDashDotLengths, 4};
    case kLongDash:
        return {kLongDashLengths, 2};
    case kIndexDash:
        return {kIndexLengths, 2};
    default:
        return {};
    }
}

double Luminance(COLORREF colour) {
    return 0.2126 * Channel(GetRValue(colour)) + 0.7152 * Channel(GetGValue(colour)) +
           0.0722 * Channel(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

COLORREF FromHsl(double hue, double saturation, double lightness) {
    hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0);
    saturation = std::clamp(saturation, 0.0, 1.0);
    lightness = std::clamp(lightness, 0.0, 1.0);
    const double c = (1.0 - std::abs(2.0 * lightness - 1.0)) * saturation;
    const double x = c * (1.0 - std::abs(std::fmod(hue / 60.0, 2.0) - 1.0));
    const double m = lightness - c / 2.0;
    double r = 0, g = 0, b = 0;
    if (hue < 60)
        r = c, g = x;
    else if (hue < 120)
        r = x, g = c;
    else if (hue < 180)
        g = c, b = x;
    else if (hue < 240)
        g = x, b = c;
    else if (hue < 300)
        r = x, b = c;
    else
        r = c, b = x;
    auto byte = [m](double v) { return static_cast<BYTE>(std::lround(std::clamp(v + m, 0.0, 1.0) * 255.0)); };
    return RGB(byte(r), byte(g), byte(b));
}

LineStyle FundStyle(int k, COLORREF background, int saturation, int lightness) {
    k = std::max(0, k);
    LineStyle style;
    const int slot = k % kHues;
    style.dash = (k / kHues) % kDashes;
    // The golden angle spreads any run of consecutive slots round the circle; the 20 slots stay
    // at least 12 degrees apart, and the first five more than 50.
    const double hue = std::fmod(15.0 + slot * 137.50776, 360.0);
    const double s = std::clamp(saturation > 0 ? saturation : 70, 10, 100) / 100.0;
    double l = std::clamp(lightness > 0 ? lightness : 55, 10, 90) / 100.0;
    // Every other slot a shade apart, so that neighbouring hues also differ in lightness.
    const bool dark = Luminance(background) < 0.18;
    l += (slot % 2 == 0 ? 0.0 : (dark ? 0.08 : -0.08));
    style.colour = FromHsl(hue, s, l);
    for (int step = 0; step < 20 && Contrast(style.colour, background) < 3.0; ++step) {
        l += dark ? 0.03 : -0.03;
        style.colour = FromHsl(hue, s, l);
    }
    return style;
}

COLORREF TextOn(COLORREF background) {
    return Contrast(RGB(0, 0, 0), background) >= Contrast(RGB(255, 255, 255), background)
               ? RGB(0, 0, 0)
               : RGB(255, 255, 255);
}

COLORREF CorrelationColour(double value, COLORREF negative, COLORREF neutral, COLORREF positive) {
    if (std::isnan(value))
        return neutral;
    value = std::clamp(value, -1.0, 1.0);
    return value >= 0.0 ? Mix(neutral, positive, value) : Mix(neutral, negative, -value);
}

} // namespace LineStyles
