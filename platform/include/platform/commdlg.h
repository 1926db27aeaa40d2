// The common dialog for choosing a file to save to: GetSaveFileNameW.
//
// On a desktop with the XDG desktop portal the portal's file chooser is used (through libportal,
// loaded when the program runs, so that a machine without it still works); otherwise the
// platform's own modal dialog shows the folder, the files in it that match the chosen type, the
// file name and the type. On the headless screen the driver's save-dialog hook answers
// (PlatformSetSaveDialogHook); without a hook the own dialog reads the input queued so far, as
// menus and message boxes do. FC_NO_PORTAL in the environment keeps the portal out (the own dialog
// is used on a display too).
#pragma once

#include "winuser.h"

// Flags of OPENFILENAMEW::Flags that the dialog honours.
#define OFN_OVERWRITEPROMPT 0x00000002 // asks before a file that exists is chosen
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_EXPLORER 0x00080000

// CommDlgExtendedError after a FALSE answer: 0 when the user cancelled.
#define FNERR_BUFFERTOOSMALL 0x3003
#define CDERR_INITIALIZATION 0x0002

struct OPENFILENAMEW {
    DWORD lStructSize = 0;
    HWND hwndOwner = nullptr;
    HINSTANCE hInstance = nullptr;
    // Pairs of zero-terminated strings (a caption, then patterns separated by ';'), ended by an
    // empty string: L"Excel 工作簿 (*.xlsx)\0*.xlsx\0CSV (*.csv)\0*.csv\0".
    LPCWSTR lpstrFilter = nullptr;
    LPWSTR lpstrCustomFilter = nullptr;
    DWORD nMaxCustFilter = 0;
    DWORD nFilterIndex = 0;     // 1-based; in: the type shown first, out: the type chosen
    LPWSTR lpstrFile = nullptr; // in: the name proposed (may be empty), out: the full path
    DWORD nMaxFile = 0;
    LPWSTR lpstrFileTitle = nullptr;
    DWORD nMaxFileTitle = 0;
    LPCWSTR lpstrInitialDir = nullptr;
    LPCWSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    WORD nFileOffset = 0;          // out: where the name starts in lpstrFile
    WORD nFileExtension = 0;       // out: where the extension starts (after the dot), 0 without one
    LPCWSTR lpstrDefExt = nullptr; // appended (after a dot) when the name has no extension
    LPARAM lCustData = 0;
    void* lpfnHook = nullptr;
    LPCWSTR lpTemplateName = nullptr;
};
typedef OPENFILENAMEW* LPOPENFILENAMEW;

extern "C" {
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn);
DWORD WINAPI CommDlgExtendedError();
}
