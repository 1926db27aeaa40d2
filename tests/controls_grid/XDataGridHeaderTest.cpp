// XDataGrid header documents, zoom and hit testing.
#include "GridTestSupport.h"

#include <cmath>
#include <limits>

namespace gridtest {
namespace {

using HeaderTest = GridFixture;

TEST_F(HeaderTest, ItemsBecomeColumnsWithTheirAttributesAndDefaults) {
    EXPECT_EQ(grid.SetHeader(L"<header>\n  <!-- a comment -->\n  text between items\n"
                             L"  <item title='名称' name='name' width='120' align='right' "
                             L"font-family='WenQuanYi Micro Hei' font-size='14' font-style='bold'/>\n"
                             L"  <item name='code'/>\n"
                             L"  <group title='组' width='abc'/>\n"
                             L"</header>"),
              1);
    ASSERT_EQ(grid.GetColumnCount(), 3);
    const auto* first = grid.GetColumn(0);
    EXPECT_EQ(first->name.str(), L"name");
    EXPECT_EQ(first->title.str(), L"名称");
    EXPECT_EQ(first->width, 120);
    EXPECT_EQ(first->align, static_cast<UINT>(DT_RIGHT));
    EXPECT_STREQ(first->item.attribute("font-style").value(), "bold");
    // Missing attributes take the documented defaults; a bad width counts as missing.
    EXPECT_EQ(grid.GetColumn(1)->title.str(), L"");
    EXPECT_EQ(grid.GetColumn(1)->width, 0);
    EXPECT_EQ(grid.GetColumn(1)->align, static_cast<UINT>(DT_LEFT));
    EXPECT_EQ(grid.GetColumn(2)->name.str(), L"");
    EXPECT_EQ(grid.GetColumn(2)->width, 0);
    EXPECT_EQ(grid.GetColumn(3), nullptr);

    // The module reads its own attributes through the document and the item of a name.
    EXPECT_STREQ(grid.GetHeader().document_element().name(), "header");
    EXPECT_EQ(grid.GetHeaderItem(L"code"), grid.GetColumn(1)->item);
    EXPECT_TRUE(grid.GetHeaderItem(L"missing").empty());
    EXPECT_TRUE(grid.GetHeaderItem(nullptr).empty());
    Control::XDataGrid::HeaderInfo2 info;
    ASSERT_TRUE(grid.GetHeaderInfo(L"name", info));
    EXPECT_EQ(info.index, 0);
    EXPECT_EQ(grid.headerResets, 1);
}

TEST_F(HeaderTest, MalformedDocumentsLeaveNoColumnsAndStillResetTheHeader) {
    const wchar_t* bad[] = {L"", L"<header><item name='a'></header>", L"not xml at all",
                            L"<header><item name='a'/>"};
    int resets = 0;
    for (const wchar_t* xml : bad) {
        ASSERT_EQ(grid.SetHeader(kThreeColumns), 1);
        EXPECT_EQ(grid.SetHeader(xml), 0) << std::wstring(xml).size();
        EXPECT_EQ(grid.GetColumnCount(), 0);
        EXPECT_FALSE(grid.GetHeader().document_element());
        resets += 2;
        EXPECT_EQ(grid.headerResets, resets);
    }
    EXPECT_EQ(grid.SetHeader(nullptr), 0);
    // Nested deeper than any real header, or with more elements: malformed too.
    auto nested = [](int depth) {
        std::wstring open, close;
        for (int i = 2; i < depth; ++i) {
            open += L"<x>";
            close = L"</x>" + close;
        }
        return L"<header><item name='a'>" + open + close + L"</item></header>";
    };
    EXPECT_EQ(grid.SetHeader(nested(64).c_str()), 1);
    EXPECT_EQ(grid.GetColumnCount(), 1);
    EXPECT_EQ(grid.SetHeader(nested(65).c_str()), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);
    std::wstring wide = L"<header>";
    for (int i = 0; i < 100001; ++i)
        wide += L"<item/>";
    EXPECT_EQ(grid.SetHeader((wide + L"</header>").c_str()), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);
    // A well-formed document without items is a valid empty header.
    EXPECT_EQ(grid.SetHeader(L"<header/>"), 1);
    EXPECT_EQ(grid.GetColumnCount(), 0);
}

TEST_F(HeaderTest, ZoomScalesWidthsAndRowHeightsAndRejectsNonsense) {
    Show(30);
    RECT cell = grid.GetCellRect(0, 1);
    EXPECT_EQ(cell.right - cell.left, 80);
    EXPECT_EQ(cell.bottom - cell.top, 20);
    EXPECT_EQ(grid.GetHeaderRect().bottom - grid.GetHeaderRect().top, 24);

    grid.SetZoom(1.5);
    cell = grid.GetCellRect(0, 1);
    EXPECT_EQ(cell.left - grid.GetDataRect().left, 150);
    EXPECT_EQ(cell.right - cell.left, 120);
    EXPECT_EQ(cell.bottom - cell.top, 30);
    EXPECT_EQ(grid.GetHeaderRect().bottom - grid.GetHeaderRect().top, 36);
    // The document keeps the unzoomed width.
    EXPECT_EQ(grid.GetColumn(1)->width, 80);

    for (double nonsense : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        grid.SetZoom(nonsense);
        EXPECT_EQ(grid.GetZoom(), 1.0);
    }
    grid.SetZoom(1000);
    EXPECT_LE(grid.GetZoom(), 4.0);
}

TEST_F(HeaderTest, HitTestFindsHeaderItemsBordersCellsAndScrollBars) {
    Show(30); // 30 rows of 20 pixels do not fit: a vertical bar appears
    int row = 0;
    Control::XDataGrid::HeaderInfo2 item;
    RECT header = grid.GetHeaderRect();
    EXPECT_EQ(grid.HitTest(header.left + 10, header.top + 5, row, item), Control::XDataGrid::HitHeader);
    EXPECT_EQ(item.name.str(), L"code");
    EXPECT_EQ(row, -1);
    EXPECT_EQ(grid.HitTest(header.left + 99, header.top + 5, row, item), Control::XDataGrid::HitHeaderBorder);
    EXPECT_EQ(item.name.str(), L"code");

    POINT p = Cell(2, 2);
    EXPECT_EQ(grid.HitTest(p.x, p.y, row, item), Control::XDataGrid::HitCell);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(item.name.str(), L"yield");
    EXPECT_EQ(item.index, 2);

    // Right of the last column: a row but no item.
    EXPECT_EQ(grid.HitTest(grid.GetDataRect().left + 305, p.y, row, item), Control::XDataGrid::HitNone);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(item.index, -1);
    EXPECT_EQ(grid.HitTest(grid.GetDataRect().right + 3, 100, row, item), Control::XDataGrid::HitVScroll);
    EXPECT_EQ(grid.HitTest(-5, -5, row, item), Control::XDataGrid::HitNone);

    // Below the last row of a short grid nothing is hit.
    grid.rows.resize(2);
    grid.Refresh(true, true);
    EXPECT_EQ(grid.HitTest(p.x, grid.GetDataRect().top + 60, row, item), Control::XDataGrid::HitNone);
    EXPECT_EQ(row, -1);
}

TEST_F(HeaderTest, ScrollLockKeepsTheFirstColumnInPlace) {
    Show(5, 200, 200); // 300 pixels of columns in a 200-pixel grid
    grid.SetScrollLock(true);
    grid.SetTopRow(0);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    ASSERT_EQ(grid.GetScrollX(), 40);
    RECT locked = grid.GetCellRect(0, 0);
    RECT scrolled = grid.GetCellRect(0, 1);
    EXPECT_EQ(locked.left, grid.GetDataRect().left);
    EXPECT_EQ(scrolled.left, grid.GetDataRect().left + 100 - 40);
    // The part of column 1 under the locked column is not hittable; the locked column is.
    int row = 0;
    Control::XDataGrid::HeaderInfo2 item;
    grid.HitTest(locked.left + 90, locked.top + 5, row, item);
    EXPECT_EQ(item.name.str(), L"code");
    grid.HitTest(locked.left + 110, locked.top + 5, row, item);
    EXPECT_EQ(item.name.str(), L"name");

    // Without the lock every column slides.
    grid.SetScrollLock(false);
    EXPECT_EQ(grid.GetCellRect(0, 0).left, grid.GetDataRect().left - 40);
}

} // namespace
} // namespace gridtest
