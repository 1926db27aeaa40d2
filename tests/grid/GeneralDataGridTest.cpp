// GeneralDataGrid: cell text through the column formats, value colours and the followed-fund
// highlight, sorting by header clicks, keeping the current fund across changes and sorts,
// rebinding, the user zoom and the release of the views with the window.
#include "GridFixture.h"

#include "../module/FakeHost.h"

#include <memory>

namespace gridtest {
namespace {

const wchar_t* kHeader =
    L"<header>"
    L"<item title='代码' name='code' width='80' text_color='list_name'/>"
    L"<item title='名称' name='name' width='100'/>"
    L"<item title='比例' name='percent' width='80' data_type='d' text_format='%.02f%%:*100'/>"
    L"<item title='市值' name='amount' width='90' data_type='double' sortable='False'"
    L"      text_format='%.02f::;10000,万;100000000,亿'/>"
    L"<item title='类型' name='kind' width='80' sortable='false'/>"
    L"</header>";

const std::vector<std::wstring> kColumns = {L"code", L"name", L"percent", L"amount", L"kind", L"extra"};

struct FollowedFunds : FakeModuleBase<IConcernFundModule> {
    std::vector<std::wstring> codes;
    std::vector<std::wstring> asked;
    bool IsConcerned(const XStringW& code) override {
        asked.push_back(code.str());
        return std::find(codes.begin(), codes.end(), code.str()) != codes.end();
    }
};

struct FontSizeValue : HostKernel::RefCounted<Conf::IConfValue, Conf::IConfKey, Conf::IConfManager> {
    double size = 1.5;
    double AsDouble() override { return size; }
    void AsString(XStringW& text) override { text = L"1.5"; }
    bool GetValue(Conf::IConfValue** value) override {
        *value = this;
        AddRef();
        return true;
    }
    bool GetKey(Conf::IConfKey** key, const char* path) override {
        *key = nullptr;
        if (std::string(path) != "/Quenda2/UserConfig/FontSize")
            return false;
        *key = this;
        AddRef();
        return true;
    }
};

struct ConfiguredApp : FakeApp {
    XComPtr<FontSizeValue> conf;
    bool GetConfManager(Conf::IConfManager** manager) override {
        *manager = conf.Get();
        if (conf)
            conf->AddRef();
        return conf.Get() != nullptr;
    }
};

// Keeps the rows whose code begins with "1".
struct CodeStartsWithOne : HostKernel::RefCounted<Data::IDataFilter> {
    void Filter(Data::IDataTable* table, int* rows, int* count) override {
        int column = table->GetColumnIndex(L"code");
        int kept = 0;
        for (int i = 0; i < *count; ++i) {
            XComPtr<Data::IDataRow> row;
            table->GetRow(row.Receive(), rows[i]);
            if (row->GetValueAt(column)->ToString().str().starts_with(L"1"))
                rows[kept++] = rows[i];
        }
        *count = kept;
    }
};

void Refill(Data::IDataTable* table, const std::vector<std::vector<std::wstring>>& rows) {
    // One announced change, so that the grid sees the rows before and after it.
    XComPtr<Data::IUpdateContext> update;
    table->BeginUpdate(update.Receive());
    table->Clear(1);
    for (const auto& cells : rows) {
        int index = table->AddRow();
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), index);
        for (size_t i = 0; i < cells.size(); ++i)
            row->GetValueAt(static_cast<int>(i))->SetText(cells[i].c_str());
    }
    update->Commit();
}

class GeneralDataGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(800, 600);
        FillGridTheme(theme);
        grid.SetTheme(&theme);
        ASSERT_EQ(grid.SetHeader(kHeader), 1);
        table = MakeTable(kColumns, {
                                        {L"100001", L"甲基金", L"0.1234", L"123456789", L"股票型", L"x1"},
                                        {L"200002", L"乙基金", L"0", L"56789", L"债券型", L"x2"},
                                        {L"100003", L"丙基金", L"-0.012", L"12000", L"股票型", L"x3"},
                                        {L"--", L"平均", L"<null>", L"<null>", L"", L""},
                                    });
        grid.SetDataSource(table);
    }
    void TearDown() override { PlatformRunUntilIdle(); }

    void Show() {
        ASSERT_TRUE(grid.Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, nullptr));
        grid.Refresh(false, false);
        PlatformRunUntilIdle();
    }
    void ClickHeader(int column) {
        RECT cell = grid.GetCellRect(0, column);
        RECT header = grid.GetHeaderRect();
        PlatformClick((cell.left + cell.right) / 2, (header.top + header.bottom) / 2);
        PlatformRunUntilIdle();
    }
    void ClickRow(int row) {
        RECT cell = grid.GetCellRect(row, 1);
        PlatformClick(cell.left + 5, (cell.top + cell.bottom) / 2);
        PlatformRunUntilIdle();
    }
    XStringW CurrentCode() {
        return grid.GetCurrSel() < 0 ? XStringW() : grid.Text(grid.GetCurrSel(), L"code");
    }

    FakeTheme theme;
    FakeTheme light;
    OpenGrid grid; // after the themes, which it references
    XComPtr<Data::IDataTable> table;
};

