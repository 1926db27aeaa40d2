// Pictures of windows for the user to keep: a chart saved as a PNG file at the size it has on
// the screen. Charts offer "保存图片..." in their context menu and call SaveWindowPicture.
#pragma once

#include <platform/windows.h>
#include <sdk/XStringW.h>

#include <string>

namespace Control {

// The command of the "保存图片..." menu item; a chart that receives it as WM_COMMAND saves its
// picture through the save dialog.
constexpr UINT kSavePictureCommand = 0xE141;
// Charts answer this message with 1, so that keys and scripts can find the chart of a page without
// knowing its class.
constexpr UINT kCanSavePictureMessage = WM_USER + 0x7B1;

inline bool IsChartWindow(HWND window) {
    return window != nullptr && SendMessageW(window, kCanSavePictureMessage, 0, 0) == 1;
}

// Appends "保存图片..." to a context menu, behind a separator when the menu holds items already.
void AppendPictureItems(HMENU menu);
// Writes what the window shows (its client area, painted now) to a PNG file; the path is UTF-8.
// False with the reason in error.
bool WriteWindowPng(HWND window, const std::string& path, XStringW& error);
// Asks for a file in the save dialog (proposing name + ".png") and writes the picture there. False
// when cancelled or failed (a failure is reported in a message box, a success in the status bar).
bool SaveWindowPicture(HWND window, const XStringW& name);

} // namespace Control
