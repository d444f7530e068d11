#include <gtest/gtest.h>

#include <memory>

#include "device/EventHub.h"
#include "tests/device/CoreFakes.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

struct Ping {
    int value = 0;
};

// Windows come and go while events are being delivered: one that closes inside a delivery is
// not called again, one that opens hears the next event, and a window may outlive the core.
TEST(EventHub, ListenersComeAndGoDuringDeliveryAndMayOutliveTheHub) {
    auto hub = std::make_unique<EventHub>();
    std::vector<std::string> heard;
    Subscription second;
    Subscription late;
    Subscription first = hub->Subscribe<Ping>([&](const Ping& p) {
        heard.push_back("first " + std::to_string(p.value));
        second.Reset();  // the next listener closes before its turn
        if (p.value == 1)
            late = hub->Subscribe<Ping>(
                [&](const Ping& q) { heard.push_back("late " + std::to_string(q.value)); });
    });
    second = hub->Subscribe<Ping>([&](const Ping&) { heard.push_back("second"); });
    hub->Publish(Ping{1});
    hub->Publish(Ping{2});
    EXPECT_EQ(heard, (std::vector<std::string>{"first 1", "first 2", "late 2"}));
    EXPECT_TRUE(hub->HasListeners<Ping>());

    Subscription moved = std::move(first);
    hub.reset();
    moved.Reset();  // nothing left to unsubscribe from, and nothing breaks
    late = Subscription();
}

TEST(TimerHandle, DroppingAHandleStopsItsTimerAndAOneShotMayStartItsSuccessor) {
    FakeTimerService timers;
    int fired = 0;
    TimerHandle chained;
    chained = timers.Start("chain", 10ms, TimerMode::Once, [&] {
        ++fired;
        chained = timers.Start("chain", 10ms, TimerMode::Once, [&] { ++fired; });
    });
    {
        TimerHandle dropped = timers.Start("dropped", 5ms, TimerMode::Repeat, [&] { fired += 100; });
    }
    timers.Advance(25ms);
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(chained.Running());
    EXPECT_FALSE(timers.HasTimer("dropped"));
}

TEST(TimerHandle, RearmingMovesTheDeadlineAndKeepsTheCallbackOnlyWhileTheTimerRuns) {
    FakeTimerService timers;
    int fired = 0;
    TimerHandle watchdog = timers.Start("watchdog", 10ms, TimerMode::Once, [&] { ++fired; });
    timers.Advance(8ms);
    ASSERT_TRUE(watchdog.Rearm(10ms));
    timers.Advance(8ms);
    EXPECT_EQ(fired, 0) << "the interval starts afresh at the re-arm";
    ASSERT_TRUE(watchdog.Rearm(1000ms));
    EXPECT_EQ(timers.Remaining("watchdog"), 1000ms);
    timers.Advance(1000ms);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(watchdog.Rearm(10ms)) << "a one-shot timer that fired is over";
    EXPECT_FALSE(TimerHandle().Rearm(10ms));
}

}  // namespace
}  // namespace velmar::test
