#pragma once

// Connecting C++ callables to GTK signals: the callable lives as long as the connection.

#include <gtk/gtk.h>

#include <functional>

namespace tq::desktop {

// For signals whose handler takes only the sender ("clicked", "activate", "changed", ...).
inline gulong onSignal(gpointer instance, const char* signal, std::function<void()> handler) {
    auto* closure = new std::function<void()>(std::move(handler));
    return g_signal_connect_data(
        instance, signal, G_CALLBACK(+[](gpointer, gpointer data) { (*static_cast<std::function<void()>*>(data))(); }),
        closure, +[](gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); }, GConnectFlags(0));
}

// A click gesture's release at (x, y) in the widget's coordinates.
inline void onClick(GtkWidget* widget, std::function<void(double, double)> handler, bool capture = false) {
    GtkGesture* click = gtk_gesture_click_new();
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(click), GDK_BUTTON_PRIMARY);
    if (capture) gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(click), GTK_PHASE_CAPTURE);
    auto* closure = new std::function<void(double, double)>(std::move(handler));
    g_signal_connect_data(
        click, "released",
        G_CALLBACK(+[](GtkGestureClick*, int, double x, double y, gpointer data) {
            (*static_cast<std::function<void(double, double)>*>(data))(x, y);
        }),
        closure, +[](gpointer data, GClosure*) { delete static_cast<std::function<void(double, double)>*>(data); },
        GConnectFlags(0));
    gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(click));
}

// Runs `action` with a signal handler blocked, so that showing the view's state on a widget is
// not taken for a person's input.
inline void withHandlerBlocked(gpointer instance, gulong handler, const std::function<void()>& action) {
    if (handler) g_signal_handler_block(instance, handler);
    action();
    if (handler) g_signal_handler_unblock(instance, handler);
}

}  // namespace tq::desktop
