// ToolbarFlow: lays out the controls of a toolbar strip in rows, so that no control leaves its
// window however narrow the window is. Controls come in groups that stay together on one row (a
// label with its box, a pair of date boxes); a group that no longer fits on the row first takes
// room from the controls of the row that may shrink (a search box down to its smallest useful
// width) and only then moves to a row of its own. A group marked `right` sits at the right end of
// its row, as toolbars keep their view switches at the right edge.
//
// The flow is made, filled and applied in one WM_SIZE; it keeps no window and no state beyond it.
// An item without a window reserves room for something the page paints itself (a label), whose
// place the page asks for with Rect.
#pragma once

#include <platform/windows.h>

#include <cstddef>
#include <vector>

class ToolbarFlow {
public:
    struct Item {
        HWND window = nullptr; // null: room for something painted
        int width = 0;
        int minWidth = 0;   // the narrowest it may become; 0 (or more than width): it never shrinks
        int height = 0;     // 0: the row's height
        int dropHeight = 0; // a drop-down list's height below the box, part of its window's height
        int gap = 0;        // room before it, within its group
    };

    // The strip runs from `left` to `right`, its first row at `top`; rows are `rowHeight` tall and
    // `rowGap` apart, groups `groupGap` apart on a row.
    ToolbarFlow(int left, int top, int right, int rowHeight = 22, int rowGap = 4, int groupGap = 12);

    // Starts a group; the items added next belong to it.
    void Group(bool right = false);
    // Adds an item to the current group (a first item without a group starts one); its index.
    size_t Add(const Item& item);
    size_t Add(HWND window, int width, int minWidth = 0, int gap = 0);

    // Places every item and moves every window to its place; the bottom of the last row.
    int Apply();
    // An item's place, once applied; its height is the row's.
    const RECT& Rect(size_t index) const { return m_rects[index]; }
    int Bottom() const { return m_bottom; }
    int Rows() const { return m_rows; }

private:
    struct GroupInfo {
        bool right = false;
        size_t first = 0; // index of its first item
        size_t count = 0;
    };

    int GroupWidth(const GroupInfo& group) const;
    int Slack(const GroupInfo& group) const;
    // Takes up to `amount` pixels from the shrinkable items of the groups; what it could not take.
    int Shrink(const std::vector<size_t>& groups, int amount);

    int m_left, m_top, m_right, m_rowHeight, m_rowGap, m_groupGap;
    std::vector<Item> m_items;
    std::vector<int> m_widths; // as placed, after shrinking
    std::vector<GroupInfo> m_groups;
    std::vector<RECT> m_rects;
    int m_bottom = 0;
    int m_rows = 0;
};
