// A small program on the display backend: a window with a push button and a drop-down list,
// driven by SDL events pushed into SDL's queue (as the display would deliver them), then a
// screenshot of the X screen checked by pixels. Exits 0 when everything arrived and showed.
//
// Usage: sdl_smoke SCREENSHOT.png | --lose-display | --refused-request | --destroyed-outside
#include <platform/commctrl.h>
#include <platform/display.h>
#include <platform/windows.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <cairo.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <langinfo.h>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace {

std::vector<std::pair<WORD, WORD>> commands; // (id, code)
bool closed = false;
bool sized = false;
int wheelDelta = 0; // what the wheel panel heard
bool quitSeen = false;

LRESULT CALLBACK WheelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEWHEEL) {
        wheelDelta += GET_WHEEL_DELTA_WPARAM(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_SIZE:
        if (LOWORD(lParam) == 420)
            sized = true;
        return 0;
    case WM_CLOSE:
        closed = true;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Runs the message loop for a while; a timer keeps the loop waking up.
void pump(HWND window, Uint32 milliseconds) {
    SetTimer(window, 1, 10, nullptr);
    Uint32 end = SDL_GetTicks() + milliseconds;
    while (SDL_GetTicks() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            quitSeen = quitSeen || msg.message == WM_QUIT;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        WaitMessage();
    }
    KillTimer(window, 1);
}

void pushButton(Uint32 windowId, int x, int y, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = windowId;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void pushKey(SDL_Keycode key) {
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key;
        SDL_PushEvent(&e);
    }
}

void click(HWND window, int x, int y) {
    Uint32 id = PlatformSdlWindowId(window);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = id;
    move.motion.x = x;
    move.motion.y = y;
    SDL_PushEvent(&move);
    pushButton(id, x, y, true);
    pushButton(id, x, y, false);
}

HWND findList() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(w, name, 32);
            if (std::wstring(name) == L"ComboLBox" && IsWindowVisible(w))
                *reinterpret_cast<HWND*>(p) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "sdl_smoke: %s\n", what);
        ++failures;
    }
}

COLORREF pixel(cairo_surface_t* image, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(image);
    auto argb = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image) + x * 4);
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Cuts every socket of the process, the display's among them, as when the X server goes away.
void cutSockets() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.rfind("socket:", 0) == 0)
            shutdown(std::stoi(entry.path().filename().string()), SHUT_RDWR);
    }
}

// With --lose-display: a window, then the display connection breaks while the loop runs. The
// program must end with its own message and code 3, not crash in Xlib's exit().
int loseDisplay() {
    HWND main = CreateWindowExW(0, L"STATIC", L"lost", WS_POPUP | WS_VISIBLE, 40, 40, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
    pump(main, 200);
    cutSockets();
    pump(main, 500);
    std::fprintf(stderr, "sdl_smoke: the loop went on without a display\n");
    return 1;
}

// A plain shown window of its own class, pumped until the display has it, and the X11 side of
// it; false when the display is not X11.
bool ShownXWindow(const wchar_t* className, HWND& window, SDL_SysWMinfo& info) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, className, className, WS_POPUP | WS_VISIBLE, 40, 40, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    pump(window, 200);
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(SDL_GetWindowFromID(PlatformSdlWindowId(window)), &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        std::fprintf(stderr, "sdl_smoke: not on X11\n");
        return false;
    }
    return true;
}

// With --refused-request: the X server refuses a request (a window that is not there), as it does
// when a request crosses the destruction of its window. The program must say so and go on, not
// end in Xlib's exit() from inside its loop.
int refusedRequest() {
    HWND main = nullptr;
    SDL_SysWMinfo info;
    if (!ShownXWindow(L"SmokeRefused", main, info))
        return 5;
    using MapWindow = int (*)(void*, unsigned long);
    using Sync = int (*)(void*, int);
    auto mapWindow = reinterpret_cast<MapWindow>(dlsym(RTLD_DEFAULT, "XMapWindow"));
    auto sync = reinterpret_cast<Sync>(dlsym(RTLD_DEFAULT, "XSync"));
    if (mapWindow == nullptr || sync == nullptr)
        return 5;
    mapWindow(info.info.x11.display, 0x1FFFFFF);
    sync(info.info.x11.display, 0);
    pump(main, 200);
    if (quitSeen) {
        std::fprintf(stderr, "sdl_smoke: a refusal about another window ended the loop\n");
        return 1;
    }
    DestroyWindow(main);
    return 0;
}

