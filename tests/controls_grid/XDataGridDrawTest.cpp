// XDataGrid drawing, read back as pixels: row backgrounds, grid lines, header, sort mark, border,
// scroll bars, and that only the rows in view are drawn. Also renders a dark-theme screenshot of
// Chinese fund rows for a person to look at.
#include "GridTestSupport.h"

#include <hostconf/Theme.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace gridtest {
namespace {

constexpr COLORREF kBack = RGB(1, 2, 3);
constexpr COLORREF kBorder = RGB(200, 0, 0);
constexpr COLORREF kGrid = RGB(0, 200, 0);
constexpr COLORREF kHeaderBack = RGB(0, 0, 200);
constexpr COLORREF kHeaderText = RGB(250, 250, 0);
constexpr COLORREF kSelection = RGB(90, 90, 90);
constexpr COLORREF kArrow = RGB(255, 128, 0);
constexpr COLORREF kButton = RGB(128, 0, 255);
constexpr COLORREF kFace = RGB(0, 128, 128);
constexpr COLORREF kDark = RGB(10, 10, 10);
constexpr COLORREF kLight = RGB(240, 240, 240);

class CountingGrid : public TestGrid {
public:
    int lowestRow = 1 << 30;
    int highestRow = -1;

protected:
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override {
        lowestRow = std::min(lowestRow, row);
        highestRow = std::max(highestRow, row);
        TestGrid::GetItemText(row, item, text);
    }
};

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override { PlatformStartHeadless(800, 600); }

    void Show(int count, int width, int height) {
        for (int i = 0; i < count; ++i)
            grid.rows.push_back({L"1", L"", L""});
        grid.alternate = true;
        grid.SetHeader(kThreeColumns);
        grid.SetRowHight(20);
        grid.SetHeaderRowHight(24);
        grid.SetBkColor(kBack);
        grid.SetBdColor(kBorder);
        grid.SetGridColor(kGrid);
        grid.SetHeaderBkColor(kHeaderBack);
        grid.SetHeaderColor(kHeaderText);
        grid.SetSelColor(kSelection);
        grid.SetScrollArrowColor(kArrow);
        grid.SetScrollButtonColor(kButton);
        grid.SetScrollFaceColor(kFace);
        grid.SetScrollDarkColor(kDark);
        grid.SetScrollLightColor(kLight);
        ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr));
        // Shown as a top-level, the grid took the keyboard; its colours are seen without it.
        SetFocus(nullptr);
        PlatformRunUntilIdle();
    }
    COLORREF Pixel(int x, int y) { return PlatformWindowPixel(grid, x, y); }
    bool AnyPixel(RECT r, COLORREF colour) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (Pixel(x, y) == colour)
                    return true;
        return false;
    }

    CountingGrid grid;
};

TEST_F(DrawTest, RowsAlternateAndGridLinesFallOnTheLastPixelOfRowsAndColumns) {
    Show(3, 320, 150);
    RECT data = grid.GetDataRect();
    int x = data.left + 60; // inside column 0, clear of its short text
    // Row 0: 20 pixels, the last one the horizontal line.
    EXPECT_EQ(Pixel(x, data.top), kBack);
    EXPECT_EQ(Pixel(x, data.top + 18), kBack);
    EXPECT_EQ(Pixel(x, data.top + 19), kGrid);
    EXPECT_EQ(Pixel(x, data.top + 20), TestGrid::kOddColour);
    EXPECT_EQ(Pixel(x, data.top + 39), kGrid);
    EXPECT_EQ(Pixel(x, data.top + 40), kBack);
    // Below the last row: the grid background, no lines.
    EXPECT_EQ(Pixel(x, data.top + 70), kBack);
    // Vertical lines are off by default, then on the last pixel of each column.
    EXPECT_EQ(Pixel(data.left + 99, data.top + 5), kBack);
    grid.SetDrawGridLine(false, true);
    PlatformRunUntilIdle();
    EXPECT_EQ(Pixel(data.left + 99, data.top + 5), kGrid);
    EXPECT_EQ(Pixel(data.left + 100, data.top + 5), kBack);
    EXPECT_EQ(Pixel(x, data.top + 19), kBack) << "horizontal lines are off now";

    // The selected row takes the selection colour, the others keep theirs.
    grid.SetCurrSel(1);
    PlatformRunUntilIdle();
    EXPECT_EQ(Pixel(x, data.top + 25), kSelection);
    EXPECT_EQ(Pixel(x, data.top + 5), kBack);
    // A moving selection redraws both rows.
    PlatformKeyPress(VK_UP);
    PlatformRunUntilIdle();
    EXPECT_EQ(Pixel(x, data.top + 25), TestGrid::kOddColour);
    EXPECT_EQ(Pixel(x, data.top + 5), kSelection);

    // Border on the outermost pixels; header background with a line under it.
    EXPECT_EQ(Pixel(0, 0), kBorder);
    EXPECT_EQ(Pixel(319, 149), kBorder);
    RECT header = grid.GetHeaderRect();
    EXPECT_EQ(Pixel(header.left + 3, header.top + 2), kHeaderBack);
    EXPECT_EQ(Pixel(header.left + 3, header.bottom - 1), kBorder);
    EXPECT_EQ(Pixel(310, header.top + 2), kHeaderBack) << "the header runs on past the last column";
}

