// The process-wide window table, the window tree and its coordinate helpers, and the USER32
// calls that only read the tree (GetParent, GetWindow, IsChild, GetDlgItem, EnumChildWindows...).
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <algorithm>
#include <unordered_map>

namespace platform {

Window::~Window() {
    if (update != nullptr)
        cairo_region_destroy(update);
    if (surface != nullptr)
        cairo_surface_destroy(surface);
}

namespace {

struct WindowTable {
    std::unordered_map<HWND, std::shared_ptr<Window>> windows;
    // Handles look like Win32's: small even numbers, never reused.
    ULONG_PTR nextHandle = 0x10010;
    Window* desktop = nullptr;
};

WindowTable& table() {
    static WindowTable* instance = new WindowTable; // never freed: windows may outlive static destructors
    return *instance;
}

void collect(Window* window, std::vector<HWND>& out) {
    for (Window* child : window->children) {
        out.push_back(child->handle);
        collect(child, out);
    }
}

} // namespace

Window* LiveWindow(HWND handle) {
    if (handle == nullptr)
        return nullptr;
    auto& windows = table().windows;
    auto it = windows.find(handle);
    if (it == windows.end() || it->second->dead)
        return nullptr;
    return it->second.get();
}

Window* CheckWindow(HWND handle) {
    Window* window = LiveWindow(handle);
    if (window == nullptr)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

std::shared_ptr<Window> Hold(Window* window) {
    if (window == nullptr)
        return nullptr;
    auto& windows = table().windows;
    auto it = windows.find(window->handle);
    if (it == windows.end())
        return nullptr;
    return it->second;
}

Window* NewWindow() {
    WindowTable& t = table();
    auto window = std::make_shared<Window>();
    window->handle = reinterpret_cast<HWND>(t.nextHandle);
    t.nextHandle += 2;
    Window* raw = window.get();
    t.windows.emplace(raw->handle, std::move(window));
    return raw;
}

void RetireWindow(Window* window) {
    window->dead = true;
    table().windows.erase(window->handle);
}

Window* Desktop() {
    WindowTable& t = table();
    if (t.desktop == nullptr) {
        Window* desktop = NewWindow();
        desktop->windowClass = LookUpClass(MAKEINTATOM(32769), nullptr);
        desktop->procedure = DefWindowProcW;
        desktop->style = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        desktop->windowRect = ScreenRect();
        desktop->clientRect = desktop->windowRect;
        desktop->created = true;
        t.desktop = desktop;
    }
    return t.desktop;
}

std::vector<HWND> AllWindows() {
    std::vector<HWND> out;
    collect(Desktop(), out);
    return out;
}

void UnlinkWindow(Window* window) {
    if (window->parent == nullptr)
        return;
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
}

void LinkWindow(Window* window, Window* parent, HWND insertAfter) {
    UnlinkWindow(window);
    window->parent = parent;
    auto& siblings = parent->children;
    bool topLevel = parent->IsDesktop();
    bool topmost = topLevel && (window->exStyle & WS_EX_TOPMOST) != 0;
    // The band of siblings the window may stand in: topmost top-level windows stay above the rest.
    auto bandBegin = siblings.begin();
    auto bandEnd = siblings.end();
    if (topLevel) {
        auto firstNormal = std::find_if(siblings.begin(), siblings.end(),
                                        [](Window* w) { return (w->exStyle & WS_EX_TOPMOST) == 0; });
        if (topmost)
            bandEnd = firstNormal;
        else
            bandBegin = firstNormal;
    }
    auto position = bandBegin;
    if (insertAfter == HWND_BOTTOM) {
        position = bandEnd;
    } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        position = bandBegin;
    } else {
        auto after = std::find(siblings.begin(), siblings.end(), LiveWindow(insertAfter));
        if (after != siblings.end()) {
            position = after + 1;
            position = std::clamp(position, bandBegin, bandEnd);
        }
    }
    siblings.insert(position, window);
}

Window* TopLevelOf(Window* window) {
    while (window != nullptr && window->parent != nullptr && !window->IsTopLevel())
        window = window->parent;
    return window;
}

bool IsDescendant(const Window* ancestor, const Window* window) {
    for (const Window* w = window != nullptr ? window->parent : nullptr; w != nullptr; w = w->parent) {
        if (w == ancestor)
            return true;
    }
    return false;
}

POINT ClientOriginOnScreen(const Window* window) {
    POINT origin{0, 0};
    for (const Window* w = window; w != nullptr && !w->IsDesktop(); w = w->parent) {
        origin.x += w->clientRect.left;
        origin.y += w->clientRect.top;
    }
    return origin;
}

POINT WindowOriginOnScreen(const Window* window) {
    if (window->IsDesktop())
        return POINT{0, 0};
    POINT parent = ClientOriginOnScreen(window->parent);
    return POINT{parent.x + window->windowRect.left, parent.y + window->windowRect.top};
}

RECT ClientArea(const Window* window) {
    return RECT{0, 0, window->clientRect.right - window->clientRect.left,
                window->clientRect.bottom - window->clientRect.top};
}

POINT ClientOriginOnSurface(const Window* window) {
    POINT client = ClientOriginOnScreen(window);
    POINT top = WindowOriginOnScreen(TopLevelOf(const_cast<Window*>(window)));
    return POINT{client.x - top.x, client.y - top.y};
}

POINT WindowOriginOnSurface(const Window* window) {
    POINT origin = WindowOriginOnScreen(window);
    POINT top = WindowOriginOnScreen(TopLevelOf(const_cast<Window*>(window)));
    return POINT{origin.x - top.x, origin.y - top.y};
}

} // namespace platform

