// WGUI::WindowProc: binds a WindowBase to a window and routes the window's messages to it
// through the shared window procedure, reflecting the notifications that a parent receives
// (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM) to the wrapper of the child that sent
// them.
//
// A binder comes to a window either as the creation parameter of WindowBase::Create with one of
// the module's own classes (bound on WM_CREATE, no previous procedure), or by subclassing an
// existing window (Subclass), which keeps the window's previous procedure for CallDefault.
#pragma once

#include <platform/windows.h>

namespace WGUI {

class WindowBase;

class WindowProc {
public:
    WindowProc() = default;
    WindowProc(const WindowProc&) = delete;
    WindowProc& operator=(const WindowProc&) = delete;
    // Unsubclasses; a binder that goes away before its window also leaves the registry, so that
    // the window's later messages find DefWindowProcW rather than a dead binder.
    virtual ~WindowProc();

    // Binds the window; registers (handle, this) when the handle is a live window; saves the
    // window's procedure (GetWindowLongPtrW(GWLP_WNDPROC)) and installs the shared one
    // (SetWindowLongPtrW(GWLP_WNDPROC)).
    void Subclass(WindowBase* window);
    // Only with a saved procedure, a bound window and a live handle: restores the procedure,
    // leaves the registry, clears the window and the procedure, and returns true. Otherwise
    // false, and nothing changes.
    bool Unsubclass();
    // The previous procedure when there is one and a window is bound, else DefWindowProcW.
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

    WindowBase* GetWindow() const { return m_window; }
    void SetWindow(WindowBase* window) { m_window = window; }
    WNDPROC GetPreviousProc() const { return m_previous; }

    // The one procedure of every page class and every subclassed control.
    static LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    WindowBase* m_window = nullptr; // not owned
    WNDPROC m_previous = nullptr;   // null for the module's own classes
};

} // namespace WGUI
