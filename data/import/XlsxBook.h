// The sheets of an Excel workbook (.xlsx): the package is opened with minizip and its parts read
// with pugixml. Each sheet gives its rows in order, each cell as text, with numbers marked as such
// so that a date column can read a date serial. Shared strings (also rich text), inline strings,
// formula results, booleans and numbers are read; a sheet whose XML is larger than a bound is
// refused with the advice to save it as CSV, so that memory stays bounded whatever the input.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace FundImport {

struct XlsxCell {
    std::string text; // a number as its shortest exact decimal
    bool number = false;
    double value = 0.0;
};

struct XlsxRow {
    std::int64_t line = 0;       // the row number the sheet shows
    std::vector<XlsxCell> cells; // from column A on; a gap is an empty cell
};

class XlsxBook {
public:
    XlsxBook();
    ~XlsxBook();
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    // Opens a workbook file; false with Error() set when it is not one.
    bool Open(const std::string& path);
    // Reads a workbook from memory (the fuzz target).
    bool OpenBytes(std::string bytes);

    const std::vector<std::string>& SheetNames() const { return m_names; }
    // Reads one sheet's rows; false with Error() set when the sheet cannot be read.
    bool ReadSheet(std::size_t index, std::vector<XlsxRow>& rows);
    const std::string& Error() const { return m_error; }

    // The largest sheet part read, in bytes of XML. Its parsed form takes several times that, so
    // this bound keeps a workbook's memory within the importer's budget (about 200,000 rows of
    // a history; a longer table is better kept as CSV, which is read piece by piece).
    static constexpr std::size_t kMaxPart = 24u << 20;

private:
    bool Load();
    bool ReadPart(const std::string& name, std::string& out, bool required);

    struct Zip;
    std::unique_ptr<Zip> m_zip;
    std::vector<std::string> m_names;
    std::vector<std::string> m_parts; // the sheet parts, by sheet
    std::vector<std::string> m_shared;
    std::string m_error;
};

} // namespace FundImport
