// ValueFormater<V>: turns one cell value into the text a grid shows, following the column's
// `text_format` from its header document.
//
// A format has up to four parts separated by ":":
//   pattern      printf-like, e.g. "%.02f%%" (prefix, precision, suffix)
//   arithmetic   one of + - * / and an operand, e.g. "*100"
//   units        default unit, then "threshold,unit" pairs separated by ";", e.g. ";10000,万;100000000,亿"
//   map          "value=text" pairs separated by ";", e.g. "0=--"
// The formatter is parsed once and is immutable afterwards. A format that does not parse leaves the
// formatter in its reset state, which still formats (a real then shows with no decimals).
#pragma once

#include <sdk/XStringW.h>

#include <locale>
#include <map>
#include <utility>
#include <vector>

class ColumnFormat;

namespace Data {
struct IDataElement;
}

// The locale of the user's environment, made once: numbers in cells use its decimal point and digit
// grouping. An environment naming a locale that is not installed falls back to the classic locale.
const std::locale& UserNumberLocale();

template <class V>
class ValueFormater {
public:
    // The value that marks a missing or unusable value in a cell.
    static constexpr const wchar_t* kNoValue = L"--";
    // Precision meaning "the stream's default notation" (six significant digits).
    static constexpr int kDefaultNotation = 100;

    explicit ValueFormater(ColumnFormat* owner = nullptr) : m_owner(owner) {}
    virtual ~ValueFormater() = default;

    // Parses a format; false (with every field reset) when it is empty or malformed.
    virtual bool Parse(const XStringW& format);
    // The text of a host cell: "--" for a missing or null element.
    virtual XStringW Format(Data::IDataElement* element) const;
    // The text of one value (the steps after reading it from the cell).
    XStringW FormatValue(const V& value) const;

    ColumnFormat* Owner() const { return m_owner; }
    const XStringW& Prefix() const { return m_prefix; }
    const XStringW& Suffix() const { return m_suffix; }
    int Precision() const { return m_precision; }
    wchar_t Operator() const { return m_operator; }
    double Operand() const { return m_operand; }
    const std::vector<std::pair<V, XStringW>>& Units() const { return m_units; }
    const XStringW& DefaultUnit() const { return m_defaultUnit; }
    const std::map<V, XStringW>& ValueMap() const { return m_valueMap; }

private:
    void Reset();
    bool ParsePattern(const XStringW& part);
    bool ParseArithmetic(const XStringW& part);
    bool ParseUnits(const XStringW& part);
    bool ParseMap(const XStringW& part);

    ColumnFormat* m_owner;
    XStringW m_prefix;
    XStringW m_suffix;
    int m_precision = 0;
    wchar_t m_operator = 0;
    double m_operand = 0;
    std::vector<std::pair<V, XStringW>> m_units;
    XStringW m_defaultUnit;
    std::map<V, XStringW> m_valueMap;
};

extern template class ValueFormater<XStringW>;
extern template class ValueFormater<double>;
extern template class ValueFormater<int>;

// Takes the minus sign off a number whose written digits are all zero ("-0.00%" becomes "0.00%"):
// a tiny negative that rounds away is no loss, and a sign on a zero would read as one. Only the
// first number of the text counts, and only when a "-" stands right before its digits.
void DropSignOfZero(std::wstring& text);
XStringW DropSignOfZero(const XStringW& text);

// Splits text at every delimiter, keeping empty pieces (before a leading, after a trailing and
// between two adjacent delimiters); text without the delimiter is one piece.
std::vector<XStringW> SplitKeepingEmpty(const XStringW& text, wchar_t delimiter);
