// A module on the fixture database with a top-level window to hold one page, for tests that drive
// a comparison page headless.
#pragma once

#include "../module/FakeHost.h"
#include "module/FundCompareModuleImpl.h"
#include "support/FixtureDb.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

class PageFixture : public ::testing::Test {
protected:
    static constexpr COLORREF kBackground = RGB(16, 24, 40);
    static constexpr COLORREF kHeaderBackground = RGB(70, 40, 20);
    static constexpr COLORREF kTitle = RGB(230, 220, 120);

    TestSupport::FixtureDb fixture{"funds.sql"};
    XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
    XComPtr<FakeMainFrame> frame = HostKernel::MakeRef<FakeMainFrame>();
    FundCompareModuleImpl module;
    HWND top = nullptr;

    // Changes the fixture before the module opens it (the module's connection is read-only).
    void Alter(const std::string& sql) {
        SampleDb::Exec(SampleDb::OpenDatabase(fixture.Path(), false).get(), sql);
    }

    void StartModule() {
        PlatformStartHeadless(1000, 700);
        PlatformClearMessageBoxes();
        XStringW error;
        auto databaseModule = HostKernel::MakeRef<FakeDbModule>();
        XComPtr<HostDb::SqliteDatabase> database = HostDb::SqliteDatabase::Open(fixture.Path(), error);
        ASSERT_NE(database, nullptr) << error.ToUtf8();
        databaseModule->database = database.Get();
        app->modules["mod_Database"] = databaseModule.Get();
        app->modules["mod_MainFrame"] = frame.Get();
        module.Load(nullptr, nullptr);
        ASSERT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();
        FakeTheme& theme = app->themes->theme;
        theme.colours["wnd_general_bg"] = kBackground;
        theme.colours["list_column_bg"] = kHeaderBackground;
        theme.colours["list_title"] = kTitle;
        theme.colours["list_bg_oddLine"] = RGB(31, 32, 33);
        theme.colours["list_bg_evenLine"] = RGB(61, 62, 63);
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"RiskGenTestFrame";
        RegisterClassExW(&wc);
        top = CreateWindowExW(0, L"RiskGenTestFrame", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900,
                              600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(top, nullptr);
    }

    void TearDown() override {
        if (top != nullptr)
            DestroyWindow(top);
        module.Uninitialize();
        PlatformRunUntilIdle();
    }

    // Creates the page as a child filling the test window, themed as the host would theme it.
    template <class Page>
    HWND CreatePage(Page& page) {
        HWND window = page.Create(top, nullptr);
        RECT client{};
        GetClientRect(top, &client);
        MoveWindow(window, 0, 0, client.right, client.bottom, TRUE);
        page.ApplyTheme(&app->themes->theme);
        return window;
    }
};
