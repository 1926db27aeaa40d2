#include "wgui/ToolTipCtrl.h"

namespace WGUI {

ToolTipCtrl::~ToolTipCtrl() = default;

HWND ToolTipCtrl::Create(HWND parent, const RECT* rect, LPCWSTR windowName, DWORD style, DWORD exStyle,
                         HMENU menuOrId, LPVOID param) {
    return CreateControl(GetWndClassName(), parent, rect, windowName, style, exStyle, menuOrId, param);
}

int ToolTipCtrl::SetMaxTipWidth(int width) const {
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width));
}

BOOL ToolTipCtrl::AddTool(const TOOLINFOW* toolInfo) const {
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(toolInfo)));
}

void ToolTipCtrl::DelTool(const TOOLINFOW* toolInfo) const {
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(toolInfo));
}

} // namespace WGUI
