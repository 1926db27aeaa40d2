// CompareSettings over the host's configuration file: named sets saved by several programs at
// once each keep a key of their own.
#include "workspace/CompareSettings.h"
#include "FakeHost.h"

#include <hostconf/ConfManager.h>
#include <hostkernel/RefCounted.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("settings_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        path = (folder / "config.xml").string();
        std::ofstream(path) << "<Quenda2/>";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // One program's view of the file: its configuration and the settings over it.
    struct Program {
        XComPtr<FakeApp> app = HostKernel::MakeRef<FakeApp>();
        XComPtr<HostConf::ConfManager> conf = HostKernel::MakeRef<HostConf::ConfManager>();
        CompareSettings settings;
        explicit Program(const std::string& path) {
            XStringW error;
            EXPECT_TRUE(conf->Load(path, error)) << error.ToUtf8();
            app->conf = conf.Get();
            settings.Attach(app);
        }
    };

    std::filesystem::path folder;
    std::string path;
};

TEST_F(SettingsFile, ASetOfAKnownNameIsReplacedEvenWhenAnotherProgramSavedIt) {
    Program a(path), b(path);
    XStringW error;
    ASSERT_TRUE(a.settings.SaveSet(L"成长", {L"000001"}, error)) << error.ToUtf8();
    ASSERT_TRUE(a.settings.SaveSet(L"稳健", {L"000002"}, error)) << error.ToUtf8();
    // B saves a set of a name A made: it replaces A's set rather than adding a second one.
    ASSERT_TRUE(b.settings.SaveSet(L"稳健", {L"000003", L"000004"}, error)) << error.ToUtf8();
    ASSERT_TRUE(b.settings.SaveSet(L"指数", {L"000005"}, error)) << error.ToUtf8();
    Program c(path);
    std::vector<CompareSettings::NamedSet> sets = c.settings.Sets();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0].key, "S1");
    EXPECT_EQ(sets[1].key, "S2");
    EXPECT_EQ(sets[1].funds, (std::vector<XStringW>{L"000003", L"000004"}));
    EXPECT_EQ(sets[2].key, "S3");
    EXPECT_EQ(sets[2].name.str(), L"指数");
    // A deleted number is taken again by the next new set.
    ASSERT_TRUE(c.settings.DeleteSet("S1", error));
    ASSERT_TRUE(a.settings.SaveSet(L"红利", {L"000006"}, error)) << error.ToUtf8();
    EXPECT_EQ(Program(path).settings.Sets().back().key, "S1");
}

TEST_F(SettingsFile, ProgramsSavingSetsAtOnceEachKeepTheirOwn) {
    // Each program saves its sets as fast as it can. A key chosen from what the program read
    // before it took the lock would be the same as that of a set another program was saving at
    // that moment, and the later save would overwrite the earlier set.
    constexpr int kPrograms = 4, kSets = 12;
    std::vector<pid_t> children;
    for (int p = 0; p < kPrograms; ++p) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Program mine(path);
            XStringW error;
            for (int s = 0; s < kSets; ++s) {
                std::wstring name = L"P" + std::to_wstring(p) + L"-" + std::to_wstring(s);
                if (!mine.settings.SaveSet(XStringW(name), {XStringW(L"00000" + std::to_wstring(p))}, error))
                    ::_exit(3);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::vector<CompareSettings::NamedSet> sets = Program(path).settings.Sets();
    std::set<std::wstring> names;
    std::set<std::string> keys;
    for (const CompareSettings::NamedSet& set : sets) {
        names.insert(set.name.str());
        keys.insert(set.key);
        ASSERT_EQ(set.funds.size(), 1u);
        EXPECT_EQ(set.funds[0].str(), L"00000" + set.name.str().substr(1, 1)) << set.key;
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kPrograms * kSets));
    EXPECT_EQ(keys.size(), static_cast<size_t>(kPrograms * kSets));
    EXPECT_EQ(keys.count("S" + std::to_string(kPrograms * kSets)), 1u);
}

} // namespace
