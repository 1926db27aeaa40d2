// What the standard controls (platform/src/controls) share: their state records, the font they
// draw with, the notifications they send, the modal loop of menus and message boxes, and the
// dispatch watcher through which tooltips see the mouse messages of their tools.
#pragma once

#include "internal/Window.h"

#include <platform/commctrl.h>
#include <platform/wingdi.h>

#include <functional>
#include <memory>

namespace platform {

// The state record of a control, kept in Window::controlData (freed with the window record, so a
// subclassed control that never sees WM_NCDESTROY does not leak). Made on first use.
template <class State>
State* ControlState(HWND handle) {
    Window* window = LiveWindow(handle);
    if (window == nullptr)
        return nullptr;
    if (!window->controlData)
        window->controlData = std::make_shared<State>();
    return static_cast<State*>(window->controlData.get());
}

// The font a control draws with: the one given by WM_SETFONT, else the stock GUI font.
inline HFONT ControlFont(HFONT font) {
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The height of a line of text in a font (tmHeight), measured on a memory DC.
int FontLineHeight(HFONT font);

// WM_COMMAND with MAKEWPARAM(id, code) and the control's handle to the control's parent.
void NotifyParent(HWND control, WORD code);

// True when the current backend is a display (see WindowBackend::HasDisplay).
bool BackendHasDisplay();

// A modal loop: retrieves and dispatches messages until `done` answers true. `filter` sees every
// message first and returns true for the ones it consumed. On a display the loop waits for input;
// on the headless screen it ends when the queued input runs out (returns false then, and also
// when WM_QUIT arrives, which it posts again for the outer loop).
bool RunModalLoop(const std::function<bool()>& done, const std::function<bool(MSG&)>& filter);

// Called by DispatchMessageW with every message before the window procedure sees it.
using DispatchWatcher = void (*)(const MSG&);
void SetDispatchWatcher(DispatchWatcher watcher);

} // namespace platform
