// RiskReturnPage: building the page, loading the figures and feeding the star map.
#include "pages/riskreturn/RiskReturnPage.h"

#include "pages/common/ToolbarFlow.h"
#include "pages/riskreturn/RiskReturnQueries.h"
#include "wgui/PngImage.h"

#include <platform/gdiplus.h>
#include <sdk/Kernel.h>

#include <algorithm>
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
        if (LOWORD(wParam) == kFitBoxId && HIWORD(wParam) == BN_CLICKED &&
            reinterpret_cast<HWND>(lParam) == m_fitBox.GetHandle())
            SetFitToData(m_fitBox.SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED);
        return false;
    case WM_CTLCOLORSTATIC:
        // The box's caption in the page's label colour, on the page's background.
        SetTextColor(reinterpret_cast<HDC>(wParam), m_labelColour);
        SetBkColor(reinterpret_cast<HDC>(wParam), m_backColour);
        result = reinterpret_cast<LRESULT>(m_backBrush.GetHandle());
        return true;
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
    m_fitBox.Create(m_hWnd, &empty, kFitCaption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFitBoxId)));
    m_fitBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    m_fitBox.SendMessage(BM_SETCHECK, m_delegate.FitToData() ? BST_CHECKED : BST_UNCHECKED, 0);

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

void RiskReturnPage::OnSize(int, int) {
    Layout();
}

void RiskReturnPage::Layout() {
    if (!IsWindow())
        return;
    RECT client{};
    GetClientRect(&client);
    const int width = client.right, height = client.bottom;
    // The box and the toggle overlap the map's top edge, in the corner the map leaves free of its
    // axes and captions.
    ToolbarFlow flow(8, 1, width - 20, 26, 2, 12);
    flow.Group(true);
    ToolbarFlow::Item fit;
    fit.window = m_fitBox;
    fit.width = 84;
    fit.height = 20;
    flow.Add(fit);
    ToolbarFlow::Item box;
    box.window = m_horizonBox;
    box.width = 100;
    box.dropHeight = 100;
    box.gap = 12;
    flow.Add(box);
    flow.Apply();

    // Under the map, the words about the funds without a star: one line in the 30 pixels the map
    // leaves free, and up to three lines (the map giving way) when there are many.
    int below = 30;
    const XStringW text = MissingText();
    if (!text.empty()) {
        HDC dc = ::GetDC(m_hWnd);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        RECT measure{0, 0, std::max(1, width - 16), 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &measure,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
        const int lineHeight = 16;
        below = std::clamp(static_cast<int>(measure.bottom) + 10, 30, 3 * lineHeight + 10);
    }
    const int mapHeight = std::max(0, height - 20 - below);
    if (m_starMap.IsWindow())
        m_starMap.MoveWindow(0, 20, width, mapHeight, TRUE);
    m_missingRect =
        RECT{8, 20 + mapHeight + 4, std::max(8, width - 8), std::max(20 + mapHeight + 4, height - 2)};
}

void RiskReturnPage::SetFitToData(bool fit) {
    if (m_fitBox.IsWindow())
        m_fitBox.SendMessage(BM_SETCHECK, fit ? BST_CHECKED : BST_UNCHECKED, 0);
    if (fit == m_delegate.FitToData())
        return;
    m_delegate.SetFitToData(fit);
    // The map reads its ranges when it is given its delegate.
    if (m_starMap.IsWindow() && m_starMap.GetDelegate() == &m_delegate)
        m_starMap.SetDelegate(&m_delegate);
}

void RiskReturnPage::PaintOver(HDC dc, const RECT&) {
    const XStringW text = MissingText();
    if (text.empty())
        return;
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_labelColour);
    RECT area = m_missingRect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &area,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
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
    theme->GetColor("list_prev_data", m_labelColour);
    if (m_fitBox.IsWindow())
        m_fitBox.Invalidate(TRUE);
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
    Layout();
    if (IsWindow())
        Invalidate(FALSE);
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
    m_missing.clear();
    if (h < 0 || h >= RiskModel::kHorizonCount)
        h = 0;
    if (RequireContext() != nullptr) {
        RiskModel::RiskFundRecord record;
        for (const XStringW& code : m_context->Funds()) {
            if (!m_universe.Find(code, record)) {
                // Before the figures are read every fund would look left out: none is listed then.
                if (!m_universe.Empty())
                    m_missing.push_back({code, XStringW(), RiskModel::MissingFund::Reason::NotCovered});
                continue;
            }
            RiskModel::FundStar star;
            star.aliascode = record.aliascode;
            star.code = record.code;
            star.name = record.name;
            star.investtype = record.investtype;
            star.returnValue = record.returns[static_cast<size_t>(h)];
            star.stdDev = record.stdDevs[static_cast<size_t>(h)];
            if (std::abs(star.returnValue) >= RiskModel::kMinimumReturn) {
                m_stars.push_back(std::move(star));
                continue;
            }
            // Figures for a shorter horizon only: the fund is younger than this one.
            bool shorter = false;
            for (int k = 0; k < h; ++k)
                shorter =
                    shorter || std::abs(record.returns[static_cast<size_t>(k)]) >= RiskModel::kMinimumReturn;
            m_missing.push_back({record.code, record.name,
                                 shorter ? RiskModel::MissingFund::Reason::TooYoung
                                         : RiskModel::MissingFund::Reason::NoFigures});
        }
    }
    m_delegate.SetHorizon(h);
}
