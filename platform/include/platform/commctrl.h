// Common controls: the tooltip control's record, messages, styles and notifications, the class
// names of the standard controls, and the notification codes shared by the controls.
//
// TOOLINFOW holds every field of the 64-bit record (72 bytes). Callers written for 32-bit
// Windows fill cbSize with 48, the 32-bit size of the record; the tooltip control accepts any
// size from TTTOOLINFOW_MIN_SIZE (48) up and reads all the fields, which the caller's record
// always has here.
#pragma once

#include "windef.h"
#include "winuser.h"

#include <cstddef>

#define WC_BUTTONW L"Button"
#define WC_COMBOBOXW L"ComboBox"
#define TOOLTIPS_CLASSW L"tooltips_class32"
#define TOOLTIPS_CLASS TOOLTIPS_CLASSW
#define PROGRESS_CLASSW L"msctls_progress32"
#define PROGRESS_CLASS PROGRESS_CLASSW

// The colour that gives a control's part back its default colour.
#define CLR_DEFAULT 0xFF000000L
// Messages shared by the common controls.
#define CCM_FIRST 0x2000
#define CCM_SETBKCOLOR (CCM_FIRST + 1)

// InitCommonControlsEx: the standard controls are always registered here; the call only succeeds.
struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;
#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
#define ICC_WIN95_CLASSES 0x000000FF
#define ICC_STANDARD_CLASSES 0x00004000

// Notification codes shared by the controls (WM_NOTIFY).
#define NM_FIRST (0U - 0U)
#define NM_OUTOFMEMORY (NM_FIRST - 1)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define NM_HOVER (NM_FIRST - 13)

// ---- Tooltips ---------------------------------------------------------------------------------

#define TTS_ALWAYSTIP 0x01
#define TTS_NOPREFIX 0x02
#define TTS_NOANIMATE 0x10
#define TTS_NOFADE 0x20
#define TTS_BALLOON 0x40
#define TTS_CLOSE 0x80

#define TTF_IDISHWND 0x0001
#define TTF_CENTERTIP 0x0002
#define TTF_RTLREADING 0x0004
#define TTF_SUBCLASS 0x0010
#define TTF_TRACK 0x0020
#define TTF_ABSOLUTE 0x0080
#define TTF_TRANSPARENT 0x0100
#define TTF_PARSELINKS 0x1000
#define TTF_DI_SETITEM 0x8000

#define TTDT_AUTOMATIC 0
#define TTDT_RESHOW 1
#define TTDT_AUTOPOP 2
#define TTDT_INITIAL 3

#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_SETDELAYTIME (WM_USER + 3)
#define TTM_RELAYEVENT (WM_USER + 7)
#define TTM_GETTOOLCOUNT (WM_USER + 13)
#define TTM_WINDOWFROMPOINT (WM_USER + 16)
#define TTM_TRACKACTIVATE (WM_USER + 17)
#define TTM_TRACKPOSITION (WM_USER + 18)
#define TTM_SETTIPBKCOLOR (WM_USER + 19)
#define TTM_SETTIPTEXTCOLOR (WM_USER + 20)
#define TTM_GETDELAYTIME (WM_USER + 21)
#define TTM_GETTIPBKCOLOR (WM_USER + 22)
#define TTM_GETTIPTEXTCOLOR (WM_USER + 23)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)
#define TTM_GETMAXTIPWIDTH (WM_USER + 25)
#define TTM_SETMARGIN (WM_USER + 26)
#define TTM_GETMARGIN (WM_USER + 27)
#define TTM_POP (WM_USER + 28)
#define TTM_UPDATE (WM_USER + 29)
#define TTM_GETBUBBLESIZE (WM_USER + 30)
#define TTM_ADJUSTRECT (WM_USER + 31)
#define TTM_SETTITLEW (WM_USER + 33)
#define TTM_POPUP (WM_USER + 34)
#define TTM_ADDTOOLW (WM_USER + 50)
#define TTM_DELTOOLW (WM_USER + 51)
#define TTM_NEWTOOLRECTW (WM_USER + 52)
#define TTM_GETTOOLINFOW (WM_USER + 53)
#define TTM_SETTOOLINFOW (WM_USER + 54)
#define TTM_HITTESTW (WM_USER + 55)
#define TTM_GETTEXTW (WM_USER + 56)
#define TTM_UPDATETIPTEXTW (WM_USER + 57)
#define TTM_ENUMTOOLSW (WM_USER + 58)
#define TTM_GETCURRENTTOOLW (WM_USER + 59)
#define TTM_ADDTOOL TTM_ADDTOOLW
#define TTM_DELTOOL TTM_DELTOOLW
#define TTM_UPDATETIPTEXT TTM_UPDATETIPTEXTW

