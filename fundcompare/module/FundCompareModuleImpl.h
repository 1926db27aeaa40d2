// FundCompareModuleImpl: the one module object. It owns the set of compared funds, the filter the
// host uses to show only them, and the workspace with its five pages; it joins the host at
// initialisation (database, main-frame tab, toolbar button, theme and command events, the Enter
// key in the fund picker).
#pragma once

#include "module/CompareSettings.h"
#include "module/ComparingFundFilter.h"
#include "module/ReadAhead.h"
#include "workspace/BackgroundPage.h"
#include "workspace/WorkspaceKeys.h"
#include "workspace/WorkspaceSession.h"

#include <sdk/ControlStatusNote.h>

#include <sdk/Modules.h>

#include <optional>
#include <set>
#include <vector>

namespace Gdiplus {
class Image;
}

// Orders codes as the set keeps them: by XStringW::compare, case-sensitive.
struct FundCodeLess {
    bool operator()(const XStringW& a, const XStringW& b) const { return a.compare(b, false) < 0; }
};

class FundCompareModuleImpl : public IFundCompareModule, public IPreMessageHandler {
public:
    static constexpr size_t kMaxFunds = 100;
    // The command of the status bar's "撤销" link (sent to the workspace window).
    static constexpr UINT kUndoCommand = 0xE150;
    enum AddResult { kAdded = 0, kPresent = 1, kFull = 2 };

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

    // Called by the pages; reloads nothing and fires nothing (callers follow with
    // NotifyFundsChanged).
    bool RemoveFund(const XStringW& code);

    const std::set<XStringW, FundCodeLess>& Funds() const { return m_funds; }
    IApp* App() const { return m_app; }
    Data::IDatabase* Database() const { return m_database; }
    BackgroundPage& Workspace() { return m_workspace; }
    // The universes and histories read ahead on a worker thread (unavailable when the database
    // offers no further connection: the pages then read for themselves).
    ReadAhead& Ahead() { return m_readAhead; }

    // ---- What the comparison remembers, and undoing ----
    CompareSettings& Settings() { return m_settings; }
    WorkspaceKeys& Keys() { return m_keys; }
    // Puts a note in the main frame's status bar.
    void ShowNote(const Control::StatusNote& note);
    // Replaces the compared funds with a saved set (the funds no longer in the database left out,
    // with a note); the set replaced can be brought back with UndoClear.
    void ReplaceFunds(const std::vector<XStringW>& codes, const XStringW& note);
    // Brings back the funds that the last clear (or replacement) took away; false when there is
    // nothing to bring back.
    bool UndoClear();
    bool CanUndo() const { return m_undo.has_value(); }
    // Brings the workspace's tab forward (without reloading anything) when it is not shown.
    void ActivateWorkspace();
    // The workspace's hooks: its window was made; a page was shown; its window is closing.
    void OnWorkspaceCreated();
    void OnPageShown(int index);
    void OnWorkspaceClosing();

private:
    void ApplyTheme(Conf::ITheme* theme);
    void FireCompareChanged();
    // The set changed by the user: it is remembered, and an older undo no longer applies.
    void FundsChanged();
    // The codes the database still holds a fund for, in the order given; the others in dropped.
    // When the check itself fails, every code is kept.
    std::vector<XStringW> ExistingFunds(const std::vector<XStringW>& codes, std::vector<XStringW>& dropped);
    // The remembered compared set, given back at start.
    void RestoreFunds();
    // A result read ahead arrived: the page that waits for it finishes its show.
    void OnReadAhead(ReadAhead::Kind kind);
    void NoteDropped(const std::vector<XStringW>& dropped);
    static void OnThemeChanged(void* argument, void* context);
    static void OnShowComparison(void* argument, void* context);

    std::set<XStringW, FundCodeLess> m_funds;
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
    std::optional<std::vector<XStringW>> m_undo;      // the funds the last clear took away
    std::optional<Control::StatusNote> m_pendingNote; // shown once the frame can take it
    bool m_restored = false;
};

// The module's image of a PNG resource (type "PNG", numeric id), owned by the caller; null when the
// resource is missing, empty or not an image.
Gdiplus::Image* LoadPngImage(int id);
