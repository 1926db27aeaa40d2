// ModuleHost: the module started over a fund database in a host of fakes, with a top-level window
// to hold its workspace or one of its pages — the one start-up of every test that drives the
// module's workspace or pages headless. A test makes it, starts it over a database file (through a
// wrapper of its own when it wants to watch or break the database), and drives module.
//
// Teardown, in the destructor or Stop: the worker let go, the module uninitialised (a workspace
// still open remembers what it shows), the window destroyed, the messages still queued run.
#pragma once

#include "FakeHost.h"
#include "module/FundCompareModuleImpl.h"

#include <hostdb/SqliteDatabase.h>
#include <hostkernel/RefCounted.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

// How a ModuleHost starts.
struct ModuleHostOptions {
    // The headless screen.
    int screenWidth = 1280;
    int screenHeight = 800;
    // Whether the database offers the module further connections to read ahead on.
    bool readAhead = false;
    // The worker waits before each job until released (HoldWorker false).
    bool holdWorker = false;
    // Stands between the module and the database, when given.
    std::function<XComPtr<Data::IDatabase>(Data::IDatabase*)> serve;
};

class ModuleHost {
public:
    using Options = ModuleHostOptions;

    ModuleHost() : ModuleHost(HostKernel::MakeRef<FakeApp>()) {}
    // A host whose application object the test prepared (a configuration, sibling modules).
    explicit ModuleHost(XComPtr<FakeApp> application) : app(std::move(application)) {}
    ~ModuleHost() { Stop(); }
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    // Starts the headless screen (with no message box or menu left from before) and joins the
    // module to the host over the database file. A database that does not open, or a module that
    // refuses the host, fails the test and returns false.
    bool Start(const std::string& path, const Options& options = Options()) {
        PlatformStartHeadless(options.screenWidth, options.screenHeight);
        PlatformClearMessageBoxes();
        PlatformClearMenus();
        XStringW error;
        database = HostDb::SqliteDatabase::Open(path, error);
        EXPECT_NE(database, nullptr) << error.ToUtf8();
        if (database == nullptr)
            return false;
        database->OfferConnections(options.readAhead);
        served = options.serve ? options.serve(database.Get()) : XComPtr<Data::IDatabase>(database.Get());
        databaseModule->database = served.Get();
        app->modules["mod_Database"] = databaseModule.Get();
        app->modules["mod_MainFrame"] = mainFrame.Get();
        module.Ahead().HoldWorker(options.holdWorker);
        module.Load(nullptr, nullptr);
        const int started = module.Initialize(app, error);
        EXPECT_EQ(started, 0) << error.ToUtf8();
        return started == 0;
    }

    // A visible top-level window at the screen's origin, of its own class, for the workspace or a
    // page.
    HWND MakeWindow(int width, int height, WNDPROC procedure = DefWindowProcW) {
        // A class per window procedure: a class registered once keeps its procedure.
        const std::wstring className =
            L"ModuleHostWindow" + std::to_wstring(reinterpret_cast<std::uintptr_t>(procedure));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className.c_str();
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, className.c_str(), L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                 width, height, nullptr, nullptr, wc.hInstance, nullptr);
        EXPECT_NE(window, nullptr);
        return window;
    }

    // The workspace made in the window, filling it, themed when a theme is given, and shown; the
    // messages this queued are run unless the test wants to see what comes before them.
    bool ShowWorkspace(Conf::ITheme* theme = nullptr, bool settle = true) {
        RECT client{};
        GetClientRect(window, &client);
        if (module.Workspace().Create(window, mainFrame->tab) == nullptr) {
            ADD_FAILURE() << "the workspace was not made";
            return false;
        }
        if (theme != nullptr)
            module.Workspace().ApplyTheme(theme);
        module.Workspace().Move(0, 0, client.right, client.bottom);
        module.Workspace().Show();
        if (settle)
            PlatformRunUntilIdle();
        return true;
    }

    // Hands the module's keys the messages first, as the host's loop does.
    void RouteKeysThroughModule() {
        FundCompareModuleImpl* target = &module;
        PlatformSetMessageHandler([target](MSG& message) {
            if (target->PreTranslateMessage(&message))
                return;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        });
    }

    void Stop() {
        if (stopped)
            return;
        stopped = true;
        PlatformSetMessageHandler({});
        module.Ahead().HoldWorker(false);
        module.Uninitialize();
        if (window != nullptr)
            DestroyWindow(window);
        window = nullptr;
        PlatformRunUntilIdle();
    }

    XComPtr<FakeApp> app;
    XComPtr<FakeMainFrame> mainFrame = HostKernel::MakeRef<FakeMainFrame>();
    XComPtr<FakeDbModule> databaseModule = HostKernel::MakeRef<FakeDbModule>();
    XComPtr<HostDb::SqliteDatabase> database; // the file opened
    XComPtr<Data::IDatabase> served;          // what the module was given
    FundCompareModuleImpl module;
    HWND window = nullptr;

private:
    bool stopped = false;
};
