// The pages on their own, over a context of the test's making instead of the module: what a page
// reads comes from its context, a failed query and a removal go back to it, and the read-ahead's
// answers reach the page the way the workspace delivers them. This program links the pages without
// the workspace and the module, which shows that they sit below them.
#include "grid/FakeTheme.h"
#include "pages/common/CompareContext.h"
#include "pages/general/GeneralComparePage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/performance/PerformanceQueries.h"
#include "support/FixtureDb.h"
#include "wgui/ModuleInstance.h"
#include "wgui/Verify.h"

#include <hostdb/SqliteDatabase.h>
#include <platform/driver.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class FakeContext final : public CompareContext {
public:
    const FundCodeSet& Funds() const override { return funds; }
    Data::IDatabase* Database() const override { return database; }
    IApp* App() const override { return nullptr; }
    AheadResult FetchAhead(const AheadRequest& request) override {
        asked.push_back(request);
        return answer ? answer(request) : AheadResult::ReadHere(request.kind);
    }
    void ShowNote(const Control::StatusNote&) override {}
    bool RemoveFunds(const std::vector<XStringW>& codes) override {
        removed.push_back(codes);
        bool any = false;
        for (const XStringW& code : codes)
            any = funds.erase(code) != 0 || any;
        return any;
    }
    void ReportQueryError(HWND owner, const XStringW& error) override { errors.emplace_back(owner, error); }

    FundCodeSet funds;
    XComPtr<Data::IDatabase> database;
    std::function<AheadResult(const AheadRequest&)> answer; // read here when empty
    std::vector<AheadRequest> asked;
    std::vector<std::vector<XStringW>> removed;
    std::vector<std::pair<HWND, XStringW>> errors;
};

class PageOnItsOwn : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformStartHeadless(1100, 800);
        PlatformClearMessageBoxes();
        WGUI::SetModuleInstance(GetModuleHandleW(nullptr)); // the pages' resources are this program's
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PageOnItsOwnFrame";
        RegisterClassExW(&wc);
        frame = CreateWindowExW(0, L"PageOnItsOwnFrame", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                1100, 800, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override {
        DestroyWindow(frame);
        PlatformRunUntilIdle();
    }

    void Open(TestSupport::FixtureDb& fixture) {
        XStringW error;
        XComPtr<HostDb::SqliteDatabase> opened = HostDb::SqliteDatabase::Open(fixture.Path(), error);
        ASSERT_NE(opened, nullptr) << error.ToUtf8();
        context.database = opened.Get();
    }
    // The page as a child filling the frame, given the context first, as the workspace does.
    void Make(ComparePage& page) {
        page.SetContext(&context);
        ASSERT_NE(page.Create(frame, nullptr), nullptr);
        MoveWindow(page.GetHandle(), 0, 0, 1100, 800, TRUE);
        page.ApplyTheme(&theme);
    }
    static int Rows(Control::DataGridEx& grid) {
        return static_cast<int>(SendMessageW(grid, Control::DataGridEx::kGetRowCountMessage, 0, 0));
    }

    TestSupport::FixtureDb fixture{"funds.sql"};
    FakeContext context;
    FakeTheme theme;
    HWND frame = nullptr;
};

TEST_F(PageOnItsOwn, APageShowsTheFundsOfItsContextAndFollowsItsNotifications) {
    Open(fixture);
    GeneralComparePage page;
    Make(page);
    context.funds = {L"F001", L"F002"};
    page.OnFundsAdded();
    EXPECT_EQ(page.Grid().GetColumnCount(), 3); // the labels and two funds
    context.funds.erase(L"F001");
    page.OnFundsRemoved();
    EXPECT_EQ(page.Grid().GetColumnCount(), 2);
    context.funds.clear();
    page.OnFundsCleared();
    EXPECT_EQ(page.Grid().GetColumnCount(), 1);
    EXPECT_EQ(page.ReloadCount(), 3); // the general page follows every change, shown or not
    EXPECT_TRUE(context.errors.empty());
}

