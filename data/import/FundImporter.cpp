// The import run: finding the files, recognising each table's kind, reading its rows with their
// checks, and handing them to the store in an order that lets every row find its fund.
//
// Sections: 1. tables (CSV and xlsx)  2. the run and its checks  3. one handler per kind
// 4. Import  5. pinyin initials and investment types.
#include "FundImporter.h"

#include "CellText.h"
#include "CsvScanner.h"
#include "FeeTierText.h"
#include "FundStore.h"
#include "XlsxBook.h"

#include <sdk/CivilDays.h>

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace FundImport {

std::string Problem::Text() const {
    std::string text = file;
    if (line > 0)
        text += ":" + std::to_string(line);
    text += ": ";
    if (!column.empty())
        text += column + ": ";
    return text + reason;
}

namespace {

// 1. Tables ========================================================================================

struct Cell {
    std::string_view text;
    bool number = false;
    double value = 0.0;
};

class TableReader {
public:
    virtual ~TableReader() = default;
    virtual bool Next(std::vector<Cell>& cells, std::int64_t& line) = 0;
    virtual std::string Error() const = 0;
};

class CsvTable : public TableReader {
public:
    CsvTable(const std::string& path, Encoding encoding, bool tabs, std::string& error)
        : m_scanner(m_decoder, tabs ? '\t' : 0) {
        m_decoder.Open(path, encoding, error);
    }
    bool Next(std::vector<Cell>& cells, std::int64_t& line) override {
        if (!m_scanner.Next(m_fields, line))
            return false;
        cells.resize(m_fields.size());
        for (std::size_t k = 0; k < m_fields.size(); ++k)
            cells[k] = {m_fields[k], false, 0.0};
        return true;
    }
    std::string Error() const override { return m_scanner.Error(); }

private:
    TextDecoder m_decoder;
    CsvScanner m_scanner;
    std::vector<std::string_view> m_fields;
};

class SheetTable : public TableReader {
public:
    SheetTable(XlsxBook& book, std::size_t sheet) {
        if (!book.ReadSheet(sheet, m_rows))
            m_error = book.Error();
    }
    bool Next(std::vector<Cell>& cells, std::int64_t& line) override {
        while (m_at < m_rows.size()) {
            const XlsxRow& row = m_rows[m_at++];
            bool blank = true;
            for (const XlsxCell& cell : row.cells)
                if (!cell.text.empty())
                    blank = false;
            if (blank)
                continue;
            cells.resize(row.cells.size());
            for (std::size_t k = 0; k < row.cells.size(); ++k)
                cells[k] = {row.cells[k].text, row.cells[k].number, row.cells[k].value};
            line = row.line;
            return true;
        }
        return false;
    }
    std::string Error() const override { return m_error; }

private:
    std::vector<XlsxRow> m_rows;
    std::size_t m_at = 0;
    std::string m_error;
};

// One table of the input: a text file, or one sheet of a workbook.
struct Table {
    std::string path;
    std::string label; // for messages: the file as given, with the sheet in brackets
    int sheet = -1;
    Header header;
    std::int64_t headerLine = 0;
    std::string nameCode; // a code that the file name carries
};

bool IsWorkbook(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext == ".xlsx" || ext == ".xlsm" || ext == ".XLSX";
}

// A fund code in a file name (000082_历史净值.csv), or an index code (sh000001.csv).
std::string CodeInName(const std::string& path) {
    const std::string name = std::filesystem::path(path).stem().string();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i + 8 <= name.size() && std::isalpha(static_cast<unsigned char>(name[i])) &&
            std::isalpha(static_cast<unsigned char>(name[i + 1])) &&
            (i == 0 || !std::isalnum(static_cast<unsigned char>(name[i - 1])))) {
            bool digits = true;
            for (std::size_t k = i + 2; k < i + 8; ++k)
                digits = digits && std::isdigit(static_cast<unsigned char>(name[k]));
            if (digits && (i + 8 == name.size() || !std::isdigit(static_cast<unsigned char>(name[i + 8])))) {
                std::string code = name.substr(i, 8);
                for (char& c : code)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                return code;
            }
        }
        if (std::isdigit(static_cast<unsigned char>(name[i])) &&
            (i == 0 || !std::isalnum(static_cast<unsigned char>(name[i - 1])))) {
            std::size_t end = i;
            while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])))
                ++end;
            if (end - i == 6)
                return name.substr(i, 6);
            i = end;
        }
    }
    return {};
}

struct Cancelled {};

// 2. The run =======================================================================================

class Run {
public:
    Run(const Options& options, Result& result) : m_options(options), m_result(result) {}

    std::vector<Table> Collect(const std::vector<std::string>& inputs);
    void Process(FundStore& store, std::vector<Table>& tables);

private:
    std::unique_ptr<TableReader> OpenTable(const Table& table, std::unique_ptr<XlsxBook>& book,
                                           std::string& error);
    bool ReadHeader(Table& table);
    void ReadRows(const Table& table,
                  const std::function<void(const std::vector<Cell>&, std::int64_t)>& take);

    // Cell access through the header's columns.
    std::string_view Text(const std::vector<Cell>& row, Column column) const;
    bool Has(Column column) const { return m_header->Find(column) >= 0; }
    std::optional<int> Date(const std::vector<Cell>& row, Column column, std::int64_t line, bool& bad);
    // A number: nullopt when missing; `bad` set (and reported) when unreadable.
    std::optional<double> Number(const std::vector<Cell>& row, Column column, std::int64_t line, bool& bad);
    std::string Code(const std::vector<Cell>& row, std::int64_t line, bool& bad);
    // The row's fund code, reported as bad unless the database (or this import) has the fund.
    std::string KnownFund(const std::vector<Cell>& row, std::int64_t line, bool& bad);
    // A date the row must have: `missing` is the reason reported when the cell is empty.
    std::optional<int> RequiredDate(const std::vector<Cell>& row, Column column, std::int64_t line, bool& bad,
                                    const char* missing);
    void Bad(std::int64_t line, Column column, const std::string& reason);
    void Tick();

    // A report (a fund at a date) must come as one run of lines: where each began, and whether
    // the one starting at `line` was seen before (reported as a bad line when it was).
    using ReportLines = std::map<std::pair<std::string, int>, std::int64_t>;
    bool FirstOfReport(ReportLines& reports, const std::string& code, int day, std::int64_t line);

    void Funds(const Table& table);
    void History(const Table& table, bool index);
    void Holdings(const Table& table, bool industries);
    void StockHoldings(const Table& table);
    std::string StockCode(const std::vector<Cell>& row, std::int64_t line, bool& bad);
    void Ratings(const Table& table);
    void Dividends(const Table& table);
    void Managers(const Table& table);
    void Fees(const Table& table);
    void Count(const MergeCounts& counts);

    const Options& m_options;
    Result& m_result;
    FundStore* m_store = nullptr;
    const Table* m_table = nullptr;
    const Header* m_header = nullptr;
    Progress m_progress;
};

