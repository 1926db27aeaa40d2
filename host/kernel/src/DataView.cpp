// Sections: source and plumbing; the Data::IDataView operations; deriving the rows; sorting.
#include <hostkernel/DataTable.h>
#include <hostkernel/DataView.h>
#include <hostkernel/TextOrder.h>
#include <hostkernel/UpdateContext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace HostKernel {

// ---- source and plumbing ---------------------------------------------------------------------

XComPtr<DataView> DataView::Create() {
    XComPtr<DataView> view;
    view.Attach(new DataView());
    return view;
}

DataView::~DataView() {
    if (m_sourceTable)
        m_sourceTable->DetachDownstream(this);
    if (m_sourceView)
        m_sourceView->DetachDownstream(this);
}

DataTable* DataView::RootTable() const {
    if (m_sourceTable)
        return m_sourceTable.Get();
    // Cycles are refused by SetSource, so the walk ends.
    return m_sourceView ? m_sourceView->RootTable() : nullptr;
}

void DataView::OnBeforeChangeHook() {
    if (m_listener)
        m_listener->OnBeforeChange(this);
}

void DataView::OnApplyChangeHook() {
    Rederive();
    if (m_listener)
        m_listener->OnAfterChange(this);
}

void DataView::Change() {
    BeginChange();
    EndChange();
}

// ---- the Data::IDataView operations ----------------------------------------------------------

bool DataView::GetRow(Data::IDataRow** row, int index) {
    if (row == nullptr)
        return false;
    *row = nullptr;
    DataTable* table = RootTable();
    int at = RootIndex(index);
    return table != nullptr && at >= 0 && table->GetRow(row, at);
}

bool DataView::GetColumnItem(Data::IColumnItem** item, int column) {
    if (item == nullptr)
        return false;
    *item = nullptr;
    DataTable* table = RootTable();
    return table != nullptr && table->GetColumnItem(item, column);
}

int DataView::GetColumnIndex(const wchar_t* name) {
    DataTable* table = RootTable();
    return table != nullptr ? table->GetColumnIndex(name) : -1;
}

int DataView::GetColumnCount() {
    DataTable* table = RootTable();
    return table != nullptr ? table->GetColumnCount() : 0;
}

void DataView::Reapply(int /*reserved*/) {
    Change();
}

bool DataView::SetSource(Data::IDataContainer* source) {
    XComPtr<DataTable> table;
    XComPtr<DataView> view;
    if (source != nullptr) {
        table = dynamic_cast<DataTable*>(source);
        view = dynamic_cast<DataView*>(source);
        if (!table && !view)
            return false;
        for (DataView* v = view.Get(); v != nullptr; v = v->m_sourceView.Get())
            if (v == this)
                return false;
    }
    if (table == m_sourceTable && view == m_sourceView)
        return true;
    BeginChange();
    if (m_sourceTable)
        m_sourceTable->DetachDownstream(this);
    if (m_sourceView)
        m_sourceView->DetachDownstream(this);
    m_sourceTable = table;
    m_sourceView = view;
    EndChange();
    // Attached after this change is complete, so that a change the source has pending reaches
    // the view as a change of its own, ending when the source's does.
    if (m_sourceTable)
        m_sourceTable->AttachDownstream(this);
    if (m_sourceView)
        m_sourceView->AttachDownstream(this);
    return true;
}

void DataView::SetListener(Data::IDataViewEvent* listener) {
    m_listener = listener;
}

bool DataView::BeginUpdate(Data::IUpdateContext** context) {
    if (context == nullptr)
        return false;
    *context = new UpdateContext(this, static_cast<Data::IDataView*>(this));
    return true;
}

void DataView::AddFilter(Data::IDataFilter* filter) {
    if (filter == nullptr)
        return;
    for (auto& f : m_filters)
        if (f.Get() == filter)
            return;
    BeginChange();
    m_filters.emplace_back(filter);
    EndChange();
}

void DataView::RemoveFilter(Data::IDataFilter* filter) {
    auto it = std::find_if(m_filters.begin(), m_filters.end(), [&](auto& f) { return f.Get() == filter; });
    if (it == m_filters.end())
        return;
    BeginChange();
    // The reference is dropped after the change, so a filter that dies with it is not in use.
    XComPtr<Data::IDataFilter> removed = std::move(*it);
    m_filters.erase(it);
    EndChange();
}

void DataView::SetSorter(Data::IDataSorter* sorter) {
    BeginChange();
    m_sorter = sorter;
    EndChange();
}

