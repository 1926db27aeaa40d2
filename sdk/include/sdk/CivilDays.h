// Day numbers: the count of days since 1970-01-01 in the proleptic Gregorian calendar, and back
// (H. Hinnant's civil-day algorithms). Whoever stores or charts dates as plain integers uses these.
#pragma once

#include <cstdio>
#include <string>

namespace CivilDays {

struct Date {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;
};

constexpr int FromDate(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr Date ToDate(int days) {
    const int z = days + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    Date date;
    date.day = doy - (153 * mp + 2) / 5 + 1;
    date.month = mp + (mp < 10 ? 3 : -9);
    date.year = yoe + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

// "YYYY-MM-DD".
inline std::string Text(int days) {
    const Date date = ToDate(days);
    char text[40]; // room for any int, so that no compiler sees a truncation
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

} // namespace CivilDays
