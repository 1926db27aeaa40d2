// Where the program looks for its module and themes: beside itself first (a build tree), then in
// the installation's folders relative to itself.
#include "InstallPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct InstallPathsTest : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("install-paths-" + std::to_string(::getpid()));
    fs::path bin = root / "bin";
    void SetUp() override { fs::create_directories(bin); }
    void TearDown() override { fs::remove_all(root); }
    void touch(const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
    }
};

TEST_F(InstallPathsTest, TheBuildTreeBesideTheProgramComesBeforeTheInstallation) {
    touch(root / "lib/fundcompare/libfundcompare.so");
    touch(root / "share/fundcompare/themes/dark.xml");
    // Installed only: found relative to the program, as a plain path.
    EXPECT_EQ(InstallPaths::ModuleFile(bin.string()), (root / "lib/fundcompare/libfundcompare.so").string());
    EXPECT_EQ(InstallPaths::ThemeFolder(bin.string()), (root / "share/fundcompare/themes").string());
    // A build tree puts them beside the program; those win.
    touch(bin / "libfundcompare.so");
    touch(bin / "themes/dark.xml");
    EXPECT_EQ(InstallPaths::ModuleFile(bin.string()), (bin / "libfundcompare.so").string());
    EXPECT_EQ(InstallPaths::ThemeFolder(bin.string()), (bin / "themes").string());
}

TEST_F(InstallPathsTest, NeitherThereNamesTheInstalledPlace) {
    EXPECT_EQ(InstallPaths::Find(bin.string(), "themes", "../share/fundcompare/themes"),
              (root / "share/fundcompare/themes").string());
    EXPECT_FALSE(InstallPaths::ProgramFolder().empty());
    EXPECT_TRUE(fs::is_directory(InstallPaths::ProgramFolder()));
}

} // namespace
