// Control::SafeFile: the host's way of writing a file a person owns, for the module, which reaches
// the host only through these headers. The content goes into a temporary beside the target and
// replaces the target only once it is all on the disk; a failure leaves the target as it was and
// no temporary behind. A directory, a device or a pipe is refused before anything is written.
//
// Any thread may use an object of its own: a worker writes a document while the window stays
// responsive.
#pragma once

#include <sdk/XStringW.h>

#include <memory>
#include <string>
#include <string_view>

namespace Control {

class SafeFile {
public:
    SafeFile();
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Checks the target (a UTF-8 path) and makes the temporary; false with the reason.
    bool Open(const std::string& target, XStringW& error);
    // Appends; false (and remembered, for Commit to report) when the bytes could not be kept.
    bool Write(std::string_view data);
    // Puts the file on the disk and renames it over the target; false with the reason, the target
    // as it was.
    bool Commit(XStringW& error);
    // Removes the temporary; the target stays as it was.
    void Abandon();

    // The whole content in one call.
    static bool WriteWhole(const std::string& target, std::string_view data, XStringW& error);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Control
