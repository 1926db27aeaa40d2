// Creating, re-parenting and destroying windows, with Win32's message order:
//
// CreateWindowExW: WM_GETMINMAXINFO (overlapped windows and sizing frames), WM_NCCREATE (the
// window joins its parent's children after it), WM_NCCALCSIZE, WM_CREATE, then WM_SIZE and
// WM_MOVE for child and pop-up windows (overlapped windows get them at their first showing),
// WM_PARENTNOTIFY(WM_CREATE) up the chain of parents, and ShowWindow for WS_VISIBLE windows.
// WM_NCCREATE answering FALSE ends with WM_NCDESTROY; WM_CREATE answering -1 destroys the window
// as DestroyWindow does. Either way CreateWindowExW returns null.
//
// DestroyWindow: WM_PARENTNOTIFY(WM_DESTROY), hiding (WM_SHOWWINDOW for children), owned pop-ups
// destroyed, activation, focus and capture moved away, WM_DESTROY to the window and then to its
// descendants, WM_NCDESTROY to the descendants and last to the window.
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <algorithm>

namespace platform {
namespace {

int defaultPositionCount = 0;

void sendParentNotify(Window* window, WORD event) {
    HWND handle = window->handle;
    for (Window* w = window; w != nullptr && w->IsChildStyle() && !(w->exStyle & WS_EX_NOPARENTNOTIFY);) {
        Window* parent = w->parent;
        if (parent == nullptr || parent->IsDesktop())
            break;
        SendTo(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, static_cast<WORD>(window->id)),
               reinterpret_cast<LPARAM>(handle));
        if (parent->dead)
            break;
        w = parent;
    }
}

void sendDestroy(Window* window) {
    auto hold = Hold(window);
    SendTo(window, WM_DESTROY, 0, 0);
    if (window->dead)
        return;
    std::vector<HWND> children;
    for (Window* child : window->children)
        children.push_back(child->handle);
    for (HWND child : children) {
        if (Window* w = LiveWindow(child))
            sendDestroy(w);
    }
}

void finalize(Window* window) {
    ForgetInQueue(window);
    ForgetInInput(window);
    ForgetInFocus(window);
    ClearPaintState(window, false);
    bool topLevel = window->IsTopLevel();
    if (topLevel) {
        if (window->created)
            Backend().TopLevelDestroyed(window);
        FreeSurface(window);
        for (Window* other : Desktop()->children) {
            if (other->owner == window)
                other->owner = nullptr;
        }
    }
    UnlinkWindow(window);
    window->parent = nullptr;
    window->owner = nullptr;
    if (window->windowClass != nullptr)
        --window->windowClass->windowCount;
    RetireWindow(window);
}

// WM_NCDESTROY to the descendants first, then to the window, which then leaves the table.
void freeWindow(Window* window) {
    auto hold = Hold(window);
    std::vector<HWND> children;
    for (Window* child : window->children)
        children.push_back(child->handle);
    for (HWND child : children) {
        if (Window* w = LiveWindow(child))
            freeWindow(w);
    }
    if (window->dead)
        return;
    SendTo(window, WM_NCDESTROY, 0, 0);
    if (!window->dead)
        finalize(window);
}

// The whole destruction after the window is hidden; also the failure path of WM_CREATE.
void destroyTree(Window* window) {
    auto hold = Hold(window);
    if (window->IsTopLevel()) {
        for (;;) {
            Window* owned = nullptr;
            for (Window* other : Desktop()->children) {
                if (other->owner == window && !other->destroying) {
                    owned = other;
                    break;
                }
            }
            if (owned == nullptr)
                break;
            DestroyWindow(owned->handle);
        }
        if (window->dead)
            return;
    }
    if (ActiveWindow() == window)
        ActivateOtherWindow(window);
    FocusLeaving(window);
    CaptureLeaving(window);
    if (window->dead)
        return;
    sendDestroy(window);
    if (window->dead)
        return;
    freeWindow(window);
    CursorTreeChanged();
}

void defaultGeometry(DWORD style, int& x, int& y, int& width, int& height) {
    bool overlapped = (style & (WS_CHILD | WS_POPUP)) == 0;
    RECT screen = ScreenRect();
    if (x == CW_USEDEFAULT) {
        if (overlapped) {
            // Cascade new windows as Windows does, 26 pixels apart.
            int step = 26 * (defaultPositionCount++ % 8);
            x = step;
            y = step;
        } else {
            x = 0;
            y = 0;
        }
    }
    if (width == CW_USEDEFAULT) {
        if (overlapped) {
            width = (screen.right - screen.left) * 3 / 4;
            height = (screen.bottom - screen.top) * 3 / 4;
        } else {
            width = 0;
            height = 0;
        }
    }
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
}

bool wantsMinMaxInfo(DWORD style) {
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

void applyMinMaxInfo(Window* window, int& width, int& height) {
    RECT screen = ScreenRect();
    int border =
        BorderWidth(window->style, window->exStyle, window->IsTopLevel() || window->parent == nullptr);
    MINMAXINFO info{};
    info.ptMaxSize = POINT{screen.right + 2 * border, screen.bottom + 2 * border};
    info.ptMaxPosition = POINT{-border, -border};
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendTo(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    width = std::clamp(
        width, static_cast<int>(info.ptMinTrackSize.x),
        std::max(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMaxTrackSize.x)));
    height = std::clamp(
        height, static_cast<int>(info.ptMinTrackSize.y),
        std::max(static_cast<int>(info.ptMinTrackSize.y), static_cast<int>(info.ptMaxTrackSize.y)));
}

} // namespace
} // namespace platform

