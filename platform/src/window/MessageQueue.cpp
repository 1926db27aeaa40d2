// The message queue of the user-interface thread: posted messages, the quit flag, timers, and
// the retrieval order of GetMessageW and PeekMessageW, which is Win32's: posted messages, then
// WM_QUIT, then input, then WM_PAINT (synthesized for the first window needing it, parents before
// children), then WM_TIMER (one per due timer, whatever number of periods passed).
//
// Input filters: a message filter (window or range) applies to input only at the front of the
// input queue; input behind a non-matching event waits, which Win32 would not make wait. Nothing
// in the program filters input.
//
// Other threads: PostMessageW from another thread puts the message into an inbox under a lock; the
// user-interface thread moves the inbox into its queue whenever it looks at the queue. Background
// work announced through platform/background.h is counted under the same lock.
#include "internal/Controls.h"
#include "internal/Window.h"
#include "internal/WindowBackend.h"
#include "internal/WindowManager.h"

#include <platform/winbase.h>

#include <platform/background.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {
namespace {

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC procedure;
    DWORD due;
};

struct MessageQueue {
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimer = 0x7FFE;
    DWORD lastTime = 0;
    POINT lastPoint{0, 0};
};

MessageQueue& queue() {
    static MessageQueue instance;
    return instance;
}

// What other threads hand to the user-interface thread.
struct Inbox {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<MSG> messages;
    int working = 0;                  // background work announced and not yet ended
    void (*wake)() = nullptr;         // tells a waiting display loop that something came
    std::atomic<bool> pending{false}; // messages wait in the inbox
};

Inbox& inbox() {
    static Inbox* instance = new Inbox; // worker threads may still post while statics are destroyed
    return *instance;
}

std::atomic<std::thread::id>& uiThread() {
    static std::atomic<std::thread::id> id{};
    return id;
}

bool onUiThread() {
    const std::thread::id id = uiThread().load();
    return id == std::thread::id() || id == std::this_thread::get_id();
}

// Moves what other threads posted into the queue, in the order it was posted.
void drainInbox() {
    Inbox& in = inbox();
    if (!in.pending.load(std::memory_order_acquire))
        return;
    std::deque<MSG> arrived;
    {
        std::lock_guard<std::mutex> lock(in.mutex);
        arrived.swap(in.messages);
        in.pending.store(false, std::memory_order_release);
    }
    for (MSG& m : arrived) {
        m.time = Backend().Now();
        m.pt = CursorPosition();
        queue().posted.push_back(m);
    }
}

// Wrap-around-safe comparison of message-clock times.
bool due(DWORD when, DWORD now) {
    return static_cast<LONG>(now - when) >= 0;
}

bool inRange(UINT message, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0)
        return true;
    return message >= filterMin && message <= filterMax;
}

bool forWindow(HWND target, HWND filter) {
    if (filter == nullptr)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return target == nullptr;
    return target == filter || IsChild(filter, target);
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{window, message, wParam, lParam, Backend().Now(), CursorPosition()};
    return msg;
}

bool takePosted(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    auto& posted = queue().posted;
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (it->hwnd != nullptr && LiveWindow(it->hwnd) == nullptr)
            continue; // its window went away; dropped below
        if (forWindow(it->hwnd, filter) && inRange(it->message, filterMin, filterMax)) {
            *msg = *it;
            if (remove)
                posted.erase(it);
            return true;
        }
    }
    return false;
}

bool takePaint(MSG* msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (!inRange(WM_PAINT, filterMin, filterMax) || filter == reinterpret_cast<HWND>(-1))
        return false;
    Window* root = nullptr;
    if (filter != nullptr) {
        root = LiveWindow(filter);
        if (root == nullptr)
            return false;
    }
    Window* window = NextWindowToPaint(root);
    if (window == nullptr)
        return false;
    *msg = makeMessage(window->handle, WM_PAINT, 0, 0);
    return true;
}

