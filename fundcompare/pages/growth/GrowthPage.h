// GrowthPage: the sixth tab, 走势对比: the growth of the compared funds and of a benchmark index
// over a range on one chart, and below it their return and risk figures for the range (or, at the
// flip of a switch, the correlation matrix of their daily returns, a list like the others). The
// benchmark is chosen in a box beside the range buttons from the indexes the database has, and
// kept in the page's settings.
//
// The page follows the compared-fund set and the theme like the other pages and reloads only
// while it is visible. The history of a fund is read once and kept (GrowthHistory); a change of
// range or of the set recomputes everything from memory. A database without the history table
// still shows the page, which then says so.
//
// Sections: creation and layout; theme; reloading; ranges and views; painting.
#pragma once

#include "pages/common/ComparePage.h"
#include "pages/growth/CorrelationMatrixGrid.h"
#include "pages/growth/DateBox.h"
#include "pages/growth/GrowthChart.h"
#include "pages/growth/GrowthFiguresGrid.h"
#include "pages/growth/GrowthHistory.h"
#include "pages/growth/GrowthPanel.h"
#include "pages/growth/GrowthRange.h"
#include "wgui/ComboBox.h"

#include <sdk/ControlScriptCommand.h>
#include <sdk/ControlTableHeader.h>

#include <map>

class GrowthPage : public ComparePage {
public:
    static constexpr int kStartBoxId = 103;
    static constexpr int kEndBoxId = 104;
    static constexpr int kBenchmarkBoxId = 105;
    // The range buttons: the seven ranges, then 自定义 for the dates of the two boxes.
    static constexpr int kCustomRange = GrowthRange::kCount;
    static constexpr int kTopStrip = 30;
    static constexpr int kCaptionHeight = 22;

    static constexpr const wchar_t* kNoHistoryNotice = L"数据库中没有净值历史数据";
    static constexpr const wchar_t* kNoDataNotice = L"所选区间内没有净值数据";
    static constexpr const wchar_t* kMatrixNotice = L"至少需要两只有净值数据的基金才能计算相关系数";
    static constexpr const wchar_t* kNoIndexText = L"（数据库中没有指数）";

    GrowthPage();
    ~GrowthPage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // ---- Reloading ----
    // Reloads when the page window is visible; a hidden page catches up when it is shown.
    void ReloadIfVisible() override;
    // A cleared comparison empties the chart, the figures and the matrix before the reload.
    void OnFundsCleared() override;
    void OnDatabaseChanged() override;
    // Brings the history in line with the compared set and recomputes the chart, the figures and
    // the matrix. A failed statement is reported and leaves the page as it was. Histories being
    // read ahead are waited for: the chart says it is loading until they come (OnReadAhead).
    void Reload();
    std::optional<AheadRequest> AwaitedAhead() const override;
    void OnReadAhead(AheadResult result) override;
    bool WaitingForHistories() const { return m_waiting; }
    // Empties the chart, the figures and the matrix (the compared set was cleared).
    void ClearData();
    int ReloadCount() const { return m_reloads; }

    // ---- Ranges and views ----
    // One of GrowthRange's kinds, or kCustomRange for the two boxes' dates.
    void SelectRange(int kind);
    // Takes two dates as the range. A start after the end is refused with a note in the status
    // bar (RangeNote); the range on show and the boxes then stay as they are.
    bool SetCustomRange(int start, int end);
    // A script's verb: "range" (1m ... all, or FROM:TO typed into the boxes), "view" (figures,
    // matrix) or "benchmark" (an index code), carried out through the page's own buttons and
    // boxes. False for another verb or a hidden page.
    bool RunScriptCommand(Control::ScriptCommand& command);
    // The last refusal of SetCustomRange, empty after a range was taken.
    const XStringW& RangeNote() const { return m_rangeNote; }
    int RangeKind() const { return m_rangeKind; }
    int RangeStart() const { return m_start; }
    int RangeEnd() const { return m_end; }
    // Takes an index of the database as the benchmark and keeps the choice in the settings; false
    // for a code the database has no closes of.
    bool SelectBenchmark(const XStringW& code);
    // The benchmark in use, empty when the database has no index.
    XStringW BenchmarkCode() const { return m_history.BenchmarkCode(); }
    // Shows the correlation matrix instead of the figures, or the figures again.
    void ShowMatrix(bool matrix);
    bool MatrixShown() const { return m_matrixShown; }
    double RiskFreePercent() const { return m_riskFreePercent; }
    // The caption above the figures, as painted.
    XStringW FiguresCaption() const;
    // An exported list carries the figures' caption: the range and the risk-free rate.
    XStringW ExportCaption() const override { return FiguresCaption(); }
    // The chart, the figures and the whole correlation matrix, in parts where it is larger than a
    // page, whether or not the matrix is shown on the screen.
    void WriteReport(ReportSink& sink) override;

