// GrowthChart: data, layout, the base picture, the overlay and the pointer.
#include "pages/growth/GrowthChart.h"

#include "pages/growth/DcCanvas.h"

#include "pages/growth/GrowthDates.h"
#include "wgui/ModuleInstance.h"
#include "wgui/OffscreenPaint.h"
#include "wgui/PageClass.h"

#include <sdk/ControlPicture.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kLeftMargin = 64;   // room for the value labels
constexpr int kBottomMargin = 24; // room for the date labels
constexpr int kTopMargin = 30;    // the caption above the plot
constexpr int kHotDistance = 6;   // how near a line the pointer must be to bring it to the front
constexpr int kTipColumnWidth = 210;

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

GrowthChart::GrowthChart() = default;

GrowthChart::~GrowthChart() = default;

HWND GrowthChart::Create(HWND parent) {
    const std::wstring className = WGUI::PageClass::Register(L"GrowthChart");
    if (className.empty())
        return nullptr;
    return WindowBase::Create(WS_CHILD | WS_VISIBLE, 0, className.c_str(), L"", RECT{0, 0, 0, 0}, parent,
                              nullptr, WGUI::ModuleInstance(), &m_binder);
}

bool GrowthChart::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case Control::kCanSavePictureMessage:
        result = 1;
        return true;
    case WM_RBUTTONUP: {
        // The chart's menu keeps a picture of it, as every chart's does.
        HMENU menu = CreatePopupMenu();
        Control::AppendPictureItems(menu);
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(m_hWnd, &point);
        TrackPopupMenu(menu, TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
        DestroyMenu(menu);
        result = 0;
        return true;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == Control::kSavePictureCommand) {
            // The pointer's tip belongs to the moment, not to the picture.
            ClearHover();
            Control::SaveWindowPicture(m_hWnd, XStringW(L"走势对比"));
            result = 0;
            return true;
        }
        return false;
    case WM_PRINTCLIENT:
        // The base picture, without the pointer's cursor and tip, onto the caller's DC: a
        // report's page keeps its lines as vectors.
        if (wParam != 0 && m_client.right > 0 && m_client.bottom > 0) {
            DcCanvas canvas(reinterpret_cast<HDC>(wParam));
            DrawPicture(reinterpret_cast<HDC>(wParam), canvas);
        }
        result = 0;
        return true;
    case WM_SIZE:
        OnSize();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_MOUSELEAVE:
        m_tracking = false;
        ClearHover();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // the second click of a quick pair toggles again
        OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(m_hWnd, &p);
        OnMouseWheel(p.x, p.y, GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        result = 0;
        return true;
    }
    case WM_DESTROY:
        m_base.Release();
        m_back.Release();
        return false;
    default:
        return false;
    }
}

// ---- Data and state ---------------------------------------------------------------------------------

void GrowthChart::SetColours(const Colours& colours) {
    m_colours = colours;
    Changed(true);
}

void GrowthChart::SetFontFace(const XStringW& face) {
    if (!face.empty())
        m_fontFace = face;
    m_font.Replace(gdiobj::CreateTextFont(m_fontFace.c_str()));
    Changed(true);
}

void GrowthChart::SetCaption(const XStringW& caption) {
    m_caption = caption;
    Changed(true);
}

void GrowthChart::SetData(std::vector<int> days, std::vector<Line> lines) {
    m_days = std::move(days);
    m_lines = std::move(lines);
    for (Line& line : m_lines)
        line.values.resize(m_days.size(), std::numeric_limits<double>::quiet_NaN());
    m_hover = -1;
    m_hot = -1;
    m_tip.clear();
    m_legendTop = 0;
    Layout();
    UpdateScales();
    Changed(true);
}

void GrowthChart::SetNotice(const XStringW& notice) {
    m_notice = notice;
    ClearHover();
    Changed(true);
}

bool GrowthChart::IsLineHidden(size_t line) const {
    return line < m_lines.size() && m_hidden.count(m_lines[line].key) != 0;
}