bool takeTimer(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    if (!inRange(WM_TIMER, filterMin, filterMax))
        return false;
    MessageQueue& q = queue();
    DWORD now = Backend().Now();
    Timer* best = nullptr;
    for (Timer& t : q.timers) {
        if (due(t.due, now) && forWindow(t.window, filter) && (best == nullptr || !due(best->due, t.due)))
            best = &t;
    }
    if (best == nullptr)
        return false;
    *msg = makeMessage(best->window, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->procedure));
    if (remove)
        best->due = now + best->elapse;
    return true;
}

bool peek(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    drainInbox();
    MessageQueue& q = queue();
    // Messages of windows that went away are dropped, as Win32 drops them with the window.
    q.posted.erase(
        std::remove_if(q.posted.begin(), q.posted.end(),
                       [](const MSG& m) { return m.hwnd != nullptr && LiveWindow(m.hwnd) == nullptr; }),
        q.posted.end());
    bool found = takePosted(msg, filter, filterMin, filterMax, remove);
    if (!found && q.quit) {
        // WM_QUIT comes once the posted messages are gone, whatever the filter.
        *msg = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
        if (remove)
            q.quit = false;
        found = true;
    }
    if (!found)
        found = NextInputMessage(msg, filter, filterMin, filterMax, remove);
    if (!found && inRange(WM_MOUSEHOVER, filterMin, filterMax)) {
        MSG hover;
        if (NextTrackingMessage(&hover, Backend().Now(), false) && forWindow(hover.hwnd, filter)) {
            if (remove)
                NextTrackingMessage(&hover, Backend().Now(), true);
            *msg = hover;
            found = true;
        }
    }
    if (!found)
        found = takePaint(msg, filter, filterMin, filterMax);
    if (!found)
        found = takeTimer(msg, filter, filterMin, filterMax, remove);
    if (found && remove) {
        q.lastTime = msg->time;
        q.lastPoint = msg->pt;
    }
    return found;
}

// The printable character of a key press on a US keyboard, or 0.
wchar_t characterOf(UINT key, bool shift, bool control, bool capsLock) {
    if (key >= 'A' && key <= 'Z') {
        if (control)
            return static_cast<wchar_t>(key - 'A' + 1);
        bool upper = shift != capsLock;
        return static_cast<wchar_t>(upper ? key : key - 'A' + 'a');
    }
    if (control)
        return 0;
    if (key >= '0' && key <= '9')
        return shift ? L")!@#$%^&*("[key - '0'] : static_cast<wchar_t>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return static_cast<wchar_t>(L'0' + (key - VK_NUMPAD0));
    switch (key) {
    case VK_SPACE:
        return L' ';
    case VK_RETURN:
        return L'\r';
    case VK_BACK:
        return L'\b';
    case VK_TAB:
        return L'\t';
    case VK_ESCAPE:
        return 0x1B;
    case VK_MULTIPLY:
        return L'*';
    case VK_ADD:
        return L'+';
    case VK_SUBTRACT:
        return L'-';
    case VK_DECIMAL:
        return L'.';
    case VK_DIVIDE:
        return L'/';
    case VK_OEM_1:
        return shift ? L':' : L';';
    case VK_OEM_PLUS:
        return shift ? L'+' : L'=';
    case VK_OEM_COMMA:
        return shift ? L'<' : L',';
    case VK_OEM_MINUS:
        return shift ? L'_' : L'-';
    case VK_OEM_PERIOD:
        return shift ? L'>' : L'.';
    case VK_OEM_2:
        return shift ? L'?' : L'/';
    case VK_OEM_3:
        return shift ? L'~' : L'`';
    case VK_OEM_4:
        return shift ? L'{' : L'[';
    case VK_OEM_5:
        return shift ? L'|' : L'\\';
    case VK_OEM_6:
        return shift ? L'}' : L']';
    case VK_OEM_7:
        return shift ? L'"' : L'\'';
    default:
        return 0;
    }
}

} // namespace

DispatchWatcher& dispatchWatcher() {
    static DispatchWatcher watcher = nullptr;
    return watcher;
}

void SetDispatchWatcher(DispatchWatcher watcher) {
    dispatchWatcher() = watcher;
}

