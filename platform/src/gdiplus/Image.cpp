// GDI+ start-up, brushes, and images decoded from PNG streams.
#include "platform/gdiplus.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

namespace Gdiplus {

namespace {

// Images beyond these sizes are refused before decoding, so that a forged header cannot make the
// decoder ask for gigabytes.
constexpr ULONG kMaxEncodedBytes = 64u << 20;
constexpr unsigned kMaxSide = 16384;
constexpr unsigned long long kMaxPixels = 64ull << 20;

struct ByteReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (reader->size - reader->position < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

unsigned bigEndian32(const unsigned char* p) {
    return (unsigned{p[0]} << 24) | (unsigned{p[1]} << 16) | (unsigned{p[2]} << 8) | p[3];
}

} // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
    if (token == nullptr || input == nullptr)
        return InvalidParameter;
    if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3)
        return UnsupportedGdiplusVersion;
    static ULONG_PTR next = 0;
    *token = ++next;
    if (output != nullptr)
        *output = GdiplusStartupOutput{nullptr, nullptr};
    return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

Status SolidBrush::GetColor(Color* color) const {
    if (color == nullptr)
        return InvalidParameter;
    *color = m_color;
    return Ok;
}

Status SolidBrush::SetColor(const Color& color) {
    m_color = color;
    return Ok;
}

Image::Image(IStream* stream, BOOL) {
    Decode(stream);
}

Image::~Image() {
    if (m_surface != nullptr)
        cairo_surface_destroy(m_surface);
}

Image* Image::FromStream(IStream* stream, BOOL useEmbeddedColorManagement) {
    return new Image(stream, useEmbeddedColorManagement);
}

void Image::Adopt(cairo_surface_t* surface) {
    if (m_surface != nullptr)
        cairo_surface_destroy(m_surface);
    m_surface = nullptr;
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        m_lastStatus =
            cairo_surface_status(surface) == CAIRO_STATUS_NO_MEMORY ? OutOfMemory : InvalidParameter;
        cairo_surface_destroy(surface);
        return;
    }
    m_surface = surface;
    m_lastStatus = Ok;
}

void Image::Decode(IStream* stream) {
    if (stream == nullptr) {
        m_lastStatus = InvalidParameter;
        return;
    }
    // Read everything first: the header is checked before the decoder sees a byte.
    std::vector<unsigned char> bytes;
    unsigned char chunk[16384];
    for (;;) {
        ULONG read = 0;
        if (FAILED(stream->Read(chunk, sizeof chunk, &read))) {
            m_lastStatus = InvalidParameter;
            return;
        }
        if (read == 0)
            break;
        if (bytes.size() + read > kMaxEncodedBytes) {
            m_lastStatus = OutOfMemory;
            return;
        }
        bytes.insert(bytes.end(), chunk, chunk + read);
    }
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Signature, IHDR length and type, width and height.
    if (bytes.size() < 33 || std::memcmp(bytes.data(), kSignature, 8) != 0 ||
        std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
        m_lastStatus = InvalidParameter;
        return;
    }
    unsigned width = bigEndian32(bytes.data() + 16), height = bigEndian32(bytes.data() + 20);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<unsigned long long>(width) * height > kMaxPixels) {
        m_lastStatus = width == 0 || height == 0 ? InvalidParameter : OutOfMemory;
        return;
    }
    ByteReader reader{bytes.data(), bytes.size(), 0};
    cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    Adopt(decoded);
    if (m_surface == nullptr)
        return;
    // Later drawing always reads ARGB32; an opaque PNG decodes to RGB24, so convert it once.
    if (cairo_image_surface_get_format(m_surface) != CAIRO_FORMAT_ARGB32) {
        cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                                static_cast<int>(height));
        cairo_t* cr = cairo_create(converted);
        cairo_set_source_surface(cr, m_surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        Adopt(converted);
    }
}

UINT Image::GetWidth() {
    return m_surface != nullptr ? static_cast<UINT>(cairo_image_surface_get_width(m_surface)) : 0;
}

UINT Image::GetHeight() {
    return m_surface != nullptr ? static_cast<UINT>(cairo_image_surface_get_height(m_surface)) : 0;
}

Image* Image::Clone() {
    auto* copy = new Image();
    if (m_surface == nullptr) {
        copy->m_lastStatus = m_lastStatus;
        return copy;
    }
    cairo_surface_t* pixels =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(m_surface),
                                   cairo_image_surface_get_height(m_surface));
    cairo_t* cr = cairo_create(pixels);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, m_surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    copy->Adopt(pixels);
    return copy;
}

Bitmap::Bitmap(INT width, INT height, PixelFormat) {
    if (width <= 0 || height <= 0 || static_cast<unsigned>(width) > kMaxSide ||
        static_cast<unsigned>(height) > kMaxSide) {
        m_lastStatus = InvalidParameter;
        return;
    }
    Adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

Bitmap::Bitmap(IStream* stream, BOOL) {
    Decode(stream);
}

Bitmap* Bitmap::FromStream(IStream* stream, BOOL useEmbeddedColorManagement) {
    return new Bitmap(stream, useEmbeddedColorManagement);
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) {
    if (m_surface == nullptr || color == nullptr || x < 0 || y < 0 || x >= static_cast<INT>(GetWidth()) ||
        y >= static_cast<INT>(GetHeight()))
        return InvalidParameter;
    cairo_surface_flush(m_surface);
    const unsigned char* row =
        cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[x];
    unsigned a = v >> 24, r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
    // Stored premultiplied; GDI+ hands out straight colours.
    if (a != 0 && a != 255) {
        r = std::min(255u, (r * 255 + a / 2) / a);
        g = std::min(255u, (g * 255 + a / 2) / a);
        b = std::min(255u, (b * 255 + a / 2) / a);
    }
    *color = Color(static_cast<BYTE>(a), static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
    return Ok;
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color) {
    if (m_surface == nullptr || x < 0 || y < 0 || x >= static_cast<INT>(GetWidth()) ||
        y >= static_cast<INT>(GetHeight()))
        return InvalidParameter;
    cairo_surface_flush(m_surface);
    unsigned char* row =
        cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    unsigned a = color.GetA();
    auto premultiply = [a](unsigned c) { return (c * a + 127) / 255; };
    reinterpret_cast<std::uint32_t*>(row)[x] = (a << 24) | (premultiply(color.GetR()) << 16) |
                                               (premultiply(color.GetG()) << 8) | premultiply(color.GetB());
    cairo_surface_mark_dirty(m_surface);
    return Ok;
}

} // namespace Gdiplus
