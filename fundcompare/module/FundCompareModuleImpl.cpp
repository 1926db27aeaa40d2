// FundCompareModuleImpl: identity, initialisation, the compared-fund set and the Enter key.
//
// Sections: identity and life; initialisation; the compared-fund set; messages and events.
#include "module/FundCompareModuleImpl.h"

#include "pages/common/SqlCodeList.h"

#include <sdk/ControlDataGrid.h>
#include <sdk/ControlStarMap.h>

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
    for (const char* name : {kThemeChanged, kShowCommand, kDatabaseChangedEvent}) {
        XComPtr<Kernel::IEvent> event;
        event.Attach(getEvent(name));
        if (event != nullptr) {
            event->Unsubscribe(&FundCompareModuleImpl::OnThemeChanged, this);
            event->Unsubscribe(&FundCompareModuleImpl::OnShowComparison, this);
            event->Unsubscribe(&FundCompareModuleImpl::OnDatabaseChanged, this);
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
    m_workspace.SetContext(this);
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

    XComPtr<Kernel::IEvent> databaseChanged;
    databaseChanged.Attach(createEvent(kDatabaseChangedEvent));
    if (databaseChanged != nullptr) {
        // Once, however often the module is initialised.
        databaseChanged->Unsubscribe(&FundCompareModuleImpl::OnDatabaseChanged, this);
        databaseChanged->Subscribe(&FundCompareModuleImpl::OnDatabaseChanged, this);
    }

    XComPtr<Kernel::IEvent> showCommand;
    showCommand.Attach(createEvent(kShowCommand));
    if (showCommand != nullptr)
        showCommand->Subscribe(&FundCompareModuleImpl::OnShowComparison, this);

    ButtonDesc button;
    button.caption = L"对比分析";
    button.event = showCommand;
    m_mainFrame->AddButton("button_fund_filter", "button_compare", button);

    app->AddPreMessageHandler(kHandlerPriority, this);

    m_settings.Attach(app);
    RestoreFunds();
    // The fund picker's list, the universes, and the histories of a compared set given back, are
    // read while the user looks at the first page. The list only serves a workspace that has not
    // read it yet.
    m_readAhead.SetListener([this](AheadKind kind) { m_workspace.OnReadAheadArrived(kind); });
    m_readAhead.Start(m_database, std::vector<XStringW>(m_funds.begin(), m_funds.end()),
                      m_workspace.IsCreated() ? XStringW() : BackgroundPage::FundsSource());
    // A workspace left waiting for a list that an earlier start of the reading was to bring asks
    // again: the list is read anew, or here when nothing reads ahead any more.
    if (m_workspace.FundsArriving())
        m_workspace.OnFundsReadAhead();
    return 0;
}

void FundCompareModuleImpl::Uninitialize() {
    // A workspace still open is remembered now, while its windows exist.
    if (m_workspace.IsCreated())
        OnWorkspaceClosing();
    m_readAhead.Stop();
    m_tabCtrl = nullptr;
    m_settings.Detach();
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
    FundsChanged();
    // A note about an earlier removal or undo would read as if it described this addition.
    if (m_setNoteShown) {
        m_setNoteShown = false;
        PostNote(Control::StatusNote());
    }
    m_workspace.OnFundsAdded();
    FireCompareChanged();
    return kAdded;
}

bool FundCompareModuleImpl::RemoveFund(const XStringW& code) {
    return m_funds.erase(code) != 0;
}

bool FundCompareModuleImpl::RemoveFunds(const std::vector<XStringW>& codes) {
    std::vector<XStringW> removed;
    for (const XStringW& code : codes)
        if (RemoveFund(code))
            removed.push_back(code);
    if (removed.empty())
        return false;
    NotifyFundsChanged(XStringW());
    // A Delete pressed on the wrong rows should cost no more than Ctrl+Z.
    const size_t count = removed.size();
    Remember(UndoStep{UndoStep::Kind::Removed, std::move(removed), {}});
    NoteSetChange(XStringW(L"已移除" + std::to_wstring(count) + L"只对比基金。"));
    return true;
}

void FundCompareModuleImpl::ClearFunds() {
    // Up to a hundred funds should not be lost to one click: the set is kept for Ctrl+Z.
    std::vector<XStringW> cleared(m_funds.begin(), m_funds.end());
    m_funds.clear();
    FundsChanged();
    if (!cleared.empty()) {
        const size_t count = cleared.size();
        Remember(UndoStep{UndoStep::Kind::Cleared, std::move(cleared), {}});
        NoteSetChange(XStringW(L"已清除" + std::to_wstring(count) + L"只对比基金。"));
    }
    m_workspace.OnFundsCleared();
}

bool FundCompareModuleImpl::NotifyFundsChanged(XStringW) {
    FundsChanged();
    m_workspace.OnFundsRemoved();
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
    if (message == nullptr)
        return false;
    if (message->message != WM_KEYDOWN || message->wParam != VK_RETURN)
        return m_keys.Handle(*message);
    HWND workspace = m_workspace.Window();
    if (workspace == nullptr || !IsWindowVisible(workspace) || !m_workspace.FocusInPicker())
        return false;
    m_workspace.AddFromPicker();
    return true;
}

AheadResult FundCompareModuleImpl::FetchAhead(const AheadRequest& request) {
    return m_readAhead.Fetch(request);
}

void FundCompareModuleImpl::ReportQueryError(HWND owner, const XStringW& error) {
    MessageBoxW(owner, error.c_str(), L"ERROR", MB_OK);
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

void FundCompareModuleImpl::OnDatabaseChanged(void*, void* context) {
    static_cast<FundCompareModuleImpl*>(context)->FollowDatabase();
}

void FundCompareModuleImpl::FollowDatabase() {
    XComPtr<IModule> module;
    XComPtr<Data::IDatabase> database;
    if (m_app == nullptr || !m_app->GetModule(module.Receive(), "mod_Database"))
        return;
    XComPtr<IDbModule> dbModule = module.As<IDbModule>();
    if (dbModule == nullptr || !dbModule->GetDatabase(database.Receive()) || database == nullptr)
        return;
    m_database = database;
    // An undo would bring back funds of the other database, which this one may lack.
    m_undo.clear();
    std::vector<XStringW> dropped;
    std::vector<XStringW> kept = ExistingFunds(std::vector<XStringW>(m_funds.begin(), m_funds.end()), dropped);
    if (!dropped.empty()) {
        m_funds = FundCodeSet(kept.begin(), kept.end());
        FundsChanged();
    }
    // Whatever was read ahead from the other database is forgotten; the picker's list and the
    // compared funds' histories are read from this one.
    m_readAhead.Start(m_database, kept, BackgroundPage::FundsSource());
    m_workspace.OnDatabaseChanged();
    NoteDropped(dropped);
    if (!dropped.empty())
        FireCompareChanged();
}

// ---- What the comparison remembers, and undoing ---------------------------------------------------

void FundCompareModuleImpl::FundsChanged() {
    if (!m_restored || !m_settings.Available())
        return;
    XStringW error;
    std::vector<XStringW> codes(m_funds.begin(), m_funds.end());
    m_settings.SaveFunds(codes, error);
}

std::vector<XStringW> FundCompareModuleImpl::ExistingFunds(const std::vector<XStringW>& codes,
                                                           std::vector<XStringW>& dropped) {
    dropped.clear();
    if (codes.empty() || m_database == nullptr)
        return codes;
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    XStringW sql(L"select code from tb_fund where not isdeleted and code in (" +
                 SqlCodeList::JoinQuoted(codes).str() + L")");
    // A database that cannot answer must not cost the user a fund.
    if (table == nullptr || !m_database->Execute(sql.c_str(), table, 1, 0))
        return codes;
    std::set<XStringW, FundCodeLess> present;
    for (int r = 0; r < table->GetRowCount(); ++r) {
        XComPtr<Data::IDataRow> row;
        if (table->GetRow(row.Receive(), r) && row && row->GetValueAt(0) != nullptr)
            present.insert(row->GetValueAt(0)->ToString());
    }
    std::vector<XStringW> kept;
    for (const XStringW& code : codes)
        (present.count(code) != 0 ? kept : dropped).push_back(code);
    return kept;
}

void FundCompareModuleImpl::NoteDropped(const std::vector<XStringW>& dropped) {
    if (dropped.empty())
        return;
    std::wstring list;
    for (size_t i = 0; i < dropped.size() && i < 5; ++i)
        list += (i > 0 ? L"、" : L"") + dropped[i].str();
    if (dropped.size() > 5)
        list += L"等";
    Control::StatusNote note;
    note.text = XStringW(std::to_wstring(dropped.size()) + L"只基金已不在数据库中，已从对比中移除：" + list);
    ShowNote(note);
}

void FundCompareModuleImpl::RestoreFunds() {
    m_restored = true;
    CompareSettings::Session session = m_settings.LoadSession();
    m_session.SetPending(session);
    if (!session.funds || session.funds->empty())
        return;
    std::vector<XStringW> dropped;
    std::vector<XStringW> kept = ExistingFunds(*session.funds, dropped);
    m_funds.clear();
    for (const XStringW& code : kept)
        if (m_funds.size() < kMaxFunds)
            m_funds.insert(code);
    if (!dropped.empty()) {
        NoteDropped(dropped);
        std::vector<XStringW> codes(m_funds.begin(), m_funds.end());
        XStringW error;
        m_settings.SaveFunds(codes, error);
    }
    FireCompareChanged();
}

void FundCompareModuleImpl::ReplaceFunds(const std::vector<XStringW>& codes, const XStringW& text) {
    std::vector<XStringW> dropped;
    std::vector<XStringW> kept = ExistingFunds(codes, dropped);
    FundCodeSet previous = m_funds;
    m_funds.clear();
    for (const XStringW& code : kept)
        if (m_funds.size() < kMaxFunds)
            m_funds.insert(code);
    NotifyFundsChanged(XStringW());
    UndoStep step{UndoStep::Kind::Replaced, {}, {}};
    for (const XStringW& code : previous)
        if (m_funds.count(code) == 0)
            step.taken.push_back(code);
    for (const XStringW& code : m_funds)
        if (previous.count(code) == 0)
            step.brought.push_back(code);
    if (!step.taken.empty() || !step.brought.empty())
        Remember(std::move(step));
    std::wstring note = text.str() + L"（" + std::to_wstring(m_funds.size()) + L"只基金）。";
    if (!dropped.empty())
        note += std::to_wstring(dropped.size()) + L"只已不在数据库中的基金未加入。";
    NoteSetChange(XStringW(note));
}

void FundCompareModuleImpl::Remember(UndoStep step) {
    m_undo.push_back(std::move(step));
    if (m_undo.size() > kMaxUndo)
        m_undo.erase(m_undo.begin());
}

bool FundCompareModuleImpl::Undo() {
    if (m_undo.empty())
        return false;
    UndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    for (const XStringW& code : step.brought)
        m_funds.erase(code);
    // Funds added since the step stay, so the set may have no room left for all that come back.
    size_t refused = 0;
    for (const XStringW& code : step.taken) {
        if (m_funds.count(code) != 0)
            continue;
        if (m_funds.size() >= kMaxFunds) {
            ++refused;
            continue;
        }
        m_funds.insert(code);
    }
    NotifyFundsChanged(XStringW());
    std::wstring text = step.kind == UndoStep::Kind::Replaced
                            ? L"已恢复打开对比组合前的" + std::to_wstring(m_funds.size()) + L"只对比基金。"
                            : L"已恢复" + std::to_wstring(step.taken.size() - refused) + L"只对比基金。";
    if (refused > 0)
        text += std::to_wstring(refused) + L"只因对比已满100只未能恢复。";
    NoteSetChange(XStringW(text));
    return true;
}

void FundCompareModuleImpl::NoteSetChange(const XStringW& text) {
    Control::StatusNote note;
    note.text = text;
    if (!m_undo.empty()) {
        note.action = L"撤销 (Ctrl+Z)";
        note.target = m_workspace.Window();
        note.command = kUndoCommand;
    }
    PostNote(note);
    m_setNoteShown = true;
}

void FundCompareModuleImpl::ShowNote(const Control::StatusNote& note) {
    m_setNoteShown = false;
    PostNote(note);
}

void FundCompareModuleImpl::PostNote(const Control::StatusNote& note) {
    if (Control::ShowStatusNote(m_workspace.Window(), note))
        return;
    // Before the workspace has a window the note goes to the frame among the top-level windows.
    struct Search {
        const Control::StatusNote* note;
        bool shown = false;
    } search{&note};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            s->shown =
                SendMessageW(window, Control::kStatusNoteMessage, 0, reinterpret_cast<LPARAM>(s->note)) != 0;
            return s->shown ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.shown)
        m_pendingNote = note;
}

namespace {

// Files and pictures of a page are proposed under the page's tab caption.
void namePage(HWND page, const XStringW& caption) {
    struct Names {
        const XStringW* caption;
    } names{&caption};
    EnumChildWindows(
        page,
        [](HWND window, LPARAM context) -> BOOL {
            const XStringW& name = *reinterpret_cast<Names*>(context)->caption;
            Control::XWin* object = Control::XWin::FromHandle(window);
            if (auto* grid = dynamic_cast<Control::DataGridEx*>(object))
                grid->SetExportName(name);
            else if (auto* chart = dynamic_cast<Control::FundStarMap*>(object))
                chart->SetPictureName(name.str());
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&names));
}

} // namespace

void FundCompareModuleImpl::OnWorkspaceCreated() {
    for (int i = 0; i < m_workspace.PageCount(); ++i)
        if (ComparePage* page = m_workspace.Page(i))
            namePage(page->GetHandle(), m_workspace.Header().GetButtonText(i));
    // The general page loads only on a change of the set: a set restored at start is one.
    if (!m_funds.empty())
        m_workspace.General().Reload();
    m_session.OnWorkspaceCreated();
    if (m_pendingNote) {
        Control::StatusNote note = *m_pendingNote;
        m_pendingNote.reset();
        PostNote(note);
    }
}

void FundCompareModuleImpl::ActivateWorkspace() {
    HWND window = m_workspace.Window();
    if (m_mainFrame != nullptr && (window == nullptr || !IsWindowVisible(window)))
        m_mainFrame->ActivatePage(&m_workspace);
}

void FundCompareModuleImpl::OnPageShown(int index) {
    m_session.OnPageShown(index);
}

void FundCompareModuleImpl::OnWorkspaceClosing() {
    if (!m_settings.Available() || !m_workspace.IsCreated())
        return;
    XStringW error;
    m_settings.SaveSession(m_session.Capture(), error);
}
