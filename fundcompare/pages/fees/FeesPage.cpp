// FeesPage: the page around the fee list, the calculator and the manager lists.
#include "pages/fees/FeesPage.h"

#include "grid/HeaderText.h"
#include "pages/common/CalendarDate.h"
#include "pages/growth/GrowthDates.h"
#include "wgui/ModuleInstance.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kViewButtonWidth = 84;
constexpr int kButtonGap = 4;
constexpr int kBoxWidth = 90;
constexpr int kLabelWidth = 60;
constexpr int kTickWidth = 150;
constexpr UINT kManagerRemoveCommand = 103;
constexpr UINT kHistoryRemoveCommand = 104;

using Shown = FeeCompareGrid::Shown;

FeeCompareGrid::Cell NumberCell(Shown shown, double number) {
    FeeCompareGrid::Cell cell;
    cell.shown = shown;
    cell.number = number;
    return cell;
}

FeeCompareGrid::Cell TextCell(const XStringW& text) {
    FeeCompareGrid::Cell cell;
    cell.text = text;
    return cell;
}

} // namespace

FeesPage::FeesPage()
    : ComparePage(L"FeesPage"), m_managerGrid(kManagerRemoveCommand), m_historyGrid(kHistoryRemoveCommand) {
    LetRemoveFunds(m_managerGrid);
    LetRemoveFunds(m_historyGrid);
    m_feeGrid.SetColumnRemover([this](const std::vector<XStringW>& codes) {
        if (CompareContext* context = RequireContext())
            context->RemoveFunds(codes);
    });
    m_managerGrid.SetEnterHandler([this](const XStringW& code) { ShowHistoryOf(code); });
}

FeesPage::~FeesPage() = default;

const std::vector<std::pair<double, const wchar_t*>>& FeesPage::Amounts() {
    static const std::vector<std::pair<double, const wchar_t*>> amounts = {
        {1e4, L"1万元"},   {5e4, L"5万元"},   {1e5, L"10万元"},   {5e5, L"50万元"},
        {1e6, L"100万元"}, {5e6, L"500万元"}, {1e7, L"1000万元"},
    };
    return amounts;
}

const std::vector<std::pair<int, const wchar_t*>>& FeesPage::Periods() {
    static const std::vector<std::pair<int, const wchar_t*>> periods = {
        {7, L"7天"},   {30, L"30天"},  {180, L"6个月"}, {365, L"1年"},
        {730, L"2年"}, {1095, L"3年"}, {1825, L"5年"},  {3650, L"10年"},
    };
    return periods;
}

// ---- Creation and layout ----------------------------------------------------------------------------

bool FeesPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return false;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            Reload();
        return false;
    case WM_LBUTTONDOWN: {
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (m_view == View::kFees && PtInRect(&m_tickRect, point))
            SetEstimateGrowth(!m_estimateGrowth);
        return false;
    }
    case Control::kTableHeaderSelChange:
        if (!m_selecting && reinterpret_cast<HWND>(wParam) == static_cast<HWND>(m_viewHeader))
            ShowView(lParam == 1 ? View::kManagers : View::kFees);
        result = 0;
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE &&
            (LOWORD(wParam) == kAmountBoxId || LOWORD(wParam) == kPeriodBoxId))
            OnBoxChange(LOWORD(wParam));
        return false;
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void FeesPage::OnCreate() {
    m_viewHeader.SetFontSize(12);
    m_viewHeader.SetButtonWidth(kViewButtonWidth);
    m_viewHeader.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    m_viewHeader.AddButton(L"费率对比");
    m_viewHeader.AddButton(L"基金经理");
    m_viewHeader.SetStyle(Control::TableHeaderStyleButton);

    RECT empty{0, 0, 0, 0};
    const DWORD boxStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST;
    m_amountBox.Create(m_hWnd, &empty, nullptr, boxStyle, 0, reinterpret_cast<HMENU>(kAmountBoxId));
    m_periodBox.Create(m_hWnd, &empty, nullptr, boxStyle, 0, reinterpret_cast<HMENU>(kPeriodBoxId));
    for (WGUI::ComboBox* box : {&m_amountBox, &m_periodBox})
        box->SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    for (const auto& amount : Amounts())
        m_amountBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(amount.second));
    for (const auto& period : Periods())
        m_periodBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(period.second));

    // The fee list first: it is the page's first list, whose sort the workspace remembers.
    m_feeGrid.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    m_managerGrid.Create(L"", WS_CHILD, 0, 0, 0, 0, m_hWnd);
    m_managerGrid.Bind();
    m_historyGrid.Create(L"", WS_CHILD, 0, 0, 0, 0, m_hWnd);
    m_historyGrid.Bind();

    // The manager view keeps the rows of the investment types ticked in its filter.
    m_filter.SetTarget(&m_managerGrid);
    m_filter.Create(m_hWnd);
    FilterCondition condition;
    condition.field = L"investtype";
    condition.title = L"投资类型";
    condition.prompt = L"投资类型:";
    condition.flags = FilterCondition::kButtonAtOnce | FilterCondition::kMultiple | FilterCondition::kVisible;
    m_filter.AddCondition(condition);

    m_selecting = true;
    m_viewHeader.SetCurrSel(0);
    m_selecting = false;
    SetAmount(m_amount);
    SetPeriodDays(m_days);
    if (m_theme != nullptr)
        ApplyTheme(m_theme);
}

