// AllocationPage: what the asset and the industry allocation pages share. For one quarterly
// report date, picked in a box at the top right, the page lists for every compared fund its
// holdings in each group (asset type or industry): market value, share and a bar, grouped by
// the group and narrowed by a filter panel on the group caption.
//
// Sections: public operations; what each page supplies; building and layout; reloading.
#pragma once

#include "filter/FilterWnd2.h"
#include "pages/asset/AllocationGrid.h"
#include "pages/common/ComparePage.h"
#include "wgui/ComboBox.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/Data.h>

#include <memory>
#include <vector>

namespace Gdiplus {
class Image;
}

class AllocationPage : public ComparePage {
public:
    static constexpr UINT kDateBoxId = CompareWorkspace::kChoiceBoxId;
    static constexpr int kBarImageId = 22;
    static constexpr int kMaxDateLength = 260;

    // One holding of a fund in one group (the group is its place in the fund's holdings). The share
    // is a fraction (0.25 is 25 %).
    struct Holding {
        double marketValue = 0;
        double share = 0;
    };
    struct FundRecord {
        XStringW code, aliascode, name, investtype, buystate;
        std::vector<Holding> holdings; // one per group, in group order
    };

    ~AllocationPage() override;

    // ---- Public operations ----
    // Rebuilds the list for the chosen report date; without force only when the date changed.
    void Reload(bool force);
    // Reload(true) when the window is visible.
    void ReloadIfVisible() override;
    // A cleared comparison empties the list; it is filled again when the page is next shown.
    void OnFundsCleared() override;
    void OnDatabaseChanged() override;
    int ReloadCount() const { return m_reloads; }
    // Empties the list without refilling it (the compared set was cleared or is about to be shown anew).
    void ClearList();
    Data::IDataTable* ListTable() const { return m_grid->Table(); }
    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The report date of the holdings shown.
    XStringW ExportCaption() const override;

    // ---- Inspection ----
    AllocationGrid& Grid() { return *m_grid; }
    FilterWnd2& FilterPanel() { return m_filter; }
    HWND DateBox() const { return m_dateBox.GetHandle(); }
    const XStringW& LastDate() const { return m_lastDate; }
    const std::vector<FundRecord>& Funds() const { return m_funds; }
    const std::vector<XStringW>& GroupLabels() const { return m_groupLabels; }

protected:
    // What distinguishes the two pages.
    struct Traits {
        const wchar_t* filterTitle;
        const wchar_t* filterPrompt;
        const wchar_t* headerResource; // type "XML"
        const wchar_t* queryResource;  // type "SQL"
        const wchar_t* earliestDateQuery;
        const wchar_t* latestDateQuery;
        const wchar_t* reportDatesQuery; // every date, latest first
    };
    AllocationPage(const wchar_t* pageClassName, std::unique_ptr<AllocationGrid> grid, const Traits& traits);

    // ---- What each page supplies ----
    // After the grid window exists.
    virtual void OnGridCreated() {}
    // After the filter condition is registered.
    virtual void AddFilterValues() {}
    // After the grid received the theme's colours.
    virtual void OnThemeApplied(Conf::ITheme*) {}
    // Between the report-date list and reading the date box; false stops the reload.
    virtual bool PrepareReload(Data::IDatabase*) { return true; }
    // One result row as a fund record, its holdings in group order.
    virtual FundRecord ReadRecord(Data::IStatement* statement) = 0;

    void ClearFunds() { m_funds.clear(); }
    void PaintOver(HDC dc, const RECT& client) override;

    std::vector<XStringW> m_groupLabels; // asset types or industries, in group order

private:
    // ---- Building and layout ----
    void OnCreate();
    void OnSize(int width, int height);

    // ---- Reloading ----
    bool BuildDateList(Data::IDatabase* database);
    XStringW SelectedDate() const;
    void FillTable();

    Traits m_traits;
    gdiobj::GdiObject<HFONT> m_labelFont;
    COLORREF m_labelColour = RGB(192, 192, 192);
    WGUI::ComboBox m_dateBox;
    XStringW m_lastDate;
    std::unique_ptr<AllocationGrid> m_grid;
    std::unique_ptr<Gdiplus::Image> m_barImage;
    XComPtr<IApp> m_app;
    std::vector<FundRecord> m_funds;
    int m_reloads = 0;
    // Last, so that it goes first: its filters live on the grid's view.
    FilterWnd2 m_filter;
};
