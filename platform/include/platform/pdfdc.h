// Documents: a device context whose pages go into a PDF document instead of onto a screen, with
// Win32's printing calls (StartDocW, StartPage, EndPage, EndDoc, AbortDoc) to move through them.
//
// The DC speaks pixels at 96 per inch, as every screen DC does, so that whatever draws a window
// draws a page the same way; the document scales them to points (72 per inch). Lines, fills and
// text stay vectors and text, with the fonts' used glyphs embedded; a bitmap blitted onto the page
// goes in as an image. Pixels cannot be read back (GetPixel fails).
//
// The document's bytes go to the caller's writer as they are made; EndDoc writes the rest. A
// writer that refuses a block makes every later call fail, and EndDoc reports it; the caller then
// throws away what it was given. A DC deleted before EndDoc (or after AbortDoc) writes nothing more.
#pragma once

#include "wingdi.h"

extern "C" {

// Answers false when the bytes could not be kept.
typedef bool (*PDFWRITEPROC)(void* closure, const unsigned char* data, unsigned int length);

typedef struct _DOCINFOW {
    int cbSize;
    LPCWSTR lpszDocName; // the document's title
    LPCWSTR lpszOutput;  // unused: the output is the DC's writer
    LPCWSTR lpszDatatype;
    DWORD fwType;
} DOCINFOW, *LPDOCINFOW;

// A document of pages of width x height pixels (A4 landscape: 1123 x 794); null when the sizes
// are not positive or the writer is missing.
HDC WINAPI CreatePdfDC(int width, int height, PDFWRITEPROC writer, void* closure);
// Names the document; a positive job number on success, SP_ERROR otherwise.
int WINAPI StartDocW(HDC dc, const DOCINFOW* info);
// Begins a page: drawing goes onto it until EndPage. Answers > 0 on success.
int WINAPI StartPage(HDC dc);
// Ends the page and moves to a new blank one.
int WINAPI EndPage(HDC dc);
// Completes the document and hands its last bytes to the writer; > 0 only when every byte was kept.
int WINAPI EndDoc(HDC dc);
// Gives the document up: nothing more reaches the writer.
int WINAPI AbortDoc(HDC dc);
// Pages ended so far, 0 for a DC that is not a document.
int WINAPI GetPdfPageCount(HDC dc);

#define SP_ERROR (-1)

// WM_PRINTCLIENT's flags: what the window is asked to draw into the DC of its wParam.
#ifndef PRF_CLIENT
#define PRF_CHECKVISIBLE 0x00000001L
#define PRF_NONCLIENT 0x00000002L
#define PRF_CLIENT 0x00000004L
#define PRF_ERASEBKGND 0x00000008L
#define PRF_CHILDREN 0x00000010L
#endif
#define StartDoc StartDocW
}
