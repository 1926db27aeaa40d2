// The "Edit" class: a single-line text field. It keeps its text as the window text, shows a caret
// while it has the focus, scrolls sideways to keep the caret in view, and tells its parent about
// every change with EN_CHANGE. Keys: characters insert (replacing the selection), Backspace and
// Delete remove, Left, Right, Home and End move the caret (with Shift they select), Ctrl+A selects
// everything. Enter, Escape and Tab are left to the dialog around it.
#pragma once

#include "winuser.h"

#define WC_EDITW L"Edit"

#define ES_LEFT 0x0000
#define ES_AUTOHSCROLL 0x0080

#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300

// wParam: the start, lParam: the end of the selection (-1: the end of the text).
#define EM_SETSEL 0x00B1
// wParam, lParam: DWORD* receiving the start and end; answers MAKELONG(start, end).
#define EM_GETSEL 0x00B0
// lParam: the text that replaces the selection.
#define EM_REPLACESEL 0x00C2
#define EM_LIMITTEXT 0x00C5
