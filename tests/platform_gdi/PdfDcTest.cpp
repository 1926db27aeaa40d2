// Documents: a device context over a PDF document keeps text as text and lines as vectors, pages
// come out at the size asked for, and a writer that fails or a document given up leaves nothing
// that looks complete.
#include "support/PdfTools.h"

#include <platform/pdfdc.h>
#include <platform/windows.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Collected {
    std::string bytes;
    int calls = 0;
    int failAfter = -1; // refuse every block from this call on; -1 never
};

bool collect(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<Collected*>(closure);
    if (out->failAfter >= 0 && out->calls >= out->failAfter)
        return false;
    ++out->calls;
    out->bytes.append(reinterpret_cast<const char*>(data), length);
    return true;
}

std::string saved(const std::string& bytes, const std::string& name) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Draws a page with a caption, a table rule, a dashed polyline and a filled box.
void drawPage(HDC dc, const wchar_t* caption) {
    HFONT font =
        CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"WenQuanYi Micro Hei");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    RECT line{40, 40, 700, 70};
    DrawTextW(dc, caption, -1, &line, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, old);
    DeleteObject(font);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(200, 0, 0));
    old = SelectObject(dc, pen);
    const POINT points[] = {{40, 300}, {200, 120}, {400, 260}, {700, 100}};
    Polyline(dc, points, 4);
    SelectObject(dc, old);
    DeleteObject(pen);
    RECT box{40, 400, 240, 500};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

TEST(PdfDc, TextStaysTextLinesStayVectorsAndPagesHaveTheirSize) {
    Collected out;
    HDC dc = CreatePdfDC(1123, 794, &collect, &out);
    ASSERT_NE(dc, nullptr);
    DOCINFOW info{sizeof(DOCINFOW), L"测试文档", nullptr, nullptr, 0};
    EXPECT_GT(StartDocW(dc, &info), 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_EQ(StartPage(dc), SP_ERROR); // a page is open already
    drawPage(dc, L"基金对比 第一页 12.34%");
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_GT(StartPage(dc), 0);
    drawPage(dc, L"第二页 华夏成长股票");
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_EQ(GetPdfPageCount(dc), 2);
    // A document has no pixels to read.
    EXPECT_EQ(GetPixel(dc, 50, 50), CLR_INVALID);
    // The DC speaks pixels at 96 per inch, like a screen.
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1123);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 794);
    EXPECT_GT(EndDoc(dc), 0);
    EXPECT_EQ(EndDoc(dc), SP_ERROR); // only once
    DeleteDC(dc);

    ASSERT_EQ(out.bytes.compare(0, 5, "%PDF-"), 0);
    const std::string path = saved(out.bytes, "pdfdc-test.pdf");
    const std::string text = TestSupport::WithoutBlanks(TestSupport::PdfText(path));
    EXPECT_NE(text.find("基金对比第一页12.34%"), std::string::npos) << text;
    EXPECT_NE(text.find("第二页华夏成长股票"), std::string::npos) << text;
    // The page count and size as pdfinfo states them ("Pages: 2", "Page size: 842.25 x 595.5 pts").
    auto field = [](const std::string& info, const std::string& name) {
        const size_t at = info.find(name + ":");
        if (at == std::string::npos)
            return std::string();
        const size_t start = info.find_first_not_of(' ', at + name.size() + 1);
        return info.substr(start, info.find('\n', start) - start);
    };
    const std::string info2 = TestSupport::PdfInfo(path);
    EXPECT_EQ(field(info2, "Pages"), "2") << info2;
    // A4 landscape, 1123 x 794 pixels at 96 per inch: 842 x 595 points.
    EXPECT_EQ(field(info2, "Page size").rfind("842.25 x 595.5 pts", 0), 0u) << info2;
    EXPECT_NE(info2.find("测试文档"), std::string::npos) << info2;
    // Lines, boxes and text only: not one image on any page.
    const std::string images = TestSupport::PdfImages(path);
    EXPECT_EQ(images.find(" image "), std::string::npos) << images;
    // The page as a picture: the caption, the line and the box left ink where they were drawn.
    ASSERT_TRUE(TestSupport::RenderPdfPage(path, 1, 48, path + "-1"));
    cairo_surface_t* png = cairo_image_surface_create_from_png((path + "-1.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_NEAR(cairo_image_surface_get_width(png), 562, 1); // 11.69 in at 48 per inch
    EXPECT_NEAR(cairo_image_surface_get_height(png), 397, 1);
    cairo_surface_flush(png);
    const auto* pixels = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    auto dark = [&](int x, int y) { // pixels at 48 dpi are half the DC's
        const auto* p = pixels + y * stride + x * 4;
        return p[0] < 200 && p[1] < 200 && p[2] < 200;
    };
    EXPECT_TRUE(dark(70, 225)); // inside the grey box (140, 450) at half size
    EXPECT_FALSE(dark(400, 350));
    cairo_surface_destroy(png);
    std::filesystem::remove(path);
    std::filesystem::remove(path + "-1.png");
}

TEST(PdfDc, AWriterThatFailsMakesTheDocumentFailAndAnAbandonedOneWritesNoMore) {
    Collected failing;
    failing.failAfter = 1;
    HDC dc = CreatePdfDC(794, 1123, &collect, &failing);
    ASSERT_NE(dc, nullptr);
    StartPage(dc);
    drawPage(dc, L"写不完的文档");
    EndPage(dc);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    DeleteDC(dc);
    EXPECT_EQ(failing.calls, 1);

    Collected abandoned;
    dc = CreatePdfDC(794, 1123, &collect, &abandoned);
    ASSERT_NE(dc, nullptr);
    StartPage(dc);
    drawPage(dc, L"放弃的文档");
    EXPECT_GT(AbortDoc(dc), 0);
    const size_t before = abandoned.bytes.size();
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    DeleteDC(dc);
    EXPECT_EQ(abandoned.bytes.size(), before);
    EXPECT_EQ(abandoned.bytes.find("%%EOF"), std::string::npos);

    // Deleted before it was ended: the writer hears nothing of the unfinished document's end.
    Collected dropped;
    dc = CreatePdfDC(794, 1123, &collect, &dropped);
    StartPage(dc);
    drawPage(dc, L"未结束");
    DeleteDC(dc);
    EXPECT_EQ(dropped.bytes.find("%%EOF"), std::string::npos);

    EXPECT_EQ(CreatePdfDC(0, 100, &collect, &dropped), nullptr);
    EXPECT_EQ(CreatePdfDC(100, 100, nullptr, nullptr), nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(StartPage(memory), SP_ERROR); // not a document
    DeleteDC(memory);
}

} // namespace
