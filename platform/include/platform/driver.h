// The driver: a C++ interface for tests and for the host's scripted runs, over the headless
// screen.
//
// Sections: the screen; input; running the message loop and the clock; pictures and pixels;
// modal menus and message boxes.
//
// Input is queued as real input: it becomes window messages when the message loop retrieves it
// (GetMessageW/PeekMessageW), so the host's own loop and its pre-message handlers see it.
// Nothing here dispatches by itself except the Run and Paint calls. Points are screen points.
//
// The headless screen has a virtual clock (milliseconds) that moves only when the driver advances
// it, or when GetMessageW has nothing to do but wait for a timer (it then jumps to the timer's
// due time instead of sleeping). A GetMessageW with nothing to wait for at all returns FALSE, as
// if WM_QUIT had come, unless an idle handler supplies more input.
#pragma once

#include "winuser.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// ---- The screen -------------------------------------------------------------------------------

// Starts a fresh headless screen of the given size: destroys every window (with the usual
// messages), empties the queue, the timers and the input state, and resets the clock. Window
// classes stay registered; the handlers and hooks below stay installed. A 1280 x 800 headless
// screen exists when nobody started one.
void PlatformStartHeadless(int width, int height);
SIZE PlatformScreenSize();

// ---- Input ------------------------------------------------------------------------------------

enum class PlatformMouseButton { Left = 0, Right = 1, Middle = 2 };

void PlatformMouseMove(int x, int y);
// A press or a release at a point (the mouse moves there first).
void PlatformMouseDown(int x, int y, PlatformMouseButton button = PlatformMouseButton::Left);
void PlatformMouseUp(int x, int y, PlatformMouseButton button = PlatformMouseButton::Left);
// Move, press, release. Two clicks at one place with no clock advance between them are a double
// click (WM_xBUTTONDBLCLK for CS_DBLCLKS classes), as on Windows within the double-click time.
void PlatformClick(int x, int y, PlatformMouseButton button = PlatformMouseButton::Left);
void PlatformDoubleClick(int x, int y, PlatformMouseButton button = PlatformMouseButton::Left);
// Wheel notches (WHEEL_DELTA each; positive away from the user) with the mouse at a point.
void PlatformMouseWheel(int x, int y, int notches);
void PlatformKeyDown(UINT virtualKey);
void PlatformKeyUp(UINT virtualKey);
// Down and up.
void PlatformKeyPress(UINT virtualKey);
// Characters as WM_CHAR messages to the focus window (as an input method delivers text).
void PlatformTypeText(const std::wstring& text);

// ---- Running ----------------------------------------------------------------------------------

// Retrieves and handles messages until none is left: posted messages, input, painting and the
// timers that are due. While background work is announced (platform/background.h), an empty
// queue is not the end: the loop waits, on the wall clock, for the work's messages and ends only
// when the work has ended and its messages are handled. Returns false when WM_QUIT was retrieved
// (its exit code in *exitCode); the loop stops there. A loop that never ends (a window that never
// validates in WM_PAINT) is cut after 100000 messages with a note on stderr.
bool PlatformRunUntilIdle(int* exitCode = nullptr);
// Moves the clock forward by `milliseconds`, stopping at every timer and hover delay that falls
// due on the way to run until idle, so that timers fire in order and at their times.
void PlatformAdvanceClock(DWORD milliseconds);
// The virtual clock (what GetMessageTime and the timers speak).
DWORD PlatformClock();
// Paints every window that needs it now (WM_PAINT, parents before children) and presents them.
void PlatformPaintAll();

// How PlatformRunUntilIdle handles one message: TranslateMessage and DispatchMessageW unless a
// handler is installed (the host installs one that offers messages to its pre-message handlers
// first). An empty function restores the default.
void PlatformSetMessageHandler(std::function<void(MSG&)> handler);
// Called when GetMessageW would wait forever on the headless screen; returns true when it queued
// something (input, a posted message). The host's scripted runs feed their script through it.
void PlatformSetIdleHandler(std::function<bool()> handler);
// Called with a top-level window each time what was painted into it is presented: on the headless
// screen after the painting of a run and before the loop waits for background work, on a display
// each time the window's pixels went to the display. The host times its first frame with it. An
// empty function removes it.
void PlatformSetPresentHook(std::function<void(HWND)> hook);

// ---- Pictures and pixels ----------------------------------------------------------------------
// These show what has been painted so far; run or paint first.

// The whole screen: the visible top-level windows composed in z-order over the desktop colour.
bool PlatformSaveScreenPng(const std::string& path);
// One window (its window rectangle, frame included) as drawn on its top-level's surface.
bool PlatformSaveWindowPng(HWND window, const std::string& path);
// CLR_INVALID (0xFFFFFFFF) outside the screen or the window.
COLORREF PlatformScreenPixel(int x, int y);
// A pixel of a window, in its client coordinates.
COLORREF PlatformWindowPixel(HWND window, int x, int y);

// ---- Modal menus and message boxes --------------------------------------------------------------
// TrackPopupMenu and MessageBoxW have no display to show on: they ask these hooks. (The menus and
// message boxes themselves belong to the standard controls.)

struct PlatformMenuItem {
    std::wstring caption; // with its '&' marks; empty for a separator
    UINT id = 0;
    bool separator = false;
    bool checked = false;
    bool grayed = false;
    ULONG_PTR itemData = 0;
    std::vector<PlatformMenuItem> subMenu; // items of a pop-up item
};

