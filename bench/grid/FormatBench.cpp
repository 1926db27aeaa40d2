// Cell formatting: one real cell of the market-value column ("%.02f::;10000,万;100000000,亿")
// formatted from a host table, alone and through the fund grid's cell text (view row, column
// record, formatter), over values that take each unit.
#include "grid/GeneralDataGrid.h"
#include "grid/ValueFormater.h"

#include <sdk/Kernel.h>

#include <benchmark/benchmark.h>

namespace {

const wchar_t* kAmounts = L"%.02f::;10000,万;100000000,亿";

XComPtr<Data::IDataTable> AmountTable() {
    XComPtr<IXUnknown> object;
    object.Attach(createInstance("Data.DataTable"));
    XComPtr<Data::IDataTable> table = object.As<Data::IDataTable>();
    table->AddColumn(Data::kText, L"code");
    table->AddColumn(Data::kReal, L"marketvalue");
    const double values[] = {999.0, 56789.0, 123456789.0, -20000.0};
    for (int i = 0; i < 4; ++i) {
        int index = table->AddRow();
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), index);
        row->GetValueAt(0)->SetText(L"000001");
        row->GetValueAt(1)->SetDouble(values[i]);
    }
    return table;
}

void BM_FormatRealCell(benchmark::State& state) {
    XComPtr<Data::IDataTable> table = AmountTable();
    XComPtr<Data::IDataRow> rows[4];
    for (int i = 0; i < 4; ++i)
        table->GetRow(rows[i].Receive(), i);
    ValueFormater<double> formatter;
    formatter.Parse(kAmounts);
    int i = 0;
    for (auto _ : state) {
        XStringW text = formatter.Format(rows[i & 3]->GetValueAt(1));
        benchmark::DoNotOptimize(text);
        ++i;
    }
}
BENCHMARK(BM_FormatRealCell);

class Grid : public GeneralDataGrid {
public:
    using GeneralDataGrid::GetItemText;
};

class Theme : public Conf::ITheme {
public:
    unsigned long AddRef() override { return 1; }
    unsigned long Release() override { return 1; }
    bool GetColor(const char*, COLORREF&) override { return false; }
    bool GetFont(const char*, Conf::ThemeFont&) override { return false; }
    int GetNumber(const char*) override { return 0; }
    void GetName(XStringW& name) override { name = L"bench"; }
};

void BM_GridCellText(benchmark::State& state) {
    Theme theme;
    Grid grid;
    grid.SetTheme(&theme);
    grid.SetHeader(L"<header><item title='市值' name='marketvalue' width='105' data_type='d'"
                   L" text_format='%.02f::;10000,万;100000000,亿'/></header>");
    XComPtr<Data::IDataTable> table = AmountTable();
    grid.SetDataSource(table);
    Control::XDataGrid::HeaderInfo2 column;
    grid.GetHeaderInfo(L"marketvalue", column);
    XStringW text;
    int i = 0;
    for (auto _ : state) {
        grid.GetItemText(i & 3, column, text);
        benchmark::DoNotOptimize(text);
        ++i;
    }
}
BENCHMARK(BM_GridCellText);

} // namespace

BENCHMARK_MAIN();
