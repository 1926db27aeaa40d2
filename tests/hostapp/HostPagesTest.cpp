// The host's own pages on a fixture database: the fund-filter page hands its filters to every page
// of the tab, and the allocation modules open a fund's holdings.
#include "ConcernFundModule.h"
#include "FundFilterPage.h"
#include "HoldingsModules.h"
#include "HostApp.h"
#include "MainFrame.h"
#include "support/FixtureDb.h"

#include <hostconf/ConfManager.h>
#include <hostconf/Theme.h>
#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

namespace {

// A page that records the filters it is handed.
struct FilterRecorder : HostKernel::RefCounted<ITabPage> {
    std::vector<std::array<Data::IDataFilter*, 4>> calls;
    HWND Create(HWND, ITabCtrl*) override { return nullptr; }
    bool IsCreated() override { return false; }
    bool GetTabCtrl(ITabCtrl**) override { return false; }
    void Show() override {}
    void Hide() override {}
    void Invalidate() override {}
    void Move(int, int, int, int) override {}
    void GetTitle(XStringW& t) override { t = L"记录"; }
    void OnFilterChanged(Data::IDataFilter* a0, Data::IDataFilter* a1, Data::IDataFilter* b0,
                         Data::IDataFilter* b1) override {
        calls.push_back({a0, a1, b0, b1});
    }
    void OnActivated() override {}
};

struct HostPages : ::testing::Test {
    TestSupport::FixtureDb fixture{"funds.sql"};
    XComPtr<HostDb::SqliteDatabase> database;
    XComPtr<MainFrame> frame = HostKernel::MakeRef<MainFrame>();

    void SetUp() override {
        PlatformStartHeadless(1024, 700);
        XStringW error;
        database = HostDb::SqliteDatabase::Open(fixture.Path(), error);
        ASSERT_NE(database, nullptr) << error.ToUtf8();
        ASSERT_TRUE(frame->Create(1024, 700, L"测试"));
    }
    void TearDown() override { frame->Destroy(); }

    void click(HWND window, POINT clientPoint) {
        ClientToScreen(window, &clientPoint);
        PlatformClick(clientPoint.x, clientPoint.y);
        PlatformRunUntilIdle();
    }
};

TEST_F(HostPages, TheFundFilterPageListsOpenFundsAndHandsItsFiltersToTheOtherPages) {
    auto page = HostKernel::MakeRef<FundFilterPage>(nullptr, database, nullptr);
    auto recorder = HostKernel::MakeRef<FilterRecorder>();
    frame->FundFilterTab()->AddPage(page);
    frame->FundFilterTab()->AddPage(recorder);
    PlatformRunUntilIdle();
    // Closed-end funds, products, deleted and delisted funds are not offered.
    EXPECT_EQ(page->View()->GetRowCount(), 9);
    ASSERT_EQ(page->Types().front(), XStringW(L"股票型")); // the most common type first

    // Choosing a type in the type bar: the other page gets the new filter A.
    RECT equity = page->TypeBar().GetButtonRect(1);
    click(page->TypeBar(), POINT{(equity.left + equity.right) / 2, (equity.top + equity.bottom) / 2});
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0][0], nullptr);
    ASSERT_NE(recorder->calls[0][1], nullptr);
    EXPECT_EQ(recorder->calls[0][2], nullptr);
    EXPECT_EQ(recorder->calls[0][3], nullptr);
    EXPECT_EQ(page->View()->GetRowCount(), 3); // 000001, 000002, 000014

    // A search text becomes filter B; filter A stays, handed over as old and new.
    page->CompanyPicker().SetFocus();
    PlatformTypeText(L"hx");
    PlatformRunUntilIdle();
    page->ApplySearch();
    ASSERT_EQ(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[1][0], recorder->calls[0][1]);
    EXPECT_EQ(recorder->calls[1][1], recorder->calls[0][1]);
    EXPECT_NE(recorder->calls[1][3], nullptr);
    EXPECT_EQ(page->View()->GetRowCount(), 2); // 华夏成长股票, 华夏红利股票

    page->ClearFilters();
    EXPECT_EQ(page->View()->GetRowCount(), 9);
    EXPECT_EQ(recorder->calls.back()[1], nullptr);
    EXPECT_EQ(recorder->calls.back()[3], nullptr);
    page->Destroy();
}

