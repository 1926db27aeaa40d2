// Pixel-exact fills, lines and shapes, single pixels, and the USER32 rectangle drawing calls.
//
// One-pixel pens are rasterised here (Bresenham, end point left out, dash patterns carried from
// one segment to the next) and handed to cairo as pixel rectangles, so their pixels are the ones
// Win32 sets. Wider pens and curved outlines go through cairo without anti-aliasing.
#include "DeviceContext.h"

#include "platform/winbase.h"
#include "platform/winuser_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform::gdi {

namespace {

// Dash patterns of one-pixel pens in pixels, on and off alternating (Win32's cosmetic patterns).
struct DashPattern {
    const int* lengths;
    int count;
};

DashPattern patternOf(UINT style) {
    static const int dash[] = {18, 6};
    static const int dot[] = {3, 3};
    static const int dashDot[] = {9, 6, 3, 6};
    static const int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case PS_DASH:
        return {dash, 2};
    case PS_DOT:
        return {dot, 2};
    case PS_DASHDOT:
        return {dashDot, 4};
    case PS_DASHDOTDOT:
        return {dashDotDot, 6};
    default:
        return {nullptr, 0};
    }
}

long long clampCoord(long long v) {
    return std::clamp<long long>(v, -(1LL << 24), 1LL << 24);
}

void fillLogicalRect(cairo_t* cr, long long left, long long top, long long right, long long bottom,
                     COLORREF color) {
    left = clampCoord(left), top = clampCoord(top), right = clampCoord(right), bottom = clampCoord(bottom);
    if (right <= left || bottom <= top)
        return;
    SetSourceColor(cr, color);
    cairo_rectangle(cr, static_cast<double>(left), static_cast<double>(top),
                    static_cast<double>(right - left), static_cast<double>(bottom - top));
    cairo_fill(cr);
}

// Draws a pen line from (x0, y0) towards (x1, y1) without its last pixel. `styleStep` carries the
// position in the dash pattern across the segments of one figure.
class LineRasterizer {
public:
    LineRasterizer(DeviceContext* dc, cairo_t* cr) : m_cr(cr) {
        const Pen* pen = dc->state.pen;
        m_pattern = patternOf(pen->style);
        m_color = dc->PenColor();
        m_opaqueGaps = dc->state.bkMode == OPAQUE;
        m_bkColor = dc->state.bkColor;
        m_width = pen->style == PS_NULL ? 0 : pen->width;
        m_vector = dc->IsVector();
    }

    ~LineRasterizer() { strokeVectorPath(); }
    LineRasterizer(const LineRasterizer&) = delete;
    LineRasterizer& operator=(const LineRasterizer&) = delete;

    bool Visible() const { return m_width > 0; }

    void Segment(long long x0, long long y0, long long x1, long long y1) {
        if (m_width == 0)
            return;
        x0 = clampCoord(x0), y0 = clampCoord(y0), x1 = clampCoord(x1), y1 = clampCoord(y1);
        if (m_vector) {
            vectorSegment(x0, y0, x1, y1);
            return;
        }
        if (m_width > 1) {
            wideSegment(x0, y0, x1, y1);
            return;
        }
        long long dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        if (m_pattern.count == 0 && (dx == 0 || dy == 0)) {
            // Straight solid lines are one rectangle.
            if (dx == 0 && dy == 0)
                return;
            long long left = dx == 0 ? x0 : (sx > 0 ? x0 : x1 + 1);
            long long top = dy == 0 ? y0 : (sy > 0 ? y0 : y1 + 1);
            fillLogicalRect(m_cr, left, top, left + (dx == 0 ? 1 : dx), top + (dy == 0 ? 1 : dy), m_color);
            return;
        }
        long long err = (dx > dy ? dx : -dy) / 2;
        long long x = x0, y = y0;
        long long steps = std::max(dx, dy);
        for (long long i = 0; i < steps; ++i) {
            plot(x, y);
            long long e2 = err;
            if (e2 > -dx) {
                err -= dy;
                x += sx;
            }
            if (e2 < dy) {
                err += dx;
                y += sy;
            }
        }
        flush();
    }

private:
    void plot(long long x, long long y) {
        bool on = true;
        if (m_pattern.count > 0) {
            on = (m_patternIndex % 2) == 0;
            if (++m_patternPos >= m_pattern.lengths[m_patternIndex]) {
                m_patternPos = 0;
                m_patternIndex = (m_patternIndex + 1) % m_pattern.count;
            }
            if (!on && !m_opaqueGaps)
                return;
        }
        COLORREF color = on ? m_color : m_bkColor;
        // Runs of pixels on one row or one column merge into one rectangle.
        if (m_runLength > 0 && color == m_runColor) {
            if (y == m_runY && x == m_runX + m_runLength && m_runHeight == 1) {
                ++m_runLength;
                return;
            }
            if (x == m_runX && m_runLength == 1 && y == m_runY + m_runHeight) {
                ++m_runHeight;
                return;
            }
        }
        flush();
        m_runX = x, m_runY = y, m_runLength = 1, m_runHeight = 1, m_runColor = color;
    }

