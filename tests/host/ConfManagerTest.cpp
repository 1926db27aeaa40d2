// The configuration file: reading keys, first runs, malformed files and saving.
#include <hostconf/ConfManager.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace HostConf;

namespace {

class ConfManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("conf_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        path = (dir / "config.xml").string();
        conf.Attach(new ConfManager());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The value's number, or -1 when the key or value is missing.
    double Number(const char* key) {
        XComPtr<Conf::IConfKey> k;
        XComPtr<Conf::IConfValue> v;
        if (!conf->GetKey(k.Receive(), key) || !k->GetValue(v.Receive()))
            return -1;
        return v->AsDouble();
    }

    std::filesystem::path dir;
    std::string path;
    XComPtr<ConfManager> conf;
};

} // namespace

TEST_F(ConfManagerTest, KeysAreSlashPathsAndMissingOnesAreNull) {
    Write("<Quenda2><UserConfig><FontSize> 1.25 </FontSize><Name>基金</Name><Odd>big</Odd></UserConfig>"
          "</Quenda2>");
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_EQ(Number("/Quenda2/UserConfig/FontSize"), 1.25);
    EXPECT_EQ(Number("/Quenda2/UserConfig/Odd"), 0); // not a number
    // A grouping element is a key without a value.
    XComPtr<Conf::IConfKey> key;
    ASSERT_TRUE(conf->GetKey(key.Receive(), "/Quenda2/UserConfig"));
    XComPtr<Conf::IConfValue> value;
    EXPECT_FALSE(key->GetValue(value.Receive()));
    EXPECT_EQ(value, nullptr);
    for (const char* missing : {"/Quenda2/UserConfig/Zoom", "/Other/UserConfig/FontSize",
                                "Quenda2/UserConfig", "/Quenda2//FontSize", "/", "", "/Quenda2/User Config"})
        EXPECT_EQ(Number(missing), -1) << missing;
    EXPECT_FALSE(conf->GetKey(key.Receive(), nullptr));

    ASSERT_TRUE(conf->GetKey(key.Receive(), "/Quenda2/UserConfig/Name"));
    ASSERT_TRUE(key->GetValue(value.Receive()));
    XStringW text;
    value->AsString(text);
    EXPECT_EQ(text, L"基金");
}

TEST_F(ConfManagerTest, FirstRunStartsEmptyAndSaveCreatesTheFile) {
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error));
    EXPECT_EQ(Number("/Quenda2/UserConfig/FontSize"), -1);
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/FontSize", L"1.5"));
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/FontSize", L"2"));
    ASSERT_TRUE(conf->SetValue("/Quenda2/Concern/Funds", L"000001,000002"));
    EXPECT_FALSE(conf->SetValue("/Other/X", L"1"));
    EXPECT_FALSE(conf->SetValue("/Quenda2", L"1"));
    EXPECT_FALSE(conf->SetValue("/Quenda2/1bad", L"1"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    XComPtr<ConfManager> again;
    again.Attach(new ConfManager());
    ASSERT_TRUE(again->Load(path, error));
    conf = again;
    EXPECT_EQ(Number("/Quenda2/UserConfig/FontSize"), 2);
}

TEST_F(ConfManagerTest, MalformedFileIsReportedAndNeverOverwritten) {
    const std::string broken = "<Quenda2>\n<UserConfig><FontSize>1.5</FontSize>\n</Quenda2>";
    Write(broken);
    XStringW error;
    EXPECT_FALSE(conf->Load(path, error));
    EXPECT_NE(error.ToUtf8().find("malformed configuration, line 3"), std::string::npos) << error.ToUtf8();
    EXPECT_EQ(Number("/Quenda2/UserConfig/FontSize"), -1);

    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/FontSize", L"1.1"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    // The user's text is kept beside the new file, which reads back.
    EXPECT_EQ(Read(path + ".bad"), broken);
    XComPtr<ConfManager> again;
    again.Attach(new ConfManager());
    ASSERT_TRUE(again->Load(path, error));
    // Later saves overwrite the now well-formed file and leave the backup alone.
    ASSERT_TRUE(conf->Save(error));
    EXPECT_EQ(Read(path + ".bad"), broken);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad.1"));

    Write("<Settings/>");
    EXPECT_FALSE(conf->Load(path, error));
    EXPECT_NE(error.ToUtf8().find("root element must be <Quenda2>"), std::string::npos);
}

namespace {

// A listening socket file at a path: something that is neither a file nor a folder.
void MakeSocket(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd);
}

} // namespace

