// FundCompareModuleImpl: identity, initialisation, the compared-fund set and the Enter key.
//
// Sections: identity and life; initialisation; the compared-fund set; messages and events.
#include "module/FundCompareModuleImpl.h"

#include <platform/winuser.h>
#include <sdk/Kernel.h>

namespace {

constexpr const char kCompareChanged[] = "event_compare_changed";
constexpr const char kThemeChanged[] = "event_theme_changed";
constexpr const char kShowCommand[] = "cmd_fund_compare";
constexpr const char kFundFilterTab[] = "kap_tab_fundfilter";
constexpr int kHandlerPriority = 500;

} // namespace

// ---- Identity and life ----------------------------------------------------------------------------

FundCompareModuleImpl::FundCompareModuleImpl() = default;

FundCompareModuleImpl::~FundCompareModuleImpl() {
    // The host's events outlive the library: leave no callback into code that is being unloaded.
    for (const char* name : {kThemeChanged, kShowCommand}) {
        XComPtr<Kernel::IEvent> event;
        event.Attach(getEvent(name));
        if (event != nullptr) {
            event->Unsubscribe(&FundCompareModuleImpl::OnThemeChanged, this);
            event->Unsubscribe(&FundCompareModuleImpl::OnShowComparison, this);
        }
    }
}

bool FundCompareModuleImpl::GetInfo(ModuleInfo& info) {
    info.id = "mod_FundCompare";
    info.title = L"基金对比模块";
    info.number = 9763;
    info.version = 0x01000001;
    return true;
}

int FundCompareModuleImpl::Load(void*, void*) {
    m_compareChanged.Attach(createEvent(kCompareChanged));
    m_workspace.SetModule(this);
    if (m_filter == nullptr)
        m_filter.Attach(new ComparingFundFilter(this));
    return 0;
}

// ---- Initialisation -------------------------------------------------------------------------------

int FundCompareModuleImpl::Initialize(IApp* app, XStringW& error) {
    m_app = app;
    if (app == nullptr) {
        error = L"找不到数据库模块";
        return 1;
    }

    XComPtr<IModule> module;
    app->GetModule(module.Receive(), "mod_Database");
    XComPtr<IDbModule> dbModule = module.As<IDbModule>();
    if (dbModule == nullptr) {
        error = L"找不到数据库模块";
        return 1;
    }
    dbModule->GetDatabase(m_database.Receive());

    app->GetModule(module.Receive(), "mod_MainFrame");
    m_mainFrame = module.As<IMainFrameModule>();
    if (m_mainFrame == nullptr) {
        error = L"无法获取主窗口模块";
        return 1;
    }

    // A main frame without the fund-filter tab leaves the workspace nowhere to live.
    if (!m_mainFrame->GetTabCtrl(m_tabCtrl.Receive(), kFundFilterTab) || m_tabCtrl == nullptr) {
        error = L"无法获取基金筛选标签页";
        return 1;
    }
    m_tabCtrl->AddPage(&m_workspace);

    XComPtr<Conf::IThemeMgr> themes;
    if (app->GetThemeMgr(themes.Receive()) && themes != nullptr) {
        XComPtr<Conf::ITheme> theme;
        if (themes->GetCurrentTheme(theme.Receive()) && theme != nullptr)
            m_workspace.ApplyTheme(theme);
    }

    XComPtr<Kernel::IEvent> themeChanged;
    themeChanged.Attach(getEvent(kThemeChanged));
    if (themeChanged != nullptr)
        themeChanged->Subscribe(&FundCompareModuleImpl::OnThemeChanged, this);

    XComPtr<Kernel::IEvent> showCommand;
    showCommand.Attach(createEvent(kShowCommand));
    if (showCommand != nullptr)
        showCommand->Subscribe(&FundCompareModuleImpl::OnShowComparison, this);

    ButtonDesc button;
    button.caption = L"对比分析";
    button.event = showCommand;
    m_mainFrame->AddButton("button_fund_filter", "button_compare", button);

    app->AddPreMessageHandler(kHandlerPriority, this);
    return 0;
}

