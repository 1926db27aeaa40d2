// FundCompareModuleImpl: the one module object. It owns the set of compared funds, the filter the
// host uses to show only them, and the workspace with its five pages; it joins the host at
// initialisation (database, main-frame tab, toolbar button, theme and command events, the Enter
// key in the fund picker).
#pragma once

#include "module/ComparingFundFilter.h"
#include "workspace/BackgroundPage.h"

#include <sdk/Modules.h>

#include <set>

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

private:
    void ApplyTheme(Conf::ITheme* theme);
    void FireCompareChanged();
    static void OnThemeChanged(void* argument, void* context);
    static void OnShowComparison(void* argument, void* context);

    std::set<XStringW, FundCodeLess> m_funds;
    XComPtr<IMainFrameModule> m_mainFrame;
    XComPtr<ITabCtrl> m_tabCtrl;
    XComPtr<IApp> m_app;
    XComPtr<Data::IDatabase> m_database;
    BackgroundPage m_workspace;
    XComPtr<Kernel::IEvent> m_compareChanged;
    XComPtr<ComparingFundFilter> m_filter;
};

// The module's image of a PNG resource (type "PNG", numeric id), owned by the caller; null when the
// resource is missing, empty or not an image.
Gdiplus::Image* LoadPngImage(int id);