TEST_F(GeneralDataGridTest, CellsShowThroughTheirColumnFormats) {
    EXPECT_EQ(grid.GetRowsCount(), 4);
    EXPECT_EQ(grid.Text(0, L"percent"), XStringW(L"12.34%"));
    EXPECT_EQ(grid.Text(0, L"amount"), XStringW(L"1.23亿"));
    EXPECT_EQ(grid.Text(1, L"amount"), XStringW(L"5.68万"));
    EXPECT_EQ(grid.Text(3, L"percent"), XStringW(L"--")); // null cell
    EXPECT_EQ(grid.Text(0, L"name"), XStringW(L"甲基金"));
    // A field without a header item shows its raw text; a column without a field shows nothing.
    EXPECT_EQ(grid.Text(0, L"extra"), XStringW(L"x1"));
    EXPECT_EQ(grid.Text(0, L"nosuch"), XStringW());
    EXPECT_EQ(grid.Text(99, L"code"), XStringW());
}

TEST_F(GeneralDataGridTest, ValuesAreColouredBySignUnlessTheColumnFixesItsColour) {
    EXPECT_EQ(grid.Colour(1, L"percent"), kZero);     // 0.00%
    EXPECT_EQ(grid.Colour(2, L"percent"), kNegative); // -1.20%
    EXPECT_EQ(grid.Colour(2, L"amount"), kPositive);  // 1.20万
    EXPECT_EQ(grid.Colour(3, L"percent"), kZero);     // --
    EXPECT_EQ(grid.Colour(0, L"code"), kNameColour);
    // Without a header item the host's colour stays.
    EXPECT_EQ(grid.Colour(0, L"extra", RGB(7, 7, 7)), RGB(7, 7, 7));

    // The value colours are shared: a second grid themed later recolours the first one.
    FakeTheme other;
    other.colours["list_value_negative"] = RGB(1, 99, 1);
    OpenGrid second;
    second.SetTheme(&other);
    EXPECT_EQ(grid.Colour(2, L"percent"), RGB(1, 99, 1));
    EXPECT_EQ(GeneralDataGrid::GetValueColours().negative, RGB(1, 99, 1));
    grid.SetTheme(&theme);
    EXPECT_EQ(grid.Colour(2, L"percent"), kNegative);

    // A theme change recolours the fixed text colours as well.
    light = theme;
    light.colours["list_name"] = RGB(200, 100, 0);
    grid.SetTheme(&light);
    EXPECT_EQ(grid.Colour(0, L"code"), RGB(200, 100, 0));
}

TEST_F(GeneralDataGridTest, FollowedFundsAreHighlightedInTheirIdentityColumns) {
    auto app = HostKernel::MakeRef<FakeApp>();
    grid.SetApp(app);
    // The module is not there yet: the host colours stay, and the look-up is tried again later.
    EXPECT_EQ(grid.Colour(0, L"code"), kNameColour);
    auto followed = HostKernel::MakeRef<FollowedFunds>();
    followed->codes = {L"100001", L"--"};
    app->modules["mod_ConcernFund"] = XComPtr<IModule>(followed.Get());

    EXPECT_EQ(grid.Colour(0, L"code"), kHighlight); // even over the column's text colour
    EXPECT_EQ(grid.Colour(0, L"name"), kHighlight);
    EXPECT_EQ(grid.Colour(0, L"percent"), kPositive);
    EXPECT_EQ(grid.Colour(2, L"code"), kNameColour);
    // A row without a fund is never asked about.
    followed->asked.clear();
    EXPECT_EQ(grid.Colour(3, L"code"), kNameColour);
    EXPECT_TRUE(followed->asked.empty());
    // Once found, the module is kept.
    size_t lookUps = std::count(app->asked.begin(), app->asked.end(), "mod_ConcernFund");
    grid.Colour(1, L"name");
    EXPECT_EQ(std::count(app->asked.begin(), app->asked.end(), "mod_ConcernFund"), lookUps);
}

