// Shared pieces of the standard-control tests: a parent window whose WM_COMMAND and WM_NOTIFY
// messages are logged, screen points of child windows, and colour checks.
#pragma once

#include "WindowTestSupport.h"

#include <platform/commctrl.h>

#include <string>
#include <vector>

namespace controltest {

// Notification codes of the WM_COMMAND messages a window received from one control, in order.
std::vector<WORD> CommandCodes(HWND parent, HWND control);

// The screen point of a client point of a window.
POINT ScreenPoint(HWND window, int x, int y);

// The visible top-level windows of a class, topmost first.
std::vector<HWND> VisibleWindowsOfClass(const wchar_t* className);

// Colours differ by at most `tolerance` in each channel.
bool Near(COLORREF a, COLORREF b, int tolerance = 24);

// True when some pixel of the rectangle (client coordinates) is near the colour.
bool AnyPixel(HWND window, const RECT& area, COLORREF color, int tolerance = 40);

} // namespace controltest
