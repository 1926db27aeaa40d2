// FeeCompareGrid: the header of fund columns, the cells, the column sort and the removal menu.
#include "pages/fees/FeeCompareGrid.h"

#include "pages/general/GeneralCompareGrid.h"

#include <platform/wcrt.h>
#include <sdk/CompareWorkspace.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace {

const wchar_t* const kLabels[FeeCompareGrid::kRowCount] = {
    L"费率",         L"份额类别",     L"管理费率（年）",   L"托管费率（年）", L"销售服务费率（年）",
    L"年费用合计",   L"最低申购金额", L"申购费率",         L"赎回费率",       L"费用测算",
    L"估算年化收益", L"申购费（元）", L"持有期年费（元）", L"赎回费（元）",   L"总成本（元）",
    L"年均成本",
};

// Natural order of two texts: runs of digits compare by value, so "9/120" comes before "10/120".
int NaturalCompare(const std::wstring& a, const std::wstring& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::iswdigit(a[i]) && std::iswdigit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::iswdigit(a[ei]))
                ++ei;
            while (ej < b.size() && std::iswdigit(b[ej]))
                ++ej;
            const std::wstring da = a.substr(i, ei - i), db = b.substr(j, ej - j);
            const size_t za = da.find_first_not_of(L'0'), zb = db.find_first_not_of(L'0');
            const std::wstring va = za == std::wstring::npos ? L"" : da.substr(za);
            const std::wstring vb = zb == std::wstring::npos ? L"" : db.substr(zb);
            if (va.size() != vb.size())
                return va.size() < vb.size() ? -1 : 1;
            if (va != vb)
                return va < vb ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

bool IsEmptyText(const XStringW& text) {
    return text.empty() || text == XStringW(L"--");
}

} // namespace

FeeCompareGrid::FeeCompareGrid() = default;

FeeCompareGrid::~FeeCompareGrid() = default;

const wchar_t* FeeCompareGrid::RowLabel(int row) {
    return row >= 0 && row < kRowCount ? kLabels[row] : L"";
}

XStringW FeeCompareGrid::SortName(int row) {
    XStringW name;
    name.Format(L"row%d", row);
    return name;
}

XStringW FeeCompareGrid::CellText(const Cell& cell) {
    XStringW text;
    switch (cell.shown) {
    case Shown::kText:
        return cell.text.empty() ? XStringW(L"--") : cell.text;
    case Shown::kRate:
        text = FeeCalculator::RateText(cell.number);
        break;
    case Shown::kAmount:
        text = std::isfinite(cell.number) ? FeeCalculator::BoundText(cell.number, true) : XStringW(L"--");
        break;
    case Shown::kMoney:
        text = FeeCalculator::MoneyText(cell.number);
        break;
    case Shown::kPercent:
        text = FeeCalculator::PercentText(cell.number);
        break;
    }
    text += cell.text;
    return text;
}

XStringW FeeCompareGrid::RowText(const Column& column, int row) {
    if (row == kPurchaseTiers || row == kRedemptionTiers)
        return FeeCalculator::DescribeTiers(column.tiers[row == kPurchaseTiers ? 0 : 1],
                                            row == kPurchaseTiers);
    return CellText(column.cells[static_cast<size_t>(row)]);
}

void FeeCompareGrid::Fill(std::vector<Column> columns) {
    m_columns = std::move(columns);
    m_tierRows[0] = m_tierRows[1] = 1;
    for (Column& column : m_columns) {
        for (int k = 0; k < 2; ++k)
            m_tierRows[k] = std::max(m_tierRows[k], static_cast<int>(column.tiers[k].size()));
    }
    SortColumns();
    Rebuild();
}

FeeCompareGrid::Place FeeCompareGrid::PlaceOf(int displayRow) const {
    Place place;
    if (displayRow < 0 || displayRow >= DisplayRowCount())
        return place;
    int row = displayRow;
    if (row < kPurchaseTiers) {
        place.row = row;
        return place;
    }
    row -= kPurchaseTiers;
    if (row < m_tierRows[0])
        return Place{kPurchaseTiers, row};
    row -= m_tierRows[0];
    if (row < m_tierRows[1])
        return Place{kRedemptionTiers, row};
    row -= m_tierRows[1];
    place.row = kRedemptionTiers + 1 + row;
    return place;
}

int FeeCompareGrid::DisplayRowOf(int row) const {
    if (row <= kPurchaseTiers)
        return row;
    if (row == kRedemptionTiers)
        return kPurchaseTiers + m_tierRows[0];
    return row - 2 + m_tierRows[0] + m_tierRows[1];
}

