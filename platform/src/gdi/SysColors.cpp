// System colours, their shared brushes, and the USER32 rectangle helpers.
#include "GdiObjects.h"

#include "platform/winuser.h"
#include "platform/winuser_draw.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kColorCount = COLOR_MENUBAR + 1;

// The light scheme of current Windows desktops, which the standard controls are drawn to match
// until the program sets its own (SetSysColors).
const COLORREF kDefaultColors[kColorCount] = {
    RGB(200, 200, 200), // COLOR_SCROLLBAR
    RGB(0, 0, 0),       // COLOR_BACKGROUND
    RGB(153, 180, 209), // COLOR_ACTIVECAPTION
    RGB(191, 205, 219), // COLOR_INACTIVECAPTION
    RGB(240, 240, 240), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(100, 100, 100), // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(0, 0, 0),       // COLOR_CAPTIONTEXT
    RGB(180, 180, 180), // COLOR_ACTIVEBORDER
    RGB(244, 247, 252), // COLOR_INACTIVEBORDER
    RGB(171, 171, 171), // COLOR_APPWORKSPACE
    RGB(0, 120, 215),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240), // COLOR_BTNFACE
    RGB(160, 160, 160), // COLOR_BTNSHADOW
    RGB(109, 109, 109), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(0, 0, 0),       // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105), // COLOR_3DDKSHADOW
    RGB(227, 227, 227), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(0, 0, 0),       // 25 has no name
    RGB(0, 102, 204),   // COLOR_HOTLIGHT
    RGB(185, 209, 234), // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242), // COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 120, 215),   // COLOR_MENUHILIGHT
    RGB(240, 240, 240), // COLOR_MENUBAR
};

// The colours in effect and their shared brushes, which follow them.
struct SystemColors {
    COLORREF colors[kColorCount];
    HBRUSH brushes[kColorCount];
    platform::gdi::Brush* brushObjects[kColorCount];
};

SystemColors& systemColors() {
    using namespace platform::gdi;
    static SystemColors* instance = [] {
        auto* made = new SystemColors;
        for (int i = 0; i < kColorCount; ++i) {
            made->colors[i] = kDefaultColors[i];
            auto brush = std::make_unique<Brush>();
            brush->color = kDefaultColors[i];
            brush->stock = true;
            made->brushObjects[i] = brush.get();
            made->brushes[i] = static_cast<HBRUSH>(RegisterObject(std::move(brush)));
        }
        return made;
    }();
    return *instance;
}

} // namespace

namespace platform::gdi {

void ResetSystemColors() {
    SystemColors& s = systemColors();
    for (int i = 0; i < kColorCount; ++i) {
        s.colors[i] = kDefaultColors[i];
        s.brushObjects[i]->color = kDefaultColors[i];
    }
}

} // namespace platform::gdi

extern "C" {

DWORD WINAPI GetSysColor(int index) {
    return index >= 0 && index < kColorCount ? systemColors().colors[index] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    if (index < 0 || index >= kColorCount)
        return nullptr;
    return systemColors().brushes[index];
}

BOOL WINAPI SetSysColors(int count, const INT* elements, const COLORREF* values) {
    if (count < 0 || (count > 0 && (elements == nullptr || values == nullptr)))
        return FALSE;
    SystemColors& s = systemColors();
    for (int i = 0; i < count; ++i) {
        if (elements[i] < 0 || elements[i] >= kColorCount)
            continue;
        s.colors[elements[i]] = values[i] & 0x00FFFFFF;
        s.brushObjects[elements[i]]->color = values[i] & 0x00FFFFFF;
    }
    // Every top-level window hears of it and is drawn again, with its children, as in Win32.
    std::vector<HWND> tops;
    EnumWindows(
        [](HWND w, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tops));
    for (HWND w : tops) {
        if (!IsWindow(w))
            continue;
        SendMessageW(w, WM_SYSCOLORCHANGE, 0, 0);
        if (IsWindow(w))
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (rect == nullptr)
        return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL WINAPI CopyRect(LPRECT dest, const RECT* source) {
    if (dest == nullptr || source == nullptr)
        return FALSE;
    *dest = *source;
    return TRUE;
}

BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr)
        return FALSE;
    rect->left -= dx;
    rect->top -= dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (rect == nullptr)
        return FALSE;
    rect->left += dx;
    rect->top += dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* rect) {
    return rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
    return rect != nullptr && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL WINAPI IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (dest == nullptr || a == nullptr || b == nullptr)
        return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL WINAPI UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
    if (dest == nullptr || a == nullptr || b == nullptr)
        return FALSE;
    bool emptyA = IsRectEmpty(a), emptyB = IsRectEmpty(b);
    if (emptyA && emptyB) {
        *dest = {0, 0, 0, 0};
        return FALSE;
    }
    if (emptyA)
        *dest = *b;
    else if (emptyB)
        *dest = *a;
    else
        *dest = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                 std::max(a->bottom, b->bottom)};
    return TRUE;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    return a != nullptr && b != nullptr && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

} // extern "C"