void FeesPage::OnSize(int, int) {
    Layout();
}

void FeesPage::Layout() {
    if (!IsWindow())
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right, height = client.bottom;
    const int viewWidth = 2 * kViewButtonWidth + kButtonGap;
    ::MoveWindow(m_viewHeader, 8, 4, viewWidth, 22, TRUE);
    int x = 8 + viewWidth + 16;
    m_labelRects[0] = RECT{x, 4, x + kLabelWidth, 26};
    m_amountBox.MoveWindow(RECT{x + kLabelWidth, 4, x + kLabelWidth + kBoxWidth, 200});
    x += kLabelWidth + kBoxWidth + 12;
    m_labelRects[1] = RECT{x, 4, x + kLabelWidth, 26};
    m_periodBox.MoveWindow(RECT{x + kLabelWidth, 4, x + kLabelWidth + kBoxWidth, 200});
    x += kLabelWidth + kBoxWidth + 12;
    m_tickRect = RECT{x, 4, x + kTickWidth, 26};
    const bool fees = m_view == View::kFees;
    for (WGUI::ComboBox* box : {&m_amountBox, &m_periodBox})
        box->ShowWindow(fees ? SW_SHOW : SW_HIDE);
    // The filter stands at the right of the strip, as on the other pages with one; its buttons
    // grow to the left as values are ticked.
    if (m_filter.GetHandle() != nullptr) {
        const int left = std::max(8 + viewWidth + 16, width - 353);
        ::MoveWindow(m_filter.GetHandle(), left, 2, std::max(0, width - 8 - left), 26, TRUE);
        ::ShowWindow(m_filter.GetHandle(), fees ? SW_HIDE : SW_SHOW);
    }

    m_captionRect = RECT{8, kTopStrip, width - 8, kTopStrip + kCaptionHeight};
    const int top = m_captionRect.bottom;
    const int bottom = std::max(top, height);
    if (m_feeGrid.IsWindow())
        m_feeGrid.MoveWindow(0, top, width, bottom - top, TRUE);
    const int split = top + std::max(80, (bottom - top) * 11 / 20);
    if (m_managerGrid.IsWindow())
        m_managerGrid.MoveWindow(0, top, width, std::max(0, split - top), TRUE);
    m_historyCaptionRect = RECT{8, split, width - 8, split + kCaptionHeight};
    if (m_historyGrid.IsWindow())
        m_historyGrid.MoveWindow(0, m_historyCaptionRect.bottom, width,
                                 std::max(0, bottom - static_cast<int>(m_historyCaptionRect.bottom)), TRUE);
    Invalidate(TRUE);
}

// ---- Theme ------------------------------------------------------------------------------------------

void FeesPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_theme = theme;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);
    Conf::ThemeFont font;
    theme->GetFont("default", font);
    LOGFONTW logFont{};
    logFont.lfHeight = -12;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(logFont.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
    m_labelFont.Replace(CreateFontIndirectW(&logFont));

    m_viewHeader.SetBkColor(m_backColour);
    m_filter.ApplyTheme(theme);
    COLORREF colour = 0;
    auto set = [&](const char* key, void (Control::XTableHeader::*setter)(COLORREF)) {
        if (theme->GetColor(key, colour))
            (m_viewHeader.*setter)(colour);
    };
    set("tabhdr_normal_bg", &Control::XTableHeader::SetItemBkColor);
    set("tabhdr_normal_border", &Control::XTableHeader::SetItemBdColor);
    set("tabhdr_normal_text", &Control::XTableHeader::SetTextColor);
    set("tabhdr_focus_bg", &Control::XTableHeader::SetItemSelBkColor);
    set("tabhdr_focus_border", &Control::XTableHeader::SetItemSelBdColor);
    set("tabhdr_focus_text", &Control::XTableHeader::SetTextSelColor);

    m_feeGrid.SetTheme(theme);
    m_feeGrid.SetDrawGridLine(true, true);
    m_feeGrid.SetRowHight(24);
    m_feeGrid.SetHeaderRowHight(40);
    m_feeGrid.SetApp(m_context != nullptr ? m_context->App() : nullptr);
    m_feeGrid.ResetHeader();

    const std::pair<ManagerGrid*, const wchar_t*> grids[] = {{&m_managerGrid, L"FEES_MANAGER_GRIDHEADER"},
                                                             {&m_historyGrid, L"FEES_HISTORY_GRIDHEADER"}};
    for (const auto& [grid, header] : grids) {
        grid->SetTheme(theme);
        grid->SetDrawGridLine(false, true);
        grid->SetHeader(LoadResourceText(WGUI::ModuleInstance(), L"XML", header).c_str());
        grid->SetApp(m_context != nullptr ? m_context->App() : nullptr);
        grid->ApplyUserZoom();
    }
    Refresh();
}

// ---- Reloading --------------------------------------------------------------------------------------

void FeesPage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload();
}

void FeesPage::OnFundsCleared() {
    Forget();
}

void FeesPage::Forget() {
    m_book.Clear();
    m_history.Clear();
    m_waiting = false;
    m_historyCode.clear();
    m_feeGrid.Fill({});
    m_managerGrid.Clear();
    m_historyGrid.Clear();
    ReloadIfVisible();
}

void FeesPage::OnDatabaseChanged() {
    // Nothing read from the other database stands: its histories least of all, which the cache
    // would otherwise keep for the funds compared in both.
    Forget();
}

void FeesPage::Reload() {
    ++m_reloads;
    Data::IDatabase* database = RequireContext() != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen())
        return;
    const std::vector<XStringW> codes(m_context->Funds().begin(), m_context->Funds().end());
    FeeBook read;
    XStringW error;
    if (!read.LoadFees(database, codes, error) ||
        (m_view == View::kManagers && !read.LoadManagers(database, codes, error))) {
        ReportQueryError(error);
        return;
    }
    m_book = std::move(read);
    // The lists show at once; returns that wait for their histories fill in when these arrive. A
    // view that wants none waits for none.
    if (!NeedsHistory())
        m_waiting = false;
    else if (BringHistory() == HistoryState::kFailed && m_estimateGrowth) {
        m_estimateGrowth = false;
        if (IsWindow())
            InvalidateRect(m_hWnd, &m_tickRect, FALSE);
    }
    if (m_view == View::kManagers)
        RebuildManagers();
    Recalculate();
}

