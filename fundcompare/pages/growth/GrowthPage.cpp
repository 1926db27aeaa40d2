// GrowthPage: the page around the chart, the figures and the matrix.
#include "pages/growth/GrowthPage.h"

#include "grid/HeaderText.h"
#include "pages/common/ToolbarFlow.h"
#include "pages/growth/GrowthDates.h"
#include "pages/growth/GrowthSettings.h"

#include "wgui/ModuleInstance.h"
#include <sdk/ControlScriptCommand.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kRangeButtonWidth = 64;
constexpr int kViewButtonWidth = 84;
constexpr int kButtonGap = 4; // the table header's gap between flat buttons
constexpr int kDateBoxWidth = 100;
constexpr int kBenchmarkBoxWidth = 180;
constexpr int kBenchmarkBoxMinWidth = 120;
constexpr int kBenchmarkDrop = 160; // the height of the benchmark box's list below it

const wchar_t kChartCaption[] = L"累计收益率（%）：各线以自己在区间内的首个交易日为 "
                                L"0；现金分红按除息日的单位净值再投资（累计净值的日增量除以前一日单位净值）";

COLORREF ThemeColour(Conf::ITheme* theme, const char* key, COLORREF fallback) {
    COLORREF colour = fallback;
    if (theme != nullptr)
        theme->GetColor(key, colour);
    return colour;
}

} // namespace

GrowthPage::GrowthPage() : ComparePage(L"GrowthPage") {
    LetRemoveFunds(m_grid);
    LetRemoveFunds(m_matrix);
}

GrowthPage::~GrowthPage() = default;

// ---- Creation and layout ----------------------------------------------------------------------------

bool GrowthPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
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
        else
            m_grid.ReleaseDrawingResource();
        return false;
    case Control::kTableHeaderSelChange:
        OnHeaderSelection(reinterpret_cast<HWND>(wParam), static_cast<int>(lParam));
        result = 0;
        return true;
    case Control::kScriptCommandMessage:
        result = RunScriptCommand(*reinterpret_cast<Control::ScriptCommand*>(lParam)) ? 1 : 0;
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == DateBox::kDateChanged &&
            (LOWORD(wParam) == kStartBoxId || LOWORD(wParam) == kEndBoxId))
            SetCustomRange(m_startBox.Date(), m_endBox.Date());
        else if (HIWORD(wParam) == CBN_SELCHANGE && LOWORD(wParam) == kBenchmarkBoxId &&
                 reinterpret_cast<HWND>(lParam) == m_benchmarkBox.GetHandle())
            OnBenchmarkPicked();
        return false;
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void GrowthPage::OnCreate() {
    if (m_context != nullptr) {
        const GrowthSettings settings = GrowthSettings::Read(m_context->App());
        m_rangeKind = settings.defaultRange;
        m_benchmark = settings.benchmark;
    }

    m_rangeHeader.SetFontSize(12);
    m_rangeHeader.SetButtonWidth(kRangeButtonWidth);
    m_rangeHeader.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    for (int kind = 0; kind < GrowthRange::kCount; ++kind)
        m_rangeHeader.AddButton(GrowthRange::Caption(kind));
    m_rangeHeader.AddButton(L"自定义");
    m_rangeHeader.SetStyle(Control::TableHeaderStyleButton);

    m_startBox.Create(m_hWnd, kStartBoxId);
    m_endBox.Create(m_hWnd, kEndBoxId);
    const RECT none{0, 0, 0, 0};
    m_benchmarkBox.Create(m_hWnd, &none, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBenchmarkBoxId)));
    m_benchmarkBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    FillBenchmarkBox();

    m_viewHeader.SetFontSize(12);
    m_viewHeader.SetButtonWidth(kViewButtonWidth);
    m_viewHeader.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    m_viewHeader.AddButton(L"风险指标");
    m_viewHeader.AddButton(L"相关性矩阵");
    m_viewHeader.SetStyle(Control::TableHeaderStyleButton);

    m_chart.Create(m_hWnd);
    m_chart.SetCaption(kChartCaption);
    m_grid.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    m_grid.Bind();
    m_matrix.Create(L"", WS_CHILD, 0, 0, 0, 0, m_hWnd);

    m_selecting = true;
    m_rangeHeader.SetCurrSel(m_rangeKind);
    m_selecting = false;
    if (m_theme != nullptr)
        ApplyTheme(m_theme);
}

