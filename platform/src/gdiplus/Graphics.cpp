// GDI+ Graphics: image drawing onto parallelograms and rectangles, solid fills, rectangular
// clipping and saved states, over the DC's (or bitmap's) cairo surface.
#include "gdi/DeviceContext.h"
#include "platform/gdiplus.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace Gdiplus {

namespace {

RectF normalized(RectF r) {
    if (r.Width < 0) {
        r.X += r.Width;
        r.Width = -r.Width;
    }
    if (r.Height < 0) {
        r.Y += r.Height;
        r.Height = -r.Height;
    }
    return r;
}

bool finite(REAL v) {
    return std::isfinite(v);
}

RectF toRectF(const Rect& r) {
    return RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width),
                 static_cast<REAL>(r.Height));
}

cairo_filter_t filterOf(InterpolationMode mode) {
    switch (mode) {
    case InterpolationModeNearestNeighbor:
        return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQuality:
    case InterpolationModeHighQualityBilinear:
    case InterpolationModeHighQualityBicubic:
    case InterpolationModeBicubic:
        return CAIRO_FILTER_GOOD;
    default:
        return CAIRO_FILTER_BILINEAR;
    }
}

} // namespace

Graphics::Graphics(HDC dc) : m_dc(dc) {
    if (platform::gdi::LookupDC(dc) == nullptr)
        m_lastStatus = InvalidParameter;
}

Graphics::Graphics(Image* image) : m_image(image) {
    if (image == nullptr || image->Surface() == nullptr)
        m_lastStatus = InvalidParameter;
}

cairo_t* Graphics::Begin() {
    cairo_surface_t* target = nullptr;
    const cairo_region_t* deviceClip = nullptr;
    double offsetX = 0, offsetY = 0;
    double scale = 1.0; // a vector DC's pixels to its surface's units
    if (m_dc != nullptr) {
        platform::gdi::DeviceContext* dc = platform::gdi::LookupDC(m_dc);
        if (dc == nullptr) {
            m_lastStatus = InvalidParameter;
            return nullptr;
        }
        target = dc->Target();
        deviceClip = dc->EffectiveClip();
        offsetX = dc->OffsetX();
        offsetY = dc->OffsetY();
        scale = dc->IsVector() ? dc->vectorScale : 1.0;
    } else if (m_image != nullptr && m_image->Surface() != nullptr) {
        target = m_image->Surface();
    } else {
        m_lastStatus = InvalidParameter;
        return nullptr;
    }
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, scale, scale);
    // Clips are pixel-exact, as GDI+ region clipping is.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (deviceClip != nullptr) {
        for (int i = 0, n = cairo_region_num_rectangles(deviceClip); i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(deviceClip, i, &r);
            cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        }
        cairo_clip(cr);
    }
    cairo_translate(cr, offsetX, offsetY);
    if (m_state.clipped) {
        cairo_rectangle(cr, m_state.clip.X, m_state.clip.Y, m_state.clip.Width, m_state.clip.Height);
        cairo_clip(cr);
    }
    bool smooth = m_state.smoothing == SmoothingModeAntiAlias ||
                  m_state.smoothing == SmoothingModeAntiAlias8x8 ||
                  m_state.smoothing == SmoothingModeHighQuality;
    cairo_set_antialias(cr, smooth ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    return cr;
}

