#pragma once

// Real pointer clicks for the window under Xvfb: xdotool moves the X pointer over a widget and
// presses the button, so the click travels the whole way a person's does (X server, GDK, GTK's
// picking and gestures) before it reaches the application.

#include <gdk/x11/gdkx.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace tq::test {

// Where the centre of `widget` lies in its X window; false when it is not on screen.
inline bool pointInSurface(GtkWidget* widget, double& x, double& y) {
    GtkNative* native = gtk_widget_get_native(widget);
    if (!native || !gtk_widget_get_mapped(widget)) return false;
    const graphene_point_t centre =
        GRAPHENE_POINT_INIT(float(gtk_widget_get_width(widget)) / 2, float(gtk_widget_get_height(widget)) / 2);
    graphene_point_t at;
    if (!gtk_widget_compute_point(widget, GTK_WIDGET(native), &centre, &at)) return false;
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(native, &sx, &sy);
    x = at.x + sx;
    y = at.y + sy;
    return true;
}

// Runs xdotool on the X window of `widget` with `arguments` after the window's id.
inline bool xdotoolOnWindowOf(GtkWidget* widget, const char* command, const std::vector<std::string>& arguments) {
    GtkNative* native = gtk_widget_get_native(widget);
    GdkSurface* surface = native ? gtk_native_get_surface(native) : nullptr;
    if (!surface || !GDK_IS_X11_SURFACE(surface)) return false;
    const std::string window = std::to_string(gdk_x11_surface_get_xid(surface));
    std::vector<const char*> argv = {"xdotool", command, "--window", window.c_str()};
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    int status = -1;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                            nullptr, nullptr, &status, &error);
    if (error) g_error_free(error);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// Where (x, y) of `widget` lies in its X window, as xdotool's "mousemove --window" arguments.
inline bool surfacePoint(GtkWidget* widget, double x, double y, std::vector<std::string>& arguments) {
    GtkNative* native = gtk_widget_get_native(widget);
    if (!native || !gtk_widget_get_mapped(widget)) return false;
    const graphene_point_t point = GRAPHENE_POINT_INIT(float(x), float(y));
    graphene_point_t at;
    if (!gtk_widget_compute_point(widget, GTK_WIDGET(native), &point, &at)) return false;
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(native, &sx, &sy);
    arguments = {std::to_string(int(at.x + sx)), std::to_string(int(at.y + sy))};
    return true;
}

// Clicks at (x, y) in `widget`'s coordinates (`button` 3: a right click).
inline bool clickAt(GtkWidget* widget, double x, double y, int button = 1) {
    std::vector<std::string> arguments;
    if (!surfacePoint(widget, x, y, arguments)) return false;
    arguments.insert(arguments.end(), {"click", std::to_string(button)});
    return xdotoolOnWindowOf(widget, "mousemove", arguments);
}

// Clicks the primary button at the centre of `widget` (`button` 3: a right click).
inline bool clickWidget(GtkWidget* widget, int button = 1) {
    return clickAt(widget, gtk_widget_get_width(widget) / 2.0, gtk_widget_get_height(widget) / 2.0, button);
}

// Presses and releases a key (an X key name: "Escape", "Return") as the keyboard does: with the
// pointer over `widget`, so that the X server gives the key to its window.
inline bool pressKey(GtkWidget* widget, const std::string& key) {
    std::vector<std::string> arguments;
    if (!surfacePoint(widget, gtk_widget_get_width(widget) / 2.0, gtk_widget_get_height(widget) / 2.0, arguments)) {
        return false;
    }
    arguments.insert(arguments.end(), {"key", key});
    return xdotoolOnWindowOf(widget, "mousemove", arguments);
}

// The first widget below `root` (itself included) that `match` accepts.
template <class Match>
GtkWidget* findWidget(GtkWidget* root, const Match& match) {
    if (match(root)) return root;
    for (GtkWidget* child = gtk_widget_get_first_child(root); child; child = gtk_widget_get_next_sibling(child)) {
        if (GtkWidget* found = findWidget(child, match)) return found;
    }
    return nullptr;
}

// A button below `root` whose label reads `label`.
inline GtkWidget* buttonLabelled(GtkWidget* root, const std::string& label) {
    return findWidget(root, [&](GtkWidget* w) {
        if (!GTK_IS_BUTTON(w) || !gtk_widget_get_mapped(w)) return false;
        const char* text = gtk_button_get_label(GTK_BUTTON(w));
        return text && label == text;
    });
}

}  // namespace tq::test
