// The writers of a list read from a grid: CSV and Excel workbooks (libxlsxwriter).
//
// Sections: CSV; the workbook.
#include <sdk/ControlDataGrid.h>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace Control {

// ---- CSV ------------------------------------------------------------------------------------------

namespace {

std::string csvField(const XStringW& text) {
    std::string field = text.ToUtf8();
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace

bool WriteSheetCsv(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error) {
    std::string data = "\xEF\xBB\xBF";
    for (size_t c = 0; c < sheet.columns.size(); ++c)
        data += (c > 0 ? "," : "") + csvField(sheet.columns[c].title);
    data += "\r\n";
    for (const auto& row : sheet.rows) {
        for (size_t c = 0; c < row.size(); ++c)
            data += (c > 0 ? "," : "") + csvField(row[c]);
        data += "\r\n";
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = XStringW::FromUtf8("cannot write '" + path + "': " + std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        error = XStringW::FromUtf8("cannot write '" + path + "': " + std::strerror(errno));
        std::remove(path.c_str());
    }
    return ok;
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
};

void writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const XStringW& text, bool numeric,
               Formats& formats, lxw_format* textFormat) {
    double value = 0;
    std::string numberFormat;
    if (numeric && ParseShownNumber(text, value, numberFormat))
        worksheet_write_number(sheet, row, column, value, formats.Number(numberFormat));
    else if (!text.empty())
        worksheet_write_string(sheet, row, column, text.ToUtf8().c_str(), textFormat);
    else if (textFormat != nullptr)
        worksheet_write_blank(sheet, row, column, textFormat);
}

} // namespace

bool WriteSheetXlsx(const DataGridEx::Sheet& sheet, const std::string& path, XStringW& error) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE; // merged ranges are written after the cells they cover
    options.tmpdir = nullptr;
    lxw_workbook* book = workbook_new_opt(path.c_str(), &options);
    if (book == nullptr) {
        error = XStringW::FromUtf8("cannot create the workbook '" + path + "'");
        return false;
    }
    lxw_worksheet* ws = workbook_add_worksheet(book, sheetName(sheet.name).c_str());
    Formats formats(book);
    lxw_format* text = formats.Number("");
    size_t columns = sheet.columns.size();
    bool twoLineHeader = false;
    for (size_t c = 0; c < columns; ++c) {
        const auto& column = sheet.columns[c];
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), column.title.ToUtf8().c_str(),
                               formats.Header());
        twoLineHeader = twoLineHeader || column.title.str().find(L'\n') != std::wstring::npos;
        worksheet_set_column_pixels(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                    static_cast<uint32_t>(std::max(column.width, 1)), nullptr);
    }
    if (twoLineHeader)
        worksheet_set_row(ws, 0, 30, nullptr);
    std::vector<std::vector<bool>> covered(sheet.rows.size(), std::vector<bool>(columns, false));
    for (const auto& merge : sheet.merges)
        for (int r = merge.firstRow; r <= merge.lastRow; ++r)
            for (int c = merge.firstColumn; c <= merge.lastColumn; ++c)
                if (r >= 0 && r < static_cast<int>(sheet.rows.size()) && c >= 0 &&
                    c < static_cast<int>(columns))
                    covered[static_cast<size_t>(r)][static_cast<size_t>(c)] = true;
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (size_t c = 0; c < columns && c < row.size(); ++c)
            if (!covered[r][c])
                writeCell(ws, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), row[c],
                          sheet.columns[c].numeric, formats, text);
    }
    for (const auto& merge : sheet.merges) {
        if (merge.firstRow < 0 || merge.lastRow >= static_cast<int>(sheet.rows.size()) ||
            merge.firstColumn < 0 || merge.lastColumn >= static_cast<int>(columns))
            continue;
        const XStringW& value =
            sheet.rows[static_cast<size_t>(merge.firstRow)][static_cast<size_t>(merge.firstColumn)];
        bool across = merge.firstRow == merge.lastRow;
        worksheet_merge_range(
            ws, static_cast<lxw_row_t>(merge.firstRow + 1), static_cast<lxw_col_t>(merge.firstColumn),
            static_cast<lxw_row_t>(merge.lastRow + 1), static_cast<lxw_col_t>(merge.lastColumn),
            value.ToUtf8().c_str(), across ? formats.Caption() : formats.Group());
    }
    worksheet_freeze_panes(ws, 1, sheet.lockFirstColumn ? 1 : 0);
    lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        error = XStringW::FromUtf8("cannot write the workbook '" + path + "': " + lxw_strerror(result));
        std::remove(path.c_str());
        return false;
    }
    return true;
}

} // namespace Control
