// The asset allocation page on the fixture database, driven through the module's workspace:
// what it lists, when it queries again, sorting within groups, the filter panel, the context
// menu, entering a row, failures, and the pixels of the merged group cell and the bars.
#include "AllocationFixture.h"

#include <algorithm>
#include <cwchar>

namespace {

using allocationtest::OutputPath;
using Fixture = allocationtest::PageFixture<AssetAllocationPage>;

const std::vector<std::wstring> kTypes = {L"股票投资", L"债券投资", L"现金存款",
                                          L"返售证券", L"权证",     L"其他资产"};

std::vector<std::wstring> Repeat(const std::vector<std::wstring>& labels, int times) {
    std::vector<std::wstring> out;
    for (const auto& label : labels)
        out.insert(out.end(), times, label);
    return out;
}

// Pixels of a cell, bottom line and right border left out, that differ from its top-left pixel.
int InkPixels(HWND grid, const RECT& cell) {
    COLORREF back = PlatformWindowPixel(grid, cell.left + 1, cell.top + 1);
    int ink = 0;
    for (int y = cell.top; y < cell.bottom - 1; ++y)
        for (int x = cell.left; x < cell.right - 1; ++x)
            ink += PlatformWindowPixel(grid, x, y) != back;
    return ink;
}

TEST(AssetAllocationPage, ListsEachAssetTypeForEveryFundAtTheLatestDate) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();

    EXPECT_EQ(f.DateList(), (std::vector<std::wstring>{L"2010-09-30", L"2010-06-30"}));
    EXPECT_EQ(f.page.LastDate(), XStringW(L"2010-09-30"));
    ASSERT_EQ(f.Rows(), 18);
    EXPECT_EQ(f.ColumnTexts(L"assettype"), Repeat(kTypes, 3));
    std::vector<std::wstring> codes;
    for (int group = 0; group < 6; ++group)
        codes.insert(codes.end(), {L"000001", L"000003", L"000004"});
    EXPECT_EQ(f.ColumnTexts(L"aliascode"), codes);

