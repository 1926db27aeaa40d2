// Named events: one object per name, subscribers in order, and changes of the subscriber list
// while an event fires.
#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Log {
    std::vector<std::string> calls;
    Kernel::IEvent* event = nullptr;
};

void First(void* argument, void* context) {
    static_cast<Log*>(context)->calls.push_back(std::string("first ") + static_cast<const char*>(argument));
}
void Second(void* argument, void* context) {
    static_cast<Log*>(context)->calls.push_back(std::string("second ") + static_cast<const char*>(argument));
}
void RemovesFirstAndAddsSecond(void*, void* context) {
    auto* log = static_cast<Log*>(context);
    log->calls.push_back("changer");
    log->event->Unsubscribe(First, log);
    log->event->Subscribe(Second, log);
}

XComPtr<Kernel::IEvent> Make(const char* name) {
    XComPtr<Kernel::IEvent> event;
    event.Attach(createEvent(name));
    return event;
}

} // namespace

TEST(Event, OneObjectPerNameAndNoneForUnknownNames) {
    XComPtr<Kernel::IEvent> a = Make("event_test_identity");
    XComPtr<Kernel::IEvent> b = Make("event_test_identity");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a.Get(), b.Get());
    XComPtr<Kernel::IEvent> found;
    found.Attach(getEvent("event_test_identity"));
    EXPECT_EQ(found.Get(), a.Get());
    EXPECT_EQ(getEvent("event_test_never_made"), nullptr);
    EXPECT_EQ(createEvent(""), nullptr);
    EXPECT_EQ(createEvent(nullptr), nullptr);
    EXPECT_EQ(getEvent(nullptr), nullptr);
}

TEST(Event, SubscribersAreCalledInOrderWithArgumentAndContext) {
    XComPtr<Kernel::IEvent> event = Make("event_test_order");
    Log log;
    event->Subscribe(Second, &log);
    event->Subscribe(First, &log);
    event->Fire(const_cast<char*>("x"));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"second x", "first x"}));
    EXPECT_TRUE(event->Unsubscribe(Second, &log));
    EXPECT_FALSE(event->Unsubscribe(Second, &log));
    event->Fire(const_cast<char*>("y"));
    EXPECT_EQ(log.calls.back(), "first y");
    EXPECT_EQ(log.calls.size(), 3u);
    event->Unsubscribe(First, &log);
}

TEST(Event, SubscribersChangingDuringFireDoNotBreakIt) {
    XComPtr<Kernel::IEvent> event = Make("event_test_changes");
    Log log;
    log.event = event;
    event->Subscribe(RemovesFirstAndAddsSecond, &log);
    event->Subscribe(First, &log);
    event->Fire(const_cast<char*>("1"));
    // First was removed before its turn; Second was added during the call and waits for the next.
    EXPECT_EQ(log.calls, (std::vector<std::string>{"changer"}));
    log.calls.clear();
    event->Unsubscribe(RemovesFirstAndAddsSecond, &log);
    event->Fire(const_cast<char*>("2"));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"second 2"}));
    event->Unsubscribe(Second, &log);
}
