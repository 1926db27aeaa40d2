#include "DataRow.h"

#include <hostkernel/CellText.h>

#include <climits>

namespace HostKernel {

DataRow::DataRow(DataTable* table, int row)
    : m_table(table), m_row(row), m_columnCount(table->GetColumnCount()),
      m_elements(new DataElement[static_cast<std::size_t>(m_columnCount)]) {
    for (int c = 0; c < m_columnCount; ++c)
        m_elements[static_cast<std::size_t>(c)].Bind(this, c);
}

Data::IDataElement* DataRow::GetValueAt(int column) {
    if (column < 0 || column >= m_columnCount)
        return nullptr;
    return &m_elements[static_cast<std::size_t>(column)];
}

Data::IDataElement* DataRow::GetValue(const wchar_t* name) {
    return GetValueAt(m_table->GetColumnIndex(name));
}

unsigned long DataElement::AddRef() {
    return m_row->AddRef();
}
unsigned long DataElement::Release() {
    return m_row->Release();
}
DataTable& DataElement::Table() const {
    return m_row->Table();
}
int DataElement::Row() const {
    return m_row->Row();
}

void DataElement::SetText(const wchar_t* text) {
    if (text == nullptr)
        Table().SetCellNull(Row(), m_column);
    else
        Table().SetCellText(Row(), m_column, text);
}

void DataElement::SetDouble(double value) {
    Table().SetCellDouble(Row(), m_column, value);
}
void DataElement::SetInt(int value) {
    Table().SetCellInteger(Row(), m_column, value);
}
void DataElement::SetNull() {
    Table().SetCellNull(Row(), m_column);
}

int DataElement::AsInt() {
    std::int64_t value = Table().CellInteger(Row(), m_column);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double DataElement::AsDouble() {
    return Table().CellDouble(Row(), m_column);
}
XStringW DataElement::ToString() {
    return XStringW(Table().CellText(Row(), m_column));
}
bool DataElement::IsNull() {
    return Table().CellIsNull(Row(), m_column);
}

} // namespace HostKernel
