// Everything of the Win32 subset, as <windows.h> gives it on Windows.
#pragma once

#include "commctrl.h"
#include "winbase.h"
#include "windef.h"
#include "wingdi.h"
#include "winmem.h"
#include "winnls.h"
#include "winuser.h"
#include "winclipboard.h"
#include "winedit.h"
