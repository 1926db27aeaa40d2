// FilterWnd2: conditions and their buttons, ticking and unticking with captions and tooltips, the
// menu of a button, "show all", command-id reuse, layout, and the filters on the grid's view.
#include "filter/FilterWnd2.h"

#include "../grid/GridFixture.h"

#include <filesystem>
#include <optional>

namespace {

using gridtest::MakeTable;
using gridtest::OpenGrid;

const wchar_t* kHeader = L"<header><item title='代码' name='code' width='80'/>"
                         L"<item title='投资类别' name='assettype' width='120'/></header>";
const std::vector<std::wstring> kLabels = {L"股票投资", L"债券投资", L"现金存款",
                                           L"返售证券", L"权证",     L"其他资产"};

class FilterWnd2Test : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(800, 600);
        gridtest::FillGridTheme(theme);
        theme.colours["wnd_general_bg"] = RGB(20, 30, 40);
        std::vector<std::vector<std::wstring>> rows;
        for (int fund = 0; fund < 2; ++fund)
            for (const std::wstring& label : kLabels)
                rows.push_back({L"00000" + std::to_wstring(fund), label});
        table = MakeTable({L"code", L"assettype"}, rows);

        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"FilterWnd2TestPage";
        RegisterClassExW(&wc);
        page = CreateWindowExW(0, L"FilterWnd2TestPage", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               600, 400, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(page, nullptr);
        grid.SetTheme(&theme);
        grid.SetHeader(kHeader);
        grid.SetDataSource(table);
        ASSERT_TRUE(grid.Create(L"grid", WS_CHILD | WS_VISIBLE, 0, 30, 600, 370, page));

        panel.SetTarget(&grid);
        ASSERT_NE(panel.Create(page), nullptr);
        MoveWindow(panel.GetHandle(), 100, 2, 345, 22, TRUE);
        ASSERT_TRUE(panel.AddCondition({L"assettype", L"投资类型", L"投资类型:", 21}));
        for (const std::wstring& label : kLabels)
            panel.AddValue(L"assettype", label, label);
        panel.ApplyTheme(&theme);
        PlatformRunUntilIdle();
    }
    void TearDown() override {
        PlatformSetMenuHook(nullptr);
        DestroyWindow(page);
        PlatformRunUntilIdle();
    }

    XStringW Caption() { return panel.FindButton(L"assettype")->GetCaption(); }
    XStringW Tip() { return panel.FindButton(L"assettype")->GetTooltipText(); }
    std::vector<std::wstring> ShownTypes() {
        std::vector<std::wstring> types;
        for (int row = 0; row < grid.GetRowsCount(); ++row)
            types.push_back(grid.Text(row, L"assettype").str());
        return types;
    }
    UINT ButtonId(const wchar_t* field) { return panel.FindState(field)->commandId; }

    gridtest::OpenGrid grid;
    FakeTheme theme;
    XComPtr<Data::IDataTable> table;
    HWND page = nullptr;
    FilterWnd2 panel; // last: it goes first, while the grid's view still exists
};

