// Printing a grid: the parts of a list cover every row and every column exactly once (the first
// column repeated in front of the others when the list is wider than the page), each with its
// header, never larger than the page; a part drawn through the grid's own hooks shows its rows
// where the part puts them, and the screen's scroll position and selection are as they were.
#include "GridTestSupport.h"

#include <map>

namespace {

using gridtest::GridFixture;
using Part = Control::XDataGrid::PrintPart;

struct GridPrint : GridFixture {
    // How often each (row, column) is printed over all parts.
    std::map<std::pair<int, int>, int> Coverage(const std::vector<Part>& parts) {
        std::map<std::pair<int, int>, int> seen;
        for (const Part& part : parts)
            for (int row = part.firstRow; row < part.firstRow + part.rowCount; ++row) {
                if (part.repeatFirst)
                    ++seen[{row, -1}]; // the repeated first column, counted apart
                for (int column = part.firstColumn; column < part.lastColumn; ++column)
                    ++seen[{row, column}];
            }
        return seen;
    }
};

TEST_F(GridPrint, PartsCoverEveryCellOnceAndFitThePage) {
    Show(23); // columns of 100, 80 and 120; rows of 20 under a header of 24
    // Wide enough for all columns; 24 + 5 * 20 = 124 of 130 high: five rows a part.
    std::vector<Part> parts = grid.PlanPrint(SIZE{400, 130});
    ASSERT_EQ(parts.size(), 5u); // 5 + 5 + 5 + 5 + 3
    for (const Part& part : parts) {
        EXPECT_EQ(part.firstColumn, 0);
        EXPECT_EQ(part.lastColumn, 3);
        EXPECT_FALSE(part.repeatFirst);
        EXPECT_EQ(part.size.cx, 300);
        EXPECT_EQ(part.size.cy, 24 + part.rowCount * 20);
        EXPECT_LE(part.size.cy, 130);
    }
    EXPECT_EQ(parts.back().firstRow, 20);
    EXPECT_EQ(parts.back().rowCount, 3);
    auto seen = Coverage(parts);
    EXPECT_EQ(seen.size(), 23u * 3u);
    for (const auto& [cell, count] : seen)
        EXPECT_EQ(count, 1) << cell.first << "," << cell.second;

    // Less height for the first band of rows (what is left under a heading): 24 + 2 * 20 = 64 of
    // 70, then five a part again.
    parts = grid.PlanPrint(SIZE{400, 130}, 70);
    ASSERT_EQ(parts.size(), 6u); // 2 + 5 + 5 + 5 + 5 + 1
    EXPECT_EQ(parts[0].rowCount, 2);
    EXPECT_EQ(parts[0].size.cy, 64);
    EXPECT_EQ(parts[1].firstRow, 2);
    EXPECT_EQ(parts[1].rowCount, 5);
    seen = Coverage(parts);
    EXPECT_EQ(seen.size(), 23u * 3u);
    for (const auto& [cell, count] : seen)
        EXPECT_EQ(count, 1) << cell.first << "," << cell.second;
    // Just room for one row; not room for one (ignored); more than the page (the page's height).
    EXPECT_EQ(grid.PlanPrint(SIZE{400, 130}, 44).front().rowCount, 1);
    for (int first : {43, 0, 500}) {
        parts = grid.PlanPrint(SIZE{400, 130}, first);
        ASSERT_EQ(parts.size(), 5u) << first;
        EXPECT_EQ(parts.front().rowCount, 5) << first;
    }

    // 230 wide: code (100) in front of each band; name (80) fits beside it, yield (120) does too
    // only alone: two bands per band of rows.
    parts = grid.PlanPrint(SIZE{230, 1000});
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_TRUE(parts[0].repeatFirst);
    EXPECT_EQ(parts[0].firstColumn, 1);
    EXPECT_EQ(parts[0].lastColumn, 2);
    EXPECT_EQ(parts[0].size.cx, 180);
    EXPECT_EQ(parts[1].firstColumn, 2);
    EXPECT_EQ(parts[1].lastColumn, 3);
    EXPECT_EQ(parts[1].size.cx, 220);
    seen = Coverage(parts);
    for (int row = 0; row < 23; ++row) {
        EXPECT_EQ((seen[{row, -1}]), 2); // the code on both bands
        EXPECT_EQ((seen[{row, 1}]), 1);
        EXPECT_EQ((seen[{row, 2}]), 1);
        EXPECT_EQ((seen[{row, 0}]), 0);
    }

    // Too narrow to repeat the first column (it would take more than half): plain bands, and a
    // column wider than the page alone in its band, cut at the page's edge.
    parts = grid.PlanPrint(SIZE{110, 1000});
    ASSERT_EQ(parts.size(), 3u);
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_FALSE(parts[i].repeatFirst);
        EXPECT_EQ(parts[i].firstColumn, static_cast<int>(i));
        EXPECT_EQ(parts[i].lastColumn, static_cast<int>(i) + 1);
        EXPECT_LE(parts[i].size.cx, 110);
    }
}

