// The comparison workspace on a fixture database: its picker follows the host's filters, the page
// tabs switch pages, and adding without a choice is refused with a message.
#include "ModuleHost.h"
#include "filter/MultiValueFilter.h"
#include "support/FixtureDb.h"
#include "workspace/PageList.h"

#include <sdk/CompareWorkspace.h>

#include <gtest/gtest.h>

namespace {

struct Workspace : ::testing::Test {
    TestSupport::FixtureDb fixture{"funds.sql"};
    ModuleHost host;
    FundCompareModuleImpl& module = host.module;

    void SetUp() override {
        ModuleHost::Options options;
        options.screenWidth = 1024;
        options.screenHeight = 700;
        ASSERT_TRUE(host.Start(fixture.Path(), options));
        host.MakeWindow(1024, 700);
        ASSERT_TRUE(host.ShowWorkspace());
    }
    void TearDown() override { host.Stop(); }
};

TEST_F(Workspace, ThePickerListsOpenFundsAndFollowsTheHostFilters) {
    BackgroundPage& ws = module.Workspace();
    // Closed-end funds, products, deleted and delisted funds are left out.
    EXPECT_EQ(ws.FundsTable()->GetRowCount(), 9);

    auto* equity = new MultiValueFilter;
    equity->SetField(L"investtype");
    equity->AddValue(L"股票型");
    ws.OnFilterChanged(nullptr, equity, nullptr, nullptr);
    EXPECT_EQ(ws.FundsView()->GetRowCount(), 3);
    // All four null: every fund again.
    ws.OnFilterChanged(equity, nullptr, nullptr, nullptr);
    EXPECT_EQ(ws.FundsView()->GetRowCount(), 9);
    ws.OnFilterChanged(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(ws.FundsView()->GetRowCount(), 9);
    equity->Release();
}

TEST_F(Workspace, AddingWithoutAChoiceIsRefusedAndTabsSwitchPages) {
    BackgroundPage& ws = module.Workspace();
    size_t before = PlatformMessageBoxes().size();
    ws.AddSelectedFund();
    ASSERT_EQ(PlatformMessageBoxes().size(), before + 1);
    EXPECT_EQ(PlatformMessageBoxes().back().text, L"请选择一只基金！");
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"提示");
    EXPECT_NE(PlatformMessageBoxes().back().flags & MB_ICONINFORMATION, 0u);
    EXPECT_TRUE(module.Funds().empty());

    EXPECT_TRUE(ws.General().IsWindowVisible());
    RECT r = ws.Header().GetButtonRect(3);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(ws.Header(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(ws.CurrentTab(), 3);
    EXPECT_TRUE(ws.Asset().IsWindowVisible());
    EXPECT_FALSE(ws.General().IsWindowVisible());

    // Hiding and showing the workspace keeps the tab.
    ws.Hide();
    ws.Show();
    PlatformRunUntilIdle();
    EXPECT_EQ(ws.CurrentTab(), 3);
    EXPECT_TRUE(ws.Asset().IsWindowVisible());
}

TEST_F(Workspace, ThePagesOfTheListAreTheTabsAndCarryTheNamesTheScriptsUse) {
    BackgroundPage& ws = module.Workspace();
    ASSERT_EQ(ws.PageCount(), static_cast<int>(PageList().size()));
    ASSERT_GE(PageList().size(), CompareWorkspace::kPageTabCount);
    wchar_t name[64] = {};
    GetClassNameW(ws.Window(), name, 64);
    EXPECT_EQ(std::wstring(name), CompareWorkspace::kWindowClass);
    for (int i = 0; i < ws.PageCount(); ++i) {
        EXPECT_EQ(ws.Header().GetButtonText(i), XStringW(PageList()[static_cast<size_t>(i)].caption)) << i;
        if (static_cast<size_t>(i) < CompareWorkspace::kPageTabCount)
            EXPECT_EQ(ws.Header().GetButtonText(i), XStringW(CompareWorkspace::kPageTabs[i].caption)) << i;
        GetClassNameW(ws.Page(i)->GetHandle(), name, 64);
        EXPECT_EQ(std::wstring(name).rfind(CompareWorkspace::kClassPrefix, 0), 0u) << i;
        // Every page lies under the strip, and only the current one is shown.
        EXPECT_EQ(ws.Page(i)->IsWindowVisible(), i == ws.CurrentTab()) << i;
    }
    GetClassNameW(ws.General().GetHandle(), name, 64);
    EXPECT_EQ(std::wstring(name), CompareWorkspace::kGeneralPageClass);
    // The choice box a script picks from is the one of the allocation pages and the horizon box.
    EXPECT_EQ(GetDlgCtrlID(ws.Asset().DateBox()), CompareWorkspace::kChoiceBoxId);
    EXPECT_EQ(GetDlgCtrlID(ws.RiskReturn().HorizonBox().GetHandle()), CompareWorkspace::kChoiceBoxId);
    EXPECT_EQ(ws.Page(ws.PageCount()), nullptr);
    EXPECT_EQ(ws.Page(-1), nullptr);
}

} // namespace
