// The workspace beyond its own picker and tabs, driven by keys, clicks and menu picks on a fixture
// database: the keyboard (tab order, page keys, Ctrl+F, Escape, Delete), undoing "清除对比基金",
// named comparison sets and what is remembered between runs in the configuration.
#include "ModuleHost.h"
#include "support/FixtureDb.h"

#include <hostconf/ConfManager.h>
#include <sdk/ControlStatusNote.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// The frame stand-in: a top-level window whose status bar is a list of the notes it was given.
std::vector<Control::StatusNote> g_notes;

int rowCount(Control::DataGridEx& grid) {
    return static_cast<int>(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
}

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Control::kStatusNoteMessage && lParam != 0) {
        g_notes.push_back(*reinterpret_cast<const Control::StatusNote*>(lParam));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Extras : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformClearMessageBoxes();
        g_notes.clear();
        folder = std::filesystem::temp_directory_path() /
                 ("workspace-extras-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        Start();
    }
    void TearDown() override {
        Stop();
        PlatformSetMenuHook({});
        PlatformSetMessageBoxHook({});
        std::filesystem::remove_all(folder);
    }

    // One run of the program: a configuration read from the file, a module of its own (as each
    // start of the program has), its workspace in a frame that takes the status notes.
    void Start() {
        config = HostKernel::MakeRef<HostConf::ConfManager>();
        XStringW error;
        config->Load((folder / "config.xml").string(), error);
        run.emplace();
        app = run->app;
        frame = run->mainFrame;
        app->conf = config.Get();
        ModuleHost::Options options;
        options.screenWidth = 1024;
        options.screenHeight = 700;
        ASSERT_TRUE(run->Start(fixture.Path(), options));
        module = &run->module;
        parent = run->MakeWindow(1024, 700, &FrameProcedure);
        ASSERT_NE(parent, nullptr);
        run->RouteKeysThroughModule();
        ASSERT_TRUE(run->ShowWorkspace());
    }
    void Stop() {
        if (run)
            run->Stop();
        run.reset();
        module = nullptr;
        parent = nullptr;
    }
    void Restart() {
        Stop();
        Start();
    }

    BackgroundPage& ws() { return module->Workspace(); }
    void Ctrl(UINT key) {
        PlatformKeyDown(VK_CONTROL);
        PlatformKeyPress(key);
        PlatformKeyUp(VK_CONTROL);
        PlatformRunUntilIdle();
    }
    void Key(UINT key, bool shift = false) {
        if (shift)
            PlatformKeyDown(VK_SHIFT);
        PlatformKeyPress(key);
        if (shift)
            PlatformKeyUp(VK_SHIFT);
        PlatformRunUntilIdle();
    }
    void ClickWindow(HWND window, PlatformMouseButton button = PlatformMouseButton::Left) {
        RECT r{};
        GetWindowRect(window, &r);
        PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, button);
        PlatformRunUntilIdle();
    }
    // Adds funds as a person does: types the code into the picker and presses Enter.
    void Add(const wchar_t* alias) {
        ClickWindow(ws().Picker().GetEditWindow());
        Key(VK_END);
        for (int i = 0; i < 12; ++i)
            PlatformKeyPress(VK_BACK);
        PlatformTypeText(alias);
        PlatformRunUntilIdle();
        Key(VK_RETURN);
        Key(VK_ESCAPE);
    }
    std::vector<std::wstring> Funds() const {
        std::vector<std::wstring> codes;
        for (const XStringW& c : module->Funds())
            codes.push_back(c.str());
        return codes;
    }
    std::string ConfigText() {
        std::ifstream in(folder / "config.xml");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TestSupport::FixtureDb fixture{"funds.sql"};
    XComPtr<HostConf::ConfManager> config;
    std::optional<ModuleHost> run;
    XComPtr<FakeApp> app;
    XComPtr<FakeMainFrame> frame;
    FundCompareModuleImpl* module = nullptr;
    HWND parent = nullptr;
    std::filesystem::path folder;
};

