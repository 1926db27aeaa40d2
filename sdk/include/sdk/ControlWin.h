// Control::XWin: the window base of the host control library. An XWin object stands for one
// window: it creates the window (or adopts an existing one with Attach) and receives that
// window's messages through its virtual WndProc, so that a control is a class that overrides
// WndProc and calls the base for what it does not handle.
//
// The virtual operations keep this order, which derived classes in other libraries rely on.
#pragma once

#include <platform/windows.h>

namespace Control {

class XWin {
public:
    XWin();
    // Destroys the window if it still exists, so that no message can reach a freed object.
    virtual ~XWin();
    XWin(const XWin&) = delete;
    XWin& operator=(const XWin&) = delete;

    // Creates a window of the named class (the XWin class when the name is null or empty). A class
    // name that nobody registered yet is registered with the XWin procedure; a window of some other
    // procedure (a standard control) is created and then attached.
    virtual BOOL Create(LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                        UINT id, HWND parent);
    virtual BOOL Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, UINT id,
                        HWND parent);
    virtual BOOL Create(LPCWSTR title, DWORD style, int x, int y, int width, int height, HWND parent);
    // Adopts a window made elsewhere by subclassing it: its messages reach WndProc, and what WndProc
    // leaves to the base goes to the window's own procedure. Fails when this object already has a
    // window or the window belongs to another XWin.
    virtual BOOL Attach(HWND window);
    // Lets go of the window without destroying it, restoring the procedure that Attach replaced.
    virtual HWND Detach();
    // The base answers with the window's previous procedure (attached windows) or DefWindowProcW.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL ShowWindow(int command);
    virtual HWND SetFocus();
    virtual BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    virtual BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    virtual BOOL GetWindowRect(LPRECT rect) const;
    virtual BOOL GetClientRect(LPRECT rect) const;
    virtual BOOL ScreenToClient(LPPOINT point) const;
    virtual BOOL ClientToScreen(LPPOINT point) const;
    virtual BOOL Invalidate(BOOL erase = TRUE);
    virtual BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE);

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

    // The object that receives a window's messages, or null.
    static XWin* FromHandle(HWND window);
    // The name of the class that the title-only Create forms use.
    static LPCWSTR DefaultClassName();

protected:
    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND window);
    void Unbind();

    WNDPROC m_previousProc = nullptr; // the procedure Attach replaced; null for windows we created
};

} // namespace Control
