// Control::XDataGrid: the message switch, the header document, settings, selection, layout and
// hit testing. Drawing lives in XDataGridDraw.cpp and mouse and keyboard input in
// XDataGridInput.cpp.
#include <sdk/ControlDataGrid.h>

#include "GridMetrics.h"

#include <hostkernel/XmlLimits.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Control {

// ---- The message switch -----------------------------------------------------------------------

LRESULT XDataGrid::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1; // every pixel comes from the back buffer
    case WM_SIZE:
        OnSize();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam);
        break;
    case WM_RBUTTONDOWN:
        OnRButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA, message == WM_MOUSEHWHEEL);
        return 0;
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<UINT>(wParam)))
            return 0;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint(); // the focus frame and the current row's outline
        break;
    case WM_CAPTURECHANGED:
        m_drag = Drag::None;
        break;
    case WM_DESTROY:
        ReleaseDrawingResource();
        break;
    default:
        break;
    }
    return XWin::WndProc(message, wParam, lParam);
}

XDataGrid::XDataGrid() : m_header(std::make_unique<pugi::xml_document>()) {}

XDataGrid::~XDataGrid() {
    // The window goes first, while the object is still whole enough to answer its last messages.
    if (IsWindow())
        ::DestroyWindow(m_hWnd);
    ReleaseDrawingResource();
}

// ---- The header document ----------------------------------------------------------------------

namespace {

XStringW Attr(const pugi::xml_node& node, const char* name) {
    return XStringW::FromUtf8(node.attribute(name).value());
}

// A non-negative decimal integer; anything else (missing, signs, garbage, overflow) counts as absent.
// font-size is a point size (9 points is 12 pixels on a 96-dpi screen); the fonts are made in
// pixels. 0 (the grid's default) when absent or not a number.
int ParsePointSize(const pugi::xml_node& item) {
    const char* text = item.attribute("font-size").value();
    char* end = nullptr;
    double points = std::strtod(text, &end);
    if (end == text || !(points > 0) || points > grid::kMaxSize)
        return 0;
    return static_cast<int>(points * 96.0 / 72.0 + 0.5);
}

int ParseSize(const pugi::xml_node& node, const char* name, int fallback) {
    const char* text = node.attribute(name).value();
    while (*text == ' ')
        ++text;
    if (*text < '0' || *text > '9')
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    while (*end == ' ')
        ++end;
    if (*end != '\0' || value > grid::kMaxSize)
        return fallback;
    return static_cast<int>(value);
}

UINT ParseAlign(const pugi::xml_node& node) {
    std::string align = node.attribute("align").value();
    if (align == "center")
        return DT_CENTER;
    if (align == "right")
        return DT_RIGHT;
    return DT_LEFT;
}

} // namespace

int XDataGrid::SetHeader(const wchar_t* xml) {
    m_columns.clear();
    m_header = std::make_unique<pugi::xml_document>();
    int ok = 0;
    if (xml != nullptr) {
        std::string utf8 = XStringW(xml).ToUtf8();
        // A document beyond the bounds of any real header is malformed, like one that is not XML.
        std::string beyond;
        bool parsed =
            HostKernel::XmlTextWithinLimits(utf8, beyond) &&
            m_header->load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8) &&
            HostKernel::XmlTreeWithinLimits(*m_header, beyond);
        pugi::xml_node root = m_header->document_element();
        if (parsed && root) {
            ok = 1;
            for (pugi::xml_node item = root.first_child(); item; item = item.next_sibling()) {
                if (item.type() != pugi::node_element)
                    continue;
                Column column;
                column.info.name = Attr(item, "name");
                column.info.title = Attr(item, "title");
                column.info.item = item;
                column.info.index = static_cast<int>(m_columns.size());
                column.info.width = ParseSize(item, "width", 0);
                column.info.align = ParseAlign(item);
                column.font.face = Attr(item, "font-family").str();
                column.font.size = ParsePointSize(item);
                std::string style = item.attribute("font-style").value();
                column.font.bold = style.find("bold") != std::string::npos;
                column.font.italic = style.find("italic") != std::string::npos;
                m_columns.push_back(std::move(column));
            }
        } else {
            m_header->reset();
        }
    }
    // The rows may be sorted still (the data keeps its order), so the mark stays when its column does.
    if (!m_sortName.empty() && GetHeaderItem(m_sortName.c_str()).empty())
        m_sortName.clear();
    m_dragColumn = -1;
    m_drag = Drag::None;
    UpdateLayout();
    OnResetHeader();
    Repaint();
    return ok;
}

pugi::xml_node XDataGrid::GetHeaderItem(const wchar_t* name) const {
    if (name == nullptr)
        return {};
    for (const Column& column : m_columns)
        if (column.info.name == XStringW(name))
            return column.info.item;
    return {};
}

