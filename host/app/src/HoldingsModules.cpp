// The holdings pages of the asset- and industry-allocation modules.
#include "HoldingsModules.h"

#include <hostconf/XmlEscape.h>

#include "HostGridTheme.h"

#include <hostkernel/CellText.h>
#include <sdk/Kernel.h>

#include <cmath>

namespace {

const wchar_t kPageClass[] = L"FundHostHoldingsPage";
constexpr int kTitleHeight = 34;

// A code inside a '...' literal: every quote doubled, so that no code can end the literal.
XStringW literal(const XStringW& text) {
    XStringW escaped = text;
    escaped.replace(L"'", L"''");
    return XStringW(L"'") + escaped + XStringW(L"'");
}

XStringW fundText(Data::IDatabase* database, const XStringW& code) {
    XComPtr<Data::IStatement> statement;
    XStringW error;
    XStringW sql = XStringW(L"select aliascode, name from tb_fund where code = ") + literal(code) +
                   XStringW(L" and not isdeleted");
    if (!database->Query(statement.Receive(), sql.c_str(), error) || statement == nullptr ||
        !statement->Next())
        return code;
    XStringW alias, name;
    statement->GetString(alias, 0);
    statement->GetString(name, 1);
    return alias + XStringW(L" ") + name;
}

// Amounts as the fund reports show them: 亿 above a hundred million, 万 above ten thousand.
XStringW amountText(const XStringW& raw) {
    // Only a plain decimal number is an amount: text such as "abc" or "0x10" shows as missing.
    double v = 0;
    if (raw.empty() || !HostKernel::ParseReal(raw.str(), v) || !std::isfinite(v))
        return XStringW(L"--");
    if (std::fabs(v) >= 100000000)
        return XStringW().Format(L"%.2f亿", v / 100000000);
    if (std::fabs(v) >= 10000)
        return XStringW().Format(L"%.2f万", v / 10000);
    return XStringW().Format(L"%.2f", v);
}

} // namespace

XStringW LoadAssetHoldings(Data::IDatabase* database, const XStringW& code, Data::IDataTable* table) {
    if (database == nullptr)
        return code;
    XStringW sql =
        XStringW(L"select date,"
                 L" max(case when assettype = '股票' then marketvalue end) as 股票,"
                 L" max(case when assettype = '债券' then marketvalue end) as 债券,"
                 L" max(case when assettype = '银行存款' then marketvalue end) as 银行存款,"
                 L" max(case when assettype = '买入返售证券' then marketvalue end) as 买入返售证券,"
                 L" max(case when assettype = '权证' then marketvalue end) as 权证,"
                 L" max(case when assettype = '其它资产' then marketvalue end) as 其它资产,"
                 L" max(case when assettype = '资产总计' then marketvalue end) as 资产总计,"
                 L" max(case when assettype = '资产净值' then marketvalue end) as 资产净值"
                 L" from tb_assetallocation where code = ") +
        literal(code) + XStringW(L" and not isdeleted group by date order by date desc");
    database->Execute(sql.c_str(), table, 1, 0);
    return fundText(database, code);
}

XStringW LoadIndustryHoldings(Data::IDatabase* database, const XStringW& code, Data::IDataTable* table) {
    if (database == nullptr)
        return code;
    XStringW sql = XStringW(L"select i.date as date, n.name as 行业, i.marketvalue as 市值,"
                            L" i.percent as 比例 from tb_investindustry i join tb_industryname n"
                            L" on n.id = i.industryid where i.code = ") +
                   literal(code) + XStringW(L" and not i.isdeleted order by i.date desc, i.industryid");
    database->Execute(sql.c_str(), table, 1, 0);
    return fundText(database, code);
}

// ---- The grid -------------------------------------------------------------------------------------

int HoldingsPage::HoldingsGrid::GetRowsCount() {
    return m_page.m_table != nullptr ? m_page.m_table->GetRowCount() : 0;
}

