// Fixed sizes of the data grid, in pixels.
#pragma once

namespace Control::grid {

constexpr int kBorder = 1;         // the frame around the grid
constexpr int kScrollBarSize = 12; // thickness of either scroll bar
constexpr int kMinThumb = 16;      // shortest thumb, so that a long list stays grabbable
constexpr int kCellPadding = 4;    // text inset from the cell's left and right edges
constexpr int kCheckBoxSpace = 18; // room of the check box in front of the first column
constexpr int kResizeSlop = 3;     // how near a header border a press starts a resize
constexpr int kMinColumnWidth = 8; // a resized column keeps at least this much
constexpr int kMaxSize = 100000;   // widths and heights beyond this are treated as absent
constexpr int kMaxFontSize = 200;  // fonts beyond this are held to it
constexpr int kWheelRows = 3;      // rows per wheel notch
constexpr int kSortMarkSize = 7;   // base of the sort triangle

} // namespace Control::grid
