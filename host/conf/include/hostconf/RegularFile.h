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

// Reads a whole regular file. False with a message naming the path otherwise.
bool ReadRegularFile(const std::string& path, std::string& content, std::string& error);

// Reads at most `bytes` bytes from the start of a regular file (fewer when the file is shorter).
bool ReadRegularFileStart(const std::string& path, std::size_t bytes, std::string& content,
                          std::string& error);

// The file a path finally names, its symbolic links followed (a link leading to a file that does
// not exist yet names that file). A path that is not a link is returned as it is; a chain of
// links that loops or runs too long returns the path itself.
std::string ResolveLinks(const std::string& path);

} // namespace HostConf
