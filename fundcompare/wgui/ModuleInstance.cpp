#include "wgui/ModuleInstance.h"

namespace WGUI {
namespace {

HINSTANCE moduleInstance = nullptr;

} // namespace

HINSTANCE ModuleInstance() {
    return moduleInstance;
}

void SetModuleInstance(HINSTANCE instance) {
    moduleInstance = instance;
}

} // namespace WGUI
