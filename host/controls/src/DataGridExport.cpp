// Control::DataGridEx leaving the program: the list read as shown (Sheet), the context menu's
// "导出...", Ctrl+S and Ctrl+C, the save dialog, the clipboard, and the tab-separated text.
//
// Sections: reading the sheet; the commands; numbers as shown; tab-separated text.
#include "SaveFileAsk.h"

#include <sdk/ControlDataGrid.h>
#include <sdk/ControlStatusNote.h>

#include <cmath>
#include <cstring>
#include <cwctype>

namespace Control {

namespace {

bool endsWithNoCase(const std::wstring& text, const std::wstring& tail) {
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::towlower(static_cast<wint_t>(text[text.size() - tail.size() + i])) !=
            static_cast<wint_t>(tail[i]))
            return false;
    return true;
}

} // namespace

// ---- Reading the sheet ------------------------------------------------------------------------

bool DataGridEx::IsNumericColumn(int column) {
    const HeaderInfo2* info = GetColumn(column);
    if (info == nullptr || !info->item)
        return false;
    char kind = info->item.attribute("data_type").value()[0];
    return kind == 'd' || kind == 'i';
}

XStringW DataGridEx::GetGroupColumn() {
    return XStringW();
}

bool DataGridEx::IsCaptionRow(int) {
    return false;
}

bool DataGridEx::GetItemNumber(int, const HeaderInfo2&, double&) {
    return false;
}

namespace {

// The title of an exported list: its name, and what the page around it says of it when a page
// answers.
XStringW exportCaption(HWND grid, const XStringW& name) {
    for (HWND window = GetParent(grid); window != nullptr; window = GetParent(window)) {
        XStringW said;
        if (SendMessageW(window, DataGridEx::kGetExportCaptionMessage, 0, reinterpret_cast<LPARAM>(&said)) !=
            1)
            continue;
        if (said.empty())
            break;
        return name.empty() ? said : XStringW(name.str() + L"  " + said.str());
    }
    return name;
}

} // namespace

DataGridEx::Sheet DataGridEx::ReadSheet(bool selectedOnly) {
    Sheet sheet;
    sheet.name = m_exportName;
    sheet.caption = exportCaption(m_hWnd, m_exportName);
    sheet.lockFirstColumn = GetScrollLock();
    int columns = GetColumnCount();
    XStringW group = GetGroupColumn();
    int groupColumn = -1;
    for (int c = 0; c < columns; ++c) {
        const HeaderInfo2* info = GetColumn(c);
        sheet.columns.push_back(Sheet::Column{info->title, ZoomedWidth(c), IsNumericColumn(c)});
        if (!group.empty() && info->name == group)
            groupColumn = c;
    }
    int rowCount = GetRowsCount();
    std::vector<int> rows;
    if (selectedOnly)
        for (int r : GetCurrSels())
            if (r >= 0 && r < rowCount)
                rows.push_back(r);
    if (rows.empty())
        for (int r = 0; r < rowCount; ++r)
            rows.push_back(r);
    std::vector<bool> caption;
    for (int r : rows) {
        std::vector<XStringW> cells;
        std::vector<double> numbers;
        cells.reserve(static_cast<size_t>(columns));
        numbers.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            // The same path as the scripted runs' dump, so that a file holds what a dump shows.
            CellTextRequest request;
            request.row = r;
            request.column = c;
            SendMessageW(m_hWnd, kGetCellTextMessage, 0, reinterpret_cast<LPARAM>(&request));
            cells.push_back(request.text);
            numbers.push_back(request.number);
        }
        sheet.rows.push_back(std::move(cells));
        sheet.numbers.push_back(std::move(numbers));
        caption.push_back(IsCaptionRow(r));
    }
    int n = static_cast<int>(sheet.rows.size());
    for (int r = 0; r < n; ++r)
        if (caption[static_cast<size_t>(r)] && columns > 1)
            sheet.merges.push_back(Sheet::Merge{r, r, 0, columns - 1});
    if (groupColumn >= 0) {
        // Runs of adjacent rows with one group text, as the grid draws them once.
        for (int first = 0; first < n;) {
            int last = first;
            const XStringW& text = sheet.rows[static_cast<size_t>(first)][static_cast<size_t>(groupColumn)];
            while (last + 1 < n &&
                   sheet.rows[static_cast<size_t>(last + 1)][static_cast<size_t>(groupColumn)] == text)
                ++last;
            if (last > first && !text.empty())
                sheet.merges.push_back(Sheet::Merge{first, last, groupColumn, groupColumn});
            first = last + 1;
        }
    }
    return sheet;
}

// ---- The commands -----------------------------------------------------------------------------

void DataGridEx::AppendExportItems(HMENU menu) {
    if (menu == nullptr)
        return;
    if (GetMenuItemCount(menu) > 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kExportCommand, L"导出...");
}

