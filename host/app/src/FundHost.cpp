// FundHost: start-up, the message loop and shut-down.
//
// Sections: start-up; the compare module; the loop; shut-down; paths.
#include "FundHost.h"

#include "DatabaseCheck.h"
#include "InstallPaths.h"
#include "SampleData.h"

#include <SampleDbGenerator.h>
#include <hostconf/RegularFile.h>
#include <platform/display.h>
#include <platform/winnls.h>

#include <algorithm>
#include <optional>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <iterator>
#include <pwd.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

// What the status bar says while the configuration cannot be written.
constexpr const wchar_t* kReadOnlyNote = L"配置文件只读：本次运行中的设置不会保存";

std::wstring wide(const std::string& text) {
    return XStringW::FromUtf8(text).str();
}

} // namespace

FundHost::FundHost() = default;

FundHost::~FundHost() {
    Stop();
}

// ---- Start-up -------------------------------------------------------------------------------------

bool FundHost::Start(const CommandLine& line, std::string& error) {
    if (StartUp(line, error))
        return true;
    // A person who started the program from the desktop sees no terminal: the reason goes into a
    // message box as well as to the caller.
    if (PlatformUsesDisplay())
        MessageBoxW(m_frame != nullptr ? m_frame->Window() : nullptr, wide("无法启动：" + error).c_str(),
                    L"基金分析", MB_OK | MB_ICONERROR);
    return false;
}

