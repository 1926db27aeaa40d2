// BackgroundPage: the comparison workspace that the module puts into the main frame's fund-filter
// tab under the title "对比分析". Its top strip holds the fund picker, the add and clear buttons and
// the page tabs; below the strip one of the comparison pages fills the window: the five pages,
// then the growth page.
#pragma once

#include "pages/asset/AssetAllocationPage.h"
#include "pages/general/GeneralComparePage.h"
#include "pages/growth/GrowthPage.h"
#include "pages/industry/IndustryPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/riskreturn/RiskReturnPage.h"
#include "wgui/Button.h"
#include "wgui/GdiObject.h"
#include "workspace/CompareSetsMenu.h"

#include <sdk/ControlComboEx.h>
#include <sdk/ControlTableHeader.h>
#include <sdk/Modules.h>

class FundCompareModuleImpl;

class BackgroundPage : public ITabPage {
public:
    // Message by which the page tabs report a new selection: wParam the tab header, lParam the index.
    static constexpr UINT kTabSelected = 5341;
    // The top strip above the pages.
    static constexpr int kStripHeight = 64;
    static constexpr UINT kAddButtonId = 16;
    static constexpr UINT kClearButtonId = 17;
    // The five pages and the growth page after them.
    static constexpr int kPageCount = 6;

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

    // Hands the module to the workspace and its five pages.
    void SetModule(FundCompareModuleImpl* module);
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
    // The page of a tab index, null past the last; and how many pages there are.
    ComparePage* Page(int index) { return PageAt(index); }
    int PageCount() {
        int count = 0;
        while (PageAt(count) != nullptr)
            ++count;
        return count;
    }
    int CurrentTab() const { return m_currentTab; }
    // Shows the page of a tab (0 general, 1 performance, 2 risk-return, 3 asset, 4 industry, 5 growth)
    // and hides the others; any other index changes nothing.
    void ShowTab(int index);

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

    GeneralComparePage& General() { return m_general; }
    PerformancePage& Performance() { return m_performance; }
    AssetAllocationPage& Asset() { return m_asset; }
    IndustryPage& Industry() { return m_industry; }
    RiskReturnPage& RiskReturn() { return m_riskReturn; }
    GrowthPage& Growth() { return m_growth; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int width, int height);
    void OnPaint();
    void OnShowWindow(bool shown);
    ComparePage* PageAt(int index);
    // Hands a table to the picker and keeps it for reading the picked fund's other fields.
    void SetPickerSource(Data::IDataTable* table);
    // Fills the fund list: from the reading ahead when it is ready, later when it is under way
    // (the picker lists nothing until then), else by running the statement here.
    void LoadFunds();
    // Runs the fund list's statement on this thread.
    void ReadFundsHere();
    // Takes the finished reading ahead as the fund list; false when it failed.
    bool TakeFundsAhead();
    // The fund list is complete: the picker lists it, narrowed by the host's latest filters.
    void OnFundsLoaded();
    // The code the user sees for the picker's current fund (aliascode), or code itself when the
    // picker has no such field for it.
    XStringW ShownCode(const XStringW& code);

    FundCompareModuleImpl* m_module = nullptr;
    XComPtr<ITabCtrl> m_tabCtrl;
    HWND m_window = nullptr;
    COLORREF m_backColour = RGB(0, 0, 0);
    gdiobj::GdiObject<HBRUSH> m_backBrush;
    COLORREF m_labelColour = RGB(255, 255, 255);
    gdiobj::GdiObject<HFONT> m_labelFont;
    int m_currentTab = 0;
    Control::XTableHeader m_header;
    WGUI::Button m_addButton;
    WGUI::Button m_clearButton;
    CompareSetsMenu m_sets;
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
    GeneralComparePage m_general;
    PerformancePage m_performance;
    AssetAllocationPage m_asset;
    IndustryPage m_industry;
    RiskReturnPage m_riskReturn;
    GrowthPage m_growth;
};
