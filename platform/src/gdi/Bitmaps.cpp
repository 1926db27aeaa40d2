// Bitmaps (plain, compatible and DIB sections) and the blits between DCs.
#include "DeviceContext.h"

#include "platform/winbase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::gdi {

namespace {

HBITMAP registerBitmap(std::unique_ptr<Bitmap> bitmap) {
    if (bitmap == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return static_cast<HBITMAP>(RegisterObject(std::move(bitmap)));
}

// The source pixels of a blit as a cairo surface. Drawing onto the same surface it reads from is
// undefined in cairo, so an overlapping copy reads from a snapshot of the source area instead.
struct BlitSource {
    cairo_surface_t* surface = nullptr;
    double originX = 0; // where the surface's (0, 0) sits in source-surface coordinates
    double originY = 0;
    bool owned = false;
    ~BlitSource() {
        if (owned)
            cairo_surface_destroy(surface);
    }
};

bool makeSource(DeviceContext* dest, DeviceContext* source, bool withAlpha, const cairo_rectangle_int_t& area,
                BlitSource* out) {
    cairo_surface_t* surface = source->Target();
    if (withAlpha && source->memory)
        surface = source->state.bitmap->AlphaView();
    cairo_surface_mark_dirty(surface);
    if (surface != dest->Target()) {
        out->surface = surface;
        return true;
    }
    cairo_surface_t* copy =
        cairo_image_surface_create(cairo_image_surface_get_format(surface), area.width, area.height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, surface, -area.x, -area.y);
    cairo_paint(cr);
    cairo_destroy(cr);
    out->surface = copy;
    out->originX = area.x;
    out->originY = area.y;
    out->owned = true;
    return cairo_surface_status(copy) == CAIRO_STATUS_SUCCESS;
}

// Copies (or blends) the source rectangle onto the destination rectangle, both in logical
// coordinates of their DCs; negative extents mirror, as in StretchBlt.
bool transfer(DeviceContext* dest, int x, int y, int width, int height, DeviceContext* source, int sourceX,
              int sourceY, int sourceWidth, int sourceHeight, cairo_operator_t op, double alpha,
              bool withAlpha) {
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return true;
    // The source area in source-surface pixels, limited to the surface.
    long long sx = static_cast<long long>(sourceX) + source->OffsetX();
    long long sy = static_cast<long long>(sourceY) + source->OffsetY();
    long long sl = std::min(sx, sx + sourceWidth), sr = std::max(sx, sx + sourceWidth);
    long long st = std::min(sy, sy + sourceHeight), sb = std::max(sy, sy + sourceHeight);
    sl = std::max(sl, 0LL), st = std::max(st, 0LL);
    sr = std::min<long long>(sr, source->SurfaceWidth()),
    sb = std::min<long long>(sb, source->SurfaceHeight());
    if (sr <= sl || sb <= st)
        return true;
    cairo_rectangle_int_t area{static_cast<int>(sl), static_cast<int>(st), static_cast<int>(sr - sl),
                               static_cast<int>(sb - st)};
    BlitSource src;
    if (!makeSource(dest, source, withAlpha, area, &src))
        return false;

    cairo_t* cr = dest->Prepare();
    double scaleX = static_cast<double>(sourceWidth) / width;
    double scaleY = static_cast<double>(sourceHeight) / height;
    // Pattern space is source-surface pixels; user space is destination logical coordinates.
    cairo_matrix_t m;
    cairo_matrix_init(&m, scaleX, 0, 0, scaleY, static_cast<double>(sx) - x * scaleX - src.originX,
                      static_cast<double>(sy) - y * scaleY - src.originY);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(src.surface);
    cairo_pattern_set_matrix(pattern, &m);
    bool scaled = scaleX != 1.0 || scaleY != 1.0;
    cairo_pattern_set_filter(pattern, scaled && dest->state.stretchMode == HALFTONE ? CAIRO_FILTER_GOOD
                                                                                    : CAIRO_FILTER_NEAREST);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    cairo_set_operator(cr, op);

    // Only the part of the destination that maps onto existing source pixels changes.
    double ax = (sl - static_cast<double>(sx)) / scaleX + x, bx = (sr - static_cast<double>(sx)) / scaleX + x;
    double ay = (st - static_cast<double>(sy)) / scaleY + y, by = (sb - static_cast<double>(sy)) / scaleY + y;
    double left = std::round(std::min(ax, bx)), right = std::round(std::max(ax, bx));
    double top = std::round(std::min(ay, by)), bottom = std::round(std::max(ay, by));
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    if (alpha < 1.0) {
        cairo_save(cr);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, alpha);
        cairo_restore(cr);
    } else {
        cairo_fill(cr);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return true;
}

} // namespace

} // namespace platform::gdi

