// The seam between the window manager and GDI: device contexts that draw onto a window's
// backing surface.
//
// Every top-level window owns one cairo image surface (ARGB32, premultiplied, the size of the
// window); its children draw into the same surface at their offsets. BeginPaint and GetDC ask GDI
// for a DC onto that surface whose logical (0, 0) is the top-left of the window's client area and
// whose drawing is clipped to the given region (surface coordinates). GDI never looks at windows.
#pragma once

#include <platform/windef.h>

#include <cairo.h>

namespace platform {

// `clip` is copied; null means the whole surface.
HDC CreateSurfaceDC(cairo_surface_t* surface, POINT origin, const cairo_region_t* clip, HWND window);
// Frees a DC made by CreateSurfaceDC (selected objects stay alive, as with ReleaseDC).
void DestroySurfaceDC(HDC dc);
// The window a surface DC was made for, or null for other DCs.
HWND WindowFromSurfaceDC(HDC dc);

} // namespace platform

namespace platform {

// Regions for the window manager (update regions, window clipping): the region behind a handle
// (owned by the handle, null for a bad handle), and a new region handle holding a copy of
// `region` (empty when null) that the caller deletes with DeleteObject.
const cairo_region_t* RegionFromHandle(HRGN region);
HRGN CreateRegionHandle(const cairo_region_t* region);

} // namespace platform