TEST_F(GeneralDataGridTest, HeaderClicksSortAndTheCurrentFundStaysCurrent) {
    Show();
    ClickRow(2); // 100003
    ASSERT_EQ(CurrentCode(), XStringW(L"100003"));

    ClickHeader(2); // percent; the first click sorts descending
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100001", L"200002", L"100003", L"--"}));
    ClickHeader(2);
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100003", L"200002", L"100001", L"--"}));
    EXPECT_EQ(grid.GetCurrSel(), 0);
    EXPECT_EQ(CurrentCode(), XStringW(L"100003"));
    EXPECT_EQ(grid.GetSortColumn(), XStringW(L"percent"));

    // "False" is not "false": the amount column sorts.
    ClickHeader(3);
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100001", L"200002", L"100003", L"--"}));
    EXPECT_EQ(CurrentCode(), XStringW(L"100003"));

    // A column marked sortable="false" leaves the order and the sort mark as they were.
    ClickHeader(4);
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100001", L"200002", L"100003", L"--"}));
    EXPECT_EQ(grid.GetSortColumn(), XStringW(L"amount"));
    EXPECT_FALSE(grid.sort(L"kind", true));
    EXPECT_FALSE(grid.sort(L"nosuch", true)); // no header item, no format, no sort
}

TEST_F(GeneralDataGridTest, SortNeedsALiveWindow) {
    EXPECT_FALSE(grid.sort(L"percent", true));
}

TEST_F(GeneralDataGridTest, NewDataKeepsTheCurrentFundOrDropsTheSelection) {
    Show();
    ClickRow(1); // 200002
    Refill(table, {{L"300004", L"丁", L"0.1"}, {L"100001", L"甲", L"0.2"}, {L"200002", L"乙", L"0.3"}});
    EXPECT_EQ(grid.GetCurrSel(), 2);
    EXPECT_EQ(CurrentCode(), XStringW(L"200002"));

    Refill(table, {{L"300004", L"丁", L"0.1"}, {L"100001", L"甲", L"0.2"}});
    EXPECT_EQ(grid.GetCurrSel(), -1);
    EXPECT_TRUE(grid.GetCurrSels().empty());

    // A fund remembered earlier must not come back once nothing is current.
    Refill(table, {{L"200002", L"乙", L"0.3"}});
    EXPECT_EQ(grid.GetCurrSel(), -1);
}

TEST_F(GeneralDataGridTest, RebindingKeepsFiltersAndSortOfTheViews) {
    Show();
    auto filter = HostKernel::MakeRef<CodeStartsWithOne>();
    grid.GetDisplayView()->AddFilter(filter);
    ClickHeader(2); // percent, descending
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100001", L"100003"}));

    auto second = MakeTable(
        kColumns, {{L"100010", L"戊", L"0.01"}, {L"200020", L"己", L"0.9"}, {L"100030", L"庚", L"0.5"}});
    XComPtr<Data::IDataView> view = grid.GetDisplayView();
    grid.SetDataSource(second);
    EXPECT_EQ(grid.GetDisplayView().Get(), view.Get());
    EXPECT_EQ(ShownCodes(grid), (std::vector<std::wstring>{L"100030", L"100010"}));
}

TEST_F(GeneralDataGridTest, ZoomComesFromTheUserFontSize) {
    grid.SetZoom(2.0);
    grid.ApplyUserZoom(); // no application: nothing to read, nothing changes
    EXPECT_DOUBLE_EQ(grid.GetZoom(), 2.0);

    auto app = HostKernel::MakeRef<ConfiguredApp>();
    grid.SetApp(app);
    grid.ApplyUserZoom(); // no configuration manager
    EXPECT_DOUBLE_EQ(grid.GetZoom(), 1.0);
    app->conf = HostKernel::MakeRef<FontSizeValue>();
    grid.ApplyUserZoom();
    EXPECT_DOUBLE_EQ(grid.GetZoom(), 1.5);
}

TEST_F(GeneralDataGridTest, ViewsOutlivingTheGridNeverCallBack) {
    auto doomed = std::make_unique<OpenGrid>();
    doomed->SetTheme(&theme);
    doomed->SetHeader(kHeader);
    doomed->SetDataSource(table);
    ASSERT_TRUE(doomed->Create(L"grid", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr));
    XComPtr<Data::IDataView> kept = doomed->GetDisplayView();
    DestroyWindow(*doomed);
    EXPECT_EQ(doomed->GetDisplayView().Get(), nullptr);
    EXPECT_EQ(doomed->GetRowsCount(), 0);
    kept->AddFilter(HostKernel::MakeRef<CodeStartsWithOne>()); // would reach the grid if still listening

    // The same without the window: the object goes first.
    auto early = std::make_unique<OpenGrid>();
    early->SetDataSource(table);
    XComPtr<Data::IDataView> held = early->GetDisplayView();
    early.reset();
    Refill(table, {{L"1", L"a", L"0"}});
    EXPECT_EQ(held->GetRowCount(), 0); // detached from its source
}

} // namespace
} // namespace gridtest
