// RiskReturnPage: building the page, loading the figures and feeding the star map.
#include "pages/riskreturn/RiskReturnPage.h"

#include "module/FundCompareModuleImpl.h"
#include "pages/riskreturn/RiskReturnQueries.h"

#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <cmath>

namespace {

// The error of a query that yielded no statement, shown the way every page reports a failed query.
void ReportQueryError(const XStringW& error) {
    MessageBoxW(nullptr, error.c_str(), L"ERROR", MB_OK);
}

// Runs a query; null after reporting the error when no statement is obtained.
XComPtr<Data::IStatement> RunQuery(FundCompareModuleImpl* module, const wchar_t* sql) {
    XComPtr<Data::IStatement> statement;
    Data::IDatabase* database = module != nullptr ? module->Database() : nullptr;
    if (database == nullptr)
        return statement;
    XStringW error;
    if (!database->Query(statement.Receive(), sql, error) || statement == nullptr) {
        if (error.empty())
            database->GetLastError(error);
        ReportQueryError(error);
        statement.Reset();
    }
    return statement;
}

// True when the statement read to its end; otherwise the error that stopped it is reported.
bool ReadToTheEnd(Data::IStatement* statement) {
    XStringW error;
    statement->GetError(error);
    if (error.empty())
        return true;
    ReportQueryError(error);
    return false;
}

} // namespace

RiskReturnPage::RiskReturnPage() : ComparePage(L"RiskReturnPage") {}

RiskReturnPage::~RiskReturnPage() = default;

bool RiskReturnPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return false;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            ShowHorizon(CurrentHorizon());
        return false;
    case WM_COMMAND:
        if (LOWORD(wParam) == kHorizonBoxId && HIWORD(wParam) == CBN_SELCHANGE &&
            reinterpret_cast<HWND>(lParam) == m_horizonBox.GetHandle())
            ShowHorizon(CurrentHorizon());
        return false;
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void RiskReturnPage::OnCreate() {
    m_starMap.SetParentName(L"compare");
    RECT empty{0, 0, 0, 0};
    m_horizonBox.Create(m_hWnd, &empty, nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHorizonBoxId)));
    m_horizonBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    for (const RiskModel::Horizon& horizon : RiskModel::kHorizons)
        m_horizonBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(horizon.label));
    m_horizonBox.SendMessage(CB_SETCURSEL, 0, 0);

    m_starMap.Create(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, 0, m_hWnd);
    // The map draws a star of kind k with the k-th image added, so a missing image still takes
    // its place.
    for (int id = 1; id <= 15; ++id) {
        Gdiplus::Image* image = LoadPngImage(id);
        m_starMap.AddCustomStar(image);
        delete image;
    }
    m_starMap.SetSelectable(false);
    m_starMap.SetSeachable(false);
    m_starMap.SetDrawCross(true);
}

void RiskReturnPage::OnSize(int width, int height) {
    // The box overlaps the map's top edge, in the corner the map leaves free of its axes.
    RECT box{width - 120, 1, width - 20, 127};
    m_horizonBox.MoveWindow(box, TRUE);
    if (m_starMap.IsWindow())
        m_starMap.MoveWindow(0, 20, width, height - 50, TRUE);
}

int RiskReturnPage::CurrentHorizon() const {
    if (!m_horizonBox.IsWindow())
        return 0;
    LRESULT selection = m_horizonBox.SendMessage(CB_GETCURSEL, 0, 0);
    if (selection < 0 || selection >= RiskModel::kHorizonCount)
        return 0;
    return static_cast<int>(selection);
}

void RiskReturnPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    m_starMap.SetDGColor(
        Gdiplus::Color(255, GetRValue(m_backColour), GetGValue(m_backColour), GetBValue(m_backColour)));
    Refresh();
}

void RiskReturnPage::ReloadIfVisible() {
    if (!IsWindowVisible())
        return;
    ++m_reloads;
    ShowHorizon(CurrentHorizon());
}

