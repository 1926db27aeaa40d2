#include "FundStarMapLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numeric>

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

// The point of a rectangle nearest to a point.
POINT NearestPoint(const RECT& r, POINT p) {
    return {std::clamp<LONG>(p.x, r.left, r.right - 1), std::clamp<LONG>(p.y, r.top, r.bottom - 1)};
}

// Whether the segment passes through the rectangle's pixels (clipping it against the four sides).
bool SegmentHits(POINT from, POINT to, const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top)
        return false;
    double t0 = 0.0, t1 = 1.0;
    const double dx = to.x - from.x, dy = to.y - from.y;
    // Pixel centres: the rectangle covers [left, right - 1] x [top, bottom - 1], widened by half a
    // pixel so that a line grazing a corner pixel counts.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {from.x - (r.left - 0.5), (r.right - 0.5) - from.x, from.y - (r.top - 0.5),
                         (r.bottom - 0.5) - from.y};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

// The box of a label of size (w, h) whose near side lies `d` pixels from (x, y) in direction k:
// right, left, above, below, then above right, below right, above left, below left.
RECT BoxAt(int k, int x, int y, int d, int w, int h) {
    // A corner position leaves the same gap along both axes, so it sits diagonally off the star.
    const int c = std::max(1, static_cast<int>(std::lround(d * 0.71)));
    POINT o{};
    switch (k) {
    case 0:
        o = {x + d, y - h / 2};
        break;
    case 1:
        o = {x - d - w, y - h / 2};
        break;
    case 2:
        o = {x - w / 2, y - d - h};
        break;
    case 3:
        o = {x - w / 2, y + d};
        break;
    case 4:
        o = {x + c, y - c - h};
        break;
    case 5:
        o = {x + c, y + c};
        break;
    case 6:
        o = {x - c - w, y - c - h};
        break;
    default:
        o = {x - c - w, y + c};
        break;
    }
    return {o.x, o.y, o.x + w, o.y + h};
}

// The box of a label moved `d` pixels away from (x, y) at an angle (radians, y downward): the
// point that far along the angle is the box's point nearest to the star.
RECT BoxAlong(double angle, int x, int y, int d, int w, int h) {
    const double cx = std::cos(angle), cy = std::sin(angle);
    const LONG px = x + static_cast<LONG>(std::lround(d * cx)),
               py = y + static_cast<LONG>(std::lround(d * cy));
    // Within about 22 degrees of an axis the box is centred across it.
    const LONG left = cx > 0.38 ? px : cx < -0.38 ? px - w : px - w / 2;
    const LONG top = cy > 0.38 ? py : cy < -0.38 ? py - h : py - h / 2;
    return {left, top, left + w, top + h};
}

} // namespace

double RectDistance(const RECT& a, const RECT& b) {
    // Half-open rectangles: a right edge of 10 and a left edge of 10 touch.
    const double dx = std::max<LONG>({0, b.left - a.right, a.left - b.right});
    const double dy = std::max<LONG>({0, b.top - a.bottom, a.top - b.bottom});
    return std::hypot(dx, dy);
}