Status Graphics::DrawParallelogram(Image* image, const PointF* p, const RectF& source) {
    if (image == nullptr || image->Surface() == nullptr || p == nullptr)
        return m_lastStatus = InvalidParameter;
    for (int i = 0; i < 3; ++i)
        if (!finite(p[i].X) || !finite(p[i].Y))
            return m_lastStatus = InvalidParameter;
    if (!(source.Width > 0) || !(source.Height > 0) || !finite(source.X) || !finite(source.Y))
        return m_lastStatus = InvalidParameter;
    // Image space to user space; the pattern needs the inverse.
    cairo_matrix_t forward;
    double xx = (p[1].X - p[0].X) / source.Width, yx = (p[1].Y - p[0].Y) / source.Width;
    double xy = (p[2].X - p[0].X) / source.Height, yy = (p[2].Y - p[0].Y) / source.Height;
    cairo_matrix_init(&forward, xx, yx, xy, yy, p[0].X - xx * source.X - xy * source.Y,
                      p[0].Y - yx * source.X - yy * source.Y);
    if (cairo_matrix_invert(&forward) != CAIRO_STATUS_SUCCESS)
        return m_lastStatus = Ok; // a degenerate parallelogram covers no pixels
    cairo_t* cr = Begin();
    if (cr == nullptr)
        return m_lastStatus;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image->Surface());
    cairo_pattern_set_matrix(pattern, &forward);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, filterOf(m_state.interpolation));
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    cairo_move_to(cr, p[0].X, p[0].Y);
    cairo_line_to(cr, p[1].X, p[1].Y);
    cairo_line_to(cr, p[1].X + p[2].X - p[0].X, p[1].Y + p[2].Y - p[0].Y);
    cairo_line_to(cr, p[2].X, p[2].Y);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    return m_lastStatus = status == CAIRO_STATUS_SUCCESS ? Ok : GenericError;
}

Status Graphics::DrawImage(Image* image, const PointF* destPoints, INT count) {
    if (image == nullptr || destPoints == nullptr || count != 3)
        return m_lastStatus = count == 4 ? NotImplemented : InvalidParameter;
    RectF whole(0, 0, static_cast<REAL>(image->GetWidth()), static_cast<REAL>(image->GetHeight()));
    return DrawParallelogram(image, destPoints, whole);
}

Status Graphics::DrawImage(Image* image, const Point* destPoints, INT count) {
    if (destPoints == nullptr || count != 3)
        return m_lastStatus = count == 4 ? NotImplemented : InvalidParameter;
    PointF points[3];
    for (int i = 0; i < 3; ++i)
        points[i] = PointF(static_cast<REAL>(destPoints[i].X), static_cast<REAL>(destPoints[i].Y));
    return DrawImage(image, points, 3);
}

Status Graphics::DrawImage(Image* image, const RectF& r) {
    PointF points[3] = {PointF(r.X, r.Y), PointF(r.X + r.Width, r.Y), PointF(r.X, r.Y + r.Height)};
    return DrawImage(image, points, 3);
}

Status Graphics::DrawImage(Image* image, const Rect& r) {
    return DrawImage(image, toRectF(r));
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height) {
    return DrawImage(image, Rect(x, y, width, height));
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height) {
    return DrawImage(image, RectF(x, y, width, height));
}

Status Graphics::DrawImage(Image* image, INT x, INT y) {
    if (image == nullptr)
        return m_lastStatus = InvalidParameter;
    return DrawImage(image,
                     Rect(x, y, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight())));
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y) {
    if (image == nullptr)
        return m_lastStatus = InvalidParameter;
    return DrawImage(
        image, RectF(x, y, static_cast<REAL>(image->GetWidth()), static_cast<REAL>(image->GetHeight())));
}

Status Graphics::DrawImage(Image* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth,
                           INT srcHeight, Unit srcUnit, const ImageAttributes*) {
    if (srcUnit != UnitPixel && srcUnit != UnitWorld)
        return m_lastStatus = NotImplemented;
    RectF d = toRectF(destRect);
    PointF points[3] = {PointF(d.X, d.Y), PointF(d.X + d.Width, d.Y), PointF(d.X, d.Y + d.Height)};
    return DrawParallelogram(image, points,
                             RectF(static_cast<REAL>(srcX), static_cast<REAL>(srcY),
                                   static_cast<REAL>(srcWidth), static_cast<REAL>(srcHeight)));
}

Status Graphics::Fill(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
    if (brush == nullptr || !finite(x) || !finite(y) || !finite(width) || !finite(height))
        return m_lastStatus = InvalidParameter;
    RectF r = normalized(RectF(x, y, width, height));
    cairo_t* cr = Begin();
    if (cr == nullptr)
        return m_lastStatus;
    ARGB c = brush->FillColor();
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                          (c >> 24) / 255.0);
    cairo_rectangle(cr, r.X, r.Y, r.Width, r.Height);
    cairo_fill(cr);
    cairo_destroy(cr);
    return m_lastStatus = Ok;
}

