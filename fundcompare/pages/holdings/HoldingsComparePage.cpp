// HoldingsComparePage: the page around the three holdings lists.
#include "pages/holdings/HoldingsComparePage.h"

#include "pages/common/CalendarDate.h"
#include "pages/growth/LineStyles.h"
#include "pages/holdings/HoldingsQueries.h"
#include "pages/holdings/TopStocksFilter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kViewButtonWidth = 84;
constexpr int kBasisButtonWidth = 72;
constexpr int kButtonGap = 4; // the table header's gap between flat buttons
constexpr int kFundBoxWidth = 220;

const wchar_t kPercentFormat[] = L"%.02f%%:*100";
const wchar_t kAmountFormat[] = L"%.02f::;10000,万;100000000,亿";

COLORREF ThemeColour(Conf::ITheme* theme, const char* key, COLORREF fallback) {
    COLORREF colour = fallback;
    if (theme != nullptr)
        theme->GetColor(key, colour);
    return colour;
}

XStringW FundTitle(const HoldingsReport::Fund& fund) {
    return (fund.name.empty() ? fund.code : fund.name) + XStringW(L"\n(") + fund.aliascode + XStringW(L")");
}

XStringW PercentText(double value) {
    return std::isfinite(value) ? XStringW().Format(L"%.2f%%", value * 100) : XStringW(L"--");
}

void SetNumber(Data::IDataTable* table, Data::IDataTableCells* cells, int row, int column, double value) {
    if (!std::isfinite(value))
        return; // a fresh cell is null already
    if (cells != nullptr) {
        cells->SetDoubleAt(row, column, value);
        return;
    }
    XComPtr<Data::IDataRow> dataRow;
    if (table->GetRow(dataRow.Receive(), row) && dataRow)
        if (Data::IDataElement* cell = dataRow->GetValueAt(column))
            cell->SetDouble(value);
}

void SetText(Data::IDataTable* table, Data::IDataTableCells* cells, int row, int column,
             const XStringW& text) {
    if (cells != nullptr) {
        cells->SetTextAt(row, column, text.c_str(), text.length());
        return;
    }
    XComPtr<Data::IDataRow> dataRow;
    if (table->GetRow(dataRow.Receive(), row) && dataRow)
        if (Data::IDataElement* cell = dataRow->GetValueAt(column))
            cell->SetText(text.c_str());
}

// Rows added to a table in one go: cell by cell where the table allows, else row objects.
int AddRows(Data::IDataTable* table, Data::IDataTableCells* cells, int count) {
    if (cells != nullptr)
        return cells->AddRows(count);
    const int first = table->GetRowCount();
    for (int k = 0; k < count; ++k)
        table->AddRow();
    return first;
}

} // namespace

HoldingsComparePage::HoldingsComparePage() : ComparePage(L"HoldingsComparePage") {
    LetRemoveFunds(m_stockGrid);
    LetRemoveFunds(m_matrixGrid);
    LetRemoveFunds(m_fundGrid);
}

HoldingsComparePage::~HoldingsComparePage() = default;

// ---- Creation and layout ----------------------------------------------------------------------------

bool HoldingsComparePage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return false;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_SHOWWINDOW:
        if (wParam != 0) {
            Reload(false);
        } else {
            for (HoldingsGrid* grid : {&m_stockGrid, &m_matrixGrid, &m_fundGrid})
                grid->ReleaseDrawingResource();
        }
        return false;
    case Control::kTableHeaderSelChange:
        OnHeaderSelection(reinterpret_cast<HWND>(wParam), static_cast<int>(lParam));
        result = 0;
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == CBN_SELCHANGE && LOWORD(wParam) == kDateBoxId &&
            reinterpret_cast<HWND>(lParam) == m_dateBox.GetHandle()) {
            Reload(false);
        } else if (HIWORD(wParam) == CBN_SELCHANGE && LOWORD(wParam) == kFundBoxId &&
                   reinterpret_cast<HWND>(lParam) == m_fundBox.GetHandle()) {
            const LRESULT at = m_fundBox.SendMessage(CB_GETCURSEL);
            const auto& funds = m_report.Funds();
            if (at >= 0 && static_cast<size_t>(at) < funds.size())
                ShowFund(funds[static_cast<size_t>(at)].code);
        }
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    default:
        return ComparePage::HandleMessage(message, wParam, lParam, result);
    }
}