using namespace platform;

extern "C" {

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parentHandle, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
    auto windowClass = LookUpClass(className, instance);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parent = Desktop();
    Window* owner = nullptr;
    if (parentHandle == HWND_MESSAGE) {
        // Message-only windows: kept hidden below the desktop, never shown.
        style &= ~(WS_VISIBLE | WS_CHILD);
        parentHandle = nullptr;
    }
    if (parentHandle != nullptr && parentHandle != Desktop()->handle) {
        Window* given = CheckWindow(parentHandle);
        if (given == nullptr)
            return nullptr;
        if (style & WS_CHILD)
            parent = given;
        else
            owner = TopLevelOf(given);
    } else if ((style & (WS_CHILD | WS_POPUP)) == WS_CHILD) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (!(style & WS_CHILD) && !(style & WS_POPUP)) {
        // Overlapped windows always have a caption and clip their siblings, as in Win32.
        style |= WS_CAPTION | WS_CLIPSIBLINGS;
        exStyle |= WS_EX_WINDOWEDGE;
    } else if (!(style & WS_CHILD)) {
        style |= WS_CLIPSIBLINGS;
    }
    defaultGeometry(style, x, y, width, height);

    Window* window = NewWindow();
    auto hold = Hold(window);
    window->windowClass = windowClass;
    ++windowClass->windowCount;
    window->procedure = windowClass->info.lpfnWndProc;
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->instance = instance != nullptr ? instance : ExecutableInstance();
    window->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
    window->extra.assign(static_cast<size_t>(windowClass->info.cbWndExtra), 0);
    window->owner = owner;
    window->parent = parent; // not yet among the parent's children: that follows WM_NCCREATE
    window->needSize = (style & (WS_CHILD | WS_POPUP)) == 0;

    CREATESTRUCTW create{};
    create.lpCreateParams = param;
    create.hInstance = window->instance;
    create.hMenu = menu;
    create.hwndParent = parentHandle;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;

    if (wantsMinMaxInfo(style)) {
        applyMinMaxInfo(window, width, height);
        if (window->dead)
            return nullptr;
    }
    window->windowRect = RECT{x, y, x + width, y + height};
    window->clientRect = window->windowRect;
    create.x = x;
    create.y = y;
    create.cx = width;
    create.cy = height;

    if (!SendTo(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        if (!window->dead) {
            SendTo(window, WM_NCDESTROY, 0, 0);
            if (!window->dead)
                finalize(window);
        }
        return nullptr;
    }
    if (window->dead)
        return nullptr;
    LinkWindow(window, parent, (style & WS_CHILD) ? HWND_BOTTOM : HWND_TOP);
    window->created = true;
    if (window->IsTopLevel()) {
        SyncSurface(window);
        Backend().TopLevelCreated(window);
    }
    CalculateClientRect(window);

    if (SendTo(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        if (!window->dead) {
            window->destroying = true;
            destroyTree(window);
        }
        return nullptr;
    }
    if (window->dead)
        return nullptr;
    if (!window->needSize) {
        RECT client = window->clientRect;
        SendTo(window, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(client.right - client.left, client.bottom - client.top));
        if (window->dead)
            return nullptr;
        client = window->clientRect;
        SendTo(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
        if (window->dead)
            return nullptr;
    }
    sendParentNotify(window, WM_CREATE);
    if (window->dead)
        return nullptr;
    if (style & WS_VISIBLE) {
        ShowWindow(window->handle, SW_SHOW);
        if (window->dead)
            return nullptr;
    }
    return window->handle;
}

BOOL WINAPI DestroyWindow(HWND handle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    if (window->IsDesktop()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A second DestroyWindow from a handler of the first one has nothing left to do.
    if (window->destroying)
        return TRUE;
    auto hold = Hold(window);
    window->destroying = true;
    bool child = window->IsChildStyle();
    if (child) {
        sendParentNotify(window, WM_DESTROY);
        if (window->dead)
            return TRUE;
    }
    if (window->style & WS_VISIBLE) {
        // Only child windows get WM_SHOWWINDOW here, as in Win32.
        if (child)
            ShowWindow(handle, SW_HIDE);
        else
            SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        if (window->dead)
            return TRUE;
    }
    destroyTree(window);
    return TRUE;
}

HWND WINAPI SetParent(HWND handle, HWND newParentHandle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return nullptr;
    Window* newParent = newParentHandle != nullptr ? CheckWindow(newParentHandle) : Desktop();
    if (newParent == nullptr)
        return nullptr;
    if (newParent == window || IsDescendant(window, newParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto hold = Hold(window);
    Window* oldParent = window->parent;
    HWND previous = oldParent->handle;
    bool visible = (window->style & WS_VISIBLE) != 0;
    // Win32 hides the window, moves it under its new parent at the same position relative to
    // the new parent's client area, on top of its new siblings, and shows it again.
    if (visible)
        ShowWindow(handle, SW_HIDE);
    if (window->dead)
        return previous;
    bool wasTopLevel = window->IsTopLevel();
    if (wasTopLevel)
        Backend().TopLevelDestroyed(window);
    ClearPaintState(window, true);
    LinkWindow(window, newParent, HWND_TOP);
    if (wasTopLevel && !window->IsTopLevel())
        FreeSurface(window);
    if (window->IsTopLevel()) {
        SyncSurface(window);
        Backend().TopLevelCreated(window);
    }
    if (visible)
        ShowWindow(handle, SW_SHOWNA);
    CursorTreeChanged();
    return previous;
}

} // extern "C"
