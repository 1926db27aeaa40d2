// Shared set-up of the fund-grid tests: a headless screen, a theme with distinct colours, host
// tables filled from rows of text, and a grid subclass that opens the hooks to the tests.
#pragma once

#include "FakeTheme.h"
#include "grid/GeneralDataGrid.h"

#include <platform/driver.h>
#include <sdk/Kernel.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridtest {

constexpr COLORREF kZero = RGB(128, 128, 128);
constexpr COLORREF kNegative = RGB(0, 160, 0);
constexpr COLORREF kPositive = RGB(220, 0, 0);
constexpr COLORREF kHighlight = RGB(255, 200, 0);
constexpr COLORREF kNameColour = RGB(10, 20, 30);
constexpr COLORREF kOddLine = RGB(31, 32, 33);
constexpr COLORREF kEvenLine = RGB(61, 62, 63);
constexpr COLORREF kSelection = RGB(91, 92, 93);

inline void FillGridTheme(FakeTheme& theme) {
    theme.colours["list_value_zero"] = kZero;
    theme.colours["list_value_negative"] = kNegative;
    theme.colours["list_value_positive"] = kPositive;
    theme.colours["list_highlight"] = kHighlight;
    theme.colours["list_name"] = kNameColour;
    theme.colours["list_bg_oddLine"] = kOddLine;
    theme.colours["list_bg_evenLine"] = kEvenLine;
    theme.colours["list_sel_bg"] = kSelection;
    theme.numbers["list_list_row_heihgt"] = 20;
    theme.numbers["list_header_row_heihgt"] = 24;
}

// A fund grid whose protected hooks the tests call directly.
class OpenGrid : public GeneralDataGrid {
public:
    using GeneralDataGrid::GetItemColor;
    using GeneralDataGrid::GetItemText;
    using GeneralDataGrid::GetRowBackColor;
    using GeneralDataGrid::GetRowsCount;
    using GeneralDataGrid::sort;

    XStringW Text(int row, const wchar_t* column) {
        HeaderInfo2 info;
        if (!GetHeaderInfo(column, info))
            info.name = column; // a field the header does not list
        XStringW text;
        GetItemText(row, info, text);
        return text;
    }
    COLORREF Colour(int row, const wchar_t* column, COLORREF start = RGB(1, 1, 1)) {
        HeaderInfo2 info;
        if (!GetHeaderInfo(column, info))
            info.name = column;
        XStringW text;
        GetItemText(row, info, text);
        COLORREF colour = start;
        GetItemColor(row, info, text, colour);
        return colour;
    }
};

// A table of text columns, one row per entry of `rows`; an entry "<null>" leaves the cell null.
inline XComPtr<Data::IDataTable> MakeTable(const std::vector<std::wstring>& columns,
                                           const std::vector<std::vector<std::wstring>>& rows) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    for (const std::wstring& column : columns)
        table->AddColumn(Data::kText, column.c_str());
    for (const auto& cells : rows) {
        int index = table->AddRow();
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), index);
        for (size_t i = 0; i < cells.size() && i < columns.size(); ++i)
            if (cells[i] != L"<null>")
                row->GetValueAt(static_cast<int>(i))->SetText(cells[i].c_str());
    }
    return table;
}

// The codes of the rows the grid shows, in order.
inline std::vector<std::wstring> ShownCodes(OpenGrid& grid) {
    std::vector<std::wstring> codes;
    for (int row = 0; row < grid.GetRowsCount(); ++row)
        codes.push_back(grid.Text(row, L"code").str());
    return codes;
}

} // namespace gridtest