TEST_F(HostPages, TheCompanyBoxShowsTheChosenCompanyAloneAndClearingTheFiltersEmptiesIt) {
    auto page = HostKernel::MakeRef<FundFilterPage>(nullptr, database, nullptr);
    frame->FundFilterTab()->AddPage(page);
    PlatformRunUntilIdle();
    Control::XComboEx& box = page->CompanyPicker();
    box.SetFocus();
    PlatformTypeText(L"嘉实");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    // The number of the company's funds belongs to the list's column, not to the box's text.
    EXPECT_EQ(box.GetText(), XStringW(L"嘉实基金管理有限公司"));
    int jiashi = page->View()->GetRowCount();
    EXPECT_GT(jiashi, 0);
    EXPECT_LT(jiashi, 9);
    for (int r = 0; r < jiashi; ++r)
        EXPECT_EQ(page->CellText(r, L"company"), XStringW(L"嘉实基金管理有限公司"));

    // 清除条件, clicked as a person does: every fund again, and an empty box that says so.
    RECT button{};
    GetWindowRect(page->ButtonWindow(FundFilterPage::kClearId), &button);
    PlatformClick((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    PlatformRunUntilIdle();
    EXPECT_EQ(page->View()->GetRowCount(), 9);
    EXPECT_TRUE(box.GetText().empty());
    EXPECT_TRUE(box.GetCurrCode().empty());
    // A search typed afterwards starts from nothing.
    box.SetFocus();
    PlatformTypeText(L"hx");
    PlatformRunUntilIdle();
    EXPECT_EQ(box.GetText(), XStringW(L"hx"));
    page->ApplySearch();
    EXPECT_EQ(page->View()->GetRowCount(), 4); // every 华夏 fund, of every type
    page->Destroy();
}

TEST_F(HostPages, TabMovesTheKeyboardRoundTheFundFilterPagesControls) {
    // The messages go through the application's handlers first, as in the program's own loop.
    auto app = HostKernel::MakeRef<HostApp>();
    PlatformSetMessageHandler([&](MSG& message) {
        if (!app->PreTranslate(&message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    });
    auto page = HostKernel::MakeRef<FundFilterPage>(app, database, nullptr);
    frame->FundFilterTab()->AddPage(page);
    PlatformRunUntilIdle();
    auto tab = [](bool shift) {
        if (shift)
            PlatformKeyDown(VK_SHIFT);
        PlatformKeyPress(VK_TAB);
        if (shift)
            PlatformKeyUp(VK_SHIFT);
        PlatformRunUntilIdle();
    };
    page->CompanyPicker().SetFocus();
    PlatformRunUntilIdle();
    ASSERT_EQ(GetFocus(), page->CompanyPicker().GetEditWindow());
    const UINT buttons[] = {FundFilterPage::kSearchId, FundFilterPage::kClearId, FundFilterPage::kAddId,
                            FundFilterPage::kFollowId, FundFilterPage::kUnfollowId};
    for (UINT id : buttons) {
        tab(false);
        EXPECT_EQ(GetFocus(), page->ButtonWindow(id)) << id;
    }
    tab(false);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(page->Grid()));
    // Round to the box again, and back with Shift+Tab.
    tab(false);
    EXPECT_EQ(GetFocus(), page->CompanyPicker().GetEditWindow());
    tab(true);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(page->Grid()));
    // Outside the page Tab is left to others.
    SetFocus(frame->Window());
    PlatformRunUntilIdle();
    tab(false);
    EXPECT_EQ(GetFocus(), frame->Window());
    page->Destroy();
    PlatformSetMessageHandler({});
    app->Clear();
}

TEST_F(HostPages, AFollowedFundIsHighlightedInTheThemesColourOnTheFundFilterPage) {
    auto conf = HostKernel::MakeRef<HostConf::ConfManager>();
    XStringW error;
    const char settings[] = "<Quenda2><ConcernFund><Codes>F001</Codes></ConcernFund></Quenda2>";
    ASSERT_TRUE(conf->Parse(settings, sizeof settings - 1, error)) << error.ToUtf8();
    auto concern = HostKernel::MakeRef<ConcernFundModule>(conf);
    auto page = HostKernel::MakeRef<FundFilterPage>(nullptr, database, concern);
    frame->FundFilterTab()->AddPage(page);
    PlatformRunUntilIdle();
    XComPtr<HostConf::Theme> light =
        HostConf::Theme::LoadFile(std::string(FC_SOURCE_DIR) + "/host/themes/light.xml", error);
    ASSERT_NE(light, nullptr) << error.ToUtf8();
    page->ApplyTheme(light);
    PlatformRunUntilIdle();
    COLORREF highlight = 0;
    ASSERT_TRUE(light->GetColor("list_highlight", highlight));
    const int row = page->RowOfCode(L"F001");
    ASSERT_GE(row, 0);
    // The followed row's code is written in the theme's highlight, which reads on the light rows:
    // its strongest pixel is that colour, up to the smoothing of the glyph edges.
    RECT cell = page->Grid().GetCellRect(row, 0);
    int nearest = 1 << 30;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x) {
            COLORREF c = PlatformWindowPixel(page->Grid(), x, y);
            int d = std::abs(GetRValue(c) - GetRValue(highlight)) +
                    std::abs(GetGValue(c) - GetGValue(highlight)) +
                    std::abs(GetBValue(c) - GetBValue(highlight));
            nearest = std::min(nearest, d);
        }
    EXPECT_LE(nearest, 30);
    page->Destroy();
}

TEST_F(HostPages, AnAllocationModuleOpensTheHoldingsOfAFund) {
    auto holdings = HostKernel::MakeRef<HoldingsPage>(L"资产配置", database, &LoadAssetHoldings);
    auto module = HostKernel::MakeRef<HoldingsModule<IAssetAllocationModule>>("mod_AssetAllocation",
                                                                              frame.Get(), holdings.Get());
    module->ShowFund(L"F001");
    PlatformRunUntilIdle();
    EXPECT_EQ(frame->FundFilterTab()->Current(), frame->FundFilterTab()->IndexOf(holdings));
    EXPECT_EQ(holdings->FundText(), XStringW(L"000001 华夏成长股票"));
    EXPECT_EQ(holdings->Table()->GetRowCount(), 2); // two report dates, the latest first

    // A code with a quote stays inside its literal and finds nothing.
    module->ShowFund(L"F001' or '1'='1");
    EXPECT_EQ(holdings->Table()->GetRowCount(), 0);

    auto industry = HostKernel::MakeRef<HoldingsPage>(L"行业配置", database, &LoadIndustryHoldings);
    industry->ShowFundCode(L"F001");
    EXPECT_GT(industry->Table()->GetRowCount(), 0);
    holdings->Destroy();
}

} // namespace
