// Calling window procedures (SendMessageW, CallWindowProcW), window longs and subclassing,
// window properties and window text.
//
// Window procedures cross the window-long calls only in their pointer-sized forms
// (GetWindowLongPtrW/SetWindowLongPtrW with GWLP_WNDPROC), as on 64-bit Windows: a LONG cannot
// hold a procedure address, so the 32-bit forms refuse the procedure index with
// ERROR_INVALID_INDEX instead of handing out or accepting a value that would have to be guessed
// back into a pointer.
#include "internal/Window.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <cstring>
#include <cwctype>

namespace platform {
namespace {

std::wstring propertyKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name))
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    std::wstring key(name);
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

bool extraRange(const Window* window, int index, size_t size) {
    if (index < 0 || static_cast<size_t>(index) + size > window->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return false;
    }
    return true;
}

LONG_PTR setStyle(Window* window, int index, DWORD value) {
    auto hold = Hold(window);
    DWORD& field = index == GWL_STYLE ? window->style : window->exStyle;
    STYLESTRUCT change{field, value};
    SendTo(window, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    if (window->dead)
        return 0;
    DWORD previous = field;
    field = change.styleNew;
    change.styleOld = previous;
    SendTo(window, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    return static_cast<LONG_PTR>(static_cast<LONG>(previous));
}

} // namespace

LRESULT SendTo(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr || window->dead)
        return 0;
    auto hold = Hold(window);
    if (window->procedure == nullptr)
        return DefWindowProcW(window->handle, message, wParam, lParam);
    return window->procedure(window->handle, message, wParam, lParam);
}

} // namespace platform

using namespace platform;

extern "C" {

LRESULT WINAPI SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    return SendTo(window, message, wParam, lParam);
}

LRESULT WINAPI CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (procedure == nullptr)
        return 0;
    return procedure(window, message, wParam, lParam);
}

BOOL WINAPI InSendMessage() {
    // Every message of this process is sent from its own thread.
    return FALSE;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND handle, int index) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (!extraRange(window, index, sizeof(LONG_PTR)))
            return 0;
        LONG_PTR value;
        std::memcpy(&value, window->extra.data() + index, sizeof(value));
        return value;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        if (window->IsChildStyle())
            return reinterpret_cast<LONG_PTR>(window->parent->handle);
        return reinterpret_cast<LONG_PTR>(window->owner != nullptr ? window->owner->handle : nullptr);
    case GWLP_ID:
        return window->id;
    case GWLP_USERDATA:
        return window->userData;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(window->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(window->exStyle));
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND handle, int index, LONG_PTR value) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (!extraRange(window, index, sizeof(LONG_PTR)))
            return 0;
        LONG_PTR previous;
        std::memcpy(&previous, window->extra.data() + index, sizeof(previous));
        std::memcpy(window->extra.data() + index, &value, sizeof(value));
        return previous;
    }
    LONG_PTR previous = 0;
    switch (index) {
    case GWLP_WNDPROC: {
        previous = reinterpret_cast<LONG_PTR>(window->procedure);
        window->procedure = reinterpret_cast<WNDPROC>(value);
        return previous;
    }
    case GWLP_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(value);
        return previous;
    case GWLP_HWNDPARENT: {
        previous = GetWindowLongPtrW(handle, GWLP_HWNDPARENT);
        // Changes the owner of a top-level window, as in Win32; children keep their parent.
        if (window->IsTopLevel()) {
            Window* owner = LiveWindow(reinterpret_cast<HWND>(value));
            window->owner = owner != nullptr ? TopLevelOf(owner) : nullptr;
        }
        return previous;
    }
    case GWLP_ID:
        previous = window->id;
        window->id = value;
        return previous;
    case GWLP_USERDATA:
        previous = window->userData;
        window->userData = value;
        return previous;
    case GWL_STYLE:
    case GWL_EXSTYLE:
        return setStyle(window, index, static_cast<DWORD>(value));
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG WINAPI GetWindowLongW(HWND handle, int index) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (!extraRange(window, index, sizeof(LONG)))
            return 0;
        LONG value;
        std::memcpy(&value, window->extra.data() + index, sizeof(value));
        return value;
    }
    if (index == GWLP_WNDPROC) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    // Other pointer-sized values are cut to 32 bits, as on 64-bit Windows.
    return static_cast<LONG>(GetWindowLongPtrW(handle, index));
}

LONG WINAPI SetWindowLongW(HWND handle, int index, LONG value) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    if (index >= 0) {
        if (!extraRange(window, index, sizeof(LONG)))
            return 0;
        LONG previous;
        std::memcpy(&previous, window->extra.data() + index, sizeof(previous));
        std::memcpy(window->extra.data() + index, &value, sizeof(value));
        return previous;
    }
    if (index == GWLP_WNDPROC) {
        // The window keeps its procedure.
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    // User data and the id keep the sign of the 32-bit value, as Win32 stores them.
    return static_cast<LONG>(SetWindowLongPtrW(handle, index, static_cast<LONG_PTR>(value)));
}

BOOL WINAPI SetPropW(HWND handle, LPCWSTR name, HANDLE data) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || name == nullptr)
        return FALSE;
    window->properties[propertyKey(name)] = data;
    return TRUE;
}

HANDLE WINAPI GetPropW(HWND handle, LPCWSTR name) {
    Window* window = LiveWindow(handle);
    if (window == nullptr || name == nullptr)
        return nullptr;
    auto it = window->properties.find(propertyKey(name));
    return it != window->properties.end() ? it->second : nullptr;
}

HANDLE WINAPI RemovePropW(HWND handle, LPCWSTR name) {
    Window* window = LiveWindow(handle);
    if (window == nullptr || name == nullptr)
        return nullptr;
    auto it = window->properties.find(propertyKey(name));
    if (it == window->properties.end())
        return nullptr;
    HANDLE data = it->second;
    window->properties.erase(it);
    return data;
}

BOOL WINAPI SetWindowTextW(HWND handle, LPCWSTR text) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return FALSE;
    return static_cast<BOOL>(SendTo(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextW(HWND handle, LPWSTR text, int maxCount) {
    Window* window = CheckWindow(handle);
    if (window == nullptr || text == nullptr || maxCount <= 0)
        return 0;
    text[0] = L'\0';
    return static_cast<int>(
        SendTo(window, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthW(HWND handle) {
    Window* window = CheckWindow(handle);
    if (window == nullptr)
        return 0;
    return static_cast<int>(SendTo(window, WM_GETTEXTLENGTH, 0, 0));
}

} // extern "C"
