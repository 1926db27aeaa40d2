// Drawing grid cell texts with DrawTextW into a 1280x800 back buffer, as a grid repaints; and one
// cell whose text was never drawn before, of ordinary length and of 30,000 characters.
//
// The budget of a cell: a full 1280 x 800 frame is drawn in 16 ms, and such a frame holds the
// 360 cells of DrawGridCells, so a cell has about 44 microseconds. A cell with a pathological
// text must stay within it, however long the text.
#include "platform/windows.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kColumns = 9;
constexpr int kRows = 40;
constexpr int kCellWidth = 1280 / kColumns;
constexpr int kCellHeight = 20;

const wchar_t* const kTexts[] = {L"华夏成长", L"12.34%", L"-3.21%", L"易方达蓝筹精选混合",
                                 L"000001",   L"2.1345", L"--"};

void DrawGridCells(benchmark::State& state) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1280;
    info.bmiHeader.biHeight = -800;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(220, 220, 220));
    const UINT aligns[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            for (int col = 0; col < kColumns; ++col) {
                RECT cell{col * kCellWidth, row * kCellHeight, (col + 1) * kCellWidth,
                          (row + 1) * kCellHeight};
                const wchar_t* text = kTexts[(row + col) % 7];
                DrawTextW(dc, text, -1, &cell,
                          aligns[col % 3] | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
    // Seconds per cell (printed with an SI prefix, "u" for microseconds).
    state.counters["per_cell"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kRows * kColumns),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
BENCHMARK(DrawGridCells)->Unit(benchmark::kMicrosecond);

// One name cell (200 pixels, the grid's own format) whose text is new each time, so that its
// shaping is measured rather than the layout cache. The argument is the text's length.
void DrawFreshCell(benchmark::State& state) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 240;
    info.bmiHeader.biHeight = -24;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);

    const auto length = static_cast<size_t>(state.range(0));
    std::wstring text;
    while (text.size() < length)
        text += L"易方达蓝筹精选混合";
    text.resize(length);
    unsigned serial = 0;
    for (auto _ : state) {
        // The first characters count the draws, which makes every text one not seen before.
        unsigned n = ++serial;
        for (size_t i = 0; i < 6 && i < text.size(); ++i, n /= 10)
            text[i] = static_cast<wchar_t>(L'0' + n % 10);
        RECT cell{20, 0, 220, 24};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    state.SetLabel(std::to_string(length) + " characters");
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
BENCHMARK(DrawFreshCell)->Arg(12)->Arg(30000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
