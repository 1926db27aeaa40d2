// BackgroundPage: the comparison workspace that the module puts into the main frame's fund-filter
// tab under the title "对比分析". Its top strip holds the fund picker, the add and clear buttons and
// the page tabs; below the strip one of the comparison pages fills the window: the pages of the
// PageList (the five pages, then the growth page).
//
// The workspace keeps the list of pages and tells them every change through the one page
// interface (ComparePage): each change of the compared set is one loop over the pages, and so is
// each arrival of a result read ahead.
#pragma once

#include "pages/asset/AssetAllocationPage.h"
#include "pages/fees/FeesPage.h"
#include "pages/general/GeneralComparePage.h"
#include "pages/growth/GrowthPage.h"
#include "pages/holdings/HoldingsComparePage.h"
#include "pages/industry/IndustryPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/riskreturn/RiskReturnPage.h"
#include "report/ReportJob.h"
#include "wgui/Button.h"
#include "wgui/GdiObject.h"
#include "wgui/Verify.h"
#include "workspace/CompareSetsMenu.h"
#include "workspace/WorkspaceContext.h"

#include <sdk/ControlComboEx.h>
#include <sdk/ControlTableHeader.h>
#include <sdk/Modules.h>

#include <cstdlib>
#include <memory>
#include <vector>

class BackgroundPage : public ITabPage {
public:
    // Message by which the page tabs report a new selection: wParam the tab header, lParam the index.
    static constexpr UINT kTabSelected = 5341;
    // The height of the strip above the pages while the toolbar takes one row.
    static constexpr int kStripHeight = 64;
    static constexpr UINT kAddButtonId = 16;
    static constexpr UINT kClearButtonId = 17;
    // The sets menu's button has 18: two buttons with one id would both answer to either's click.
    static constexpr UINT kReportButtonId = 19;
    static_assert(kReportButtonId != CompareSetsMenu::kButtonId && kReportButtonId != kAddButtonId &&
                  kReportButtonId != kClearButtonId);

    BackgroundPage();
    ~BackgroundPage();
    BackgroundPage(const BackgroundPage&) = delete;
    BackgroundPage& operator=(const BackgroundPage&) = delete;

