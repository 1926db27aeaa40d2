// The host kernel: the component factory and the named-event bus.
//
// Every pointer these functions return carries one reference that the caller owns; receive it
// with XComPtr<T>::Attach, or release it by hand.
#pragma once

#include <sdk/IXUnknown.h>

namespace Kernel {

// A subscriber of an event: called with the argument of Fire and the context given to Subscribe.
using EventCallback = void (*)(void* argument, void* context);

// A named event. Subscribers are called in the order they subscribed.
struct IEvent : IXUnknown {
    // Calls every subscriber with the argument. Subscribers added during the call are first
    // called by the next Fire; subscribers removed during the call are not called any more.
    virtual void Fire(void* argument) = 0;
    // Adds a subscriber; the same callback may subscribe several times with different contexts.
    virtual void Subscribe(EventCallback callback, void* context) = 0;
    // Removes the subscription of this callback with this context; false when there is none.
    virtual bool Unsubscribe(EventCallback callback, void* context) = 0;

protected:
    ~IEvent() = default;
};

// A new component of the class id ("Data.DataTable", "Data.DataView", "Data.FieldSorter",
// "Data.MultiFieldSorter"), or null for an unknown id. The caller casts it at run time
// (dynamic_cast) to the interface it wants.
IXUnknown* createInstance(const char* classId);

// The event of this name if it exists, else null.
IEvent* getEvent(const char* name);

// The event of this name, created when it does not exist yet; null only for a null or empty name.
IEvent* createEvent(const char* name);

} // namespace Kernel

using Kernel::createEvent;
using Kernel::createInstance;
using Kernel::getEvent;
