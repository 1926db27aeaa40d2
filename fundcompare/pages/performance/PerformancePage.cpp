// PerformancePage: building the page, layout, theme, loading and ranking the fund universe and
// filling the list.
#include "pages/performance/PerformancePage.h"

#include "grid/HeaderText.h"
#include "pages/performance/PerformanceQueries.h"
#include "wgui/ModuleInstance.h"
#include "wgui/PngImage.h"

#include <platform/gdiplus.h>
#include <platform/wcrt.h>

#include <cwctype>

namespace {

// The fixed labels of periods 0 to 9; the three calendar years follow from the latest year.
constexpr const wchar_t* kFixedPeriods[] = {L"最近交易日", L"最近一周", L"最近一月", L"最近一季度",
                                            L"最近半年",   L"今年以来", L"最近一年", L"最近两年",
                                            L"最近三年",   L"最近五年"};

} // namespace

PerformancePage::PerformancePage() : ComparePage(L"PerformancePage") {
    LetRemoveFunds(m_grid);
}

PerformancePage::~PerformancePage() = default;

XStringW PerformancePage::SafeYear(const XStringW& text) {
    return ::SafeYear(text);
}

// ---- Messages ----------------------------------------------------------------------------------

bool PerformancePage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return false;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            ShowData();
        return false;
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void PerformancePage::OnCreate() {
    m_grid.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    ReadLatestYear();
    BuildPeriods();
    m_filter.SetTarget(&m_grid);
    m_filter.Create(m_hWnd);
    m_filter.AddCondition({L"distance", L"对比区间", L"对比区间:", 21});
    for (const XStringW& label : m_periods)
        m_filter.AddValue(L"distance", label, label);
}

void PerformancePage::OnSize(int width, int height) {
    if (m_grid.IsWindow())
        ::MoveWindow(m_grid, 0, 30, width, height - 30, TRUE);
    if (m_filter.GetHandle() != nullptr)
        ::MoveWindow(m_filter.GetHandle(), width - 300, 2, 297, 26, TRUE);
}

void PerformancePage::ReadLatestYear() {
    m_latestYear.clear();
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database != nullptr && database->IsOpen()) {
        XComPtr<Data::IStatement> statement;
        XStringW error;
        if (!database->Query(statement.Receive(), kLatestYearQuery, error) || !statement) {
            ReportQueryError(error);
        } else {
            while (statement->Next())
                statement->GetString(m_latestYear, 0);
        }
    }
    // An empty year table, a failed query or a year that is not four digits all fall back to the
    // current year, so that the periods are labelled and the query stays well-formed.
    m_latestYear = SafeYear(m_latestYear);
}

void PerformancePage::BuildPeriods() {
    m_periods.clear();
    for (const wchar_t* label : kFixedPeriods)
        m_periods.emplace_back(label);
    int year = _wtoi(m_latestYear.c_str());
    m_periods.push_back(XStringW().Format(L"%s年", m_latestYear.c_str()));
    m_periods.push_back(XStringW().Format(L"%d年", year - 1));
    m_periods.push_back(XStringW().Format(L"%d年", year - 2));
}

// ---- Theme -----------------------------------------------------------------------------------------

void PerformancePage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_grid.SetTheme(theme);
    m_grid.SetDrawGridLine(false, true);
    m_filter.ApplyTheme(theme);
    m_gainBar.reset(LoadPngImage(kGainBarImage));
    m_lossBar.reset(LoadPngImage(kLossBarImage));
    m_grid.SetBarImages(m_gainBar.get(), m_lossBar.get());
    m_grid.SetHeader(LoadResourceText(WGUI::ModuleInstance(), L"XML", L"PERFORMANCE_GRIDHEADER").c_str());
    if (m_context != nullptr)
        m_grid.SetApp(m_context->App());
    m_grid.ApplyUserZoom();
    // The page's own colours last: it repaints the page with everything above in place.
    ComparePage::ApplyTheme(theme);
}

// ---- Data --------------------------------------------------------------------------------------------

void PerformancePage::ReloadIfVisible() {
    if (IsWindowVisible())
        ShowData();
}

void PerformancePage::ShowData() {
    ++m_reloads;
    Fill();
}

void PerformancePage::OnDatabaseChanged() {
    m_universe = PerformanceUniverse();
    const XStringW year = m_latestYear;
    ReadLatestYear();
    // The periods of whole years are named after the database's latest year.
    if (m_latestYear != year) {
        BuildPeriods();
        std::vector<FilterValue> values;
        for (const XStringW& label : m_periods)
            values.push_back(FilterValue{label, label});
        m_filter.ReplaceValues(L"distance", values);
    }
    ReloadIfVisible();
}

