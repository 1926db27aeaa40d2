// The main frame driven as a person would: toolbar buttons fire their events, tabs show their
// pages, and the picture looks like a frame.
#include "MainFrame.h"

#include <platform/driver.h>
#include <sdk/Kernel.h>

#include <gtest/gtest.h>

namespace {

// A page that paints itself in one colour, so that the screen tells which page shows.
struct ColourPage : HostKernel::RefCounted<ITabPage> {
    std::wstring title;
    COLORREF colour;
    HWND window = nullptr;
    int activations = 0;
    ColourPage(std::wstring t, COLORREF c) : title(std::move(t)), colour(c) {}

    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_ERASEBKGND) {
            auto* self = reinterpret_cast<ColourPage*>(GetWindowLongPtrW(w, GWLP_USERDATA));
            RECT r;
            GetClientRect(w, &r);
            HBRUSH b = CreateSolidBrush(self->colour);
            FillRect(reinterpret_cast<HDC>(wp), &r, b);
            DeleteObject(b);
            return 1;
        }
        return DefWindowProcW(w, m, wp, lp);
    }
    HWND Create(HWND parent, ITabCtrl*) override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ColourPage::Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ColourPage";
        RegisterClassExW(&wc); // the second registration fails harmlessly
        window = CreateWindowExW(0, L"ColourPage", L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr, wc.hInstance,
                                 nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return window;
    }
    bool IsCreated() override { return window != nullptr; }
    bool GetTabCtrl(ITabCtrl**) override { return false; }
    void Show() override { ShowWindow(window, SW_SHOW); }
    void Hide() override { ShowWindow(window, SW_HIDE); }
    void Invalidate() override { InvalidateRect(window, nullptr, TRUE); }
    void Move(int x, int y, int w, int h) override { MoveWindow(window, x, y, w, h, TRUE); }
    void GetTitle(XStringW& t) override { t = title.c_str(); }
    void OnFilterChanged(Data::IDataFilter*, Data::IDataFilter*, Data::IDataFilter*,
                         Data::IDataFilter*) override {}
    void OnActivated() override { ++activations; }
};

POINT centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST(MainFrame, ButtonsFireTheirEventsAndTabsShowTheirPages) {
    PlatformStartHeadless(1024, 700);
    auto frame = HostKernel::MakeRef<MainFrame>();
    int filterPressed = 0;
    frame->AddHostButton(nullptr, "button_fund_filter", L"基金筛选", [&] { ++filterPressed; });
    ASSERT_TRUE(frame->Create(1024, 700, L"基金分析"));

    XComPtr<Kernel::IEvent> compare;
    compare.Attach(createEvent("cmd_test_compare"));
    int fired = 0;
    compare->Subscribe([](void*, void* c) { ++*static_cast<int*>(c); }, &fired);
    ButtonDesc desc;
    desc.caption = L"对比分析";
    desc.event = compare;
    EXPECT_TRUE(frame->AddButton("button_fund_filter", "button_compare", desc));
    EXPECT_FALSE(frame->AddButton("button_fund_filter", "button_compare", desc)); // one id, one button
    EXPECT_GT(frame->ButtonRect("button_compare").left, frame->ButtonRect("button_fund_filter").right - 1);

    auto first = HostKernel::MakeRef<ColourPage>(L"基金筛选", RGB(200, 0, 0));
    auto second = HostKernel::MakeRef<ColourPage>(L"对比分析", RGB(0, 0, 200));
    XComPtr<ITabCtrl> tab;
    ASSERT_TRUE(frame->GetTabCtrl(tab.Receive(), "kap_tab_fundfilter"));
    XComPtr<ITabCtrl> none;
    EXPECT_FALSE(frame->GetTabCtrl(none.Receive(), "kap_tab_other"));
    tab->AddPage(first);
    tab->AddPage(second);
    PlatformRunUntilIdle();

    RECT area = frame->PageArea();
    POINT inPage{area.left + 40, area.top + 40};
    EXPECT_EQ(PlatformScreenPixel(inPage.x, inPage.y), RGB(200, 0, 0)); // the first page shows at once

    POINT p = centre(frame->ButtonRect("button_compare"));
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(fired, 1);
    p = centre(frame->ButtonRect("button_fund_filter"));
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(filterPressed, 1);

    p = centre(frame->TabRect(1));
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformScreenPixel(inPage.x, inPage.y), RGB(0, 0, 200));
    EXPECT_EQ(second->activations, 1);
    EXPECT_FALSE(IsWindowVisible(first->window));

    frame->ActivatePage(first);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformScreenPixel(inPage.x, inPage.y), RGB(200, 0, 0));
    frame->SetStatus(L"就绪：2000 只基金");
    PlatformRunUntilIdle();
    PlatformSaveScreenPng("mainframe.png");

    compare->Unsubscribe([](void*, void* c) { ++*static_cast<int*>(c); }, &fired);
    frame->Destroy();
}