#define TTN_FIRST (0U - 520U)
#define TTN_LAST (0U - 549U)
#define TTN_GETDISPINFOW (TTN_FIRST - 10)
#define TTN_SHOW (TTN_FIRST - 1)
#define TTN_POP (TTN_FIRST - 2)
#define TTN_LINKCLICK (TTN_FIRST - 3)
#define TTN_NEEDTEXTW TTN_GETDISPINFOW
#define TTN_GETDISPINFO TTN_GETDISPINFOW
#define TTN_NEEDTEXT TTN_NEEDTEXTW

// The tool's text comes from the owner through TTN_GETDISPINFOW.
#define LPSTR_TEXTCALLBACKW ((LPWSTR)(LONG_PTR)-1)
#define LPSTR_TEXTCALLBACK LPSTR_TEXTCALLBACKW

struct TOOLINFOW {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPWSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
typedef TOOLINFOW* LPTOOLINFOW;
typedef TOOLINFOW* PTOOLINFOW;
typedef TOOLINFOW TTTOOLINFOW;
typedef TOOLINFOW* LPTTTOOLINFOW;

#define TTTOOLINFOW_V1_SIZE offsetof(TOOLINFOW, lParam)
#define TTTOOLINFOW_V2_SIZE offsetof(TOOLINFOW, lpReserved)
#define TTTOOLINFOW_V3_SIZE sizeof(TOOLINFOW)
// The smallest cbSize the tooltip control accepts: the 32-bit record's size, which 32-bit-era
// callers (the module) write.
#define TTTOOLINFOW_MIN_SIZE 48

struct TTHITTESTINFOW {
    HWND hwnd;
    POINT pt;
    TOOLINFOW ti;
};
typedef TTHITTESTINFOW* LPTTHITTESTINFOW;

struct NMTTDISPINFOW {
    NMHDR hdr;
    LPWSTR lpszText;
    WCHAR szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
};
typedef NMTTDISPINFOW* LPNMTTDISPINFOW;
typedef NMTTDISPINFOW TOOLTIPTEXTW;
typedef NMTTDISPINFOW* LPTOOLTIPTEXTW;

// ---- Progress bars ------------------------------------------------------------------------------
// A bar that fills from the left (from the bottom with PBS_VERTICAL) as its position moves from the
// low to the high limit of its range (0 to 100 unless set). Positions outside the range are moved
// to its nearest limit. Without PBS_SMOOTH the bar is drawn as a row of blocks.

#define PBS_SMOOTH 0x01
#define PBS_VERTICAL 0x04

#define PBM_SETRANGE (WM_USER + 1)   // lParam MAKELPARAM(low, high); answers the old range, 16 bits each
#define PBM_SETPOS (WM_USER + 2)     // wParam the position; answers the old position
#define PBM_DELTAPOS (WM_USER + 3)   // wParam added to the position; answers the old position
#define PBM_SETSTEP (WM_USER + 4)    // wParam the step (10 unless set); answers the old step
#define PBM_STEPIT (WM_USER + 5)     // one step on, back to the low limit past the high one
#define PBM_SETRANGE32 (WM_USER + 6) // wParam low, lParam high (32 bits); answers as PBM_SETRANGE
#define PBM_GETRANGE (WM_USER + 7)   // wParam TRUE: answers the low limit, FALSE the high; fills a PBRANGE*
#define PBM_GETPOS (WM_USER + 8)
#define PBM_SETBARCOLOR (WM_USER + 9) // lParam a COLORREF or CLR_DEFAULT; answers the old one
#define PBM_SETBKCOLOR CCM_SETBKCOLOR // lParam a COLORREF or CLR_DEFAULT; answers the old one
#define PBM_GETSTEP (WM_USER + 13)
#define PBM_GETBKCOLOR (WM_USER + 14)
#define PBM_GETBARCOLOR (WM_USER + 15)

struct PBRANGE {
    int iLow;
    int iHigh;
};
typedef PBRANGE* PPBRANGE;

extern "C" {
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void WINAPI InitCommonControls();
}
