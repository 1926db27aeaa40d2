// GDI+ images from PNG bytes in global memory, clipped parallelogram drawing, and the stream.
#include "platform/gdiplus.h"
#include "Canvas.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<unsigned char>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A 4x2 PNG: left half red, right half blue, all opaque.
std::vector<unsigned char> twoColourPng() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 2);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 2, 2);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 2, 0, 2, 2);
    cairo_fill(cr);
    cairo_destroy(cr);
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(s, appendBytes, &bytes);
    cairo_surface_destroy(s);
    return bytes;
}

// The way the module loads its images: bytes copied into a fixed block, a stream that frees it.
std::unique_ptr<Gdiplus::Image> imageFromBytes(const std::vector<unsigned char>& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    EXPECT_EQ(S_OK, CreateStreamOnHGlobal(block, TRUE, &stream));
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream, FALSE));
    stream->Release();
    return image;
}

} // namespace

TEST(Gdiplus, ImageDecodesFromAStream) {
    auto image = imageFromBytes(twoColourPng());
    ASSERT_EQ(Gdiplus::Ok, image->GetLastStatus());
    EXPECT_EQ(4u, image->GetWidth());
    EXPECT_EQ(2u, image->GetHeight());
}

TEST(Gdiplus, BadBytesGiveAStatusNotACrash) {
    std::vector<unsigned char> png = twoColourPng();
    std::vector<std::vector<unsigned char>> bad = {
        {},
        {'n', 'o', 't', ' ', 'p', 'n', 'g'},
        std::vector<unsigned char>(png.begin(), png.begin() + png.size() / 2), // truncated
    };
    // A header that claims an enormous image is refused before decoding.
    std::vector<unsigned char> huge = png;
    huge[16] = 0x7F;
    bad.push_back(huge);
    // Corrupt image data.
    std::vector<unsigned char> corrupt = png;
    for (size_t i = 40; i < corrupt.size() - 12; ++i)
        corrupt[i] ^= 0x5A;
    bad.push_back(corrupt);
    for (const auto& bytes : bad) {
        auto image = imageFromBytes(bytes.empty() ? std::vector<unsigned char>{0} : bytes);
        EXPECT_NE(Gdiplus::Ok, image->GetLastStatus()) << bytes.size();
        EXPECT_EQ(0u, image->GetWidth());
        SurfaceCanvas canvas(4, 4);
        Gdiplus::Graphics graphics(canvas.dc);
        EXPECT_EQ(Gdiplus::InvalidParameter, graphics.DrawImage(image.get(), 0, 0, 4, 4));
    }
    Gdiplus::Image nullStream(nullptr);
    EXPECT_EQ(Gdiplus::InvalidParameter, nullStream.GetLastStatus());
}

TEST(Gdiplus, ParallelogramDrawIsStretchedAndClipped) {
    auto image = imageFromBytes(twoColourPng());
    DibCanvas canvas(40, 20);
    Gdiplus::Graphics graphics(canvas.dc);
    // Stretch the 4x2 image onto 20x10 at (10, 5), but clip to its left 15 pixels, as a bar is.
    ASSERT_EQ(Gdiplus::Ok, graphics.SetClip(Gdiplus::Rect(10, 0, 15, 20)));
    Gdiplus::Point corners[3] = {{10, 5}, {30, 5}, {10, 15}};
    ASSERT_EQ(Gdiplus::Ok, graphics.DrawImage(image.get(), corners, 3));
    graphics.ResetClip();
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc, 10, 5));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc, 17, 14));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(canvas.dc, 24, 10));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 25, 10)); // clipped away
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 9, 10));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 15, 15));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 15, 4));

    // Three points are required.
    EXPECT_EQ(Gdiplus::InvalidParameter, graphics.DrawImage(image.get(), corners, 2));
}

TEST(Gdiplus, GraphicsHonoursTheDcClipAndSavedStates) {
    DibCanvas canvas(20, 20);
    IntersectClipRect(canvas.dc, 0, 0, 10, 20);
    Gdiplus::Graphics graphics(canvas.dc);
    Gdiplus::SolidBrush red(Gdiplus::Color(255, 255, 0, 0));
    Gdiplus::GraphicsState state = graphics.Save();
    graphics.SetClip(Gdiplus::Rect(0, 0, 20, 5));
    graphics.SetClip(Gdiplus::Rect(0, 0, 20, 3), Gdiplus::CombineModeIntersect);
    graphics.FillRectangle(&red, 0, 0, 20, 20);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc, 9, 2));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 9, 3));
    EXPECT_EQ(Gdiplus::Ok, graphics.Restore(state));
    EXPECT_EQ(Gdiplus::InvalidParameter, graphics.Restore(state));
    graphics.FillRectangle(&red, 0, 0, 20, 20);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc, 9, 19));
    SelectClipRgn(canvas.dc, nullptr);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 10, 19)); // the DC's clip held

    Gdiplus::Graphics broken(reinterpret_cast<HDC>(0x12345678));
    EXPECT_EQ(Gdiplus::InvalidParameter, broken.GetLastStatus());
    EXPECT_EQ(Gdiplus::InvalidParameter, broken.FillRectangle(&red, 0, 0, 1, 1));
}

TEST(GlobalMemory, BlocksAndStreams) {
    HGLOBAL moveable = GlobalAlloc(GHND, 8);
    ASSERT_NE(nullptr, moveable);
    EXPECT_EQ(8u, GlobalSize(moveable));
    auto* data = static_cast<unsigned char*>(GlobalLock(moveable));
    EXPECT_EQ(0, data[7]);
    EXPECT_TRUE(GlobalUnlock(moveable) == FALSE && GetLastError() == ERROR_SUCCESS);

    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(moveable, TRUE, &stream));
    ULONG written = 0;
    EXPECT_EQ(S_OK, stream->Write("0123456789AB", 12, &written)); // grows the block
    EXPECT_EQ(12u, written);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(12u, stat.cbSize.QuadPart);
    LARGE_INTEGER move{};
    move.QuadPart = -4;
    ULARGE_INTEGER position{};
    EXPECT_EQ(S_OK, stream->Seek(move, STREAM_SEEK_END, &position));
    EXPECT_EQ(8u, position.QuadPart);
    char buffer[8] = {};
    ULONG read = 0;
    EXPECT_EQ(S_OK, stream->Read(buffer, sizeof buffer, &read));
    EXPECT_EQ(4u, read);
    EXPECT_EQ(0, std::memcmp(buffer, "89AB", 4));
    move.QuadPart = -1;
    EXPECT_NE(S_OK, stream->Seek(move, STREAM_SEEK_SET, nullptr));
    stream->AddRef();
    EXPECT_EQ(1u, stream->Release());
    EXPECT_EQ(0u, stream->Release()); // frees the block
    EXPECT_EQ(moveable, GlobalFree(moveable));

    // A fixed block cannot grow behind the stream's back.
    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 2);
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(fixed, FALSE, &stream));
    EXPECT_EQ(STG_E_MEDIUMFULL, stream->Write("abc", 3, &written));
    stream->Release();
    EXPECT_EQ(nullptr, GlobalFree(fixed));
    EXPECT_EQ(E_INVALIDARG, CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(0x99), FALSE, &stream));
}
