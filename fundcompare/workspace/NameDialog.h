// NameDialog: a small modal prompt for a name (saving or renaming a comparison set): a line of
// text, a field and the buttons "确定" and "取消". Enter confirms, Escape cancels, Tab moves between
// the field and the buttons. On a display it waits for the person; on the headless screen it reads
// the input queued so far and is cancelled when that runs out, as the platform's modal parts do.
#pragma once

#include <platform/windows.h>
#include <sdk/XStringW.h>

// Shows the prompt over the owner's window with the proposed name selected; true with the name
// typed (blanks at either end removed) when confirmed with a name that is not empty.
bool PromptForName(HWND owner, const XStringW& title, const XStringW& prompt, XStringW& name);
