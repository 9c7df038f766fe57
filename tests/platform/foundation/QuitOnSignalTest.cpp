#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/foundation/Clock.h"
#include "platform/foundation/MainLoop.h"
#include "platform/foundation/QuitOnSignal.h"

namespace tq {
namespace {

// Keeps the loop's lock busy: while `busy`, the task posts itself again on every turn.
void keepBusy(MainLoop& loop, std::atomic<long>& turns, std::atomic<bool>& busy) {
    if (!busy) return;
    ++turns;
    loop.post([&loop, &turns, &busy] { keepBusy(loop, turns, busy); });
}

// Signals that land while the loop's thread holds the loop's lock used to deadlock the program.
TEST(QuitOnSignal, ABusyLoopQuitsUnderAStormOfSignals) {
    SteadyClock clock;
    MainLoop loop(clock);
    QuitOnSignal quit(loop, {SIGINT, SIGTERM});
    const pthread_t loopThread = pthread_self();
    std::atomic<long> turns{0};
    int roundsUnderLoad = 0;

    for (int round = 0; round < 25; ++round) {
        std::atomic<bool> busy{true};
        std::atomic<bool> returned{false};
        const long before = turns;
        std::thread sender([&] {
            // Once the loop is at work, signal its own thread again and again until it returns.
            while (turns < before + 100 && !returned) std::this_thread::yield();
            while (!returned) {
                pthread_kill(loopThread, round % 2 ? SIGTERM : SIGINT);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        loop.post([&] { keepBusy(loop, turns, busy); });
        loop.run();
        returned = true;
        sender.join();
        busy = false;
        loop.runPending();
        // A signal of the last storm may still end the next round at once; most rounds run loaded.
        if (turns >= before + 100) ++roundsUnderLoad;
    }
    EXPECT_GE(roundsUnderLoad, 10);
}

}  // namespace
}  // namespace tq
