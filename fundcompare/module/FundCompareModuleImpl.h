// FundCompareModuleImpl: the one module object. It owns the set of compared funds, the filter the
// host uses to show only them, the read-ahead and the workspace with its pages; it joins the host
// at initialisation (database, main-frame tab, toolbar button, theme and command events, the Enter
// key in the fund picker). To the workspace and the pages it is their context (WorkspaceContext,
// CompareContext), the one way they reach it.
#pragma once

#include "module/ComparingFundFilter.h"
#include "module/ReadAhead.h"
#include "wgui/PngImage.h"
#include "workspace/BackgroundPage.h"
#include "workspace/CompareSettings.h"
#include "workspace/WorkspaceContext.h"
#include "workspace/WorkspaceKeys.h"
#include "workspace/WorkspaceSession.h"

#include <sdk/ControlStatusNote.h>
#include <sdk/Modules.h>

#include <optional>
#include <set>
#include <vector>

class FundCompareModuleImpl : public IFundCompareModule, public IPreMessageHandler, public WorkspaceContext {
public:
    static constexpr size_t kMaxFunds = 100;

    FundCompareModuleImpl();
    ~FundCompareModuleImpl();
    FundCompareModuleImpl(const FundCompareModuleImpl&) = delete;
    FundCompareModuleImpl& operator=(const FundCompareModuleImpl&) = delete;

    // The object lives as long as the library: references change nothing.
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }

    bool GetInfo(ModuleInfo& info) override;
    int Load(void* reserved1, void* reserved2) override;
    int Initialize(IApp* app, XStringW& error) override;
    void Uninitialize() override;
    void ClearFunds() override;
    int AddFund(XStringW code) override;
    bool NotifyFundsChanged(XStringW reserved) override;
    void ShowComparison() override;
    bool IsCompared(XStringW code) override;
    XComPtr<Data::IDataFilter> GetCompareFilter() override;

    bool PreTranslateMessage(MSG* message) override;

    // Reloads nothing and fires nothing (callers follow with NotifyFundsChanged).
    bool RemoveFund(const XStringW& code);

    // ---- The pages' context ----
    const FundCodeSet& Funds() const override { return m_funds; }
    IApp* App() const override { return m_app; }
    Data::IDatabase* Database() const override { return m_database; }
    AheadResult FetchAhead(const AheadRequest& request) override;
    void ShowNote(const Control::StatusNote& note) override;
    bool RemoveFunds(const std::vector<XStringW>& codes) override;
    void ReportQueryError(HWND owner, const XStringW& error) override;

    BackgroundPage& Workspace() { return m_workspace; }
    // The universes and histories read ahead on a worker thread (unavailable when the database
    // offers no further connection: the pages then read for themselves).
    ReadAhead& Ahead() { return m_readAhead; }

    // ---- The workspace's context: what the comparison remembers, and undoing ----
    CompareSettings& Settings() override { return m_settings; }
    WorkspaceKeys& Keys() { return m_keys; }
    void ReplaceFunds(const std::vector<XStringW>& codes, const XStringW& note) override;
    bool Undo() override;
    // How many steps Ctrl+Z can still undo.
    size_t UndoDepth() const { return m_undo.size(); }
    void ActivateWorkspace() override;
    void OnWorkspaceCreated() override;
    void OnPageShown(int index) override;
    void OnWorkspaceClosing() override;

private:
    // One step that Ctrl+Z undoes: the funds a removal, a clear or an opened set took away, and
    // those it brought in. Undoing puts back the first and takes out the second, so that funds
    // added since stay.
    struct UndoStep {
        enum class Kind { Removed, Cleared, Replaced };
        Kind kind;
        std::vector<XStringW> taken;
        std::vector<XStringW> brought;
    };
    // The steps kept; older ones are forgotten.
    static constexpr size_t kMaxUndo = 50;

    void ApplyTheme(Conf::ITheme* theme);
    void FireCompareChanged();
    // The set changed: it is remembered for the next run.
    void FundsChanged();
    void Remember(UndoStep step);
    // A note about a change of the set, offering the undo while there is a step to undo. It stays
    // until another note replaces it, or a fund is added (which it would no longer describe).
    void NoteSetChange(const XStringW& text);
    // Hands a note to the frame (or keeps it until the frame can take it).
    void PostNote(const Control::StatusNote& note);
    // The codes the database still holds a fund for, in the order given; the others in dropped.
    // When the check itself fails, every code is kept.
    std::vector<XStringW> ExistingFunds(const std::vector<XStringW>& codes, std::vector<XStringW>& dropped);
    // The remembered compared set, given back at start.
    void RestoreFunds();
    void NoteDropped(const std::vector<XStringW>& dropped);
    // The host opened another database, or read the same one anew: the pages read from it, and the
    // compared funds it lacks leave the comparison with a note, as at a restored start.
    void FollowDatabase();
    static void OnThemeChanged(void* argument, void* context);
    static void OnShowComparison(void* argument, void* context);
    static void OnDatabaseChanged(void* argument, void* context);

    FundCodeSet m_funds;
    // Before the workspace: its pages may still ask it for data while they are destroyed.
    ReadAhead m_readAhead;
    XComPtr<IMainFrameModule> m_mainFrame;
    XComPtr<ITabCtrl> m_tabCtrl;
    XComPtr<IApp> m_app;
    XComPtr<Data::IDatabase> m_database;
    BackgroundPage m_workspace;
    XComPtr<Kernel::IEvent> m_compareChanged;
    XComPtr<ComparingFundFilter> m_filter;
    CompareSettings m_settings;
    WorkspaceSession m_session{m_workspace};
    WorkspaceKeys m_keys{*this, m_workspace};
    std::vector<UndoStep> m_undo;                     // oldest first
    std::optional<Control::StatusNote> m_pendingNote; // shown once the frame can take it
    bool m_setNoteShown = false;                      // the status bar describes a change of the set
    bool m_restored = false;
};
