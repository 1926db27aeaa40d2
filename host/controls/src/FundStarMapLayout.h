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

// A label to place: the star it belongs to (its centre and the half size of its marker), the size
// of its text box (zero for a star without a label, whose marker still keeps other labels off), and
// whether it goes before the others when space runs out (the averages and the index, which give
// the chart its bearings).
struct LabelRequest {
    POINT anchor{0, 0};
    int markerRadius = 4;
    SIZE size{0, 0};
    bool preferred = false;
};

// Where a label went. A label moved away from its star is joined to it by a leader line from
// `leaderFrom` (the edge of the star's marker) to `leaderTo` (the nearest point of the box).
struct PlacedLabel {
    RECT box{0, 0, 0, 0};
    bool leader = false;
    POINT leaderFrom{0, 0};
    POINT leaderTo{0, 0};
};

// The gap between a marker and a label beside it.
constexpr int kLabelGap = 2;
// A label beside its star keeps every other star at least this much farther than its own, so that
// nobody reads it as the other star's; a label on a leader keeps other stars this far off.
constexpr int kLabelClearance = 6;

// Places the preferred labels first, then the others, each in request order. A label first tries
// the positions right, left, above, below and the four corners beside its star; a position counts
// when it stays inside `bounds`, covers no label, leader line or marker, and leaves no other star
// nearly as close as its own. When none counts, the label moves out in steps, in sixteen
// directions, with a leader line that crosses no other marker or label; the box then keeps every
// other star `kLabelClearance` away. A preferred label goes farther, and as a last resort its line
// may pass over the markers of labels that are not preferred. A label that fits nowhere is left
// out (the hover tip still names its star). Results are in request order.
std::vector<std::optional<PlacedLabel>> PlaceLabels(const std::vector<LabelRequest>& requests,
                                                    const RECT& bounds);

// The distance between the nearest points of two rectangles (0 when they touch or overlap).
double RectDistance(const RECT& a, const RECT& b);

} // namespace Control::StarMapLayout
