// The writers of a list read from a grid: CSV and Excel workbooks (libxlsxwriter). Both write
// through HostKernel::AtomicFile, so that a failed export never harms a file already there.
//
// Sections: cells; CSV; the workbook.
#include <sdk/ControlDataGrid.h>

#include <hostkernel/AtomicFile.h>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <limits>
#include <map>

namespace Control {

// ---- Cells ----------------------------------------------------------------------------------------

namespace {

constexpr const wchar_t* kNoValue = L"--";

// A calendar date as the pages write it: YYYY-MM-DD, a real day.
bool parseDate(const std::wstring& text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != L'-' || text[7] != L'-')
        return false;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    year = std::stoi(text.substr(0, 4));
    month = std::stoi(text.substr(5, 2));
    day = std::stoi(text.substr(8, 2));
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1900 || month < 1 || month > 12 || day < 1)
        return false;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The number a cell holds: the full-precision number behind its text when that number, shown in
// the text's format, gives the text back (a unit of 万 or 亿 may stand between them); otherwise
// the number as the text shows it.
double cellValue(double shown, const std::string& format, double full) {
    if (!std::isfinite(full))
        return shown;
    size_t point = format.find('.');
    int decimals = 0;
    if (point != std::string::npos)
        while (point + 1 + decimals < format.size() && format[point + 1 + decimals] == '0')
            ++decimals;
    bool percent = !format.empty() && format.back() == '%';
    double scale = percent ? 100.0 : 1.0;
    // Half a unit of the last digit shown, and a little for the rounding of the text itself.
    double tolerance = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-12 * std::fabs(shown * scale);
    for (int power : {0, -4, -8, 4, 8, -2, 2}) {
        double candidate = full * std::pow(10.0, power);
        if (std::fabs(candidate * scale - shown * scale) <= tolerance)
            return candidate;
    }
    return shown;
}

} // namespace

// ---- CSV ------------------------------------------------------------------------------------------

namespace {

// A spreadsheet opening the file would take such a text for a number, a date or a formula: a code
// would lose its leading zeros, a rank "3/120" would become a date, and a name starting with '='
// would run. ISO dates are left to become dates, which is what they are.
bool needsLiteral(const std::wstring& text) {
    if (text.empty())
        return false;
    wchar_t first = text[0];
    int y = 0, m = 0, d = 0;
    if (parseDate(text, y, m, d))
        return false;
    return (first >= L'0' && first <= L'9') || first == L'=' || first == L'+' || first == L'-' ||
           first == L'@';
}

std::string csvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string csvCell(const XStringW& text, bool numericColumn) {
    double value = 0;
    std::string format;
    if (numericColumn && ParseShownNumber(text, value, format))
        return csvField(text.ToUtf8());
    if (numericColumn && text == XStringW(kNoValue))
        return {};
    if (needsLiteral(text.str())) {
        // ="000082": the text as a formula's string, its quotes doubled inside.
        std::string literal = "=\"";
        for (char c : text.ToUtf8())
            literal += c == '"' ? std::string("\"\"") : std::string(1, c);
        return csvField(literal + "\"");
    }
    return csvField(text.ToUtf8());
}

} // namespace

bool WriteSheetCsv(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error) {
    std::string data = "\xEF\xBB\xBF";
    for (size_t c = 0; c < sheet.columns.size(); ++c)
        data += (c > 0 ? "," : "") + csvField(sheet.columns[c].title.ToUtf8());
    data += "\r\n";
    for (const auto& row : sheet.rows) {
        for (size_t c = 0; c < row.size(); ++c)
            data +=
                (c > 0 ? "," : "") + csvCell(row[c], c < sheet.columns.size() && sheet.columns[c].numeric);
        data += "\r\n";
    }
    std::string reason;
    if (!HostKernel::AtomicFile::WriteWhole(path, data, reason)) {
        error = XStringW::FromUtf8(reason);
        return false;
    }
    return true;
}

// ---- The workbook ---------------------------------------------------------------------------------

