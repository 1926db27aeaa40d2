// The common dialogs for choosing a file to save to (GetSaveFileNameW) and files to open
// (GetOpenFileNameW).
//
// On a desktop with the XDG desktop portal the portal's file chooser is used (through libportal,
// loaded when the program runs, so that a machine without it still works); otherwise the
// platform's own modal dialog shows the folder, the files in it that match the chosen type, the
// file name and the type. On the headless screen the driver's hooks answer
// (PlatformSetSaveDialogHook, PlatformSetOpenDialogHook); without a hook the own dialog reads the
// input queued so far, as menus and message boxes do. FC_NO_PORTAL in the environment keeps the
// portal out (the own dialog is used on a display too).
//
// Opening several files (OFN_ALLOWMULTISELECT) answers as Win32's explorer-style dialog does: one
// file as its full path; several as the folder, then each name, each ended by a zero, the list
// ended by a second zero, with nFileOffset at the first name. OFN_EX_PICKFOLDERS in FlagsEx, this
// platform's own flag, lets folders be chosen as well as files (the portal's chooser picks one or
// the other, so such a request is always answered by the own dialog).
#pragma once

#include "winuser.h"

// Flags of OPENFILENAMEW::Flags that the dialog honours.
#define OFN_OVERWRITEPROMPT 0x00000002 // asks before a file that exists is chosen
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ALLOWMULTISELECT 0x00000200 // several files may be chosen (open)
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000 // only files that exist may be chosen (open)
#define OFN_EXPLORER 0x00080000
// Flags of OPENFILENAMEW::FlagsEx.
#define OFN_EX_NOPLACESBAR 0x00000001
#define OFN_EX_PICKFOLDERS 0x00010000 // this platform's own: folders may be chosen as well as files

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
    LPWSTR lpstrFile = nullptr; // in: the name proposed (may be empty), out: the full path (or paths)
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
    void* pvReserved = nullptr;
    DWORD dwReserved = 0;
    DWORD FlagsEx = 0;
};
typedef OPENFILENAMEW* LPOPENFILENAMEW;

extern "C" {
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn);
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn);
DWORD WINAPI CommDlgExtendedError();
}
