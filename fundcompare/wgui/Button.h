// WGUI::Button: a wrapper of a "Button" control. No state and no operation beyond the base.
#pragma once

#include "wgui/ControlBase.h"

namespace WGUI {

class Button : public ControlBase {
public:
    Button() = default;
    explicit Button(HWND window) : ControlBase(window) {}
    Button(const WindowBase& other) : ControlBase(other) {}
    ~Button() override = default;

    static LPCWSTR GetWndClassName() { return WC_BUTTONW; }

    using WindowBase::Create;
    HWND Create(HWND parent, const RECT* rect = nullptr, LPCWSTR windowName = nullptr, DWORD style = 0,
                DWORD exStyle = 0, HMENU menuOrId = nullptr, LPVOID param = nullptr) {
        return CreateControl(GetWndClassName(), parent, rect, windowName, style, exStyle, menuOrId, param);
    }
};

} // namespace WGUI
