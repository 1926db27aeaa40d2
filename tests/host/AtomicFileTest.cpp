// Writing files the user owns: the old file stays until the new one is complete, nothing that is no
// file is ever opened, and a read-only file is not replaced.
#include <hostkernel/AtomicFile.h>

#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using HostKernel::AtomicFile;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("atomic_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "report.csv").string();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir, ignored);
    }
    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The names in the folder, so that a temporary left behind shows.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const std::string& file) {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return info.st_mode & 0777;
    }

    std::filesystem::path dir;
    std::string path;
};

// The disk takes no more than `bytes` bytes of any file while the object lives.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_signal);
        ::getrlimit(RLIMIT_FSIZE, &m_limit);
        rlimit limit = m_limit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &m_limit);
        ::sigaction(SIGXFSZ, &m_signal, nullptr);
    }

private:
    rlimit m_limit{};
    struct sigaction m_signal {};
};

} // namespace

TEST_F(AtomicFileTest, TheNewContentReplacesTheFileOnlyWhenComplete) {
    std::ofstream(path) << "old";
    AtomicFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, error)) << error;
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write("content"));
    // Until the commit the old file is untouched, and the temporary is a hidden sibling.
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(std::filesystem::path(file.TemporaryPath()).parent_path(), dir);
    EXPECT_TRUE(
        AtomicFile::IsTemporaryName("report.csv", std::filesystem::path(file.TemporaryPath()).filename()));
    ASSERT_TRUE(file.Commit(error)) << error;
    EXPECT_EQ(Read(path), "new content");
    EXPECT_EQ(Entries(), std::vector<std::string>{"report.csv"});

    // An object given up on, or destroyed before its commit, takes its temporary with it.
    {
        AtomicFile abandoned;
        ASSERT_TRUE(abandoned.Open(path, error));
        abandoned.Write("half");
    }
    EXPECT_EQ(Read(path), "new content");
    EXPECT_EQ(Entries(), std::vector<std::string>{"report.csv"});

    // Writers that open the file by name write the temporary.
    AtomicFile named;
    ASSERT_TRUE(named.Open(path, error));
    std::ofstream(named.TemporaryPath()) << "by name";
    ASSERT_TRUE(named.Commit(error)) << error;
    EXPECT_EQ(Read(path), "by name");
}

TEST_F(AtomicFileTest, AFailedWriteLeavesTheOldFileAsItWas) {
    const std::string original(5000, 'o');
    std::ofstream(path) << original;
    std::string error;
    {
        FullDisk full(1024);
        EXPECT_FALSE(AtomicFile::WriteWhole(path, std::string(4096, 'n'), error));
    }
    EXPECT_NE(error.find("cannot write '" + path + "'"), std::string::npos) << error;
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(Entries(), std::vector<std::string>{"report.csv"});

    // A folder that cannot be written at all, and a path through a file, fail before anything.
    EXPECT_FALSE(AtomicFile::WriteWhole((dir / "report.csv" / "x.csv").string(), "x", error));
    EXPECT_FALSE(AtomicFile::WriteWhole((dir / "no" / "such" / "x.csv").string(), "x", error));
    EXPECT_FALSE(AtomicFile::WriteWhole("", "x", error));
    EXPECT_EQ(Read(path), original);
}

TEST_F(AtomicFileTest, WhatIsNoFileIsRefusedAtOnceAndStays) {
    std::string pipe = (dir / "x.csv").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string folder = (dir / "folder.xlsx").string();
    std::filesystem::create_directory(folder);
    std::ofstream(std::filesystem::path(folder) / "inside") << "kept";
    std::string error;
    // A pipe without a reader would block a writer forever; it is never opened.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(AtomicFile::WriteWhole(pipe, "x", error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(error, "cannot write '" + pipe + "': it is a device, pipe or socket, not a file");
    EXPECT_FALSE(AtomicFile::WriteWhole(folder, "x", error));
    EXPECT_NE(error.find("a directory, not a file"), std::string::npos) << error;
    EXPECT_FALSE(AtomicFile::WriteWhole("/dev/null", "x", error));
    EXPECT_FALSE(AtomicFile::WriteWhole("/dev/full", "x", error));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(Read((std::filesystem::path(folder) / "inside").string()), "kept");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.xlsx", "x.csv"}));

    // A target that turns into something else while the content is written is not replaced.
    std::string later = (dir / "later.csv").string();
    AtomicFile file;
    ASSERT_TRUE(file.Open(later, error)) << error;
    file.Write("content");
    std::filesystem::create_directory(later);
    EXPECT_FALSE(file.Commit(error));
    EXPECT_TRUE(std::filesystem::is_directory(later));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.xlsx", "later.csv", "x.csv"}));
}

