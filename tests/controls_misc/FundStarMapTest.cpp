// The star map: stars at their pixels with the image of their kind, re-reading on SetDelegate,
// tick labels and the hover tip through the delegate, selection, bad delegate answers, and a
// picture of a realistic chart.
#include "MiscTestSupport.h"

#include <sdk/ControlStarMap.h>

#include <platform/gdiplus.h>

#include <cmath>
#include <memory>

using Common::XStringW;
using Control::FundStarMap;
using Control::StarInfo;
using namespace misctest;

namespace {

struct FakeStar {
    std::wstring label, name, subtitle;
    double stdDev, ret;
    int kind;
};

class FakeDelegate : public Control::FundStarMapDelegate {
public:
    std::vector<FakeStar> stars;
    std::vector<FakeStar> averages;
    double stdUpper = 50.0, stdLower = 0.0, retUpper = 160.0, retLower = -50.0;
    int countOverride = -2; // -2: the real count
    std::vector<double> formatted, formatted2;
    std::vector<int> clicked;

    bool GetStdDevRange(double& upper, double& lower) override {
        upper = stdUpper, lower = stdLower;
        return true;
    }
    bool GetReturnRange(double& upper, double& lower) override {
        upper = retUpper, lower = retLower;
        return true;
    }
    int GetStarCount() override {
        return countOverride != -2 ? countOverride : static_cast<int>(stars.size());
    }
    bool GetStar(int index, StarInfo& info) override {
        if (index < 0 || index >= static_cast<int>(stars.size()))
            return false;
        Fill(stars[static_cast<std::size_t>(index)], info);
        return true;
    }
    int GetAverageCount() override { return static_cast<int>(averages.size()); }
    bool GetAverageStar(int index, StarInfo& info) override {
        if (index < 0 || index >= static_cast<int>(averages.size()))
            return false;
        Fill(averages[static_cast<std::size_t>(index)], info);
        return true;
    }
    XStringW FormatPercent(double value) override {
        formatted.push_back(value);
        return XStringW().Format(L"%.2f%%", value);
    }
    XStringW FormatPercent2(double value) override {
        formatted2.push_back(value);
        return FormatPercent(value);
    }
    XStringW GetReturnCaption() override { return L"最近一年收益率"; }
    XStringW GetStdDevCaption() override { return L"一年标准差"; }
    void OnStarClicked(int index, int, int) override { clicked.push_back(index); }

private:
    static void Fill(const FakeStar& s, StarInfo& info) {
        info.starLabel = s.label;
        info.name = s.name;
        info.subtitle = s.subtitle;
        info.stdDev = s.stdDev;
        info.returnValue = s.ret;
        info.kind = s.kind;
    }
};

constexpr COLORREF kBackground = RGB(11, 13, 18);

// A square marker image of one colour.
std::unique_ptr<Gdiplus::Bitmap> Marker(int side, COLORREF colour) {
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            bitmap->SetPixel(x, y, Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    return bitmap;
}

// A round marker with a dark rim, like the module's star images.
std::unique_ptr<Gdiplus::Bitmap> Round(int side, COLORREF colour) {
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(side, side);
    double c = (side - 1) / 2.0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            double d = std::hypot(x - c, y - c);
            if (d <= c - 1.0)
                bitmap->SetPixel(x, y,
                                 Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
            else if (d <= c + 0.3)
                bitmap->SetPixel(x, y, Gdiplus::Color(255, 20, 20, 20));
        }
    return bitmap;
}

class FundStarMapTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        host = CreateHost(0, 0, 600, 400);
        ASSERT_TRUE(map.Create(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 600, 400, 0, host));
        map.SetDGColor(
            Gdiplus::Color(255, GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground)));
        map.SetDrawCross(true);
        auto red = Marker(6, RGB(255, 0, 0));
        auto blue = Marker(6, RGB(0, 0, 255));
        map.AddCustomStar(red.get()); // the map keeps its own copies
        map.AddCustomStar(blue.get());
        map.AddCustomStar(nullptr);
    }

    COLORREF Pixel(int x, int y) { return PlatformWindowPixel(map, x, y); }

    HWND host = nullptr;
    FundStarMap map;
    FakeDelegate fake;
};

} // namespace

