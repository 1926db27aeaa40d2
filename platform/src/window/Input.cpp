// Raw input and its conversion into window messages, key and button state, the cursor, mouse
// tracking (TrackMouseEvent) and system metrics.
//
// Routing, decided when the message loop retrieves the input (as Win32 decides it then):
// - mouse: the capture window, else the deepest visible window under the point (WM_NCHITTEST
//   HTTRANSPARENT windows let it through); a disabled window swallows the input. Client-area
//   messages carry client coordinates and MK_ flags; elsewhere the WM_NC variants carry the hit
//   test and screen coordinates. A second button press within the double-click time and
//   distance, on the same window, is WM_xBUTTONDBLCLK when the class has CS_DBLCLKS. A press on
//   a window of an inactive top-level sends WM_MOUSEACTIVATE first and activates as answered;
//   children tell their parents with WM_PARENTNOTIFY.
// - wheel: the capture window, else the window under the cursor, as current Windows delivers it
//   by default (a disabled window passes it to its nearest enabled ancestor); DefWindowProc then
//   hands it up the parents until one uses it. WM_MOUSEWHEEL carries screen coordinates.
// - keys and characters: the focus window, else the active window; keys with Alt held (and
//   F10) are WM_SYSKEYDOWN/WM_SYSKEYUP.
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <cstdlib>
#include <deque>

