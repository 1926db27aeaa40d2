// Sections: creation and the Data::IDataTable operations; reading cells; writing cells; bulk
// filling and conversion.
#include <hostkernel/CellText.h>
#include <hostkernel/ColumnItem.h>
#include <hostkernel/DataTable.h>
#include <hostkernel/UpdateContext.h>

#include "DataRow.h"

#include <cmath>
#include <cwchar>

namespace HostKernel {

namespace {

int NormalKind(int kind) {
    return kind == Data::kReal || kind == Data::kInteger ? kind : Data::kText;
}

} // namespace

// ---- creation and the Data::IDataTable operations ---------------------------------------------

XComPtr<DataTable> DataTable::Create() {
    XComPtr<DataTable> table;
    table.Attach(new DataTable());
    return table;
}

bool DataTable::GetRow(Data::IDataRow** row, int index) {
    if (row == nullptr)
        return false;
    *row = nullptr;
    if (index < 0 || index >= m_rowCount)
        return false;
    *row = new DataRow(this, index);
    return true;
}

bool DataTable::GetColumnItem(Data::IColumnItem** item, int column) {
    if (item == nullptr)
        return false;
    *item = nullptr;
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return false;
    *item = m_columns[static_cast<std::size_t>(column)].item.Get();
    (*item)->AddRef();
    return true;
}

int DataTable::GetColumnIndex(const wchar_t* name) {
    if (name == nullptr)
        return -1;
    std::wstring_view wanted(name);
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].name == wanted)
            return static_cast<int>(c);
    return -1;
}

bool DataTable::BeginUpdate(Data::IUpdateContext** context) {
    if (context == nullptr)
        return false;
    *context = new UpdateContext(this, static_cast<Data::IDataTable*>(this));
    return true;
}

int DataTable::AddRow() {
    BeginChange();
    ++m_rowCount;
    // Rows are added one at a time while a table is filled: one more null cell per column.
    for (auto& column : m_columns) {
        if (column.nulls.size() + 1 != static_cast<std::size_t>(m_rowCount)) {
            ResizeColumn(column, m_rowCount);
            continue;
        }
        AppendNullCell(column);
    }
    EndChange();
    return m_rowCount - 1;
}

int DataTable::AddColumn(int kind, const wchar_t* name) {
    BeginChange();
    Column column;
    column.kind = NormalKind(kind);
    column.name = name != nullptr ? name : L"";
    column.item.Attach(new ColumnItem(column.name, column.kind));
    ResizeColumn(column, m_rowCount);
    m_columns.push_back(std::move(column));
    EndChange();
    return static_cast<int>(m_columns.size()) - 1;
}

void DataTable::Clear(int /*flag*/) {
    BeginChange();
    m_rowCount = 0;
    for (auto& column : m_columns) {
        ResizeColumn(column, 0);
        column.pool.clear();
        column.garbage = 0;
    }
    EndChange();
}

bool DataTable::CopyColumns(Data::IDataContainer* source, int copyRows) {
    if (source == nullptr || source == static_cast<Data::IDataContainer*>(this))
        return false;
    XComPtr<DataTable> copy = Create();
    int columns = source->GetColumnCount();
    for (int c = 0; c < columns; ++c) {
        XComPtr<Data::IColumnItem> item;
        if (!source->GetColumnItem(item.Receive(), c))
            return false;
        XStringW name;
        item->GetName(name);
        copy->AddColumn(item->GetKind(), name.c_str());
    }
    if (copyRows != 0) {
        int rows = source->GetRowCount();
        copy->ReserveRows(rows);
        for (int r = 0; r < rows; ++r) {
            XComPtr<Data::IDataRow> row;
            if (!source->GetRow(row.Receive(), r))
                continue;
            int at = copy->AddRow();
            for (int c = 0; c < columns; ++c) {
                Data::IDataElement* e = row->GetValueAt(c);
                if (e == nullptr || e->IsNull())
                    continue;
                switch (copy->KindAt(c)) {
                case Data::kReal:
                    copy->PutReal(at, c, e->AsDouble());
                    break;
                case Data::kInteger: {
                    // Through text, so that integers beyond the int range survive the copy.
                    std::int64_t value = 0;
                    if (ParseInteger(e->ToString().str(), value))
                        copy->PutInteger(at, c, value);
                    break;
                }
                default:
                    copy->PutText(at, c, e->ToString().str());
                }
            }
        }
    }
    TakeContents(*copy);
    return true;
}

