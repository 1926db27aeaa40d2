// ToolbarFlow: groups stay together, shrink before they wrap, right groups keep to the right
// edge, and nothing leaves the strip.
#include "pages/common/ToolbarFlow.h"

#include <gtest/gtest.h>

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult Is(const RECT& actual, RECT expected) {
    if (Same(actual, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.left << "," << actual.top << ")-(" << actual.right << "," << actual.bottom << ")";
}

// Two left groups (a search box that may shrink to 60 with its button; a wide switch) and a right
// group, in a strip from 10 to `right`.
struct Strip {
    ToolbarFlow flow;
    size_t search, add, range, view;
    explicit Strip(int right) : flow(10, 4, right, 20, 4, 10) {
        search = flow.Add(nullptr, 100, 60);
        add = flow.Add(nullptr, 40, 0, 4);
        flow.Group();
        range = flow.Add(nullptr, 200);
        flow.Group(true);
        view = flow.Add(nullptr, 80);
        flow.Apply();
    }
};

} // namespace

TEST(ToolbarFlow, AWideStripKeepsOneRowWithTheRightGroupAtTheEdge) {
    Strip s(600);
    EXPECT_EQ(s.flow.Rows(), 1);
    EXPECT_TRUE(Is(s.flow.Rect(s.search), {10, 4, 110, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.add), {114, 4, 154, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.range), {164, 4, 364, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.view), {520, 4, 600, 24}));
    EXPECT_EQ(s.flow.Bottom(), 24);
}

TEST(ToolbarFlow, ANarrowerStripShrinksWhatMayShrinkBeforeItWraps) {
    // One row needs 100+4+40 + 10+200 + 10+80 = 444; 414 fits once the search box gives 30.
    Strip s(10 + 414);
    EXPECT_EQ(s.flow.Rows(), 1);
    EXPECT_TRUE(Is(s.flow.Rect(s.search), {10, 4, 80, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.add), {84, 4, 124, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.view), {344, 4, 424, 24}));
    // One pixel less than the shrinking can give: the right group takes the next row, at the
    // edge, and the first row keeps its full widths.
    Strip t(10 + 403);
    EXPECT_EQ(t.flow.Rows(), 2);
    EXPECT_TRUE(Is(t.flow.Rect(t.search), {10, 4, 110, 24}));
    EXPECT_TRUE(Is(t.flow.Rect(t.range), {164, 4, 364, 24}));
    EXPECT_TRUE(Is(t.flow.Rect(t.view), {333, 28, 413, 48}));
    EXPECT_EQ(t.flow.Bottom(), 48);
}

TEST(ToolbarFlow, AGroupWiderThanTheStripShrinksOnItsOwnRowAndNeverPassesTheEdge) {
    Strip s(10 + 120);
    EXPECT_EQ(s.flow.Rows(), 3);
    // The search group alone: the box down to 76 so that the button fits.
    EXPECT_TRUE(Is(s.flow.Rect(s.search), {10, 4, 86, 24}));
    EXPECT_TRUE(Is(s.flow.Rect(s.add), {90, 4, 130, 24}));
    // The switch cannot shrink: it is cut at the edge rather than reaching past it.
    EXPECT_TRUE(Is(s.flow.Rect(s.range), {10, 28, 130, 48}));
    EXPECT_TRUE(Is(s.flow.Rect(s.view), {50, 52, 130, 72}));
    for (size_t i : {s.search, s.add, s.range, s.view})
        EXPECT_LE(s.flow.Rect(i).right, 130);
}

TEST(ToolbarFlow, WindowsAreMovedToTheirPlacesWithTheirDropListsAndTallItemsMakeTallRows) {
    ToolbarFlow flow(0, 0, 300, 20, 2, 8);
    ToolbarFlow::Item box;
    box.width = 100;
    box.height = 26;
    box.dropHeight = 100;
    const size_t b = flow.Add(box);
    flow.Group();
    const size_t next = flow.Add(nullptr, 250);
    EXPECT_EQ(flow.Apply(), 26 + 2 + 20);
    EXPECT_TRUE(Is(flow.Rect(b), {0, 0, 100, 26}));
    EXPECT_TRUE(Is(flow.Rect(next), {0, 28, 250, 48}));
    // An empty flow takes no room.
    ToolbarFlow empty(0, 7, 300);
    EXPECT_EQ(empty.Apply(), 7);
    EXPECT_EQ(empty.Rows(), 0);
}
