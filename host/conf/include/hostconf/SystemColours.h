// The theme's colours for the standard controls. Buttons, drop-down boxes, the fund picker, menus
// and message boxes draw with the system colours, as Win32 controls do; the host sets those from
// the theme so that they match the windows around them.
#pragma once

#include <sdk/Conf.h>

namespace HostConf {

// Sets the system colours from the theme's "button_", "combo_" and "list_" keys. Keys the theme
// lacks leave their system colours as they are; a null theme changes nothing.
void ApplySystemColours(Conf::ITheme* theme);

} // namespace HostConf