int DataView::GetSourceIndex(int row) {
    if (row < 0 || row >= static_cast<int>(m_positions.size()))
        return -1;
    return m_positions[static_cast<std::size_t>(row)];
}

// ---- deriving the rows -----------------------------------------------------------------------

void DataView::Rederive() {
    DataTable* table = RootTable();
    if (table == nullptr) {
        m_rows.clear();
        m_positions.clear();
        return;
    }
    const int tableRows = table->GetRowCount();
    std::vector<int> rows;
    // For a view source, where each root row stands in the source view (-1: not there).
    std::vector<int> sourcePosition;
    if (m_sourceTable) {
        rows.resize(static_cast<std::size_t>(tableRows));
        std::iota(rows.begin(), rows.end(), 0);
    } else {
        // An upstream view inside a batch may still hold rows the table no longer has.
        sourcePosition.assign(static_cast<std::size_t>(tableRows), -1);
        const std::vector<int>& upstream = m_sourceView->RootRows();
        rows.reserve(upstream.size());
        for (std::size_t p = 0; p < upstream.size(); ++p) {
            int r = upstream[p];
            if (r >= 0 && r < tableRows && sourcePosition[static_cast<std::size_t>(r)] < 0) {
                sourcePosition[static_cast<std::size_t>(r)] = static_cast<int>(p);
                rows.push_back(r);
            }
        }
    }

    if (!m_filters.empty()) {
        // Filters are the module's code: the list is copied so that one removing itself while it
        // runs cannot invalidate the walk, and whatever a filter writes back is checked.
        auto filters = m_filters;
        for (auto& filter : filters) {
            if (rows.empty())
                break;
            int count = static_cast<int>(rows.size());
            filter->Filter(table, rows.data(), &count);
            rows.resize(static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(rows.size()))));
        }
        std::vector<std::uint8_t> seen(static_cast<std::size_t>(tableRows), 0);
        auto bad = [&](int r) {
            if (r < 0 || r >= tableRows || seen[static_cast<std::size_t>(r)] != 0)
                return true;
            if (!sourcePosition.empty() && sourcePosition[static_cast<std::size_t>(r)] < 0)
                return true;
            seen[static_cast<std::size_t>(r)] = 1;
            return false;
        };
        rows.erase(std::remove_if(rows.begin(), rows.end(), bad), rows.end());
    }

    std::vector<int> positions(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        positions[i] = sourcePosition.empty() ? rows[i] : sourcePosition[static_cast<std::size_t>(rows[i])];
    Sort(*table, rows, positions);
    m_rows.swap(rows);
    m_positions.swap(positions);
}

// ---- sorting ---------------------------------------------------------------------------------