void GrowthPage::OnSize(int width, int height) {
    const int rangeWidth = (GrowthRange::kCount + 1) * (kRangeButtonWidth + kButtonGap) - kButtonGap;
    ToolbarFlow flow(8, 4, width - 8);
    flow.Add(m_rangeHeader, rangeWidth);
    flow.Group();
    flow.Add(m_startBox, kDateBoxWidth);
    flow.Add(nullptr, 24); // "至", painted
    flow.Add(m_endBox, kDateBoxWidth);
    flow.Group();
    ToolbarFlow::Item benchmark;
    benchmark.window = m_benchmarkBox;
    benchmark.width = kBenchmarkBoxWidth;
    benchmark.minWidth = kBenchmarkBoxMinWidth;
    benchmark.dropHeight = kBenchmarkDrop;
    flow.Add(benchmark);
    flow.Group(true);
    flow.Add(m_viewHeader, 2 * kViewButtonWidth + kButtonGap);
    const int stripBottom = std::max(kTopStrip, flow.Apply() + 4);

    const int chartHeight = std::max(160, (height - stripBottom) * 11 / 20);
    m_chart.MoveWindow(RECT{0, stripBottom, width, stripBottom + chartHeight}, TRUE);
    m_captionRect = RECT{8, stripBottom + chartHeight, width - 8, stripBottom + chartHeight + kCaptionHeight};
    const RECT below{0, m_captionRect.bottom, width,
                     std::max(static_cast<int>(m_captionRect.bottom), height)};
    if (m_grid.IsWindow())
        m_grid.MoveWindow(below.left, below.top, below.right - below.left, below.bottom - below.top, TRUE);
    if (m_matrix.IsWindow())
        m_matrix.MoveWindow(below.left, below.top, below.right - below.left, below.bottom - below.top, TRUE);
}

// ---- Theme ------------------------------------------------------------------------------------------

void GrowthPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_theme = theme;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);
    Conf::ThemeFont font;
    theme->GetFont("default", font);
    m_labelFont.Replace(gdiobj::CreateTextFont(font.face.c_str()));

    for (Control::XTableHeader* header : {&m_rangeHeader, &m_viewHeader}) {
        header->SetBkColor(m_backColour);
        COLORREF colour = 0;
        auto set = [&](const char* key, void (Control::XTableHeader::*setter)(COLORREF)) {
            if (theme->GetColor(key, colour))
                (header->*setter)(colour);
        };
        set("tabhdr_normal_bg", &Control::XTableHeader::SetItemBkColor);
        set("tabhdr_normal_border", &Control::XTableHeader::SetItemBdColor);
        set("tabhdr_normal_text", &Control::XTableHeader::SetTextColor);
        set("tabhdr_focus_bg", &Control::XTableHeader::SetItemSelBkColor);
        set("tabhdr_focus_border", &Control::XTableHeader::SetItemSelBdColor);
        set("tabhdr_focus_text", &Control::XTableHeader::SetTextSelColor);
    }
    DateBox::Colours boxColours;
    boxColours.background = ThemeColour(theme, "combo_bg", RGB(255, 255, 255));
    boxColours.text = ThemeColour(theme, "combo_text", RGB(0, 0, 0));
    boxColours.border = ThemeColour(theme, "combo_border", RGB(128, 128, 128));
    boxColours.focusBorder = ThemeColour(theme, "tabhdr_focus_border", boxColours.text);
    for (DateBox* box : {&m_startBox, &m_endBox}) {
        box->SetColours(boxColours);
        box->SetFontFace(font.face);
    }
    ApplyChartTheme();

    m_grid.SetTheme(theme);
    m_grid.SetDrawGridLine(false, true);
    m_grid.SetHeader(LoadResourceText(WGUI::ModuleInstance(), L"XML", L"GROWTH_GRIDHEADER").c_str());
    m_grid.SetApp(m_context != nullptr ? m_context->App() : nullptr);
    m_grid.ApplyUserZoom();
    m_matrix.SetTheme(theme);
    m_matrix.SetDrawGridLine(true, true);
    m_matrix.SetApp(m_context != nullptr ? m_context->App() : nullptr);
    m_matrix.ApplyUserZoom();
    m_matrix.SetHeatColours(ThemeColour(theme, "matrix_positive", RGB(220, 50, 50)),
                            ThemeColour(theme, "matrix_negative", RGB(40, 100, 220)));
    // The fund palette depends on the background; the matrix's header takes the theme's fonts.
    if (m_history.GetStatus() == GrowthHistory::Status::kNotLoaded)
        m_matrix.Empty();
    if (m_history.GetStatus() != GrowthHistory::Status::kNotLoaded)
        Rebuild();
    Refresh();
}

