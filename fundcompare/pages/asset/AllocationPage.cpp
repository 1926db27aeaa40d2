// AllocationPage: building, layout, painting, theme and the reload of the allocation pages.
#include "pages/asset/AllocationPage.h"

#include "grid/HeaderText.h"
#include "pages/common/CalendarDate.h"
#include "pages/common/SqlCodeList.h"
#include "wgui/ModuleInstance.h"
#include "wgui/PngImage.h"

#include <platform/gdiplus.h>

namespace {

// The template with every "%s" replaced by the value and every "%%" by "%". The value goes in
// as it is: the caller has made it safe for the slot.
XStringW FillTemplate(const XStringW& sqlTemplate, const XStringW& value) {
    const std::wstring& text = sqlTemplate.str();
    std::wstring filled;
    filled.reserve(text.size() + 16 * value.length());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && (text[i + 1] == L's' || text[i + 1] == L'%')) {
            if (text[i + 1] == L's')
                filled += value.str();
            else
                filled += L'%';
            ++i;
            continue;
        }
        filled += text[i];
    }
    return XStringW(std::move(filled));
}

// The first column of the first row as text: empty when there is no row. False when the
// statement could not be made, with the reason in error.
bool QueryFirstText(Data::IDatabase* database, const wchar_t* sql, XStringW& text, XStringW& error) {
    XComPtr<Data::IStatement> statement;
    if (!database->Query(statement.Receive(), sql, error) || !statement)
        return false;
    text.clear();
    if (statement->Next())
        statement->GetString(text, 0);
    // A step that fails reads as no row; it is a failure to report, not an empty table.
    statement->GetError(error);
    return error.empty();
}

} // namespace

AllocationPage::AllocationPage(const wchar_t* pageClassName, std::unique_ptr<AllocationGrid> grid,
                               const Traits& traits)
    : ComparePage(pageClassName), m_traits(traits), m_grid(std::move(grid)) {
    LetRemoveFunds(*m_grid);
}

AllocationPage::~AllocationPage() = default;

// ---- Messages ------------------------------------------------------------------------------------

bool AllocationPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SHOWWINDOW:
        if (wParam != 0)
            Reload(true);
        else
            m_grid->ReleaseDrawingResource();
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == kDateBoxId && HIWORD(wParam) == CBN_SELCHANGE &&
            reinterpret_cast<HWND>(lParam) == m_dateBox.GetHandle())
            Reload(false);
        break;
    default:
        break;
    }
    return ComparePage::HandleMessage(message, wParam, lParam, result);
}

XStringW AllocationPage::ExportCaption() const {
    return m_lastDate.empty() ? XStringW() : XStringW(L"报告期 " + m_lastDate.str());
}

// ---- Building and layout ---------------------------------------------------------------------------

void AllocationPage::OnCreate() {
    m_grid->Create(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, m_hWnd);
    m_grid->Bind();
    OnGridCreated();

    RECT empty{0, 0, 0, 0};
    m_dateBox.Create(m_hWnd, &empty, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kDateBoxId)));
    m_dateBox.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));

    m_filter.SetTarget(m_grid.get());
    m_filter.Create(m_hWnd);
    FilterCondition condition;
    condition.field = m_grid->GroupField();
    condition.title = m_traits.filterTitle;
    condition.prompt = m_traits.filterPrompt;
    condition.flags = FilterCondition::kButtonAtOnce | FilterCondition::kMultiple | FilterCondition::kVisible;
    m_filter.AddCondition(condition);
    AddFilterValues();

    m_app = m_context != nullptr ? m_context->App() : nullptr;
    if (m_app)
        m_grid->SetFundModule(m_app);
}

void AllocationPage::OnSize(int width, int height) {
    // A 26-pixel box whose list drops 100 pixels below it.
    m_dateBox.MoveWindow(RECT{width - 90, 2, width, 128});
    ::MoveWindow(static_cast<HWND>(*m_grid), 0, 30, width, height - 30, TRUE);
    if (m_filter.GetHandle() != nullptr)
        ::MoveWindow(m_filter.GetHandle(), width - 500, 2, 345, 22, TRUE);
}