namespace {

// How a key's texts compare: by code units, in natural order (a tagged column), or as ranks (the
// tag 1).
enum class TextOrder { CodeUnits, Natural, Rank };

struct SortKey {
    int column;
    int kind;
    bool ascending;
    TextOrder order;
};

TextOrder OrderOfTag(void* tag) {
    if (tag == nullptr)
        return TextOrder::CodeUnits;
    return tag == reinterpret_cast<void*>(1) ? TextOrder::Rank : TextOrder::Natural;
}

int CompareTexts(TextOrder order, std::wstring_view a, std::wstring_view b) {
    switch (order) {
    case TextOrder::Natural:
        return CompareNatural(a, b);
    case TextOrder::Rank:
        return CompareRanks(a, b);
    case TextOrder::CodeUnits:
        break;
    }
    return CompareCodeUnits(a, b);
}

// Null, NaN and empty text sort after every value, whichever the direction; so does a text of a
// rank column that is no rank.
bool IsMissing(const DataTable& table, const SortKey& key, int row) {
    if (table.IsNullAt(row, key.column))
        return true;
    if (key.kind == Data::kReal)
        return std::isnan(table.RealAt(row, key.column));
    if (key.kind == Data::kText)
        return table.TextAt(row, key.column).empty() ||
               (key.order == TextOrder::Rank && RankPosition(table.TextAt(row, key.column)) < 0);
    return false;
}

int CompareValues(const DataTable& table, const SortKey& key, int a, int b) {
    switch (key.kind) {
    case Data::kReal: {
        double x = table.RealAt(a, key.column), y = table.RealAt(b, key.column);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    case Data::kInteger: {
        std::int64_t x = table.IntegerAt(a, key.column), y = table.IntegerAt(b, key.column);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    default:
        return CompareTexts(key.order, table.TextAt(a, key.column), table.TextAt(b, key.column));
    }
}

// Sorts positions 0..n-1 of a numeric column by value; ties and missing values keep their order.
template <class Value, class Read>
std::vector<std::uint32_t> SortNumbers(const std::vector<int>& rows, bool ascending, Read read) {
    struct Entry {
        Value value;
        std::uint32_t at;
    };
    std::vector<Entry> values;
    std::vector<std::uint32_t> missing;
    values.reserve(rows.size());
    for (std::uint32_t i = 0; i < rows.size(); ++i) {
        Value v{};
        if (read(rows[i], v))
            values.push_back({v, i});
        else
            missing.push_back(i);
    }
    // The position breaks ties, which makes an unstable sort stable and faster than stable_sort.
    if (ascending)
        std::sort(values.begin(), values.end(), [](const Entry& x, const Entry& y) {
            return x.value < y.value || (!(y.value < x.value) && x.at < y.at);
        });
    else
        std::sort(values.begin(), values.end(), [](const Entry& x, const Entry& y) {
            return y.value < x.value || (!(x.value < y.value) && x.at < y.at);
        });
    std::vector<std::uint32_t> order;
    order.reserve(rows.size());
    for (const Entry& e : values)
        order.push_back(e.at);
    order.insert(order.end(), missing.begin(), missing.end());
    return order;
}

} // namespace

void DataView::Sort(DataTable& table, std::vector<int>& rows, std::vector<int>& positions) {
    if (!m_sorter || rows.size() < 2)
        return;
    std::vector<SortKey> keys;
    int count = m_sorter->GetKeyCount();
    for (int k = 0; k < count; ++k) {
        XStringW field;
        bool ascending = true;
        if (!m_sorter->GetKey(k, field, ascending))
            continue;
        int column = table.GetColumnIndex(field.c_str());
        if (column < 0)
            continue;
        int kind = table.KindAt(column);
        keys.push_back({column, kind, ascending,
                        kind == Data::kText ? OrderOfTag(table.TagAt(column)) : TextOrder::CodeUnits});
    }
    if (keys.empty())
        return;

    std::vector<std::uint32_t> order;
    const SortKey& first = keys.front();
    if (keys.size() == 1 && first.kind == Data::kReal) {
        order = SortNumbers<double>(rows, first.ascending, [&](int r, double& v) {
            v = table.RealAt(r, first.column);
            return !table.IsNullAt(r, first.column) && !std::isnan(v);
        });
    } else if (keys.size() == 1 && first.kind == Data::kInteger) {
        order = SortNumbers<std::int64_t>(rows, first.ascending, [&](int r, std::int64_t& v) {
            v = table.IntegerAt(r, first.column);
            return !table.IsNullAt(r, first.column);
        });
    } else if (keys.size() == 1) {
        // One text key: the texts are looked up once, not at every comparison.
        struct Entry {
            std::wstring_view text;
            std::uint32_t at;
        };
        std::vector<Entry> values;
        std::vector<std::uint32_t> missing;
        values.reserve(rows.size());
        for (std::uint32_t i = 0; i < rows.size(); ++i) {
            if (IsMissing(table, first, rows[i]))
                missing.push_back(i);
            else
                values.push_back({table.TextAt(rows[i], first.column), i});
        }
        std::sort(values.begin(), values.end(), [&](const Entry& x, const Entry& y) {
            int c = CompareTexts(first.order, x.text, y.text);
            if (c != 0)
                return first.ascending ? c < 0 : c > 0;
            return x.at < y.at;
        });
        order.reserve(rows.size());
        for (const Entry& e : values)
            order.push_back(e.at);
        order.insert(order.end(), missing.begin(), missing.end());
    } else {
        order.resize(rows.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
            int a = rows[x], b = rows[y];
            for (const SortKey& key : keys) {
                bool ma = IsMissing(table, key, a), mb = IsMissing(table, key, b);
                if (ma != mb)
                    return mb;
                if (ma)
                    continue;
                int c = CompareValues(table, key, a, b);
                if (c != 0)
                    return key.ascending ? c < 0 : c > 0;
            }
            return x < y;
        });
    }
    std::vector<int> sortedRows(rows.size()), sortedPositions(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sortedRows[i] = rows[order[i]];
        sortedPositions[i] = positions[order[i]];
    }
    rows.swap(sortedRows);
    positions.swap(sortedPositions);
}

} // namespace HostKernel
