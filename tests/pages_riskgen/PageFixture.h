// A module on the fixture database with a top-level window to hold one page, for tests that drive
// a comparison page headless.
#pragma once

#include "../module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <gtest/gtest.h>

class PageFixture : public ::testing::Test {
protected:
    static constexpr COLORREF kBackground = RGB(16, 24, 40);
    static constexpr COLORREF kHeaderBackground = RGB(70, 40, 20);
    static constexpr COLORREF kTitle = RGB(230, 220, 120);

    TestSupport::FixtureDb fixture{"funds.sql"};
    ModuleHost host;
    XComPtr<FakeApp>& app = host.app;
    FundCompareModuleImpl& module = host.module;
    HWND top = nullptr;

    // Changes the fixture before the module opens it (the module's connection is read-only).
    void Alter(const std::string& sql) {
        SampleDb::Exec(SampleDb::OpenDatabase(fixture.Path(), false).get(), sql);
    }

    void StartModule() {
        ModuleHost::Options options;
        options.screenWidth = 1000;
        options.screenHeight = 700;
        ASSERT_TRUE(host.Start(fixture.Path(), options));
        FakeTheme& theme = app->themes->theme;
        theme.colours["wnd_general_bg"] = kBackground;
        theme.colours["list_column_bg"] = kHeaderBackground;
        theme.colours["list_title"] = kTitle;
        theme.colours["list_bg_oddLine"] = RGB(31, 32, 33);
        theme.colours["list_bg_evenLine"] = RGB(61, 62, 63);
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        top = host.MakeWindow(900, 600);
        ASSERT_NE(top, nullptr);
    }

    void TearDown() override { host.Stop(); }

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