    // F001's stock holding, its name, type and state as shown.
    EXPECT_EQ(f.Cell(0, L"name"), L"华夏成长股票");
    EXPECT_EQ(f.Cell(0, L"investtype"), L"股票型");
    EXPECT_EQ(f.Cell(0, L"buystate"), L"开放");
    EXPECT_EQ(f.Cell(0, L"marketvalue"), L"8000.00万");
    EXPECT_EQ(f.Cell(0, L"percent"), L"80.00%");
    EXPECT_EQ(f.Cell(1, L"percent"), L"95.00%");
    // "权证" takes its own columns: F001's zero warrant holding shows empty, and so does the
    // bond row of F003, which has none.
    EXPECT_EQ(f.Cell(12, L"marketvalue"), L"");
    EXPECT_EQ(f.Cell(12, L"percent"), L"");
    EXPECT_EQ(f.Cell(4, L"marketvalue"), L"");
    EXPECT_EQ(f.Cell(15, L"marketvalue"), L"300.00万"); // F001's other assets
    EXPECT_DOUBLE_EQ(f.page.Grid().MaxShare(), 0.95);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST(AssetAllocationPage, QueriesAgainOnShowANewDateOrASetChangeButNotForTheSameDate) {
    Fixture f;
    f.AddFunds({L"F001"});
    f.Show();
    ASSERT_EQ(f.Rows(), 6);

    // Emptied behind its back, the list stays empty when the same date is picked again...
    f.page.ClearList();
    f.SelectDate(0);
    EXPECT_EQ(f.Rows(), 0);
    // ...and is queried again for another date.
    f.SelectDate(1);
    ASSERT_EQ(f.Rows(), 6);
    EXPECT_EQ(f.Cell(0, L"marketvalue"), L"6000.00万");
    EXPECT_EQ(f.page.LastDate(), XStringW(L"2010-06-30"));

    // A fund added while the page is shown appears at once.
    f.AddFunds({L"F004"});
    EXPECT_EQ(f.Rows(), 12);

    // A hidden page is not reloaded by set changes; it is when shown again.
    f.module.Workspace().ShowTab(0);
    PlatformRunUntilIdle();
    int reloads = f.page.ReloadCount();
    f.module.RemoveFund(L"F004");
    f.module.NotifyFundsChanged(XStringW());
    EXPECT_EQ(f.page.ReloadCount(), reloads);
    f.Show();
    EXPECT_EQ(f.Rows(), 6);

    // An empty set empties the list but keeps the chosen date.
    f.module.ClearFunds();
    f.page.Reload(true);
    EXPECT_EQ(f.Rows(), 0);
    EXPECT_EQ(f.DateList().size(), 2u);
    wchar_t date[32] = {};
    GetWindowTextW(f.page.DateBox(), date, 32);
    EXPECT_STREQ(date, L"2010-06-30");
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

// An amount as shown ("8000.00万", "5.00%") as a number; -1 for an empty cell.
double ShownAmount(const std::wstring& text) {
    if (text.empty())
        return -1;
    double scale = text.find(L"亿") != std::wstring::npos   ? 1e8
                   : text.find(L"万") != std::wstring::npos ? 1e4
                                                            : 1;
    return std::wcstod(text.c_str(), nullptr) * scale;
}

TEST(AssetAllocationPage, SortingAFundColumnOrdersFundsWithinEachGroupByValue) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();
    ASSERT_EQ(f.Rows(), 18);
    auto clickHeader = [&](const wchar_t* column) {
        RECT header = f.Grid().GetCellRect(0, f.Column(column));
        PlatformClick((header.left + header.right) / 2, Fixture::kGridTop + 5);
        PlatformAdvanceClock(1000);
        PlatformRunUntilIdle();
        ASSERT_EQ(f.Grid().GetSortColumn(), XStringW(column));
    };

    // Two clicks on each amount column give both directions.
    for (const wchar_t* column : {L"marketvalue", L"percent", L"marketvalue", L"percent"}) {
        clickHeader(column);
        bool ascending = f.Grid().GetSortAscending();
        std::vector<std::wstring> types = f.ColumnTexts(L"assettype");
        for (int group = 0; group < 6; ++group) {
            // Every type still forms one run of three rows...
            for (int row = group * 3; row < group * 3 + 3; ++row)
                EXPECT_EQ(types[row], types[group * 3]);
            EXPECT_EQ(std::count(types.begin(), types.end(), types[group * 3]), 3);
            // ...whose amounts run in the clicked direction, by value, empty ones last.
            std::vector<double> values;
            for (int row = group * 3; row < group * 3 + 3; ++row)
                values.push_back(ShownAmount(f.Cell(row, column)));
            for (size_t i = 1; i < values.size(); ++i) {
                EXPECT_FALSE(values[i - 1] < 0 && values[i] >= 0) << "an empty cell before a value";
                if (values[i] >= 0) {
                    EXPECT_TRUE(ascending ? values[i - 1] <= values[i] : values[i - 1] >= values[i])
                        << XStringW(column).ToUtf8() << " in " << XStringW(types[group * 3]).ToUtf8();
                }
            }
        }
    }
    // The cash shares 5 %, 5 % and 10 %: as text "0.1" would sort before "0.05".
    int cash = 0;
    while (f.Cell(cash, L"assettype") != L"现金存款")
        ++cash;
    std::vector<std::wstring> shares = {f.Cell(cash, L"percent"), f.Cell(cash + 1, L"percent"),
                                        f.Cell(cash + 2, L"percent")};
    EXPECT_EQ(shares, f.Grid().GetSortAscending()
                          ? (std::vector<std::wstring>{L"5.00%", L"5.00%", L"10.00%"})
                          : (std::vector<std::wstring>{L"10.00%", L"5.00%", L"5.00%"}));

    // The group column sorts the groups themselves by their captions.
    clickHeader(L"assettype");
    std::vector<std::wstring> types = f.ColumnTexts(L"assettype");
    for (size_t i = 1; i < types.size(); ++i)
        EXPECT_TRUE(f.Grid().GetSortAscending() ? types[i - 1] <= types[i] : types[i - 1] >= types[i]);
    EXPECT_NE(types, Repeat(kTypes, 3));
}

TEST(AssetAllocationPage, TheFilterPanelKeepsTheTickedAssetTypes) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();
    HWND button = *f.page.FilterPanel().FindButton(L"assettype");
    RECT rect{};
    GetWindowRect(button, &rect);
    auto pick = [&](const wchar_t* caption) {
        PlatformSetMenuHook(PlatformMenuPickCaption(caption));
        PlatformClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PlatformAdvanceClock(1000);
        PlatformRunUntilIdle();
    };

