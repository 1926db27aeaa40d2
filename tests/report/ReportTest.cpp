// The comparison report: every page of the comparison in a PDF document that any reader takes —
// the fund names and the pages' figures found by pdftotext where the pages show them, page 1 an
// A4 page with ink on it — drawn in the light theme while the screen stays dark, written through a
// temporary that never leaves half a file under the chosen name.
#include "ModuleHost.h"
#include "support/FixtureDb.h"
#include "support/PdfTools.h"

#include "pages/holdings/HoldingsComparePage.h"
#include "report/ReportProgressWindow.h"

#include <hostconf/Theme.h>
#include <platform/commctrl.h>
#include <sdk/ControlDataGrid.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The host's shipped themes: the screen dark, the light one on request.
struct ShippedThemes : FakeThemeMgr {
    XComPtr<HostConf::Theme> dark, light;
    ShippedThemes() {
        XStringW error;
        dark = HostConf::Theme::LoadFile(FC_SOURCE_DIR "/host/themes/dark.xml", error);
        light = HostConf::Theme::LoadFile(FC_SOURCE_DIR "/host/themes/light.xml", error);
    }
    bool GetCurrentTheme(Conf::ITheme** out) override {
        *out = dark.Get();
        (*out)->AddRef();
        return true;
    }
    bool GetThemeByName(const char* name, Conf::ITheme** out) override {
        *out = std::string(name) == "light" ? light.Get() : nullptr;
        if (*out != nullptr)
            (*out)->AddRef();
        return *out != nullptr;
    }
};

struct Report : ::testing::Test {
    static inline std::string database;
    ModuleHost host;
    BackgroundPage* workspace = nullptr;
    std::vector<XStringW> codes;
    fs::path folder;

    static void SetUpTestSuite() {
        database = (fs::temp_directory_path() / ("report-test-" + std::to_string(getpid()) + ".db")).string();
        SampleDb::Options options;
        options.funds = 60;
        options.years = 3;
        ASSERT_EQ(SampleDb::Generate(database, options), "");
    }
    static void TearDownTestSuite() { fs::remove(database); }

    void SetUp() override {
        folder = fs::temp_directory_path() / ("report-test-" + std::to_string(getpid()));
        fs::create_directories(folder);
        host.app->themes = XComPtr<FakeThemeMgr>(HostKernel::MakeRef<ShippedThemes>().Get());
        ASSERT_TRUE(host.Start(database, HostOptions()));
        host.MakeWindow(1280, 800);
        ASSERT_TRUE(host.ShowWorkspace(static_cast<ShippedThemes*>(host.app->themes.Get())->dark.Get()));
        workspace = &host.module.Workspace();
        // The first eight open funds of the picker's list.
        Data::IDataTable* funds = workspace->FundsTable();
        for (int row = 0; row < funds->GetRowCount() && codes.size() < 8; ++row) {
            XComPtr<Data::IDataRow> line;
            funds->GetRow(line.Receive(), row);
            codes.push_back(line->GetValue(L"code")->ToString());
        }
        ASSERT_EQ(codes.size(), 8u);
        for (const XStringW& code : codes)
            ASSERT_EQ(host.module.AddFund(code), 0);
        PlatformRunUntilIdle();
    }
    virtual ModuleHost::Options HostOptions() const { return {}; }
    void TearDown() override {
        host.Stop();
        fs::remove_all(folder);
    }

    std::string Save(const std::string& bytes, const std::string& name) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Runs the message loop, the clock and the writer until the report is done.
    void Finish() {
        for (int i = 0; i < 20000 && workspace->Report().Busy(); ++i) {
            PlatformRunUntilIdle();
            PlatformAdvanceClock(20);
            usleep(500);
        }
        PlatformRunUntilIdle();
    }

