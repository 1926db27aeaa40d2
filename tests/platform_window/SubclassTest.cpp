// Window procedures: subclassing through the pointer-sized window longs,
// CallWindowProcW chains, user data, extra bytes, styles and window text.
#include "WindowTestSupport.h"

using namespace wintest;

namespace {

std::vector<std::string> calls;
WNDPROC previousProc = nullptr;
WNDPROC secondPrevious = nullptr;

LRESULT CALLBACK FirstSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) {
        calls.push_back("first");
        return 100 + CallWindowProcW(previousProc, window, message, wParam, lParam);
    }
    return CallWindowProcW(previousProc, window, message, wParam, lParam);
}

LRESULT CALLBACK SecondSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1)
        calls.push_back("second");
    return CallWindowProcW(secondPrevious, window, message, wParam, lParam);
}

class SubclassTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        calls.clear();
    }
};

TEST_F(SubclassTest, ProceduresGoThroughThePointerSizedFormsOnly) {
    HWND top = CreateTop(0, 0, 100, 100);
    Log().SetHandler(top, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 1) {
            calls.push_back("original");
            return 5;
        }
        return std::nullopt;
    });
    // The 32-bit forms refuse the procedure index, as 64-bit Windows does, and leave the
    // window's procedure alone.
    SetLastError(0);
    EXPECT_EQ(GetWindowLongW(top, GWLP_WNDPROC), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    SetLastError(0);
    EXPECT_EQ(
        SetWindowLongW(top, GWLP_WNDPROC, static_cast<LONG>(reinterpret_cast<LONG_PTR>(&FirstSubclass))), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(top, GWLP_WNDPROC)), &LoggingProc);
    EXPECT_EQ(SendMessageW(top, WM_USER + 1, 0, 0), 5);

    // The pointer-sized forms carry the full address, two levels deep.
    calls.clear();
    previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FirstSubclass)));
    EXPECT_EQ(previousProc, &LoggingProc);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(top, GWLP_WNDPROC)), &FirstSubclass);
    EXPECT_EQ(SendMessageW(top, WM_USER + 1, 0, 0), 105);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "original"}));
    secondPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SecondSubclass)));
    EXPECT_EQ(secondPrevious, &FirstSubclass);
    calls.clear();
    EXPECT_EQ(SendMessageW(top, WM_USER + 1, 0, 0), 105);
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "first", "original"}));

    // Restoring hands back exactly the procedure that was saved.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(
                  SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc))),
              &SecondSubclass);
    calls.clear();
    EXPECT_EQ(SendMessageW(top, WM_USER + 1, 0, 0), 5);
    EXPECT_EQ(calls, (std::vector<std::string>{"original"}));
    EXPECT_EQ(CallWindowProcW(previousProc, top, WM_USER + 1, 0, 0), 5);
}

TEST_F(SubclassTest, UserDataIdAndExtraBytes) {
    HWND top = CreateTop(0, 0, 100, 100, WS_POPUP, TestClass(0, nullptr, 16));
    HWND child = CreateChild(top, 12, 0, 0, 10, 10);
    int value = 0;
    EXPECT_EQ(SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&value)), 0);
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&value));
    EXPECT_EQ(SetWindowLongW(child, GWLP_USERDATA, -7),
              static_cast<LONG>(reinterpret_cast<LONG_PTR>(&value)));
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_USERDATA), -7);
    EXPECT_EQ(GetWindowLongW(child, GWL_ID), 12);
    EXPECT_EQ(SetWindowLongPtrW(child, GWLP_ID, 13), 12);
    EXPECT_EQ(GetDlgCtrlID(child), 13);
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(TestInstance()));
    EXPECT_EQ(GetWindowLongPtrW(child, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(top));

    EXPECT_EQ(SetWindowLongPtrW(top, 8, 0x1122334455667788), 0);
    EXPECT_EQ(GetWindowLongPtrW(top, 8), 0x1122334455667788);
    EXPECT_EQ(GetWindowLongW(top, 8), 0x55667788);
    EXPECT_EQ(SetWindowLongW(top, 0, 99), 0);
    EXPECT_EQ(GetWindowLongW(top, 0), 99);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(top, 12), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongW(child, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

TEST_F(SubclassTest, StyleChangesAreAnnounced) {
    HWND top = CreateTop(0, 0, 100, 100);
    Log().Clear();
    LONG old = SetWindowLongW(top, GWL_STYLE, GetWindowLongW(top, GWL_STYLE) | WS_CLIPCHILDREN);
    EXPECT_FALSE(old & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLongW(top, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(Log().Messages(top), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    EXPECT_EQ(Log().Find(WM_STYLECHANGED, top)[0].wParam, static_cast<WPARAM>(GWL_STYLE));
    SetWindowLongW(top, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongW(top, GWL_EXSTYLE), WS_EX_CLIENTEDGE);
}

TEST_F(SubclassTest, WindowTextGoesThroughMessages) {
    HWND top = CreateTop(0, 0, 100, 100);
    Log().Clear();
    EXPECT_TRUE(SetWindowTextW(top, L"基金对比"));
    EXPECT_EQ(GetWindowTextLengthW(top), 4);
    wchar_t buffer[3];
    EXPECT_EQ(GetWindowTextW(top, buffer, 3), 2);
    EXPECT_STREQ(buffer, L"基金");
    EXPECT_EQ(Log().Messages(top).front(), static_cast<UINT>(WM_SETTEXT));
    EXPECT_EQ(Log().Find(WM_GETTEXT, top).size(), 1u);
    // DefWindowProc keeps no font for a generic window.
    EXPECT_EQ(SendMessageW(top, WM_SETFONT, 1234, TRUE), 0);
    EXPECT_EQ(SendMessageW(top, WM_GETFONT, 0, 0), 0);
}

TEST_F(SubclassTest, PropertiesBelongToTheWindow) {
    HWND top = CreateTop(0, 0, 100, 100);
    int value = 0;
    EXPECT_TRUE(SetPropW(top, L"Owner", &value));
    EXPECT_EQ(GetPropW(top, L"owner"), &value);
    EXPECT_EQ(RemovePropW(top, L"Owner"), &value);
    EXPECT_EQ(GetPropW(top, L"Owner"), nullptr);
}

} // namespace
