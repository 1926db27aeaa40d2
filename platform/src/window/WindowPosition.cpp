// Showing, moving, sizing and stacking windows (ShowWindow, SetWindowPos, MoveWindow), the
// rectangle and coordinate queries, and finding windows by point.
//
// SetWindowPos follows Win32's sequence: WM_WINDOWPOSCHANGING (the handler may change the
// WINDOWPOS), redundant flags dropped, WM_NCCALCSIZE when the size or the frame changes, the new
// geometry and stacking applied, the uncovered and changed areas invalidated, activation
// (WM_CHILDACTIVATE for children), and WM_WINDOWPOSCHANGED with the final values, whose default
// handling sends WM_MOVE and WM_SIZE.
//
// Minimising and maximising are not emulated: the SW_ commands that would do either show the
// window as it is.
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <algorithm>

namespace platform {
namespace {

// SWP_ flags that say nothing changed.
constexpr UINT kNoPositionChange =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE | SWP_NOZORDER;
constexpr UINT kStatusFlags = kNoPositionChange | SWP_FRAMECHANGED | SWP_HIDEWINDOW | SWP_SHOWWINDOW;

RECT offsetRect(RECT rect, POINT by) {
    OffsetRect(&rect, by.x, by.y);
    return rect;
}

// The window rectangle on the screen.
RECT screenRect(const Window* window) {
    if (window->IsDesktop())
        return window->windowRect;
    return offsetRect(window->windowRect, ClientOriginOnScreen(window->parent));
}

RECT clientScreenRect(const Window* window) {
    if (window->IsDesktop())
        return window->clientRect;
    return offsetRect(window->clientRect, ClientOriginOnScreen(window->parent));
}

} // namespace

bool IsOnTopOfSiblings(const Window* window) {
    const bool topLevel = window->parent->IsDesktop();
    for (const Window* sibling : window->parent->children) {
        if (sibling == window)
            return true;
        // Topmost windows stay above normal ones, and owned windows above their owner.
        if (topLevel && (sibling->exStyle & WS_EX_TOPMOST) && !(window->exStyle & WS_EX_TOPMOST))
            continue;
        bool owned = false;
        for (const Window* o = sibling->owner; o != nullptr; o = o->owner)
            owned = owned || o == window;
        if (!owned)
            return false;
    }
    return true;
}

namespace {

// Owned windows stay above their owner: raise them after it, keeping their order.
void raiseOwnedWindows(Window* owner) {
    std::vector<Window*> owned;
    for (Window* w : Desktop()->children) {
        if (w->owner == owner)
            owned.push_back(w);
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        LinkWindow(*it, Desktop(), HWND_TOP);
        raiseOwnedWindows(*it);
    }
}

Window* deepestForInput(Window* parent, POINT point, std::vector<Window*>& skipped, int* hitTest) {
    for (Window* child : parent->children) {
        if (!(child->style & WS_VISIBLE) || std::find(skipped.begin(), skipped.end(), child) != skipped.end())
            continue;
        RECT rect = screenRect(child);
        if (!PtInRect(&rect, point))
            continue;
        if (child->style & WS_DISABLED) {
            *hitTest = HTERROR;
            return child;
        }
        RECT client = clientScreenRect(child);
        if (PtInRect(&client, point)) {
            if (Window* deeper = deepestForInput(child, point, skipped, hitTest))
                return deeper;
        }
        auto hold = Hold(child);
        LRESULT hit = SendTo(child, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        if (child->dead)
            continue;
        if (hit == HTTRANSPARENT) {
            skipped.push_back(child);
            continue;
        }
        *hitTest = static_cast<int>(hit);
        return child;
    }
    return nullptr;
}

Window* childFromPoint(Window* parent, POINT point, UINT flags) {
    RECT client = ClientArea(parent);
    if (!PtInRect(&client, point))
        return nullptr;
    for (Window* child : parent->children) {
        if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE))
            continue;
        if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED))
            continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT))
            continue;
        if (PtInRect(&child->windowRect, point))
            return child;
    }
    return parent;
}