void HoldingsComparePage::OnCreate() {
    m_viewHeader.SetFontSize(12);
    m_viewHeader.SetButtonWidth(kViewButtonWidth);
    m_viewHeader.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWnd);
    m_viewHeader.AddButton(L"重仓股");
    m_viewHeader.AddButton(L"重合度矩阵");
    m_viewHeader.AddButton(L"单只基金");
    m_viewHeader.SetStyle(Control::TableHeaderStyleButton);

    m_basisHeader.SetFontSize(12);
    m_basisHeader.SetButtonWidth(kBasisButtonWidth);
    m_basisHeader.Create(L"", WS_CHILD, 0, 0, 0, 0, m_hWnd);
    m_basisHeader.AddButton(L"按个股");
    m_basisHeader.AddButton(L"按行业");
    m_basisHeader.SetStyle(Control::TableHeaderStyleButton);

    RECT empty{0, 0, 0, 0};
    m_fundBox.Create(m_hWnd, &empty, nullptr, WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFundBoxId)));
    m_fundBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    m_dateBox.Create(m_hWnd, &empty, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kDateBoxId)));
    m_dateBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));

    for (HoldingsGrid* grid : {&m_stockGrid, &m_matrixGrid, &m_fundGrid}) {
        grid->Create(L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, m_hWnd);
        grid->Reset({});
    }
    m_stockGrid.SetColumnFunds([this](const XStringW& column) { return FundOfColumn(column); },
                               [this](const std::vector<XStringW>& codes) { RemoveFunds(codes); });
    m_matrixGrid.SetTipSource([this](int row, const XStringW& column) { return MatrixTip(row, column); });
    m_matrixGrid.SetEnterAction([this](int row) {
        const XStringW code = m_matrixGrid.RowCode(row);
        if (!code.empty() && ShowFund(code))
            ShowView(kFundView);
    });

    m_filter.SetTarget(&m_stockGrid);
    m_filter.Create(m_hWnd);
    FilterCondition condition;
    condition.field = L"industry";
    condition.title = L"行业";
    condition.prompt = L"行业:";
    condition.flags = FilterCondition::kButtonAtOnce | FilterCondition::kMultiple | FilterCondition::kVisible;
    m_filter.AddCondition(condition);

    m_selecting = true;
    m_viewHeader.SetCurrSel(m_view);
    m_basisHeader.SetCurrSel(m_industryMatrix ? 1 : 0);
    m_selecting = false;
    ShowView(m_view);
    if (m_theme != nullptr)
        ApplyTheme(m_theme);
}

void HoldingsComparePage::OnSize(int width, int height) {
    const int viewWidth = kViewCount * (kViewButtonWidth + kButtonGap) - kButtonGap;
    ::MoveWindow(m_viewHeader, 8, 4, viewWidth, 22, TRUE);
    const int left = 8 + viewWidth + 16;
    ::MoveWindow(m_basisHeader, left, 4, 2 * (kBasisButtonWidth + kButtonGap) - kButtonGap, 22, TRUE);
    m_fundBox.MoveWindow(RECT{left, 2, left + kFundBoxWidth, 228});
    if (m_filter.GetHandle() != nullptr)
        ::MoveWindow(m_filter.GetHandle(), std::max(left, width - 500), 2, 345, 22, TRUE);
    // A 26-pixel box whose list drops 100 pixels below it, as on the allocation pages.
    m_dateBox.MoveWindow(RECT{width - 90, 2, width, 128});
    const int top = kTopStrip + kCaptionHeight;
    for (HoldingsGrid* grid : {&m_stockGrid, &m_matrixGrid, &m_fundGrid})
        if (grid->IsWindow())
            grid->MoveWindow(0, top, width, std::max(0, height - top), TRUE);
}

void HoldingsComparePage::LayoutViews() {
    const bool noData = !m_notice.empty();
    m_stockGrid.ShowWindow(!noData && m_view == kStocksView ? SW_SHOW : SW_HIDE);
    m_matrixGrid.ShowWindow(!noData && m_view == kMatrixView ? SW_SHOW : SW_HIDE);
    m_fundGrid.ShowWindow(!noData && m_view == kFundView ? SW_SHOW : SW_HIDE);
    m_basisHeader.ShowWindow(m_view == kMatrixView ? SW_SHOW : SW_HIDE);
    m_fundBox.ShowWindow(m_view == kFundView ? SW_SHOW : SW_HIDE);
    if (m_filter.GetHandle() != nullptr)
        ::ShowWindow(m_filter.GetHandle(), m_view == kStocksView ? SW_SHOW : SW_HIDE);
    if (IsWindow())
        Refresh();
}

