// Number text is produced and read with to_chars/from_chars, so that a module that changes the
// process locale for its own number display cannot change what tables store or show.
#include <hostkernel/CellText.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace HostKernel {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Narrows ASCII text for the char-based number parsers; false when a character is not ASCII
// or the text is too long to be a number.
bool Narrow(std::wstring_view text, char* buffer, std::size_t capacity, std::size_t& length) {
    if (text.size() >= capacity)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] <= 0 || text[i] > 0x7F)
            return false;
        buffer[i] = static_cast<char>(text[i]);
    }
    length = text.size();
    return true;
}

} // namespace

std::wstring FormatReal(double value) {
    if (std::isnan(value))
        return L"NaN";
    if (std::isinf(value))
        return value > 0 ? L"Infinity" : L"-Infinity";
    if (value == 0)
        return L"0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::wstring(buffer, result.ptr);
}

std::wstring FormatInteger(std::int64_t value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::wstring(buffer, result.ptr);
}

bool ParseReal(std::wstring_view text, double& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == L'+')
        text.remove_prefix(1);
    char buffer[128];
    std::size_t length = 0;
    if (text.empty() || !Narrow(text, buffer, sizeof buffer, length))
        return false;
    // from_chars accepts "inf" and "nan", which are not numbers a user or a database writes.
    for (std::size_t i = 0; i < length; ++i) {
        char c = buffer[i];
        if (!(c >= '0' && c <= '9') && c != '.' && c != '-' && c != 'e' && c != 'E' && c != '+')
            return false;
    }
    double parsed = 0;
    auto result = std::from_chars(buffer, buffer + length, parsed);
    if (result.ec != std::errc() || result.ptr != buffer + length)
        return false;
    value = parsed;
    return true;
}

bool RealToInteger(double value, std::int64_t& result) {
    if (!std::isfinite(value))
        return false;
    double rounded = std::round(value);
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (rounded >= 9223372036854775808.0 || rounded < -9223372036854775808.0)
        return false;
    result = static_cast<std::int64_t>(rounded);
    return true;
}

bool ParseInteger(std::wstring_view text, std::int64_t& value) {
    std::wstring_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == L'+')
        trimmed.remove_prefix(1);
    char buffer[128];
    std::size_t length = 0;
    if (!trimmed.empty() && Narrow(trimmed, buffer, sizeof buffer, length)) {
        std::int64_t parsed = 0;
        auto result = std::from_chars(buffer, buffer + length, parsed);
        if (result.ec == std::errc() && result.ptr == buffer + length) {
            value = parsed;
            return true;
        }
    }
    double real = 0;
    return ParseReal(text, real) && RealToInteger(real, value);
}

double LeadingNumber(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    char buffer[128];
    std::size_t n = 0;
    auto take = [&](auto accept) {
        while (i < text.size() && n + 1 < sizeof buffer && accept(text[i]))
            buffer[n++] = static_cast<char>(text[i++]);
    };
    auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        if (text[i] == L'-')
            buffer[n++] = '-';
        ++i;
    }
    std::size_t mantissaStart = n;
    take(isDigit);
    if (i < text.size() && text[i] == L'.') {
        buffer[n++] = '.';
        ++i;
        take(isDigit);
    }
    bool hasDigits = false;
    for (std::size_t k = mantissaStart; k < n; ++k)
        hasDigits = hasDigits || (buffer[k] >= '0' && buffer[k] <= '9');
    if (!hasDigits)
        return 0;
    // An exponent counts only when digits follow it, as strtod reads it.
    if (i + 1 < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == L'-' || text[j] == L'+'))
            ++j;
        if (j < text.size() && isDigit(text[j]) && n + 2 < sizeof buffer) {
            buffer[n++] = 'e';
            if (text[i + 1] == L'-')
                buffer[n++] = '-';
            i = j;
            take(isDigit);
        }
    }
    double value = 0;
    auto result = std::from_chars(buffer, buffer + n, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow reads as an infinity of the sign, underflow as zero, as strtod answers.
        bool negative = buffer[0] == '-';
        const char* e = static_cast<const char*>(std::memchr(buffer, 'e', n));
        if (e != nullptr && e + 1 < buffer + n && e[1] == '-')
            return 0;
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    return value;
}

} // namespace HostKernel