void GrowthPage::ApplyChartTheme() {
    Conf::ITheme* theme = m_theme;
    if (theme == nullptr)
        return;
    // Themes without the chart's keys get colours made from the page's own.
    const COLORREF background = ThemeColour(theme, "chart_bg", m_backColour);
    const COLORREF text = ThemeColour(theme, "chart_text", m_labelColour);
    GrowthChart::Colours c;
    c.background = background;
    c.text = text;
    c.axis = ThemeColour(theme, "chart_axis", LineStyles::Mix(text, background, 0.3));
    c.grid = ThemeColour(theme, "chart_grid", LineStyles::Mix(background, text, 0.12));
    c.zero = ThemeColour(theme, "chart_zero", LineStyles::Mix(background, text, 0.5));
    c.cursor = ThemeColour(theme, "chart_cursor", text);
    c.index = ThemeColour(theme, "chart_index", text);
    c.tipBackground = ThemeColour(theme, "chart_tip_bg", LineStyles::Mix(background, text, 0.08));
    c.tipText = ThemeColour(theme, "chart_tip_text", text);
    c.tipBorder = ThemeColour(theme, "chart_tip_border", LineStyles::Mix(background, text, 0.35));
    c.legendHidden = ThemeColour(theme, "chart_legend_hidden", LineStyles::Mix(text, background, 0.3));
    c.lineSaturation = theme->GetNumber("chart_line_saturation");
    c.lineLightness = theme->GetNumber("chart_line_lightness");
    m_chart.SetColours(c);
    Conf::ThemeFont font;
    theme->GetFont("default", font);
    m_chart.SetFontFace(font.face);
}

// ---- Reloading --------------------------------------------------------------------------------------

void GrowthPage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload();
}

void GrowthPage::Reload() {
    ++m_reloads;
    Load();
}

void GrowthPage::OnDatabaseChanged() {
    m_history = GrowthHistory();
    ClearData();
    ReloadIfVisible();
}

void GrowthPage::OnFundsCleared() {
    ClearData();
    ReloadIfVisible();
}

void GrowthPage::Load(std::optional<AheadResult> arrived) {
    Data::IDatabase* database = RequireContext() != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen())
        return;
    m_riskFreePercent = GrowthSettings::Read(m_context->App()).riskFreePercent;
    m_history.SetBenchmark(m_benchmark);
    const std::vector<XStringW> codes(m_context->Funds().begin(), m_context->Funds().end());
    if (m_history.NeedsReading(codes) &&
        !TakeHistories(arrived ? std::move(*arrived) : m_context->FetchAhead(AheadRequest::Histories(codes))))
        return;
    XStringW error;
    if (!m_history.Sync(database, codes, error)) {
        ReportQueryError(error);
        return;
    }
    Rebuild();
}

bool GrowthPage::TakeHistories(AheadResult result) {
    if (result.ReadHere())
        return true; // the Sync that follows reads them here
    if (result.OnItsWay()) {
        if (!m_waiting) {
            m_noticeBefore = m_chart.Notice();
            m_waiting = true;
        }
        m_chart.SetNotice(kLoadingText);
        return false;
    }
    StopWaiting();
    if (!result.Ok()) {
        ReportQueryError(result.Error());
        return false;
    }
    m_history.Merge(result.Take<GrowthHistory>());
    return true;
}