namespace {

// A sheet name: at most 31 characters, none of []:*?/\, not empty.
std::string sheetName(const XStringW& name) {
    std::wstring clean;
    for (wchar_t c : name.str())
        if (std::wcschr(L"[]:*?/\\", c) == nullptr && c >= 0x20)
            clean += c;
    if (clean.empty())
        clean = L"Sheet1";
    return XStringW(clean.substr(0, 31)).ToUtf8();
}

class Formats {
public:
    explicit Formats(lxw_workbook* book) : m_book(book) {}
    // A cell format with a number format (empty: general), vertically centred.
    lxw_format* Number(const std::string& numberFormat) {
        auto found = m_numbers.find(numberFormat);
        if (found != m_numbers.end())
            return found->second;
        lxw_format* format = workbook_add_format(m_book);
        if (!numberFormat.empty())
            format_set_num_format(format, numberFormat.c_str());
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        return m_numbers[numberFormat] = format;
    }
    lxw_format* Header() {
        if (m_header == nullptr) {
            m_header = workbook_add_format(m_book);
            format_set_bold(m_header);
            format_set_text_wrap(m_header);
            format_set_align(m_header, LXW_ALIGN_CENTER);
            format_set_align(m_header, LXW_ALIGN_VERTICAL_CENTER);
            format_set_bottom(m_header, LXW_BORDER_THIN);
        }
        return m_header;
    }
    lxw_format* Group() {
        if (m_group == nullptr) {
            m_group = workbook_add_format(m_book);
            format_set_align(m_group, LXW_ALIGN_CENTER);
            format_set_align(m_group, LXW_ALIGN_VERTICAL_CENTER);
        }
        return m_group;
    }
    lxw_format* Title() {
        if (m_title == nullptr) {
            m_title = workbook_add_format(m_book);
            format_set_bold(m_title);
            format_set_align(m_title, LXW_ALIGN_LEFT);
            format_set_align(m_title, LXW_ALIGN_VERTICAL_CENTER);
        }
        return m_title;
    }
    lxw_format* Caption() {
        if (m_caption == nullptr) {
            m_caption = workbook_add_format(m_book);
            format_set_bold(m_caption);
            format_set_align(m_caption, LXW_ALIGN_VERTICAL_CENTER);
            format_set_bg_color(m_caption, 0xE7ECF3);
        }
        return m_caption;
    }

private:
    lxw_workbook* m_book;
    std::map<std::string, lxw_format*> m_numbers;
    lxw_format* m_header = nullptr;
    lxw_format* m_group = nullptr;
    lxw_format* m_caption = nullptr;
    lxw_format* m_title = nullptr;
};

void writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const XStringW& text, double full,
               bool numeric, Formats& formats, lxw_format* textFormat) {
    double value = 0;
    std::string numberFormat;
    int year = 0, month = 0, day = 0;
    if (numeric && ParseShownNumber(text, value, numberFormat)) {
        worksheet_write_number(sheet, row, column, cellValue(value, numberFormat, full),
                               formats.Number(numberFormat));
    } else if (parseDate(text.str(), year, month, day)) {
        lxw_datetime date{year, month, day, 0, 0, 0};
        worksheet_write_datetime(sheet, row, column, &date, formats.Number("yyyy-mm-dd"));
    } else if (!text.empty() && text != XStringW(kNoValue)) {
        worksheet_write_string(sheet, row, column, text.ToUtf8().c_str(), textFormat);
    } else if (textFormat != nullptr) {
        // No value: an empty cell, which sums and averages pass over.
        worksheet_write_blank(sheet, row, column, textFormat);
    }
}

} // namespace