bool XDataGrid::GetHeaderInfo(const wchar_t* name, HeaderInfo2& info) const {
    if (name == nullptr)
        return false;
    for (const Column& column : m_columns) {
        if (column.info.name == XStringW(name)) {
            info = column.info;
            return true;
        }
    }
    return false;
}

const XDataGrid::HeaderInfo2* XDataGrid::GetColumn(int index) const {
    return index >= 0 && index < GetColumnCount() ? &m_columns[index].info : nullptr;
}

// ---- Settings ---------------------------------------------------------------------------------

void XDataGrid::Refresh(bool scrollToTop, bool clearSelection) {
    if (clearSelection) {
        m_sels.clear();
        m_currSel = -1;
        m_anchor = -1;
    }
    if (scrollToTop) {
        m_topRow = 0;
        m_scrollX = 0;
    }
    UpdateLayout();
    // Rows that vanished cannot stay selected.
    while (!m_sels.empty() && *m_sels.rbegin() >= m_rowCount)
        m_sels.erase(std::prev(m_sels.end()));
    if (m_currSel >= m_rowCount)
        m_currSel = -1;
    if (m_anchor >= m_rowCount)
        m_anchor = -1;
    Repaint();
}

void XDataGrid::SetZoom(double zoom) {
    // Zoom comes from a user setting: nonsense falls back to 1, extremes are held to what a
    // screen can show.
    if (!std::isfinite(zoom) || zoom <= 0)
        zoom = 1.0;
    m_zoom = std::clamp(zoom, 0.25, 4.0);
    for (auto& [key, font] : m_fonts)
        DeleteObject(font);
    m_fonts.clear();
    UpdateLayout();
    Repaint();
}

void XDataGrid::SetRowHight(int height) {
    m_rowHeight = std::clamp(height, 1, grid::kMaxSize);
    UpdateLayout();
    Repaint();
}

void XDataGrid::SetHeaderRowHight(int height) {
    m_headerRowHeight = std::clamp(height, 0, grid::kMaxSize);
    UpdateLayout();
    Repaint();
}

void XDataGrid::SetHeaderFont(const wchar_t* face, int size) {
    if (face != nullptr && face[0] != L'\0')
        m_headerFont.face = face;
    if (size > 0)
        m_headerFont.size = std::min(size, grid::kMaxFontSize);
    Repaint();
}

void XDataGrid::SetDrawGridLine(bool horizontal, bool vertical) {
    m_hLines = horizontal;
    m_vLines = vertical;
    Repaint();
}

void XDataGrid::SetScrollLock(bool lock) {
    m_scrollLock = lock;
    UpdateLayout();
    Repaint();
}

void XDataGrid::SetShowCheckBox(bool show) {
    m_showCheckBox = show;
    UpdateLayout();
    Repaint();
}

void XDataGrid::ReleaseDrawingResource() {
    if (m_bufferDC != nullptr) {
        SelectObject(m_bufferDC, m_bufferOld);
        DeleteDC(m_bufferDC);
        m_bufferDC = nullptr;
    }
    if (m_buffer != nullptr) {
        DeleteObject(m_buffer);
        m_buffer = nullptr;
    }
    m_bufferSize = SIZE{0, 0};
    m_frameValid = false;
    for (auto& [key, font] : m_fonts)
        DeleteObject(font);
    m_fonts.clear();
}

#define XDG_COLOUR_SETTER(Name, member)                                                                      \
    void XDataGrid::Name(COLORREF colour) {                                                                  \
        member = colour;                                                                                     \
        Repaint();                                                                                           \
    }
XDG_COLOUR_SETTER(SetBkColor, m_bkColor)
XDG_COLOUR_SETTER(SetBdColor, m_bdColor)
XDG_COLOUR_SETTER(SetGridColor, m_gridColor)
XDG_COLOUR_SETTER(SetHeaderBkColor, m_headerBkColor)
XDG_COLOUR_SETTER(SetHeaderColor, m_headerColor)
XDG_COLOUR_SETTER(SetSelColor, m_selColor)
XDG_COLOUR_SETTER(SetScrollArrowColor, m_scrollArrowColor)
XDG_COLOUR_SETTER(SetScrollButtonColor, m_scrollButtonColor)
XDG_COLOUR_SETTER(SetScrollFaceColor, m_scrollFaceColor)
XDG_COLOUR_SETTER(SetScrollDarkColor, m_scrollDarkColor)
XDG_COLOUR_SETTER(SetScrollLightColor, m_scrollLightColor)
#undef XDG_COLOUR_SETTER

