// PixelCanvas: anti-aliased lines of one or two pixels, straight into the bits of a 32-bit
// top-down DIB section. A hundred lines of a thousand points each go through here in a few
// milliseconds, where one GDI call per segment would take several frames.
//
// Coordinates are in pixels with (0, 0) the top-left corner of the top-left pixel; a pixel's
// centre is at +0.5. Nothing is drawn outside the clip rectangle.
#pragma once

#include "pages/growth/ChartCanvas.h"
#include "pages/growth/LineStyles.h"

#include <platform/windef.h>

#include <cstdint>
#include <vector>

class PixelCanvas : public ChartCanvas {
public:
    // stride in pixels; the bits stay owned by the caller.
    PixelCanvas(std::uint32_t* bits, int width, int height, int stride);

    void SetClip(const RECT& clip) override;
    const RECT& Clip() const { return m_clip; }

    // A polyline of `width` (1 or 2) pixels; the dash pattern runs on from one segment to the next.
    void Polyline(const ChartPoint* points, size_t count, COLORREF colour, float width,
                  LineStyles::DashPattern dash) override;
    // Crisp one-pixel lines along the pixel grid, for axes, grid lines and the cursor.
    void HorizontalLine(int x0, int x1, int y, COLORREF colour, int dashOn = 0, int dashOff = 0) override;
    void VerticalLine(int x, int y0, int y1, COLORREF colour, int dashOn = 0, int dashOff = 0) override;
    void FillRect(const RECT& rect, COLORREF colour) override;
    COLORREF Pixel(int x, int y) const;

private:
    void Blend(int x, int y, std::uint32_t colour, float coverage);
    void Segment(float x0, float y0, float x1, float y1, std::uint32_t colour, float width,
                 LineStyles::DashPattern dash, float& phase, int& dashIndex);

    std::uint32_t* m_bits;
    int m_width;
    int m_height;
    int m_stride;
    RECT m_clip;
};

// Reduces a line to what its pixel columns can show: for each column that points fall into, the
// first, the lowest, the highest and the last of them, in the order they came. A line with no more
// points than columns comes out unchanged.
void DecimateToColumns(const ChartPoint* points, size_t count, std::vector<ChartPoint>& out);