    // The numbers every list of every page shows, as shown.
    std::set<std::string> ShownNumbers() {
        std::set<std::string> numbers;
        for (int page = 0; page < workspace->PageCount(); ++page) {
            workspace->ShowTab(page);
            PlatformRunUntilIdle();
            std::vector<Control::DataGridEx*> grids;
            EnumChildWindows(
                workspace->Page(page)->GetHandle(),
                [](HWND window, LPARAM context) -> BOOL {
                    // Only the lists the page shows: a page with views (holdings) hides the others.
                    auto* grid = dynamic_cast<Control::DataGridEx*>(Control::XWin::FromHandle(window));
                    if (grid != nullptr && IsWindowVisible(window))
                        reinterpret_cast<std::vector<Control::DataGridEx*>*>(context)->push_back(grid);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&grids));
            for (Control::DataGridEx* grid : grids)
                for (const auto& row : grid->ReadSheet(false).rows)
                    for (const XStringW& cell : row) {
                        double value = 0;
                        std::string format;
                        if (Control::ParseShownNumber(cell, value, format))
                            numbers.insert(TestSupport::WithoutBlanks(cell.ToUtf8()));
                    }
        }
        workspace->ShowTab(0);
        PlatformRunUntilIdle();
        return numbers;
    }
};

TEST_F(Report, EveryFundAndEveryShownFigureIsTextInTheDocument) {
    const std::set<std::string> numbers = ShownNumbers();
    ASSERT_GT(numbers.size(), 50u);
    workspace->ShowTab(2);
    const std::string bytes = workspace->Report().DrawNow(false);
    ASSERT_EQ(bytes.compare(0, 5, "%PDF-"), 0);
    // The user's tab comes back after the report went through them all.
    EXPECT_EQ(workspace->CurrentTab(), 2);
    const std::string path = Save(bytes, "report.pdf");
    const std::string text = TestSupport::WithoutBlanks(TestSupport::PdfText(path));
    ASSERT_FALSE(text.empty());

    const ReportDocument::Title title = workspace->Report().ReadTitle();
    ASSERT_EQ(title.funds.size(), codes.size());
    EXPECT_TRUE(title.sample);
    EXPECT_EQ(title.database, XStringW::FromUtf8(fs::path(database).filename().string()));
    EXPECT_FALSE(title.latestDate.empty());
    EXPECT_NE(text.find(TestSupport::WithoutBlanks(title.latestDate.ToUtf8())), std::string::npos);
    EXPECT_NE(text.find("示例数据"), std::string::npos);
    for (const auto& fund : title.funds) {
        ASSERT_FALSE(fund.second.empty()) << fund.first.ToUtf8();
        EXPECT_NE(text.find(TestSupport::WithoutBlanks(fund.second.ToUtf8())), std::string::npos)
            << fund.second.ToUtf8();
    }
    // Every page's heading, in tab order.
    size_t at = 0;
    for (const wchar_t* caption :
         {L"综合对比", L"业绩表现", L"风险回报", L"资产分布", L"行业配置", L"走势对比"}) {
        const size_t found = text.find(XStringW(caption).ToUtf8(), at);
        EXPECT_NE(found, std::string::npos) << XStringW(caption).ToUtf8();
        if (found != std::string::npos)
            at = found;
    }
    std::vector<std::string> missing;
    for (const std::string& number : numbers)
        if (text.find(number) == std::string::npos)
            missing.push_back(number);
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << numbers.size() << " missing, first "
                                 << missing.front();
    EXPECT_NE(text.find("第1页"), std::string::npos);
}

