// Clipping and saved DC states.
#include "Canvas.h"

#include <gtest/gtest.h>

TEST(Clipping, IntersectAndExcludeLimitDrawing) {
    DibCanvas canvas(20, 20);
    EXPECT_EQ(SIMPLEREGION, IntersectClipRect(canvas.dc, 5, 5, 15, 15));
    EXPECT_EQ(COMPLEXREGION, ExcludeClipRect(canvas.dc, 8, 8, 10, 10));
    RECT all{0, 0, 20, 20};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(canvas.dc, nullptr);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc, 5, 5));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc, 14, 14));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 15, 15));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 4, 10));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 9, 9));
}

TEST(Clipping, SaveAndRestoreBringBackClipAndAttributes) {
    DibCanvas canvas(20, 20);
    SetTextColor(canvas.dc, RGB(1, 1, 1));
    int first = SaveDC(canvas.dc);
    EXPECT_EQ(1, first);
    IntersectClipRect(canvas.dc, 0, 0, 5, 5);
    SetTextColor(canvas.dc, RGB(2, 2, 2));
    EXPECT_EQ(2, SaveDC(canvas.dc));
    IntersectClipRect(canvas.dc, 0, 0, 2, 2);
    SetViewportOrgEx(canvas.dc, 3, 3, nullptr);

    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetClipBox(canvas.dc, &box));
    EXPECT_EQ(-3, box.left); // logical coordinates under the viewport origin
    EXPECT_EQ(-1, box.right);

    EXPECT_TRUE(RestoreDC(canvas.dc, -1));
    GetClipBox(canvas.dc, &box);
    EXPECT_EQ(5, box.right);
    EXPECT_EQ(RGB(2, 2, 2), GetTextColor(canvas.dc));
    EXPECT_TRUE(RestoreDC(canvas.dc, first));
    GetClipBox(canvas.dc, &box);
    EXPECT_EQ(20, box.right);
    EXPECT_EQ(RGB(1, 1, 1), GetTextColor(canvas.dc));
    // Nothing is left to restore.
    EXPECT_FALSE(RestoreDC(canvas.dc, -1));
    EXPECT_FALSE(RestoreDC(canvas.dc, 0));
}

TEST(Clipping, RestoringAStateKeepsItsSelectedObjectsAlive) {
    DibCanvas canvas(10, 10);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc, red);
    SaveDC(canvas.dc);
    SelectObject(canvas.dc, old);
    EXPECT_TRUE(DeleteObject(red)); // the saved state still refers to it
    RestoreDC(canvas.dc, -1);
    PatBlt(canvas.dc, 0, 0, 2, 2, PATCOPY);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc, 1, 1));
    SelectObject(canvas.dc, old);
    EXPECT_EQ(0u, GetObjectType(red));
}

TEST(Clipping, ViewportOriginShiftsDrawing) {
    DibCanvas canvas(10, 10);
    SetViewportOrgEx(canvas.dc, 4, 4, nullptr);
    RECT r{0, 0, 2, 2};
    FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetViewportOrgEx(canvas.dc, 0, 0, nullptr);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc, 4, 4));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 3, 3));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 6, 6));
}
