#include "wgui/WindowRegistry.h"

#include <map>

namespace WGUI {
namespace {

// Never destroyed: binders that are members of static objects (the module's own instance) leave
// the registry from their destructors when the process ends, which may come after the destruction
// of a static registry, and a process that ends through exit() does so with its windows alive.
std::map<HWND, WindowProc*>& registry() {
    static auto* instance = new std::map<HWND, WindowProc*>;
    return *instance;
}

} // namespace

void WindowRegistry::Add(HWND window, WindowProc* binder) {
    registry()[window] = binder;
}

void WindowRegistry::Remove(HWND window) {
    registry().erase(window);
}

void WindowRegistry::RemoveBinder(const WindowProc* binder) {
    auto& entries = registry();
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->second == binder)
            it = entries.erase(it);
        else
            ++it;
    }
}

WindowProc* WindowRegistry::Find(HWND window) {
    auto& entries = registry();
    auto it = entries.find(window);
    return it != entries.end() ? it->second : nullptr;
}

size_t WindowRegistry::Size() {
    return registry().size();
}

} // namespace WGUI
