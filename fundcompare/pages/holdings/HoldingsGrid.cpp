// HoldingsGrid: the table, heat and mark drawing, the cell tip and removal by column.
#include "pages/holdings/HoldingsGrid.h"

#include "pages/growth/LineStyles.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/Kernel.h>

#include <algorithm>
#include <cmath>

namespace {

// The text as an XML attribute value between double quotes; characters XML cannot hold are left out.
XStringW Attribute(const XStringW& text) {
    std::wstring escaped;
    for (wchar_t c : text.str()) {
        const auto u = static_cast<unsigned long>(c);
        if ((u < 0x20 && c != L'\n') || (u >= 0xD800 && u <= 0xDFFF) || u == 0xFFFE || u == 0xFFFF)
            continue;
        switch (c) {
        case L'&':
            escaped += L"&amp;";
            break;
        case L'<':
            escaped += L"&lt;";
            break;
        case L'>':
            escaped += L"&gt;";
            break;
        case L'"':
            escaped += L"&quot;";
            break;
        case L'\n':
            escaped += L"&#10;";
            break;
        default:
            escaped += c;
        }
    }
    return XStringW(std::move(escaped));
}

} // namespace

HoldingsGrid::HoldingsGrid() = default;

HoldingsGrid::~HoldingsGrid() {
    // The tooltip is a pop-up owned by the grid, not a child: it does not go with the page.
    if (m_tooltip.IsWindow())
        m_tooltip.DestroyWindow();
}

// ---- Table -------------------------------------------------------------------------------------------

Data::IDataTable* HoldingsGrid::Reset(const std::vector<ColumnSpec>& columns) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    if (!table)
        return nullptr;
    for (const ColumnSpec& column : columns)
        table->AddColumn(column.kind, column.name.c_str());
    m_table = table;
    SetDataSource(m_table);
    m_tipText.clear();
    m_tipRow = -1;
    return m_table;
}

void HoldingsGrid::Clear() {
    if (m_table)
        m_table->Clear(0);
}

// ---- Drawing -----------------------------------------------------------------------------------------

void HoldingsGrid::SetHeat(std::set<XStringW> columns, double scale, COLORREF colour) {
    m_heatColumns = std::move(columns);
    m_heatScale = std::isfinite(scale) && scale > 0 ? scale : 1;
    m_heatColour = colour;
    if (IsWindow())
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void HoldingsGrid::SetNegativeHeat(COLORREF colour) {
    m_negativeHeat = colour;
}

void HoldingsGrid::SetMark(const XStringW& field, std::set<XStringW> columns, COLORREF colour) {
    m_markField = field;
    m_markColumns = std::move(columns);
    m_markColour = colour;
}

void HoldingsGrid::SetWeightColumns(std::set<XStringW> columns, bool blankZero) {
    m_weightColumns = std::move(columns);
    m_blankZero = blankZero;
}

void HoldingsGrid::GetItemText(int row, const HeaderInfo2& item, XStringW& text) {
    GeneralDataGrid::GetItemText(row, item, text);
    if (m_weightColumns.count(item.name) == 0)
        return;
    double value = 0;
    if (!GetItemNumber(row, item, value))
        text = L"--";
    else if (m_blankZero && value == 0)
        text.clear();
}

void HoldingsGrid::OnEnterItem(int row) {
    if (m_enter && row >= 0 && row < GetRowsCount())
        m_enter(row);
}

COLORREF HoldingsGrid::HeatColour(double value) const {
    const COLORREF background = GetEvenLineColour();
    if (!std::isfinite(value) || !IsHeated(value))
        return background;
    const double amount = std::clamp(std::fabs(value) / m_heatScale, 0.0, 1.0);
    // Even a small value shows: the first tenth of the scale already moves a fifth of the way.
    return LineStyles::Mix(background, value > 0 ? m_heatColour : *m_negativeHeat, 0.15 + 0.85 * amount);
}

void HoldingsGrid::DrawItem(HDC hdc, Gdiplus::Graphics* graphics, int row, const HeaderInfo2& item,
                            const RECT& rect) {
    if (m_heatColumns.count(item.name) != 0) {
        double value = 0;
        if (GetItemNumber(row, item, value) && IsHeated(value))
            FillSolid(hdc, RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1},
                      HeatColour(value));
    }
    GeneralDataGrid::DrawItem(hdc, graphics, row, item, rect);
}

void HoldingsGrid::GetItemColor(int row, const HeaderInfo2& item, const XStringW& text, COLORREF& colour) {
    GeneralDataGrid::GetItemColor(row, item, text, colour);
    if (m_heatColumns.count(item.name) != 0) {
        double value = 0;
        if (GetItemNumber(row, item, value) && IsHeated(value))
            colour = LineStyles::TextOn(HeatColour(value));
        return;
    }
    if (!m_markField.empty() && m_markColumns.count(item.name) != 0 &&
        CellNumber(row, m_markField.c_str()) >= 2)
        colour = m_markColour;
}