void GrowthChart::SetLineHidden(size_t line, bool hidden) {
    if (line >= m_lines.size() || IsLineHidden(line) == hidden)
        return;
    if (hidden)
        m_hidden.insert(m_lines[line].key);
    else
        m_hidden.erase(m_lines[line].key);
    UpdateScales();
    // The tip lists visible lines only; the pointer has not moved, so work it out again.
    if (m_hover >= 0) {
        std::vector<TipEntry> tip;
        for (const TipEntry& entry : m_tip)
            if (!IsLineHidden(static_cast<size_t>(entry.line)))
                tip.push_back(entry);
        m_tip = std::move(tip);
    }
    Changed(true);
}

void GrowthChart::Changed(bool picture) {
    if (picture)
        m_baseDirty = true;
    m_overlayDirty = true;
    if (IsWindow())
        Invalidate(FALSE);
}

// ---- Layout and scales ------------------------------------------------------------------------------

void GrowthChart::Layout() {
    if (IsWindow())
        ::GetClientRect(m_hWnd, &m_client);
    const int width = m_client.right, height = m_client.bottom;
    const int legendWidth = std::min(kLegendWidth, std::max(120, width / 4));
    m_captionRect = RECT{8, 4, width - 8, 24};
    m_legend = RECT{width - legendWidth, kTopMargin, width - 4, height - 4};
    m_plot = RECT{kLeftMargin, kTopMargin, std::max(kLeftMargin, width - legendWidth - 16),
                  std::max(kTopMargin, height - kBottomMargin)};
}

