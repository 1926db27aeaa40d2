// Text: DrawTextW placement against measured extents, ellipsis, DT_CALCRECT, prefixes, word
// breaks, and Chinese metrics.
#include "Canvas.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The bounding box of pixels that are not white, or an empty rectangle.
RECT inkBox(const DibCanvas& canvas) {
    RECT box{canvas.w, canvas.h, 0, 0};
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x)
            if (GetPixel(canvas.dc, x, y) != RGB(255, 255, 255)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

struct FontCanvas : DibCanvas {
    FontCanvas(int width, int height, int fontHeight = -16) : DibCanvas(width, height) {
        font = CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0,
                           L"WenQuanYi Micro Hei");
        oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }
    ~FontCanvas() {
        SelectObject(dc, oldFont);
        DeleteObject(font);
    }
    HFONT font;
    HGDIOBJ oldFont;
};

} // namespace

TEST(Text, ChineseMeasuresAboutOneEmPerCharacter) {
    FontCanvas canvas(10, 10, -16);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc, L"华夏成长", 4, &size));
    EXPECT_GE(size.cx, 4 * 14);
    EXPECT_LE(size.cx, 4 * 18);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &tm));
    EXPECT_EQ(tm.tmHeight, size.cy);
    EXPECT_GE(tm.tmHeight, 16);
    EXPECT_LE(tm.tmHeight, 24);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmHeight - 16, tm.tmInternalLeading);

    // A positive height asks for the cell height instead.
    HFONT cell = CreateFontW(20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"");
    HGDIOBJ old = SelectObject(canvas.dc, cell);
    GetTextMetricsW(canvas.dc, &tm);
    EXPECT_EQ(20, tm.tmHeight);
    EXPECT_EQ(FW_BOLD, tm.tmWeight);
    SelectObject(canvas.dc, old);
    DeleteObject(cell);

    SIZE empty{};
    EXPECT_TRUE(GetTextExtentPoint32W(canvas.dc, L"", 0, &empty));
    EXPECT_EQ(0, empty.cx);
}

TEST(Text, SingleLineAlignmentPlacesTheInkWhereTheExtentSays) {
    const wchar_t* text = L"12.34%";
    for (UINT align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        FontCanvas canvas(200, 40);
        SIZE size{};
        GetTextExtentPoint32W(canvas.dc, text, 6, &size);
        RECT r{10, 0, 190, 40};
        int height = DrawTextW(canvas.dc, text, -1, &r, align | DT_SINGLELINE | DT_VCENTER);
        RECT ink = inkBox(canvas);
        ASSERT_LT(ink.left, ink.right) << align;
        int expectedLeft =
            align == DT_LEFT ? 10 : (align == DT_CENTER ? 10 + (180 - size.cx) / 2 : 190 - size.cx);
        EXPECT_NEAR(expectedLeft, ink.left, 2) << align;
        EXPECT_NEAR(expectedLeft + size.cx, ink.right, 3) << align;
        // Vertically centred: the ink's middle is near the rectangle's.
        EXPECT_NEAR(20, (ink.top + ink.bottom) / 2, 3) << align;
        EXPECT_EQ((40 - size.cy) / 2 + size.cy, height);
    }
}

