// The pop-up menu of a condition button, made from the panel's menu entries and tracked at a
// screen point; the picked command reaches the owner as WM_COMMAND.
#pragma once

#include "filter/FilterWnd2.h"

#include <vector>

// False when no menu could be shown.
bool TrackFilterMenu(HWND owner, const std::vector<FilterWnd2::MenuEntry>& entries, int x, int y);