// The strongest contrast any pixel of a rectangle has with a background: the ink of the text in it.
double InkContrast(HWND window, RECT r, COLORREF background) {
    auto luminance = [](COLORREF c) {
        auto linear = [](int v) {
            double x = v / 255.0;
            return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
    };
    double back = luminance(background), best = 1.0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            double l = luminance(PlatformWindowPixel(window, x, y));
            best = std::max(best, (std::max(l, back) + 0.05) / (std::min(l, back) + 0.05));
        }
    return best;
}

TEST_F(DrawTest, TextWithoutAChosenColourReadsOnEveryRowBackground) {
    // A light grid whose odd rows are dark, and a pale selection: no single ink fits them all.
    for (int i = 0; i < 3; ++i)
        grid.rows.push_back({L"WWWWWW", L"", L""});
    grid.alternate = true; // odd rows in kOddColour, a dark blue
    grid.SetHeader(kThreeColumns);
    grid.SetRowHight(20);
    grid.SetHeaderRowHight(24);
    grid.SetBkColor(RGB(255, 255, 255));
    grid.SetSelColor(RGB(207, 224, 247));
    ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 320, 150, nullptr));
    grid.SetCurrSel(2);
    PlatformRunUntilIdle();
    const COLORREF backs[] = {RGB(255, 255, 255), TestGrid::kOddColour, RGB(207, 224, 247)};
    for (int row = 0; row < 3; ++row) {
        RECT cell = grid.GetCellRect(row, 0);
        EXPECT_GE(InkContrast(grid, cell, backs[row]), 4.5) << "row " << row;
    }
    // A colour the caller chose is kept as it is, on every background: the reddest pixel of each
    // cell is that red (up to the smoothing of the glyph edges).
    grid.SetTextColor(RGB(200, 0, 0));
    PlatformRunUntilIdle();
    for (int row = 0; row < 3; ++row) {
        RECT cell = grid.GetCellRect(row, 0);
        int reddest = -1000;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.right; ++x) {
                COLORREF c = Pixel(x, y);
                reddest = std::max(reddest, GetRValue(c) - (GetGValue(c) + GetBValue(c)) / 2);
            }
        EXPECT_GE(reddest, 150) << "row " << row;
    }
}

TEST_F(DrawTest, HeaderShowsTitlesAndTheSortMarkOnlyAfterASuccessfulSort) {
    Show(3, 320, 150);
    RECT header = grid.GetHeaderRect();
    // Column 2 is right-aligned: its title ends near the right edge, the mark goes left.
    RECT titleArea{header.left + 250, header.top + 2, header.left + 296, header.bottom - 2};
    RECT markArea{header.left + 180, header.top + 2, header.left + 196, header.bottom - 2};
    EXPECT_TRUE(AnyPixel(titleArea, kHeaderText) || AnyPixel(titleArea, RGB(250, 250, 1)));
    EXPECT_FALSE(AnyPixel(markArea, kHeaderText));
    grid.sortResult = false;
    PlatformClick(header.left + 250, header.top + 10);
    PlatformRunUntilIdle();
    EXPECT_FALSE(AnyPixel(markArea, kHeaderText));
    grid.sortResult = true;
    PlatformClick(header.left + 250, header.top + 10);
    PlatformRunUntilIdle();
    EXPECT_TRUE(AnyPixel(markArea, kHeaderText));
}