FeesPage::HistoryState FeesPage::BringHistory(std::optional<AheadResult> arrived) {
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen()) {
        m_waiting = false;
        return HistoryState::kFailed;
    }
    const std::vector<XStringW> codes(m_context->Funds().begin(), m_context->Funds().end());
    // A result for another set (an older one) may lack funds of this one: they are asked for
    // again, never read here while a read-ahead works.
    for (int round = 0; round < 2 && m_history.NeedsReading(codes); ++round) {
        AheadResult result =
            arrived ? std::move(*arrived) : m_context->FetchAhead(AheadRequest::Histories(codes));
        arrived.reset();
        if (result.ReadHere())
            break; // the Sync below reads them here
        if (result.OnItsWay()) {
            m_waiting = true;
            return HistoryState::kWaiting;
        }
        if (!result.Ok()) {
            m_waiting = false;
            ReportQueryError(result.Error());
            return HistoryState::kFailed;
        }
        m_history.Merge(result.Take<GrowthHistory>());
    }
    m_waiting = false;
    XStringW error;
    if (!m_history.Sync(database, codes, error)) {
        ReportQueryError(error);
        return HistoryState::kFailed;
    }
    return HistoryState::kReady;
}

std::optional<AheadRequest> FeesPage::AwaitedAhead() const {
    if (!m_waiting || !IsCurrentPage() || m_context == nullptr)
        return std::nullopt;
    return AheadRequest::Histories(
        std::vector<XStringW>(m_context->Funds().begin(), m_context->Funds().end()));
}

void FeesPage::OnReadAhead(AheadResult result) {
    // Histories nobody waits for any more (the view or the set changed meanwhile, and a reload
    // took them) are dropped.
    if (!m_waiting || result.Kind() != AheadKind::kHistory)
        return;
    if (BringHistory(std::move(result)) == HistoryState::kWaiting)
        return;
    if (!NeedsHistory())
        return;
    if (m_view == View::kManagers)
        RebuildManagers();
    Recalculate();
    if (IsWindow())
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---- The calculator ---------------------------------------------------------------------------------

void FeesPage::SetAmount(double amount) {
    if (!(amount > 0.0) || !std::isfinite(amount))
        return;
    m_amount = amount;
    if (m_amountBox.IsWindow()) {
        // The offered amount nearest to it (on a log scale) stands in the box.
        const auto& amounts = Amounts();
        size_t best = 0;
        for (size_t k = 1; k < amounts.size(); ++k)
            if (std::fabs(std::log(amounts[k].first / amount)) <
                std::fabs(std::log(amounts[best].first / amount)))
                best = k;
        m_amountBox.SendMessage(CB_SETCURSEL, best, 0);
    }
    Recalculate();
}

void FeesPage::SetPeriodDays(int days) {
    if (days <= 0)
        return;
    m_days = days;
    if (m_periodBox.IsWindow()) {
        const auto& periods = Periods();
        size_t best = 0;
        for (size_t k = 1; k < periods.size(); ++k)
            if (std::abs(periods[k].first - days) < std::abs(periods[best].first - days))
                best = k;
        m_periodBox.SendMessage(CB_SETCURSEL, best, 0);
    }
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_tickRect, FALSE);
    Recalculate();
}