TEST_F(Report, PageOneIsAnA4PageWithInkAndTheListsAreOnWhitePaper) {
    const std::string landscape = Save(workspace->Report().DrawNow(false), "landscape.pdf");
    const std::string portrait = Save(workspace->Report().DrawNow(true), "portrait.pdf");
    for (const auto& [path, width, height] :
         {std::tuple{landscape, 585, 414}, std::tuple{portrait, 414, 585}}) {
        ASSERT_TRUE(TestSupport::RenderPdfPage(path, 1, 50, path + "-1")) << path;
        cairo_surface_t* png = cairo_image_surface_create_from_png((path + "-1.png").c_str());
        ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
        // A4 at 50 pixels per inch: 8.27 x 11.69 inches.
        EXPECT_NEAR(cairo_image_surface_get_width(png), width, 1);
        EXPECT_NEAR(cairo_image_surface_get_height(png), height, 1);
        cairo_surface_flush(png);
        const int stride = cairo_image_surface_get_stride(png);
        const unsigned char* data = cairo_image_surface_get_data(png);
        int ink = 0;
        for (int y = 0; y < cairo_image_surface_get_height(png); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(png); ++x)
                ink += data[y * stride + x * 4] < 128 ? 1 : 0;
        EXPECT_GT(ink, 300) << path;
        cairo_surface_destroy(png);
    }
    // Page 2 is the general page's list: on paper its background is the light theme's, though the
    // screen is dark.
    ASSERT_TRUE(TestSupport::RenderPdfPage(landscape, 2, 50, landscape + "-2"));
    cairo_surface_t* png = cairo_image_surface_create_from_png((landscape + "-2.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    cairo_surface_flush(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    int dark = 0, all = 0;
    for (int y = 60; y < 350; ++y)
        for (int x = 30; x < 550; ++x, ++all) {
            const unsigned char* p = data + y * stride + x * 4;
            dark += (p[0] + p[1] + p[2]) < 3 * 90 ? 1 : 0;
        }
    EXPECT_LT(dark, all / 4);
    cairo_surface_destroy(png);
    // The dark screen is dark still.
    EXPECT_EQ(workspace->General().BackgroundColour(), [] {
        COLORREF colour = 0;
        ShippedThemes().dark->GetColor("wnd_general_bg", colour);
        return colour;
    }());
}

TEST_F(Report, TheFileIsWrittenWholeOrNotAtAll) {
    // Through the button's path: pages one turn at a time, the file by a worker.
    const std::string good = (folder / "报告.pdf").string();
    const ReportProgressWindow& progress = workspace->Report().ProgressWindow();
    ASSERT_TRUE(workspace->Report().Start(XStringW::FromUtf8(good), false));
    EXPECT_FALSE(workspace->Report().Start(XStringW::FromUtf8(good), true)); // one at a time
    // The progress bar counts every page and then the file, never going back.
    ASSERT_TRUE(IsWindow(progress.Bar()));
    PBRANGE range{};
    SendMessageW(progress.Bar(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iHigh, workspace->PageCount() + 1);
    std::vector<int> positions;
    for (int i = 0; i < 20000 && workspace->Report().Busy(); ++i) {
        if (IsWindow(progress.Bar()))
            positions.push_back(static_cast<int>(SendMessageW(progress.Bar(), PBM_GETPOS, 0, 0)));
        PlatformRunUntilIdle();
        PlatformAdvanceClock(20);
        usleep(500);
    }
    PlatformRunUntilIdle();
    ASSERT_FALSE(workspace->Report().Busy());
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 0);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), workspace->PageCount()); // every page drawn while the file is written
    EXPECT_EQ(progress.Done(), progress.Steps());        // and the file written at the end
    EXPECT_FALSE(IsWindow(progress.GetHandle()));
    std::ifstream in(good, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");

    // A folder under the name, and a folder that does not exist: a message, and nothing left.
    const size_t boxes = PlatformMessageBoxCount();
    const fs::path taken = folder / "taken.pdf";
    fs::create_directory(taken);
    for (const fs::path& target : {taken, folder / "no" / "such.pdf"}) {
        ASSERT_TRUE(workspace->Report().Start(XStringW::FromUtf8(target.string()), false));
        for (int i = 0; i < 20000 && workspace->Report().Busy(); ++i) {
            PlatformRunUntilIdle();
            PlatformAdvanceClock(20);
            usleep(500);
        }
        PlatformRunUntilIdle();
    }
    EXPECT_EQ(PlatformMessageBoxCount(), boxes + 2);
    // A failed write ends the progress short of its end, and its window with it.
    EXPECT_FALSE(IsWindow(progress.GetHandle()));
    EXPECT_LT(progress.Done(), progress.Steps());
    EXPECT_NE(XStringW(PlatformMessageBoxes().back().text).ToUtf8().find("无法导出报告"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_TRUE(fs::is_empty(taken));
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"报告.pdf", "taken.pdf"}));
}

