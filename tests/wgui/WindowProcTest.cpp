// WGUI::WindowProc: subclassing, CallDefault, the registry's life cycle and the reflection of
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_MEASUREITEM, and the cases where nothing is reflected.
#include "WguiTestSupport.h"

#include "wgui/Button.h"
#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"
#include "wgui/WindowProc.h"
#include "wgui/WindowRegistry.h"

#include <algorithm>

using namespace wguitest;

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingPage : public WGUI::WindowBase {
public:
    HWND Create(HWND parent) {
        std::wstring name = WGUI::PageClass::Register(L"RecordingPage");
        return WindowBase::Create(WS_CHILD | WS_VISIBLE, 0, name.c_str(), nullptr, RECT{0, 0, 300, 200},
                                  parent, nullptr, WGUI::ModuleInstance(), &binder);
    }
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        own.push_back(Received{message, wParam, lParam});
        if (message == WM_COMMAND || message == WM_NOTIFY || message == WM_DRAWITEM ||
            message == WM_MEASUREITEM) {
            result = 2;
            return true;
        }
        return false;
    }
    std::vector<Received> own;
    WGUI::WindowProc binder;
};

// A subclassed button that handles its reflected notifications when asked to.
class ReflectingButton : public WGUI::Button {
public:
    bool HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        own.push_back(message);
        if (message == WM_USER + 1) {
            // Something drawn over the control's own answer, as the drop-down buttons do.
            result = binder.CallDefault(WM_USER + 100, 0, 0) + 1;
            return true;
        }
        return false;
    }
    bool HandleReflectedMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        reflected.push_back(message);
        if (!takeReflections)
            return false;
        result = 1;
        return true;
    }
    std::vector<UINT> own;
    std::vector<UINT> reflected;
    bool takeReflections = true;
    WGUI::WindowProc binder;
};

size_t count(const std::vector<Received>& messages, UINT message) {
    return static_cast<size_t>(std::count_if(messages.begin(), messages.end(),
                                             [message](const Received& r) { return r.message == message; }));
}

class WindowProcTest : public WguiTest {
protected:
    void SetUp() override {
        WguiTest::SetUp();
        host = CreateHost(0, 0, 400, 300);
        page.Create(host);
        RECT rect{10, 10, 110, 40};
        button.Create(page, &rect, L"按钮", WS_CHILD | WS_VISIBLE, 0, reinterpret_cast<HMENU>(105));
        ASSERT_TRUE(button.IsWindow());
        button.binder.Subclass(&button);
        plain.Create(page, &rect, L"plain", WS_CHILD, 0, reinterpret_cast<HMENU>(106));
        page.own.clear();
    }

    HWND host = nullptr;
    RecordingPage page;
    ReflectingButton button;
    WGUI::Button plain;
};

TEST_F(WindowProcTest, SubclassInstallsTheSharedProcedureAndKeepsThePrevious) {
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_WNDPROC)),
              &WGUI::WindowProc::SharedWindowProc);
    EXPECT_NE(button.binder.GetPreviousProc(), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(button), &button.binder);
    // Unhandled messages reach the control's own procedure.
    StandInLog().clear();
    EXPECT_EQ(button.SendMessage(WM_USER + 100), 4242);
    EXPECT_EQ(StandInMessages(button), (std::vector<UINT>{WM_USER + 100}));
    // CallDefault from a handler reaches it too.
    EXPECT_EQ(button.SendMessage(WM_USER + 1), 4243);
    EXPECT_EQ(button.own.back(), static_cast<UINT>(WM_USER + 1));
}

TEST_F(WindowProcTest, UnsubclassRestoresOnlyWhenThereIsSomethingToRestore) {
    WNDPROC previous = button.binder.GetPreviousProc();
    EXPECT_TRUE(button.binder.Unsubclass());
    EXPECT_EQ(WGUI::WindowRegistry::Find(button), nullptr);
    EXPECT_EQ(button.binder.GetWindow(), nullptr);
    EXPECT_EQ(button.binder.GetPreviousProc(), nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_WNDPROC)), previous);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_WNDPROC)),
              &WGUI::WindowProc::SharedWindowProc);
    EXPECT_FALSE(button.binder.Unsubclass());
    // A page's binder has no previous procedure.
    EXPECT_FALSE(page.binder.Unsubclass());
    EXPECT_EQ(WGUI::WindowRegistry::Find(page), &page.binder);
    // A window that is gone: nothing to do.
    WGUI::Button other;
    other.Create(page, nullptr, L"o", WS_CHILD);
    WGUI::WindowProc binder;
    binder.Subclass(&other);
    HWND handle = other;
    DestroyWindow(handle);
    EXPECT_FALSE(binder.Unsubclass());
    EXPECT_EQ(binder.GetWindow(), &other);
}

TEST_F(WindowProcTest, TheDestructorUnsubclasses) {
    WGUI::Button other;
    other.Create(page, nullptr, L"o", WS_CHILD);
    {
        WGUI::WindowProc binder;
        binder.Subclass(&other);
        EXPECT_EQ(WGUI::WindowRegistry::Find(other), &binder);
    }
    EXPECT_EQ(WGUI::WindowRegistry::Find(other), nullptr);
    StandInLog().clear();
    EXPECT_EQ(other.SendMessage(WM_USER + 100), 4242);
}

