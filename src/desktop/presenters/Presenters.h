#pragma once

// Screens presented by kind, drawn in a layer above the window's views: an alert as a modal
// dialog, the share sheet as a dialog listing what can be shared with a copy-link action, and the
// progress overlay. Screens with views of their own are drawn by the mirror; the presenters only
// place a popover next to what it points at (Popovers.h) and put the system player's controls
// over its picture. They follow the presentation chain once per turn.

#include <gtk/gtk.h>

#include <memory>

namespace tq {
class Window;
class ViewController;
}  // namespace tq

namespace tq::desktop {

class Mirror;
class Popovers;
class PlayerControls;

class Presenters {
public:
    // `layer`: an overlay widget over the mirror's root, owned by the caller.
    Presenters(GtkWidget* layer, std::shared_ptr<Window> window, Mirror& mirror);
    ~Presenters();
    Presenters(const Presenters&) = delete;
    Presenters& operator=(const Presenters&) = delete;

    void sync();
    // Escape: cancels an alert or a share sheet, leaves the video player or closes a popover. Returns whether there was one.
    bool cancel();
    // The dialog shown now, if any (tests click its buttons).
    GtkWidget* dialog() const { return dialog_; }
    Popovers& popovers() const { return *popovers_; }
    PlayerControls& playerControls() const { return *playerControls_; }

private:
    void show(const std::shared_ptr<ViewController>& screen);
    void clear();
    GtkWidget* layer_;
    std::shared_ptr<Window> window_;
    std::weak_ptr<ViewController> shown_;
    GtkWidget* dialog_ = nullptr;
    GtkWidget* progress_ = nullptr;
    GtkWidget* progressLabel_ = nullptr;
    std::unique_ptr<Popovers> popovers_;
    std::unique_ptr<PlayerControls> playerControls_;
};

}  // namespace tq::desktop
