// The display backend over SDL2 (platform/display.h).
//
// Each visible top-level window has one SDL window of its window rectangle's size at its screen
// position; hiding a top-level hides it, and destroying it hides it too and keeps it for the next
// top-level of its kind (see "Display windows outlive their top-levels" below). Presenting
// converts the top-level's cairo surface (premultiplied ARGB32, opaque in practice) into the SDL
// window's surface. SDL's events become raw input for the window manager (QueueInput) at screen
// points, or window calls for moves, resizes (WM_SIZE follows) and close requests (WM_CLOSE is
// posted).
//
// Characters: key presses make their characters through TranslateMessage, as on Windows, so
// SDL's text events are used only for what no key press gives (an input method's text).
//
// Display windows outlive their top-levels. While the program waits for input, SDL names its most
// recently created window as the one that a wake-up (an event pushed by SDL itself or by another
// thread) is sent to, through a second connection to the X server. Menus and tips are the newest
// windows and come and go within a fraction of a second: a wake-up sent to one just before it was
// destroyed reaches the server after the destruction, the server answers BadWindow, and Xlib's
// default answer to that is to end the process from inside the event loop. So an SDL window is
// never destroyed while the program runs: it is hidden and shown again for the next top-level
// with the same window flags. Their number is the most top-levels of one kind ever open at once.
//
// X errors. Should the server still refuse a request, the error is reported on stderr and the
// program goes on; Xlib's default handler would call exit() on whatever thread met the error,
// running the program's destructors under its live windows.
// A refused request that names one of the program's own windows means that something outside
// the program (a tool, a misbehaving desktop) destroyed it: the program would run on without a
// window to show or close. It then ends as on a request to stop, saving what it saves on exit.
#include "internal/Utf8.h"
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/display.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <dlfcn.h>
#include <langinfo.h>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

UINT virtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<UINT>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<UINT>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_UP:
        return VK_UP;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_END:
        return VK_END;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_LSHIFT:
        return VK_LSHIFT;
    case SDLK_RSHIFT:
        return VK_RSHIFT;
    case SDLK_LCTRL:
        return VK_LCONTROL;
    case SDLK_RCTRL:
        return VK_RCONTROL;
    case SDLK_LALT:
        return VK_LMENU;
    case SDLK_RALT:
        return VK_RMENU;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_COMMA:
        return VK_OEM_COMMA;
    case SDLK_PERIOD:
        return VK_OEM_PERIOD;
    case SDLK_MINUS:
        return VK_OEM_MINUS;
    case SDLK_EQUALS:
        return VK_OEM_PLUS;
    case SDLK_SEMICOLON:
        return VK_OEM_1;
    case SDLK_SLASH:
        return VK_OEM_2;
    case SDLK_BACKQUOTE:
        return VK_OEM_3;
    case SDLK_LEFTBRACKET:
        return VK_OEM_4;
    case SDLK_BACKSLASH:
        return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
        return VK_OEM_6;
    case SDLK_QUOTE:
        return VK_OEM_7;
    default:
        return 0;
    }
}

// A message posted from another thread wakes SDL_WaitEvent with an event of this type; the loop
// then finds the message in the queue. SDL_PushEvent may be called from any thread; the lock keeps
// a wake-up from running into the backend's teardown.
struct Wake {
    std::mutex mutex;
    Uint32 type = static_cast<Uint32>(-1); // -1 while no display loop listens
};

Wake& wake() {
    static Wake* instance = new Wake; // worker threads may wake the loop while statics are destroyed
    return *instance;
}

void wakeDisplayLoop() {
    Wake& w = wake();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (w.type == static_cast<Uint32>(-1))
        return;
    SDL_Event event{};
    event.type = w.type;
    SDL_PushEvent(&event);
}

// The X windows behind the SDL windows, for the error handler, which may run on any thread.
// SDL windows are never destroyed while the program runs, so the list only grows; but SDL makes a
// window's X window anew when it first gives it an accelerated surface, so a window is listed
// again when it is first drawn.
struct OwnWindows {
    static constexpr int kMost = 256;
    std::atomic<unsigned long> ids[kMost] = {};
    std::atomic<int> count{0};
    std::atomic<bool> lost{false};

