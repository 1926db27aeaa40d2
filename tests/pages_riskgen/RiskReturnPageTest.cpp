// The risk-return page on the fixture database: which funds become stars at each horizon, the type
// averages and the index beside them, reloads, failed queries and the drawn chart.
#include "PageFixture.h"

#include <cmath>

namespace {

class RiskReturnPageTest : public PageFixture {
protected:
    RiskReturnPage& page() { return module.Workspace().RiskReturn(); }

    void Show() {
        HWND window = CreatePage(page());
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        PlatformRunUntilIdle();
    }

    // The stars as the map read them: label (or name) and kind.
    std::vector<std::pair<std::wstring, int>> MapStars() {
        std::vector<std::pair<std::wstring, int>> stars;
        for (const Control::StarInfo& star : page().StarMap().GetStars())
            stars.emplace_back((star.starLabel.empty() ? star.name : star.starLabel).str(), star.kind);
        return stars;
    }

    void PickHorizon(int h) {
        HWND box = page().HorizonBox().GetHandle();
        SendMessageW(box, CB_SETCURSEL, h, 0);
        SendMessageW(page().GetHandle(), WM_COMMAND, MAKEWPARAM(RiskReturnPage::kHorizonBoxId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
    }
};

const std::vector<std::pair<std::wstring, int>> kTypeAverages = {
    {L"QDII", 8}, {L"债券型", 9}, {L"指数型", 10}, {L"保本型", 11}, {L"混合型", 12}, {L"股票型", 13}};

} // namespace

TEST_F(RiskReturnPageTest, ComparedFundsBecomeStarsBesideTheTypeAverages) {
    StartModule();
    module.AddFund(L"F001"); // equity
    module.AddFund(L"F004"); // bond
    module.AddFund(L"F008"); // money-market: not part of the chart
    Show();

    auto expected = std::vector<std::pair<std::wstring, int>>{{L"[F001]", 6}, {L"[F004]", 3}};
    // The averages come in the database's grouping order; compare them as a set.
    auto stars = MapStars();
    ASSERT_EQ(stars.size(), 8u);
    EXPECT_EQ(std::vector(stars.begin(), stars.begin() + 2), expected);
    std::vector<std::wstring> averageNames;
    for (size_t i = 2; i < stars.size(); ++i) {
        averageNames.push_back(stars[i].first);
        EXPECT_EQ(stars[i].second, static_cast<int>(6 + i)); // kinds 8, 9, ... in reading order
    }
    std::sort(averageNames.begin(), averageNames.end());
    std::vector<std::wstring> types;
    for (const auto& type : kTypeAverages)
        types.push_back(type.first);
    std::sort(types.begin(), types.end());
    EXPECT_EQ(averageNames, types);

    const Control::StarInfo& f001 = page().StarMap().GetStars()[0];
    EXPECT_DOUBLE_EQ(f001.returnValue, 18.0);
    EXPECT_DOUBLE_EQ(f001.stdDev, 25.0);
    // The equity average holds F001, F002, F014 and the closed-end F009, which has no figures and
    // is skipped by avg.
    for (const Control::StarInfo& star : page().StarMap().GetStars())
        if (star.name == XStringW(L"股票型") && star.starLabel.empty()) {
            EXPECT_NEAR(star.returnValue, (18.0 + 12.0 + 6.0) / 3.0, 1e-9);
        }

    // The index has five weeks: too few for any horizon, so it is among the averages but not drawn.
    ASSERT_EQ(page().Averages().size(), 7u);
    EXPECT_EQ(page().Averages().back()[0].name, XStringW(L"上证指数"));
    EXPECT_EQ(page().IndexWeeks(), (std::vector<double>{-0.01, 0.04, 0.03, -0.02, 0.01}));
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(RiskReturnPageTest, EachStarCarriesItsOwnFundsTexts) {
    StartModule();
    module.AddFund(L"F004");
    module.AddFund(L"F404"); // no such fund
    module.AddFund(L"F001");
    Show();
    // The universe holds every fund's texts together; each star must get its own, whole.
    ASSERT_EQ(page().Stars().size(), 2u);
    // In the order of the compared set, which is by code.
    const RiskModel::FundStar& bond = page().Stars()[1];
    EXPECT_EQ(bond.code, XStringW(L"F004"));
    EXPECT_EQ(bond.aliascode, XStringW(L"000004"));
    EXPECT_EQ(bond.name, XStringW(L"嘉实稳健债券"));
    EXPECT_EQ(bond.investtype, XStringW(L"债券型"));
    const RiskModel::FundStar& equity = page().Stars()[0];
    EXPECT_EQ(equity.code, XStringW(L"F001"));
    EXPECT_EQ(equity.aliascode, XStringW(L"000001"));
    EXPECT_EQ(equity.name, XStringW(L"华夏成长股票"));
    EXPECT_EQ(equity.investtype, XStringW(L"股票型"));
    EXPECT_DOUBLE_EQ(equity.returnValue, 0.18);
    EXPECT_DOUBLE_EQ(equity.stdDev, 0.25);
    EXPECT_GT(page().Universe().FundCount(), 2u);
}

TEST_F(RiskReturnPageTest, AnotherHorizonMovesTheStarsAndDropsFundsWithoutThatFigure) {
    StartModule();
    module.AddFund(L"F001");
    module.AddFund(L"F002");
    module.AddFund(L"F004");
    Show();
    EXPECT_EQ(page().Stars().size(), 3u);

    PickHorizon(1);
    ASSERT_EQ(page().Stars().size(), 2u); // F004 has no two-year figure
    EXPECT_EQ(page().Stars()[0].code, XStringW(L"F001"));
    EXPECT_DOUBLE_EQ(page().Stars()[0].returnValue, 0.10);
    EXPECT_DOUBLE_EQ(page().Stars()[1].stdDev, 0.18);
    EXPECT_EQ(page().Delegate().GetReturnCaption(), XStringW(L"最近二年收益率"));
    EXPECT_EQ(page().Delegate().GetStdDevCaption(), XStringW(L"二年标准差"));
    EXPECT_DOUBLE_EQ(page().StarMap().GetStars()[0].returnValue, 10.0);

    // The choice survives a change of the compared set, which rebuilds only the stars.
    module.AddFund(L"F014");
    EXPECT_EQ(page().ReloadCount(), 1);
    EXPECT_EQ(page().Stars().size(), 2u); // F014 has only a one-year figure
    PickHorizon(0);
    EXPECT_EQ(page().Stars().size(), 4u);
}

TEST_F(RiskReturnPageTest, AReturnTooSmallToReadIsLeftOffTheMapButTheSmallestReadableStays) {
    Alter("UPDATE tb_riskevaluation SET increasepercent = 0.00001 WHERE fundcode = 'F001' AND year = 1;"
          "UPDATE tb_riskevaluation SET increasepercent = 0.000009 WHERE fundcode = 'F002' AND year = 1;"
          "UPDATE tb_riskevaluation SET increasepercent = -0.00001 WHERE fundcode = 'F004' AND year = 1;");
    StartModule();
    for (const wchar_t* code : {L"F001", L"F002", L"F004"})
        module.AddFund(code);
    Show();
    std::vector<std::wstring> codes;
    for (const RiskModel::FundStar& star : page().Stars())
        codes.push_back(star.code.str());
    EXPECT_EQ(codes, (std::vector<std::wstring>{L"F001", L"F004"}));
}

TEST_F(RiskReturnPageTest, AnEmptySetShowsOnlyTheAveragesAndAHiddenPageWaits) {
    StartModule();
    HWND window = CreatePage(page());
    module.AddFund(L"F001");
    EXPECT_EQ(page().ReloadCount(), 0); // hidden: nothing is loaded yet
    EXPECT_TRUE(page().Averages().empty());
    module.ClearFunds();
    ShowWindow(window, SW_SHOW);
    PlatformRunUntilIdle();
    EXPECT_TRUE(page().Stars().empty());
    EXPECT_EQ(page().StarMap().GetStars().size(), kTypeAverages.size());
}

TEST_F(RiskReturnPageTest, TheIndexUsesTheLatestYearOfWeeksAndLeavesLongerHorizonsOut) {
    std::string weeks =
        "INSERT INTO tb_yieldhistory (exponentcode, yieldtype, year, week, percentvalue, isdeleted) VALUES ";
    for (int week = 1; week <= 52; ++week)
        weeks +=
            (week > 1 ? ",('sh000001',4,2011," : "('sh000001',4,2011,") + std::to_string(week) + ",0.01,0)";
    Alter(weeks);
    StartModule();
    Show();
    ASSERT_EQ(page().IndexWeeks().size(), 57u);
    const Control::StarInfo& index = page().StarMap().GetStars().back();
    EXPECT_EQ(index.name, XStringW(L"上证指数"));
    EXPECT_EQ(index.subtitle, XStringW(L"年化"));
    EXPECT_EQ(index.kind, 8 + static_cast<int>(kTypeAverages.size()));
    EXPECT_NEAR(index.returnValue, (std::pow(1.01, 52) - 1.0) * 100.0, 1e-9);
    EXPECT_NEAR(index.stdDev, 0.0, 1e-9);

    PickHorizon(1); // 104 weeks are needed; 57 exist
    EXPECT_NE(page().StarMap().GetStars().back().name, XStringW(L"上证指数"));
}

TEST_F(RiskReturnPageTest, ALoadThatFindsNoFundIsRepeatedWithoutPilingUpTheOtherLists) {
    Alter("UPDATE tb_fund SET isdeleted = 1");
    StartModule();
    Show();
    EXPECT_EQ(page().IndexWeeks().size(), 5u);
    EXPECT_EQ(page().Averages().size(), 1u); // the index alone
    page().ShowHorizon(0);
    page().ShowHorizon(2);
    EXPECT_EQ(page().IndexWeeks().size(), 5u);
    EXPECT_EQ(page().Averages().size(), 1u);
    EXPECT_EQ(page().Delegate().Averages().size(), 1u);
}

TEST_F(RiskReturnPageTest, AFailedQueryIsReportedAndStopsTheLoad) {
    Alter("DROP TABLE tb_riskevaluation");
    StartModule();
    module.AddFund(L"F001");
    Show();
    ASSERT_EQ(PlatformMessageBoxes().size(), 1u); // the fund query; the others are skipped
    const PlatformMessageBoxRecord& box = PlatformMessageBoxes()[0];
    EXPECT_EQ(box.caption, L"ERROR");
    EXPECT_EQ(box.owner, page().GetHandle());
    EXPECT_EQ(box.flags & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_NE(box.text.find(L"tb_riskevaluation"), std::wstring::npos);
    EXPECT_TRUE(page().Averages().empty());
    EXPECT_TRUE(page().StarMap().GetStars().empty());
}

TEST_F(RiskReturnPageTest, ThePageLaysOutTheBoxOverTheMapAndPaintsItsTheme) {
    StartModule();
    module.AddFund(L"F001");
    module.AddFund(L"F004");
    module.AddFund(L"F005");
    Show();
    RECT box{}, map{};
    GetWindowRect(page().HorizonBox().GetHandle(), &box);
    GetWindowRect(page().StarMap(), &map);
    RECT client{};
    GetClientRect(page().GetHandle(), &client);
    EXPECT_EQ(box.left, client.right - 120);
    EXPECT_EQ(box.right - box.left, 100);
    EXPECT_EQ(map.top, 20);
    EXPECT_EQ(map.bottom - map.top, client.bottom - 50);
    EXPECT_EQ(page().StarMap().GetParentName(), XStringW(L"compare"));

    PlatformPaintAll();
    // Below the map the page's own background shows.
    EXPECT_EQ(PlatformWindowPixel(page().GetHandle(), 5, client.bottom - 5), kBackground);
    // The hybrid fund's star is drawn with its image: the pixel at its point is not the background.
    const Control::StarInfo& hybrid = page().StarMap().GetStars()[2];
    ASSERT_EQ(hybrid.kind, 5);
    POINT point{};
    ASSERT_TRUE(page().StarMap().ValueToPoint(hybrid.stdDev, hybrid.returnValue, point));
    EXPECT_NE(PlatformWindowPixel(page().StarMap(), point.x, point.y), kBackground);
    ASSERT_TRUE(PlatformSaveWindowPng(page().GetHandle(), "/tmp/riskreturn_page.png"));
}

TEST_F(RiskReturnPageTest, OneFigureThatIsNoNumberLeavesItsTypeAverageInPlace) {
    // One equity fund's one-year return is infinite and another's deviation is text: the equity
    // average is made of the figures that are numbers, and stays on the map.
    Alter("UPDATE tb_riskevaluation SET increasepercent = 1e999 WHERE fundcode = 'F014' AND year = 1;"
          "UPDATE tb_riskevaluation SET standard = 'n/a' WHERE fundcode = 'F002' AND year = 1;");
    StartModule();
    module.AddFund(L"F001");
    Show();
    const Control::StarInfo* equity = nullptr;
    for (const Control::StarInfo& star : page().StarMap().GetStars())
        if (star.name == XStringW(L"股票型") && star.starLabel.empty())
            equity = &star;
    ASSERT_NE(equity, nullptr);
    EXPECT_NEAR(equity->returnValue, (18.0 + 12.0) / 2.0, 1e-9);
    EXPECT_NEAR(equity->stdDev, (25.0 + 16.0) / 2.0, 1e-9);
    EXPECT_EQ(MapStars().size(), 1 + kTypeAverages.size());
    EXPECT_TRUE(PlatformMessageBoxes().empty());
}

TEST_F(RiskReturnPageTest, FundsWithoutAStarAreListedUnderTheMapWithTheirReason) {
    // F005 has no figure at any horizon; F008 is a money-market fund, outside the risk figures.
    Alter("UPDATE tb_riskevaluation SET increasepercent = 0 WHERE fundcode = 'F005';");
    StartModule();
    for (const wchar_t* code : {L"F001", L"F004", L"F005", L"F008"})
        module.AddFund(code);
    Show();
    using Reason = RiskModel::MissingFund::Reason;
    auto missing = [&] {
        std::vector<std::pair<std::wstring, Reason>> list;
        for (const RiskModel::MissingFund& fund : page().Missing())
            list.emplace_back(fund.code.str(), fund.reason);
        return list;
    };
    EXPECT_EQ(missing(), (std::vector<std::pair<std::wstring, Reason>>{{L"F005", Reason::NoFigures},
                                                                       {L"F008", Reason::NotCovered}}));
    const std::wstring text = page().MissingText().str();
    EXPECT_NE(text.find(L"以下2只对比基金没有“最近1年(年化)”的数据"), std::wstring::npos);
    EXPECT_NE(text.find(L"(F005) 无数据"), std::wstring::npos);
    EXPECT_NE(text.find(L"F008 不在风险统计范围内"), std::wstring::npos);
    // At two years the bond fund, which has a one-year figure only, is too young.
    PickHorizon(1);
    EXPECT_EQ(missing(),
              (std::vector<std::pair<std::wstring, Reason>>{
                  {L"F004", Reason::TooYoung}, {L"F005", Reason::NoFigures}, {L"F008", Reason::NotCovered}}));
    EXPECT_NE(page().MissingText().str().find(L"运作不足2年"), std::wstring::npos);

    // The words are painted below the map, inside the page.
    RECT client{}, map{};
    GetClientRect(page().GetHandle(), &client);
    GetWindowRect(page().StarMap(), &map);
    const RECT& words = page().MissingRect();
    EXPECT_GE(words.top, map.bottom);
    EXPECT_LE(words.bottom, client.bottom);
    PlatformPaintAll();
    bool painted = false;
    for (int x = words.left; x < words.right && !painted; ++x)
        for (int y = words.top; y < words.bottom && !painted; ++y)
            painted = PlatformWindowPixel(page().GetHandle(), x, y) != kBackground;
    EXPECT_TRUE(painted);
    // Every fund with a star: nothing is listed, and the map takes its full height again.
    module.RemoveFunds({XStringW(L"F004"), XStringW(L"F005"), XStringW(L"F008")});
    EXPECT_TRUE(page().Missing().empty());
    EXPECT_TRUE(page().MissingText().empty());
    GetWindowRect(page().StarMap(), &map);
    EXPECT_EQ(map.bottom - map.top, client.bottom - 50);
}

TEST_F(RiskReturnPageTest, TheFitToggleFitsBothAxesToTheShownStarsAndGivesTheFixedOnesBack) {
    StartModule();
    module.AddFund(L"F001");
    module.AddFund(L"F004");
    Show();
    double upper = 0, lower = 0;
    ASSERT_TRUE(page().Delegate().GetStdDevRange(upper, lower));
    EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0.0, 50.0));
    ASSERT_TRUE(page().Delegate().GetReturnRange(upper, lower));
    EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(-50.0, 160.0));

