// Enabling windows, activation, keyboard focus and mouse capture, with Win32's messages:
//
// Activation (one active top-level window; the process is the only application): the window
// losing activation gets WM_NCACTIVATE(FALSE) and WM_ACTIVATE(WA_INACTIVE); WM_ACTIVATEAPP goes
// out when the process gains or loses its last active window; the new window gets
// WM_NCACTIVATE(TRUE) and WM_ACTIVATE, whose default handling sets the focus to it; the focus
// then moves into the new window if it is elsewhere.
// Focus: WM_KILLFOCUS to the old window (wParam the new one), then WM_SETFOCUS to the new one
// (wParam the old one); GetFocus already answers the new window during WM_KILLFOCUS.
// Capture: the window losing it gets WM_CAPTURECHANGED (lParam the new capture window or null).
#include "internal/Window.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

namespace platform {
namespace {

struct FocusState {
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
};

FocusState& state() {
    static FocusState instance;
    return instance;
}

void setFocusWindow(Window* window) {
    FocusState& s = state();
    HWND previous = s.focus;
    HWND next = window != nullptr ? window->handle : nullptr;
    if (previous == next)
        return;
    s.focus = next;
    if (Window* old = LiveWindow(previous)) {
        SendTo(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
        // A handler that moved the focus elsewhere wins.
        if (s.focus != next)
            return;
    }
    if (Window* w = LiveWindow(next))
        SendTo(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

bool canActivate(const Window* window, const Window* leaving) {
    return window != leaving && (window->style & WS_VISIBLE) && !(window->style & WS_DISABLED) &&
           !window->destroying && !IsDescendant(leaving, window);
}

} // namespace

Window* FocusWindow() {
    return LiveWindow(state().focus);
}

Window* ActiveWindow() {
    return LiveWindow(state().active);
}

Window* CaptureWindow() {
    return LiveWindow(state().capture);
}

bool ActivateWindow(Window* window, bool byMouse) {
    FocusState& s = state();
    if (window != nullptr)
        window = TopLevelOf(window);
    if (window != nullptr && window->IsDesktop())
        window = nullptr;
    HWND next = window != nullptr ? window->handle : nullptr;
    HWND previous = s.active;
    if (previous == next)
        return true;
    auto hold = Hold(window);
    s.active = next;
    if (Window* old = LiveWindow(previous)) {
        SendTo(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(next));
        if (Window* again = LiveWindow(previous))
            SendTo(again, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(next));
        if (next == nullptr) {
            if (Window* again = LiveWindow(previous))
                SendTo(again, WM_ACTIVATEAPP, FALSE, 0);
        }
    }
    if (s.active != next)
        return false;
    if (window != nullptr && !window->dead) {
        // Activation brings the window to the top of the z-order, as in Win32.
        if (!IsOnTopOfSiblings(window))
            SetWindowPosition(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        if (window->dead || s.active != next)
            return false;
        if (previous == nullptr || LiveWindow(previous) == nullptr)
            SendTo(window, WM_ACTIVATEAPP, TRUE, 0);
        if (!window->dead)
            SendTo(window, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(previous));
        if (!window->dead)
            SendTo(window, WM_ACTIVATE, MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, 0),
                   reinterpret_cast<LPARAM>(previous));
    }
    if (s.active != next)
        return true;
    Window* focus = FocusWindow();
    if (window == nullptr) {
        if (focus != nullptr)
            setFocusWindow(nullptr);
    } else if (!window->dead && (focus == nullptr || TopLevelOf(focus) != window)) {
        setFocusWindow(window);
    }
    return true;
}

void ActivateOtherWindow(Window* window) {
    Window* next = nullptr;
    if (window->owner != nullptr && canActivate(window->owner, window))
        next = window->owner;
    if (next == nullptr) {
        for (Window* w : Desktop()->children) {
            if (canActivate(w, window) && !(w->exStyle & WS_EX_NOACTIVATE) &&
                !(w->exStyle & WS_EX_TOOLWINDOW)) {
                next = w;
                break;
            }
        }
    }
    ActivateWindow(next, false);
}

void FocusLeaving(Window* window) {
    Window* focus = FocusWindow();
    if (focus == nullptr || (focus != window && !IsDescendant(window, focus)))
        return;
    // Win32 gives the focus back to the parent of a child window.
    if (window->IsChildStyle() && window->parent != nullptr && !window->parent->destroying)
        SetFocus(window->parent->handle);
    else
        setFocusWindow(nullptr);
}

void CaptureLeaving(Window* window) {
    Window* capture = CaptureWindow();
    if (capture != nullptr && (capture == window || IsDescendant(window, capture)))
        ReleaseCapture();
}

void ResetFocus() {
    state() = FocusState{};
}

void ForgetInFocus(Window* window) {
    FocusState& s = state();
    if (s.focus == window->handle)
        s.focus = nullptr;
    if (s.active == window->handle)
        s.active = nullptr;
    if (s.capture == window->handle)
        s.capture = nullptr;
}

} // namespace platform

using namespace platform;

extern "C" {

BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    auto hold = Hold(window);
    bool wasDisabled = (window->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        window->style &= ~WS_DISABLED;
        SendTo(window, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        SendTo(window, WM_CANCELMODE, 0, 0);
        if (window->dead)
            return FALSE;
        window->style |= WS_DISABLED;
        // A disabled window cannot keep the focus.
        Window* focus = FocusWindow();
        if (focus != nullptr && (focus == window || IsDescendant(window, focus)))
            SetFocus(nullptr);
        if (!window->dead)
            SendTo(window, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
    Window* window = CheckWindow(handle);
    return window != nullptr && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND handle) {
    FocusState& s = state();
    HWND previous = s.focus;
    if (handle == nullptr) {
        setFocusWindow(nullptr);
        return previous;
    }
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return nullptr;
    if (s.focus == handle)
        return previous;
    // A window under a disabled ancestor cannot take the focus.
    Window* top = window;
    for (Window* w = window; w != nullptr && !w->IsDesktop(); w = w->parent) {
        if (w->style & WS_DISABLED)
            return nullptr;
        top = w;
        if (!w->IsChildStyle())
            break;
    }
    auto hold = Hold(window);
    if (ActiveWindow() != top) {
        ActivateWindow(top, false);
        if (window->dead || ActiveWindow() != top)
            return nullptr;
    }
    setFocusWindow(window);
    return previous;
}

HWND WINAPI GetFocus() {
    Window* window = FocusWindow();
    return window != nullptr ? window->handle : nullptr;
}

HWND WINAPI GetActiveWindow() {
    Window* window = ActiveWindow();
    return window != nullptr ? window->handle : nullptr;
}

HWND WINAPI SetActiveWindow(HWND handle) {
    HWND previous = GetActiveWindow();
    Window* window = nullptr;
    if (handle != nullptr) {
        window = CheckWindow(handle);
        if (window == nullptr || window->IsChildStyle())
            return nullptr;
    }
    ActivateWindow(window, false);
    return previous;
}

HWND WINAPI GetForegroundWindow() {
    return GetActiveWindow();
}

BOOL WINAPI SetForegroundWindow(HWND handle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    return ActivateWindow(window, false) ? TRUE : FALSE;
}

HWND WINAPI SetCapture(HWND handle) {
    FocusState& s = state();
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return nullptr;
    HWND previous = s.capture;
    s.capture = handle;
    if (previous != handle) {
        if (Window* old = LiveWindow(previous))
            SendTo(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
    }
    return previous;
}

BOOL WINAPI ReleaseCapture() {
    FocusState& s = state();
    HWND previous = s.capture;
    s.capture = nullptr;
    if (Window* old = LiveWindow(previous)) {
        SendTo(old, WM_CAPTURECHANGED, 0, 0);
        // The window under the cursor hears about the mouse again, as after Win32's release.
        CursorTreeChanged();
    }
    return TRUE;
}

HWND WINAPI GetCapture() {
    Window* window = CaptureWindow();
    return window != nullptr ? window->handle : nullptr;
}

} // extern "C"
