// The module inside the host's own main frame and fund-filter page, driven by clicks and keys the
// way a person uses it: the toolbar button "对比分析" while the comparison is already on screen, a
// fund type chosen before the comparison was ever opened, and funds added by typing their codes
// into the picker and pressing Enter.
#include "FundFilterPage.h"
#include "HostApp.h"
#include "MainFrame.h"
#include "module/FundCompareModuleImpl.h"
#include "support/FixtureDb.h"

#include <hostconf/ThemeManager.h>
#include <hostdb/DatabaseModule.h>
#include <platform/driver.h>
#include <sdk/ControlDataGrid.h>

#include <gtest/gtest.h>

namespace {

class HostedWorkspace : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(1024, 700);
        PlatformSetMessageBoxHook({});
        PlatformClearMessageBoxes();
        XStringW error;
        app.Attach(new HostApp);
        themes.Attach(new HostConf::ThemeManager(FC_SOURCE_DIR "/host/themes"));
        ASSERT_TRUE(themes->SelectTheme("dark", error)) << error.ToUtf8();
        app->SetThemeMgr(themes);
        databaseModule.Attach(new HostDb::DatabaseModule);
        ASSERT_TRUE(databaseModule->Open(fixture.Path(), error)) << error.ToUtf8();
        app->RegisterModule(HostDb::DatabaseModule::kId, databaseModule);

        frame.Attach(new MainFrame);
        app->RegisterModule(MainFrame::kId, frame);
        frame->AddHostButton(nullptr, "button_fund_filter", L"基金筛选",
                             [this] { frame->FundFilterTab()->Activate(0); });
        XComPtr<Conf::ITheme> theme;
        ASSERT_TRUE(themes->GetCurrentTheme(theme.Receive()));
        frame->ApplyTheme(theme);
        ASSERT_TRUE(frame->Create(1024, 700, L"测试"));
        XComPtr<Data::IDatabase> database;
        databaseModule->GetDatabase(database.Receive());
        filterPage.Attach(new FundFilterPage(app, database, nullptr));
        filterPage->ApplyTheme(theme);
        frame->FundFilterTab()->AddPage(filterPage);

        module.Load(nullptr, nullptr);
        ASSERT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();
        // The host's message loop: the pre-message handlers (the module's Enter key) come first.
        PlatformSetMessageHandler([this](MSG& message) {
            if (app->PreTranslate(&message))
                return;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        });
        PlatformRunUntilIdle();
    }

    void TearDown() override {
        PlatformSetMessageHandler({});
        module.Uninitialize();
        if (filterPage)
            filterPage->Destroy();
        if (frame)
            frame->Destroy();
        if (app)
            app->Clear();
        PlatformRunUntilIdle();
    }

    BackgroundPage& Workspace() { return module.Workspace(); }

    void ClickInFrame(const RECT& rect) {
        POINT p{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(frame->Window(), &p);
        PlatformClick(p.x, p.y);
        PlatformRunUntilIdle();
    }
    void ClickCompareButton() { ClickInFrame(frame->ButtonRect("button_compare")); }
    void ClickPageTab(int index) {
        RECT r = Workspace().Header().GetButtonRect(index);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(Workspace().Header(), &p);
        PlatformClick(p.x, p.y);
        PlatformRunUntilIdle();
    }
    void ClickPicker() {
        RECT r{};
        GetWindowRect(Workspace().Picker().GetEditWindow(), &r);
        PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PlatformRunUntilIdle();
    }
    // Types into the picker where the keyboard is and presses Enter.
    void TypeAndEnter(const std::wstring& code) {
        PlatformTypeText(code);
        PlatformRunUntilIdle();
        PlatformKeyPress(VK_RETURN);
        PlatformRunUntilIdle();
    }
    // Adds a fund the long way, whatever the picker showed before: the old text erased, the code
    // typed, Enter, and Escape for a list left open.
    void AddByKeys(const std::wstring& code) {
        ClickPicker();
        PlatformKeyPress(VK_END);
        for (int i = 0; i < 12; ++i)
            PlatformKeyPress(VK_BACK);
        TypeAndEnter(code);
        PlatformKeyPress(VK_ESCAPE);
        PlatformRunUntilIdle();
    }
    int Rows(Control::DataGridEx& grid) {
        return static_cast<int>(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
    }

    TestSupport::FixtureDb fixture{"funds.sql"};
    XComPtr<HostApp> app;
    XComPtr<HostConf::ThemeManager> themes;
    XComPtr<HostDb::DatabaseModule> databaseModule;
    XComPtr<MainFrame> frame;
    XComPtr<FundFilterPage> filterPage;
    FundCompareModuleImpl module;
};

TEST_F(HostedWorkspace, TheCompareButtonOverAShownComparisonKeepsItsPageFilled) {
    ClickCompareButton();
    ASSERT_TRUE(Workspace().IsCreated());
    AddByKeys(L"000001");
    ASSERT_EQ(module.Funds().size(), 1u);

    ClickPageTab(1);
    ASSERT_TRUE(Workspace().Performance().IsWindowVisible());
    ASSERT_EQ(Rows(Workspace().Performance().Grid()), 13);
    // Pressed again while the page is on screen, the button must not leave it empty.
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Performance().IsWindowVisible());
    EXPECT_EQ(Rows(Workspace().Performance().Grid()), 13);

    // The other pages that load when shown are shown again as well.
    ClickPageTab(3);
    ASSERT_EQ(Rows(Workspace().Asset().Grid()), 6);
    int reloads = Workspace().Asset().ReloadCount();
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Asset().IsWindowVisible());
    EXPECT_EQ(Workspace().Asset().ReloadCount(), reloads + 1);
    EXPECT_EQ(Rows(Workspace().Asset().Grid()), 6);

    // From the fund-filter page the button shows the comparison once, through its show message.
    ClickInFrame(frame->ButtonRect("button_fund_filter"));
    ASSERT_FALSE(IsWindowVisible(Workspace().Window()));
    reloads = Workspace().Asset().ReloadCount();
    ClickCompareButton();
    EXPECT_TRUE(Workspace().Asset().IsWindowVisible());
    EXPECT_EQ(Workspace().Asset().ReloadCount(), reloads + 1);
}