void invalidateAfterMove(Window* window, bool wasVisible, const RECT& oldRect, UINT flags) {
    if (flags & SWP_NOREDRAW)
        return;
    bool isVisible = IsVisibleOnScreen(window);
    bool geometry = !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE) || !(flags & SWP_NOZORDER) ||
                    (flags & (SWP_FRAMECHANGED | SWP_HIDEWINDOW | SWP_SHOWWINDOW));
    if (!geometry)
        return;
    if (window->IsTopLevel()) {
        // A top-level window keeps its surface when it moves; only a new size, a new frame or a
        // new showing needs painting.
        if (isVisible && (!(flags & SWP_NOSIZE) || (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED))))
            Redraw(window, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        return;
    }
    bool parentVisible = IsVisibleOnScreen(window->parent);
    bool moved = !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE) || !(flags & SWP_NOZORDER);
    if (wasVisible && parentVisible && (moved || (flags & SWP_HIDEWINDOW)))
        InvalidateParentArea(window->parent, oldRect);
    if (isVisible)
        Redraw(window, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

} // namespace

int BorderWidth(DWORD style, DWORD exStyle, bool topLevel) {
    int width = 0;
    bool backendFrame = topLevel && ((style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME));
    if (!backendFrame &&
        ((style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)))
        width += 1;
    if (exStyle & WS_EX_STATICEDGE)
        width += 1;
    if (exStyle & WS_EX_CLIENTEDGE)
        width += 2;
    return width;
}