    // A click on the box, as a person makes it.
    HWND box = page().FitBox().GetHandle();
    RECT r{};
    GetWindowRect(box, &r);
    PlatformClick(r.left + 6, (r.top + r.bottom) / 2);
    PlatformRunUntilIdle();
    ASSERT_TRUE(page().FitToData());
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    // Every shown star lies inside the fitted ranges, with room at both ends.
    double sdUpper = 0, sdLower = 0, retUpper = 0, retLower = 0;
    page().Delegate().GetStdDevRange(sdUpper, sdLower);
    page().Delegate().GetReturnRange(retUpper, retLower);
    double minSd = 1e9, maxSd = -1e9, minRet = 1e9, maxRet = -1e9;
    for (const Control::StarInfo& star : page().StarMap().GetStars()) {
        minSd = std::min(minSd, star.stdDev), maxSd = std::max(maxSd, star.stdDev);
        minRet = std::min(minRet, star.returnValue), maxRet = std::max(maxRet, star.returnValue);
    }
    EXPECT_LE(sdLower, minSd); // an average with no deviation sits on the zero line
    EXPECT_GT(sdUpper, maxSd);
    EXPECT_LT(retLower, minRet);
    EXPECT_GT(retUpper, maxRet);
    EXPECT_GE(sdLower, 0.0);
    // Tighter than the fixed axes, so the stars spread over the plot.
    EXPECT_LT(sdUpper - sdLower, 50.0);
    EXPECT_LT(retUpper - retLower, 210.0);
    // The map took the new ranges: the same star now sits elsewhere.
    const Control::StarInfo star = page().StarMap().GetStars()[0];
    POINT fitted{};
    ASSERT_TRUE(page().StarMap().ValueToPoint(star.stdDev, star.returnValue, fitted));
    PlatformClick(r.left + 6, (r.top + r.bottom) / 2);
    PlatformRunUntilIdle();
    EXPECT_FALSE(page().FitToData());
    POINT fixed{};
    ASSERT_TRUE(page().StarMap().ValueToPoint(star.stdDev, star.returnValue, fixed));
    EXPECT_TRUE(fixed.x != fitted.x || fixed.y != fitted.y);
    page().Delegate().GetStdDevRange(upper, lower);
    EXPECT_EQ(upper, 50.0);
}
