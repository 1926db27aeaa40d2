// The "tooltips_class32" class: tips for rectangles of windows ("tools").
//
// Sections: state; watching the tools' mouse messages; the tip's text, size and place; showing and
// hiding; messages; registration.
//
// A tool with TTF_SUBCLASS has its mouse messages watched: every tooltip sees the messages that
// DispatchMessageW hands to a tool window before that window does, as a subclass would, without
// taking a place in the window's procedure chain (so the owner may subclass and unsubclass the
// window in any order). The mouse resting on a tool for the initial delay shows the tip below the
// cursor; leaving the tool, a click, TTM_POP, deactivation, or text that turns out empty hides it.
// A timer checks while the tip shows that the cursor is still over its tool, since a tool window
// gets no message when the cursor leaves it for another window.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kWatchTimer = 2;
constexpr UINT kWatchInterval = 100;
constexpr int kMarginX = 4;
constexpr int kMarginY = 2;
constexpr int kCursorHeight = 20; // the tip goes below the arrow cursor

// ---- State ------------------------------------------------------------------------------------

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    HINSTANCE instance = nullptr;
    bool callback = false;
    std::wstring text;
    LPARAM lParam = 0;
};

struct TipState {
    std::vector<Tool> tools;
    int maxWidth = -1;
    bool active = true;
    UINT initialDelay = 0; // 0: the double-click time, as Windows defaults it
    int pending = -1;      // the tool the mouse rests on, waiting for the initial delay
    int shown = -1;        // the tool whose tip shows
    std::wstring text;     // the text showing
    HFONT font = nullptr;
};

// Every tooltip window, for the dispatch watcher.
std::vector<HWND>& tooltips() {
    static std::vector<HWND> windows;
    return windows;
}

TipState* tipOf(HWND tip) {
    return ControlState<TipState>(tip);
}

HWND toolWindow(const Tool& tool) {
    return (tool.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.id) : tool.hwnd;
}

// The tool's area in its window's client coordinates.
RECT toolArea(const Tool& tool) {
    if (tool.flags & TTF_IDISHWND) {
        RECT client{};
        GetClientRect(toolWindow(tool), &client);
        return client;
    }
    return tool.rect;
}

int findTool(const TipState* state, const TOOLINFOW* info) {
    for (size_t i = 0; i < state->tools.size(); ++i) {
        if (state->tools[i].hwnd == info->hwnd && state->tools[i].id == info->uId)
            return static_cast<int>(i);
    }
    return -1;
}

// The tool of a window under a point of its client area, or -1.
int toolAt(const TipState* state, HWND window, POINT client) {
    for (size_t i = 0; i < state->tools.size(); ++i) {
        const Tool& tool = state->tools[i];
        if (toolWindow(tool) != window)
            continue;
        RECT area = toolArea(tool);
        if (PtInRect(&area, client))
            return static_cast<int>(i);
    }
    return -1;
}

// True when the cursor is over the tool (and no other window covers it).
bool cursorOverTool(const Tool& tool) {
    POINT cursor;
    GetCursorPos(&cursor);
    HWND window = toolWindow(tool);
    if (WindowFromPoint(cursor) != window)
        return false;
    ScreenToClient(window, &cursor);
    RECT area = toolArea(tool);
    return PtInRect(&area, cursor) != FALSE;
}

bool validInfo(LPARAM lParam) {
    auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
    return info != nullptr && info->cbSize >= TTTOOLINFOW_MIN_SIZE;
}

void storeText(Tool& tool, LPCWSTR text) {
    tool.callback = text == LPSTR_TEXTCALLBACKW;
    // Text given as a string resource id is not supported: such a tool shows nothing.
    tool.text =
        !tool.callback && text != nullptr && !IS_INTRESOURCE(text) ? std::wstring(text) : std::wstring();
}

// ---- The tip's text, size and place -----------------------------------------------------------