// ---- the Data::IDataTableCells operations ----------------------------------------------------------

int DataTable::AddRows(int count) {
    if (count <= 0)
        return m_rowCount;
    BeginChange();
    int first = m_rowCount;
    m_rowCount += count;
    for (auto& column : m_columns)
        ResizeColumn(column, m_rowCount);
    EndChange();
    return first;
}

void DataTable::SetTextAt(int row, int column, const wchar_t* text, std::size_t length) {
    if (text == nullptr)
        SetCellNull(row, column);
    else
        SetCellText(row, column, std::wstring_view(text, length));
}

void DataTable::SetDoubleAt(int row, int column, double value) {
    SetCellDouble(row, column, value);
}

void DataTable::SetIntAt(int row, int column, int value) {
    SetCellInteger(row, column, value);
}

bool DataTable::GetTextAt(int row, int column, const wchar_t** text, std::size_t* length) {
    if (text == nullptr || length == nullptr || !IsValidCell(row, column) || KindAt(column) != Data::kText)
        return false;
    std::wstring_view view = IsNullAt(row, column) ? std::wstring_view() : TextAt(row, column);
    *text = view.data() != nullptr ? view.data() : L"";
    *length = view.size();
    return true;
}

// ---- reading cells ---------------------------------------------------------------------------

std::wstring_view DataTable::TextAt(int row, int column) const {
    const Column& col = m_columns[static_cast<std::size_t>(column)];
    return ViewOf(col, col.spans[static_cast<std::size_t>(row)]);
}

void* DataTable::TagAt(int column) const {
    return m_columns[static_cast<std::size_t>(column)].item->GetTag();
}

std::wstring DataTable::CellText(int row, int column) const {
    if (CellIsNull(row, column))
        return {};
    switch (KindAt(column)) {
    case Data::kReal:
        return FormatReal(RealAt(row, column));
    case Data::kInteger:
        return FormatInteger(IntegerAt(row, column));
    default:
        return std::wstring(TextAt(row, column));
    }
}

double DataTable::CellDouble(int row, int column) const {
    if (CellIsNull(row, column))
        return 0;
    switch (KindAt(column)) {
    case Data::kReal:
        return RealAt(row, column);
    case Data::kInteger:
        return static_cast<double>(IntegerAt(row, column));
    default:
        return LeadingNumber(TextAt(row, column));
    }
}

std::int64_t DataTable::CellInteger(int row, int column) const {
    if (CellIsNull(row, column))
        return 0;
    std::int64_t value = 0;
    switch (KindAt(column)) {
    case Data::kInteger:
        return IntegerAt(row, column);
    case Data::kReal: {
        double real = RealAt(row, column);
        if (RealToInteger(real, value))
            return value;
        // Out-of-range values saturate; NaN reads as 0.
        return std::isnan(real) ? 0 : (real > 0 ? INT64_MAX : INT64_MIN);
    }
    default: {
        double real = LeadingNumber(TextAt(row, column));
        return RealToInteger(real, value) ? value : 0;
    }
    }
}

// ---- writing cells ---------------------------------------------------------------------------

void DataTable::SetCellText(int row, int column, std::wstring_view text) {
    if (!IsValidCell(row, column))
        return;
    BeginChange();
    PutText(row, column, text);
    EndChange();
}

void DataTable::SetCellDouble(int row, int column, double value) {
    if (!IsValidCell(row, column))
        return;
    BeginChange();
    PutReal(row, column, value);
    EndChange();
}

void DataTable::SetCellInteger(int row, int column, std::int64_t value) {
    if (!IsValidCell(row, column))
        return;
    BeginChange();
    PutInteger(row, column, value);
    EndChange();
}

void DataTable::SetCellNull(int row, int column) {
    if (!IsValidCell(row, column))
        return;
    BeginChange();
    Column& col = m_columns[static_cast<std::size_t>(column)];
    if (col.kind == Data::kText) {
        col.garbage += col.spans[static_cast<std::size_t>(row)].length;
        col.spans[static_cast<std::size_t>(row)] = {};
    }
    col.nulls[static_cast<std::size_t>(row)] = 1;
    EndChange();
}

// ---- bulk filling and conversion -------------------------------------------------------------

