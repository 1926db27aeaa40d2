// A tiny library whose only job is to carry resources, so that the tests can look them up
// through its HINSTANCE.
#include <platform/winbase.h>

namespace {
const char anchor = 0;
}

extern "C" __attribute__((visibility("default"))) HMODULE RESFIXTURE_INSTANCE() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&anchor), &module);
    return module;
}
