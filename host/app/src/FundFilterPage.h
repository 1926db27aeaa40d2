// FundFilterPage: the host's own page "基金筛选" — every open-ended fund in a grid, narrowed by
// investment type (filter A) and by company or search text (filter B). Every change of the filters
// is handed to all pages of the tab (OnFilterChanged), so that the comparison workspace's picker
// follows. Selected funds can be added to the comparison, and followed or unfollowed.
#pragma once

#include "ConcernFundModule.h"
#include "HostFilters.h"
#include "HostWindow.h"

#include <hostkernel/RefCounted.h>
#include <platform/windows.h>
#include <sdk/ControlComboEx.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/ControlTableHeader.h>
#include <sdk/Modules.h>

#include <memory>
#include <vector>

class FundFilterPage;

// The grid of funds: rows of the page's data view, the followed ones highlighted.
class HostFundGrid final : public Control::DataGridEx {
public:
    explicit HostFundGrid(FundFilterPage& page) : m_page(page) {}

protected:
    int GetRowsCount() override;
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override;
    void GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) override;
    bool sort(const XStringW& name, bool ascending) override;
    void OnEnterItem(int row) override;

private:
    FundFilterPage& m_page;
};

class FundFilterPage final : public HostTabPage {
public:
    static constexpr UINT kAddId = 201, kFollowId = 202, kUnfollowId = 203, kSearchId = 204, kClearId = 205;
    static constexpr UINT kTypeBarId = 210, kCompanyId = 211;

    FundFilterPage(IApp* app, Data::IDatabase* database, ConcernFundModule* concern);

    void GetTitle(XStringW& title) override { title = L"基金筛选"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void ApplyTheme(Conf::ITheme* theme);

    // The page's actions, as its buttons run them.
    void SelectType(int index);
    void ApplySearch();
    void ClearFilters();
    void AddSelectedToComparison();
    void FollowSelected(bool follow);
    // Moves the keyboard to the next (or previous) of the company box, the buttons and the list
    // when it is inside the page; false, and nothing moves, when it is not.
    bool MoveFocus(bool backwards);

    // For the grid and the scripted runs.
    Data::IDataView* View() const { return m_view; }
    HostFundGrid& Grid() { return m_grid; }
    Control::XComboEx& CompanyPicker() { return m_company; }
    Control::XTableHeader& TypeBar() { return m_typeBar; }
    HWND ButtonWindow(UINT id) const;
    XStringW CellText(int viewRow, const wchar_t* field) const;
    bool IsFollowed(const XStringW& code) const;
    COLORREF HighlightColour() const { return m_highlight; }
    const std::vector<XStringW>& Types() const { return m_types; }
    // The view row of a fund code, -1 when the filters hide it.
    int RowOfCode(const XStringW& code) const;

private:
    ~FundFilterPage() override;
    void OnCreate();
    void OnSize(int width, int height);
    void OnPaint();
    void LoadFunds();
    // Replaces filter A and/or B on the page's view and hands the change to every page of the tab.
    void ChangeFilters(XComPtr<Data::IDataFilter> newA, XComPtr<Data::IDataFilter> newB);
    std::vector<XStringW> SelectedCodes() const;
    void UpdateCount();

    XComPtr<IApp> m_app;
    XComPtr<Data::IDatabase> m_database;
    XComPtr<ConcernFundModule> m_concern;
    XComPtr<Data::IDataTable> m_funds;
    XComPtr<Data::IDataTable> m_companies;
    XComPtr<Data::IDataView> m_view;
    XComPtr<Data::IFieldSorter> m_sorter;
    XComPtr<Data::IDataFilter> m_filterA;
    XComPtr<Data::IDataFilter> m_filterB;
    std::vector<XStringW> m_types;
    Control::XTableHeader m_typeBar;
    Control::XComboEx m_company;
    HostFundGrid m_grid;
    std::vector<HWND> m_buttons;
    XComPtr<IPreMessageHandler> m_keys; // Tab between the controls, while the window lives
    COLORREF m_back = RGB(11, 13, 18), m_text = RGB(200, 204, 212), m_highlight = RGB(255, 214, 0);
    HBRUSH m_backBrush = nullptr;
    std::wstring m_countText;
};
