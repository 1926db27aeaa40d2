// DataGridEx: the text of cells for callers outside the grid, from a host table or from the
// grid itself; and odd settings that must not break the grid (check boxes, degenerate sizes).
#include "GridTestSupport.h"

#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

namespace gridtest {
namespace {

using DataGridExTest = GridFixture;

TEST_F(DataGridExTest, CellTextComesFromTheSourceTableOrFromTheGrid) {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    ASSERT_TRUE(table);
    table->AddColumn(Data::kText, L"name");
    table->AddColumn(Data::kReal, L"yield");
    table->AddRow();
    XComPtr<Data::IDataRow> row;
    ASSERT_TRUE(table->GetRow(row.Receive(), 0));
    row->GetValue(L"name")->SetText(L"华夏成长");
    row->GetValue(L"yield")->SetDouble(0.35);

    XStringW text;
    EXPECT_TRUE(grid.DragItemToString(0, L"name", table.Get(), text));
    EXPECT_EQ(text.str(), L"华夏成长");
    EXPECT_TRUE(grid.DragItemToString(0, L"yield", table.Get(), text));
    EXPECT_EQ(text.str(), L"0.35");
    EXPECT_FALSE(grid.DragItemToString(0, L"missing", table.Get(), text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(grid.DragItemToString(1, L"name", table.Get(), text));
    EXPECT_FALSE(grid.DragItemToString(-1, L"name", table.Get(), text));
    EXPECT_FALSE(grid.DragItemToString(0, L"name", nullptr, text));

    Show(3);
    EXPECT_TRUE(grid.DragItemToString(2, L"name", text));
    EXPECT_EQ(text.str(), L"Fund 2");
    EXPECT_FALSE(grid.DragItemToString(3, L"name", text));
    EXPECT_FALSE(grid.DragItemToString(0, L"nothing", text));

    // The same through messages, for callers that hold only the window.
    Control::DataGridEx::CellTextRequest request;
    request.row = 1;
    request.column = 2;
    EXPECT_EQ(
        SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0, reinterpret_cast<LPARAM>(&request)),
        1);
    EXPECT_EQ(request.text.str(), L"1");
    request.column = 7;
    EXPECT_EQ(
        SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0, reinterpret_cast<LPARAM>(&request)),
        0);
    EXPECT_EQ(SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0, 0), 0);
    EXPECT_EQ(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0), 3);
}

TEST_F(DataGridExTest, CheckBoxClicksReachTheHookAndWidenTheFirstColumn) {
    Show(4);
    grid.SetShowCheckBox(true);
    RECT first = grid.GetCellRect(1, 0);
    EXPECT_EQ(first.right - first.left, 100 + 18);
    int row = 0;
    Control::XDataGrid::HeaderInfo2 item;
    EXPECT_EQ(grid.HitTest(first.left + 5, first.top + 5, row, item), Control::XDataGrid::HitCheckBox);
    Click(POINT{first.left + 5, first.top + 5});
    EXPECT_EQ(grid.checkToggles, (std::vector<int>{1}));
    EXPECT_EQ(grid.GetCurrSel(), 1);
    Click(POINT{first.left + 40, first.top + 5});
    EXPECT_EQ(grid.checkToggles.size(), 1u) << "the rest of the cell only selects";
}

TEST_F(DataGridExTest, DegenerateSizesAndHeadersKeepTheGridWorking) {
    // Heights of zero or less would divide the rows by nothing; they are held to one pixel.
    Show(20, 320, 200);
    grid.SetRowHight(0);
    grid.SetRowHight(-5);
    EXPECT_EQ(grid.GetRowHight(), 1);
    grid.SetHeaderRowHight(-1);
    EXPECT_EQ(grid.GetHeaderRowHight(), 0);
    PlatformMouseWheel(50, 50, -3);
    Key(VK_END);
    EXPECT_EQ(grid.GetCurrSel(), 19);
    PlatformRunUntilIdle();

    // Absurd widths count as absent instead of overflowing the layout.
    EXPECT_EQ(grid.SetHeader(L"<h><item name='a' width='99999999999'/><item name='b' width='-3'/>"
                             L"<item name='c' width=' 12 '/></h>"),
              1);
    EXPECT_EQ(grid.GetColumn(0)->width, 0);
    EXPECT_EQ(grid.GetColumn(1)->width, 0);
    EXPECT_EQ(grid.GetColumn(2)->width, 12);
    PlatformRunUntilIdle();

    // A grid in a window too small for anything still paints and answers hit tests.
    grid.MoveWindow(0, 0, 3, 3, TRUE);
    PlatformRunUntilIdle();
    Control::XDataGrid::HeaderInfo2 item;
    int row = 0;
    EXPECT_EQ(grid.HitTest(1, 1, row, item), Control::XDataGrid::HitCell);
    EXPECT_EQ(item.name.str(), L"c") << "zero-width columns are never hit";
    EXPECT_EQ(grid.HitTest(5, 5, row, item), Control::XDataGrid::HitNone);
}

} // namespace
} // namespace gridtest