void CalculateClientRect(Window* window) {
    RECT rect = window->windowRect;
    SendTo(window, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    if (!window->dead)
        window->clientRect = rect;
}

bool IsVisibleOnScreen(const Window* window) {
    for (const Window* w = window; w != nullptr && !w->IsDesktop(); w = w->parent) {
        if (!(w->style & WS_VISIBLE))
            return false;
    }
    return window != nullptr;
}

Window* WindowForInput(POINT screenPoint, int* hitTest) {
    std::vector<Window*> skipped;
    int hit = HTNOWHERE;
    Window* window = deepestForInput(Desktop(), screenPoint, skipped, &hit);
    if (hitTest != nullptr)
        *hitTest = hit;
    return window;
}

bool SetWindowPosition(Window* window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (window->IsDesktop()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    auto hold = Hold(window);
    if (insertAfter == window->handle)
        flags |= SWP_NOZORDER;
    if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM &&
        insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
        Window* after = LiveWindow(insertAfter);
        if (after == nullptr || after->parent != window->parent) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
    }
    RECT oldWindow = window->windowRect;
    RECT oldClient = window->clientRect;
    WINDOWPOS position{window->handle, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) {
        position.x = oldWindow.left;
        position.y = oldWindow.top;
    }
    if (flags & SWP_NOSIZE) {
        position.cx = oldWindow.right - oldWindow.left;
        position.cy = oldWindow.bottom - oldWindow.top;
    }
    position.cx = std::max(position.cx, 0);
    position.cy = std::max(position.cy, 0);
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendTo(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
        if (window->dead)
            return false;
    }
    flags = position.flags;
    insertAfter = position.hwndInsertAfter;
    RECT newWindow = oldWindow;
    if (!(flags & SWP_NOMOVE))
        OffsetRect(&newWindow, position.x - oldWindow.left, position.y - oldWindow.top);
    if (!(flags & SWP_NOSIZE)) {
        newWindow.right = newWindow.left + std::max(position.cx, 0);
        newWindow.bottom = newWindow.top + std::max(position.cy, 0);
    }

    // Redundant flags, as Win32 drops them.
    bool wasVisible = (window->style & WS_VISIBLE) != 0;
    bool wasOnScreen = IsVisibleOnScreen(window);
    if (wasVisible) {
        flags &= ~SWP_SHOWWINDOW;
    } else {
        flags &= ~SWP_HIDEWINDOW;
        if (!(flags & SWP_SHOWWINDOW))
            flags |= SWP_NOREDRAW;
    }
    if (newWindow.right - newWindow.left == oldWindow.right - oldWindow.left &&
        newWindow.bottom - newWindow.top == oldWindow.bottom - oldWindow.top)
        flags |= SWP_NOSIZE;
    if (newWindow.left == oldWindow.left && newWindow.top == oldWindow.top)
        flags |= SWP_NOMOVE;
    if (!window->IsChildStyle() && !(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) &&
        ((flags & SWP_NOZORDER) || (insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST))) {
        flags &= ~SWP_NOZORDER;
        insertAfter = HWND_TOP;
    }
    if (!(flags & SWP_NOZORDER)) {
        if (window->IsTopLevel()) {
            if (insertAfter == HWND_TOPMOST)
                window->exStyle |= WS_EX_TOPMOST;
            else if (insertAfter == HWND_NOTOPMOST)
                window->exStyle &= ~WS_EX_TOPMOST;
        }
        if (insertAfter == HWND_TOP && IsOnTopOfSiblings(window))
            flags |= SWP_NOZORDER;
    }

    // The client area: WM_NCCALCSIZE when the size or the frame changes, else it moves along.
    RECT newClient =
        offsetRect(oldClient, POINT{newWindow.left - oldWindow.left, newWindow.top - oldWindow.top});
    if (!(flags & SWP_NOSIZE) || (flags & SWP_FRAMECHANGED)) {
        WINDOWPOS calcPosition = position;
        calcPosition.x = newWindow.left;
        calcPosition.y = newWindow.top;
        calcPosition.cx = newWindow.right - newWindow.left;
        calcPosition.cy = newWindow.bottom - newWindow.top;
        calcPosition.flags = flags;
        NCCALCSIZE_PARAMS params{{newWindow, oldWindow, oldClient}, &calcPosition};
        SendTo(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        if (window->dead)
            return false;
        newClient = params.rgrc[0];
    }
    if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
        newClient.bottom - newClient.top == oldClient.bottom - oldClient.top)
        flags |= SWP_NOCLIENTSIZE;
    if (newClient.left == oldClient.left && newClient.top == oldClient.top)
        flags |= SWP_NOCLIENTMOVE;

    // Apply.
    window->windowRect = newWindow;
    window->clientRect = newClient;
    if (!(flags & SWP_NOZORDER)) {
        LinkWindow(window, window->parent, insertAfter);
        if (window->IsTopLevel() && !(flags & SWP_NOOWNERZORDER))
            raiseOwnedWindows(window);
    }
    if (flags & SWP_SHOWWINDOW)
        window->style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) {
        window->style &= ~WS_VISIBLE;
        ClearPaintState(window, true);
    }
    if (window->IsTopLevel()) {
        if (!(flags & SWP_NOSIZE))
            SyncSurface(window);
        Backend().TopLevelChanged(window);
    }
    invalidateAfterMove(window, wasOnScreen, oldWindow, flags);
    if ((flags & kStatusFlags) != kNoPositionChange || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
        CursorTreeChanged();

    if (!(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW))) {
        if (window->IsChildStyle())
            SendTo(window, WM_CHILDACTIVATE, 0, 0);
        else
            ActivateWindow(window, false);
        if (window->dead)
            return true;
    }
    if ((flags & kStatusFlags) != kNoPositionChange) {
        // WM_WINDOWPOSCHANGED always carries the final geometry, even with SWP_NOSENDCHANGING.
        position.hwndInsertAfter = insertAfter;
        position.x = window->windowRect.left;
        position.y = window->windowRect.top;
        position.cx = window->windowRect.right - window->windowRect.left;
        position.cy = window->windowRect.bottom - window->windowRect.top;
        position.flags = flags;
        SendTo(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    }
    return true;
}

} // namespace platform

using namespace platform;

