// A grid over a vector of text rows that records every hook call, and a fixture that shows it
// as a top-level window at the screen's origin, so that grid and screen coordinates agree.
#pragma once

#include <sdk/ControlDataGrid.h>

#include <platform/driver.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gridtest {

class TestGrid : public Control::DataGridEx {
public:
    std::vector<std::vector<std::wstring>> rows; // cells by column index
    std::vector<std::pair<std::wstring, bool>> sortCalls;
    bool sortResult = true;
    std::vector<POINT> contextMenus;
    std::vector<int> entered;
    int headerChanges = 0;
    int headerResets = 0;
    std::vector<int> checkToggles;
    bool alternate = false; // odd rows in kOddColour
    static constexpr COLORREF kOddColour = RGB(20, 40, 60);

protected:
    int GetRowsCount() override { return static_cast<int>(rows.size()); }
    void GetItemText(int row, const HeaderInfo2& item, XStringW& text) override {
        text.clear();
        if (row >= 0 && row < static_cast<int>(rows.size()) && item.index >= 0 &&
            item.index < static_cast<int>(rows[row].size()))
            text = rows[row][item.index];
    }
    void GetRowBackColor(int row, bool selected, COLORREF& colour) override {
        XDataGrid::GetRowBackColor(row, selected, colour);
        if (alternate && !selected && row % 2 == 1)
            colour = kOddColour;
    }
    bool sort(const XStringW& name, bool ascending) override {
        sortCalls.emplace_back(name.str(), ascending);
        return sortResult;
    }
    void OnContextMenu(int x, int y) override { contextMenus.push_back(POINT{x, y}); }
    void OnHeaderChange() override { ++headerChanges; }
    void OnResetHeader() override { ++headerResets; }
    void OnEnterItem(int row) override { entered.push_back(row); }
    void SetCheckStatus(int row) override { checkToggles.push_back(row); }
};

// Three columns of 100, 80 and 120 pixels; rows of 20 pixels under a header of 24.
inline const wchar_t* kThreeColumns = L"<header>"
                                      L"<item title='Code' name='code' width='100'/>"
                                      L"<item title='Name' name='name' width='80' align='center'/>"
                                      L"<item title='Yield' name='yield' width='120' align='right'/>"
                                      L"</header>";

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override { PlatformStartHeadless(800, 600); }
    void TearDown() override { PlatformRunUntilIdle(); }

    // A grid of `count` rows in a window of the given size.
    void Show(int count, int width = 320, int height = 200, DWORD style = WS_POPUP | WS_VISIBLE) {
        for (int i = 0; i < count; ++i)
            grid.rows.push_back(
                {L"00" + std::to_wstring(i), L"Fund " + std::to_wstring(i), std::to_wstring(i)});
        grid.SetHeader(kThreeColumns);
        grid.SetRowHight(20);
        grid.SetHeaderRowHight(24);
        ASSERT_TRUE(grid.Create(L"grid", style, 0, 0, width, height, nullptr));
        grid.Refresh(false, false);
        PlatformRunUntilIdle();
    }
    // The centre of a row's cell in a column (the row must be in view).
    POINT Cell(int row, int column) {
        RECT r = grid.GetCellRect(row, column);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(POINT p, PlatformMouseButton button = PlatformMouseButton::Left) {
        PlatformClick(p.x, p.y, button);
        PlatformRunUntilIdle();
    }
    void ClickWith(UINT key, POINT p) {
        PlatformKeyDown(key);
        PlatformClick(p.x, p.y);
        PlatformKeyUp(key);
        PlatformRunUntilIdle();
    }
    void Key(UINT key) {
        PlatformKeyPress(key);
        PlatformRunUntilIdle();
    }
    std::vector<int> Selection() const { return {grid.GetCurrSels().begin(), grid.GetCurrSels().end()}; }

    TestGrid grid;
};

} // namespace gridtest
