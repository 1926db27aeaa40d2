// A device context: where drawing goes (a window's surface or a memory DC's bitmap), the selected
// objects, the drawing attributes and the clipping, with the stack of saved states.
//
// Coordinates come in three kinds. Logical coordinates are what callers pass; adding the viewport
// origin gives DC coordinates (what SelectClipRgn speaks); adding the DC's origin on its surface
// gives surface pixels. The cairo context of a DC always has its matrix set so that user space
// is logical space.
#pragma once

#include "GdiObjects.h"

#include <cairo.h>

#include <memory>

namespace platform::gdi {

struct DcState {
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Font* font = nullptr;
    Bitmap* bitmap = nullptr; // memory DCs only
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    COLORREF dcBrushColor = RGB(255, 255, 255);
    COLORREF dcPenColor = RGB(0, 0, 0);
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    POINT viewportOrg{0, 0};
    POINT position{0, 0};
    cairo_region_t* clip = nullptr; // the DC's own clipping in DC coordinates; null: none
};

// Where a vector DC's document goes: the writer its maker gave, and what became of the writing.
struct VectorSink {
    bool (*write)(void* closure, const unsigned char* data, unsigned int length) = nullptr;
    void* closure = nullptr;
    bool failed = false;   // a write was refused; the document is incomplete
    bool aborted = false;  // AbortDoc or DeleteDC before EndDoc: nothing more is written
    bool finished = false; // EndDoc completed the document
    int pages = 0;         // pages ended with EndPage
    bool pageOpen = false; // StartPage was called and EndPage not yet
};

struct DeviceContext : GdiObject {
    DeviceContext() : GdiObject(OBJ_DC) {}
    ~DeviceContext() override;

    bool memory = false;
    HWND window = nullptr;
    cairo_surface_t* windowSurface = nullptr; // surface DCs only (referenced)
    // Vector DCs (a PDF document): the surface, its page size in pixels at 96 per inch, the scale
    // from pixels to the surface's units, and the writer behind it.
    cairo_surface_t* vectorSurface = nullptr;
    int vectorWidth = 0;
    int vectorHeight = 0;
    double vectorScale = 1.0;
    std::unique_ptr<VectorSink> sink;
    POINT origin{0, 0};                   // the DC's (0, 0) on its surface
    cairo_region_t* systemClip = nullptr; // surface coordinates; null: the whole surface
    DcState state;
    std::vector<DcState> saved;

    cairo_t* cr = nullptr;
    cairo_region_t* effectiveClip = nullptr; // surface coordinates, cached
    bool clipDirty = true;

    cairo_surface_t* Target() const {
        return vectorSurface != nullptr ? vectorSurface : (memory ? state.bitmap->surface : windowSurface);
    }
    bool IsVector() const { return vectorSurface != nullptr; }
    int SurfaceWidth() const { return IsVector() ? vectorWidth : cairo_image_surface_get_width(Target()); }
    int SurfaceHeight() const { return IsVector() ? vectorHeight : cairo_image_surface_get_height(Target()); }
    // Resets a cairo context's matrix to surface pixels (identity, or the vector scale).
    void BaseMatrix(cairo_t* context) const;
    // Logical to surface offset.
    int OffsetX() const { return origin.x + state.viewportOrg.x; }
    int OffsetY() const { return origin.y + state.viewportOrg.y; }

    // The cairo context, with the clip applied and user space = logical space; non-anti-aliased
    // drawing, source colour unset.
    cairo_t* Prepare();
    // The region drawing may touch, in surface coordinates (never null).
    const cairo_region_t* EffectiveClip();
    void InvalidateClip() { clipDirty = true; }
    // Drops the cairo context, after the target changes.
    void ResetTarget();

    COLORREF PenColor() const { return state.pen->dcPen ? state.dcPenColor : state.pen->color; }
    // False for a null brush.
    bool BrushColor(const Brush* brush, COLORREF* color) const;
};

void SetSourceColor(cairo_t* cr, COLORREF color);

// Copies a DC state, taking references on its objects.
DcState CopyState(const DcState& state);
// Gives up the references of a state and frees its clip.
void ReleaseState(DcState& state);

} // namespace platform::gdi