TEST_F(WindowProcTest, ACommandFromARegisteredChildIsReflectedFirst) {
    LRESULT answer = SendMessageW(page, WM_COMMAND, MAKEWPARAM(105, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(button.GetHandle()));
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(button.reflected, (std::vector<UINT>{WM_COMMAND}));
    EXPECT_EQ(count(page.own, WM_COMMAND), 0u);
    // When the child declines, the parent's own handler runs.
    button.takeReflections = false;
    answer = SendMessageW(page, WM_COMMAND, MAKEWPARAM(105, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button.GetHandle()));
    EXPECT_EQ(answer, 2);
    EXPECT_EQ(count(page.own, WM_COMMAND), 1u);
}

TEST_F(WindowProcTest, ACommandFromAnUnregisteredChildFallsThroughToTheParent) {
    LRESULT answer = SendMessageW(page, WM_COMMAND, MAKEWPARAM(106, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(plain.GetHandle()));
    EXPECT_EQ(answer, 2);
    ASSERT_EQ(count(page.own, WM_COMMAND), 1u);
    EXPECT_TRUE(button.reflected.empty());
}

TEST_F(WindowProcTest, NotifyAndDrawItemAreReflectedToTheSender) {
    NMHDR header{button.GetHandle(), 105, TTN_GETDISPINFOW};
    EXPECT_EQ(SendMessageW(page, WM_NOTIFY, 105, reinterpret_cast<LPARAM>(&header)), 1);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = 105;
    draw.hwndItem = button.GetHandle();
    EXPECT_EQ(SendMessageW(page, WM_DRAWITEM, 105, reinterpret_cast<LPARAM>(&draw)), 1);
    EXPECT_EQ(button.reflected, (std::vector<UINT>{WM_NOTIFY, WM_DRAWITEM}));
    EXPECT_EQ(count(page.own, WM_NOTIFY) + count(page.own, WM_DRAWITEM), 0u);
}

TEST_F(WindowProcTest, MeasureItemIsReflectedByControlIdOnlyWhenTheChildExists) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_COMBOBOX;
    measure.CtlID = 105;
    EXPECT_EQ(SendMessageW(page, WM_MEASUREITEM, 105, reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_EQ(button.reflected, (std::vector<UINT>{WM_MEASUREITEM}));
    measure.CtlID = 999;
    EXPECT_EQ(SendMessageW(page, WM_MEASUREITEM, 999, reinterpret_cast<LPARAM>(&measure)), 2);
    EXPECT_EQ(button.reflected.size(), 1u);
    EXPECT_EQ(count(page.own, WM_MEASUREITEM), 1u);
}

TEST_F(WindowProcTest, AClickThroughTheDriverIsReflectedToTheButton) {
    PlatformRunUntilIdle();
    button.reflected.clear();
    PlatformClick(50, 25);
    PlatformRunUntilIdle();
    EXPECT_EQ(button.reflected, (std::vector<UINT>{WM_COMMAND}));
    EXPECT_NE(std::find(button.own.begin(), button.own.end(), static_cast<UINT>(WM_LBUTTONDOWN)),
              button.own.end());
    // The control's own procedure saw the click and sent the notification.
    auto messages = StandInMessages(button);
    EXPECT_NE(std::find(messages.begin(), messages.end(), static_cast<UINT>(WM_LBUTTONUP)), messages.end());
}

TEST_F(WindowProcTest, MessagesOfUnregisteredWindowsGoToDefWindowProc) {
    std::wstring name = WGUI::PageClass::Register(L"Unbound");
    HWND window = CreateWindowExW(0, name.c_str(), L"t", WS_CHILD, 0, 0, 10, 10, page, nullptr,
                                  WGUI::ModuleInstance(), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(window), nullptr);
    SetWindowTextW(window, L"abc");
    EXPECT_EQ(GetWindowTextLengthW(window), 3);
    DestroyWindow(window);
}

TEST_F(WindowProcTest, DestroyingTheParentEmptiesTheRegistry) {
    size_t before = WGUI::WindowRegistry::Size();
    HWND pageHandle = page;
    HWND buttonHandle = button;
    DestroyWindow(host);
    EXPECT_EQ(WGUI::WindowRegistry::Find(pageHandle), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(buttonHandle), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Size(), before - 2);
}

} // namespace

namespace {

// A page held by a static object, as the module's own instance holds its pages: built before the
// registry is first used, so that the registry, were it an ordinary static, would be destroyed
// before the page when the process ends.
RecordingPage& StaticPage() {
    static RecordingPage page;
    return page;
}

} // namespace

TEST(WindowRegistryLife, ABinderOfAStaticObjectLeavesTheRegistryWhenTheProcessEnds) {
    // In a process of its own, so that nothing used the registry before the page was built. The
    // process ends through exit() with the page's window alive, as it does when a library ends the
    // program from inside its loop.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingPage& page = StaticPage();
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.lpszClassName = L"RegistryLifeHost";
            RegisterClassExW(&wc);
            HWND host = CreateWindowExW(0, L"RegistryLifeHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                                        nullptr, nullptr, nullptr, nullptr);
            page.Create(host);
            if (WGUI::WindowRegistry::Find(page.GetHandle()) != &page.binder)
                std::exit(3);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
