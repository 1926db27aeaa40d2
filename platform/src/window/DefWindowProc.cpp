// DefWindowProcW: the default answers of a window, as Win32 gives them for the messages that
// the module, the host and the platform's own controls rely on. One handler per message.
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/wingdi.h>

#include <algorithm>

namespace platform {
namespace {

int borderWidth(const Window* window) {
    return BorderWidth(window->style, window->exStyle, window->IsTopLevel());
}

LRESULT OnNcCreate(Window* window, LPARAM lParam) {
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName))
        window->text = create->lpszName;
    return TRUE;
}

LRESULT OnNcCalcSize(Window* window, WPARAM wParam, LPARAM lParam) {
    RECT* rect =
        wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    if (rect == nullptr)
        return 0;
    int border = borderWidth(window);
    rect->left += border;
    rect->top += border;
    rect->right = std::max(rect->left, rect->right - border);
    rect->bottom = std::max(rect->top, rect->bottom - border);
    return 0;
}

LRESULT OnNcHitTest(Window* window, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT origin = WindowOriginOnScreen(window);
    RECT rect{origin.x, origin.y, origin.x + window->windowRect.right - window->windowRect.left,
              origin.y + window->windowRect.bottom - window->windowRect.top};
    if (!PtInRect(&rect, point))
        return HTNOWHERE;
    POINT client = ClientOriginOnScreen(window);
    RECT clientRect{client.x, client.y, client.x + window->clientRect.right - window->clientRect.left,
                    client.y + window->clientRect.bottom - window->clientRect.top};
    return PtInRect(&clientRect, point) ? HTCLIENT : HTBORDER;
}

// The border, from the outside in: a dark line for WS_BORDER and its kin, a shadow line for
// WS_EX_STATICEDGE, Win32's sunken 3-D edge for WS_EX_CLIENTEDGE.
LRESULT OnNcPaint(Window* window) {
    if (borderWidth(window) == 0)
        return 0;
    HDC dc = GetWindowDC(window->handle);
    if (dc == nullptr)
        return 0;
    RECT rect{0, 0, window->windowRect.right - window->windowRect.left,
              window->windowRect.bottom - window->windowRect.top};
    // The outer line: whatever of the border is not an edge.
    int edges =
        ((window->exStyle & WS_EX_STATICEDGE) ? 1 : 0) + ((window->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
    if (borderWidth(window) > edges) {
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&rect, -1, -1);
    }
    if (window->exStyle & WS_EX_STATICEDGE) {
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&rect, -1, -1);
    }
    if (window->exStyle & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
    ReleaseDC(window->handle, dc);
    return 0;
}

LRESULT OnEraseBackground(Window* window, WPARAM wParam) {
    HBRUSH brush = window->windowClass->info.hbrBackground;
    if (brush == nullptr)
        return 0;
    RECT client = ClientArea(window);
    // FillRect understands COLOR_xxx + 1 as that system colour.
    FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    return 1;
}

LRESULT OnPaint(Window* window) {
    PAINTSTRUCT paint;
    if (BeginPaint(window->handle, &paint) != nullptr)
        EndPaint(window->handle, &paint);
    return 0;
}

LRESULT OnSetText(Window* window, LPARAM lParam) {
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    window->text = text != nullptr ? text : L"";
    if (borderWidth(window) > 0)
        window->frameInvalid = true;
    if (window->IsTopLevel())
        Backend().TopLevelTextChanged(window);
    return TRUE;
}

LRESULT OnGetText(Window* window, WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (buffer == nullptr || wParam == 0)
        return 0;
    size_t count = std::min(window->text.size(), static_cast<size_t>(wParam) - 1);
    window->text.copy(buffer, count);
    buffer[count] = L'\0';
    return static_cast<LRESULT>(count);
}

// A child passes the context menu to its parent, keeping wParam (the window clicked), as the
// documentation of WM_CONTEXTMENU describes.
LRESULT OnContextMenu(Window* window, WPARAM wParam, LPARAM lParam) {
    if (window->IsChildStyle())
        SendTo(window->parent, WM_CONTEXTMENU, wParam, lParam);
    return 0;
}

LRESULT OnRightButtonUp(Window* window, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT origin = ClientOriginOnScreen(window);
    point.x += origin.x;
    point.y += origin.y;
    SendTo(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window->handle), MAKELPARAM(point.x, point.y));
    return 0;
}

