// DataRow and its elements: proxies over (table, row, column). The row holds the table; its
// elements live inside the row object and forward their reference counting to it.
#pragma once

#include <hostkernel/DataTable.h>
#include <hostkernel/RefCounted.h>

#include <memory>

namespace HostKernel {

class DataRow;

class DataElement final : public Data::IDataElement {
public:
    DataElement() = default;
    void Bind(DataRow* row, int column) {
        m_row = row;
        m_column = column;
    }

    unsigned long AddRef() override;
    unsigned long Release() override;
    void SetText(const wchar_t* text) override;
    void SetDouble(double value) override;
    void SetInt(int value) override;
    int AsInt() override;
    double AsDouble() override;
    XStringW ToString() override;
    bool IsNull() override;
    void SetNull() override;

private:
    DataTable& Table() const;
    int Row() const;

    DataRow* m_row = nullptr;
    int m_column = 0;
};

class DataRow final : public RefCounted<Data::IDataRow> {
public:
    DataRow(DataTable* table, int row);

    Data::IDataElement* GetValueAt(int column) override;
    Data::IDataElement* GetValue(const wchar_t* name) override;
    int GetIndex() override { return m_row; }

    DataTable& Table() const { return *m_table; }
    int Row() const { return m_row; }

private:
    XComPtr<DataTable> m_table;
    int m_row;
    int m_columnCount;
    std::unique_ptr<DataElement[]> m_elements;
};

} // namespace HostKernel
