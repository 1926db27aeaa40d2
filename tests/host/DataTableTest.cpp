// Data tables: columns, rows, cells of each kind and the conversions between kinds.
#include <hostkernel/DataTable.h>
#include <sdk/Kernel.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace HostKernel;

namespace {

class DataTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = DataTable::Create();
        table->AddColumn(Data::kText, L"name");
        table->AddColumn(Data::kReal, L"value");
        table->AddColumn(Data::kInteger, L"count");
    }
    Data::IDataElement* Cell(int row, const wchar_t* column) {
        table->GetRow(rowObject.Receive(), row);
        return rowObject ? rowObject->GetValue(column) : nullptr;
    }

    XComPtr<DataTable> table;
    XComPtr<Data::IDataRow> rowObject;
};

} // namespace

TEST_F(DataTableTest, FactoryMakesTablesAndViewsAndNothingForUnknownIds) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    EXPECT_NE(object.As<Data::IDataTable>(), nullptr);
    object.Attach(createInstance("Data.DataView"));
    EXPECT_NE(object.As<Data::IDataView>(), nullptr);
    object.Attach(createInstance("Data.FieldSorter"));
    EXPECT_NE(object.As<Data::IFieldSorter>(), nullptr);
    object.Attach(createInstance("Data.MultiFieldSorter"));
    EXPECT_NE(object.As<Data::IMultiFieldSorter>(), nullptr);
    EXPECT_EQ(createInstance("Data.Nothing"), nullptr);
    EXPECT_EQ(createInstance(nullptr), nullptr);
}

TEST_F(DataTableTest, ColumnsAndRowsAreFoundByNameAndIndex) {
    EXPECT_EQ(table->GetColumnCount(), 3);
    EXPECT_EQ(table->GetColumnIndex(L"value"), 1);
    EXPECT_EQ(table->GetColumnIndex(L"Value"), -1);
    EXPECT_EQ(table->GetColumnIndex(nullptr), -1);
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_EQ(table->AddRow(), 0);
    EXPECT_EQ(table->AddRow(), 1);
    EXPECT_EQ(table->GetRowCount(), 2);
    EXPECT_FALSE(table->IsEmpty());

    XComPtr<Data::IDataRow> row;
    EXPECT_FALSE(table->GetRow(row.Receive(), 2));
    EXPECT_EQ(row, nullptr);
    EXPECT_FALSE(table->GetRow(row.Receive(), -1));
    ASSERT_TRUE(table->GetRow(row.Receive(), 1));
    EXPECT_EQ(row->GetIndex(), 1);
    EXPECT_EQ(row->GetValue(L"missing"), nullptr);
    EXPECT_EQ(row->GetValueAt(3), nullptr);
    EXPECT_TRUE(row->GetValueAt(0)->IsNull());

    XComPtr<Data::IColumnItem> item;
    ASSERT_TRUE(table->GetColumnItem(item.Receive(), 2));
    XStringW name;
    item->GetName(name);
    EXPECT_EQ(name, L"count");
    EXPECT_EQ(item->GetKind(), Data::kInteger);
    EXPECT_FALSE(table->GetColumnItem(item.Receive(), 3));
}

TEST_F(DataTableTest, NewCellsAreNullAndReadAsEmptyOrZero) {
    table->AddRow();
    for (const wchar_t* column : {L"name", L"value", L"count"}) {
        Data::IDataElement* e = Cell(0, column);
        EXPECT_TRUE(e->IsNull());
        EXPECT_EQ(e->ToString(), L"");
        EXPECT_EQ(e->AsInt(), 0);
        EXPECT_EQ(e->AsDouble(), 0);
    }
    Cell(0, L"name")->SetText(L"");
    EXPECT_FALSE(Cell(0, L"name")->IsNull());
    Cell(0, L"name")->SetText(nullptr);
    EXPECT_TRUE(Cell(0, L"name")->IsNull());
}

TEST_F(DataTableTest, TextIntoNumericColumnsIsParsedAndJunkBecomesNull) {
    table->AddRow();
    Data::IDataElement* value = Cell(0, L"value");
    value->SetText(L" 0.25 ");
    EXPECT_EQ(value->AsDouble(), 0.25);
    value->SetText(L"--");
    EXPECT_TRUE(value->IsNull());
    Data::IDataElement* count = Cell(0, L"count");
    count->SetText(L"3.6");
    EXPECT_EQ(count->AsInt(), 4);
    count->SetText(L"abc");
    EXPECT_TRUE(count->IsNull());
}