TEST_F(Extras, TabWalksThePickerTheButtonsThePagesBoxesAndItsList) {
    Ctrl('F');
    EXPECT_EQ(GetFocus(), ws().Picker().GetEditWindow());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), ws().AddButton());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), ws().ClearButton());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), ws().SetsButton());
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(ws().General().Grid()));
    // Round to the start, and back again with Shift.
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), ws().Picker().GetEditWindow());
    Key(VK_TAB, true);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(ws().General().Grid()));

    // The asset page: its filter button and date box come before its list.
    Ctrl('4');
    EXPECT_EQ(ws().CurrentTab(), 3);
    std::vector<HWND> order = module->Keys().TabOrder();
    ASSERT_EQ(order.size(), 7u);
    EXPECT_EQ(order.back(), static_cast<HWND>(ws().Asset().Grid()));
    EXPECT_TRUE(std::find(order.begin(), order.end(), ws().Asset().DateBox()) != order.end());
    SetFocus(ws().SetsButton());
    Key(VK_TAB);
    HWND firstBox = GetFocus();
    EXPECT_NE(firstBox, static_cast<HWND>(ws().Asset().Grid()));
    EXPECT_TRUE(IsChild(ws().Asset().GetHandle(), firstBox));
}

TEST_F(Extras, PageKeysFindKeyEscapeAndDeleteWorkThroughTheirControls) {
    Add(L"000001");
    Add(L"000003");
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F003"}));
    // Files are proposed under the page's caption.
    EXPECT_EQ(ws().Performance().Grid().GetExportName().str(), L"业绩表现");
    for (int page = 0; page < 7; ++page) {
        Ctrl(static_cast<UINT>('1' + page));
        EXPECT_EQ(ws().CurrentTab(), page);
    }
    EXPECT_TRUE(ws().Holdings().IsWindowVisible());
    // There is no eighth page: Ctrl+8 changes nothing.
    Ctrl('8');
    EXPECT_EQ(ws().CurrentTab(), 6);

    // Ctrl+F selects the picker's whole text: typing a code replaces the last one.
    Ctrl('F');
    PlatformTypeText(L"000004");
    PlatformRunUntilIdle();
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(module->Funds().count(L"F004"), 1u);
    // Escape closes the picker's list opened by typing.
    Ctrl('F');
    PlatformTypeText(L"0000");
    PlatformRunUntilIdle();
    ASSERT_TRUE(ws().Picker().IsDroppedDown());
    Key(VK_ESCAPE);
    EXPECT_FALSE(ws().Picker().IsDroppedDown());

    // Delete on the performance list removes the selected fund, as the menu's item does.
    Ctrl('2');
    PerformanceGrid& grid = ws().Performance().Grid();
    ASSERT_GT(rowCount(grid), 0);
    RECT cell = grid.GetCellRect(0, 1);
    POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(grid, &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(grid.GetCurrSels().size(), 1u);
    Key(VK_DELETE);
    EXPECT_EQ(module->Funds().size(), 2u);
    // Nothing selected: Delete does nothing.
    grid.ClearMultiSel();
    Key(VK_DELETE);
    EXPECT_EQ(module->Funds().size(), 2u);

    // Alt+G presses the button that marks G: the sets menu opens (and Escape closes it).
    PlatformClearMenus();
    PlatformKeyDown(VK_MENU);
    PlatformKeyPress('G');
    PlatformKeyUp(VK_MENU);
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();
    ASSERT_EQ(PlatformMenus().size(), 1u);
    EXPECT_FALSE(PlatformMenus()[0].picked.has_value());
    EXPECT_EQ(PlatformMenus()[0].items[0].caption, L"保存对比组合...(&S)");
}

TEST_F(Extras, ClearingCanBeUndoneAndFundsAddedSinceStay) {
    Add(L"000001");
    Add(L"000002");
    Add(L"000004");
    ClickWindow(ws().ClearButton());
    EXPECT_TRUE(module->Funds().empty());
    ASSERT_FALSE(g_notes.empty());
    EXPECT_EQ(g_notes.back().text.str(), L"已清除3只对比基金。");
    EXPECT_EQ(g_notes.back().action.str(), L"撤销 (Ctrl+Z)");
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F004"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复3只对比基金。");
    // Nothing is left to undo: the note offers nothing, and a second Ctrl+Z changes nothing.
    EXPECT_TRUE(g_notes.back().action.empty());
    size_t notes = g_notes.size();
    Ctrl('Z');
    EXPECT_EQ(module->Funds().size(), 3u);
    EXPECT_EQ(g_notes.size(), notes);

    // The note's action sends the undo command to the workspace, as a click on it does.
    ClickWindow(ws().ClearButton());
    Control::StatusNote note = g_notes.back();
    SendMessageW(note.target, WM_COMMAND, MAKEWPARAM(note.command, 0), 0);
    PlatformRunUntilIdle();
    EXPECT_EQ(module->Funds().size(), 3u);

    // A fund added after a clear stays when the clear is undone; the note about the clear gives
    // way to an empty status bar as soon as the set no longer is what it describes.
    ClickWindow(ws().ClearButton());
    Add(L"000005");
    EXPECT_TRUE(g_notes.back().text.empty());
    EXPECT_TRUE(g_notes.back().action.empty());
    notes = g_notes.size();
    Add(L"000003");
    EXPECT_EQ(g_notes.size(), notes); // an empty bar is not emptied again
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F003", L"F004", L"F005"}));
    // Clearing an empty set offers nothing to undo.
    ClickWindow(ws().ClearButton());
    Ctrl('Z');
    ClickWindow(ws().ClearButton());
    ClickWindow(ws().ClearButton());
    notes = g_notes.size();
    ClickWindow(ws().ClearButton());
    EXPECT_EQ(g_notes.size(), notes);
}

