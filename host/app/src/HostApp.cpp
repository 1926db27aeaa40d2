// HostApp: module registry and pre-message handlers.
#include "HostApp.h"

#include <algorithm>

void HostApp::RegisterModule(const std::string& id, IModule* module) {
    m_modules[id] = module;
}

void HostApp::UnregisterModule(const std::string& id) {
    m_modules.erase(id);
}

void HostApp::Clear() {
    m_handlers.clear();
    m_modules.clear();
    m_themeMgr = nullptr;
    m_confManager = nullptr;
}

bool HostApp::GetModule(IModule** module, const char* id) {
    if (module == nullptr)
        return false;
    *module = nullptr;
    if (id == nullptr)
        return false;
    auto it = m_modules.find(id);
    if (it == m_modules.end() || it->second == nullptr)
        return false;
    *module = it->second;
    (*module)->AddRef();
    return true;
}

bool HostApp::GetThemeMgr(Conf::IThemeMgr** manager) {
    if (manager == nullptr)
        return false;
    *manager = m_themeMgr;
    if (*manager != nullptr)
        (*manager)->AddRef();
    return *manager != nullptr;
}

bool HostApp::GetConfManager(Conf::IConfManager** manager) {
    if (manager == nullptr)
        return false;
    *manager = m_confManager;
    if (*manager != nullptr)
        (*manager)->AddRef();
    return *manager != nullptr;
}

void HostApp::AddPreMessageHandler(int priority, IPreMessageHandler* handler) {
    if (handler == nullptr)
        return;
    Handler entry{priority, m_nextOrder++, XComPtr<IPreMessageHandler>(handler)};
    // Keep the list in offering order: higher priority first, then the order added.
    auto at =
        std::upper_bound(m_handlers.begin(), m_handlers.end(), entry, [](const Handler& a, const Handler& b) {
            return a.priority != b.priority ? a.priority > b.priority : a.order < b.order;
        });
    m_handlers.insert(at, std::move(entry));
}

void HostApp::RemovePreMessageHandler(IPreMessageHandler* handler) {
    std::erase_if(m_handlers, [handler](const Handler& h) { return h.handler.Get() == handler; });
}

bool HostApp::PreTranslate(MSG* message) {
    if (message == nullptr || m_handlers.empty())
        return false;
    // A snapshot, so that handlers may change the list while they run.
    std::vector<XComPtr<IPreMessageHandler>> snapshot;
    snapshot.reserve(m_handlers.size());
    for (const Handler& h : m_handlers)
        snapshot.push_back(h.handler);
    for (const auto& handler : snapshot)
        if (handler->PreTranslateMessage(message))
            return true;
    return false;
}
