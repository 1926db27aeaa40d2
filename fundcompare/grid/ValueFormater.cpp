// ValueFormater: parsing of the format mini-language and formatting of one value.
//
// Sections: the user locale, value rules per type, parsing, formatting.
#include "grid/ValueFormater.h"

#include <platform/wcrt.h>
#include <sdk/Data.h>

#include <climits>
#include <cmath>
#include <iomanip>
#include <sstream>

// ---- The user locale ---------------------------------------------------------------------------

const std::locale& UserNumberLocale() {
    static const std::locale locale = [] {
        try {
            return std::locale("");
        } catch (const std::exception&) {
            return std::locale::classic();
        }
    }();
    return locale;
}

void DropSignOfZero(std::wstring& text) {
    size_t sign = text.find_first_of(L"-0123456789");
    if (sign == std::wstring::npos || text[sign] != L'-')
        return;
    // The number runs over digits and the separators a locale may put between them.
    bool digits = false;
    for (size_t i = sign + 1; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'1' && c <= L'9')
            return;
        if (c == L'0') {
            digits = true;
            continue;
        }
        if (c == L'.' || c == L',' || c == L'\'' || c == L' ' || c == 0x00A0 || c == 0x202F)
            continue;
        break;
    }
    if (digits)
        text.erase(sign, 1);
}

XStringW DropSignOfZero(const XStringW& text) {
    std::wstring copy = text.str();
    DropSignOfZero(copy);
    return XStringW(std::move(copy));
}

std::vector<XStringW> SplitKeepingEmpty(const XStringW& text, wchar_t delimiter) {
    std::vector<XStringW> pieces;
    XStringW::size_type start = 0;
    for (;;) {
        XStringW::size_type at = text.find(delimiter, start);
        if (at == XStringW::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

namespace {

// ---- Value rules per type ------------------------------------------------------------------------
// How a threshold or map key is read from the format, and whether it is usable.

template <class V>
struct ValueRules;

template <>
struct ValueRules<XStringW> {
    static bool Parse(const XStringW& text, XStringW& value) {
        value = text;
        return true;
    }
};

template <>
struct ValueRules<double> {
    static bool Parse(const XStringW& text, double& value) {
        value = _wtof(text.c_str());
        // A NaN key or threshold could never be compared sensibly and would corrupt the ordered map.
        return !std::isnan(value);
    }
};

template <>
struct ValueRules<int> {
    static bool Parse(const XStringW& text, int& value) {
        value = _wtoi(text.c_str());
        return true;
    }
};

template <class V>
bool isZero(const V& value) {
    if constexpr (std::is_same_v<V, XStringW>)
        return false;
    else
        return value == 0;
}

XStringW unescapePercent(XStringW text) {
    text.replace(L"%%", L"%");
    return text;
}

int clampToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value); // truncates toward zero
}

double applyOperator(double value, wchar_t op, double operand) {
    switch (op) {
    case L'+':
        return value + operand;
    case L'-':
        return value - operand;
    case L'*':
        return value * operand;
    case L'/':
        return operand == 0 ? 0 : value / operand;
    default:
        return value;
    }
}

} // namespace

// ---- Parsing -------------------------------------------------------------------------------------

template <class V>
void ValueFormater<V>::Reset() {
    // The operand and the default unit are deliberately kept: without an operator and without unit
    // pairs they are never read.
    m_prefix.clear();
    m_suffix.clear();
    m_precision = 0;
    m_operator = 0;
    m_units.clear();
    m_valueMap.clear();
}

template <class V>
bool ValueFormater<V>::Parse(const XStringW& format) {
    Reset();
    if (format.empty())
        return false;
    std::vector<XStringW> parts = SplitKeepingEmpty(format, L':');
    bool ok = ParsePattern(parts[0]) && (parts.size() < 2 || ParseArithmetic(parts[1])) &&
              (parts.size() < 3 || ParseUnits(parts[2])) && (parts.size() < 4 || ParseMap(parts[3]));
    if (!ok)
        Reset();
    return ok;
}

template <class V>
bool ValueFormater<V>::ParsePattern(const XStringW& part) {
    if (part.empty())
        return true;
    // The conversion starts at the first "%" that is not the first of a "%%" pair.
    XStringW::size_type percent = part.find(L'%');
    while (percent != XStringW::npos && percent + 1 < part.size() && part[percent + 1] == L'%')
        percent = part.find(L'%', percent + 2);
    if (percent == XStringW::npos || percent + 1 == part.size())
        return false;
    XStringW::size_type letter = part.find(L'f', percent);
    if (letter == XStringW::npos)
        letter = part.find(L'd', percent);
    if (letter == XStringW::npos)
        return false;

    m_prefix = unescapePercent(part.substr(0, percent));
    m_suffix = unescapePercent(part.substr(letter + 1));
    if (part[letter] == L'd') {
        m_precision = 0;
    } else {
        // Only the one character before the "f" counts: "%.12f" gives 2.
        wchar_t before = part[letter - 1];
        m_precision = (before >= L'0' && before <= L'9') ? before - L'0' : kDefaultNotation;
    }
    return true;
}

template <class V>
bool ValueFormater<V>::ParseArithmetic(const XStringW& part) {
    if (part.empty())
        return true;
    wchar_t op = part[0];
    if (op != L'+' && op != L'-' && op != L'*' && op != L'/')
        return false;
    XStringW operand = part.substr(1);
    if (operand.empty())
        return false;
    m_operator = op;
    m_operand = _wtof(operand.c_str());
    return true;
}

template <class V>
bool ValueFormater<V>::ParseUnits(const XStringW& part) {
    if (part.empty())
        return true;
    std::vector<XStringW> pieces = SplitKeepingEmpty(part, L';');
    m_defaultUnit = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::vector<XStringW> pair = SplitKeepingEmpty(pieces[i], L',');
        if (pair.size() != 2)
            return false;
        V threshold{};
        // A zero threshold would divide by zero.
        if (!ValueRules<V>::Parse(pair[0], threshold) || isZero(threshold))
            return false;
        m_units.emplace_back(threshold, pair[1]);
    }
    return true;
}

