// System window classes: classes that the platform registers for the whole process, as user32
// registers "Button" or "ComboBox" on Windows. CreateWindowExW finds them from any instance,
// after the caller's own and global classes; UnregisterClassW cannot remove them.
//
// The standard controls register their classes through a SystemClassRegistration object at
// namespace scope in their source file:
//
//     static platform::SystemClassRegistration buttonClass([] {
//         WNDCLASSEXW wc{sizeof(wc)};
//         wc.lpszClassName = L"Button"; ...
//         platform::RegisterSystemClass(wc);
//     });
//
// The registrars run once, in registration order, the first time any class is looked up, so no
// start-up call is needed and static initialisation order does not matter.
#pragma once

#include <platform/winuser.h>

namespace platform {

// Registers a system class; hInstance may be null. Returns the atom, or 0 when a system class of
// that name exists (ERROR_CLASS_ALREADY_EXISTS).
ATOM RegisterSystemClass(const WNDCLASSEXW& wc);

struct SystemClassRegistration {
    explicit SystemClassRegistration(void (*registrar)());
};

} // namespace platform