void PostInternal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // What other threads posted before comes first, as in a queue that all threads post to.
    drainInbox();
    queue().posted.push_back(makeMessage(window, message, wParam, lParam));
}

void ForgetInQueue(Window* window) {
    MessageQueue& q = queue();
    HWND handle = window->handle;
    q.posted.erase(
        std::remove_if(q.posted.begin(), q.posted.end(), [handle](const MSG& m) { return m.hwnd == handle; }),
        q.posted.end());
    q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(),
                                  [handle](const Timer& t) { return t.window == handle; }),
                   q.timers.end());
}

bool NextDueTime(DWORD* when) {
    bool any = false;
    DWORD earliest = 0;
    DWORD now = Backend().Now();
    for (const Timer& t : queue().timers) {
        if (!any || static_cast<LONG>(t.due - earliest) < 0) {
            earliest = t.due;
            any = true;
        }
    }
    DWORD hover;
    if (HoverDue(&hover) && (!any || static_cast<LONG>(hover - earliest) < 0)) {
        earliest = hover;
        any = true;
    }
    if (any && when != nullptr)
        *when = due(earliest, now) ? now : earliest;
    return any;
}

void ResetQueue() {
    queue() = MessageQueue{};
    // Work still under way stays counted; what it posted for the windows of before is dropped.
    Inbox& in = inbox();
    std::lock_guard<std::mutex> lock(in.mutex);
    in.messages.clear();
    in.pending.store(false);
}

void MarkUiThread() {
    uiThread().store(std::this_thread::get_id());
}

void SetCrossThreadWake(void (*wake)()) {
    Inbox& in = inbox();
    std::lock_guard<std::mutex> lock(in.mutex);
    in.wake = wake;
}

bool BackgroundPending() {
    Inbox& in = inbox();
    std::lock_guard<std::mutex> lock(in.mutex);
    return in.working > 0 || !in.messages.empty();
}

bool WaitForBackground(DWORD milliseconds) {
    Inbox& in = inbox();
    std::unique_lock<std::mutex> lock(in.mutex);
    if (in.working == 0 || !in.messages.empty())
        return !in.messages.empty();
    const int working = in.working;
    return in.changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                               [&] { return !in.messages.empty() || in.working < working; });
}

} // namespace platform

using namespace platform;

