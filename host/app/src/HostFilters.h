// The two filters of the host's fund-filter page, handed to every page of the tab so that module
// pages can follow the same selection:
//   filter A keeps one investment type;
//   filter B keeps the funds of one company, or the funds whose code, display code, name or pinyin
//   initials contain a text.
// Both read only the columns every fund list has ("code", "aliascode", "name", "pycode",
// "investtype"), so they work on the module's own fund tables too.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>

#include <set>

class InvestTypeFilter final : public HostKernel::RefCounted<Data::IDataFilter> {
public:
    explicit InvestTypeFilter(XStringW type) : m_type(std::move(type)) {}
    void Filter(Data::IDataTable* table, int* rows, int* count) override;
    const XStringW& Type() const { return m_type; }

private:
    XStringW m_type;
};

class FundSearchFilter final : public HostKernel::RefCounted<Data::IDataFilter> {
public:
    // The funds of a company, by code; the company's name is kept for display.
    FundSearchFilter(XStringW company, std::set<XStringW> codes);
    // The funds whose texts contain the text (letters compared without regard to case).
    explicit FundSearchFilter(XStringW text);
    void Filter(Data::IDataTable* table, int* rows, int* count) override;
    const XStringW& Company() const { return m_company; }
    const XStringW& Text() const { return m_text; }

private:
    XStringW m_company;
    std::set<XStringW> m_codes;
    XStringW m_text; // lower-cased
};

// Lower-cases ASCII and full-width Latin letters, for searching.
XStringW FoldForSearch(const XStringW& text);