std::vector<std::optional<PlacedLabel>> PlaceLabels(const std::vector<LabelRequest>& requests,
                                                    const RECT& bounds) {
    // How far a label may move from its star, in steps, before it is left out.
    constexpr int kLeaderStep = 8;
    constexpr int kLeaderSteps = 6;
    // The averages and the index may go farther, so that a crowd of funds does not hide them.
    constexpr int kPreferredLeaderSteps = 20;
    // Sixteen directions, the sides and corners first.
    constexpr int kLeaderDirections = 16;
    constexpr double kPi = 3.14159265358979323846;
    static const std::array<double, kLeaderDirections> kLeaderAngles = [] {
        std::array<double, kLeaderDirections> a{};
        const int order[] = {0, 8, 12, 4, 14, 2, 10, 6, 15, 1, 13, 3, 9, 7, 11, 5};
        for (int i = 0; i < kLeaderDirections; ++i)
            a[static_cast<std::size_t>(i)] = order[i] * kPi / 8;
        return a;
    }();

    std::vector<RECT> markers;
    markers.reserve(requests.size());
    for (const LabelRequest& r : requests)
        markers.push_back(MarkerRect(r));

    std::vector<std::size_t> order(requests.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return requests[a].preferred && !requests[b].preferred;
    });

    struct Leader {
        POINT from, to;
    };
    std::vector<RECT> placed;
    std::vector<Leader> leaders;
    std::vector<std::optional<PlacedLabel>> result(requests.size());

    // Free of the bounds, the labels and leader lines placed so far and every marker.
    auto free = [&](const RECT& box) {
        if (!Inside(box, bounds))
            return false;
        for (const RECT& p : placed)
            if (Overlaps(p, box))
                return false;
        for (const Leader& l : leaders)
            if (SegmentHits(l.from, l.to, box))
                return false;
        for (const RECT& m : markers)
            if (Overlaps(m, box))
                return false;
        return true;
    };
    // No other star within `clearance` pixels of the box beyond the distance to the label's own.
    auto clearOfOthers = [&](std::size_t i, const RECT& box, double own, double clearance) {
        for (std::size_t j = 0; j < markers.size(); ++j)
            if (j != i && RectDistance(markers[j], box) < own + clearance)
                return false;
        return true;
    };

    for (std::size_t i : order) {
        const LabelRequest& r = requests[i];
        const int w = r.size.cx, h = r.size.cy, x = r.anchor.x, y = r.anchor.y;
        if (w <= 0 || h <= 0)
            continue;
        const int near = r.markerRadius + kLabelGap;
        std::optional<PlacedLabel> chosen;
        for (int k = 0; k < 8 && !chosen; ++k) {
            RECT box = BoxAt(k, x, y, near, w, h);
            if (free(box) && clearOfOthers(i, box, RectDistance(markers[i], box), kLabelClearance))
                chosen = PlacedLabel{box, false, {}, {}};
        }
        // Leader lines cross no other marker; only when that leaves an average or the index without
        // a place may its line pass over funds' markers, never over another reference star.
        const int passes = r.preferred ? 2 : 1;
        const int steps = r.preferred ? kPreferredLeaderSteps : kLeaderSteps;
        for (int pass = 0; pass < passes && !chosen; ++pass) {
            for (int step = 1; step <= steps && !chosen; ++step) {
                for (int k = 0; k < kLeaderDirections && !chosen; ++k) {
                    RECT box = BoxAlong(kLeaderAngles[k], x, y, near + step * kLeaderStep, w, h);
                    if (!free(box) || !clearOfOthers(i, box, 0.0, kLabelClearance))
                        continue;
                    // The line runs from the marker's edge to the nearest point of the box.
                    POINT to = NearestPoint(box, r.anchor);
                    double length = std::hypot(to.x - x, to.y - y);
                    if (length <= r.markerRadius + 1)
                        continue;
                    POINT from{
                        x + static_cast<LONG>(std::lround((to.x - x) * (r.markerRadius + 1) / length)),
                        y + static_cast<LONG>(std::lround((to.y - y) * (r.markerRadius + 1) / length))};
                    bool crosses = false;
                    for (std::size_t j = 0; j < markers.size() && !crosses; ++j)
                        crosses = j != i && (pass == 0 || requests[j].preferred) &&
                                  SegmentHits(from, to, markers[j]);
                    for (std::size_t p = 0; p < placed.size() && !crosses; ++p)
                        crosses = SegmentHits(from, to, placed[p]);
                    if (!crosses)
                        chosen = PlacedLabel{box, true, from, to};
                }
            }
        }
        if (!chosen)
            continue;
        placed.push_back(chosen->box);
        if (chosen->leader)
            leaders.push_back({chosen->leaderFrom, chosen->leaderTo});
        result[i] = chosen;
    }
    return result;
}

} // namespace Control::StarMapLayout