std::unique_ptr<TableReader> Run::OpenTable(const Table& table, std::unique_ptr<XlsxBook>& book,
                                            std::string& error) {
    if (table.sheet >= 0) {
        book = std::make_unique<XlsxBook>();
        if (!book->Open(table.path)) {
            error = book->Error();
            return nullptr;
        }
        auto reader = std::make_unique<SheetTable>(*book, static_cast<std::size_t>(table.sheet));
        error = reader->Error();
        return reader;
    }
    const std::string ext = std::filesystem::path(table.path).extension().string();
    auto reader = std::make_unique<CsvTable>(table.path, m_options.encoding, ext == ".tsv", error);
    return reader;
}

std::vector<Table> Run::Collect(const std::vector<std::string>& inputs) {
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        std::error_code code;
        if (std::filesystem::is_directory(input, code)) {
            std::vector<std::string> found;
            for (auto it = std::filesystem::recursive_directory_iterator(input, code);
                 !code && it != std::filesystem::recursive_directory_iterator(); it.increment(code)) {
                const std::string name = it->path().filename().string();
                const std::string ext = it->path().extension().string();
                if (!name.empty() && name[0] != '.' && name[0] != '~' && it->is_regular_file() &&
                    (ext == ".csv" || ext == ".tsv" || ext == ".txt" || ext == ".xlsx" || ext == ".xlsm" ||
                     ext == ".CSV" || ext == ".XLSX"))
                    found.push_back(it->path().string());
            }
            std::sort(found.begin(), found.end());
            if (found.empty())
                m_result.problems.push_back(
                    {input, 0, "", "no data files (.csv, .tsv, .txt, .xlsx) in this folder"});
            files.insert(files.end(), found.begin(), found.end());
        } else if (std::filesystem::is_regular_file(input, code)) {
            files.push_back(input);
        } else {
            m_result.problems.push_back({input, 0, "", code ? code.message() : "not a file or folder"});
        }
    }
    std::vector<Table> tables;
    for (const std::string& file : files) {
        if (IsWorkbook(file)) {
            XlsxBook book;
            if (!book.Open(file)) {
                m_result.problems.push_back({file, 0, "", book.Error()});
                continue;
            }
            for (std::size_t s = 0; s < book.SheetNames().size(); ++s)
                tables.push_back({file,
                                  file + "[" + book.SheetNames()[s] + "]",
                                  static_cast<int>(s),
                                  {},
                                  0,
                                  CodeInName(file)});
        } else {
            tables.push_back({file, file, -1, {}, 0, CodeInName(file)});
        }
    }
    return tables;
}

bool Run::ReadHeader(Table& table) {
    std::unique_ptr<XlsxBook> book;
    std::string error;
    std::unique_ptr<TableReader> reader = OpenTable(table, book, error);
    if (!error.empty()) {
        m_result.problems.push_back({table.label, 0, "", error});
        return false;
    }
    std::vector<Cell> cells;
    std::int64_t line = 0;
    std::string firstError;
    std::int64_t firstLine = 0;
    int tries = 0;
    // A title line may come before the header: the first of the first few rows that names a kind.
    for (; tries < 5 && reader->Next(cells, line); ++tries) {
        if (firstLine == 0)
            firstLine = line;
        std::vector<std::string> names;
        for (const Cell& cell : cells)
            names.emplace_back(cell.text);
        Header header = RecogniseHeader(names, m_options.kind);
        if (header.error.empty()) {
            table.header = std::move(header);
            table.headerLine = line;
            return true;
        }
        if (firstError.empty())
            firstError = header.error;
        // A header that named a kind but lacks a needed column is reported as it is.
        if (header.kind != Kind::Auto) {
            m_result.problems.push_back({table.label, line, "", header.error});
            return false;
        }
    }
    if (!reader->Error().empty())
        m_result.problems.push_back({table.label, 0, "", reader->Error()});
    else if (tries == 0) // an empty file or sheet (workbooks often carry empty ones) is passed over
        m_result.notes.push_back(table.label + ": empty, passed over");
    else
        m_result.problems.push_back({table.label, firstLine, "header", firstError});
    return false;
}

void Run::ReadRows(const Table& table,
                   const std::function<void(const std::vector<Cell>&, std::int64_t)>& take) {
    std::unique_ptr<XlsxBook> book;
    std::string error;
    std::unique_ptr<TableReader> reader = OpenTable(table, book, error);
    if (!error.empty()) {
        m_result.problems.push_back({table.label, 0, "", error});
        return;
    }
    std::vector<Cell> cells;
    std::int64_t line = 0;
    bool pastHeader = false;
    while (reader->Next(cells, line)) {
        if (!pastHeader) {
            pastHeader = line >= table.headerLine;
            continue;
        }
        ++m_result.rowsRead;
        Tick();
        take(cells, line);
    }
    if (!reader->Error().empty())
        m_result.problems.push_back({table.label, 0, "", reader->Error()});
}

void Run::Tick() {
    ++m_progress.rows;
    if ((m_progress.rows & 0xFFFF) != 0)
        return;
    if (m_options.cancel != nullptr && m_options.cancel->load())
        throw Cancelled{};
    if (m_options.progress)
        m_options.progress(m_progress);
}

std::string_view Run::Text(const std::vector<Cell>& row, Column column) const {
    const int at = m_header->Find(column);
    if (at < 0 || static_cast<std::size_t>(at) >= row.size())
        return {};
    return Trim(row[static_cast<std::size_t>(at)].text);
}

void Run::Bad(std::int64_t line, Column column, const std::string& reason) {
    m_result.problems.push_back(
        {m_table->label, line, column == Column::None ? "" : ColumnCaption(column, m_header->kind), reason});
}

bool Run::FirstOfReport(ReportLines& reports, const std::string& code, int day, std::int64_t line) {
    const auto [at, added] = reports.emplace(std::make_pair(code, day), line);
    if (!added)
        Bad(line, Column::None,
            "this report was given before, from line " + std::to_string(at->second) +
                "; keep a report's lines together");
    return added;
}

std::optional<int> Run::Date(const std::vector<Cell>& row, Column column, std::int64_t line, bool& bad) {
    const int at = m_header->Find(column);
    if (at < 0 || static_cast<std::size_t>(at) >= row.size() ||
        Trim(row[static_cast<std::size_t>(at)].text).empty())
        return std::nullopt;
    const Cell& cell = row[static_cast<std::size_t>(at)];
    const DateCell date = cell.number ? ReadDateNumber(cell.value) : ReadDate(cell.text);
    if (!date.ok) {
        Bad(line, column, date.reason);
        bad = true;
        return std::nullopt;
    }
    return date.day;
}

std::optional<double> Run::Number(const std::vector<Cell>& row, Column column, std::int64_t line, bool& bad) {
    const int at = m_header->Find(column);
    if (at < 0 || static_cast<std::size_t>(at) >= row.size())
        return std::nullopt;
    const Cell& cell = row[static_cast<std::size_t>(at)];
    double value = 0.0;
    if (cell.number) {
        value = cell.value;
    } else {
        const NumberCell number = ReadNumber(cell.text);
        if (number.state == NumberCell::Missing)
            return std::nullopt;
        if (number.state == NumberCell::Bad) {
            Bad(line, column, number.reason);
            bad = true;
            return std::nullopt;
        }
        value = number.value;
        if (number.percentSign)
            return value;
    }
    // A header that shows percentages holds 12.5 for 12.5 %.
    if (m_header->percent[static_cast<std::size_t>(at)])
        value /= 100.0;
    return value;
}

