#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/MainLoop.h"

namespace tq {
namespace {

TEST(MainLoop, DelayedTasksRunInDueOrderWhenTheManualClockAdvances) {
    ManualClock clock;
    MainLoop loop(clock);
    std::vector<std::string> ran;
    loop.postAfter(1.0, [&] { ran.push_back("1.0"); });
    loop.postAfter(0.8, [&] { ran.push_back("0.8"); });
    loop.postAfter(0.8, [&] { ran.push_back("0.8 second"); });
    loop.post([&] { ran.push_back("posted"); });

    loop.advance(0.79);
    EXPECT_EQ(ran, (std::vector<std::string>{"posted"}));
    loop.advance(0.01);
    EXPECT_EQ(ran, (std::vector<std::string>{"posted", "0.8", "0.8 second"}));
    loop.advance(5);
    EXPECT_EQ(ran.back(), "1.0");
    EXPECT_DOUBLE_EQ(clock.now(), 5.8);
}

TEST(MainLoop, TaskScheduledByATaskRunsWithinTheSameAdvanceWhenDue) {
    ManualClock clock;
    MainLoop loop(clock);
    double secondAt = -1;
    loop.postAfter(1.0, [&] { loop.postAfter(1.3, [&] { secondAt = clock.now(); }); });
    loop.advance(3.0);
    EXPECT_DOUBLE_EQ(secondAt, 2.3);
}

TEST(MainLoop, RepeatingTimerFiresEachIntervalUntilInvalidated) {
    ManualClock clock;
    MainLoop loop(clock);
    int fired = 0;
    auto timer = loop.scheduledTimer(5.0, true, [&](Timer& t) {
        if (++fired == 3) t.invalidate();
    });
    loop.advance(4.9);
    EXPECT_EQ(fired, 0);
    loop.advance(0.1);
    EXPECT_EQ(fired, 1);
    loop.advance(100);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->isValid());
}

TEST(MainLoop, OneShotTimerFiresOnceAndCanBeCancelled) {
    ManualClock clock;
    MainLoop loop(clock);
    int a = 0, b = 0;
    loop.scheduledTimer(1.0, false, [&](Timer&) { ++a; });
    auto cancelled = loop.scheduledTimer(1.0, false, [&](Timer&) { ++b; });
    cancelled->invalidate();
    loop.advance(10);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
}

TEST(MainLoop, SettleWaitsForWorkPostedFromAnotherThread) {
    ManualClock clock;
    MainLoop loop(clock);
    bool delivered = false;
    loop.beginExternalWork();
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        loop.post([&] { delivered = true; });
        loop.endExternalWork();
    });
    EXPECT_TRUE(loop.settle(5.0));
    worker.join();
    EXPECT_TRUE(delivered);
    EXPECT_DOUBLE_EQ(clock.now(), 0.0);
}

TEST(MainLoop, SettleGivesUpAfterItsBound) {
    ManualClock clock;
    MainLoop loop(clock);
    loop.beginExternalWork();
    EXPECT_FALSE(loop.settle(0.05));
    loop.endExternalWork();
    EXPECT_TRUE(loop.settle(0.05));
}

TEST(MainLoop, RunReturnsAfterQuitOnTheSteadyClock) {
    SteadyClock clock;
    MainLoop loop(clock);
    int steps = 0;
    loop.postAfter(0.01, [&] {
        ++steps;
        loop.quit();
    });
    loop.run();
    EXPECT_EQ(steps, 1);
}

}  // namespace
}  // namespace tq