namespace platform {
namespace {

constexpr DWORD kDoubleClickTime = 500;
constexpr int kDoubleClickSize = 4;
constexpr DWORD kDefaultHoverTime = 400;
constexpr int kHoverSize = 4;

struct TrackingState {
    HWND window = nullptr;
    DWORD flags = 0; // TME_LEAVE, TME_HOVER
    DWORD hoverTime = kDefaultHoverTime;
    DWORD hoverStart = 0;
    POINT hoverPoint{0, 0};
};

struct ButtonPress {
    HWND window = nullptr;
    int button = -1;
    DWORD time = 0;
    POINT point{0, 0};
};

struct InputState {
    std::deque<InputEvent> events;
    BYTE keys[256] = {};      // as of the messages retrieved: 0x80 down, 0x01 toggled
    BYTE asyncKeys[256] = {}; // as of the input queued
    POINT cursor{0, 0};
    bool cursorKnown = false;
    ButtonPress lastPress;
    TrackingState tracking;
    HCURSOR cursorHandle = nullptr;
};

InputState& input() {
    static InputState instance;
    return instance;
}

const UINT kButtonKeys[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
const UINT kDownMessages[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
const UINT kUpMessages[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
const UINT kDoubleMessages[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
// The WM_NC variants sit at a fixed distance from the client ones.
constexpr UINT kNonClientOffset = WM_LBUTTONDOWN - WM_NCLBUTTONDOWN;

void setKey(BYTE* keys, UINT key, bool down) {
    if (key > 255)
        return;
    if (down && !(keys[key] & 0x80))
        keys[key] ^= 0x01;
    keys[key] = static_cast<BYTE>(down ? (keys[key] | 0x80) : (keys[key] & ~0x80));
    // The left and right variants drive the generic key.
    UINT generic = 0;
    if (key == VK_LSHIFT || key == VK_RSHIFT)
        generic = VK_SHIFT;
    else if (key == VK_LCONTROL || key == VK_RCONTROL)
        generic = VK_CONTROL;
    else if (key == VK_LMENU || key == VK_RMENU)
        generic = VK_MENU;
    if (generic != 0)
        keys[generic] = static_cast<BYTE>(down ? (keys[generic] | 0x80) : (keys[generic] & ~0x80));
}

void applyToKeys(BYTE* keys, const InputEvent& event) {
    switch (event.kind) {
    case InputEvent::ButtonDown:
    case InputEvent::ButtonUp:
        if (event.button >= 0 && event.button < 3)
            setKey(keys, kButtonKeys[event.button], event.kind == InputEvent::ButtonDown);
        break;
    case InputEvent::KeyDown:
    case InputEvent::KeyUp:
        setKey(keys, event.virtualKey, event.kind == InputEvent::KeyDown);
        break;
    default:
        break;
    }
}

DWORD mouseFlags(const BYTE* keys) {
    DWORD flags = 0;
    if (keys[VK_LBUTTON] & 0x80)
        flags |= MK_LBUTTON;
    if (keys[VK_RBUTTON] & 0x80)
        flags |= MK_RBUTTON;
    if (keys[VK_MBUTTON] & 0x80)
        flags |= MK_MBUTTON;
    if (keys[VK_SHIFT] & 0x80)
        flags |= MK_SHIFT;
    if (keys[VK_CONTROL] & 0x80)
        flags |= MK_CONTROL;
    return flags;
}

LPARAM pointParam(POINT p) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

POINT toClient(const Window* window, POINT screen) {
    POINT origin = ClientOriginOnScreen(window);
    return POINT{screen.x - origin.x, screen.y - origin.y};
}

bool inClientArea(const Window* window, POINT screen) {
    POINT p = toClient(window, screen);
    RECT client = ClientArea(window);
    return PtInRect(&client, p) != FALSE;
}

Window* keyboardTarget() {
    if (Window* focus = FocusWindow())
        return focus;
    return ActiveWindow();
}

// The wheel turns what lies under the cursor, not what has the keyboard, so that a list scrolls
// without being clicked first.
Window* wheelTarget(POINT screenPoint) {
    if (Window* capture = CaptureWindow())
        return capture;
    int hitTest = HTNOWHERE;
    Window* target = WindowForInput(screenPoint, &hitTest);
    while (target != nullptr && (target->style & WS_DISABLED) && target->IsChildStyle())
        target = target->parent;
    if (target == nullptr || (target->style & WS_DISABLED))
        return nullptr;
    return target;
}

// Leave tracking: the tracked window hears WM_MOUSELEAVE once the mouse is elsewhere.
void updateLeaveTracking(Window* target, int hitTest) {
    TrackingState& t = input().tracking;
    if (t.window == nullptr || !(t.flags & TME_LEAVE))
        return;
    if (target != nullptr && target->handle == t.window && hitTest == HTCLIENT)
        return;
    HWND left = t.window;
    t = TrackingState{};
    PostInternal(left, WM_MOUSELEAVE, 0, 0);
}

void updateHoverTracking(Window* target, POINT point, DWORD time) {
    TrackingState& t = input().tracking;
    if (!(t.flags & TME_HOVER) || target == nullptr || target->handle != t.window)
        return;
    if (std::abs(point.x - t.hoverPoint.x) > kHoverSize / 2 ||
        std::abs(point.y - t.hoverPoint.y) > kHoverSize / 2) {
        t.hoverPoint = point;
        t.hoverStart = time;
    }
}

void sendParentNotifyForPress(Window* window, UINT message, POINT screen) {
    for (Window* w = window; w->IsChildStyle() && !(w->exStyle & WS_EX_NOPARENTNOTIFY);) {
        Window* parent = w->parent;
        if (parent == nullptr || parent->IsDesktop())
            break;
        POINT p = toClient(parent, screen);
        auto hold = Hold(parent);
        SendTo(parent, WM_PARENTNOTIFY, MAKEWPARAM(message, 0), pointParam(p));
        if (parent->dead || window->dead)
            break;
        w = parent;
    }
}

// Activation by a click on an inactive top-level window. False when the click is eaten.
bool mouseActivate(Window* target, int hitTest, UINT message) {
    Window* top = TopLevelOf(target);
    if (top == nullptr || top->IsDesktop() || top == ActiveWindow())
        return true;
    auto hold = Hold(target);
    LRESULT answer = SendTo(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                            MAKELPARAM(static_cast<WORD>(static_cast<short>(hitTest)), message));
    if (target->dead)
        return false;
    if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT)
        ActivateWindow(top, true);
    return answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT && !target->dead;
}

// Turns the front event into a message. Returns false when the event yields none (it is then
// consumed when `remove`); *made tells whether msg was filled.
bool convert(const InputEvent& event, MSG* msg, bool remove, bool* made) {
    InputState& s = input();
    *made = false;
    BYTE keys[256];
    std::copy(std::begin(s.keys), std::end(s.keys), keys);
    applyToKeys(keys, event);
    msg->time = event.time;
    msg->pt = event.point;

    if (event.kind == InputEvent::KeyDown || event.kind == InputEvent::KeyUp ||
        event.kind == InputEvent::Char) {
        msg->pt = s.cursor;
        Window* target = keyboardTarget();
        if (target == nullptr)
            return false;
        msg->hwnd = target->handle;
        if (event.kind == InputEvent::Char) {
            msg->message = WM_CHAR;
            msg->wParam = event.character;
            msg->lParam = 1;
        } else {
            bool down = event.kind == InputEvent::KeyDown;
            bool alt = (keys[VK_MENU] & 0x80) != 0;
            bool control = (keys[VK_CONTROL] & 0x80) != 0;
            bool system = (alt && !control) || event.virtualKey == VK_F10;
            msg->message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
            msg->wParam = event.virtualKey;
            bool wasDown = event.virtualKey < 256 && (s.keys[event.virtualKey] & 0x80);
            LPARAM lParam = 1;
            if (alt)
                lParam |= 1 << 29;
            if (wasDown || !down)
                lParam |= 1 << 30;
            if (!down)
                lParam |= static_cast<LPARAM>(1u << 31);
            msg->lParam = lParam;
        }
        *made = true;
        return true;
    }

    if (event.kind == InputEvent::Wheel) {
        Window* target = wheelTarget(event.point);
        if (target == nullptr)
            return false;
        msg->hwnd = target->handle;
        msg->message = WM_MOUSEWHEEL;
        msg->wParam = MAKEWPARAM(mouseFlags(keys), static_cast<WORD>(static_cast<short>(event.wheelDelta)));
        msg->lParam = pointParam(event.point);
        *made = true;
        return true;
    }

    // Mouse moves and buttons.
    int hitTest = HTCLIENT;
    Window* target = CaptureWindow();
    if (target == nullptr)
        target = WindowForInput(event.point, &hitTest);
    if (remove && event.kind == InputEvent::MouseMove) {
        updateLeaveTracking(target, hitTest);
        updateHoverTracking(target, event.point, event.time);
    }
    if (target == nullptr || hitTest == HTERROR || hitTest == HTNOWHERE)
        return false;
    bool client = hitTest == HTCLIENT;
    int button = event.button;
    UINT message = WM_MOUSEMOVE;
    if (event.kind == InputEvent::ButtonDown) {
        if (button < 0 || button > 2)
            return false;
        message = kDownMessages[button];
        const ButtonPress& last = s.lastPress;
        bool isDouble = last.window == target->handle && last.button == button &&
                        event.time - last.time <= kDoubleClickTime &&
                        std::abs(event.point.x - last.point.x) <= kDoubleClickSize / 2 &&
                        std::abs(event.point.y - last.point.y) <= kDoubleClickSize / 2;
        if (isDouble && (!client || (target->windowClass->info.style & CS_DBLCLKS)))
            message = kDoubleMessages[button];
        if (remove) {
            if (message == kDoubleMessages[button])
                s.lastPress = ButtonPress{}; // a third press starts over
            else
                s.lastPress = ButtonPress{target->handle, button, event.time, event.point};
        }
    } else if (event.kind == InputEvent::ButtonUp) {
        if (button < 0 || button > 2)
            return false;
        message = kUpMessages[button];
    }
    if (remove && event.kind == InputEvent::ButtonDown) {
        auto hold = Hold(target);
        if (target->IsChildStyle())
            sendParentNotifyForPress(
                target, message == kDoubleMessages[button] ? kDownMessages[button] : message, event.point);
        if (target->dead || !mouseActivate(target, hitTest, message))
            return false;
    }
    msg->hwnd = target->handle;
    if (client) {
        msg->message = message;
        msg->wParam = mouseFlags(keys);
        msg->lParam = pointParam(toClient(target, event.point));
    } else {
        msg->message = message - kNonClientOffset;
        msg->wParam = static_cast<WPARAM>(hitTest);
        msg->lParam = pointParam(event.point);
    }
    *made = true;
    return true;
}

bool matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter != nullptr &&
        (filter == reinterpret_cast<HWND>(-1) || (msg.hwnd != filter && !IsChild(filter, msg.hwnd))))
        return false;
    return (filterMin == 0 && filterMax == 0) || (msg.message >= filterMin && msg.message <= filterMax);
}

} // namespace

void QueueInput(const InputEvent& event) {
    InputState& s = input();
    InputEvent copy = event;
    if (copy.time == 0)
        copy.time = Backend().Now();
    if (copy.kind == InputEvent::MouseMove || copy.kind == InputEvent::ButtonDown ||
        copy.kind == InputEvent::ButtonUp || copy.kind == InputEvent::Wheel) {
        s.cursor = copy.point;
        s.cursorKnown = true;
    }
    applyToKeys(s.asyncKeys, copy);
    s.events.push_back(copy);
}

bool HasQueuedInput() {
    return !input().events.empty();
}

bool NextInputMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    InputState& s = input();
    while (!s.events.empty()) {
        InputEvent event = s.events.front();
        bool made = false;
        bool filtered = filter != nullptr || filterMin != 0 || filterMax != 0;
        if (filtered || !remove) {
            // A look first, without the side effects of taking the input (activation, notices).
            convert(event, msg, false, &made);
            if (made && !matches(*msg, filter, filterMin, filterMax))
                return false;
        }
        if (!remove) {
            if (made)
                return true;
            // An event that yields nothing is dropped even when only peeking.
            s.events.pop_front();
            applyToKeys(s.keys, event);
            continue;
        }
        s.events.pop_front();
        convert(event, msg, true, &made);
        applyToKeys(s.keys, event);
        if (made)
            return true;
    }
    return false;
}

bool HoverDue(DWORD* when) {
    const TrackingState& t = input().tracking;
    if (t.window == nullptr || !(t.flags & TME_HOVER))
        return false;
    *when = t.hoverStart + t.hoverTime;
    return true;
}

bool NextTrackingMessage(MSG* msg, DWORD now, bool remove) {
    InputState& s = input();
    TrackingState& t = s.tracking;
    DWORD when;
    if (!HoverDue(&when) || static_cast<LONG>(now - when) < 0)
        return false;
    Window* window = LiveWindow(t.window);
    if (window == nullptr) {
        t = TrackingState{};
        return false;
    }
    POINT client = toClient(window, s.cursor);
    *msg = MSG{window->handle, WM_MOUSEHOVER, mouseFlags(s.keys), pointParam(client), now, s.cursor};
    if (remove) {
        t.flags &= ~TME_HOVER; // hover fires once per TrackMouseEvent
        if (t.flags == 0)
            t = TrackingState{};
    }
    return true;
}

void ForgetInInput(Window* window) {
    InputState& s = input();
    if (s.tracking.window == window->handle)
        s.tracking = TrackingState{};
    if (s.lastPress.window == window->handle)
        s.lastPress = ButtonPress{};
}

void ResetInput() {
    input() = InputState{};
}

POINT CursorPosition() {
    return input().cursor;
}

DWORD MouseKeyFlags() {
    return mouseFlags(input().keys);
}

void CursorTreeChanged() {
    InputState& s = input();
    // Only leave tracking needs to hear about windows moving under a still mouse.
    if (s.cursorKnown && s.tracking.window != nullptr && (s.tracking.flags & TME_LEAVE)) {
        InputEvent move;
        move.kind = InputEvent::MouseMove;
        move.point = s.cursor;
        move.time = Backend().Now();
        s.events.push_back(move);
    }
}

} // namespace platform