void GrowthChart::UpdateScales() {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < m_lines.size(); ++k) {
        if (IsLineHidden(k))
            continue;
        for (double v : m_lines[k].values)
            if (std::isfinite(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
    }
    if (!std::isfinite(low)) {
        low = 0.0;
        high = 0.0;
    }
    // The zero line is always in view: every line starts there.
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    const int plotHeight = m_plot.bottom - m_plot.top;
    const int plotWidth = m_plot.right - m_plot.left;
    m_valueAxis = ChartScale::NiceTicks(low, high, std::clamp(plotHeight / 40, 2, 12));
    const int start = m_days.empty() ? 0 : m_days.front();
    const int end = m_days.empty() ? 1 : m_days.back();
    m_dateAxis = ChartScale::ChooseDateTicks(start, end, std::clamp(plotWidth / 90, 1, 24));

    m_xs.resize(m_days.size());
    for (size_t p = 0; p < m_days.size(); ++p)
        m_xs[p] = XOfDay(m_days[p]);
    m_paths.assign(m_lines.size(), {});
    std::vector<ChartPoint> raw;
    for (size_t k = 0; k < m_lines.size(); ++k) {
        raw.clear();
        const std::vector<double>& values = m_lines[k].values;
        for (size_t p = 0; p < values.size(); ++p)
            if (std::isfinite(values[p]))
                raw.push_back({m_xs[p], YOfValue(values[p])});
        DecimateToColumns(raw.data(), raw.size(), m_paths[k]);
    }
}

const std::vector<ChartPoint>& GrowthChart::Path(size_t line) const {
    static const std::vector<ChartPoint> kEmpty;
    return line < m_paths.size() ? m_paths[line] : kEmpty;
}

float GrowthChart::XOfDay(int day) const {
    if (m_days.size() < 2)
        return static_cast<float>(m_plot.left);
    const double span = std::max(1, m_days.back() - m_days.front());
    return static_cast<float>(m_plot.left + (day - m_days.front()) / span * (m_plot.right - 1 - m_plot.left));
}

float GrowthChart::YOfValue(double value) const {
    const double span = m_valueAxis.high - m_valueAxis.low;
    if (!(span > 0.0))
        return static_cast<float>(m_plot.bottom);
    return static_cast<float>(m_plot.bottom - 1 -
                              (value - m_valueAxis.low) / span * (m_plot.bottom - 1 - m_plot.top));
}

RECT GrowthChart::LegendEntryRect(size_t line) const {
    const int row = static_cast<int>(line) - m_legendTop;
    const RECT entry{m_legend.left, m_legend.top + row * kLegendRowHeight, m_legend.right,
                     m_legend.top + (row + 1) * kLegendRowHeight};
    if (line >= m_lines.size() || row < 0 || entry.bottom > m_legend.bottom)
        return RECT{0, 0, 0, 0};
    return entry;
}

int GrowthChart::LegendEntryAt(int x, int y) const {
    if (!Inside(m_legend, x, y))
        return -1;
    const int line = m_legendTop + (y - m_legend.top) / kLegendRowHeight;
    if (line < 0 || line >= static_cast<int>(m_lines.size()))
        return -1;
    const RECT entry = LegendEntryRect(static_cast<size_t>(line));
    return Inside(entry, x, y) ? line : -1;
}

// ---- The base picture -------------------------------------------------------------------------------

void GrowthChart::RenderFrame() {
    Layout();
    UpdateScales();
    DrawBase();
    DrawOverlay();
}

void GrowthChart::RenderOverlay() {
    if (m_baseDirty)
        DrawBase();
    DrawOverlay();
}

void GrowthChart::PutText(HDC dc, const XStringW& text, RECT rect, UINT format, COLORREF colour) {
    ::SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

void GrowthChart::DrawBase() {
    m_baseDirty = false;
    m_overlayDirty = true;
    if (!m_base.Ensure(m_client.right, m_client.bottom))
        return;
    PixelCanvas canvas(m_base.Bits(), m_base.Width(), m_base.Height(), m_base.Width());
    DrawPicture(m_base.Dc(), canvas);
}

void GrowthChart::DrawPicture(HDC dc, ChartCanvas& canvas) {
    canvas.FillRect(m_client, m_colours.background);
    HGDIOBJ oldFont = SelectObject(dc, m_font.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                       : static_cast<HGDIOBJ>(m_font.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    PutText(dc, m_caption, m_captionRect, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS, m_colours.text);
    const bool plotUsable = m_plot.right - m_plot.left >= 40 && m_plot.bottom - m_plot.top >= 40;
    if (!m_notice.empty() || !plotUsable) {
        RECT area{m_client.left, m_client.top + kTopMargin, m_client.right, m_client.bottom};
        PutText(dc, m_notice, area, DT_CENTER | DT_VCENTER | DT_WORDBREAK, m_colours.text);
        SelectObject(dc, oldFont);
        return;
    }
    // GDI's text is done before the pixels are written, and the other way round below.
    GdiFlush();
    DrawGridAndLabels(dc, canvas);
    canvas.SetClip(m_plot);
    for (size_t k = 0; k < m_lines.size(); ++k) {
        if (m_lines[k].isIndex || IsLineHidden(k))
            continue;
        canvas.Polyline(m_paths[k].data(), m_paths[k].size(), m_lines[k].style.colour, 1.5f,
                        LineStyles::PatternOf(m_lines[k].style.dash));
    }
    // The index goes on top of the funds, so that a hundred of them never bury the benchmark.
    for (size_t k = 0; k < m_lines.size(); ++k) {
        if (!m_lines[k].isIndex || IsLineHidden(k))
            continue;
        canvas.Polyline(m_paths[k].data(), m_paths[k].size(), m_colours.index, 2.0f,
                        LineStyles::PatternOf(LineStyles::kIndexDash));
    }
    canvas.SetClip(m_client);
    DrawLegend(dc, canvas);
    SelectObject(dc, oldFont);
}

void GrowthChart::DrawGridAndLabels(HDC dc, ChartCanvas& canvas) {
    canvas.SetClip(m_plot);
    for (double tick : m_valueAxis.ticks) {
        const int y = static_cast<int>(std::floor(YOfValue(tick)));
        canvas.HorizontalLine(m_plot.left, m_plot.right, y, tick == 0.0 ? m_colours.zero : m_colours.grid);
    }
    for (int day : m_dateAxis.days) {
        const int x = static_cast<int>(std::floor(XOfDay(day)));
        canvas.VerticalLine(x, m_plot.top, m_plot.bottom, m_colours.grid, 2, 3);
    }
    // The zero line once more, in case no tick fell exactly on it.
    const int zero = static_cast<int>(std::floor(YOfValue(0.0)));
    canvas.HorizontalLine(m_plot.left, m_plot.right, zero, m_colours.zero);
    canvas.SetClip(m_client);
    canvas.VerticalLine(m_plot.left - 1, m_plot.top, m_plot.bottom + 1, m_colours.axis);
    canvas.HorizontalLine(m_plot.left - 1, m_plot.right, m_plot.bottom, m_colours.axis);

    GdiFlush();
    for (double tick : m_valueAxis.ticks) {
        const int y = static_cast<int>(std::floor(YOfValue(tick)));
        RECT label{0, y - 8, m_plot.left - 6, y + 8};
        PutText(dc, ChartScale::PercentLabel(tick, m_valueAxis.decimals), label, DT_RIGHT | DT_VCENTER,
                m_colours.text);
    }
    for (int day : m_dateAxis.days) {
        const int x = static_cast<int>(std::floor(XOfDay(day)));
        RECT label{x - 40, m_plot.bottom + 4, x + 40, m_plot.bottom + kBottomMargin};
        PutText(dc, ChartScale::DateLabel(day, m_dateAxis.step), label, DT_CENTER | DT_TOP, m_colours.text);
        canvas.VerticalLine(x, m_plot.bottom + 1, m_plot.bottom + 4, m_colours.axis);
    }
    GdiFlush();
}

void GrowthChart::DrawLegend(HDC dc, ChartCanvas& canvas) {
    const int rows = std::max(1, static_cast<int>((m_legend.bottom - m_legend.top) / kLegendRowHeight));
    m_legendTop = std::clamp(m_legendTop, 0, std::max(0, static_cast<int>(m_lines.size()) - rows));
    GdiFlush();
    for (size_t k = 0; k < m_lines.size(); ++k) {
        const RECT entry = LegendEntryRect(k);
        if (entry.bottom <= entry.top)
            continue;
        const bool hidden = IsLineHidden(k);
        const Line& line = m_lines[k];
        const COLORREF colour = line.isIndex ? m_colours.index : line.style.colour;
        const int middle = (entry.top + entry.bottom) / 2;
        // A box filled with the line's colour while the line shows, empty while it is hidden.
        const RECT box{entry.left + 4, middle - 5, entry.left + 14, middle + 5};
        if (hidden) {
            canvas.HorizontalLine(box.left, box.right, box.top, m_colours.legendHidden);
            canvas.HorizontalLine(box.left, box.right, box.bottom - 1, m_colours.legendHidden);
            canvas.VerticalLine(box.left, box.top, box.bottom, m_colours.legendHidden);
            canvas.VerticalLine(box.right - 1, box.top, box.bottom, m_colours.legendHidden);
        } else {
            canvas.FillRect(box, colour);
        }
        const ChartPoint sample[2] = {{static_cast<float>(entry.left + 18), middle + 0.5f},
                                      {static_cast<float>(entry.left + 44), middle + 0.5f}};
        canvas.Polyline(sample, 2, hidden ? m_colours.legendHidden : colour, line.isIndex ? 2.0f : 1.5f,
                        LineStyles::PatternOf(line.isIndex ? LineStyles::kIndexDash : line.style.dash));
    }
    GdiFlush();
    for (size_t k = 0; k < m_lines.size(); ++k) {
        const RECT entry = LegendEntryRect(k);
        if (entry.bottom <= entry.top)
            continue;
        RECT text{entry.left + 50, entry.top, entry.right - 8, entry.bottom};
        PutText(dc, m_lines[k].label, text, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS,
                IsLineHidden(k) ? m_colours.legendHidden : m_colours.text);
    }
    // A scroll bar at the legend's edge when not every entry fits.
    if (static_cast<int>(m_lines.size()) > rows) {
        GdiFlush();
        const int height = m_legend.bottom - m_legend.top;
        const int thumb = std::max(12, height * rows / static_cast<int>(m_lines.size()));
        const int top = m_legend.top +
                        (height - thumb) * m_legendTop / std::max(1, static_cast<int>(m_lines.size()) - rows);
        canvas.FillRect(RECT{m_legend.right - 3, m_legend.top, m_legend.right, m_legend.bottom},
                        m_colours.grid);
        canvas.FillRect(RECT{m_legend.right - 3, top, m_legend.right, top + thumb}, m_colours.axis);
    }
}

// ---- The overlay -----------------------------------------------------------------------------------

void GrowthChart::DrawOverlay() {
    m_overlayDirty = false;
    if (!m_back.Ensure(m_client.right, m_client.bottom) || !m_base.Valid())
        return;
    m_back.CopyFrom(m_base);
    if (!m_notice.empty())
        return;
    PixelCanvas canvas(m_back.Bits(), m_back.Width(), m_back.Height(), m_back.Width());
    if (m_hot >= 0 && static_cast<size_t>(m_hot) < m_lines.size()) {
        const Line& line = m_lines[static_cast<size_t>(m_hot)];
        const RECT entry = LegendEntryRect(static_cast<size_t>(m_hot));
        if (entry.bottom > entry.top) {
            canvas.HorizontalLine(entry.left, entry.right, entry.top, m_colours.cursor);
            canvas.HorizontalLine(entry.left, entry.right, entry.bottom - 1, m_colours.cursor);
        }
        if (!IsLineHidden(static_cast<size_t>(m_hot))) {
            canvas.SetClip(m_plot);
            const std::vector<ChartPoint>& path = m_paths[static_cast<size_t>(m_hot)];
            canvas.Polyline(path.data(), path.size(), line.isIndex ? m_colours.index : line.style.colour,
                            line.isIndex ? 3.0f : 2.5f,
                            LineStyles::PatternOf(line.isIndex ? LineStyles::kIndexDash : line.style.dash));
            canvas.SetClip(m_client);
        }
    }
    if (m_hover >= 0 && static_cast<size_t>(m_hover) < m_xs.size()) {
        const int x = static_cast<int>(std::floor(m_xs[static_cast<size_t>(m_hover)]));
        canvas.SetClip(m_plot);
        canvas.VerticalLine(x, m_plot.top, m_plot.bottom, m_colours.cursor, 3, 2);
        canvas.SetClip(m_client);
        HDC dc = m_back.Dc();
        HGDIOBJ oldFont = SelectObject(dc, m_font.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                           : static_cast<HGDIOBJ>(m_font.GetHandle()));
        SetBkMode(dc, TRANSPARENT);
        DrawTip(dc);
        SelectObject(dc, oldFont);
    }
    GdiFlush();
}

void GrowthChart::DrawTip(HDC dc) {
    // A long list runs in columns over the whole height of the window; with many columns they
    // narrow (names are shortened) so that the tip stays inside the window.
    const int count = static_cast<int>(m_tip.size());
    const int available = m_client.bottom - m_client.top - 8;
    const int rowsPerColumn = std::max(1, (available - kTipRowHeight - 12) / kTipRowHeight);
    const int columns = std::max(1, (count + rowsPerColumn - 1) / rowsPerColumn);
    const int rows = std::max(1, std::min(count, rowsPerColumn));
    const int room = m_client.right - m_plot.left - 14;
    const int columnWidth = std::clamp(room / columns, kTipColumnWidth * 2 / 3, kTipColumnWidth);
    const int width = columns * columnWidth + 12;
    const int height = (rows + 1) * kTipRowHeight + 12;
    const int cursor = static_cast<int>(std::floor(m_xs[static_cast<size_t>(m_hover)]));
    int left = cursor + 12;
    if (left + width > m_plot.right)
        left = cursor - 12 - width;
    left = std::max(left, static_cast<int>(m_plot.left) + 2);
    const int top =
        count > rowsPerColumn / 2 ? static_cast<int>(m_client.top) + 4 : static_cast<int>(m_plot.top) + 4;
    const RECT box{left, top, left + width, top + height};

    PixelCanvas canvas(m_back.Bits(), m_back.Width(), m_back.Height(), m_back.Width());
    canvas.FillRect(box, m_colours.tipBackground);
    canvas.HorizontalLine(box.left, box.right, box.top, m_colours.tipBorder);
    canvas.HorizontalLine(box.left, box.right, box.bottom - 1, m_colours.tipBorder);
    canvas.VerticalLine(box.left, box.top, box.bottom, m_colours.tipBorder);
    canvas.VerticalLine(box.right - 1, box.top, box.bottom, m_colours.tipBorder);
    for (int k = 0; k < count; ++k) {
        const Line& line = m_lines[static_cast<size_t>(m_tip[static_cast<size_t>(k)].line)];
        const int column = k / rowsPerColumn, row = k % rowsPerColumn;
        const int x = box.left + 6 + column * columnWidth;
        const int y = box.top + 6 + (row + 1) * kTipRowHeight;
        canvas.FillRect(RECT{x, y + 4, x + 8, y + 12}, line.isIndex ? m_colours.index : line.style.colour);
    }
    GdiFlush();
    RECT header{box.left + 6, box.top + 6, box.right - 6, box.top + 6 + kTipRowHeight};
    PutText(dc, GrowthDates::Format(m_days[static_cast<size_t>(m_hover)]), header, DT_LEFT | DT_VCENTER,
            m_colours.tipText);
    for (int k = 0; k < count; ++k) {
        const TipEntry& entry = m_tip[static_cast<size_t>(k)];
        const int column = k / rowsPerColumn, row = k % rowsPerColumn;
        const int x = box.left + 6 + column * columnWidth;
        const int y = box.top + 6 + (row + 1) * kTipRowHeight;
        RECT name{x + 12, y, x + columnWidth - 62, y + kTipRowHeight};
        PutText(dc, m_lines[static_cast<size_t>(entry.line)].label, name,
                DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS, m_colours.tipText);
        RECT value{x + columnWidth - 62, y, x + columnWidth - 8, y + kTipRowHeight};
        PutText(dc, ChartScale::PercentLabel(entry.value, 2), value, DT_RIGHT | DT_VCENTER,
                m_colours.tipText);
    }
}

// ---- Input ------------------------------------------------------------------------------------------

void GrowthChart::OnSize() {
    Layout();
    UpdateScales();
    ClearHover();
    Changed(true);
}

void GrowthChart::OnPaint() {
    WGUI::OffscreenPaint paint(m_hWnd);
    if (m_client.right <= 0 || m_client.bottom <= 0)
        return;
    if (m_baseDirty)
        DrawBase();
    if (m_overlayDirty)
        DrawOverlay();
    paint.Show(m_back);
}

void GrowthChart::ClearHover() {
    if (m_hover < 0 && m_hot < 0)
        return;
    m_hover = -1;
    m_hot = -1;
    m_tip.clear();
    Changed(false);
}

void GrowthChart::HoverAt(int x, int y) {
    int hover = -1, hot = -1;
    std::vector<TipEntry> tip;
    if (m_notice.empty() && !m_days.empty()) {
        if (Inside(m_plot, x, y)) {
            // The axis day nearest the pointer.
            const auto it = std::lower_bound(m_xs.begin(), m_xs.end(), static_cast<float>(x));
            size_t p = static_cast<size_t>(it - m_xs.begin());
            if (p == m_xs.size() || (p > 0 && x - m_xs[p - 1] < m_xs[p] - x))
                p = p == 0 ? 0 : p - 1;
            hover = static_cast<int>(p);
            float nearest = kHotDistance + 0.5f;
            for (size_t k = 0; k < m_lines.size(); ++k) {
                const double v = m_lines[k].values[p];
                if (IsLineHidden(k) || !std::isfinite(v))
                    continue;
                tip.push_back({static_cast<int>(k), v});
                const float distance = std::abs(YOfValue(v) - (y + 0.5f));
                if (distance < nearest) {
                    nearest = distance;
                    hot = static_cast<int>(k);
                }
            }
            std::stable_sort(tip.begin(), tip.end(),
                             [](const TipEntry& a, const TipEntry& b) { return a.value > b.value; });
        } else {
            hot = LegendEntryAt(x, y);
        }
    }
    if (hover == m_hover && hot == m_hot && tip.size() == m_tip.size())
        return;
    m_hover = hover;
    m_hot = hot;
    m_tip = std::move(tip);
    Changed(false);
}

void GrowthChart::OnMouseMove(int x, int y) {
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
        m_tracking = TrackMouseEvent(&track) != FALSE;
    }
    HoverAt(x, y);
}

void GrowthChart::OnLButtonDown(int x, int y) {
    // The wheel goes to the window with the focus; the chart takes it so that the legend scrolls.
    ::SetFocus(m_hWnd);
    const int line = LegendEntryAt(x, y);
    if (line >= 0)
        SetLineHidden(static_cast<size_t>(line), !IsLineHidden(static_cast<size_t>(line)));
}

void GrowthChart::OnMouseWheel(int x, int y, int notches) {
    // The legend is the one thing here that scrolls, wherever the pointer is.
    if (notches == 0)
        return;
    const int before = m_legendTop;
    const int rows = std::max(1, static_cast<int>((m_legend.bottom - m_legend.top) / kLegendRowHeight));
    m_legendTop =
        std::clamp(m_legendTop - 3 * notches, 0, std::max(0, static_cast<int>(m_lines.size()) - rows));
    if (m_legendTop != before) {
        m_hot = LegendEntryAt(x, y);
        Changed(true);
    }
}