TEST_F(DrawTest, ScrollBarsUseTheirFiveColoursAndOnlyRowsInViewAreDrawn) {
    Show(100, 200, 150); // 300 pixels of columns in 200: both bars
    grid.SetTopRow(50);
    grid.lowestRow = 1 << 30;
    grid.highestRow = -1;
    PlatformRunUntilIdle();
    EXPECT_EQ(grid.lowestRow, 50);
    EXPECT_LE(grid.highestRow, 50 + 150 / 20);

    RECT data = grid.GetDataRect();
    int barLeft = data.right;
    EXPECT_EQ(barLeft, 200 - 1 - 12);
    EXPECT_EQ(Pixel(barLeft, 60), kDark) << "dark edge towards the rows";
    // The thumb of 100 rows with 5 in view sits at the middle of the track when half-way.
    int barMiddle = (1 + data.bottom) / 2;
    EXPECT_EQ(Pixel(barLeft + 6, barMiddle), kButton);
    EXPECT_EQ(Pixel(barLeft + 6, 1 + 12 + 2), kFace) << "track above the thumb";
    // The arrow buttons: a solid arrow in the middle of the first and last squares.
    EXPECT_TRUE(AnyPixel(RECT{barLeft, 1, barLeft + 12, 13}, kArrow));
    EXPECT_TRUE(AnyPixel(RECT{barLeft, data.bottom - 12, barLeft + 12, data.bottom}, kArrow));
    // The thumb's light and dark edges.
    EXPECT_TRUE(AnyPixel(RECT{barLeft, 13, barLeft + 12, data.bottom - 12}, kLight));
    // The horizontal bar under the rows, with its thumb at the far left.
    EXPECT_EQ(Pixel(data.left + 1, data.bottom + 3), kFace) << "left arrow square";
    EXPECT_TRUE(AnyPixel(RECT{data.left, data.bottom, data.left + 12, data.bottom + 12}, kArrow));
    EXPECT_EQ(Pixel(data.left + 20, data.bottom + 6), kButton);
}

// The height of the ink of a cell's text: rows of the cell that hold anything but the background.
int InkHeight(HWND window, RECT cell, COLORREF back) {
    int top = -1, bottom = -1;
    for (int y = cell.top; y < cell.bottom - 1; ++y)
        for (int x = cell.left; x < cell.right - 1; ++x)
            if (PlatformWindowPixel(window, x, y) != back) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
    return top < 0 ? 0 : bottom - top + 1;
}

TEST_F(DrawTest, CellFontsFollowTheirAttributesAndTheZoom) {
    grid.rows = {{L"国国", L"国国", L""}};
    grid.SetHeader(L"<header><item name='a' width='100' font-size='12'/>"
                   L"<item name='b' width='100' font-family='WenQuanYi Micro Hei' font-size='24'/></header>");
    grid.SetRowHight(40);
    grid.SetDrawGridLine(false, false);
    grid.SetBkColor(kBack);
    ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr));
    PlatformRunUntilIdle();
    int small = InkHeight(grid, grid.GetCellRect(0, 0), kBack);
    int large = InkHeight(grid, grid.GetCellRect(0, 1), kBack);
    EXPECT_GE(small, 8);
    EXPECT_NEAR(large, 2 * small, 3);
    grid.SetZoom(2.0);
    PlatformRunUntilIdle();
    EXPECT_NEAR(InkHeight(grid, grid.GetCellRect(0, 0), kBack), large, 3);
}

