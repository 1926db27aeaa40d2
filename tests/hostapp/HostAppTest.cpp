// The application object: modules by id and the order in which handlers see messages.
#include "HostApp.h"
#include "ConcernFundModule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct Recorder : HostKernel::RefCounted<IPreMessageHandler> {
    std::vector<std::string>* log;
    std::string name;
    bool consume;
    std::function<void()> during;
    Recorder(std::vector<std::string>* l, std::string n, bool c) : log(l), name(std::move(n)), consume(c) {}
    bool PreTranslateMessage(MSG*) override {
        log->push_back(name);
        if (during)
            during();
        return consume;
    }
};

TEST(HostApp, HandlersSeeMessagesByPriorityThenInTheOrderAdded) {
    auto app = HostKernel::MakeRef<HostApp>();
    std::vector<std::string> log;
    auto low = HostKernel::MakeRef<Recorder>(&log, "low", false);
    auto first500 = HostKernel::MakeRef<Recorder>(&log, "first500", false);
    auto second500 = HostKernel::MakeRef<Recorder>(&log, "second500", false);
    auto high = HostKernel::MakeRef<Recorder>(&log, "high", false);
    app->AddPreMessageHandler(100, low);
    app->AddPreMessageHandler(500, first500);
    app->AddPreMessageHandler(500, second500);
    app->AddPreMessageHandler(900, high);
    MSG msg{};
    EXPECT_FALSE(app->PreTranslate(&msg));
    EXPECT_EQ(log, (std::vector<std::string>{"high", "first500", "second500", "low"}));

    // A consuming handler stops the offer; a handler may remove itself while it runs.
    log.clear();
    first500->consume = true;
    first500->during = [&] { app->RemovePreMessageHandler(first500); };
    EXPECT_TRUE(app->PreTranslate(&msg));
    EXPECT_EQ(log, (std::vector<std::string>{"high", "first500"}));
    log.clear();
    EXPECT_FALSE(app->PreTranslate(&msg));
    EXPECT_EQ(log, (std::vector<std::string>{"high", "second500", "low"}));
    EXPECT_FALSE(app->PreTranslate(nullptr));
    app->Clear();
}

TEST(HostApp, ModulesAreFoundByIdWithAReferenceForTheCaller) {
    auto app = HostKernel::MakeRef<HostApp>();
    auto concern = HostKernel::MakeRef<ConcernFundModule>(nullptr);
    app->RegisterModule(ConcernFundModule::kId, concern);
    XComPtr<IModule> found;
    ASSERT_TRUE(app->GetModule(found.Receive(), "mod_ConcernFund"));
    EXPECT_EQ(found.Get(), static_cast<IModule*>(concern.Get()));
    EXPECT_TRUE(found.As<IConcernFundModule>());
    EXPECT_FALSE(app->GetModule(found.Receive(), "mod_Missing"));
    EXPECT_EQ(found.Get(), nullptr);
    EXPECT_FALSE(app->GetModule(found.Receive(), nullptr));
    XComPtr<Conf::IThemeMgr> themes;
    EXPECT_FALSE(app->GetThemeMgr(themes.Receive()));
    app->Clear();
}

TEST(ConcernFund, FollowedFundsSurviveARestart) {
    char path[] = "/tmp/concernXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::remove(path); // a first run: no configuration file yet
    XStringW error;
    {
        auto conf = HostKernel::MakeRef<HostConf::ConfManager>();
        conf->Load(path, error);
        auto module = HostKernel::MakeRef<ConcernFundModule>(conf);
        EXPECT_TRUE(module->Follow(L"000001", error)) << error.ToUtf8();
        EXPECT_TRUE(module->Follow(L"110022", error));
        EXPECT_FALSE(module->Follow(L"000001", error)); // already followed
        EXPECT_FALSE(module->Follow(L"a,b", error));    // cannot be stored
        EXPECT_FALSE(module->Follow(L"", error));
        EXPECT_TRUE(module->Unfollow(L"000001", error));
        EXPECT_FALSE(module->Unfollow(L"000001", error));
        EXPECT_TRUE(module->Follow(L"000001", error));
    }
    auto conf = HostKernel::MakeRef<HostConf::ConfManager>();
    ASSERT_TRUE(conf->Load(path, error)) << error.ToUtf8();
    auto module = HostKernel::MakeRef<ConcernFundModule>(conf);
    EXPECT_EQ(module->Codes(), (std::vector<XStringW>{L"110022", L"000001"}));
    EXPECT_TRUE(module->IsConcerned(L"110022"));
    EXPECT_FALSE(module->IsConcerned(L"110022 "));
    std::remove(path);
}

} // namespace
