// The configuration file: reading keys, first runs, malformed files and saving.
#include <hostconf/ConfManager.h>

#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

// ---- Sharing the file with other programs ---------------------------------------------------------

namespace {

std::string Text(ConfManager* manager, const char* key) {
    XComPtr<Conf::IConfKey> k;
    XComPtr<Conf::IConfValue> v;
    if (!manager->GetKey(k.Receive(), key) || !k->GetValue(v.Receive()))
        return "<none>";
    XStringW text;
    v->AsString(text);
    return text.ToUtf8();
}

XComPtr<ConfManager> Loaded(const std::string& path) {
    XComPtr<ConfManager> manager;
    manager.Attach(new ConfManager());
    XStringW error;
    EXPECT_TRUE(manager->Load(path, error)) << error.ToUtf8();
    return manager;
}

} // namespace

TEST_F(ConfManagerTest, TwoProgramsSavingKeepEachOthersChanges) {
    Write("<Quenda2><UserConfig><Theme>dark</Theme><FontSize>1</FontSize></UserConfig>"
          "<FundCompare><Sets><S1><Name>old</Name></S1></Sets></FundCompare></Quenda2>");
    XComPtr<ConfManager> a = Loaded(path), b = Loaded(path);
    XStringW error;
    // A saves a new set and a theme; B, which read the file before, changes the font size and
    // removes the old set. Each keeps the other's changes.
    ASSERT_TRUE(a->SetValue("/Quenda2/FundCompare/Sets/S2/Name", L"组合A"));
    ASSERT_TRUE(a->SetValue("/Quenda2/UserConfig/Theme", L"light"));
    ASSERT_TRUE(a->Save(error)) << error.ToUtf8();
    ASSERT_TRUE(b->SetValue("/Quenda2/UserConfig/FontSize", L"1.5"));
    // Setting a key to the value it already held is no change, even though another program
    // changed it since: B does not undo A's theme by writing its own stale copy of it.
    ASSERT_TRUE(b->SetValue("/Quenda2/UserConfig/Theme", L"dark"));
    ASSERT_TRUE(b->RemoveKey("/Quenda2/FundCompare/Sets/S1"));
    ASSERT_TRUE(b->Save(error)) << error.ToUtf8();

    XComPtr<ConfManager> c = Loaded(path);
    EXPECT_EQ(Text(c, "/Quenda2/FundCompare/Sets/S2/Name"), "组合A");
    EXPECT_EQ(Text(c, "/Quenda2/FundCompare/Sets/S1/Name"), "<none>");
    EXPECT_EQ(Text(c, "/Quenda2/UserConfig/FontSize"), "1.5");
    EXPECT_EQ(Text(c, "/Quenda2/UserConfig/Theme"), "light");
    // A change of B's that comes after A's wins, as the later one.
    ASSERT_TRUE(b->SetValue("/Quenda2/UserConfig/Theme", L"blue"));
    ASSERT_TRUE(b->Save(error)) << error.ToUtf8();
    EXPECT_EQ(Text(Loaded(path), "/Quenda2/UserConfig/Theme"), "blue");
}

