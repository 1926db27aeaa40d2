// ToolbarFlow: rows of groups, shrinking before wrapping.
#include "pages/common/ToolbarFlow.h"

#include <algorithm>

ToolbarFlow::ToolbarFlow(int left, int top, int right, int rowHeight, int rowGap, int groupGap)
    : m_left(left), m_top(top), m_right(std::max(left, right)), m_rowHeight(rowHeight), m_rowGap(rowGap),
      m_groupGap(groupGap), m_bottom(top) {}

void ToolbarFlow::Group(bool right) {
    GroupInfo group;
    group.right = right;
    group.first = m_items.size();
    m_groups.push_back(group);
}

size_t ToolbarFlow::Add(const Item& item) {
    if (m_groups.empty())
        Group();
    m_items.push_back(item);
    m_widths.push_back(std::max(0, item.width));
    ++m_groups.back().count;
    return m_items.size() - 1;
}

size_t ToolbarFlow::Add(HWND window, int width, int minWidth, int gap) {
    Item item;
    item.window = window;
    item.width = width;
    item.minWidth = minWidth;
    item.gap = gap;
    return Add(item);
}

int ToolbarFlow::GroupWidth(const GroupInfo& group) const {
    int width = 0;
    for (size_t i = group.first; i < group.first + group.count; ++i)
        width += (i > group.first ? m_items[i].gap : 0) + m_widths[i];
    return width;
}

int ToolbarFlow::Slack(const GroupInfo& group) const {
    int slack = 0;
    for (size_t i = group.first; i < group.first + group.count; ++i)
        if (m_items[i].minWidth > 0)
            slack += std::max(0, m_widths[i] - m_items[i].minWidth);
    return slack;
}

int ToolbarFlow::Shrink(const std::vector<size_t>& groups, int amount) {
    for (size_t g : groups) {
        const GroupInfo& group = m_groups[g];
        for (size_t i = group.first; i < group.first + group.count && amount > 0; ++i) {
            if (m_items[i].minWidth <= 0)
                continue;
            const int take = std::min(amount, std::max(0, m_widths[i] - m_items[i].minWidth));
            m_widths[i] -= take;
            amount -= take;
        }
    }
    return amount;
}

int ToolbarFlow::Apply() {
    const int available = m_right - m_left;
    // The groups of each row, in order.
    std::vector<std::vector<size_t>> rows(1);
    int used = 0;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        if (m_groups[g].count == 0)
            continue;
        std::vector<size_t>& row = rows.back();
        const int gap = row.empty() ? 0 : m_groupGap;
        int overflow = used + gap + GroupWidth(m_groups[g]) - available;
        if (overflow > 0 && !row.empty()) {
            int slack = Slack(m_groups[g]);
            for (size_t other : row)
                slack += Slack(m_groups[other]);
            if (slack < overflow) {
                // A row of its own; there it shrinks as far as it must (and may).
                rows.emplace_back();
                rows.back().push_back(g);
                used = GroupWidth(m_groups[g]);
                if (used > available) {
                    Shrink({g}, used - available);
                    used = GroupWidth(m_groups[g]);
                }
                continue;
            }
        }
        row.push_back(g);
        if (overflow > 0) {
            std::vector<size_t> shrinking = row;
            Shrink(shrinking, overflow);
        }
        used = 0;
        for (size_t i = 0; i < row.size(); ++i)
            used += (i > 0 ? m_groupGap : 0) + GroupWidth(m_groups[row[i]]);
    }

    m_rects.assign(m_items.size(), RECT{0, 0, 0, 0});
    int top = m_top;
    m_rows = 0;
    for (const std::vector<size_t>& row : rows) {
        if (row.empty())
            continue;
        int rowHeight = m_rowHeight;
        for (size_t g : row)
            for (size_t i = m_groups[g].first; i < m_groups[g].first + m_groups[g].count; ++i)
                rowHeight = std::max(rowHeight, m_items[i].height);
        // Left groups from the left edge; right groups end at the right edge, in their order.
        int rightWidth = 0;
        bool firstRight = true;
        for (size_t g : row)
            if (m_groups[g].right) {
                rightWidth += (firstRight ? 0 : m_groupGap) + GroupWidth(m_groups[g]);
                firstRight = false;
            }
        int x = m_left;
        int rightX = std::max(m_left, m_right - rightWidth);
        bool firstLeft = true;
        firstRight = true;
        for (size_t g : row) {
            const GroupInfo& group = m_groups[g];
            int& cursor = group.right ? rightX : x;
            bool& first = group.right ? firstRight : firstLeft;
            if (!first)
                cursor += m_groupGap;
            first = false;
            for (size_t i = group.first; i < group.first + group.count; ++i) {
                if (i > group.first)
                    cursor += m_items[i].gap;
                const int height = m_items[i].height > 0 ? m_items[i].height : m_rowHeight;
                // Never past the right edge, even when nothing could shrink far enough.
                const int left = std::min(cursor, m_right);
                m_rects[i] = RECT{left, top, std::min(cursor + m_widths[i], m_right), top + height};
                cursor += m_widths[i];
            }
        }
        top += rowHeight + m_rowGap;
        ++m_rows;
    }
    m_bottom = m_rows > 0 ? top - m_rowGap : m_top;

    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].window == nullptr)
            continue;
        const RECT& r = m_rects[i];
        ::MoveWindow(m_items[i].window, r.left, r.top, r.right - r.left,
                     r.bottom - r.top + m_items[i].dropHeight, TRUE);
    }
    return m_bottom;
}
