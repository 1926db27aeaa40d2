// The root of every host interface: shared ownership by explicit reference counting.
#pragma once

struct IXUnknown {
    // Both return the new count (objects that live as long as their library answer 1).
    virtual unsigned long AddRef() = 0;
    // The last Release destroys the object.
    virtual unsigned long Release() = 0;

protected:
    ~IXUnknown() = default;
};