std::wstring askText(HWND tip, Tool& tool) {
    if (!tool.callback)
        return tool.text;
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tip;
    info.hdr.idFrom = tool.id;
    info.hdr.code = TTN_GETDISPINFOW;
    info.lpszText = info.szText;
    info.hinst = tool.instance;
    info.uFlags = tool.flags;
    info.lParam = tool.lParam;
    SendMessageW(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&info));
    std::wstring text;
    if (info.lpszText != nullptr && info.lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(info.lpszText)) {
        if (info.lpszText == info.szText)
            text.assign(info.szText, wcsnlen(info.szText, std::size(info.szText)));
        else
            text = info.lpszText;
    }
    if (info.uFlags & TTF_DI_SETITEM) {
        tool.callback = false;
        tool.text = text;
    }
    return text;
}

// Without TTS_NOPREFIX a tip shows no '&' marks ("&&" shows one) and nothing after a tab, as
// menu captions used as tips would otherwise show their accelerators.
std::wstring displayText(HWND tip, const std::wstring& text) {
    if (GetWindowLongW(tip, GWL_STYLE) & TTS_NOPREFIX)
        return text;
    std::wstring shown;
    for (size_t i = 0; i < text.size() && text[i] != L'\t'; ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&')
                shown += text[++i];
            continue;
        }
        shown += text[i];
    }
    return shown;
}

UINT textFormat(const TipState* state) {
    return DT_NOPREFIX | DT_LEFT | DT_TOP | (state->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
}

SIZE tipSize(const TipState* state, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ControlFont(state->font));
    RECT r{0, 0, state->maxWidth > 0 ? state->maxWidth - 2 * kMarginX - 2 : 100000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, textFormat(state) | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    return SIZE{r.right - r.left + 2 * kMarginX + 2, r.bottom - r.top + 2 * kMarginY + 2};
}

// ---- Showing and hiding -----------------------------------------------------------------------

void hide(HWND tip, TipState* state) {
    KillTimer(tip, kShowTimer);
    KillTimer(tip, kWatchTimer);
    state->pending = -1;
    if (state->shown < 0)
        return;
    Tool tool = state->tools[static_cast<size_t>(state->shown)];
    state->shown = -1;
    state->text.clear();
    ShowWindow(tip, SW_HIDE);
    NMHDR pop{tip, tool.id, TTN_POP};
    SendMessageW(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&pop));
}

void show(HWND tip, TipState* state, int index) {
    KillTimer(tip, kShowTimer);
    state->pending = -1;
    Tool& tool = state->tools[static_cast<size_t>(index)];
    std::wstring text = displayText(tip, askText(tip, tool));
    if (!IsWindow(tip))
        return;
    if (text.empty()) {
        hide(tip, state);
        return;
    }
    bool wasShown = state->shown >= 0;
    state->shown = index;
    state->text = text;
    SIZE size = tipSize(state, text);
    POINT cursor;
    GetCursorPos(&cursor);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int x = std::max(0, std::min(static_cast<int>(cursor.x), screenWidth - static_cast<int>(size.cx)));
    int y = cursor.y + kCursorHeight;
    if (y + size.cy > screenHeight)
        y = std::max(0, static_cast<int>(cursor.y - size.cy - 2));
    SetWindowPos(tip, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(tip, nullptr, TRUE);
    if (!wasShown) {
        NMHDR note{tip, tool.id, TTN_SHOW};
        SendMessageW(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&note));
    }
    SetTimer(tip, kWatchTimer, kWatchInterval, nullptr);
}

bool mayShow(HWND tip, TipState* state, const Tool& tool) {
    if (!state->active)
        return false;
    if (GetWindowLongW(tip, GWL_STYLE) & TTS_ALWAYSTIP)
        return true;
    // Without TTS_ALWAYSTIP tips show only for the active window's tools.
    return GetActiveWindow() == GetAncestor(toolWindow(tool), GA_ROOT);
}

// ---- Watching the tools' mouse messages ----------------------------------------------------------