TEST_F(Extras, RemovalsByDeleteAndByTheMenuAreUndoneOneByOneLeavingThePageAsItWas) {
    for (const wchar_t* code : {L"000001", L"000002", L"000004", L"000005"})
        Add(code);
    // The asset page filtered to two asset types and sorted by share.
    Ctrl('4');
    AssetGrid& grid = ws().Asset().Grid();
    ws().Asset().FilterPanel().PickValue(L"assettype", L"股票投资");
    ws().Asset().FilterPanel().PickValue(L"assettype", L"债券投资");
    ASSERT_TRUE(grid.SortBy(L"percent", false));
    const int rows = rowCount(grid);
    ASSERT_GT(rows, 4);
    // The first row that shows the fund's code (as the user knows it).
    auto rowOf = [&](const wchar_t* shownCode) {
        for (int r = 0; r < rowCount(grid); ++r)
            for (int c = 0; c < 4; ++c) {
                Control::DataGridEx::CellTextRequest request;
                request.row = r;
                request.column = c;
                SendMessageW(grid, Control::DataGridEx::kGetCellTextMessage, 0,
                             reinterpret_cast<LPARAM>(&request));
                if (request.text == XStringW(shownCode))
                    return r;
            }
        return -1;
    };
    auto clickRow = [&](const wchar_t* shownCode, PlatformMouseButton button = PlatformMouseButton::Left) {
        int row = rowOf(shownCode);
        ASSERT_GE(row, 0) << XStringW(shownCode).ToUtf8();
        RECT cell = grid.GetCellRect(row, 1);
        POINT p{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        ClientToScreen(grid, &p);
        PlatformClick(p.x, p.y, button);
        PlatformRunUntilIdle();
    };
    auto pageAsItWas = [&] {
        EXPECT_EQ(ws().CurrentTab(), 3);
        EXPECT_EQ(rowCount(grid), rows);
        EXPECT_EQ(grid.GetSortColumn().str(), L"percent");
        EXPECT_FALSE(grid.GetSortAscending());
        const FilterWnd2::ConditionState* state = ws().Asset().FilterPanel().FindState(L"assettype");
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->ticked.size(), 2u);
    };

    // Remove, undo, remove, undo: each undo brings back exactly what its removal took.
    clickRow(L"000002");
    Key(VK_DELETE);
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F004", L"F005"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已移除1只对比基金。");
    EXPECT_EQ(g_notes.back().action.str(), L"撤销 (Ctrl+Z)");
    EXPECT_EQ(g_notes.back().target, ws().Window());
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F004", L"F005"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复1只对比基金。");
    EXPECT_TRUE(g_notes.back().action.empty());
    pageAsItWas();
    // Two rows of two funds at once, through the list's menu this time.
    clickRow(L"000001");
    PlatformKeyDown(VK_CONTROL);
    clickRow(L"000005");
    PlatformKeyUp(VK_CONTROL);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"从当前对比中移除(&R)"));
    clickRow(L"000005", PlatformMouseButton::Right);
    PlatformSetMenuHook({});
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F002", L"F004"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已移除2只对比基金。");
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F004", L"F005"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复2只对比基金。");
    pageAsItWas();

    // Removals one after another come back newest first, one per Ctrl+Z; the note offers the undo
    // while another step remains.
    clickRow(L"000001");
    Key(VK_DELETE);
    clickRow(L"000004");
    Key(VK_DELETE);
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F002", L"F005"}));
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F002", L"F004", L"F005"}));
    EXPECT_EQ(g_notes.back().action.str(), L"撤销 (Ctrl+Z)");
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F004", L"F005"}));
    EXPECT_TRUE(g_notes.back().action.empty());
    pageAsItWas();

    // A clear after a removal: the first undo brings back the clear's funds, the second the
    // removal's. A removal after a clear (of funds added since) is undone alone.
    clickRow(L"000004");
    Key(VK_DELETE);
    ClickWindow(ws().ClearButton());
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F005"}));
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F004", L"F005"}));
    ClickWindow(ws().ClearButton());
    Add(L"000003");
    Add(L"000001");
    Ctrl('4');
    clickRow(L"000003");
    Key(VK_DELETE);
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001"}));
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F003"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复1只对比基金。");
    // The clear is still there to undo, under the removal; the funds added since it stay.
    EXPECT_EQ(g_notes.back().action.str(), L"撤销 (Ctrl+Z)");
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F003", L"F004", L"F005"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复4只对比基金。");
}

