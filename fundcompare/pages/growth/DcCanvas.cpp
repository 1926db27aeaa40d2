// DcCanvas: chart lines and boxes as GDI calls.
#include "pages/growth/DcCanvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

DcCanvas::DcCanvas(HDC dc) : m_dc(dc) {
    m_outer = SaveDC(dc);
    m_clipped = SaveDC(dc);
}

DcCanvas::~DcCanvas() {
    RestoreDC(m_dc, m_outer);
}

void DcCanvas::SetClip(const RECT& clip) {
    RestoreDC(m_dc, m_clipped);
    m_clipped = SaveDC(m_dc);
    IntersectClipRect(m_dc, clip.left, clip.top, clip.right, clip.bottom);
}

int DcCanvas::PenStyleOf(LineStyles::DashPattern dash) {
    if (dash.count < 2 || dash.lengths == nullptr)
        return PS_SOLID;
    if (dash.count >= 6)
        return PS_DASHDOTDOT;
    if (dash.count >= 4)
        return PS_DASHDOT;
    // One on and one off: dots when the marks are short, dashes otherwise.
    return dash.lengths[0] <= 3.0f ? PS_DOT : PS_DASH;
}

void DcCanvas::Line(const POINT* points, int count, COLORREF colour, int width, int style) {
    HPEN pen = CreatePen(style, std::max(1, width), colour);
    HGDIOBJ old = SelectObject(m_dc, pen);
    SetBkMode(m_dc, TRANSPARENT);
    ::Polyline(m_dc, points, count);
    SelectObject(m_dc, old);
    DeleteObject(pen);
}

void DcCanvas::Polyline(const ChartPoint* points, size_t count, COLORREF colour, float width,
                        LineStyles::DashPattern dash) {
    if (points == nullptr || count < 2)
        return;
    std::vector<POINT> path;
    path.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y))
            continue;
        // A point's pixel is the one its coordinates fall in; GDI draws through that pixel's centre.
        POINT p{static_cast<LONG>(std::floor(points[i].x)), static_cast<LONG>(std::floor(points[i].y))};
        if (path.empty() || p.x != path.back().x || p.y != path.back().y)
            path.push_back(p);
    }
    if (path.size() >= 2)
        Line(path.data(), static_cast<int>(path.size()), colour, static_cast<int>(std::lround(width)),
             PenStyleOf(dash));
}

void DcCanvas::HorizontalLine(int x0, int x1, int y, COLORREF colour, int dashOn, int dashOff) {
    const POINT points[2] = {{x0, y}, {x1, y}};
    Line(points, 2, colour, 1, dashOn > 0 && dashOff > 0 ? PS_DOT : PS_SOLID);
}

void DcCanvas::VerticalLine(int x, int y0, int y1, COLORREF colour, int dashOn, int dashOff) {
    const POINT points[2] = {{x, y0}, {x, y1}};
    Line(points, 2, colour, 1, dashOn > 0 && dashOff > 0 ? PS_DOT : PS_SOLID);
}

void DcCanvas::FillRect(const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    SetDCBrushColor(m_dc, colour);
    ::FillRect(m_dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}