void AllocationPage::PaintOver(HDC dc, const RECT& client) {
    HGDIOBJ oldFont = SelectObject(dc, m_labelFont.IsNull() ? GetStockObject(DEFAULT_GUI_FONT) : m_labelFont);
    SetTextColor(dc, m_labelColour);
    SetBkMode(dc, TRANSPARENT);
    const wchar_t kLabel[] = L"报告日期：";
    TextOutW(dc, client.right - 150, 6, kLabel, static_cast<int>(std::size(kLabel) - 1));
    SelectObject(dc, oldFont);
}

void AllocationPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    m_grid->SetTheme(theme);
    theme->GetColor("wnd_general_bg", m_backColour);
    m_backBrush.Replace(CreateSolidBrush(m_backColour));
    theme->GetColor("list_prev_data", m_labelColour);

    m_grid->SetDrawGridLine(false, true);
    XStringW header = LoadResourceText(WGUI::ModuleInstance(), L"XML", m_traits.headerResource);
    m_grid->SetHeader(header.c_str());
    if (!m_app && m_context != nullptr)
        m_app = m_context->App();
    m_grid->SetApp(m_app);
    m_grid->ApplyUserZoom();
    OnThemeApplied(theme);

    if (!m_barImage)
        m_barImage.reset(LoadPngImage(kBarImageId));
    m_grid->SetBarImage(m_barImage.get());
    m_filter.ApplyTheme(theme);

    Conf::ThemeFont font;
    theme->GetFont("default", font);
    m_labelFont.Replace(nullptr);
    m_labelFont.Attach(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                   font.face.c_str()));
    Refresh();
}

// ---- Reloading ---------------------------------------------------------------------------------------

void AllocationPage::ReloadIfVisible() {
    if (IsWindowVisible())
        Reload(true);
}

void AllocationPage::OnDatabaseChanged() {
    // The report dates are those of the new database; the list waits for them.
    if (m_dateBox.IsWindow())
        m_dateBox.SendMessage(CB_RESETCONTENT);
    m_lastDate.clear();
    ClearList();
    ReloadIfVisible();
}

void AllocationPage::OnFundsCleared() {
    ClearList();
}

void AllocationPage::ClearList() {
    if (Data::IDataTable* table = m_grid->Table())
        table->Clear(0);
}

