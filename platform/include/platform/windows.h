// Everything of the Win32 subset, as <windows.h> gives it on Windows.
#pragma once

#include "commctrl.h"
#include "winbase.h"
#include "winclipboard.h"
#include "windef.h"
#include "winedit.h"
#include "wingdi.h"
#include "winmem.h"
#include "winnls.h"
#include "winuser.h"
