// The driver API (platform/driver.h) over the headless screen.
#include "backend/headless/HeadlessBackend.h"
#include "gdi/GdiObjects.h"
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowDriverHooks.h"
#include "internal/WindowManager.h"

#include <platform/wingdi.h>

#include <cstdio>

namespace platform {
namespace {

constexpr int kMessageLimit = 100000;

struct DriverState {
    std::function<void(MSG&)> messageHandler;
    PlatformMenuHook menuHook;
    PlatformMessageBoxHook messageBoxHook;
    RecordLog<PlatformMessageBoxRecord> messageBoxes;
    RecordLog<PlatformMenuRecord> menus;
};

DriverState& driver() {
    static DriverState instance;
    return instance;
}

HeadlessBackend* headless() {
    return dynamic_cast<HeadlessBackend*>(&Backend());
}

void queueMouse(InputEvent::Kind kind, int x, int y, PlatformMouseButton button) {
    InputEvent event;
    event.kind = kind;
    event.point = POINT{x, y};
    event.button = static_cast<int>(button);
    QueueInput(event);
}

void queueKey(InputEvent::Kind kind, UINT virtualKey) {
    InputEvent event;
    event.kind = kind;
    event.virtualKey = virtualKey;
    event.point = CursorPosition();
    QueueInput(event);
}

COLORREF pixelOf(cairo_surface_t* surface, int x, int y) {
    if (surface == nullptr || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
        y >= cairo_image_surface_get_height(surface))
        return CLR_INVALID;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    uint32_t argb = *reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride + x * 4);
    unsigned a = argb >> 24;
    unsigned r = (argb >> 16) & 0xFF;
    unsigned g = (argb >> 8) & 0xFF;
    unsigned b = argb & 0xFF;
    // Premultiplied: undo it for partly transparent pixels.
    if (a != 0 && a != 255) {
        r = r * 255 / a;
        g = g * 255 / a;
        b = b * 255 / a;
    }
    return RGB(r, g, b);
}

} // namespace

const PlatformMenuHook& MenuHook() {
    return driver().menuHook;
}

const PlatformMessageBoxHook& MessageBoxHook() {
    return driver().messageBoxHook;
}

bool KeepsRecords() {
    return !Backend().HasDisplay();
}

void RecordMessageBox(PlatformMessageBoxRecord record) {
    driver().messageBoxes.Add(std::move(record));
}

void RecordMenu(PlatformMenuRecord record) {
    driver().menus.Add(std::move(record));
}

} // namespace platform

using namespace platform;

void PlatformStartHeadless(int width, int height) {
    std::vector<HWND> tops;
    for (Window* w : Desktop()->children)
        tops.push_back(w->handle);
    for (HWND h : tops) {
        if (LiveWindow(h) != nullptr)
            DestroyWindow(h);
    }
    ResetQueue();
    ResetInput();
    ResetFocus();
    gdi::ResetSystemColors();
    SetBackend(CreateHeadlessBackend());
    SetScreenSize(width, height);
}

