// USER32 drawing calls that are implemented over GDI (FillRect, DrawTextW, system colours).
#pragma once

#include "windef.h"
