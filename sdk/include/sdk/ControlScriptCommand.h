// Script commands for pages: the host's script runner reaches a page's own controls by a verb and
// an argument instead of screen coordinates. The runner sends kScriptCommandMessage to each visible
// window of its frame in turn; a window that knows the verb answers 1 and fills `ok` and, on
// failure, `error`. A window that does not know it answers 0 (DefWindowProc's answer), so the
// runner can tell "nobody understood" from "it failed".
#pragma once

#include <platform/windows.h>
#include <sdk/XStringW.h>

namespace Control {

struct ScriptCommand {
    XStringW verb;
    XStringW argument;
    bool ok = false;
    XStringW error; // why the command failed, in the page's words
};

// lParam: ScriptCommand*; sent, never posted.
constexpr UINT kScriptCommandMessage = WM_USER + 0x7C8;

} // namespace Control
