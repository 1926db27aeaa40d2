// The hwnd registry: one process-wide ordered map from a window handle to the WindowProc bound to
// it. Touched only from the user-interface thread; not locked.
#pragma once

#include <platform/windows.h>

namespace WGUI {

class WindowProc;

class WindowRegistry {
public:
    static void Add(HWND window, WindowProc* binder);
    static void Remove(HWND window);
    // Drops every entry that names `binder` (a binder that goes away before its window).
    static void RemoveBinder(const WindowProc* binder);
    static WindowProc* Find(HWND window);
    static size_t Size();
};

} // namespace WGUI