void relay(HWND tip, TipState* state, const MSG& msg) {
    switch (msg.message) {
    case WM_MOUSEMOVE: {
        POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        int index = toolAt(state, msg.hwnd, p);
        if (index < 0 || !mayShow(tip, state, state->tools[static_cast<size_t>(index)])) {
            // A move over another window of ours that is no tool of this tooltip.
            bool ours = std::any_of(state->tools.begin(), state->tools.end(),
                                    [&](const Tool& t) { return toolWindow(t) == msg.hwnd; });
            if (ours)
                hide(tip, state);
            return;
        }
        if (index == state->shown || index == state->pending)
            return;
        if (state->shown >= 0) {
            show(tip, state, index); // moving from tool to tool shows the next tip at once
            return;
        }
        state->pending = index;
        SetTimer(tip, kShowTimer, state->initialDelay != 0 ? state->initialDelay : GetDoubleClickTime(),
                 nullptr);
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
    case WM_NCMOUSEMOVE:
        if (std::any_of(state->tools.begin(), state->tools.end(),
                        [&](const Tool& t) { return toolWindow(t) == msg.hwnd; }))
            hide(tip, state);
        return;
    default:
        return;
    }
}

bool isMouseMessage(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE ||
           message == WM_NCMOUSEMOVE;
}

void watchDispatch(const MSG& msg) {
    if (!isMouseMessage(msg.message))
        return;
    // Tooltips that went without their WM_DESTROY (a subclass may swallow it) drop out here.
    auto& all = tooltips();
    all.erase(std::remove_if(all.begin(), all.end(), [](HWND tip) { return !IsWindow(tip); }), all.end());
    std::vector<HWND> windows = all;
    for (HWND tip : windows) {
        TipState* state = IsWindow(tip) ? tipOf(tip) : nullptr;
        if (state == nullptr)
            continue;
        bool watched = std::any_of(state->tools.begin(), state->tools.end(), [&](const Tool& t) {
            return (t.flags & TTF_SUBCLASS) && toolWindow(t) == msg.hwnd;
        });
        if (watched)
            relay(tip, state, msg);
    }
}

// ---- Messages ---------------------------------------------------------------------------------

LRESULT OnAddTool(HWND tip, TipState* state, LPARAM lParam) {
    if (!validInfo(lParam))
        return FALSE;
    auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
    Tool tool;
    tool.flags = info->uFlags;
    tool.hwnd = info->hwnd;
    tool.id = info->uId;
    tool.rect = info->rect;
    tool.instance = info->hinst;
    tool.lParam = info->lParam;
    storeText(tool, info->lpszText);
    // The same (window, id) added again replaces the old tool instead of shadowing it.
    int existing = findTool(state, info);
    if (existing >= 0) {
        if (existing == state->shown || existing == state->pending)
            hide(tip, state);
        state->tools[static_cast<size_t>(existing)] = tool;
    } else {
        state->tools.push_back(tool);
    }
    if (std::find(tooltips().begin(), tooltips().end(), tip) == tooltips().end())
        tooltips().push_back(tip);
    SetDispatchWatcher(watchDispatch);
    return TRUE;
}

LRESULT OnDelTool(HWND tip, TipState* state, LPARAM lParam) {
    if (!validInfo(lParam))
        return 0;
    int index = findTool(state, reinterpret_cast<const TOOLINFOW*>(lParam));
    if (index < 0)
        return 0;
    if (index == state->shown || index == state->pending)
        hide(tip, state);
    state->tools.erase(state->tools.begin() + index);
    return 0;
}

LRESULT OnUpdateTipText(HWND tip, TipState* state, LPARAM lParam) {
    if (!validInfo(lParam))
        return 0;
    auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
    int index = findTool(state, info);
    if (index < 0)
        return 0;
    storeText(state->tools[static_cast<size_t>(index)], info->lpszText);
    if (index == state->shown)
        show(tip, state, index);
    return 0;
}

LRESULT OnGetToolInfo(TipState* state, LPARAM lParam) {
    if (!validInfo(lParam))
        return FALSE;
    auto* info = reinterpret_cast<TOOLINFOW*>(lParam);
    int index = findTool(state, info);
    if (index < 0)
        return FALSE;
    const Tool& tool = state->tools[static_cast<size_t>(index)];
    info->uFlags = tool.flags;
    info->rect = tool.rect;
    info->hinst = tool.instance;
    info->lParam = tool.lParam;
    if (tool.callback)
        info->lpszText = LPSTR_TEXTCALLBACKW;
    return TRUE;
}

LRESULT OnTimer(HWND tip, TipState* state, WPARAM id) {
    if (id == kShowTimer) {
        KillTimer(tip, kShowTimer);
        int index = state->pending;
        if (index >= 0 && cursorOverTool(state->tools[static_cast<size_t>(index)]))
            show(tip, state, index);
        else
            state->pending = -1;
    } else if (id == kWatchTimer) {
        if (state->shown < 0 || !cursorOverTool(state->tools[static_cast<size_t>(state->shown)]))
            hide(tip, state);
    }
    return 0;
}

void paint(HWND tip, HDC dc, TipState* state) {
    RECT client;
    GetClientRect(tip, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_INFOTEXT));
    RECT text = client;
    InflateRect(&text, -(kMarginX + 1), -(kMarginY + 1));
    HGDIOBJ old = SelectObject(dc, ControlFont(state->font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, state->text.c_str(), static_cast<int>(state->text.size()), &text, textFormat(state));
    SelectObject(dc, old);
}

LRESULT CALLBACK ToolTipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
    TipState* state = tipOf(tip);
    if (state == nullptr)
        return DefWindowProcW(tip, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        KillTimer(tip, kShowTimer);
        KillTimer(tip, kWatchTimer);
        tooltips().erase(std::remove(tooltips().begin(), tooltips().end(), tip), tooltips().end());
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(tip, &ps);
        if (dc != nullptr)
            paint(tip, dc, state);
        EndPaint(tip, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        // A transparent tip lets the mouse through to the tool under it.
        if (state->shown >= 0 && (state->tools[static_cast<size_t>(state->shown)].flags & TTF_TRANSPARENT))
            return HTTRANSPARENT;
        return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        hide(tip, state);
        return 0;
    case WM_TIMER:
        return OnTimer(tip, state, wParam);
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case TTM_ADDTOOLW:
        return OnAddTool(tip, state, lParam);
    case TTM_DELTOOLW:
        return OnDelTool(tip, state, lParam);
    case TTM_UPDATETIPTEXTW:
        return OnUpdateTipText(tip, state, lParam);
    case TTM_GETTOOLINFOW:
        return OnGetToolInfo(state, lParam);
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(state->tools.size());
    case TTM_SETMAXTIPWIDTH: {
        int previous = state->maxWidth;
        state->maxWidth = static_cast<int>(lParam);
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return state->maxWidth;
    case TTM_SETDELAYTIME:
        if (wParam == TTDT_INITIAL || wParam == TTDT_AUTOMATIC)
            state->initialDelay =
                static_cast<UINT>(static_cast<short>(LOWORD(lParam)) < 0 ? 0 : LOWORD(lParam));
        return 0;
    case TTM_ACTIVATE:
        state->active = wParam != 0;
        if (!state->active)
            hide(tip, state);
        return 0;
    case TTM_POP:
        hide(tip, state);
        return 0;
    case TTM_UPDATE:
        // The text is asked for again; empty text hides the tip.
        if (state->shown >= 0)
            show(tip, state, state->shown);
        return 0;
    case TTM_RELAYEVENT:
        if (auto* msg = reinterpret_cast<const MSG*>(lParam); msg != nullptr && isMouseMessage(msg->message))
            relay(tip, state, *msg);
        return 0;
    default:
        return DefWindowProcW(tip, message, wParam, lParam);
    }
}

// ---- Registration -----------------------------------------------------------------------------

SystemClassRegistration tooltipClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ToolTipProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = TOOLTIPS_CLASSW;
    RegisterSystemClass(wc);
});

} // namespace
} // namespace platform
