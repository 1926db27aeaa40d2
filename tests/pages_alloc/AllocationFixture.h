// Shared set-up of the allocation page tests: the module object joined to a fake host whose
// database module hands out the fixture database, the real dark theme, a top-level test window
// holding the page, and helpers that read the cells as the grid shows them.
#pragma once

#include "module/ModuleHost.h"
#include "support/FixtureDb.h"

#include <hostconf/Theme.h>
#include <sdk/ControlDataGrid.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

namespace allocationtest {

// A statement that dies after some rows, the way a read breaks off on a damaged file.
struct BreakingStatement : HostKernel::RefCounted<Data::IStatement> {
    XComPtr<Data::IStatement> real;
    int rowsLeft = 0;
    bool broken = false;
    bool Next() override {
        if (rowsLeft-- <= 0) {
            broken = true;
            return false;
        }
        return real->Next();
    }
    double GetDouble(int column) override { return real->GetDouble(column); }
    bool GetNumber(int column, double& value) override { return real->GetNumber(column, value); }
    std::string_view GetUtf8(int column) override { return real->GetUtf8(column); }
    void GetString(XStringW& text, int column) override { real->GetString(text, column); }
    int GetColumnCount() override { return real->GetColumnCount(); }
    void GetError(XStringW& error) override {
        error = broken ? XStringW(L"database disk image is malformed") : XStringW();
    }
};

// The fixture database, whose fund queries (the statements over "tb_fund a") can be made to
// break off after some rows.
struct SwitchableDatabase : HostKernel::RefCounted<Data::IDatabase> {
    XComPtr<Data::IDatabase> real;
    int breakAfterRows = -1; // never
    bool IsOpen() override { return real && real->IsOpen(); }
    bool Execute(const wchar_t* sql, Data::IDataTable* table, int replace, int reserved) override {
        return real->Execute(sql, table, replace, reserved);
    }
    bool Query(Data::IStatement** statement, const wchar_t* sql, XStringW& error) override {
        if (!real->Query(statement, sql, error))
            return false;
        if (breakAfterRows >= 0 && std::wcsstr(sql, L"tb_fund a") != nullptr) {
            auto breaking = HostKernel::MakeRef<BreakingStatement>();
            breaking->real.Attach(*statement);
            breaking->rowsLeft = breakAfterRows;
            *statement = breaking.Get();
            breaking->AddRef();
        }
        return true;
    }
    void GetLastError(XStringW& error) override { real->GetLastError(error); }
};

template <class Interface>
struct FakeOpener : FakeModuleBase<Interface> {
    std::vector<XStringW> shown;
    void ShowFund(const XStringW& code) override { shown.push_back(code); }
};

inline std::string OutputPath(const std::string& name) {
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    return std::string(FC_TEST_OUTPUT_DIR) + "/" + name;
}

// The module's workspace in a 1100 x 564 window at the screen's origin, with the page under test
// as its current tab; the page starts kPageTop pixels down.
template <class Page>
class PageFixture {
public:
    static constexpr int kWidth = 1100;
    static constexpr int kHeight = 564;
    static constexpr int kPageTop = BackgroundPage::kStripHeight;
    static constexpr int kGridTop = kPageTop + 30;

    explicit PageFixture(std::initializer_list<std::string_view> fixtures = {"funds.sql"}) : db(fixtures) {
        PlatformSetMenuHook({});
        PlatformSetMessageBoxHook({});
        XStringW error;
        theme = HostConf::Theme::LoadFile(FC_SOURCE_DIR "/host/themes/dark.xml", error);
        EXPECT_TRUE(theme) << error.ToUtf8();
        app->modules["mod_AssetAllocation"] = assetModule.Get();
        app->modules["mod_IndustryAllocation"] = industryModule.Get();
        ModuleHost::Options options;
        options.screenWidth = 1280;
        options.screenHeight = 700;
        options.serve = [this](Data::IDatabase* real) {
            database->real = real;
            return XComPtr<Data::IDatabase>(database.Get());
        };
        host.Start(db.Path(), options);
        parent = host.MakeWindow(kWidth, kHeight);
        host.ShowWorkspace(theme);
    }
    ~PageFixture() {
        PlatformSetMenuHook({});
        PlatformSetMessageBoxHook({});
        host.Stop();
    }