void FeesPage::OnBoxChange(int id) {
    WGUI::ComboBox& box = id == kAmountBoxId ? m_amountBox : m_periodBox;
    const LRESULT index = box.SendMessage(CB_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    const size_t k = static_cast<size_t>(index);
    if (id == kAmountBoxId && k < Amounts().size())
        SetAmount(Amounts()[k].first);
    else if (id == kPeriodBoxId && k < Periods().size())
        SetPeriodDays(Periods()[k].first);
}

void FeesPage::SetEstimateGrowth(bool estimate) {
    if (estimate == m_estimateGrowth)
        return;
    m_estimateGrowth = estimate;
    if (!NeedsHistory())
        m_waiting = false;
    // The estimate waits for the histories when they are on their way ("--" until they come).
    if (estimate && m_context != nullptr && m_context->Database() != nullptr && IsWindowVisible() &&
        BringHistory() == HistoryState::kFailed) {
        m_estimateGrowth = false;
        return;
    }
    if (IsWindow())
        InvalidateRect(m_hWnd, nullptr, FALSE);
    Recalculate();
}

int FeesPage::GrowthYears() const {
    const int years = (m_days + FeeCalculator::kDaysPerYear - 1) / FeeCalculator::kDaysPerYear;
    return std::clamp(years, 1, 5);
}

double FeesPage::RecentGrowth(const XStringW& code, int years) const {
    const GrowthSeries* series = m_history.Find(code);
    if (series == nullptr || series->Empty())
        return FeeTier::kNone;
    const int last = series->days.back();
    const int from = GrowthDates::AddYears(last, -years);
    // The history must reach back to the start of the years asked for (a week's slack for a
    // start on a holiday).
    if (series->days.front() > from + 7)
        return FeeTier::kNone;
    int fromDay = -1, toDay = -1;
    const double r = ManagerRecord::ReturnBetween(*series, from, last, &fromDay, &toDay);
    if (!std::isfinite(r) || toDay <= fromDay || r <= -1.0)
        return FeeTier::kNone;
    return std::pow(1.0 + r, 365.0 / (toDay - fromDay)) - 1.0;
}

XStringW FeesPage::CostCaption() const {
    if (m_book.GetFeeStatus() == FeeBook::FeeStatus::kNoFeeTables)
        return kNoFeeDataNotice;
    XStringW caption;
    caption.Format(
        L"投资 %s、持有 %s：申购费按金额所在档前端收取（费率按外扣法，固定费用按笔）；年费用按日计提，"
        L"%s；赎回费按持有天数所在档；区间含下限、不含上限；一年按 365 天%s",
        FeeCalculator::BoundText(m_amount, true).c_str(), FeeCalculator::BoundText(m_days, false).c_str(),
        m_estimateGrowth ? XStringW().Format(L"资产按各基金近 %d 年年化收益增长", GrowthYears()).c_str()
                         : L"资产按零增长计",
        m_estimateGrowth && m_waiting ? (XStringW(L"（") + kHistoryComingNotice + XStringW(L"）")).c_str()
                                      : L"");
    return caption;
}

void FeesPage::Recalculate() {
    std::vector<FeeCompareGrid::Column> columns;
    columns.reserve(m_book.Funds().size());
    double cheapest = FeeTier::kNoEnd;
    std::vector<FeeCost> costs;
    costs.reserve(m_book.Funds().size());
    for (const FundFees& fund : m_book.Funds()) {
        FeeCompareGrid::Column column;
        column.code = fund.code;
        column.title = fund.name + XStringW(L"\n(") + fund.aliascode + XStringW(L")");
        auto& cells = column.cells;
        const bool known = fund.known;
        cells[FeeCompareGrid::kShareClass] =
            TextCell(known && fund.shareClass.empty() ? XStringW(L"不分类") : fund.shareClass);
        cells[FeeCompareGrid::kManagementFee] = NumberCell(Shown::kRate, fund.management);
        cells[FeeCompareGrid::kCustodyFee] = NumberCell(Shown::kRate, fund.custody);
        cells[FeeCompareGrid::kSalesFee] = NumberCell(Shown::kRate, fund.sales);
        cells[FeeCompareGrid::kYearlyFees] = NumberCell(Shown::kRate, FeeCalculator::YearlyRate(fund));
        cells[FeeCompareGrid::kMinPurchase] = NumberCell(Shown::kAmount, fund.minPurchase);
        column.tiers[0] = fund.purchase;
        column.tiers[1] = fund.redemption;

        const double growth = m_estimateGrowth ? RecentGrowth(fund.code, GrowthYears()) : 0.0;
        cells[FeeCompareGrid::kGrowth] = NumberCell(Shown::kPercent, growth);
        const FeeCost cost = FeeCalculator::Compute(fund, m_amount, m_days, growth);
        cells[FeeCompareGrid::kSubscription] = NumberCell(Shown::kMoney, cost.subscription);
        if (cost.belowMinimum && std::isfinite(cost.subscription))
            cells[FeeCompareGrid::kSubscription].text = L"（低于起购额）";
        cells[FeeCompareGrid::kHoldingFees] = NumberCell(Shown::kMoney, cost.yearly);
        cells[FeeCompareGrid::kRedemption] = NumberCell(Shown::kMoney, cost.redemption);
        cells[FeeCompareGrid::kTotal] = NumberCell(Shown::kMoney, cost.total);
        cells[FeeCompareGrid::kPerYear] = NumberCell(Shown::kPercent, cost.perYear);
        // Only a total with every fee known competes for the cheapest: a fund whose tiers are
        // missing would otherwise win by what is not known.
        if (cost.complete && cost.total < cheapest)
            cheapest = cost.total;
        costs.push_back(cost);
        columns.push_back(std::move(column));
    }
    for (size_t k = 0; k < columns.size(); ++k)
        if (costs[k].complete && std::fabs(costs[k].total - cheapest) < 0.005 && columns.size() > 1) {
            columns[k].cheapest = true;
            columns[k].cells[FeeCompareGrid::kTotal].text += FeeCompareGrid::kCheapestMark;
        }
    m_feeGrid.SetCostCaption(XStringW().Format(L"费用测算（%s，%s）",
                                               FeeCalculator::BoundText(m_amount, true).c_str(),
                                               FeeCalculator::BoundText(m_days, false).c_str()));
    m_feeGrid.Fill(std::move(columns));
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_captionRect, FALSE);
}