using namespace platform::gdi;

extern "C" {

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = MakeBitmap(width, height, static_cast<int>(bitsPerPixel), false);
    if (bitmap != nullptr && bits != nullptr && bitsPerPixel == 32)
        std::memcpy(bitmap->bits, bits, static_cast<size_t>(bitmap->stride) * static_cast<size_t>(height));
    return registerBitmap(std::move(bitmap));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC handle, int width, int height) {
    DeviceContext* dc = LookupDC(handle);
    if (dc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (width == 0 || height == 0)
        return registerBitmap(MakeBitmap(1, 1, 1, false));
    int bitsPerPixel = dc->memory ? dc->state.bitmap->bitsPerPixel : 32;
    return registerBitmap(MakeBitmap(width, height, bitsPerPixel, false));
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits != nullptr)
        *bits = nullptr;
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr ||
        info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biBitCount != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biCompression == BI_BITFIELDS) {
        DWORD masks[3];
        std::memcpy(masks, info->bmiColors, sizeof masks);
        if (masks[0] != 0xFF0000 || masks[1] != 0xFF00 || masks[2] != 0xFF) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    } else if (h.biCompression != BI_RGB) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (h.biHeight == 0 || h.biHeight == INT32_MIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool bottomUp = h.biHeight > 0;
    auto bitmap = MakeBitmap(h.biWidth, bottomUp ? h.biHeight : -h.biHeight, 32, bottomUp);
    if (bitmap == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bitmap->dibSection = true;
    bitmap->header = h;
    bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
    bitmap->header.biSizeImage = static_cast<DWORD>(bitmap->stride * bitmap->height);
    if (bits != nullptr)
        *bits = bitmap->bits;
    return registerBitmap(std::move(bitmap));
}

BOOL WINAPI GdiFlush() {
    return TRUE;
}

BOOL WINAPI BitBlt(HDC destHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                   int sourceY, DWORD rop) {
    DeviceContext* dest = LookupDC(destHandle);
    if (dest == nullptr)
        return FALSE;
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT)
        return PatBlt(destHandle, x, y, width, height, rop);
    DeviceContext* source = LookupDC(sourceHandle);
    if (source == nullptr || rop != SRCCOPY) {
        SetLastError(source == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (width < 0 || height < 0)
        return FALSE;
    return transfer(dest, x, y, width, height, source, sourceX, sourceY, width, height, CAIRO_OPERATOR_SOURCE,
                    1.0, false);
}

BOOL WINAPI StretchBlt(HDC destHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    DeviceContext* dest = LookupDC(destHandle);
    if (dest == nullptr)
        return FALSE;
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT)
        return PatBlt(destHandle, x, y, width, height, rop);
    DeviceContext* source = LookupDC(sourceHandle);
    if (source == nullptr || rop != SRCCOPY) {
        SetLastError(source == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return transfer(dest, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                    CAIRO_OPERATOR_SOURCE, 1.0, false);
}

BOOL WINAPI AlphaBlend(HDC destHandle, int x, int y, int width, int height, HDC sourceHandle, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    DeviceContext* dest = LookupDC(destHandle);
    DeviceContext* source = LookupDC(sourceHandle);
    // Win32 refuses mirroring, a source rectangle outside the source, and unknown operations.
    if (dest == nullptr || source == nullptr || blend.BlendOp != AC_SRC_OVER || width < 0 || height < 0 ||
        sourceWidth < 0 || sourceHeight < 0 || sourceX < 0 || sourceY < 0 ||
        static_cast<long long>(sourceX) + sourceWidth > source->SurfaceWidth() ||
        static_cast<long long>(sourceY) + sourceHeight > source->SurfaceHeight()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    return transfer(dest, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                    CAIRO_OPERATOR_OVER, blend.SourceConstantAlpha / 255.0, perPixel);
}

} // extern "C"
