// The "Edit" class: a single-line text field (see winedit.h).
//
// The text lives in the window text, so WM_GETTEXT and WM_SETTEXT work as for any window; the
// control keeps the caret, the selection anchor and the sideways scroll offset.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"

#include <platform/winedit.h>

#include <algorithm>
#include <string>

namespace platform {
namespace {

constexpr int kPadding = 3;

struct EditState {
    HFONT font = nullptr;
    size_t caret = 0;
    size_t anchor = 0; // the other end of the selection; equal to caret without one
    int scroll = 0;    // pixels of text hidden on the left
    bool focused = false;
    size_t limit = 32767;
};

EditState* stateOf(HWND window) {
    return ControlState<EditState>(window);
}

std::wstring textOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

int widthOf(HWND window, EditState* state, const std::wstring& text, size_t count) {
    if (count == 0)
        return 0;
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, ControlFont(state->font));
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(count), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

// Keeps the caret inside the visible part of the field.
void scrollToCaret(HWND window, EditState* state) {
    RECT client;
    GetClientRect(window, &client);
    int visible = std::max(1, static_cast<int>(client.right) - 2 * kPadding);
    int x = widthOf(window, state, textOf(window), state->caret);
    if (x - state->scroll > visible)
        state->scroll = x - visible;
    if (x < state->scroll)
        state->scroll = x;
    state->scroll = std::max(0, state->scroll);
}

void changed(HWND window, EditState* state, const std::wstring& text) {
    SetWindowTextW(window, text.c_str());
    state->caret = std::min(state->caret, text.size());
    state->anchor = std::min(state->anchor, text.size());
    scrollToCaret(window, state);
    InvalidateRect(window, nullptr, FALSE);
    NotifyParent(window, EN_CHANGE);
}

void replaceSelection(HWND window, EditState* state, const std::wstring& insert) {
    std::wstring text = textOf(window);
    size_t from = std::min(state->caret, state->anchor);
    size_t to = std::max(state->caret, state->anchor);
    from = std::min(from, text.size());
    to = std::min(to, text.size());
    std::wstring piece = insert.substr(0, state->limit - std::min(state->limit, text.size() - (to - from)));
    text.replace(from, to - from, piece);
    state->caret = state->anchor = from + piece.size();
    changed(window, state, text);
}

void moveCaret(HWND window, EditState* state, size_t to, bool select) {
    state->caret = to;
    if (!select)
        state->anchor = to;
    scrollToCaret(window, state);
    InvalidateRect(window, nullptr, FALSE);
}

void paint(HWND window, EditState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    bool enabled = IsWindowEnabled(window) != FALSE;
    FillRect(dc, &client, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    FrameRect(dc, &client, GetSysColorBrush(state->focused ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    std::wstring text = textOf(window);
    HGDIOBJ old = SelectObject(dc, ControlFont(state->font));
    int lineHeight = FontLineHeight(ControlFont(state->font));
    int top = (client.bottom - lineHeight) / 2;
    int left = kPadding - state->scroll;
    RECT inner = client;
    InflateRect(&inner, -1, -1);
    HRGN clip = CreateRectRgnIndirect(&inner);
    SelectClipRgn(dc, clip);
    size_t from = std::min(state->caret, state->anchor);
    size_t to = std::max(state->caret, state->anchor);
    if (state->focused && from != to) {
        RECT selection{left + widthOf(window, state, text, from), top,
                       left + widthOf(window, state, text, to), top + lineHeight};
        FillRect(dc, &selection, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    TextOutW(dc, left, top, text.c_str(), static_cast<int>(text.size()));
    if (state->focused && from != to) {
        // The selected part again, in the highlight's own text colour.
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutW(dc, left + widthOf(window, state, text, from), top, text.c_str() + from,
                 static_cast<int>(to - from));
    }
    if (state->focused) {
        int x = left + widthOf(window, state, text, state->caret);
        RECT caret{x, top, x + 1, top + lineHeight};
        FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

bool keyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

LRESULT onKeyDown(HWND window, EditState* state, WPARAM key) {
    std::wstring text = textOf(window);
    bool shift = keyDown(VK_SHIFT);
    switch (key) {
    case VK_LEFT:
        if (!shift && state->caret != state->anchor)
            moveCaret(window, state, std::min(state->caret, state->anchor), false);
        else
            moveCaret(window, state, state->caret > 0 ? state->caret - 1 : 0, shift);
        return 0;
    case VK_RIGHT:
        if (!shift && state->caret != state->anchor)
            moveCaret(window, state, std::max(state->caret, state->anchor), false);
        else
            moveCaret(window, state, std::min(text.size(), state->caret + 1), shift);
        return 0;
    case VK_HOME:
        moveCaret(window, state, 0, shift);
        return 0;
    case VK_END:
        moveCaret(window, state, text.size(), shift);
        return 0;
    case VK_DELETE:
        if (state->caret == state->anchor) {
            if (state->caret >= text.size())
                return 0;
            state->anchor = state->caret + 1;
        }
        replaceSelection(window, state, L"");
        return 0;
    case 'A':
        if (keyDown(VK_CONTROL)) {
            state->anchor = 0;
            moveCaret(window, state, text.size(), true);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT onChar(HWND window, EditState* state, wchar_t c) {
    if (c == L'\b') {
        if (state->caret == state->anchor) {
            if (state->caret == 0)
                return 0;
            state->anchor = state->caret - 1;
        }
        replaceSelection(window, state, L"");
        return 0;
    }
    // Control characters (Enter, Escape, Tab, Ctrl+letters) are not text.
    if (c < 0x20 || c == 0x7F)
        return 0;
    replaceSelection(window, state, std::wstring(1, c));
    return 0;
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    EditState* state = stateOf(window);
    if (state == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(window, state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        size_t length = static_cast<size_t>(GetWindowTextLengthW(window));
        state->caret = std::min(state->caret, length);
        state->anchor = std::min(state->anchor, length);
        InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (GetFocus() != window)
            SetFocus(window);
        // The caret goes to the character boundary nearest the click.
        std::wstring text = textOf(window);
        int x = GET_X_LPARAM(lParam) - kPadding + state->scroll;
        size_t best = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (std::abs(widthOf(window, state, text, i) - x) <
                std::abs(widthOf(window, state, text, best) - x))
                best = i;
        }
        moveCaret(window, state, best, message == WM_LBUTTONDBLCLK ? false : keyDown(VK_SHIFT));
        if (message == WM_LBUTTONDBLCLK) {
            state->anchor = 0;
            moveCaret(window, state, text.size(), true);
        }
        return 0;
    }
    case WM_SETFOCUS:
        state->focused = true;
        InvalidateRect(window, nullptr, FALSE);
        NotifyParent(window, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focused = false;
        InvalidateRect(window, nullptr, FALSE);
        NotifyParent(window, EN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
        return onKeyDown(window, state, wParam);
    case WM_CHAR:
        return onChar(window, state, static_cast<wchar_t>(wParam));
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    case EM_SETSEL: {
        size_t length = static_cast<size_t>(GetWindowTextLengthW(window));
        auto clampPos = [length](LPARAM v) {
            return v < 0 ? length : std::min(length, static_cast<size_t>(v));
        };
        state->anchor = clampPos(static_cast<LPARAM>(static_cast<int>(wParam)));
        moveCaret(window, state, clampPos(lParam), true);
        return 0;
    }
    case EM_GETSEL: {
        DWORD from = static_cast<DWORD>(std::min(state->caret, state->anchor));
        DWORD to = static_cast<DWORD>(std::max(state->caret, state->anchor));
        if (wParam != 0)
            *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam != 0)
            *reinterpret_cast<DWORD*>(lParam) = to;
        return MAKELONG(from, to);
    }
    case EM_REPLACESEL:
        replaceSelection(window, state, lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"");
        return 0;
    case EM_LIMITTEXT:
        state->limit = wParam == 0 ? 32767 : static_cast<size_t>(wParam);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SystemClassRegistration editClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_PARENTDC;
    wc.lpfnWndProc = EditProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = WC_EDITW;
    RegisterSystemClass(wc);
});

} // namespace
} // namespace platform
