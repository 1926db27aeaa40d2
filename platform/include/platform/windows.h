// Everything of the Win32 subset, as <windows.h> gives it on Windows.
#pragma once

#include "winbase.h"
#include "windef.h"
#include "winnls.h"
