// MultiValueFilter: the in-place narrowing of a view's row array.
#include "filter/MultiValueFilter.h"

#include <sdk/XComPtr.h>

#include <algorithm>

MultiValueFilter::MultiValueFilter() = default;

MultiValueFilter::~MultiValueFilter() = default;

void MultiValueFilter::SetField(const wchar_t* name) {
    m_fieldName = name != nullptr ? name : L"";
    m_columnIndex = -1;
}

void MultiValueFilter::ClearValues() {
    m_acceptedValues.clear();
}

void MultiValueFilter::AddValue(const XStringW& text) {
    if (std::find(m_acceptedValues.begin(), m_acceptedValues.end(), text) == m_acceptedValues.end())
        m_acceptedValues.push_back(text);
}

void MultiValueFilter::RemoveValue(const XStringW& text) {
    std::erase(m_acceptedValues, text);
}

void MultiValueFilter::Filter(Data::IDataTable* source, int* rows, int* count) {
    if (source == nullptr || rows == nullptr || count == nullptr || *count <= 0)
        return;
    if (m_columnIndex == -1 && !m_fieldName.empty())
        m_columnIndex = source->GetColumnIndex(m_fieldName.c_str());
    if (m_columnIndex == -1)
        return; // no such field: every row passes

    int kept = 0;
    for (int i = 0; i < *count; ++i) {
        XComPtr<Data::IDataRow> row;
        if (!source->GetRow(row.Receive(), rows[i]) || row == nullptr)
            continue;
        Data::IDataElement* cell = row->GetValueAt(m_columnIndex);
        if (cell == nullptr)
            continue;
        const XStringW text = cell->ToString();
        if (std::find(m_acceptedValues.begin(), m_acceptedValues.end(), text) != m_acceptedValues.end())
            rows[kept++] = rows[i];
    }
    *count = kept;
}
