// The module object: identity, initialisation and its failures, the compared-fund set, the event
// it fires and the filter it offers the host.
#include "FakeHost.h"
#include "module/FundCompareModuleImpl.h"

#include <platform/driver.h>
#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <memory>

extern "C" IFundCompareModule* ModuleInstance();

namespace {

// Counts the notifications of "event_compare_changed".
struct ChangeCounter {
    int count = 0;
    XComPtr<Kernel::IEvent> event;
    ChangeCounter() {
        event.Attach(createEvent("event_compare_changed"));
        event->Subscribe(&ChangeCounter::OnChange, this);
    }
    ~ChangeCounter() { event->Unsubscribe(&ChangeCounter::OnChange, this); }
    static void OnChange(void*, void* context) { ++static_cast<ChangeCounter*>(context)->count; }
};

TEST(FundCompareModule, OneObjectWithItsIdentity) {
    EXPECT_EQ(ModuleInstance(), ModuleInstance());
    ModuleInfo info;
    EXPECT_TRUE(ModuleInstance()->GetInfo(info));
    EXPECT_EQ(info.id, XStringA("mod_FundCompare"));
    EXPECT_EQ(info.title, XStringW(L"基金对比模块"));
    EXPECT_EQ(info.number, 9763);
    EXPECT_EQ(info.version, 0x01000001);
    EXPECT_EQ(ModuleInstance()->AddRef(), 1u);
    EXPECT_EQ(ModuleInstance()->Release(), 1u);
}

TEST(FundCompareModule, TheLibraryLoadsWithDlopenAndHandsOutTheSameObject) {
    void* library = dlopen("libfundcompare.so", RTLD_NOW);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<IFundCompareModule* (*)()>(dlsym(library, "ModuleInstance"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(), ModuleInstance());
    dlclose(library);
}

TEST(FundCompareModule, InitializeFailsFirstWithoutTheDatabaseModule) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    auto app = HostKernel::MakeRef<FakeApp>();
    app->modules["mod_MainFrame"] = HostKernel::MakeRef<FakeMainFrame>().Get();
    XStringW error;
    EXPECT_EQ(module.Initialize(app, error), 1);
    EXPECT_EQ(error, XStringW(L"找不到数据库模块"));
    // The main frame was never looked at, and nothing was registered.
    EXPECT_EQ(app->asked, std::vector<std::string>{"mod_Database"});
    EXPECT_TRUE(app->handlers.empty());

    app->modules.clear();
    app->modules["mod_Database"] = HostKernel::MakeRef<FakeDbModule>().Get();
    app->asked.clear();
    EXPECT_EQ(module.Initialize(app, error), 1);
    EXPECT_EQ(error, XStringW(L"无法获取主窗口模块"));
    EXPECT_TRUE(app->handlers.empty());
}

TEST(FundCompareModule, InitializeJoinsTheHost) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    auto app = HostKernel::MakeRef<FakeApp>();
    auto frame = HostKernel::MakeRef<FakeMainFrame>();
    app->modules["mod_Database"] = HostKernel::MakeRef<FakeDbModule>().Get();
    app->modules["mod_MainFrame"] = frame.Get();
    XStringW error;
    ASSERT_EQ(module.Initialize(app, error), 0) << error.ToUtf8();

    ASSERT_EQ(frame->tab->pages.size(), 1u);
    EXPECT_EQ(frame->tab->pages[0], static_cast<ITabPage*>(&module.Workspace()));
    EXPECT_EQ(frame->buttons, std::vector<std::string>{"button_fund_filter>button_compare:对比分析"});
    ASSERT_EQ(app->handlers.size(), 1u);
    EXPECT_EQ(app->handlers[0].first, 500);

    // The toolbar button fires the command, which activates the workspace.
    ASSERT_NE(frame->buttonEvent, nullptr);
    frame->buttonEvent->Fire(nullptr);
    ASSERT_FALSE(frame->activated.empty());
    EXPECT_EQ(frame->activated.back(), static_cast<ITabPage*>(&module.Workspace()));
    module.Uninitialize();
}

TEST(FundCompareModule, AGoneModuleLeavesNoCallbackBehind) {
    auto app = HostKernel::MakeRef<FakeApp>();
    auto frame = HostKernel::MakeRef<FakeMainFrame>();
    app->modules["mod_Database"] = HostKernel::MakeRef<FakeDbModule>().Get();
    app->modules["mod_MainFrame"] = frame.Get();
    XComPtr<Kernel::IEvent> themeChanged;
    themeChanged.Attach(createEvent("event_theme_changed"));
    {
        FundCompareModuleImpl module;
        module.Load(nullptr, nullptr);
        XStringW error;
        ASSERT_EQ(module.Initialize(app, error), 0);
    }
    // Firing after the module is gone must not reach it (ASan would report a use after free).
    frame->buttonEvent->Fire(nullptr);
    themeChanged->Fire(&app->themes->theme);
    EXPECT_TRUE(frame->activated.empty());
}

