// Control::XDataGrid drawing: the back buffer and WM_PAINT, then the default drawing hooks in
// the order Render calls them.
//
// Every frame is drawn whole into one DIB section and copied with one BitBlt, so the window never
// shows a half-drawn grid; only the rows in view are asked for their text.
#include <sdk/ControlDataGrid.h>

#include "Contrast.h"
#include "GridMetrics.h"

#include <algorithm>
#include <cmath>

namespace Control {

// ---- Plumbing ---------------------------------------------------------------------------------

void XDataGrid::Repaint() {
    m_frameValid = false;
    if (m_hWnd != nullptr)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

RECT XDataGrid::RowRect(int row) const {
    if (row < m_topRow || row >= m_rowCount)
        return RECT{0, 0, 0, 0};
    int top = m_layout.data.top + (row - m_topRow) * ZoomedRowHeight();
    if (top >= m_layout.data.bottom)
        return RECT{0, 0, 0, 0};
    return RECT{m_layout.data.left, top, m_layout.data.right, top + ZoomedRowHeight()};
}

void XDataGrid::RepaintRows(const std::set<int>& rows) {
    if (m_hWnd == nullptr)
        return;
    if (!m_frameValid || m_bufferDC == nullptr) {
        Repaint();
        return;
    }
    Gdiplus::Graphics graphics(m_bufferDC);
    for (int row : rows) {
        RECT rect = RowRect(row);
        if (IsRectEmpty(&rect))
            continue;
        DrawRowQuick(m_bufferDC, &graphics, row, rect);
        UnionRect(&m_quickArea, &m_quickArea, &rect);
        ::InvalidateRect(m_hWnd, &rect, FALSE);
    }
}

void XDataGrid::EnsureBuffer(int width, int height) {
    if (m_bufferDC != nullptr && m_bufferSize.cx == width && m_bufferSize.cy == height)
        return;
    if (m_bufferDC != nullptr) {
        SelectObject(m_bufferDC, m_bufferOld);
        DeleteDC(m_bufferDC);
        m_bufferDC = nullptr;
    }
    if (m_buffer != nullptr) {
        DeleteObject(m_buffer);
        m_buffer = nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like the window
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_buffer = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_buffer == nullptr)
        return;
    m_bufferDC = CreateCompatibleDC(nullptr);
    m_bufferOld = SelectObject(m_bufferDC, m_buffer);
    m_bufferSize = SIZE{width, height};
    m_frameValid = false;
}

LRESULT XDataGrid::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc == nullptr)
        return 0;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width > 0 && height > 0) {
        // Rows already redrawn into the buffer need only their copy; anything else invalidated
        // (the window uncovered, a derived grid's own invalidation) gets a whole new frame.
        RECT covered{};
        bool quick = m_frameValid && m_bufferDC != nullptr && m_bufferSize.cx == width &&
                     m_bufferSize.cy == height && !IsRectEmpty(&m_quickArea) &&
                     UnionRect(&covered, &m_quickArea, &paint.rcPaint) && EqualRect(&covered, &m_quickArea);
        if (!quick) {
            UpdateLayout();
            EnsureBuffer(width, height);
            if (m_bufferDC != nullptr) {
                Gdiplus::Graphics graphics(m_bufferDC);
                Render(m_bufferDC, &graphics, client);
                m_frameValid = true;
            }
        }
        if (m_bufferDC != nullptr)
            BitBlt(dc, 0, 0, width, height, m_bufferDC, 0, 0, SRCCOPY);
    }
    m_quickArea = RECT{0, 0, 0, 0};
    EndPaint(m_hWnd, &paint);
    return 0;
}