TEST_F(Extras, AnUndoThatWouldPassAHundredFundsBringsBackWhatFitsAndSaysSo) {
    Add(L"000001");
    Add(L"000002");
    ASSERT_TRUE(module->RemoveFunds({XStringW(L"F001"), XStringW(L"F002"), XStringW(L"F404")}));
    EXPECT_EQ(g_notes.back().text.str(), L"已移除2只对比基金。");
    // Filled to the limit since (codes the set takes as they come).
    for (int i = 0; i < 99; ++i)
        ASSERT_EQ(module->AddFund(XStringW(L"X" + std::to_wstring(100 + i))), WorkspaceContext::kAdded);
    PlatformRunUntilIdle();
    ASSERT_TRUE(module->Undo());
    EXPECT_EQ(module->Funds().size(), 100u);
    EXPECT_EQ(module->Funds().count(L"F001"), 1u);
    EXPECT_EQ(module->Funds().count(L"F002"), 0u);
    EXPECT_EQ(g_notes.back().text.str(), L"已恢复1只对比基金。1只因对比已满100只未能恢复。");
    // Codes that no removal took leave nothing to undo.
    EXPECT_FALSE(module->RemoveFunds({XStringW(L"F404")}));
    EXPECT_FALSE(module->Undo());
}

TEST_F(Extras, NamedSetsAreSavedOpenedRenamedAndDeletedThroughTheMenuButton) {
    Add(L"000001");
    Add(L"000003");
    // Save: the menu's item, then the name typed into the prompt.
    PlatformSetMenuHook(PlatformMenuPickCaption(L"保存对比组合..."));
    PlatformMouseMove(0, 0);
    RECT r{};
    GetWindowRect(ws().SetsButton(), &r);
    PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PlatformTypeText(L"成长组合");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    std::vector<CompareSettings::NamedSet> sets = module->Settings().Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].name.str(), L"成长组合");
    EXPECT_EQ(sets[0].funds.size(), 2u);
    EXPECT_NE(ConfigText().find("成长组合"), std::string::npos);

    // A cancelled prompt saves nothing; an empty set cannot be saved.
    PlatformSetMenuHook(PlatformMenuPickCaption(L"保存对比组合..."));
    PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();
    EXPECT_EQ(module->Settings().Sets().size(), 1u);

    // Open replaces the compared funds; the replaced set comes back with Ctrl+Z.
    ClickWindow(ws().ClearButton());
    Add(L"000004");
    PlatformSetMenuHook(PlatformMenuPickCaption(L"成长组合（2只）"));
    ClickWindow(ws().SetsButton());
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F003"}));
    EXPECT_EQ(g_notes.back().text.str(), L"已打开对比组合“成长组合”（2只基金）。");
    Ctrl('Z');
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F004"}));

    // Rename through the prompt; the submenu items are the sets, by position.
    PlatformSetMenuHook(PlatformMenuPickId(CompareSetsMenu::kRenameFirst));
    PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PlatformKeyDown(VK_CONTROL);
    PlatformKeyPress('A');
    PlatformKeyUp(VK_CONTROL);
    PlatformTypeText(L"稳健组合");
    PlatformKeyPress(VK_RETURN);
    PlatformRunUntilIdle();
    ASSERT_EQ(module->Settings().Sets().size(), 1u);
    EXPECT_EQ(module->Settings().Sets()[0].name.str(), L"稳健组合");

    // Delete asks first: No keeps the set, Yes removes it.
    PlatformSetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDNO; });
    PlatformSetMenuHook(PlatformMenuPickId(CompareSetsMenu::kDeleteFirst));
    ClickWindow(ws().SetsButton());
    EXPECT_EQ(module->Settings().Sets().size(), 1u);
    PlatformSetMessageBoxHook([](HWND, const std::wstring&, const std::wstring&, UINT) { return IDYES; });
    PlatformSetMenuHook(PlatformMenuPickId(CompareSetsMenu::kDeleteFirst));
    ClickWindow(ws().SetsButton());
    EXPECT_TRUE(module->Settings().Sets().empty());
    EXPECT_EQ(ConfigText().find("稳健组合"), std::string::npos);

    ClickWindow(ws().ClearButton());
    PlatformSetMenuHook(PlatformMenuPickCaption(L"保存对比组合..."));
    ClickWindow(ws().SetsButton());
    EXPECT_EQ(PlatformMessageBoxes().back().text, L"当前没有对比基金，无法保存对比组合。");
}

