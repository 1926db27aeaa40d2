// Pixel rules of fills, frames, rectangles and lines: right and bottom edges exclusive, LineTo
// without its last pixel, no anti-aliasing.
#include "Canvas.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);

} // namespace

TEST(Shapes, FillAndFrameCoverExactlyTheRectangle) {
    DibCanvas canvas(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{2, 3, 8, 9};
    FillRect(canvas.dc, &r, red);
    EXPECT_EQ(kRed, PixelOf(canvas, 2, 3));
    EXPECT_EQ(kRed, PixelOf(canvas, 7, 8));
    EXPECT_EQ(kWhite, PixelOf(canvas, 8, 8));
    EXPECT_EQ(kWhite, PixelOf(canvas, 7, 9));
    EXPECT_EQ(kWhite, PixelOf(canvas, 1, 3));

    HBRUSH blue = CreateSolidBrush(kBlue);
    RECT f{10, 10, 15, 14};
    FrameRect(canvas.dc, &f, blue);
    EXPECT_EQ(kBlue, PixelOf(canvas, 10, 10));
    EXPECT_EQ(kBlue, PixelOf(canvas, 14, 13));
    EXPECT_EQ(kWhite, PixelOf(canvas, 11, 11)); // hollow
    EXPECT_EQ(kWhite, PixelOf(canvas, 15, 13));
    EXPECT_EQ(kWhite, PixelOf(canvas, 14, 14));

    // Empty and inverted rectangles draw nothing.
    RECT inverted{8, 8, 2, 2};
    EXPECT_TRUE(FillRect(canvas.dc, &inverted, blue));
    EXPECT_EQ(kRed, PixelOf(canvas, 5, 5));
    DeleteObject(red);
    DeleteObject(blue);
}

TEST(Shapes, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    DibCanvas canvas(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    HGDIOBJ oldBrush = SelectObject(canvas.dc, red);
    Rectangle(canvas.dc, 2, 2, 10, 8); // default black pen
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(canvas, 2, 2));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(canvas, 9, 7));
    EXPECT_EQ(kRed, PixelOf(canvas, 3, 3));
    EXPECT_EQ(kRed, PixelOf(canvas, 8, 6));
    EXPECT_EQ(kWhite, PixelOf(canvas, 10, 7));
    EXPECT_EQ(kWhite, PixelOf(canvas, 9, 8));

    // Without a pen the fill stops one pixel short on the right and the bottom.
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    Rectangle(canvas.dc, 12, 12, 16, 16);
    EXPECT_EQ(kRed, PixelOf(canvas, 12, 12));
    EXPECT_EQ(kRed, PixelOf(canvas, 14, 14));
    EXPECT_EQ(kWhite, PixelOf(canvas, 15, 14));
    SelectObject(canvas.dc, oldBrush);
    // The brush is still selected nowhere now and can go.
    EXPECT_TRUE(DeleteObject(red));
}

TEST(Shapes, LinesLeaveOutTheirLastPixel) {
    DibCanvas canvas(20, 20);
    HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    MoveToEx(canvas.dc, 2, 5, nullptr);
    LineTo(canvas.dc, 10, 5);
    EXPECT_EQ(kBlue, PixelOf(canvas, 2, 5));
    EXPECT_EQ(kBlue, PixelOf(canvas, 9, 5));
    EXPECT_EQ(kWhite, PixelOf(canvas, 10, 5));
    EXPECT_EQ(kWhite, PixelOf(canvas, 5, 4));
    EXPECT_EQ(kWhite, PixelOf(canvas, 5, 6));
    // Leftwards and upwards as well.
    LineTo(canvas.dc, 10, 1);
    EXPECT_EQ(kBlue, PixelOf(canvas, 10, 5));
    EXPECT_EQ(kBlue, PixelOf(canvas, 10, 2));
    EXPECT_EQ(kWhite, PixelOf(canvas, 10, 1));
    // A diagonal sets one pixel per step.
    MoveToEx(canvas.dc, 0, 10, nullptr);
    LineTo(canvas.dc, 5, 15);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kBlue, PixelOf(canvas, i, 10 + i)) << i;
    EXPECT_EQ(kWhite, PixelOf(canvas, 5, 15));
    EXPECT_EQ(kWhite, PixelOf(canvas, 1, 10));

    // A pen deleted while selected stays usable until it is deselected.
    EXPECT_TRUE(DeleteObject(pen));
    MoveToEx(canvas.dc, 0, 18, nullptr);
    LineTo(canvas.dc, 3, 18);
    EXPECT_EQ(kBlue, PixelOf(canvas, 1, 18));
    SelectObject(canvas.dc, old);
    EXPECT_EQ(0u, GetObjectType(pen));
}

TEST(Shapes, DashedPensLeaveGapsThatOpaqueModeFills) {
    DibCanvas canvas(40, 4);
    HPEN pen = CreatePen(PS_DOT, 1, kRed);
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    SetBkMode(canvas.dc, TRANSPARENT);
    MoveToEx(canvas.dc, 0, 1, nullptr);
    LineTo(canvas.dc, 40, 1);
    EXPECT_EQ(kRed, PixelOf(canvas, 0, 1));
    EXPECT_EQ(kWhite, PixelOf(canvas, 3, 1));
    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, kBlue);
    MoveToEx(canvas.dc, 0, 2, nullptr);
    LineTo(canvas.dc, 40, 2);
    EXPECT_EQ(kRed, PixelOf(canvas, 0, 2));
    EXPECT_EQ(kBlue, PixelOf(canvas, 3, 2));
    SelectObject(canvas.dc, old);
    DeleteObject(pen);
}

TEST(Shapes, PolygonFillsInsideAndOutlinesThroughTheVertices) {
    DibCanvas canvas(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    HGDIOBJ oldBrush = SelectObject(canvas.dc, red);
    POINT square[4] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    Polygon(canvas.dc, square, 4);
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(canvas, 12, 12));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(canvas, 2, 7));
    EXPECT_EQ(kRed, PixelOf(canvas, 7, 7));
    EXPECT_EQ(kWhite, PixelOf(canvas, 13, 7));
    SelectObject(canvas.dc, oldBrush);
    DeleteObject(red);
}

TEST(Shapes, SetPixelHonoursClippingAndGetPixelRefusesOutside) {
    DibCanvas canvas(10, 10);
    EXPECT_EQ(kRed, SetPixel(canvas.dc, 1, 1, kRed));
    EXPECT_EQ(kRed, GetPixel(canvas.dc, 1, 1));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, 10, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, -1, 0));
    IntersectClipRect(canvas.dc, 5, 5, 10, 10);
    EXPECT_EQ(CLR_INVALID, SetPixel(canvas.dc, 2, 2, kBlue));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, 1, 1));
}