// ---- Tip ---------------------------------------------------------------------------------------------

void HoldingsGrid::ResetTool(int width, int height) {
    if (!m_tooltip.IsWindow())
        return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_MIN_SIZE;
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = m_hWnd;
    tool.uId = 0;
    tool.rect = RECT{0, 0, width, height};
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    m_tooltip.DelTool(&tool);
    m_tooltip.AddTool(&tool);
}

void HoldingsGrid::HoverAt(int x, int y) {
    int row = -1;
    HeaderInfo2 item;
    XStringW text;
    const int area = m_tipSource ? HitTest(x, y, row, item) : HitNone;
    if (area == HitCell && row >= 0 && row < GetRowsCount()) {
        text = m_tipSource(row, item.name);
    } else if (area == HitHeader) {
        row = -1;
        text = m_tipSource(-1, item.name);
    } else {
        row = -1;
        item.name.clear();
    }
    if (text == m_tipText && row == m_tipRow && item.name == m_tipColumn)
        return;
    m_tipText = text;
    m_tipRow = row;
    m_tipColumn = item.name;
    if (m_tooltip.IsWindow())
        m_tooltip.SendMessage(TTM_UPDATE);
}

// ---- Menu and removal --------------------------------------------------------------------------------

void HoldingsGrid::SetColumnFunds(ColumnFund columnFund, Remover remover) {
    m_columnFund = std::move(columnFund);
    m_columnRemover = std::move(remover);
}

void HoldingsGrid::ClickAt(int x, int y) {
    int row = -1;
    HeaderInfo2 item;
    const int area = HitTest(x, y, row, item);
    if (area != HitNone)
        m_clickedColumn = item.name;
}

void HoldingsGrid::RemoveClickedFund() {
    const XStringW code = m_columnFund ? m_columnFund(m_clickedColumn) : XStringW();
    if (!code.empty() && m_columnRemover)
        m_columnRemover({code});
    ClearMultiSel();
}

void HoldingsGrid::OnContextMenu(int x, int y) {
    if (!m_columnFund) {
        ShowRemoveMenu(x, y, kRemoveCommand);
        return;
    }
    ClickAt(x, y);
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    const bool fundColumn = !m_columnFund(m_clickedColumn).empty();
    AppendMenuW(menu, MF_STRING | (fundColumn ? 0 : MF_GRAYED), kRemoveCommand,
                CompareWorkspace::kRemoveItem);
    AppendExportItems(menu);
    POINT point{x, y};
    ::ClientToScreen(m_hWnd, &point);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

LRESULT HoldingsGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LRESULT result = GeneralDataGrid::WndProc(message, wParam, lParam);
        m_tooltip.Create(m_hWnd, nullptr, nullptr, WGUI::ToolTipCtrl::kStyle, WGUI::ToolTipCtrl::kExStyle);
        if (m_tooltip.IsWindow())
            m_tooltip.SetMaxTipWidth(kTipWidth);
        return result;
    }
    case WM_SIZE:
        ResetTool(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header != nullptr && header->code == TTN_GETDISPINFOW &&
            header->hwndFrom == m_tooltip.GetHandle())
            reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<LPWSTR>(m_tipText.c_str());
        break;
    }
    case WM_MOUSEMOVE:
        HoverAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (m_columnFund)
            ClickAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case WM_KEYDOWN:
        // Delete takes the fund of the column last clicked, as the menu's item does.
        if (wParam == VK_DELETE && m_columnFund) {
            RemoveClickedFund();
            return 0;
        }
        break;
    case WM_COMMAND:
        if (m_columnFund && LOWORD(wParam) == kRemoveCommand) {
            RemoveClickedFund();
            return 0;
        }
        break;
    default:
        break;
    }
    return GeneralDataGrid::WndProc(message, wParam, lParam);
}

XStringW HoldingsGrid::HeaderItem(const XStringW& title, const XStringW& name, int width,
                                  const wchar_t* align, const wchar_t* font, const wchar_t* colour,
                                  const wchar_t* format) {
    XStringW item = XStringW(L"<item title=\"") + Attribute(title) + L"\" name=\"" + Attribute(name) +
                    L"\" width=\"" + XStringW().Format(L"%d", width) + L"\" align=\"" + align +
                    L"\" font=\"" + font + L"\"";
    if (colour != nullptr)
        item += XStringW(L" text_color=\"") + colour + L"\"";
    if (format != nullptr)
        item += XStringW(L" data_type=\"d\" text_format=\"") + format + L"\"";
    return item + L"/>";
}