using namespace platform;

extern "C" {

BOOL WINAPI IsWindow(HWND window) {
    return LiveWindow(window) != nullptr ? TRUE : FALSE;
}

HWND WINAPI GetDesktopWindow() {
    return Desktop()->handle;
}

HWND WINAPI GetParent(HWND handle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return nullptr;
    // Win32: the parent of a child window, the owner of a pop-up, nothing for other windows.
    if (window->style & WS_CHILD)
        return window->parent->handle;
    if ((window->style & WS_POPUP) && window->owner != nullptr)
        return window->owner->handle;
    return nullptr;
}

HWND WINAPI GetAncestor(HWND handle, UINT flags) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || window->IsDesktop())
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return window->parent->handle;
    case GA_ROOT:
        return TopLevelOf(window)->handle;
    case GA_ROOTOWNER: {
        Window* root = TopLevelOf(window);
        while (root->owner != nullptr)
            root = root->owner;
        return root->handle;
    }
    default:
        return nullptr;
    }
}

HWND WINAPI GetWindow(HWND handle, UINT command) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return nullptr;
    if (command == GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front()->handle;
    if (command == GW_OWNER)
        return window->owner != nullptr ? window->owner->handle : nullptr;
    if (command == GW_ENABLEDPOPUP) {
        for (Window* w : Desktop()->children) {
            if (w->owner == window && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED))
                return w->handle;
        }
        return nullptr;
    }
    if (window->parent == nullptr)
        return nullptr;
    const auto& siblings = window->parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    switch (command) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return it + 1 != siblings.end() ? (*(it + 1))->handle : nullptr;
    case GW_HWNDPREV:
        return it != siblings.begin() ? (*(it - 1))->handle : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetTopWindow(HWND handle) {
    Window* window = handle != nullptr ? CheckWindow(handle) : Desktop();
    if (window == nullptr || window->children.empty())
        return nullptr;
    return window->children.front()->handle;
}

BOOL WINAPI IsChild(HWND parentHandle, HWND handle) {
    Window* parent = LiveWindow(parentHandle);
    Window* window = LiveWindow(handle);
    if (parent == nullptr || window == nullptr)
        return FALSE;
    // Only the chain of WS_CHILD windows counts, as in Win32.
    for (Window* w = window; w->IsChildStyle() && w->parent != nullptr; w = w->parent) {
        if (w->parent == parent)
            return TRUE;
    }
    return FALSE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    Window* window = CheckWindow(dialog);
    if (window == nullptr)
        return nullptr;
    for (Window* child : window->children) {
        if (static_cast<int>(child->id) == id)
            return child->handle;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND handle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || !window->IsChildStyle())
        return 0;
    return static_cast<int>(window->id);
}

BOOL WINAPI EnumChildWindows(HWND parentHandle, WNDENUMPROC enumProc, LPARAM lParam) {
    Window* parent = parentHandle != nullptr ? CheckWindow(parentHandle) : Desktop();
    if (parent == nullptr)
        return FALSE;
    // A snapshot, so that the callback may create and destroy windows.
    std::vector<HWND> handles;
    collect(parent, handles);
    for (HWND h : handles) {
        if (LiveWindow(h) != nullptr && !enumProc(h, lParam))
            return FALSE;
    }
    return TRUE;
}

BOOL WINAPI EnumWindows(WNDENUMPROC enumProc, LPARAM lParam) {
    std::vector<HWND> handles;
    for (Window* w : Desktop()->children)
        handles.push_back(w->handle);
    for (HWND h : handles) {
        if (LiveWindow(h) != nullptr && !enumProc(h, lParam))
            return FALSE;
    }
    return TRUE;
}

} // extern "C"
