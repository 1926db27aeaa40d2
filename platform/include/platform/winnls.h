// Code-page conversion between multibyte text and wide text.
//
// Supported code pages: 936 (GBK, a superset of GB2312), CP_UTF8 and CP_ACP, which is 936 here
// because the program speaks Chinese, as on a Chinese Windows system. Return values and errors
// follow Win32: the number of units written (or needed, when the output size is 0), and 0 on
// failure with GetLastError() telling why. On failure the output buffer is left untouched.
#pragma once

#include "windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

extern "C" {

// Invalid input without MB_ERR_INVALID_CHARS becomes U+FFFD, one per undecodable byte sequence.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength, LPWSTR wide,
                               int wideLength);

// A character the code page cannot represent becomes the default character ("?" unless
// defaultChar gives one) and sets *usedDefaultChar; for CP_UTF8 both must be null, as in Win32.
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte,
                               int multiByteLength, LPCCH defaultChar, LPBOOL usedDefaultChar);

BOOL WINAPI IsValidCodePage(UINT codePage);
UINT WINAPI GetACP();
}
