// The growth page's benchmark: chosen in its box from the indexes of the database, followed by the
// figures and the chart, kept in the settings, and a stored choice the database no longer has.
#include "GrowthFixture.h"

#include "pages/growth/GrowthSettings.h"

namespace {

class BenchmarkFixture : public GrowthFixture {
protected:
    // An index whose every return on F002's days is half of F002's (F002: +5 %, -4.76 %, +10 %),
    // so that F002's beta against it is exactly 2.
    void AddHalfIndex() {
        Alter("INSERT INTO tb_indexhistory (exponentcode, date, closevalue, isdeleted) VALUES "
              "('bd000009', '2010-09-27', 1000, 0), ('bd000009', '2010-09-28', 1025, 0), "
              "('bd000009', '2010-09-29', 1000.5952380952381, 0), ('bd000009', '2010-09-30', 1050.625, 0)");
    }

    std::vector<std::wstring> BoxItems() {
        std::vector<std::wstring> items;
        HWND box = page().BenchmarkBox();
        const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
        for (LRESULT k = 0; k < count; ++k) {
            wchar_t text[128] = {};
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }

    void Pick(int item) {
        HWND box = page().BenchmarkBox();
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(page(), WM_COMMAND, MAKEWPARAM(GrowthPage::kBenchmarkBoxId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        PlatformRunUntilIdle();
    }

    // A figure of the row of a code, as displayed.
    std::wstring Figure(const wchar_t* code, const wchar_t* field) {
        GrowthFiguresGrid& grid = page().Grid();
        int column = -1;
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            if (grid.GetColumn(c)->name == XStringW(field))
                column = c;
        int codeColumn = -1;
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            if (grid.GetColumn(c)->name == XStringW(L"aliascode"))
                codeColumn = c;
        if (column < 0 || codeColumn < 0)
            return L"<no column>";
        for (const auto& row : Cells())
            if (row[static_cast<size_t>(codeColumn)] == code)
                return row[static_cast<size_t>(column)];
        return L"<no row>";
    }
};

TEST_F(BenchmarkFixture, TheChosenIndexIsWhatBetaAndTheChartMeasureAgainstAndIsKept) {
    AddHalfIndex();
    StartModule();
    CreatePage();
    module.AddFund(L"F002");
    Show();
    // Every index with closes, in code order; the composite by default.
    EXPECT_EQ(BoxItems(),
              (std::vector<std::wstring>{L"bd000009", L"sh000001 上证指数", L"sz399001 深证成指"}));
    EXPECT_EQ(page().BenchmarkCode(), XStringW(L"sh000001"));
    EXPECT_EQ(SendMessageW(page().BenchmarkBox(), CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowEnabled(page().BenchmarkBox()));
    const std::wstring againstComposite = Figure(L"000002", L"beta");
    EXPECT_NE(againstComposite, L"2.00");
    EXPECT_NE(againstComposite, L"--");

    Pick(0);
    EXPECT_EQ(page().BenchmarkCode(), XStringW(L"bd000009"));
    EXPECT_EQ(Figure(L"000002", L"beta"), L"2.00");
    EXPECT_EQ(Figure(L"000002", L"correlation"), L"1.00");
    // The index row and the chart's dashed line are the chosen index's.
    EXPECT_EQ(Figure(L"bd000009", L"totalreturn").substr(0, 3), L"5.0");
    EXPECT_EQ(Figure(L"sh000001", L"totalreturn"), L"<no row>");
    EXPECT_NE(page().FiguresCaption().str().find(L"与基准（bd000009）"), std::wstring::npos);
    bool line = false;
    for (const GrowthChart::Line& l : chart().Lines())
        line = line || (l.isIndex && l.key == XStringW(L"bd000009"));
    EXPECT_TRUE(line);
    // The choice is saved at once.
    EXPECT_EQ(app->conf->keys[GrowthSettings::kBenchmarkKey], XStringW(L"bd000009"));
    EXPECT_GE(app->conf->saves, 1);

    // An index with a single close gives no benchmark figure, and no error.
    Pick(2);
    EXPECT_EQ(page().BenchmarkCode(), XStringW(L"sz399001"));
    EXPECT_EQ(Figure(L"000002", L"beta"), L"--");
    EXPECT_TRUE(PlatformMessageBoxes().empty());

    // Back to the composite: the figure it gave before.
    Pick(1);
    EXPECT_EQ(Figure(L"000002", L"beta"), againstComposite);
}

TEST_F(BenchmarkFixture, AStoredChoiceIsTakenAndOneTheDatabaseLacksFallsBackToTheComposite) {
    AddHalfIndex();
    app->conf->keys[GrowthSettings::kBenchmarkKey] = L"bd000009";
    StartModule();
    CreatePage();
    module.AddFund(L"F002");
    Show();
    EXPECT_EQ(page().BenchmarkCode(), XStringW(L"bd000009"));
    EXPECT_EQ(SendMessageW(page().BenchmarkBox(), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Figure(L"000002", L"beta"), L"2.00");

    // Another database without that index: the composite, quietly, and the stored choice stays
    // for a database that has it.
    module.RemoveFund(L"F002");
    app->conf->keys[GrowthSettings::kBenchmarkKey] = L"zz999999";
    GrowthHistory history;
    history.SetBenchmark(L"zz999999");
    XStringW error;
    ASSERT_TRUE(history.Sync(module.Database(), {}, error)) << error.ToUtf8();
    EXPECT_EQ(history.BenchmarkCode(), XStringW(L"sh000001"));
    EXPECT_FALSE(history.Index().Empty());
    EXPECT_EQ(app->conf->keys[GrowthSettings::kBenchmarkKey], XStringW(L"zz999999"));
}

TEST_F(BenchmarkFixture, ADatabaseWithoutIndexesShutsTheBoxAndLeavesTheBenchmarkFiguresEmpty) {
    Alter("DELETE FROM tb_indexhistory");
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    EXPECT_FALSE(IsWindowEnabled(page().BenchmarkBox()));
    EXPECT_EQ(BoxItems(), (std::vector<std::wstring>{GrowthPage::kNoIndexText}));
    EXPECT_TRUE(page().BenchmarkCode().empty());
    EXPECT_EQ(Figure(L"000001", L"beta"), L"--");
    EXPECT_EQ(Figure(L"000001", L"alpha"), L"--");
    EXPECT_NE(Figure(L"000001", L"volatility"), L"--");
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(BenchmarkFixture, AtTheSmallestWindowTheBoxStaysInsideTheStripBesideTheOtherControls) {
    StartModule();
    CreatePage();
    module.AddFund(L"F001");
    Show();
    for (const SIZE size : {SIZE{760, 520}, SIZE{1200, 700}}) {
        MoveWindow(page(), 0, 0, size.cx, size.cy, TRUE);
        PlatformRunUntilIdle();
        RECT chart{};
        GetWindowRect(page().Chart(), &chart);
        MapWindowPoints(nullptr, page(), reinterpret_cast<POINT*>(&chart), 2);
        // The toolbar's controls by their visible strip (a box's list drops below it when open).
        std::vector<RECT> placed;
        for (HWND control : {static_cast<HWND>(page().RangeHeader()), static_cast<HWND>(page().StartBox()),
                             static_cast<HWND>(page().EndBox()), static_cast<HWND>(page().BenchmarkBox()),
                             static_cast<HWND>(page().ViewHeader())}) {
            RECT r{};
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, page(), reinterpret_cast<POINT*>(&r), 2);
            r.bottom = r.top + 22;
            EXPECT_GE(r.left, 0) << size.cx;
            EXPECT_LE(r.right, size.cx) << size.cx;
            EXPECT_LE(r.bottom, chart.top) << size.cx;
            EXPECT_GT(r.right - r.left, 60) << size.cx;
            for (const RECT& other : placed) {
                RECT overlap{};
                EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << size.cx;
            }
            placed.push_back(r);
        }
    }
}

TEST(GrowthSettingsBenchmark, AWrittenChoiceReadsBackAndAnythingButACodeIsNone) {
    auto app = HostKernel::MakeRef<ConfiguredApp>();
    XStringW error;
    ASSERT_TRUE(GrowthSettings::WriteBenchmark(app, L"fc000101", error)) << error.ToUtf8();
    EXPECT_EQ(GrowthSettings::Read(app).benchmark, XStringW(L"fc000101"));
    app->conf->keys[GrowthSettings::kBenchmarkKey] = L" sh000001\n";
    EXPECT_EQ(GrowthSettings::Read(app).benchmark, XStringW(L"sh000001"));
    for (const wchar_t* bad : {L"", L"sh 000001", L"a'b", L"x;drop"}) {
        app->conf->keys[GrowthSettings::kBenchmarkKey] = bad;
        EXPECT_TRUE(GrowthSettings::Read(app).benchmark.empty()) << XStringW(bad).ToUtf8();
    }
    // A configuration that cannot be written says so.
    app->conf->writable = false;
    EXPECT_FALSE(GrowthSettings::WriteBenchmark(app, L"sh000001", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
