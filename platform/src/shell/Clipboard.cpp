// The clipboard: one opener at a time, one text kept. On a display the text also goes to the
// desktop's clipboard through SDL, so that other programs can paste it; reading prefers the
// desktop's text there, since another program may have put something newer on it.
#include "internal/Utf8.h"

#include <platform/display.h>
#include <platform/driver.h>
#include <platform/windows.h>

#include <SDL.h>

#include <cstring>
#include <string>

namespace {

struct ClipboardState {
    bool open = false;
    HWND opener = nullptr;
    HWND owner = nullptr;
    HGLOBAL text = nullptr; // CF_UNICODETEXT, owned
    int writes = 0;
    std::wstring last;
};

ClipboardState& state() {
    static ClipboardState s;
    return s;
}

HGLOBAL blockOf(const std::wstring& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (auto* p = static_cast<wchar_t*>(GlobalLock(block))) {
        std::memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
    }
    return block;
}

void freeText() {
    if (state().text != nullptr)
        GlobalFree(state().text);
    state().text = nullptr;
}

} // namespace

extern "C" {

BOOL WINAPI OpenClipboard(HWND owner) {
    ClipboardState& s = state();
    if (s.open)
        return FALSE;
    s.open = true;
    s.opener = owner;
    return TRUE;
}

BOOL WINAPI CloseClipboard() {
    ClipboardState& s = state();
    if (!s.open)
        return FALSE;
    s.open = false;
    s.opener = nullptr;
    return TRUE;
}

BOOL WINAPI EmptyClipboard() {
    ClipboardState& s = state();
    if (!s.open)
        return FALSE;
    freeText();
    s.owner = s.opener;
    return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT format, HANDLE memory) {
    ClipboardState& s = state();
    if (!s.open || format != CF_UNICODETEXT || memory == nullptr)
        return nullptr;
    auto* text = static_cast<const wchar_t*>(GlobalLock(memory));
    if (text == nullptr)
        return nullptr;
    // The block may not be terminated within its size: read no further than it reaches.
    size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && text[length] != L'\0')
        ++length;
    std::wstring copy(text, length);
    GlobalUnlock(memory);
    freeText();
    s.text = memory;
    s.last = copy;
    ++s.writes;
    if (PlatformUsesDisplay())
        SDL_SetClipboardText(platform::Utf8(copy).c_str());
    return memory;
}

HANDLE WINAPI GetClipboardData(UINT format) {
    ClipboardState& s = state();
    if (!s.open || format != CF_UNICODETEXT)
        return nullptr;
    if (PlatformUsesDisplay() && SDL_HasClipboardText()) {
        char* desktop = SDL_GetClipboardText();
        std::wstring text = desktop != nullptr ? platform::FromUtf8(desktop) : std::wstring();
        SDL_free(desktop);
        if (text != s.last) {
            freeText();
            s.text = blockOf(text);
            s.last = text;
        }
    }
    return s.text;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    if (format != CF_UNICODETEXT)
        return FALSE;
    if (PlatformUsesDisplay() && SDL_HasClipboardText())
        return TRUE;
    return state().text != nullptr;
}

HWND WINAPI GetClipboardOwner() {
    return state().owner;
}

} // extern "C"

std::wstring PlatformClipboardText() {
    return state().last;
}

int PlatformClipboardWrites() {
    return state().writes;
}
