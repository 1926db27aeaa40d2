#include <hostkernel/AtomicFile.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HostKernel {

namespace {

constexpr const char* kTemporaryMark = ".tmp-";
constexpr std::size_t kRandomLength = 6;
// Room is left in a file name (255 bytes) for the dot, the mark and the random letters.
constexpr std::size_t kLongestBase = 200;

const char* describeMode(mode_t mode) {
    return S_ISDIR(mode) ? "a directory" : "a device, pipe or socket";
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomLetters() {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kRandomLength] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // Without the kernel's randomness the clock and the process still make a name that the
        // exclusive creation below checks.
        unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 2654435761ull ^
                                  static_cast<unsigned long long>(std::clock()) ^
                                  reinterpret_cast<std::uintptr_t>(&seed);
        for (unsigned char& b : bytes) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            b = static_cast<unsigned char>(seed >> 56);
        }
    }
    std::string letters;
    for (unsigned char b : bytes)
        letters += kLetters[b % (sizeof kLetters - 1)];
    return letters;
}

} // namespace

AtomicFile::~AtomicFile() {
    Abandon();
}

bool AtomicFile::Open(const std::string& target, std::string& error) {
    return Open(target, Options(), error);
}

bool AtomicFile::Open(const std::string& target, const Options& options, std::string& error) {
    Abandon();
    m_options = options;
    m_failure.clear();
    m_reason.clear();
    if (target.empty()) {
        m_reason = error = "no file name given";
        return false;
    }
    m_given = target;
    m_target = ResolveLinks(target);
    auto fail = [&](const std::string& reason) {
        m_reason = reason;
        error = "cannot write '" + target + "': " + reason;
        return false;
    };

    struct stat old {};
    bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return fail(std::strerror(errno));
    if (exists && !S_ISREG(old.st_mode))
        return fail(std::string("it is ") + describeMode(old.st_mode) + ", not a file");
    // A file the user may not write is not replaced behind the permissions' back: renaming over it
    // would succeed wherever the folder is writable.
    if (exists && ::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(std::string(std::strerror(errno)) + " (the file is read-only)");

    std::string base = baseOf(m_target).substr(0, kLongestBase);
    std::string folder = folderOf(m_target);
    mode_t mode = exists && options.keepMode ? (old.st_mode & 0777) : options.newMode;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + "/." + base + kTemporaryMark + randomLetters();
        // Created with the final permissions at once (the umask applies to a new file's), so the
        // content is never readable by more people than the finished file will be.
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        exists && options.keepMode ? 0600 : mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return fail(std::strerror(errno));
        if (exists && options.keepMode && ::fchmod(fd, mode) != 0) {
            int code = errno;
            ::close(fd);
            ::unlink(candidate.c_str());
            return fail(std::strerror(code));
        }
        m_fd = fd;
        m_temporary = candidate;
        return true;
    }
    return fail("no free name for a temporary file");
}

bool AtomicFile::Write(std::string_view data) {
    if (m_fd < 0)
        return false;
    std::size_t written = 0;
    while (m_failure.empty() && written < data.size()) {
        ssize_t n = ::write(m_fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failure = n < 0 ? std::strerror(errno) : "the disk took no more";
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    return m_failure.empty();
}

bool AtomicFile::Flush(std::string& error) {
    if (m_temporary.empty()) {
        m_reason = error = "nothing to write";
        return false;
    }
    if (m_fd < 0)
        return true; // flushed already
    auto fail = [&](const std::string& reason) {
        m_reason = reason;
        error = "cannot write '" + m_given + "': " + reason;
        Abandon();
        return false;
    };
    if (!m_failure.empty())
        return fail(m_failure);
    // Writers that opened the temporary by name have closed their own descriptor; this one still
    // names the same file, so its sync covers their bytes too.
    if (::fsync(m_fd) != 0)
        return fail(std::strerror(errno));
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(std::strerror(errno));
    return true;
}

bool AtomicFile::Commit(std::string& error) {
    if (!Flush(error))
        return false;
    auto fail = [&](const std::string& reason) {
        m_reason = reason;
        error = "cannot write '" + m_given + "': " + reason;
        Abandon();
        return false;
    };
    // The target may have turned into something else while the content was written.
    struct stat now {};
    if (::stat(m_target.c_str(), &now) == 0 && !S_ISREG(now.st_mode))
        return fail(std::string("it is ") + describeMode(now.st_mode) + ", not a file");
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail(std::strerror(errno));
    m_temporary.clear();
    // The rename itself reaches the disk with the folder's entry.
    int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool AtomicFile::WriteWhole(const std::string& target, std::string_view data, std::string& error) {
    return WriteWhole(target, data, error, Options());
}

bool AtomicFile::WriteWhole(const std::string& target, std::string_view data, std::string& error,
                            const Options& options) {
    AtomicFile file;
    if (!file.Open(target, options, error))
        return false;
    file.Write(data); // a failure is reported by the commit
    return file.Commit(error);
}

bool AtomicFile::IsTemporaryName(const std::string& targetName, const std::string& name) {
    std::string prefix = "." + targetName.substr(0, kLongestBase) + kTemporaryMark;
    if (name.size() != prefix.size() + kRandomLength || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        char c = name[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

std::string AtomicFile::ResolveLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    std::error_code ec;
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current.string();
        fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return path;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return path;
}

} // namespace HostKernel
