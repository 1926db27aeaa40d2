// WGUI::ControlBase: the base of the standard-control wrappers. It adds no state and no virtual
// operation; each control names its window class (GetWndClassName) and gets the control creation
// entry from here.
#pragma once

#include "wgui/WindowBase.h"

namespace WGUI {

class ControlBase : public WindowBase {
public:
    ControlBase() = default;
    explicit ControlBase(HWND window) : WindowBase(window) {}
    ControlBase(const WindowBase& other) : WindowBase(other) {}
    ~ControlBase() override;

protected:
    // The second creation entry, used for tooltips: the class comes from the wrapper, the instance is
    // the module's, a null rectangle means an all-zero one, and `param` is the plain creation
    // parameter (no binder).
    HWND CreateControl(LPCWSTR className, HWND parent, const RECT* rect, LPCWSTR windowName, DWORD style,
                       DWORD exStyle, HMENU menuOrId, LPVOID param);
};

} // namespace WGUI