bool AllocationPage::BuildDateList(Data::IDatabase* database) {
    XStringW earliest, latest, error;
    if (!QueryFirstText(database, m_traits.earliestDateQuery, earliest, error) ||
        !QueryFirstText(database, m_traits.latestDateQuery, latest, error)) {
        ReportQueryError(error);
        return false;
    }
    // A value that is no date (text, or "9999-99-99", sorting after every real date) must not
    // leave the box empty: the list then runs between the latest and the earliest valid dates.
    CalendarDate probe;
    if (!probe.Parse(latest) || !probe.Parse(earliest)) {
        XComPtr<Data::IStatement> statement;
        if (!database->Query(statement.Receive(), m_traits.reportDatesQuery, error) || !statement) {
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
    for (const XStringW& date : BuildReportDateList(latest, earliest))
        m_dateBox.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(date.c_str()));
    m_dateBox.SendMessage(CB_SETCURSEL, 0, 0);
    return true;
}

XStringW AllocationPage::SelectedDate() const {
    wchar_t buffer[kMaxDateLength + 1] = {};
    m_dateBox.GetWindowText(buffer, kMaxDateLength);
    return XStringW(buffer);
}

void AllocationPage::Reload(bool force) {
    ++m_reloads;
    Data::IDatabase* database = RequireContext() != nullptr ? m_context->Database() : nullptr;
    if (database == nullptr || !database->IsOpen() || !m_dateBox.IsWindow())
        return;
    if (m_dateBox.SendMessage(CB_GETCOUNT) <= 0 && !BuildDateList(database))
        return;
    if (!PrepareReload(database))
        return;

    XStringW date = SelectedDate();
    if (date.empty() || m_context->Funds().empty()) {
        ClearList();
        return;
    }
    if (date == m_lastDate && !force)
        return;
    m_lastDate = date;

    XStringW sql = FillTemplate(LoadResourceText(WGUI::ModuleInstance(), L"SQL", m_traits.queryResource),
                                SqlCodeList::EscapeLiteral(date));
    sql += SqlCodeList::FundListClause(m_context->Funds());
    XComPtr<Data::IStatement> statement;
    XStringW error;
    if (!database->Query(statement.Receive(), sql.c_str(), error) || !statement) {
        ReportQueryError(error);
        return;
    }
    std::vector<FundRecord> funds;
    while (statement->Next())
        funds.push_back(ReadRecord(statement));
    // A statement that breaks off mid-way is a failure too: showing its first rows as the whole
    // list would pass a partial answer off as the result.
    statement->GetError(error);
    if (!error.empty()) {
        ReportQueryError(error);
        return;
    }
    m_funds = std::move(funds);
    FillTable();
}

void AllocationPage::FillTable() {
    Data::IDataTable* table = m_grid->Table();
    if (table == nullptr)
        return;
    // Columns by position: a name lookup per cell would cost more than the cell.
    enum {
        kIndex,
        kGroup,
        kCode,
        kAliascode,
        kName,
        kInvesttype,
        kBuystate,
        kMarketvalue,
        kPercent,
        kImage,
        kCount
    };
    const wchar_t* names[kCount] = {L"index",      L"",         L"code",        L"aliascode", L"name",
                                    L"investtype", L"buystate", L"marketvalue", L"percent",   L"image"};
    names[kGroup] = m_grid->GroupField().c_str();
    int columns[kCount];
    for (int i = 0; i < kCount; ++i)
        columns[i] = table->GetColumnIndex(names[i]);

    // Emptying and refilling is one change of the table: the grid notes the current fund before
    // it and finds it again after. Emptied on its own, the table would have no current fund left
    // to note when the refill begins.
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    table->Clear(1);
    // A row per group and fund: hundreds of funds times two dozen industries. A table that can be
    // filled cell by cell in place is, rather than through a row object made for every row.
    XComPtr<Data::IDataTableCells> fill = XComPtr<Data::IDataTable>(table).As<Data::IDataTableCells>();
    int rowCount = static_cast<int>(m_groupLabels.size() * m_funds.size());
    int next = fill ? fill->AddRows(rowCount) : 0;
    for (size_t group = 0; group < m_groupLabels.size(); ++group) {
        for (const FundRecord& fund : m_funds) {
            XComPtr<Data::IDataRow> row;
            int at = next++;
            if (!fill && (!table->GetRow(row.Receive(), table->AddRow()) || !row))
                continue;
            auto setText = [&](int field, const XStringW& text) {
                if (fill)
                    fill->SetTextAt(at, columns[field], text.c_str(), text.length());
                else if (Data::IDataElement* element = row->GetValueAt(columns[field]))
                    element->SetText(text.c_str());
            };
            auto setDouble = [&](int field, double value) {
                if (fill)
                    fill->SetDoubleAt(at, columns[field], value);
                else if (Data::IDataElement* element = row->GetValueAt(columns[field]))
                    element->SetDouble(value);
            };
            if (fill)
                fill->SetIntAt(at, columns[kIndex], static_cast<int>(group));
            else if (Data::IDataElement* element = row->GetValueAt(columns[kIndex]))
                element->SetInt(static_cast<int>(group));
            // Only the figures: copying the holding would copy its label for every row.
            double marketValue = group < fund.holdings.size() ? fund.holdings[group].marketValue : 0;
            double share = group < fund.holdings.size() ? fund.holdings[group].share : 0;
            setText(kGroup, m_groupLabels[group]);
            setText(kCode, fund.code);
            setText(kAliascode, fund.aliascode);
            setText(kName, fund.name);
            setText(kInvesttype, fund.investtype);
            setText(kBuystate, fund.buystate);
            // No holding, a zero and a negative figure all show as empty cells without a bar:
            // the cells of a fresh row are empty already.
            if (!(marketValue >= AllocationGrid::kNoShare)) {
                if (!fill)
                    for (int field : {kMarketvalue, kPercent, kImage})
                        setText(field, XStringW());
                continue;
            }
            setDouble(kMarketvalue, marketValue);
            setDouble(kPercent, share);
            setDouble(kImage, share);
        }
    }
    if (update)
        update->Commit();
}