const FeeCompareGrid::Column* FeeCompareGrid::Find(const XStringW& code) const {
    for (const Column& column : m_columns)
        if (column.code == code)
            return &column;
    return nullptr;
}

XStringW FeeCompareGrid::Text(const XStringW& code, int row) const {
    const Column* column = Find(code);
    if (column == nullptr || row < 0 || row >= kRowCount)
        return XStringW();
    return RowText(*column, row);
}

bool FeeCompareGrid::sort(const XStringW& name, bool ascending) {
    const std::wstring& s = name.str();
    if (s.size() < 4 || s.compare(0, 3, L"row") != 0 ||
        !std::all_of(s.begin() + 3, s.end(), [](wchar_t c) { return std::iswdigit(c) != 0; }))
        return false;
    const int row = static_cast<int>(std::wcstol(s.c_str() + 3, nullptr, 10));
    if (row <= 0 || row >= kRowCount || IsGroupRow(row))
        return false;
    m_sortRow = row;
    m_sortAscending = ascending;
    SortColumns();
    Rebuild();
    return true;
}

void FeeCompareGrid::SortColumns() {
    if (m_sortRow < 0)
        return;
    const int row = m_sortRow;
    const bool ascending = m_sortAscending;
    // Texts are made once per column for a sort by a row that has no numbers.
    std::vector<std::pair<Column*, XStringW>> keyed;
    keyed.reserve(m_columns.size());
    for (Column& column : m_columns) {
        const Cell& cell = column.cells[static_cast<size_t>(row)];
        const bool tiers = row == kPurchaseTiers || row == kRedemptionTiers;
        keyed.emplace_back(&column, tiers || !std::isfinite(cell.number) ? RowText(column, row) : XStringW());
    }
    std::stable_sort(keyed.begin(), keyed.end(), [row, ascending](const auto& a, const auto& b) {
        const Cell& x = a.first->cells[static_cast<size_t>(row)];
        const Cell& y = b.first->cells[static_cast<size_t>(row)];
        const bool xNumber = std::isfinite(x.number), yNumber = std::isfinite(y.number);
        if (xNumber || yNumber) {
            // Cells without a number go last in both directions.
            if (xNumber != yNumber)
                return xNumber;
            return ascending ? x.number < y.number : y.number < x.number;
        }
        const bool xEmpty = IsEmptyText(a.second), yEmpty = IsEmptyText(b.second);
        if (xEmpty || yEmpty)
            return !xEmpty && yEmpty;
        const int order = NaturalCompare(a.second.str(), b.second.str());
        return ascending ? order < 0 : order > 0;
    });
    std::vector<Column> sorted;
    sorted.reserve(m_columns.size());
    for (auto& [column, text] : keyed)
        sorted.push_back(std::move(*column));
    m_columns = std::move(sorted);
}

