// ComparingFundFilter: the data filter over the compared-fund set that the module offers the host,
// so that a host data view can show only the funds under comparison.
#pragma once

#include "filter/GuardedRefCount.h"

#include <platform/winbase.h>
#include <sdk/Data.h>

class FundCompareModuleImpl;

class ComparingFundFilter : public Data::IDataFilter {
public:
    // Created with one reference, which the module holds.
    explicit ComparingFundFilter(FundCompareModuleImpl* module);

    // Thread-safe: the count is guarded by the filter's critical section.
    unsigned long AddRef() override;
    unsigned long Release() override;
    // Keeps, in order, the rows whose "code" is compared.
    void Filter(Data::IDataTable* table, int* rows, int* count) override;

private:
    virtual ~ComparingFundFilter();

    FundCompareModuleImpl* m_module; // not owned
    GuardedRefCount m_refs;
};
