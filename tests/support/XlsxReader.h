// Reading an exported workbook back, as a test checks what a user would open: the first sheet's
// cells (shared strings resolved, numbers as written with their number format), merged ranges,
// frozen panes and column widths. The package is unpacked with the unzip program and its parts
// parsed with pugixml.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace TestSupport {

struct XlsxCell {
    bool number = false;
    std::string text;   // the string, or the number as written
    double value = 0;   // numbers
    std::string format; // the number format code; empty for general
};

struct XlsxMerge {
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0; // 0-based, inclusive
};

struct XlsxSheet {
    bool ok = false;
    std::string error;
    std::string name;
    std::map<std::pair<int, int>, XlsxCell> cells; // (row, column), 0-based
    std::vector<XlsxMerge> merges;
    int frozenRows = 0, frozenColumns = 0;
    std::map<int, double> columnWidths; // 0-based column -> width in characters
    int rows = 0, columns = 0;          // the extent of the cells

    const XlsxCell* Cell(int row, int column) const {
        auto it = cells.find({row, column});
        return it == cells.end() ? nullptr : &it->second;
    }
    // The cell as a spreadsheet shows it: strings as they are, numbers through their format (the
    // formats the exporter writes: 0, 0.00, #,##0.00, 0.00%, 0.00"万" and the like, and dates in
    // yyyy-mm-dd). Cells covered by a merged range show the range's first cell.
    std::string Shown(int row, int column) const;
};

XlsxSheet ReadXlsx(const std::string& path);

} // namespace TestSupport