void FeeCompareGrid::Rebuild(bool force) {
    bool same = m_headerSet && !force && m_headerColumns.size() == m_columns.size();
    for (size_t k = 0; same && k < m_columns.size(); ++k)
        same =
            m_headerColumns[k].first == m_columns[k].code && m_headerColumns[k].second == m_columns[k].title;
    if (same) {
        // The same columns: the cells changed, the header and the scroll position stay.
        Refresh(false, false);
        if (IsWindow())
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    m_headerColumns.clear();
    m_headerColumns.reserve(m_columns.size());
    for (const Column& column : m_columns)
        m_headerColumns.emplace_back(column.code, column.title);
    m_headerSet = true;
    // One buffer for the whole document: a hundred funds make a header of some ten thousand
    // characters.
    std::wstring xml;
    xml.reserve(160 + m_columns.size() * 160);
    xml += L"<header><item title=\"\" font=\"_font_bold\" align=\"center\" name=\"column\" width=\"160\" />";
    for (const Column& column : m_columns) {
        xml += L"<item title=\"";
        xml += GeneralCompareGrid::EscapeXmlAttribute(column.title).str();
        xml += L"\" font=\"_font_regular\" align=\"center\" name=\"";
        xml += GeneralCompareGrid::EscapeXmlAttribute(column.code).str();
        xml += L"\" width=\"190\" />";
    }
    xml += L"</header>";
    const int top = GetTopRow();
    SetHeader(xml.c_str());
    ApplyUserZoom();
    SetScrollLock(true);
    Refresh(false, true);
    SetTopRow(top);
    if (IsWindow())
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void FeeCompareGrid::GetItemText(int displayRow, const HeaderInfo2& item, XStringW& text) {
    const Place place = PlaceOf(displayRow);
    const int row = place.row;
    if (row < 0) {
        text.clear();
        return;
    }
    if (item.name == XStringW(L"column") && place.tier > 0) {
        text.clear(); // the label stands on the first tier's row only
        return;
    }
    if (row == kPurchaseTiers || row == kRedemptionTiers) {
        if (item.name == XStringW(L"column"))
            text = RowLabel(row);
        else if (const Column* column = Find(item.name)) {
            const std::vector<FeeTier>& tiers = column->tiers[row == kPurchaseTiers ? 0 : 1];
            text =
                static_cast<size_t>(place.tier) < tiers.size()
                    ? FeeCalculator::TierLine(tiers[static_cast<size_t>(place.tier)], row == kPurchaseTiers)
                : place.tier == 0 ? XStringW(L"--")
                                  : XStringW();
        } else
            text.clear();
        if (item.name == XStringW(L"column") && row == m_sortRow)
            text += m_sortAscending ? XStringW(L" ▲") : XStringW(L" ▼");
        return;
    }
    if (item.name == XStringW(L"column")) {
        text = row == kCostGroup && !m_costCaption.empty() ? m_costCaption : XStringW(RowLabel(row));
        if (row == m_sortRow)
            text += m_sortAscending ? XStringW(L" ▲") : XStringW(L" ▼");
        return;
    }
    const Column* column = Find(item.name);
    text = column != nullptr && !IsGroupRow(row) ? CellText(column->cells[static_cast<size_t>(row)])
                                                 : XStringW();
}

void FeeCompareGrid::GetItemColor(int displayRow, const HeaderInfo2& item, const XStringW&,
                                  COLORREF& colour) {
    const int row = PlaceOf(displayRow).row;
    // The labels read as a second header, in the header's text colour.
    if (item.name == XStringW(L"column")) {
        colour = RGB(255, 255, 255);
        if (GetTheme() != nullptr)
            GetTheme()->GetColor("list_title", colour);
        return;
    }
    const Column* column = Find(item.name);
    if (column != nullptr && column->cheapest && (row == kTotal || row == kPerYear))
        colour = GetHighlightColour();
}

void FeeCompareGrid::DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                              const RECT& rect) {
    if (IsGroupRow(PlaceOf(row).row))
        DrawHeaderBackgound(hdc, graphics, nullptr, rect);
    XDataGrid::DrawItem(hdc, graphics, row, item, rect);
}

bool FeeCompareGrid::GetItemNumber(int displayRow, const HeaderInfo2& item, double& value) {
    const Column* column = Find(item.name);
    const Place place = PlaceOf(displayRow);
    const int row = place.row;
    if (column == nullptr || row < 0 || row == kPurchaseTiers || row == kRedemptionTiers)
        return false;
    const Cell& cell = column->cells[static_cast<size_t>(row)];
    // A marked total is text and number both; the other cells read as numbers when they show one.
    if (!std::isfinite(cell.number))
        return false;
    value = cell.number;
    return true;
}

LRESULT FeeCompareGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The second click of a quick pair comes as a double click; it turns the order round too.
        int displayRow = -1;
        HeaderInfo2 item;
        const int hit = HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), displayRow, item);
        const int row = PlaceOf(displayRow).row;
        if (hit == HitCell && item.name == XStringW(L"column") && row > 0 && !IsGroupRow(row)) {
            // Cheapest first on the first click of a row; the next click turns it round.
            const bool ascending = row == m_sortRow ? !m_sortAscending : true;
            SortBy(SortName(row), ascending);
        }
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kRemoveCommand) {
            const XStringW code = m_menuCode;
            m_menuCode.clear();
            if (!code.empty())
                RemoveFundColumn(code);
            return 0;
        }
        break;
    default:
        break;
    }
    return GeneralDataGrid::WndProc(message, wParam, lParam);
}

void FeeCompareGrid::OnContextMenu(int x, int y) {
    int row = -1;
    HeaderInfo2 item;
    HitTest(x, y, row, item);
    m_menuCode = Find(item.name) != nullptr ? item.name : XStringW();
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    AppendMenuW(menu, MF_STRING | (m_menuCode.empty() ? MF_GRAYED : 0), kRemoveCommand,
                CompareWorkspace::kRemoveItem);
    AppendExportItems(menu);
    POINT point{x, y};
    ::ClientToScreen(m_hWnd, &point);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

void FeeCompareGrid::RemoveFundColumn(const XStringW& code) {
    if (m_columnRemover)
        m_columnRemover({code});
}
