// WGUI::WindowBase: a view on a window handle that forwards the common USER32 calls and receives
// the messages of a window that the module owns or has subclassed.
//
// A wrapper never destroys its window: whoever created the window destroys it (DestroyWindow,
// which also clears the handle), or lets the parent's destruction take it.
#pragma once

#include <platform/windows.h>

namespace WGUI {

class WindowProc;

class WindowBase {
public:
    WindowBase() = default;
    explicit WindowBase(HWND window) : m_hWnd(window) {}
    WindowBase(const WindowBase& other) = default;
    WindowBase& operator=(const WindowBase& other) = default;
    virtual ~WindowBase();

    // The window's own messages (routed by the shared window procedure). True when handled,
    // with `result` the answer. The base handles nothing.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Notifications that the parent reflects to this child (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
    // WM_MEASUREITEM); same contract.
    virtual bool HandleReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Creates the window (note: style before extended style, the reverse of CreateWindowExW);
    // `rect` is left, top, right, bottom. With a binder, the binder's window is set to this
    // object first and the binder travels as the creation parameter, so that the shared window
    // procedure binds the new handle on WM_CREATE. Stores and returns the handle (null on
    // failure).
    HWND Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR windowName, const RECT& rect,
                HWND parent, HMENU menuOrId, HINSTANCE instance, WindowProc* binder);

    HWND GetHandle() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void Attach(HWND window) { m_hWnd = window; }
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const;
    LRESULT SendMessage(UINT message) const;
    void SetFont(HFONT font, BOOL redraw = TRUE) const;
    // The rectangle pointer on success, null on failure.
    RECT* GetWindowRect(RECT* rect) const;
    RECT* GetClientRect(RECT* rect) const;
    BOOL Invalidate(BOOL erase = TRUE) const;
    BOOL ShowWindow(int command) const;
    BOOL IsWindowVisible() const;
    HWND SetFocus() const;
    BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE) const;
    // False for a null handle.
    bool IsWindow() const;
    DWORD GetStyle() const;
    LONG GetWindowLong(int index) const;
    LONG SetWindowLong(int index, LONG value) const;
    WindowBase GetParent() const;
    WindowBase GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    int GetWindowText(LPWSTR buffer, int maxCount) const;
    int GetWindowTextLength() const;
    // Clears the handle when the window was destroyed.
    BOOL DestroyWindow();

protected:
    friend class WindowProc;

    HWND m_hWnd = nullptr;
};

} // namespace WGUI