Status Graphics::FillRectangle(const Brush* brush, const Rect& r) {
    return Fill(brush, static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width),
                static_cast<REAL>(r.Height));
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& r) {
    return Fill(brush, r.X, r.Y, r.Width, r.Height);
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
    return FillRectangle(brush, Rect(x, y, width, height));
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
    return Fill(brush, x, y, width, height);
}

Status Graphics::Clear(const Color& color) {
    cairo_t* cr = Begin();
    if (cr == nullptr)
        return m_lastStatus;
    ARGB c = color.GetValue();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                          (c >> 24) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return m_lastStatus = Ok;
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) {
    if (!finite(rect.X) || !finite(rect.Y) || !finite(rect.Width) || !finite(rect.Height))
        return m_lastStatus = InvalidParameter;
    RectF r = normalized(rect);
    if (mode == CombineModeReplace) {
        m_state.clipped = true;
        m_state.clip = r;
    } else if (mode == CombineModeIntersect) {
        if (!m_state.clipped) {
            m_state.clipped = true;
            m_state.clip = r;
        } else {
            REAL left = std::max(r.X, m_state.clip.X), top = std::max(r.Y, m_state.clip.Y);
            REAL right = std::min(r.GetRight(), m_state.clip.GetRight());
            REAL bottom = std::min(r.GetBottom(), m_state.clip.GetBottom());
            m_state.clip = RectF(left, top, std::max<REAL>(0, right - left), std::max<REAL>(0, bottom - top));
        }
    } else {
        return m_lastStatus = NotImplemented;
    }
    return m_lastStatus = Ok;
}

Status Graphics::SetClip(const Rect& rect, CombineMode mode) {
    return SetClip(toRectF(rect), mode);
}

Status Graphics::ResetClip() {
    m_state.clipped = false;
    return m_lastStatus = Ok;
}

Status Graphics::GetClipBounds(RectF* rect) const {
    if (rect == nullptr)
        return InvalidParameter;
    if (m_state.clipped) {
        *rect = m_state.clip;
        return Ok;
    }
    // Unclipped: the whole target, as far as the Graphics can tell.
    cairo_surface_t* target = nullptr;
    if (m_dc != nullptr) {
        if (auto* dc = platform::gdi::LookupDC(m_dc)) {
            target = dc->Target();
            if (dc->IsVector()) {
                *rect = RectF(0, 0, static_cast<REAL>(dc->SurfaceWidth()),
                              static_cast<REAL>(dc->SurfaceHeight()));
                return Ok;
            }
        }
    } else if (m_image != nullptr) {
        target = m_image->Surface();
    }
    if (target == nullptr)
        return InvalidParameter;
    *rect = RectF(0, 0, static_cast<REAL>(cairo_image_surface_get_width(target)),
                  static_cast<REAL>(cairo_image_surface_get_height(target)));
    return Ok;
}

BOOL Graphics::IsClipEmpty() const {
    return m_state.clipped && m_state.clip.IsEmptyArea();
}

GraphicsState Graphics::Save() {
    GraphicsState token = m_nextToken++;
    m_saved.push_back({token, m_state});
    return token;
}

Status Graphics::Restore(GraphicsState token) {
    auto found =
        std::find_if(m_saved.begin(), m_saved.end(), [token](const Saved& s) { return s.token == token; });
    if (found == m_saved.end())
        return m_lastStatus = InvalidParameter;
    m_state = found->state;
    m_saved.erase(found, m_saved.end());
    return m_lastStatus = Ok;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
    if (mode == SmoothingModeInvalid)
        return m_lastStatus = InvalidParameter;
    m_state.smoothing = mode;
    return m_lastStatus = Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
    if (mode == InterpolationModeInvalid)
        return m_lastStatus = InvalidParameter;
    m_state.interpolation = mode;
    return m_lastStatus = Ok;
}

} // namespace Gdiplus
