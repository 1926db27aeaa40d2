// The kinds of file the importer reads and the columns of each, by every name a header may give
// them, in English and in the Chinese of fund data downloads. A file's kind is recognised from its
// header row: the first kind, in the table's order, whose signature columns the header holds.
//
// This table is the one place to extend: a new kind (fees, for one) is a row of kKinds with
// its columns, and a handler in FundImporter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace FundImport {

enum class Kind { Auto, Funds, History, Index, Assets, Industries, Holdings, Dividends, Ratings, Managers };

// What a column holds.
enum class Column {
    None,
    // every kind
    Code,
    // fund list
    AliasCode,
    Name,
    Pycode,
    InvestType,
    FundType,
    Style,
    Company,
    Inception,
    Managers,
    Holders,
    Shares,
    IssueShares,
    IssueDate,
    ListingDate,
    Status,
    BuyState,
    RedeemState,
    // history and index closes
    Date,
    Value,
    TotalValue,
    Growth,
    DividendText,
    Close,
    // report-date holdings
    ReportDate,
    AssetType,
    MarketValue,
    Percent,
    Industry,
    IndustryId,
    // stock holdings
    StockCode,
    StockName,
    StockShares,
    Rank,
    // dividends
    PayoutType,
    Amount,
    // ratings
    Years,
    Stars,
    Stars2,
    Stars3,
    Stars5,
    // managers
    ManagerName,
    Start,
    End,
};

struct KindInfo {
    Kind kind;
    const char* name;    // as --kind takes it
    const char* caption; // for messages
};

const std::vector<KindInfo>& Kinds();
const char* KindName(Kind kind);
bool ParseKind(std::string_view name, Kind& kind);

// A header recognised as one kind: the column of each field (or Column::None), in field order.
struct Header {
    Kind kind = Kind::Auto;
    std::vector<Column> columns;
    std::vector<bool> percent;        // the header says its numbers are percentages ("(%)", 增长率)
    std::vector<std::string> ignored; // header names that no column of the kind takes
    std::string error;                // why the header was not recognised
    int Find(Column column) const;    // the field of a column, or -1
};

// Recognises a header row; `forced` (not Auto) takes that kind's names only. On failure
// Header::error says what was missing.
Header RecogniseHeader(const std::vector<std::string>& names, Kind forced);

// The header name as it is compared: ASCII lower case, without blanks, underscores, quotes and a
// trailing unit in brackets; `percent` is set when the unit says percent.
std::string NormaliseName(std::string_view name, bool& percent);

// The caption of a column for messages: its first Chinese name in the kind given, else in the first
// kind that has the column.
const char* ColumnCaption(Column column, Kind within = Kind::Auto);

} // namespace FundImport
