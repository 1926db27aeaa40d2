#include "MiscTestSupport.h"

#include <filesystem>

namespace misctest {

namespace {

std::vector<Notice> g_notices;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_COMMAND) {
        g_notices.push_back({message, wParam, lParam});
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void ControlTest::SetUp() {
    PlatformStartHeadless(1024, 768);
    g_notices.clear();
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = L"MiscTestHost";
        registered = RegisterClassExW(&wc) != 0;
    }
}

void ControlTest::TearDown() {
    // Destroys every window, so that no test sees another's.
    PlatformStartHeadless(1024, 768);
    g_notices.clear();
}

HWND ControlTest::CreateHost(int x, int y, int width, int height) {
    return CreateWindowExW(0, L"MiscTestHost", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                           height, nullptr, nullptr, nullptr, nullptr);
}

std::vector<Notice> ControlTest::Notices(UINT message) const {
    std::vector<Notice> out;
    for (const Notice& n : g_notices)
        if (n.message == message)
            out.push_back(n);
    return out;
}

void ControlTest::ClearNotices() {
    g_notices.clear();
}

std::string OutputPath(const std::string& name) {
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    return std::string(FC_TEST_OUTPUT_DIR) + "/" + name;
}

POINT ToScreen(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

} // namespace misctest
