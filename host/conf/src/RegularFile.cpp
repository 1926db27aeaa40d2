#include <hostconf/RegularFile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HostConf {

namespace {

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Directory;
    return FileKind::Other;
}

// Opens without blocking (a pipe without a writer would wait for one) and checks what was
// opened, so that what is examined is what is read.
int OpenRegular(const std::string& path, std::string& error, ReadFailure& failure) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        failure = errno == ENOENT || errno == ENOTDIR || errno == ENXIO ? ReadFailure::NotAFile
                                                                        : ReadFailure::Unreadable;
        error = "cannot read '" + path + "': " + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        failure = ReadFailure::Unreadable;
        error = "cannot read '" + path + "': " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    FileKind kind = KindOfMode(info.st_mode);
    if (kind != FileKind::Regular) {
        failure = ReadFailure::NotAFile;
        error = "'" + path + "' is " + DescribeKind(kind) + ", not a file";
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReadUpTo(int fd, const std::string& path, std::size_t limit, std::string& content, std::string& error) {
    content.clear();
    char buffer[65536];
    while (content.size() < limit) {
        std::size_t want = std::min(sizeof buffer, limit - content.size());
        ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read '" + path + "': " + std::strerror(errno);
            return false;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

FileKind KindOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
    return KindOfMode(info.st_mode);
}

const char* DescribeKind(FileKind kind) {
    switch (kind) {
    case FileKind::Missing:
        return "missing";
    case FileKind::Regular:
        return "a file";
    case FileKind::Directory:
        return "a directory";
    case FileKind::Other:
        return "a device, pipe or socket";
    case FileKind::Unknown:
        break;
    }
    return "not accessible";
}

bool ReadRegularFile(const std::string& path, std::string& content, std::string& error,
                     ReadFailure* failure) {
    ReadFailure why = ReadFailure::None;
    int fd = OpenRegular(path, error, why);
    bool ok = fd >= 0 && ReadUpTo(fd, path, kMaxReadBytes + 1, content, error);
    if (fd >= 0 && !ok)
        why = ReadFailure::Unreadable;
    if (fd >= 0)
        ::close(fd);
    if (ok && content.size() > kMaxReadBytes) {
        error = "'" + path + "' is too large to be read";
        content.clear();
        why = ReadFailure::TooLarge;
        ok = false;
    }
    if (failure != nullptr)
        *failure = why;
    return ok;
}

bool ReadRegularFileStart(const std::string& path, std::size_t bytes, std::string& content,
                          std::string& error) {
    ReadFailure ignored = ReadFailure::None;
    int fd = OpenRegular(path, error, ignored);
    if (fd < 0)
        return false;
    bool ok = ReadUpTo(fd, path, bytes, content, error);
    ::close(fd);
    return ok;
}

} // namespace HostConf
