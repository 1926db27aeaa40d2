// The "ComboBox" class (drop-down list): item messages, the closed and open heights, picks by
// mouse and keyboard with their notifications, the wheel, scrolling, and what it draws.
#include "ControlTestSupport.h"

using namespace wintest;
using namespace controltest;

namespace {

class ComboBoxTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        parent = CreateTop(50, 50, 400, 400);
        combo = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                10, 10, 150, 200, parent, reinterpret_cast<HMENU>(102), nullptr, nullptr);
        ASSERT_NE(combo, nullptr);
    }

    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            SendMessageW(combo, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>((L"item " + std::to_wstring(i)).c_str()));
    }

    std::wstring Text() {
        wchar_t buffer[64] = {};
        GetWindowTextW(combo, buffer, 64);
        return buffer;
    }

    HWND OpenByClick() {
        POINT p = ScreenPoint(combo, 20, 5);
        PlatformClick(p.x, p.y);
        PlatformRunUntilIdle();
        auto lists = VisibleWindowsOfClass(L"ComboLBox");
        return lists.empty() ? nullptr : lists.front();
    }

    int ItemHeight() { return static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0)); }

    HWND parent = nullptr;
    HWND combo = nullptr;
};

TEST_F(ComboBoxTest, ItemMessages) {
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"b")), 0);
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"c")),
              1);
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"a")), 0);
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(L"x")), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);

    Log().Clear();
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 2, 0), 2);
    EXPECT_TRUE(CommandCodes(parent, combo).empty()); // no notification for a program's change
    EXPECT_EQ(Text(), L"c");
    EXPECT_EQ(GetWindowTextLengthW(combo), 1);
    wchar_t buffer[8] = {};
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 1, 0), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 1);
    EXPECT_STREQ(buffer, L"b");
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(buffer)), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"B")), 1);
    EXPECT_EQ(
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"bb")),
        CB_ERR);

    // Deleting before the selection moves it; deleting it leaves none.
    EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 1, 0), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Text(), L"");
    EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_RESETCONTENT, 0, 0), CB_OKAY);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(CommandCodes(parent, combo).empty());
}

TEST_F(ComboBoxTest, ClosedBoxIsOneLineHighAndTheGivenHeightIsTheOpenList) {
    RECT r;
    GetWindowRect(combo, &r);
    int closed = r.bottom - r.top;
    EXPECT_EQ(closed, ItemHeight() + 6);
    EXPECT_LT(closed, 40);
    MoveWindow(combo, 10, 10, 150, 100, TRUE);
    GetWindowRect(combo, &r);
    EXPECT_EQ(r.bottom - r.top, closed);

    Fill(30);
    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    RECT listRect;
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.top, r.bottom);
    EXPECT_EQ(listRect.left, r.left);
    EXPECT_LE(listRect.bottom - listRect.top, 100 - closed);
    EXPECT_GE(listRect.bottom - listRect.top, 100 - closed - ItemHeight());

    // A bigger font makes a taller box.
    HFONT big = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"WenQuanYi Micro Hei");
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)), big);
    GetWindowRect(combo, &r);
    EXPECT_GT(r.bottom - r.top, closed + 10);
    DestroyWindow(parent);
    DeleteObject(big);
}

TEST_F(ComboBoxTest, MousePickNotifiesAndChangesTheSelection) {
    Fill(5);
    Log().Clear();
    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    EXPECT_EQ(GetFocus(), combo);
    POINT item = ScreenPoint(list, 20, ItemHeight() * 3 + ItemHeight() / 2);
    PlatformMouseMove(item.x, item.y);
    PlatformRunUntilIdle();
    ASSERT_TRUE(PlatformSaveScreenPng(OutputPath("combobox-open.png")));
    PlatformClick(item.x, item.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(CommandCodes(parent, combo),
              (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    for (const LoggedMessage& m : Log().Find(WM_COMMAND, parent))
        EXPECT_EQ(LOWORD(m.wParam), 102);
    EXPECT_EQ(Text(), L"item 3");
}

TEST_F(ComboBoxTest, ClickOutsideAndEscapeChangeNothing) {
    Fill(5);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    ASSERT_NE(OpenByClick(), nullptr);
    Log().Clear();
    POINT outside = ScreenPoint(parent, 300, 300);
    PlatformClick(outside.x, outside.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    EXPECT_EQ(CommandCodes(parent, combo), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));

    ASSERT_NE(OpenByClick(), nullptr);
    Log().Clear();
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_DOWN);
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(CommandCodes(parent, combo), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    // A click on the box itself while open closes it as well.
    ASSERT_NE(OpenByClick(), nullptr);
    POINT box = ScreenPoint(combo, 20, 5);
    PlatformClick(box.x, box.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
}

TEST_F(ComboBoxTest, KeysMoveThroughTheOpenListAndEnterPicks) {
    MoveWindow(combo, 10, 10, 150, 120, TRUE);
    Fill(40);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    struct Step {
        UINT key;
        int expected;
    };
    // From item 0: End, Home, PageDown, Down, Up, PageUp.
    const Step steps[] = {{VK_END, 39},  {VK_HOME, 0}, {VK_NEXT, -1},
                          {VK_DOWN, -2}, {VK_UP, -1},  {VK_PRIOR, 0}};
    int pageDown = 0;
    for (const Step& step : steps) {
        PlatformKeyPress(step.key);
        PlatformKeyPress(VK_RETURN);
        PlatformRunUntilIdle();
        int selection = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
        if (step.expected == -1 && step.key == VK_NEXT)
            pageDown = selection;
        int expected = step.expected >= 0 ? step.expected : (step.expected == -1 ? pageDown : pageDown + 1);
        EXPECT_EQ(selection, expected) << "key " << step.key;
        EXPECT_GT(pageDown + (step.key == VK_NEXT ? 0 : 1), 0);
        ASSERT_NE(OpenByClick(), nullptr);
    }
    EXPECT_GT(pageDown, 1);
    PlatformKeyPress(VK_ESCAPE);
    PlatformRunUntilIdle();
}

TEST_F(ComboBoxTest, ClosedBoxKeysAndWheelChangeTheSelectionWithNotification) {
    Fill(5);
    SetFocus(combo);
    Log().Clear();
    PlatformKeyPress(VK_DOWN);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    PlatformKeyPress(VK_END);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 4);
    POINT p = ScreenPoint(combo, 20, 5);
    PlatformMouseWheel(p.x, p.y, 2); // away from the user: up the list
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(CommandCodes(parent, combo), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE}));
    // At the end nothing changes and nothing is sent.
    Log().Clear();
    PlatformKeyPress(VK_HOME);
    PlatformKeyPress(VK_UP);
    PlatformRunUntilIdle();
    EXPECT_EQ(CommandCodes(parent, combo), std::vector<WORD>{CBN_SELCHANGE});
    // Typing a letter moves to the next item starting with it.
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Zeta"));
    PlatformTypeText(L"z");
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 5);
}

