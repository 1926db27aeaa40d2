#include "Figures.h"

#include <sdk/Data.h>

#include <cctype>
#include <cmath>
#include <string>

namespace HostDb {

int KindOfDeclaredType(const char* declared) {
    if (declared == nullptr)
        return -1;
    std::string type(declared);
    for (char& c : type)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (type.find("INT") != std::string::npos)
        return Data::kInteger;
    if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
        type.find("TEXT") != std::string::npos)
        return Data::kText;
    if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
        type.find("DOUB") != std::string::npos)
        return Data::kReal;
    return -1;
}

int DeclaredKindOf(sqlite3_stmt* statement, int column) {
    return KindOfDeclaredType(sqlite3_column_decltype(statement, column));
}

bool IsBadFigure(sqlite3_stmt* statement, int column, int declaredKind) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_FLOAT:
        return !std::isfinite(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return declaredKind == Data::kReal || declaredKind == Data::kInteger;
    default:
        return false;
    }
}

std::string_view CellText(sqlite3_stmt* statement, int column, std::string& buffer) {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    if (text == nullptr)
        return {};
    std::string_view view(text, size);
    if (view.find('\0') == std::string_view::npos)
        return view;
    buffer.clear();
    for (char c : view)
        if (c != '\0')
            buffer.push_back(c);
    return buffer;
}

namespace {

// The running state of avg and sum. SQLite hands it over zero-filled, which is the empty sum.
struct FigureSum {
    double real;           // the sum of every value taken, as a real
    sqlite3_int64 integer; // the same sum in integers, while `inexact` is false
    sqlite3_int64 count;   // values taken
    bool inexact;          // a real was taken, or the integer sum overflowed
};

FigureSum* StateOf(sqlite3_context* context, bool create) {
    return static_cast<FigureSum*>(sqlite3_aggregate_context(context, create ? sizeof(FigureSum) : 0));
}

// Adds (sign 1) or removes (sign -1, for a window that moves on) one value, when it is a figure.
void Take(sqlite3_context* context, sqlite3_value* value, int sign) {
    FigureSum* sum = StateOf(context, true);
    if (sum == nullptr) {
        sqlite3_result_error_nomem(context);
        return;
    }
    switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER: {
        sqlite3_int64 n = sqlite3_value_int64(value);
        sum->real += sign * static_cast<double>(n);
        sqlite3_int64 next = 0;
        bool overflow = sign > 0 ? __builtin_add_overflow(sum->integer, n, &next)
                                 : __builtin_sub_overflow(sum->integer, n, &next);
        sum->inexact = sum->inexact || overflow;
        sum->integer = next;
        sum->count += sign;
        break;
    }
    case SQLITE_FLOAT: {
        double x = sqlite3_value_double(value);
        if (!std::isfinite(x))
            return;
        sum->real += sign * x;
        sum->inexact = true;
        sum->count += sign;
        break;
    }
    default:
        break; // null, text that is no number, a blob
    }
}

void Step(sqlite3_context* context, int, sqlite3_value** values) {
    Take(context, values[0], 1);
}

void Inverse(sqlite3_context* context, int, sqlite3_value** values) {
    Take(context, values[0], -1);
}

void AverageValue(sqlite3_context* context) {
    FigureSum* sum = StateOf(context, false);
    if (sum == nullptr || sum->count <= 0)
        sqlite3_result_null(context);
    else
        sqlite3_result_double(context, sum->real / static_cast<double>(sum->count));
}

void SumValue(sqlite3_context* context) {
    FigureSum* sum = StateOf(context, false);
    if (sum == nullptr || sum->count <= 0)
        sqlite3_result_null(context);
    else if (!sum->inexact)
        sqlite3_result_int64(context, sum->integer);
    else
        sqlite3_result_double(context, sum->real);
}

} // namespace

bool InstallFigureAggregates(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_window_function(db, "avg", 1, flags, nullptr, &Step, &AverageValue, &AverageValue,
                                          &Inverse, nullptr) == SQLITE_OK &&
           sqlite3_create_window_function(db, "sum", 1, flags, nullptr, &Step, &SumValue, &SumValue, &Inverse,
                                          nullptr) == SQLITE_OK;
}

} // namespace HostDb
