// FirstRowsFilter: keeps the first rows of what a data view's other filters let through, in the
// order of the table behind it, before the view sorts them. The holdings page's stock table is
// filled with the stocks most funds hold first, so this keeps those, in whatever order the list is
// sorted; the report uses it to print the top of a list too long to print whole.
#pragma once

#include <sdk/Data.h>
#include <sdk/RefCounted.h>

class FirstRowsFilter : public XRefCounted<Data::IDataFilter> {
public:
    // Created with one reference, owned by the creator; counted as every object is (XRefCounted).
    explicit FirstRowsFilter(int rows);

    void Filter(Data::IDataTable* table, int* rows, int* count) override;

private:
    ~FirstRowsFilter() override;

    int m_rows;
};
