// The host's fund filters.
#include "HostFilters.h"

namespace {

// Keeps, in order, the rows for which keep(row) is true.
template <class Keep>
void keepRows(Data::IDataTable* table, int* rows, int* count, Keep keep) {
    if (table == nullptr || rows == nullptr || count == nullptr || *count < 1)
        return;
    int kept = 0;
    for (int i = 0; i < *count; ++i) {
        XComPtr<Data::IDataRow> row;
        if (table->GetRow(row.Receive(), rows[i]) && row != nullptr && keep(row.Get()))
            rows[kept++] = rows[i];
    }
    *count = kept;
}

XStringW cell(Data::IDataRow* row, int column) {
    Data::IDataElement* e = column >= 0 ? row->GetValueAt(column) : nullptr;
    return e != nullptr ? e->ToString() : XStringW();
}

} // namespace

XStringW FoldForSearch(const XStringW& text) {
    std::wstring out = text.str();
    for (wchar_t& c : out) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        else if (c >= 0xFF21 && c <= 0xFF3A) // full-width capitals
            c = static_cast<wchar_t>(c - 0xFF21 + L'a');
        else if (c >= 0xFF41 && c <= 0xFF5A) // full-width small letters
            c = static_cast<wchar_t>(c - 0xFF41 + L'a');
    }
    return XStringW(std::move(out));
}

void InvestTypeFilter::Filter(Data::IDataTable* table, int* rows, int* count) {
    if (table == nullptr)
        return;
    int column = table->GetColumnIndex(L"investtype");
    keepRows(table, rows, count, [&](Data::IDataRow* row) { return cell(row, column) == m_type; });
}

FundSearchFilter::FundSearchFilter(XStringW company, std::set<XStringW> codes)
    : m_company(std::move(company)), m_codes(std::move(codes)) {}

FundSearchFilter::FundSearchFilter(XStringW text) : m_text(FoldForSearch(text)) {}

void FundSearchFilter::Filter(Data::IDataTable* table, int* rows, int* count) {
    if (table == nullptr)
        return;
    int code = table->GetColumnIndex(L"code");
    if (!m_company.empty()) {
        keepRows(table, rows, count,
                 [&](Data::IDataRow* row) { return m_codes.count(cell(row, code)) != 0; });
        return;
    }
    if (m_text.empty())
        return;
    int columns[] = {code, table->GetColumnIndex(L"aliascode"), table->GetColumnIndex(L"name"),
                     table->GetColumnIndex(L"pycode")};
    keepRows(table, rows, count, [&](Data::IDataRow* row) {
        for (int column : columns)
            if (column >= 0 && FoldForSearch(cell(row, column)).find(m_text) != XStringW::npos)
                return true;
        return false;
    });
}