SIZE PlatformScreenSize() {
    RECT r = ScreenRect();
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void PlatformMouseMove(int x, int y) {
    queueMouse(InputEvent::MouseMove, x, y, PlatformMouseButton::Left);
}

void PlatformMouseDown(int x, int y, PlatformMouseButton button) {
    POINT cursor = CursorPosition();
    if (cursor.x != x || cursor.y != y)
        PlatformMouseMove(x, y);
    queueMouse(InputEvent::ButtonDown, x, y, button);
}

void PlatformMouseUp(int x, int y, PlatformMouseButton button) {
    POINT cursor = CursorPosition();
    if (cursor.x != x || cursor.y != y)
        PlatformMouseMove(x, y);
    queueMouse(InputEvent::ButtonUp, x, y, button);
}

void PlatformClick(int x, int y, PlatformMouseButton button) {
    PlatformMouseDown(x, y, button);
    PlatformMouseUp(x, y, button);
}

void PlatformDoubleClick(int x, int y, PlatformMouseButton button) {
    PlatformClick(x, y, button);
    PlatformClick(x, y, button);
}

void PlatformMouseWheel(int x, int y, int notches) {
    POINT cursor = CursorPosition();
    if (cursor.x != x || cursor.y != y)
        PlatformMouseMove(x, y);
    InputEvent event;
    event.kind = InputEvent::Wheel;
    event.point = POINT{x, y};
    event.wheelDelta = notches * WHEEL_DELTA;
    QueueInput(event);
}

void PlatformKeyDown(UINT virtualKey) {
    queueKey(InputEvent::KeyDown, virtualKey);
}

void PlatformKeyUp(UINT virtualKey) {
    queueKey(InputEvent::KeyUp, virtualKey);
}

void PlatformKeyPress(UINT virtualKey) {
    PlatformKeyDown(virtualKey);
    PlatformKeyUp(virtualKey);
}

void PlatformTypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        InputEvent event;
        event.kind = InputEvent::Char;
        event.character = c;
        event.point = CursorPosition();
        QueueInput(event);
    }
}

bool PlatformRunUntilIdle(int* exitCode) {
    DriverState& d = driver();
    for (int count = 0;; ++count) {
        if (count >= kMessageLimit) {
            std::fprintf(stderr,
                         "PlatformRunUntilIdle: still busy after %d messages; a window that never "
                         "validates in WM_PAINT?\n",
                         kMessageLimit);
            break;
        }
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Work on another thread is not idleness: its result is waited for, so that what a
            // person would see a moment later is there when the program is called idle.
            if (!BackgroundPending())
                break;
            PresentPainted();
            if (!WaitForBackground(HeadlessBackend::kBackgroundWaitMs) && BackgroundPending()) {
                std::fprintf(stderr,
                             "PlatformRunUntilIdle: background work posted nothing for %u ms; "
                             "going on without it\n",
                             static_cast<unsigned>(HeadlessBackend::kBackgroundWaitMs));
                break;
            }
            continue;
        }
        if (msg.message == WM_QUIT) {
            if (exitCode != nullptr)
                *exitCode = static_cast<int>(msg.wParam);
            PresentPainted();
            return false;
        }
        if (d.messageHandler) {
            d.messageHandler(msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    PresentPainted();
    return true;
}

void PlatformAdvanceClock(DWORD milliseconds) {
    HeadlessBackend* backend = headless();
    if (backend == nullptr)
        return;
    DWORD target = backend->Now() + milliseconds;
    int exitCode = 0;
    if (!PlatformRunUntilIdle(&exitCode)) {
        PostQuitMessage(exitCode);
        return;
    }
    for (int guard = 0; guard < kMessageLimit; ++guard) {
        DWORD when = 0;
        if (!NextDueTime(&when) || static_cast<LONG>(when - target) > 0)
            break;
        if (static_cast<LONG>(when - backend->Now()) > 0)
            backend->SetClock(when);
        if (!PlatformRunUntilIdle(&exitCode)) {
            // Leave WM_QUIT for the caller's loop.
            PostQuitMessage(exitCode);
            return;
        }
    }
    if (static_cast<LONG>(target - backend->Now()) > 0)
        backend->SetClock(target);
    if (!PlatformRunUntilIdle(&exitCode))
        PostQuitMessage(exitCode);
}

DWORD PlatformClock() {
    return Backend().Now();
}

void PlatformPaintAll() {
    PaintAllWindows();
    PresentPainted();
}

void PlatformSetMessageHandler(std::function<void(MSG&)> handler) {
    driver().messageHandler = std::move(handler);
}

void PlatformSetIdleHandler(std::function<bool()> handler) {
    HeadlessIdleHandler() = std::move(handler);
}

void PlatformSetPresentHook(std::function<void(HWND)> hook) {
    PresentHook() = std::move(hook);
}

bool PlatformSaveScreenPng(const std::string& path) {
    cairo_surface_t* image = ComposeScreen();
    bool ok = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return ok;
}

bool PlatformSaveWindowPng(HWND handle, const std::string& path) {
    Window* window = LiveWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return false;
    Window* top = TopLevelOf(window);
    if (top->surface == nullptr)
        return false;
    POINT origin = WindowOriginOnSurface(window);
    int width = window->windowRect.right - window->windowRect.left;
    int height = window->windowRect.bottom - window->windowRect.top;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(image);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, top->surface, -origin.x, -origin.y);
    cairo_paint(cr);
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return ok;
}

COLORREF PlatformScreenPixel(int x, int y) {
    cairo_surface_t* image = ComposeScreen();
    COLORREF color = pixelOf(image, x, y);
    cairo_surface_destroy(image);
    return color;
}

COLORREF PlatformWindowPixel(HWND handle, int x, int y) {
    Window* window = LiveWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return CLR_INVALID;
    Window* top = TopLevelOf(window);
    POINT client = ClientOriginOnSurface(window);
    POINT origin = WindowOriginOnSurface(window);
    int sx = client.x + x;
    int sy = client.y + y;
    if (sx < origin.x || sy < origin.y ||
        sx >= origin.x + (window->windowRect.right - window->windowRect.left) ||
        sy >= origin.y + (window->windowRect.bottom - window->windowRect.top))
        return CLR_INVALID;
    return pixelOf(top->surface, sx, sy);
}

void PlatformSetMenuHook(PlatformMenuHook hook) {
    driver().menuHook = std::move(hook);
}

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) {
    driver().messageBoxHook = std::move(hook);
}

