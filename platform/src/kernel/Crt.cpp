// Locale-independent number parsing with the Windows C runtime's rules.
#include "platform/wcrt.h"

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <locale.h>
#include <string>

namespace {

// strtod in the "C" locale, whatever the process locale is.
locale_t cLocale() {
    static locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

const wchar_t* skipSpace(const wchar_t* p) {
    while (*p == L' ' || *p == L'\t' || *p == L'\n' || *p == L'\r' || *p == L'\f' || *p == L'\v')
        ++p;
    return p;
}

} // namespace

extern "C" {

double _wtof(const wchar_t* text) {
    if (text == nullptr)
        return 0.0;
    const wchar_t* p = skipSpace(text);
    // Only ASCII can be part of a number: narrow the candidate prefix and let strtod decide how much
    // of it is valid.
    std::string ascii;
    for (; *p != L'\0' && *p < 0x80 && ascii.size() < 512; ++p) {
        char c = static_cast<char>(*p);
        bool numberChar = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' ||
                          c == 'E' || c == 'x' || c == 'X' || (c >= 'a' && c <= 'f') ||
                          (c >= 'A' && c <= 'F') || c == 'i' || c == 'I' || c == 'n' || c == 'N' ||
                          c == 't' || c == 'T' || c == 'y' || c == 'Y' || c == 'p' || c == 'P';
        if (!numberChar)
            break;
        ascii.push_back(c);
    }
    if (ascii.empty())
        return 0.0;
    return strtod_l(ascii.c_str(), nullptr, cLocale());
}

int _wtoi(const wchar_t* text) {
    if (text == nullptr)
        return 0;
    const wchar_t* p = skipSpace(text);
    bool negative = false;
    if (*p == L'+' || *p == L'-')
        negative = *p++ == L'-';
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break; // saturated: the rest cannot bring it back into range
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int _wcsicmp(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        wchar_t ca = (*a >= L'A' && *a <= L'Z') ? static_cast<wchar_t>(*a - L'A' + L'a') : *a;
        wchar_t cb = (*b >= L'A' && *b <= L'Z') ? static_cast<wchar_t>(*b - L'A' + L'a') : *b;
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == L'\0')
            return 0;
    }
}
}
