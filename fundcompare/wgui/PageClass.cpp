#include "wgui/PageClass.h"

#include "wgui/ModuleInstance.h"
#include "wgui/WindowProc.h"

namespace WGUI {

std::wstring PageClass::Register(const wchar_t* pageClassName, UINT style) {
    std::wstring name = std::wstring(kPrefix) + pageClassName;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(ModuleInstance(), name.c_str(), &existing))
        return name;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &WindowProc::SharedWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = ModuleInstance();
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = name.c_str();
    wc.hIconSm = nullptr;
    if (::RegisterClassExW(&wc) == 0)
        return std::wstring();
    return name;
}

} // namespace WGUI