std::string Run::KnownFund(const std::vector<Cell>& row, std::int64_t line, bool& bad) {
    std::string code = Code(row, line, bad);
    if (!bad && !m_store->HasFund(code)) {
        Bad(line, Column::Code, "unknown fund code " + code);
        bad = true;
    }
    return code;
}

std::optional<int> Run::RequiredDate(const std::vector<Cell>& row, Column column, std::int64_t line,
                                     bool& bad, const char* missing) {
    const std::optional<int> day = Date(row, column, line, bad);
    if (!day && !bad) {
        Bad(line, column, missing);
        bad = true;
    }
    return day;
}

std::string Run::Code(const std::vector<Cell>& row, std::int64_t line, bool& bad) {
    std::string code(Text(row, Column::Code));
    if (code.empty() && !Has(Column::Code))
        code = !m_options.code.empty() ? m_options.code : m_table->nameCode;
    if (code.empty()) {
        Bad(line, Column::Code,
            Has(Column::Code) ? "no fund code" : "no code column, none in the file name and no --code");
        bad = true;
        return code;
    }
    // Spreadsheets drop the leading zeros of a code kept as a number: fund codes have six digits.
    const int at = m_header->Find(Column::Code);
    const bool number =
        at >= 0 && static_cast<std::size_t>(at) < row.size() && row[static_cast<std::size_t>(at)].number;
    if (code.find_first_not_of("0123456789") == std::string::npos && code.size() < 6 &&
        (number || code.size() >= 1))
        code.insert(0, 6 - code.size(), '0');
    if (code.size() > 16 || code.find_first_of(" ,;'\"") != std::string::npos) {
        Bad(line, Column::Code, "'" + code + "' is not a fund code");
        bad = true;
        return {};
    }
    return code;
}

void Run::Count(const MergeCounts& counts) {
    m_result.rowsAdded += counts.added;
    m_result.rowsReplaced += counts.replaced;
    m_result.rowsWithdrawn += counts.withdrawn;
    m_result.rowsUnchanged += counts.unchanged;
}

// 3. Handlers ======================================================================================

void Run::Funds(const Table& table) {
    static const TableShape kManagersNow{"tb_manager", {"code"}, {"name"}, {}, "terminatetime IS NULL"};
    static const TableShape kState{"tb_buyredeemstate", {"code"}, {}, {"buystate", "redeemstate"}};
    static const TableShape kIssue{
        "tb_issueandlisting", {"code"}, {}, {"issuedate", "issueshares", "listingdate"}};
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string code = Code(row, line, bad);
        if (bad)
            return ++m_result.rowsRejected, void();
        const bool known = m_store->HasFund(code);
        // An empty cell, like a missing column, leaves a known fund's value as it was; a new fund
        // gets the default or nothing ("--").
        auto text = [&](Column column, std::optional<std::string> fallback) -> Value {
            const std::string_view value = Text(row, column);
            if (!value.empty())
                return Value::Of(std::string(value));
            if (known)
                return Value::KeepOld();
            return fallback ? Value::Of(*fallback) : Value{};
        };
        auto date = [&](Column column) -> Value {
            // The database's own mark of an unknown inception date passes as it is.
            if (Text(row, column) == "0001-01-01")
                return Value::Of(std::string("0001-01-01"));
            const std::optional<int> day = Date(row, column, line, bad);
            if (day)
                return Value::Of(CivilDays::Text(*day));
            return known ? Value::KeepOld() : Value{};
        };
        auto number = [&](Column column, bool whole) -> Value {
            const std::optional<double> value = Number(row, column, line, bad);
            if (value)
                return whole ? Value::Of(static_cast<std::int64_t>(std::llround(*value))) : Value::Of(*value);
            return known ? Value::KeepOld() : Value{};
        };
        const std::string name(Text(row, Column::Name));
        if (!known && name.empty()) {
            Bad(line, Column::Name, "a fund new to the database needs a name");
            bad = true;
        }
        Value investtype = text(Column::InvestType, std::nullopt);
        if (investtype.type == Value::Text)
            investtype.text = InvestTypeOf(investtype.text);
        Value company = known ? Value::KeepOld() : Value{};
        if (const std::string_view companyName = Text(row, Column::Company); !companyName.empty())
            company = Value::Of(m_store->CompanyGuid(std::string(companyName)));
        Value delisted = known ? Value::KeepOld() : Value::Of(std::int64_t{0});
        if (const std::string_view status = Text(row, Column::Status); !status.empty()) {
            static const std::set<std::string_view> kGone = {
                "终止", "清盘", "已清盘", "终止上市", "摘牌", "已摘牌", "终止运作", "delisted", "1", "是"};
            static const std::set<std::string_view> kLive = {"正常", "运作中", "正常运作",
                                                             "0",    "否",     "active"};
            if (kGone.count(status) != 0)
                delisted = Value::Of(std::int64_t{1});
            else if (kLive.count(status) == 0) {
                Bad(line, Column::Status, "unknown status '" + std::string(status) + "'");
                bad = true;
            }
        }
        const Value createdate = date(Column::Inception);
        const Value issuedate = date(Column::IssueDate);
        const Value listingdate = date(Column::ListingDate);
        const Value peoples = number(Column::Holders, true);
        const Value quotient = number(Column::Shares, false);
        const Value issueshares = number(Column::IssueShares, false);
        StateCell buy, redeem;
        buy.missing = redeem.missing = true;
        buy.ok = redeem.ok = true;
        if (Has(Column::BuyState))
            buy = ReadState(Text(row, Column::BuyState));
        if (Has(Column::RedeemState))
            redeem = ReadState(Text(row, Column::RedeemState));
        if (!buy.ok)
            Bad(line, Column::BuyState, buy.reason), bad = true;
        if (!redeem.ok)
            Bad(line, Column::RedeemState, redeem.reason), bad = true;
        if (bad)
            return ++m_result.rowsRejected, void();

        const std::string pinyin = name.empty() ? std::string() : PinyinInitials(name);
        std::vector<Value> values = {
            text(Column::AliasCode, code),
            name.empty() ? Value::KeepOld() : Value::Of(name),
            // The list's initials, else those of the name it gives.
            text(Column::Pycode, pinyin.empty() ? std::nullopt : std::optional(pinyin)),
            text(Column::FundType, std::string("契约型开放式")),
            investtype,
            text(Column::Style, std::nullopt),
            company,
            createdate,
            peoples,
            quotient,
            delisted,
        };
        if (Text(row, Column::Pycode).empty() && !pinyin.empty())
            values[2] = Value::Of(pinyin);
        const MergeCounts counts = m_store->PutFund(code, values);
        Count(counts);
        if (Has(Column::Managers)) {
            std::vector<std::vector<Value>> names;
            std::string list(Text(row, Column::Managers));
            for (const char* separator : {"、", "，", ";", "；", "/", " "})
                for (std::size_t at; (at = list.find(separator)) != std::string::npos;)
                    list.replace(at, std::strlen(separator), ",");
            std::size_t start = 0;
            while (start <= list.size()) {
                std::size_t end = list.find(',', start);
                if (end == std::string::npos)
                    end = list.size();
                const std::string_view one = Trim(std::string_view(list).substr(start, end - start));
                if (!one.empty())
                    names.push_back({Value::Of(std::string(one))});
                start = end + 1;
            }
            Count(m_store->Merge(kManagersNow, {Value::Of(code)}, names, true));
        }
        if (!buy.missing || !redeem.missing)
            Count(
                m_store->Merge(kState, {Value::Of(code)},
                               {{buy.missing ? Value::KeepOld() : Value::Of(std::int64_t{buy.state}),
                                 redeem.missing ? Value::KeepOld() : Value::Of(std::int64_t{redeem.state})}},
                               true));
        if (Has(Column::IssueDate) || Has(Column::IssueShares) || Has(Column::ListingDate))
            Count(m_store->Merge(
                kIssue, {Value::Of(code)},
                {{issuedate.type == Value::Null && !Has(Column::IssueDate) ? Value::KeepOld() : issuedate,
                  issueshares.type == Value::Null && !Has(Column::IssueShares) ? Value::KeepOld()
                                                                               : issueshares,
                  listingdate.type == Value::Null && !Has(Column::ListingDate) ? Value::KeepOld()
                                                                               : listingdate}},
                true));
    });
}