// ---- Theme ------------------------------------------------------------------------------------------

void HoldingsComparePage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_theme = theme;
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);
    Conf::ThemeFont font;
    theme->GetFont("default", font);
    m_labelFont.Replace(nullptr);
    m_labelFont.Attach(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                   font.face.c_str()));
    for (Control::XTableHeader* header : {&m_viewHeader, &m_basisHeader}) {
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
    IApp* app = m_context != nullptr ? m_context->App() : nullptr;
    for (HoldingsGrid* grid : {&m_stockGrid, &m_matrixGrid, &m_fundGrid}) {
        grid->SetTheme(theme);
        grid->SetDrawGridLine(false, true);
        grid->SetApp(app);
        grid->ApplyUserZoom();
    }
    m_filter.ApplyTheme(theme);
    // The lists' headers are made again with the theme's fonts.
    FillViews();
    Refresh();
}

// ---- Reloading --------------------------------------------------------------------------------------

void HoldingsComparePage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload(true);
}

void HoldingsComparePage::OnFundsCleared() {
    m_report.Clear();
    m_loadedCodes.clear();
    m_lastDate.clear();
    m_chosenFund.clear();
    FillViews();
    FillFundBox();
    ReloadIfVisible();
}

bool HoldingsComparePage::BuildDateList(Data::IDatabase* database) {
    auto first = [&](const wchar_t* sql, XStringW& text, XStringW& error) {
        XComPtr<Data::IStatement> statement;
        if (!database->Query(statement.Receive(), sql, error) || !statement)
            return false;
        text.clear();
        if (statement->Next())
            statement->GetString(text, 0);
        statement->GetError(error);
        return error.empty();
    };
    XStringW earliest, latest, error;
    if (!first(kHoldingsEarliestDateQuery, earliest, error) ||
        !first(kHoldingsLatestDateQuery, latest, error)) {
        ReportQueryError(error);
        return false;
    }
    CalendarDate probe;
    if (!probe.Parse(latest) || !probe.Parse(earliest)) {
        // A value that is no date must not leave the box empty: the dates that are, latest first.
        XComPtr<Data::IStatement> statement;
        if (!database->Query(statement.Receive(), kHoldingsReportDatesQuery, error) || !statement) {
            ReportQueryError(error);
            return false;
        }
        latest.clear();
        XStringW date;
        while (statement->Next()) {
            statement->GetString(date, 0);
            if (!probe.Parse(date))
                continue;
            if (latest.empty())
                latest = date;
            earliest = date;
        }
        statement->GetError(error);
        if (!error.empty()) {
            ReportQueryError(error);
            return false;
        }
    }
    if (latest.empty())
        return true; // a table without reports: the page says there are none
    for (const XStringW& date : BuildReportDateList(latest, earliest))
        m_dateBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(date.c_str()));
    m_dateBox.SendMessage(CB_SETCURSEL, 0, 0);
    return true;
}

XStringW HoldingsComparePage::SelectedDate() const {
    wchar_t buffer[kMaxTextLength + 1] = {};
    m_dateBox.GetWindowText(buffer, kMaxTextLength);
    return XStringW(buffer);
}

void HoldingsComparePage::SetNotice(const XStringW& notice) {
    if (notice == m_notice)
        return;
    m_notice = notice;
    LayoutViews();
}

