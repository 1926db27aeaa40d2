#include "ControlTestSupport.h"

#include <cstdlib>

namespace controltest {

std::vector<WORD> CommandCodes(HWND parent, HWND control) {
    std::vector<WORD> codes;
    for (const wintest::LoggedMessage& m : wintest::MessageLog::Instance().Find(WM_COMMAND, parent)) {
        if (reinterpret_cast<HWND>(m.lParam) == control)
            codes.push_back(HIWORD(m.wParam));
    }
    return codes;
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

namespace {
struct ClassSearch {
    std::wstring name;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (search->name == name && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> VisibleWindowsOfClass(const wchar_t* className) {
    ClassSearch search{className, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool AnyPixel(HWND window, const RECT& area, COLORREF color, int tolerance) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (Near(PlatformWindowPixel(window, x, y), color, tolerance))
                return true;
        }
    }
    return false;
}

} // namespace controltest
