// HostApp: the application object handed to every module (IApp): the registry of modules, the
// theme and configuration managers, and the pre-message handlers offered each message first.
#pragma once

#include <hostkernel/RefCounted.h>
#include <platform/winuser.h>
#include <sdk/App.h>

#include <map>
#include <string>
#include <vector>

class HostApp final : public HostKernel::RefCounted<IApp> {
public:
    HostApp() = default;

    // Makes a module reachable by its id; a second module of the same id replaces the first.
    void RegisterModule(const std::string& id, IModule* module);
    void UnregisterModule(const std::string& id);
    void SetThemeMgr(Conf::IThemeMgr* manager) { m_themeMgr = manager; }
    void SetConfManager(Conf::IConfManager* manager) { m_confManager = manager; }
    // Releases every module and handler (at shut-down, to break reference cycles).
    void Clear();

    // Offers a message to the handlers, highest priority first (equal priorities in the order
    // added); true when one consumed it. A handler may add or remove handlers meanwhile.
    bool PreTranslate(MSG* message);

    bool GetModule(IModule** module, const char* id) override;
    bool GetThemeMgr(Conf::IThemeMgr** manager) override;
    bool GetConfManager(Conf::IConfManager** manager) override;
    void AddPreMessageHandler(int priority, IPreMessageHandler* handler) override;
    void RemovePreMessageHandler(IPreMessageHandler* handler) override;

private:
    ~HostApp() override = default;

    struct Handler {
        int priority;
        unsigned long order;
        XComPtr<IPreMessageHandler> handler;
    };
    std::map<std::string, XComPtr<IModule>> m_modules;
    XComPtr<Conf::IThemeMgr> m_themeMgr;
    XComPtr<Conf::IConfManager> m_confManager;
    std::vector<Handler> m_handlers;
    unsigned long m_nextOrder = 0;
};
