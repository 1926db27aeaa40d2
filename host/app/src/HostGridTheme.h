// Theme colours for the host's own grids and tab bars, read from the same keys as the module's.
#pragma once

#include <sdk/Conf.h>
#include <sdk/ControlDataGrid.h>
#include <sdk/ControlTableHeader.h>

void ApplyHostGridTheme(Control::XDataGrid& grid, Conf::ITheme* theme);
void ApplyHostTableHeaderTheme(Control::XTableHeader& header, Conf::ITheme* theme, COLORREF background);
