#include "desktop/FirstFrame.h"

#include <memory>

namespace tq::desktop {
namespace {

struct Waiting {
    std::function<void()> drawn;
    gulong handler = 0;
};
using Held = std::shared_ptr<Waiting>;

// Each signal connection holds the waiting call; it goes with the last connection, whether the
// frame came or the window went first.
void release(gpointer data, GClosure*) { delete static_cast<Held*>(data); }

void afterPaint(GdkFrameClock* clock, gpointer data) {
    Held waiting = *static_cast<Held*>(data);
    auto drawn = std::move(waiting->drawn);
    g_signal_handler_disconnect(clock, waiting->handler);
    if (drawn) drawn();
}

void watchClock(GtkWidget* window, const Held& waiting) {
    waiting->handler = g_signal_connect_data(gtk_widget_get_frame_clock(window), "after-paint", G_CALLBACK(afterPaint),
                                             new Held(waiting), release, GConnectFlags(0));
}

}  // namespace

void onFirstFrame(GtkWidget* window, std::function<void()> drawn) {
    auto waiting = std::make_shared<Waiting>();
    waiting->drawn = std::move(drawn);
    if (gtk_widget_get_realized(window)) {
        watchClock(window, waiting);
        return;
    }
    // The frame clock exists once the window is realized.
    g_signal_connect_data(window, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer data) {
        Held waiting = *static_cast<Held*>(data);
        g_signal_handlers_disconnect_by_data(w, data);
        watchClock(w, waiting);
    }), new Held(waiting), release, GConnectFlags(0));
}

}  // namespace tq::desktop