extern "C" {

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    return SetWindowPosition(window, insertAfter, x, y, cx, cy, flags) ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!repaint)
        flags |= SWP_NOREDRAW;
    return SetWindowPos(handle, nullptr, x, y, width, height, flags);
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return FALSE;
    auto hold = Hold(window);
    bool wasVisible = (window->style & WS_VISIBLE) != 0;
    bool child = window->IsChildStyle();
    UINT flags = 0;
    switch (command) {
    case SW_HIDE:
        if (!wasVisible)
            return FALSE;
        flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        break;
    case SW_SHOWNA:
    case SW_SHOWMINNOACTIVE:
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
        if (child)
            flags |= SWP_NOZORDER;
        break;
    case SW_SHOW:
        if (wasVisible)
            return TRUE;
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        break;
    case SW_SHOWNOACTIVATE:
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
        if (command == SW_MINIMIZE)
            flags |= SWP_NOACTIVATE;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool show = command != SW_HIDE;
    if (show != wasVisible || command == SW_SHOWNA) {
        SendTo(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (window->dead)
            return wasVisible;
    }
    // ShowWindow never activates a child window.
    if (child)
        flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    if (!window->parent->IsDesktop() && !IsVisibleOnScreen(window->parent)) {
        // Under a hidden parent only the style changes, as in Win32.
        if (show)
            window->style |= WS_VISIBLE;
        else
            window->style &= ~WS_VISIBLE;
    } else {
        SetWindowPosition(window, HWND_TOP, 0, 0, 0, 0, flags);
    }
    if (window->dead)
        return wasVisible;
    if (!show) {
        if (ActiveWindow() == window)
            ActivateOtherWindow(window);
        FocusLeaving(window);
        return wasVisible;
    }
    if (window->needSize) {
        // Overlapped windows get their first WM_SIZE and WM_MOVE now (see CreateWindowExW).
        window->needSize = false;
        RECT client = window->clientRect;
        SendTo(window, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(client.right - client.left, client.bottom - client.top));
        if (!window->dead) {
            client = window->clientRect;
            SendTo(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
        }
    }
    return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
    Window* window = LiveWindow(handle);
    return window != nullptr && IsVisibleOnScreen(window) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND) {
    return FALSE;
}

BOOL WINAPI IsZoomed(HWND) {
    return FALSE;
}

BOOL WINAPI BringWindowToTop(HWND handle) {
    return SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || rect == nullptr)
        return FALSE;
    *rect = ClientArea(window);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || rect == nullptr)
        return FALSE;
    *rect = screenRect(window);
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD exStyle) {
    if (rect == nullptr)
        return FALSE;
    int border = BorderWidth(style, exStyle, !(style & WS_CHILD));
    InflateRect(rect, border, border);
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || point == nullptr)
        return FALSE;
    POINT origin = ClientOriginOnScreen(window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || point == nullptr)
        return FALSE;
    POINT origin = ClientOriginOnScreen(window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND fromHandle, HWND toHandle, LPPOINT points, UINT count) {
    Window* from = fromHandle != nullptr ? CheckWindow(fromHandle) : Desktop();
    Window* to = toHandle != nullptr ? CheckWindow(toHandle) : Desktop();
    if (from == nullptr || to == nullptr)
        return 0;
    POINT a = ClientOriginOnScreen(from);
    POINT b = ClientOriginOnScreen(to);
    int dx = a.x - b.x;
    int dy = a.y - b.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(static_cast<short>(dx)), static_cast<WORD>(static_cast<short>(dy)));
}

HWND WINAPI WindowFromPoint(POINT point) {
    int hit = HTNOWHERE;
    Window* window = WindowForInput(point, &hit);
    // A disabled window is not an answer: its nearest enabled ancestor is.
    while (window != nullptr && (window->style & WS_DISABLED) && window->IsChildStyle())
        window = window->parent;
    if (window != nullptr && (window->style & WS_DISABLED))
        return nullptr;
    return window != nullptr ? window->handle : nullptr;
}

HWND WINAPI ChildWindowFromPointEx(HWND parentHandle, POINT point, UINT flags) {
    Window* parent = CheckWindow(parentHandle);
    if (parent == nullptr)
        return nullptr;
    Window* window = childFromPoint(parent, point, flags);
    return window != nullptr ? window->handle : nullptr;
}

HWND WINAPI ChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

HWND WINAPI RealChildWindowFromPoint(HWND parent, POINT point) {
    return ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

} // extern "C"
