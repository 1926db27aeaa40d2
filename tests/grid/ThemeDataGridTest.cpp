// ThemeDataGrid: theme application, font aliases in the header, row backgrounds and the theme's
// release with the window.
#include "GridFixture.h"

#include "grid/ThemeDataGrid.h"

namespace gridtest {
namespace {

const wchar_t* kHeader = L"<header>"
                         L"<item title='代码' name='code' font=\"_font_digital\" width='80'/>"
                         L"<item title='比例' name='percent' font=\"_font_digital_bold\" width='80'/>"
                         L"</header>";

class CountingTheme : public FakeTheme {
public:
    int refs = 1;
    unsigned long AddRef() override { return static_cast<unsigned long>(++refs); }
    unsigned long Release() override { return static_cast<unsigned long>(--refs); }
};

class OpenThemeGrid : public ThemeDataGrid {
public:
    using ThemeDataGrid::GetRowBackColor;
    int rows = 0;

protected:
    int GetRowsCount() override { return rows; }
};

class ThemeDataGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(800, 600);
        FillGridTheme(theme);
        theme.AddFont("fntn_font_digital", L"DejaVu Sans Mono", 12, L"normal");
        theme.AddFont("fntn_font_digital_bold", L"DejaVu Sans Mono", 13, L"bold");
    }
    CountingTheme theme;
    CountingTheme bare;
    OpenThemeGrid grid; // after the themes, which it references
};

TEST_F(ThemeDataGridTest, HeaderIsRefusedWithoutAThemeAndResolvedWithOne) {
    EXPECT_EQ(grid.SetHeader(kHeader), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);

    grid.SetTheme(&theme);
    ASSERT_EQ(grid.SetHeader(kHeader), 1);
    ASSERT_EQ(grid.GetColumnCount(), 2);
    // The digital alias must not leak into the bold digital column.
    pugi::xml_node percent = grid.GetHeaderItem(L"percent");
    EXPECT_STREQ(percent.attribute("font-size").value(), "13");
    EXPECT_STREQ(percent.attribute("font-style").value(), "bold");
    EXPECT_STREQ(grid.GetHeaderItem(L"code").attribute("font-style").value(), "normal");
}

TEST_F(ThemeDataGridTest, ThemeSetsRowHeightsWithDefaultsAndIgnoresNull) {
    grid.SetTheme(&theme);
    EXPECT_EQ(grid.GetRowHight(), 20);
    EXPECT_EQ(grid.GetHeaderRowHight(), 24);
    EXPECT_EQ(grid.GetTheme(), &theme);

    // A theme without any keys: heights of 0 mean 23.
    grid.SetTheme(&bare);
    EXPECT_EQ(grid.GetRowHight(), ThemeDataGrid::kDefaultRowHeight);
    EXPECT_EQ(grid.GetHeaderRowHight(), ThemeDataGrid::kDefaultRowHeight);
    // Row colours the new theme lacks stay those of the previous theme.
    EXPECT_EQ(grid.GetOddLineColour(), kOddLine);

    grid.SetTheme(nullptr);
    EXPECT_EQ(grid.GetTheme(), &bare);
}

TEST_F(ThemeDataGridTest, RowsAlternateFromTheOddLineColourAndSelectionWins) {
    grid.SetTheme(&theme);
    COLORREF colour = 0;
    grid.GetRowBackColor(0, false, colour);
    EXPECT_EQ(colour, kOddLine);
    grid.GetRowBackColor(1, false, colour);
    EXPECT_EQ(colour, kEvenLine);
    grid.GetRowBackColor(1, true, colour);
    EXPECT_EQ(colour, kSelection);

    // And on screen: the first row, the second, then the second selected.
    grid.rows = 3;
    grid.SetHeader(kHeader);
    ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr));
    PlatformRunUntilIdle();
    RECT first = grid.GetCellRect(0, 1);
    RECT second = grid.GetCellRect(1, 1);
    EXPECT_EQ(PlatformWindowPixel(grid, first.right - 3, first.top + 3), kOddLine);
    EXPECT_EQ(PlatformWindowPixel(grid, second.right - 3, second.top + 3), kEvenLine);
    PlatformClick(second.left + 5, second.top + 5);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(grid, second.right - 3, second.top + 3), kSelection);
}

TEST_F(ThemeDataGridTest, ThemeIsReleasedWhenTheWindowGoes) {
    ASSERT_TRUE(grid.Create(L"grid", WS_POPUP, 0, 0, 100, 100, nullptr));
    grid.SetTheme(&theme);
    EXPECT_EQ(theme.refs, 2);
    DestroyWindow(grid);
    EXPECT_EQ(theme.refs, 1);
    EXPECT_EQ(grid.GetTheme(), nullptr);
}

} // namespace
} // namespace gridtest
