// The window manager's internal calls between its parts (platform/src/window/*.cpp).
#pragma once

#include "internal/Window.h"

namespace platform {

// ---- Window procedures (WindowProcedures.cpp) -------------------------------------------------

// Calls the window's current procedure; 0 for a dead window.
LRESULT SendTo(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Classes (WindowClassTable.cpp) -----------------------------------------------------------

// The class CreateWindowExW finds for a name (or atom) and an instance: the instance's own
// classes, then global classes, then system classes.
std::shared_ptr<WindowClass> LookUpClass(LPCWSTR name, HINSTANCE instance);
HINSTANCE ExecutableInstance();

// ---- Position and visibility (WindowPosition.cpp) ---------------------------------------------

// The width of a window's non-client border on each side. Top-level windows with a caption or a
// sizing frame have theirs drawn by the backend, so only their edges count.
int BorderWidth(DWORD style, DWORD exStyle, bool topLevel);

bool SetWindowPosition(Window* window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Recomputes the client rectangle through WM_NCCALCSIZE (wParam FALSE), as at creation.
void CalculateClientRect(Window* window);
// True when the window is on top of its siblings (topmost top-level windows aside).
bool IsOnTopOfSiblings(const Window* window);
// Visible: the window and all its ancestors have WS_VISIBLE.
bool IsVisibleOnScreen(const Window* window);
// The deepest window under a screen point for input: visible windows, topmost first, skipping
// windows whose WM_NCHITTEST answers HTTRANSPARENT; *hitTest receives the answer. A disabled
// window is returned as itself (with HTERROR), so that it swallows the input.
Window* WindowForInput(POINT screenPoint, int* hitTest);

// ---- Activation, focus and capture (Focus.cpp) ------------------------------------------------

bool ActivateWindow(Window* window, bool byMouse);
// Before `window` disappears (hidden or destroyed): activation, focus and capture move away.
void ActivateOtherWindow(Window* window);
void FocusLeaving(Window* window);
void CaptureLeaving(Window* window);
Window* FocusWindow();
Window* ActiveWindow();
Window* CaptureWindow();
// Drops the references of the focus state to a window that is being freed, without messages.
void ForgetInFocus(Window* window);
void ResetFocus();

// ---- Painting (Painting.cpp) ------------------------------------------------------------------

// RedrawWindow on a window; `region` in client coordinates, null for the whole client area.
void Redraw(Window* window, const cairo_region_t* region, UINT flags);
// Invalidates an area of a parent's client area (parent client coordinates) with its children,
// as when a child moves away or hides.
void InvalidateParentArea(Window* parent, const RECT& area);
// The first window (parents before children, top-level windows in z-order) that needs WM_PAINT,
// within `root` when given.
Window* NextWindowToPaint(Window* root);
// Drops the update state of a window and its descendants (hidden or destroyed).
void ClearPaintState(Window* window, bool withChildren);
// Creates, resizes or frees a top-level's surface to match its window rectangle.
void SyncSurface(Window* window);
void FreeSurface(Window* window);
// Paints every window that needs it, synchronously.
void PaintAllWindows();

// ---- The message queue (MessageQueue.cpp) -----------------------------------------------------

void PostInternal(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the posted messages and timers of a window that is being destroyed.
void ForgetInQueue(Window* window);
// The earliest due time of the timers and of hover tracking; false when nothing is pending.
bool NextDueTime(DWORD* when);
// Empties the queue, the timers and the quit flag (a new headless screen).
void ResetQueue();
// The calling thread is the user-interface thread, whose queue receives what others post.
void MarkUiThread();
// Called (from any thread) when another thread posted a message or ended its work, so that a
// display loop waiting for input looks at the queue.
void SetCrossThreadWake(void (*wake)());
// Background work is under way, or its messages wait to join the queue.
bool BackgroundPending();
// Waits while background work is under way and has posted nothing: true when a message came or a
// piece of work ended, false when there was nothing to wait for or the time ran out.
bool WaitForBackground(DWORD milliseconds);

// ---- Input (Input.cpp) ------------------------------------------------------------------------

// Takes queued raw input and turns it into the next input message (true), or false when none
// is left. Messages for windows outside the filter stay queued.
bool NextInputMessage(MSG* msg, HWND filterWindow, UINT filterMin, UINT filterMax, bool remove);
bool HasQueuedInput();
// Mouse hover and leave tracking that is due (WM_MOUSEHOVER); true when a message was made.
bool NextTrackingMessage(MSG* msg, DWORD now, bool remove);
// The time at which hover tracking fires, if any.
bool HoverDue(DWORD* when);
void ForgetInInput(Window* window);
// Empties the input queue and forgets key, button and tracking state (a new headless screen).
void ResetInput();
POINT CursorPosition();
DWORD MouseKeyFlags();
// Called when the window tree changed under the cursor (a window moved, hid or went): queues
// a synthetic mouse move so that leave tracking and hover see the change, as Win32 does.
void CursorTreeChanged();

} // namespace platform
