// Reading dates, numbers, states, dividend texts and stars out of cell text.
#include "CellText.h"

#include <sdk/CivilDays.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace FundImport {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 to `most` digits at `at`; advances past them.
bool Digits(std::string_view text, std::size_t& at, int most, int& value, int& count) {
    value = 0;
    count = 0;
    while (at < text.size() && Digit(text[at]) && count < most + 1) {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    return count >= 1 && count <= most;
}

DateCell Fail(std::string reason) {
    DateCell cell;
    cell.reason = std::move(reason);
    return cell;
}

DateCell Build(int year, int month, int day) {
    if (year < 1900 || year > 2199)
        return Fail("year " + std::to_string(year) + " is out of range");
    if (month < 1 || month > 12)
        return Fail("no month " + std::to_string(month));
    const int days = CivilDays::FromDate(year, month, day);
    const CivilDays::Date back = CivilDays::ToDate(days);
    if (day < 1 || back.month != month || back.day != day)
        return Fail("no day " + std::to_string(day) + " in month " + std::to_string(month));
    DateCell cell;
    cell.ok = true;
    cell.day = days;
    return cell;
}

// A time of day after a date: accepted only when it is midnight, because a daily value belongs to
// its day and a time of day other than 0:00 would say the cell is not what we think.
bool MidnightTail(std::string_view rest) {
    rest = Trim(rest);
    if (rest.empty())
        return true;
    if (rest.front() == 'T')
        rest.remove_prefix(1);
    for (char c : rest)
        if (c != '0' && c != ':' && c != '.')
            return false;
    return true;
}

} // namespace