void Run::History(const Table& table, bool index) {
    static const TableShape kBonus{"tb_bonus", {"code"}, {"date", "type"}, {"bonus"}};
    static const TableShape kState{"tb_buyredeemstate", {"code"}, {}, {"buystate", "redeemstate"}};
    struct Day {
        HistoryDay day;
        std::optional<int> buy, redeem;
        PayoutCell payout;
    };
    std::string code;
    std::vector<Day> group;
    const bool payoutColumn = Has(Column::DividendText);
    auto flush = [&]() {
        if (group.empty())
            return;
        // Newest first or oldest first: both are read; a file in order needs no sort.
        auto earlier = [](const Day& a, const Day& b) { return a.day.day < b.day.day; };
        if (std::is_sorted(group.rbegin(), group.rend(), earlier) &&
            !std::is_sorted(group.begin(), group.end(), earlier))
            std::reverse(group.begin(), group.end());
        else if (!std::is_sorted(group.begin(), group.end(), earlier))
            std::stable_sort(group.begin(), group.end(), earlier);
        // The same day twice: one copy is enough when they agree, neither is taken when they do not.
        std::vector<HistoryDay> days;
        std::vector<const Day*> kept;
        for (std::size_t k = 0; k < group.size();) {
            std::size_t end = k + 1;
            while (end < group.size() && group[end].day.day == group[k].day.day)
                ++end;
            bool agree = true;
            for (std::size_t j = k + 1; j < end; ++j)
                agree = agree && group[j].day.unit == group[k].day.unit &&
                        (group[j].day.total == group[k].day.total ||
                         (std::isnan(group[j].day.total) && std::isnan(group[k].day.total)));
            if (agree) {
                days.push_back(group[k].day);
                kept.push_back(&group[k]);
            } else {
                for (std::size_t j = k; j < end; ++j) {
                    Bad(group[j].day.line, Column::Date,
                        "the day " + CivilDays::Text(group[j].day.day) +
                            " comes more than once with different values");
                    ++m_result.rowsRejected;
                }
            }
            k = end;
        }
        if (index) {
            const FundStore::HistoryOutcome outcome = m_store->PutIndex(code, days);
            Count(outcome.counts);
            for (const HistoryDay& conflict : outcome.conflicts) {
                Bad(conflict.line, Column::Close,
                    "differs from the close of the same day given earlier in this import");
                ++m_result.rowsRejected;
            }
            group.clear();
            return;
        }
        const std::optional<int> before = m_store->LatestDay(code);
        // Dividends are read from the values only for a fund that no file gives any for: the
        // dividend files are read before the histories.
        const FundStore::HistoryOutcome outcome = m_store->PutHistory(code, days, payoutColumn);
        Count(outcome.counts);
        for (const HistoryDay& conflict : outcome.conflicts) {
            Bad(conflict.line, Column::Value,
                "differs from the value of the same day given earlier in this import");
            ++m_result.rowsRejected;
        }
        if (payoutColumn) {
            std::vector<std::vector<Value>> rows;
            for (const Day* day : kept)
                if (!day->payout.missing)
                    rows.push_back({Value::Of(CivilDays::Text(day->day.day)),
                                    Value::Of(std::int64_t{day->payout.split ? 1 : 0}),
                                    Value::Of(day->payout.amount)});
            if (!rows.empty())
                Count(m_store->Merge(kBonus, {Value::Of(code)}, rows, false));
        }
        // The states of the latest day are the fund's states now.
        if (!kept.empty() && (kept.back()->buy || kept.back()->redeem) &&
            kept.back()->day.day >= before.value_or(0))
            Count(m_store->Merge(
                kState, {Value::Of(code)},
                {{kept.back()->buy ? Value::Of(std::int64_t{*kept.back()->buy}) : Value::KeepOld(),
                  kept.back()->redeem ? Value::Of(std::int64_t{*kept.back()->redeem}) : Value::KeepOld()}},
                true));
        group.clear();
    };
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string rowCode = Code(row, line, bad);
        if (!bad && !index && rowCode != code && !m_store->HasFund(rowCode)) {
            Bad(line, Column::Code,
                "unknown fund code " + rowCode + "; import its fund list first (or with it)");
            bad = true;
        }
        Day day;
        day.day.line = line;
        const std::optional<int> date = Date(row, Column::Date, line, bad);
        if (!date && !bad) {
            Bad(line, Column::Date, "no date");
            bad = true;
        }
        const Column valueColumn = index ? Column::Close : Column::Value;
        const std::optional<double> value = Number(row, valueColumn, line, bad);
        if (!value && !bad) {
            Bad(line, valueColumn, "no value");
            bad = true;
        } else if (value && !(*value > 0.0)) {
            Bad(line, valueColumn, "must be above zero");
            bad = true;
        }
        const std::optional<double> total = index ? std::nullopt : Number(row, Column::TotalValue, line, bad);
        if (total && !(*total > 0.0)) {
            Bad(line, Column::TotalValue, "must be above zero");
            bad = true;
        }
        if (!index) {
            Number(row, Column::Growth, line, bad); // read only to check it
            for (Column column : {Column::BuyState, Column::RedeemState}) {
                if (!Has(column))
                    continue;
                const StateCell state = ReadState(Text(row, column));
                if (!state.ok) {
                    Bad(line, column, state.reason);
                    bad = true;
                } else if (!state.missing) {
                    (column == Column::BuyState ? day.buy : day.redeem) = state.state;
                }
            }
            if (payoutColumn) {
                day.payout = ReadPayout(Text(row, Column::DividendText));
                if (!day.payout.ok) {
                    Bad(line, Column::DividendText, day.payout.reason);
                    bad = true;
                }
            } else {
                day.payout.missing = true;
            }
        }
        if (bad)
            return ++m_result.rowsRejected, void();
        // A fund's days are held until its last one; a file that gives one fund more days than any
        // fund has (a thousand years) is taken in parts, so that memory stays bounded.
        if (rowCode != code || group.size() >= 250000)
            flush();
        code = rowCode;
        day.day.day = *date;
        day.day.unit = *value;
        day.day.total = total ? *total : std::nan("");
        group.push_back(day);
    });
    flush();
}