// Receives the owner, the screen point and the items of a pop-up menu; returns the id of the item
// picked, or nothing to cancel. The menu is on the screen (painted) while the hook runs, so a hook
// may take a picture of it. A pick of a greyed item, a separator or an id the menu does not hold
// is refused: the menu is cancelled. The owner hears WM_INITMENUPOPUP for every submenu the hook
// sees. Without a hook the menu reads the input queued so far (keys, clicks) as a person's input;
// when that runs out, a submenu waiting for the show delay opens, and then the owner hears
// WM_ENTERIDLE (MSGF_MENU), where it may queue more input as a person who looks at the menu;
// when nothing more is queued the menu is cancelled.
using PlatformMenuHook =
    std::function<std::optional<UINT>(HWND owner, POINT point, const std::vector<PlatformMenuItem>& items)>;
void PlatformSetMenuHook(PlatformMenuHook hook);
// Ready-made hooks: pick the item with a command id, or the first item whose caption matches
// (with or without its '&' marks, or without a trailing "(&X)" group); cancel when there is none.
PlatformMenuHook PlatformMenuPickId(UINT id);
PlatformMenuHook PlatformMenuPickCaption(const std::wstring& caption);

// The pop-up menus shown on the headless screen since the last clearing, oldest first: what was
// offered and what came of it (the id picked, or nothing when cancelled). Only the last 100 are
// kept (and none on a display); PlatformMenuCount tells how many were shown since the process
// started, whatever was cleared, so that a caller can tell whether one more was.
struct PlatformMenuRecord {
    HWND owner = nullptr;
    POINT point{0, 0};
    RECT rect{};    // where the menu stood on the screen
    UINT flags = 0; // the TPM_ flags
    std::vector<PlatformMenuItem> items;
    std::optional<UINT> picked;
};
const std::vector<PlatformMenuRecord>& PlatformMenus();
size_t PlatformMenuCount();
void PlatformClearMenus();

// Receives the owner, text, caption and MB_ flags; returns the answer (IDOK, IDYES, ...). The box
// is on the screen (painted) while the hook runs. An answer that none of the box's buttons gives
// is replaced by the default button's. Without a hook, the default button's answer is given:
// IDOK for MB_OK and MB_OKCANCEL.
using PlatformMessageBoxHook =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags)>;
void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);

// The message boxes shown on the headless screen since the last clearing, oldest first, with their
// answers; kept and counted as the menus are.
struct PlatformMessageBoxRecord {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT flags = 0;
    int answer = 0;
};
const std::vector<PlatformMessageBoxRecord>& PlatformMessageBoxes();
size_t PlatformMessageBoxCount();
void PlatformClearMessageBoxes();

// ---- The clipboard and the file dialogs ---------------------------------------------------------

// The text put on the clipboard last (CF_UNICODETEXT, without its terminating zero), and how many
// times text was put there since the process started; empty and 0 before the first time.
std::wstring PlatformClipboardText();
int PlatformClipboardWrites();

// What GetSaveFileNameW asks: the dialog's title, the proposed name, the folder, and the types
// offered as (caption, patterns) pairs with the 1-based index of the one shown first.
struct PlatformSaveDialogRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring fileName;
    std::wstring folder;
    std::vector<std::pair<std::wstring, std::wstring>> types;
    int typeIndex = 1;
};
// Receives the request; returns the path chosen, or nothing to cancel. A relative path is taken
// from the request's folder. Without a hook, the platform's own dialog reads the input queued so
// far (keys, clicks, typed text) and is cancelled when that runs out.
using PlatformSaveDialogHook = std::function<std::optional<std::wstring>(const PlatformSaveDialogRequest&)>;
void PlatformSetSaveDialogHook(PlatformSaveDialogHook hook);
// The save dialogs shown on the headless screen since the process started, oldest first, with the
// paths they answered (empty when cancelled); kept and counted as the menus are.
struct PlatformSaveDialogRecord {
    PlatformSaveDialogRequest request;
    std::wstring answer;
};
const std::vector<PlatformSaveDialogRecord>& PlatformSaveDialogs();
size_t PlatformSaveDialogCount();

// What GetOpenFileNameW asks: the title, the folder shown first, the types offered, whether
// several may be chosen and whether folders may be chosen as well as files.
struct PlatformOpenDialogRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring folder;
    std::vector<std::pair<std::wstring, std::wstring>> types;
    int typeIndex = 1;
    bool multiple = false;
    bool folders = false;
};
// Receives the request; returns the paths chosen (relative ones are taken from the request's
// folder), or nothing to cancel. An answer that the dialog could not have given is refused and
// counts as a cancel: several paths when one was asked for, a folder when files were, or a path
// that does not exist when the caller wants existing files (OFN_FILEMUSTEXIST). Without a hook the
// platform's own dialog reads the input queued so far and is cancelled when that runs out.
using PlatformOpenDialogHook =
    std::function<std::optional<std::vector<std::wstring>>(const PlatformOpenDialogRequest&)>;
void PlatformSetOpenDialogHook(PlatformOpenDialogHook hook);
// The open dialogs shown on the headless screen, oldest first, with the full paths they answered
// (none when cancelled or refused); kept and counted as the save dialogs are.
struct PlatformOpenDialogRecord {
    PlatformOpenDialogRequest request;
    std::vector<std::wstring> answer;
};
const std::vector<PlatformOpenDialogRecord>& PlatformOpenDialogs();
size_t PlatformOpenDialogCount();
