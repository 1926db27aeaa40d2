// TopStocksFilter: the ranking of the rows let through and the cut after the first ones.
#include "pages/holdings/TopStocksFilter.h"

#include <algorithm>
#include <cmath>
#include <vector>

TopStocksFilter::TopStocksFilter(int rows, const wchar_t* holdersField, const wchar_t* weightField)
    : m_rows(std::max(0, rows)), m_holdersField(holdersField), m_weightField(weightField) {}

TopStocksFilter::~TopStocksFilter() = default;

void TopStocksFilter::Filter(Data::IDataTable* table, int* rows, int* count) {
    if (table == nullptr || rows == nullptr || count == nullptr || *count <= m_rows)
        return;
    const int holdersColumn = table->GetColumnIndex(m_holdersField);
    const int weightColumn = table->GetColumnIndex(m_weightField);
    struct Ranked {
        int position;
        double holders;
        double weight;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(static_cast<size_t>(*count));
    for (int i = 0; i < *count; ++i) {
        Ranked entry{i, 0, 0};
        XComPtr<Data::IDataRow> row;
        if (table->GetRow(row.Receive(), rows[i]) && row != nullptr) {
            if (Data::IDataElement* cell = row->GetValueAt(holdersColumn); cell != nullptr && !cell->IsNull())
                entry.holders = cell->AsDouble();
            if (Data::IDataElement* cell = row->GetValueAt(weightColumn); cell != nullptr && !cell->IsNull())
                entry.weight = cell->AsDouble();
        }
        if (!std::isfinite(entry.weight))
            entry.weight = 0;
        ranked.push_back(entry);
    }
    // The best first, ties in the order they came; then the kept ones back in that order.
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        return a.holders != b.holders ? a.holders > b.holders : a.weight > b.weight;
    });
    ranked.resize(static_cast<size_t>(m_rows));
    std::sort(ranked.begin(), ranked.end(),
              [](const Ranked& a, const Ranked& b) { return a.position < b.position; });
    for (size_t i = 0; i < ranked.size(); ++i)
        rows[i] = rows[ranked[i].position];
    *count = m_rows;
}