void Run::Holdings(const Table& table, bool industries) {
    static const TableShape kAssets{"tb_assetallocation",
                                    {"code", "date"},
                                    {"assettype"},
                                    {"marketvalue", "percent"},
                                    nullptr,
                                    true,
                                    true};
    static const TableShape kIndustries{"tb_investindustry",
                                        {"code", "date"},
                                        {"industryid"},
                                        {"marketvalue", "percent"},
                                        nullptr,
                                        true,
                                        true};
    std::string code;
    int date = 0;
    std::vector<std::vector<Value>> rows;
    ReportLines reports;
    auto flush = [&]() {
        if (!rows.empty())
            Count(m_store->Merge(industries ? kIndustries : kAssets,
                                 {Value::Of(code), Value::Of(CivilDays::Text(date))}, rows, true));
        rows.clear();
    };
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string rowCode = KnownFund(row, line, bad);
        const std::optional<int> day = RequiredDate(row, Column::ReportDate, line, bad, "no report date");
        Value key;
        if (industries) {
            std::string name(Text(row, Has(Column::IndustryId) ? Column::IndustryId : Column::Industry));
            if (name.empty() && Has(Column::Industry))
                name = std::string(Text(row, Column::Industry));
            const int id = m_store->IndustryId(name);
            if (id < 0) {
                Bad(line, Has(Column::IndustryId) ? Column::IndustryId : Column::Industry,
                    "unknown industry '" + name + "'");
                bad = true;
            }
            key = Value::Of(std::int64_t{id});
        } else {
            const std::string type(Text(row, Column::AssetType));
            if (type.empty()) {
                Bad(line, Column::AssetType, "no asset type");
                bad = true;
            }
            key = Value::Of(type);
        }
        const std::optional<double> marketValue = Number(row, Column::MarketValue, line, bad);
        const std::optional<double> percent = Number(row, Column::Percent, line, bad);
        if (bad)
            return ++m_result.rowsRejected, void();
        if (rowCode != code || *day != date) {
            flush();
            if (!FirstOfReport(reports, rowCode, *day, line)) {
                ++m_result.rowsRejected;
                code.clear();
                return;
            }
            code = rowCode;
            date = *day;
        }
        rows.push_back(
            {key, marketValue ? Value::Of(*marketValue) : Value{}, percent ? Value::Of(*percent) : Value{}});
    });
    flush();
}

std::string Run::StockCode(const std::vector<Cell>& row, std::int64_t line, bool& bad) {
    std::string code(Text(row, Column::StockCode));
    if (code.empty()) {
        Bad(line, Column::StockCode, "no stock code");
        bad = true;
        return code;
    }
    // Shanghai and Shenzhen codes have six digits, and a spreadsheet that kept one as a number
    // dropped its leading zeros. Five digits written as text are a Hong Kong code and stay.
    const int at = m_header->Find(Column::StockCode);
    const bool number = row[static_cast<std::size_t>(at)].number;
    if (code.find_first_not_of("0123456789") == std::string::npos && code.size() < 6 &&
        (number || code.size() < 5))
        code.insert(0, 6 - code.size(), '0');
    if (code.size() > 16 || code.find_first_of(" ,;'\"") != std::string::npos) {
        Bad(line, Column::StockCode, "'" + code + "' is not a stock code");
        bad = true;
        return {};
    }
    return code;
}

// A fund's report at a date is its list of lines, numbered by their place in the file (or by the
// file's own 序号) and replaced as a whole, as the asset and industry reports are. A stock new to
// the database gets a row of tb_stock with the name the report gives it and, when the file has the
// column, its industry; a known stock keeps what the database holds for it.
void Run::StockHoldings(const Table& table) {
    static const TableShape kLines{"tb_stockholding",
                                   {"code", "date"},
                                   {"rank"},
                                   {"stockcode", "stockname", "shares", "marketvalue", "percent"},
                                   nullptr,
                                   true,
                                   true};
    static const TableShape kStocks{"tb_stock", {"code"}, {}, {"name", "industryid"}};
    std::string code;
    int date = 0;
    std::vector<std::vector<Value>> rows;
    ReportLines reports;
    std::set<std::int64_t> ranks;
    std::set<std::string> stocksSeen;
    auto flush = [&]() {
        if (!rows.empty())
            Count(m_store->Merge(kLines, {Value::Of(code), Value::Of(CivilDays::Text(date))}, rows, true));
        rows.clear();
        ranks.clear();
    };
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string rowCode = KnownFund(row, line, bad);
        const std::optional<int> day = RequiredDate(row, Column::ReportDate, line, bad, "no report date");
        const std::string stock = StockCode(row, line, bad);
        const std::string name(Text(row, Column::StockName));
        const std::optional<double> shares = Number(row, Column::StockShares, line, bad);
        const std::optional<double> marketValue = Number(row, Column::MarketValue, line, bad);
        const std::optional<double> percent = Number(row, Column::Percent, line, bad);
        if (shares && *shares < 0) {
            Bad(line, Column::StockShares, "must not be negative");
            bad = true;
        }
        if (percent && *percent < 0) {
            Bad(line, Column::Percent, "must not be negative");
            bad = true;
        } else if (percent && !(*percent <= 1.0)) {
            Bad(line, Column::Percent, "a share of net assets beyond 100 %");
            bad = true;
        }
        std::optional<double> rank = Number(row, Column::Rank, line, bad);
        if (rank && !(*rank >= 1 && *rank <= 1e6 && *rank == std::floor(*rank))) {
            Bad(line, Column::Rank, "not a line number");
            bad = true;
        }
        int industry = -1;
        if (Has(Column::Industry) && !Text(row, Column::Industry).empty()) {
            industry = m_store->IndustryId(std::string(Text(row, Column::Industry)));
            if (industry < 0) {
                Bad(line, Column::Industry,
                    "unknown industry '" + std::string(Text(row, Column::Industry)) + "'");
                bad = true;
            }
        }
        if (bad)
            return ++m_result.rowsRejected, void();
        if (rowCode != code || *day != date) {
            flush();
            if (!FirstOfReport(reports, rowCode, *day, line)) {
                ++m_result.rowsRejected;
                code.clear();
                return;
            }
            code = rowCode;
            date = *day;
        }
        const auto number =
            rank ? static_cast<std::int64_t>(*rank) : static_cast<std::int64_t>(rows.size() + 1);
        if (!ranks.insert(number).second) {
            Bad(line, Column::Rank, "line " + std::to_string(number) + " of this report comes twice");
            ++m_result.rowsRejected;
            return;
        }
        rows.push_back({Value::Of(number), Value::Of(stock), name.empty() ? Value{} : Value::Of(name),
                        shares ? Value::Of(*shares) : Value{},
                        marketValue ? Value::Of(*marketValue) : Value{},
                        percent ? Value::Of(*percent) : Value{}});
        if (stocksSeen.insert(stock).second || industry >= 0)
            Count(m_store->Merge(kStocks, {Value::Of(stock)},
                                 {{name.empty() ? Value::KeepOld() : Value::Of(name),
                                   industry >= 0 ? Value::Of(std::int64_t{industry}) : Value::KeepOld()}},
                                 false, industry < 0));
    });
    flush();
}