void FundCompareModuleImpl::Uninitialize() {
    m_tabCtrl = nullptr;
}

void FundCompareModuleImpl::ShowComparison() {
    int shows = m_workspace.ShowCount();
    m_workspace.Performance().ClearList();
    if (m_mainFrame != nullptr)
        m_mainFrame->ActivatePage(&m_workspace);
    // The list emptied above is refilled by the show message of the workspace. A workspace that
    // was already on screen gets none, so its page is shown again here as that message would.
    HWND workspace = m_workspace.Window();
    if (m_workspace.ShowCount() == shows && workspace != nullptr && IsWindowVisible(workspace))
        m_workspace.ShowCurrentPageAgain();
}

// ---- The compared-fund set ------------------------------------------------------------------------

int FundCompareModuleImpl::AddFund(XStringW code) {
    // The size test comes first: a full set answers "full" even for a code it holds.
    if (m_funds.size() >= kMaxFunds)
        return kFull;
    if (m_funds.count(code) != 0)
        return kPresent;
    m_funds.insert(code);

    m_workspace.General().Reload();
    m_workspace.Performance().ReloadIfVisible();
    m_workspace.RiskReturn().ReloadIfVisible();
    if (m_workspace.Asset().IsWindowVisible())
        m_workspace.Asset().Reload(true);
    else if (m_workspace.Industry().IsWindowVisible())
        m_workspace.Industry().Reload(true);
    m_workspace.Growth().ReloadIfVisible();
    FireCompareChanged();
    return kAdded;
}

bool FundCompareModuleImpl::RemoveFund(const XStringW& code) {
    return m_funds.erase(code) != 0;
}

void FundCompareModuleImpl::ClearFunds() {
    m_funds.clear();
    m_workspace.General().Reload();
    m_workspace.Performance().ClearList();
    m_workspace.Performance().ReloadIfVisible();
    m_workspace.Industry().ClearList();
    m_workspace.Asset().ClearList();
    m_workspace.RiskReturn().ReloadIfVisible();
    m_workspace.Growth().ClearData();
    m_workspace.Growth().ReloadIfVisible();
}

bool FundCompareModuleImpl::NotifyFundsChanged(XStringW) {
    m_workspace.General().Reload();
    m_workspace.Performance().ReloadIfVisible();
    m_workspace.RiskReturn().ReloadIfVisible();
    m_workspace.Industry().ReloadIfVisible();
    m_workspace.Asset().ReloadIfVisible();
    m_workspace.Growth().ReloadIfVisible();
    FireCompareChanged();
    return true;
}

bool FundCompareModuleImpl::IsCompared(XStringW code) {
    return m_funds.count(code) != 0;
}

XComPtr<Data::IDataFilter> FundCompareModuleImpl::GetCompareFilter() {
    return XComPtr<Data::IDataFilter>(m_filter.Get());
}

void FundCompareModuleImpl::FireCompareChanged() {
    if (m_compareChanged != nullptr)
        m_compareChanged->Fire(nullptr);
}

// ---- Messages and events --------------------------------------------------------------------------

bool FundCompareModuleImpl::PreTranslateMessage(MSG* message) {
    if (message == nullptr || message->message != WM_KEYDOWN || message->wParam != VK_RETURN)
        return false;
    HWND workspace = m_workspace.Window();
    if (workspace == nullptr || !IsWindowVisible(workspace) || !m_workspace.FocusInPicker())
        return false;
    m_workspace.AddFromPicker();
    return true;
}

void FundCompareModuleImpl::ApplyTheme(Conf::ITheme* theme) {
    m_workspace.ApplyTheme(theme);
}

void FundCompareModuleImpl::OnThemeChanged(void* argument, void* context) {
    static_cast<FundCompareModuleImpl*>(context)->ApplyTheme(static_cast<Conf::ITheme*>(argument));
}

void FundCompareModuleImpl::OnShowComparison(void*, void* context) {
    static_cast<FundCompareModuleImpl*>(context)->ShowComparison();
}
