#include "wgui/WindowBase.h"

#include "wgui/WindowProc.h"

namespace WGUI {

WindowBase::~WindowBase() = default;

bool WindowBase::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool WindowBase::HandleReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

HWND WindowBase::Create(DWORD style, DWORD exStyle, LPCWSTR className, LPCWSTR windowName, const RECT& rect,
                        HWND parent, HMENU menuOrId, HINSTANCE instance, WindowProc* binder) {
    if (binder != nullptr)
        binder->SetWindow(this);
    m_hWnd =
        ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent, menuOrId, instance, binder);
    return m_hWnd;
}

HWND WindowBase::Detach() {
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

LRESULT WindowBase::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT WindowBase::SendMessage(UINT message) const {
    return ::SendMessageW(m_hWnd, message, 0, 0);
}

void WindowBase::SetFont(HFONT font, BOOL redraw) const {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw & 0xFFFF);
}

RECT* WindowBase::GetWindowRect(RECT* rect) const {
    return ::GetWindowRect(m_hWnd, rect) ? rect : nullptr;
}

RECT* WindowBase::GetClientRect(RECT* rect) const {
    return ::GetClientRect(m_hWnd, rect) ? rect : nullptr;
}

BOOL WindowBase::Invalidate(BOOL erase) const {
    return ::InvalidateRect(m_hWnd, nullptr, erase);
}

BOOL WindowBase::ShowWindow(int command) const {
    return ::ShowWindow(m_hWnd, command);
}

BOOL WindowBase::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

HWND WindowBase::SetFocus() const {
    return ::SetFocus(m_hWnd);
}

BOOL WindowBase::MoveWindow(const RECT& rect, BOOL repaint) const {
    return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

bool WindowBase::IsWindow() const {
    return m_hWnd != nullptr && ::IsWindow(m_hWnd);
}

DWORD WindowBase::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}

LONG WindowBase::GetWindowLong(int index) const {
    return ::GetWindowLongW(m_hWnd, index);
}

LONG WindowBase::SetWindowLong(int index, LONG value) const {
    return ::SetWindowLongW(m_hWnd, index, value);
}

WindowBase WindowBase::GetParent() const {
    return WindowBase(::GetParent(m_hWnd));
}

WindowBase WindowBase::GetDlgItem(int id) const {
    return WindowBase(::GetDlgItem(m_hWnd, id));
}

int WindowBase::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

int WindowBase::GetWindowText(LPWSTR buffer, int maxCount) const {
    return ::GetWindowTextW(m_hWnd, buffer, maxCount);
}

int WindowBase::GetWindowTextLength() const {
    return ::GetWindowTextLengthW(m_hWnd);
}

BOOL WindowBase::DestroyWindow() {
    BOOL destroyed = ::DestroyWindow(m_hWnd);
    if (destroyed)
        m_hWnd = nullptr;
    return destroyed;
}

} // namespace WGUI