// Not a check: a picture of the dark theme for a person to judge.
TEST(GridScreenshot, ChineseFundsInTheDarkTheme) {
    PlatformStartHeadless(900, 420);
    XStringW error;
    XComPtr<HostConf::Theme> theme =
        HostConf::Theme::LoadFile(std::string(FC_SOURCE_DIR) + "/host/themes/dark.xml", error);
    ASSERT_TRUE(theme) << error.ToUtf8();
    COLORREF c = 0;
    TestGrid grid;
    auto colour = [&](const char* key) {
        theme->GetColor(key, c);
        return c;
    };
    grid.SetBkColor(colour("list_bg"));
    grid.SetBdColor(colour("list_border"));
    grid.SetGridColor(colour("list_border_inside"));
    grid.SetHeaderColor(colour("list_title"));
    grid.SetHeaderBkColor(colour("list_column_bg"));
    grid.SetScrollArrowColor(colour("list_scroll_arrow"));
    grid.SetScrollButtonColor(colour("list_scroll_button"));
    grid.SetScrollFaceColor(colour("list_scroll_face"));
    grid.SetScrollDarkColor(colour("list_scroll_darkborder"));
    grid.SetScrollLightColor(colour("list_scroll_lightborder"));
    grid.SetSelColor(colour("list_sel_bg"));
    grid.SetTextColor(colour("list_cur_data"));
    Conf::ThemeFont font;
    theme->GetFont("fntn_font_header", font);
    grid.SetHeaderFont(font.face.c_str(), font.size);
    grid.SetDrawGridLine(true, false);
    grid.SetRowHight(24);
    grid.SetHeaderRowHight(26);
    grid.SetScrollLock(true);
    grid.SetMultiSel(true);
    grid.SetHeader(L"<header>"
                   L"<item title='基金名称' name='name' width='190' font-family='WenQuanYi Micro Hei' "
                   L"font-size='12' font-style='normal'/>"
                   L"<item title='代码' name='code' width='80' align='center'/>"
                   L"<item title='单位净值' name='nav' width='90' align='right'/>"
                   L"<item title='日涨幅' name='day' width='90' align='right'/>"
                   L"<item title='近一年' name='year' width='90' align='right'/>"
                   L"<item title='规模(亿)' name='size' width='90' align='right'/>"
                   L"<item title='基金公司' name='company' width='150'/>"
                   L"<item title='成立日期' name='date' width='110' align='center'/>"
                   L"</header>");
    const wchar_t* names[] = {L"易方达蓝筹精选混合",   L"招商中证白酒指数(LOF)A", L"中欧医疗健康混合A",
                              L"华夏成长混合",         L"富国天惠成长混合A",      L"兴全合润混合(LOF)",
                              L"景顺长城新兴成长混合", L"汇添富消费行业混合"};
    const wchar_t* companies[] = {L"易方达基金", L"招商基金",     L"中欧基金",     L"华夏基金",
                                  L"富国基金",   L"兴证全球基金", L"景顺长城基金", L"汇添富基金"};
    for (int i = 0; i < 24; ++i) {
        wchar_t nav[16], day[16], year[16], size[16], code[16];
        swprintf(code, 16, L"%06d", 110011 + i * 137);
        swprintf(nav, 16, L"%.4f", 1.2 + i * 0.173);
        swprintf(day, 16, L"%+.2f%%", (i % 5 - 2) * 0.87);
        swprintf(year, 16, L"%+.2f%%", (i % 7 - 3) * 6.41);
        swprintf(size, 16, L"%.2f", 12.5 + i * 7.3);
        grid.rows.push_back({names[i % 8], code, nav, day, year, size, companies[i % 8], L"2010-05-20"});
    }
    grid.alternate = false;
    ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 900, 420, nullptr));
    grid.SetCurrSel(2);
    PlatformRunUntilIdle();
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    EXPECT_TRUE(PlatformSaveWindowPng(grid, std::string(FC_TEST_OUTPUT_DIR) + "/grid_dark.png"));
}

} // namespace
} // namespace gridtest

namespace gridtest {
namespace {

TEST_F(DrawTest, TheKeyboardFocusShowsOnTheFrame) {
    Show(5, 320, 200);
    // The text colour, which stands out from the rows and from the usual border.
    const COLORREF focus = RGB(220, 220, 220);
    const int firstRowY = 1 + 24 + 5;
    EXPECT_EQ(Pixel(0, 0), kBorder);
    EXPECT_EQ(Pixel(160, 199), kBorder);
    SetFocus(grid);
    PlatformRunUntilIdle();
    for (POINT p : {POINT{0, 0}, POINT{319, 100}, POINT{160, 199}, POINT{0, firstRowY}})
        EXPECT_EQ(Pixel(p.x, p.y), focus) << p.x << "," << p.y;
    // The rows keep every pixel, the current one as well, and rows redrawn alone (the selection
    // moving) leave the frame whole.
    EXPECT_EQ(Pixel(1, firstRowY), kBack);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformRunUntilIdle();
    ASSERT_EQ(grid.GetCurrSel(), 1);
    EXPECT_EQ(Pixel(1, firstRowY), kBack);
    EXPECT_EQ(Pixel(1, firstRowY + 20), kSelection);
    EXPECT_EQ(Pixel(0, firstRowY + 20), focus);
    // Another window takes the keyboard: the frame is as before.
    grid.SetFocus();
    SetFocus(nullptr);
    PlatformRunUntilIdle();
    EXPECT_EQ(Pixel(0, 0), kBorder);
    EXPECT_EQ(Pixel(0, firstRowY + 20), kBorder);
}

} // namespace
} // namespace gridtest