bool WriteSheetXlsx(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error) {
    // libxlsxwriter writes the workbook by name: into the temporary, which replaces the file only
    // when the workbook is complete.
    HostKernel::AtomicFile file;
    std::string reason;
    if (!file.Open(path, reason)) {
        error = XStringW::FromUtf8(reason);
        return false;
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE; // merged ranges are written after the cells they cover
    options.tmpdir = nullptr;
    lxw_workbook* book = workbook_new_opt(file.TemporaryPath().c_str(), &options);
    if (book == nullptr) {
        error = XStringW::FromUtf8("cannot create the workbook '" + path + "'");
        return false;
    }
    lxw_worksheet* ws = workbook_add_worksheet(book, sheetName(sheet.name).c_str());
    Formats formats(book);
    lxw_format* text = formats.Number("");
    size_t columns = sheet.columns.size();
    // The caption, when there is one, stands in a row of its own above the header.
    const lxw_row_t headerRow = sheet.caption.empty() ? 0 : 1;
    if (!sheet.caption.empty()) {
        if (columns > 1)
            worksheet_merge_range(ws, 0, 0, 0, static_cast<lxw_col_t>(columns - 1),
                                  sheet.caption.ToUtf8().c_str(), formats.Title());
        else
            worksheet_write_string(ws, 0, 0, sheet.caption.ToUtf8().c_str(), formats.Title());
    }
    bool twoLineHeader = false;
    for (size_t c = 0; c < columns; ++c) {
        const auto& column = sheet.columns[c];
        worksheet_write_string(ws, headerRow, static_cast<lxw_col_t>(c), column.title.ToUtf8().c_str(),
                               formats.Header());
        twoLineHeader = twoLineHeader || column.title.str().find(L'\n') != std::wstring::npos;
        worksheet_set_column_pixels(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                    static_cast<uint32_t>(std::max(column.width, 1)), nullptr);
    }
    if (twoLineHeader)
        worksheet_set_row(ws, headerRow, 30, nullptr);
    const lxw_row_t firstRow = headerRow + 1;
    std::vector<std::vector<bool>> covered(sheet.rows.size(), std::vector<bool>(columns, false));
    for (const auto& merge : sheet.merges)
        for (int r = merge.firstRow; r <= merge.lastRow; ++r)
            for (int c = merge.firstColumn; c <= merge.lastColumn; ++c)
                if (r >= 0 && r < static_cast<int>(sheet.rows.size()) && c >= 0 &&
                    c < static_cast<int>(columns))
                    covered[static_cast<size_t>(r)][static_cast<size_t>(c)] = true;
    const double none = std::numeric_limits<double>::quiet_NaN();
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (size_t c = 0; c < columns && c < row.size(); ++c) {
            double full =
                r < sheet.numbers.size() && c < sheet.numbers[r].size() ? sheet.numbers[r][c] : none;
            if (!covered[r][c])
                writeCell(ws, static_cast<lxw_row_t>(firstRow + r), static_cast<lxw_col_t>(c), row[c], full,
                          sheet.columns[c].numeric, formats, text);
        }
    }
    for (const auto& merge : sheet.merges) {
        if (merge.firstRow < 0 || merge.lastRow >= static_cast<int>(sheet.rows.size()) ||
            merge.firstColumn < 0 || merge.lastColumn >= static_cast<int>(columns))
            continue;
        const XStringW& value =
            sheet.rows[static_cast<size_t>(merge.firstRow)][static_cast<size_t>(merge.firstColumn)];
        bool across = merge.firstRow == merge.lastRow;
        worksheet_merge_range(
            ws, static_cast<lxw_row_t>(firstRow + merge.firstRow), static_cast<lxw_col_t>(merge.firstColumn),
            static_cast<lxw_row_t>(firstRow + merge.lastRow), static_cast<lxw_col_t>(merge.lastColumn),
            value.ToUtf8().c_str(), across ? formats.Caption() : formats.Group());
    }
    worksheet_freeze_panes(ws, firstRow, sheet.lockFirstColumn ? 1 : 0);
    lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        error = XStringW::FromUtf8("cannot write the workbook '" + path + "': " + lxw_strerror(result));
        return false;
    }
    if (!file.Commit(reason)) {
        error = XStringW::FromUtf8(reason);
        return false;
    }
    return true;
}

} // namespace Control
