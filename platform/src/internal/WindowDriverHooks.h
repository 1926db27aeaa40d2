// What the modal parts of the platform (TrackPopupMenu, MessageBoxW) read of the driver: the
// hooks that answer them on the headless screen, and the record of message boxes.
#pragma once

#include <platform/driver.h>

namespace platform {

// The installed hooks; empty functions when none is installed.
const PlatformMenuHook& MenuHook();
const PlatformMessageBoxHook& MessageBoxHook();
// Appends to the record that PlatformMessageBoxes returns.
void RecordMessageBox(const PlatformMessageBoxRecord& record);
// Appends to the record that PlatformMenus returns.
void RecordMenu(const PlatformMenuRecord& record);

} // namespace platform
