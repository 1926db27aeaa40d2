// The shared window procedure and subclassing.
#include "wgui/WindowProc.h"

#include "wgui/WindowBase.h"
#include "wgui/WindowRegistry.h"

namespace WGUI {
namespace {

// The child a notification comes from, or null: the four reflected messages name it each in
// their own way.
HWND notifyingChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        return lParam != 0 ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
        return ::GetDlgItem(window, static_cast<int>(wParam));
    case WM_NOTIFY:
        return lParam != 0 ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

} // namespace

WindowProc::~WindowProc() {
    Unsubclass();
    WindowRegistry::RemoveBinder(this);
}

void WindowProc::Subclass(WindowBase* window) {
    m_window = window;
    HWND handle = window != nullptr ? window->m_hWnd : nullptr;
    if (handle != nullptr && ::IsWindow(handle))
        WindowRegistry::Add(handle, this);
    // Procedures go through the pointer-sized window longs: on a 64-bit build a LONG would cut
    // the address in half.
    m_previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(handle, GWLP_WNDPROC));
    ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc::SharedWindowProc));
}

bool WindowProc::Unsubclass() {
    if (m_previous == nullptr || m_window == nullptr || !::IsWindow(m_window->m_hWnd))
        return false;
    HWND handle = m_window->m_hWnd;
    ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    WindowRegistry::Remove(handle);
    m_window = nullptr;
    m_previous = nullptr;
    return true;
}

LRESULT WindowProc::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND handle = m_window != nullptr ? m_window->m_hWnd : nullptr;
    if (m_previous != nullptr && m_window != nullptr)
        return ::CallWindowProcW(m_previous, handle, message, wParam, lParam);
    return ::DefWindowProcW(handle, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc::SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProc* binder = WindowRegistry::Find(window);

    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* given = create != nullptr ? static_cast<WindowProc*>(create->lpCreateParams) : nullptr;
        if (given != nullptr) {
            if (given->m_window != nullptr)
                given->m_window->m_hWnd = window;
            WindowRegistry::Add(window, given);
            binder = given;
        }
    } else if (message == WM_DESTROY) {
        // The binder found above still handles this last message.
        WindowRegistry::Remove(window);
    }

    if (HWND child = notifyingChild(window, message, wParam, lParam)) {
        WindowProc* childBinder = WindowRegistry::Find(child);
        if (childBinder != nullptr && childBinder->m_window != nullptr) {
            LRESULT result = 0;
            if (childBinder->m_window->HandleReflectedMessage(message, wParam, lParam, result))
                return result;
        }
    }

    if (binder == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (binder->m_window != nullptr) {
        LRESULT result = 0;
        if (binder->m_window->HandleMessage(message, wParam, lParam, result))
            return result;
    }
    return binder->CallDefault(message, wParam, lParam);
}

} // namespace WGUI
