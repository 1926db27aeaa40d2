// AtomicFile: how the program writes every file a person owns — exports, pictures, dumps, the
// configuration — so that no file is ever lost to a failed write.
//
// The new content goes into a temporary file beside the target (".<name>.tmp-XXXXXX", in the same
// folder, so that the final step is a rename within one file system). Only when every byte is on
// the disk is the temporary renamed over the target; a failure anywhere removes the temporary and
// leaves the target exactly as it was. Only a regular file, or a name where nothing is yet, is
// ever replaced: a directory, a device, a pipe or a socket is refused before anything is opened
// (so a pipe never blocks the program), and so is a file the user may not write (a read-only
// file stays read-only). A target reached through symbolic links is written at the file the
// links lead to; the links stay.
//
// Lifetime: Open makes the temporary, Commit renames it; an object destroyed before Commit
// removes its temporary.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace HostKernel {

class AtomicFile {
public:
    struct Options {
        // The permissions of a file that did not exist (the process's umask applies).
        mode_t newMode = 0666;
        // A replaced file's permissions carry over to its replacement; otherwise it gets newMode.
        bool keepMode = true;
    };

    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Checks the target and makes the temporary. False with the reason, and nothing made.
    bool Open(const std::string& target, std::string& error);
    bool Open(const std::string& target, const Options& options, std::string& error);
    // The temporary, for writers that open a file by its name (they replace its empty content).
    const std::string& TemporaryPath() const { return m_temporary; }
    // The file that Commit replaces: the target with its links followed.
    const std::string& Target() const { return m_target; }
    // Appends to the temporary through its descriptor; false (and remembered) when it fails.
    bool Write(std::string_view data);
    // Puts the temporary on the disk whole. False with the reason of the first failed write (or of
    // the sync), the temporary removed and the target as it was.
    bool Flush(std::string& error);
    // Flushes (when not done yet), checks the target once more and renames the temporary over it.
    // False with the reason, the temporary removed and the target as it was.
    bool Commit(std::string& error);
    // Removes the temporary; the target stays as it was.
    void Abandon();
    // The reason of the last failure without the file's name ("Permission denied (the file is
    // read-only)", "it is a directory, not a file"), for messages that name the file themselves.
    const std::string& Reason() const { return m_reason; }

    // The whole content in one call: Open, Write, Commit.
    static bool WriteWhole(const std::string& target, std::string_view data, std::string& error);
    static bool WriteWhole(const std::string& target, std::string_view data, std::string& error,
                           const Options& options);

    // The file a path finally names, its symbolic links followed (a link to a file not made yet
    // names that file). A path that is not a link is returned as it is; a chain of links that
    // loops or runs too long returns the path itself.
    static std::string ResolveLinks(const std::string& path);
    // True when `name` (a file name without folder) is one of the temporaries made for a target
    // named `targetName`, so that one left by a killed process can be recognised and removed.
    static bool IsTemporaryName(const std::string& targetName, const std::string& name);

private:
    std::string m_given;  // the target as the caller named it, for messages
    std::string m_target; // the same with its links followed
    std::string m_temporary;
    std::string m_failure; // the first write failure, reported by Flush
    std::string m_reason;  // the last failure's reason
    int m_fd = -1;
    Options m_options;
};

} // namespace HostKernel
