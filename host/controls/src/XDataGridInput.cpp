// Control::XDataGrid input: mouse (rows, header clicks and border drags, scroll bars, wheel) and
// keyboard navigation, and the selection rules they share.
#include <sdk/ControlDataGrid.h>

#include "GridMetrics.h"

#include <algorithm>
#include <cmath>

namespace Control {

namespace {

bool KeyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// Pixels per press of an arrow of the horizontal bar, and per Left or Right key.
constexpr int kHorizontalStep = 20;

} // namespace

// ---- Selection --------------------------------------------------------------------------------

void XDataGrid::MoveCurrent(int row, bool extend) {
    if (m_rowCount <= 0)
        return;
    row = std::clamp(row, 0, m_rowCount - 1);
    std::set<int> before = m_sels;
    int oldTop = m_topRow;
    if (extend && m_multiSel && m_anchor >= 0) {
        m_sels.clear();
        for (int r = std::min(m_anchor, row); r <= std::max(m_anchor, row); ++r)
            m_sels.insert(r);
    } else {
        m_sels = {row};
        m_anchor = row;
    }
    m_currSel = row;
    EnsureVisible(row);
    if (m_topRow != oldTop) {
        Repaint();
        return;
    }
    std::set<int> changed;
    std::set_symmetric_difference(before.begin(), before.end(), m_sels.begin(), m_sels.end(),
                                  std::inserter(changed, changed.end()));
    RepaintRows(changed);
}

void XDataGrid::SelectByClick(int row, WPARAM keys) {
    if (row < 0 || row >= m_rowCount)
        return;
    if (m_multiSel && (keys & MK_CONTROL) != 0) {
        // Ctrl+click toggles one row and leaves the others alone.
        if (!m_sels.erase(row))
            m_sels.insert(row);
        m_currSel = row;
        m_anchor = row;
        RepaintRows({row});
        return;
    }
    MoveCurrent(row, (keys & MK_SHIFT) != 0);
}

// ---- Scrolling --------------------------------------------------------------------------------

void XDataGrid::ScrollRows(int delta) {
    int old = m_topRow;
    m_topRow += delta;
    ClampScroll();
    if (m_topRow != old)
        Repaint();
}

void XDataGrid::ScrollX(int delta) {
    int old = m_scrollX;
    m_scrollX += delta;
    ClampScroll();
    if (m_scrollX != old)
        Repaint();
}

void XDataGrid::OnMouseWheel(int notches, bool horizontal) {
    if (horizontal)
        ScrollX(notches * kHorizontalStep * grid::kWheelRows);
    else
        ScrollRows(-notches * grid::kWheelRows); // away from the user shows earlier rows
}

// ---- Mouse ------------------------------------------------------------------------------------

void XDataGrid::HeaderClicked(int column) {
    if (column < 0 || column >= GetColumnCount())
        return;
    XStringW name = m_columns[column].info.name;
    if (name.empty())
        return; // a caption without a field has nothing to sort by
    // The first click sorts descending, as a finance list is read from its largest values; every
    // further click on the same column turns the order round.
    bool ascending = name == m_sortName ? !m_sortAscending : false;
    if (sort(name, ascending)) {
        m_sortName = name;
        m_sortAscending = ascending;
    }
    UpdateLayout();
    Repaint();
}

bool XDataGrid::SortBy(const XStringW& name, bool ascending) {
    if (name.empty() || !sort(name, ascending))
        return false;
    m_sortName = name;
    m_sortAscending = ascending;
    UpdateLayout();
    Repaint();
    return true;
}

void XDataGrid::OnLButtonDown(int x, int y, WPARAM keys, bool doubleClick) {
    if (::GetFocus() != m_hWnd)
        ::SetFocus(m_hWnd);
    UpdateLayout();
    int row = -1;
    HeaderInfo2 item;
    switch (HitTest(x, y, row, item)) {
    case HitHeaderBorder:
        m_drag = Drag::Resize;
        m_dragColumn = item.index;
        m_dragStart = x;
        m_dragOrigin =
            ZoomedWidth(item.index) - (item.index == 0 && m_showCheckBox
                                           ? static_cast<int>(std::lround(grid::kCheckBoxSpace * m_zoom))
                                           : 0);
        SetCapture(m_hWnd);
        break;
    case HitHeader:
        // A double click arrives in place of the second press: it is a second header click.
        m_drag = Drag::HeaderPress;
        m_dragColumn = item.index;
        SetCapture(m_hWnd);
        break;
    case HitCheckBox:
        SetCheckStatus(row);
        SelectByClick(row, keys);
        Repaint();
        break;
    case HitCell:
        if (doubleClick) {
            MoveCurrent(row, false);
            OnEnterItem(row);
        } else {
            SelectByClick(row, keys);
        }
        break;
    case HitVScroll: {
        RECT thumb = ThumbRect(true);
        int visible = std::max(1, VisibleRowCount());
        if (y < m_layout.vbar.top + grid::kScrollBarSize)
            ScrollRows(-1);
        else if (y >= m_layout.vbar.bottom - grid::kScrollBarSize)
            ScrollRows(1);
        else if (y < thumb.top)
            ScrollRows(-visible);
        else if (y >= thumb.bottom)
            ScrollRows(visible);
        else {
            m_drag = Drag::VThumb;
            m_dragStart = y;
            m_dragOrigin = m_topRow;
            SetCapture(m_hWnd);
        }
        break;
    }
    case HitHScroll: {
        RECT thumb = ThumbRect(false);
        int page =
            std::max(1, static_cast<int>(m_layout.data.right - m_layout.data.left - m_layout.lockedWidth));
        if (x < m_layout.hbar.left + grid::kScrollBarSize)
            ScrollX(-kHorizontalStep);
        else if (x >= m_layout.hbar.right - grid::kScrollBarSize)
            ScrollX(kHorizontalStep);
        else if (x < thumb.left)
            ScrollX(-page);
        else if (x >= thumb.right)
            ScrollX(page);
        else {
            m_drag = Drag::HThumb;
            m_dragStart = x;
            m_dragOrigin = m_scrollX;
            SetCapture(m_hWnd);
        }
        break;
    }
    default:
        break;
    }
}

void XDataGrid::OnMouseMove(int x, int y, WPARAM keys) {
    if ((keys & MK_LBUTTON) == 0 && m_drag != Drag::None) {
        // The release happened where we could not see it; end the drag as a release would.
        OnLButtonUp(x, y);
        return;
    }
    switch (m_drag) {
    case Drag::Resize: {
        int width = std::max(grid::kMinColumnWidth, m_dragOrigin + (x - m_dragStart));
        int unzoomed = std::max(1, static_cast<int>(std::lround(width / m_zoom)));
        if (m_dragColumn >= 0 && m_dragColumn < GetColumnCount() &&
            m_columns[m_dragColumn].info.width != unzoomed) {
            m_columns[m_dragColumn].info.width = unzoomed;
            UpdateLayout();
            Repaint();
        }
        break;
    }
    case Drag::VThumb: {
        RECT thumb = ThumbRect(true);
        int track = (m_layout.vbar.bottom - m_layout.vbar.top) - 2 * grid::kScrollBarSize -
                    (thumb.bottom - thumb.top);
        int range = m_rowCount - std::max(1, VisibleRowCount());
        if (track > 0 && range > 0) {
            int top = m_dragOrigin +
                      static_cast<int>(std::lround(static_cast<double>(y - m_dragStart) * range / track));
            ScrollRows(top - m_topRow);
        }
        break;
    }
    case Drag::HThumb: {
        RECT thumb = ThumbRect(false);
        int track = (m_layout.hbar.right - m_layout.hbar.left) - 2 * grid::kScrollBarSize -
                    (thumb.right - thumb.left);
        int range = m_layout.totalWidth - static_cast<int>(m_layout.data.right - m_layout.data.left);
        if (track > 0 && range > 0) {
            int pos = m_dragOrigin +
                      static_cast<int>(std::lround(static_cast<double>(x - m_dragStart) * range / track));
            ScrollX(pos - m_scrollX);
        }
        break;
    }
    default:
        break;
    }
}

void XDataGrid::OnLButtonUp(int x, int y) {
    Drag drag = m_drag;
    int column = m_dragColumn;
    m_drag = Drag::None;
    m_dragColumn = -1;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (drag == Drag::Resize && column >= 0 && column < GetColumnCount()) {
        // The document follows the new width, so that whoever reads the header sees what is shown.
        pugi::xml_node item = m_columns[column].info.item;
        if (item) {
            pugi::xml_attribute width = item.attribute("width");
            if (!width)
                width = item.append_attribute("width");
            width.set_value(m_columns[column].info.width);
        }
        OnHeaderChange();
    } else if (drag == Drag::HeaderPress) {
        int row = -1;
        HeaderInfo2 item;
        // Only a release over the pressed item is a click; sliding off cancels it.
        if (HitTest(x, y, row, item) == HitHeader && item.index == column)
            HeaderClicked(column);
    }
}

void XDataGrid::OnRButtonDown(int x, int y) {
    if (::GetFocus() != m_hWnd)
        ::SetFocus(m_hWnd);
    UpdateLayout();
    int row = -1;
    HeaderInfo2 item;
    int area = HitTest(x, y, row, item);
    // A right click on a selected row keeps the selection, so a menu can act on all of it.
    if ((area == HitCell || area == HitCheckBox) && m_sels.count(row) == 0)
        SelectByClick(row, 0);
}

void XDataGrid::OnRButtonUp(int x, int y) {
    OnContextMenu(x, y);
}

// ---- Keyboard ---------------------------------------------------------------------------------

bool XDataGrid::OnKeyDown(UINT key) {
    UpdateLayout();
    int page = std::max(1, VisibleRowCount());
    bool extend = KeyDown(VK_SHIFT);
    int current = m_currSel;
    switch (key) {
    case VK_UP:
        MoveCurrent(current < 0 ? m_topRow : current - 1, extend);
        return true;
    case VK_DOWN:
        MoveCurrent(current < 0 ? m_topRow : current + 1, extend);
        return true;
    case VK_PRIOR:
        MoveCurrent(current < 0 ? m_topRow : current - page, extend);
        return true;
    case VK_NEXT:
        MoveCurrent(current < 0 ? m_topRow : current + page, extend);
        return true;
    case VK_HOME:
        MoveCurrent(0, extend);
        return true;
    case VK_END:
        MoveCurrent(m_rowCount - 1, extend);
        return true;
    case VK_LEFT:
        ScrollX(-kHorizontalStep);
        return true;
    case VK_RIGHT:
        ScrollX(kHorizontalStep);
        return true;
    case VK_RETURN:
        if (m_currSel >= 0 && m_currSel < m_rowCount)
            OnEnterItem(m_currSel);
        return true;
    default:
        return false;
    }
}

} // namespace Control