std::string_view Trim(std::string_view text) {
    for (;;) {
        if (!text.empty() &&
            (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
            text.remove_prefix(1);
        else if (StartsWith(text, kIdeographicSpace))
            text.remove_prefix(kIdeographicSpace.size());
        else
            break;
    }
    for (;;) {
        if (!text.empty() &&
            (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
            text.remove_suffix(1);
        else if (EndsWith(text, kIdeographicSpace))
            text.remove_suffix(kIdeographicSpace.size());
        else
            break;
    }
    return text;
}

DateCell ReadDate(std::string_view text) {
    text = Trim(text);
    if (text.empty())
        return Fail("no date");
    std::size_t at = 0;
    int first = 0, count = 0;
    if (!Digits(text, at, 8, first, count))
        return Fail("'" + std::string(text) + "' is not a date");
    if (count == 8 && (at == text.size() || text[at] == ' ' || text[at] == 'T')) {
        if (!MidnightTail(text.substr(at)))
            return Fail("'" + std::string(text) + "' has a time of day");
        return Build(first / 10000, first / 100 % 100, first % 100);
    }
    if (count != 4) {
        // 01/02/2020, 2/1/20, 02-01-2020: whether the first number is the day or the month is not
        // certain, so the date is refused rather than read one way or the other.
        if (at < text.size() && (text[at] == '/' || text[at] == '-' || text[at] == '.'))
            return Fail("'" + std::string(text) + "' is ambiguous; write dates as YYYY-MM-DD");
        return Fail("'" + std::string(text) + "' is not a date");
    }
    // Year first: - / . or 年 between the parts.
    std::string_view separator;
    for (std::string_view candidate : {"-", "/", ".", "年"})
        if (text.substr(at, candidate.size()) == candidate)
            separator = candidate;
    if (separator.empty())
        return Fail("'" + std::string(text) + "' is not a date");
    at += separator.size();
    int month = 0, day = 0;
    if (!Digits(text, at, 2, month, count))
        return Fail("'" + std::string(text) + "' is not a date");
    const std::string_view second = separator == "年" ? std::string_view("月") : separator;
    if (text.substr(at, second.size()) != second)
        return Fail("'" + std::string(text) + "' is not a date");
    at += second.size();
    if (!Digits(text, at, 2, day, count))
        return Fail("'" + std::string(text) + "' is not a date");
    if (separator == "年" && text.substr(at, 3) == "日")
        at += 3;
    if (!MidnightTail(text.substr(at)))
        return Fail("'" + std::string(text) + "' is not a date");
    return Build(first, month, day);
}

DateCell ReadDateNumber(double serial) {
    char shown[40];
    std::snprintf(shown, sizeof shown, "%.15g", serial);
    if (!std::isfinite(serial) || serial != std::floor(serial))
        return Fail(std::string("the number ") + shown + " is not a whole day");
    if (serial >= 19000101 && serial <= 21991231) {
        const auto n = static_cast<long>(serial);
        return Build(static_cast<int>(n / 10000), static_cast<int>(n / 100 % 100), static_cast<int>(n % 100));
    }
    if (serial < 1 || serial > 120000)
        return Fail(std::string("the number ") + shown + " is not a date");
    long n = static_cast<long>(serial);
    if (n == 60)
        return Fail("the spreadsheet date 1900-02-29 does not exist");
    // Serial 1 is 1900-01-01; the 1900 system counts a 29 February 1900 that never was.
    if (n > 60)
        --n;
    DateCell cell;
    cell.ok = true;
    cell.day = CivilDays::FromDate(1899, 12, 31) + static_cast<int>(n);
    return cell;
}

NumberCell ReadNumber(std::string_view text) {
    NumberCell cell;
    text = Trim(text);
    if (text.empty() || text == "--" || text == "-" || text == "—" || text == "---" || text == "N/A" ||
        text == "n/a" || text == "NA" || text == "null" || text == "NULL")
        return cell;
    std::string_view body = text;
    double scale = 1.0;
    for (std::string_view unit : {"元", "份", "户"})
        if (EndsWith(body, unit))
            body.remove_suffix(unit.size());
    if (EndsWith(body, "%") || EndsWith(body, "％")) {
        body.remove_suffix(EndsWith(body, "%") ? 1 : 3);
        cell.percentSign = true;
        scale = 0.01;
    } else if (EndsWith(body, "万")) {
        body.remove_suffix(3);
        scale = 1e4;
    } else if (EndsWith(body, "亿")) {
        body.remove_suffix(3);
        scale = 1e8;
    }
    body = Trim(body);
    // Plain decimal notation only: a sign, digits with optional thousands separators, a point,
    // digits, an optional exponent. No hexadecimal, no infinity, no stray letters.
    std::string clean;
    clean.reserve(body.size());
    bool digits = false, point = false, exponent = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (Digit(c)) {
            digits = true;
            clean.push_back(c);
        } else if ((c == '+' || c == '-') && (i == 0 || body[i - 1] == 'e' || body[i - 1] == 'E')) {
            clean.push_back(c);
        } else if (c == '.' && !point && !exponent) {
            point = true;
            clean.push_back(c);
        } else if (c == ',' && digits && !point && !exponent && i + 3 < body.size() + 0 &&
                   Digit(body[i + 1]) && Digit(body[i + 2]) && Digit(body[i + 3]) &&
                   (i + 4 == body.size() || !Digit(body[i + 4]))) {
            // A thousands separator: exactly three digits follow before the next separator or point.
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            exponent = true;
            clean.push_back(c);
        } else {
            cell.state = NumberCell::Bad;
            cell.reason = "'" + std::string(text) + "' is not a number";
            return cell;
        }
    }
    if (!digits) {
        cell.state = NumberCell::Bad;
        cell.reason = "'" + std::string(text) + "' is not a number";
        return cell;
    }
    double value = 0.0;
    const char* begin = clean.data();
    if (*begin == '+')
        ++begin;
    const auto [end, error] = std::from_chars(begin, clean.data() + clean.size(), value);
    if (error != std::errc() || end != clean.data() + clean.size() || !std::isfinite(value * scale)) {
        cell.state = NumberCell::Bad;
        cell.reason = "'" + std::string(text) + "' is not a number";
        return cell;
    }
    cell.state = NumberCell::Ok;
    cell.value = value * scale;
    return cell;
}

StateCell ReadState(std::string_view text) {
    StateCell cell;
    text = Trim(text);
    if (text.empty() || text == "--" || text == "-") {
        cell.missing = true;
        cell.ok = true;
        return cell;
    }
    struct Known {
        std::string_view text;
        int state;
    };
    static constexpr Known kKnown[] = {
        {"0", 0},        {"1", 1},      {"2", 2},         {"开放", 1},         {"开放申购", 1},
        {"开放赎回", 1}, {"正常", 1},   {"正常申购", 1},  {"正常赎回", 1},     {"场内买入", 1},
        {"场内卖出", 1}, {"暂停", 0},   {"暂停申购", 0},  {"暂停赎回", 0},     {"封闭期", 0},
        {"封闭", 0},     {"认购期", 0}, {"限大额", 2},    {"限制大额申购", 2}, {"限制申购", 2},
        {"限额申购", 2}, {"open", 1},   {"suspended", 0}, {"limited", 2}};
    for (const Known& known : kKnown)
        if (text == known.text) {
            cell.ok = true;
            cell.state = known.state;
            return cell;
        }
    cell.reason = "unknown state '" + std::string(text) + "'";
    return cell;
}

PayoutCell ReadPayout(std::string_view text) {
    PayoutCell cell;
    text = Trim(text);
    if (text.empty() || text == "--" || text == "-") {
        cell.ok = true;
        cell.missing = true;
        return cell;
    }
    std::string_view rest = text;
    double per = 1.0;
    if (StartsWith(rest, "每10份")) {
        per = 10.0;
        rest.remove_prefix(std::strlen("每10份"));
    } else if (StartsWith(rest, "每份基金份额")) {
        rest.remove_prefix(std::strlen("每份基金份额"));
    } else if (StartsWith(rest, "每份")) {
        rest.remove_prefix(std::strlen("每份"));
    } else {
        cell.reason = "'" + std::string(text) + "' is not a dividend text";
        return cell;
    }
    std::string_view unit;
    for (std::string_view verb : {"派现金", "派息", "分红", "派"})
        if (StartsWith(rest, verb)) {
            rest.remove_prefix(verb.size());
            unit = "元";
            break;
        }
    if (unit.empty())
        for (std::string_view verb : {"折算", "分拆", "拆分"})
            if (StartsWith(rest, verb)) {
                rest.remove_prefix(verb.size());
                unit = "份";
                cell.split = true;
                break;
            }
    if (unit.empty() || !EndsWith(rest, unit)) {
        cell.reason = "'" + std::string(text) + "' is not a dividend text";
        return cell;
    }
    rest.remove_suffix(unit.size());
    const NumberCell number = ReadNumber(rest);
    if (number.state != NumberCell::Ok || number.percentSign || number.value <= 0.0) {
        cell.reason = "'" + std::string(text) + "' has no amount";
        return cell;
    }
    cell.ok = true;
    cell.amount = cell.split ? number.value : number.value / per;
    return cell;
}

StarCell ReadStars(std::string_view text) {
    StarCell cell;
    text = Trim(text);
    if (text.empty() || text == "--" || text == "-" || text == "暂无评级") {
        cell.ok = true;
        cell.missing = true;
        return cell;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '5') {
        cell.ok = true;
        cell.stars = text[0] - '0';
        return cell;
    }
    if (text.size() == 3 && text[0] >= '0' && text[0] <= '5' && text.substr(1) == ".0") {
        cell.ok = true;
        cell.stars = text[0] - '0';
        return cell;
    }
    int stars = 0;
    std::string_view rest = text;
    while (!rest.empty()) {
        if (StartsWith(rest, "★"))
            ++stars;
        else if (!StartsWith(rest, "☆")) {
            cell.reason = "'" + std::string(text) + "' is not a star rating";
            return cell;
        }
        rest.remove_prefix(3);
    }
    if (stars > 5) {
        cell.reason = "'" + std::string(text) + "' has more than five stars";
        return cell;
    }
    cell.ok = true;
    cell.stars = stars;
    return cell;
}

} // namespace FundImport
