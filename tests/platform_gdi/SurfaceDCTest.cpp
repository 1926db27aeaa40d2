// The window manager's DC over a window surface: origin, system clip and system colours.
#include "Canvas.h"

#include <gtest/gtest.h>

TEST(SurfaceDC, FillRectLandsAtTheOriginAndStaysInsideTheClip) {
    cairo_rectangle_int_t visible{10, 10, 20, 20};
    cairo_region_t* clip = cairo_region_create_rectangle(&visible);
    SurfaceCanvas canvas(50, 50, {5, 5}, clip);
    cairo_region_destroy(clip);
    HWND window = reinterpret_cast<HWND>(0x1234);
    HDC windowDc = platform::CreateSurfaceDC(canvas.surface, {5, 5}, nullptr, window);
    EXPECT_EQ(window, platform::WindowFromSurfaceDC(windowDc));
    EXPECT_EQ(nullptr, platform::WindowFromSurfaceDC(canvas.dc));
    platform::DestroySurfaceDC(windowDc);

    RECT r{0, 0, 100, 100};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_TRUE(FillRect(canvas.dc, &r, red));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(10, 10));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(29, 29));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(30, 30));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(9, 9));
    EXPECT_TRUE(DeleteObject(red));

    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetClipBox(canvas.dc, &box));
    EXPECT_EQ(5, box.left);
    EXPECT_EQ(25, box.right);
}

TEST(SurfaceDC, SystemColourBrushValuesAndStockBrushes) {
    SurfaceCanvas canvas(4, 4);
    RECT r{0, 0, 2, 4};
    EXPECT_TRUE(FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), canvas.At(1, 0));
    r = {2, 0, 4, 4};
    EXPECT_TRUE(FillRect(canvas.dc, &r, GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.At(3, 3));
    // Shared brushes survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_EQ(OBJ_BRUSH, GetObjectType(GetSysColorBrush(COLOR_BTNFACE)));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_TRUE(FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(3, 3));

    // A null brush draws nothing; a bad brush fails.
    EXPECT_TRUE(FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
    EXPECT_FALSE(FillRect(canvas.dc, &r, reinterpret_cast<HBRUSH>(0x7777)));
    // DC_BRUSH takes the DC's colour.
    SetDCBrushColor(canvas.dc, RGB(1, 2, 3));
    EXPECT_TRUE(FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH))));
    EXPECT_EQ(RGB(1, 2, 3), canvas.At(2, 0));
}

TEST(SurfaceDC, DeletedHandlesAreRefused) {
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(0u, GetObjectType(brush));
    // A new object in the freed slot gets a different handle.
    HBRUSH next = CreateSolidBrush(RGB(1, 1, 1));
    EXPECT_NE(brush, next);
    DeleteObject(next);
}