TEST_F(FundStarMapTest, StarsSitAtTheirValuesWithTheImageOfTheirKind) {
    // Plot area of a 600 x 400 map: x from 72 to 575 for 0 % to 50 %, y from 355 (-50 %) up to 36
    // (160 %).
    fake.stars = {{L"[A]", L"Alpha", L"股票型", 10.0, 55.0, 1},
                  {L"[B]", L"Beta", L"债券型", 40.0, -8.0, 2},
                  {L"[C]", L"Gamma", L"QDII", 30.0, 120.0, 3}, // an empty image: drawn as a dot
                  {L"[D]", L"Delta", L"其他", 20.0, 0.0, 9}};  // no image at all: a dot too
    map.SetDelegate(&fake);
    PlatformRunUntilIdle();

    POINT a;
    ASSERT_TRUE(map.ValueToPoint(10.0, 55.0, a));
    EXPECT_EQ(a.x, 173); // 72 + 503 * 0.2
    EXPECT_EQ(a.y, 195); // 355 - 319 * 0.5, rounded
    EXPECT_EQ(Pixel(a.x, a.y), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(a.x - 2, a.y + 2), RGB(255, 0, 0));
    EXPECT_NE(Pixel(a.x - 6, a.y), RGB(255, 0, 0));
    EXPECT_NE(Pixel(a.x, a.y + 6), RGB(255, 0, 0));

    POINT b;
    ASSERT_TRUE(map.ValueToPoint(40.0, -8.0, b));
    EXPECT_EQ(b.x, 72 + 402);
    EXPECT_EQ(b.y, 355 - 64);
    EXPECT_EQ(Pixel(b.x, b.y), RGB(0, 0, 255));

    for (const auto& [s, r] : {std::pair{30.0, 120.0}, std::pair{20.0, 0.0}}) {
        POINT p;
        ASSERT_TRUE(map.ValueToPoint(s, r, p));
        COLORREF dot = Pixel(p.x, p.y);
        EXPECT_NE(dot, kBackground);
        EXPECT_NE(dot, RGB(255, 0, 0));
        EXPECT_NE(dot, RGB(0, 0, 255));
    }
}

TEST_F(FundStarMapTest, SetDelegateReadsEveryStarAnewAndAveragesFollowTheStars) {
    fake.stars = {{L"[A]", L"Alpha", L"", 10.0, 55.0, 1}};
    fake.averages = {{L"", L"股票型", L"平均值", 20.0, 30.0, 2}};
    map.SetDelegate(&fake);
    ASSERT_EQ(map.GetStars().size(), 2u);
    EXPECT_EQ(map.GetStars()[1].name, XStringW(L"股票型"));
    EXPECT_NE(map.GetStars()[1].reserved2, 0);
    PlatformRunUntilIdle();
    POINT old;
    map.ValueToPoint(10.0, 55.0, old);
    EXPECT_EQ(Pixel(old.x, old.y), RGB(255, 0, 0));

    // The delegate's data change is only seen when it is handed over again.
    fake.stars = {{L"[B]", L"Beta", L"", 30.0, 100.0, 1}};
    fake.averages.clear();
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetStars().size(), 2u);
    map.SetDelegate(&fake);
    PlatformRunUntilIdle();
    ASSERT_EQ(map.GetStars().size(), 1u);
    EXPECT_EQ(map.GetStars()[0].name, XStringW(L"Beta"));
    EXPECT_NE(Pixel(old.x, old.y), RGB(255, 0, 0));
    POINT moved;
    map.ValueToPoint(30.0, 100.0, moved);
    EXPECT_EQ(Pixel(moved.x, moved.y), RGB(255, 0, 0));

    // Null empties the chart.
    map.SetDelegate(nullptr);
    PlatformRunUntilIdle();
    EXPECT_TRUE(map.GetStars().empty());
    EXPECT_NE(Pixel(moved.x, moved.y), RGB(255, 0, 0));
}