TEST_F(HostedWorkspace, ATypeChosenBeforeTheComparisonOpensNarrowsThePicker) {
    // The fund-filter page is the first page of the tab and shows at start.
    ASSERT_TRUE(IsWindowVisible(filterPage->Window()));
    ASSERT_EQ(filterPage->Types().front(), XStringW(L"股票型"));
    RECT equity = filterPage->TypeBar().GetButtonRect(1);
    POINT p{(equity.left + equity.right) / 2, (equity.top + equity.bottom) / 2};
    ClientToScreen(filterPage->TypeBar(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(filterPage->View()->GetRowCount(), 3);
    ASSERT_FALSE(Workspace().IsCreated());

    ClickCompareButton();
    ASSERT_TRUE(Workspace().IsCreated());
    EXPECT_EQ(Workspace().FundsView()->GetRowCount(), 3);
    // A bond fund is not offered; an equity fund is.
    ClickPicker();
    PlatformTypeText(L"000004");
    PlatformRunUntilIdle();
    EXPECT_TRUE(Workspace().Picker().GetCurrCode().empty());
    PlatformKeyPress(VK_ESCAPE);
    ClickPicker();
    PlatformKeyPress(VK_END);
    for (int i = 0; i < 6; ++i)
        PlatformKeyPress(VK_BACK);
    PlatformTypeText(L"000014");
    PlatformRunUntilIdle();
    EXPECT_EQ(Workspace().Picker().GetCurrCode(), XStringW(L"F014"));
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();

    // The filter kept from before is the one the host takes away later: all types again.
    ClickInFrame(frame->ButtonRect("button_fund_filter"));
    RECT all = filterPage->TypeBar().GetButtonRect(0);
    p = POINT{(all.left + all.right) / 2, (all.top + all.bottom) / 2};
    ClientToScreen(filterPage->TypeBar(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(Workspace().FundsView()->GetRowCount(), 9);
}

TEST_F(HostedWorkspace, EnterAddsTheFundAndLeavesThePickerReadyForTheNextCode) {
    ClickCompareButton();
    ClickPicker();
    TypeAndEnter(L"000001");
    EXPECT_EQ(module.Funds().count(L"F001"), 1u);
    Control::XComboEx& picker = Workspace().Picker();
    EXPECT_FALSE(picker.IsDroppedDown());
    EXPECT_EQ(picker.GetText(), XStringW(L"000001"));
    EXPECT_EQ(GetFocus(), picker.GetEditWindow());

    // The next code replaces the selected one.
    TypeAndEnter(L"000003");
    EXPECT_EQ(picker.GetText(), XStringW(L"000003"));
    EXPECT_EQ(module.Funds().count(L"F003"), 1u);
    EXPECT_FALSE(picker.IsDroppedDown());

    // Backspace erases the selected text at once.
    PlatformKeyPress(VK_BACK);
    PlatformRunUntilIdle();
    EXPECT_TRUE(picker.GetText().empty());
}

TEST_F(HostedWorkspace, TheAlreadyPresentMessageNamesTheCodeTheUserTyped) {
    ClickCompareButton();
    AddByKeys(L"000001");
    ASSERT_TRUE(PlatformMessageBoxes().empty());
    AddByKeys(L"000001");
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u);
    // The fund's own code is F001; the user knows it as 000001.
    EXPECT_EQ(PlatformMessageBoxes().back().text, L"基金[000001]华夏成长股票已存在。");
    EXPECT_EQ(PlatformMessageBoxes().back().caption, L"提示");
    EXPECT_EQ(module.Funds().size(), 1u);
}

} // namespace