template <class V>
bool ValueFormater<V>::ParseMap(const XStringW& part) {
    for (const XStringW& piece : SplitKeepingEmpty(part, L';')) {
        std::vector<XStringW> pair = SplitKeepingEmpty(piece, L'=');
        if (pair.size() != 2)
            return false;
        V key{};
        if (!ValueRules<V>::Parse(pair[0], key))
            return false;
        m_valueMap.emplace(key, pair[1]); // a repeated key keeps its first replacement
    }
    return true;
}

// ---- Formatting ----------------------------------------------------------------------------------

template <class V>
XStringW ValueFormater<V>::Format(Data::IDataElement* element) const {
    if (element == nullptr || element->IsNull())
        return kNoValue;
    if constexpr (std::is_same_v<V, double>)
        return FormatValue(element->AsDouble());
    else if constexpr (std::is_same_v<V, int>)
        return FormatValue(element->AsInt());
    else
        return FormatValue(element->ToString());
}

template <class V>
XStringW ValueFormater<V>::FormatValue(const V& input) const {
    V value = input;
    if constexpr (std::is_same_v<V, double>) {
        // NaN and infinities are not amounts anyone can read: they show as a missing value.
        if (!std::isfinite(value))
            return kNoValue;
    }
    auto hit = m_valueMap.find(value);
    if (hit != m_valueMap.end())
        return hit->second;

    if constexpr (std::is_same_v<V, double>) {
        value = applyOperator(value, m_operator, m_operand);
        if (!std::isfinite(value))
            return kNoValue;
    } else if constexpr (std::is_same_v<V, int>) {
        if (m_operator != 0)
            value = clampToInt(applyOperator(static_cast<double>(value), m_operator, m_operand));
    }

    XStringW unit;
    if (!m_units.empty()) {
        unit = m_defaultUnit;
        if constexpr (std::is_same_v<V, XStringW>) {
            // Text compares textually and the last entry always applies.
            unit = m_units.back().second;
        } else {
            for (auto it = m_units.rbegin(); it != m_units.rend(); ++it) {
                const V threshold = it->first;
                if constexpr (std::is_same_v<V, int>) {
                    long long v = value, t = threshold;
                    if (t <= v || v <= -t) {
                        long long q = v / t;
                        value = q > INT_MAX ? INT_MAX : static_cast<int>(q);
                        unit = it->second;
                        break;
                    }
                } else {
                    if (threshold <= value || value <= -threshold) {
                        value = value / threshold;
                        unit = it->second;
                        break;
                    }
                }
            }
        }
    }

    std::wostringstream out;
    out.imbue(UserNumberLocale());
    out << m_prefix.str();
    if constexpr (std::is_same_v<V, double>) {
        std::wostringstream number;
        number.imbue(UserNumberLocale());
        if (m_precision != kDefaultNotation)
            number << std::fixed << std::setprecision(m_precision);
        number << value;
        std::wstring written = number.str();
        DropSignOfZero(written);
        out << written;
    } else if constexpr (std::is_same_v<V, int>) {
        out << value;
    } else {
        out << value.str();
    }
    out << m_suffix.str() << unit.str();
    return XStringW(out.str());
}

template class ValueFormater<XStringW>;
template class ValueFormater<double>;
template class ValueFormater<int>;