TEST_F(FundStarMapTest, TickLabelsAndTheHoverTipAreWrittenByTheDelegate) {
    fake.stars = {{L"[000001]", L"华夏成长", L"混合型", 12.5, 40.25, 1}};
    map.SetDelegate(&fake);
    PlatformRunUntilIdle();
    // Tick labels: round values of both ranges, zero included.
    for (double t : {0.0, 10.0, 50.0, -50.0, 150.0})
        EXPECT_NE(std::find(fake.formatted.begin(), fake.formatted.end(), t), fake.formatted.end()) << t;
    EXPECT_TRUE(fake.formatted2.empty());
    EXPECT_EQ(map.GetHotStar(), -1);

    POINT p;
    map.ValueToPoint(12.5, 40.25, p);
    RECT tipArea{p.x + 14, p.y + 14, p.x + 60, p.y + 40};
    COLORREF before = Pixel(tipArea.left + 20, tipArea.top + 10);
    POINT screen = ToScreen(map, p.x + 3, p.y - 2);
    PlatformMouseMove(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetHotStar(), 0);
    EXPECT_NE(std::find(fake.formatted2.begin(), fake.formatted2.end(), 40.25), fake.formatted2.end());
    EXPECT_NE(std::find(fake.formatted2.begin(), fake.formatted2.end(), 12.5), fake.formatted2.end());
    EXPECT_NE(Pixel(tipArea.left + 20, tipArea.top + 10), before);
    PlatformSaveWindowPng(map, OutputPath("starmap_tip.png"));

    // Away from every star the tip goes; leaving the window does the same.
    screen = ToScreen(map, p.x + 60, p.y + 60);
    PlatformMouseMove(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetHotStar(), -1);
    EXPECT_EQ(Pixel(tipArea.left + 20, tipArea.top + 10), before);
    screen = ToScreen(map, p.x, p.y);
    PlatformMouseMove(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetHotStar(), 0);
    // The host shows below the map: moving there leaves the map.
    map.MoveWindow(0, 0, 600, 380, TRUE);
    PlatformRunUntilIdle();
    map.ValueToPoint(12.5, 40.25, p);
    screen = ToScreen(map, p.x, p.y);
    PlatformMouseMove(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetHotStar(), 0);
    PlatformMouseMove(300, 390);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetHotStar(), -1);
}

