// Colours that stay readable: the WCAG 2 measures of luminance and contrast, and the adjustments
// the controls make when they choose a text colour for a background they do not control.
#pragma once

#include <platform/windows.h>

#include <algorithm>
#include <cmath>

namespace Control::hostctl {

// The contrast that normal text needs (WCAG 2, level AA).
constexpr double kTextContrast = 4.5;

// Relative luminance: 0 for black, 1 for white.
inline double Luminance(COLORREF c) {
    auto linear = [](int channel) {
        double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
}

// From 1 (the same luminance) to 21 (black on white), whichever of the two is lighter.
inline double ContrastRatio(COLORREF a, COLORREF b) {
    double x = Luminance(a), y = Luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The preferred colour when it reaches `minimum` against the background. Otherwise it is moved
// toward white when it is lighter than the background (and white can reach the minimum there), or
// toward black, just far enough; a background that allows the minimum with neither gets the
// extreme with the stronger contrast. The hue is kept as far as the contrast allows.
inline COLORREF Readable(COLORREF preferred, COLORREF background, double minimum = kTextContrast) {
    if (ContrastRatio(preferred, background) >= minimum)
        return preferred;
    const double back = Luminance(background);
    const double withWhite = 1.05 / (back + 0.05), withBlack = (back + 0.05) / 0.05;
    bool towardWhite = Luminance(preferred) > back ? withWhite >= minimum || withWhite > withBlack
                                                   : withBlack < minimum && withWhite > withBlack;
    const COLORREF extreme = towardWhite ? RGB(255, 255, 255) : RGB(0, 0, 0);
    for (int step = 1; step <= 64; ++step) {
        double t = step / 64.0;
        auto channel = [t](int from, int to) {
            return static_cast<BYTE>(std::lround(from + (to - from) * t));
        };
        COLORREF c = RGB(channel(GetRValue(preferred), GetRValue(extreme)),
                         channel(GetGValue(preferred), GetGValue(extreme)),
                         channel(GetBValue(preferred), GetBValue(extreme)));
        if (ContrastRatio(c, background) >= minimum)
            return c;
    }
    return extreme;
}

// Neutral inks for text on a background that nobody gave a text colour for.
constexpr COLORREF kLightInk = RGB(224, 228, 234);
constexpr COLORREF kDarkInk = RGB(32, 36, 44);

// The ink that reads on the background: light on dark, dark on light.
inline COLORREF InkFor(COLORREF background) {
    double back = Luminance(background);
    COLORREF ink = (1.05 / (back + 0.05)) > ((back + 0.05) / 0.05) ? kLightInk : kDarkInk;
    return Readable(ink, background);
}

} // namespace Control::hostctl
