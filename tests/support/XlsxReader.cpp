// Reading a workbook back: unzip the parts, parse them, render numbers through their formats.
#include "support/XlsxReader.h"

#include <pugixml.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace TestSupport {

namespace {

std::string unzipPart(const std::string& path, const std::string& part, bool& ok) {
    std::string command = "unzip -p '" + path + "' '" + part + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string data;
    if (pipe == nullptr) {
        ok = false;
        return data;
    }
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        data.append(buffer.data(), n);
    ok = pclose(pipe) == 0;
    return data;
}

// "B12" -> (11, 1).
std::pair<int, int> cellRef(const std::string& ref) {
    int column = 0;
    size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i)
        column = column * 26 + (ref[i] - 'A' + 1);
    int row = std::atoi(ref.c_str() + i);
    return {row - 1, column - 1};
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out == "-0" || out.rfind("-0.", 0) == 0) {
        // A negative zero shows without its sign, as spreadsheets show it.
        bool allZero = out.find_first_not_of("-0.") == std::string::npos;
        if (allZero)
            out.erase(0, 1);
    }
    return out;
}

std::string grouped(const std::string& number) {
    size_t dot = number.find('.');
    std::string integer = number.substr(0, dot);
    std::string rest = dot == std::string::npos ? std::string() : number.substr(dot);
    bool negative = !integer.empty() && integer[0] == '-';
    if (negative)
        integer.erase(0, 1);
    std::string out;
    for (size_t i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            out += ',';
        out += integer[i];
    }
    return (negative ? "-" : "") + out + rest;
}

} // namespace

std::string XlsxSheet::Shown(int row, int column) const {
    for (const XlsxMerge& m : merges)
        if (row >= m.firstRow && row <= m.lastRow && column >= m.firstColumn && column <= m.lastColumn) {
            row = m.firstRow;
            column = m.firstColumn;
        }
    const XlsxCell* cell = Cell(row, column);
    if (cell == nullptr)
        return std::string();
    if (!cell->number)
        return cell->text;
    std::string format = cell->format;
    if (format == "yyyy-mm-dd") {
        // Days since 1899-12-30, the spreadsheets' day 0, as a civil date.
        long days = std::lround(cell->value) - 25569 + 719468; // to days since 0000-03-01
        long era = (days >= 0 ? days : days - 146096) / 146097;
        long dayOfEra = days - era * 146097;
        long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
        long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
        long mp = (5 * dayOfYear + 2) / 153;
        long day = dayOfYear - (153 * mp + 2) / 5 + 1;
        long month = mp < 10 ? mp + 3 : mp - 9;
        long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
        char text[64];
        std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
        return text;
    }
    // Literal text after the digits ("万" in 0.00"万"), then a percent sign, then the digits.
    std::string suffix;
    size_t quote = format.find('"');
    if (quote != std::string::npos) {
        size_t end = format.find('"', quote + 1);
        suffix = format.substr(quote + 1, end - quote - 1);
        format = format.substr(0, quote);
    }
    double value = cell->value;
    if (!format.empty() && format.back() == '%') {
        value *= 100;
        format.pop_back();
        suffix = "%" + suffix;
    }
    size_t dot = format.find('.');
    int decimals = dot == std::string::npos ? 0 : static_cast<int>(format.size() - dot - 1);
    if (format.empty())
        return cell->text;
    std::string digits = fixed(value, decimals);
    if (format.find(',') != std::string::npos)
        digits = grouped(digits);
    return digits + suffix;
}

XlsxSheet ReadXlsx(const std::string& path) {
    XlsxSheet sheet;
    bool ok = true;
    std::string sheetXml = unzipPart(path, "xl/worksheets/sheet1.xml", ok);
    if (!ok) {
        sheet.error = "no first sheet in " + path;
        return sheet;
    }
    std::string stringsXml = unzipPart(path, "xl/sharedStrings.xml", ok);
    std::string stylesXml = unzipPart(path, "xl/styles.xml", ok);
    std::string bookXml = unzipPart(path, "xl/workbook.xml", ok);

    pugi::xml_document strings, styles, book, doc;
    std::vector<std::string> shared;
    if (strings.load_string(stringsXml.c_str()))
        for (pugi::xml_node si : strings.document_element().children("si")) {
            std::string text;
            for (const pugi::xpath_node& t : si.select_nodes(".//t"))
                text += t.node().text().get();
            shared.push_back(text);
        }
    // Number formats by style index.
    std::map<int, std::string> formatCodes = {{0, ""}, {1, "0"}, {2, "0.00"}, {9, "0%"}, {10, "0.00%"}};
    std::vector<std::string> styleFormats;
    if (styles.load_string(stylesXml.c_str())) {
        pugi::xml_node root = styles.document_element();
        for (pugi::xml_node f : root.child("numFmts").children("numFmt"))
            formatCodes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
        for (pugi::xml_node xf : root.child("cellXfs").children("xf"))
            styleFormats.push_back(formatCodes[xf.attribute("numFmtId").as_int()]);
    }
    if (book.load_string(bookXml.c_str()))
        sheet.name = book.document_element().child("sheets").child("sheet").attribute("name").value();
    if (!doc.load_string(sheetXml.c_str())) {
        sheet.error = "the sheet of " + path + " is not XML";
        return sheet;
    }
    pugi::xml_node root = doc.document_element();
    pugi::xml_node pane = root.child("sheetViews").child("sheetView").child("pane");
    if (pane && std::strcmp(pane.attribute("state").value(), "frozen") == 0) {
        sheet.frozenRows = pane.attribute("ySplit").as_int();
        sheet.frozenColumns = pane.attribute("xSplit").as_int();
    }
    for (pugi::xml_node col : root.child("cols").children("col"))
        for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c)
            sheet.columnWidths[c - 1] = col.attribute("width").as_double();
    for (pugi::xml_node row : root.child("sheetData").children("row"))
        for (pugi::xml_node c : row.children("c")) {
            auto [r, column] = cellRef(c.attribute("r").value());
            pugi::xml_node v = c.child("v");
            if (!v)
                continue;
            XlsxCell cell;
            std::string type = c.attribute("t").value();
            if (type == "s") {
                size_t index = static_cast<size_t>(v.text().as_int());
                cell.text = index < shared.size() ? shared[index] : std::string();
            } else if (type == "str" || type == "inlineStr") {
                cell.text = v.text().get();
            } else {
                cell.number = true;
                cell.text = v.text().get();
                cell.value = v.text().as_double();
                size_t style = static_cast<size_t>(c.attribute("s").as_int());
                cell.format = style < styleFormats.size() ? styleFormats[style] : std::string();
            }
            sheet.cells[{r, column}] = cell;
            sheet.rows = std::max(sheet.rows, r + 1);
            sheet.columns = std::max(sheet.columns, column + 1);
        }
    for (pugi::xml_node m : root.child("mergeCells").children("mergeCell")) {
        std::string ref = m.attribute("ref").value();
        size_t colon = ref.find(':');
        auto first = cellRef(ref.substr(0, colon));
        auto last = cellRef(ref.substr(colon + 1));
        sheet.merges.push_back(XlsxMerge{first.first, first.second, last.first, last.second});
        sheet.rows = std::max(sheet.rows, last.first + 1);
        sheet.columns = std::max(sheet.columns, last.second + 1);
    }
    sheet.ok = true;
    return sheet;
}

} // namespace TestSupport
