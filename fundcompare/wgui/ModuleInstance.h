// The module instance handle: the HINSTANCE under which the module registers its window classes
// and names its tooltips. The module's entry point sets it once; tests set their own.
#pragma once

#include <platform/windows.h>

namespace WGUI {

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

} // namespace WGUI
