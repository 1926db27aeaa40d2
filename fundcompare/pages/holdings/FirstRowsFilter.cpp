// FirstRowsFilter: the cut after the first rows.
#include "pages/holdings/FirstRowsFilter.h"

#include <algorithm>

FirstRowsFilter::FirstRowsFilter(int rows) : m_rows(std::max(0, rows)) {}

FirstRowsFilter::~FirstRowsFilter() = default;

void FirstRowsFilter::Filter(Data::IDataTable*, int* rows, int* count) {
    if (rows != nullptr && count != nullptr)
        *count = std::clamp(*count, 0, m_rows);
}