void PerformancePage::OnFundsCleared() {
    ClearList();
    ReloadIfVisible();
}

void PerformancePage::Fill() {
    if (RequireContext() == nullptr)
        return;
    ShowList(!m_universe.Empty() ||
             TakeUniverse(m_context->FetchAhead(AheadRequest::Performance(SafeYear(m_latestYear)))));
}

void PerformancePage::ShowList(bool ready) {
    if (!ready) {
        // Nothing to list yet: the list is emptied as a show without a universe empties it.
        FillTable();
        SetLoading(true, m_grid);
        return;
    }
    SetLoading(false, m_grid);
    FillTable();
}

bool PerformancePage::TakeUniverse(AheadResult result) {
    if (result.OnItsWay())
        return false;
    if (result.ReadHere())
        LoadAllFunds();
    else if (result.Ok())
        m_universe = result.Take<PerformanceUniverse>();
    else
        ReportQueryError(result.Error());
    return true;
}

std::optional<AheadRequest> PerformancePage::AwaitedAhead() const {
    // The current page finishes its show even while the workspace is off screen: it comes back
    // to the workspace's tab without being shown anew.
    if (!IsLoading() || !IsCurrentPage())
        return std::nullopt;
    return AheadRequest::Performance(SafeYear(m_latestYear));
}

void PerformancePage::OnReadAhead(AheadResult result) {
    ShowList(TakeUniverse(std::move(result)));
}

void PerformancePage::ClearList() {
    if (Data::IDataTable* table = m_grid.Table())
        table->Clear(0);
}

bool PerformancePage::LoadAllFunds() {
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen())
        return false;
    PerformanceUniverse universe;
    XStringW error;
    if (!universe.Load(database, SafeYear(m_latestYear), error)) {
        ReportQueryError(error);
        return false;
    }
    m_universe = std::move(universe);
    return true;
}

void PerformancePage::FillTable() {
    Data::IDataTable* table = m_grid.Table();
    if (table == nullptr)
        return;
    table->Clear(1);
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    // The rank columns always compare in natural order: a refill under a rank sort would otherwise
    // put "10/120" before "9/120".
    m_grid.SetRankTags(reinterpret_cast<void*>(1));
    // Columns by position: a lookup by name for every cell would cost more than the cell.
    enum {
        kIndex,
        kDistance,
        kCode,
        kAliascode,
        kName,
        kInvesttype,
        kBuystate,
        kYield,
        kTypeRank,
        kAllRank,
        kImage,
        kCount
    };
    static constexpr const wchar_t* kNames[kCount] = {L"index",     L"distance",   L"code",     L"aliascode",
                                                      L"name",      L"investtype", L"buystate", L"yield",
                                                      L"type_rank", L"all_rank",   L"image"};
    int columns[kCount];
    for (int i = 0; i < kCount; ++i)
        columns[i] = table->GetColumnIndex(kNames[i]);
    // The compared funds' rows and texts, once for all thirteen periods.
    std::vector<std::pair<int, PerformanceUniverse::Fund>> compared;
    if (RequireContext() != nullptr)
        for (const XStringW& code : m_context->Funds())
            if (const int found = m_universe.Find(code); found >= 0)
                compared.emplace_back(found, m_universe.FundAt(found));
    for (int p = kPeriodCount - 1; p >= 0; --p) {
        const auto period = static_cast<size_t>(p);
        for (const auto& [found, record] : compared) {
            const PeriodValue& value = m_universe.ValueAt(found, p);
            XComPtr<Data::IDataRow> row;
            if (!table->GetRow(row.Receive(), table->AddRow()) || !row)
                continue;
            auto cell = [&row, &columns](int field) { return row->GetValueAt(columns[field]); };
            auto setText = [&cell](int field, const wchar_t* text) {
                if (Data::IDataElement* element = cell(field))
                    element->SetText(text);
            };
            if (Data::IDataElement* element = cell(kIndex))
                element->SetInt(p);
            setText(kDistance, period < m_periods.size() ? m_periods[period].c_str() : L"");
            setText(kCode, record.code.c_str());
            setText(kAliascode, record.aliascode.c_str());
            setText(kName, record.name.c_str());
            setText(kInvesttype, record.investtype.c_str());
            setText(kBuystate, record.buystate.c_str());
            if (value.missing) {
                setText(kYield, L"");
                setText(kImage, L"");
            } else {
                const double growth = ShownGrowth(p, value.value);
                for (int field : {kYield, kImage})
                    if (Data::IDataElement* element = cell(field))
                        element->SetDouble(growth);
            }
            setText(kTypeRank, value.typeRank.Text().c_str());
            setText(kAllRank, value.allRank.Text().c_str());
        }
    }
    if (update)
        update->Commit();
}