void DataGridEx::OnContextMenu(int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    AppendExportItems(menu);
    POINT point{x, y};
    ::ClientToScreen(m_hWnd, &point);
    TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

bool DataGridEx::ExportTo(const XStringW& path, XStringW& error) {
    bool csv = endsWithNoCase(path.str(), L".csv");
    if (!csv && !endsWithNoCase(path.str(), L".xlsx")) {
        error = XStringW(L"the file name '" + path.str() + L"' must end in .xlsx or .csv");
        return false;
    }
    Sheet sheet = ReadSheet(false);
    return csv ? WriteSheetCsv(sheet, path.ToUtf8(), error) : WriteSheetXlsx(sheet, path.ToUtf8(), error);
}

bool DataGridEx::ExportWithDialog() {
    static const wchar_t kTypes[] = L"Excel 工作簿 (*.xlsx)\0*.xlsx\0CSV UTF-8 (逗号分隔) (*.csv)\0*.csv\0";
    SaveFileAsk ask;
    ask.owner = m_hWnd;
    ask.name = m_exportName;
    ask.fallbackName = L"导出";
    ask.types = kTypes;
    ask.extension = L"xlsx";
    ask.title = L"导出";
    XStringW path;
    DWORD filterIndex = 1;
    if (!AskSaveFileName(ask, path, filterIndex))
        return false;
    // A name whose extension names neither type gets the one of the type chosen in the dialog.
    if (!endsWithNoCase(path.str(), L".csv") && !endsWithNoCase(path.str(), L".xlsx"))
        path = XStringW(path.str() + (filterIndex == 2 ? L".csv" : L".xlsx"));
    XStringW error;
    if (!ExportTo(path, error)) {
        std::wstring text = L"导出失败：" + error.str();
        MessageBoxW(m_hWnd, text.c_str(), L"提示", MB_OK | MB_ICONWARNING);
        return false;
    }
    StatusNote note;
    note.text = XStringW(L"已导出到 " + path.str());
    ShowStatusNote(m_hWnd, note);
    return true;
}

bool DataGridEx::CopyRows() {
    XStringW text = SheetToTsv(ReadSheet(true));
    if (!OpenClipboard(m_hWnd))
        return false;
    EmptyClipboard();
    size_t bytes = (text.str().size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (auto* p = static_cast<wchar_t*>(GlobalLock(block))) {
        std::memcpy(p, text.c_str(), bytes);
        GlobalUnlock(block);
        done = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!done && block != nullptr)
        GlobalFree(block);
    CloseClipboard();
    return done;
}

// ---- Numbers as shown ---------------------------------------------------------------------------

bool ParseShownNumber(const XStringW& shown, double& value, std::string& format) {
    std::wstring text = shown.str();
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    while (!text.empty() && text.front() == L' ')
        text.erase(text.begin());
    if (text.empty())
        return false;
    std::string suffix;
    double scale = 1.0;
    if (text.back() == L'%') {
        suffix = "%";
        scale = 0.01;
        text.pop_back();
    } else if (text.back() == L'万' || text.back() == L'亿') {
        // Amounts keep the unit they are read in: the cell holds the number shown, and the format
        // writes the unit after it.
        suffix = text.back() == L'万' ? "\"万\"" : "\"亿\"";
        text.pop_back();
    }
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    size_t digitsStart = i;
    std::string number;
    bool grouping = false;
    int integerDigits = 0;
    int groupDigits = 0; // digits since the last group separator
    for (; i < text.size() && (std::iswdigit(static_cast<wint_t>(text[i])) || text[i] == L','); ++i) {
        if (text[i] == L',') {
            // A group separator follows one to three digits, or exactly three after another one.
            if (integerDigits == 0 || groupDigits > 3 || (grouping && groupDigits != 3))
                return false;
            grouping = true;
            groupDigits = 0;
            continue;
        }
        number += static_cast<char>(text[i]);
        ++integerDigits;
        ++groupDigits;
    }
    if (integerDigits == 0 || (grouping && groupDigits != 3))
        return false;
    // A leading zero before more digits is an identifier (a fund code), not a number.
    if (text[digitsStart] == L'0' && integerDigits > 1)
        return false;
    int decimals = 0;
    if (i < text.size() && text[i] == L'.') {
        number += '.';
        for (++i; i < text.size() && std::iswdigit(static_cast<wint_t>(text[i])); ++i, ++decimals)
            number += static_cast<char>(text[i]);
        if (decimals == 0)
            return false;
    }
    if (i != text.size())
        return false;
    value = std::strtod(number.c_str(), nullptr) * scale;
    if (negative)
        value = -value;
    if (!std::isfinite(value))
        return false;
    format = grouping ? "#,##0" : "0";
    if (decimals > 0)
        format += "." + std::string(static_cast<size_t>(decimals), '0');
    format += suffix;
    return true;
}

// ---- Tab-separated text -------------------------------------------------------------------------

namespace {

std::wstring oneLine(const XStringW& text) {
    std::wstring out = text.str();
    for (size_t p = out.find(L"\r\n"); p != std::wstring::npos; p = out.find(L"\r\n", p))
        out.replace(p, 2, L" ");
    for (wchar_t& c : out)
        if (c == L'\t' || c == L'\n' || c == L'\r')
            c = L' ';
    return out;
}

} // namespace

XStringW SheetToTsv(const DataGridEx::Sheet& sheet) {
    std::wstring out;
    for (size_t c = 0; c < sheet.columns.size(); ++c)
        out += (c > 0 ? L"\t" : L"") + oneLine(sheet.columns[c].title);
    out += L"\n";
    for (const auto& row : sheet.rows) {
        for (size_t c = 0; c < row.size(); ++c)
            out += (c > 0 ? L"\t" : L"") + oneLine(row[c]);
        out += L"\n";
    }
    return XStringW(out);
}

} // namespace Control
