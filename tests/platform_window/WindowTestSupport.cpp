#include "WindowTestSupport.h"

#include <filesystem>

namespace wintest {

MessageLog& MessageLog::Instance() {
    static MessageLog log;
    return log;
}

void MessageLog::Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_entries.push_back(LoggedMessage{window, message, wParam, lParam});
}

namespace {

bool isNoise(UINT message) {
    return message == WM_NCHITTEST || message == WM_SETCURSOR || message == WM_GETTEXT ||
           message == WM_GETTEXTLENGTH || message == WM_GETICON;
}

} // namespace

std::vector<UINT> MessageLog::Messages(HWND window) const {
    std::vector<UINT> out;
    for (const auto& e : m_entries) {
        if ((window == nullptr || e.window == window) && !isNoise(e.message))
            out.push_back(e.message);
    }
    return out;
}

std::vector<std::string> MessageLog::Named() const {
    std::vector<std::string> out;
    for (const auto& e : m_entries) {
        auto it = m_names.find(e.window);
        if (it != m_names.end() && !isNoise(e.message))
            out.push_back(it->second + ":" + MessageName(e.message));
    }
    return out;
}

std::vector<LoggedMessage> MessageLog::Find(UINT message, HWND window) const {
    std::vector<LoggedMessage> out;
    for (const auto& e : m_entries) {
        if (e.message == message && (window == nullptr || e.window == window))
            out.push_back(e);
    }
    return out;
}

const Handler* MessageLog::HandlerFor(HWND window) const {
    auto it = m_handlers.find(window);
    if (it != m_handlers.end())
        return &it->second;
    return m_creationHandler ? &m_creationHandler : nullptr;
}

void MessageLog::Reset() {
    m_entries.clear();
    m_names.clear();
    m_handlers.clear();
    m_creationHandler = nullptr;
}

LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog& log = MessageLog::Instance();
    log.Record(window, message, wParam, lParam);
    if (const Handler* handler = log.HandlerFor(window)) {
        // Copied: the handler may replace itself.
        Handler copy = *handler;
        if (std::optional<LRESULT> answer = copy(window, message, wParam, lParam))
            return *answer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::string MessageName(UINT message) {
    switch (message) {
#define NAME(m)                                                                                              \
    case m:                                                                                                  \
        return #m;
        NAME(WM_CREATE)
        NAME(WM_DESTROY)
        NAME(WM_MOVE)
        NAME(WM_SIZE)
        NAME(WM_ACTIVATE)
        NAME(WM_SETFOCUS)
        NAME(WM_KILLFOCUS)
        NAME(WM_ENABLE)
        NAME(WM_SETTEXT)
        NAME(WM_PAINT)
        NAME(WM_CLOSE)
        NAME(WM_ERASEBKGND)
        NAME(WM_SHOWWINDOW)
        NAME(WM_ACTIVATEAPP)
        NAME(WM_CANCELMODE)
        NAME(WM_MOUSEACTIVATE)
        NAME(WM_CHILDACTIVATE)
        NAME(WM_GETMINMAXINFO)
        NAME(WM_WINDOWPOSCHANGING)
        NAME(WM_WINDOWPOSCHANGED)
        NAME(WM_CONTEXTMENU)
        NAME(WM_STYLECHANGING)
        NAME(WM_STYLECHANGED)
        NAME(WM_NCCREATE)
        NAME(WM_NCDESTROY)
        NAME(WM_NCCALCSIZE)
        NAME(WM_NCPAINT)
        NAME(WM_NCACTIVATE)
        NAME(WM_KEYDOWN)
        NAME(WM_KEYUP)
        NAME(WM_CHAR)
        NAME(WM_SYSKEYDOWN)
        NAME(WM_SYSKEYUP)
        NAME(WM_COMMAND)
        NAME(WM_TIMER)
        NAME(WM_MOUSEMOVE)
        NAME(WM_LBUTTONDOWN)
        NAME(WM_LBUTTONUP)
        NAME(WM_LBUTTONDBLCLK)
        NAME(WM_RBUTTONDOWN)
        NAME(WM_RBUTTONUP)
        NAME(WM_MOUSEWHEEL)
        NAME(WM_PARENTNOTIFY)
        NAME(WM_CAPTURECHANGED)
        NAME(WM_MOUSEHOVER)
        NAME(WM_MOUSELEAVE)
        NAME(WM_NCMOUSEMOVE)
        NAME(WM_NCLBUTTONDOWN)
        NAME(WM_NCLBUTTONUP)
#undef NAME
    default:
        return "0x" + [message] {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04X", message);
            return std::string(buffer);
        }();
    }
}

HINSTANCE TestInstance() {
    return GetModuleHandleW(nullptr);
}

const wchar_t* TestClass(UINT style, HBRUSH brush, int windowExtra) {
    static std::map<std::tuple<UINT, HBRUSH, int>, std::wstring> names;
    auto key = std::make_tuple(style, brush, windowExtra);
    auto it = names.find(key);
    if (it != names.end())
        return it->second.c_str();
    std::wstring name = L"WinTest" + std::to_wstring(names.size());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = LoggingProc;
    wc.cbWndExtra = windowExtra;
    wc.hInstance = TestInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = brush;
    wc.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassExW(&wc), 0);
    return names.emplace(key, name).first->second.c_str();
}

void WindowTest::SetUp() {
    PlatformStartHeadless(800, 600);
    MessageLog::Instance().Reset();
}

void WindowTest::TearDown() {
    PlatformStartHeadless(800, 600);
    MessageLog::Instance().Reset();
}

HWND WindowTest::CreateTop(int x, int y, int width, int height, DWORD style, const wchar_t* cls,
                           DWORD exStyle, HWND owner) {
    return CreateWindowExW(exStyle, cls != nullptr ? cls : TestClass(), L"top", style, x, y, width, height,
                           owner, nullptr, TestInstance(), nullptr);
}

HWND WindowTest::CreateChild(HWND parent, int id, int x, int y, int width, int height, DWORD style,
                             const wchar_t* cls, DWORD exStyle) {
    return CreateWindowExW(exStyle, cls != nullptr ? cls : TestClass(), L"child", style, x, y, width, height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), TestInstance(),
                           nullptr);
}

std::string OutputPath(const std::string& name) {
#ifdef FC_TEST_OUTPUT_DIR
    std::filesystem::create_directories(FC_TEST_OUTPUT_DIR);
    return std::string(FC_TEST_OUTPUT_DIR) + "/" + name;
#else
    return name;
#endif
}

} // namespace wintest
