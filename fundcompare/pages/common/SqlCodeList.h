// Building fund codes and other text into SQL. Codes come from the compared-fund set, which other
// modules can fill, so none of them may end a literal early: every single quote is doubled, which
// is SQLite's only escape inside a '...' literal.
#pragma once

#include <sdk/XStringW.h>

namespace SqlCodeList {

// The text with every single quote doubled, for use between single quotes (for example a report
// date in a template's '%s' slot).
inline XStringW EscapeLiteral(const XStringW& text) {
    std::wstring escaped;
    escaped.reserve(text.length() + 2);
    for (wchar_t c : text.str()) {
        escaped += c;
        if (c == L'\'')
            escaped += L'\'';
    }
    return XStringW(std::move(escaped));
}

// The codes, in the order given, each as a '...' literal, joined with "," and no blank:
// 'A','B'. Empty for no codes.
template <class Codes>
XStringW JoinQuoted(const Codes& codes) {
    XStringW list;
    bool first = true;
    for (const XStringW& code : codes) {
        if (!first)
            list += L",";
        first = false;
        list += L"'";
        list += EscapeLiteral(code);
        list += L"'";
    }
    return list;
}

// The parenthesised list that follows "in": ('A','B'), or () for no codes.
template <class Codes>
XStringW Parenthesized(const Codes& codes) {
    return XStringW(L"(") + JoinQuoted(codes) + XStringW(L")");
}

// The clause that the allocation pages append to their filled template; its "()" is replaced by the
// parenthesised code list.
inline constexpr const wchar_t kFundListClause[] = L" where not a.isdeleted and a.code in () ";

template <class Codes>
XStringW FundListClause(const Codes& codes) {
    XStringW clause(kFundListClause);
    clause.replace(L"()", Parenthesized(codes));
    return clause;
}

} // namespace SqlCodeList