TEST_F(PageOnItsOwn, AFailedQueryGoesBackToTheContextOwnedByThePage) {
    SampleDb::Exec(SampleDb::OpenDatabase(fixture.Path(), false).get(), "DROP TABLE tb_bonus");
    Open(fixture);
    GeneralComparePage page;
    Make(page);
    context.funds = {L"F001"};
    page.Reload();
    ASSERT_EQ(context.errors.size(), 1u);
    EXPECT_EQ(context.errors[0].first, page.GetHandle());
    EXPECT_NE(context.errors[0].second.str().find(L"tb_bonus"), std::wstring::npos);
    // The context shows it; the page itself shows nothing.
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(PageOnItsOwn, APageWaitsForItsUniverseAndTakesItWhenItIsDelivered) {
    Open(fixture);
    context.funds = {L"F001", L"F002"};
    context.answer = [](const AheadRequest& request) { return AheadResult::OnItsWay(request.kind); };
    PerformancePage page;
    Make(page);
    page.ShowWindow(SW_SHOW);
    PlatformRunUntilIdle();
    ASSERT_FALSE(context.asked.empty());
    EXPECT_EQ(context.asked.back().kind, AheadKind::kPerformance);
    EXPECT_EQ(context.asked.back().year, page.LatestYear());
    EXPECT_TRUE(page.IsLoading());
    EXPECT_EQ(Rows(page.Grid()), 0);
    std::optional<AheadRequest> awaited = page.AwaitedAhead();
    ASSERT_TRUE(awaited.has_value());
    EXPECT_EQ(awaited->kind, AheadKind::kPerformance);

    // A failed reading is reported through the context; the page stops waiting and lists nothing.
    page.OnReadAhead(AheadResult::Ready(AheadKind::kPerformance, false, XStringW(L"disk I/O error"),
                                        PerformanceUniverse()));
    ASSERT_EQ(context.errors.size(), 1u);
    EXPECT_EQ(context.errors[0].first, page.GetHandle());
    EXPECT_FALSE(page.IsLoading());
    EXPECT_FALSE(page.AwaitedAhead().has_value());

    // Shown again, it waits again, and takes the universe when it comes: 13 periods per fund.
    page.ShowWindow(SW_HIDE);
    EXPECT_FALSE(page.AwaitedAhead().has_value()) << "a hidden page waits for nothing";
    page.ShowWindow(SW_SHOW);
    PlatformRunUntilIdle();
    EXPECT_TRUE(page.IsLoading());
    PerformanceUniverse universe;
    XStringW error;
    ASSERT_TRUE(universe.Load(context.database, SafeYear(page.LatestYear()), error)) << error.ToUtf8();
    page.OnReadAhead(AheadResult::Ready(AheadKind::kPerformance, true, XStringW(), std::move(universe)));
    EXPECT_FALSE(page.IsLoading());
    EXPECT_EQ(Rows(page.Grid()), 26);
}

TEST_F(PageOnItsOwn, TheListsRemovalHandsTheSelectedFundToTheContext) {
    Open(fixture);
    context.funds = {L"F001", L"F002"};
    PerformancePage page;
    Make(page);
    page.ShowWindow(SW_SHOW);
    PlatformRunUntilIdle();
    ASSERT_EQ(Rows(page.Grid()), 26);

    // Nothing selected: nothing to hand over.
    page.Grid().RemoveSelectedFunds();
    EXPECT_TRUE(context.removed.empty());

    // The first row is the first fund's, in the latest of the year periods.
    ASSERT_TRUE(page.Grid().SetCurrSel(0));
    page.Grid().RemoveSelectedFunds();
    ASSERT_EQ(context.removed.size(), 1u);
    EXPECT_EQ(context.removed[0], std::vector<XStringW>{XStringW(L"F001")});
    EXPECT_EQ(context.funds, FundCodeSet{XStringW(L"F002")});
    EXPECT_TRUE(page.Grid().GetCurrSels().empty());
}

TEST(AheadResults, SayWhereTheReadingStandsAndHandTheirDataOutOnce) {
    EXPECT_TRUE(AheadResult::ReadHere(AheadKind::kRisk).ReadHere());
    EXPECT_FALSE(AheadResult::ReadHere(AheadKind::kRisk).Ok());
    EXPECT_TRUE(AheadResult::OnItsWay(AheadKind::kHistory).OnItsWay());
    AheadResult failed = AheadResult::Ready(AheadKind::kFunds, false, XStringW(L"gone"), std::vector<int>{1});
    EXPECT_FALSE(failed.Ok());
    EXPECT_FALSE(failed.OnItsWay() || failed.ReadHere());
    EXPECT_EQ(failed.Error(), XStringW(L"gone"));
    AheadResult read = AheadResult::Ready(AheadKind::kRisk, true, XStringW(), std::vector<int>{1, 2, 3});
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.Kind(), AheadKind::kRisk);
    EXPECT_EQ(read.Take<std::vector<int>>(), (std::vector<int>{1, 2, 3}));
}

using AheadResultsDeathTest = ::testing::Test;

TEST_F(AheadResultsDeathTest, AResultTakenTwiceOrAsAnotherTypeStopsATestBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(WGUI::VerifyStops());
    EXPECT_DEATH(
        {
            AheadResult read = AheadResult::Ready(AheadKind::kRisk, true, XStringW(), std::vector<int>{1});
            read.Take<std::vector<double>>();
        },
        "invariant failed");
    EXPECT_DEATH(
        {
            AheadResult read = AheadResult::Ready(AheadKind::kRisk, true, XStringW(), std::vector<int>{1});
            read.Take<std::vector<int>>();
            read.Take<std::vector<int>>();
        },
        "invariant failed");
}

TEST_F(AheadResultsDeathTest, APageAskedToFillWithoutAContextStopsATestBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            GeneralComparePage page;
            page.Reload();
        },
        "invariant failed: m_context != nullptr");
}

} // namespace
