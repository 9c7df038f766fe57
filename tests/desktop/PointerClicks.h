#pragma once

// Real pointer clicks, drags and key presses for the window under Xvfb: xdotool moves the X
// pointer over a widget and presses the button (or presses keys on the window), so the event
// travels the whole way a person's does (X server, GDK, GTK's picking, gestures and focus) before
// it reaches the application.

#include <gdk/x11/gdkx.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace tq::test {

// Where a point of `widget` lies in its X window, given as fractions of its width and height (the
// centre by default); false when it is not on screen.
inline bool pointInSurface(GtkWidget* widget, double& x, double& y, double across = 0.5, double down = 0.5) {
    GtkNative* native = gtk_widget_get_native(widget);
    if (!native || !gtk_widget_get_mapped(widget)) return false;
    const graphene_point_t centre = GRAPHENE_POINT_INIT(float(gtk_widget_get_width(widget) * across),
                                                        float(gtk_widget_get_height(widget) * down));
    graphene_point_t at;
    if (!gtk_widget_compute_point(widget, GTK_WIDGET(native), &centre, &at)) return false;
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(native, &sx, &sy);
    x = at.x + sx;
    y = at.y + sy;
    return true;
}

// Runs xdotool with `args`; whether it ran and succeeded.
inline bool runXdotool(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"xdotool"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    int status = -1;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, const_cast<char**>(argv.data()), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                            nullptr, nullptr, &status, &error);
    if (error) g_error_free(error);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// The X window `widget` is drawn in, as xdotool names it; empty when it is not on an X surface.
inline std::string xWindowOf(GtkWidget* widget) {
    GtkNative* native = gtk_widget_get_native(widget);
    GdkSurface* surface = native ? gtk_native_get_surface(native) : nullptr;
    if (!surface || !GDK_IS_X11_SURFACE(surface)) return {};
    return std::to_string(gdk_x11_surface_get_xid(surface));
}

// Clicks the primary button at the centre of `widget` (`button` 3: a right click).
inline bool clickWidget(GtkWidget* widget, int button = 1) {
    double x = 0, y = 0;
    const std::string window = xWindowOf(widget);
    if (!pointInSurface(widget, x, y) || window.empty()) return false;
    return runXdotool({"mousemove", "--window", window, std::to_string(int(x)), std::to_string(int(y)), "click",
                       std::to_string(button)});
}

// Clicks at (x, y) in `widget`'s own coordinates (`button` 3: a right click).
inline bool clickAt(GtkWidget* widget, double x, double y, int button = 1) {
    const double width = gtk_widget_get_width(widget), height = gtk_widget_get_height(widget);
    double sx = 0, sy = 0;
    const std::string window = xWindowOf(widget);
    if (width <= 0 || height <= 0 || window.empty() || !pointInSurface(widget, sx, sy, x / width, y / height)) {
        return false;
    }
    return runXdotool({"mousemove", "--window", window, std::to_string(int(sx)), std::to_string(int(sy)), "click",
                       std::to_string(button)});
}

// Presses and releases a key (an X key name: "Escape", "Return") with the pointer over `widget`, so
// that the X server gives the key to the surface under it (a popover's as well as the window's).
inline bool pressKey(GtkWidget* widget, const std::string& key) {
    double x = 0, y = 0;
    const std::string window = xWindowOf(widget);
    if (!pointInSurface(widget, x, y) || window.empty()) return false;
    return runXdotool({"mousemove", "--window", window, std::to_string(int(x)), std::to_string(int(y)), "key", key});
}

// Presses the primary button on `widget` (at its centre, or `across` its width), moves the pointer
// by (dx, dy) in a few steps as a hand moves a mouse, and lets go. The path must stay in the window.
inline bool dragWidget(GtkWidget* widget, double dx, double dy, double across = 0.5) {
    double x = 0, y = 0;
    const std::string window = xWindowOf(widget);
    if (!pointInSurface(widget, x, y, across) || window.empty() || x + dx < 0 || y + dy < 0) return false;
    std::vector<std::string> args = {"mousemove", "--window", window, std::to_string(int(x)), std::to_string(int(y)),
                                     "mousedown", "1"};
    constexpr int kSteps = 5;
    for (int step = 1; step <= kSteps; ++step) {
        args.insert(args.end(), {"mousemove", "--window", window, std::to_string(int(x + dx * step / kSteps)),
                                 std::to_string(int(y + dy * step / kSteps))});
    }
    args.insert(args.end(), {"mouseup", "1"});
    return runXdotool(args);
}

// Presses `keys` (xdotool's names: "Tab", "shift+Tab", "Return", "space", "Escape") on the window
// `widget` is drawn in, as from the keyboard: the X server's input focus goes to that window first.
inline bool pressKeys(GtkWidget* widget, const std::vector<std::string>& keys) {
    const std::string window = xWindowOf(widget);
    if (window.empty()) return false;
    std::vector<std::string> args = {"windowfocus", "--sync", window, "key", "--clearmodifiers"};
    args.insert(args.end(), keys.begin(), keys.end());
    return runXdotool(args);
}

// Turns the mouse wheel up `turns` notches over the centre of `widget` with Ctrl held.
inline bool ctrlWheelOverWidget(GtkWidget* widget, int turns) {
    double x = 0, y = 0;
    const std::string window = xWindowOf(widget);
    if (!pointInSurface(widget, x, y) || window.empty()) return false;
    std::vector<std::string> args = {"mousemove", "--window", window, std::to_string(int(x)), std::to_string(int(y)),
                                     "keydown", "ctrl"};
    for (int i = 0; i < turns; ++i) args.insert(args.end(), {"click", "4"});
    args.insert(args.end(), {"keyup", "ctrl"});
    return runXdotool(args);
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