void GrowthPage::StopWaiting() {
    if (!m_waiting)
        return;
    m_waiting = false;
    // A failure leaves the chart as it was before it said it was loading.
    m_chart.SetNotice(m_noticeBefore);
}

std::optional<AheadRequest> GrowthPage::AwaitedAhead() const {
    // The current page finishes its show even while the workspace is off screen.
    if (!m_waiting || !IsCurrentPage() || m_context == nullptr)
        return std::nullopt;
    return AheadRequest::Histories(
        std::vector<XStringW>(m_context->Funds().begin(), m_context->Funds().end()));
}

void GrowthPage::OnReadAhead(AheadResult result) {
    Load(std::move(result));
}

void GrowthPage::ClearData() {
    m_panel = GrowthPanel();
    m_chart.SetData({}, {});
    m_grid.Clear();
    m_matrix.Empty();
    m_matrixNotice.clear();
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_captionRect, FALSE);
}

void GrowthPage::Rebuild() {
    if (m_history.GetStatus() == GrowthHistory::Status::kNotLoaded)
        return;
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_captionRect, FALSE);
    FillBenchmarkBox();
    if (m_history.GetStatus() == GrowthHistory::Status::kNoHistory) {
        ClearData();
        m_chart.SetNotice(kNoHistoryNotice);
        m_matrixNotice = kNoHistoryNotice;
        FillBenchmarkBox();
        return;
    }

    // The compared funds in the set's order, then the index.
    std::vector<XStringW> codes;
    if (m_context != nullptr)
        codes.assign(m_context->Funds().begin(), m_context->Funds().end());
    std::vector<const GrowthSeries*> series;
    for (const XStringW& code : codes)
        series.push_back(m_history.Find(code));
    const int indexLine = m_history.HasIndex() ? static_cast<int>(series.size()) : -1;
    if (indexLine >= 0)
        series.push_back(&m_history.Index());

    int latest = INT_MIN, earliestFund = INT_MAX, earliest = INT_MAX;
    for (size_t k = 0; k < series.size(); ++k) {
        const GrowthSeries* s = series[k];
        if (s == nullptr || s->Empty())
            continue;
        latest = std::max(latest, s->days.back());
        earliest = std::min(earliest, s->days.front());
        if (static_cast<int>(k) != indexLine)
            earliestFund = std::min(earliestFund, s->days.front());
    }
    // The ranges end on the index's last day: a fund that also has values on days the index lacks
    // (a weekend, a mainland holiday) must not move every other fund's range.
    if (indexLine >= 0 && !series[static_cast<size_t>(indexLine)]->Empty())
        latest = series[static_cast<size_t>(indexLine)]->days.back();
    if (latest == INT_MIN) {
        ClearData();
        m_chart.SetNotice(kNoDataNotice);
        m_matrixNotice = kMatrixNotice;
        std::vector<GrowthFiguresGrid::Row> rows;
        for (size_t k = 0; k < codes.size(); ++k)
            rows.push_back({codes[k],
                            series[k] != nullptr ? series[k]->aliascode : codes[k],
                            series[k] != nullptr ? series[k]->name : XStringW(),
                            {}});
        m_grid.Fill(rows);
        return;
    }
    if (earliestFund == INT_MAX)
        earliestFund = earliest;
    m_startBox.SetLimits(earliest, latest);
    m_endBox.SetLimits(earliest, latest);
    bool boxesFollow = true;
    if (m_rangeKind == kCustomRange) {
        const int start = m_startBox.Date() >= 0 ? m_startBox.Date() : GrowthDates::AddYears(latest, -1);
        const int end = std::clamp(m_endBox.Date() >= 0 ? m_endBox.Date() : latest, earliest, latest);
        if (start <= end) {
            m_start = start;
            m_end = end;
        } else {
            // The boxes hold a start after the end: the last valid range stays on show, and the
            // boxes keep what the user typed so that the next edit can put it right.
            boxesFollow = false;
            if (m_end <= m_start) {
                m_end = latest;
                m_start = GrowthDates::AddYears(latest, -1);
            }
        }
    } else {
        m_end = latest;
        m_start = GrowthRange::StartOf(m_rangeKind, latest, earliestFund);
    }
    if (boxesFollow) {
        m_startBox.SetDate(m_start);
        m_endBox.SetDate(m_end);
    }
    m_panel = GrowthPanel::Build(series, m_start, m_end);
    m_ignoredRows = 0;
    for (const GrowthSeries* s : series)
        if (s != nullptr)
            m_ignoredRows += s->ignoredRows;

    // The chart. Each fund keeps its style while it stays compared; a fund that joins takes the
    // first style no compared fund holds.
    std::erase_if(m_styleSlots, [&](const auto& entry) {
        return std::find(codes.begin(), codes.end(), entry.first) == codes.end();
    });
    const COLORREF background = ThemeColour(m_theme, "chart_bg", m_backColour);
    const int saturation = m_theme != nullptr ? m_theme->GetNumber("chart_line_saturation") : 0;
    const int lightness = m_theme != nullptr ? m_theme->GetNumber("chart_line_lightness") : 0;
    std::vector<GrowthChart::Line> lines;
    for (size_t k = 0; k < series.size(); ++k) {
        GrowthChart::Line line;
        const GrowthSeries* s = series[k];
        const bool isIndex = static_cast<int>(k) == indexLine;
        line.key = isIndex ? s->code : codes[k];
        line.isIndex = isIndex;
        if (isIndex)
            line.label = s->name;
        else
            line.label = (s != nullptr ? s->aliascode : codes[k]) + XStringW(L" ") +
                         (s != nullptr ? s->name : XStringW());
        if (!m_panel.lines[k].HasValues())
            line.label += XStringW(L"（无净值数据）");
        line.style = isIndex ? LineStyles::LineStyle{}
                             : LineStyles::FundStyle(StyleSlot(codes[k]), background, saturation, lightness);
        line.values.resize(m_panel.days.size());
        for (size_t p = 0; p < m_panel.days.size(); ++p)
            line.values[p] = m_panel.CumulativePercent(k, p);
        lines.push_back(std::move(line));
    }
    m_chart.SetNotice(XStringW());
    m_chart.SetCaption(indexLine >= 0
                           ? XStringW(kChartCaption) + XStringW(L"；虚线为基准 ") + m_history.Index().name
                           : XStringW(kChartCaption));
    m_chart.SetData(m_panel.days, std::move(lines));

    // The figures, the index last: each row from its own series (and the index), so that no row
    // depends on which other funds are compared.
    std::vector<GrowthFiguresGrid::Row> rows;
    const double rate = m_riskFreePercent / 100.0;
    const GrowthSeries* index = indexLine >= 0 ? series[static_cast<size_t>(indexLine)] : nullptr;
    for (size_t k = 0; k < series.size(); ++k) {
        GrowthFiguresGrid::Row row;
        const GrowthSeries* s = series[k];
        const bool isIndex = static_cast<int>(k) == indexLine;
        row.code = isIndex ? s->code : codes[k];
        row.aliascode = s != nullptr ? s->aliascode : codes[k];
        row.name = s != nullptr ? s->name : XStringW();
        if (s != nullptr)
            row.figures = GrowthFigures::Compute(*s, index, m_start, m_end, rate);
        rows.push_back(std::move(row));
    }
    m_grid.Fill(rows);

    // The matrix of the funds that have at least two returns in the range.
    std::vector<const GrowthSeries*> matrixSeries;
    std::vector<CorrelationMatrixGrid::Fund> funds;
    for (size_t k = 0; k < codes.size(); ++k) {
        const GrowthSeries* s = series[k];
        if (s == nullptr || GrowthFigures::InRange(*s, m_start, m_end).Count() < 3)
            continue;
        matrixSeries.push_back(s);
        funds.push_back({codes[k], s->aliascode, s->name});
    }
    if (matrixSeries.size() < 2) {
        m_matrix.Empty();
        m_matrixNotice = kMatrixNotice;
    } else {
        m_matrixNotice.clear();
        m_matrix.Fill(std::move(funds), GrowthFigures::CorrelationMatrix(matrixSeries, m_start, m_end));
    }
}