    // The workspace lives as long as the module object: references change nothing.
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }
    HWND Create(HWND parent, ITabCtrl* tabCtrl) override;
    bool IsCreated() override;
    bool GetTabCtrl(ITabCtrl** tabCtrl) override;
    void Show() override;
    void Hide() override;
    void Invalidate() override;
    void Move(int x, int y, int width, int height) override;
    void GetTitle(XStringW& title) override;
    void OnFilterChanged(Data::IDataFilter* oldA, Data::IDataFilter* newA, Data::IDataFilter* oldB,
                         Data::IDataFilter* newB) override;
    void OnActivated() override {}

    // Hands the module's context to the workspace and its pages.
    void SetContext(WorkspaceContext* context);
    void ApplyTheme(Conf::ITheme* theme);
    // The "添加" action: adds the picker's current fund to the comparison.
    void AddSelectedFund();
    // Enter in the fund picker: the same action, then the picker is made ready for the next
    // code (its list closed, its text selected so that typing replaces it).
    void AddFromPicker();
    // True when the window with the keyboard focus is inside the fund picker.
    bool FocusInPicker() const;
    // How often the workspace window has been shown; a show of an already visible window sends
    // no show message and does not count.
    int ShowCount() const { return m_showCount; }
    // What showing the workspace does: the current page is shown again, so that a page that
    // loads when shown loads.
    void ShowCurrentPageAgain();

    HWND Window() const { return m_window; }
    HWND AddButton() const { return m_addButton.GetHandle(); }
    HWND ClearButton() const { return m_clearButton.GetHandle(); }
    HWND SetsButton() const { return m_sets.Button(); }
    CompareSetsMenu& Sets() { return m_sets; }
    HWND ReportButton() const { return m_reportButton.GetHandle(); }
    // The comparison report: "导出报告..." and Ctrl+P.
    ReportJob& Report() { return m_report; }
    // The page of a tab index, null past the last; and how many pages there are.
    ComparePage* Page(int index) { return PageAt(index); }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    int CurrentTab() const { return m_currentTab; }
    // Shows the page of a tab (0 general, 1 performance, 2 risk-return, 3 asset, 4 industry, 5 growth)
    // and hides the others; any other index changes nothing.
    void ShowTab(int index);

    // ---- Telling the pages ----
    // Funds joined the comparison, left it (or the set changed otherwise), or it was emptied.
    void OnFundsAdded();
    void OnFundsRemoved();
    void OnFundsCleared();
    // The module reads another database: the picker's list is read again (the picker lists nothing
    // until it comes) and every page hears of it.
    void OnDatabaseChanged();
    // A result read ahead arrived: the fund list for the picker, or the data of the page that
    // waits for its kind.
    void OnReadAheadArrived(AheadKind kind);

    // The statement of every fund the picker offers.
    static XStringW FundsSource();
    // The fund list read ahead has arrived: a workspace waiting for it takes it now.
    void OnFundsReadAhead();
    // True while the picker waits for the fund list read ahead.
    bool FundsArriving() const { return m_fundsArriving; }

    Control::XComboEx& Picker() { return m_picker; }
    Control::XTableHeader& Header() { return m_header; }
    Data::IDataTable* FundsTable() const { return m_fundsTable; }
    Data::IDataView* FundsView() const { return m_fundsView; }
    // What the picker lists now: the fund list, or a copy narrowed by the host's filters.
    Data::IDataTable* PickerTable() const { return m_pickerTable; }

    // The pages by their type, for the parts of the workspace that remember what a page shows.
    GeneralComparePage& General() { return PageOf<GeneralComparePage>(); }
    PerformancePage& Performance() { return PageOf<PerformancePage>(); }
    AssetAllocationPage& Asset() { return PageOf<AssetAllocationPage>(); }
    IndustryPage& Industry() { return PageOf<IndustryPage>(); }
    RiskReturnPage& RiskReturn() { return PageOf<RiskReturnPage>(); }
    GrowthPage& Growth() { return PageOf<GrowthPage>(); }
    HoldingsComparePage& Holdings() { return PageOf<HoldingsComparePage>(); }
    FeesPage& Fees() { return PageOf<FeesPage>(); }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int width, int height);
    void OnPaint();
    void OnShowWindow(bool shown);
    ComparePage* PageAt(int index);
    template <class Page>
    Page& PageOf() {
        for (const auto& page : m_pages)
            if (auto* typed = dynamic_cast<Page*>(page.get()))
                return *typed;
        // The list is fixed when the program is built: a page named here and missing from it is
        // a fault of the build, found by the first test that shows the workspace.
        WGUI::VerifyFailed("the page list holds every page the workspace names", __FILE__, __LINE__);
        std::abort();
    }
    // Hands a table to the picker and keeps it for reading the picked fund's other fields.
    void SetPickerSource(Data::IDataTable* table);
    // Fills the fund list: from the reading ahead when it is ready, later when it is under way
    // (the picker lists nothing until then), else by running the statement here.
    void LoadFunds();
    // Runs the fund list's statement on this thread.
    void ReadFundsHere();
    // Takes the read-ahead's answer for the fund list: its table, or, while it is on its way, a
    // note to wait for it; the list is read here when nothing reads ahead or the reading failed.
    void TakeFunds(AheadResult result);
    // The fund list is complete: the picker lists it, narrowed by the host's latest filters.
    void OnFundsLoaded();
    // The code the user sees for the picker's current fund (aliascode), or code itself when the
    // picker has no such field for it.
    XStringW ShownCode(const XStringW& code);

    WorkspaceContext* m_context = nullptr;
    XComPtr<ITabCtrl> m_tabCtrl;
    HWND m_window = nullptr;
    COLORREF m_backColour = RGB(0, 0, 0);
    gdiobj::GdiObject<HBRUSH> m_backBrush;
    COLORREF m_labelColour = RGB(255, 255, 255);
    gdiobj::GdiObject<HFONT> m_labelFont;
    int m_currentTab = 0;
    RECT m_promptRect{20, 8, 140, 31}; // where the prompt is painted
    int m_pageTop = kStripHeight;      // below the tabs: lower when the toolbar wraps
    Control::XTableHeader m_header;
    WGUI::Button m_addButton;
    WGUI::Button m_clearButton;
    CompareSetsMenu m_sets;
    WGUI::Button m_reportButton;
    ReportJob m_report;
    Control::XComboEx m_picker;
    XComPtr<Data::IDataTable> m_fundsTable;
    XComPtr<Data::IDataView> m_fundsView;
    XComPtr<Data::IDataTable> m_pickerTable; // what the picker lists now
    // The host's filters handed over before the window existed, or while the fund list was on
    // its way, applied when the list is complete.
    bool m_filtersPending = false;
    bool m_fundsArriving = false; // the fund list is being read ahead
    XComPtr<Data::IDataFilter> m_pendingFilterA;
    XComPtr<Data::IDataFilter> m_pendingFilterB;
    int m_showCount = 0;
    std::vector<std::unique_ptr<ComparePage>> m_pages; // in tab order
};