void XDataGrid::SetTextColor(COLORREF colour) {
    m_textColor = colour;
    m_textColorSet = true;
    Repaint();
}

// ---- Selection --------------------------------------------------------------------------------

void XDataGrid::SetMultiSel(bool multi) {
    m_multiSel = multi;
    if (!multi && m_sels.size() > 1) {
        m_sels.clear();
        if (m_currSel >= 0)
            m_sels.insert(m_currSel);
        Repaint();
    }
}

bool XDataGrid::SetCurrSel(int row) {
    // The rows may have changed since the last refresh; scrolling to the row needs their count.
    UpdateLayout();
    if (row < -1 || row >= m_rowCount)
        return false;
    m_sels.clear();
    m_currSel = row;
    m_anchor = row;
    if (row >= 0) {
        m_sels.insert(row);
        EnsureVisible(row);
    }
    Repaint();
    return true;
}

void XDataGrid::ClearMultiSel() {
    m_sels.clear();
    m_currSel = -1;
    m_anchor = -1;
    Repaint();
}

// ---- Layout -----------------------------------------------------------------------------------

int XDataGrid::ZoomedRowHeight() const {
    return std::max(1, static_cast<int>(std::lround(m_rowHeight * m_zoom)));
}

int XDataGrid::ZoomedHeaderHeight() const {
    return static_cast<int>(std::lround(m_headerRowHeight * m_zoom));
}

int XDataGrid::ZoomedWidth(int column) const {
    if (column < 0 || column >= GetColumnCount())
        return 0;
    int width = static_cast<int>(std::lround(m_columns[column].info.width * m_zoom));
    // The check box sits in front of the first column and widens it.
    if (column == 0 && m_showCheckBox)
        width += static_cast<int>(std::lround(grid::kCheckBoxSpace * m_zoom));
    return width;
}

void XDataGrid::UpdateLayout() {
    m_rowCount = std::max(0, GetRowsCount());
    Layout& l = m_layout;
    l = Layout{};
    if (m_hWnd != nullptr)
        ::GetClientRect(m_hWnd, &l.client);
    RECT inner = l.client;
    InflateRect(&inner, -grid::kBorder, -grid::kBorder);
    if (inner.right < inner.left)
        inner.right = inner.left;
    if (inner.bottom < inner.top)
        inner.bottom = inner.top;
    for (int i = 0; i < GetColumnCount(); ++i)
        l.totalWidth += ZoomedWidth(i);
    l.lockedWidth = m_scrollLock && GetColumnCount() > 0 ? ZoomedWidth(0) : 0;
    int headerHeight = std::min<int>(ZoomedHeaderHeight(), inner.bottom - inner.top);
    int rowsHeight = m_rowCount * ZoomedRowHeight();
    // Each bar takes room from the other direction, so decide twice.
    for (int pass = 0; pass < 2; ++pass) {
        int width = inner.right - inner.left - (l.hasV ? grid::kScrollBarSize : 0);
        int height = inner.bottom - inner.top - headerHeight - (l.hasH ? grid::kScrollBarSize : 0);
        l.hasH = l.totalWidth > width && width > 0;
        l.hasV = rowsHeight > height && height > 0;
    }
    RECT area = inner;
    if (l.hasV) {
        l.vbar = RECT{area.right - grid::kScrollBarSize, area.top, area.right, area.bottom};
        area.right -= grid::kScrollBarSize;
    }
    if (l.hasH) {
        l.hbar = RECT{area.left, area.bottom - grid::kScrollBarSize, area.right, area.bottom};
        area.bottom -= grid::kScrollBarSize;
        if (l.hasV)
            l.vbar.bottom -= grid::kScrollBarSize; // the corner belongs to neither bar
    }
    if (area.bottom < area.top)
        area.bottom = area.top;
    l.header = RECT{area.left, area.top, area.right, area.top + headerHeight};
    l.data = RECT{area.left, l.header.bottom, area.right, area.bottom};
    if (l.hasV)
        l.vbar.top = area.top;
    ClampScroll();
}

void XDataGrid::OnSize() {
    UpdateLayout();
    Repaint();
}

void XDataGrid::ClampScroll() {
    int visible = VisibleRowCount();
    int maxTop = std::max(0, m_rowCount - std::max(1, visible));
    m_topRow = std::clamp(m_topRow, 0, maxTop);
    int viewWidth = m_layout.data.right - m_layout.data.left;
    int maxX = std::max(0, m_layout.totalWidth - viewWidth);
    m_scrollX = std::clamp(m_scrollX, 0, maxX);
}

int XDataGrid::VisibleRowCount() const {
    return std::max(0, static_cast<int>(m_layout.data.bottom - m_layout.data.top) / ZoomedRowHeight());
}

RECT XDataGrid::GetHeaderRect() const {
    return m_layout.header;
}

