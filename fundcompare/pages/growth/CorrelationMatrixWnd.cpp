// CorrelationMatrixWnd: layout, drawing, the pointer tip and scrolling.
#include "pages/growth/CorrelationMatrixWnd.h"

#include "pages/growth/DcCanvas.h"
#include "pages/growth/LineStyles.h"
#include "pages/growth/PixelCanvas.h"
#include "wgui/ModuleInstance.h"
#include "wgui/OffscreenPaint.h"
#include "wgui/PageClass.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Names written top to bottom along the columns keep to this many characters.
constexpr size_t kColumnNameLength = 8;
constexpr int kMargin = 8;

void Text(HDC dc, const XStringW& text, RECT rect, UINT format, COLORREF colour) {
    ::SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.length()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

XStringW ValueText(double v) {
    XStringW text;
    if (std::isnan(v))
        return XStringW(L"--");
    text.Format(L"%.2f", v);
    return text;
}

} // namespace

CorrelationMatrixWnd::CorrelationMatrixWnd() = default;

CorrelationMatrixWnd::~CorrelationMatrixWnd() = default;

HWND CorrelationMatrixWnd::Create(HWND parent) {
    const std::wstring className = WGUI::PageClass::Register(L"GrowthCorrelation");
    if (className.empty())
        return nullptr;
    return WindowBase::Create(WS_CHILD, 0, className.c_str(), L"", RECT{0, 0, 0, 0}, parent, nullptr,
                              WGUI::ModuleInstance(), &m_binder);
}

bool CorrelationMatrixWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SIZE:
        Layout();
        Changed();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
            m_tracking = TrackMouseEvent(&track) != FALSE;
        }
        HoverAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_MOUSELEAVE:
        m_tracking = false;
        HoverAt(-1, -1);
        return false;
    case WM_LBUTTONDOWN:
        // The wheel reaches the window with the focus.
        ::SetFocus(m_hWnd);
        return false;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        result = 0;
        return true;
    case WM_PRINTCLIENT:
        // The cells in view as they stand, without the pointer's tip, onto the caller's DC (a
        // report's page keeps them as vectors).
        if (wParam != 0 && m_client.right > 0 && m_client.bottom > 0) {
            const XStringW tip = m_tipText;
            const int hoverRow = m_hoverRow;
            m_tipText.clear();
            m_hoverRow = -1;
            DcCanvas canvas(reinterpret_cast<HDC>(wParam));
            DrawPicture(reinterpret_cast<HDC>(wParam), canvas);
            m_tipText = tip;
            m_hoverRow = hoverRow;
        }
        result = 0;
        return true;
    case WM_DESTROY:
        m_buffer.Release();
        return false;
    default:
        return false;
    }
}

void CorrelationMatrixWnd::SetColours(const Colours& colours) {
    m_colours = colours;
    Changed();
}

void CorrelationMatrixWnd::SetFontFace(const XStringW& face) {
    if (!face.empty())
        m_fontFace = face;
    m_font.Replace(gdiobj::CreateTextFont(m_fontFace.c_str()));
    Changed();
}

void CorrelationMatrixWnd::SetData(std::vector<XStringW> names, std::vector<double> matrix) {
    m_names = std::move(names);
    m_matrix = std::move(matrix);
    m_matrix.resize(m_names.size() * m_names.size(), std::numeric_limits<double>::quiet_NaN());
    m_firstRow = m_firstColumn = 0;
    m_hoverRow = m_hoverColumn = -1;
    m_tipText.clear();
    Layout();
    Changed();
}

void CorrelationMatrixWnd::SetNotice(const XStringW& notice) {
    m_notice = notice;
    Changed();
}

double CorrelationMatrixWnd::Value(size_t row, size_t column) const {
    const size_t n = m_names.size();
    if (row >= n || column >= n)
        return std::numeric_limits<double>::quiet_NaN();
    return m_matrix[row * n + column];
}

void CorrelationMatrixWnd::Changed() {
    m_dirty = true;
    if (IsWindow())
        Invalidate(FALSE);
}

void CorrelationMatrixWnd::Layout() {
    if (IsWindow())
        ::GetClientRect(m_hWnd, &m_client);
    const int n = std::max(1, static_cast<int>(m_names.size()));
    const int width = m_client.right - kRowLabelWidth - kMargin;
    const int height = m_client.bottom - kColumnLabelHeight - kMargin;
    m_cell = std::clamp(std::min(width, height) / n, kMinCell, kMaxCell);
    m_cells = RECT{kRowLabelWidth, kColumnLabelHeight,
                   std::min(static_cast<int>(m_client.right) - kMargin, kRowLabelWidth + n * m_cell),
                   std::min(static_cast<int>(m_client.bottom) - kMargin, kColumnLabelHeight + n * m_cell)};
}

int CorrelationMatrixWnd::RowsInView() const {
    return m_cell > 0 ? std::max(1, static_cast<int>(m_cells.bottom - m_cells.top) / m_cell) : 1;
}

