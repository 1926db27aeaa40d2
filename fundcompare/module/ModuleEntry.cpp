// The library's entry points: the instance handle stored when the library is loaded, and the one
// exported function through which the host reaches the module object.
#include "module/FundCompareModuleImpl.h"
#include "wgui/ModuleInstance.h"

#include <platform/dllmain.h>

namespace {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        WGUI::SetModuleInstance(instance);
    return TRUE;
}

} // namespace

PLATFORM_DLL_ENTRY(DllMain)

extern "C" __attribute__((visibility("default"))) IFundCompareModule* ModuleInstance() {
    static FundCompareModuleImpl module;
    return &module;
}