bool FundHost::StartUp(const CommandLine& line, std::string& error) {
    m_app.Attach(new HostApp);

    // Configuration: a malformed file is reported and the defaults are used; it is never
    // overwritten with them. A path that is not a file, or a file that cannot be read, stops the
    // program before anything is written there.
    m_config.Attach(new HostConf::ConfManager);
    XStringW confError;
    std::string configPath = line.config;
    if (configPath.empty() && (configPath = DefaultConfigPath(error)).empty())
        return false;
    m_configPath = configPath;
    // No configuration yet: the program starts for the first time (for this configuration).
    std::error_code ignored;
    const bool firstStart = !std::filesystem::exists(configPath, ignored);
    if (!m_config->Load(configPath, confError)) {
        if (!m_config->Usable()) {
            error = confError.ToUtf8();
            return false;
        }
        std::fprintf(stderr, "fundhost: %s\n", confError.ToUtf8().c_str());
    }
    if (m_config->ReadOnly())
        std::fprintf(
            stderr,
            "fundhost: the configuration '%s' is read-only: settings are kept for this session only\n",
            configPath.c_str());
    m_app->SetConfManager(m_config);

    // Theme: the command line, else the configured one, else dark.
    m_themes.Attach(new HostConf::ThemeManager(InstallPaths::ThemeFolder(ProgramFolder())));
    m_themeName = line.theme;
    if (m_themeName.empty()) {
        XComPtr<Conf::IConfKey> key;
        XComPtr<Conf::IConfValue> value;
        if (m_config->GetKey(key.Receive(), "/Quenda2/UserConfig/Theme") && key->GetValue(value.Receive())) {
            XStringW name;
            value->AsString(name);
            m_themeName = name.ToUtf8();
        }
    }
    if (m_themeName.empty())
        m_themeName = "dark";
    // A theme that will not load gives way to the default and then to any theme that loads, and
    // the reason of each one passed over is told.
    std::vector<XStringW> themeFailures;
    std::string chosen = m_themes->SelectFirstLoadable(m_themeName, "dark", themeFailures);
    for (const XStringW& failure : themeFailures)
        std::fprintf(stderr, "fundhost: %s\n", failure.ToUtf8().c_str());
    if (chosen.empty()) {
        error = "no theme could be loaded from " + InstallPaths::ThemeFolder(ProgramFolder());
        return false;
    }
    if (chosen != m_themeName)
        std::fprintf(stderr, "fundhost: using the %s theme\n", chosen.c_str());
    m_themeName = chosen;
    m_app->SetThemeMgr(m_themes);

    // The database: the command line's, else the configured one, else the sample.
    std::string databasePath = line.database;
    bool configured = false;
    if (databasePath.empty()) {
        databasePath = ConfiguredText(SampleData::kDatabaseKey);
        configured = !databasePath.empty();
    }
    if (databasePath.empty() && (databasePath = SampleDatabasePath(error)).empty())
        return false;
    if (!OpenDatabase(databasePath, error)) {
        if (configured)
            error += " (FundHost/Database in " + configPath + ")";
        return false;
    }
    XComPtr<Data::IDatabase> database;
    m_database->GetDatabase(database.Receive());
    const bool sample = SampleData::IsSample(database);
    m_sample = sample;
    // The user's own database opened at start heads the 数据 menu's list, however it was chosen.
    if (!sample)
        DataCommands::Remember(m_config, databasePath);

    m_concern.Attach(new ConcernFundModule(m_config));
    m_app->RegisterModule(ConcernFundModule::kId, m_concern);

    m_frame.Attach(new MainFrame);
    m_app->RegisterModule(MainFrame::kId, m_frame);
    m_frame->AddHostButton(nullptr, "button_fund_filter", L"基金筛选", [this] {
        if (m_frame->FundFilterTab()->PageCount() > 0)
            m_frame->FundFilterTab()->Activate(0);
    });
    m_data = std::make_unique<DataCommands>(*this);
    m_frame->AddHostButton(nullptr, DataCommands::kButtonId, L"数据", [this] { m_data->ShowMenu(); });
    m_frame->SetThemeSwitch([this] { ToggleTheme(); });
    XComPtr<Conf::ITheme> theme;
    if (m_themes->GetCurrentTheme(theme.Receive())) {
        m_frame->ApplyTheme(theme);
        m_data->Importer().ApplyTheme(theme);
    }
    // The window comes back at the size and place it had when the program last closed, unless the
    // command line gives a size.
    int width = line.width, height = line.height;
    std::optional<POINT> place;
    RememberedWindow(width, height, place, !line.sizeGiven);
    // Never smaller than the frame lets a person make it, nor larger than the screen it starts on
    // (a headless screen given by --size may be smaller than that minimum).
    SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    width = std::max(width, std::min<int>(MainFrame::kMinWidth, screen.cx));
    height = std::max(height, std::min<int>(MainFrame::kMinHeight, screen.cy));
    const std::wstring title = L"基金分析";
    if (!m_frame->Create(width, height, sample ? SampleData::Title(title) : title)) {
        error = "cannot create the main window";
        return false;
    }
    if (place && PlatformUsesDisplay())
        SetWindowPos(m_frame->Window(), nullptr, place->x, place->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    // The host's own page comes first in the fund-filter tab; the module's workspace joins it.
    m_filterPage.Attach(new FundFilterPage(m_app, database, m_concern));
    m_filterPage->ApplyTheme(theme);
    m_frame->FundFilterTab()->AddPage(m_filterPage);

    // The allocation modules open a page of one fund's holdings when the module asks them to.
    m_assetPage.Attach(new HoldingsPage(L"资产配置", database, &LoadAssetHoldings));
    m_industryPage.Attach(new HoldingsPage(L"行业配置", database, &LoadIndustryHoldings));
    m_assetPage->ApplyTheme(theme);
    m_industryPage->ApplyTheme(theme);
    m_app->RegisterModule("mod_AssetAllocation",
                          HostKernel::MakeRef<HoldingsModule<IAssetAllocationModule>>(
                              "mod_AssetAllocation", m_frame.Get(), m_assetPage.Get()));
    m_app->RegisterModule("mod_IndustryAllocation",
                          HostKernel::MakeRef<HoldingsModule<IIndustryAllocationModule>>(
                              "mod_IndustryAllocation", m_frame.Get(), m_industryPage.Get()));

    // The sample's invented funds are never taken for real data, and a newcomer learns at once
    // how to add a fund.
    m_frame->SetStatus(firstStart || sample ? SampleData::AddFundHint() : L"就绪");
    if (m_config->ReadOnly())
        m_frame->SetStatus(kReadOnlyNote);
    ShowSource();
    if (line.zoom) {
        // Saved once the frame is there, so that a failure is reported like every other setting's.
        m_config->SetValue("/Quenda2/UserConfig/FontSize", XStringW(std::to_wstring(*line.zoom)));
        SaveSettings();
    }
    LoadCompareModule(line.module.empty() ? InstallPaths::ModuleFile(ProgramFolder()) : line.module);
    if (firstStart && sample)
        ShowFirstFunds();
    else
        m_frame->FundFilterTab()->ActivateTitled(
            XStringW::FromUtf8(ConfiguredText("/Quenda2/Window/Tab")).str());
    return true;
}

std::string FundHost::ConfiguredText(const char* key) const {
    XComPtr<Conf::IConfKey> found;
    XComPtr<Conf::IConfValue> value;
    if (!m_config->GetKey(found.Receive(), key) || found == nullptr || !found->GetValue(value.Receive()) ||
        value == nullptr)
        return {};
    XStringW text;
    value->AsString(text);
    return text.ToUtf8();
}

void FundHost::ShowFirstFunds() {
    if (m_compare == nullptr)
        return;
    XComPtr<Data::IDatabase> database;
    m_database->GetDatabase(database.Receive());
    std::vector<XStringW> codes = SampleData::ShowcaseFunds(database);
    if (codes.empty())
        return;
    // The workspace first, so that the funds load into pages that are on screen.
    m_compare->ShowComparison();
    for (const XStringW& code : codes)
        m_compare->AddFund(code);
    // The configuration file marks the first start as done.
    SaveSettings();
}

bool FundHost::OpenDatabase(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "no fund database given (--db FILE)";
        return false;
    }
    DatabaseCheck::Failure failure;
    XComPtr<HostDb::SqliteDatabase> sqlite = DatabaseCheck::Open(path, failure);
    if (sqlite == nullptr) {
        error = DatabaseCheck::CommandLineText(failure);
        return false;
    }
    // The comparison module reads the universes ahead on a worker thread with a connection of its
    // own, so that no page waits for them on the user-interface thread.
    sqlite->OfferConnections(true);
    m_database.Attach(new HostDb::DatabaseModule);
    m_database->Use(sqlite);
    m_databasePath = path;
    m_app->RegisterModule(HostDb::DatabaseModule::kId, m_database);
    return true;
}

