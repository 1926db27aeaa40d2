// Reading the cells of the files people have: dates, numbers, trading states, dividend texts and
// star ratings, each either read exactly or refused with a reason. Nothing is guessed: a date whose
// order of day and month is not certain, a number with stray text, an unknown state are errors.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace FundImport {

// A date as days since 1970-01-01, or the reason it could not be read. Accepted: 2020-01-02,
// 2020/1/2, 2020.1.2, 20200102, 2020年1月2日, each optionally followed by a time of midnight
// (spreadsheets save dates that way). 01/02/2020 and other orders without the year first are
// ambiguous and refused.
struct DateCell {
    bool ok = false;
    int day = 0;
    std::string reason;
};
DateCell ReadDate(std::string_view text);

// A spreadsheet's date serial number in the 1900 date system (1 is 1900-01-01, with the system's
// nonexistent 1900-02-29 as 60), or an eight-digit number written as YYYYMMDD.
DateCell ReadDateNumber(double serial);

// A number. Empty text and the usual placeholders ("--", "-", "—", "N/A") are missing, not wrong.
// A trailing "%" divides by 100; "万" and "亿" multiply by 10^4 and 10^8 (amounts such as 12.5亿份);
// thousands separators ("1,234.5") and a trailing unit of 元 or 份 are allowed.
struct NumberCell {
    enum State { Missing, Ok, Bad } state = Missing;
    double value = 0.0;
    bool percentSign = false; // the text carried "%"
    std::string reason;
};
NumberCell ReadNumber(std::string_view text);

// Subscription or redemption state: 1 open, 0 suspended, 2 open with a limit on large purchases.
// Reads the digits themselves and the texts of fund downloads (开放申购, 暂停赎回, 限制大额申购, ...).
struct StateCell {
    bool ok = false;
    bool missing = false;
    int state = 0;
    std::string reason;
};
StateCell ReadState(std::string_view text);

// A dividend text as fund downloads write it in their 分红送配 column: "每份派现金0.0500元" (cash per
// unit), "每10份派现金0.5元" (per ten units), "每份基金份额折算1.0234份" or "每份基金份额分拆1.5份"
// (a unit split). Empty text is no payout.
struct PayoutCell {
    bool ok = false;
    bool missing = false;
    bool split = false;
    double amount = 0.0;
    std::string reason;
};
PayoutCell ReadPayout(std::string_view text);

// A star rating: a digit from 1 to 5, or that many "★" (a "☆" counts for nothing).
struct StarCell {
    bool ok = false;
    bool missing = false;
    int stars = 0;
    std::string reason;
};
StarCell ReadStars(std::string_view text);

// Leading and trailing blanks (ASCII and the ideographic space) removed.
std::string_view Trim(std::string_view text);

} // namespace FundImport