TEST_F(Extras, TheComparedSetPageDateFilterAndSortComeBackInTheNextRun) {
    Add(L"000001");
    Add(L"000002");
    Add(L"000005");
    // The asset page at an earlier report date, filtered to two asset types, sorted by share.
    Ctrl('4');
    HWND box = ws().Asset().DateBox();
    ASSERT_GT(SendMessageW(box, CB_GETCOUNT, 0, 0), 1);
    SendMessageW(box, CB_SETCURSEL, 1, 0);
    SendMessageW(ws().Asset().GetHandle(), WM_COMMAND, MAKEWPARAM(AllocationPage::kDateBoxId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
    PlatformRunUntilIdle();
    XStringW date = ws().Asset().LastDate();
    ws().Asset().FilterPanel().PickValue(L"assettype", L"股票投资");
    ws().Asset().FilterPanel().PickValue(L"assettype", L"债券投资");
    ASSERT_TRUE(ws().Asset().Grid().SortBy(L"percent", true));
    // The risk page's horizon.
    Ctrl('3');
    SendMessageW(ws().RiskReturn().HorizonBox().GetHandle(), CB_SETCURSEL, 2, 0);
    Ctrl('4');
    int rows = rowCount(ws().Asset().Grid());
    EXPECT_EQ(rows, 6);

    Restart();
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F002", L"F005"}));
    EXPECT_EQ(ws().CurrentTab(), 3);
    EXPECT_EQ(ws().Asset().LastDate(), date);
    const FilterWnd2::ConditionState* state = ws().Asset().FilterPanel().FindState(L"assettype");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->ticked.size(), 2u);
    EXPECT_EQ(rowCount(ws().Asset().Grid()), rows);
    EXPECT_EQ(ws().Asset().Grid().GetSortColumn().str(), L"percent");
    EXPECT_TRUE(ws().Asset().Grid().GetSortAscending());
    EXPECT_EQ(SendMessageW(ws().RiskReturn().HorizonBox().GetHandle(), CB_GETCURSEL, 0, 0), 2);
    // The general page shows the restored funds without any change of the set.
    EXPECT_EQ(ws().General().Grid().GetColumnCount(), 4);

    // What was remembered is given back once: a sort chosen now stays when the page is shown again.
    ASSERT_TRUE(ws().Asset().Grid().SortBy(L"marketvalue", false));
    Ctrl('1');
    Ctrl('4');
    EXPECT_EQ(ws().Asset().Grid().GetSortColumn().str(), L"marketvalue");
    EXPECT_FALSE(ws().Asset().Grid().GetSortAscending());
}

TEST_F(Extras, AFilterClearedInALaterRunStaysClearedInTheNextOne) {
    Add(L"000001");
    Ctrl('2');
    FilterWnd2& panel = ws().Performance().FilterPanel();
    ASSERT_TRUE(panel.PickValue(L"distance", L"最近一周"));
    EXPECT_EQ(rowCount(ws().Performance().Grid()), 1);

    Restart();
    EXPECT_EQ(ws().CurrentTab(), 1);
    EXPECT_EQ(rowCount(ws().Performance().Grid()), 1);
    // "显示所有" in the condition's menu, as a person clears it.
    FilterWnd2::DropdownButton* button = ws().Performance().FilterPanel().FindButton(L"distance");
    ASSERT_NE(button, nullptr);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"显示所有(&A)"));
    ClickWindow(button->GetHandle());
    PlatformSetMenuHook({});
    EXPECT_EQ(rowCount(ws().Performance().Grid()), 13);

    Restart();
    EXPECT_EQ(ws().CurrentTab(), 1);
    const FilterWnd2::ConditionState* state = ws().Performance().FilterPanel().FindState(L"distance");
    EXPECT_TRUE(state == nullptr || state->ticked.empty());
    EXPECT_EQ(rowCount(ws().Performance().Grid()), 13); // every period
    EXPECT_EQ(ConfigText().find("<Filter>"), std::string::npos) << ConfigText();
}

