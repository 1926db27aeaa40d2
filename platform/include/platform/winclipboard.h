// The clipboard: text put on it by one program and read by another. On a display it is the
// desktop's clipboard (through SDL); on the headless screen it is kept in the process, and the
// driver reads what was put on it last (PlatformClipboardText).
//
// As on Windows, SetClipboardData takes ownership of a GlobalAlloc'd block once the clipboard is
// open and emptied by the caller; CF_UNICODETEXT blocks hold zero-terminated UTF-16 text.
#pragma once

#include "winmem.h"
#include "winuser.h"

#define CF_TEXT 1
#define CF_UNICODETEXT 13

extern "C" {
// Only one window opens the clipboard at a time; a second OpenClipboard fails until CloseClipboard.
BOOL WINAPI OpenClipboard(HWND owner);
BOOL WINAPI CloseClipboard();
// Needs the clipboard open; makes the opener its owner.
BOOL WINAPI EmptyClipboard();
// Needs the clipboard open. Only CF_UNICODETEXT is kept; other formats are refused (null). The
// block belongs to the clipboard afterwards.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE memory);
// Needs the clipboard open; the block stays the clipboard's.
HANDLE WINAPI GetClipboardData(UINT format);
BOOL WINAPI IsClipboardFormatAvailable(UINT format);
HWND WINAPI GetClipboardOwner();
}
