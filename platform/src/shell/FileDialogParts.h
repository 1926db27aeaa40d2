// What the parts of GetSaveFileNameW and GetOpenFileNameW share: the requests as the platform
// reads them from OPENFILENAMEW, the desktop portal's chooser, the platform's own dialog, and the
// conversions of paths and type patterns.
#pragma once

#include <platform/driver.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The answer of a chooser: paths, a cancel, or (for the portal) no chooser to be had.
struct FileChoice {
    enum Kind { Chosen, Cancelled, Unavailable } kind = Cancelled;
    std::vector<std::wstring> paths; // one for a save; one or more for an open
    int typeIndex = 0;               // 1-based type the chooser ended on, 0 when it does not say
};

// The desktop portal's file choosers, when libportal can be loaded and the portal answers;
// Unavailable otherwise (no library, no session bus, no portal service), so that the caller falls
// back to its own dialog.
FileChoice PortalSaveFile(const PlatformSaveDialogRequest& request);
FileChoice PortalOpenFiles(const PlatformOpenDialogRequest& request);

// The platform's own modal dialogs.
FileChoice OwnSaveDialog(const PlatformSaveDialogRequest& request, bool overwritePrompt);
FileChoice OwnOpenDialog(const PlatformOpenDialogRequest& request);

// What CommDlgExtendedError answers next on this thread.
void SetDialogError(unsigned long error);

// The (caption, patterns) pairs of a double-zero-terminated filter text.
std::vector<std::pair<std::wstring, std::wstring>> ParseFilter(const wchar_t* filter);
// The folder a dialog shows when the caller names none: the current one.
std::wstring CurrentFolder();

// The extension of a type's first pattern such as "*.xlsx" ("xlsx"); empty for "*" or "*.*".
std::wstring PatternExtension(const std::wstring& patterns);
// True when a file name matches one of a type's patterns ("*.csv;*.TSV;*"): "*" and "*.*" match
// every name, "*.ext" a name ending in that extension, letters compared without regard to case.
bool MatchesPatterns(const std::wstring& name, const std::wstring& patterns);

// Paths of wide text, converted as UTF-8: file names on this system are UTF-8 whatever the
// program's locale, which the standard library's own wide conversion would follow.
std::filesystem::path PathOf(const std::wstring& text);
std::wstring WideOf(const std::filesystem::path& path);

} // namespace platform