extern "C" {

BOOL WINAPI PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!onUiThread()) {
        // The window table belongs to the user-interface thread: the window is looked at when the
        // message is retrieved there, and a message for a window that went away is dropped then.
        if (handle == nullptr || handle == reinterpret_cast<HWND>(0xFFFF))
            return FALSE;
        Inbox& in = inbox();
        void (*wake)() = nullptr;
        {
            std::lock_guard<std::mutex> lock(in.mutex);
            in.messages.push_back(MSG{handle, message, wParam, lParam, 0, POINT{0, 0}});
            in.pending.store(true, std::memory_order_release);
            wake = in.wake;
        }
        in.changed.notify_all();
        if (wake != nullptr)
            wake();
        return TRUE;
    }
    if (handle == reinterpret_cast<HWND>(0xFFFF)) {
        for (Window* w : Desktop()->children)
            PostInternal(w->handle, message, wParam, lParam);
        return TRUE;
    }
    if (handle != nullptr && CheckWindow(handle) == nullptr)
        return FALSE;
    PostInternal(handle, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    queue().quit = true;
    queue().quitCode = exitCode;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (msg == nullptr)
        return FALSE;
    if (window != nullptr && window != reinterpret_cast<HWND>(-1) && CheckWindow(window) == nullptr)
        return FALSE;
    return peek(msg, window, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

// When nothing can ever arrive (the headless screen with no timer and no idle handler),
// GetMessageW ends the loop as if WM_QUIT had come, instead of hanging.
BOOL WINAPI GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr)
        return -1;
    if (window != nullptr && window != reinterpret_cast<HWND>(-1) && CheckWindow(window) == nullptr)
        return -1;
    for (;;) {
        if (peek(msg, window, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        PresentPainted();
        DWORD when = 0;
        DWORD timeout = INFINITE_WAIT;
        if (NextDueTime(&when))
            timeout = when - Backend().Now();
        if (!Backend().WaitForInput(timeout) && timeout == INFINITE_WAIT) {
            *msg = makeMessage(nullptr, WM_QUIT, 0, 0);
            return FALSE;
        }
    }
}

BOOL WINAPI WaitMessage() {
    MSG msg;
    if (peek(&msg, nullptr, 0, 0, false))
        return TRUE;
    PresentPainted();
    DWORD when = 0;
    DWORD timeout = INFINITE_WAIT;
    if (NextDueTime(&when))
        timeout = when - Backend().Now();
    Backend().WaitForInput(timeout);
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (msg == nullptr)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) ? TRUE : FALSE;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool control = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    bool capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    wchar_t character = characterOf(static_cast<UINT>(msg->wParam), shift, control && !alt, capsLock);
    if (character == 0)
        return TRUE;
    // The character comes next, before anything posted earlier, as Win32 queues it.
    MSG charMsg = *msg;
    charMsg.message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    charMsg.wParam = character;
    queue().posted.push_front(charMsg);
    return TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
    if (msg == nullptr)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
        // Only the procedure of a live timer is called, as Win32 checks.
        for (const Timer& t : queue().timers) {
            if (t.window == msg->hwnd && t.id == msg->wParam && t.procedure == procedure) {
                procedure(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
                return 0;
            }
        }
        return 0;
    }
    if (msg->hwnd == nullptr)
        return 0;
    Window* window = CheckWindow(msg->hwnd);
    if (window == nullptr)
        return 0;
    if (DispatchWatcher watcher = dispatchWatcher())
        watcher(*msg);
    return SendTo(window, msg->message, msg->wParam, msg->lParam);
}

LONG WINAPI GetMessageTime() {
    return static_cast<LONG>(queue().lastTime);
}

DWORD WINAPI GetMessagePos() {
    POINT p = queue().lastPoint;
    return static_cast<DWORD>(
        MAKELONG(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y))));
}

UINT_PTR WINAPI SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (handle != nullptr && CheckWindow(handle) == nullptr)
        return 0;
    MessageQueue& q = queue();
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    DWORD now = Backend().Now();
    if (handle == nullptr) {
        // A thread timer: a known id is replaced, any other gets a fresh id.
        auto it = std::find_if(q.timers.begin(), q.timers.end(),
                               [id](const Timer& t) { return t.window == nullptr && t.id == id && id != 0; });
        if (it == q.timers.end()) {
            q.timers.push_back(Timer{nullptr, q.nextThreadTimer--, elapse, procedure, now + elapse});
            return q.timers.back().id;
        }
        *it = Timer{nullptr, id, elapse, procedure, now + elapse};
        return id;
    }
    for (Timer& t : q.timers) {
        if (t.window == handle && t.id == id) {
            t = Timer{handle, id, elapse, procedure, now + elapse};
            return id != 0 ? id : 1;
        }
    }
    q.timers.push_back(Timer{handle, id, elapse, procedure, now + elapse});
    return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND handle, UINT_PTR id) {
    MessageQueue& q = queue();
    auto it = std::find_if(q.timers.begin(), q.timers.end(),
                           [handle, id](const Timer& t) { return t.window == handle && t.id == id; });
    if (it == q.timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    q.timers.erase(it);
    return TRUE;
}

void PlatformBeginBackgroundWork() {
    Inbox& in = inbox();
    std::lock_guard<std::mutex> lock(in.mutex);
    ++in.working;
}

void PlatformEndBackgroundWork() {
    Inbox& in = inbox();
    void (*wake)() = nullptr;
    {
        std::lock_guard<std::mutex> lock(in.mutex);
        if (in.working > 0)
            --in.working;
        wake = in.wake;
    }
    in.changed.notify_all();
    if (wake != nullptr)
        wake();
}

int PlatformBackgroundWork() {
    Inbox& in = inbox();
    std::lock_guard<std::mutex> lock(in.mutex);
    return in.working;
}

} // extern "C"