void HoldingsPage::HoldingsGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    XComPtr<Data::IDataRow> r;
    if (!m_page.m_table->GetRow(r.Receive(), row) || r == nullptr)
        return;
    Data::IDataElement* e = r->GetValue(item.name.c_str());
    XStringW raw = e != nullptr ? e->ToString() : XStringW();
    if (item.name == XStringW(L"date") || item.name == XStringW(L"行业"))
        text = raw;
    else if (item.name == XStringW(L"比例"))
        text = raw.empty() ? XStringW(L"--")
                           : XStringW().Format(L"%.2f%%", std::wcstod(raw.c_str(), nullptr) * 100);
    else
        text = amountText(raw);
}

// ---- The page -------------------------------------------------------------------------------------

HoldingsPage::HoldingsPage(XStringW title, Data::IDatabase* database, Loader loader)
    : HostTabPage(kPageClass), m_title(std::move(title)), m_database(database), m_loader(std::move(loader)),
      m_grid(*this) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    m_table = object.As<Data::IDataTable>();
}

HoldingsPage::~HoldingsPage() {
    if (m_backBrush != nullptr)
        DeleteObject(m_backBrush);
}

void HoldingsPage::UseDatabase(Data::IDatabase* database) {
    m_database = database;
    if (!m_code.empty())
        ShowFundCode(m_code);
}

void HoldingsPage::ShowFundCode(const XStringW& code) {
    m_code = code;
    m_fundText = m_loader(m_database, code, m_table);
    RebuildHeader();
    if (m_window != nullptr)
        InvalidateRect(m_window, nullptr, TRUE);
}

void HoldingsPage::RebuildHeader() {
    if (static_cast<HWND>(m_grid) == nullptr)
        return;
    XStringW header = L"<header>";
    for (int c = 0; c < m_table->GetColumnCount(); ++c) {
        XComPtr<Data::IColumnItem> item;
        XStringW name;
        if (m_table->GetColumnItem(item.Receive(), c) && item != nullptr)
            item->GetName(name);
        bool first = c == 0;
        // Column names are asset types and industry names from the database: escaped, a name
        // with a quote or "&" still gives a well-formed header.
        XStringW escaped(HostConf::EscapeAttribute(name.str()));
        header += XStringW().Format(L"<item title=\"%s\" name=\"%s\" width=\"%d\" align=\"%s\"/>",
                                    first ? L"报告日期" : escaped.c_str(), escaped.c_str(), first ? 100 : 110,
                                    first ? L"center" : L"right");
    }
    header += L"</header>";
    m_grid.SetHeader(header.c_str());
    m_grid.Refresh(true, true);
}

void HoldingsPage::ApplyTheme(Conf::ITheme* theme) {
    if (theme == nullptr)
        return;
    theme->GetColor("wnd_general_bg", m_back);
    theme->GetColor("list_prev_data", m_text);
    if (m_backBrush != nullptr)
        DeleteObject(m_backBrush);
    m_backBrush = CreateSolidBrush(m_back);
    ApplyHostGridTheme(m_grid, theme);
    Invalidate();
}

LRESULT HoldingsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        m_grid.Create(L"", WS_CHILD | WS_VISIBLE, 0, kTitleHeight, 0, 0, 0, m_window);
        RebuildHeader();
        return 0;
    case WM_SIZE:
        ::MoveWindow(m_grid, 0, kTitleHeight, LOWORD(lParam), std::max(0, HIWORD(lParam) - kTitleHeight),
                     TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        FillRect(dc, &ps.rcPaint,
                 m_backBrush != nullptr ? m_backBrush : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, m_text);
        XStringW line = m_title + XStringW(L"：") + m_fundText;
        RECT r{12, 0, 1000, kTitleHeight};
        DrawTextW(dc, line.c_str(), static_cast<int>(line.length()), &r,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        EndPaint(m_window, &ps);
        return 0;
    }
    default:
        return HostTabPage::HandleMessage(message, wParam, lParam);
    }
}
