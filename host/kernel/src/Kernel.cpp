// The kernel functions: the component factory and the registry of named events.
#include <hostkernel/DataTable.h>
#include <hostkernel/DataView.h>
#include <hostkernel/Event.h>
#include <hostkernel/Sorters.h>
#include <sdk/Kernel.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace Kernel {

IXUnknown* createInstance(const char* classId) {
    using namespace HostKernel;
    if (classId == nullptr)
        return nullptr;
    if (std::strcmp(classId, "Data.DataTable") == 0)
        return static_cast<Data::IDataTable*>(DataTable::Create().Detach());
    if (std::strcmp(classId, "Data.DataView") == 0)
        return static_cast<Data::IDataView*>(DataView::Create().Detach());
    if (std::strcmp(classId, "Data.FieldSorter") == 0)
        return static_cast<Data::IFieldSorter*>(new FieldSorter());
    if (std::strcmp(classId, "Data.MultiFieldSorter") == 0)
        return static_cast<Data::IMultiFieldSorter*>(new MultiFieldSorter());
    return nullptr;
}

namespace {

// Events live until the process ends, so that a subscription made at start-up outlives every
// local reference to its event. The registry itself is never destroyed: modules unloaded at exit
// may still unsubscribe from their destructors, whatever the order of static destruction.
struct EventRegistry {
    std::mutex lock;
    std::map<std::string, XComPtr<HostKernel::Event>, std::less<>> events;
};

EventRegistry& Registry() {
    static auto* registry = new EventRegistry;
    return *registry;
}

} // namespace

IEvent* getEvent(const char* name) {
    if (name == nullptr)
        return nullptr;
    EventRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto it = registry.events.find(std::string_view(name));
    if (it == registry.events.end())
        return nullptr;
    it->second->AddRef();
    return it->second.Get();
}

IEvent* createEvent(const char* name) {
    if (name == nullptr || *name == 0)
        return nullptr;
    EventRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto& slot = registry.events[name];
    if (!slot)
        slot.Attach(new HostKernel::Event(name));
    slot->AddRef();
    return slot.Get();
}

} // namespace Kernel