void FundHost::ShowSource() {
    const std::wstring title = L"基金分析";
    SetWindowTextW(m_frame->Window(), (m_sample ? SampleData::Title(title) : title).c_str());
    m_frame->SetSourceNote(m_sample ? SampleData::Notice() : std::wstring());
}

bool FundHost::SwitchDatabase(const std::string& path, std::wstring& error) {
    DatabaseCheck::Failure failure;
    XComPtr<HostDb::SqliteDatabase> sqlite = DatabaseCheck::Open(path, failure);
    if (sqlite == nullptr) {
        error = DatabaseCheck::WindowText(failure);
        return false;
    }
    sqlite->OfferConnections(true);
    m_database->Use(sqlite);
    m_databasePath = path;
    m_sample = SampleData::IsSample(sqlite);
    XComPtr<Data::IDatabase> database;
    m_database->GetDatabase(database.Receive());

    // The host's fund list is made anew on the new database; its filters leave the other pages
    // first, since their values (types, companies) may not exist there.
    if (m_filterPage != nullptr) {
        XComPtr<FundFilterPage> old = m_filterPage;
        if (old->IsCreated())
            old->ClearFilters();
        m_filterPage.Attach(new FundFilterPage(m_app, database, m_concern));
        XComPtr<Conf::ITheme> theme;
        if (m_themes->GetCurrentTheme(theme.Receive()))
            m_filterPage->ApplyTheme(theme);
        m_frame->FundFilterTab()->ReplacePage(old, m_filterPage);
        old->Destroy();
    }
    for (HoldingsPage* page : {m_assetPage.Get(), m_industryPage.Get()})
        if (page != nullptr)
            page->UseDatabase(database);
    // The comparison module takes the new database from "mod_Database" and reads anew.
    XComPtr<Kernel::IEvent> changed;
    changed.Attach(getEvent(kDatabaseChangedEvent));
    if (changed != nullptr)
        changed->Fire(database.Get());
    ShowSource();

    // The sample is what opens when nothing is set, so choosing it forgets the setting.
    if (m_sample)
        m_config->RemoveKey(SampleData::kDatabaseKey);
    else
        m_config->SetValue(SampleData::kDatabaseKey, XStringW::FromUtf8(path));
    DataCommands::Remember(m_config, path);
    SaveSettings();
    return true;
}

// ---- The compare module ---------------------------------------------------------------------------

void FundHost::ReportModuleError(const std::wstring& text) {
    std::fprintf(stderr, "fundhost: %s\n", XStringW(text).ToUtf8().c_str());
    m_frame->SetStatus(text);
    MessageBoxW(m_frame->Window(), text.c_str(), L"提示", MB_OK | MB_ICONWARNING);
}

