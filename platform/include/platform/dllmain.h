// The library entry point.
//
// A shared library that wants Windows' DllMain writes its entry point as usual and adds
// PLATFORM_DLL_ENTRY(DllMain) in the same source file. The entry point is then called with the
// library's own HINSTANCE and DLL_PROCESS_ATTACH when the library is loaded, and with
// DLL_PROCESS_DETACH when it is unloaded.
#pragma once

#include "winbase.h"

#define PLATFORM_DLL_ENTRY(entry)                                                                            \
    namespace {                                                                                              \
    const char platformDllAnchor = 0;                                                                        \
    HINSTANCE platformDllInstance() {                                                                        \
        HMODULE module = nullptr;                                                                            \
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |                                          \
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,                                 \
                           reinterpret_cast<LPCWSTR>(&platformDllAnchor), &module);                          \
        return module;                                                                                       \
    }                                                                                                        \
    __attribute__((constructor)) void platformDllAttach() {                                                  \
        entry(platformDllInstance(), DLL_PROCESS_ATTACH, nullptr);                                           \
    }                                                                                                        \
    __attribute__((destructor)) void platformDllDetach() {                                                   \
        entry(platformDllInstance(), DLL_PROCESS_DETACH, nullptr);                                           \
    }                                                                                                        \
    }
