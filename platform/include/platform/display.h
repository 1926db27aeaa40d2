// The display backend: real windows on the screen through SDL2, for a person at the program.
//
// After PlatformStartSdl every visible top-level window is a window on the display (pop-ups such
// as menus, drop-down lists and tips are borderless, top-most windows at their screen positions),
// painting uploads the window's pixels, and the display's mouse, wheel, key, text, resize and
// close events become window messages. Menus and message boxes then run their own message loops
// instead of asking the driver's hooks.
#pragma once

#include "windef.h"

// Opens the display. Returns false, and keeps the headless screen, when there is no display to
// open (no DISPLAY, or SDL cannot start its video subsystem); the reason is then on stderr.
bool PlatformStartSdl();
// True while the display backend is the current one.
bool PlatformUsesDisplay();
// The SDL window id of a top-level window (0 when it has none, or no display is in use); for
// programs that drive the display through SDL events.
unsigned PlatformSdlWindowId(HWND window);