TEST_F(Report, TheButtonAndCtrlPAskForTheFileAndTheSetsButtonKeepsItsMenu) {
    host.RouteKeysThroughModule();
    std::vector<PlatformSaveDialogRequest> asked;
    std::optional<std::wstring> answer; // cancelled until a name is given
    PlatformSetSaveDialogHook([&](const PlatformSaveDialogRequest& request) {
        asked.push_back(request);
        return answer;
    });
    PlatformSetMenuHook(
        [](HWND, POINT, const std::vector<PlatformMenuItem>&) { return std::optional<UINT>(); });
    auto click = [](HWND button) {
        RECT r{};
        GetWindowRect(button, &r);
        PlatformClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PlatformRunUntilIdle();
    };
    const size_t menus = PlatformMenus().size();
    click(workspace->ReportButton());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, L"导出报告");
    ASSERT_EQ(asked[0].types.size(), 2u); // landscape, portrait
    EXPECT_EQ(PlatformMenus().size(), menus);
    // The sets button beside it shows its menu and asks for no file.
    click(workspace->SetsButton());
    EXPECT_EQ(PlatformMenus().size(), menus + 1);
    EXPECT_EQ(asked.size(), 1u);

    const fs::path target = folder / "按键.pdf";
    answer = XStringW::FromUtf8(target.string()).str();
    SetFocus(workspace->Page(0)->GetHandle());
    PlatformKeyDown(VK_CONTROL);
    PlatformKeyPress('P');
    PlatformKeyUp(VK_CONTROL);
    PlatformRunUntilIdle();
    EXPECT_EQ(asked.size(), 2u);
    Finish();
    PlatformSetSaveDialogHook({});
    PlatformSetMenuHook({});
    EXPECT_TRUE(fs::is_regular_file(target));
}