TEST_F(ConfManagerTest, AKeyAnotherProgramSavedIsSeenAtTheNextRead) {
    XComPtr<ConfManager> a = Loaded(path), b = Loaded(path);
    XStringW error;
    ASSERT_TRUE(a->SetValue("/Quenda2/FundCompare/Sets/S1/Name", L"组合A"));
    ASSERT_TRUE(a->Save(error)) << error.ToUtf8();
    ASSERT_TRUE(b->SetValue("/Quenda2/UserConfig/FontSize", L"2")); // not yet saved
    // B lists the sets as they are now, so a set it saves next takes a free number instead of
    // A's, and keeps its unsaved change.
    std::vector<std::string> names;
    ASSERT_TRUE(b->GetChildren("/Quenda2/FundCompare/Sets", names));
    EXPECT_EQ(names, std::vector<std::string>{"S1"});
    EXPECT_EQ(Text(b, "/Quenda2/UserConfig/FontSize"), "2");
    ASSERT_TRUE(b->SetValue("/Quenda2/FundCompare/Sets/S2/Name", L"组合B"));
    ASSERT_TRUE(b->Save(error)) << error.ToUtf8();
    ASSERT_TRUE(a->GetChildren("/Quenda2/FundCompare/Sets", names));
    EXPECT_EQ(names, (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(Text(a, "/Quenda2/FundCompare/Sets/S1/Name"), "组合A");
    EXPECT_EQ(Text(a, "/Quenda2/FundCompare/Sets/S2/Name"), "组合B");
}

TEST_F(ConfManagerTest, ProcessesSavingAtOnceLoseNothing) {
    // Four programs save twenty-five keys each, as fast as they can, into one file. Without the
    // lock, a program that read the file just before another one replaced it would write its
    // copy over the other's keys.
    Write("<Quenda2/>");
    constexpr int kPrograms = 4, kKeys = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kPrograms; ++p) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            XComPtr<ConfManager> mine;
            mine.Attach(new ConfManager());
            XStringW error;
            if (!mine->Load(path, error))
                ::_exit(2);
            for (int k = 0; k < kKeys; ++k) {
                std::string key = "/Quenda2/P" + std::to_string(p) + "/K" + std::to_string(k);
                if (!mine->SetValue(key.c_str(), XStringW(std::to_wstring(k))) || !mine->Save(error))
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
    XComPtr<ConfManager> all = Loaded(path);
    for (int p = 0; p < kPrograms; ++p)
        for (int k = 0; k < kKeys; ++k) {
            std::string key = "/Quenda2/P" + std::to_string(p) + "/K" + std::to_string(k);
            EXPECT_EQ(Text(all, key.c_str()), std::to_string(k)) << key;
        }
}

// ---- Files that cannot be read, or written ------------------------------------------------------

TEST_F(ConfManagerTest, AnUnreadableFileIsRefusedAndLeftWhereItIs) {
    if (TestSupport::RanUnprivileged())
        return;
    const std::string original = "<Quenda2><UserConfig><Theme>light</Theme></UserConfig></Quenda2>";
    Write(original);
    ::chmod(path.c_str(), 0);
    for (int start = 0; start < 3; ++start) {
        XComPtr<ConfManager> manager;
        manager.Attach(new ConfManager());
        XStringW error;
        EXPECT_FALSE(manager->Load(path, error));
        EXPECT_FALSE(manager->Usable());
        EXPECT_NE(error.ToUtf8().find("Permission denied"), std::string::npos) << error.ToUtf8();
        ASSERT_TRUE(manager->SetValue("/Quenda2/UserConfig/Theme", L"dark"));
        EXPECT_FALSE(manager->Save(error));
    }
    // Not moved aside (again and again), not replaced, not made readable by anyone else.
    EXPECT_FALSE(std::filesystem::exists(path + ".bad"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0u);
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(Read(path), original);
}

TEST_F(ConfManagerTest, AReadOnlyFileKeepsItsSettingsForTheSessionOnly) {
    if (TestSupport::RanUnprivileged())
        return;
    const std::string original = "<Quenda2><UserConfig><Theme>light</Theme></UserConfig></Quenda2>";
    Write(original);
    ::chmod(path.c_str(), 0444);
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_TRUE(conf->Usable());
    EXPECT_TRUE(conf->ReadOnly());
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/Theme", L"dark"));
    EXPECT_FALSE(conf->Save(error));
    EXPECT_NE(error.ToUtf8().find("read-only"), std::string::npos) << error.ToUtf8();
    // The change holds for the session.
    EXPECT_EQ(Text(conf, "/Quenda2/UserConfig/Theme"), "dark");
    EXPECT_EQ(Read(path), original);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1);
    // A writable file in a folder that takes no new file cannot be replaced either.
    std::filesystem::create_directory(dir / "locked");
    std::string locked = (dir / "locked" / "config.xml").string();
    std::ofstream(locked) << original;
    ::chmod((dir / "locked").c_str(), 0555);
    XComPtr<ConfManager> other;
    other.Attach(new ConfManager());
    ASSERT_TRUE(other->Load(locked, error));
    EXPECT_TRUE(other->ReadOnly());
    ::chmod((dir / "locked").c_str(), 0755);
}

TEST_F(ConfManagerTest, NewFilesArePrivateWhateverTheOldOneWas) {
    mode_t saved = ::umask(0);
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error));
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/Theme", L"dark"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // A malformed file open to everyone is moved aside; the new one is private all the same.
    Write("<Quenda2>");
    ::chmod(path.c_str(), 0666);
    EXPECT_FALSE(conf->Load(path, error));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Read(path + ".bad"), "<Quenda2>");
    ::umask(saved);
}