TEST(FundCompareModule, AMainFrameWithoutTheFundFilterTabIsRefused) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    auto app = HostKernel::MakeRef<FakeApp>();
    auto frame = HostKernel::MakeRef<FakeMainFrame>();
    frame->hasTab = false;
    app->modules["mod_Database"] = HostKernel::MakeRef<FakeDbModule>().Get();
    app->modules["mod_MainFrame"] = frame.Get();
    XStringW error;
    EXPECT_EQ(module.Initialize(app, error), 1);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(frame->buttons.empty());
    EXPECT_TRUE(app->handlers.empty());
}

TEST(ComparedFundSet, TheLimitComesBeforeTheDuplicateTest) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    ChangeCounter changes;
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(module.AddFund(XStringW().Format(L"%06d", i)), 0);
    EXPECT_EQ(changes.count, 100);
    EXPECT_EQ(module.AddFund(L"000001"), 2); // present, but the set is full
    EXPECT_EQ(module.AddFund(L"999999"), 2);
    EXPECT_EQ(module.Funds().size(), 100u);
    EXPECT_EQ(changes.count, 100);
    EXPECT_EQ(module.Workspace().General().ReloadCount(), 100);
}

TEST(ComparedFundSet, DuplicatesRemovalsAndClearing) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    ChangeCounter changes;
    EXPECT_EQ(module.AddFund(L"110022"), 0);
    EXPECT_EQ(module.AddFund(L"000001"), 0);
    EXPECT_EQ(module.AddFund(L"000001"), 1);
    EXPECT_EQ(module.AddFund(L" 000001"), 0); // a different code
    EXPECT_EQ(changes.count, 3);
    // Ascending by text.
    std::vector<XStringW> order(module.Funds().begin(), module.Funds().end());
    EXPECT_EQ(order, (std::vector<XStringW>{L" 000001", L"000001", L"110022"}));

    EXPECT_TRUE(module.RemoveFund(L"000001"));
    EXPECT_FALSE(module.RemoveFund(L"000001"));
    EXPECT_EQ(changes.count, 3); // removing fires nothing
    EXPECT_TRUE(module.NotifyFundsChanged(L""));
    EXPECT_EQ(changes.count, 4);

    module.ClearFunds();
    EXPECT_TRUE(module.Funds().empty());
    EXPECT_EQ(changes.count, 4); // clearing fires nothing
    EXPECT_FALSE(module.IsCompared(L"110022"));
}

TEST(ComparedFundSet, TheFilterKeepsCompareFundsInOrder) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    module.AddFund(L"000003");
    module.AddFund(L"000001");

    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    auto table = object.As<Data::IDataTable>();
    table->AddColumn(Data::kText, L"code");
    for (const wchar_t* code : {L"000001", L"000002", L"000003", L"000001 "}) {
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), table->AddRow());
        row->GetValue(L"code")->SetText(code);
    }
    XComPtr<Data::IDataFilter> filter = module.GetCompareFilter();
    ASSERT_NE(filter, nullptr);
    int rows[4] = {3, 2, 1, 0};
    int count = 4;
    filter->Filter(table, rows, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(rows[0], 2);
    EXPECT_EQ(rows[1], 0);

    // Nothing to filter, or nothing to filter with: the array and the count stay.
    count = 0;
    filter->Filter(table, rows, &count);
    EXPECT_EQ(count, 0);
    count = 2;
    filter->Filter(nullptr, rows, &count);
    EXPECT_EQ(count, 2);
    // The host's reference keeps the filter alive; counts are its own.
    EXPECT_EQ(filter->AddRef(), 3u);
    EXPECT_EQ(filter->Release(), 2u);
}

TEST(ModuleImages, EveryMarkAndBarLoadsWithItsSize) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    for (int id = 1; id <= 15; ++id) {
        std::unique_ptr<Gdiplus::Image> image(LoadPngImage(id));
        ASSERT_NE(image, nullptr) << id;
        EXPECT_GE(image->GetWidth(), 10u);
        EXPECT_LE(image->GetWidth(), 16u);
        EXPECT_EQ(image->GetWidth(), image->GetHeight());
    }
    for (int id : {20, 21, 22}) {
        std::unique_ptr<Gdiplus::Image> image(LoadPngImage(id));
        ASSERT_NE(image, nullptr) << id;
        EXPECT_EQ(image->GetWidth(), 108u);
        EXPECT_EQ(image->GetHeight(), 13u);
    }
    EXPECT_EQ(LoadPngImage(16), nullptr);
    EXPECT_EQ(LoadPngImage(0), nullptr);
    Gdiplus::GdiplusShutdown(token);
}

TEST(EnterKey, IsConsumedOnlyInsideAVisibleWorkspace) {
    FundCompareModuleImpl module;
    module.Load(nullptr, nullptr);
    MSG enter{};
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_FALSE(module.PreTranslateMessage(&enter)); // no workspace window
    MSG other = enter;
    other.wParam = VK_ESCAPE;
    EXPECT_FALSE(module.PreTranslateMessage(&other));
    EXPECT_FALSE(module.PreTranslateMessage(nullptr));
}

} // namespace
