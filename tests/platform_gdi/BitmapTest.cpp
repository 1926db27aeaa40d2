// Memory DCs, DIB sections (top-down and bottom-up memory) and double buffering with BitBlt.
#include "Canvas.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

std::uint32_t rowPixel(void* bits, int width, int row, int x) {
    return static_cast<std::uint32_t*>(bits)[row * width + x] & 0x00FFFFFF;
}

} // namespace

TEST(Bitmaps, DibSectionMemoryFollowsTheRowOrder) {
    for (bool bottomUp : {false, true}) {
        DibCanvas canvas(4, 3, bottomUp);
        RECT top{0, 0, 4, 1};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(canvas.dc, &top, red);
        DeleteObject(red);
        // Red is BGRA 00 00 FF xx in memory: 0x00FF0000 as a little-endian word.
        int firstRow = bottomUp ? 2 : 0;
        int lastRow = bottomUp ? 0 : 2;
        EXPECT_EQ(0x00FF0000u, rowPixel(canvas.bits, 4, firstRow, 3)) << bottomUp;
        EXPECT_EQ(0x00FFFFFFu, rowPixel(canvas.bits, 4, lastRow, 3)) << bottomUp;

        // Writing the memory shows through the DC.
        static_cast<std::uint32_t*>(canvas.bits)[lastRow * 4 + 1] = 0x000000FF; // blue
        EXPECT_EQ(RGB(0, 0, 255), GetPixel(canvas.dc, 1, 2)) << bottomUp;

        DIBSECTION dib{};
        ASSERT_EQ(static_cast<int>(sizeof dib), GetObjectW(canvas.bitmap, sizeof dib, &dib));
        EXPECT_EQ(canvas.bits, dib.dsBm.bmBits);
        EXPECT_EQ(bottomUp ? 3 : -3, dib.dsBmih.biHeight);
    }
}

TEST(Bitmaps, DoubleBufferingCopiesTheBackBufferToTheWindow) {
    DibCanvas back(30, 20, true);
    RECT r{5, 5, 15, 10};
    HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
    FillRect(back.dc, &r, green);
    DeleteObject(green);

    SurfaceCanvas window(40, 30, {3, 2});
    EXPECT_TRUE(BitBlt(window.dc, 0, 0, 30, 20, back.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(RGB(0, 128, 0), window.At(5 + 3, 5 + 2));
    EXPECT_EQ(RGB(0, 128, 0), window.At(14 + 3, 9 + 2));
    EXPECT_EQ(RGB(255, 255, 255), window.At(15 + 3, 9 + 2));
    EXPECT_EQ(RGB(255, 255, 255), window.At(3, 2));
    EXPECT_EQ(RGB(0, 0, 0), window.At(2, 2)); // outside the copied area
    // The window surface is opaque where the copy landed.
    cairo_surface_flush(window.surface);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(window.surface));
    EXPECT_EQ(0xFFu, data[2 * 40 + 3] >> 24);

    // Only part of the back buffer: the invalid rectangle of a paint.
    SurfaceCanvas partial(40, 30);
    BitBlt(partial.dc, 6, 6, 2, 2, back.dc, 6, 6, SRCCOPY);
    EXPECT_EQ(RGB(0, 128, 0), partial.At(7, 7));
    EXPECT_EQ(RGB(0, 0, 0), partial.At(5, 5));
    EXPECT_EQ(RGB(0, 0, 0), partial.At(8, 8));
}

TEST(Bitmaps, StretchBltScalesWithNearestPixels) {
    DibCanvas source(2, 1);
    SetPixel(source.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(source.dc, 1, 0, RGB(0, 0, 255));
    DibCanvas dest(8, 4);
    EXPECT_TRUE(StretchBlt(dest.dc, 0, 0, 8, 4, source.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dest.dc, 3, 3));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dest.dc, 4, 0));
    // Mirrored.
    EXPECT_TRUE(StretchBlt(dest.dc, 8, 0, -8, 4, source.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dest.dc, 0, 0));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dest.dc, 7, 0));
}

TEST(Bitmaps, SelectionRulesOfMemoryDCs) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAP info{};
    HGDIOBJ initial = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectW(initial, sizeof info, &info));
    EXPECT_EQ(1, info.bmWidth);
    EXPECT_EQ(1, info.bmBitsPixel);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    EXPECT_EQ(initial, SelectObject(dc, bitmap));
    // A bitmap lives in one DC at a time and cannot be deleted while selected.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(nullptr, SelectObject(other, bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(bitmap, SelectObject(dc, initial));
    EXPECT_NE(nullptr, SelectObject(other, bitmap));
    DeleteDC(other);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(dc);

    // Unsupported formats are refused rather than misread.
    BITMAPINFO bad{};
    bad.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bad.bmiHeader.biWidth = 4;
    bad.bmiHeader.biHeight = 4;
    bad.bmiHeader.biPlanes = 1;
    bad.bmiHeader.biBitCount = 24;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_EQ(nullptr, bits);
    bad.bmiHeader.biBitCount = 32;
    bad.bmiHeader.biWidth = 1 << 30;
    EXPECT_EQ(nullptr, CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0));
}
