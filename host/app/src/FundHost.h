// FundHost: the host application's life — configuration, theme, database, sibling modules, the
// main frame, the fund-comparison module loaded at run time, and the message loop.
#pragma once

#include "CommandLine.h"
#include "ConcernFundModule.h"
#include "DataCommands.h"
#include "FundFilterPage.h"
#include "HoldingsModules.h"
#include "HostApp.h"
#include "MainFrame.h"

#include <hostconf/ConfManager.h>
#include <hostconf/ThemeManager.h>
#include <hostdb/DatabaseModule.h>

#include <memory>
#include <optional>
#include <string>

class FundHost {
public:
    // Exit codes of the program.
    enum ExitCode { kOk = 0, kScriptFailed = 1, kBadStart = 2 };

    FundHost();
    ~FundHost();
    FundHost(const FundHost&) = delete;
    FundHost& operator=(const FundHost&) = delete;

    // Sets everything up. False with the reason when the program cannot run (a bad database, no
    // theme at all), which a program on a display also shows in a message box; a module that will
    // not load is reported in a message box and the host goes on without it.
    bool Start(const CommandLine& line, std::string& error);
    // Runs the message loop until the frame closes; returns the exit code of WM_QUIT.
    int Loop();
    // Offers a message to the pre-message handlers, then translates and dispatches it.
    void HandleMessage(MSG& message);
    // Shuts down in order: module, frame, sibling modules.
    void Stop();

    HostApp* App() const { return m_app; }
    MainFrame* Frame() const { return m_frame; }
    HostConf::ThemeManager* Themes() const { return m_themes; }
    ConcernFundModule* ConcernFunds() const { return m_concern; }
    FundFilterPage* FilterPage() const { return m_filterPage; }
    IFundCompareModule* CompareModule() const { return m_compare; }
    // Switches between the dark and the light theme (the frame's theme button).
    void ToggleTheme();
    // Writes the configuration; a failure is reported in a message box, every time.
    bool SaveSettings();

    // The database the pages read, and whether it is the sample.
    const std::string& DatabasePath() const { return m_databasePath; }
    bool SampleOpen() const { return m_sample; }
    HostConf::ConfManager* Config() const { return m_config; }
    DataCommands* Data() const { return m_data.get(); }
    // Opens another database (or the same file anew, after an import wrote to it) and has every
    // page read from it; the choice is remembered for the next start and in the list of databases.
    // False with the reason, in the window's words, when it will not open: the open one stays.
    bool SwitchDatabase(const std::string& path, std::wstring& error);

    // The folder of the executable, from which the module and the themes are found (beside it in
    // a build tree, in the installation's folders once installed).
    static std::string ProgramFolder();
    // The user's configuration file; empty with the reason when the user has no home folder.
    static std::string DefaultConfigPath(std::string& error);
    // The sample database in the user's data folder, made when it is missing; empty with the
    // reason when the user has no home folder.
    static std::string SampleDatabasePath(std::string& error);

private:
    bool StartUp(const CommandLine& line, std::string& error);
    bool OpenDatabase(const std::string& path, std::string& error);
    void LoadCompareModule(const std::string& path);
    void ReportModuleError(const std::wstring& text);
    // The text of a configuration key; empty when it is not set.
    std::string ConfiguredText(const char* key) const;
    // The first start on the sample database: the comparison tab with sample funds compared.
    void ShowFirstFunds();
    // The frame's size (when useSize) and place remembered from the last run, and remembering them.
    void RememberedWindow(int& width, int& height, std::optional<POINT>& place, bool useSize) const;
    void RememberWindow();
    // The window title and the status bar's note about where the data come from.
    void ShowSource();

    XComPtr<HostApp> m_app;
    XComPtr<HostConf::ConfManager> m_config;
    XComPtr<HostConf::ThemeManager> m_themes;
    XComPtr<HostDb::DatabaseModule> m_database;
    std::string m_databasePath;
    bool m_sample = false;
    std::string m_configPath;
    std::unique_ptr<DataCommands> m_data;
    XComPtr<ConcernFundModule> m_concern;
    XComPtr<MainFrame> m_frame;
    XComPtr<FundFilterPage> m_filterPage;
    XComPtr<HoldingsPage> m_assetPage;
    XComPtr<HoldingsPage> m_industryPage;
    IFundCompareModule* m_compare = nullptr; // lives as long as its library
    void* m_library = nullptr;
    std::string m_themeName;
};