void FundHost::LoadCompareModule(const std::string& path) {
    // Only a file is handed to the loader, which would wait forever on a pipe.
    HostConf::FileKind kind = HostConf::KindOfPath(path);
    if (kind != HostConf::FileKind::Regular && kind != HostConf::FileKind::Missing) {
        ReportModuleError(L"无法加载基金对比模块：" + wide(path) + L" " + wide(HostConf::DescribeKind(kind)));
        return;
    }
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        const char* reason = dlerror();
        ReportModuleError(L"无法加载基金对比模块：" + wide(reason != nullptr ? reason : path));
        return;
    }
    using Entry = IFundCompareModule* (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(m_library, "ModuleInstance"));
    IFundCompareModule* module = entry != nullptr ? entry() : nullptr;
    if (module == nullptr) {
        ReportModuleError(L"基金对比模块没有入口：" + wide(path));
        return;
    }
    ModuleInfo info;
    module->GetInfo(info);
    module->Load(nullptr, nullptr);
    XStringW error;
    if (module->Initialize(m_app, error) != 0) {
        ReportModuleError(L"基金对比模块初始化失败：" + error.str());
        return;
    }
    m_compare = module;
    m_app->RegisterModule(info.id.str(), module);
}

// ---- The loop -------------------------------------------------------------------------------------