// With --destroyed-outside: something outside the program destroys the window's X window. The
// loop must end (WM_QUIT) instead of running on without a window.
int destroyedOutside() {
    HWND main = nullptr;
    SDL_SysWMinfo info;
    if (!ShownXWindow(L"SmokeDestroyed", main, info))
        return 5;
    using DestroyXWindow = int (*)(void*, unsigned long);
    using Sync = int (*)(void*, int);
    auto destroy = reinterpret_cast<DestroyXWindow>(dlsym(RTLD_DEFAULT, "XDestroyWindow"));
    auto sync = reinterpret_cast<Sync>(dlsym(RTLD_DEFAULT, "XSync"));
    if (destroy == nullptr || sync == nullptr)
        return 5;
    destroy(info.info.x11.display, info.info.x11.window);
    sync(info.info.x11.display, 0);
    for (int turn = 0; turn < 20 && !quitSeen; ++turn) {
        InvalidateRect(main, nullptr, TRUE);
        pump(main, 100);
    }
    if (!quitSeen) {
        std::fprintf(stderr, "sdl_smoke: the loop ran on without its window\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(
            stderr,
            "usage: sdl_smoke SCREENSHOT.png | --lose-display | --refused-request | --destroyed-outside\n");
        return 2;
    }
    if (!PlatformStartSdl())
        return 4;
    if (std::string(argv[1]) == "--lose-display")
        return loseDisplay();
    if (std::string(argv[1]) == "--refused-request")
        return refusedRequest();
    if (std::string(argv[1]) == "--destroyed-outside")
        return destroyedOutside();
    check(PlatformUsesDisplay(), "the display backend is not in use");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"SmokeMain";
    RegisterClassExW(&wc);
    HWND main = CreateWindowExW(0, L"SmokeMain", L"smoke", WS_POPUP | WS_VISIBLE, 40, 40, 400, 240, nullptr,
                                nullptr, nullptr, nullptr);
    CreateWindowExW(0, WC_BUTTONW, L"添加", WS_CHILD | WS_VISIBLE, 20, 20, 100, 30, main,
                    reinterpret_cast<HMENU>(16), nullptr, nullptr);
    HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 20, 70, 160,
                                 200, main, reinterpret_cast<HMENU>(102), nullptr, nullptr);
    for (const wchar_t* item : {L"2024-03-31", L"2024-06-30", L"2024-09-30"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    WNDCLASSEXW wheelClass = wc;
    wheelClass.lpfnWndProc = WheelProc;
    wheelClass.lpszClassName = L"SmokeWheel";
    RegisterClassExW(&wheelClass);
    CreateWindowExW(0, L"SmokeWheel", L"", WS_CHILD | WS_VISIBLE, 260, 120, 120, 80, main, nullptr, nullptr,
                    nullptr);
    pump(main, 300);
    check(PlatformSdlWindowId(main) != 0, "the main window has no SDL window");

    // A title set later reaches the display, in UTF-8, and Xlib can hand it on as UTF-8.
    SetWindowTextW(main, L"基金对比 — 示例数据");
    const char* title = SDL_GetWindowTitle(SDL_GetWindowFromID(PlatformSdlWindowId(main)));
    check(title != nullptr && std::string(title) ==
                                  "\xE5\x9F\xBA\xE9\x87\x91\xE5\xAF\xB9\xE6\xAF\x94 \xE2\x80\x94 "
                                  "\xE7\xA4\xBA\xE4\xBE\x8B\xE6\x95\xB0\xE6\x8D\xAE",
          "the new title did not reach the display");
    check(std::string(nl_langinfo(CODESET)) == "UTF-8", "the character type is not UTF-8");

    click(main, 70, 35);
    pump(main, 200);
    check(!commands.empty() && commands[0] == std::make_pair(WORD(16), WORD(BN_CLICKED)),
          "the button click did not arrive as BN_CLICKED");

    click(main, 60, 80);
    pump(main, 300);
    HWND list = findList();
    check(list != nullptr && PlatformSdlWindowId(list) != 0, "the drop-down list did not open as a window");
    if (list != nullptr) {
        int itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
        click(list, 30, 1 + itemHeight * 2 + itemHeight / 2);
        pump(main, 300);
    }
    check(SendMessageW(combo, CB_GETCURSEL, 0, 0) == 2, "the pick in the list did not select the third item");
    bool selChange = false;
    for (auto& c : commands)
        selChange = selChange || (c.first == 102 && c.second == CBN_SELCHANGE);
    check(selChange, "no CBN_SELCHANGE");

    // The wheel turns the window under the mouse, though the keyboard is in the box.
    {
        Uint32 id = PlatformSdlWindowId(main);
        SDL_Event move{};
        move.type = SDL_MOUSEMOTION;
        move.motion.windowID = id;
        move.motion.x = 300;
        move.motion.y = 150;
        SDL_PushEvent(&move);
        SDL_Event wheel{};
        wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.windowID = id;
        wheel.wheel.y = -1;
        wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
#if SDL_VERSION_ATLEAST(2, 26, 0)
        wheel.wheel.mouseX = 300;
        wheel.wheel.mouseY = 150;
#endif
        SDL_PushEvent(&wheel);
        pump(main, 200);
        check(GetFocus() == combo, "the box lost the keyboard");
        check(wheelDelta == -WHEEL_DELTA, "the wheel did not reach the window under the mouse");
    }

    // Menus and message boxes run their own loops on the display: keys typed ahead answer them.
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 405, L"股票");
    AppendMenuW(menu, MF_STRING, 407, L"从当前对比中移除(&R)");
    pushKey(SDLK_r);
    int picked = TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, main, nullptr);
    check(picked == 407, "the menu did not pick its mnemonic's item");
    DestroyMenu(menu);
    pushKey(SDLK_ESCAPE);
    int answer = MessageBoxW(main, L"最多只能添加100只基金进行对比！", L"提示", MB_OKCANCEL | MB_ICONWARNING);
    check(answer == IDCANCEL, "Escape did not cancel the message box");

    // Resize and close requests from the display become WM_SIZE and WM_CLOSE.
    SDL_Event resize{};
    resize.type = SDL_WINDOWEVENT;
    resize.window.windowID = PlatformSdlWindowId(main);
    resize.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    resize.window.data1 = 420;
    resize.window.data2 = 240;
    SDL_PushEvent(&resize);
    SDL_Event close = resize;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    pump(main, 300);
    check(sized, "a resize did not send WM_SIZE");
    check(closed, "a close request did not send WM_CLOSE");

    std::string command = std::string("import -window root ") + argv[1];
    check(std::system(command.c_str()) == 0, "the screenshot failed");
    cairo_surface_t* shot = cairo_image_surface_create_from_png(argv[1]);
    if (cairo_surface_status(shot) == CAIRO_STATUS_SUCCESS) {
        // The button's face, the window's background, and the box's field on the display.
        check(pixel(shot, 40 + 25, 40 + 35) == GetSysColor(COLOR_BTNFACE), "no button face on the screen");
        check(pixel(shot, 40 + 300, 40 + 200) == GetSysColor(COLOR_WINDOW),
              "no window background on the screen");
        bool text = false;
        for (int x = 40 + 24; x < 40 + 120 && !text; ++x)
            for (int y = 40 + 73; y < 40 + 88 && !text; ++y)
                text = pixel(shot, x, y) == RGB(0, 0, 0) || GetRValue(pixel(shot, x, y)) < 80;
        check(text, "the box's selected text is not on the screen");
    } else {
        check(false, "the screenshot cannot be read");
    }
    cairo_surface_destroy(shot);

    // A request to stop from outside (SIGTERM) ends the message loop; the program is not killed
    // in the middle of its work.
    check(!quitSeen, "the message loop ended before it was asked to");
    std::raise(SIGTERM);
    pump(main, 300);
    check(quitSeen, "SIGTERM did not end the message loop");
    DestroyWindow(main);
    return failures == 0 ? 0 : 1;
}
