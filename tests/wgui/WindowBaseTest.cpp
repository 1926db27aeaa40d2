// WGUI::WindowBase: creation through a page class and a binder, the forwarding operations, and
// the page-class registration helper.
#include "WguiTestSupport.h"

#include "wgui/ModuleInstance.h"
#include "wgui/PageClass.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"
#include "wgui/WindowRegistry.h"

using namespace wguitest;

namespace {

// A page in the module's manner: its own class, its binder as a member.
class TestPage : public WGUI::WindowBase {
public:
    HWND Create(HWND parent) {
        std::wstring name = WGUI::PageClass::Register(L"TestPage");
        RECT empty{0, 0, 0, 0};
        return WindowBase::Create(WS_CHILD | WS_CLIPCHILDREN, 0, name.c_str(), nullptr, empty, parent,
                                  nullptr, WGUI::ModuleInstance(), &m_binder);
    }

    bool HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        messages.push_back(message);
        if (message == WM_CREATE)
            handleAtCreate = m_hWnd;
        if (message == WM_ERASEBKGND) {
            result = 1;
            return true;
        }
        return false;
    }

    std::vector<UINT> messages;
    HWND handleAtCreate = nullptr;
    WGUI::WindowProc m_binder;
};

class WindowBaseTest : public WguiTest {};

TEST_F(WindowBaseTest, PageClassIsRegisteredOnceWithThePartsValues) {
    std::wstring name = WGUI::PageClass::Register(L"AssetAllocationPage");
    EXPECT_EQ(name, L"Quenda2_AssetAllocationPage");
    EXPECT_EQ(WGUI::PageClass::Register(L"AssetAllocationPage"), name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExW(WGUI::ModuleInstance(), name.c_str(), &wc));
    EXPECT_EQ(wc.style, 0x8Bu);
    EXPECT_EQ(wc.lpfnWndProc, &WGUI::WindowProc::SharedWindowProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_EQ(wc.hInstance, WGUI::ModuleInstance());
    EXPECT_EQ(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(6));
    EXPECT_EQ(wc.lpszMenuName, nullptr);
}

TEST_F(WindowBaseTest, CreateBindsTheHandleOnWmCreate) {
    HWND host = CreateHost(0, 0, 300, 200);
    TestPage page;
    HWND handle = page.Create(host);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(page.GetHandle(), handle);
    EXPECT_EQ(page.handleAtCreate, handle);
    EXPECT_EQ(page.m_binder.GetWindow(), &page);
    EXPECT_EQ(page.m_binder.GetPreviousProc(), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(handle), &page.m_binder);
    // The messages before WM_CREATE went to DefWindowProcW; from WM_CREATE on, to the page.
    ASSERT_FALSE(page.messages.empty());
    EXPECT_EQ(page.messages.front(), static_cast<UINT>(WM_CREATE));
    EXPECT_FALSE(page.IsWindowVisible());
    // Unhandled messages of a page class get DefWindowProcW: the text is kept.
    SetWindowTextW(handle, L"页面");
    wchar_t text[8];
    EXPECT_EQ(page.GetWindowText(text, 8), 2);
    EXPECT_EQ(page.GetWindowTextLength(), 2);
    EXPECT_EQ(page.SendMessage(WM_ERASEBKGND, 0, 0), 1);
    EXPECT_TRUE(page.DestroyWindow());
    EXPECT_EQ(page.GetHandle(), nullptr);
    EXPECT_EQ(WGUI::WindowRegistry::Find(handle), nullptr);
    // WM_DESTROY leaves the registry, so WM_DESTROY is the last message the page hears.
    EXPECT_EQ(page.messages.back(), static_cast<UINT>(WM_DESTROY));
    EXPECT_FALSE(page.DestroyWindow());
}

TEST_F(WindowBaseTest, ForwardingOperations) {
    HWND host = CreateHost(10, 20, 300, 200);
    WGUI::WindowBase window;
    EXPECT_FALSE(window.IsWindow());
    RECT rect{5, 6, 105, 56};
    HWND handle = window.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, WS_EX_CLIENTEDGE, L"WguiHost", L"w", rect,
                                host, reinterpret_cast<HMENU>(33), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(window.IsWindow());
    RECT out;
    EXPECT_EQ(window.GetWindowRect(&out), &out);
    EXPECT_EQ(out.left, 15);
    EXPECT_EQ(out.bottom, 76);
    EXPECT_EQ(window.GetClientRect(&out), &out);
    EXPECT_EQ(out.right, 100 - 6);
    EXPECT_EQ(window.GetStyle() & (WS_CHILD | WS_BORDER), static_cast<DWORD>(WS_CHILD | WS_BORDER));
    EXPECT_EQ(window.GetWindowLong(GWL_EXSTYLE), WS_EX_CLIENTEDGE);
    EXPECT_EQ(window.GetDlgCtrlID(), 33);
    EXPECT_EQ(window.GetParent().GetHandle(), host);
    EXPECT_EQ(WGUI::WindowBase(host).GetDlgItem(33).GetHandle(), handle);
    EXPECT_TRUE(window.MoveWindow(RECT{0, 0, 40, 30}));
    window.GetWindowRect(&out);
    EXPECT_EQ(out.right - out.left, 40);
    EXPECT_TRUE(window.Invalidate(TRUE));
    EXPECT_TRUE(window.ShowWindow(SW_HIDE));
    EXPECT_FALSE(window.IsWindowVisible());
    window.ShowWindow(SW_SHOW);
    window.SetFocus();
    EXPECT_EQ(GetFocus(), handle);
    // A copy views the same window; neither destroys it.
    {
        WGUI::WindowBase copy(window);
        EXPECT_EQ(copy.GetHandle(), handle);
        WGUI::WindowBase attached;
        attached.Attach(GetDlgItem(host, 33));
        EXPECT_EQ(attached.GetHandle(), handle);
    }
    EXPECT_TRUE(IsWindow(handle));

    // Failures give null pointers and zero answers.
    WGUI::WindowBase none;
    EXPECT_EQ(none.GetWindowRect(&out), nullptr);
    EXPECT_EQ(none.GetClientRect(&out), nullptr);
    EXPECT_EQ(none.GetParent().GetHandle(), nullptr);
    EXPECT_EQ(none.SendMessage(WM_USER), 0);
}

TEST_F(WindowBaseTest, SetFontSendsWmSetFontWithTheRedrawFlagInTheLowWord) {
    HWND host = CreateHost(0, 0, 100, 100);
    WGUI::WindowBase button;
    button.Create(WS_CHILD, 0, L"Button", L"b", RECT{0, 0, 10, 10}, host, nullptr, GetModuleHandleW(nullptr),
                  nullptr);
    HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    button.SetFont(font, 0x10001);
    bool found = false;
    for (const auto& m : StandInLog()) {
        if (m.window == button.GetHandle() && m.message == WM_SETFONT) {
            EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(font));
            EXPECT_EQ(m.lParam, 1);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

} // namespace
