// The industry allocation page on the fixture database: the industry names as groups and filter
// values, the value pairs matched to them by position, a missing or longer industry list, and
// entering a row.
#include "AllocationFixture.h"

namespace {

using allocationtest::OutputPath;
using Fixture = allocationtest::PageFixture<IndustryPage>;

TEST(IndustryPage, ListsEveryIndustryForEveryFundGroupedByIndustry) {
    Fixture f;
    f.AddFunds({L"F001", L"F003"});
    f.Show();

    // Ids 1, 3, 4 and 6 to 24: the parent category (id 2) is left out.
    const std::vector<XStringW>& names = f.page.GroupLabels();
    ASSERT_EQ(names.size(), 22u);
    EXPECT_EQ(names.front(), XStringW(L"农、林、牧、渔业"));
    EXPECT_EQ(names[1], XStringW(L"采掘业"));
    EXPECT_EQ(names.back(), XStringW(L"综合类"));
    EXPECT_EQ(f.DateList(), (std::vector<std::wstring>{L"2010-09-30", L"2010-06-30"}));
    EXPECT_EQ(f.Grid().GetRowHight(), IndustryPage::kRowHeight);

    ASSERT_EQ(f.Rows(), 44);
    for (int group = 0; group < 22; ++group) {
        EXPECT_EQ(f.Cell(2 * group, L"industrytype"), names[group].str());
        EXPECT_EQ(f.Cell(2 * group + 1, L"industrytype"), names[group].str());
        EXPECT_EQ(f.Cell(2 * group, L"aliascode"), L"000001");
        EXPECT_EQ(f.Cell(2 * group + 1, L"aliascode"), L"000003");
    }
    EXPECT_EQ(f.Cell(0, L"marketvalue"), L"400.00万");
    EXPECT_EQ(f.Cell(0, L"percent"), L"4.21%");
    EXPECT_EQ(f.Cell(1, L"marketvalue"), L""); // F003 holds nothing there
    EXPECT_EQ(f.Cell(2, L"marketvalue"), L""); // F001's mining row was withdrawn
    EXPECT_EQ(f.Cell(1, L"buystate"), L"开放");
    // 金融、保险业 (id 20) is the 18th name.
    EXPECT_EQ(f.Cell(34, L"industrytype"), L"金融、保险业");
    EXPECT_EQ(f.Cell(34, L"marketvalue"), L"2600.00万");
    EXPECT_EQ(f.Cell(35, L"percent"), L"95.48%");
    EXPECT_TRUE(PlatformMessageBoxes().empty());

    // The names are the filter's values.
    HWND button = *f.page.FilterPanel().FindButton(L"industrytype");
    RECT rect{};
    GetWindowRect(button, &rect);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"金融、保险业"));
    PlatformClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PlatformRunUntilIdle();
    EXPECT_EQ(f.Rows(), 2);
    EXPECT_DOUBLE_EQ(f.page.Grid().MaxShare(), 0.954774);

    PlatformPaintAll();
    EXPECT_TRUE(PlatformSaveWindowPng(f.parent, OutputPath("industry_page_filtered.png")));
}

TEST(IndustryPage, EnteringARowOpensItsFundInTheIndustryModule) {
    Fixture f;
    f.AddFunds({L"F001", L"F003"});
    f.Show();
    POINT f003 = f.CellCentre(1, L"name");
    PlatformDoubleClick(f003.x, f003.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(f.industryModule->shown, std::vector<XStringW>{L"F003"});
    EXPECT_TRUE(f.assetModule->shown.empty());
}

TEST(IndustryPage, AnEmptyIndustryTableGivesNoGroupsAndIsAskedAgain) {
    Fixture f({});
    f.AddFunds({L"F001"});
    f.Show();
    EXPECT_TRUE(f.page.GroupLabels().empty());
    EXPECT_EQ(f.Rows(), 0);
    f.page.Reload(true);
    EXPECT_EQ(f.Rows(), 0);
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST(IndustryPage, NamesBeyondTheQuerysValuePairsShowEmptyCells) {
    Fixture f({"funds.sql", "../pages_alloc/extra_industries.sql"});
    f.AddFunds({L"F001"});
    f.Show();
    ASSERT_EQ(f.page.GroupLabels().size(), 24u);
    ASSERT_EQ(f.Rows(), 24);
    EXPECT_EQ(f.Cell(0, L"marketvalue"), L"400.00万");
    EXPECT_EQ(f.Cell(22, L"industrytype"), L"新兴产业");
    EXPECT_EQ(f.Cell(22, L"marketvalue"), L"");
    EXPECT_EQ(f.Cell(23, L"percent"), L"");
}

} // namespace
