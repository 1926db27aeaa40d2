#include "FundStarMapLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Control::StarMapLayout {

void FitRange(double& lower, double& upper, const std::vector<double>& values) {
    double lo = 0.0, hi = 0.0;
    bool any = false;
    for (double v : values) {
        if (!std::isfinite(v))
            continue;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    if (!std::isfinite(lower) || !std::isfinite(upper) || !(upper > lower)) {
        if (!any) {
            lower = 0.0;
            upper = 1.0;
            return;
        }
        lower = lo;
        upper = hi;
        // A single value (or all equal) still needs room around it.
        if (!(upper > lower)) {
            double pad = std::max(1.0, std::fabs(lower) * 0.1);
            lower -= pad;
            upper += pad;
        }
        return;
    }
    if (!any)
        return;
    // A star outside the asked range is kept in view with a small margin, so that no fund
    // silently falls off the chart.
    double margin = (upper - lower) * 0.05;
    if (lo < lower)
        lower = lo - margin;
    if (hi > upper)
        upper = hi + margin;
}

Axis MakeAxis(double lower, double upper, int targetCount) {
    Axis axis;
    axis.lower = lower;
    axis.upper = upper;
    double span = upper - lower;
    if (!std::isfinite(span) || span <= 0.0) {
        axis.step = 0.0;
        return axis;
    }
    targetCount = std::max(1, targetCount);
    double raw = span / targetCount;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * power;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * power >= raw * 0.999) {
            step = m * power;
            break;
        }
    }
    axis.step = step;
    // Ticks are computed as integer multiples, so that 0 is exactly 0 and no drift builds up.
    double first = std::ceil(lower / step - 1e-9);
    double last = std::floor(upper / step + 1e-9);
    for (double k = first; k <= last && axis.ticks.size() < 200; k += 1.0) {
        double t = k * step;
        axis.ticks.push_back(std::fabs(t) < step * 1e-9 ? 0.0 : t);
    }
    return axis;
}

int ValueToPixel(double value, double lower, double upper, int from, int to) {
    if (!(upper > lower) || !std::isfinite(value))
        return from;
    // Far-off values are pinned a little outside the axis instead of overflowing an int.
    double f = std::clamp((value - lower) / (upper - lower), -1.0, 2.0);
    return from + static_cast<int>(std::lround(f * (to - from)));
}

RECT PlotArea(const RECT& client) {
    RECT plot{client.left + kPlotLeft, client.top + kPlotTop, client.right - kPlotRight,
              client.bottom - kPlotBottom};
    plot.right = std::max(plot.right, plot.left + 1);
    plot.bottom = std::max(plot.bottom, plot.top + 1);
    return plot;
}

namespace {

bool Overlaps(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT MarkerRect(const LabelRequest& r) {
    return {r.anchor.x - r.markerRadius, r.anchor.y - r.markerRadius, r.anchor.x + r.markerRadius + 1,
            r.anchor.y + r.markerRadius + 1};
}

} // namespace

std::vector<std::optional<RECT>> PlaceLabels(const std::vector<LabelRequest>& requests, const RECT& bounds) {
    constexpr int kGap = 2;
    std::vector<RECT> markers;
    markers.reserve(requests.size());
    for (const LabelRequest& r : requests)
        markers.push_back(MarkerRect(r));

    std::vector<RECT> placed;
    std::vector<std::optional<RECT>> result;
    result.reserve(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const LabelRequest& r = requests[i];
        const int w = r.size.cx, h = r.size.cy, x = r.anchor.x, y = r.anchor.y, d = r.markerRadius + kGap;
        if (w <= 0 || h <= 0) {
            result.emplace_back();
            continue;
        }
        const std::array<POINT, 8> corners{{
            {x + d, y - h / 2},         // right
            {x - d - w, y - h / 2},     // left
            {x - w / 2, y - d - h},     // above
            {x - w / 2, y + d},         // below
            {x + d, y - d - h + 2},     // above right
            {x + d, y + d - 2},         // below right
            {x - d - w, y - d - h + 2}, // above left
            {x - d - w, y + d - 2},     // below left
        }};
        std::optional<RECT> chosen;
        for (const POINT& c : corners) {
            RECT box{c.x, c.y, c.x + w, c.y + h};
            if (!Inside(box, bounds))
                continue;
            bool clash =
                std::any_of(placed.begin(), placed.end(), [&](const RECT& p) { return Overlaps(p, box); });
            for (std::size_t j = 0; !clash && j < markers.size(); ++j)
                clash = j != i && Overlaps(markers[j], box);
            if (!clash) {
                chosen = box;
                break;
            }
        }
        if (chosen)
            placed.push_back(*chosen);
        result.push_back(chosen);
    }
    return result;
}

} // namespace Control::StarMapLayout
