// The seam between the window manager and what shows its windows: the headless screen (tests and
// scripted runs) or a display (SDL2).
//
// A backend presents top-level surfaces, hears about top-level windows coming, moving and going,
// owns the clock of the message loop, and feeds input through QueueInput. The window manager
// never draws outside the surfaces; composing the whole screen into one image is a service of
// the window manager (ComposeScreen) that any backend may use.
#pragma once

#include "internal/Window.h"

#include <functional>
#include <memory>

namespace platform {

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Milliseconds of the message clock: message times, timers, double clicks, hover delays.
    virtual DWORD Now() = 0;
    // Called by GetMessageW and WaitMessage when nothing is ready. Waits until input may have
    // been queued or `timeout` milliseconds passed (INFINITE_WAIT: no limit). Returns false when
    // nothing can ever arrive, so that the loop does not hang; the headless screen, which has no
    // wall clock, moves its clock forward by `timeout` instead of sleeping.
    virtual bool WaitForInput(DWORD timeout) = 0;

    virtual void TopLevelCreated(Window* /*window*/) {}
    // Moved, resized, shown, hidden or re-stacked.
    virtual void TopLevelChanged(Window* /*window*/) {}
    virtual void TopLevelDestroyed(Window* /*window*/) {}
    // The top-level's text (its title) changed.
    virtual void TopLevelTextChanged(Window* /*window*/) {}
    // The top-level's surface has new content (painted since the last call).
    virtual void Present(Window* /*window*/) {}
    virtual void CursorChanged(HCURSOR /*cursor*/) {}
    // True when a person sees the windows and gives input: modal menus and message boxes then run
    // their own message loops instead of asking the driver's hooks.
    virtual bool HasDisplay() const { return false; }
};

constexpr DWORD INFINITE_WAIT = 0xFFFFFFFF;

// The headless screen (backend/headless): a virtual clock and no display.
std::unique_ptr<WindowBackend> CreateHeadlessBackend();

// The current backend; the headless screen (1280 x 800) is installed when none was.
WindowBackend& Backend();
// Replaces the backend (the previous one is destroyed). Windows are kept.
void SetBackend(std::unique_ptr<WindowBackend> backend);

// The screen rectangle (0, 0, width, height); resizing it moves nothing.
RECT ScreenRect();
void SetScreenSize(int width, int height);

// One event of raw input, at a screen point for mouse events.
struct InputEvent {
    enum Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Char };
    Kind kind = MouseMove;
    POINT point{0, 0};
    int button = 0;        // 0 left, 1 right, 2 middle
    int wheelDelta = 0;    // multiples of WHEEL_DELTA, positive away from the user
    UINT virtualKey = 0;   // key events
    wchar_t character = 0; // Char events
    DWORD time = 0;        // 0: the backend's Now()
};

// Queues raw input; it becomes window messages when the message loop retrieves it, routed by
// the state of the windows at that moment (as Win32 routes hardware input).
void QueueInput(const InputEvent& event);

// Gives the backend every top-level window painted since its last presentation.
void PresentPainted();

// The hook PlatformSetPresentHook installed; every backend calls it when it has presented a window.
std::function<void(HWND)>& PresentHook();

// Composes the visible top-level windows in z-order onto an image of the screen (a new ARGB32
// surface the caller destroys); the desktop background is COLOR_DESKTOP.
cairo_surface_t* ComposeScreen();

} // namespace platform
