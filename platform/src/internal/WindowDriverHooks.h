// What the modal parts of the platform (TrackPopupMenu, MessageBoxW) read of the driver: the
// hooks that answer them on the headless screen, and their records (see internal/RecordLog.h).
#pragma once

#include "internal/RecordLog.h"

#include <platform/driver.h>

namespace platform {

// The installed hooks; empty functions when none is installed.
const PlatformMenuHook& MenuHook();
const PlatformMessageBoxHook& MessageBoxHook();
// Append to the records that PlatformMessageBoxes and PlatformMenus return; call them only when
// KeepsRecords() says so.
void RecordMessageBox(PlatformMessageBoxRecord record);
void RecordMenu(PlatformMenuRecord record);

} // namespace platform