int GrowthPage::StyleSlot(const XStringW& code) {
    if (auto found = m_styleSlots.find(code); found != m_styleSlots.end())
        return found->second;
    std::vector<bool> taken(m_styleSlots.size() + 1, false);
    for (const auto& entry : m_styleSlots)
        if (entry.second >= 0 && static_cast<size_t>(entry.second) < taken.size())
            taken[static_cast<size_t>(entry.second)] = true;
    const int slot = static_cast<int>(std::find(taken.begin(), taken.end(), false) - taken.begin());
    m_styleSlots.emplace(code, slot);
    return slot;
}

// ---- Ranges and views -------------------------------------------------------------------------------

void GrowthPage::OnHeaderSelection(HWND header, int index) {
    if (m_selecting)
        return;
    if (header == static_cast<HWND>(m_rangeHeader)) {
        if (index == kCustomRange) {
            if (!SetCustomRange(m_startBox.Date(), m_endBox.Date())) {
                m_selecting = true;
                m_rangeHeader.SetCurrSel(m_rangeKind);
                m_selecting = false;
            }
        } else
            SelectRange(index);
    } else if (header == static_cast<HWND>(m_viewHeader)) {
        ShowMatrix(index == 1);
    }
}

void GrowthPage::SelectRange(int kind) {
    if (kind < 0 || kind > kCustomRange)
        return;
    m_rangeKind = kind;
    m_selecting = true;
    m_rangeHeader.SetCurrSel(kind);
    m_selecting = false;
    Rebuild();
}

