// GDI+ images from GDI bitmaps, and images written to PNG files: what a program needs to save a
// picture of a window it drew (PrintWindow into a bitmap, then Bitmap(HBITMAP).Save).
#include "platform/gdiplus.h"

#include "gdi/GdiObjects.h"
#include "internal/Utf8.h"

#include <cairo.h>
#include <string>

namespace Gdiplus {

const CLSID& PngEncoderClsid() {
    static const CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    return png;
}

Bitmap::Bitmap(HBITMAP bitmap, HPALETTE) {
    auto* source = platform::gdi::Lookup<platform::gdi::Bitmap>(bitmap, OBJ_BITMAP);
    if (source == nullptr || source->surface == nullptr) {
        m_lastStatus = InvalidParameter;
        return;
    }
    cairo_surface_flush(source->surface);
    int width = cairo_image_surface_get_width(source->surface);
    int height = cairo_image_surface_get_height(source->surface);
    // GDI bitmaps carry no alpha: the copy is opaque.
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, source->surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    Adopt(copy);
}

Status Image::Save(const WCHAR* filename, const CLSID* encoder, const void*) {
    if (filename == nullptr || encoder == nullptr)
        return InvalidParameter;
    if (!(*encoder == PngEncoderClsid()))
        return UnknownImageFormat;
    if (m_surface == nullptr)
        return InvalidParameter;
    cairo_surface_flush(m_surface);
    cairo_status_t status = cairo_surface_write_to_png(m_surface, platform::Utf8(filename).c_str());
    return status == CAIRO_STATUS_SUCCESS ? Ok : Win32Error;
}

} // namespace Gdiplus
