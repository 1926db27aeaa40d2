// The screen: its size, the backend that shows it, presentation of painted top-level windows and
// the composition of the whole screen into one image.
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/wingdi.h>

namespace platform {
namespace {

struct ScreenState {
    std::unique_ptr<WindowBackend> backend;
    int width = 1280;
    int height = 800;
};

ScreenState& screen() {
    static ScreenState* instance = new ScreenState; // lives as long as the windows it shows
    return *instance;
}

} // namespace

WindowBackend& Backend() {
    ScreenState& s = screen();
    if (s.backend == nullptr) {
        MarkUiThread();
        s.backend = CreateHeadlessBackend();
    }
    return *s.backend;
}

void SetBackend(std::unique_ptr<WindowBackend> backend) {
    // The thread that sets the screen up is the one that runs its windows.
    MarkUiThread();
    screen().backend = std::move(backend);
}

RECT ScreenRect() {
    return RECT{0, 0, screen().width, screen().height};
}

void SetScreenSize(int width, int height) {
    ScreenState& s = screen();
    s.width = width > 0 ? width : 1;
    s.height = height > 0 ? height : 1;
    Window* desktop = Desktop();
    desktop->windowRect = ScreenRect();
    desktop->clientRect = desktop->windowRect;
}

std::function<void(HWND)>& PresentHook() {
    static std::function<void(HWND)> hook;
    return hook;
}

void PresentPainted() {
    std::vector<HWND> painted;
    for (Window* w : Desktop()->children) {
        if (w->presentPending)
            painted.push_back(w->handle);
    }
    for (HWND h : painted) {
        if (Window* w = LiveWindow(h)) {
            w->presentPending = false;
            Backend().Present(w);
        }
    }
}

cairo_surface_t* ComposeScreen() {
    RECT rect = ScreenRect();
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, rect.right, rect.bottom);
    cairo_t* cr = cairo_create(image);
    COLORREF desktop = GetSysColor(COLOR_DESKTOP);
    cairo_set_source_rgb(cr, GetRValue(desktop) / 255.0, GetGValue(desktop) / 255.0,
                         GetBValue(desktop) / 255.0);
    cairo_paint(cr);
    const auto& tops = Desktop()->children;
    // Bottom to top.
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Window* w = *it;
        if (!(w->style & WS_VISIBLE) || w->surface == nullptr)
            continue;
        cairo_set_source_surface(cr, w->surface, w->windowRect.left, w->windowRect.top);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(image);
    return image;
}

} // namespace platform
