// The host's data interfaces: the database, tables, views, filters and sorters.
//
// Conventions: every "out" parameter is a T** that receives one reference the caller owns (use
// XComPtr<T>::Receive()); pointers passed in are borrowed. Column kinds are kText, kReal and
// kInteger. Column names are wide text; SQL and cell text cross as wide text.
//
// Sections: database; containers, tables and rows; views, filters and sorters.
#pragma once

#include <sdk/IXUnknown.h>
#include <sdk/XStringW.h>

#include <cstddef>
#include <string_view>

namespace Data {

struct IDataTable;
struct IDataRow;
struct IDataElement;
struct IColumnItem;
struct IUpdateContext;

// Column kinds of host tables.
enum ColumnKind : int {
    kText = 0,
    kReal = 1,
    kInteger = 2,
};

// ---- database -------------------------------------------------------------------------------

// One result of a query, read row by row.
struct IStatement : IXUnknown {
    // Advances to the next row; false when no row is left or the statement failed.
    virtual bool Next() = 0;
    // The value of a column of the current row (from 0); null and non-numbers read as 0.
    virtual double GetDouble(int column) = 0;
    // The text of a column of the current row; null reads as empty text.
    virtual void GetString(XStringW& text, int column) = 0;
    // The number of result columns.
    virtual int GetColumnCount() = 0;
    // The reason the last Next failed, empty when it ran out of rows normally.
    virtual void GetError(XStringW& error) = 0;
    // The value of a column of the current row when the database holds it as a number (an integer,
    // or a finite real), exactly as stored and without making its text. False, with value 0, for
    // anything else (null, text, a figure that is no plain number), which GetString reads.
    virtual bool GetNumber(int column, double& value) = 0;
    // The text GetString gives, as the UTF-8 bytes the database holds, without converting them to
    // wide text: for reading many rows of which few are shown. The bytes stay valid until the next
    // call on the statement. Empty when GetString would give empty text.
    virtual std::string_view GetUtf8(int column) = 0;

protected:
    ~IStatement() = default;
};

struct IDatabase : IXUnknown {
    virtual bool IsOpen() = 0;
    // Runs one statement and, when replace is non-zero, makes the table hold exactly its result
    // (the result's columns and rows); with replace zero the rows are appended to a table of the
    // same column count. False on any error, and the table is then left as it was.
    virtual bool Execute(const wchar_t* sql, IDataTable* table, int replace, int reserved) = 0;
    // Prepares one statement. On failure the statement stays null and error holds the reason.
    virtual bool Query(IStatement** statement, const wchar_t* sql, XStringW& error) = 0;
    // The reason the last Execute failed.
    virtual void GetLastError(XStringW& error) = 0;

protected:
    ~IDatabase() = default;
};

// Offered beside IDatabase (reached with As) by a database that lets a worker thread read through a
// connection of its own while the user-interface thread goes on with the first one.
struct IDatabaseConnections : IXUnknown {
    // A new read-only connection to the same data, for one other thread: only that thread uses it
    // (Interrupt aside) and releases it. False, with the reason, when none can be opened or the host
    // offers none.
    virtual bool OpenConnection(IDatabase** connection, XStringW& error) = 0;
    // Makes the statement that runs on this connection, if any, stop soon with an error; may be
    // called from any thread.
    virtual void Interrupt() = 0;
    // A number that changes when another connection or program has changed the data since this
    // connection last looked: read results older than a change of it may be out of date.
    virtual long long DataVersion() = 0;

protected:
    ~IDatabaseConnections() = default;
};

// ---- containers, tables and rows ------------------------------------------------------------

// A column of a table: its name, kind and an opaque tag that views keep with the column.
struct IColumnItem : IXUnknown {
    // A non-zero tag makes views compare this column's texts in natural order; the tag 1 marks
    // ranks ("n/N"), which compare by n with the best (smallest n) as the greatest, so that a
    // descending sort shows the best rank first.
    virtual void* GetTag() = 0;
    virtual void SetTag(void* tag) = 0;
    virtual void GetName(XStringW& name) = 0;
    virtual int GetKind() = 0;

protected:
    ~IColumnItem() = default;
};

// The read side shared by tables and views.
struct IDataContainer : IXUnknown {
    // The row at an index of this container; false and null when out of range.
    virtual bool GetRow(IDataRow** row, int index) = 0;
    virtual bool GetColumnItem(IColumnItem** item, int column) = 0;
    // The column of this name, -1 when there is none.
    virtual int GetColumnIndex(const wchar_t* name) = 0;
    virtual bool IsEmpty() = 0;
    virtual int GetColumnCount() = 0;
    virtual int GetRowCount() = 0;

protected:
    ~IDataContainer() = default;
};

// Groups changes so that views re-derive and notify once, at Commit. Releasing an update
// context that was never committed commits it, so that no change is left unannounced.
struct IUpdateContext : IXUnknown {
    virtual void Commit() = 0;

protected:
    ~IUpdateContext() = default;
};

struct IDataTable : IDataContainer {
    virtual bool BeginUpdate(IUpdateContext** context) = 0;
    // Appends a row of null cells; returns its index.
    virtual int AddRow() = 0;
    // Appends a column of a kind (kText, kReal, kInteger; anything else counts as text) to every
    // row, null in existing rows; returns its index.
    virtual int AddColumn(int kind, const wchar_t* name) = 0;
    // Removes every row. The columns, their kinds and tags stay, with either flag (callers pass 1
    // before refilling the table themselves and 0 when emptying it for someone else).
    virtual void Clear(int flag) = 0;
    // Replaces this table's columns by copies of the source's names and kinds (tags stay 0);
    // with copyRows non-zero the source's rows come along, in the source's order.
    virtual bool CopyColumns(IDataContainer* source, int copyRows) = 0;

protected:
    ~IDataTable() = default;
};

// Offered beside IDataTable (reached with As) by a table whose cells can be written and read by
// position, without a row object per row, without measuring each text again and without copying
// the texts read: for code that goes through thousands of cells at once. Cells convert between
// kinds exactly as IDataElement's setters do. Each write is one change of the table, announced as
// AddRow and the element setters announce theirs, so a fill inside an update context (BeginUpdate)
// stays one change.
struct IDataTableCells : IXUnknown {
    // Appends `count` rows of null cells (none when count is not positive); returns the index of
    // the first, or the row count when none was added.
    virtual int AddRows(int count) = 0;
    // Out-of-range cells are ignored. A null text stores null, as SetText(nullptr) does.
    virtual void SetTextAt(int row, int column, const wchar_t* text, std::size_t length) = 0;
    virtual void SetDoubleAt(int row, int column, double value) = 0;
    virtual void SetIntAt(int row, int column, int value) = 0;
    // The text of a cell of a text column, as ToString gives it (null as empty text), without a
    // copy: the characters stay valid until the table next changes. False, and nothing, for a
    // cell out of range or of another kind, which ToString reads.
    virtual bool GetTextAt(int row, int column, const wchar_t** text, std::size_t* length) = 0;

protected:
    ~IDataTableCells() = default;
};

// One cell. Conversions between kinds:
// - SetText into a real or integer column parses the whole text (blanks around it allowed);
//   empty or unparsable text stores null. An integer column rounds a real text to the nearest
//   integer.
// - SetDouble into an integer column rounds to the nearest integer; NaN, infinities and values
//   out of the 64-bit range store null. Into a text column it stores the ToString text.
// - AsInt and AsDouble of text read its leading number as _wtof does (0 when there is none);
//   AsInt rounds a real to the nearest integer and clamps to the int range; null reads as 0.
// - ToString: text as stored; a real with at most 15 significant digits and no trailing zeros
//   ("0.1", "0.35", "1e+20"), "NaN", "Infinity" or "-Infinity"; an integer as its digits; null as
//   empty text.
struct IDataElement : IXUnknown {
    // A null pointer stores null.
    virtual void SetText(const wchar_t* text) = 0;
    virtual void SetDouble(double value) = 0;
    virtual void SetInt(int value) = 0;
    virtual int AsInt() = 0;
    virtual double AsDouble() = 0;
    virtual XStringW ToString() = 0;
    virtual bool IsNull() = 0;
    virtual void SetNull() = 0;

protected:
    ~IDataElement() = default;
};

// One row of a table. Its elements are borrowed: they live as long as the row object.
struct IDataRow : IXUnknown {
    // Null when the column is out of range or unknown.
    virtual IDataElement* GetValueAt(int column) = 0;
    virtual IDataElement* GetValue(const wchar_t* name) = 0;
    // The row's index in its table.
    virtual int GetIndex() = 0;

protected:
    ~IDataRow() = default;
};

// ---- views, filters and sorters -------------------------------------------------------------

struct IDataView;

// The listener of a view: called around every change of the view's rows.
struct IDataViewEvent : IXUnknown {
    virtual void OnBeforeChange(IDataView* view) = 0;
    virtual void OnAfterChange(IDataView* view) = 0;

protected:
    ~IDataViewEvent() = default;
};

// Keeps, in order, the row indexes that pass: rows holds *count indexes of table; the filter
// moves the kept ones to the front and writes their number back to *count.
struct IDataFilter : IXUnknown {
    virtual void Filter(IDataTable* table, int* rows, int* count) = 0;

protected:
    ~IDataFilter() = default;
};

// What a view asks of a sorter: its keys, most significant first.
struct IDataSorter : IXUnknown {
    virtual int GetKeyCount() = 0;
    virtual bool GetKey(int index, XStringW& field, bool& ascending) = 0;

protected:
    ~IDataSorter() = default;
};

// "Data.FieldSorter": one key. Ascending until told otherwise.
struct IFieldSorter : IDataSorter {
    virtual void SetField(const wchar_t* name) = 0;
    // True means ascending.
    virtual void SetAscending(bool ascending) = 0;

protected:
    ~IFieldSorter() = default;
};

// "Data.MultiFieldSorter": several keys in the order added.
struct IMultiFieldSorter : IDataSorter {
    virtual void AddKey(const wchar_t* name, bool ascending) = 0;
    virtual void Clear() = 0;

protected:
    ~IMultiFieldSorter() = default;
};

// "Data.DataView": the rows of a source (a table, another view or none) that pass every filter,
// in the sorter's order (stable; numbers by value; texts by code units, in natural order when
// the column's tag is non-zero, as ranks when it is 1; empty and null cells, and texts of a rank
// column that are no rank, after all values in both directions).
// Row access, columns and column items are those of the table behind the view.
struct IDataView : IDataContainer {
    // Applies the sorter and the filters again, for changes the view cannot see (a sorter's key,
    // a filter's values).
    virtual void Reapply(int reserved) = 0;
    // A table, a view or null. False when the source would make a cycle of views.
    virtual bool SetSource(IDataContainer* source) = 0;
    // The view keeps a reference to its listener; null removes it.
    virtual void SetListener(IDataViewEvent* listener) = 0;
    virtual bool BeginUpdate(IUpdateContext** context) = 0;
    // The view keeps a reference to each filter; adding one twice has no effect.
    virtual void AddFilter(IDataFilter* filter) = 0;
    virtual void RemoveFilter(IDataFilter* filter) = 0;
    // A field or multi-field sorter, or null for the source's order.
    virtual void SetSorter(IDataSorter* sorter) = 0;
    // The index in the view's source of a row of the view; -1 when out of range.
    virtual int GetSourceIndex(int row) = 0;

protected:
    ~IDataView() = default;
};

} // namespace Data
