// The host's modules as other modules see them, and the main frame's tab and toolbar contracts.
#pragma once

#include <sdk/App.h>

struct ITabCtrl;

// A page of a main-frame tab.
struct ITabPage : IXUnknown {
    // Creates the page's window as a child of parent and keeps the tab control.
    virtual HWND Create(HWND parent, ITabCtrl* tabCtrl) = 0;
    virtual bool IsCreated() = 0;
    virtual bool GetTabCtrl(ITabCtrl** tabCtrl) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Invalidate() = 0;
    virtual void Move(int x, int y, int width, int height) = 0;
    virtual void GetTitle(XStringW& title) = 0;
    // The host's fund filter changed: filter A (investment type) and filter B (company or text),
    // old and new; each may be null.
    virtual void OnFilterChanged(Data::IDataFilter* oldA, Data::IDataFilter* newA, Data::IDataFilter* oldB,
                                 Data::IDataFilter* newB) = 0;
    // Called when the tab makes this page the current one; pages may ignore it.
    virtual void OnActivated() = 0;

protected:
    ~ITabPage() = default;
};

struct ITabCtrl : IXUnknown {
    // The tab keeps a reference to each page.
    virtual void AddPage(ITabPage* page) = 0;
    virtual void RemovePage(ITabPage* page) = 0;

protected:
    ~ITabCtrl() = default;
};

// A toolbar button: pressing it fires the event.
struct ButtonDesc {
    int style = 0;
    int image = 0;
    XStringW caption;
    XStringW tooltip;
    XComPtr<Kernel::IEvent> event;
};

// The event the host fires after "mod_Database" took another database (another file was opened, or
// the same file read anew after an import wrote to it): whoever holds the old Data::IDatabase takes
// the new one from IDbModule::GetDatabase and reads what it shows again. The argument is the new
// database.
inline constexpr const char* kDatabaseChangedEvent = "event_database_changed";

// "mod_Database".
struct IDbModule : IModule {
    virtual bool GetDatabase(Data::IDatabase** database) = 0;

protected:
    ~IDbModule() = default;
};

// "mod_MainFrame".
struct IMainFrameModule : IModule {
    // The tab control of this id, or null.
    virtual bool GetTabCtrl(ITabCtrl** tabCtrl, const char* tabId) = 0;
    // Shows the tab holding the page and makes the page current there.
    virtual void ActivatePage(ITabPage* page) = 0;
    // Adds a button after the anchor button (at the end when the anchor is unknown); false when a
    // button of this id exists.
    virtual bool AddButton(const char* anchorId, const char* buttonId, const ButtonDesc& button) = 0;

protected:
    ~IMainFrameModule() = default;
};

// "mod_ConcernFund": the funds the user follows.
struct IConcernFundModule : IModule {
    virtual bool IsConcerned(const XStringW& code) = 0;

protected:
    ~IConcernFundModule() = default;
};

// "mod_AssetAllocation".
struct IAssetAllocationModule : IModule {
    virtual void ShowFund(const XStringW& code) = 0;

protected:
    ~IAssetAllocationModule() = default;
};

// "mod_IndustryAllocation".
struct IIndustryAllocationModule : IModule {
    virtual void ShowFund(const XStringW& code) = 0;

protected:
    ~IIndustryAllocationModule() = default;
};

// "mod_FundCompare": the fund-comparison module.
struct IFundCompareModule : IModule {
    virtual void ClearFunds() = 0;
    // 0 added, 1 already present, 2 the set is full.
    virtual int AddFund(XStringW code) = 0;
    virtual bool NotifyFundsChanged(XStringW reserved) = 0;
    virtual void ShowComparison() = 0;
    virtual bool IsCompared(XStringW code) = 0;
    // A new reference to the filter that keeps only compared funds.
    virtual XComPtr<Data::IDataFilter> GetCompareFilter() = 0;

protected:
    ~IFundCompareModule() = default;
};