    void Add(SDL_Window* window) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
            return;
        const unsigned long id = static_cast<unsigned long>(info.info.x11.window);
        const int at = count.load();
        if (at >= kMost || Has(id))
            return;
        ids[at].store(id);
        count.store(at + 1);
    }
    bool Has(unsigned long id) const {
        const int n = count.load();
        for (int i = 0; i < n; ++i)
            if (ids[i].load() == id)
                return true;
        return false;
    }
};

OwnWindows& ownWindows() {
    static OwnWindows* instance = new OwnWindows; // the error handler may run during exit
    return *instance;
}

class SdlBackend : public WindowBackend {
public:
    SdlBackend() {
        {
            std::lock_guard<std::mutex> lock(wake().mutex);
            wake().type = SDL_RegisterEvents(1);
        }
        SetCrossThreadWake(&wakeDisplayLoop);
    }
    ~SdlBackend() override {
        SetCrossThreadWake(nullptr);
        {
            std::lock_guard<std::mutex> lock(wake().mutex);
            wake().type = static_cast<Uint32>(-1);
        }
        for (auto& [handle, shown] : m_windows)
            SDL_DestroyWindow(shown.sdl);
        for (const Shown& spare : m_spares)
            SDL_DestroyWindow(spare.sdl);
    }

    DWORD Now() override { return SDL_GetTicks(); }
    bool HasDisplay() const override { return true; }

    bool WaitForInput(DWORD timeout) override {
        SDL_Event event;
        // SDL wakes its wait by a message to one of the program's X windows; with one of them
        // destroyed from outside, a wake-up may go nowhere, so the wait is cut into short ones.
        if (m_windowGone && (timeout == INFINITE_WAIT || timeout > kShortWait))
            timeout = kShortWait;
        int got = timeout == INFINITE_WAIT ? SDL_WaitEvent(&event)
                                           : SDL_WaitEventTimeout(&event, static_cast<int>(timeout));
        if (got != 0) {
            handle(event);
            while (SDL_PollEvent(&event) != 0)
                handle(event);
        }
        if (ownWindows().lost.exchange(false) && !m_windowGone) {
            m_windowGone = true;
            std::fprintf(stderr, "fundhost: a window of the program was destroyed from outside; ending\n");
            PostQuitMessage(0);
        }
        return true; // a display can always bring more input
    }

    void TopLevelCreated(Window* window) override { sync(window); }
    void TopLevelChanged(Window* window) override { sync(window); }

    // Kept hidden for the next top-level of its kind (see the file's comment).
    void TopLevelDestroyed(Window* window) override {
        auto it = m_windows.find(window->handle);
        if (it == m_windows.end())
            return;
        Shown shown = it->second;
        m_byId.erase(SDL_GetWindowID(shown.sdl));
        m_windows.erase(it);
        hide(shown.sdl);
        m_spares.push_back(shown);
    }

    void TopLevelTextChanged(Window* window) override {
        auto it = m_windows.find(window->handle);
        if (it != m_windows.end())
            SDL_SetWindowTitle(it->second.sdl, Utf8(window->text).c_str());
    }

    void Present(Window* window) override {
        auto it = m_windows.find(window->handle);
        if (it == m_windows.end() || window->surface == nullptr)
            return;
        SDL_Surface* target = SDL_GetWindowSurface(it->second.sdl);
        if (target == nullptr)
            return;
        if (!it->second.listed) {
            ownWindows().Add(it->second.sdl);
            it->second.listed = true;
        }
        cairo_surface_flush(window->surface);
        int width = std::min(cairo_image_surface_get_width(window->surface), target->w);
        int height = std::min(cairo_image_surface_get_height(window->surface), target->h);
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888,
                          cairo_image_surface_get_data(window->surface),
                          cairo_image_surface_get_stride(window->surface), target->format->format,
                          target->pixels, target->pitch);
        SDL_UpdateWindowSurface(it->second.sdl);
        if (auto& hook = PresentHook(); hook)
            hook(window->handle);
    }

    unsigned IdOf(HWND handle) const {
        auto it = m_windows.find(handle);
        return it == m_windows.end() ? 0 : SDL_GetWindowID(it->second.sdl);
    }