using namespace platform;

extern "C" {

SHORT WINAPI GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    BYTE state = input().keys[virtualKey];
    return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    return static_cast<SHORT>((input().asyncKeys[virtualKey] & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (point == nullptr)
        return FALSE;
    *point = input().cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    InputEvent move;
    move.kind = InputEvent::MouseMove;
    move.point = POINT{x, y};
    QueueInput(move);
    return TRUE;
}

// Cursors are tokens: the arrow stands for every standard cursor.
HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR name) {
    ULONG_PTR id = IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 32512;
    return reinterpret_cast<HCURSOR>(0x10000 | id);
}

HICON WINAPI LoadIconW(HINSTANCE, LPCWSTR name) {
    ULONG_PTR id = IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : 32512;
    return reinterpret_cast<HICON>(0x20000 | id);
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    InputState& s = input();
    HCURSOR previous = s.cursorHandle;
    if (cursor != previous) {
        s.cursorHandle = cursor;
        Backend().CursorChanged(cursor);
    }
    return previous;
}

HCURSOR WINAPI GetCursor() {
    return input().cursorHandle;
}

BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT track) {
    if (track == nullptr || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    InputState& s = input();
    TrackingState& t = s.tracking;
    if (track->dwFlags & TME_QUERY) {
        track->dwFlags = t.window != nullptr ? t.flags : 0;
        track->hwndTrack = t.window;
        track->dwHoverTime = t.hoverTime;
        return TRUE;
    }
    Window* window = CheckWindow(track->hwndTrack);
    if (window == nullptr)
        return FALSE;
    DWORD flags = track->dwFlags & (TME_LEAVE | TME_HOVER);
    if (track->dwFlags & TME_CANCEL) {
        if (t.window == track->hwndTrack) {
            t.flags &= ~flags;
            if (t.flags == 0)
                t = TrackingState{};
        }
        return TRUE;
    }
    // Win32 answers at once when the mouse is not over the window's client area.
    int hitTest = HTNOWHERE;
    Window* under = CaptureWindow() != nullptr ? CaptureWindow() : WindowForInput(s.cursor, &hitTest);
    if (CaptureWindow() != nullptr)
        hitTest = inClientArea(window, s.cursor) ? HTCLIENT : HTNOWHERE;
    if (under != window || hitTest != HTCLIENT) {
        if (flags & TME_LEAVE)
            PostInternal(window->handle, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (t.window != window->handle)
        t = TrackingState{};
    t.window = window->handle;
    t.flags |= flags;
    if (flags & TME_HOVER) {
        t.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverTime : track->dwHoverTime;
        t.hoverStart = Backend().Now();
        t.hoverPoint = s.cursor;
    }
    return TRUE;
}

UINT WINAPI GetDoubleClickTime() {
    return kDoubleClickTime;
}

int WINAPI GetSystemMetrics(int index) {
    RECT screen = ScreenRect();
    int width = screen.right - screen.left;
    int height = screen.bottom - screen.top;
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
        return width;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return height;
    case SM_CYFULLSCREEN:
        return height - 23;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 22;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    // Windows may have any size here: frames are the backend's.
    case SM_CXMINTRACK:
    case SM_CYMINTRACK:
        return 0;
    case SM_CXMAXTRACK:
    case SM_CXMAXIMIZED:
        return width + 12;
    case SM_CYMAXTRACK:
    case SM_CYMAXIMIZED:
        return height + 12;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return kDoubleClickSize;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
        return 13;
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

} // extern "C"
