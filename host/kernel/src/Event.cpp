#include <hostkernel/Event.h>

#include <algorithm>

namespace HostKernel {

void Event::Fire(void* argument) {
    // The event stays alive even if a subscriber drops the last other reference to it.
    XComPtr<Kernel::IEvent> self(this);
    // Subscribers added during this call start with the next Fire; removed ones are only marked
    // while any Fire runs, so that the indexes of this walk stay valid.
    const std::size_t count = m_subscribers.size();
    ++m_firing;
    for (std::size_t i = 0; i < count; ++i) {
        Subscriber s = m_subscribers[i];
        if (s.live)
            s.callback(argument, s.context);
    }
    if (--m_firing == 0)
        m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                           [](const Subscriber& s) { return !s.live; }),
                            m_subscribers.end());
}

void Event::Subscribe(Kernel::EventCallback callback, void* context) {
    if (callback != nullptr)
        m_subscribers.push_back({callback, context, true});
}

bool Event::Unsubscribe(Kernel::EventCallback callback, void* context) {
    for (auto& s : m_subscribers) {
        if (s.live && s.callback == callback && s.context == context) {
            s.live = false;
            if (m_firing == 0)
                m_subscribers.erase(std::find_if(m_subscribers.begin(), m_subscribers.end(),
                                                 [](const Subscriber& x) { return !x.live; }));
            return true;
        }
    }
    return false;
}

int Event::SubscriberCount() const {
    return static_cast<int>(std::count_if(m_subscribers.begin(), m_subscribers.end(),
                                          [](const Subscriber& s) { return s.live; }));
}

} // namespace HostKernel
