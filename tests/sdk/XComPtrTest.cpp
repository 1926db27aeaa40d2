// XComPtr: exactly one reference owned, whatever happens to the pointer.
#include <sdk/IXUnknown.h>
#include <sdk/XComPtr.h>

#include <gtest/gtest.h>

namespace {

struct Counted : IXUnknown {
    int refs = 1; // created with one reference, owned by whoever created it
    int* destroyed;
    explicit Counted(int* d) : destroyed(d) {}
    virtual ~Counted() = default;
    unsigned long AddRef() override { return static_cast<unsigned long>(++refs); }
    unsigned long Release() override {
        int left = --refs;
        if (left == 0) {
            ++*destroyed;
            delete this;
        }
        return static_cast<unsigned long>(left);
    }
};

struct Other : IXUnknown {
    virtual ~Other() = default;
};

struct Both : Counted, Other {
    using Counted::Counted;
    unsigned long AddRef() override { return Counted::AddRef(); }
    unsigned long Release() override { return Counted::Release(); }
};

// A host call that hands out a reference through a raw "out" parameter.
void makeObject(Counted** out, int* destroyed) {
    *out = new Counted(destroyed);
}

TEST(XComPtr, AttachTakesTheReferenceAndResetReleasesIt) {
    int destroyed = 0;
    {
        XComPtr<Counted> p;
        p.Attach(new Counted(&destroyed));
        EXPECT_EQ(p->refs, 1);
        p.Reset();
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(p.Get(), nullptr);
        p.Reset(); // harmless when empty
    }
    {
        XComPtr<Counted> p;
        makeObject(p.Receive(), &destroyed);
        EXPECT_EQ(p->refs, 1);
        makeObject(p.Receive(), &destroyed); // the first object is released before the second arrives
        EXPECT_EQ(destroyed, 2);
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(XComPtr, CopiesShareAndAssignmentsReleaseThePreviousObject) {
    int destroyed = 0;
    auto* raw = new Counted(&destroyed);
    {
        XComPtr<Counted> a;
        a.Attach(raw);
        XComPtr<Counted> b = a;
        EXPECT_EQ(raw->refs, 2);
        XComPtr<Counted> c = std::move(b);
        EXPECT_EQ(raw->refs, 2);
        EXPECT_EQ(b.Get(), nullptr);
        XComPtr<Counted>& alias = c;
        c = alias; // self-assignment keeps the count
        EXPECT_EQ(raw->refs, 2);

        XComPtr<Counted> d;
        d.Attach(new Counted(&destroyed));
        d = a; // the object d held goes
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(raw->refs, 3);
        d = nullptr;
        EXPECT_EQ(raw->refs, 2);

        // Attaching the object already held hands over the caller's extra reference.
        raw->AddRef();
        c.Attach(raw);
        EXPECT_EQ(raw->refs, 2);

        Counted* detached = a.Detach();
        EXPECT_EQ(detached->refs, 2);
        detached->Release();
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(XComPtr, AsCastsAtRunTimeAndAddsAReferenceOnlyOnSuccess) {
    int destroyed = 0;
    XComPtr<Counted> p;
    p.Attach(new Both(&destroyed));
    {
        XComPtr<Other> other = p.As<Other>();
        ASSERT_NE(other.Get(), nullptr);
        EXPECT_EQ(p->refs, 2);
    }
    EXPECT_EQ(p->refs, 1);

    XComPtr<Counted> plain;
    plain.Attach(new Counted(&destroyed));
    EXPECT_EQ(plain.As<Other>().Get(), nullptr);
    EXPECT_EQ(plain->refs, 1);
}

} // namespace