TEST_F(ConfManagerTest, AFileTooLargeToReadIsKeptAsideNeverOverwritten) {
    // One byte more than the reader takes: the settings start empty, and the first save keeps the
    // whole file as .bad instead of writing the defaults over it.
    const std::uintmax_t size = (64u << 20) + 1;
    {
        std::ofstream out(path, std::ios::binary);
        out << "<Quenda2>" << std::string(size - 9, ' ');
    }
    ASSERT_EQ(std::filesystem::file_size(path), size);
    XStringW error;
    EXPECT_FALSE(conf->Load(path, error));
    EXPECT_TRUE(conf->Usable());
    EXPECT_NE(error.ToUtf8().find("too large"), std::string::npos) << error.ToUtf8();
    ASSERT_TRUE(conf->SetValue("/Quenda2/UserConfig/Theme", L"dark"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_EQ(std::filesystem::file_size(path + ".bad"), size);
    EXPECT_EQ(Text(Loaded(path), "/Quenda2/UserConfig/Theme"), "dark");
}

// ---- Odd documents --------------------------------------------------------------------------------

TEST_F(ConfManagerTest, ADeclaredEncodingIsReadAsDeclaredAndSavedAsUtf8) {
    // 基金 in GBK is BB F9 BD F0; é in ISO-8859-1 is E9.
    Write("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<Quenda2><Name>\xBB\xF9\xBD\xF0</Name></Quenda2>");
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_EQ(Text(conf, "/Quenda2/Name"), "基金");
    ASSERT_TRUE(conf->SetValue("/Quenda2/Other", L"1"));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    std::string saved = Read(path);
    EXPECT_EQ(saved.find("GBK"), std::string::npos) << saved;
    EXPECT_NE(saved.find("基金"), std::string::npos) << saved;
    EXPECT_EQ(Text(Loaded(path), "/Quenda2/Name"), "基金");

    Write("<?xml version='1.0' encoding='ISO-8859-1'?><Quenda2><Name>caf\xE9</Name></Quenda2>");
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_EQ(Text(conf, "/Quenda2/Name"), "café");

    // An encoding nobody knows, or bytes that are not text in the declared one: malformed, and
    // kept as .bad at the first save.
    for (const std::string& bad :
         {std::string("<?xml version=\"1.0\" encoding=\"X-NO-SUCH\"?><Quenda2/>"),
          std::string("<?xml version=\"1.0\" encoding=\"GBK\"?><Quenda2><N>\xBB</N></Quenda2>")}) {
        std::filesystem::remove(path + ".bad");
        Write(bad);
        EXPECT_FALSE(conf->Load(path, error)) << bad;
        EXPECT_NE(error.ToUtf8().find("encoding"), std::string::npos) << error.ToUtf8();
        ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
        EXPECT_EQ(Read(path + ".bad"), bad);
    }
}

TEST_F(ConfManagerTest, DocumentsBeyondAnyRealOneAreMalformed) {
    auto nested = [](int depth) {
        std::string open, close;
        for (int i = 1; i < depth; ++i) {
            open += "<a>";
            close = "</a>" + close;
        }
        return "<Quenda2>" + open + close + "</Quenda2>";
    };
    XStringW error;
    EXPECT_TRUE(conf->Parse(nested(64).data(), nested(64).size(), error)) << error.ToUtf8();
    EXPECT_FALSE(conf->Parse(nested(65).data(), nested(65).size(), error));
    EXPECT_NE(error.ToUtf8().find("nested more than 64"), std::string::npos) << error.ToUtf8();
    std::string deep = nested(10000);
    EXPECT_FALSE(conf->Parse(deep.data(), deep.size(), error));

    std::string wide = "<Quenda2>";
    for (int i = 0; i < 100000; ++i)
        wide += "<k/>";
    wide += "</Quenda2>";
    EXPECT_FALSE(conf->Parse(wide.data(), wide.size(), error));
    EXPECT_NE(error.ToUtf8().find("more than 100000 elements"), std::string::npos) << error.ToUtf8();
    std::string flood(1000000, '<');
    EXPECT_FALSE(conf->Parse(flood.data(), flood.size(), error));

    // Two roots: the second would be lost, or saved back invalid.
    for (const std::string& odd : {std::string("<Quenda2/><Quenda2/>"), std::string("<Quenda2/><Other/>")}) {
        EXPECT_FALSE(conf->Parse(odd.data(), odd.size(), error)) << odd;
        EXPECT_NE(error.ToUtf8().find("malformed configuration"), std::string::npos) << error.ToUtf8();
    }
    std::string fine = "<?xml version=\"1.0\"?>\n<!-- mine -->\n<Quenda2/>\n";
    EXPECT_TRUE(conf->Parse(fine.data(), fine.size(), error)) << error.ToUtf8();

    // Kept aside at the first save, like any malformed file.
    Write(nested(100));
    EXPECT_FALSE(conf->Load(path, error));
    ASSERT_TRUE(conf->Save(error)) << error.ToUtf8();
    EXPECT_EQ(Read(path + ".bad"), nested(100));
}

TEST_F(ConfManagerTest, TemporariesOfAKilledSaveAreRemovedAtTheNextLoad) {
    Write("<Quenda2/>");
    auto make = [&](const std::string& name, const std::string& content) {
        std::ofstream(dir / name) << content;
    };
    make(".config.xml.tmp-Ab3dE9", "<?xml version=\"1.0\"?>\n<Quenda2><Half");
    make("config.xml.aB3dEf", "<?xml version=\"1.0\"?>\n<Quen"); // an earlier version's naming
    make("config.xml.xYzAbC", "");
    // What a person keeps, or another program's files, stays.
    make("config.xml.backup", "<?xml version=\"1.0\"?>\n<Quenda2/>");
    make("config.xml.Backup", "<?xml version=\"1.0\"?>\n<Quenda2/>");
    make("config.xml.aB3dEg", "my notes");
    make(".other.xml.tmp-Ab3dE9", "x");
    make("config.xml.bad", "<Quenda2>");
    std::filesystem::create_directory(dir / ".config.xml.tmp-Zz9zZ9");
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".config.xml.tmp-Zz9zZ9", ".other.xml.tmp-Ab3dE9",
                                               "config.xml", "config.xml.Backup", "config.xml.aB3dEg",
                                               "config.xml.backup", "config.xml.bad"}));
}