LRESULT OnMouseWheel(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window->IsChildStyle())
        return SendTo(window->parent, message, wParam, lParam);
    return 0;
}

LRESULT OnWindowPosChanged(Window* window, LPARAM lParam) {
    auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
    auto hold = Hold(window);
    RECT client = window->clientRect;
    if (!(position->flags & SWP_NOCLIENTMOVE))
        SendTo(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
    if (!window->dead && !(position->flags & SWP_NOCLIENTSIZE)) {
        client = window->clientRect;
        SendTo(window, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(client.right - client.left, client.bottom - client.top));
    }
    return 0;
}

LRESULT OnMouseActivate(Window* window, WPARAM wParam, LPARAM lParam) {
    if (window->IsChildStyle()) {
        LRESULT answer = SendTo(window->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer != 0)
            return answer;
    }
    return (window->exStyle & WS_EX_NOACTIVATE) ? MA_NOACTIVATE : MA_ACTIVATE;
}

LRESULT OnActivate(Window* window, WPARAM wParam) {
    if (LOWORD(wParam) != WA_INACTIVE)
        SetFocus(window->handle);
    return 0;
}

LRESULT OnSetCursor(Window* window, WPARAM wParam, LPARAM lParam) {
    if (window->IsChildStyle() && SendTo(window->parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
    if (static_cast<short>(LOWORD(lParam)) == HTCLIENT && window->windowClass->info.hCursor != nullptr) {
        SetCursor(window->windowClass->info.hCursor);
        return TRUE;
    }
    return FALSE;
}

// WM_SETREDRAW toggles WS_VISIBLE without any message or repainting, as in Win32.
LRESULT OnSetRedraw(Window* window, WPARAM wParam) {
    if (wParam)
        window->style |= WS_VISIBLE;
    else
        window->style &= ~WS_VISIBLE;
    return 0;
}

LRESULT OnControlColor(UINT message, WPARAM wParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE));
}

LRESULT OnSysCommand(Window* window, WPARAM wParam) {
    if ((wParam & 0xFFF0) == SC_CLOSE)
        SendTo(window, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT OnCancelMode(Window* window) {
    if (CaptureWindow() == window)
        ReleaseCapture();
    return 0;
}

} // namespace
} // namespace platform

using namespace platform;

extern "C" LRESULT WINAPI DefWindowProcW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LiveWindow(handle);
    if (window == nullptr)
        return 0;
    switch (message) {
    case WM_NCCREATE:
        return OnNcCreate(window, lParam);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(window, wParam, lParam);
    case WM_NCHITTEST:
        return OnNcHitTest(window, lParam);
    case WM_NCPAINT:
        return OnNcPaint(window);
    case WM_NCACTIVATE:
        return TRUE;
    case WM_ERASEBKGND:
        return OnEraseBackground(window, wParam);
    case WM_PAINT:
        return OnPaint(window);
    case WM_SETTEXT:
        return OnSetText(window, lParam);
    case WM_GETTEXT:
        return OnGetText(window, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    case WM_CONTEXTMENU:
        return OnContextMenu(window, wParam, lParam);
    case WM_RBUTTONUP:
        return OnRightButtonUp(window, lParam);
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return OnMouseWheel(window, message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(window, lParam);
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(window, wParam, lParam);
    case WM_ACTIVATE:
        return OnActivate(window, wParam);
    case WM_SETCURSOR:
        return OnSetCursor(window, wParam, lParam);
    case WM_SETREDRAW:
        return OnSetRedraw(window, wParam);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return OnControlColor(message, wParam);
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam);
    case WM_CANCELMODE:
        return OnCancelMode(window);
    // Generic windows keep no font and no other state for these.
    case WM_SETFONT:
    case WM_GETFONT:
    default:
        return 0;
    }
}
