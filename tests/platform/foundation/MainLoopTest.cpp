#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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

// A loop driven by another loop: the hook is how the other loop learns there is work, from any
// thread; nextDue is when it must come back for the timers.
TEST(MainLoopDriven, APostFromAnotherThreadCallsTheWakeHookAndRunsOnTheDriverTurn) {
    ManualClock clock;
    MainLoop loop(clock);
    std::atomic<int> wakes{0};
    std::atomic<bool> wokenFromWorker{false};
    const auto mainThread = std::this_thread::get_id();
    loop.setWakeHook([&] {
        ++wakes;
        if (std::this_thread::get_id() != mainThread) wokenFromWorker = true;
    });
    bool ran = false;
    std::thread worker([&] { loop.post([&] { ran = true; }); });
    worker.join();
    EXPECT_EQ(wakes.load(), 1);
    EXPECT_TRUE(wokenFromWorker.load());
    EXPECT_FALSE(ran);  // nothing runs until the driver turns the loop
    EXPECT_EQ(loop.runPending(), 1);
    EXPECT_TRUE(ran);
}

TEST(MainLoopDriven, SchedulingCallsTheWakeHookAndATimerRescheduleDoesToo) {
    ManualClock clock;
    MainLoop loop(clock);
    int wakes = 0;
    loop.setWakeHook([&] { ++wakes; });
    loop.postAfter(2.0, [] {});
    EXPECT_EQ(wakes, 1);
    auto timer = loop.scheduledTimer(1.0, true, [](Timer&) {});
    EXPECT_EQ(wakes, 2);
    loop.advance(1.0);  // the repeating timer fires and schedules its next firing
    EXPECT_EQ(wakes, 3);
    timer->invalidate();
    loop.setWakeHook(nullptr);
    loop.post([] {});
    EXPECT_EQ(wakes, 3);
}

TEST(MainLoopDriven, NextDueFollowsTimersAsTheyAreAddedFiredAndCancelled) {
    ManualClock clock;
    MainLoop loop(clock);
    EXPECT_EQ(loop.nextDue(), std::nullopt);
    loop.post([] {});
    EXPECT_EQ(loop.nextDue(), std::nullopt);  // posted work is the wake hook's business

    auto later = loop.scheduledTimer(5.0, false, [](Timer&) {});
    EXPECT_EQ(loop.nextDue(), 5.0);
    auto sooner = loop.scheduledTimer(2.0, true, [](Timer&) {});
    EXPECT_EQ(loop.nextDue(), 2.0);
    loop.postAfter(3.0, [] {});
    EXPECT_EQ(loop.nextDue(), 2.0);

    loop.advance(2.0);  // the repeating one fires and comes due again at 4
    EXPECT_EQ(loop.nextDue(), 3.0);
    loop.advance(1.0);
    EXPECT_EQ(loop.nextDue(), 4.0);
    sooner->invalidate();
    EXPECT_EQ(loop.nextDue(), 5.0);
    later->invalidate();
    EXPECT_EQ(loop.nextDue(), std::nullopt);
    loop.advance(10.0);
    EXPECT_EQ(loop.nextDue(), std::nullopt);
}

TEST(MainLoopDriven, ADriverThatSleepsUntilNextDueRunsEveryTaskInOrder) {
    ManualClock clock;
    MainLoop loop(clock);
    std::vector<double> ranAt;
    loop.postAfter(0.75, [&] { ranAt.push_back(clock.now()); });
    loop.postAfter(0.5, [&] {
        ranAt.push_back(clock.now());
        loop.postAfter(1.0, [&] { ranAt.push_back(clock.now()); });
    });
    // The other loop's turn: run what is ready, then sleep (here: move the clock) until nextDue.
    for (int turn = 0; turn < 10; ++turn) {
        loop.runPending();
        auto due = loop.nextDue();
        if (!due) break;
        clock.setNow(*due);
    }
    EXPECT_EQ(ranAt, (std::vector<double>{0.5, 0.75, 1.5}));
}

// Threads that may outlive the loop post through its gate: the loop closes it as it goes.
TEST(LoopGate, APostReachesTheLoopWhileItIsThereAndIsDroppedOnceItHasGone) {
    ManualClock clock;
    auto loop = std::make_unique<MainLoop>(clock);
    auto gate = loop->gate();
    bool ran = false;
    EXPECT_TRUE(gate->isOpen());
    EXPECT_TRUE(gate->post([&] { ran = true; }));
    loop->runPending();
    EXPECT_TRUE(ran);

    loop.reset();
    EXPECT_FALSE(gate->isOpen());
    auto held = std::make_shared<int>(0);
    EXPECT_FALSE(gate->post([held] { ++*held; }));
    EXPECT_EQ(held.use_count(), 1) << "the dropped task is let go at once";
}

TEST(LoopGate, PostsFromAnotherThreadWhileTheLoopGoesAreEachQueuedOrDropped) {
    ManualClock clock;
    auto loop = std::make_unique<MainLoop>(clock);
    auto gate = loop->gate();
    auto token = std::make_shared<int>(0);
    std::mutex mutex;
    std::condition_variable started;
    bool posting = false;
    int accepted = 0;
    int dropped = 0;
    std::thread poster([&] {
        // Posts until the gate refuses, as a streaming thread would while the program quits.
        for (;;) {
            bool queued = gate->post([token] { ++*token; });
            if (queued && ++accepted == 100) {
                std::lock_guard lock(mutex);
                posting = true;
                started.notify_all();
            }
            if (!queued) {
                ++dropped;
                return;
            }
            if (accepted >= 100) std::this_thread::yield();  // the queue need not grow while the loop goes
        }
    });
    {
        std::unique_lock lock(mutex);
        started.wait(lock, [&] { return posting; });
    }
    loop.reset();  // while the other thread is still posting
    poster.join();
    EXPECT_GE(accepted, 100);
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(*token, 0) << "nothing ran: the loop never turned";
    EXPECT_EQ(token.use_count(), 1) << "every queued task went with the loop, every refused one at once";
}

// A driver that sets its hook aside may go at once: no post is still inside the old hook.
TEST(MainLoopDriven, AHookSetAsideIsNotRunningWhenSetWakeHookReturns) {
    ManualClock clock;
    MainLoop loop(clock);
    std::atomic<bool> driverGone{false};
    std::atomic<int> callsAfterGone{0};
    std::atomic<bool> stop{false};
    std::atomic<int> wakes{0};
    loop.setWakeHook([&] {
        ++wakes;
        if (driverGone) ++callsAfterGone;
    });
    std::thread poster([&] {
        while (!stop) loop.post([] {});
    });
    while (wakes < 100) loop.runPending();
    loop.setWakeHook(nullptr);
    driverGone = true;
    stop = true;
    poster.join();
    EXPECT_EQ(callsAfterGone.load(), 0);
}

}  // namespace
}  // namespace tq
