// Control::XDataGrid printing: the list cut into parts that fit a page, and each part drawn by the
// grid's own drawing hooks into any DC (a document's page among them).
//
// A part is drawn by giving the grid, for the length of one call, the layout it would have in a
// window exactly the part's size scrolled to the part's first row and column; the screen's layout,
// scroll position and selection are put back afterwards.
#include <sdk/ControlDataGrid.h>

#include <algorithm>

namespace Control {

std::vector<XDataGrid::PrintPart> XDataGrid::PlanPrint(SIZE area, int firstHeight) {
    std::vector<PrintPart> parts;
    const int columns = GetColumnCount();
    if (columns == 0 || area.cx <= 0 || area.cy <= 0)
        return parts;
    m_rowCount = std::max(0, GetRowsCount());
    std::vector<int> widths(static_cast<size_t>(columns));
    int total = 0;
    for (int i = 0; i < columns; ++i)
        total += widths[static_cast<size_t>(i)] = std::max(0, ZoomedWidth(i));

    // Bands of columns across: all of them when they fit; otherwise the first column (when it
    // takes at most half the page) in front of each band of the others.
    struct Band {
        int first, last;
        bool repeat;
        int width;
    };
    std::vector<Band> bands;
    if (total <= area.cx) {
        bands.push_back({0, columns, false, total});
    } else {
        const bool repeat = columns > 1 && widths[0] * 2 <= area.cx;
        const int lead = repeat ? widths[0] : 0;
        int column = repeat ? 1 : 0;
        while (column < columns) {
            int width = lead;
            int last = column;
            // At least one column per band, even one wider than the page (it is cut at the edge).
            do {
                width += widths[static_cast<size_t>(last)];
                ++last;
            } while (last < columns && width + widths[static_cast<size_t>(last)] <= area.cx);
            bands.push_back({column, last, repeat, std::min<int>(width, area.cx)});
            column = last;
        }
    }

    const int header = ZoomedHeaderHeight();
    const int rowHeight = std::max(1, ZoomedRowHeight());
    const int perPage = std::max(1, (static_cast<int>(area.cy) - header) / rowHeight);
    const int firstRows =
        std::min(perPage, (std::min(firstHeight, static_cast<int>(area.cy)) - header) / rowHeight);
    for (int row = 0, rows = firstRows >= 1 ? firstRows : perPage; row == 0 || row < m_rowCount;
         row += rows, rows = perPage) {
        const int count = std::max(0, std::min(rows, m_rowCount - row));
        for (const Band& band : bands)
            parts.push_back(PrintPart{row, count, band.first, band.last, band.repeat,
                                      SIZE{band.width, header + count * rowHeight}});
    }
    return parts;
}

void XDataGrid::DrawPrintPart(HDC hdc, POINT origin, const PrintPart& part) {
    if (hdc == nullptr || part.firstColumn < 0 || part.lastColumn > GetColumnCount() ||
        part.firstColumn >= part.lastColumn)
        return;
    const Layout screenLayout = m_layout;
    const int screenTop = m_topRow;
    const int screenX = m_scrollX;
    const int screenRows = m_rowCount;
    const bool screenLock = m_scrollLock;
    const std::set<int> screenSels = m_sels;
    const int screenCurrent = m_currSel;

    m_rowCount = std::min(std::max(0, GetRowsCount()), part.firstRow + part.rowCount);
    m_topRow = part.firstRow;
    m_sels.clear();
    m_currSel = -1;
    m_scrollLock = part.repeatFirst;
    int before = 0;
    for (int i = 0; i < part.firstColumn; ++i)
        before += ZoomedWidth(i);
    Layout& l = m_layout;
    l = Layout{};
    l.lockedWidth = part.repeatFirst ? ZoomedWidth(0) : 0;
    for (int i = 0; i < GetColumnCount(); ++i)
        l.totalWidth += ZoomedWidth(i);
    l.client = RECT{origin.x, origin.y, origin.x + part.size.cx, origin.y + part.size.cy};
    l.header = RECT{origin.x, origin.y, origin.x + part.size.cx, origin.y + ZoomedHeaderHeight()};
    l.data = RECT{origin.x, l.header.bottom, origin.x + part.size.cx, origin.y + part.size.cy};
    // The part's first column lands right after the repeated one (or at the left edge).
    m_scrollX = before - l.lockedWidth;

    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, l.client.left, l.client.top, l.client.right, l.client.bottom);
    SetBkMode(hdc, TRANSPARENT);
    {
        Gdiplus::Graphics graphics(hdc);
        DrawBackground(hdc, &graphics, l.client);
        // On paper each vertical line is one stroke down the part, not one per cell: a long list
        // then takes a fraction of the document's drawing operations, and looks the same.
        const bool lines = m_vLines;
        m_vLines = false;
        DrawContent(hdc, &graphics, l.data);
        m_vLines = lines;
        if (lines) {
            const int lockedRight = l.data.left + l.lockedWidth;
            for (int i = part.repeatFirst ? std::max(1, part.firstColumn) : part.firstColumn;
                 i < part.lastColumn; ++i) {
                const int right = ColumnLeft(i) + ZoomedWidth(i);
                if (right > lockedRight && right - 1 < l.data.right)
                    FillSolid(hdc, RECT{right - 1, l.data.top, right, l.data.bottom}, m_gridColor);
            }
        }
        DrawHeader(hdc, &graphics, l.header);
        DrawBorder(hdc, &graphics, l.client);
    }
    RestoreDC(hdc, saved);

    m_layout = screenLayout;
    m_topRow = screenTop;
    m_scrollX = screenX;
    m_rowCount = screenRows;
    m_scrollLock = screenLock;
    m_sels = screenSels;
    m_currSel = screenCurrent;
}

} // namespace Control
