// Everything of the Win32 subset, as <windows.h> gives it on Windows.
#pragma once

#include "windef.h"
#include "winbase.h"
#include "winmem.h"
#include "winnls.h"
#include "winuser.h"
#include "wingdi.h"
#include "commctrl.h"
