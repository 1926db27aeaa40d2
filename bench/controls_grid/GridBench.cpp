// The data grid's frame: a 1280 x 800 grid of 9 columns with 40 rows of Chinese fund names and
// numbers in view, drawn whole (a repaint) and after scrolling by one row.
#include <sdk/ControlDataGrid.h>

#include <platform/driver.h>

#include <benchmark/benchmark.h>

#include <string>
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
    void GetRowBackColor(int row, bool selected, COLORREF& colour) override {
        colour = selected ? RGB(43, 52, 71) : (row % 2 != 0 ? RGB(17, 20, 27) : RGB(11, 13, 18));
    }
    void GetItemColor(int, const HeaderInfo2&, const XStringW& text, COLORREF& colour) override {
        if (!text.empty() && text[0] == L'-')
            colour = RGB(25, 193, 95);
        else if (!text.empty() && text[0] == L'+')
            colour = RGB(255, 59, 59);
    }
};

constexpr const wchar_t* kHeader = L"<header>"
                                   L"<item title='基金名称' name='name' width='200'/>"
                                   L"<item title='代码' name='code' width='90' align='center'/>"
                                   L"<item title='单位净值' name='nav' width='110' align='right'/>"
                                   L"<item title='日涨幅' name='day' width='110' align='right'/>"
                                   L"<item title='近一年' name='year' width='120' align='right'/>"
                                   L"<item title='规模(亿)' name='size' width='120' align='right'/>"
                                   L"<item title='基金公司' name='company' width='180'/>"
                                   L"<item title='基金经理' name='manager' width='150'/>"
                                   L"<item title='成立日期' name='date' width='150' align='center'/>"
                                   L"</header>";

struct Fixture {
    BenchGrid grid;
    Fixture() {
        PlatformStartHeadless(1280, 800);
        const wchar_t* names[] = {L"易方达蓝筹精选混合", L"招商中证白酒指数(LOF)A", L"中欧医疗健康混合A",
                                  L"华夏成长混合",       L"富国天惠成长混合A",      L"兴全合润混合(LOF)"};
        const wchar_t* companies[] = {L"易方达基金", L"招商基金", L"中欧基金",
                                      L"华夏基金",   L"富国基金", L"兴证全球基金"};
        const wchar_t* managers[] = {L"张坤", L"侯昊", L"葛兰", L"王泽实", L"朱少醒", L"谢治宇"};
        for (int i = 0; i < 2000; ++i) {
            wchar_t code[16], nav[16], day[16], year[16], size[16];
            swprintf(code, 16, L"%06d", 100000 + i * 7);
            swprintf(nav, 16, L"%.4f", 1.0 + (i % 97) * 0.0371);
            swprintf(day, 16, L"%+.2f%%", (i % 9 - 4) * 0.61);
            swprintf(year, 16, L"%+.2f%%", (i % 13 - 6) * 4.37);
            swprintf(size, 16, L"%.2f", 3.5 + (i % 50) * 11.3);
            grid.rows.push_back(
                {names[i % 6], code, nav, day, year, size, companies[i % 6], managers[i % 6], L"2012-03-15"});
        }
        grid.SetHeader(kHeader);
        grid.SetHeaderRowHight(26);
        // (800 - 2 border - 26 header) / 19 = 40 whole rows.
        grid.SetRowHight(19);
        grid.SetDrawGridLine(true, true);
        grid.SetScrollLock(true);
        grid.SetBkColor(RGB(11, 13, 18));
        grid.SetGridColor(RGB(35, 40, 51));
        grid.SetBdColor(RGB(46, 52, 64));
        grid.SetHeaderBkColor(RGB(26, 30, 39));
        grid.SetHeaderColor(RGB(230, 232, 236));
        grid.SetTextColor(RGB(200, 204, 212));
        grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 800, nullptr);
        grid.SetFocus();
        PlatformRunUntilIdle();
    }
};

void GridFullFrame(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.grid.Invalidate(FALSE);
        UpdateWindow(f.grid);
    }
    state.counters["visible_rows"] = (f.grid.GetDataRect().bottom - f.grid.GetDataRect().top) / 19;
}
BENCHMARK(GridFullFrame)->Unit(benchmark::kMillisecond);

void GridScrollOneRow(benchmark::State& state) {
    Fixture f;
    int top = 0;
    for (auto _ : state) {
        top = top >= 1900 ? 0 : top + 1;
        f.grid.SetTopRow(top);
        UpdateWindow(f.grid);
    }
}
BENCHMARK(GridScrollOneRow)->Unit(benchmark::kMillisecond);

void GridMoveSelection(benchmark::State& state) {
    Fixture f;
    f.grid.SetCurrSel(0);
    UpdateWindow(f.grid);
    for (auto _ : state) {
        PlatformKeyPress(f.grid.GetCurrSel() >= 30 ? VK_HOME : VK_DOWN);
        PlatformRunUntilIdle();
    }
}
BENCHMARK(GridMoveSelection)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