bool GrowthPage::RunScriptCommand(Control::ScriptCommand& command) {
    if (!IsWindowVisible())
        return false;
    if (command.verb == XStringW(L"view")) {
        command.ok = command.argument == XStringW(L"figures") || command.argument == XStringW(L"matrix");
        if (command.ok)
            ClickIn(m_viewHeader,
                    m_viewHeader.GetButtonRect(command.argument == XStringW(L"matrix") ? 1 : 0));
        else
            command.error = XStringW(L"figures or matrix");
        return true;
    }
    if (command.verb == XStringW(L"benchmark")) {
        const auto at = std::find(m_boxCodes.begin(), m_boxCodes.end(), command.argument);
        if (at == m_boxCodes.end()) {
            command.error = XStringW(L"the database has no index '") + command.argument + XStringW(L"'");
            if (!m_boxCodes.empty()) {
                command.error += XStringW(L" (it has");
                for (const XStringW& code : m_boxCodes)
                    command.error += XStringW(L" ") + code;
                command.error += XStringW(L")");
            }
            return true;
        }
        // Chosen in the box as a person would: the selection, then the box's notice to the page.
        m_benchmarkBox.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(at - m_boxCodes.begin()), 0);
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kBenchmarkBoxId, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(m_benchmarkBox.GetHandle()));
        command.ok = m_history.BenchmarkCode() == command.argument;
        if (!command.ok)
            command.error = XStringW(L"the index was not taken");
        return true;
    }
    if (command.verb != XStringW(L"range"))
        return false;
    static const wchar_t* const kNames[GrowthRange::kCount] = {L"1m", L"3m", L"6m", L"1y",
                                                               L"3y", L"5y", L"all"};
    for (int kind = 0; kind < GrowthRange::kCount; ++kind)
        if (command.argument == XStringW(kNames[kind])) {
            ClickIn(m_rangeHeader, m_rangeHeader.GetButtonRect(kind));
            command.ok = m_rangeKind == kind;
            if (!command.ok)
                command.error = XStringW(L"the button did not take");
            return true;
        }
    // FROM:TO, typed into the two boxes as a person would, then applied with Enter.
    const std::wstring& text = command.argument.str();
    const size_t colon = text.find(L':');
    const std::optional<int> from = GrowthDates::Parse(XStringW(text.substr(0, colon)));
    const std::optional<int> to =
        colon == std::wstring::npos ? std::nullopt : GrowthDates::Parse(XStringW(text.substr(colon + 1)));
    if (!from || !to) {
        command.error = XStringW(L"not a range of two dates YYYY-MM-DD:YYYY-MM-DD");
        return true;
    }
    for (const auto& [box, day] : {std::pair<DateBox*, int>{&m_endBox, *to}, {&m_startBox, *from}}) {
        const XStringW typed = GrowthDates::Format(day);
        ::SetFocus(*box);
        for (wchar_t c : typed.str())
            if (c != L'-')
                ::SendMessageW(*box, WM_CHAR, c, 0);
        ::SendMessageW(*box, WM_KEYDOWN, VK_RETURN, 0);
    }
    command.ok = m_rangeNote.empty() && m_rangeKind == kCustomRange;
    if (!command.ok)
        command.error = m_rangeNote.empty() ? XStringW(L"the dates were not taken") : m_rangeNote;
    return true;
}

