// RiskReturnPage: building the page, loading the figures and feeding the star map.
#include "pages/riskreturn/RiskReturnPage.h"

#include "pages/riskreturn/RiskReturnQueries.h"
#include "wgui/PngImage.h"

#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <cmath>

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

void RiskReturnPage::OnDatabaseChanged() {
    m_universe = RiskUniverse();
    ReloadIfVisible();
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
    if (RequireContext() == nullptr)
        return;
    ShowStars(h, !m_universe.Empty() || TakeUniverse(m_context->FetchAhead(AheadRequest::Risk())));
}

void RiskReturnPage::ShowStars(int h, bool ready) {
    if (!ready) {
        BuildStars(h);
        m_delegate.SetStars(m_stars);
        SetLoading(true, m_starMap);
        return;
    }
    SetLoading(false, m_starMap);
    BuildStars(h);
    m_delegate.SetStars(m_stars);
    m_starMap.SetDelegate(&m_delegate);
}

bool RiskReturnPage::TakeUniverse(AheadResult result) {
    if (result.OnItsWay())
        return false;
    if (result.ReadHere())
        LoadRiskData();
    else if (result.Ok())
        Adopt(result.Take<RiskUniverse>());
    else
        ReportQueryError(result.Error());
    return true;
}

std::optional<AheadRequest> RiskReturnPage::AwaitedAhead() const {
    // The current page finishes its show even while the workspace is off screen.
    if (!IsLoading() || !IsCurrentPage())
        return std::nullopt;
    return AheadRequest::Risk();
}

void RiskReturnPage::OnReadAhead(AheadResult result) {
    ShowStars(CurrentHorizon(), TakeUniverse(std::move(result)));
}

void RiskReturnPage::LoadRiskData() {
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr)
        return;
    RiskUniverse universe;
    XStringW error;
    if (!universe.Load(database, error)) {
        ReportQueryError(error);
        return;
    }
    Adopt(std::move(universe));
}

void RiskReturnPage::Adopt(RiskUniverse universe) {
    m_universe = std::move(universe);
    m_delegate.SetAverages(m_universe.Averages());
}

void RiskReturnPage::BuildStars(int h) {
    m_stars.clear();
    if (h < 0 || h >= RiskModel::kHorizonCount)
        h = 0;
    if (RequireContext() != nullptr) {
        RiskModel::RiskFundRecord record;
        for (const XStringW& code : m_context->Funds()) {
            if (!m_universe.Find(code, record))
                continue;
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
