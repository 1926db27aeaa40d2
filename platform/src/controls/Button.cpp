// The "Button" class: push buttons and check boxes.
//
// A button paints a face with a one-pixel border inside a margin that it fills with the brush its
// parent answers to WM_CTLCOLORBTN (so a button sits on its parent's background), its caption
// centred in the WM_SETFONT font, a sunken look while pressed, grey text while disabled and a
// dotted focus mark. A press and a release inside it send BN_CLICKED to the parent; moving out
// while the button is held lifts the face, moving back presses it again, as on Windows.
//
// A check box (BS_CHECKBOX, BS_AUTOCHECKBOX) draws a square with a tick and its caption to the
// right, in the text colour and on the brush its parent answers to WM_CTLCOLORSTATIC, so that it
// reads on a dark page as on a light one. BM_GETCHECK and BM_SETCHECK read and set the tick; an
// automatic check box turns it over itself before it tells its parent of the click.
#include "internal/Controls.h"
#include "internal/WindowSystemClasses.h"

namespace platform {
namespace {

struct ButtonState {
    HFONT font = nullptr;
    bool tracking = false; // the left button went down on us and we hold the capture
    bool pushed = false;   // drawn pressed
    bool spaceDown = false;
    bool focused = false;
    bool checked = false;
};

bool isCheckBox(HWND window) {
    LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}

ButtonState* stateOf(HWND window) {
    return ControlState<ButtonState>(window);
}

bool pointInside(HWND window, LPARAM lParam) {
    RECT client;
    GetClientRect(window, &client);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, p) != FALSE;
}

void setPushed(HWND window, ButtonState* state, bool pushed) {
    if (state->pushed == pushed)
        return;
    state->pushed = pushed;
    InvalidateRect(window, nullptr, FALSE);
}

void click(HWND window) {
    if ((GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        ButtonState* state = ControlState<ButtonState>(window);
        if (state != nullptr) {
            state->checked = !state->checked;
            InvalidateRect(window, nullptr, FALSE);
        }
    }
    NotifyParent(window, BN_CLICKED);
}

void paintCheckBox(HWND window, HDC dc, ButtonState* state) {
    RECT client;
    GetClientRect(window, &client);
    HWND parent = GetParent(window);
    COLORREF oldColor = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HBRUSH around = nullptr;
    // The parent sets the text colour on the DC as it answers, as Win32 parents do.
    if (parent != nullptr)
        around = reinterpret_cast<HBRUSH>(SendMessageW(
            parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    if (around == nullptr)
        around = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, around);
    const COLORREF text = GetTextColor(dc);
    const bool enabled = IsWindowEnabled(window) != FALSE;

    const int side = 13;
    const int top = (client.top + client.bottom - side) / 2;
    RECT box{client.left + 1, top, client.left + 1 + side, top + side};
    HBRUSH frame = CreateSolidBrush(enabled ? text : GetSysColor(COLOR_GRAYTEXT));
    FrameRect(dc, &box, frame);
    if (state->checked) {
        // A tick of two strokes, two pixels thick.
        HPEN pen = CreatePen(PS_SOLID, 2, enabled ? text : GetSysColor(COLOR_GRAYTEXT));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, box.left + 3, box.top + 6, nullptr);
        LineTo(dc, box.left + 5, box.top + 9);
        LineTo(dc, box.left + 10, box.top + 3);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    DeleteObject(frame);

    int length = GetWindowTextLengthW(window);
    RECT textRect{box.right + 4, client.top, client.right, client.bottom};
    if (length > 0) {
        std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(window, caption.data(), length + 1);
        caption.resize(static_cast<size_t>(length));
        HGDIOBJ oldFont = SelectObject(dc, ControlFont(state->font));
        int oldMode = SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? text : GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption.c_str(), length, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        SetBkMode(dc, oldMode);
        SelectObject(dc, oldFont);
    }
    SetTextColor(dc, oldColor);
    if (state->focused) {
        RECT focus{textRect.left - 2, client.top + 1, client.right - 1, client.bottom - 1};
        if (!IsRectEmpty(&focus))
            DrawFocusRect(dc, &focus);
    }
}

void paint(HWND window, HDC dc, ButtonState* state) {
    if (isCheckBox(window)) {
        paintCheckBox(window, dc, state);
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    HWND parent = GetParent(window);
    HBRUSH around = nullptr;
    if (parent != nullptr)
        around = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(window)));
    if (around == nullptr)
        around = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &client, around);

    // The face leaves a one-pixel margin of the parent's brush around it.
    RECT face = client;
    InflateRect(&face, -1, -1);
    if (IsRectEmpty(&face))
        return;
    bool enabled = IsWindowEnabled(window) != FALSE;
    FillRect(dc, &face, GetSysColorBrush(state->pushed ? COLOR_3DLIGHT : COLOR_BTNFACE));
    FrameRect(dc, &face, GetSysColorBrush(state->pushed ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW));
    if (!state->pushed) {
        // A highlight along the top and left edges gives the face its raised look.
        RECT inner = face;
        InflateRect(&inner, -1, -1);
        RECT top{inner.left, inner.top, inner.right, inner.top + 1};
        RECT left{inner.left, inner.top, inner.left + 1, inner.bottom};
        FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        FillRect(dc, &left, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    }

    int length = GetWindowTextLengthW(window);
    if (length > 0) {
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(window, text.data(), length + 1);
        text.resize(static_cast<size_t>(length));
        RECT textRect = face;
        InflateRect(&textRect, -2, -1);
        if (state->pushed)
            OffsetRect(&textRect, 1, 1);
        HGDIOBJ oldFont = SelectObject(dc, ControlFont(state->font));
        int oldMode = SetBkMode(dc, TRANSPARENT);
        COLORREF oldColor = SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SetTextColor(dc, oldColor);
        SetBkMode(dc, oldMode);
        SelectObject(dc, oldFont);
    }
    if (state->focused) {
        RECT focus = face;
        InflateRect(&focus, -3, -3);
        if (!IsRectEmpty(&focus))
            DrawFocusRect(dc, &focus);
    }
}

LRESULT OnPaint(HWND window, ButtonState* state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc != nullptr)
        paint(window, dc, state);
    EndPaint(window, &ps);
    return 0;
}

LRESULT OnButtonDown(HWND window, ButtonState* state) {
    if (GetFocus() != window)
        SetFocus(window);
    SetCapture(window);
    state->tracking = true;
    setPushed(window, state, true);
    return 0;
}

LRESULT OnMouseMove(HWND window, ButtonState* state, LPARAM lParam) {
    if (state->tracking)
        setPushed(window, state, pointInside(window, lParam));
    return 0;
}

LRESULT OnButtonUp(HWND window, ButtonState* state, LPARAM lParam) {
    if (!state->tracking)
        return 0;
    bool inside = pointInside(window, lParam);
    state->tracking = false;
    setPushed(window, state, false);
    ReleaseCapture();
    if (inside)
        click(window);
    return 0;
}

LRESULT OnCaptureChanged(HWND window, ButtonState* state) {
    if (state->tracking) {
        state->tracking = false;
        setPushed(window, state, false);
    }
    return 0;
}

LRESULT OnFocus(HWND window, ButtonState* state, bool focused) {
    state->focused = focused;
    if (!focused && state->spaceDown) {
        state->spaceDown = false;
        setPushed(window, state, false);
    }
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT OnKey(HWND window, ButtonState* state, UINT message, WPARAM key) {
    if (key != VK_SPACE)
        return 0;
    if (message == WM_KEYDOWN) {
        state->spaceDown = true;
        setPushed(window, state, true);
    } else if (state->spaceDown) {
        state->spaceDown = false;
        setPushed(window, state, false);
        click(window);
    }
    return 0;
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ButtonState* state = stateOf(window);
    if (state == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        return OnPaint(window, state);
    case WM_ERASEBKGND:
        return 1; // the face covers the whole client area
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnButtonDown(window, state);
    case WM_MOUSEMOVE:
        return OnMouseMove(window, state, lParam);
    case WM_LBUTTONUP:
        return OnButtonUp(window, state, lParam);
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(window, state);
    case WM_SETFOCUS:
        return OnFocus(window, state, true);
    case WM_KILLFOCUS:
        return OnFocus(window, state, false);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return OnKey(window, state, message, wParam);
    case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BM_CLICK:
        click(window);
        return 0;
    case BM_GETSTATE:
        return (state->pushed ? BST_PUSHED : 0) | (state->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        setPushed(window, state, wParam != 0);
        return 0;
    case BM_GETCHECK:
        return state->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        if (state->checked != (wParam == BST_CHECKED)) {
            state->checked = wParam == BST_CHECKED;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SystemClassRegistration buttonClass([] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ButtonProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_BUTTONW;
    RegisterSystemClass(wc);
});

} // namespace
} // namespace platform
