// GrowthChart: the growth page's chart window. It draws one line per compared fund and a dashed
// line for the index, each the cumulative return in percent from the range's first day, over a
// date axis with calendar ticks and a value axis with round ticks and a zero line; a legend at the
// right lists the lines. Pointing into the chart shows a cursor and a tip with every visible
// line's value on that day, highest first; pointing at a line or a legend entry brings that line
// to the front; clicking a legend entry hides or shows its line (remembered by fund code).
//
// Drawing is split in two, so that pointing costs a copy rather than a frame: the base picture
// (axes, lines, legend) is drawn when the data, the size, the colours or a line's visibility
// change; the overlay (the line in front, the cursor, the tip) is put on a copy of it.
//
// Sections: data and state; layout and scales; the base picture; the overlay; input.
#pragma once

#include "pages/growth/ChartScale.h"
#include "pages/growth/LineStyles.h"
#include "pages/growth/PixelCanvas.h"
#include "wgui/DibBuffer.h"
#include "wgui/GdiObject.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

#include <set>
#include <vector>

class GrowthChart : public WGUI::WindowBase {
public:
    struct Line {
        XStringW key;   // the fund code (or the index code): what the legend remembers
        XStringW label; // the legend's and the tip's text
        LineStyles::LineStyle style;
        bool isIndex = false;
        std::vector<double> values; // percent, one per axis day, NaN where the line has none
    };
    struct Colours {
        COLORREF background = RGB(0, 0, 0);
        COLORREF text = RGB(200, 200, 200);
        COLORREF axis = RGB(150, 150, 150);
        COLORREF grid = RGB(40, 40, 40);
        COLORREF zero = RGB(120, 120, 120);
        COLORREF cursor = RGB(200, 200, 200);
        COLORREF index = RGB(230, 230, 230);
        COLORREF tipBackground = RGB(30, 30, 30);
        COLORREF tipText = RGB(230, 230, 230);
        COLORREF tipBorder = RGB(90, 90, 90);
        COLORREF legendHidden = RGB(140, 140, 140);
        int lineSaturation = 70; // percent, for the fund palette
        int lineLightness = 60;
    };
    struct TipEntry {
        int line = -1;
        double value = 0.0;
    };

    static constexpr int kLegendWidth = 230;
    static constexpr int kLegendRowHeight = 18;
    static constexpr int kTipRowHeight = 16;

    GrowthChart();
    ~GrowthChart() override;

    // A visible child of the parent, class "Quenda2_GrowthChart".
    HWND Create(HWND parent);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // ---- Data and state ----
    void SetColours(const Colours& colours);
    void SetFontFace(const XStringW& face);
    // The line above the chart, saying what it shows.
    void SetCaption(const XStringW& caption);
    // The axis days (ascending, the range's first day first) and the lines on them; fund styles
    // are given by the caller, the index takes the index colour and dash.
    void SetData(std::vector<int> days, std::vector<Line> lines);
    // A text shown in place of the chart (no history, no funds); empty shows the chart again.
    void SetNotice(const XStringW& notice);

    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<int>& Days() const { return m_days; }
    const XStringW& Notice() const { return m_notice; }
    const XStringW& Caption() const { return m_caption; }
    bool IsLineHidden(size_t line) const;
    void SetLineHidden(size_t line, bool hidden);
    int HotLine() const { return m_hot; }
    int HoverPosition() const { return m_hover; }
    const std::vector<TipEntry>& TipEntries() const { return m_tip; }

    // ---- Layout and scales (client coordinates, valid once the window has a size) ----
    RECT PlotRect() const { return m_plot; }
    RECT LegendRect() const { return m_legend; }
    // The legend row of a line, empty when it is scrolled out of view.
    RECT LegendEntryRect(size_t line) const;
    const ChartScale::ValueTicks& ValueAxis() const { return m_valueAxis; }
    const ChartScale::DateTicks& DateAxis() const { return m_dateAxis; }
    float XOfDay(int day) const;
    float YOfValue(double value) const;
    // The points a line is drawn through after the column decimation.
    const std::vector<ChartPoint>& Path(size_t line) const;

    // What a pointer at a client point shows, without painting.
    void HoverAt(int x, int y);
    void ClearHover();
    // A full frame into the off-screen buffers (what a repaint after a change does), and the
    // overlay alone (what a repaint after a pointer move does).
    void RenderFrame();
    void RenderOverlay();

private:
    void OnSize();
    void OnPaint();
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    void OnMouseWheel(int x, int y, int notches);

    void Layout();
    // The value axis over the visible lines and every line's decimated path.
    void UpdateScales();
    int LegendEntryAt(int x, int y) const;
    void Changed(bool picture);

    void DrawBase();
    // The base picture (caption, axes, lines, legend) onto a DC and a canvas over it: the screen's
    // bitmap, or a document's page through WM_PRINTCLIENT.
    void DrawPicture(HDC dc, ChartCanvas& canvas);
    void DrawGridAndLabels(HDC dc, ChartCanvas& canvas);
    void DrawLegend(HDC dc, ChartCanvas& canvas);
    void DrawOverlay();
    void DrawTip(HDC dc);
    void PutText(HDC dc, const XStringW& text, RECT rect, UINT format, COLORREF colour);

    WGUI::WindowProc m_binder;
    Colours m_colours;
    gdiobj::GdiObject<HFONT> m_font;
    XStringW m_fontFace = L"WenQuanYi Micro Hei";
    XStringW m_caption;
    XStringW m_notice;

    std::vector<int> m_days;
    std::vector<Line> m_lines;
    std::set<XStringW> m_hidden;
    std::vector<std::vector<ChartPoint>> m_paths;
    std::vector<float> m_xs; // x of each axis day

    RECT m_client{0, 0, 0, 0};
    RECT m_plot{0, 0, 0, 0};
    RECT m_legend{0, 0, 0, 0};
    RECT m_captionRect{0, 0, 0, 0};
    ChartScale::ValueTicks m_valueAxis;
    ChartScale::DateTicks m_dateAxis;
    int m_legendTop = 0; // first legend entry in view

    int m_hover = -1; // axis position under the pointer
    int m_hot = -1;   // line in front
    std::vector<TipEntry> m_tip;
    bool m_tracking = false;

    DibBuffer m_base;
    DibBuffer m_back;
    bool m_baseDirty = true;
    bool m_overlayDirty = true;
};
