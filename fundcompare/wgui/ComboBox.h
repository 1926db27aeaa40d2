// WGUI::ComboBox: a wrapper of a "ComboBox" control. No state and no operation beyond the base.
#pragma once

#include "wgui/ControlBase.h"

namespace WGUI {

class ComboBox : public ControlBase {
public:
    ComboBox() = default;
    explicit ComboBox(HWND window) : ControlBase(window) {}
    ComboBox(const WindowBase& other) : ControlBase(other) {}
    ~ComboBox() override = default;

    static LPCWSTR GetWndClassName() { return WC_COMBOBOXW; }

    using WindowBase::Create;
    HWND Create(HWND parent, const RECT* rect = nullptr, LPCWSTR windowName = nullptr, DWORD style = 0,
                DWORD exStyle = 0, HMENU menuOrId = nullptr, LPVOID param = nullptr) {
        return CreateControl(GetWndClassName(), parent, rect, windowName, style, exStyle, menuOrId, param);
    }
};

} // namespace WGUI