    pick(L"债券投资");
    EXPECT_EQ(f.ColumnTexts(L"assettype"), Repeat({L"债券投资"}, 3));
    // The bars are scaled to the largest share in view: F004's 90 % of bonds.
    EXPECT_DOUBLE_EQ(f.page.Grid().MaxShare(), 0.9);
    pick(L"股票投资");
    EXPECT_EQ(f.ColumnTexts(L"assettype"), Repeat({L"股票投资", L"债券投资"}, 3));
    // The menu offered the six types in list order.
    ASSERT_FALSE(PlatformMenus().empty());
    std::vector<std::wstring> offered;
    for (const PlatformMenuItem& item : PlatformMenus().back().items)
        if (!item.separator && item.id >= FilterWnd2::kFirstValueId)
            offered.push_back(item.caption);
    EXPECT_EQ(offered, kTypes);

    pick(L"显示所有(&A)");
    EXPECT_EQ(f.Rows(), 18);
}

TEST(AssetAllocationPage, TheContextMenuRemovesTheSelectedFundsFromTheComparison) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();
    POINT f003 = f.CellCentre(1, L"name");
    PlatformClick(f003.x, f003.y);
    PlatformAdvanceClock(1000);
    PlatformSetMenuHook(PlatformMenuPickId(AllocationGrid::kRemoveCommand));
    PlatformClick(f003.x, f003.y, PlatformMouseButton::Right);
    PlatformRunUntilIdle();

    ASSERT_EQ(PlatformMenus().size(), 1u);
    // The removal item first; the list's export follows behind a separator.
    ASSERT_EQ(PlatformMenus()[0].items.size(), 3u);
    EXPECT_EQ(PlatformMenus()[0].items[0].caption, L"从当前对比中移除(&R)");
    EXPECT_TRUE(PlatformMenus()[0].items[1].separator);
    EXPECT_EQ(PlatformMenus()[0].items[2].caption, L"导出...");
    EXPECT_FALSE(PlatformMenus()[0].items[0].grayed);
    EXPECT_EQ(f.module.Funds().size(), 2u);
    EXPECT_EQ(f.module.Funds().count(L"F003"), 0u);
    EXPECT_EQ(f.Rows(), 12);
    EXPECT_TRUE(f.Grid().GetCurrSels().empty());

    // With nothing selected the item is greyed, and picking it is refused.
    POINT below{f003.x, Fixture::kGridTop + 450};
    PlatformClick(below.x, below.y, PlatformMouseButton::Right);
    PlatformRunUntilIdle();
    ASSERT_EQ(PlatformMenus().size(), 2u);
    EXPECT_TRUE(PlatformMenus()[1].items[0].grayed);
    EXPECT_EQ(f.module.Funds().size(), 2u);
}

