// ComparingFundFilter: the narrowing of a row array to compared funds.
#include "module/ComparingFundFilter.h"

#include "module/FundCompareModuleImpl.h"

ComparingFundFilter::ComparingFundFilter(FundCompareModuleImpl* module) : m_module(module) {}

ComparingFundFilter::~ComparingFundFilter() = default;

void ComparingFundFilter::Filter(Data::IDataTable* table, int* rows, int* count) {
    if (table == nullptr || rows == nullptr || count == nullptr || *count < 1 || m_module == nullptr)
        return;
    int column = table->GetColumnIndex(L"code");
    int kept = 0;
    for (int i = 0; i < *count; ++i) {
        XComPtr<Data::IDataRow> row;
        if (column < 0 || !table->GetRow(row.Receive(), rows[i]) || row == nullptr)
            continue;
        Data::IDataElement* code = row->GetValueAt(column);
        if (code != nullptr && m_module->IsCompared(code->ToString()))
            rows[kept++] = rows[i];
    }
    *count = kept;
}
