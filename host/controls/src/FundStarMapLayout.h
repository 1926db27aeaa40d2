// The geometry of the star map, kept apart from the window so that it can be checked without
// drawing: the axis ranges and ticks, the mapping from values to pixels, and where the star labels
// go.
#pragma once

#include <platform/windef.h>

#include <optional>
#include <vector>

namespace Control::StarMapLayout {

// A closed range of values with the ticks drawn on it.
struct Axis {
    double lower = 0.0;
    double upper = 1.0;
    double step = 0.1;
    std::vector<double> ticks; // the multiples of step inside [lower, upper], ascending
};

// The range to draw for an axis: the one asked for, widened so that every finite value fits.
// A range that is empty, reversed or not finite is replaced by the span of the values (or 0 to 1
// without values), so that a bad answer from a delegate still gives a usable chart.
void FitRange(double& lower, double& upper, const std::vector<double>& values);

// Ticks at a "round" step (1, 2, 2.5 or 5 times a power of ten) giving about `targetCount`
// intervals over the range. The range itself is kept.
Axis MakeAxis(double lower, double upper, int targetCount);

// Pixel of a value on an axis drawn from `from` (the lower end) to `to` (the upper end); either
// direction works, so the vertical axis passes the plot's bottom as `from`.
int ValueToPixel(double value, double lower, double upper, int from, int to);

// The margins around the plot area inside the map's client area.
constexpr int kPlotLeft = 72;
constexpr int kPlotRight = 24;
constexpr int kPlotTop = 36;
constexpr int kPlotBottom = 44;
RECT PlotArea(const RECT& client);

// A label to place: the star it belongs to (its centre and the half size of its marker) and the
// size of its text box.
struct LabelRequest {
    POINT anchor{0, 0};
    int markerRadius = 4;
    SIZE size{0, 0};
};

// Places labels in order. Each takes the first of the positions right, left, above, below and
// then the four corners, that stays inside `bounds` and covers neither a label already placed
// nor another star's marker. A label that fits nowhere is left out (the hover tip still names
// its star).
std::vector<std::optional<RECT>> PlaceLabels(const std::vector<LabelRequest>& requests, const RECT& bounds);

} // namespace Control::StarMapLayout
