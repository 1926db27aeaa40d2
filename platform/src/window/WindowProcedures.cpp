// Calling window procedures (SendMessageW, CallWindowProcW), window longs and subclassing,
// window properties and window text.
//
// Procedure tokens. GetWindowLongW/SetWindowLongW carry a LONG, too small for a 64-bit
// procedure pointer, yet the module subclasses through SetWindowLongW(GWL_WNDPROC). Every
// procedure that crosses the 32-bit calls gets a token: 0xFFFF0000 | n, which reads as
// 0xFFFFFFFFFFFF000n when the LONG is sign-extended into a WNDPROC (an address no user-space
// function has) and 0x00000000FFFF000n when zero-extended; both forms are recognised by
// SetWindowLongW and CallWindowProcW. A plain LONG given to SetWindowLongW(GWL_WNDPROC) is a
// procedure pointer cut to its low 32 bits: it is restored from the procedures seen so far
// (class procedures, SetWindowLongPtrW, earlier tokens) and, failing that, from the executable
// segments of the loaded objects, the unique one whose address range holds a pointer with those
// low bits. Tokens are never freed; there are as many as distinct procedures.
#include "internal/Window.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <cstring>
#include <cwctype>
#include <link.h>
#include <unordered_map>
#include <unordered_set>

namespace platform {
namespace {

constexpr ULONG_PTR kTokenBase = 0xFFFF0000u;
constexpr size_t kMaxTokens = 0xFFFF;

struct ProcedureTokens {
    std::vector<WNDPROC> procedures; // token n is procedures[n - 1]
    std::unordered_map<WNDPROC, LONG> tokens;
    std::unordered_set<WNDPROC> seen;
};

ProcedureTokens& tokens() {
    static ProcedureTokens* instance = new ProcedureTokens;
    return *instance;
}

// The token index of a value, or 0 when it is not a token.
size_t tokenIndex(ULONG_PTR value) {
    ULONG_PTR low = value & 0xFFFFFFFFu;
    ULONG_PTR high = value >> 32;
    if ((high != 0 && high != 0xFFFFFFFFu) || (low & 0xFFFF0000u) != kTokenBase)
        return 0;
    if (high == 0xFFFFFFFFu && (low & 0x80000000u) == 0)
        return 0;
    size_t n = low & 0xFFFFu;
    return n >= 1 && n <= tokens().procedures.size() ? n : 0;
}

LONG tokenFor(WNDPROC procedure) {
    if (procedure == nullptr)
        return 0;
    ProcedureTokens& t = tokens();
    auto it = t.tokens.find(procedure);
    if (it != t.tokens.end())
        return it->second;
    if (t.procedures.size() >= kMaxTokens)
        return 0;
    t.procedures.push_back(procedure);
    t.seen.insert(procedure);
    LONG token = static_cast<LONG>(static_cast<DWORD>(kTokenBase | t.procedures.size()));
    t.tokens.emplace(procedure, token);
    return token;
}

struct SegmentSearch {
    DWORD low;
    ULONG_PTR found = 0;
    int matches = 0;
};

int searchSegments(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<SegmentSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD || (ph.p_flags & PF_X) == 0)
            continue;
        ULONG_PTR start = info->dlpi_addr + ph.p_vaddr;
        ULONG_PTR end = start + ph.p_memsz;
        // A segment may straddle a 4 GiB boundary: try the high halves of both ends.
        for (ULONG_PTR high : {start >> 32, (end - 1) >> 32}) {
            ULONG_PTR candidate = (high << 32) | search->low;
            if (candidate >= start && candidate < end && candidate != search->found) {
                search->found = candidate;
                ++search->matches;
            }
        }
    }
    return 0;
}

// Restores a procedure pointer from its low 32 bits.
WNDPROC restoreTruncated(DWORD low) {
    WNDPROC match = nullptr;
    for (WNDPROC p : tokens().seen) {
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p)) == low) {
            if (match != nullptr && match != p)
                return nullptr; // ambiguous
            match = p;
        }
    }
    if (match != nullptr)
        return match;
    SegmentSearch search{low};
    dl_iterate_phdr(searchSegments, &search);
    if (search.matches != 1)
        return nullptr;
    return reinterpret_cast<WNDPROC>(search.found);
}

WNDPROC procedureFromLong(LONG value) {
    if (size_t n = tokenIndex(static_cast<ULONG_PTR>(static_cast<DWORD>(value))))
        return tokens().procedures[n - 1];
    if (value == 0)
        return nullptr;
    return restoreTruncated(static_cast<DWORD>(value));
}

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

WNDPROC ResolveProcedure(WNDPROC procedure) {
    if (size_t n = tokenIndex(reinterpret_cast<ULONG_PTR>(procedure)))
        return tokens().procedures[n - 1];
    return procedure;
}

void RememberProcedure(WNDPROC procedure) {
    if (procedure != nullptr)
        tokens().seen.insert(procedure);
}

LRESULT SendTo(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr || window->dead)
        return 0;
    auto hold = Hold(window);
    WNDPROC procedure = ResolveProcedure(window->procedure);
    if (procedure == nullptr)
        return DefWindowProcW(window->handle, message, wParam, lParam);
    return procedure(window->handle, message, wParam, lParam);
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
    WNDPROC real = ResolveProcedure(procedure);
    if (real == nullptr)
        return 0;
    return real(window, message, wParam, lParam);
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
        auto procedure = ResolveProcedure(reinterpret_cast<WNDPROC>(value));
        RememberProcedure(procedure);
        window->procedure = procedure;
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
    if (index == GWL_WNDPROC)
        return tokenFor(window->procedure);
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
    if (index == GWL_WNDPROC) {
        WNDPROC procedure = procedureFromLong(value);
        if (procedure == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        LONG previous = tokenFor(window->procedure);
        RememberProcedure(procedure);
        window->procedure = procedure;
        return previous;
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