TEST_F(FundStarMapTest, OnlyASelectableMapSelectsAndTellsTheDelegate) {
    fake.stars = {{L"[A]", L"Alpha", L"", 10.0, 55.0, 1}, {L"[B]", L"Beta", L"", 40.0, -8.0, 2}};
    map.SetDelegate(&fake);
    PlatformRunUntilIdle();
    POINT b;
    map.ValueToPoint(40.0, -8.0, b);
    POINT screen = ToScreen(map, b.x, b.y);
    PlatformClick(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_TRUE(fake.clicked.empty());
    EXPECT_EQ(map.GetSelectedStar(), -1);

    map.SetSelectable(true);
    PlatformAdvanceClock(1000); // not a double click
    PlatformClick(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(fake.clicked, std::vector<int>{1});
    EXPECT_EQ(map.GetSelectedStar(), 1);
    // A click on empty space clears the selection without telling anyone.
    PlatformAdvanceClock(1000);
    screen = ToScreen(map, 300, 100);
    PlatformClick(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(map.GetSelectedStar(), -1);
    EXPECT_EQ(fake.clicked.size(), 1u);
}

TEST_F(FundStarMapTest, ASearchableMapRingsTheStarsWhoseLabelOrNameHoldsTheTypedText) {
    fake.stars = {{L"[110011]", L"易方达中小盘", L"", 10.0, 55.0, 1},
                  {L"[000051]", L"华夏沪深300", L"", 40.0, -8.0, 2}};
    map.SetDelegate(&fake);
    auto ringed = [this](double s, double r) {
        POINT p;
        map.ValueToPoint(s, r, p);
        for (int y = p.y - 11; y <= p.y - 6; ++y)
            if (Pixel(p.x, y) == RGB(240, 200, 80))
                return true;
        return false;
    };
    POINT empty = ToScreen(map, 300, 100);
    PlatformClick(empty.x, empty.y);
    PlatformTypeText(L"华夏");
    PlatformRunUntilIdle();
    EXPECT_FALSE(ringed(10.0, 55.0)); // not searchable yet: typing does nothing
    EXPECT_FALSE(ringed(40.0, -8.0));

    map.SetSeachable(true);
    PlatformAdvanceClock(1000);
    PlatformClick(empty.x, empty.y); // takes the keyboard
    PlatformTypeText(L"华夏");
    PlatformRunUntilIdle();
    EXPECT_FALSE(ringed(10.0, 55.0));
    EXPECT_TRUE(ringed(40.0, -8.0));
    PlatformKeyPress(VK_ESCAPE);
    PlatformTypeText(L"1100");
    PlatformRunUntilIdle();
    EXPECT_TRUE(ringed(10.0, 55.0));
    EXPECT_FALSE(ringed(40.0, -8.0));
}

TEST_F(FundStarMapTest, BadDelegateAnswersGiveAUsableChart) {
    // A negative count reads nothing; failed and non-finite stars are left out of the drawing.
    fake.countOverride = -5;
    map.SetDelegate(&fake);
    EXPECT_TRUE(map.GetStars().empty());

    fake.countOverride = 3; // one more than the delegate can answer
    fake.stars = {{L"[N]", L"NaN", L"", std::nan(""), 10.0, 1}, {L"[A]", L"Alpha", L"", 10.0, 20.0, 1}};
    fake.stdUpper = fake.stdLower = 7.0; // an empty range
    map.SetDelegate(&fake);
    ASSERT_EQ(map.GetStars().size(), 2u);
    PlatformRunUntilIdle();
    POINT p;
    EXPECT_FALSE(map.ValueToPoint(std::nan(""), 10.0, p));
    ASSERT_TRUE(map.ValueToPoint(10.0, 20.0, p));
    EXPECT_GT(p.x, 72);
    EXPECT_LT(p.x, 576);
    EXPECT_EQ(Pixel(p.x, p.y), RGB(255, 0, 0));

    // A fund far beyond the asked return range still shows, inside the plot.
    fake.countOverride = -2;
    fake.stdUpper = 50.0, fake.stdLower = 0.0;
    fake.stars = {{L"[H]", L"High", L"", 20.0, 400.0, 2}};
    map.SetDelegate(&fake);
    PlatformRunUntilIdle();
    ASSERT_TRUE(map.ValueToPoint(20.0, 400.0, p));
    EXPECT_GE(p.y, 36);
    EXPECT_EQ(Pixel(p.x, p.y), RGB(0, 0, 255));
}

TEST_F(FundStarMapTest, PictureOfARiskReturnChart) {
    map.MoveWindow(0, 0, 600, 400, TRUE);
    FundStarMap chart;
    HWND big = CreateHost(0, 0, 900, 560);
    ASSERT_TRUE(chart.Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 900, 560, 0, big));
    chart.SetDGColor(
        Gdiplus::Color(255, GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground)));
    chart.SetDrawCross(true);
    const COLORREF colours[] = {RGB(236, 72, 72),   RGB(72, 160, 236), RGB(236, 200, 72), RGB(96, 208, 120),
                                RGB(200, 112, 236), RGB(240, 132, 48), RGB(170, 178, 190)};
    for (COLORREF c : colours) {
        auto image = Round(11, c);
        chart.AddCustomStar(image.get());
    }
    for (int i = 0; i < 7; ++i) {
        auto image = Round(13, RGB(232, 184, 56));
        chart.AddCustomStar(image.get());
    }
    auto index = Round(13, RGB(250, 120, 30));
    chart.AddCustomStar(index.get());

    fake.stars = {
        {L"[000001]", L"华夏成长混合", L"混合型", 22.4, 38.6, 5},
        {L"[110011]", L"易方达中小盘", L"股票型", 27.9, 61.2, 6},
        {L"[161005]", L"富国天惠成长", L"混合型", 24.1, 45.3, 5},
        {L"[000051]", L"华夏沪深300", L"指数型", 26.5, 28.7, 4},
        {L"[217022]", L"招商产业债", L"债券型", 3.2, 6.4, 3},
        {L"[000216]", L"华安黄金ETF", L"QDII", 15.8, 12.3, 1},
        {L"[519069]", L"汇添富价值", L"股票型", 25.3, 52.8, 6},
        {L"[163406]", L"兴全合润分级", L"混合型", 23.0, 49.1, 5},
        {L"[202202]", L"南方保本", L"保本型", 4.1, 3.9, 2},
        {L"[040046]", L"华安纳指100", L"QDII", 21.7, -12.5, 1},
    };
    const wchar_t* types[] = {L"QDII", L"保本型", L"债券型", L"指数型", L"混合型", L"股票型", L"货币型"};
    const double figures[][2] = {{17.2, 4.1},  {3.9, 4.4},   {3.6, 5.2}, {25.8, 24.9},
                                 {21.4, 30.2}, {24.6, 35.7}, {0.4, 2.6}};
    for (int j = 0; j < 7; ++j)
        fake.stars.push_back({L"", types[j], L"平均值", figures[j][0], figures[j][1], 8 + j});
    fake.stars.push_back({L"", L"上证指数", L"年化", 22.9, 18.4, 15});
    chart.SetDelegate(&fake);
    PlatformRunUntilIdle();
    POINT p;
    chart.ValueToPoint(27.9, 61.2, p);
    POINT screen = ToScreen(chart, p.x, p.y);
    PlatformMouseMove(screen.x, screen.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(chart.GetHotStar(), 1);
    EXPECT_TRUE(PlatformSaveWindowPng(chart, OutputPath("starmap.png")));
}

namespace {

double Luminance(COLORREF c) {
    auto linear = [](int v) {
        double x = v / 255.0;
        return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    double x = Luminance(a), y = Luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

} // namespace

TEST_F(FundStarMapTest, LabelsReadOnLightAndDarkBackgrounds) {
    // The module gives the map the page background: white-ish in the light theme, near black in
    // the dark one. The averages' gold must not fade into white.
    fake.stars = {{L"[000001]", L"华夏成长", L"混合型", 20.0, 40.0, 1},
                  {L"", L"股票型", L"平均值", 30.0, 20.0, 2}};
    for (COLORREF back : {RGB(255, 255, 255), RGB(244, 245, 247), kBackground, RGB(128, 128, 128)}) {
        map.SetDGColor(Gdiplus::Color(255, GetRValue(back), GetGValue(back), GetBValue(back)));
        map.SetDelegate(&fake);
        PlatformRunUntilIdle();
        ASSERT_EQ(map.GetLabels().size(), 2u);
        // The strongest pixel of the text: small glyphs are smoothed, so it may fall a little short
        // of the colour's own 4.5:1 (checked exactly in StarMapPalette), never far.
        for (const Control::StarLabel& label : map.GetLabels()) {
            double best = 1.0;
            for (int y = label.box.top; y < label.box.bottom; ++y)
                for (int x = label.box.left; x < label.box.right; ++x)
                    best = std::max(best, Contrast(Pixel(x, y), back));
            EXPECT_GE(best, 3.8) << "star " << label.star << " on " << std::hex << back;
        }
    }
}

TEST_F(FundStarMapTest, AHundredFundsKeepTheReferenceLabelsAndEveryLabelBesideItsStar) {
    const wchar_t* types[] = {L"QDII", L"保本型", L"债券型", L"指数型", L"混合型", L"股票型", L"其他"};
    const double centres[][2] = {{17.2, 4.1},  {3.9, 4.4},   {3.6, 5.2},  {25.8, 24.9},
                                 {21.4, 30.2}, {24.6, 35.7}, {12.0, 10.0}};
    std::srand(11);
    auto jitter = [](double spread) { return (std::rand() / static_cast<double>(RAND_MAX) - 0.5) * spread; };
    fake.stars.clear();
    for (int i = 0; i < 100; ++i) {
        const int t = i % 7;
        std::wstring code = L"[" + std::to_wstring(100000 + i) + L"]";
        fake.stars.push_back(
            {code, L"基金", types[t], centres[t][0] + jitter(8.0), centres[t][1] + jitter(16.0), 1});
    }
    for (int t = 0; t < 7; ++t)
        fake.stars.push_back({L"", types[t], L"平均值", centres[t][0], centres[t][1], 2});
    fake.stars.push_back({L"", L"上证指数", L"年化", 22.9, 18.4, 2});

    for (SIZE size : {SIZE{1180, 640}, SIZE{600, 400}, SIZE{420, 280}}) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        map.MoveWindow(0, 0, size.cx, size.cy, TRUE);
        map.SetDelegate(&fake);
        PlatformRunUntilIdle();
        int references = 0;
        for (const Control::StarLabel& label : map.GetLabels()) {
            const StarInfo& star = map.GetStars()[static_cast<std::size_t>(label.star)];
            POINT own;
            ASSERT_TRUE(map.ValueToPoint(star.stdDev, star.returnValue, own));
            references += star.starLabel.empty();
            if (label.leader) {
                // A label away from its star is joined to it by a line from its marker's edge.
                EXPECT_LE(std::hypot(label.leaderFrom.x - own.x, label.leaderFrom.y - own.y), 10.0);
                continue;
            }
            // Beside its star, and clearly nearer to it than to any other star.
            auto distance = [&](POINT p) {
                double dx = std::max(
                    {0L, static_cast<long>(label.box.left - p.x), static_cast<long>(p.x - label.box.right)});
                double dy = std::max(
                    {0L, static_cast<long>(label.box.top - p.y), static_cast<long>(p.y - label.box.bottom)});
                return std::hypot(dx, dy);
            };
            const double mine = distance(own);
            EXPECT_LE(mine, 12.0) << "label of star " << label.star;
            for (std::size_t j = 0; j < map.GetStars().size(); ++j) {
                POINT other;
                if (static_cast<int>(j) == label.star ||
                    !map.ValueToPoint(map.GetStars()[j].stdDev, map.GetStars()[j].returnValue, other))
                    continue;
                EXPECT_GT(distance(other), mine) << "label of star " << label.star << " beside star " << j;
            }
        }
        if (size.cx == 1180)
            EXPECT_EQ(references, 8);
    }
}
