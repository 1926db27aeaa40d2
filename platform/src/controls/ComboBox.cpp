// The "ComboBox" class, drop-down list kind (CBS_DROPDOWNLIST), and its list pop-up
// ("ComboLBox").
//
// Sections: state and geometry; the list pop-up; opening, closing and picking; the box's
// messages; registration.
//
// Sizes. As on Windows, the height a caller gives the box (at creation or by MoveWindow) is the
// height of the box with its list open; the box itself keeps the height of one line of its font.
// The list opens below the box (above it when the screen ends first) and shows as many items as
// fit in the rest of that height, at least one, with a scroll bar when WS_VSCROLL is set and not
// all fit.
//
// Input. While the list is open it holds the mouse capture, so a click outside closes it, and the
// box (which keeps the keyboard focus) steers it from the keyboard and the wheel. A pick sends
// CBN_SELENDOK, CBN_CLOSEUP and, when the selection changed, CBN_SELCHANGE; Escape, a click
// outside or losing the focus sends CBN_SELENDCANCEL and CBN_CLOSEUP and changes nothing.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr wchar_t kListClass[] = L"ComboLBox";
constexpr int kScrollWidth = 16;
constexpr int kWheelRows = 3;

// ---- State and geometry -----------------------------------------------------------------------

struct ComboState {
    std::vector<std::wstring> items;
    std::vector<ULONG_PTR> data;
    int selection = -1;
    HFONT font = nullptr;
    int droppedHeight = 0; // the height callers give the box
    bool resizing = false; // the box is setting its own closed height
    bool focused = false;
    HWND list = nullptr;
    bool dropped = false;
    int hot = -1; // the highlighted item of the open list
    int top = 0;  // the first item the open list shows
    int rows = 1; // items the open list shows at once
    bool thumbDrag = false;
    int thumbGrab = 0; // where in the thumb the drag started
};

struct ListState {
    HWND combo = nullptr;
};

ComboState* comboOf(HWND window) {
    return ControlState<ComboState>(window);
}

int itemHeight(const ComboState* state) {
    return FontLineHeight(state->font) + 2;
}

int closedHeight(const ComboState* state) {
    return itemHeight(state) + 6;
}

int count(const ComboState* state) {
    return static_cast<int>(state->items.size());
}

bool hasScrollBar(HWND combo, const ComboState* state) {
    return (GetWindowLongW(combo, GWL_STYLE) & WS_VSCROLL) && count(state) > state->rows;
}

