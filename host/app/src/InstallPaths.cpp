// Where the program finds its own files.
#include "InstallPaths.h"

#include <filesystem>
#include <unistd.h>

// The installation's folders as seen from the executable's, set by the build.
#ifndef FC_LIBDIR_FROM_BINDIR
#define FC_LIBDIR_FROM_BINDIR "../lib/fundcompare"
#endif
#ifndef FC_DATADIR_FROM_BINDIR
#define FC_DATADIR_FROM_BINDIR "../share/fundcompare"
#endif

namespace InstallPaths {

std::string ProgramFolder() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    return std::filesystem::path(std::string(buffer, static_cast<size_t>(n))).parent_path().string();
}

std::string Find(const std::string& programFolder, const std::string& beside, const std::string& installed) {
    std::filesystem::path folder(programFolder);
    std::error_code error;
    std::filesystem::path local = folder / beside;
    if (std::filesystem::exists(local, error))
        return local.string();
    return (folder / installed).lexically_normal().string();
}

std::string ThemeFolder(const std::string& programFolder) {
    return Find(programFolder, "themes", FC_DATADIR_FROM_BINDIR "/themes");
}

std::string ModuleFile(const std::string& programFolder) {
    return Find(programFolder, "libfundcompare.so", FC_LIBDIR_FROM_BINDIR "/libfundcompare.so");
}

} // namespace InstallPaths
