#include "WguiTestSupport.h"

#include "wgui/ModuleInstance.h"

namespace wguitest {
namespace {

// The stand-in button tells its parent about a click, as a push button does.
LRESULT CALLBACK StandInButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    StandInLog().push_back(StandInMessage{window, message, wParam, lParam});
    if (message == WM_LBUTTONUP) {
        SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                     reinterpret_cast<LPARAM>(window));
        return 0;
    }
    if (message == WM_USER + 100)
        return 4242; // something only the control itself answers
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK StandInToolTipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    StandInLog().push_back(StandInMessage{window, message, wParam, lParam});
    if (message == TTM_ADDTOOLW) {
        auto* tool = reinterpret_cast<const TOOLINFOW*>(lParam);
        if (tool == nullptr || tool->cbSize < TTTOOLINFOW_MIN_SIZE)
            return FALSE;
        LastAddedTool() = *tool;
        return TRUE;
    }
    if (message == TTM_SETMAXTIPWIDTH)
        return 77;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void registerOnce(const wchar_t* name, WNDPROC procedure, UINT style) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    // The platform's own "Button" and friends are found too; the stand-ins are local classes
    // of the executable, which come first.
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing) && existing.lpfnWndProc == procedure)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    ASSERT_NE(RegisterClassExW(&wc), 0);
}

} // namespace

std::vector<StandInMessage>& StandInLog() {
    static std::vector<StandInMessage> log;
    return log;
}

std::vector<UINT> StandInMessages(HWND window) {
    std::vector<UINT> out;
    for (const auto& m : StandInLog()) {
        if (m.window == window && m.message != WM_NCHITTEST && m.message != WM_SETCURSOR)
            out.push_back(m.message);
    }
    return out;
}

TOOLINFOW& LastAddedTool() {
    static TOOLINFOW tool{};
    return tool;
}

void WguiTest::SetUp() {
    PlatformStartHeadless(640, 480);
    WGUI::SetModuleInstance(GetModuleHandleW(nullptr));
    registerOnce(L"Button", StandInButtonProc, CS_DBLCLKS);
    registerOnce(L"ComboBox", StandInButtonProc, CS_DBLCLKS);
    registerOnce(L"tooltips_class32", StandInToolTipProc, 0);
    registerOnce(L"WguiHost", HostProc, 0);
    StandInLog().clear();
    LastAddedTool() = TOOLINFOW{};
}

void WguiTest::TearDown() {
    PlatformStartHeadless(640, 480);
}

HWND WguiTest::CreateHost(int x, int y, int width, int height) {
    return CreateWindowExW(0, L"WguiHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                           height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace wguitest