    // Makes the page the workspace's current tab, which shows it.
    void Show() {
        module.Workspace().ShowTab(std::is_same_v<Page, AssetAllocationPage> ? 3 : 4);
        PlatformRunUntilIdle();
    }
    void AddFunds(std::initializer_list<const wchar_t*> codes) {
        for (const wchar_t* code : codes)
            module.AddFund(code);
        PlatformRunUntilIdle();
    }

    Control::DataGridEx& Grid() { return page.Grid(); }
    HWND GridWindow() { return static_cast<HWND>(page.Grid()); }
    int Rows() {
        return static_cast<int>(::SendMessageW(GridWindow(), Control::DataGridEx::kGetRowCountMessage, 0, 0));
    }
    int Column(const wchar_t* name) {
        for (int i = 0; i < Grid().GetColumnCount(); ++i)
            if (Grid().GetColumn(i)->name == XStringW(name))
                return i;
        return -1;
    }
    // The cell as the grid shows it.
    std::wstring Cell(int row, const wchar_t* column) {
        Control::DataGridEx::CellTextRequest request;
        request.row = row;
        request.column = Column(column);
        ::SendMessageW(GridWindow(), Control::DataGridEx::kGetCellTextMessage, 0,
                       reinterpret_cast<LPARAM>(&request));
        return request.text.str();
    }
    std::vector<std::wstring> ColumnTexts(const wchar_t* column) {
        std::vector<std::wstring> texts;
        for (int row = 0; row < Rows(); ++row)
            texts.push_back(Cell(row, column));
        return texts;
    }
    // The centre of a cell in screen (and page) coordinates; the grid starts 30 pixels down.
    POINT CellCentre(int row, const wchar_t* column) {
        RECT cell = Grid().GetCellRect(row, Column(column));
        return POINT{(cell.left + cell.right) / 2, kGridTop + (cell.top + cell.bottom) / 2};
    }
    COLORREF Colour(const char* key) {
        COLORREF colour = 0;
        theme->GetColor(key, colour);
        return colour;
    }
    void SelectDate(int index) {
        HWND box = page.DateBox();
        ::SendMessageW(box, CB_SETCURSEL, index, 0);
        ::SendMessageW(page.GetHandle(), WM_COMMAND, MAKEWPARAM(102, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(box));
        PlatformRunUntilIdle();
    }
    std::vector<std::wstring> DateList() {
        std::vector<std::wstring> dates;
        HWND box = page.DateBox();
        int count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            dates.emplace_back(text);
        }
        return dates;
    }

    TestSupport::FixtureDb db;
    XComPtr<HostConf::Theme> theme;
    XComPtr<SwitchableDatabase> database = HostKernel::MakeRef<SwitchableDatabase>();
    XComPtr<FakeOpener<IAssetAllocationModule>> assetModule =
        HostKernel::MakeRef<FakeOpener<IAssetAllocationModule>>();
    XComPtr<FakeOpener<IIndustryAllocationModule>> industryModule =
        HostKernel::MakeRef<FakeOpener<IIndustryAllocationModule>>();
    ModuleHost host;
    XComPtr<FakeApp>& app = host.app;
    FundCompareModuleImpl& module = host.module;
    HWND parent = nullptr;
    Page& page = PageOf(module);

private:
    static Page& PageOf(FundCompareModuleImpl& owner) {
        if constexpr (std::is_same_v<Page, AssetAllocationPage>)
            return owner.Workspace().Asset();
        else
            return owner.Workspace().Industry();
    }
};

} // namespace allocationtest