TEST_F(FilterWnd2Test, CaptionsFollowTickingAndUntickingDownToNone) {
    EXPECT_EQ(Caption(), XStringW(L"投资类型"));
    EXPECT_EQ(ButtonId(L"assettype"), FilterWnd2::kFirstButtonId);

    ASSERT_TRUE(panel.PickValue(L"assettype", L"股票投资"));
    EXPECT_EQ(Caption(), XStringW(L"投资类型:股票投资"));
    EXPECT_EQ(ShownTypes(), (std::vector<std::wstring>{L"股票投资", L"股票投资"}));
    panel.PickValue(L"assettype", L"债券投资");
    EXPECT_EQ(Caption(), XStringW(L"投资类型:股票投资，债券投资"));
    EXPECT_EQ(grid.GetRowsCount(), 4);
    panel.PickValue(L"assettype", L"现金存款");
    EXPECT_EQ(Caption(), XStringW(L"投资类型:股票投资，债券投资，现金存款"));
    EXPECT_TRUE(Tip().empty());

    panel.PickValue(L"assettype", L"返售证券");
    EXPECT_EQ(Caption(), XStringW(L"投资类型:投资类型：多个筛选条件"));
    EXPECT_EQ(Tip(), XStringW(L"投资类型:股票投资，债券投资，现金存款，返售证券"));
    EXPECT_NE(panel.FindButton(L"assettype")->GetTooltipWindow(), nullptr);
    EXPECT_EQ(grid.GetRowsCount(), 8);

    // Picking a ticked value unticks it; the remaining texts lose the prompt.
    panel.PickValue(L"assettype", L"债券投资");
    EXPECT_EQ(Caption(), XStringW(L"股票投资，现金存款，返售证券"));
    EXPECT_TRUE(Tip().empty());
    panel.PickValue(L"assettype", L"返售证券");
    panel.PickValue(L"assettype", L"现金存款");
    EXPECT_EQ(Caption(), XStringW(L"股票投资"));
    EXPECT_EQ(grid.GetRowsCount(), 2);

    panel.PickValue(L"assettype", L"股票投资");
    EXPECT_EQ(Caption(), XStringW(L"投资类型"));
    EXPECT_FALSE(panel.FindState(L"assettype")->filter);
    EXPECT_EQ(grid.GetRowsCount(), 12);
    ASSERT_TRUE(panel.BuildMenu(ButtonId(L"assettype")));
    EXPECT_TRUE(panel.GetMenuEntries().front().checked); // "显示所有(&A)" again
}

TEST_F(FilterWnd2Test, MenuListsValuesInOrderAndShowAllClearsEverything) {
    panel.PickValue(L"assettype", L"权证");
    panel.PickValue(L"assettype", L"债券投资");
    UINT id = ButtonId(L"assettype");
    ASSERT_TRUE(panel.BuildMenu(id));
    const auto& menu = panel.GetMenuEntries();
    ASSERT_EQ(menu.size(), 2 + kLabels.size());
    EXPECT_EQ(menu[0].id, FilterWnd2::kShowAllId);
    EXPECT_EQ(menu[0].caption, XStringW(L"显示所有(&A)"));
    EXPECT_FALSE(menu[0].checked);
    EXPECT_EQ(menu[0].data, id);
    EXPECT_EQ(menu[1].id, 0u); // separator
    for (size_t i = 0; i < kLabels.size(); ++i) {
        EXPECT_EQ(menu[2 + i].id, FilterWnd2::kFirstValueId + i);
        EXPECT_EQ(menu[2 + i].caption, XStringW(kLabels[i]));
        EXPECT_EQ(menu[2 + i].checked, kLabels[i] == L"权证" || kLabels[i] == L"债券投资");
    }

    // A value item picked from this menu ticks through the same path as a click.
    SendMessageW(panel.GetHandle(), WM_COMMAND, FilterWnd2::kFirstValueId, 0);
    EXPECT_EQ(Caption(), XStringW(L"投资类型:权证，债券投资，股票投资"));
    SendMessageW(panel.GetHandle(), WM_COMMAND, FilterWnd2::kLastValueId, 0); // not in the menu
    EXPECT_EQ(grid.GetRowsCount(), 6);

    SendMessageW(panel.GetHandle(), WM_COMMAND, FilterWnd2::kShowAllId, 0);
    EXPECT_EQ(Caption(), XStringW(L"投资类型"));
    EXPECT_TRUE(panel.FindState(L"assettype")->ticked.empty());
    EXPECT_EQ(grid.GetRowsCount(), 12);
    EXPECT_NE(panel.FindButton(L"assettype"), nullptr); // the button stays
}