TEST_F(AtomicFileTest, ALinkIsWrittenThroughAndStays) {
    std::filesystem::create_directory(dir / "real");
    std::ofstream(dir / "real" / "data.csv") << "old";
    std::filesystem::create_symlink(std::filesystem::path("real") / "data.csv", path);
    std::string error;
    ASSERT_TRUE(AtomicFile::WriteWhole(path, "new", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(Read((dir / "real" / "data.csv").string()), "new");
    // A link to a file not made yet makes that file.
    std::string dangling = (dir / "dangling.csv").string();
    std::filesystem::create_symlink(dir / "real" / "made.csv", dangling);
    ASSERT_TRUE(AtomicFile::WriteWhole(dangling, "made", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(Read((dir / "real" / "made.csv").string()), "made");
}

TEST_F(AtomicFileTest, PermissionsFollowTheFileReplacedOrTheOptions) {
    mode_t saved = ::umask(022);
    std::string error;
    // A new file: the usual permissions less the umask, or the ones asked for.
    ASSERT_TRUE(AtomicFile::WriteWhole(path, "a", error)) << error;
    EXPECT_EQ(Mode(path), 0644u);
    std::string secret = (dir / "config.xml").string();
    AtomicFile::Options priv;
    priv.newMode = 0600;
    ASSERT_TRUE(AtomicFile::WriteWhole(secret, "a", error, priv)) << error;
    EXPECT_EQ(Mode(secret), 0600u);
    // A replaced file keeps its own, unless told otherwise.
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(AtomicFile::WriteWhole(path, "b", error)) << error;
    EXPECT_EQ(Mode(path), 0640u);
    priv.keepMode = false;
    ASSERT_TRUE(AtomicFile::WriteWhole(path, "c", error, priv)) << error;
    EXPECT_EQ(Mode(path), 0600u);
    ::umask(saved);
}

TEST_F(AtomicFileTest, AReadOnlyFileIsNotReplaced) {
    if (TestSupport::RanUnprivileged())
        return;
    // Renaming over the file would work, since the folder is writable: the file's own permissions
    // must stop it, as they stop any program that opens it for writing.
    std::ofstream(path) << "keep me";
    ::chmod(path.c_str(), 0444);
    std::string error;
    EXPECT_FALSE(AtomicFile::WriteWhole(path, "lost", error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(Read(path), "keep me");
    EXPECT_EQ(Mode(path), 0444u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"report.csv"});
    // A folder the user may not write takes no new file, and says so.
    std::filesystem::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    EXPECT_FALSE(AtomicFile::WriteWhole((dir / "locked" / "new.csv").string(), "x", error));
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
}

TEST(AtomicFileNames, OnlyTheTemporariesOfTheFileAreRecognised) {
    EXPECT_TRUE(AtomicFile::IsTemporaryName("config.xml", ".config.xml.tmp-aB3xY9"));
    for (const char* other : {"config.xml", ".config.xml.tmp-aB3xY", ".config.xml.tmp-aB3xY90",
                              ".config.xml.tmp-aB3x-9", ".other.xml.tmp-aB3xY9", "config.xml.tmp-aB3xY9",
                              ".config.xml.bad-aB3xY9", ".config.xml.tmp-aB3xY9~"})
        EXPECT_FALSE(AtomicFile::IsTemporaryName("config.xml", other)) << other;
}
