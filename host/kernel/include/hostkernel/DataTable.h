// DataTable ("Data.DataTable"): a table of typed columns stored column by column.
//
// Each column keeps one vector per kind of value and a null flag per row; texts of a column share
// one character pool, so that filling and sorting touch no per-cell heap object. Row and element
// objects handed out are light proxies over (table, row, column).
//
// Sections: the Data::IDataTable operations; direct cell access for the host; change plumbing.
#pragma once

#include <hostkernel/ChangeNode.h>
#include <hostkernel/CharPool.h>
#include <hostkernel/ColumnItem.h>
#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace HostKernel {

class DataTable final : public RefCounted<Data::IDataTable, Data::IDataTableCells>, public ChangeNode {
public:
    static XComPtr<DataTable> Create();

    // Data::IDataContainer
    bool GetRow(Data::IDataRow** row, int index) override;
    bool GetColumnItem(Data::IColumnItem** item, int column) override;
    int GetColumnIndex(const wchar_t* name) override;
    bool IsEmpty() override { return m_rowCount == 0; }
    int GetColumnCount() override { return static_cast<int>(m_columns.size()); }
    int GetRowCount() override { return m_rowCount; }

    // Data::IDataTable
    bool BeginUpdate(Data::IUpdateContext** context) override;
    int AddRow() override;
    int AddColumn(int kind, const wchar_t* name) override;
    void Clear(int flag) override;
    bool CopyColumns(Data::IDataContainer* source, int copyRows) override;

    // Data::IDataTableCells
    int AddRows(int count) override;
    void SetTextAt(int row, int column, const wchar_t* text, std::size_t length) override;
    void SetDoubleAt(int row, int column, double value) override;
    void SetIntAt(int row, int column, int value) override;
    bool GetTextAt(int row, int column, const wchar_t** text, std::size_t* length) override;

    // ---- direct cell access; row and column must be in range unless stated --------------------
    bool IsValidCell(int row, int column) const {
        return row >= 0 && row < m_rowCount && column >= 0 && column < static_cast<int>(m_columns.size());
    }
    int KindAt(int column) const { return m_columns[column].kind; }
    bool IsNullAt(int row, int column) const { return m_columns[column].nulls[row] != 0; }
    std::wstring_view TextAt(int row, int column) const;
    double RealAt(int row, int column) const { return m_columns[column].reals[row]; }
    std::int64_t IntegerAt(int row, int column) const { return m_columns[column].integers[row]; }
    void* TagAt(int column) const;

    // Reading in any kind; out-of-range cells read as null.
    std::wstring CellText(int row, int column) const;
    double CellDouble(int row, int column) const;
    std::int64_t CellInteger(int row, int column) const;
    bool CellIsNull(int row, int column) const { return !IsValidCell(row, column) || IsNullAt(row, column); }

    // Writing with conversion to the column's kind and change announcement; out of range ignored.
    void SetCellText(int row, int column, std::wstring_view text);
    void SetCellDouble(int row, int column, double value);
    void SetCellInteger(int row, int column, std::int64_t value);
    void SetCellNull(int row, int column);

    // Bulk filling without announcements, for a table that no view watches yet (a result being
    // built). The row must exist.
    void PutText(int row, int column, std::wstring_view text);
    void PutUtf8(int row, int column, const char* text, std::size_t length);
    void PutReal(int row, int column, double value);
    void PutInteger(int row, int column, std::int64_t value);
    void ReserveRows(int rows);
    // Reserves room for as many rows and characters as another table holds, column by column: a
    // query that refills a table usually returns about as much as last time.
    void ReserveLike(const DataTable& other);
    // Gives each column the tag of the other table's column of the same name, so that a table
    // refilled by a query keeps the sorting choices that were made on its columns.
    void InheritTags(DataTable& other);
    // Appends a row of null cells without announcing it; returns its index.
    int AppendRowQuietly();
    // Converts a column's values to another kind (numbers to text, integers to reals, ...).
    void ConvertColumn(int column, int kind);
    // Replaces this table's columns and rows by those of other (which is left empty) as one
    // announced change.
    void TakeContents(DataTable& other);
    // Appends other's rows to this table's columns by position; false when the column counts
    // differ.
    bool AppendRows(const DataTable& other);

protected:
    void HoldSelf() override { AddRef(); }
    void DropSelf() override { Release(); }

private:
    struct TextSpan {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Column {
        XComPtr<ColumnItem> item;
        int kind = Data::kText;
        std::wstring name;
        std::vector<std::uint8_t> nulls;
        std::vector<double> reals;
        std::vector<std::int64_t> integers;
        std::vector<TextSpan> spans;
        CharPool pool;
        std::size_t garbage = 0; // pool characters no span refers to any more
    };

    DataTable() = default;

    static std::wstring_view ViewOf(const Column& column, const TextSpan& span) {
        return span.length == 0 ? std::wstring_view()
                                : std::wstring_view(column.pool.data() + span.offset, span.length);
    }

    void ResizeColumn(Column& column, int rows);
    // One null cell at the end of a column.
    static void AppendNullCell(Column& column);
    void StoreText(Column& column, int row, std::wstring_view text);
    void CompactPool(Column& column);

    std::vector<Column> m_columns;
    int m_rowCount = 0;
};

} // namespace HostKernel