TEST_F(DataTableTest, NumbersIntoOtherKindsConvertWithoutSurprises) {
    table->AddRow();
    Cell(0, L"name")->SetDouble(0.1 + 0.25);
    EXPECT_EQ(Cell(0, L"name")->ToString(), L"0.35");
    Cell(0, L"name")->SetInt(-42);
    EXPECT_EQ(Cell(0, L"name")->ToString(), L"-42");
    // 2.9999999999 is 3, not 2: integers round rather than truncate.
    Cell(0, L"count")->SetDouble(2.9999999999);
    EXPECT_EQ(Cell(0, L"count")->AsInt(), 3);
    Cell(0, L"count")->SetDouble(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(Cell(0, L"count")->IsNull());
    Cell(0, L"count")->SetDouble(1e300);
    EXPECT_TRUE(Cell(0, L"count")->IsNull());
    Cell(0, L"value")->SetInt(7);
    EXPECT_EQ(Cell(0, L"value")->ToString(), L"7");
    Cell(0, L"value")->SetDouble(1e300);
    EXPECT_EQ(Cell(0, L"value")->AsInt(), INT_MAX);
    Cell(0, L"value")->SetDouble(std::numeric_limits<double>::infinity());
    EXPECT_EQ(Cell(0, L"value")->ToString(), L"Infinity");
    Cell(0, L"name")->SetText(L"12.5万");
    EXPECT_EQ(Cell(0, L"name")->AsDouble(), 12.5);
    EXPECT_EQ(Cell(0, L"name")->AsInt(), 13);
}

TEST_F(DataTableTest, RewritingTextsKeepsEveryOtherCellIntact) {
    for (int r = 0; r < 50; ++r) {
        table->AddRow();
        Cell(r, L"name")->SetText((L"fund " + std::to_wstring(r)).c_str());
    }
    // Growing, shrinking and nulling texts many times forces the pool to compact.
    for (int round = 0; round < 20; ++round)
        for (int r = 0; r < 50; r += 2)
            Cell(r, L"name")
                ->SetText(
                    round % 3 == 2
                        ? nullptr
                        : (std::wstring(static_cast<std::size_t>(round), L'x') + std::to_wstring(r)).c_str());
    for (int r = 1; r < 50; r += 2)
        EXPECT_EQ(Cell(r, L"name")->ToString(), XStringW(L"fund " + std::to_wstring(r)));
    EXPECT_EQ(Cell(4, L"name")->ToString(), XStringW(std::wstring(19, L'x') + L"4"));
}

TEST_F(DataTableTest, ClearKeepsColumnsAndTags) {
    table->AddRow();
    XComPtr<Data::IColumnItem> item;
    table->GetColumnItem(item.Receive(), 0);
    item->SetTag(this);
    table->Clear(1);
    EXPECT_EQ(table->GetRowCount(), 0);
    EXPECT_EQ(table->GetColumnCount(), 3);
    table->GetColumnItem(item.Receive(), 0);
    EXPECT_EQ(item->GetTag(), this);
    table->Clear(0);
    EXPECT_EQ(table->GetColumnCount(), 3);
}

TEST_F(DataTableTest, CopyColumnsTakesNamesAndKindsAndOptionallyRows) {
    table->AddRow();
    Cell(0, L"name")->SetText(L"华夏成长");
    Cell(0, L"value")->SetDouble(0.5);
    table->AddRow();
    table->SetCellInteger(1, 2, INT64_MAX);

    XComPtr<DataTable> copy = DataTable::Create();
    copy->AddColumn(Data::kText, L"old");
    ASSERT_TRUE(copy->CopyColumns(table, 0));
    EXPECT_EQ(copy->GetColumnCount(), 3);
    EXPECT_EQ(copy->GetColumnIndex(L"old"), -1);
    EXPECT_EQ(copy->KindAt(1), Data::kReal);
    EXPECT_EQ(copy->GetRowCount(), 0);

    ASSERT_TRUE(copy->CopyColumns(table, 1));
    EXPECT_EQ(copy->GetRowCount(), 2);
    EXPECT_EQ(copy->CellText(0, 0), L"华夏成长");
    EXPECT_EQ(copy->CellDouble(0, 1), 0.5);
    EXPECT_TRUE(copy->CellIsNull(1, 0));
    EXPECT_EQ(copy->IntegerAt(1, 2), INT64_MAX);
    EXPECT_FALSE(copy->CopyColumns(nullptr, 0));
    EXPECT_FALSE(copy->CopyColumns(copy, 0));
}

TEST_F(DataTableTest, RowsKeepTheirTableAliveAndSurviveItsChanges) {
    table->AddRow();
    XComPtr<Data::IDataRow> row;
    table->GetRow(row.Receive(), 0);
    Data::IDataElement* e = row->GetValueAt(0);
    table->Clear(1);
    // The row no longer exists: reads are null and writes are ignored rather than out of bounds.
    EXPECT_TRUE(e->IsNull());
    e->SetText(L"gone");
    EXPECT_EQ(table->GetRowCount(), 0);
    table = nullptr;
    EXPECT_TRUE(e->IsNull());
}

TEST_F(DataTableTest, ConvertColumnKeepsValues) {
    table->AddRow();
    table->AddRow();
    table->SetCellInteger(0, 2, 5);
    table->ConvertColumn(2, Data::kReal);
    table->SetCellDouble(1, 2, 1.5);
    EXPECT_EQ(table->CellText(0, 2), L"5");
    table->ConvertColumn(2, Data::kText);
    EXPECT_EQ(table->CellText(1, 2), L"1.5");
    EXPECT_TRUE(table->CellIsNull(0, 1));
    XComPtr<Data::IColumnItem> item;
    table->GetColumnItem(item.Receive(), 2);
    EXPECT_EQ(item->GetKind(), Data::kText);
}

TEST_F(DataTableTest, FillingByPositionConvertsAsTheElementsDoAndIgnoresStrayCells) {
    XComPtr<Data::IDataTableCells> fill = XComPtr<Data::IDataTable>(table.Get()).As<Data::IDataTableCells>();
    ASSERT_NE(fill, nullptr);
    table->AddRow();
    EXPECT_EQ(fill->AddRows(0), 1);
    EXPECT_EQ(fill->AddRows(-3), 1);
    EXPECT_EQ(table->GetRowCount(), 1);
    ASSERT_EQ(fill->AddRows(3), 1);
    ASSERT_EQ(table->GetRowCount(), 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(table->CellIsNull(r, c)) << r << "," << c;

    // The length counts, not a terminator: a slice of a longer text is stored as the slice.
    const wchar_t text[] = L"华夏成长混合";
    fill->SetTextAt(1, 0, text, 4);
    fill->SetTextAt(2, 0, text, 0);
    fill->SetTextAt(3, 0, nullptr, 5);
    EXPECT_EQ(table->CellText(1, 0), L"华夏成长");
    EXPECT_FALSE(table->CellIsNull(2, 0));
    EXPECT_EQ(table->CellText(2, 0), L"");
    EXPECT_TRUE(table->CellIsNull(3, 0));

    fill->SetDoubleAt(1, 1, 0.25);
    fill->SetDoubleAt(1, 2, 2.5);
    fill->SetIntAt(2, 1, 7);
    fill->SetTextAt(3, 1, L"12.5", 4);
    fill->SetTextAt(3, 2, L"abc", 3);
    fill->SetDoubleAt(2, 0, 0.35);
    EXPECT_EQ(table->RealAt(1, 1), 0.25);
    EXPECT_EQ(table->IntegerAt(1, 2), 3);
    EXPECT_EQ(table->RealAt(2, 1), 7.0);
    EXPECT_EQ(table->RealAt(3, 1), 12.5);
    EXPECT_TRUE(table->CellIsNull(3, 2));
    EXPECT_EQ(table->CellText(2, 0), L"0.35");

    // Cells outside the table change nothing and do not grow it.
    fill->SetTextAt(4, 0, text, 2);
    fill->SetTextAt(-1, 0, text, 2);
    fill->SetDoubleAt(0, 3, 1);
    fill->SetIntAt(0, -1, 1);
    EXPECT_EQ(table->GetRowCount(), 4);
    EXPECT_TRUE(table->CellIsNull(0, 0));
    EXPECT_TRUE(table->CellIsNull(0, 1));
}

TEST_F(DataTableTest, TextsAreReadInPlaceFromTextColumnsOnly) {
    XComPtr<Data::IDataTableCells> cells = XComPtr<Data::IDataTable>(table.Get()).As<Data::IDataTableCells>();
    ASSERT_NE(cells, nullptr);
    cells->AddRows(3);
    cells->SetTextAt(0, 0, L"华夏成长", 4);
    cells->SetTextAt(1, 0, L"", 0);
    cells->SetDoubleAt(0, 1, 0.5);
    const wchar_t* text = nullptr;
    std::size_t length = 99;
    ASSERT_TRUE(cells->GetTextAt(0, 0, &text, &length));
    EXPECT_EQ(std::wstring(text, length), L"华夏成长");
    // Empty and null texts read as empty text, as ToString gives them.
    ASSERT_TRUE(cells->GetTextAt(1, 0, &text, &length));
    EXPECT_EQ(length, 0u);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(cells->GetTextAt(2, 0, &text, &length));
    EXPECT_EQ(length, 0u);
    // Numbers have no text to point at; cells outside the table have none either.
    length = 99;
    EXPECT_FALSE(cells->GetTextAt(0, 1, &text, &length));
    EXPECT_FALSE(cells->GetTextAt(0, 2, &text, &length));
    EXPECT_FALSE(cells->GetTextAt(3, 0, &text, &length));
    EXPECT_FALSE(cells->GetTextAt(0, 3, &text, &length));
    EXPECT_FALSE(cells->GetTextAt(-1, 0, &text, &length));
    EXPECT_FALSE(cells->GetTextAt(0, 0, nullptr, &length));
    EXPECT_EQ(length, 99u);
}
