// MessageBoxW: a modal dialog ("#32770") with a title strip, an icon, the text wrapped to a
// reasonable width, and a row of push buttons, centred on the owner's top-level window (or the
// screen without owner).
//
// On a display a nested message loop runs until a button is clicked (Enter gives the default
// button, Escape the cancelling one where there is one), with the owner disabled meanwhile. On
// the headless screen the box is shown and painted, and the driver's hook answers (without a
// hook, the default button does). Boxes on the headless screen are recorded for the driver, with
// their answers.
#include "internal/Controls.h"
#include "internal/WindowDriverHooks.h"
#include "internal/WindowSystemClasses.h"

#include <algorithm>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMargin = 12;
constexpr int kTitleHeight = 24;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 400;

struct ButtonSpec {
    int id;
    const wchar_t* caption;
};

struct BoxState {
    std::wstring caption;
    std::wstring text;
    UINT flags = 0;
    RECT textRect{};
    std::optional<int> answer;
};

std::vector<ButtonSpec> buttonsFor(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, L"确定"}, {IDCANCEL, L"取消"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, L"中止(&A)"}, {IDRETRY, L"重试(&R)"}, {IDIGNORE, L"忽略(&I)"}};
    case MB_YESNOCANCEL:
        return {{IDYES, L"是(&Y)"}, {IDNO, L"否(&N)"}, {IDCANCEL, L"取消"}};
    case MB_YESNO:
        return {{IDYES, L"是(&Y)"}, {IDNO, L"否(&N)"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, L"重试(&R)"}, {IDCANCEL, L"取消"}};
    default:
        return {{IDOK, L"确定"}};
    }
}

int defaultAnswer(UINT type, const std::vector<ButtonSpec>& buttons) {
    size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[std::min(index, buttons.size() - 1)].id;
}

// What Escape (or closing the box) answers: Cancel where there is one, OK for a lone OK button.
std::optional<int> cancelAnswer(const std::vector<ButtonSpec>& buttons) {
    for (const ButtonSpec& b : buttons) {
        if (b.id == IDCANCEL)
            return IDCANCEL;
    }
    if (buttons.size() == 1 && buttons[0].id == IDOK)
        return IDOK;
    return std::nullopt;
}

void fillShape(HDC dc, COLORREF color, bool triangle, const RECT& r) {
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (triangle) {
        POINT points[3] = {{(r.left + r.right) / 2, r.top}, {r.right, r.bottom - 2}, {r.left, r.bottom - 2}};
        Polygon(dc, points, 3);
    } else {
        Ellipse(dc, r.left, r.top, r.right, r.bottom);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

// The icons: a blue disc with "i", a yellow triangle with "!", a red disc with "×", a blue disc
// with "?".
void drawIcon(HDC dc, UINT icon, const RECT& r) {
    const wchar_t* glyph = L"i";
    COLORREF shape = RGB(0, 102, 204);
    COLORREF mark = RGB(255, 255, 255);
    bool triangle = false;
    switch (icon) {
    case MB_ICONEXCLAMATION:
        glyph = L"!";
        shape = RGB(255, 200, 0);
        mark = RGB(0, 0, 0);
        triangle = true;
        break;
    case MB_ICONHAND:
        glyph = L"×";
        shape = RGB(210, 30, 30);
        break;
    case MB_ICONQUESTION:
        glyph = L"?";
        break;
    default:
        break;
    }
    fillShape(dc, shape, triangle, r);
    HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"WenQuanYi Micro Hei");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, mark);
    RECT text = r;
    if (triangle)
        text.top += 6;
    DrawTextW(dc, glyph, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

void paintBox(HWND box, HDC dc, BoxState* state) {
    RECT client;
    GetClientRect(box, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT title{client.left, client.top, client.right, client.top + kTitleHeight};
    FillRect(dc, &title, GetSysColorBrush(COLOR_ACTIVECAPTION));
    FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(nullptr));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    RECT titleText = title;
    titleText.left += 8;
    DrawTextW(dc, state->caption.c_str(), static_cast<int>(state->caption.size()), &titleText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (UINT icon = state->flags & MB_ICONMASK) {
        RECT iconRect{kMargin, kTitleHeight + kMargin, kMargin + kIconSize,
                      kTitleHeight + kMargin + kIconSize};
        drawIcon(dc, icon, iconRect);
    }
    SelectObject(dc, ControlFont(nullptr));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT text = state->textRect;
    DrawTextW(dc, state->text.c_str(), static_cast<int>(state->text.size()), &text,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* holder = ControlState<BoxState*>(box);
    BoxState* state = holder != nullptr ? *holder : nullptr;
    if (state == nullptr)
        return DefWindowProcW(box, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(box, &ps);
        if (dc != nullptr)
            paintBox(box, dc, state);
        EndPaint(box, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            state->answer = LOWORD(wParam);
        return 0;
    case WM_CLOSE: {
        if (auto cancel = cancelAnswer(buttonsFor(state->flags)))
            state->answer = *cancel;
        return 0;
    }
    default:
        return DefWindowProcW(box, message, wParam, lParam);
    }
}

SystemClassRegistration dialogClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_DBLCLKS;
    wc.lpfnWndProc = BoxProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kDialogClass;
    RegisterSystemClass(wc);
});

// Measures the text and answers the box's client size; fills the text rectangle.
SIZE layOut(BoxState* state, size_t buttonCount) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ControlFont(nullptr));
    RECT measure{0, 0, kMaxTextWidth, 0};
    DrawTextW(dc, state->text.c_str(), static_cast<int>(state->text.size()), &measure,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    RECT title{0, 0, 0, 0};
    DrawTextW(dc, state->caption.c_str(), static_cast<int>(state->caption.size()), &title,
              DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteDC(dc);
    bool icon = (state->flags & MB_ICONMASK) != 0;
    int textLeft = kMargin + (icon ? kIconSize + kMargin : 0);
    int textWidth = std::max(static_cast<int>(measure.right), 40);
    int textHeight = std::max(static_cast<int>(measure.bottom), 16);
    int bodyHeight = std::max(textHeight, icon ? kIconSize : 0);
    int textTop = kTitleHeight + kMargin + (bodyHeight - textHeight) / 2;
    state->textRect = RECT{textLeft, textTop, textLeft + textWidth, textTop + textHeight};
    int buttonsWidth = static_cast<int>(buttonCount) * (kButtonWidth + kButtonGap) - kButtonGap;
    int width = std::max({textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin,
                          static_cast<int>(title.right) + 40, 180});
    int height = kTitleHeight + kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;
    return SIZE{width, height};
}

POINT centre(HWND owner, SIZE size) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT screen = area;
    if (HWND top = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr)
        GetWindowRect(top, &area);
    int x = (area.left + area.right - size.cx) / 2;
    int y = (area.top + area.bottom - size.cy) / 2;
    x = std::max(0, std::min(x, static_cast<int>(screen.right - size.cx)));
    y = std::max(0, std::min(y, static_cast<int>(screen.bottom - size.cy)));
    return POINT{x, y};
}

bool filterKeys(BoxState* state, const std::vector<ButtonSpec>& buttons, const MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return false;
    if (msg.wParam == VK_RETURN) {
        // The focused button answers, else the default one.
        int id = GetDlgCtrlID(GetFocus());
        bool ours =
            std::any_of(buttons.begin(), buttons.end(), [&](const ButtonSpec& b) { return b.id == id; });
        state->answer = ours ? id : defaultAnswer(state->flags, buttons);
        return true;
    }
    if (msg.wParam == VK_ESCAPE) {
        if (auto cancel = cancelAnswer(buttons))
            state->answer = *cancel;
        return true;
    }
    return false;
}

} // namespace
} // namespace platform

