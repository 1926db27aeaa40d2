// The "msctls_progress32" class: a bar that shows how far a piece of work has come (see commctrl.h).
//
// The control keeps a range, a position inside it, a step and two colours. Every message that
// moves the position moves it into the range; a change of range moves the position into the new
// range. The bar is painted inside a one-pixel sunken frame: a continuous fill with PBS_SMOOTH, else
// a row of blocks; filled from the left, or from the bottom with PBS_VERTICAL.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"

#include <algorithm>

namespace platform {
namespace {

struct ProgressState {
    int low = 0;
    int high = 100;
    int position = 0;
    int step = 10;
    COLORREF bar = CLR_DEFAULT;
    COLORREF background = CLR_DEFAULT;
};

ProgressState* stateOf(HWND window) {
    return ControlState<ProgressState>(window);
}

// A range whose high limit is below its low one holds only its low limit.
int clampToRange(const ProgressState& state, long long position) {
    long long top = std::max(state.low, state.high);
    return static_cast<int>(std::clamp<long long>(position, state.low, top));
}

// The old range as PBM_SETRANGE answers it: the low 16 bits of each limit.
LRESULT packedRange(const ProgressState& state) {
    return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(state.low), static_cast<WORD>(state.high)));
}

void repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

int setPosition(HWND window, ProgressState* state, long long position) {
    int old = state->position;
    state->position = clampToRange(*state, position);
    if (state->position != old)
        repaint(window);
    return old;
}

LRESULT setRange(HWND window, ProgressState* state, int low, int high) {
    LRESULT old = packedRange(*state);
    state->low = low;
    state->high = high;
    state->position = clampToRange(*state, state->position);
    repaint(window);
    return old;
}

COLORREF actual(COLORREF colour, int fallback) {
    return colour == CLR_DEFAULT ? GetSysColor(fallback) : colour;
}

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void paint(HWND window, HDC dc, const ProgressState& state) {
    RECT client;
    GetClientRect(window, &client);
    fill(dc, client, actual(state.background, COLOR_3DFACE));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inner = client;
    InflateRect(&inner, -1, -1);
    if (IsRectEmpty(&inner) || state.high <= state.low)
        return;
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const bool vertical = (style & PBS_VERTICAL) != 0;
    const int length = vertical ? inner.bottom - inner.top : inner.right - inner.left;
    const int filled = static_cast<int>(static_cast<long long>(length) * (state.position - state.low) /
                                        (static_cast<long long>(state.high) - state.low));
    if (filled <= 0)
        return;
    const COLORREF colour = actual(state.bar, COLOR_HIGHLIGHT);
    // A piece of the bar from `from` to `to` along its length.
    auto piece = [&](int from, int to) {
        to = std::min(to, length);
        return vertical ? RECT{inner.left, inner.bottom - to, inner.right, inner.bottom - from}
                        : RECT{inner.left + from, inner.top, inner.left + to, inner.bottom};
    };
    if ((style & PBS_SMOOTH) != 0) {
        fill(dc, piece(0, filled), colour);
        return;
    }
    // Blocks two thirds as long as the bar is thick, two pixels apart; the last one is drawn whole
    // once the fill reaches into it, as the classic bar does.
    const int thickness = vertical ? inner.right - inner.left : inner.bottom - inner.top;
    const int block = std::max(2, thickness * 2 / 3);
    for (int at = 0; at < filled; at += block + 2)
        fill(dc, piece(at, at + block), colour);
}

LRESULT OnPaint(HWND window, const ProgressState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc != nullptr)
        paint(window, dc, state);
    EndPaint(window, &ps);
    return 0;
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ProgressState* state = stateOf(window);
    if (state == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        return OnPaint(window, *state);
    case WM_ERASEBKGND:
        return 1; // the paint covers the whole client area
    case PBM_SETRANGE:
        return setRange(window, state, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
        return setRange(window, state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
        if (lParam != 0) {
            auto* range = reinterpret_cast<PBRANGE*>(lParam);
            range->iLow = state->low;
            range->iHigh = state->high;
        }
        return wParam != 0 ? state->low : state->high;
    case PBM_SETPOS:
        return setPosition(window, state, static_cast<int>(wParam));
    case PBM_DELTAPOS:
        return setPosition(window, state, static_cast<long long>(state->position) + static_cast<int>(wParam));
    case PBM_GETPOS:
        return state->position;
    case PBM_SETSTEP: {
        int old = state->step;
        state->step = static_cast<int>(wParam);
        return old;
    }
    case PBM_GETSTEP:
        return state->step;
    case PBM_STEPIT: {
        // Past the high limit the bar starts over from the low one, with what was left over.
        long long next = static_cast<long long>(state->position) + state->step;
        long long span = static_cast<long long>(state->high) - state->low;
        if (span > 0 && next > state->high)
            next = state->low + (next - state->low) % span;
        return setPosition(window, state, next);
    }
    case PBM_SETBARCOLOR: {
        COLORREF old = state->bar;
        state->bar = static_cast<COLORREF>(lParam);
        repaint(window);
        return static_cast<LRESULT>(old);
    }
    case PBM_SETBKCOLOR: {
        COLORREF old = state->background;
        state->background = static_cast<COLORREF>(lParam);
        repaint(window);
        return static_cast<LRESULT>(old);
    }
    case PBM_GETBARCOLOR:
        return static_cast<LRESULT>(state->bar);
    case PBM_GETBKCOLOR:
        return static_cast<LRESULT>(state->background);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SystemClassRegistration progressClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ProgressProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = PROGRESS_CLASSW;
    RegisterSystemClass(wc);
});

} // namespace
} // namespace platform
