#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/Clock.h"

namespace tq {

class MainLoop;

// A one-shot or repeating timer on the main loop. Invalidating it (or destroying the loop)
// stops further firings; a timer that is not kept by anyone still fires until invalidated.
class Timer {
public:
    void invalidate();
    bool isValid() const { return valid_; }
    double interval() const { return interval_; }
    bool repeats() const { return repeats_; }

private:
    friend class MainLoop;
    Timer(double interval, bool repeats, std::function<void(Timer&)> block)
        : interval_(interval), repeats_(repeats), block_(std::move(block)) {}
    double interval_;
    bool repeats_;
    bool valid_ = true;
    std::function<void(Timer&)> block_;
};

// A handle on the main loop for work on other threads (a streaming thread, an I/O thread, a
// library's callback) that may still run when the loop is gone. A post through it reaches the
// loop while the loop exists; the loop closes its gate as it is destroyed, and from then on a
// post is dropped. Closing waits for a post under way. Thread-safe.
class LoopGate {
public:
    using Task = std::function<void()>;

    // Queues the task on the loop, as `MainLoop::post` does; false once the gate is closed, and
    // the task is let go on the caller's thread.
    bool post(Task task);
    bool isOpen() const;

private:
    friend class MainLoop;
    explicit LoopGate(MainLoop& loop) : loop_(&loop) {}
    void close();

    mutable std::mutex mutex_;
    MainLoop* loop_;
};

// The application's one thread of work. Every reply, timer, delayed step and notification runs
// here. `post` is the only entry that other threads may call, and only while the loop surely
// exists; work that may outlive it posts through `gate()`.
//
// Another event loop (a GUI toolkit's, which owns the thread) can drive this one as one of its
// sources: it sets a wake hook, and on each wake-up, or once `nextDue()` has come, calls
// `runPending()` on its own thread. `run()` is for a program with no other loop.
class MainLoop {
public:
    using Task = std::function<void()>;

    explicit MainLoop(Clock& clock);
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    Clock& clock() { return clock_; }
    double now() const { return clock_.now(); }

    // Thread-safe: queue a task for the next turn of the loop.
    void post(Task task);
    // The handle for threads that may outlive the loop: kept by them, closed by this loop's end.
    std::shared_ptr<LoopGate> gate() const { return gate_; }
    // Run a task once `seconds` have passed on the loop's clock.
    void postAfter(double seconds, Task task);
    std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, std::function<void(Timer&)> block);

    // Work that is in flight outside the loop (an HTTP transfer, say). While any is pending,
    // `settle` keeps waiting for its result to be posted.
    void beginExternalWork();
    void endExternalWork();
    int externalWorkInFlight() const;

    // Called whenever work is posted or scheduled, from whichever thread did it: the driving loop
    // should wake and call `runPending` (and look at `nextDue` again). Keep it short and
    // thread-safe; it must not call back into this loop. Once `setWakeHook` returns, the hook it
    // replaced is no longer running on any thread, so its owner may go.
    void setWakeHook(std::function<void()> hook);
    // The clock time at which the next scheduled task or live timer falls due; nothing when none
    // is scheduled. Tasks posted for the next turn are announced through the wake hook instead.
    std::optional<double> nextDue() const;

    // Runs the posted tasks that are queued now and the timers already due; returns how many ran.
    int runPending();
    // Program loop: runs until `quit`, sleeping until the next task or timer.
    void run();
    void quit();

    // Tests: run posted work until nothing is queued and nothing is in flight, without moving the
    // clock, waiting at most `realSeconds` of real time for outside work. Returns whether it settled.
    bool settle(double realSeconds = 10.0);
    // Tests with a manual clock: move time forward, running everything that falls due, in order.
    void advance(double seconds);

private:
    struct Scheduled {
        Task task;
        std::shared_ptr<Timer> timer;  // for a timer's firing: skipped by nextDue once invalidated
    };
    bool runDueTimers();
    void fireTimer(const std::shared_ptr<Timer>& timer);
    void scheduleAt(double when, Task task, std::shared_ptr<Timer> timer = nullptr);
    void wakeDriver();

    Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> posted_;
    int external_ = 0;
    bool quit_ = false;
    // Keyed by (due time, sequence) so that equal due times run in the order they were scheduled.
    std::map<std::pair<double, std::uint64_t>, Scheduled> scheduled_;
    std::uint64_t sequence_ = 0;
    // Held while the hook runs, so that a hook being replaced is never still running.
    std::mutex hookMutex_;
    std::function<void()> wakeHook_;
    std::shared_ptr<LoopGate> gate_;
};

}  // namespace tq