RECT XDataGrid::GetDataRect() const {
    return m_layout.data;
}

int XDataGrid::ColumnLeft(int column) const {
    int x = m_layout.data.left;
    for (int i = 0; i < column; ++i)
        x += ZoomedWidth(i);
    // The locked first column stays put; the others slide under it.
    if (!(m_scrollLock && column == 0))
        x -= m_scrollX;
    return x;
}

RECT XDataGrid::GetCellRect(int row, int column) const {
    if (row < m_topRow || row >= m_rowCount || column < 0 || column >= GetColumnCount())
        return RECT{0, 0, 0, 0};
    int top = m_layout.data.top + (row - m_topRow) * ZoomedRowHeight();
    if (top >= m_layout.data.bottom)
        return RECT{0, 0, 0, 0};
    int left = ColumnLeft(column);
    return RECT{left, top, left + ZoomedWidth(column), top + ZoomedRowHeight()};
}

void XDataGrid::SetTopRow(int row) {
    m_topRow = row;
    ClampScroll();
    Repaint();
}

void XDataGrid::EnsureVisible(int row) {
    if (row < 0)
        return;
    int visible = std::max(1, VisibleRowCount());
    if (row < m_topRow)
        m_topRow = row;
    else if (row >= m_topRow + visible)
        m_topRow = row - visible + 1;
    ClampScroll();
}

// ---- Hit testing ------------------------------------------------------------------------------

int XDataGrid::RowAt(int y) const {
    if (y < m_layout.data.top || y >= m_layout.data.bottom)
        return -1;
    int row = m_topRow + (y - m_layout.data.top) / ZoomedRowHeight();
    return row < m_rowCount ? row : -1;
}

int XDataGrid::ColumnAt(int x, bool* onBorder) const {
    if (onBorder != nullptr)
        *onBorder = false;
    if (x < m_layout.data.left || x >= m_layout.data.right)
        return -1;
    bool inLocked = m_layout.lockedWidth > 0 && x < m_layout.data.left + m_layout.lockedWidth;
    for (int i = 0; i < GetColumnCount(); ++i) {
        // Behind the locked column, only the locked column can be hit.
        if (m_layout.lockedWidth > 0 && (i == 0) != inLocked)
            continue;
        int left = ColumnLeft(i);
        int right = left + ZoomedWidth(i);
        if (onBorder != nullptr && std::abs(x - (right - 1)) <= grid::kResizeSlop && ZoomedWidth(i) > 0) {
            *onBorder = true;
            return i;
        }
        if (x >= left && x < right)
            return i;
    }
    return -1;
}

int XDataGrid::HitTest(int x, int y, int& row, HeaderInfo2& item) const {
    row = -1;
    item = HeaderInfo2{};
    POINT p{x, y};
    if (m_layout.hasV && PtInRect(&m_layout.vbar, p))
        return HitVScroll;
    if (m_layout.hasH && PtInRect(&m_layout.hbar, p))
        return HitHScroll;
    bool onBorder = false;
    if (PtInRect(&m_layout.header, p)) {
        int column = ColumnAt(x, &onBorder);
        if (column < 0)
            return HitNone;
        item = m_columns[column].info;
        return onBorder ? HitHeaderBorder : HitHeader;
    }
    if (!PtInRect(&m_layout.data, p))
        return HitNone;
    int hitRow = RowAt(y);
    int column = ColumnAt(x, nullptr);
    if (hitRow < 0)
        return HitNone;
    row = hitRow;
    if (column < 0)
        return HitNone;
    item = m_columns[column].info;
    if (column == 0 && m_showCheckBox && x < ColumnLeft(0) + std::lround(grid::kCheckBoxSpace * m_zoom))
        return HitCheckBox;
    return HitCell;
}

// ---- Default hooks ----------------------------------------------------------------------------

int XDataGrid::GetRowsCount() {
    return 0;
}
bool XDataGrid::GetCheckStatus(int) {
    return false;
}
void XDataGrid::SetCheckStatus(int) {}
void XDataGrid::GetRowBackColor(int, bool selected, COLORREF& colour) {
    colour = selected ? m_selColor : m_bkColor;
}
void XDataGrid::GetItemColor(int, const HeaderInfo2&, const XStringW&, COLORREF&) {}
void XDataGrid::GetItemText(int, const HeaderInfo2&, XStringW& text) {
    text.clear();
}
bool XDataGrid::sort(const XStringW&, bool) {
    return false;
}
void XDataGrid::OnContextMenu(int, int) {}
void XDataGrid::OnHeaderChange() {}
void XDataGrid::OnResetHeader() {}
void XDataGrid::OnEnterItem(int) {}

} // namespace Control
