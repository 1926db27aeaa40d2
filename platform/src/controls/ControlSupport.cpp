// Helpers shared by the standard controls (internal/Controls.h).
#include "internal/Controls.h"
#include "internal/WindowBackend.h"

namespace platform {

int FontLineHeight(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ControlFont(font));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    return metrics.tmHeight > 0 ? static_cast<int>(metrics.tmHeight) : 13;
}

void NotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent == nullptr)
        return;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

bool BackendHasDisplay() {
    return Backend().HasDisplay();
}

bool RunModalLoop(const std::function<bool()>& done, const std::function<bool(MSG&)>& filter) {
    while (!done()) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!BackendHasDisplay())
                return false;
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (filter && filter(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

} // namespace platform