void XDataGrid::FillSolid(HDC hdc, const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    SetDCBrushColor(hdc, colour);
    FillRect(hdc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

XDataGrid::FontKey XDataGrid::ZoomedFont(const FontKey& key) const {
    FontKey zoomed = key;
    if (zoomed.face.empty())
        zoomed.face = m_headerFont.face;
    if (zoomed.size <= 0)
        zoomed.size = m_headerFont.size;
    zoomed.size = std::clamp(static_cast<int>(std::lround(zoomed.size * m_zoom)), 1, grid::kMaxFontSize);
    return zoomed;
}

HFONT XDataGrid::FontFor(const FontKey& key) {
    auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second;
    HFONT font = CreateFontW(-key.size, 0, 0, 0, key.bold ? FW_BOLD : FW_NORMAL, key.italic, FALSE, FALSE,
                             GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             VARIABLE_PITCH | FF_SWISS, key.face.c_str());
    m_fonts.emplace(key, font);
    return font;
}

HFONT XDataGrid::GetColumnFont(int column) {
    if (column < 0 || column >= GetColumnCount())
        return FontFor(ZoomedFont(FontKey{}));
    return FontFor(ZoomedFont(m_columns[column].font));
}

HFONT XDataGrid::GetHeaderFontHandle() {
    return FontFor(ZoomedFont(m_headerFont));
}

// ---- The frame --------------------------------------------------------------------------------

void XDataGrid::Render(HDC hdc, Gdiplus::Graphics* graphics, const RECT& client) {
    SetBkMode(hdc, TRANSPARENT);
    DrawBackground(hdc, graphics, client);
    DrawContent(hdc, graphics, m_layout.data);
    DrawHeader(hdc, graphics, m_layout.header);
    DrawScrollBar(hdc, graphics);
    DrawBorder(hdc, graphics, client);
    // A grid that has the keyboard (reached with Tab, or clicked) says so: its frame takes the
    // focus colour. The frame lies outside the rows, so that it cuts through no merged cell.
    if (HasKeyboard()) {
        SetDCBrushColor(hdc, FocusColor());
        FrameRect(hdc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

void XDataGrid::DrawBackground(HDC hdc, Gdiplus::Graphics*, const RECT& rect) {
    FillSolid(hdc, rect, m_bkColor);
}

void XDataGrid::DrawBorder(HDC hdc, Gdiplus::Graphics*, const RECT& rect) {
    SetDCBrushColor(hdc, m_bdColor);
    FrameRect(hdc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// ---- Header -----------------------------------------------------------------------------------

void XDataGrid::DrawHeader(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect) {
    if (rect.bottom <= rect.top)
        return;
    DrawHeaderBackgound(hdc, graphics, nullptr, rect);
    int saved = SaveDC(hdc);
    HFONT font = GetHeaderFontHandle();
    SelectObject(hdc, font);
    ::SetTextColor(hdc, m_headerColor);
    // Scrolling items first, clipped so that they slide under the locked one.
    RECT scrolling = rect;
    scrolling.left += m_layout.lockedWidth;
    IntersectClipRect(hdc, scrolling.left, scrolling.top, scrolling.right, scrolling.bottom);
    for (int i = m_layout.lockedWidth > 0 ? 1 : 0; i < GetColumnCount(); ++i) {
        RECT item{ColumnLeft(i), rect.top, ColumnLeft(i) + ZoomedWidth(i), rect.bottom};
        if (item.right <= scrolling.left || item.left >= scrolling.right || item.right <= item.left)
            continue;
        DrawHeaderItem(hdc, graphics, m_columns[i].info, item);
    }
    RestoreDC(hdc, saved);
    if (m_layout.lockedWidth > 0) {
        saved = SaveDC(hdc);
        SelectObject(hdc, font);
        ::SetTextColor(hdc, m_headerColor);
        RECT item{rect.left, rect.top, std::min<LONG>(rect.left + m_layout.lockedWidth, rect.right),
                  rect.bottom};
        IntersectClipRect(hdc, item.left, item.top, item.right, item.bottom);
        DrawHeaderItem(hdc, graphics, m_columns[0].info, item);
        RestoreDC(hdc, saved);
    }
    // The line under the header separates it from the rows whatever the grid-line settings.
    FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, m_bdColor);
}

void XDataGrid::DrawHeaderItem(HDC hdc, Gdiplus::Graphics* graphics, const HeaderInfo2& item,
                               const RECT& rect) {
    DrawHeaderText(hdc, graphics, item, rect);
    if (!m_sortName.empty() && item.name == m_sortName)
        DrawHeaderSort(hdc, graphics, item, rect, m_sortAscending);
    DrawHeaderBorder(hdc, graphics, &item, rect);
}

void XDataGrid::DrawHeaderBorder(HDC hdc, Gdiplus::Graphics*, const HeaderInfo2*, const RECT& rect) {
    // A short separator keeps the header airy; the full-height line is the grid line's job.
    int inset = (rect.bottom - rect.top) / 5;
    FillSolid(hdc, RECT{rect.right - 1, rect.top + inset, rect.right, rect.bottom - inset}, m_bdColor);
}

void XDataGrid::DrawHeaderBackgound(HDC hdc, Gdiplus::Graphics*, const HeaderInfo2*, const RECT& rect) {
    FillSolid(hdc, rect, m_headerBkColor);
}

void XDataGrid::DrawHeaderText(HDC hdc, Gdiplus::Graphics*, const HeaderInfo2& item, const RECT& rect) {
    if (item.title.empty())
        return;
    RECT text = rect;
    int padding = static_cast<int>(std::lround(grid::kCellPadding * m_zoom));
    text.left += padding;
    text.right -= padding;
    // The sort mark needs room on the side the text does not use.
    bool sorted = !m_sortName.empty() && item.name == m_sortName;
    int mark = static_cast<int>(std::lround((grid::kSortMarkSize + 4) * m_zoom));
    if (sorted && item.align == DT_RIGHT)
        text.left += mark;
    else if (sorted)
        text.right -= mark;
    DrawTextW(hdc, item.title.c_str(), static_cast<int>(item.title.length()), &text,
              item.align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void XDataGrid::DrawHeaderSort(HDC hdc, Gdiplus::Graphics*, const HeaderInfo2& item, const RECT& rect,
                               bool ascending) {
    int size = std::max(3, static_cast<int>(std::lround(grid::kSortMarkSize * m_zoom)));
    int half = size / 2;
    int padding = static_cast<int>(std::lround(grid::kCellPadding * m_zoom));
    int cx = item.align == DT_RIGHT ? rect.left + padding + half : rect.right - padding - half - 1;
    int cy = (rect.top + rect.bottom) / 2;
    // A solid triangle drawn as rows of pixels, so that it is crisp at every size.
    for (int i = 0; i <= half; ++i) {
        int y = ascending ? cy - half / 2 + i : cy + half / 2 - i;
        FillSolid(hdc, RECT{cx - i, y, cx + i + 1, y + 1}, m_headerColor);
    }
}

// ---- Rows -------------------------------------------------------------------------------------

void XDataGrid::DrawContent(HDC hdc, Gdiplus::Graphics* graphics, const RECT& rect) {
    if (rect.bottom <= rect.top || rect.right <= rect.left)
        return;
    int rowHeight = ZoomedRowHeight();
    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
    for (int row = m_topRow, y = rect.top; row < m_rowCount && y < rect.bottom; ++row, y += rowHeight)
        DrawRow(hdc, graphics, row, RECT{rect.left, y, rect.right, y + rowHeight});
    RestoreDC(hdc, saved);
}

void XDataGrid::DrawRowQuick(HDC hdc, Gdiplus::Graphics* graphics, int row, const RECT& rect) {
    int saved = SaveDC(hdc);
    RECT clip = rect;
    IntersectRect(&clip, &clip, &m_layout.data);
    IntersectClipRect(hdc, clip.left, clip.top, clip.right, clip.bottom);
    SetBkMode(hdc, TRANSPARENT);
    DrawRow(hdc, graphics, row, rect);
    RestoreDC(hdc, saved);
}

void XDataGrid::DrawRow(HDC hdc, Gdiplus::Graphics* graphics, int row, const RECT& rect) {
    bool selected = m_sels.count(row) != 0;
    COLORREF back = m_bkColor;
    GetRowBackColor(row, selected, back);
    FillSolid(hdc, rect, back);
    int columns = GetColumnCount();
    int lockedRight = rect.left + m_layout.lockedWidth;
    // Scrolling cells, clipped to the right of the locked column.
    int saved = 0;
    if (m_layout.lockedWidth > 0) {
        saved = SaveDC(hdc);
        IntersectClipRect(hdc, lockedRight, rect.top, rect.right, rect.bottom);
    }
    for (int i = m_layout.lockedWidth > 0 ? 1 : 0; i < columns; ++i) {
        int left = ColumnLeft(i);
        int right = left + ZoomedWidth(i);
        if (right <= std::max<LONG>(rect.left, lockedRight) || right <= left)
            continue;
        if (left >= rect.right)
            break;
        RECT cell{left, rect.top, right, rect.bottom};
        if (i == 0 && m_showCheckBox) {
            int box = static_cast<int>(std::lround(grid::kCheckBoxSpace * m_zoom));
            DrawCheckBox(hdc, graphics, row, RECT{cell.left, cell.top, cell.left + box, cell.bottom},
                         GetCheckStatus(row));
            cell.left += box;
        }
        DrawItem(hdc, graphics, row, m_columns[i].info, cell);
        if (m_vLines)
            FillSolid(hdc, RECT{right - 1, rect.top, right, rect.bottom}, m_gridColor);
    }
    if (saved != 0)
        RestoreDC(hdc, saved);
    if (m_layout.lockedWidth > 0) {
        RECT cell{rect.left, rect.top, lockedRight, rect.bottom};
        // The locked cell covers whatever scrolled beneath it.
        FillSolid(hdc, cell, back);
        if (m_showCheckBox) {
            int box = static_cast<int>(std::lround(grid::kCheckBoxSpace * m_zoom));
            DrawCheckBox(hdc, graphics, row, RECT{cell.left, cell.top, cell.left + box, cell.bottom},
                         GetCheckStatus(row));
            cell.left += box;
        }
        saved = SaveDC(hdc);
        IntersectClipRect(hdc, rect.left, rect.top, lockedRight, rect.bottom);
        DrawItem(hdc, graphics, row, m_columns[0].info, cell);
        RestoreDC(hdc, saved);
        // The locked column keeps a divider even without vertical lines, so the scrolled
        // columns visibly pass under it.
        FillSolid(hdc, RECT{lockedRight - 1, rect.top, lockedRight, rect.bottom}, m_gridColor);
    }
    if (m_hLines)
        FillSolid(hdc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, m_gridColor);
}

bool XDataGrid::HasKeyboard() const {
    return m_hWnd != nullptr && ::GetFocus() == m_hWnd;
}

COLORREF XDataGrid::FocusColor() const {
    // A line needs less contrast than text (WCAG 2's 3:1 for the parts of controls), against the
    // rows' background and against the usual border, so that the change is seen.
    COLORREF colour = hostctl::Readable(m_textColor, m_bkColor, 3.0);
    return hostctl::ContrastRatio(colour, m_bdColor) >= 1.5 ? colour
                                                            : hostctl::Readable(colour, m_bdColor, 1.5);
}

void XDataGrid::DrawItem(HDC hdc, Gdiplus::Graphics*, int row, const HeaderInfo2& item, const RECT& rect) {
    XStringW text;
    GetItemText(row, item, text);
    if (text.empty())
        return;
    COLORREF colour = m_textColor;
    if (!m_textColorSet) {
        // Nobody chose a text colour: a fixed one would vanish on some row background, so the ink
        // follows the row's own.
        COLORREF back = m_bkColor;
        GetRowBackColor(row, m_sels.count(row) != 0, back);
        colour = hostctl::InkFor(back);
    }
    GetItemColor(row, item, text, colour);
    SelectObject(hdc, GetColumnFont(item.index));
    ::SetTextColor(hdc, colour);
    RECT box = rect;
    int padding = static_cast<int>(std::lround(grid::kCellPadding * m_zoom));
    box.left += padding;
    box.right -= padding;
    if (box.right <= box.left)
        return;
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.length()), &box,
              item.align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void XDataGrid::DrawCheckBox(HDC hdc, Gdiplus::Graphics*, int, const RECT& rect, bool checked) {
    int size = std::max(6, static_cast<int>(std::lround(11 * m_zoom)));
    int left = rect.left + (rect.right - rect.left - size) / 2;
    int top = rect.top + (rect.bottom - rect.top - size) / 2;
    RECT box{left, top, left + size, top + size};
    SetDCBrushColor(hdc, m_headerColor);
    FrameRect(hdc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (checked) {
        InflateRect(&box, -3, -3);
        FillSolid(hdc, box, m_headerColor);
    }
}

// ---- Scroll bars ------------------------------------------------------------------------------

RECT XDataGrid::ThumbRect(bool vertical) const {
    const RECT& bar = vertical ? m_layout.vbar : m_layout.hbar;
    int button = grid::kScrollBarSize;
    int trackStart = (vertical ? bar.top : bar.left) + button;
    int trackEnd = (vertical ? bar.bottom : bar.right) - button;
    int track = std::max(0, trackEnd - trackStart);
    int total = 0;
    int page = 0;
    int pos = 0;
    if (vertical) {
        total = m_rowCount;
        page = std::max(1, VisibleRowCount());
        pos = m_topRow;
    } else {
        total = m_layout.totalWidth;
        page = std::max(1, static_cast<int>(m_layout.data.right - m_layout.data.left));
        pos = m_scrollX;
    }
    int thumb = track;
    int offset = 0;
    if (total > page) {
        thumb = std::max(std::min(grid::kMinThumb, track),
                         static_cast<int>(static_cast<long long>(track) * page / total));
        int range = total - page;
        offset = range > 0 ? static_cast<int>(static_cast<long long>(track - thumb) * pos / range) : 0;
    }
    if (vertical)
        return RECT{bar.left, trackStart + offset, bar.right, trackStart + offset + thumb};
    return RECT{trackStart + offset, bar.top, trackStart + offset + thumb, bar.bottom};
}

void XDataGrid::DrawScrollBar(HDC hdc, Gdiplus::Graphics* graphics) {
    if (m_layout.hasV)
        DrawScrollBar(hdc, graphics, true, m_layout.vbar, ThumbRect(true));
    if (m_layout.hasH)
        DrawScrollBar(hdc, graphics, false, m_layout.hbar, ThumbRect(false));
    if (m_layout.hasV && m_layout.hasH)
        FillSolid(hdc, RECT{m_layout.vbar.left, m_layout.hbar.top, m_layout.vbar.right, m_layout.hbar.bottom},
                  m_scrollFaceColor);
}

void XDataGrid::DrawScrollBar(HDC hdc, Gdiplus::Graphics* graphics, bool vertical, const RECT& bar,
                              const RECT& thumb) {
    FillSolid(hdc, bar, m_scrollFaceColor);
    // The dark edge on the side facing the rows sets the bar apart from them.
    if (vertical)
        FillSolid(hdc, RECT{bar.left, bar.top, bar.left + 1, bar.bottom}, m_scrollDarkColor);
    else
        FillSolid(hdc, RECT{bar.left, bar.top, bar.right, bar.top + 1}, m_scrollDarkColor);
    int button = grid::kScrollBarSize;
    if (vertical) {
        DrawScrollBarButton(hdc, graphics, RECT{bar.left, bar.top, bar.right, bar.top + button}, VK_UP);
        DrawScrollBarButton(hdc, graphics, RECT{bar.left, bar.bottom - button, bar.right, bar.bottom},
                            VK_DOWN);
    } else {
        DrawScrollBarButton(hdc, graphics, RECT{bar.left, bar.top, bar.left + button, bar.bottom}, VK_LEFT);
        DrawScrollBarButton(hdc, graphics, RECT{bar.right - button, bar.top, bar.right, bar.bottom},
                            VK_RIGHT);
    }
    RECT body = thumb;
    if (vertical)
        InflateRect(&body, -2, 0);
    else
        InflateRect(&body, 0, -2);
    if (body.right - body.left < 2 || body.bottom - body.top < 2)
        return;
    FillSolid(hdc, body, m_scrollButtonColor);
    // Raised look: light top-left, dark bottom-right.
    FillSolid(hdc, RECT{body.left, body.top, body.right, body.top + 1}, m_scrollLightColor);
    FillSolid(hdc, RECT{body.left, body.top, body.left + 1, body.bottom}, m_scrollLightColor);
    FillSolid(hdc, RECT{body.left, body.bottom - 1, body.right, body.bottom}, m_scrollDarkColor);
    FillSolid(hdc, RECT{body.right - 1, body.top, body.right, body.bottom}, m_scrollDarkColor);
}

void XDataGrid::DrawScrollBarButton(HDC hdc, Gdiplus::Graphics*, const RECT& rect, UINT direction) {
    int cx = (rect.left + rect.right) / 2;
    int cy = (rect.top + rect.bottom) / 2;
    int half = std::max(2, static_cast<int>(rect.right - rect.left) / 4);
    // A small solid arrow, drawn line by line so that it stays sharp.
    for (int i = 0; i < half; ++i) {
        switch (direction) {
        case VK_UP:
            FillSolid(hdc, RECT{cx - i, cy - half / 2 + i, cx + i + 1, cy - half / 2 + i + 1},
                      m_scrollArrowColor);
            break;
        case VK_DOWN:
            FillSolid(hdc, RECT{cx - i, cy + half / 2 - i, cx + i + 1, cy + half / 2 - i + 1},
                      m_scrollArrowColor);
            break;
        case VK_LEFT:
            FillSolid(hdc, RECT{cx - half / 2 + i, cy - i, cx - half / 2 + i + 1, cy + i + 1},
                      m_scrollArrowColor);
            break;
        default:
            FillSolid(hdc, RECT{cx + half / 2 - i, cy - i, cx + half / 2 - i + 1, cy + i + 1},
                      m_scrollArrowColor);
            break;
        }
    }
}

} // namespace Control
