// A host made of fakes: the application object, the database and main-frame modules, a tab
// control and a theme manager, recording what the module asks of them.
#pragma once

#include "../grid/FakeTheme.h"

#include <hostkernel/RefCounted.h>
#include <sdk/Modules.h>

#include <map>
#include <string>
#include <vector>

struct FakeTabCtrl : HostKernel::RefCounted<ITabCtrl> {
    std::vector<ITabPage*> pages;
    void AddPage(ITabPage* page) override { pages.push_back(page); }
    void RemovePage(ITabPage* page) override { std::erase(pages, page); }
};

template <class Interface>
struct FakeModuleBase : HostKernel::RefCounted<Interface> {
    bool GetInfo(ModuleInfo&) override { return true; }
    int Load(void*, void*) override { return 0; }
    int Initialize(IApp*, XStringW&) override { return 0; }
    void Uninitialize() override {}
};

// The database module: hands out the database the test gives it, or none.
struct FakeDbModule : FakeModuleBase<IDbModule> {
    XComPtr<Data::IDatabase> database;
    bool GetDatabase(Data::IDatabase** out) override {
        *out = database;
        if (*out != nullptr)
            (*out)->AddRef();
        return *out != nullptr;
    }
};

struct FakeMainFrame : FakeModuleBase<IMainFrameModule> {
    XComPtr<FakeTabCtrl> tab = HostKernel::MakeRef<FakeTabCtrl>();
    bool hasTab = true;
    std::vector<std::string> buttons; // "anchor>id:caption"
    XComPtr<Kernel::IEvent> buttonEvent;
    std::vector<ITabPage*> activated;

    bool GetTabCtrl(ITabCtrl** tabCtrl, const char* id) override {
        *tabCtrl = nullptr;
        if (!hasTab || std::string(id) != "kap_tab_fundfilter")
            return false;
        *tabCtrl = tab;
        tab->AddRef();
        return true;
    }
    void ActivatePage(ITabPage* page) override { activated.push_back(page); }
    bool AddButton(const char* anchor, const char* id, const ButtonDesc& button) override {
        buttons.push_back(std::string(anchor) + ">" + id + ":" + button.caption.ToUtf8());
        buttonEvent = button.event;
        return true;
    }
};

struct FakeThemeMgr : HostKernel::RefCounted<Conf::IThemeMgr> {
    FakeTheme theme;
    bool GetCurrentTheme(Conf::ITheme** out) override {
        *out = &theme;
        return true;
    }
};

struct FakeApp : HostKernel::RefCounted<IApp> {
    std::map<std::string, XComPtr<IModule>> modules;
    std::vector<std::string> asked;
    XComPtr<FakeThemeMgr> themes = HostKernel::MakeRef<FakeThemeMgr>();
    std::vector<std::pair<int, IPreMessageHandler*>> handlers;

    bool GetModule(IModule** module, const char* id) override {
        asked.push_back(id);
        *module = nullptr;
        auto it = modules.find(id);
        if (it == modules.end())
            return false;
        *module = it->second;
        (*module)->AddRef();
        return true;
    }
    bool GetThemeMgr(Conf::IThemeMgr** manager) override {
        *manager = themes;
        themes->AddRef();
        return true;
    }
    XComPtr<Conf::IConfManager> conf; // none unless a test gives one
    bool GetConfManager(Conf::IConfManager** manager) override {
        *manager = conf;
        if (*manager != nullptr)
            (*manager)->AddRef();
        return *manager != nullptr;
    }
    void AddPreMessageHandler(int priority, IPreMessageHandler* handler) override {
        handlers.emplace_back(priority, handler);
    }
    void RemovePreMessageHandler(IPreMessageHandler*) override {}
};