    void flush() {
        if (m_runLength > 0)
            fillLogicalRect(m_cr, m_runX, m_runY, m_runX + m_runLength, m_runY + m_runHeight, m_runColor);
        m_runLength = 0;
    }

    void wideSegment(long long x0, long long y0, long long x1, long long y1) {
        SetSourceColor(m_cr, m_color);
        cairo_set_line_width(m_cr, m_width);
        cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(m_cr, static_cast<double>(x0) + 0.5, static_cast<double>(y0) + 0.5);
        cairo_line_to(m_cr, static_cast<double>(x1) + 0.5, static_cast<double>(y1) + 0.5);
        cairo_stroke(m_cr);
    }

    // A document keeps lines as lines: the segments of one call become one path through the pixel
    // centres, stroked once when the call ends, dashed with the pen's pattern along its length.
    void vectorSegment(long long x0, long long y0, long long x1, long long y1) {
        if (!m_pathOpen || x0 != m_lastX || y0 != m_lastY)
            cairo_move_to(m_cr, static_cast<double>(x0) + 0.5, static_cast<double>(y0) + 0.5);
        cairo_line_to(m_cr, static_cast<double>(x1) + 0.5, static_cast<double>(y1) + 0.5);
        m_pathOpen = true;
        m_lastX = x1;
        m_lastY = y1;
    }

    void strokeVectorPath() {
        if (!m_pathOpen)
            return;
        m_pathOpen = false;
        SetSourceColor(m_cr, m_color);
        cairo_set_line_width(m_cr, std::max(1, m_width));
        cairo_set_line_cap(m_cr, m_width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
        if (m_pattern.count > 0) {
            double dashes[8];
            int count = std::min(m_pattern.count, 8);
            for (int i = 0; i < count; ++i)
                dashes[i] = m_pattern.lengths[i];
            cairo_set_dash(m_cr, dashes, count, 0);
        }
        cairo_stroke(m_cr);
        cairo_set_dash(m_cr, nullptr, 0, 0);
    }

    cairo_t* m_cr;
    bool m_vector = false;
    bool m_pathOpen = false;
    long long m_lastX = 0, m_lastY = 0;
    DashPattern m_pattern;
    COLORREF m_color;
    COLORREF m_bkColor;
    bool m_opaqueGaps;
    int m_width;
    int m_patternIndex = 0;
    int m_patternPos = 0;
    long long m_runX = 0, m_runY = 0, m_runLength = 0, m_runHeight = 0;
    COLORREF m_runColor = 0;
};

struct NormalRect {
    long long left, top, right, bottom;
};

NormalRect normalize(int left, int top, int right, int bottom) {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// Fills the current path with the DC's brush, if any, keeping the path.
void fillPathWithBrush(DeviceContext* dc, cairo_t* cr) {
    COLORREF color;
    if (!dc->BrushColor(dc->state.brush, &color))
        return;
    SetSourceColor(cr, color);
    cairo_fill_preserve(cr);
}

void strokeCurvedOutline(DeviceContext* dc, cairo_t* cr) {
    const Pen* pen = dc->state.pen;
    if (pen->style == PS_NULL)
        return;
    SetSourceColor(cr, dc->PenColor());
    cairo_set_line_width(cr, pen->width);
    cairo_stroke_preserve(cr);
}

bool resolveBrush(DeviceContext* dc, HBRUSH handle, bool* visible, COLORREF* color) {
    if (SystemColorFromBrushValue(handle, color)) {
        *visible = true;
        return true;
    }
    auto* brush = Lookup<Brush>(handle, OBJ_BRUSH);
    if (brush == nullptr)
        return false;
    *visible = dc->BrushColor(brush, color);
    return true;
}

// Applies `invert` (difference with white inverts opaque colours exactly) to pixel rectangles.
void invertRect(cairo_t* cr, long long left, long long top, long long right, long long bottom) {
    if (right <= left || bottom <= top)
        return;
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, static_cast<double>(left), static_cast<double>(top),
                    static_cast<double>(right - left), static_cast<double>(bottom - top));
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

std::uint32_t* pixelAddress(DeviceContext* dc, int x, int y) {
    // A document has no pixels to read or write in place.
    if (dc->IsVector())
        return nullptr;
    long long sx = static_cast<long long>(x) + dc->OffsetX();
    long long sy = static_cast<long long>(y) + dc->OffsetY();
    if (sx < 0 || sy < 0 || sx >= dc->SurfaceWidth() || sy >= dc->SurfaceHeight())
        return nullptr;
    if (!cairo_region_contains_point(dc->EffectiveClip(), static_cast<int>(sx), static_cast<int>(sy)))
        return nullptr;
    cairo_surface_t* target = dc->Target();
    cairo_surface_flush(target);
    unsigned char* data = cairo_image_surface_get_data(target);
    int stride = cairo_image_surface_get_stride(target);
    return reinterpret_cast<std::uint32_t*>(data + sy * stride) + sx;
}

} // namespace

} // namespace platform::gdi

