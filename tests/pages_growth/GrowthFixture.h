// The module on the fixture database with the growth history, a configuration the test can fill,
// and a top-level window holding the growth page, driven headless.
#pragma once

#include "module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <hostkernel/RefCounted.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

// Keys and their texts, as the host's configuration file would hold them.
struct FakeConfValue : HostKernel::RefCounted<Conf::IConfValue> {
    XStringW text;
    double AsDouble() override { return std::wcstod(text.c_str(), nullptr); }
    void AsString(XStringW& out) override { out = text; }
};
struct FakeConfKey : HostKernel::RefCounted<Conf::IConfKey> {
    XStringW text;
    bool GetValue(Conf::IConfValue** value) override {
        auto made = HostKernel::MakeRef<FakeConfValue>();
        made->text = text;
        *value = made.Detach();
        return true;
    }
};
struct FakeConfManager : HostKernel::RefCounted<Conf::IConfStore> {
    std::map<std::string, XStringW> keys;
    int saves = 0;
    bool writable = true;
    bool SetValue(const char* path, const XStringW& value) override {
        if (writable)
            keys[path] = value;
        return writable;
    }
    bool RemoveKey(const char* path) override { return keys.erase(path) != 0; }
    bool GetChildren(const char*, std::vector<std::string>&) override { return false; }
    bool Save(XStringW&) override {
        ++saves;
        return true;
    }
    bool SaveChanging(const std::function<bool(Conf::IConfStore&, XStringW&)>& change,
                      XStringW& error) override {
        return change(*this, error) && Save(error);
    }
    bool GetKey(Conf::IConfKey** key, const char* path) override {
        *key = nullptr;
        auto found = keys.find(path);
        if (found == keys.end())
            return false;
        auto made = HostKernel::MakeRef<FakeConfKey>();
        made->text = found->second;
        *key = made.Detach();
        return true;
    }
};
struct ConfiguredApp : FakeApp {
    XComPtr<FakeConfManager> conf = HostKernel::MakeRef<FakeConfManager>();
    bool GetConfManager(Conf::IConfManager** manager) override {
        *manager = conf;
        conf->AddRef();
        return true;
    }
};

class GrowthFixture : public ::testing::Test {
protected:
    TestSupport::FixtureDb fixture{"funds.sql", "../pages_growth/growth_history.sql"};
    XComPtr<ConfiguredApp> app = HostKernel::MakeRef<ConfiguredApp>();
    ModuleHost host{XComPtr<FakeApp>(app.Get())};
    FundCompareModuleImpl& module = host.module;
    HWND top = nullptr;

    GrowthPage& page() { return module.Workspace().Growth(); }
    GrowthChart& chart() { return page().Chart(); }

    // Changes the fixture before the module opens it (the module's connection is read-only).
    void Alter(const std::string& sql) {
        SampleDb::Exec(SampleDb::OpenDatabase(fixture.Path(), false).get(), sql);
    }

    void StartModule() {
        ASSERT_TRUE(host.Start(fixture.Path()));
        FakeTheme& theme = app->themes->theme;
        theme.colours["wnd_general_bg"] = RGB(16, 24, 40);
        theme.colours["chart_bg"] = RGB(10, 10, 10);
        theme.colours["chart_text"] = RGB(220, 220, 220);
        theme.colours["chart_index"] = RGB(250, 250, 250);
        theme.colours["chart_zero"] = RGB(120, 0, 120);
        theme.colours["chart_grid"] = RGB(30, 30, 30);
        theme.AddFont("fntn_font_header", L"WenQuanYi Micro Hei", 12, L"bold");
        theme.AddFont("default", L"WenQuanYi Micro Hei", 12, L"normal");
        top = host.MakeWindow(1200, 700);
        ASSERT_NE(top, nullptr);
    }

    // The page as a hidden child filling the test window, themed as the workspace themes it.
    void CreatePage() {
        HWND window = page().Create(top, nullptr);
        ASSERT_NE(window, nullptr);
        MoveWindow(window, 0, 0, 1200, 700, TRUE);
        page().ApplyTheme(&app->themes->theme);
    }

    void Show() {
        page().ShowWindow(SW_SHOW);
        PlatformRunUntilIdle();
        PlatformPaintAll();
    }

    void TearDown() override { host.Stop(); }

    // A click in the middle of a rectangle of a window's client area.
    static void ClickIn(HWND window, const RECT& r) {
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(window, &p);
        PlatformClick(p.x, p.y);
        PlatformRunUntilIdle();
    }

    // The figures grid's cells as displayed, row by row.
    std::vector<std::vector<std::wstring>> Cells() {
        GrowthFiguresGrid& grid = page().Grid();
        std::vector<std::vector<std::wstring>> rows;
        const int count =
            static_cast<int>(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
        for (int r = 0; r < count; ++r) {
            std::vector<std::wstring> row;
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                Control::DataGridEx::CellTextRequest request;
                request.row = r;
                request.column = c;
                SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0,
                             reinterpret_cast<LPARAM>(&request));
                row.push_back(request.text.str());
            }
            rows.push_back(row);
        }
        return rows;
    }
};
