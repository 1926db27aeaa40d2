// One canvas with everything drawn on it, saved as PNG for a person to look at.
#include "Canvas.h"
#include "platform/gdiplus.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(CanvasSnapshot, DrawsTextLinesFillsAndAnImage) {
    DibCanvas canvas(320, 160, true);
    RECT header{0, 0, 320, 24};
    FillRect(canvas.dc, &header, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
    HFONT font =
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"WenQuanYi Micro Hei");
    HGDIOBJ oldFont = SelectObject(canvas.dc, font);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    DrawTextW(canvas.dc, L"基金名称", -1, &header, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(canvas.dc, RGB(0, 0, 0));
    const wchar_t* cells[3][3] = {{L"华夏成长", L"12.34%", L"&Add"},
                                  {L"易方达蓝筹精选混合型证券投资基金", L"-3.21%", L"A&&B"},
                                  {L"南方稳健", L"0.00%", L"--"}};
    HPEN grid = CreatePen(PS_SOLID, 1, RGB(180, 180, 180));
    HGDIOBJ oldPen = SelectObject(canvas.dc, grid);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            RECT cell{col * 100 + 4, 24 + row * 24, col * 100 + 100, 48 + row * 24};
            UINT align = col == 0 ? DT_LEFT : (col == 1 ? DT_RIGHT : DT_CENTER);
            DrawTextW(canvas.dc, cells[row][col], -1, &cell,
                      align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        }
        MoveToEx(canvas.dc, 0, 47 + row * 24, nullptr);
        LineTo(canvas.dc, 320, 47 + row * 24);
    }
    HPEN dashed = CreatePen(PS_DASH, 1, RGB(200, 0, 0));
    SelectObject(canvas.dc, dashed);
    HGDIOBJ oldBrush = SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    Rectangle(canvas.dc, 4, 100, 150, 156);
    SelectObject(canvas.dc, oldBrush);
    SelectObject(canvas.dc, oldPen);
    DeleteObject(grid);
    DeleteObject(dashed);
    RECT para{8, 104, 146, 156};
    DrawTextW(canvas.dc, L"Word breaking wraps this text 并且中文也能换行。", -1, &para, DT_WORDBREAK);

    // A bar image through GDI+, stretched and clipped like a grid's bar.
    cairo_surface_t* bar = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 8);
    cairo_t* cr = cairo_create(bar);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 16, 0);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.9, 0.2, 0.2);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 1.0, 0.8, 0.2);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(
        bar,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(bar);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    stream->Write(png.data(), static_cast<ULONG>(png.size()), nullptr);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    Gdiplus::Image image(stream);
    stream->Release();
    ASSERT_EQ(Gdiplus::Ok, image.GetLastStatus());
    Gdiplus::Graphics graphics(canvas.dc);
    graphics.SetClip(Gdiplus::Rect(160, 110, 100, 30));
    Gdiplus::Point corners[3] = {{160, 116}, {310, 116}, {160, 134}};
    EXPECT_EQ(Gdiplus::Ok, graphics.DrawImage(&image, corners, 3));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(canvas.dc, 261, 120));
    EXPECT_NE(RGB(255, 255, 255), GetPixel(canvas.dc, 259, 120));

    SelectObject(canvas.dc, oldFont);
    DeleteObject(font);

    // Save through a window-like surface, which also exercises the blit.
    cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 320, 160);
    HDC windowDc = platform::CreateSurfaceDC(window, {0, 0}, nullptr, nullptr);
    BitBlt(windowDc, 0, 0, 320, 160, canvas.dc, 0, 0, SRCCOPY);
    platform::DestroySurfaceDC(windowDc);
    std::string path = std::string(GDI_TEST_OUTPUT_DIR) + "/gdi_canvas.png";
    EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_write_to_png(window, path.c_str()));
    cairo_surface_destroy(window);
}
