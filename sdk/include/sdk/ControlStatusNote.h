// Notes for the main frame's status bar from controls and modules that cannot reach the frame:
// a control sends kStatusNoteMessage to its top-level window with a StatusNote, and a frame that
// has a status bar shows the text there (windows without one ignore the message). A note may carry
// an action, drawn as a link after the text: clicking it sends WM_COMMAND with the command id to
// the target window, so that the note offers what a key (such as Ctrl+Z) also does.
#pragma once

#include <platform/windows.h>
#include <sdk/XStringW.h>

namespace Control {

struct StatusNote {
    XStringW text;
    XStringW action;       // the link's caption; empty for a plain note
    HWND target = nullptr; // receives the action's WM_COMMAND
    UINT command = 0;
};

// lParam: const StatusNote*; sent, never posted (the note lives on the sender's stack). Answers 1
// when a status bar took the note.
constexpr UINT kStatusNoteMessage = WM_USER + 0x7B0;

inline bool ShowStatusNote(HWND from, const StatusNote& note) {
    HWND top = from != nullptr ? GetAncestor(from, GA_ROOT) : nullptr;
    return top != nullptr && SendMessageW(top, kStatusNoteMessage, 0, reinterpret_cast<LPARAM>(&note)) != 0;
}

} // namespace Control