// ---- Changes made under the lock ------------------------------------------------------------------

TEST_F(ConfManagerTest, AChangeUnderTheLockSeesTheFileAsItIsAndKeepsPendingKeys) {
    Write("<Quenda2/>");
    XComPtr<ConfManager> a = Loaded(path), b = Loaded(path);
    XStringW error;
    ASSERT_TRUE(a->SetValue("/Quenda2/UserConfig/FontSize", L"2")); // not yet saved
    // What A lists now, before B saves.
    std::vector<std::string> seen;
    ASSERT_FALSE(a->GetChildren("/Quenda2/Sets", seen));
    ASSERT_TRUE(b->SetValue("/Quenda2/Sets/S1/Name", L"B"));
    ASSERT_TRUE(b->Save(error)) << error.ToUtf8();
    // The change runs over the file as B left it, though A read it before.
    std::string chosen;
    ASSERT_TRUE(a->SaveChanging(
        [&](Conf::IConfStore& store, XStringW&) {
            std::vector<std::string> names;
            store.GetChildren("/Quenda2/Sets", names);
            chosen = "S" + std::to_string(names.size() + 1);
            return store.SetValue(("/Quenda2/Sets/" + chosen + "/Name").c_str(), L"A");
        },
        error))
        << error.ToUtf8();
    EXPECT_EQ(chosen, "S2");
    XComPtr<ConfManager> c = Loaded(path);
    EXPECT_EQ(Text(c, "/Quenda2/Sets/S1/Name"), "B");
    EXPECT_EQ(Text(c, "/Quenda2/Sets/S2/Name"), "A");
    EXPECT_EQ(Text(c, "/Quenda2/UserConfig/FontSize"), "2");
    EXPECT_EQ(Text(a, "/Quenda2/Sets/S1/Name"), "B");

    // A change that refuses leaves nothing behind, in the file or in memory, and says why.
    const std::string before = Read(path);
    EXPECT_FALSE(a->SaveChanging(
        [](Conf::IConfStore& store, XStringW& reason) {
            store.SetValue("/Quenda2/Sets/S3/Name", L"half");
            reason = L"refused";
            return false;
        },
        error));
    EXPECT_EQ(error.ToUtf8(), "refused");
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(Text(a, "/Quenda2/Sets/S3/Name"), "<none>");
}

TEST_F(ConfManagerTest, AChangeThatCannotBeSavedHoldsForTheSession) {
    if (TestSupport::RanUnprivileged())
        return;
    const std::string original = "<Quenda2/>";
    Write(original);
    ::chmod(path.c_str(), 0444);
    XStringW error;
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    EXPECT_FALSE(conf->SaveChanging(
        [](Conf::IConfStore& store, XStringW&) { return store.SetValue("/Quenda2/Sets/S1/Name", L"A"); },
        error));
    EXPECT_NE(error.ToUtf8().find("read-only"), std::string::npos) << error.ToUtf8();
    EXPECT_EQ(Text(conf, "/Quenda2/Sets/S1/Name"), "A");
    EXPECT_EQ(Read(path), original);
    ::chmod(path.c_str(), 0600);
}
