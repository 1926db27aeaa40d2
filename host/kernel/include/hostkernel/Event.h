// Event: a named event of the kernel's bus.
#pragma once

#include <hostkernel/RefCounted.h>
#include <sdk/Kernel.h>

#include <string>
#include <vector>

namespace HostKernel {

class Event final : public RefCounted<Kernel::IEvent> {
public:
    explicit Event(std::string name) : m_name(std::move(name)) {}

    void Fire(void* argument) override;
    void Subscribe(Kernel::EventCallback callback, void* context) override;
    bool Unsubscribe(Kernel::EventCallback callback, void* context) override;

    const std::string& Name() const { return m_name; }
    int SubscriberCount() const;

private:
    struct Subscriber {
        Kernel::EventCallback callback;
        void* context;
        bool live;
    };

    std::string m_name;
    std::vector<Subscriber> m_subscribers;
    int m_firing = 0; // nesting depth of Fire
};

} // namespace HostKernel
