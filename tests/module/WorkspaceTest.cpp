// The comparison workspace on a fixture database: its picker follows the host's filters, the page
// tabs switch pages, and adding without a choice is refused with a message.
#include "FakeHost.h"
#include "filter/MultiValueFilter.h"
#include "module/FundCompareModuleImpl.h"
#include "support/FixtureDb.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

namespace {

struct Workspace : ::testing::Test {
    TestSupport::FixtureDb fixture{"funds.sql"};
    FundCompareModuleImpl module;
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    XComPtr<FakeMainFrame> frame = HostKernel::MakeRef<FakeMainFrame>();
    HWND parent = nullptr;

    void SetUp() override {
        PlatformStartHeadless(1024, 700);
        auto db = HostKernel::MakeRef<FakeDbModule>();
        XStringW error;
        XComPtr<HostDb::SqliteDatabase> opened = HostDb::SqliteDatabase::Open(fixture.Path(), error);
        db->database = opened.Get();
        ASSERT_NE(db->database, nullptr) << error.ToUtf8();
        app->modules["mod_Database"] = db.Get();
        app->modules["mod_MainFrame"] = frame.Get();
        module.Load(nullptr, nullptr);
        ASSERT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();
        parent = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 700, nullptr, nullptr,
                                 nullptr, nullptr);
        if (parent == nullptr) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"WorkspaceTestParent";
            RegisterClassExW(&wc);
            parent = CreateWindowExW(0, L"WorkspaceTestParent", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 700,
                                     nullptr, nullptr, wc.hInstance, nullptr);
        }
        ASSERT_NE(module.Workspace().Create(parent, frame->tab), nullptr);
        module.Workspace().Move(0, 0, 1024, 700);
        module.Workspace().Show();
        PlatformRunUntilIdle();
    }
    void TearDown() override {
        DestroyWindow(parent);
        module.Uninitialize();
    }
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