void FundHost::HandleMessage(MSG& message) {
    if (m_app != nullptr && m_app->PreTranslate(&message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int FundHost::Loop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        HandleMessage(message);
    return static_cast<int>(message.wParam);
}

void FundHost::ToggleTheme() {
    std::string next = m_themeName == "dark" ? "light" : "dark";
    XStringW error;
    if (!m_themes->SelectTheme(next, error)) {
        MessageBoxW(m_frame->Window(), error.c_str(), L"提示", MB_OK | MB_ICONWARNING);
        return;
    }
    m_themeName = next;
    XComPtr<Conf::ITheme> theme;
    if (m_themes->GetCurrentTheme(theme.Receive())) {
        m_frame->ApplyTheme(theme);
        for (HoldingsPage* page : {m_assetPage.Get(), m_industryPage.Get()})
            if (page != nullptr)
                page->ApplyTheme(theme);
        if (m_filterPage != nullptr)
            m_filterPage->ApplyTheme(theme);
        if (m_data != nullptr)
            m_data->Importer().ApplyTheme(theme);
    }
    m_config->SetValue("/Quenda2/UserConfig/Theme", XStringW::FromUtf8(next));
    SaveSettings();
}

bool FundHost::SaveSettings() {
    XStringW error;
    if (m_config == nullptr || m_config->Save(error))
        return true;
    // A read-only configuration is no surprise after the first note: the status bar keeps saying
    // so instead of a box at every change.
    if (m_config->ReadOnly()) {
        if (m_frame != nullptr)
            m_frame->SetStatus(kReadOnlyNote);
        return false;
    }
    // Told every time, in the words and the box the followed funds use for the same failure.
    MessageBoxW(m_frame != nullptr ? m_frame->Window() : nullptr, error.c_str(), L"提示",
                MB_OK | MB_ICONWARNING);
    return false;
}

// ---- Shut-down ------------------------------------------------------------------------------------

void FundHost::Stop() {
    // An import still running is cancelled (it writes nothing) before anything it reports to goes.
    m_data.reset();
    if (m_compare != nullptr) {
        m_compare->Uninitialize();
        m_compare = nullptr;
    }
    RememberWindow();
    if (m_filterPage != nullptr)
        m_filterPage->Destroy();
    for (HoldingsPage* page : {m_assetPage.Get(), m_industryPage.Get()})
        if (page != nullptr)
            page->Destroy();
    m_assetPage = nullptr;
    m_industryPage = nullptr;
    if (m_frame != nullptr)
        m_frame->Destroy();
    m_filterPage = nullptr;
    if (m_app != nullptr)
        m_app->Clear();
    m_frame = nullptr;
    m_concern = nullptr;
    m_database = nullptr;
    // The module's library stays loaded: its static module object may still be referenced by the
    // host's events until the process ends.
}

// ---- The window's size and place -----------------------------------------------------------------

namespace {

constexpr const char* kWindowNode = "/Quenda2/Window";

std::optional<int> configNumber(HostConf::ConfManager* config, const std::string& path) {
    XComPtr<Conf::IConfKey> key;
    XComPtr<Conf::IConfValue> value;
    if (config == nullptr || !config->GetKey(key.Receive(), path.c_str()) || !key->GetValue(value.Receive()))
        return std::nullopt;
    double number = value->AsDouble();
    if (!(number > -100000 && number < 100000))
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

void FundHost::RememberedWindow(int& width, int& height, std::optional<POINT>& place, bool useSize) const {
    std::string node = kWindowNode;
    auto w = configNumber(m_config, node + "/Width");
    auto h = configNumber(m_config, node + "/Height");
    SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (useSize && w && h) {
        // A size from another screen is fitted into this one.
        width = std::clamp(*w, MainFrame::kMinWidth, std::max<int>(MainFrame::kMinWidth, screen.cx));
        height = std::clamp(*h, MainFrame::kMinHeight, std::max<int>(MainFrame::kMinHeight, screen.cy));
    }
    auto x = configNumber(m_config, node + "/X");
    auto y = configNumber(m_config, node + "/Y");
    if (x && y && *x < screen.cx - 40 && *y < screen.cy - 40 && *x > -width + 40 && *y >= 0)
        place = POINT{*x, *y};
}

void FundHost::RememberWindow() {
    if (m_frame == nullptr || m_config == nullptr)
        return;
    RECT r = m_frame->LastWindowRect();
    if (r.right - r.left <= 0 || r.bottom - r.top <= 0)
        return;
    std::string node = kWindowNode;
    m_config->SetValue((node + "/X").c_str(), XStringW(std::to_wstring(r.left)));
    m_config->SetValue((node + "/Y").c_str(), XStringW(std::to_wstring(r.top)));
    m_config->SetValue((node + "/Width").c_str(), XStringW(std::to_wstring(r.right - r.left)));
    m_config->SetValue((node + "/Height").c_str(), XStringW(std::to_wstring(r.bottom - r.top)));
    // The tab the session ended on, where the next one begins.
    m_config->SetValue((node + "/Tab").c_str(), XStringW(m_frame->FundFilterTab()->CurrentTitle()));
    XStringW error;
    if (!m_config->Path().empty() && !m_config->ReadOnly() && !m_config->Save(error))
        std::fprintf(stderr, "fundhost: %s\n", error.ToUtf8().c_str());
}

// ---- Paths ----------------------------------------------------------------------------------------

std::string FundHost::ProgramFolder() {
    return InstallPaths::ProgramFolder();
}

namespace {

// The user's home folder: $HOME, else the one the password database gives the user. Empty with
// the reason when neither is known; files are never put in whatever folder the program was
// started from instead.
std::filesystem::path homeFolder(std::string& error) {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && *found->pw_dir != '\0')
        return found->pw_dir;
    error = "cannot tell where your files go: HOME is not set and the user has no home folder; "
            "set HOME, or give --config FILE and --db FILE";
    return {};
}

// An XDG base folder from its variable (taken only when it is an absolute path, as the XDG rules
// say), else the folder below the home folder.
std::filesystem::path baseFolder(const char* variable, const char* belowHome, std::string& error) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    std::filesystem::path home = homeFolder(error);
    return home.empty() ? home : home / belowHome;
}

} // namespace

std::string FundHost::SampleDatabasePath(std::string& error) {
    std::filesystem::path base = baseFolder("XDG_DATA_HOME", ".local/share", error);
    if (base.empty())
        return {};
    std::filesystem::path path = base / "fundcompare" / "sample.db";
    if (std::filesystem::exists(path))
        return path.string();
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::printf("fundhost: making the sample database %s (first run)\n", path.string().c_str());
    std::string failure = SampleDb::Generate(path.string(), SampleDb::Options{});
    if (!failure.empty())
        std::fprintf(stderr, "fundhost: %s\n", failure.c_str());
    return path.string();
}

std::string FundHost::DefaultConfigPath(std::string& error) {
    std::filesystem::path base = baseFolder("XDG_CONFIG_HOME", ".config", error);
    if (base.empty())
        return {};
    std::error_code ignored;
    std::filesystem::create_directories(base / "fundcompare", ignored);
    return (base / "fundcompare" / "config.xml").string();
}
