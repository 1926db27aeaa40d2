// Leaving the program with the largest list the pages show: 100 compared funds over 13 periods
// (1,300 rows of 9 columns, grouped by period) read from the grid as shown, then written as an
// Excel workbook, as CSV, and copied as tab-separated text. Next to them the plain reading of the
// same cells through the grid's cell-text message, which the scripted runs' dump does.
#include <sdk/ControlDataGrid.h>

#include <platform/driver.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class BenchGrid : public Control::DataGridEx {
public:
    std::vector<std::vector<std::wstring>> rows;

protected:
    int GetRowsCount() override { return static_cast<int>(rows.size()); }
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override {
        text = rows[row][item.index];
    }
    XStringW GetGroupColumn() override { return XStringW(L"distance"); }
};

const wchar_t* kHeader = L"<header>"
                         L"<item title='对比区间' name='distance' width='120'/>"
                         L"<item title='代码' name='aliascode' width='80'/>"
                         L"<item title='名称' name='name' width='125'/>"
                         L"<item title='类型' name='investtype' width='88'/>"
                         L"<item title='申购' name='buystate' width='88'/>"
                         L"<item title='同类排名' name='type_rank' width='88'/>"
                         L"<item title='总排名' name='all_rank' width='88'/>"
                         L"<item title='增长率' name='yield' width='88' data_type='d'/>"
                         L"<item title='柱状图' name='image' width='300' data_type='d'/>"
                         L"</header>";

struct Fixture {
    BenchGrid grid;
    std::string folder;
    Fixture() {
        PlatformStartHeadless(1280, 800);
        const wchar_t* periods[] = {L"2008年",   L"2009年",   L"2010年",    L"最近五年", L"最近三年",
                                    L"最近两年", L"最近一年", L"今年以来",  L"最近半年", L"最近一季度",
                                    L"最近一月", L"最近一周", L"最近交易日"};
        for (const wchar_t* period : periods)
            for (int f = 0; f < 100; ++f) {
                wchar_t yield[32];
                std::swprintf(yield, 32, L"%.2f%%", (f * 37 % 200 - 100) / 7.0);
                grid.rows.push_back({period, std::to_wstring(100000 + f),
                                     L"华夏成长混合" + std::to_wstring(f), L"混合型", L"开放",
                                     std::to_wstring(f + 1) + L"/120", std::to_wstring(f * 3 + 1) + L"/2876",
                                     yield, yield});
            }
        grid.SetHeader(kHeader);
        grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 800, nullptr);
        folder = (std::filesystem::temp_directory_path() / ("export-bench-" + std::to_string(::getpid())))
                     .string();
        std::filesystem::create_directories(folder);
    }
    ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ReadCellsAsDumped(benchmark::State& state) {
    BenchGrid& grid = fixture().grid;
    for (auto _ : state) {
        size_t characters = 0;
        for (int r = 0; r < static_cast<int>(grid.rows.size()); ++r)
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                Control::DataGridEx::CellTextRequest request;
                request.row = r;
                request.column = c;
                SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0,
                             reinterpret_cast<LPARAM>(&request));
                characters += request.text.str().size();
            }
        benchmark::DoNotOptimize(characters);
    }
}
BENCHMARK(BM_ReadCellsAsDumped)->Unit(benchmark::kMillisecond);

void BM_ReadSheet(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture().grid.ReadSheet(false));
}
BENCHMARK(BM_ReadSheet)->Unit(benchmark::kMillisecond);

void BM_ExportXlsx(benchmark::State& state) {
    std::string path = fixture().folder + "/list.xlsx";
    for (auto _ : state) {
        XStringW error;
        if (!Control::WriteSheetXlsx(fixture().grid.ReadSheet(false), path, error))
            state.SkipWithError("the workbook was not written");
    }
}
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
    std::string path = fixture().folder + "/list.csv";
    for (auto _ : state) {
        XStringW error;
        if (!Control::WriteSheetCsv(fixture().grid.ReadSheet(false), path, error))
            state.SkipWithError("the file was not written");
    }
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

void BM_CopyAsTsv(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Control::SheetToTsv(fixture().grid.ReadSheet(false)));
}
BENCHMARK(BM_CopyAsTsv)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
