#pragma once

// The application's MainLoop run inside GLib's, which owns the thread: one GSource that is ready
// when the loop was woken (a post from any thread, through the wake hook), when the window has
// changes to draw, or when the loop's next timer falls due. With a manual clock (tests) it never
// waits on time: the test moves the clock and then iterates GLib until it is idle.

#include <glib.h>

#include <atomic>
#include <functional>

namespace tq {
class MainLoop;
}

namespace tq::desktop {

class LoopSource {
public:
    // `pending` says whether something waits to be drawn; `afterTurn` draws it, once per turn.
    LoopSource(MainLoop& loop, bool manualClock, std::function<bool()> pending, std::function<void()> afterTurn);
    ~LoopSource();
    LoopSource(const LoopSource&) = delete;
    LoopSource& operator=(const LoopSource&) = delete;

    // SIGINT and SIGTERM end `run`.
    void quitOnSignals();
    // Runs GLib's loop until `quit` (or a signal).
    void run();
    void quit();
    bool isRunning() const { return running_; }
    // Tests: iterates GLib without blocking until nothing is ready, or until `until` holds. Returns
    // whether it stopped for the condition (or went idle, without one) within `realSeconds`.
    bool iterate(double realSeconds, const std::function<bool()>& until = {});

    // The GSource's callbacks.
    bool ready(int* timeoutMs);
    void dispatch();

private:
    MainLoop& loop_;
    bool manual_;
    std::function<bool()> pending_;
    std::function<void()> afterTurn_;
    GSource* source_ = nullptr;
    GMainLoop* glibLoop_ = nullptr;
    std::atomic<bool> woken_{true};
    bool running_ = false;
    guint signalSources_[2] = {0, 0};
};

}  // namespace tq::desktop
