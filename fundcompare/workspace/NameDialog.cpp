// NameDialog: the window, its keys and its modal loop.
#include "workspace/NameDialog.h"

#include "wgui/ModuleInstance.h"

#include <platform/display.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

const wchar_t kClassName[] = L"Quenda2_NameDialog";
constexpr int kWidth = 360, kHeight = 150;
// The field's id must not be IDOK or IDCANCEL: its notifications would read as the buttons'.
constexpr int kEditId = 100, kOkId = IDOK, kCancelId = IDCANCEL;

struct DialogState {
    XStringW title;
    XStringW prompt;
    std::optional<bool> confirmed;
};

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        RECT title{0, 0, client.right, 24};
        FillRect(dc, &title, GetSysColorBrush(COLOR_ACTIVECAPTION));
        FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
        if (state != nullptr) {
            HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
            RECT titleText{10, 0, client.right - 10, 24};
            DrawTextW(dc, state->title.c_str(), -1, &titleText,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            RECT promptText{14, 34, client.right - 14, 56};
            DrawTextW(dc, state->prompt.c_str(), -1, &promptText,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        if (state != nullptr && (LOWORD(wParam) == kOkId || LOWORD(wParam) == kCancelId))
            state->confirmed = LOWORD(wParam) == kOkId;
        return 0;
    case WM_CLOSE:
        if (state != nullptr)
            state->confirmed = false;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(WGUI::ModuleInstance(), kClassName, &wc))
        return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DialogProcedure;
    wc.hInstance = WGUI::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

HWND makeChild(HWND parent, const wchar_t* cls, const wchar_t* text, RECT r, int id) {
    HWND child = CreateWindowExW(
        0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), WGUI::ModuleInstance(), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

// Enter, Escape and Tab belong to the dialog, not to the field that has the focus.
bool filterKey(HWND dialog, DialogState& state, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)))
        return false;
    HWND focus = GetFocus();
    switch (msg.wParam) {
    case VK_RETURN:
        state.confirmed = focus != GetDlgItem(dialog, kCancelId);
        return true;
    case VK_ESCAPE:
        state.confirmed = false;
        return true;
    case VK_TAB: {
        HWND order[] = {GetDlgItem(dialog, kEditId), GetDlgItem(dialog, kOkId),
                        GetDlgItem(dialog, kCancelId)};
        int at = 0;
        for (int i = 0; i < 3; ++i)
            if (order[i] == focus)
                at = i;
        bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        SetFocus(order[(at + (back ? 2 : 1)) % 3]);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool PromptForName(HWND owner, const XStringW& title, const XStringW& prompt, XStringW& name) {
    if (!registerClass())
        return false;
    DialogState state{title, prompt, std::nullopt};
    HWND top = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (top != nullptr)
        GetWindowRect(top, &area);
    int x = std::max(0, static_cast<int>(area.left + area.right - kWidth) / 2);
    int y = std::max(0, static_cast<int>(area.top + area.bottom - kHeight) / 2);
    HWND previousFocus = GetFocus();
    HWND dialog = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kClassName, title.c_str(), WS_POPUP, x,
                                  y, kWidth, kHeight, top, nullptr, WGUI::ModuleInstance(), &state);
    if (dialog == nullptr)
        return false;
    HWND edit = makeChild(dialog, WC_EDITW, name.c_str(), RECT{14, 60, kWidth - 14, 84}, kEditId);
    makeChild(dialog, WC_BUTTONW, L"确定", RECT{kWidth - 184, 104, kWidth - 104, 128}, kOkId);
    makeChild(dialog, WC_BUTTONW, L"取消", RECT{kWidth - 94, 104, kWidth - 14, 128}, kCancelId);
    SendMessageW(edit, EM_LIMITTEXT, 40, 0);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    bool reenable = top != nullptr && IsWindowEnabled(top);
    if (reenable)
        EnableWindow(top, FALSE);
    while (!state.confirmed.has_value() && IsWindow(dialog)) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The headless screen has nobody to wait for: what was queued is all the input there is.
            if (!PlatformUsesDisplay())
                break;
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (filterKey(dialog, state, msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (reenable && IsWindow(top))
        EnableWindow(top, TRUE);
    bool confirmed = state.confirmed.value_or(false);
    XStringW typed;
    if (IsWindow(edit)) {
        int length = GetWindowTextLengthW(edit);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(edit, text.data(), length + 1);
        text.resize(static_cast<size_t>(length));
        size_t first = text.find_first_not_of(L" \t");
        size_t last = text.find_last_not_of(L" \t");
        typed = first == std::wstring::npos ? XStringW() : XStringW(text.substr(first, last - first + 1));
    }
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    if (previousFocus != nullptr && IsWindow(previousFocus))
        SetFocus(previousFocus);
    if (!confirmed || typed.empty())
        return false;
    name = typed;
    return true;
}
