// HostedWorkspace: the module inside the host's own main frame and fund-filter page, over the
// fixture database, with the host's message loop (pre-message handlers first) and helpers that
// drive it as a person does.
#pragma once

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