TEST_F(ComboBoxTest, WheelAndScrollBarScrollTheOpenList) {
    MoveWindow(combo, 10, 10, 150, 120, TRUE);
    Fill(40);
    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    RECT client;
    GetClientRect(list, &client);
    // The scroll bar's thumb sits at the top of its track.
    EXPECT_TRUE(
        AnyPixel(list, RECT{client.right - 12, 1, client.right - 4, 6}, GetSysColor(COLOR_BTNFACE), 2));

    POINT inList = ScreenPoint(list, 20, ItemHeight() / 2);
    PlatformMouseWheel(inList.x, inList.y, -2); // toward the user: down by three rows a notch
    PlatformRunUntilIdle();
    PlatformClick(inList.x, inList.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 6);

    // A press in the track below the thumb pages down.
    list = OpenByClick();
    ASSERT_NE(list, nullptr);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    list = OpenByClick();
    POINT track = ScreenPoint(list, client.right - 8, client.bottom - 3);
    PlatformClick(track.x, track.y);
    PlatformRunUntilIdle();
    EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    PlatformClick(inList.x, inList.y);
    PlatformRunUntilIdle();
    int rows = (client.bottom - client.top) / ItemHeight();
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), rows);
}

TEST_F(ComboBoxTest, DrawsTheSelectionAndTheHighlightedItem) {
    Fill(3);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    PlatformRunUntilIdle();
    RECT client;
    GetClientRect(combo, &client);
    RECT textArea{4, 3, 60, client.bottom - 3};
    EXPECT_TRUE(AnyPixel(combo, textArea, GetSysColor(COLOR_WINDOWTEXT), 40));
    EXPECT_EQ(PlatformWindowPixel(combo, 100, client.bottom / 2), GetSysColor(COLOR_WINDOW));
    ASSERT_TRUE(PlatformSaveWindowPng(combo, OutputPath("combobox-closed.png")));
    // Focused and closed, the field is highlighted.
    SetFocus(combo);
    PlatformRunUntilIdle();
    EXPECT_EQ(PlatformWindowPixel(combo, 100, client.bottom / 2), GetSysColor(COLOR_HIGHLIGHT));

    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    int h = ItemHeight();
    EXPECT_EQ(PlatformWindowPixel(list, 100, h + h / 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PlatformWindowPixel(list, 100, h / 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(PlatformWindowPixel(combo, 100, client.bottom / 2), GetSysColor(COLOR_WINDOW));
}

TEST_F(ComboBoxTest, SystemColoursSetByTheProgramRepaintTheBoxAndItsParent) {
    Fill(3);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    PlatformRunUntilIdle();
    Log().Clear();
    const INT which[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, 999};
    const COLORREF dark[] = {RGB(11, 13, 18), RGB(230, 232, 236), RGB(1, 2, 3)};
    ASSERT_TRUE(SetSysColors(3, which, dark)); // the unknown index is skipped
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(11, 13, 18));
    // The shared brush follows, and the top-level window hears of the change.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, 4, 4};
    FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
    EXPECT_EQ(GetPixel(memory, 1, 1), RGB(11, 13, 18));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Log().Find(WM_SYSCOLORCHANGE, parent).size(), 1u);
    // Without being told anything else, the box is drawn in the new colours.
    PlatformRunUntilIdle();
    RECT client;
    GetClientRect(combo, &client);
    EXPECT_EQ(PlatformWindowPixel(combo, 100, client.bottom / 2), RGB(11, 13, 18));
    EXPECT_TRUE(AnyPixel(combo, RECT{4, 3, 60, client.bottom - 3}, RGB(230, 232, 236), 40));
    // A new screen starts from the default colours again.
    PlatformStartHeadless(800, 600);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_FALSE(SetSysColors(1, nullptr, dark));
}

TEST_F(ComboBoxTest, DestroyingTheBoxTakesItsOpenListAlong) {
    Fill(3);
    HWND list = OpenByClick();
    ASSERT_NE(list, nullptr);
    DestroyWindow(combo);
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
