// ChartCanvas: what the growth page's charts draw their lines and boxes with, so that one drawing
// routine serves both the screen (PixelCanvas, straight into a bitmap's bits, fast enough for a
// hundred lines per frame) and a document (DcCanvas, GDI calls that a document keeps as vectors).
//
// Coordinates are in pixels with (0, 0) the top-left corner of the top-left pixel; a pixel's
// centre is at +0.5. Nothing is drawn outside the clip rectangle.
#pragma once

#include "pages/growth/LineStyles.h"

#include <platform/windef.h>

#include <cstddef>

struct ChartPoint {
    float x = 0.0f;
    float y = 0.0f;
};

class ChartCanvas {
public:
    virtual ~ChartCanvas() = default;

    virtual void SetClip(const RECT& clip) = 0;
    // A polyline of `width` pixels; the dash pattern runs on from one segment to the next.
    virtual void Polyline(const ChartPoint* points, size_t count, COLORREF colour, float width,
                          LineStyles::DashPattern dash) = 0;
    // Crisp one-pixel lines along the pixel grid, for axes, grid lines and the cursor.
    virtual void HorizontalLine(int x0, int x1, int y, COLORREF colour, int dashOn = 0, int dashOff = 0) = 0;
    virtual void VerticalLine(int x, int y0, int y1, COLORREF colour, int dashOn = 0, int dashOff = 0) = 0;
    virtual void FillRect(const RECT& rect, COLORREF colour) = 0;
};
