// Reading the files a user names — configuration, themes, scripts, the database's first bytes —
// so that nothing else is ever taken for one. A directory, a device, a pipe or a socket is refused
// with a message that says what the path is; a pipe without a writer never blocks the program,
// because the file is opened without waiting and examined before anything is read.
#pragma once

#include <cstddef>
#include <string>

namespace HostConf {

enum class FileKind {
    Missing,   // nothing at the path (a symbolic link leading nowhere, a folder that is a file)
    Regular,   // a regular file, directly or through symbolic links
    Directory, // a directory
    Other,     // a device, pipe or socket
    Unknown,   // the path cannot be examined (permissions, a component that is not a folder)
};

// What the path names, following symbolic links.
FileKind KindOfPath(const std::string& path);

// How a message names a kind of file that cannot be read as one: "a directory", "a device, pipe
// or socket".
const char* DescribeKind(FileKind kind);

// The largest file read whole; larger ones are refused rather than exhausting memory.
constexpr std::size_t kMaxReadBytes = 64u << 20;

// Why a file could not be read.
enum class ReadFailure {
    None,
    NotAFile,   // a directory, device, pipe or socket, or nothing at the path
    Unreadable, // permissions or an error of the disk
    TooLarge,   // more than kMaxReadBytes
};

// Reads a whole regular file. False with a message naming the path otherwise, and the kind of
// failure where asked for.
bool ReadRegularFile(const std::string& path, std::string& content, std::string& error,
                     ReadFailure* failure = nullptr);

// Reads at most `bytes` bytes from the start of a regular file (fewer when the file is shorter).
bool ReadRegularFileStart(const std::string& path, std::size_t bytes, std::string& content,
                          std::string& error);

} // namespace HostConf
