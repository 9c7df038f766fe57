#include "desktop/FirstFrame.h"

namespace tq::desktop {
namespace {

struct Waiting {
    std::function<void()> drawn;
    gulong handler = 0;
};

void afterPaint(GdkFrameClock* clock, gpointer data) {
    auto* waiting = static_cast<Waiting*>(data);
    g_signal_handler_disconnect(clock, waiting->handler);
    auto drawn = std::move(waiting->drawn);
    delete waiting;
    if (drawn) drawn();
}

void watchClock(GtkWidget* window, Waiting* waiting) {
    waiting->handler = g_signal_connect(gtk_widget_get_frame_clock(window), "after-paint", G_CALLBACK(afterPaint), waiting);
}

}  // namespace

void onFirstFrame(GtkWidget* window, std::function<void()> drawn) {
    auto* waiting = new Waiting{std::move(drawn)};
    if (gtk_widget_get_realized(window)) {
        watchClock(window, waiting);
        return;
    }
    // The frame clock exists once the window is realized.
    g_signal_connect(window, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer data) {
        g_signal_handlers_disconnect_by_data(w, data);
        watchClock(w, static_cast<Waiting*>(data));
    }), waiting);
}

}  // namespace tq::desktop