const std::vector<PlatformMessageBoxRecord>& PlatformMessageBoxes() {
    return driver().messageBoxes.Records();
}

size_t PlatformMessageBoxCount() {
    return driver().messageBoxes.Count();
}

void PlatformClearMessageBoxes() {
    driver().messageBoxes.Clear();
}

namespace {

// The '&' marks of a caption removed ("&&" stands for one '&').
std::wstring withoutMarks(const std::wstring& caption) {
    std::wstring plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == L'&')
            continue;
        plain += caption[i];
    }
    return plain;
}

// A caption without its trailing mnemonic group, "移除(&R)" -> "移除", as Chinese captions mark
// their mnemonics.
std::wstring withoutMnemonicGroup(const std::wstring& caption) {
    size_t n = caption.size();
    if (n >= 4 && caption[n - 4] == L'(' && caption[n - 3] == L'&' && caption[n - 1] == L')')
        return caption.substr(0, n - 4);
    return withoutMarks(caption);
}

std::optional<UINT> findCaption(const std::vector<PlatformMenuItem>& items, const std::wstring& caption) {
    for (const PlatformMenuItem& item : items) {
        if (!item.separator && item.subMenu.empty() &&
            (item.caption == caption || withoutMarks(item.caption) == withoutMarks(caption) ||
             withoutMnemonicGroup(item.caption) == caption))
            return item.id;
        if (auto inner = findCaption(item.subMenu, caption))
            return inner;
    }
    return std::nullopt;
}

} // namespace

PlatformMenuHook PlatformMenuPickId(UINT id) {
    return [id](HWND, POINT, const std::vector<PlatformMenuItem>&) -> std::optional<UINT> { return id; };
}

PlatformMenuHook PlatformMenuPickCaption(const std::wstring& caption) {
    return [caption](HWND, POINT, const std::vector<PlatformMenuItem>& items) {
        return findCaption(items, caption);
    };
}

const std::vector<PlatformMenuRecord>& PlatformMenus() {
    return driver().menus.Records();
}

size_t PlatformMenuCount() {
    return driver().menus.Count();
}

void PlatformClearMenus() {
    driver().menus.Clear();
}