TEST_F(Report, CancelStopsTheDrawingAndWritesNothing) {
    workspace->ShowTab(1);
    PlatformRunUntilIdle();
    const fs::path target = folder / "取消.pdf";
    const ReportProgressWindow& progress = workspace->Report().ProgressWindow();
    ASSERT_TRUE(workspace->Report().Start(XStringW::FromUtf8(target.string()), false));
    // Two pages on, "取消" is pressed.
    for (int i = 0; i < 1000 && progress.Done() < 2; ++i) {
        PlatformRunUntilIdle();
        PlatformAdvanceClock(20);
    }
    ASSERT_TRUE(IsWindow(progress.GetHandle()));
    EXPECT_NE(XStringW(progress.Line()).ToUtf8().find(" / "), std::string::npos);
    SendMessageW(progress.GetHandle(), WM_COMMAND, MAKEWPARAM(ReportProgressWindow::kCancelId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(progress.CancelButton()));
    EXPECT_FALSE(workspace->Report().Busy());
    EXPECT_FALSE(IsWindow(progress.GetHandle()));
    Finish();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(workspace->CurrentTab(), 1);
    // Another report starts afresh and is written whole.
    ASSERT_TRUE(workspace->Report().Start(XStringW::FromUtf8(target.string()), false));
    Finish();
    EXPECT_TRUE(fs::is_regular_file(target));
}

TEST_F(Report, TheHoldingsSectionHoldsTheOverlapAndTheStocksWhateverTheView) {
    HoldingsComparePage* holdings = nullptr;
    for (int page = 0; page < workspace->PageCount() && holdings == nullptr; ++page)
        holdings = dynamic_cast<HoldingsComparePage*>(workspace->Page(page));
    ASSERT_NE(holdings, nullptr);
    workspace->ShowTab(workspace->PageCount() - 1);
    for (int page = 0; page < workspace->PageCount(); ++page)
        if (workspace->Page(page) == holdings)
            workspace->ShowTab(page);
    PlatformRunUntilIdle();
    ASSERT_TRUE(holdings->Notice().empty()) << holdings->Notice().ToUtf8();
    auto numbers = [](Control::DataGridEx& grid) {
        std::set<std::string> found;
        for (const auto& row : grid.ReadSheet(false).rows)
            for (const XStringW& cell : row) {
                double value = 0;
                std::string format;
                if (Control::ParseShownNumber(cell, value, format))
                    found.insert(TestSupport::WithoutBlanks(cell.ToUtf8()));
            }
        return found;
    };
    auto missingFrom = [](const std::string& text, const std::set<std::string>& wanted) {
        size_t missing = 0;
        for (const std::string& number : wanted)
            missing += text.find(number) == std::string::npos ? 1 : 0;
        return missing;
    };
    for (int view : {HoldingsComparePage::kStocksView, HoldingsComparePage::kFundView}) {
        holdings->ShowView(view);
        PlatformRunUntilIdle();
        const std::set<std::string> overlap = numbers(holdings->MatrixGrid());
        const std::set<std::string> stocks = numbers(holdings->StockGrid());
        const std::set<std::string> fund = numbers(holdings->FundGrid());
        ASSERT_GT(overlap.size(), 10u);
        ASSERT_GT(stocks.size(), 10u);
        const std::string text = TestSupport::WithoutBlanks(
            TestSupport::PdfText(Save(workspace->Report().DrawNow(false), "holdings.pdf")));
        const size_t section = text.find("持仓对比");
        ASSERT_NE(section, std::string::npos);
        const std::string part = text.substr(section);
        // The overlap matrix with its definition, and the stocks held, in either view.
        EXPECT_NE(part.find("持仓重合度：报告期"), std::string::npos) << view;
        EXPECT_NE(part.find("重仓股："), std::string::npos) << view;
        EXPECT_EQ(missingFrom(part, overlap), 0u) << view;
        EXPECT_EQ(missingFrom(part, stocks), 0u) << view;
        // The single fund only when it is the view shown.
        EXPECT_EQ(part.find("单只基金：") != std::string::npos, view == HoldingsComparePage::kFundView)
            << view;
        if (view == HoldingsComparePage::kFundView)
            EXPECT_EQ(missingFrom(part, fund), 0u);
        EXPECT_EQ(holdings->CurrentView(), view); // the report leaves the screen as it was
    }
}

// The same, with the pages' data read ahead by the module's worker.
struct ReportReadAhead : Report {
    ModuleHost::Options HostOptions() const override {
        ModuleHost::Options options;
        options.readAhead = true;
        return options;
    }
};

TEST_F(ReportReadAhead, APageWaitingForItsDataIsWrittenOnceTheyCome) {
    // A fund joins while the worker is held: the growth page's histories stay on their way.
    XStringW joining;
    Data::IDataTable* funds = workspace->FundsTable();
    for (int row = 0; row < funds->GetRowCount() && joining.empty(); ++row) {
        XComPtr<Data::IDataRow> line;
        funds->GetRow(line.Receive(), row);
        const XStringW code = line->GetValue(L"code")->ToString();
        if (std::find(codes.begin(), codes.end(), code) == codes.end())
            joining = code;
    }
    ASSERT_FALSE(joining.empty());
    // While it is held the loop is run by hand: running until idle would wait for the worker.
    auto pump = [] {
        MSG message{};
        for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    };
    host.module.Ahead().HoldWorker(true);
    ASSERT_EQ(host.module.AddFund(joining), 0);
    pump();

    const std::string target = (folder / "等待.pdf").string();
    ASSERT_TRUE(workspace->Report().Start(XStringW::FromUtf8(target), false));
    pump();
    EXPECT_TRUE(workspace->Report().Busy()); // still waiting, nothing written yet
    EXPECT_FALSE(fs::exists(target));
    host.module.Ahead().HoldWorker(false);
    Finish();
    ASSERT_FALSE(workspace->Report().Busy());
    const std::string text = TestSupport::WithoutBlanks(TestSupport::PdfText(target));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find(XStringW(ComparePage::kLoadingText).ToUtf8()), std::string::npos);
    // The joining fund is in the growth page's figures, after its heading.
    const size_t growth = text.find("走势对比");
    ASSERT_NE(growth, std::string::npos);
    const ReportDocument::Title title = workspace->Report().ReadTitle();
    ASSERT_EQ(title.funds.back().first, joining);
    EXPECT_NE(text.find(TestSupport::WithoutBlanks(title.funds.back().second.ToUtf8()), growth),
              std::string::npos);
}

} // namespace