    GrowthChart& Chart() { return m_chart; }
    GrowthFiguresGrid& Grid() { return m_grid; }
    CorrelationMatrixGrid& Matrix() { return m_matrix; }
    // Why the matrix is empty, or empty when it shows.
    const XStringW& MatrixNotice() const { return m_matrixNotice; }
    WGUI::ComboBox& BenchmarkBox() { return m_benchmarkBox; }
    DateBox& StartBox() { return m_startBox; }
    DateBox& EndBox() { return m_endBox; }
    Control::XTableHeader& RangeHeader() { return m_rangeHeader; }
    Control::XTableHeader& ViewHeader() { return m_viewHeader; }
    const GrowthHistory& History() const { return m_history; }
    const GrowthPanel& Panel() const { return m_panel; }

protected:
    void PaintOver(HDC dc, const RECT& client) override;

private:
    // The benchmark box's list from the database's indexes, the one in use selected.
    void FillBenchmarkBox();
    void OnBenchmarkPicked();
    void OnCreate();
    void OnSize(int width, int height);
    void OnHeaderSelection(HWND header, int index);
    // Works out the range from the kind and the data, then rebuilds the three views.
    void Rebuild();
    // Brings the history in line with the set, with the histories that arrived when given.
    void Load(std::optional<AheadResult> arrived = std::nullopt);
    // Takes over the histories read ahead: true when they were taken, or when nothing reads ahead
    // (the Sync that follows reads them here); false while they are on their way, or when the
    // reading failed (reported).
    bool TakeHistories(AheadResult result);
    void StopWaiting();
    // A click at the middle of a rectangle of a child window, as its own messages.
    static void ClickIn(HWND window, const RECT& rect);
    // The style of a compared fund's line, kept by its code.
    int StyleSlot(const XStringW& code);
    void ApplyChartTheme();

    Control::XTableHeader m_rangeHeader;
    Control::XTableHeader m_viewHeader;
    DateBox m_startBox;
    DateBox m_endBox;
    GrowthChart m_chart;
    GrowthFiguresGrid m_grid;
    CorrelationMatrixGrid m_matrix;
    XStringW m_matrixNotice;
    WGUI::ComboBox m_benchmarkBox;
    std::vector<XStringW> m_boxCodes; // the codes of the benchmark box's items
    XStringW m_benchmark;             // the benchmark asked for; empty for the default
    gdiobj::GdiObject<HFONT> m_labelFont;
    COLORREF m_labelColour = RGB(200, 200, 200);
    XComPtr<Conf::ITheme> m_theme;

    GrowthHistory m_history;
    GrowthPanel m_panel;
    int m_rangeKind = GrowthRange::kOneYear;
    int m_start = 0;
    int m_end = 0;
    bool m_matrixShown = false;
    double m_riskFreePercent = 1.5;
    int m_reloads = 0;
    int m_ignoredRows = 0; // bad history rows of the shown series, left out
    XStringW m_rangeNote;
    std::map<XStringW, int> m_styleSlots; // compared fund code -> its line style
    bool m_waiting = false;               // histories are being read ahead; the chart says so
    XStringW m_noticeBefore;              // the chart's notice before it said so
    bool m_selecting = false;             // the page itself moves a header's selection
    RECT m_captionRect{0, 0, 0, 0};
};