int CorrelationMatrixWnd::ColumnsInView() const {
    return m_cell > 0 ? std::max(1, static_cast<int>(m_cells.right - m_cells.left) / m_cell) : 1;
}

void CorrelationMatrixWnd::ScrollToCell(int row, int column) {
    const int n = static_cast<int>(m_names.size());
    m_firstRow = std::clamp(row, 0, std::max(0, n - 1));
    m_firstColumn = std::clamp(column, 0, std::max(0, n - 1));
    Changed();
}

RECT CorrelationMatrixWnd::CellRect(size_t row, size_t column) const {
    const int left = m_cells.left + (static_cast<int>(column) - m_firstColumn) * m_cell;
    const int top = m_cells.top + (static_cast<int>(row) - m_firstRow) * m_cell;
    return RECT{left, top, left + m_cell, top + m_cell};
}

bool CorrelationMatrixWnd::CellAt(int x, int y, size_t& row, size_t& column) const {
    if (!m_notice.empty() || x < m_cells.left || x >= m_cells.right || y < m_cells.top || y >= m_cells.bottom)
        return false;
    const int r = m_firstRow + (y - m_cells.top) / m_cell;
    const int c = m_firstColumn + (x - m_cells.left) / m_cell;
    if (r < 0 || c < 0 || r >= static_cast<int>(m_names.size()) || c >= static_cast<int>(m_names.size()))
        return false;
    row = static_cast<size_t>(r);
    column = static_cast<size_t>(c);
    return true;
}

void CorrelationMatrixWnd::HoverAt(int x, int y) {
    size_t row = 0, column = 0;
    const bool over = CellAt(x, y, row, column);
    const int r = over ? static_cast<int>(row) : -1, c = over ? static_cast<int>(column) : -1;
    if (r == m_hoverRow && c == m_hoverColumn)
        return;
    m_hoverRow = r;
    m_hoverColumn = c;
    m_pointer = POINT{x, y};
    m_tipText.clear();
    if (over)
        m_tipText = m_names[row] + XStringW(L" 与 ") + m_names[column] + XStringW(L"：") +
                    ValueText(Value(row, column));
    Changed();
}

void CorrelationMatrixWnd::OnMouseWheel(WPARAM wParam) {
    const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    const int n = static_cast<int>(m_names.size());
    const bool sideways = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0;
    const int shown = std::max(
        1,
        static_cast<int>((sideways ? m_cells.right - m_cells.left : m_cells.bottom - m_cells.top) / m_cell));
    int& first = sideways ? m_firstColumn : m_firstRow;
    const int before = first;
    first = std::clamp(first - 3 * notches, 0, std::max(0, n - shown));
    if (first != before) {
        m_hoverRow = m_hoverColumn = -1;
        m_tipText.clear();
        Changed();
    }
}

void CorrelationMatrixWnd::RenderFrame() {
    Layout();
    Draw();
}

void CorrelationMatrixWnd::Draw() {
    m_dirty = false;
    if (!m_buffer.Ensure(m_client.right, m_client.bottom))
        return;
    PixelCanvas canvas(m_buffer.Bits(), m_buffer.Width(), m_buffer.Height(), m_buffer.Width());
    DrawPicture(m_buffer.Dc(), canvas);
}

