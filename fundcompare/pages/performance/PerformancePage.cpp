// PerformancePage: building the page, layout, theme, loading and ranking the fund universe and
// filling the list.
#include "pages/performance/PerformancePage.h"

#include "grid/HeaderText.h"
#include "module/FundCompareModuleImpl.h"
#include "pages/performance/PerformanceQueries.h"
#include "wgui/ModuleInstance.h"

#include <platform/gdiplus.h>
#include <platform/wcrt.h>

#include <cwctype>

namespace {

// The fixed labels of periods 0 to 9; the three calendar years follow from the latest year.
constexpr const wchar_t* kFixedPeriods[] = {L"最近交易日", L"最近一周", L"最近一月", L"最近一季度",
                                            L"最近半年",   L"今年以来", L"最近一年", L"最近两年",
                                            L"最近三年",   L"最近五年"};

void ShowQueryError(const XStringW& error) {
    MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
}

} // namespace

PerformancePage::PerformancePage() : ComparePage(L"PerformancePage"), m_grid(this) {}

PerformancePage::~PerformancePage() = default;

XStringW PerformancePage::SafeYear(const XStringW& text) {
    // The year is written into the query without quotes, so only plain digits may pass.
    bool digits = text.length() == 4;
    for (size_t i = 0; digits && i < 4; ++i)
        digits = text[i] >= L'0' && text[i] <= L'9';
    if (digits)
        return text;
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return XStringW().Format(L"%d", static_cast<int>(now.wYear));
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
    Data::IDatabase* database = m_module != nullptr ? m_module->Database() : nullptr;
    if (database != nullptr && database->IsOpen()) {
        XComPtr<Data::IStatement> statement;
        XStringW error;
        if (!database->Query(statement.Receive(), kLatestYearQuery, error) || !statement) {
            ShowQueryError(error);
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
    if (m_module != nullptr)
        m_grid.SetApp(m_module->App());
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

void PerformancePage::Fill() {
    if (m_universe.Empty() && !TakeUniverse()) {
        // Nothing to list yet: the list is emptied as a show without a universe empties it.
        FillTable();
        SetLoading(true, m_grid);
        return;
    }
    SetLoading(false, m_grid);
    FillTable();
}

bool PerformancePage::TakeUniverse() {
    ReadAhead* ahead = m_module != nullptr ? &m_module->Ahead() : nullptr;
    const XStringW year = SafeYear(m_latestYear);
    switch (ahead != nullptr ? ahead->Performance(year) : ReadAhead::State::kUnavailable) {
    case ReadAhead::State::kUnavailable:
        LoadAllFunds();
        return true;
    case ReadAhead::State::kPending:
        return false;
    case ReadAhead::State::kReady:
        break;
    }
    PerformanceUniverse universe;
    XStringW error;
    if (ahead->TakePerformance(universe, error))
        m_universe = std::move(universe);
    else
        ShowQueryError(error);
    return true;
}

void PerformancePage::OnReadAhead() {
    // The current page finishes its show even while the workspace is off screen: it comes back
    // to the workspace's tab without being shown anew.
    if (IsLoading() && IsCurrentPage())
        Fill();
}

void PerformancePage::ClearList() {
    if (Data::IDataTable* table = m_grid.Table())
        table->Clear(0);
}

bool PerformancePage::LoadAllFunds() {
    Data::IDatabase* database = m_module != nullptr ? m_module->Database() : nullptr;
    if (database == nullptr || !database->IsOpen())
        return false;
    PerformanceUniverse universe;
    XStringW error;
    if (!universe.Load(database, SafeYear(m_latestYear), error)) {
        ShowQueryError(error);
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
    if (m_module != nullptr)
        for (const XStringW& code : m_module->Funds())
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
