// The plumbing every window class of the host shares: the object given as the creation parameter
// receives the window's messages, and the class is registered once per process.
#pragma once

#include <hostkernel/RefCounted.h>
#include <platform/windows.h>
#include <sdk/Modules.h>

// Registers a class of the executable with a procedure; true when it exists afterwards.
bool RegisterHostClass(const wchar_t* name, WNDPROC procedure, UINT style);

// Routes the messages of a window created with an object of T as its creation parameter to
// T::HandleMessage; the object learns its window through T::BindWindow (null after WM_NCDESTROY).
template <class T>
LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->BindWindow(window);
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->BindWindow(nullptr);
    }
    return result;
}

// A page of the host in the main frame's tab: its window and the tab-page contract, so that a
// page only draws and answers its own messages.
class HostTabPage : public HostKernel::RefCounted<ITabPage> {
public:
    HWND Create(HWND parent, ITabCtrl* tabCtrl) override;
    bool IsCreated() override { return m_window != nullptr; }
    bool GetTabCtrl(ITabCtrl** tabCtrl) override;
    void Show() override;
    void Hide() override;
    void Invalidate() override;
    void Move(int x, int y, int width, int height) override;
    void OnFilterChanged(Data::IDataFilter*, Data::IDataFilter*, Data::IDataFilter*,
                         Data::IDataFilter*) override {}
    void OnActivated() override {}

    void Destroy();
    HWND Window() const { return m_window; }

    // For HostWindowProcedure.
    void BindWindow(HWND window) { m_window = window; }
    // The page's messages; the default handling is DefWindowProcW.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    explicit HostTabPage(const wchar_t* className) : m_className(className) {}

    const wchar_t* m_className;
    XComPtr<ITabCtrl> m_tabCtrl;
    HWND m_window = nullptr;
};