void HoldingsComparePage::Reload(bool force) {
    ++m_reloads;
    Data::IDatabase* database = RequireContext() != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen() || !m_dateBox.IsWindow())
        return;
    XStringW error;
    if (!m_probed) {
        if (!HoldingsReport::ProbeTables(database, m_hasHoldings, m_hasStocks, error)) {
            ReportQueryError(error);
            return;
        }
        m_probed = true;
        if (m_hasHoldings && !BuildDateList(database)) {
            m_probed = false;
            return;
        }
        if (m_hasStocks) {
            XComPtr<Data::IStatement> statement;
            if (database->Query(statement.Receive(),
                                L"select name from tb_industryname where id not in (select parentid from "
                                L"tb_industryname where parentid is not null) order by id",
                                error) &&
                statement) {
                XStringW name;
                while (statement->Next()) {
                    statement->GetString(name, 0);
                    m_filter.AddValue(L"industry", name, name);
                }
            }
            error.clear();
        }
    }
    if (!m_hasHoldings || m_dateBox.SendMessage(CB_GETCOUNT) <= 0) {
        m_report.Clear();
        SetNotice(kNoHoldingsNotice);
        return;
    }
    const std::vector<XStringW> codes(m_context->Funds().begin(), m_context->Funds().end());
    const XStringW date = SelectedDate();
    if (!force && date == m_lastDate && codes == m_loadedCodes && !m_report.Date().empty())
        return;
    HoldingsReport report;
    if (!report.Load(database, m_hasStocks, codes, date, error)) {
        ReportQueryError(error);
        return;
    }
    // The industry weights only when their matrix is shown: most users look at the stocks.
    if (m_view == kMatrixView && m_industryMatrix && !report.LoadIndustries(database, error)) {
        ReportQueryError(error);
        return;
    }
    m_report = std::move(report);
    m_lastDate = date;
    m_loadedCodes = codes;
    if (m_chosenFund.empty() || std::find(codes.begin(), codes.end(), m_chosenFund) == codes.end())
        m_chosenFund = codes.empty() ? XStringW() : codes.front();
    SetNotice(codes.empty() ? XStringW(kNoFundsNotice) : XStringW());
    FillFundBox();
    FillViews();
    Refresh();
}

