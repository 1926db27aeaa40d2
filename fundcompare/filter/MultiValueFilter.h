// MultiValueFilter: keeps the rows of a data view whose cell in one field equals one of a set of
// accepted texts (several values combine with OR; the view combines filters with AND).
#pragma once

#include <sdk/Data.h>
#include <sdk/RefCounted.h>

#include <vector>

class MultiValueFilter : public XRefCounted<Data::IDataFilter> {
public:
    // Created with one reference, owned by the creator; counted as every object is (XRefCounted).
    MultiValueFilter();

    void Filter(Data::IDataTable* source, int* rows, int* count) override;

    // Sets the field whose text is compared; the column is looked up again on the next Filter.
    void SetField(const wchar_t* name);
    void ClearValues();
    // Appends the text unless an equal text is already there.
    void AddValue(const XStringW& text);
    // Removes every entry equal to the text.
    void RemoveValue(const XStringW& text);
    const std::vector<XStringW>& AcceptedValues() const { return m_acceptedValues; }
    const XStringW& FieldName() const { return m_fieldName; }

private:
    ~MultiValueFilter() override;

    XStringW m_fieldName;
    int m_columnIndex = -1;
    std::vector<XStringW> m_acceptedValues;
};