// ---- The managers -----------------------------------------------------------------------------------

void FeesPage::ShowView(View view) {
    const bool changed = view != m_view;
    m_view = view;
    m_selecting = true;
    m_viewHeader.SetCurrSel(view == View::kManagers ? 1 : 0);
    m_selecting = false;
    const bool fees = view == View::kFees;
    m_feeGrid.ShowWindow(fees ? SW_SHOW : SW_HIDE);
    m_managerGrid.ShowWindow(fees ? SW_HIDE : SW_SHOW);
    m_historyGrid.ShowWindow(fees ? SW_HIDE : SW_SHOW);
    Layout();
    if (changed && IsWindowVisible())
        Reload();
}

int FeesPage::AsOfDay() const {
    int latest = -1;
    if (m_history.HasIndex())
        latest = m_history.Index().days.back();
    if (m_context != nullptr)
        for (const XStringW& code : m_context->Funds())
            if (const GrowthSeries* series = m_history.Find(code); series != nullptr && !series->Empty())
                latest = std::max(latest, series->days.back());
    if (latest >= 0)
        return latest;
    const CalendarDate today = CalendarDate::FromLocalClock();
    return GrowthDates::FromCivil(today.year, today.month, today.day);
}

StintFigures FeesPage::FiguresOf(const ManagerStint& stint, const XStringW& code) const {
    StintFigures figures = ManagerRecord::Figures(stint, AsOfDay(), m_history.Find(code),
                                                  m_history.HasIndex() ? &m_history.Index() : nullptr);
    // The data's last day is not known before the histories come; a tenure to today would change
    // under the user's eyes when they do.
    if (m_waiting)
        figures.tenureYears = StintFigures::kNone;
    return figures;
}

namespace {

// A row of a manager list for a fund; the figures and counts are filled in by the caller.
ManagerGrid::Row RowOf(const FundFees& fund) {
    ManagerGrid::Row row;
    row.code = fund.code;
    row.aliascode = fund.aliascode;
    row.name = fund.name;
    row.investType = fund.investType;
    return row;
}

} // namespace

void FeesPage::RebuildManagers() {
    std::vector<ManagerGrid::Row> rows;
    for (const FundFees& fund : m_book.Funds()) {
        const std::vector<ManagerStint>& stints = m_book.Stints(fund.code);
        const int changes = ManagerRecord::Changes(stints);
        const std::vector<ManagerStint> current = ManagerRecord::Current(stints);
        if (current.empty()) {
            // A fund without a current manager keeps its row, so that it stays in view and removable.
            ManagerGrid::Row row = RowOf(fund);
            row.changes = changes;
            rows.push_back(std::move(row));
            continue;
        }
        for (const ManagerStint& stint : current) {
            ManagerGrid::Row row = RowOf(fund);
            row.figures = FiguresOf(stint, fund.code);
            row.changes = changes;
            const int run = m_book.FundsRun(stint.name);
            // The funds run now other than this one.
            row.otherFunds = run >= 1 ? run - 1 : run;
            rows.push_back(std::move(row));
        }
    }
    m_managerGrid.Fill(rows);
    UpdateFilterValues();
    if (!m_historyCode.empty() && m_book.Find(m_historyCode) == nullptr)
        m_historyCode.clear();
    if (m_historyCode.empty() && !m_book.Funds().empty())
        m_historyCode = m_book.Funds().front().code;
    ShowHistoryOf(m_historyCode);
}