void GrowthPage::ClickIn(HWND window, const RECT& rect) {
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(window, WM_LBUTTONUP, 0, at);
}

bool GrowthPage::SetCustomRange(int start, int end) {
    if (start >= 0 && end >= 0 && start > end) {
        // Checked when applied, not while typing: swapping the boxes at once would make the next
        // edit a no-op and leave a range nobody chose.
        m_rangeNote = XStringW(L"起始日期 ") + GrowthDates::Format(start) + XStringW(L" 晚于结束日期 ") +
                      GrowthDates::Format(end) + XStringW(L"，仍显示 ") + GrowthDates::Format(m_start) +
                      XStringW(L" 至 ") + GrowthDates::Format(m_end);
        if (m_context != nullptr) {
            Control::StatusNote note;
            note.text = m_rangeNote;
            m_context->ShowNote(note);
        }
        return false;
    }
    m_rangeNote.clear();
    m_startBox.SetDate(start);
    m_endBox.SetDate(end);
    SelectRange(kCustomRange);
    return true;
}

void GrowthPage::ShowMatrix(bool matrix) {
    m_matrixShown = matrix;
    m_selecting = true;
    m_viewHeader.SetCurrSel(matrix ? 1 : 0);
    m_selecting = false;
    m_grid.ShowWindow(matrix ? SW_HIDE : SW_SHOW);
    m_matrix.ShowWindow(matrix ? SW_SHOW : SW_HIDE);
    if (IsWindow())
        InvalidateRect(m_hWnd, &m_captionRect, FALSE);
}

XStringW GrowthPage::FiguresCaption() const {
    const bool hasRange = !m_panel.days.empty();
    XStringW range;
    if (hasRange)
        range = GrowthDates::Format(m_start) + XStringW(L" 至 ") + GrowthDates::Format(m_end);
    const XStringW benchmark =
        m_history.HasIndex() ? XStringW(L"（") + m_history.Index().name + XStringW(L"）") : XStringW();
    XStringW caption;
    if (m_matrixShown) {
        caption = XStringW(L"相关系数矩阵");
        if (!m_matrixNotice.empty())
            return caption + XStringW(L"：") + m_matrixNotice;
        if (hasRange)
            caption += XStringW(L"：") + range +
                       XStringW(L"，各基金日收益率两两之间的相关系数，按两者共有的交易日计算；共同的日收益率"
                                L"不足两个时为 --");
        return caption;
    }
    caption.Format(L"风险指标%s%s（无风险利率 %.2f%%/年；各基金按自己的交易日计算日收益率，一年按 252 "
                   L"个交易日年化，不足一年不年化；与基准%s的贝塔、阿尔法、相关系数按两者共有的交易日计算）",
                   hasRange ? L"：" : L"", range.c_str(), m_riskFreePercent, benchmark.c_str());
    if (m_ignoredRows > 0)
        caption += XStringW().Format(L"；已忽略 %d 条异常的历史记录", m_ignoredRows);
    return caption;
}

// ---- Painting ---------------------------------------------------------------------------------------

