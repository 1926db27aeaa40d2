// The frame's status notes from controls and modules (with an action link that a click sends to
// its window), the smallest size it accepts, and the size it remembers.
#include "MainFrame.h"

#include <platform/driver.h>

#include <gtest/gtest.h>

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK TargetProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COMMAND)
        g_commands.push_back(wp);
    return DefWindowProcW(w, m, wp, lp);
}

struct FrameNotes : ::testing::Test {
    XComPtr<MainFrame> frame = HostKernel::MakeRef<MainFrame>();
    void SetUp() override {
        PlatformStartHeadless(1024, 700);
        g_commands.clear();
    }
    void TearDown() override { frame->Destroy(); }
};

TEST_F(FrameNotes, ANoteShowsItsTextAndItsActionGoesToItsWindowOnce) {
    ASSERT_TRUE(frame->Create(1000, 640, L"测试"));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TargetProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NoteTarget";
    RegisterClassExW(&wc);
    HWND target = CreateWindowExW(0, L"NoteTarget", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame->Window(),
                                  nullptr, wc.hInstance, nullptr);
    Control::StatusNote note;
    note.text = L"已清除3只对比基金。";
    note.action = L"撤销 (Ctrl+Z)";
    note.target = target;
    note.command = 0xE150;
    // A control deep in the frame reaches it through its top-level window.
    EXPECT_TRUE(Control::ShowStatusNote(target, note));
    PlatformPaintAll();
    EXPECT_EQ(frame->Status(), L"已清除3只对比基金。");
    RECT link = frame->StatusActionRect();
    ASSERT_GT(link.right, link.left);
    POINT p{(link.left + link.right) / 2, (link.top + link.bottom) / 2};
    ClientToScreen(frame->Window(), &p);
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(LOWORD(g_commands[0]), 0xE150);
    // The note has done its work: a second click finds no link.
    EXPECT_TRUE(frame->StatusAction().empty());
    PlatformClick(p.x, p.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(g_commands.size(), 1u);
    // A plain status drops a note's action; a window without a status bar refuses notes.
    EXPECT_TRUE(Control::ShowStatusNote(target, note));
    frame->SetStatus(L"就绪");
    EXPECT_TRUE(frame->StatusAction().empty());
    EXPECT_FALSE(Control::ShowStatusNote(nullptr, note));
}

TEST_F(FrameNotes, TheFrameKeepsASensibleSmallestSizeAndRemembersItsRectangle) {
    ASSERT_TRUE(frame->Create(1000, 640, L"测试"));
    // What the display asks before it lets the user drag the frame smaller.
    MINMAXINFO info{};
    SendMessageW(frame->Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, MainFrame::kMinWidth);
    EXPECT_EQ(info.ptMinTrackSize.y, MainFrame::kMinHeight);
    EXPECT_GE(MainFrame::kMinWidth, 640); // the workspace's strip ends at 634
    MoveWindow(frame->Window(), 20, 30, 900, 600, TRUE);
    PlatformRunUntilIdle();
    RECT last = frame->LastWindowRect();
    EXPECT_EQ(last.left, 20);
    EXPECT_EQ(last.top, 30);
    EXPECT_EQ(last.right - last.left, 900);
    // Gone with its window, the rectangle is still known for the next run.
    frame->Destroy();
    EXPECT_EQ(frame->LastWindowRect().bottom - frame->LastWindowRect().top, 600);
}

} // namespace