void RiskReturnPage::ShowHorizon(int h) {
    if (h < 0 || h >= RiskModel::kHorizonCount)
        h = 0;
    if (m_riskByCode.empty())
        LoadRiskData();
    BuildStars(h);
    m_delegate.SetStars(m_stars);
    m_starMap.SetDelegate(&m_delegate);
}

void RiskReturnPage::LoadRiskData() {
    XComPtr<Data::IStatement> statement = RunQuery(m_module, kFundRiskQuery);
    if (statement == nullptr)
        return;
    // A load that found no fund is repeated on the next show, so every list starts afresh rather
    // than piling a second copy of the index series and the averages onto the first.
    std::vector<RiskModel::RiskFundRecord> funds;
    while (statement->Next()) {
        RiskModel::RiskFundRecord record;
        statement->GetString(record.aliascode, 0);
        statement->GetString(record.code, 1);
        statement->GetString(record.name, 2);
        statement->GetString(record.investtype, 3);
        for (int k = 0; k < RiskModel::kHorizonCount; ++k) {
            record.returns[static_cast<size_t>(k)] = statement->GetDouble(4 + k);
            record.stdDevs[static_cast<size_t>(k)] = statement->GetDouble(8 + k);
        }
        funds.push_back(std::move(record));
    }
    // Part of the funds, or figures without their averages, would pass for the whole chart.
    std::vector<double> weeks;
    std::vector<RiskModel::AverageEntry> averages;
    if (!ReadToTheEnd(statement) || !LoadIndexWeeks(weeks) || !LoadAverages(weeks, averages))
        return;
    m_riskFunds = std::move(funds);
    m_riskByCode.clear();
    for (const RiskModel::RiskFundRecord& record : m_riskFunds)
        m_riskByCode.emplace(record.code, record);
    m_indexWeeks = std::move(weeks);
    m_averages = std::move(averages);
    m_delegate.SetAverages(m_averages);
}

bool RiskReturnPage::LoadIndexWeeks(std::vector<double>& weeks) {
    XComPtr<Data::IStatement> statement = RunQuery(m_module, kIndexWeeksQuery);
    if (statement == nullptr)
        return false;
    weeks.clear();
    while (statement->Next())
        weeks.push_back(statement->GetDouble(1));
    return ReadToTheEnd(statement);
}

bool RiskReturnPage::LoadAverages(const std::vector<double>& weeks,
                                  std::vector<RiskModel::AverageEntry>& averages) {
    XComPtr<Data::IStatement> statement = RunQuery(m_module, kAverageQuery);
    if (statement == nullptr)
        return false;
    averages.clear();
    while (statement->Next()) {
        RiskModel::AverageEntry entry;
        XStringW name;
        statement->GetString(name, 0);
        for (int k = 0; k < RiskModel::kHorizonCount; ++k) {
            RiskModel::AverageStar& star = entry[static_cast<size_t>(k)];
            star.name = name;
            star.returnValue = statement->GetDouble(1 + 2 * k);
            star.stdDev = statement->GetDouble(2 + 2 * k);
        }
        averages.push_back(std::move(entry));
    }
    if (!ReadToTheEnd(statement))
        return false;
    if (!weeks.empty())
        averages.push_back(RiskModel::ComputeIndexEntry(weeks));
    return true;
}

void RiskReturnPage::BuildStars(int h) {
    m_stars.clear();
    if (h < 0 || h >= RiskModel::kHorizonCount)
        h = 0;
    if (m_module != nullptr) {
        for (const XStringW& code : m_module->Funds()) {
            auto found = m_riskByCode.find(code);
            if (found == m_riskByCode.end())
                continue;
            const RiskModel::RiskFundRecord& record = found->second;
            RiskModel::FundStar star;
            star.aliascode = record.aliascode;
            star.code = record.code;
            star.name = record.name;
            star.investtype = record.investtype;
            star.returnValue = record.returns[static_cast<size_t>(h)];
            star.stdDev = record.stdDevs[static_cast<size_t>(h)];
            if (std::abs(star.returnValue) >= RiskModel::kMinimumReturn)
                m_stars.push_back(std::move(star));
        }
    }
    m_delegate.SetHorizon(h);
}
