// Window classes: RegisterClassExW, UnregisterClassW, GetClassInfoExW, class longs, and the
// system classes that the platform registers for every instance.
#include "internal/Window.h"
#include "internal/WindowManager.h"
#include "internal/WindowSystemClasses.h"

#include <platform/winbase.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <list>

namespace platform {
namespace {

// Win32's atom of the desktop class "#32769".
constexpr ATOM kDesktopAtom = 32769;

struct ClassTable {
    // Registration order within each kind; local classes are searched before global ones.
    std::list<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
    std::vector<void (*)()> registrars;
    bool registrarsRan = false;
};

ClassTable& table() {
    static ClassTable* instance = new ClassTable; // never freed: classes outlive static destructors
    return *instance;
}

bool sameName(const std::wstring& a, LPCWSTR b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == L'\0' || std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return b[i] == L'\0';
}

bool matches(const WindowClass& c, LPCWSTR name) {
    if (IS_INTRESOURCE(name))
        return c.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return sameName(c.name, name);
}

void runRegistrars() {
    ClassTable& t = table();
    if (t.registrarsRan)
        return;
    t.registrarsRan = true;
    // The desktop's class comes first, with Win32's atom.
    auto desktop = std::make_shared<WindowClass>();
    desktop->name = L"#32769";
    desktop->atom = kDesktopAtom;
    desktop->system = true;
    desktop->info.cbSize = sizeof(WNDCLASSEXW);
    desktop->info.lpfnWndProc = DefWindowProcW;
    desktop->info.lpszClassName = desktop->name.c_str();
    t.classes.push_back(desktop);
    for (auto registrar : t.registrars)
        registrar();
}

std::shared_ptr<WindowClass> makeClass(const WNDCLASSEXW& wc, HINSTANCE instance, bool system) {
    auto c = std::make_shared<WindowClass>();
    c->name = wc.lpszClassName;
    c->atom = table().nextAtom++;
    c->info = wc;
    c->info.cbSize = sizeof(WNDCLASSEXW);
    c->info.hInstance = instance;
    c->info.lpszClassName = c->name.c_str();
    c->system = system;
    c->extra.assign(static_cast<size_t>(wc.cbClsExtra > 0 ? wc.cbClsExtra : 0), 0);
    return c;
}

bool validClass(const WNDCLASSEXW* wc) {
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXW) || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == L'\0' || wc->cbClsExtra < 0 ||
        wc->cbWndExtra < 0 || wc->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// A class registered by an instance, global or local.
std::shared_ptr<WindowClass> ownClass(LPCWSTR name, HINSTANCE instance) {
    for (auto& c : table().classes) {
        if (!c->system && c->info.hInstance == instance && matches(*c, name))
            return c;
    }
    return nullptr;
}

void fillInfo(const WindowClass& c, WNDCLASSEXW* out) {
    UINT size = out->cbSize;
    *out = c.info;
    out->cbSize = size;
    // Win32 gives the atom in place of the name pointer's owner; the pointer stays valid while
    // the class is registered.
    out->lpszClassName = c.name.c_str();
}

} // namespace

SystemClassRegistration::SystemClassRegistration(void (*registrar)()) {
    ClassTable& t = table();
    t.registrars.push_back(registrar);
    if (t.registrarsRan)
        registrar();
}

ATOM RegisterSystemClass(const WNDCLASSEXW& wc) {
    runRegistrars();
    if (!validClass(&wc))
        return 0;
    for (auto& c : table().classes) {
        if (c->system && matches(*c, wc.lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto c = makeClass(wc, wc.hInstance, true);
    table().classes.push_back(c);
    return c->atom;
}

HINSTANCE ExecutableInstance() {
    static HINSTANCE executable = GetModuleHandleW(nullptr);
    return executable;
}

std::shared_ptr<WindowClass> LookUpClass(LPCWSTR name, HINSTANCE instance) {
    runRegistrars();
    if (name == nullptr)
        return nullptr;
    auto& classes = table().classes;
    // Win32 order: the instance's local classes, then global classes, then system classes. A null
    // instance matches the executable's classes.
    HINSTANCE wanted = instance != nullptr ? instance : ExecutableInstance();
    for (auto& c : classes) {
        if (!c->system && !(c->info.style & CS_GLOBALCLASS) && c->info.hInstance == wanted &&
            matches(*c, name))
            return c;
    }
    for (auto& c : classes) {
        if (!c->system && (c->info.style & CS_GLOBALCLASS) && matches(*c, name))
            return c;
    }
    for (auto& c : classes) {
        if (c->system && matches(*c, name))
            return c;
    }
    return nullptr;
}

} // namespace platform

using namespace platform;

extern "C" {

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
    runRegistrars();
    if (!validClass(wc))
        return 0;
    HINSTANCE instance = wc->hInstance != nullptr ? wc->hInstance : ExecutableInstance();
    // One class of a name per instance (global classes count too), as Win32 does.
    if (ownClass(wc->lpszClassName, instance) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = makeClass(*wc, instance, false);
    table().classes.push_back(c);
    return c->atom;
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
    if (wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszMenuName = wc->lpszMenuName;
    ex.lpszClassName = wc->lpszClassName;
    return RegisterClassExW(&ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    runRegistrars();
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto c = ownClass(className, instance != nullptr ? instance : ExecutableInstance());
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    c->unregistered = true;
    table().classes.remove(c);
    return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSEXW wc) {
    if (className == nullptr || wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Win32 finds the instance's classes and then the global and system ones, as CreateWindowExW.
    auto c = LookUpClass(className, instance);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    fillInfo(*c, wc);
    return c->atom;
}

BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc) {
    if (wc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    BOOL ok = GetClassInfoExW(instance, className, &ex);
    if (!ok)
        return FALSE;
    wc->style = ex.style;
    wc->lpfnWndProc = ex.lpfnWndProc;
    wc->cbClsExtra = ex.cbClsExtra;
    wc->cbWndExtra = ex.cbWndExtra;
    wc->hInstance = ex.hInstance;
    wc->hIcon = ex.hIcon;
    wc->hCursor = ex.hCursor;
    wc->hbrBackground = ex.hbrBackground;
    wc->lpszMenuName = ex.lpszMenuName;
    wc->lpszClassName = ex.lpszClassName;
    return ok;
}

int WINAPI GetClassNameW(HWND handle, LPWSTR className, int maxCount) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || className == nullptr || maxCount <= 0)
        return 0;
    const std::wstring& name = window->windowClass->name;
    int count = std::min(static_cast<int>(name.size()), maxCount - 1);
    name.copy(className, static_cast<size_t>(count));
    className[count] = L'\0';
    return count;
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND handle, int index) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    WindowClass& c = *window->windowClass;
    if (index >= 0) {
        if (static_cast<size_t>(index) + sizeof(ULONG_PTR) > c.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        ULONG_PTR value;
        std::memcpy(&value, c.extra.data() + index, sizeof(value));
        return value;
    }
    switch (index) {
    case GCLP_HBRBACKGROUND:
        return reinterpret_cast<ULONG_PTR>(c.info.hbrBackground);
    case GCLP_HCURSOR:
        return reinterpret_cast<ULONG_PTR>(c.info.hCursor);
    case GCLP_HICON:
        return reinterpret_cast<ULONG_PTR>(c.info.hIcon);
    case GCLP_HMODULE:
        return reinterpret_cast<ULONG_PTR>(c.info.hInstance);
    case GCLP_WNDPROC:
        return reinterpret_cast<ULONG_PTR>(c.info.lpfnWndProc);
    case GCLP_MENUNAME:
        return reinterpret_cast<ULONG_PTR>(c.info.lpszMenuName);
    case GCL_CBWNDEXTRA:
        return static_cast<ULONG_PTR>(c.info.cbWndExtra);
    case GCL_CBCLSEXTRA:
        return static_cast<ULONG_PTR>(c.info.cbClsExtra);
    case GCL_STYLE:
        return c.info.style;
    case GCW_ATOM:
        return c.atom;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

ULONG_PTR WINAPI SetClassLongPtrW(HWND handle, int index, LONG_PTR value) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    WindowClass& c = *window->windowClass;
    ULONG_PTR previous = GetClassLongPtrW(handle, index);
    if (index >= 0) {
        if (static_cast<size_t>(index) + sizeof(LONG_PTR) > c.extra.size())
            return 0;
        std::memcpy(c.extra.data() + index, &value, sizeof(value));
        return previous;
    }
    switch (index) {
    case GCLP_HBRBACKGROUND:
        c.info.hbrBackground = reinterpret_cast<HBRUSH>(value);
        break;
    case GCLP_HCURSOR:
        c.info.hCursor = reinterpret_cast<HCURSOR>(value);
        break;
    case GCLP_HICON:
        c.info.hIcon = reinterpret_cast<HICON>(value);
        break;
    case GCLP_WNDPROC:
        c.info.lpfnWndProc = reinterpret_cast<WNDPROC>(value);
        break;
    case GCL_STYLE:
        c.info.style = static_cast<UINT>(value);
        break;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return previous;
}

} // extern "C"
