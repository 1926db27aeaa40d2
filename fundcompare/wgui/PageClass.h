// Window classes of the module's pages and panels: "Quenda2_" followed by the page class name,
// registered once per process under the module instance with the values every page class shares (the shared
// window procedure, no extra bytes, no icon, the arrow cursor, the system window colour, no
// menu) and reused afterwards.
#pragma once

#include <platform/windows.h>
#include <sdk/CompareWorkspace.h>

#include <string>

namespace WGUI {

class PageClass {
public:
    static constexpr const wchar_t* kPrefix = CompareWorkspace::kClassPrefix;
    // CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC = 0x8B.
    static constexpr UINT kStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC;

    // Registers the class if this process has not, and returns its full name; empty when the
    // registration failed. The record's size is sizeof(WNDCLASSEXW): 48 bytes on 32-bit Windows,
    // more here, and RegisterClassExW checks it.
    static std::wstring Register(const wchar_t* pageClassName, UINT style = kStyle);
};

} // namespace WGUI
