// What the parts of GetSaveFileNameW share: the request as the platform reads it from
// OPENFILENAMEW, and the desktop portal's chooser.
#pragma once

#include <platform/driver.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The answer of a chooser: a path, a cancel, or (for the portal) no chooser to be had.
struct SaveChoice {
    enum Kind { Chosen, Cancelled, Unavailable } kind = Cancelled;
    std::wstring path;
    int typeIndex = 0; // 1-based type the chooser ended on, 0 when it does not say
};

// The desktop portal's file chooser, when libportal can be loaded and the portal answers;
// Unavailable otherwise (no library, no session bus, no portal service), so that the caller falls
// back to its own dialog.
SaveChoice PortalSaveFile(const PlatformSaveDialogRequest& request);

// The platform's own modal save dialog.
SaveChoice OwnSaveDialog(const PlatformSaveDialogRequest& request, bool overwritePrompt);

// The extension of a pattern such as "*.xlsx" ("xlsx"); empty for "*" or "*.*".
std::wstring PatternExtension(const std::wstring& patterns);

// Paths of wide text, converted as UTF-8: file names on this system are UTF-8 whatever the
// program's locale, which the standard library's own wide conversion would follow.
std::filesystem::path PathOf(const std::wstring& text);
std::wstring WideOf(const std::filesystem::path& path);

} // namespace platform