private:
    // An SDL window and the flags it was created with, which are what decides whether a kept
    // window can show another top-level (SDL cannot change most of them afterwards).
    struct Shown {
        SDL_Window* sdl = nullptr;
        Uint32 flags = 0;
        bool listed = false; // its X window, as drawn on, is in ownWindows()
    };

    static Uint32 flagsOf(const Window* window) {
        Uint32 flags = 0;
        bool decorated = (window->style & WS_CAPTION) == WS_CAPTION;
        if (!decorated)
            flags |= SDL_WINDOW_BORDERLESS;
        if (window->style & WS_THICKFRAME)
            flags |= SDL_WINDOW_RESIZABLE;
        if (window->exStyle & WS_EX_TOPMOST)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        if (window->exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST))
            flags |= SDL_WINDOW_SKIP_TASKBAR;
        if (!decorated && (window->exStyle & WS_EX_NOACTIVATE))
            flags |= SDL_WINDOW_POPUP_MENU;
        return flags;
    }

    // A kept window created with these flags, taken out of the spares; null when there is none.
    SDL_Window* takeSpare(Uint32 flags) {
        for (auto it = m_spares.begin(); it != m_spares.end(); ++it) {
            if (it->flags == flags) {
                SDL_Window* sdl = it->sdl;
                m_spares.erase(it);
                return sdl;
            }
        }
        return nullptr;
    }

    void sync(Window* window) {
        if (window->dead)
            return;
        const RECT& r = window->windowRect;
        int width = std::max(1, static_cast<int>(r.right - r.left));
        int height = std::max(1, static_cast<int>(r.bottom - r.top));
        bool visible = (window->style & WS_VISIBLE) != 0;
        auto it = m_windows.find(window->handle);
        if (it == m_windows.end()) {
            if (!visible)
                return;
            Uint32 flags = flagsOf(window);
            SDL_Window* created = takeSpare(flags);
            if (created != nullptr) {
                SDL_SetWindowTitle(created, Utf8(window->text).c_str());
            } else {
                created = SDL_CreateWindow(Utf8(window->text).c_str(), r.left, r.top, width, height,
                                           flags | SDL_WINDOW_HIDDEN);
                if (created == nullptr) {
                    std::fprintf(stderr, "display: cannot create a window: %s\n", SDL_GetError());
                    return;
                }
                ownWindows().Add(created);
            }
            it = m_windows.emplace(window->handle, Shown{created, flags}).first;
            if (flags & SDL_WINDOW_RESIZABLE) {
                // The display enforces the smallest size the window accepts while the user drags.
                MINMAXINFO info{};
                info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
                SendMessageW(window->handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
                if (info.ptMinTrackSize.x > 0 && info.ptMinTrackSize.y > 0)
                    SDL_SetWindowMinimumSize(created, info.ptMinTrackSize.x, info.ptMinTrackSize.y);
            }
            m_byId[SDL_GetWindowID(created)] = window->handle;
        }
        SDL_Window* sdl = it->second.sdl;
        if (!visible) {
            hide(sdl);
            return;
        }
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        SDL_GetWindowPosition(sdl, &x, &y);
        SDL_GetWindowSize(sdl, &w, &h);
        if (x != r.left || y != r.top)
            SDL_SetWindowPosition(sdl, r.left, r.top);
        if (w != width || h != height)
            SDL_SetWindowSize(sdl, width, height);
        if (!(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN)) {
            SDL_ShowWindow(sdl);
            window->presentPending = true;
        }
        if (window->exStyle & WS_EX_TOPMOST)
            SDL_RaiseWindow(sdl);
    }

    Window* windowOf(Uint32 id) const {
        auto it = m_byId.find(id);
        return it == m_byId.end() ? nullptr : LiveWindow(it->second);
    }

    void mouse(InputEvent::Kind kind, Uint32 id, int x, int y, int button = 0) {
        Window* window = windowOf(id);
        if (window == nullptr)
            return;
        InputEvent event;
        event.kind = kind;
        event.point = POINT{window->windowRect.left + x, window->windowRect.top + y};
        event.button = button;
        QueueInput(event);
    }

    void handle(const SDL_Event& e) {
        switch (e.type) {
        case SDL_MOUSEMOTION:
            mouse(InputEvent::MouseMove, e.motion.windowID, e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int button = e.button.button == SDL_BUTTON_RIGHT    ? 1
                         : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                : 0;
            if (e.button.button > SDL_BUTTON_RIGHT)
                break;
            mouse(e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::ButtonDown : InputEvent::ButtonUp,
                  e.button.windowID, e.button.x, e.button.y, button);
            break;
        }
        case SDL_MOUSEWHEEL: {
            InputEvent event;
            event.kind = InputEvent::Wheel;
            event.point = CursorPosition();
#if SDL_VERSION_ATLEAST(2, 26, 0)
            // The wheel turns what is under the mouse, so the point is the event's own rather
            // than the last motion the queue has handed out.
            if (Window* window = windowOf(e.wheel.windowID))
                event.point =
                    POINT{window->windowRect.left + e.wheel.mouseX, window->windowRect.top + e.wheel.mouseY};
#endif
            int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            event.wheelDelta = notches * WHEEL_DELTA;
            if (notches != 0)
                QueueInput(event);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            UINT key = virtualKeyOf(e.key.keysym.sym);
            if (key == 0)
                break;
            InputEvent event;
            event.kind = e.type == SDL_KEYDOWN ? InputEvent::KeyDown : InputEvent::KeyUp;
            event.virtualKey = key;
            event.point = CursorPosition();
            QueueInput(event);
            break;
        }
        case SDL_TEXTINPUT:
            for (wchar_t c : FromUtf8(e.text.text)) {
                if (c < 0x80)
                    continue; // made by TranslateMessage from the key press
                InputEvent event;
                event.kind = InputEvent::Char;
                event.character = c;
                event.point = CursorPosition();
                QueueInput(event);
            }
            break;
        case SDL_WINDOWEVENT:
            windowEvent(e.window);
            break;
        case SDL_QUIT:
            // The session ends or someone asked the program to stop (SIGTERM, SIGINT): the
            // message loop ends as after the main window's destruction, and the program
            // shuts down in its usual order. Closing the last window alone does not come here.
            PostQuitMessage(0);
            break;
        default:
            break;
        }
    }

    void windowEvent(const SDL_WindowEvent& e) {
        Window* window = windowOf(e.windowID);
        if (window == nullptr)
            return;
        HWND handle = window->handle;
        switch (e.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (e.data1 != window->windowRect.right - window->windowRect.left ||
                e.data2 != window->windowRect.bottom - window->windowRect.top)
                SetWindowPos(handle, nullptr, 0, 0, e.data1, e.data2,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case SDL_WINDOWEVENT_MOVED:
            if (e.data1 != window->windowRect.left || e.data2 != window->windowRect.top)
                SetWindowPos(handle, nullptr, e.data1, e.data2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            Present(window);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            PostMessageW(handle, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    }

    std::map<HWND, Shown> m_windows;
    std::map<Uint32, HWND> m_byId;
    std::vector<Shown> m_spares; // hidden, for the next top-level of their kind
    // SDL waits for the display to confirm a hidden window, which never comes for a window that
    // is no longer there: once one was destroyed from outside the program only ends, and hides
    // nothing.
    void hide(SDL_Window* sdl) {
        if (!m_windowGone && !ownWindows().lost.load())
            SDL_HideWindow(sdl);
    }

    static constexpr DWORD kShortWait = 20;
    bool m_windowGone = false; // one of the program's X windows was destroyed from outside
};

SdlBackend* current() {
    return dynamic_cast<SdlBackend*>(&Backend());
}

} // namespace
} // namespace platform

using namespace platform;

namespace {

// Xlib hands window titles to the desktop through the C library's character type, which stays
// "C" (ASCII) until the program sets it: titles then arrive as mojibake and without their UTF-8
// property. The user's own setting is taken when it is UTF-8, C.UTF-8 otherwise.
void useUtf8CharacterType() {
    auto isUtf8 = [] {
        std::string codeset = nl_langinfo(CODESET);
        return codeset == "UTF-8" || codeset == "utf8";
    };
    if (std::setlocale(LC_CTYPE, "") != nullptr && isUtf8())
        return;
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
        std::setlocale(LC_CTYPE, "C");
}

// Xlib's own answer to a lost display connection (the X server stopped or went away) is exit(),
// from inside whatever the program was doing: destructors of objects still in use then run and
// the program crashes on its way out. Everything the user chose is already saved when it
// changes, so the program says what happened and ends at once instead.
int displayLost(void*) {
    static const char message[] = "fundhost: the connection to the display was lost\n";
    ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    (void)written;
    _exit(3);
}

// Xlib's XErrorEvent, as its header lays it out.
struct XErrorEventMirror {
    int type;
    void* display;
    unsigned long resourceId;
    unsigned long serial;
    unsigned char errorCode;
    unsigned char requestCode;
    unsigned char minorCode;
};

using XGetErrorTextFunction = int (*)(void*, int, char*, int);

XGetErrorTextFunction& errorText() {
    static XGetErrorTextFunction function = nullptr;
    return function;
}

// A request the server refused: said on stderr, and the program goes on (see the file's comment).
int displayRefused(void* display, XErrorEventMirror* error) {
    char text[160] = "unknown error";
    if (errorText() != nullptr)
        errorText()(display, error->errorCode, text, sizeof text);
    std::fprintf(stderr, "fundhost: X error: %s (request %u.%u, resource 0x%lx)\n", text,
                 static_cast<unsigned>(error->requestCode), static_cast<unsigned>(error->minorCode),
                 error->resourceId);
    const unsigned char kBadWindow = 3, kBadDrawable = 9;
    if ((error->errorCode == kBadWindow || error->errorCode == kBadDrawable) &&
        ownWindows().Has(error->resourceId))
        ownWindows().lost.store(true);
    return 0;
}

void answerDisplayErrors() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::string(driver) != "x11")
        return;
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr)
        return;
    using IoHandler = int (*)(void*);
    auto setIoHandler = reinterpret_cast<IoHandler (*)(IoHandler)>(dlsym(xlib, "XSetIOErrorHandler"));
    if (setIoHandler != nullptr)
        setIoHandler(displayLost);
    using Handler = int (*)(void*, XErrorEventMirror*);
    auto setHandler = reinterpret_cast<Handler (*)(Handler)>(dlsym(xlib, "XSetErrorHandler"));
    errorText() = reinterpret_cast<XGetErrorTextFunction>(dlsym(xlib, "XGetErrorText"));
    if (setHandler != nullptr)
        setHandler(displayRefused);
    // SDL keeps the library loaded; the reference taken here is given back.
    dlclose(xlib);
}

} // namespace

bool PlatformStartSdl() {
    if (current() != nullptr)
        return true;
    useUtf8CharacterType();
    // Only the program decides when its last window closing ends it; SDL_QUIT then means a
    // request from outside.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "display: SDL cannot start: %s\n", SDL_GetError());
        return false;
    }
    answerDisplayErrors();
    SDL_Rect bounds{0, 0, 1280, 800};
    SDL_GetDisplayBounds(0, &bounds);
    SetBackend(std::make_unique<SdlBackend>());
    SetScreenSize(bounds.w, bounds.h);
    SDL_StartTextInput();
    for (platform::Window* w : Desktop()->children)
        Backend().TopLevelChanged(w);
    return true;
}

bool PlatformUsesDisplay() {
    return current() != nullptr;
}

unsigned PlatformSdlWindowId(HWND window) {
    SdlBackend* backend = current();
    return backend != nullptr ? backend->IdOf(window) : 0;
}