TEST(AssetAllocationPage, EnteringARowOpensItsFundInTheAssetModule) {
    Fixture f;
    f.AddFunds({L"F001", L"F004"});
    f.Show();
    POINT f004 = f.CellCentre(3, L"name");
    PlatformDoubleClick(f004.x, f004.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(f.assetModule->shown, std::vector<XStringW>{L"F004"});
}

TEST(AssetAllocationPage, TheBarTooltipTellsTheShareOfTheRowUnderTheMouse) {
    Fixture f;
    f.AddFunds({L"F001", L"F003"});
    f.Show();
    POINT bar = f.CellCentre(0, L"image");
    PlatformMouseMove(bar.x, bar.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(f.page.Grid().TooltipText(), XStringW(L"比例：80.00%"));
    POINT next = f.CellCentre(1, L"image");
    PlatformMouseMove(next.x, next.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(f.page.Grid().TooltipText(), XStringW(L"比例：95.00%"));
    POINT name = f.CellCentre(1, L"name");
    PlatformMouseMove(name.x, name.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(f.page.Grid().TooltipText().empty());
}

TEST(AssetAllocationPage, GroupCaptionsAreDrawnOnceAndBarsAreScaledToTheLargestShare) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();
    PlatformPaintAll();
    HWND grid = f.GridWindow();
    int type = f.Column(L"assettype");
    int code = f.Column(L"aliascode");
    int image = f.Column(L"image");

    // The caption of the stock group sits on its middle row only.
    EXPECT_EQ(InkPixels(grid, f.Grid().GetCellRect(0, type)), 0);
    EXPECT_GT(InkPixels(grid, f.Grid().GetCellRect(1, type)), 0);
    EXPECT_EQ(InkPixels(grid, f.Grid().GetCellRect(2, type)), 0);

    // Lines: none under a caption cell inside its group, the grid line elsewhere, and the grey
    // group line under the last row of each group.
    RECT first = f.Grid().GetCellRect(0, type);
    EXPECT_EQ(PlatformWindowPixel(grid, first.left + 5, first.bottom - 1),
              PlatformWindowPixel(grid, first.left + 5, first.top + 1));
    RECT firstCode = f.Grid().GetCellRect(0, code);
    EXPECT_EQ(PlatformWindowPixel(grid, firstCode.left + 5, firstCode.bottom - 1),
              f.Colour("list_border_inside"));
    for (int row : {2, 5}) {
        RECT last = f.Grid().GetCellRect(row, type);
        EXPECT_EQ(PlatformWindowPixel(grid, last.left + 5, last.bottom - 1), RGB(125, 125, 125));
    }

    // Bars: F003's 95 % fills the column, F001's 80 % stops at 80/95 of it, F003's missing bonds
    // draw nothing.
    RECT full = f.Grid().GetCellRect(1, image);
    int mid = (full.top + full.bottom) / 2;
    COLORREF back = PlatformWindowPixel(grid, full.left + 1, full.top + 1);
    EXPECT_NE(PlatformWindowPixel(grid, full.left + 6, mid), back);
    EXPECT_NE(PlatformWindowPixel(grid, full.right - 7, mid), back);
    RECT part = f.Grid().GetCellRect(0, image);
    int end = part.left + 4 + (part.right - part.left - 8) * 80 / 95;
    mid = (part.top + part.bottom) / 2;
    COLORREF partBack = PlatformWindowPixel(grid, part.left + 1, part.top + 1);
    EXPECT_NE(PlatformWindowPixel(grid, end - 3, mid), partBack);
    EXPECT_EQ(PlatformWindowPixel(grid, end + 3, mid), partBack);
    EXPECT_EQ(InkPixels(grid, f.Grid().GetCellRect(4, image)), 0);

    EXPECT_TRUE(PlatformSaveWindowPng(f.parent, OutputPath("asset_page.png")));
}

// Picks a report date as a person does: a click opens the box, the keys walk to the date and
// Enter takes it.
void ChooseDate(Fixture& f, int index) {
    RECT box{};
    GetWindowRect(f.page.DateBox(), &box);
    PlatformClick((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    PlatformRunUntilIdle();
    PlatformKeyPress(VK_HOME);
    for (int i = 0; i < index; ++i)
        PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
}

void ClickPageTab(Fixture& f, int index) {
    RECT r = f.module.Workspace().Header().GetButtonRect(index);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(f.module.Workspace().Header(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
}

TEST(AssetAllocationPage, TheCurrentFundStaysCurrentThroughEveryReload) {
    Fixture f;
    f.AddFunds({L"F001", L"F003", L"F004"});
    f.Show();
    auto current = [&f] {
        int row = f.Grid().GetCurrSel();
        return row < 0 ? std::wstring(L"<none>") : f.Cell(row, L"aliascode");
    };
    POINT bond = f.CellCentre(4, L"name"); // F003's bond row
    PlatformClick(bond.x, bond.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(current(), L"000003");

    ChooseDate(f, 1);
    ASSERT_EQ(f.page.LastDate(), XStringW(L"2010-06-30"));
    EXPECT_EQ(current(), L"000003") << "after a new report date";

    f.AddFunds({L"F002"});
    ASSERT_EQ(f.Rows(), 24);
    EXPECT_EQ(current(), L"000003") << "after an added fund";

    ClickPageTab(f, 0);
    ClickPageTab(f, 3);
    ASSERT_TRUE(f.page.IsWindowVisible());
    EXPECT_EQ(current(), L"000003") << "after the page was shown again";

    // A fund that is gone leaves nothing current.
    f.module.RemoveFund(L"F003");
    f.module.NotifyFundsChanged(L"");
    EXPECT_EQ(current(), L"<none>");
}

TEST(AssetAllocationPage, AGroupCaptionStaysInViewAndNeitherStripesNorTheSelectionCutThroughIt) {
    Fixture f;
    f.AddFunds({L"F001", L"F002", L"F003", L"F004", L"F005", L"F006", L"F007", L"F008", L"F014"});
    f.Show();
    ASSERT_EQ(f.Rows(), 54);
    HWND grid = f.GridWindow();
    int type = f.Column(L"assettype");
    int name = f.Column(L"name");
    const COLORREF back = f.Colour("list_bg");
    // Only the last four rows of the stock group are left in view, its middle above the view.
    f.Grid().SetTopRow(5);
    PlatformPaintAll();
    auto caption = [&] {
        std::vector<COLORREF> pixels;
        int ink = 0;
        for (int row = 5; row <= 8; ++row) {
            RECT cell = f.Grid().GetCellRect(row, type);
            for (int y = cell.top; y < cell.bottom - 1; ++y)
                for (int x = cell.left; x < cell.right - 1; ++x) {
                    pixels.push_back(PlatformWindowPixel(grid, x, y));
                    ink += pixels.back() != back;
                }
        }
        return std::make_pair(pixels, ink);
    };
    auto [before, ink] = caption();
    EXPECT_GT(ink, 20) << "the stock caption is not in view";

    // Even and odd rows alike show the grid's own background in the caption column.
    for (int row : {5, 6}) {
        RECT group = f.Grid().GetCellRect(row, type);
        RECT fund = f.Grid().GetCellRect(row, name);
        EXPECT_EQ(PlatformWindowPixel(grid, group.left + 2, group.top + 1), back) << row;
        EXPECT_EQ(PlatformWindowPixel(grid, fund.right - 3, fund.top + 1),
                  f.Colour(row % 2 == 0 ? "list_bg_oddLine" : "list_bg_evenLine"))
            << row;
    }

    // Selecting a row of the group leaves the caption cell as it was.
    POINT p = f.CellCentre(6, L"name");
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    PlatformPaintAll();
    ASSERT_EQ(f.Grid().GetCurrSel(), 6);
    RECT fund = f.Grid().GetCellRect(6, name);
    EXPECT_EQ(PlatformWindowPixel(grid, fund.right - 3, fund.top + 1), f.Colour("list_sel_bg"));
    EXPECT_TRUE(caption().first == before);

    EXPECT_TRUE(PlatformSaveWindowPng(f.parent, OutputPath("asset_page_scrolled.png")));
}

TEST(AssetAllocationPage, AFailedQueryIsReportedAndTheListKeptAndCodesReachSqlQuoted) {
    {
        Fixture f({"funds.sql", "../pages_alloc/no_asset_table.sql"});
        f.AddFunds({L"F001"});
        f.Show();
        ASSERT_FALSE(PlatformMessageBoxes().empty());
        EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
        // Each failure is owned by the page that ran the query, so that it stays above the
        // program's window: the general page's, which reloads when the fund is added, then this
        // page's when it is shown.
        EXPECT_EQ(PlatformMessageBoxes()[0].owner, f.module.Workspace().General().GetHandle());
        EXPECT_EQ(PlatformMessageBoxes().back().owner, f.page.GetHandle());
        EXPECT_EQ(PlatformMessageBoxes().back().caption, L"ERROR");
        EXPECT_NE(PlatformMessageBoxes()[0].text.find(L"tb_assetallocation"), std::wstring::npos);
        EXPECT_EQ(f.Rows(), 0);
    }
    {
        // A statement that breaks off mid-way is a failure too, not a shorter list.
        Fixture f;
        f.AddFunds({L"F001", L"F003"});
        f.Show();
        ASSERT_EQ(f.Rows(), 12);
        f.database->breakAfterRows = 1;
        f.SelectDate(1);
        ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
        EXPECT_EQ(PlatformMessageBoxes()[0].caption, L"ERROR");
        EXPECT_EQ(PlatformMessageBoxes()[0].text, L"database disk image is malformed");
        EXPECT_EQ(f.Rows(), 12);
        EXPECT_EQ(f.Cell(0, L"marketvalue"), L"8000.00万");
    }
    {
        // A code with quotes in it neither breaks the statement nor matches a fund.
        Fixture f;
        f.AddFunds({L"F001", L"x') or 1=1 or ('"});
        f.Show();
        EXPECT_TRUE(PlatformMessageBoxes().empty());
        EXPECT_EQ(f.Rows(), 6);
    }
}

} // namespace