TEST_F(FilterWnd2Test, SingleChoiceReplacesAndPicksNeedATarget) {
    ASSERT_TRUE(panel.AddCondition({L"code", L"基金", L"基金:", 1 | 16}));
    EXPECT_FALSE(panel.AddCondition({L"code", L"again", L"", 21}));
    panel.AddValue(L"code", L"甲", L"000000");
    panel.AddValue(L"code", L"乙", L"000001");
    panel.PickValue(L"code", L"000000");
    panel.PickValue(L"code", L"000001");
    EXPECT_EQ(panel.FindButton(L"code")->GetCaption(), XStringW(L"基金:乙"));
    EXPECT_EQ(grid.GetRowsCount(), 6);
    panel.PickValue(L"code", L"000001"); // single choice: picking it again keeps it
    EXPECT_EQ(grid.GetRowsCount(), 6);
    EXPECT_FALSE(panel.PickValue(L"code", L"999999"));
    EXPECT_FALSE(panel.PickValue(L"nosuch", L"000001"));

    panel.SetTarget(nullptr);
    EXPECT_FALSE(panel.PickValue(L"assettype", L"权证"));
    EXPECT_EQ(Caption(), XStringW(L"投资类型"));
}

TEST_F(FilterWnd2Test, ButtonsMadeByATickGoWhenClearedAndTheirIdsComeBackInOrder) {
    for (const wchar_t* field : {L"a", L"b", L"c", L"d", L"e"}) {
        panel.AddCondition({field, XStringW(field), XStringW(field) + L":", 4 | 16});
        panel.AddValue(field, L"v", L"v");
    }
    EXPECT_EQ(panel.FindButton(L"a"), nullptr);
    panel.PickValue(L"a", L"v");
    panel.PickValue(L"b", L"v");
    panel.PickValue(L"c", L"v");
    EXPECT_EQ(ButtonId(L"a"), 105u);
    EXPECT_EQ(ButtonId(L"c"), 107u);
    EXPECT_EQ(panel.FindButton(L"a")->GetCaption(), XStringW(L"a:v"));

    // The last untick removes the filter (an empty one would hide every row) and the button.
    panel.PickValue(L"b", L"v");
    panel.PickValue(L"a", L"v");
    EXPECT_EQ(panel.FindState(L"a"), nullptr);
    EXPECT_EQ(panel.FindState(L"b"), nullptr);
    panel.PickValue(L"d", L"v");
    panel.PickValue(L"e", L"v");
    EXPECT_EQ(ButtonId(L"d"), 106u); // b's id went back first
    EXPECT_EQ(ButtonId(L"e"), 105u);
    panel.PickValue(L"a", L"v");
    EXPECT_EQ(ButtonId(L"a"), 108u);
}

TEST_F(FilterWnd2Test, ButtonsLineUpFromTheRightNewestFirst) {
    panel.AddCondition({L"code", L"基金代码", L"", 21});
    RECT client;
    GetClientRect(panel.GetHandle(), &client);
    RECT newest, older;
    GetWindowRect(*panel.FindButton(L"code"), &newest);
    GetWindowRect(*panel.FindButton(L"assettype"), &older);
    POINT origin{0, 0};
    ClientToScreen(panel.GetHandle(), &origin);
    EXPECT_EQ(newest.right - origin.x, client.right - 5);
    EXPECT_EQ(older.right, newest.left - 1);
    EXPECT_EQ(newest.bottom - newest.top, client.bottom);

    HDC dc = GetDC(panel.GetHandle());
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"基金代码", 4, &extent);
    SelectObject(dc, old);
    ReleaseDC(panel.GetHandle(), dc);
    EXPECT_EQ(newest.right - newest.left, extent.cx + 28);

    // A hidden condition takes no room.
    panel.AddCondition({L"hidden", L"隐藏", L"", 1});
    RECT after;
    GetWindowRect(*panel.FindButton(L"code"), &after);
    EXPECT_EQ(after.right, newest.right);
}

