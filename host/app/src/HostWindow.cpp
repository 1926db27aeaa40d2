// Host window classes and the common part of the host's tab pages.
#include "HostWindow.h"

bool RegisterHostClass(const wchar_t* name, WNDPROC procedure, UINT style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, name, &wc))
        return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

HWND HostTabPage::Create(HWND parent, ITabCtrl* tabCtrl) {
    m_tabCtrl = tabCtrl;
    if (m_window != nullptr)
        return m_window;
    if (!RegisterHostClass(m_className, &HostWindowProcedure<HostTabPage>, CS_HREDRAW | CS_VREDRAW))
        return nullptr;
    return CreateWindowExW(0, m_className, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), this);
}

void HostTabPage::Destroy() {
    if (m_window != nullptr)
        DestroyWindow(m_window);
    m_tabCtrl = nullptr;
}

bool HostTabPage::GetTabCtrl(ITabCtrl** tabCtrl) {
    if (tabCtrl == nullptr)
        return false;
    *tabCtrl = m_tabCtrl;
    if (*tabCtrl != nullptr)
        (*tabCtrl)->AddRef();
    return *tabCtrl != nullptr;
}

void HostTabPage::Show() {
    if (m_window != nullptr)
        ShowWindow(m_window, SW_SHOW);
}

void HostTabPage::Hide() {
    if (m_window != nullptr)
        ShowWindow(m_window, SW_HIDE);
}

void HostTabPage::Invalidate() {
    if (m_window != nullptr)
        InvalidateRect(m_window, nullptr, TRUE);
}

void HostTabPage::Move(int x, int y, int width, int height) {
    if (m_window != nullptr)
        MoveWindow(m_window, x, y, width, height, TRUE);
}

LRESULT HostTabPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_window, message, wParam, lParam);
}