TEST(Text, EndEllipsisShortensToTheRectangle) {
    FontCanvas canvas(300, 30);
    const wchar_t* text = L"华夏成长混合型证券投资基金";
    RECT measure{0, 0, 0, 0};
    DrawTextW(canvas.dc, text, -1, &measure, DT_SINGLELINE | DT_CALCRECT);
    ASSERT_GT(measure.right, 100);

    RECT narrow{0, 0, 80, 30};
    DrawTextW(canvas.dc, text, -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(narrow.right, 80);
    EXPECT_GT(narrow.right, 40);

    RECT r{0, 0, 80, 30};
    DrawTextW(canvas.dc, text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER);
    RECT ink = inkBox(canvas);
    EXPECT_LE(ink.right, 80);
    // The dots sit at the end, low on the line: the last columns have ink only near the baseline.
    EXPECT_GT(ink.right, 60);

    // Text that fits is left alone.
    RECT wide{0, 0, 1000, 30};
    DrawTextW(canvas.dc, text, -1, &wide, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(measure.right, wide.right);
}

TEST(Text, ManyDifferentEllipsisedTextsKeepEveryLayoutInUseAlive) {
    // Thousands of different texts cut with "...", as the headers of a long report: each asks for
    // the whole line, "..." and the cut line, so the layout cache fills up in the middle of a call
    // again and again. A cache that started afresh there freed the line still being read (a crash,
    // or a use after free under AddressSanitizer).
    FontCanvas canvas(300, 30, -15);
    const wchar_t* base = L"华夏成长混合型证券投资基金";
    RECT first{0, 0, 80, 30};
    DrawTextW(canvas.dc, base, -1, &first, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    for (int i = 0; i < 6000; ++i) {
        const std::wstring text = std::to_wstring(i) + base;
        RECT r{0, 0, 80, 30};
        ASSERT_GT(DrawTextW(canvas.dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT),
                  0)
            << i;
        ASSERT_LE(r.right, 80) << i;
        if (i % 7 == 0) {
            RECT drawn{0, 0, 80, 30};
            DrawTextW(canvas.dc, text.c_str(), -1, &drawn, DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER);
        }
    }
    // The first text measures as it did, whichever generation of the cache holds it now.
    RECT again{0, 0, 80, 30};
    DrawTextW(canvas.dc, base, -1, &again, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(again.right, first.right);
}

namespace {

// The pixels of a canvas, to compare two drawings.
std::vector<COLORREF> pixelsOf(const DibCanvas& canvas) {
    std::vector<COLORREF> out;
    for (int y = 0; y < canvas.h; ++y)
        for (int x = 0; x < canvas.w; ++x)
            out.push_back(GetPixel(canvas.dc, x, y));
    return out;
}

} // namespace

TEST(Text, EllipsisKeepsTheLongestPrefixThatFitsWithTheDots) {
    // Characters of different widths, so that keeping one too many or one too few shows.
    const std::wstring text = L"Wil1mW.iW:lmWWi1l.mWiWl:1mWiWl";
    for (int width : {37, 52, 81, 120}) {
        // The expected drawing: the longest prefix whose width with "..." fits, drawn as it is.
        std::wstring expected;
        for (size_t keep = 0; keep < text.size(); ++keep) {
            FontCanvas probe(10, 10);
            std::wstring candidate = text.substr(0, keep) + L"...";
            RECT measure{0, 0, 0, 0};
            DrawTextW(probe.dc, candidate.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
            if (measure.right <= width)
                expected = candidate;
        }
        FontCanvas wanted(200, 24), shown(200, 24);
        RECT a{0, 0, width, 24}, b{0, 0, width, 24};
        DrawTextW(wanted.dc, expected.c_str(), -1, &a, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        DrawTextW(shown.dc, text.c_str(), -1, &b, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        EXPECT_EQ(pixelsOf(wanted), pixelsOf(shown)) << "width " << width << ", expected " << expected.size();
    }
}

TEST(Text, AVeryLongTextDrawsLikeItsVisibleStart) {
    // Thirty thousand characters in a cell: what shows is the start with the ellipsis, exactly as
    // for a text that is merely too long, and in every alignment.
    std::wstring huge;
    while (huge.size() < 30000)
        huge += L"华夏成长混合型证券投资基金ABC123";
    const std::wstring start = huge.substr(0, 300);
    for (UINT align : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        FontCanvas a(220, 24), b(220, 24);
        RECT ra{10, 0, 210, 24}, rb{10, 0, 210, 24};
        UINT format = align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
        DrawTextW(a.dc, start.c_str(), static_cast<int>(start.size()), &ra, format);
        DrawTextW(b.dc, huge.c_str(), static_cast<int>(huge.size()), &rb, format);
        EXPECT_EQ(pixelsOf(a), pixelsOf(b)) << "alignment " << align;
        RECT ink = inkBox(b);
        EXPECT_GE(ink.left, 10);
        EXPECT_LE(ink.right, 210);
    }

    // A long text that is only clipped shows its start too, and a wrapped one fills the lines.
    FontCanvas a(220, 60), b(220, 60);
    RECT ra{0, 0, 200, 60}, rb{0, 0, 200, 60};
    DrawTextW(a.dc, start.c_str(), -1, &ra, DT_WORDBREAK | DT_NOPREFIX);
    DrawTextW(b.dc, huge.c_str(), -1, &rb, DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_EQ(pixelsOf(a), pixelsOf(b));

    // Measuring never shapes more than a screen line's worth, and still answers a width.
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(a.dc, huge.c_str(), static_cast<int>(huge.size()), &size));
    EXPECT_GT(size.cx, 2000);
}

TEST(Text, CalcRectReportsLinesAndWordBreaks) {
    FontCanvas canvas(10, 10);
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas.dc, &tm);
    RECT r{5, 7, 5, 7};
    EXPECT_EQ(2 * tm.tmHeight, DrawTextW(canvas.dc, L"one\r\ntwo", -1, &r, DT_CALCRECT));
    EXPECT_EQ(7 + 2 * tm.tmHeight, r.bottom);
    EXPECT_EQ(5, r.left);
    SIZE one{};
    GetTextExtentPoint32W(canvas.dc, L"one", 3, &one);
    EXPECT_NEAR(5 + one.cx, r.right, 2);

    // Word breaking at the rectangle's width; no line is wider than it when every word fits.
    RECT wrapped{0, 0, 60, 0};
    int height = DrawTextW(canvas.dc, L"alpha beta gamma delta", -1, &wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(height, 2 * tm.tmHeight);
    EXPECT_EQ(height, wrapped.bottom);
    EXPECT_LE(wrapped.right, 60);

    // Chinese text breaks between characters.
    RECT chinese{0, 0, 40, 0};
    height = DrawTextW(canvas.dc, L"华夏成长混合", -1, &chinese, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(height, 3 * tm.tmHeight);

    // Single-line text ignores its line breaks.
    RECT single{0, 0, 0, 0};
    EXPECT_EQ(tm.tmHeight, DrawTextW(canvas.dc, L"a\nb", -1, &single, DT_SINGLELINE | DT_CALCRECT));
}

TEST(Text, PrefixUnderlinesTheMarkedCharacterOnly) {
    auto underlineRow = [](const wchar_t* text, UINT format, RECT* inkOut) {
        FontCanvas canvas(120, 30);
        RECT r{0, 0, 120, 30};
        DrawTextW(canvas.dc, text, -1, &r, format | DT_SINGLELINE);
        *inkOut = inkBox(canvas);
        TEXTMETRICW tm{};
        GetTextMetricsW(canvas.dc, &tm);
        // Count dark pixels on the row just below the baseline.
        int dark = 0;
        for (int y = tm.tmAscent + 1; y <= tm.tmAscent + 2; ++y)
            for (int x = 0; x < 120; ++x)
                if (GetPixel(canvas.dc, x, y) == RGB(0, 0, 0))
                    ++dark;
        return dark;
    };
    RECT plain{}, marked{}, literal{}, noPrefix{};
    int base = underlineRow(L"File", 0, &plain);
    int underlined = underlineRow(L"&File", 0, &marked);
    EXPECT_GT(underlined, base + 3);
    // The underline covers the "F" only, so the ink starts where the plain text starts.
    EXPECT_NEAR(plain.left, marked.left, 1);
    // "&&" shows one "&" without an underline; DT_NOPREFIX shows the "&" itself.
    underlineRow(L"A&&B", 0, &literal);
    underlineRow(L"A&B", DT_NOPREFIX, &noPrefix);
    EXPECT_EQ(literal.right, noPrefix.right);
}

TEST(Text, OpaqueBackgroundAndClipping) {
    FontCanvas canvas(100, 30);
    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, RGB(0, 255, 0));
    RECT r{10, 5, 40, 25};
    DrawTextW(canvas.dc, L"华夏成长华夏成长", -1, &r, DT_SINGLELINE);
    // The background fills behind the text, inside the rectangle only.
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(canvas.dc, 10, 5));
    RECT ink = inkBox(canvas);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);
    EXPECT_GE(ink.top, 5);

    // ExtTextOutW with ETO_OPAQUE fills its rectangle and clips with ETO_CLIPPED.
    DibCanvas out(60, 20);
    SetBkColor(out.dc, RGB(0, 0, 255));
    RECT box{5, 5, 20, 15};
    EXPECT_TRUE(ExtTextOutW(out.dc, 5, 5, ETO_OPAQUE, &box, L"", 0, nullptr));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(out.dc, 19, 14));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(out.dc, 20, 14));
    EXPECT_TRUE(ExtTextOutW(out.dc, 5, 5, ETO_OPAQUE | ETO_CLIPPED, &box, L"WWWWWW", 6, nullptr));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(out.dc, 25, 8));
}

TEST(Text, BadArgumentsFailWithoutDrawing) {
    FontCanvas canvas(10, 10);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(0, DrawTextW(canvas.dc, nullptr, 3, &r, 0));
    EXPECT_EQ(0, DrawTextW(canvas.dc, L"x", 1, nullptr, 0));
    EXPECT_EQ(0, DrawTextW(reinterpret_cast<HDC>(0x5000000), L"x", 1, &r, 0));
    // Characters that are not valid Unicode draw as replacement glyphs, not as broken UTF-8.
    const wchar_t odd[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b'};
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(canvas.dc, odd, 4, &size));
    EXPECT_GT(size.cx, 0);
}