using namespace platform;

extern "C" int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if ((type & MB_TYPEMASK) > MB_RETRYCANCEL) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (owner != nullptr && !IsWindow(owner))
        owner = nullptr; // a stale owner makes an unowned box rather than no box
    HWND previousFocus = GetFocus();
    BoxState state;
    state.text = text != nullptr ? text : L"";
    state.caption = caption != nullptr ? caption : L"Error";
    state.flags = type;
    std::vector<ButtonSpec> buttons = buttonsFor(type);
    SIZE size = layOut(&state, buttons.size());
    POINT at = centre(owner, size);

    HWND box = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kDialogClass, state.caption.c_str(),
                               WS_POPUP, at.x, at.y, size.cx, size.cy, owner, nullptr, nullptr, nullptr);
    if (box != nullptr) {
        *ControlState<BoxState*>(box) = &state;
        int x = (size.cx - (static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap) - kButtonGap)) / 2;
        int y = size.cy - kMargin - kButtonHeight;
        int defaultId = defaultAnswer(type, buttons);
        HWND defaultButton = nullptr;
        for (const ButtonSpec& b : buttons) {
            HWND button = CreateWindowExW(0, WC_BUTTONW, b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y,
                                          kButtonWidth, kButtonHeight, box, reinterpret_cast<HMENU>(b.id),
                                          nullptr, nullptr);
            SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                         FALSE);
            if (b.id == defaultId)
                defaultButton = button;
            x += kButtonWidth + kButtonGap;
        }
        ShowWindow(box, SW_SHOW);
        if (defaultButton != nullptr)
            SetFocus(defaultButton);
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    const PlatformMessageBoxHook& hook = MessageBoxHook();
    int answer = defaultAnswer(type, buttons);
    if (BackendHasDisplay() && box != nullptr) {
        HWND ownerTop = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
        bool reenable = ownerTop != nullptr && IsWindowEnabled(ownerTop);
        if (reenable)
            EnableWindow(ownerTop, FALSE);
        bool finished = RunModalLoop([&] { return state.answer.has_value() || !IsWindow(box); },
                                     [&](MSG& msg) { return filterKeys(&state, buttons, msg); });
        if (state.answer)
            answer = *state.answer;
        else if (!finished)
            answer = cancelAnswer(buttons).value_or(answer);
        if (reenable && IsWindow(ownerTop))
            EnableWindow(ownerTop, TRUE);
    } else if (hook) {
        int given = hook(owner, state.text, state.caption, type);
        // Only an answer one of the buttons gives counts.
        if (std::any_of(buttons.begin(), buttons.end(), [&](const ButtonSpec& b) { return b.id == given; }))
            answer = given;
    }
    if (box != nullptr && IsWindow(box)) {
        *ControlState<BoxState*>(box) = nullptr;
        DestroyWindow(box);
    }
    // Focus goes back where it was, as when a dialog ends.
    if (previousFocus != nullptr && IsWindow(previousFocus) && GetFocus() != previousFocus)
        SetFocus(previousFocus);
    if (KeepsRecords())
        RecordMessageBox(PlatformMessageBoxRecord{owner, state.text, state.caption, type, answer});
    return answer;
}