void Run::Ratings(const Table& table) {
    static const TableShape kRatings{"tb_analyticalindex", {"code", "reportdate"}, {"year"}, {"star"}};
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string code = KnownFund(row, line, bad);
        const std::optional<int> day = RequiredDate(row, Column::ReportDate, line, bad, "no report date");
        std::vector<std::vector<Value>> rows;
        auto star = [&](Column column, int years) {
            const StarCell stars = ReadStars(Text(row, column));
            if (!stars.ok) {
                Bad(line, column, stars.reason);
                bad = true;
            } else if (!stars.missing) {
                rows.push_back({Value::Of(std::int64_t{years}), Value::Of(std::int64_t{stars.stars})});
            }
        };
        if (Has(Column::Stars)) {
            const std::optional<double> years = Number(row, Column::Years, line, bad);
            if (!years || (*years != 2 && *years != 3 && *years != 5 && *years != 1)) {
                if (!bad)
                    Bad(line, Column::Years, "the rating's years must be 1, 2, 3 or 5");
                bad = true;
            } else {
                star(Column::Stars, static_cast<int>(*years));
            }
        }
        if (Has(Column::Stars2))
            star(Column::Stars2, 2);
        if (Has(Column::Stars3))
            star(Column::Stars3, 3);
        if (Has(Column::Stars5))
            star(Column::Stars5, 5);
        if (bad)
            return ++m_result.rowsRejected, void();
        // A row speaks for the ratings it gives; a wide row replaces the report's ratings whole.
        Count(m_store->Merge(kRatings, {Value::Of(code), Value::Of(CivilDays::Text(*day))}, rows,
                             !Has(Column::Stars)));
    });
}

void Run::Dividends(const Table& table) {
    static const TableShape kBonus{"tb_bonus", {"code"}, {"date", "type"}, {"bonus"}};
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string code = KnownFund(row, line, bad);
        const std::optional<int> day = RequiredDate(row, Column::Date, line, bad, "no date");
        bool split = false;
        std::optional<double> amount;
        if (Has(Column::Amount)) {
            amount = Number(row, Column::Amount, line, bad);
            const std::string type(Text(row, Column::PayoutType));
            if (type == "1" || type == "拆分" || type == "折算" || type == "份额折算" || type == "split")
                split = true;
            else if (!(type.empty() || type == "0" || type == "分红" || type == "现金分红" ||
                       type == "派现" || type == "cash")) {
                Bad(line, Column::PayoutType, "unknown dividend type '" + type + "'");
                bad = true;
            }
        }
        if (!amount && !bad && Has(Column::DividendText)) {
            const PayoutCell payout = ReadPayout(Text(row, Column::DividendText));
            if (!payout.ok) {
                Bad(line, Column::DividendText, payout.reason);
                bad = true;
            } else if (!payout.missing) {
                amount = payout.amount;
                split = payout.split;
            }
        }
        if (!bad && (!amount || !(*amount > 0.0))) {
            Bad(line, Has(Column::Amount) ? Column::Amount : Column::DividendText, "no amount above zero");
            bad = true;
        }
        if (bad)
            return ++m_result.rowsRejected, void();
        Count(m_store->Merge(
            kBonus, {Value::Of(code)},
            {{Value::Of(CivilDays::Text(*day)), Value::Of(std::int64_t{split ? 1 : 0}), Value::Of(*amount)}},
            false));
    });
}

void Run::Managers(const Table& table) {
    static const TableShape kManagers{"tb_manager", {"code"}, {"name", "starttime"}, {"terminatetime"}};
    std::string code;
    std::vector<std::vector<Value>> rows;
    std::set<std::string> done;
    auto flush = [&]() {
        if (!code.empty())
            Count(m_store->Merge(kManagers, {Value::Of(code)}, rows, true));
        rows.clear();
    };
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string rowCode = KnownFund(row, line, bad);
        const std::string name(Text(row, Column::ManagerName));
        if (name.empty() && !bad) {
            Bad(line, Column::ManagerName, "no name");
            bad = true;
        }
        const std::optional<int> start = Date(row, Column::Start, line, bad);
        const std::optional<int> end = Date(row, Column::End, line, bad);
        if (bad)
            return ++m_result.rowsRejected, void();
        if (rowCode != code) {
            flush();
            if (done.count(rowCode) != 0) {
                Bad(line, Column::Code,
                    "this fund's managers were listed before; keep a fund's lines together");
                ++m_result.rowsRejected;
                return;
            }
            done.insert(rowCode);
            code = rowCode;
        }
        rows.push_back({Value::Of(name), start ? Value::Of(CivilDays::Text(*start)) : Value{},
                        end ? Value::Of(CivilDays::Text(*end)) : Value{}});
    });
    flush();
}