void HoldingsComparePage::FillFundBox() {
    if (!m_fundBox.IsWindow())
        return;
    m_fundBox.SendMessage(CB_RESETCONTENT);
    int chosen = -1;
    const auto& funds = m_report.Funds();
    for (size_t k = 0; k < funds.size(); ++k) {
        const XStringW text = funds[k].aliascode + XStringW(L" ") + funds[k].name;
        m_fundBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (funds[k].code == m_chosenFund)
            chosen = static_cast<int>(k);
    }
    m_fundBox.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

// ---- The lists --------------------------------------------------------------------------------------

XStringW HoldingsComparePage::FundOfColumn(const XStringW& column) const {
    for (size_t k = 0; k < m_fundColumns.size() && k < m_report.Funds().size(); ++k)
        if (m_fundColumns[k] == column)
            return m_report.Funds()[k].code;
    return XStringW();
}

void HoldingsComparePage::RemoveFunds(const std::vector<XStringW>& codes) {
    if (m_context != nullptr && !codes.empty())
        m_context->RemoveFunds(codes);
}

void HoldingsComparePage::FillStocks() {
    const auto& funds = m_report.Funds();
    std::vector<HoldingsGrid::ColumnSpec> columns = {
        {L"stockcode", Data::kText}, {L"stockname", Data::kText},  {L"industry", Data::kText},
        {L"mark", Data::kText},      {L"holders", Data::kInteger}, {L"totalweight", Data::kReal}};
    XStringW header =
        XStringW(L"<header>") + HoldingsGrid::HeaderItem(L"标记", L"mark", 40, L"center", L"_font_regular") +
        HoldingsGrid::HeaderItem(L"股票代码", L"stockcode", 76, L"center", L"_font_digital", L"list_name") +
        HoldingsGrid::HeaderItem(L"股票名称", L"stockname", 100, L"left", L"_font_name", L"list_name") +
        HoldingsGrid::HeaderItem(L"行业", L"industry", 110, L"center", L"_font_regular", L"list_style") +
        XStringW(L"<item title=\"持有基金数\" name=\"holders\" width=\"80\" align=\"center\" "
                 L"font=\"_font_digital_bold\" data_type=\"i\" text_color=\"list_prev_data\"/>") +
        HoldingsGrid::HeaderItem(L"合计权重", L"totalweight", 84, L"right", L"_font_digital_bold",
                                 L"list_prev_data", kPercentFormat);
    m_fundColumns.clear();
    std::set<XStringW> weightColumns;
    for (size_t k = 0; k < funds.size(); ++k) {
        const XStringW name = XStringW().Format(L"fund%u", static_cast<unsigned>(k));
        m_fundColumns.push_back(name);
        weightColumns.insert(name);
        columns.push_back({name, Data::kReal});
        header += HoldingsGrid::HeaderItem(FundTitle(funds[k]), name, 110, L"right", L"_font_digital",
                                           L"list_prev_data", kPercentFormat);
    }
    header += L"</header>";
    m_stockGrid.SetWeightColumns(weightColumns, true);
    m_stockGrid.SetMark(L"holders", {L"stockname", L"mark", L"holders"},
                        GeneralDataGrid::GetValueColours().positive);
    m_stockGrid.SetHeader(header.c_str());
    Data::IDataTable* table = m_stockGrid.Reset(columns);
    if (table == nullptr)
        return;
    std::vector<int> at(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
        at[c] = table->GetColumnIndex(columns[c].name.c_str());
    const std::vector<HoldingsReport::StockRow> rows = m_report.StockRows();
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    XComPtr<Data::IDataTableCells> cells = XComPtr<Data::IDataTable>(table).As<Data::IDataTableCells>();
    int next = AddRows(table, cells, static_cast<int>(rows.size()));
    const auto& stocks = m_report.Stocks();
    for (const HoldingsReport::StockRow& row : rows) {
        const int r = next++;
        const HoldingsReport::Stock& stock = stocks[static_cast<size_t>(row.stock)];
        SetText(table, cells, r, at[0], stock.code);
        SetText(table, cells, r, at[1], stock.name);
        SetText(table, cells, r, at[2], stock.industry.empty() ? XStringW(L"--") : stock.industry);
        // A cell left null would read "--", the mark of a missing value.
        SetText(table, cells, r, at[3], row.holders >= 2 ? XStringW(kMarkText) : XStringW(L""));
        SetNumber(table, cells, r, at[4], row.holders);
        SetNumber(table, cells, r, at[5], row.total);
        for (size_t k = 0; k < row.weights.size(); ++k)
            SetNumber(table, cells, r, at[6 + k], row.weights[k]);
    }
    if (update)
        update->Commit();
}

void HoldingsComparePage::FillViews() {
    FillStocks();
    m_matrixStale = m_fundStale = true;
    FillIfStale(m_view);
}

void HoldingsComparePage::FillIfStale(int view) {
    if (view == kMatrixView && m_matrixStale)
        FillMatrix();
    else if (view == kFundView && m_fundStale)
        FillFund();
}

void HoldingsComparePage::FillMatrix() {
    m_matrixStale = false;
    const auto& funds = m_report.Funds();
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (m_industryMatrix && !m_report.IndustriesLoaded() && !funds.empty() && database != nullptr) {
        XStringW error;
        if (!m_report.LoadIndustries(database, error))
            ReportQueryError(error);
    }
    const auto& portfolios = m_industryMatrix ? m_report.IndustryPortfolios() : m_report.StockPortfolios();
    m_matrix = portfolios.size() == funds.size() ? HoldingsOverlap::Matrix(portfolios)
                                                 : std::vector<double>(funds.size() * funds.size(), NAN);

    std::vector<HoldingsGrid::ColumnSpec> columns = {
        {L"code", Data::kText}, {L"aliascode", Data::kText}, {L"name", Data::kText}};
    XStringW header =
        XStringW(L"<header>") +
        HoldingsGrid::HeaderItem(L"代码", L"aliascode", 72, L"center", L"_font_digital", L"list_name") +
        HoldingsGrid::HeaderItem(L"名称", L"name", 150, L"left", L"_font_name", L"list_name");
    std::set<XStringW> heat;
    for (size_t k = 0; k < funds.size(); ++k) {
        const XStringW name = XStringW().Format(L"overlap%u", static_cast<unsigned>(k));
        heat.insert(name);
        columns.push_back({name, Data::kReal});
        header += HoldingsGrid::HeaderItem(FundTitle(funds[k]), name, 96, L"center", L"_font_digital",
                                           nullptr, kPercentFormat);
    }
    header += L"</header>";
    // The scale of the heat: the largest overlap of two different funds, so that the diagonal (a
    // fund's own total) does not wash out the pairs.
    double scale = 0;
    for (size_t r = 0; r < funds.size(); ++r)
        for (size_t c = 0; c < funds.size(); ++c)
            if (r != c && std::isfinite(m_matrix[r * funds.size() + c]))
                scale = std::max(scale, m_matrix[r * funds.size() + c]);
    m_matrixGrid.SetWeightColumns(heat, false);
    m_matrixGrid.SetHeat(heat, scale, ThemeColour(m_theme, "matrix_positive", RGB(220, 50, 50)));
    m_matrixGrid.SetHeader(header.c_str());
    Data::IDataTable* table = m_matrixGrid.Reset(columns);
    if (table == nullptr)
        return;
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    XComPtr<Data::IDataTableCells> cells = XComPtr<Data::IDataTable>(table).As<Data::IDataTableCells>();
    int next = AddRows(table, cells, static_cast<int>(funds.size()));
    for (size_t r = 0; r < funds.size(); ++r) {
        const int row = next++;
        SetText(table, cells, row, 0, funds[r].code);
        SetText(table, cells, row, 1, funds[r].aliascode);
        SetText(table, cells, row, 2, funds[r].name);
        for (size_t c = 0; c < funds.size(); ++c)
            SetNumber(table, cells, row, static_cast<int>(3 + c), m_matrix[r * funds.size() + c]);
    }
    if (update)
        update->Commit();
}

XStringW HoldingsComparePage::MatrixTip(int row, const XStringW& column) {
    if (row < 0)
        return XStringW(); // the column titles carry the whole name already
    const auto& funds = m_report.Funds();
    const XStringW rowCode = m_matrixGrid.RowCode(row);
    size_t r = funds.size(), c = funds.size();
    for (size_t k = 0; k < funds.size(); ++k) {
        if (funds[k].code == rowCode)
            r = k;
        if (XStringW().Format(L"overlap%u", static_cast<unsigned>(k)) == column)
            c = k;
    }
    if (r >= funds.size() || c >= funds.size())
        return XStringW();
    const auto& portfolios = m_industryMatrix ? m_report.IndustryPortfolios() : m_report.StockPortfolios();
    if (portfolios.size() != funds.size())
        return XStringW();
    const double value = m_matrix[r * funds.size() + c];
    XStringW tip =
        funds[r].name + XStringW(L" 与 ") + funds[c].name + XStringW(L"：重合度 ") + PercentText(value);
    if (!std::isfinite(value)) {
        tip += L"（";
        tip += !portfolios[r].reported ? funds[r].name : funds[c].name;
        tip += L" 在该报告期没有持仓数据）";
        return tip;
    }
    if (r == c)
        return tip + XStringW(m_industryMatrix ? L"（行业权重合计）" : L"（所列股票权重合计）");
    const std::vector<HoldingsOverlap::Weight> common = HoldingsOverlap::Common(portfolios[r], portfolios[c]);
    if (common.empty())
        return tip + XStringW(m_industryMatrix ? L"，没有共同行业" : L"，没有共同持有的股票");
    tip += XStringW().Format(m_industryMatrix ? L"\n共同行业 %u 个：" : L"\n共同持有 %u 只：",
                             static_cast<unsigned>(common.size()));
    constexpr size_t kShown = 10;
    for (size_t k = 0; k < common.size() && k < kShown; ++k) {
        const int key = common[k].key;
        const XStringW name = m_industryMatrix ? m_report.Industries()[static_cast<size_t>(key)]
                                               : m_report.Stocks()[static_cast<size_t>(key)].name;
        tip += XStringW(k == 0 ? L"" : L"、") + name + XStringW(L" ") + PercentText(common[k].weight);
    }
    if (common.size() > kShown)
        tip += XStringW().Format(L" 等（另 %u 个）", static_cast<unsigned>(common.size() - kShown));
    return tip;
}

void HoldingsComparePage::FillFund() {
    m_fundStale = false;
    std::vector<HoldingsReport::FundLine> lines;
    Data::IDatabase* database = m_context != nullptr ? m_context->Database() : nullptr;
    if (!m_chosenFund.empty() && database != nullptr && m_hasHoldings) {
        XStringW error;
        if (!HoldingsReport::LoadFund(database, m_hasStocks, m_chosenFund, lines, error)) {
            ReportQueryError(error);
            return;
        }
    }
    const std::vector<HoldingsGrid::ColumnSpec> columns = {
        {L"code", Data::kText},        {L"date", Data::kText},     {L"stockcode", Data::kText},
        {L"stockname", Data::kText},   {L"industry", Data::kText}, {L"shares", Data::kReal},
        {L"marketvalue", Data::kReal}, {L"percent", Data::kReal},  {L"change", Data::kReal},
        {L"state", Data::kText}};
    const XStringW header =
        XStringW(L"<header>") +
        HoldingsGrid::HeaderItem(L"报告期", L"date", 90, L"center", L"_font_digital", L"list_name") +
        HoldingsGrid::HeaderItem(L"股票代码", L"stockcode", 76, L"center", L"_font_digital", L"list_name") +
        HoldingsGrid::HeaderItem(L"股票名称", L"stockname", 100, L"left", L"_font_name", L"list_name") +
        HoldingsGrid::HeaderItem(L"行业", L"industry", 110, L"center", L"_font_regular", L"list_style") +
        HoldingsGrid::HeaderItem(L"持股数", L"shares", 100, L"right", L"_font_digital", L"list_prev_data",
                                 kAmountFormat) +
        HoldingsGrid::HeaderItem(L"持仓市值", L"marketvalue", 100, L"right", L"_font_digital",
                                 L"list_prev_data", kAmountFormat) +
        HoldingsGrid::HeaderItem(L"占净值比例", L"percent", 90, L"right", L"_font_digital_bold",
                                 L"list_prev_data", kPercentFormat) +
        HoldingsGrid::HeaderItem(L"较上期", L"change", 84, L"right", L"_font_digital_bold", nullptr,
                                 kPercentFormat) +
        HoldingsGrid::HeaderItem(L"变动", L"state", 60, L"center", L"_font_regular", L"list_style") +
        XStringW(L"</header>");
    m_fundGrid.SetHeader(header.c_str());
    Data::IDataTable* table = m_fundGrid.Reset(columns);
    if (table == nullptr)
        return;
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    XComPtr<Data::IDataTableCells> cells = XComPtr<Data::IDataTable>(table).As<Data::IDataTableCells>();
    int next = AddRows(table, cells, static_cast<int>(lines.size()));
    for (const HoldingsReport::FundLine& line : lines) {
        const int row = next++;
        SetText(table, cells, row, 0, m_chosenFund);
        SetText(table, cells, row, 1, line.date);
        SetText(table, cells, row, 2, line.stockcode);
        SetText(table, cells, row, 3, line.stockname);
        SetText(table, cells, row, 4, line.industry.empty() ? XStringW(L"--") : line.industry);
        SetNumber(table, cells, row, 5, line.shares);
        SetNumber(table, cells, row, 6, line.marketValue);
        SetNumber(table, cells, row, 7, line.percent);
        SetNumber(table, cells, row, 8, line.change);
        SetText(table, cells, row, 9, line.isNew ? XStringW(L"新进") : XStringW(L""));
    }
    if (update)
        update->Commit();
}

// ---- Views ------------------------------------------------------------------------------------------

void HoldingsComparePage::OnHeaderSelection(HWND header, int index) {
    if (m_selecting)
        return;
    if (header == static_cast<HWND>(m_viewHeader))
        ShowView(index);
    else if (header == static_cast<HWND>(m_basisHeader))
        ShowIndustryMatrix(index == 1);
}

void HoldingsComparePage::ShowView(int view) {
    if (view < 0 || view >= kViewCount)
        return;
    m_view = view;
    FillIfStale(view);
    m_selecting = true;
    m_viewHeader.SetCurrSel(view);
    m_selecting = false;
    LayoutViews();
}

void HoldingsComparePage::ShowIndustryMatrix(bool industries) {
    m_industryMatrix = industries;
    m_selecting = true;
    m_basisHeader.SetCurrSel(industries ? 1 : 0);
    m_selecting = false;
    FillMatrix();
    Refresh();
}

bool HoldingsComparePage::ShowFund(const XStringW& code) {
    const auto& funds = m_report.Funds();
    if (std::none_of(funds.begin(), funds.end(),
                     [&](const HoldingsReport::Fund& fund) { return fund.code == code; }))
        return false;
    m_chosenFund = code;
    FillFundBox();
    FillFund();
    Refresh();
    return true;
}

XStringW HoldingsComparePage::Caption() const {
    return CaptionOf(m_view);
}

XStringW HoldingsComparePage::CaptionOf(int view) const {
    if (!m_notice.empty())
        return m_notice;
    const XStringW date = m_report.Date();
    const int reported = m_report.ReportedFunds();
    const int total = static_cast<int>(m_report.Funds().size());
    XStringW missing;
    if (reported < total)
        missing.Format(L"；%d 只基金在该报告期没有持仓数据，显示为 --", total - reported);
    switch (view) {
    case kStocksView:
        return XStringW().Format(
            L"重仓股：报告期 %s，%u 只股票；权重为占基金净值比例，★ 为两只及以上基金共同持有%s", date.c_str(),
            static_cast<unsigned>(m_report.Stocks().size()), missing.c_str());
    case kMatrixView:
        return XStringW().Format(
            m_industryMatrix ? L"行业重合度：报告期 %s；两基金重合度 = Σ 各行业 min(权重i, "
                               L"权重j)，权重为行业市值占净值比例%s"
                             : L"持仓重合度：报告期 %s；两基金重合度 = Σ 共同持有股票 min(权重i, 权重j)，"
                               L"权重为占净值比例；季报只披露前十大重仓股，重合度偏低，可切换按行业%s",
            date.c_str(), missing.c_str());
    default: {
        XStringW name = m_chosenFund;
        for (const HoldingsReport::Fund& fund : m_report.Funds())
            if (fund.code == m_chosenFund)
                name = fund.aliascode + XStringW(L" ") + fund.name;
        return XStringW().Format(L"单只基金：%s 历次报告期的股票持仓，较上期为占净值比例的变化",
                                 name.c_str());
    }
    }
}

// ---- The report -------------------------------------------------------------------------------------

int HoldingsComparePage::ReportStockRows() const {
    if (m_reportStockRows > 0)
        return m_reportStockRows;
    const int funds = std::max<int>(1, static_cast<int>(m_fundColumns.size()));
    return std::max(kReportStockRowsAtLeast, kReportStockCells / funds);
}

void HoldingsComparePage::WriteReport(ReportSink& sink) {
    if (!m_notice.empty()) {
        sink.Note(m_notice);
        return;
    }
    // The overlap is what the page is for, and the stocks behind it are what a reader checks it
    // against, so the report holds both whichever view is on screen. The single-fund view is about
    // one fund the user picked; it goes in only when it is the one shown.
    FillIfStale(kMatrixView);
    sink.Note(CaptionOf(kMatrixView));
    sink.Table(m_matrixGrid);
    sink.Note(CaptionOf(kStocksView));
    // A comparison of many funds at a full report date holds a thousand stocks or more, one column
    // per fund: hundreds of printed pages that nobody reads, and more time than the whole rest of
    // the report. The list is printed whole up to a number of cells; beyond that, the stocks most
    // funds hold (in the order shown), with a line that says so.
    XComPtr<Data::IDataView> shown = m_stockGrid.GetDisplayView();
    const int stocks = shown != nullptr ? shown->GetRowCount() : 0;
    const int printed = ReportStockRows();
    XComPtr<TopStocksFilter> top;
    if (stocks > printed) {
        sink.Note(XStringW().Format(L"报告列出持有基金数最多的前 %d 只股票（共 %d 只），按列表的排序；"
                                    L"完整列表可用“导出...”导出",
                                    printed, stocks));
        top = XMakeRef<TopStocksFilter>(printed, L"holders", L"totalweight");
        shown->AddFilter(top.Get());
    }
    sink.Table(m_stockGrid);
    if (top != nullptr)
        shown->RemoveFilter(top.Get());
    if (m_view == kFundView) {
        sink.Note(CaptionOf(kFundView));
        sink.Table(m_fundGrid);
    }
}

// ---- Painting ---------------------------------------------------------------------------------------

void HoldingsComparePage::PaintOver(HDC dc, const RECT& client) {
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                            : static_cast<HGDIOBJ>(m_labelFont.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_labelColour);
    const wchar_t kLabel[] = L"报告日期：";
    TextOutW(dc, client.right - 150, 6, kLabel, static_cast<int>(std::size(kLabel) - 1));
    const XStringW caption = Caption();
    RECT area{8, kTopStrip, client.right - 8, kTopStrip + kCaptionHeight};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.length()), &area,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (!m_notice.empty()) {
        RECT rest{0, kTopStrip + kCaptionHeight, client.right, client.bottom};
        DrawTextW(dc, m_notice.c_str(), static_cast<int>(m_notice.length()), &rest,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}
