// The objects behind GDI handles and the table that hands out and checks those handles.
//
// A handle encodes a slot of the table, the slot's generation and the object type, so that a
// stale or forged handle is refused instead of reaching freed memory. Every object counts how
// many DCs (and saved DC states) refer to it; a deleted object that is still referred to lives on
// until the last reference goes.
#pragma once

#include "platform/wingdi.h"

#include <cairo.h>
#include <memory>
#include <vector>

namespace platform::gdi {

class FontInstance;

struct GdiObject {
    explicit GdiObject(DWORD objectType) : type(objectType) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    DWORD type;
    HGDIOBJ handle = nullptr;
    bool stock = false;
    bool pendingDelete = false;
    int references = 0;
};

struct Brush : GdiObject {
    Brush() : GdiObject(OBJ_BRUSH) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
    bool dcBrush = false; // the stock DC_BRUSH: its colour is the DC's
};

struct Pen : GdiObject {
    Pen() : GdiObject(OBJ_PEN) {}
    UINT style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
    bool dcPen = false; // the stock DC_PEN: its colour is the DC's
};

struct Font : GdiObject {
    Font() : GdiObject(OBJ_FONT) {}
    LOGFONTW log{};
    std::shared_ptr<FontInstance> instance;
};

// Pixels are 32-bit BGRX rows owned by the bitmap. `surface` is a cairo RGB24 view of them whose
// first row is the top row; for a bottom-up DIB section that view walks memory backwards with a
// negative stride, so the caller's memory layout and cairo's agree without copying.
struct Bitmap : GdiObject {
    Bitmap() : GdiObject(OBJ_BITMAP) {}
    ~Bitmap() override;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32; // 1 for monochrome bitmaps; they are stored as 32-bit pixels all the same
    bool dibSection = false;
    bool bottomUp = false;
    unsigned char* bits = nullptr; // start of the memory, as CreateDIBSection hands it out
    int stride = 0;                // bytes per row in memory
    cairo_surface_t* surface = nullptr;
    cairo_surface_t* alphaView = nullptr; // ARGB32 view of the same memory, made for AlphaBlend
    HDC selectedInto = nullptr;
    BITMAPINFOHEADER header{};

    unsigned char* topRow() const {
        return bottomUp ? bits + static_cast<size_t>(height - 1) * stride : bits;
    }
    int viewStride() const { return bottomUp ? -stride : stride; }
    cairo_surface_t* AlphaView();
};

struct Region : GdiObject {
    Region() : GdiObject(OBJ_REGION), region(cairo_region_create()) {}
    ~Region() override { cairo_region_destroy(region); }
    cairo_region_t* region;
};

struct DeviceContext;

// Registers the object and returns its new handle.
HGDIOBJ RegisterObject(std::unique_ptr<GdiObject> object);
// The live object of a handle, or null; `type` 0 accepts any type.
GdiObject* LookupObject(HGDIOBJ handle, DWORD type = 0);
template <class T>
T* Lookup(HGDIOBJ handle, DWORD type) {
    return static_cast<T*>(LookupObject(handle, type));
}
DeviceContext* LookupDC(HDC dc);
// Frees the object and its slot now.
void DestroyObject(GdiObject* object);
// Reference counting by DCs and saved states.
void AddReference(GdiObject* object);
void ReleaseReference(GdiObject* object);

Brush* StockBrush(int index);
GdiObject* StockObject(int index);
// The shared 1x1 monochrome bitmap that a fresh memory DC holds.
Bitmap* StockBitmap();
// A brush handle value of COLOR_xxx + 1 names a system colour; returns false for other values.
bool SystemColorFromBrushValue(HBRUSH brush, COLORREF* color);

// Makes a bitmap with zeroed pixels; null when the size is unreasonable or memory runs out.
std::unique_ptr<Bitmap> MakeBitmap(int width, int height, int bitsPerPixel, bool bottomUp);

// Back to the default system colours (a new headless screen).
void ResetSystemColors();

} // namespace platform::gdi