// A page put in another's place (the host's fund list made anew on another database) keeps the
// tab's place and shows at once when the old one was showing; a page that is not in the tab is
// not replaced.
TEST(MainFrame, AReplacedPageTakesTheOldOnesPlaceAndShowsWhenItWasShown) {
    PlatformStartHeadless(1024, 700);
    auto frame = HostKernel::MakeRef<MainFrame>();
    ASSERT_TRUE(frame->Create(1024, 700, L"基金分析"));
    auto first = HostKernel::MakeRef<ColourPage>(L"基金筛选", RGB(200, 0, 0));
    auto second = HostKernel::MakeRef<ColourPage>(L"对比分析", RGB(0, 0, 200));
    auto fresh = HostKernel::MakeRef<ColourPage>(L"基金筛选", RGB(0, 160, 0));
    auto stranger = HostKernel::MakeRef<ColourPage>(L"别的", RGB(9, 9, 9));
    TabCtrl* tab = frame->FundFilterTab();
    tab->AddPage(first);
    tab->AddPage(second);
    PlatformRunUntilIdle();
    RECT area = frame->PageArea();
    POINT inPage{area.left + 40, area.top + 40};

    EXPECT_FALSE(tab->ReplacePage(stranger, fresh));
    EXPECT_FALSE(tab->ReplacePage(first, second)) << "a page already in the tab";
    ASSERT_TRUE(tab->ReplacePage(first, fresh));
    PlatformRunUntilIdle();
    EXPECT_EQ(tab->IndexOf(fresh), 0);
    EXPECT_EQ(tab->IndexOf(first), -1);
    EXPECT_EQ(tab->Current(), 0);
    EXPECT_EQ(fresh->activations, 1);
    EXPECT_EQ(PlatformScreenPixel(inPage.x, inPage.y), RGB(0, 160, 0));

    // Replacing a page that is not shown leaves the shown one alone.
    tab->Activate(1);
    auto later = HostKernel::MakeRef<ColourPage>(L"基金筛选", RGB(160, 160, 0));
    ASSERT_TRUE(tab->ReplacePage(fresh, later));
    PlatformRunUntilIdle();
    EXPECT_EQ(tab->Current(), 1);
    EXPECT_EQ(later->activations, 0);
    EXPECT_EQ(PlatformScreenPixel(inPage.x, inPage.y), RGB(0, 0, 200));
    frame->Destroy();
}

// The source note at the right end of the status bar (where the data come from) stays whole, and a long
// status gives way to it instead of running underneath.
TEST(MainFrame, TheSourceNoteKeepsTheRightEndOfTheStatusBar) {
    PlatformStartHeadless(640, 400);
    XComPtr<MainFrame> frame = HostKernel::MakeRef<MainFrame>();
    ASSERT_TRUE(frame->Create(640, 400, L"测试"));
    frame->SetStatus(std::wstring(80, L'添'));
    frame->SetSourceNote(L"示例数据");
    PlatformRunUntilIdle();

    // Which columns of the bar's middle rows hold text.
    RECT client{};
    GetClientRect(frame->Window(), &client);
    const COLORREF background = PlatformScreenPixel(1, client.bottom - 3);
    std::vector<bool> inked(static_cast<size_t>(client.right), false);
    for (int x = 0; x < client.right; ++x)
        for (int y = client.bottom - 17; y < client.bottom - 4; ++y)
            if (PlatformScreenPixel(x, y) != background)
                inked[static_cast<size_t>(x)] = true;
    int rightmost = client.right - 1;
    while (rightmost > 0 && !inked[static_cast<size_t>(rightmost)])
        --rightmost;
    EXPECT_GT(rightmost, client.right - 20) << "the note ends at the bar's right end";
    EXPECT_TRUE(inked[20]) << "the status starts at the left";
    // Between the two: a clear gap, the status cut short before the note.
    int longestGap = 0;
    for (int x = 20, gap = 0; x < rightmost; ++x) {
        gap = inked[static_cast<size_t>(x)] ? 0 : gap + 1;
        longestGap = std::max(longestGap, gap);
    }
    EXPECT_GE(longestGap, 16);
    frame->Destroy();
}

} // namespace