void setClosedHeight(HWND combo, ComboState* state) {
    RECT r;
    GetWindowRect(combo, &r);
    state->resizing = true;
    SetWindowPos(combo, nullptr, 0, 0, r.right - r.left, closedHeight(state),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    state->resizing = false;
}

int clampTop(const ComboState* state, int top) {
    return std::max(0, std::min(top, count(state) - state->rows));
}

void ensureVisible(ComboState* state, int index) {
    if (index < state->top)
        state->top = index;
    else if (index >= state->top + state->rows)
        state->top = index - state->rows + 1;
    state->top = clampTop(state, state->top);
}

// The thumb of the list's scroll bar, in the list's client coordinates.
RECT thumbRect(const ComboState* state, const RECT& bar) {
    int track = bar.bottom - bar.top;
    int n = std::max(1, count(state));
    int length = std::max(12, track * state->rows / n);
    int range = std::max(1, count(state) - state->rows);
    int offset = (track - length) * state->top / range;
    return RECT{bar.left, bar.top + offset, bar.right, bar.top + offset + length};
}

// ---- The list pop-up ---------------------------------------------------------------------------

void paintList(HWND list, HDC dc, HWND combo, ComboState* state) {
    RECT client;
    GetClientRect(list, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    bool bar = hasScrollBar(combo, state);
    RECT itemsArea = client;
    if (bar)
        itemsArea.right -= kScrollWidth;
    int height = itemHeight(state);
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(state->font));
    SetBkMode(dc, TRANSPARENT);
    for (int i = state->top; i < count(state) && i < state->top + state->rows; ++i) {
        RECT row{itemsArea.left, itemsArea.top + (i - state->top) * height, itemsArea.right,
                 itemsArea.top + (i - state->top + 1) * height};
        bool hot = i == state->hot;
        if (hot)
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text = row;
        text.left += 3;
        DrawTextW(dc, state->items[i].c_str(), static_cast<int>(state->items[i].size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
    if (bar) {
        RECT track{client.right - kScrollWidth, client.top, client.right, client.bottom};
        FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
        RECT thumb = thumbRect(state, track);
        InflateRect(&thumb, -1, 0);
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &thumb, GetSysColorBrush(COLOR_BTNSHADOW));
    }
}

void closeList(HWND combo, ComboState* state, bool pick);

// The item under a point of the list's client area, or -1.
int itemAt(HWND list, HWND combo, ComboState* state, POINT p) {
    RECT client;
    GetClientRect(list, &client);
    if (hasScrollBar(combo, state))
        client.right -= kScrollWidth;
    if (!PtInRect(&client, p))
        return -1;
    int index = state->top + (p.y - client.top) / itemHeight(state);
    return index < count(state) ? index : -1;
}

void scrollTo(HWND list, ComboState* state, int top) {
    top = clampTop(state, top);
    if (top != state->top) {
        state->top = top;
        InvalidateRect(list, nullptr, FALSE);
    }
}

// A press on the scroll bar pages (in the track) or starts dragging the thumb.
void pressScrollBar(HWND list, ComboState* state, const RECT& track, POINT p) {
    RECT thumb = thumbRect(state, track);
    if (p.y < thumb.top) {
        scrollTo(list, state, state->top - state->rows);
    } else if (p.y >= thumb.bottom) {
        scrollTo(list, state, state->top + state->rows);
    } else {
        state->thumbDrag = true;
        state->thumbGrab = p.y - thumb.top;
    }
}

void dragThumb(HWND list, ComboState* state, const RECT& track, int y) {
    RECT thumb = thumbRect(state, track);
    int free = (track.bottom - track.top) - (thumb.bottom - thumb.top);
    if (free <= 0)
        return;
    int range = count(state) - state->rows;
    int offset = std::clamp(y - state->thumbGrab - static_cast<int>(track.top), 0, free);
    scrollTo(list, state, (offset * range + free / 2) / free);
}

LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    ListState* link = ControlState<ListState>(list);
    HWND combo = link != nullptr ? link->combo : nullptr;
    ComboState* state = IsWindow(combo) ? comboOf(combo) : nullptr;
    if (state == nullptr)
        return DefWindowProcW(list, message, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(list, &client);
    RECT track{client.right - kScrollWidth, client.top, client.right, client.bottom};
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // the box keeps the focus and the activation
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(list, &ps);
        if (dc != nullptr)
            paintList(list, dc, combo, state);
        EndPaint(list, &ps);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (state->thumbDrag) {
            dragThumb(list, state, track, p.y);
        } else if (int index = itemAt(list, combo, state, p); index >= 0 && index != state->hot) {
            state->hot = index;
            InvalidateRect(list, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!PtInRect(&client, p)) {
            // Outside the list (the capture brings us every click): the box's own click toggles
            // the list, any other click dismisses it.
            closeList(combo, state, false);
        } else if (hasScrollBar(combo, state) && PtInRect(&track, p)) {
            pressScrollBar(list, state, track, p);
        }
        return 0;
    case WM_LBUTTONUP:
        if (state->thumbDrag) {
            state->thumbDrag = false;
        } else if (int index = itemAt(list, combo, state, p); index >= 0) {
            state->hot = index;
            closeList(combo, state, true);
        }
        return 0;
    case WM_MOUSEWHEEL:
        SendMessageW(combo, message, wParam, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a menu, a message box): the list gives up.
        if (state->dropped && reinterpret_cast<HWND>(lParam) != list)
            closeList(combo, state, false);
        return 0;
    default:
        return DefWindowProcW(list, message, wParam, lParam);
    }
}

// ---- Opening, closing and picking --------------------------------------------------------------

void setSelection(HWND combo, ComboState* state, int index, bool notify) {
    if (index == state->selection)
        return;
    state->selection = index;
    InvalidateRect(combo, nullptr, FALSE);
    if (notify)
        NotifyParent(combo, CBN_SELCHANGE);
}

void openList(HWND combo, ComboState* state) {
    if (state->dropped)
        return;
    NotifyParent(combo, CBN_DROPDOWN);
    if (!IsWindow(combo))
        return;
    if (state->list == nullptr || !IsWindow(state->list)) {
        state->list = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kListClass, L"",
                                      WS_POPUP | WS_BORDER, 0, 0, 0, 0, combo, nullptr, nullptr, nullptr);
        if (state->list == nullptr)
            return;
        ControlState<ListState>(state->list)->combo = combo;
    }
    RECT box;
    GetWindowRect(combo, &box);
    int height = itemHeight(state);
    int space = std::max(height, state->droppedHeight - (box.bottom - box.top) - 2);
    state->rows = std::max(1, std::min(std::max(1, count(state)), space / height));
    int listHeight = state->rows * height + 2;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int y = box.bottom;
    if (y + listHeight > screen.bottom && box.top - listHeight >= screen.top)
        y = box.top - listHeight;
    state->hot = state->selection;
    state->top = 0;
    if (state->hot >= 0)
        ensureVisible(state, state->hot);
    state->dropped = true;
    state->thumbDrag = false;
    SetWindowPos(state->list, HWND_TOPMOST, box.left, y, box.right - box.left, listHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(state->list, nullptr, FALSE);
    InvalidateRect(combo, nullptr, FALSE);
    SetCapture(state->list);
}

void closeList(HWND combo, ComboState* state, bool pick) {
    if (!state->dropped)
        return;
    state->dropped = false;
    state->thumbDrag = false;
    if (GetCapture() == state->list)
        ReleaseCapture();
    ShowWindow(state->list, SW_HIDE);
    InvalidateRect(combo, nullptr, FALSE);
    int picked = state->hot;
    NotifyParent(combo, pick ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!IsWindow(combo))
        return;
    NotifyParent(combo, CBN_CLOSEUP);
    if (pick && picked >= 0 && IsWindow(combo) && picked < count(state))
        setSelection(combo, state, picked, true);
}

// Moves the highlight of the open list, or the selection of the closed box, by a key.
void moveByKey(HWND combo, ComboState* state, UINT key) {
    int n = count(state);
    if (n == 0)
        return;
    int current = state->dropped ? state->hot : state->selection;
    int page = std::max(1, state->rows - 1);
    int target = current;
    switch (key) {
    case VK_UP:
        target = current < 0 ? 0 : current - 1;
        break;
    case VK_DOWN:
        target = current + 1;
        break;
    case VK_PRIOR:
        target = current < 0 ? 0 : current - page;
        break;
    case VK_NEXT:
        target = current + page;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = n - 1;
        break;
    default:
        return;
    }
    target = std::clamp(target, 0, n - 1);
    if (state->dropped) {
        state->hot = target;
        ensureVisible(state, target);
        InvalidateRect(state->list, nullptr, FALSE);
    } else {
        setSelection(combo, state, target, true);
    }
}

// ---- The box's messages ------------------------------------------------------------------------

void paintBox(HWND combo, HDC dc, ComboState* state) {
    RECT client;
    GetClientRect(combo, &client);
    bool enabled = IsWindowEnabled(combo) != FALSE;
    FillRect(dc, &client, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
    int arrowWidth = GetSystemMetrics(SM_CXVSCROLL);
    RECT arrow{client.right - 1 - arrowWidth, client.top + 1, client.right - 1, client.bottom - 1};
    FillRect(dc, &arrow, GetSysColorBrush(COLOR_BTNFACE));
    RECT arrowEdge{arrow.left, arrow.top, arrow.left + 1, arrow.bottom};
    FillRect(dc, &arrowEdge, GetSysColorBrush(COLOR_BTNSHADOW));
    // The arrow: a small downward triangle of horizontal lines, centred in the button.
    int cx = (arrow.left + arrow.right) / 2;
    int cy = (arrow.top + arrow.bottom) / 2 - 1;
    HBRUSH arrowBrush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    for (int i = 0; i < 4; ++i) {
        RECT line{cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1};
        FillRect(dc, &line, arrowBrush);
    }
    RECT field{client.left + 2, client.top + 2, arrow.left - 1, client.bottom - 2};
    bool highlighted = state->focused && !state->dropped && enabled;
    if (highlighted)
        FillRect(dc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (state->selection >= 0 && state->selection < count(state)) {
        const std::wstring& text = state->items[state->selection];
        RECT textRect = field;
        textRect.left += 2;
        HGDIOBJ oldFont = SelectObject(dc, ControlFont(state->font));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT
                                              : (highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
    }
    if (highlighted)
        DrawFocusRect(dc, &field);
}

LRESULT OnPaint(HWND combo, ComboState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(combo, &ps);
    if (dc != nullptr)
        paintBox(combo, dc, state);
    EndPaint(combo, &ps);
    return 0;
}

LRESULT OnCreate(HWND combo, ComboState* state, LPARAM lParam) {
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    state->droppedHeight = create != nullptr ? create->cy : 0;
    setClosedHeight(combo, state);
    return 0;
}

LRESULT OnWindowPosChanging(ComboState* state, LPARAM lParam) {
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    if (position != nullptr && !(position->flags & SWP_NOSIZE) && !state->resizing) {
        state->droppedHeight = position->cy;
        position->cy = closedHeight(state);
    }
    return 0;
}

LRESULT OnKeyDown(HWND combo, ComboState* state, UINT message, WPARAM key) {
    bool alt = message == WM_SYSKEYDOWN;
    if (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP))) {
        if (state->dropped)
            closeList(combo, state, true);
        else
            openList(combo, state);
        return 0;
    }
    if (alt)
        return DefWindowProcW(combo, message, key, 0);
    if (state->dropped && key == VK_RETURN)
        closeList(combo, state, true);
    else if (state->dropped && key == VK_ESCAPE)
        closeList(combo, state, false);
    else
        moveByKey(combo, state, static_cast<UINT>(key));
    return 0;
}

// A typed character moves to the next item that starts with it, as a list box's type-ahead does.
LRESULT OnChar(HWND combo, ComboState* state, WPARAM wParam) {
    auto typed = static_cast<wchar_t>(wParam);
    int n = count(state);
    if (n == 0 || typed < L' ')
        return 0;
    int from = state->dropped ? state->hot : state->selection;
    for (int k = 1; k <= n; ++k) {
        int i = ((from < 0 ? -1 : from) + k) % n;
        if (!state->items[i].empty() && towlower(state->items[i][0]) == towlower(typed)) {
            if (state->dropped) {
                state->hot = i;
                ensureVisible(state, i);
                InvalidateRect(state->list, nullptr, FALSE);
            } else {
                setSelection(combo, state, i, true);
            }
            break;
        }
    }
    return 0;
}

LRESULT OnWheel(HWND combo, ComboState* state, WPARAM wParam) {
    int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    if (notches == 0)
        return 0;
    if (state->dropped) {
        scrollTo(state->list, state, state->top - notches * kWheelRows);
    } else if (count(state) > 0) {
        int from = state->selection < 0 ? (notches > 0 ? 0 : -1) : state->selection;
        setSelection(combo, state, std::clamp(from - notches, 0, count(state) - 1), true);
    }
    return 0;
}

LRESULT OnFocus(HWND combo, ComboState* state, bool focused) {
    state->focused = focused;
    InvalidateRect(combo, nullptr, FALSE);
    if (!focused)
        closeList(combo, state, false);
    if (IsWindow(combo))
        NotifyParent(combo, focused ? CBN_SETFOCUS : CBN_KILLFOCUS);
    return 0;
}

LRESULT OnGetText(const ComboState* state, WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (buffer == nullptr || wParam == 0)
        return 0;
    std::wstring text = state->selection >= 0 ? state->items[state->selection] : std::wstring();
    size_t n = std::min(text.size(), static_cast<size_t>(wParam) - 1);
    text.copy(buffer, n);
    buffer[n] = L'\0';
    return static_cast<LRESULT>(n);
}

// Inserts an item; -1 or the count appends. Answers the index, or CB_ERR.
LRESULT insertItem(HWND combo, ComboState* state, WPARAM position, LPARAM lParam) {
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    int at = static_cast<int>(static_cast<LONG_PTR>(position));
    if (at == -1)
        at = count(state);
    if (at < 0 || at > count(state))
        return CB_ERR;
    state->items.insert(state->items.begin() + at, text != nullptr ? std::wstring(text) : std::wstring());
    state->data.insert(state->data.begin() + at, 0);
    if (state->selection >= at)
        ++state->selection;
    if (state->dropped) {
        state->rows = std::max(state->rows, 1);
        InvalidateRect(state->list, nullptr, FALSE);
    }
    InvalidateRect(combo, nullptr, FALSE);
    return at;
}

LRESULT deleteItem(HWND combo, ComboState* state, WPARAM position) {
    int at = static_cast<int>(static_cast<LONG_PTR>(position));
    if (at < 0 || at >= count(state))
        return CB_ERR;
    state->items.erase(state->items.begin() + at);
    state->data.erase(state->data.begin() + at);
    // The selected item gone leaves no selection; items after it move up, as on Windows.
    if (state->selection == at)
        state->selection = -1;
    else if (state->selection > at)
        --state->selection;
    if (state->hot >= count(state))
        state->hot = count(state) - 1;
    state->top = clampTop(state, state->top);
    InvalidateRect(combo, nullptr, FALSE);
    if (state->dropped)
        InvalidateRect(state->list, nullptr, FALSE);
    return count(state);
}

LRESULT findExact(const ComboState* state, WPARAM start, LPARAM lParam) {
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    int n = count(state);
    if (text == nullptr || n == 0)
        return CB_ERR;
    int first = static_cast<int>(static_cast<LONG_PTR>(start));
    if (first < -1 || first >= n)
        first = -1;
    // The search starts after `first` and wraps around, ignoring case as Windows does.
    std::wstring wanted(text);
    for (int k = 1; k <= n; ++k) {
        int i = (first + k) % n;
        const std::wstring& item = state->items[i];
        if (item.size() == wanted.size() &&
            std::equal(item.begin(), item.end(), wanted.begin(),
                       [](wchar_t a, wchar_t b) { return towlower(a) == towlower(b); }))
            return i;
    }
    return CB_ERR;
}

LRESULT CALLBACK ComboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    ComboState* state = comboOf(combo);
    if (state == nullptr)
        return DefWindowProcW(combo, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        return OnCreate(combo, state, lParam);
    case WM_DESTROY:
        state->dropped = false;
        if (state->list != nullptr && IsWindow(state->list))
            DestroyWindow(state->list);
        state->list = nullptr;
        return 0;
    case WM_WINDOWPOSCHANGING:
        return OnWindowPosChanging(state, lParam);
    case WM_PAINT:
        return OnPaint(combo, state);
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        setClosedHeight(combo, state);
        if (LOWORD(lParam))
            InvalidateRect(combo, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETTEXT:
        return OnGetText(state, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return state->selection >= 0 ? static_cast<LRESULT>(state->items[state->selection].size()) : 0;
    case WM_SETTEXT:
        return CB_ERR; // a drop-down list shows only its items
    case WM_ENABLE:
        if (!wParam)
            closeList(combo, state, false);
        InvalidateRect(combo, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != combo)
            SetFocus(combo);
        if (state->dropped)
            closeList(combo, state, false);
        else
            openList(combo, state);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(combo, state, message, wParam);
    case WM_MOUSEWHEEL:
        return OnWheel(combo, state, wParam);
    case WM_CHAR:
        return OnChar(combo, state, wParam);
    case WM_SETFOCUS:
        return OnFocus(combo, state, true);
    case WM_KILLFOCUS:
        return OnFocus(combo, state, false);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case CB_ADDSTRING:
        return insertItem(combo, state, static_cast<WPARAM>(-1), lParam);
    case CB_INSERTSTRING:
        return insertItem(combo, state, wParam, lParam);
    case CB_DELETESTRING:
        return deleteItem(combo, state, wParam);
    case CB_RESETCONTENT:
        closeList(combo, state, false);
        state->items.clear();
        state->data.clear();
        state->selection = -1;
        state->hot = -1;
        state->top = 0;
        InvalidateRect(combo, nullptr, FALSE);
        return CB_OKAY;
    case CB_GETCOUNT:
        return count(state);
    case CB_GETCURSEL:
        return state->selection;
    case CB_SETCURSEL: {
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        // No notification, as on Windows; an index out of range clears the selection.
        if (index < 0 || index >= count(state)) {
            setSelection(combo, state, -1, false);
            return CB_ERR;
        }
        setSelection(combo, state, index, false);
        if (state->dropped) {
            state->hot = index;
            ensureVisible(state, index);
            InvalidateRect(state->list, nullptr, FALSE);
        }
        return index;
    }
    case CB_GETLBTEXT: {
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        if (index < 0 || index >= count(state) || buffer == nullptr)
            return CB_ERR;
        const std::wstring& text = state->items[index];
        text.copy(buffer, text.size());
        buffer[text.size()] = L'\0';
        return static_cast<LRESULT>(text.size());
    }
    case CB_GETLBTEXTLEN: {
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        if (index < 0 || index >= count(state))
            return CB_ERR;
        return static_cast<LRESULT>(state->items[index].size());
    }
    case CB_GETITEMDATA: {
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        return index < 0 || index >= count(state) ? CB_ERR : static_cast<LRESULT>(state->data[index]);
    }
    case CB_SETITEMDATA: {
        int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
        if (index < 0 || index >= count(state))
            return CB_ERR;
        state->data[index] = static_cast<ULONG_PTR>(lParam);
        return CB_OKAY;
    }
    case CB_FINDSTRINGEXACT:
        return findExact(state, wParam, lParam);
    case CB_SHOWDROPDOWN:
        if (wParam)
            openList(combo, state);
        else
            closeList(combo, state, false);
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return state->dropped ? TRUE : FALSE;
    case CB_GETITEMHEIGHT:
        return itemHeight(state);
    case CB_GETDROPPEDCONTROLRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (rect == nullptr)
            return CB_ERR;
        GetWindowRect(combo, rect);
        rect->bottom = rect->top + std::max(static_cast<int>(rect->bottom - rect->top), state->droppedHeight);
        return CB_OKAY;
    }
    default:
        return DefWindowProcW(combo, message, wParam, lParam);
    }
}

// ---- Registration ------------------------------------------------------------------------------

SystemClassRegistration comboClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ComboProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_COMBOBOXW;
    RegisterSystemClass(wc);
    wc.style = CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = ListProc;
    wc.lpszClassName = kListClass;
    RegisterSystemClass(wc);
});

} // namespace
} // namespace platform
