// The configuration file: reading keys, first runs, malformed files and saving.
#include <hostconf/ConfManager.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