TEST_F(GridPrint, AnEmptyListPrintsItsHeaderAndNoColumnsPrintNothing) {
    Show(0);
    std::vector<Part> parts = grid.PlanPrint(SIZE{400, 300});
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].rowCount, 0);
    EXPECT_EQ(parts[0].size.cy, 24);
    EXPECT_TRUE(grid.PlanPrint(SIZE{0, 300}).empty());
    gridtest::TestGrid bare;
    EXPECT_TRUE(bare.PlanPrint(SIZE{400, 300}).empty());
}

TEST_F(GridPrint, APartIsDrawnByTheGridsHooksAndTheScreenStaysAsItWas) {
    Show(40);
    grid.alternate = true;
    grid.SetTopRow(7);
    grid.SetCurrSel(9);
    PlatformRunUntilIdle();
    const RECT headerBefore = grid.GetHeaderRect();
    const RECT dataBefore = grid.GetDataRect();

    std::vector<Part> parts = grid.PlanPrint(SIZE{400, 24 + 10 * 20});
    ASSERT_EQ(parts.size(), 4u);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 400;
    info.bmiHeader.biHeight = -300;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 400, 300};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The second part (rows 10 to 19) at (30, 40): its odd rows take the grid's odd colour, and the
    // selected row 9 is not in it; nothing lands outside the part.
    constexpr COLORREF kLine = RGB(200, 0, 0);
    grid.SetGridColor(kLine);
    grid.SetDrawGridLine(false, true);
    grid.DrawPrintPart(dc, POINT{30, 40}, parts[1]);
    // The vertical lines run down every row of the part, at the right edge of each column.
    for (int row : {0, 5, 9}) {
        const int y = 40 + 24 + row * 20 + 10;
        EXPECT_EQ(GetPixel(dc, 30 + 100 - 1, y), kLine) << row;
        EXPECT_EQ(GetPixel(dc, 30 + 180 - 1, y), kLine) << row;
        EXPECT_NE(GetPixel(dc, 30 + 150, y), kLine) << row;
    }
    EXPECT_NE(GetPixel(dc, 30 + 100 - 1, 40 + parts[1].size.cy + 2), kLine);
    EXPECT_EQ(GetPixel(dc, 200, 40 + 24 + 1 * 20 + 10), gridtest::TestGrid::kOddColour); // row 11
    EXPECT_NE(GetPixel(dc, 200, 40 + 24 + 0 * 20 + 10), gridtest::TestGrid::kOddColour); // row 10
    EXPECT_EQ(GetPixel(dc, 20, 100), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 335, 100), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 200, 40 + parts[1].size.cy + 2), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    EXPECT_EQ(grid.GetTopRow(), 7);
    EXPECT_EQ(grid.GetCurrSel(), 9);
    const RECT headerAfter = grid.GetHeaderRect();
    EXPECT_TRUE(EqualRect(&headerBefore, &headerAfter));
    const RECT dataAfter = grid.GetDataRect();
    EXPECT_TRUE(EqualRect(&dataBefore, &dataAfter));
}

} // namespace
