// Test helpers: off-screen canvases and pixel reads.
#pragma once

#include "internal/SurfaceDC.h"
#include "platform/windows.h"

#include <cairo.h>
#include <cstdint>

// A memory DC holding a top-down 32-bit DIB section, filled white.
struct DibCanvas {
    DibCanvas(int width, int height, bool bottomUp = false) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = bottomUp ? height : -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~DibCanvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    int w, h;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    void* bits = nullptr;
};

// A window-like ARGB32 surface with a surface DC over it.
struct SurfaceCanvas {
    SurfaceCanvas(int width, int height, POINT origin = {0, 0}, const cairo_region_t* clip = nullptr)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {
        dc = platform::CreateSurfaceDC(surface, origin, clip, nullptr);
    }
    ~SurfaceCanvas() {
        platform::DestroySurfaceDC(dc);
        cairo_surface_destroy(surface);
    }
    SurfaceCanvas(const SurfaceCanvas&) = delete;
    SurfaceCanvas& operator=(const SurfaceCanvas&) = delete;

    // The colour of a surface pixel as COLORREF, ignoring alpha.
    COLORREF At(int x, int y) const {
        cairo_surface_flush(surface);
        auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

    cairo_surface_t* surface;
    HDC dc;
};

inline COLORREF PixelOf(const DibCanvas& canvas, int x, int y) {
    return GetPixel(canvas.dc, x, y);
}
