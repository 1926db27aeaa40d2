// The window manager's records: window classes and windows, and the process-wide window table.
//
// Model. As in Win32, the desktop window is the root: top-level windows (overlapped and pop-up)
// are its children, child windows hang below them. Every window keeps its window and client
// rectangles in its parent's client coordinates (screen coordinates for top-level windows) and
// its children in z-order, topmost first. Every top-level window owns one ARGB32 cairo surface the
// size of its window rectangle; its descendants draw into that surface at their offsets.
//
// Lifetime. The table holds a shared pointer to every live window. Destruction unlinks a window,
// removes it from the table (its handle is invalid from then on) and marks it dead; whoever is
// in the middle of a call on it holds a shared pointer (Hold), so the record outlives the call
// and the caller sees `dead` instead of freed memory. Handles are never reused.
#pragma once

#include <platform/winuser.h>

#include <cairo.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct WindowClass {
    std::wstring name;
    ATOM atom = 0;
    WNDCLASSEXW info{};      // lpszClassName points into `name`; hInstance is never null
    bool system = false;     // registered by the platform for every instance
    std::vector<BYTE> extra; // cbClsExtra bytes
    int windowCount = 0;
    bool unregistered = false;
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0; // the hMenu argument of a child window
    LONG_PTR userData = 0;
    std::vector<BYTE> extra; // cbWndExtra bytes
    std::wstring text;
    std::map<std::wstring, HANDLE> properties;
    // The state of a standard control, freed with the record. (A subclassed control may never
    // see its WM_NCDESTROY: the WGUI shared procedure hands messages after WM_DESTROY to
    // DefWindowProcW, so controls must not rely on WM_NCDESTROY to free their state.)
    std::shared_ptr<void> controlData;

    Window* parent = nullptr;      // the desktop for top-level windows; null for the desktop
    Window* owner = nullptr;       // top-level windows only
    std::vector<Window*> children; // z-order, topmost first

    RECT windowRect{}; // parent's client coordinates
    RECT clientRect{}; // parent's client coordinates

    // Painting.
    cairo_region_t* update = nullptr; // client coordinates; null when empty
    bool erasePending = false;
    bool frameInvalid = false;
    bool internalPaint = false;
    cairo_surface_t* surface = nullptr; // top-level windows only
    bool presentPending = false;        // top-level windows: painted since the backend last saw it

    // Life cycle.
    bool created = false;    // WM_NCCREATE answered and linked into the tree
    bool needSize = false;   // overlapped windows get WM_SIZE and WM_MOVE at their first showing
    bool destroying = false; // DestroyWindow has begun
    bool dead = false;       // gone from the table; the handle is invalid

    ~Window();

    bool IsDesktop() const { return parent == nullptr; }
    bool IsTopLevel() const { return parent != nullptr && parent->parent == nullptr; }
    bool IsChildStyle() const { return (style & (WS_CHILD | WS_POPUP)) == WS_CHILD; }
};

// ---- The window table (WindowTable.cpp) ------------------------------------------------------

// The live window of a handle, or null (no error set).
Window* LiveWindow(HWND handle);
// As LiveWindow, setting ERROR_INVALID_WINDOW_HANDLE when there is no such window.
Window* CheckWindow(HWND handle);
// Keeps a window record alive while the caller calls out to window procedures.
std::shared_ptr<Window> Hold(Window* window);
// The desktop window, created with the screen on first use.
Window* Desktop();
// Adds a new record to the table under a fresh handle.
Window* NewWindow();
// Removes a window from the table and marks it dead; the record lives on while held.
void RetireWindow(Window* window);
// Every live window, top-level windows first in z-order, each followed by its descendants.
std::vector<HWND> AllWindows();

// Inserts `window` among its parent's children: after `insertAfter` (a sibling), or at HWND_TOP,
// HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST. Top-level windows keep WS_EX_TOPMOST ones above.
void LinkWindow(Window* window, Window* parent, HWND insertAfter);
void UnlinkWindow(Window* window);

Window* TopLevelOf(Window* window);
bool IsDescendant(const Window* ancestor, const Window* window);

// The screen position of a window's client origin and window origin.
POINT ClientOriginOnScreen(const Window* window);
POINT WindowOriginOnScreen(const Window* window);
// The window's client rectangle in its own client coordinates (0, 0, width, height).
RECT ClientArea(const Window* window);
// Where the window's client origin lies on its top-level's surface.
POINT ClientOriginOnSurface(const Window* window);
POINT WindowOriginOnSurface(const Window* window);

} // namespace platform