void CorrelationMatrixWnd::DrawPicture(HDC dc, ChartCanvas& canvas) {
    canvas.FillRect(m_client, m_colours.background);
    HGDIOBJ oldFont = SelectObject(dc, m_font.IsNull() ? GetStockObject(DEFAULT_GUI_FONT)
                                                       : static_cast<HGDIOBJ>(m_font.GetHandle()));
    SetBkMode(dc, TRANSPARENT);
    if (!m_notice.empty()) {
        Text(dc, m_notice, m_client, DT_CENTER | DT_VCENTER, m_colours.text);
        SelectObject(dc, oldFont);
        return;
    }
    const int n = static_cast<int>(m_names.size());
    const int lastRow =
        std::min(n, m_firstRow + (static_cast<int>(m_cells.bottom - m_cells.top) + m_cell - 1) / m_cell);
    const int lastColumn =
        std::min(n, m_firstColumn + (static_cast<int>(m_cells.right - m_cells.left) + m_cell - 1) / m_cell);

    canvas.SetClip(m_cells);
    for (int r = m_firstRow; r < lastRow; ++r)
        for (int c = m_firstColumn; c < lastColumn; ++c) {
            RECT cell = CellRect(static_cast<size_t>(r), static_cast<size_t>(c));
            const COLORREF colour =
                LineStyles::CorrelationColour(Value(static_cast<size_t>(r), static_cast<size_t>(c)),
                                              m_colours.negative, m_colours.neutral, m_colours.positive);
            canvas.FillRect(RECT{cell.left, cell.top, cell.right - 1, cell.bottom - 1}, colour);
        }
    if (m_hoverRow >= 0) {
        const RECT cell = CellRect(static_cast<size_t>(m_hoverRow), static_cast<size_t>(m_hoverColumn));
        canvas.HorizontalLine(cell.left, cell.right, cell.top, m_colours.text);
        canvas.HorizontalLine(cell.left, cell.right, cell.bottom - 2, m_colours.text);
        canvas.VerticalLine(cell.left, cell.top, cell.bottom - 1, m_colours.text);
        canvas.VerticalLine(cell.right - 2, cell.top, cell.bottom - 1, m_colours.text);
    }
    canvas.SetClip(m_client);
    // The scale: -1 to +1 in the corner above the row names.
    for (int k = 0; k < 100; ++k) {
        const int x = kMargin + 20 + k;
        canvas.VerticalLine(x, 30, 42,
                            LineStyles::CorrelationColour(k / 49.5 - 1.0, m_colours.negative,
                                                          m_colours.neutral, m_colours.positive));
    }
    GdiFlush();
    Text(dc, L"相关系数", RECT{kMargin, 8, kRowLabelWidth - 8, 26}, DT_LEFT | DT_VCENTER, m_colours.text);
    Text(dc, L"-1", RECT{kMargin, 28, kMargin + 18, 44}, DT_RIGHT | DT_VCENTER, m_colours.text);
    Text(dc, L"+1", RECT{kMargin + 122, 28, kMargin + 146, 44}, DT_LEFT | DT_VCENTER, m_colours.text);

    for (int r = m_firstRow; r < lastRow; ++r) {
        const RECT cell = CellRect(static_cast<size_t>(r), 0);
        Text(dc, m_names[static_cast<size_t>(r)], RECT{kMargin, cell.top, kRowLabelWidth - 6, cell.bottom},
             DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS, m_colours.text);
    }
    // Column names top to bottom, one character under the other, as Chinese is set vertically.
    for (int c = m_firstColumn; c < lastColumn; ++c) {
        const RECT cell = CellRect(0, static_cast<size_t>(c));
        const std::wstring& name = m_names[static_cast<size_t>(c)].str();
        const size_t length = std::min(name.size(), kColumnNameLength);
        const int lineHeight = 13;
        int y = kColumnLabelHeight - 4 - static_cast<int>(length) * lineHeight;
        for (size_t k = 0; k < length; ++k, y += lineHeight) {
            const wchar_t character[2] = {name[k], 0};
            Text(dc, character, RECT{cell.left, y, cell.right, y + lineHeight}, DT_CENTER | DT_VCENTER,
                 m_colours.text);
        }
    }
    if (m_cell >= kValueCell)
        for (int r = m_firstRow; r < lastRow; ++r)
            for (int c = m_firstColumn; c < lastColumn; ++c) {
                const RECT cell = CellRect(static_cast<size_t>(r), static_cast<size_t>(c));
                const double v = Value(static_cast<size_t>(r), static_cast<size_t>(c));
                const COLORREF colour = LineStyles::CorrelationColour(v, m_colours.negative,
                                                                      m_colours.neutral, m_colours.positive);
                Text(dc, ValueText(v), RECT{cell.left, cell.top, cell.right - 1, cell.bottom - 1},
                     DT_CENTER | DT_VCENTER, LineStyles::TextOn(colour));
            }

    if (!m_tipText.empty()) {
        SIZE size{};
        GetTextExtentPoint32W(dc, m_tipText.c_str(), static_cast<int>(m_tipText.length()), &size);
        int left = m_pointer.x + 14;
        if (left + size.cx + 12 > m_client.right)
            left = std::max(0, static_cast<int>(m_pointer.x) - 14 - size.cx - 12);
        const int top = std::max(0, static_cast<int>(m_pointer.y) - 30);
        const RECT box{left, top, left + size.cx + 12, top + 22};
        GdiFlush();
        canvas.FillRect(box, m_colours.tipBackground);
        canvas.HorizontalLine(box.left, box.right, box.top, m_colours.tipBorder);
        canvas.HorizontalLine(box.left, box.right, box.bottom - 1, m_colours.tipBorder);
        canvas.VerticalLine(box.left, box.top, box.bottom, m_colours.tipBorder);
        canvas.VerticalLine(box.right - 1, box.top, box.bottom, m_colours.tipBorder);
        Text(dc, m_tipText, RECT{box.left + 6, box.top, box.right - 6, box.bottom}, DT_LEFT | DT_VCENTER,
             m_colours.tipText);
    }
    GdiFlush();
    SelectObject(dc, oldFont);
}

void CorrelationMatrixWnd::OnPaint() {
    WGUI::OffscreenPaint paint(m_hWnd);
    if (m_client.right <= 0 || m_client.bottom <= 0)
        return;
    if (m_dirty || !m_buffer.Valid())
        Draw();
    paint.Show(m_buffer);
}
