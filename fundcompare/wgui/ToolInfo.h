// WGUI::ToolInfo: the TOOLINFOW record of a tool, filled by one constructor.
//
// The size field is 48, the size of the record on 32-bit Windows that the module was written
// for; the platform's tooltip control accepts it and reads every field of this full record.
#pragma once

#include <platform/windows.h>

namespace WGUI {

class ToolInfo : public TOOLINFOW {
public:
    static constexpr UINT kSize = 48;

    // With a tool id, the owner is `window` and the id is `id`; with id 0, the owner is the
    // window's parent, the id is the window's handle and TTF_IDISHWND is added. The rectangle is
    // copied when given; the instance is the module's.
    ToolInfo(UINT flags, HWND window, UINT_PTR id = 0, const RECT* rect = nullptr,
             LPWSTR text = LPSTR_TEXTCALLBACKW, LPARAM lParam = 0);
};

} // namespace WGUI
