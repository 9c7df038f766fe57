#pragma once

// Waiting inside a benchmark that draws: GLib's loop runs (blocking, so that the wait costs no
// processor time of its own) until a condition holds, and a window's painted frames are counted.

#include <gtk/gtk.h>

#include <chrono>
#include <functional>

namespace tq::bench {

// Runs GLib's default context until `done` holds; false when it did not within `seconds`.
inline bool iterateUntil(const std::function<bool()>& done, double seconds = 60) {
    // Wakes the blocking iteration now and then, so that the time limit is seen.
    guint tick = g_timeout_add(20, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool held = done();
    while (!held && std::chrono::steady_clock::now() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
        held = done();
    }
    g_source_remove(tick);
    return held;
}

// Counts the frames a window has painted (the window must be realized).
class PaintedFrames {
public:
    explicit PaintedFrames(GtkWidget* window) : clock_(gtk_widget_get_frame_clock(window)) {
        handler_ = g_signal_connect(clock_, "after-paint", G_CALLBACK(+[](GdkFrameClock*, gpointer count) {
            ++*static_cast<int*>(count);
        }), &count_);
    }
    ~PaintedFrames() { g_signal_handler_disconnect(clock_, handler_); }
    PaintedFrames(const PaintedFrames&) = delete;
    PaintedFrames& operator=(const PaintedFrames&) = delete;
    int count() const { return count_; }

private:
    GdkFrameClock* clock_;
    gulong handler_ = 0;
    int count_ = 0;
};

}  // namespace tq::bench
