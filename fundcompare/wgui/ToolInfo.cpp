#include "wgui/ToolInfo.h"

#include "wgui/ModuleInstance.h"

#include <cstring>

namespace WGUI {

ToolInfo::ToolInfo(UINT flags, HWND window, UINT_PTR id, const RECT* rect, LPWSTR text, LPARAM param) {
    TOOLINFOW& record = *this;
    std::memset(&record, 0, sizeof(record));
    cbSize = kSize;
    uFlags = flags;
    if (id != 0) {
        hwnd = window;
        uId = id;
    } else {
        hwnd = ::GetParent(window);
        uId = reinterpret_cast<UINT_PTR>(window);
        uFlags |= TTF_IDISHWND;
    }
    if (rect != nullptr)
        this->rect = *rect;
    hinst = ModuleInstance();
    lpszText = text;
    lParam = param;
}

} // namespace WGUI
