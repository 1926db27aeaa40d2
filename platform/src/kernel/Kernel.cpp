// Last error, the clock and module handles.
#include "platform/winbase.h"
#include "platform/winnls.h"

#include <ctime>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <string_view>
#include <sys/time.h>
#include <unistd.h>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

void fillSystemTime(const std::tm& tm, long milliseconds, SYSTEMTIME* out) {
    out->wYear = static_cast<WORD>(tm.tm_year + 1900);
    out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    out->wDay = static_cast<WORD>(tm.tm_mday);
    out->wHour = static_cast<WORD>(tm.tm_hour);
    out->wMinute = static_cast<WORD>(tm.tm_min);
    out->wSecond = static_cast<WORD>(tm.tm_sec);
    out->wMilliseconds = static_cast<WORD>(milliseconds);
}

// The base of a loaded object is the address of its first loaded segment, which is also what
// dladdr reports as dli_fbase; both routes below give the same handle for the same object.
ElfW(Addr) objectBase(const dl_phdr_info* info) {
    ElfW(Addr) lowest = ~ElfW(Addr)(0);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type == PT_LOAD && ph.p_vaddr < lowest)
            lowest = ph.p_vaddr;
    }
    if (lowest == ~ElfW(Addr)(0))
        lowest = 0;
    return info->dlpi_addr + (lowest & ~ElfW(Addr)(0xFFF));
}

struct ModuleSearch {
    std::string wanted; // empty: the executable
    HMODULE found = nullptr;
    std::string path;
};

bool matchesName(std::string_view path, std::string_view wanted) {
    std::string_view base = path.substr(path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1);
    if (base == wanted)
        return true;
    // A short name matches "lib<name>.so" and "lib<name>.so.<version>".
    std::string shortForm = "lib" + std::string(wanted) + ".so";
    return base == shortForm || base.starts_with(shortForm + ".");
}

int searchModule(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    const char* name = info->dlpi_name != nullptr ? info->dlpi_name : "";
    // The executable comes first, with an empty name.
    bool isMatch = search->wanted.empty() ? true : (name[0] != '\0' && matchesName(name, search->wanted));
    if (!isMatch)
        return 0;
    search->found = reinterpret_cast<HMODULE>(objectBase(info));
    search->path = name;
    return 1;
}

std::string narrow(LPCWSTR text) {
    std::string out;
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back(); // the terminator
    return out;
}

} // namespace

extern "C" {

DWORD WINAPI GetLastError() {
    return lastError;
}

void WINAPI SetLastError(DWORD error) {
    lastError = error;
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
    if (time == nullptr)
        return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    fillSystemTime(tm, ts.tv_nsec / 1000000, time);
}

void WINAPI GetSystemTime(LPSYSTEMTIME time) {
    if (time == nullptr)
        return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    gmtime_r(&ts.tv_sec, &tm);
    fillSystemTime(tm, ts.tv_nsec / 1000000, time);
}

DWORD WINAPI GetTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<DWORD>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                              static_cast<std::uint64_t>(ts.tv_nsec / 1000000));
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
    ModuleSearch search;
    if (moduleName != nullptr) {
        search.wanted = narrow(moduleName);
        if (search.wanted.empty()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
    }
    dl_iterate_phdr(searchModule, &search);
    if (search.found == nullptr)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return search.found;
}

BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR moduleNameOrAddress, HMODULE* module) {
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
        *module = GetModuleHandleW(moduleNameOrAddress);
        return *module != nullptr;
    }
    Dl_info info{};
    if (moduleNameOrAddress == nullptr || dladdr(moduleNameOrAddress, &info) == 0 ||
        info.dli_fbase == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    *module = static_cast<HMODULE>(info.dli_fbase);
    return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
    std::string path;
    if (module == nullptr) {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0)
            path.assign(buffer, static_cast<size_t>(n));
    } else {
        Dl_info info{};
        if (dladdr(module, &info) != 0 && info.dli_fname != nullptr && info.dli_fbase == module)
            path = info.dli_fname;
    }
    if (path.empty() || fileName == nullptr || size == 0) {
        SetLastError(path.empty() ? ERROR_MOD_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wstring wide(path.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (n <= 0)
        return 0;
    wide.resize(static_cast<size_t>(n - 1));
    // Win32 truncates to the buffer, terminates it and reports ERROR_INSUFFICIENT_BUFFER.
    if (wide.size() >= size) {
        wmemcpy(fileName, wide.data(), size - 1);
        fileName[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    wmemcpy(fileName, wide.data(), wide.size() + 1);
    return static_cast<DWORD>(wide.size());
}
}
