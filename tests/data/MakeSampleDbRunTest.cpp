// make-sample-db as a program: its usage on request, and stopped while it builds, it leaves neither
// a partial database nor its temporary file behind, and an existing database at the target stays
// as it was.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HasTemporaryFile(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp.") != std::string::npos)
            return true;
    return false;
}

TEST(MakeSampleDb, AnInterruptedRunLeavesNothingBehind) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("fc-make-sample-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "sample.db";
    std::ofstream(target) << "previous";

    const std::string program = MAKE_SAMPLE_DB_PATH;
    const std::string out = target.string();
    const char* argv[] = {program.c_str(), out.c_str(), "--funds", "20000", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    // Stop it once it has started writing its temporary file, which a build of this size is still
    // writing many seconds later.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!HasTemporaryFile(folder) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(HasTemporaryFile(folder));
    // SIGTERM rather than SIGINT: a test run started in the background has SIGINT ignored, and
    // the program keeps it so.
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;

    EXPECT_FALSE(HasTemporaryFile(folder));
    EXPECT_EQ(FileText(target), "previous");
    std::filesystem::remove_all(folder);
}

} // namespace

namespace {

TEST(MakeSampleDb, HelpPrintsTheUsageAndSucceeds) {
    const std::string command = std::string(MAKE_SAMPLE_DB_PATH) + " --help";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    int status = ::pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(out.rfind("usage: make-sample-db OUT.db", 0), 0u) << out;
    // A mistake still says how, on stderr, and fails.
    status = std::system((std::string(MAKE_SAMPLE_DB_PATH) + " --nonsense 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
