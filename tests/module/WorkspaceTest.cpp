// The comparison workspace on a fixture database: its picker follows the host's filters, the page
// tabs switch pages, and adding without a choice is refused with a message.
#include "ModuleHost.h"
#include "filter/MultiValueFilter.h"
#include "support/FixtureDb.h"

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

} // namespace
