// ComparingFundFilter: the data filter over the compared-fund set that the module offers the host,
// so that a host data view can show only the funds under comparison.
#pragma once

#include <sdk/Data.h>
#include <sdk/RefCounted.h>

class FundCompareModuleImpl;

class ComparingFundFilter : public XRefCounted<Data::IDataFilter> {
public:
    // Created with one reference, which the module holds; counted as every object is
    // (XRefCounted), safely from any thread.
    explicit ComparingFundFilter(FundCompareModuleImpl* module);

    // Keeps, in order, the rows whose "code" is compared.
    void Filter(Data::IDataTable* table, int* rows, int* count) override;

private:
    ~ComparingFundFilter() override;

    FundCompareModuleImpl* m_module; // not owned
};
