// The save dialog as the controls ask it: a proposed name made safe for a file system, the types
// offered, and the chosen path back with the type the user picked.
#pragma once

#include <sdk/XStringW.h>

#include <platform/windows.h>

namespace Control {

struct SaveFileAsk {
    HWND owner = nullptr;
    XStringW name; // proposed name without extension; empty proposes `fallbackName`
    const wchar_t* fallbackName = L"";
    const wchar_t* types = L"";     // filter pairs, double-NUL terminated
    const wchar_t* extension = L""; // default extension, without the dot
    const wchar_t* title = L"";
};

// Shows the save dialog; false when the user cancels. `filterIndex` is the type chosen (from 1).
bool AskSaveFileName(const SaveFileAsk& ask, XStringW& path, DWORD& filterIndex);

} // namespace Control