using namespace platform::gdi;

extern "C" {

int WINAPI FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = LookupDC(handle);
    bool visible = false;
    COLORREF color = 0;
    if (dc == nullptr || rect == nullptr || !resolveBrush(dc, brush, &visible, &color))
        return FALSE;
    if (visible)
        fillLogicalRect(dc->Prepare(), rect->left, rect->top, rect->right, rect->bottom, color);
    return TRUE;
}

int WINAPI FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = LookupDC(handle);
    bool visible = false;
    COLORREF color = 0;
    if (dc == nullptr || rect == nullptr || !resolveBrush(dc, brush, &visible, &color))
        return FALSE;
    long long l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    if (!visible || r <= l || b <= t)
        return TRUE;
    cairo_t* cr = dc->Prepare();
    fillLogicalRect(cr, l, t, r, t + 1, color);
    fillLogicalRect(cr, l, b - 1, r, b, color);
    fillLogicalRect(cr, l, t + 1, l + 1, b - 1, color);
    fillLogicalRect(cr, r - 1, t + 1, r, b - 1, color);
    return TRUE;
}

BOOL WINAPI InvertRect(HDC handle, const RECT* rect) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    invertRect(dc->Prepare(), rect->left, rect->top, rect->right, rect->bottom);
    return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC handle, const RECT* rect) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    long long l = rect->left, t = rect->top, r = rect->right, b = rect->bottom;
    if (r <= l || b <= t)
        return TRUE;
    cairo_t* cr = dc->Prepare();
    // Every other pixel along the border, on a checkerboard so the corners meet.
    for (long long x = l; x < r; ++x) {
        if (((x + t) & 1) == 0)
            invertRect(cr, x, t, x + 1, t + 1);
        if (b - 1 > t && ((x + b - 1) & 1) == 0)
            invertRect(cr, x, b - 1, x + 1, b);
    }
    for (long long y = t + 1; y < b - 1; ++y) {
        if (((l + y) & 1) == 0)
            invertRect(cr, l, y, l + 1, y + 1);
        if (r - 1 > l && ((r - 1 + y) & 1) == 0)
            invertRect(cr, r - 1, y, r, y + 1);
    }
    return TRUE;
}

BOOL WINAPI DrawEdge(HDC handle, LPRECT rect, UINT edge, UINT flags) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || rect == nullptr)
        return FALSE;
    cairo_t* cr = dc->Prepare();
    RECT r = *rect;
    // Outer then inner border; each is a light and a dark colour on opposite sides.
    struct Ring {
        UINT raised, sunken;
        COLORREF raisedLight, raisedDark, sunkenLight, sunkenDark;
    };
    const Ring rings[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW),
         GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT)},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW),
         GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)},
    };
    for (const Ring& ring : rings) {
        bool raised = (edge & ring.raised) != 0, sunken = (edge & ring.sunken) != 0;
        if (!raised && !sunken)
            continue;
        COLORREF light = raised ? ring.raisedLight : ring.sunkenLight;
        COLORREF dark = raised ? ring.raisedDark : ring.sunkenDark;
        if (flags & BF_TOP)
            fillLogicalRect(cr, r.left, r.top, r.right, r.top + 1, light);
        if (flags & BF_LEFT)
            fillLogicalRect(cr, r.left, r.top, r.left + 1, r.bottom, light);
        if (flags & BF_BOTTOM)
            fillLogicalRect(cr, r.left, r.bottom - 1, r.right, r.bottom, dark);
        if (flags & BF_RIGHT)
            fillLogicalRect(cr, r.right - 1, r.top, r.right, r.bottom, dark);
        if (flags & BF_LEFT)
            ++r.left;
        if (flags & BF_TOP)
            ++r.top;
        if (flags & BF_RIGHT)
            --r.right;
        if (flags & BF_BOTTOM)
            --r.bottom;
    }
    if (flags & BF_MIDDLE)
        fillLogicalRect(cr, r.left, r.top, r.right, r.bottom, GetSysColor(COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}

BOOL WINAPI FillRgn(HDC handle, HRGN regionHandle, HBRUSH brush) {
    DeviceContext* dc = LookupDC(handle);
    auto* region = Lookup<Region>(regionHandle, OBJ_REGION);
    bool visible = false;
    COLORREF color = 0;
    if (dc == nullptr || region == nullptr || !resolveBrush(dc, brush, &visible, &color))
        return FALSE;
    if (!visible)
        return TRUE;
    cairo_t* cr = dc->Prepare();
    for (int i = 0, n = cairo_region_num_rectangles(region->region); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region->region, i, &r);
        fillLogicalRect(cr, r.x, r.y, static_cast<long long>(r.x) + r.width,
                        static_cast<long long>(r.y) + r.height, color);
    }
    return TRUE;
}

