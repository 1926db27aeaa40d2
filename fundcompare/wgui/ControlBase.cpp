#include "wgui/ControlBase.h"

#include "wgui/ModuleInstance.h"

namespace WGUI {

ControlBase::~ControlBase() = default;

HWND ControlBase::CreateControl(LPCWSTR className, HWND parent, const RECT* rect, LPCWSTR windowName,
                                DWORD style, DWORD exStyle, HMENU menuOrId, LPVOID param) {
    RECT area = rect != nullptr ? *rect : RECT{0, 0, 0, 0};
    m_hWnd =
        ::CreateWindowExW(exStyle, className, windowName, style, area.left, area.top, area.right - area.left,
                          area.bottom - area.top, parent, menuOrId, ModuleInstance(), param);
    return m_hWnd;
}

} // namespace WGUI
