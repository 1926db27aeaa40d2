// DataView ("Data.DataView"): the rows of a source that pass every filter, in the sorter's order.
//
// The view keeps the indexes of its rows in the table at the root of its chain, so that filters
// see that table and row access costs one lookup however long the chain is. Its rows change only
// when it re-derives, and every re-derivation is announced to its listener (before and after)
// and passed down to the views over it.
#pragma once

#include <hostkernel/ChangeNode.h>
#include <hostkernel/RefCounted.h>
#include <sdk/Data.h>
#include <sdk/XComPtr.h>

#include <vector>

namespace HostKernel {

class DataTable;

class DataView final : public RefCounted<Data::IDataView>, public ChangeNode {
public:
    static XComPtr<DataView> Create();

    // Data::IDataContainer
    bool GetRow(Data::IDataRow** row, int index) override;
    bool GetColumnItem(Data::IColumnItem** item, int column) override;
    int GetColumnIndex(const wchar_t* name) override;
    bool IsEmpty() override { return m_rows.empty(); }
    int GetColumnCount() override;
    int GetRowCount() override { return static_cast<int>(m_rows.size()); }

    // Data::IDataView
    void Reapply(int reserved) override;
    bool SetSource(Data::IDataContainer* source) override;
    void SetListener(Data::IDataViewEvent* listener) override;
    bool BeginUpdate(Data::IUpdateContext** context) override;
    void AddFilter(Data::IDataFilter* filter) override;
    void RemoveFilter(Data::IDataFilter* filter) override;
    void SetSorter(Data::IDataSorter* sorter) override;
    int GetSourceIndex(int row) override;

    // The table at the root of the chain, or null.
    DataTable* RootTable() const;
    // The root-table row of a view row, -1 when out of range.
    int RootIndex(int row) const {
        return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)] : -1;
    }
    const std::vector<int>& RootRows() const { return m_rows; }

protected:
    void OnBeforeChangeHook() override;
    void OnApplyChangeHook() override;
    bool ApplyOnEveryCommit() const override { return true; }
    void HoldSelf() override { AddRef(); }
    void DropSelf() override { Release(); }

private:
    DataView() = default;
    ~DataView() override;

    // One announced change of the view's own making (filter, sorter, source).
    void Change();
    void Rederive();
    void Sort(DataTable& table, std::vector<int>& rows, std::vector<int>& positions);

    XComPtr<DataTable> m_sourceTable;
    XComPtr<DataView> m_sourceView;
    XComPtr<Data::IDataViewEvent> m_listener;
    XComPtr<Data::IDataSorter> m_sorter;
    std::vector<XComPtr<Data::IDataFilter>> m_filters;
    std::vector<int> m_rows;      // rows of the root table, in view order
    std::vector<int> m_positions; // the same rows as positions in the source
};

} // namespace HostKernel