BOOL WINAPI PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    // A negative extent runs left or up from the given corner.
    long long l = x, t = y, r = static_cast<long long>(x) + width, b = static_cast<long long>(y) + height;
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    cairo_t* cr = dc->Prepare();
    switch (rop) {
    case PATCOPY: {
        COLORREF color;
        if (dc->BrushColor(dc->state.brush, &color))
            fillLogicalRect(cr, l, t, r, b, color);
        return TRUE;
    }
    case BLACKNESS:
        fillLogicalRect(cr, l, t, r, b, RGB(0, 0, 0));
        return TRUE;
    case WHITENESS:
        fillLogicalRect(cr, l, t, r, b, RGB(255, 255, 255));
        return TRUE;
    case DSTINVERT:
        invertRect(cr, l, t, r, b);
        return TRUE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

BOOL WINAPI MoveToEx(HDC handle, int x, int y, LPPOINT oldPosition) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    if (oldPosition != nullptr)
        *oldPosition = dc->state.position;
    dc->state.position = {x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC handle, int x, int y) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    LineRasterizer line(dc, dc->Prepare());
    line.Segment(dc->state.position.x, dc->state.position.y, x, y);
    dc->state.position = {x, y};
    return TRUE;
}

BOOL WINAPI Polyline(HDC handle, const POINT* points, int count) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || points == nullptr || count < 2)
        return FALSE;
    LineRasterizer line(dc, dc->Prepare());
    for (int i = 1; i < count; ++i)
        line.Segment(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    return TRUE;
}

BOOL WINAPI Polygon(HDC handle, const POINT* points, int count) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr || points == nullptr || count < 2)
        return FALSE;
    cairo_t* cr = dc->Prepare();
    cairo_set_fill_rule(cr, dc->state.polyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING
                                                              : CAIRO_FILL_RULE_EVEN_ODD);
    for (int i = 0; i < count; ++i)
        cairo_line_to(cr, static_cast<double>(clampCoord(points[i].x)),
                      static_cast<double>(clampCoord(points[i].y)));
    cairo_close_path(cr);
    fillPathWithBrush(dc, cr);
    cairo_new_path(cr);
    LineRasterizer line(dc, cr);
    for (int i = 0; i < count; ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % count];
        line.Segment(a.x, a.y, b.x, b.y);
    }
    return TRUE;
}

BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    NormalRect r = normalize(left, top, right, bottom);
    cairo_t* cr = dc->Prepare();
    const Pen* pen = dc->state.pen;
    COLORREF brushColor;
    bool filled = dc->BrushColor(dc->state.brush, &brushColor);
    if (pen->style == PS_NULL) {
        // Without a pen Win32 fills one pixel less to the right and the bottom.
        if (filled)
            fillLogicalRect(cr, r.left, r.top, r.right - 1, r.bottom - 1, brushColor);
        return TRUE;
    }
    if (r.right - r.left < 1 || r.bottom - r.top < 1)
        return TRUE;
    if (pen->width <= 1 || pen->style == PS_INSIDEFRAME) {
        int w = pen->style == PS_INSIDEFRAME ? pen->width : 1;
        if (filled)
            fillLogicalRect(cr, r.left + w, r.top + w, r.right - w, r.bottom - w, brushColor);
        if (pen->style == PS_SOLID || pen->style == PS_INSIDEFRAME) {
            COLORREF c = dc->PenColor();
            fillLogicalRect(cr, r.left, r.top, r.right, r.top + w, c);
            fillLogicalRect(cr, r.left, r.bottom - w, r.right, r.bottom, c);
            fillLogicalRect(cr, r.left, r.top + w, r.left + w, r.bottom - w, c);
            fillLogicalRect(cr, r.right - w, r.top + w, r.right, r.bottom - w, c);
        } else {
            LineRasterizer line(dc, cr);
            line.Segment(r.left, r.top, r.right - 1, r.top);
            line.Segment(r.right - 1, r.top, r.right - 1, r.bottom - 1);
            line.Segment(r.right - 1, r.bottom - 1, r.left, r.bottom - 1);
            line.Segment(r.left, r.bottom - 1, r.left, r.top);
        }
        return TRUE;
    }
    // A wide pen is centred on the one-pixel border.
    if (filled)
        fillLogicalRect(cr, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, brushColor);
    SetSourceColor(cr, dc->PenColor());
    cairo_set_line_width(cr, pen->width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_rectangle(cr, static_cast<double>(r.left) + 0.5, static_cast<double>(r.top) + 0.5,
                    static_cast<double>(r.right - r.left - 1), static_cast<double>(r.bottom - r.top - 1));
    cairo_stroke(cr);
    return TRUE;
}

BOOL WINAPI Ellipse(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    NormalRect r = normalize(left, top, right, bottom);
    if (r.right - r.left < 2 || r.bottom - r.top < 2)
        return TRUE;
    cairo_t* cr = dc->Prepare();
    // The outline runs through the centres of the bounding box's edge pixels.
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    double rx = (r.right - r.left - 1) / 2.0, ry = (r.bottom - r.top - 1) / 2.0;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    fillPathWithBrush(dc, cr);
    strokeCurvedOutline(dc, cr);
    cairo_new_path(cr);
    return TRUE;
}

BOOL WINAPI RoundRect(HDC handle, int left, int top, int right, int bottom, int width, int height) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return FALSE;
    NormalRect r = normalize(left, top, right, bottom);
    if (r.right - r.left < 2 || r.bottom - r.top < 2)
        return TRUE;
    cairo_t* cr = dc->Prepare();
    double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
    double rx = std::min(std::abs(width) / 2.0, (rr - l) / 2),
           ry = std::min(std::abs(height) / 2.0, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, l, t, rr - l, b - t);
    } else {
        auto corner = [&](double x, double y, double from) {
            cairo_save(cr);
            cairo_translate(cr, x, y);
            cairo_scale(cr, rx, ry);
            cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
            cairo_restore(cr);
        };
        cairo_new_sub_path(cr);
        corner(rr - rx, t + ry, -M_PI / 2);
        corner(rr - rx, b - ry, 0);
        corner(l + rx, b - ry, M_PI / 2);
        corner(l + rx, t + ry, M_PI);
        cairo_close_path(cr);
    }
    fillPathWithBrush(dc, cr);
    strokeCurvedOutline(dc, cr);
    cairo_new_path(cr);
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC handle, int x, int y, COLORREF color) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return CLR_INVALID;
    color &= 0x00FFFFFF;
    if (dc->IsVector()) {
        // On a document a pixel is a square of one pixel's size.
        cairo_t* cr = dc->Prepare();
        SetSourceColor(cr, color);
        cairo_rectangle(cr, x, y, 1, 1);
        cairo_fill(cr);
        return color;
    }
    std::uint32_t* pixel = pixelAddress(dc, x, y);
    if (pixel == nullptr)
        return CLR_INVALID;
    *pixel = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    cairo_surface_mark_dirty(dc->Target());
    return color;
}

COLORREF WINAPI GetPixel(HDC handle, int x, int y) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr)
        return CLR_INVALID;
    std::uint32_t* pixel = pixelAddress(dc, x, y);
    if (pixel == nullptr)
        return CLR_INVALID;
    std::uint32_t value = *pixel;
    unsigned r = (value >> 16) & 0xFF, g = (value >> 8) & 0xFF, b = value & 0xFF;
    // Window surfaces are premultiplied; a partly transparent pixel reads as its own colour.
    if (cairo_image_surface_get_format(dc->Target()) == CAIRO_FORMAT_ARGB32) {
        unsigned a = value >> 24;
        if (a != 0 && a != 255) {
            r = std::min(255u, r * 255 / a), g = std::min(255u, g * 255 / a), b = std::min(255u, b * 255 / a);
        }
    }
    return RGB(r, g, b);
}

} // extern "C"