TEST_F(FilterWnd2Test, ClickingAButtonOpensItsMenuAndThePickTicks) {
    panel.PickValue(L"assettype", L"股票投资");
    std::vector<PlatformMenuItem> shown;
    POINT at{};
    HWND owner = nullptr;
    PlatformSetMenuHook([&](HWND menuOwner, POINT point, const std::vector<PlatformMenuItem>& items) {
        owner = menuOwner;
        at = point;
        shown = items;
        std::optional<UINT> pick;
        for (const PlatformMenuItem& item : items)
            if (item.caption == L"债券投资")
                pick = item.id;
        return pick;
    });
    HWND button = *panel.FindButton(L"assettype");
    RECT rect;
    GetWindowRect(button, &rect);
    PlatformClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PlatformRunUntilIdle();
    if (shown.empty())
        GTEST_SKIP() << "this platform build has no pop-up menus";

    EXPECT_EQ(owner, panel.GetHandle());
    EXPECT_EQ(at.x, rect.right);
    EXPECT_EQ(at.y, rect.bottom);
    ASSERT_EQ(shown.size(), 2 + kLabels.size());
    EXPECT_EQ(shown[0].caption, L"显示所有(&A)");
    EXPECT_FALSE(shown[0].checked);
    EXPECT_EQ(shown[0].itemData, ButtonId(L"assettype"));
    EXPECT_TRUE(shown[1].separator);
    EXPECT_TRUE(shown[2].checked);
    EXPECT_FALSE(shown[3].checked);
    EXPECT_EQ(Caption(), XStringW(L"投资类型:股票投资，债券投资"));
    EXPECT_EQ(grid.GetRowsCount(), 4);
}

TEST_F(FilterWnd2Test, RebindingTheGridKeepsThePanelsFilter) {
    panel.PickValue(L"assettype", L"权证");
    EXPECT_EQ(grid.GetRowsCount(), 2);
    auto other = MakeTable({L"code", L"assettype"}, {{L"1", L"权证"}, {L"2", L"股票投资"}, {L"3", L"权证"}});
    grid.SetDataSource(other);
    EXPECT_EQ(grid.GetRowsCount(), 2);
    EXPECT_EQ(grid.Text(1, L"code"), XStringW(L"3"));
}

TEST_F(FilterWnd2Test, PanelPaintsItsBackgroundAndTheButtonTriangle) {
    PlatformPaintAll();
    EXPECT_EQ(PlatformWindowPixel(panel.GetHandle(), 2, 10), RGB(20, 30, 40));
    RECT button;
    GetClientRect(*panel.FindButton(L"assettype"), &button);
    int middle = button.bottom / 2;
    // The widest line of the triangle, in the button text colour (black in the default scheme).
    EXPECT_EQ(PlatformWindowPixel(*panel.FindButton(L"assettype"), button.right - 12, middle - 1),
              RGB(0, 0, 0));
    // On a dark face the triangle and the caption turn light with the button text.
    const INT which[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF dark[] = {RGB(30, 35, 45), RGB(230, 232, 236)};
    SetSysColors(2, which, dark);
    PlatformPaintAll();
    EXPECT_EQ(PlatformWindowPixel(*panel.FindButton(L"assettype"), button.right - 12, middle - 1),
              RGB(230, 232, 236));
    bool lightCaption = false;
    for (int x = 10; x < button.right - 20 && !lightCaption; ++x)
        for (int y = 4; y < button.bottom - 4 && !lightCaption; ++y)
            lightCaption = GetRValue(PlatformWindowPixel(*panel.FindButton(L"assettype"), x, y)) > 160;
    EXPECT_TRUE(lightCaption);
    const COLORREF light[] = {RGB(240, 240, 240), RGB(0, 0, 0)};
    SetSysColors(2, which, light);
    const char* dir = std::getenv("FC_TEST_OUTPUT_DIR");
    std::filesystem::path out = dir != nullptr ? dir : std::filesystem::temp_directory_path();
    panel.PickValue(L"assettype", L"股票投资");
    PlatformPaintAll();
    EXPECT_TRUE(PlatformSaveScreenPng((out / "filter_panel.png").string()));
}

} // namespace
