// WGUI::ToolTipCtrl: a wrapper of a "tooltips_class32" control, with the three tooltip messages
// the module sends.
#pragma once

#include "wgui/ControlBase.h"

namespace WGUI {

class ToolTipCtrl : public ControlBase {
public:
    // The module's tooltips: WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, always on top.
    static constexpr DWORD kStyle = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX; // 0x80000003
    static constexpr DWORD kExStyle = WS_EX_TOPMOST;                         // 8

    ToolTipCtrl() = default;
    explicit ToolTipCtrl(HWND window) : ControlBase(window) {}
    ToolTipCtrl(const WindowBase& other) : ControlBase(other) {}
    ~ToolTipCtrl() override;

    static LPCWSTR GetWndClassName() { return TOOLTIPS_CLASSW; }

    using WindowBase::Create;
    HWND Create(HWND parent, const RECT* rect = nullptr, LPCWSTR windowName = nullptr, DWORD style = 0,
                DWORD exStyle = 0, HMENU menuOrId = nullptr, LPVOID param = nullptr);

    // TTM_SETMAXTIPWIDTH (0x0418), lParam = width; returns the previous width.
    int SetMaxTipWidth(int width) const;
    // TTM_ADDTOOLW (0x0432) and TTM_DELTOOLW (0x0433), lParam = the record.
    BOOL AddTool(const TOOLINFOW* toolInfo) const;
    void DelTool(const TOOLINFOW* toolInfo) const;
};

} // namespace WGUI