TEST_F(ConfManagerTest, APathThatIsNoFileIsNeitherReadNorMovedNorReplaced) {
    // A folder of documents, a pipe without a writer and a socket: each is refused at once (a
    // pipe is never waited on) and stays exactly as it was, whatever is saved afterwards.
    std::filesystem::path folder = dir / "documents";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "letter.txt") << "dear";
    std::string pipe = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string socketPath = (dir / "sock").string();
    MakeSocket(socketPath);

    for (const std::string& target : {folder.string(), pipe, socketPath}) {
        XComPtr<ConfManager> manager;
        manager.Attach(new ConfManager());
        XStringW error;
        EXPECT_FALSE(manager->Load(target, error)) << target;
        EXPECT_FALSE(manager->Usable());
        EXPECT_NE(error.ToUtf8().find("not a file"), std::string::npos) << error.ToUtf8();
        ASSERT_TRUE(manager->SetValue("/Quenda2/UserConfig/FontSize", L"2"));
        EXPECT_FALSE(manager->Save(error));
        EXPECT_NE(error.ToUtf8().find("not saved"), std::string::npos) << error.ToUtf8();
        EXPECT_FALSE(std::filesystem::exists(target + ".bad")) << target;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(Read((folder / "letter.txt").string()), "dear");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(std::filesystem::is_socket(socketPath));
    // Nothing but what the test made is in the folder: no temporary file was left beside them.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 3);

    // A configuration that turns into a folder after it was read is not replaced either.
    Write("<Quenda2/>");
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error));
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);
    EXPECT_FALSE(conf->Save(error));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(ConfManagerTest, ALinkedConfigurationIsWrittenThroughToItsTarget) {
    std::filesystem::path real = dir / "dotfiles" / "fundcompare.xml";
    std::filesystem::create_directories(real.parent_path());
    std::ofstream(real) << "<Quenda2><UserConfig><FontSize>1.5</FontSize></UserConfig></Quenda2>";
    std::filesystem::create_symlink(std::filesystem::path("dotfiles") / "fundcompare.xml", path);

    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_EQ(Number("/Quenda2/UserConfig/FontSize"), 1.5);
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/FontSize", L"2.5"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_NE(Read(real.string()).find("2.5"), std::string::npos);

    // A malformed target is kept beside the target, and the link still leads to the new file.
    std::ofstream(real) << "<Quenda2>";
    EXPECT_FALSE(conf->Load(path, error));
    EXPECT_TRUE(conf->Usable());
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(Read(real.string() + ".bad"), "<Quenda2>");
    EXPECT_FALSE(std::filesystem::exists(path + ".bad"));

    // A link to a file not made yet is a first run; the first save makes the target.
    std::filesystem::path later = dir / "later.xml";
    std::string link = (dir / "link.xml").string();
    std::filesystem::create_symlink(later, link);
    XComPtr<ConfManager> fresh;
    fresh.Attach(new ConfManager());
    ASSERT_TRUE(fresh->Load(link, error));
    ASSERT_TRUE(fresh->SetValue("/Quenda2/UserConfig/Theme", L"light"));
    ASSERT_TRUE(fresh->Save(error)) << error.ToUtf8();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(Read(later.string()).find("light"), std::string::npos);
}

TEST_F(ConfManagerTest, AFailedSaveLeavesTheOldFileIntact) {
    const std::string original = "<Quenda2><UserConfig><FontSize>1.25</FontSize></UserConfig></Quenda2>";
    Write(original);
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error));
    ASSERT_TRUE(conf->SetValue("/Quenda2/Concern/Funds", XStringW(std::wstring(4000, L'1'))));

    // The disk takes no more than 64 bytes of any file: the new text cannot be written. Saving
    // straight over the old file would have cut it to those 64 bytes.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    rlimit limit{}, saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool saved1 = conf->Save(error);
    XStringW firstError = error;
    bool saved2 = conf->Save(error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(saved1);
    EXPECT_FALSE(saved2); // reported again, not only the first time
    EXPECT_NE(firstError.ToUtf8().find("cannot save the configuration"), std::string::npos)
        << firstError.ToUtf8();
    EXPECT_EQ(Read(path), original);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1); // no temporary file left behind

    // A folder that cannot hold files at all (a component of the path is a file) fails the same way.
    std::ofstream(dir / "plain") << "x";
    XComPtr<ConfManager> nowhere;
    nowhere.Attach(new ConfManager());
    ASSERT_TRUE(nowhere->Load((dir / "plain" / "config.xml").string(), error));
    EXPECT_FALSE(nowhere->Save(error));
    EXPECT_NE(error.ToUtf8().find("cannot save the configuration"), std::string::npos) << error.ToUtf8();

    // Once writing works again the save goes through and keeps the file's permissions.
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_NE(Read(path).find(std::string(4000, '1')), std::string::npos);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}