void DataTable::ResizeColumn(Column& column, int rows) {
    auto n = static_cast<std::size_t>(rows);
    column.nulls.resize(n, 1);
    switch (column.kind) {
    case Data::kReal:
        column.reals.resize(n, 0.0);
        break;
    case Data::kInteger:
        column.integers.resize(n, 0);
        break;
    default:
        column.spans.resize(n);
    }
}

void DataTable::ReserveLike(const DataTable& other) {
    ReserveRows(other.m_rowCount);
    for (std::size_t c = 0; c < m_columns.size() && c < other.m_columns.size(); ++c)
        if (m_columns[c].kind == Data::kText)
            m_columns[c].pool.reserve(other.m_columns[c].pool.size());
}

void DataTable::InheritTags(DataTable& other) {
    for (auto& column : m_columns) {
        int from = other.GetColumnIndex(column.name.c_str());
        if (from >= 0)
            column.item->SetTag(other.TagAt(from));
    }
}

int DataTable::AppendRowQuietly() {
    for (auto& column : m_columns)
        AppendNullCell(column);
    return m_rowCount++;
}

void DataTable::AppendNullCell(Column& column) {
    column.nulls.push_back(1);
    switch (column.kind) {
    case Data::kReal:
        column.reals.push_back(0.0);
        break;
    case Data::kInteger:
        column.integers.push_back(0);
        break;
    default:
        column.spans.emplace_back();
    }
}

void DataTable::ReserveRows(int rows) {
    if (rows <= 0)
        return;
    auto n = static_cast<std::size_t>(rows);
    for (auto& column : m_columns) {
        column.nulls.reserve(n);
        column.reals.reserve(column.kind == Data::kReal ? n : 0);
        column.integers.reserve(column.kind == Data::kInteger ? n : 0);
        column.spans.reserve(column.kind == Data::kText ? n : 0);
    }
}

void DataTable::CompactPool(Column& column) {
    CharPool pool;
    pool.reserve(column.pool.size() - column.garbage);
    for (std::size_t r = 0; r < column.spans.size(); ++r) {
        TextSpan& span = column.spans[r];
        if (column.nulls[r] != 0)
            continue;
        std::uint32_t offset = static_cast<std::uint32_t>(pool.size());
        pool.append(ViewOf(column, span));
        span.offset = offset;
    }
    column.pool.swap(pool);
    column.garbage = 0;
}

void DataTable::StoreText(Column& column, int row, std::wstring_view text) {
    TextSpan& span = column.spans[static_cast<std::size_t>(row)];
    bool wasNull = column.nulls[static_cast<std::size_t>(row)] != 0;
    if (!wasNull && text.size() <= span.length) {
        // Shorter or equal text is written in place, leaving the rest of the old text as garbage.
        if (!text.empty())
            std::wmemcpy(column.pool.data() + span.offset, text.data(), text.size());
        column.garbage += span.length - text.size();
        span.length = static_cast<std::uint32_t>(text.size());
    } else {
        if (!wasNull)
            column.garbage += span.length;
        // Offsets are 32-bit: a column that would outgrow them is compacted first.
        if (column.garbage > 0 &&
            (column.garbage > column.pool.size() / 2 || column.pool.size() + text.size() > UINT32_MAX)) {
            span = {};
            column.nulls[static_cast<std::size_t>(row)] = 1;
            CompactPool(column);
        }
        if (column.pool.size() + text.size() > UINT32_MAX) {
            span = {};
            column.nulls[static_cast<std::size_t>(row)] = 1;
            return;
        }
        span.offset = static_cast<std::uint32_t>(column.pool.size());
        span.length = static_cast<std::uint32_t>(text.size());
        column.pool.append(text);
    }
    column.nulls[static_cast<std::size_t>(row)] = 0;
}

void DataTable::PutText(int row, int column, std::wstring_view text) {
    Column& col = m_columns[static_cast<std::size_t>(column)];
    auto r = static_cast<std::size_t>(row);
    switch (col.kind) {
    case Data::kReal: {
        double value = 0;
        bool ok = ParseReal(text, value);
        col.reals[r] = ok ? value : 0.0;
        col.nulls[r] = ok ? 0 : 1;
        break;
    }
    case Data::kInteger: {
        std::int64_t value = 0;
        bool ok = ParseInteger(text, value);
        col.integers[r] = ok ? value : 0;
        col.nulls[r] = ok ? 0 : 1;
        break;
    }
    default:
        StoreText(col, row, text);
    }
}

