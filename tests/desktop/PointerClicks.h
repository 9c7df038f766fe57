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

// Clicks the primary button at the centre of `widget` (`button` 3: a right click).
inline bool clickWidget(GtkWidget* widget, int button = 1) {
    double x = 0, y = 0;
    if (!pointInSurface(widget, x, y)) return false;
    GdkSurface* surface = gtk_native_get_surface(gtk_widget_get_native(widget));
    if (!GDK_IS_X11_SURFACE(surface)) return false;
    const std::string window = std::to_string(gdk_x11_surface_get_xid(surface));
    const std::string px = std::to_string(int(x)), py = std::to_string(int(y)), b = std::to_string(button);
    std::vector<const char*> argv = {"xdotool", "mousemove", "--window", window.c_str(), px.c_str(), py.c_str(),
                                     "click", b.c_str(), nullptr};
    int status = -1;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                            nullptr, nullptr, &status, &error);
    if (error) g_error_free(error);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// Turns the mouse wheel up `turns` notches over the centre of `widget` with Ctrl held.
inline bool ctrlWheelOverWidget(GtkWidget* widget, int turns) {
    double x = 0, y = 0;
    if (!pointInSurface(widget, x, y)) return false;
    GdkSurface* surface = gtk_native_get_surface(gtk_widget_get_native(widget));
    if (!GDK_IS_X11_SURFACE(surface)) return false;
    const std::string window = std::to_string(gdk_x11_surface_get_xid(surface));
    const std::string px = std::to_string(int(x)), py = std::to_string(int(y));
    std::vector<const char*> argv = {"xdotool", "mousemove", "--window", window.c_str(), px.c_str(), py.c_str(),
                                     "keydown", "ctrl"};
    for (int i = 0; i < turns; ++i) argv.insert(argv.end(), {"click", "4"});
    argv.insert(argv.end(), {"keyup", "ctrl", nullptr});
    int status = -1;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                            nullptr, nullptr, &status, &error);
    if (error) g_error_free(error);
    return ran && g_spawn_check_wait_status(status, nullptr);
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