TEST_F(Extras, ASortThatCannotBeReadOrAppliedIsIgnoredAndNotKept) {
    Stop();
    config = HostKernel::MakeRef<HostConf::ConfManager>();
    XStringW error;
    config->Load((folder / "config.xml").string(), error);
    config->SetValue("/Quenda2/FundCompare/Session/Funds", XStringW(L"F001"));
    config->SetValue("/Quenda2/FundCompare/Session/Page", XStringW(L"5"));
    config->SetValue("/Quenda2/FundCompare/Session/Sort/GrowthPage", XStringW(L"name\tsideways"));
    config->SetValue("/Quenda2/FundCompare/Session/Sort/AssetAllocationPage", XStringW(L"nosuchfield\tasc"));
    ASSERT_TRUE(config->Save(error)) << error.ToUtf8();
    Start();
    EXPECT_EQ(ws().CurrentTab(), 5);
    EXPECT_TRUE(ws().Growth().Grid().GetSortColumn().empty());
    Ctrl('4');
    EXPECT_TRUE(ws().Asset().Grid().GetSortColumn().empty());
    // Both pages were shown without a sort: the next run remembers none for them.
    Restart();
    EXPECT_EQ(ConfigText().find("sideways"), std::string::npos) << ConfigText();
    EXPECT_EQ(ConfigText().find("nosuchfield"), std::string::npos) << ConfigText();
}

TEST_F(Extras, FundsNoLongerInTheDatabaseAreDroppedWithANoteAndABadSettingIsIgnored) {
    Stop();
    config = HostKernel::MakeRef<HostConf::ConfManager>();
    XStringW error;
    config->Load((folder / "config.xml").string(), error);
    // F012 is deleted, X999 never existed; a page number out of range and a broken sort are ignored.
    config->SetValue("/Quenda2/FundCompare/Session/Funds", XStringW(L"F001,F012,X999,F003"));
    config->SetValue("/Quenda2/FundCompare/Session/Page", XStringW(L"77"));
    config->SetValue("/Quenda2/FundCompare/Session/Sort/PerformancePage", XStringW(L"yield"));
    ASSERT_TRUE(config->Save(error)) << error.ToUtf8();
    Start();
    EXPECT_EQ(Funds(), (std::vector<std::wstring>{L"F001", L"F003"}));
    ASSERT_FALSE(g_notes.empty());
    EXPECT_EQ(g_notes.front().text.str(), L"2只基金已不在数据库中，已从对比中移除：F012、X999");
    EXPECT_EQ(ws().CurrentTab(), 0);
    // The set as it now is was written back.
    EXPECT_NE(ConfigText().find("<Funds>F001,F003</Funds>"), std::string::npos);
}

TEST_F(Extras, WithoutAWritableConfigurationNothingIsRememberedAndNothingBreaks) {
    Stop();
    Start();
    app->conf = nullptr;
    module->Settings().Detach();
    Add(L"000001");
    ClickWindow(ws().ClearButton());
    Ctrl('Z');
    EXPECT_EQ(module->Funds().size(), 1u);
    PlatformSetMenuHook(PlatformMenuPickCaption(L"保存对比组合..."));
    ClickWindow(ws().SetsButton());
    // The item is greyed: the menu refuses the pick and nothing is asked.
    EXPECT_TRUE(module->Settings().Sets().empty());
}

} // namespace