void FeesPage::ShowHistoryOf(const XStringW& code) {
    m_historyCode = code;
    const FundFees* fund = m_book.Find(code);
    std::vector<ManagerGrid::Row> rows;
    if (fund != nullptr)
        for (const ManagerStint& stint : m_book.Stints(code)) {
            ManagerGrid::Row row = RowOf(*fund);
            row.figures = FiguresOf(stint, code);
            rows.push_back(std::move(row));
        }
    m_historyGrid.Fill(rows);
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_historyCaptionRect, FALSE);
}

void FeesPage::UpdateFilterValues() {
    std::vector<XStringW> types;
    for (const FundFees& fund : m_book.Funds())
        types.push_back(fund.investType.empty() ? XStringW(L"--") : fund.investType);
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    // New values untick what was ticked: only a set of types that changed replaces them.
    if (types == m_filterTypes)
        return;
    m_filterTypes = types;
    std::vector<FilterValue> values;
    for (const XStringW& type : types)
        values.push_back(FilterValue{type, type});
    m_filter.ReplaceValues(L"investtype", values);
}

XStringW FeesPage::ExportCaption() const {
    if (m_view == View::kFees)
        return CostCaption();
    XStringW caption;
    if (m_waiting)
        return kHistoryComingNotice;
    caption.Format(L"截至 %s；收益含分红再投资，任职早于净值历史的从历史首日起算",
                   GrowthDates::Format(AsOfDay()).c_str());
    return caption;
}

// ---- Painting ---------------------------------------------------------------------------------------

void FeesPage::PaintOver(HDC dc, const RECT&) {
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                            : static_cast<HGDIOBJ>(m_labelFont.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_labelColour);
    const UINT flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (m_view == View::kFees) {
        const wchar_t* labels[2] = {L"投资金额", L"持有期"};
        for (int k = 0; k < 2; ++k) {
            RECT area = m_labelRects[k];
            DrawTextW(dc, labels[k], -1, &area, flags);
        }
        // The tick: a square box, checked with a cross of two strokes, then its words.
        const int side = 12;
        RECT box{m_tickRect.left, (m_tickRect.top + m_tickRect.bottom - side) / 2, m_tickRect.left + side, 0};
        box.bottom = box.top + side;
        HPEN pen = CreatePen(PS_SOLID, 1, m_labelColour);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        if (m_estimateGrowth) {
            MoveToEx(dc, box.left + 2, box.top + side / 2, nullptr);
            LineTo(dc, box.left + side / 2 - 1, box.bottom - 3);
            LineTo(dc, box.right - 2, box.top + 2);
        }
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        XStringW words;
        words.Format(L"按近%d年收益估算", GrowthYears());
        RECT area{box.right + 6, m_tickRect.top, m_tickRect.right, m_tickRect.bottom};
        DrawTextW(dc, words.c_str(), -1, &area, flags);
    }
    const XStringW caption = m_view == View::kFees ? CostCaption() : ExportCaption();
    RECT area = m_captionRect;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.length()), &area, flags);
    if (m_view == View::kManagers) {
        XStringW below;
        const FundFees* fund = m_book.Find(m_historyCode);
        if (fund != nullptr)
            below.Format(L"%s（%s）历任基金经理；在上表中按 Enter 或双击一行查看该基金", fund->name.c_str(),
                         fund->aliascode.c_str());
        else
            below = L"在上表中按 Enter 或双击一行，列出该基金的历任基金经理";
        RECT lower = m_historyCaptionRect;
        DrawTextW(dc, below.c_str(), static_cast<int>(below.length()), &lower, flags);
    }
    SelectObject(dc, oldFont);
}