// A fee file: per fund, its yearly fees (on any of its rows, the same on every row that gives them)
// and its tiers, one row per tier (费用类型 with 区间, or 下限 and 上限, and 费率 or 固定费用) or as text
// in 申购费率 and 赎回费率. A fund's rows come together; the fund speaks for its fee row as a whole
// and for its tiers of each kind that it gives, which replace the stored ones. A fund whose tiers do
// not cover every amount (or period) once is refused whole.
void Run::Fees(const Table& table) {
    static const TableShape kFee{
        "tb_fundfee", {"code"}, {}, {"shareclass", "managementfee", "custodyfee", "salesfee", "minpurchase"}};
    static const TableShape kTiers{
        "tb_fundfeetier", {"code", "feetype"}, {"lower"}, {"upper", "rate", "fixedfee"}};
    static constexpr Column kFields[] = {Column::ShareClass, Column::ManagementFee, Column::CustodyFee,
                                         Column::SalesFee, Column::MinPurchase};
    constexpr std::size_t kFieldCount = std::size(kFields);
    struct FundFees {
        std::string code;
        std::int64_t rows = 0; // rows read for the fund, bad ones included
        bool bad = false;
        std::optional<Value> fields[kFieldCount];
        std::int64_t fieldLines[kFieldCount] = {};
        std::vector<FeeTier> tiers[2]; // subscription, redemption
        bool given[2] = {false, false};
        bool textGiven[2] = {false, false}; // given as text in 申购费率 or 赎回费率
    } fund;
    std::set<std::string> done;
    auto percentOf = [&](Column column) {
        const int at = m_header->Find(column);
        return at >= 0 && m_header->percent[static_cast<std::size_t>(at)];
    };
    auto flush = [&]() {
        if (fund.code.empty())
            return;
        bool refused = fund.bad;
        for (int k = 0; k < 2 && !refused; ++k) {
            if (!fund.given[k])
                continue;
            const TierKind kind = k == 0 ? TierKind::Purchase : TierKind::Redemption;
            std::size_t offending = 0;
            const std::string problem = CheckTiers(fund.tiers[k], kind, offending);
            if (problem.empty())
                continue;
            const Column column = fund.textGiven[k]
                                      ? (k == 0 ? Column::PurchaseTiers : Column::RedemptionTiers)
                                  : Has(Column::TierRange) ? Column::TierRange
                                                           : Column::TierLower;
            Bad(fund.tiers[k][offending].line, column, problem);
            refused = true;
        }
        if (refused) {
            m_result.rowsRejected += fund.rows;
            fund = FundFees{};
            return;
        }
        if (std::any_of(std::begin(fund.fields), std::end(fund.fields),
                        [](const auto& v) { return v.has_value(); })) {
            std::vector<Value> values;
            for (const std::optional<Value>& field : fund.fields)
                values.push_back(field ? *field : Value::KeepOld());
            Count(m_store->Merge(kFee, {Value::Of(fund.code)}, {values}, true));
        }
        for (int k = 0; k < 2; ++k) {
            if (!fund.given[k])
                continue;
            std::vector<std::vector<Value>> rows;
            for (const FeeTier& tier : fund.tiers[k])
                rows.push_back({Value::Of(tier.lower),
                                std::isinf(tier.upper) ? Value{} : Value::Of(tier.upper),
                                tier.fixed ? Value{} : Value::Of(tier.value),
                                tier.fixed ? Value::Of(tier.value) : Value{}});
            Count(m_store->Merge(kTiers, {Value::Of(fund.code), Value::Of(std::int64_t{k + 1})}, rows, true));
        }
        fund = FundFees{};
    };
    ReadRows(table, [&](const std::vector<Cell>& row, std::int64_t line) {
        bool bad = false;
        const std::string code = Code(row, line, bad);
        if (!bad && !m_store->HasFund(code)) {
            Bad(line, Column::Code,
                "unknown fund code " + code + "; import its fund list first (or with it)");
            bad = true;
        }
        if (bad)
            return ++m_result.rowsRejected, void();
        if (code != fund.code) {
            flush();
            if (done.count(code) != 0) {
                Bad(line, Column::Code, "this fund's fees were listed before; keep a fund's lines together");
                ++m_result.rowsRejected;
                return;
            }
            done.insert(code);
            fund.code = code;
        }
        ++fund.rows;

        // The yearly fees, the class and the smallest purchase.
        std::optional<Value> fields[kFieldCount];
        if (const std::string_view text = Text(row, Column::ShareClass); !text.empty()) {
            std::string letters(text);
            for (std::string_view noise : {"类份额", "份额", "类"})
                if (const std::size_t at = letters.find(noise); at != std::string::npos)
                    letters.erase(at, noise.size());
            for (char& c : letters)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (letters.empty() || letters.size() > 3 ||
                !std::all_of(letters.begin(), letters.end(),
                             [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
                Bad(line, Column::ShareClass, "'" + std::string(text) + "' is not a share class (A, C, ...)");
                bad = true;
            } else {
                fields[0] = Value::Of(letters);
            }
        }
        for (std::size_t k = 1; k < kFieldCount; ++k) {
            const std::optional<double> value = Number(row, kFields[k], line, bad);
            if (!value)
                continue;
            const bool rate = kFields[k] != Column::MinPurchase;
            if (!(*value >= 0.0) || (rate && !(*value < 1.0))) {
                Bad(line, kFields[k],
                    rate ? "a yearly fee is from 0 to below 100%" : "must not be below zero");
                bad = true;
                continue;
            }
            fields[k] = Value::Of(*value);
        }
        for (std::size_t k = 0; k < kFieldCount; ++k) {
            if (!fields[k])
                continue;
            if (fund.fields[k] && !fund.fields[k]->Same(*fields[k])) {
                Bad(line, kFields[k],
                    "differs from this fund's value on line " + std::to_string(fund.fieldLines[k]));
                bad = true;
            } else if (!fund.fields[k]) {
                fund.fields[k] = fields[k];
                fund.fieldLines[k] = line;
            }
        }

        // A tier of its own row.
        const std::string_view type = Text(row, Column::FeeType);
        const bool tierColumns = !Text(row, Column::TierRange).empty() ||
                                 !Text(row, Column::TierLower).empty() ||
                                 !Text(row, Column::TierUpper).empty() ||
                                 !Text(row, Column::TierFee).empty() || !Text(row, Column::FixedFee).empty();
        if (!type.empty()) {
            int kind = 0;
            if (type == "申购" || type == "申购费" || type == "申购费率" || type == "1" ||
                type == "purchase" || type == "subscription")
                kind = 1;
            else if (type == "赎回" || type == "赎回费" || type == "赎回费率" || type == "2" ||
                     type == "redemption" || type == "redeem")
                kind = 2;
            if (kind == 0) {
                Bad(line, Column::FeeType, "unknown fee type '" + std::string(type) + "' (申购 or 赎回)");
                bad = true;
            } else {
                const TierKind tierKind = kind == 1 ? TierKind::Purchase : TierKind::Redemption;
                FeeTier tier;
                tier.line = line;
                if (!Text(row, Column::TierRange).empty()) {
                    const TierRangeCell range = ReadTierRange(Text(row, Column::TierRange), tierKind);
                    if (!range.ok) {
                        Bad(line, Column::TierRange, range.reason);
                        bad = true;
                    }
                    tier.lower = range.lower;
                    tier.upper = range.upper;
                } else {
                    for (Column column : {Column::TierLower, Column::TierUpper}) {
                        const TierBoundCell bound = ReadTierBound(Text(row, column), tierKind);
                        if (bound.state == TierBoundCell::Bad) {
                            Bad(line, column, bound.reason);
                            bad = true;
                        } else if (bound.state == TierBoundCell::Ok) {
                            (column == Column::TierLower ? tier.lower : tier.upper) = bound.value;
                        }
                    }
                    if (!bad && !(tier.lower < tier.upper)) {
                        Bad(line, Column::TierUpper, "the upper bound is not above the lower one");
                        bad = true;
                    }
                }
                const TierFeeCell rate = ReadTierFee(Text(row, Column::TierFee), percentOf(Column::TierFee));
                const std::optional<double> fixed = Number(row, Column::FixedFee, line, bad);
                if (!rate.ok) {
                    Bad(line, Column::TierFee, rate.reason);
                    bad = true;
                } else if (!rate.missing && fixed) {
                    Bad(line, Column::FixedFee, "a tier has a rate or a fixed fee, not both");
                    bad = true;
                } else if (fixed && !(*fixed >= 0.0)) {
                    Bad(line, Column::FixedFee, "must not be below zero");
                    bad = true;
                } else if (rate.missing && !fixed) {
                    Bad(line, Has(Column::TierFee) ? Column::TierFee : Column::FixedFee, "no fee");
                    bad = true;
                }
                tier.fixed = fixed.has_value() || rate.fixed;
                tier.value = fixed ? *fixed : rate.value;
                if (!bad) {
                    if (fund.textGiven[kind - 1]) {
                        Bad(line, Column::FeeType,
                            "this fund's tiers of this type were given as text already");
                        bad = true;
                    } else {
                        fund.tiers[kind - 1].push_back(tier);
                        fund.given[kind - 1] = true;
                    }
                }
            }
        } else if (tierColumns) {
            Bad(line, Column::FeeType, "a tier needs its fee type (申购 or 赎回)");
            bad = true;
        }

        // Tiers as text.
        for (int k = 0; k < 2; ++k) {
            const Column column = k == 0 ? Column::PurchaseTiers : Column::RedemptionTiers;
            const TierListCell list = ReadTierList(
                Text(row, column), k == 0 ? TierKind::Purchase : TierKind::Redemption, percentOf(column));
            if (!list.ok) {
                Bad(line, column, list.reason);
                bad = true;
            } else if (!list.missing) {
                if (fund.given[k] && !fund.textGiven[k]) {
                    Bad(line, column,
                        "this fund's tiers of this type were given on rows of their own already");
                    bad = true;
                    continue;
                }
                for (FeeTier tier : list.tiers) {
                    tier.line = line;
                    fund.tiers[k].push_back(tier);
                }
                fund.given[k] = fund.textGiven[k] = true;
            }
        }
        if (bad)
            fund.bad = true;
    });
    flush();
}

void Run::Process(FundStore& store, std::vector<Table>& tables) {
    m_store = &store;
    std::vector<Table*> ready;
    for (Table& table : tables)
        if (ReadHeader(table)) {
            ready.push_back(&table);
            for (const std::string& name : table.header.ignored)
                m_result.notes.push_back(table.label + ": column '" + name + "' is not used");
        }
    // Fund lists first, so that every other row finds its fund; dividends before the histories, whose
    // values imply dividends only where no file gives any.
    static const Kind kOrder[] = {Kind::Funds,   Kind::Managers, Kind::Index,      Kind::Dividends,
                                  Kind::History, Kind::Assets,   Kind::Industries, Kind::Holdings,
                                  Kind::Ratings, Kind::Fees};
    m_progress.filesTotal = static_cast<int>(ready.size());
    for (Kind kind : kOrder)
        for (Table* table : ready) {
            if (table->header.kind != kind)
                continue;
            m_table = table;
            m_header = &table->header;
            m_progress.currentFile = table->label;
            if (m_options.progress)
                m_options.progress(m_progress);
            if (m_options.cancel != nullptr && m_options.cancel->load())
                throw Cancelled{};
            switch (kind) {
            case Kind::Funds:
                Funds(*table);
                break;
            case Kind::History:
                History(*table, false);
                break;
            case Kind::Index:
                History(*table, true);
                break;
            case Kind::Assets:
                Holdings(*table, false);
                break;
            case Kind::Industries:
                Holdings(*table, true);
                break;
            case Kind::Holdings:
                StockHoldings(*table);
                break;
            case Kind::Ratings:
                Ratings(*table);
                break;
            case Kind::Dividends:
                Dividends(*table);
                break;
            case Kind::Managers:
                Managers(*table);
                break;
            case Kind::Fees:
                Fees(*table);
                break;
            case Kind::Auto:
                break;
            }
            ++m_result.files;
            ++m_progress.filesDone;
        }
    if (m_options.progress)
        m_options.progress(m_progress);
}

} // namespace

// 4. Import ========================================================================================

Result Import(const std::string& database, const std::vector<std::string>& inputs, const Options& options) {
    Result result;
    Run run(options, result);
    std::vector<Table> tables = run.Collect(inputs);
    if (tables.empty() && result.problems.empty())
        result.error = "no input files";
    if (!result.error.empty())
        return result;
    struct stat info {};
    const bool exists = ::stat(database.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        result.error = database + " is not a database file";
        return result;
    }
    try {
        FundStore store(database, !exists);
        try {
            run.Process(store, tables);
        } catch (const Cancelled&) {
            store.Abandon();
            result.cancelled = true;
            return result;
        }
        if (!result.problems.empty() && !options.skipBad) {
            store.Abandon();
            return result;
        }
        store.Commit(database);
        result.written = true;
        result.created = !exists;
        result.fundsAdded = store.FundsAdded();
        result.fundsChanged = store.FundsChanged();
    } catch (const std::exception& failure) {
        result.error = failure.what();
    }
    return result;
}

// 5. Pinyin initials and investment types ===========================================================

std::string PinyinInitials(const std::string& name) {
    // GB2312's first level is ordered by pinyin: the first code of each initial, A to Z.
    static constexpr struct {
        unsigned short first;
        char letter;
    } kStarts[] = {{0xB0A1, 'A'}, {0xB0C5, 'B'}, {0xB2C1, 'C'}, {0xB4EE, 'D'}, {0xB6EA, 'E'}, {0xB7A2, 'F'},
                   {0xB8C1, 'G'}, {0xB9FE, 'H'}, {0xBBF7, 'J'}, {0xBFA6, 'K'}, {0xC0AC, 'L'}, {0xC2E8, 'M'},
                   {0xC4C3, 'N'}, {0xC5B6, 'O'}, {0xC5BE, 'P'}, {0xC6DA, 'Q'}, {0xC8BB, 'R'}, {0xC8F6, 'S'},
                   {0xCBFA, 'T'}, {0xCDDA, 'W'}, {0xCEF4, 'X'}, {0xD1B9, 'Y'}, {0xD4D1, 'Z'}};
    std::string out;
    iconv_t convert = iconv_open("GB18030", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return out;
    std::size_t i = 0;
    while (i < name.size()) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            if (std::isalnum(c))
                out.push_back(static_cast<char>(std::toupper(c)));
            ++i;
            continue;
        }
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        char in[4] = {};
        std::memcpy(in, name.data() + i, std::min(length, name.size() - i));
        i += length;
        char gb[8] = {};
        char* from = in;
        std::size_t fromLeft = length;
        char* to = gb;
        std::size_t toLeft = sizeof gb;
        if (iconv(convert, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || to - gb != 2)
            continue;
        const unsigned code = (static_cast<unsigned char>(gb[0]) << 8) | static_cast<unsigned char>(gb[1]);
        if (code < 0xB0A1 || code > 0xD7F9)
            continue;
        char letter = 'A';
        for (const auto& start : kStarts)
            if (code >= start.first)
                letter = start.letter;
        out.push_back(letter);
    }
    iconv_close(convert);
    return out;
}

std::string InvestTypeOf(const std::string& text) {
    // A download's type is often "main type-subtype": the main type decides.
    std::string main = text;
    for (const char* dash : {"-", "－", "—"})
        if (const std::size_t at = main.find(dash); at != std::string::npos && at > 0)
            main = main.substr(0, at);
    auto has = [&](const char* part) { return main.find(part) != std::string::npos; };
    auto endsWith = [&](const std::string& suffix) {
        return main.size() >= suffix.size() &&
               main.compare(main.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (has("QDII"))
        return "QDII";
    if (has("货币") || has("现金") || main == "理财型")
        return "现金型";
    if (has("指数") || has("ETF"))
        return "指数型";
    if (has("保本"))
        return "保本型";
    if (endsWith("混合型") || endsWith("混合"))
        return "混合型";
    if (has("债"))
        return "债券型";
    if (has("混合") || has("配置") || has("FOF"))
        return "混合型";
    if (has("股票"))
        return "股票型";
    return text;
}

} // namespace FundImport
