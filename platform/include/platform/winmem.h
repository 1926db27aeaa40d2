// Global memory blocks (HGLOBAL), as KERNEL32 hands them out for clipboard data and streams.
//
// A fixed block's handle is its address; a moveable block's handle is an opaque value that
// GlobalLock turns into the address. All calls are safe from any thread.
#pragma once

#include "windef.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
// A fixed block stays where it is unless GMEM_MOVEABLE is passed, as in Win32.
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags);
LPVOID WINAPI GlobalLock(HGLOBAL memory);
// Returns TRUE while the block stays locked, FALSE (with ERROR_SUCCESS) when it becomes unlocked.
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
// Returns null on success and the handle on failure.
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
SIZE_T WINAPI GlobalSize(HGLOBAL memory);
}