void DataTable::PutUtf8(int row, int column, const char* text, std::size_t length) {
    Column& col = m_columns[static_cast<std::size_t>(column)];
    if (col.kind != Data::kText) {
        std::wstring wide;
        AppendUtf8(wide, text, length);
        PutText(row, column, wide);
        return;
    }
    // Decoded straight into the pool: the common case of filling a fresh row needs no buffer.
    TextSpan& span = col.spans[static_cast<std::size_t>(row)];
    if (col.nulls[static_cast<std::size_t>(row)] == 0)
        col.garbage += span.length;
    std::size_t start = col.pool.size();
    col.pool.Truncate(start + DecodeUtf8(col.pool.Grow(length), text, length));
    if (col.pool.size() > UINT32_MAX) {
        col.pool.Truncate(start);
        span = {};
        col.nulls[static_cast<std::size_t>(row)] = 1;
        return;
    }
    span.offset = static_cast<std::uint32_t>(start);
    span.length = static_cast<std::uint32_t>(col.pool.size() - start);
    col.nulls[static_cast<std::size_t>(row)] = 0;
}

void DataTable::PutReal(int row, int column, double value) {
    Column& col = m_columns[static_cast<std::size_t>(column)];
    auto r = static_cast<std::size_t>(row);
    switch (col.kind) {
    case Data::kReal:
        col.reals[r] = value;
        col.nulls[r] = 0;
        break;
    case Data::kInteger: {
        std::int64_t integer = 0;
        bool ok = RealToInteger(value, integer);
        col.integers[r] = integer;
        col.nulls[r] = ok ? 0 : 1;
        break;
    }
    default:
        StoreText(col, row, FormatReal(value));
    }
}

void DataTable::PutInteger(int row, int column, std::int64_t value) {
    Column& col = m_columns[static_cast<std::size_t>(column)];
    auto r = static_cast<std::size_t>(row);
    switch (col.kind) {
    case Data::kReal:
        col.reals[r] = static_cast<double>(value);
        col.nulls[r] = 0;
        break;
    case Data::kInteger:
        col.integers[r] = value;
        col.nulls[r] = 0;
        break;
    default:
        StoreText(col, row, FormatInteger(value));
    }
}

void DataTable::ConvertColumn(int column, int kind) {
    kind = NormalKind(kind);
    Column& old = m_columns[static_cast<std::size_t>(column)];
    if (old.kind == kind)
        return;
    Column converted;
    converted.kind = kind;
    converted.name = old.name;
    converted.item = old.item;
    converted.item->SetKind(kind);
    ResizeColumn(converted, m_rowCount);
    std::swap(m_columns[static_cast<std::size_t>(column)], converted);
    // `converted` now holds the old values; each is written again through the new kind.
    for (int r = 0; r < m_rowCount; ++r) {
        auto i = static_cast<std::size_t>(r);
        if (converted.nulls[i] != 0)
            continue;
        switch (converted.kind) {
        case Data::kReal:
            PutReal(r, column, converted.reals[i]);
            break;
        case Data::kInteger:
            PutInteger(r, column, converted.integers[i]);
            break;
        default:
            PutText(r, column, ViewOf(converted, converted.spans[i]));
        }
    }
}

void DataTable::TakeContents(DataTable& other) {
    if (&other == this)
        return;
    BeginChange();
    m_columns = std::move(other.m_columns);
    m_rowCount = other.m_rowCount;
    other.m_columns.clear();
    other.m_rowCount = 0;
    EndChange();
}

bool DataTable::AppendRows(const DataTable& other) {
    if (other.m_columns.size() != m_columns.size())
        return false;
    BeginChange();
    int first = m_rowCount;
    m_rowCount += other.m_rowCount;
    for (auto& column : m_columns)
        ResizeColumn(column, m_rowCount);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        int col = static_cast<int>(c);
        for (int r = 0; r < other.m_rowCount; ++r) {
            if (other.IsNullAt(r, col))
                continue;
            switch (other.KindAt(col)) {
            case Data::kReal:
                PutReal(first + r, col, other.RealAt(r, col));
                break;
            case Data::kInteger:
                PutInteger(first + r, col, other.IntegerAt(r, col));
                break;
            default:
                PutText(first + r, col, other.TextAt(r, col));
            }
        }
    }
    EndChange();
    return true;
}

} // namespace HostKernel