void GrowthPage::PaintOver(HDC dc, const RECT&) {
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                            : static_cast<HGDIOBJ>(m_labelFont.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_labelColour);
    RECT start{};
    if (m_startBox.IsWindow()) {
        m_startBox.GetWindowRect(&start);
        POINT corner{start.right, start.top};
        ::ScreenToClient(m_hWnd, &corner);
        RECT to{corner.x, corner.y, corner.x + 24, corner.y + 22};
        DrawTextW(dc, L"至", -1, &to, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    const XStringW caption = FiguresCaption();
    RECT area = m_captionRect;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.length()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
}

// ---- The report ------------------------------------------------------------------------------------

void GrowthPage::WriteReport(ReportSink& sink) {
    const XStringW caption = ExportCaption();
    if (!caption.empty())
        sink.Note(caption);
    if (m_chart.IsWindow())
        sink.Chart(m_chart);
    if (m_grid.IsWindow())
        sink.Table(m_grid);
    // The whole matrix follows the figures whichever of the two is on the screen, as a list, so
    // that the document carries its numbers over as many pages as it takes.
    if (m_matrix.IsWindow() && m_matrix.Size() >= 2) {
        const bool shown = m_matrixShown;
        m_matrixShown = true;
        sink.Note(FiguresCaption());
        m_matrixShown = shown;
        sink.Table(m_matrix);
    }
}

// ---- The benchmark ---------------------------------------------------------------------------------

void GrowthPage::FillBenchmarkBox() {
    if (!m_benchmarkBox.IsWindow())
        return;
    const std::vector<XStringW>& codes = m_history.IndexCodes();
    const XStringW chosen = m_history.BenchmarkCode();
    if (codes == m_boxCodes && m_benchmarkBox.SendMessage(CB_GETCOUNT) > 0) {
        const auto at = std::find(codes.begin(), codes.end(), chosen);
        if (at != codes.end() && m_benchmarkBox.SendMessage(CB_GETCURSEL) != at - codes.begin())
            m_benchmarkBox.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(at - codes.begin()), 0);
        return;
    }
    m_boxCodes = codes;
    m_benchmarkBox.SendMessage(CB_RESETCONTENT);
    if (codes.empty()) {
        // A database without indexes: the box says so and stays shut; the figures that need a
        // benchmark show "--".
        m_benchmarkBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoIndexText));
        m_benchmarkBox.SendMessage(CB_SETCURSEL, 0, 0);
        ::EnableWindow(m_benchmarkBox, FALSE);
        return;
    }
    for (const XStringW& code : codes) {
        const XStringW name = GrowthHistory::IndexName(code);
        const XStringW text = name == code ? code : code + XStringW(L" ") + name;
        m_benchmarkBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    const auto at = std::find(codes.begin(), codes.end(), chosen);
    m_benchmarkBox.SendMessage(CB_SETCURSEL, at != codes.end() ? static_cast<WPARAM>(at - codes.begin()) : 0,
                               0);
    ::EnableWindow(m_benchmarkBox, TRUE);
}

void GrowthPage::OnBenchmarkPicked() {
    const LRESULT at = m_benchmarkBox.SendMessage(CB_GETCURSEL);
    if (at < 0 || static_cast<size_t>(at) >= m_boxCodes.size())
        return;
    SelectBenchmark(m_boxCodes[static_cast<size_t>(at)]);
}

bool GrowthPage::SelectBenchmark(const XStringW& code) {
    if (std::find(m_boxCodes.begin(), m_boxCodes.end(), code) == m_boxCodes.end())
        return false;
    if (code != m_benchmark) {
        m_benchmark = code;
        XStringW error;
        if (m_context != nullptr && !GrowthSettings::WriteBenchmark(m_context->App(), code, error)) {
            // The choice holds for this session; only keeping it failed.
            Control::StatusNote note;
            note.text = XStringW(L"无法保存所选基准：") + error;
            m_context->ShowNote(note);
        }
    }
    m_history.SetBenchmark(code);
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen() || m_waiting) {
        FillBenchmarkBox();
        return true; // the histories on their way bring the page up to date
    }
    const std::vector<XStringW> codes(m_context->Funds().begin(), m_context->Funds().end());
    XStringW error;
    if (!m_history.Sync(database, codes, error)) {
        ReportQueryError(error);
        return true;
    }
    Rebuild();
    return true;
}
