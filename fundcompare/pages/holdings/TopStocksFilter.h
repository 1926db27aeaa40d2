// TopStocksFilter: keeps, of what a data view's other filters let through, the stocks held by the
// most funds (then the largest summed weight), at most a given number, in the order they came;
// the view sorts them as the list is sorted. The report uses it to print the top of a stock list
// too long to print whole.
#pragma once

#include <sdk/Data.h>
#include <sdk/RefCounted.h>

class TopStocksFilter : public XRefCounted<Data::IDataFilter> {
public:
    // Created with one reference, owned by the creator; counted as every object is (XRefCounted).
    // The fields are the stock list's count of holders and summed weight.
    TopStocksFilter(int rows, const wchar_t* holdersField, const wchar_t* weightField);

    void Filter(Data::IDataTable* table, int* rows, int* count) override;

private:
    ~TopStocksFilter() override;

    int m_rows;
    const wchar_t* m_holdersField;
    const wchar_t* m_weightField;
};
