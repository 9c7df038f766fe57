#pragma once

// Screens presented by kind, drawn in a layer above the window's views: an alert as a modal
// dialog, the share sheet as a dialog listing what can be shared with a copy-link action, and the
// progress overlay. (Popovers and the full-window video player are views of their own, drawn by
// the mirror.) They follow the presentation chain once per turn.

#include <gtk/gtk.h>

#include <memory>

namespace tq {
class Window;
class ViewController;
}  // namespace tq

namespace tq::desktop {

class Presenters {
public:
    // `layer`: an overlay widget over the window's views, owned by the caller.
    Presenters(GtkWidget* layer, std::shared_ptr<Window> window);
    ~Presenters();
    Presenters(const Presenters&) = delete;
    Presenters& operator=(const Presenters&) = delete;

    void sync();
    // Escape: cancels an alert or a share sheet. Returns whether there was one.
    bool cancel();
    // The dialog shown now, if any (tests click its buttons).
    GtkWidget* dialog() const { return dialog_; }

private:
    void show(const std::shared_ptr<ViewController>& screen);
    void clear();
    GtkWidget* layer_;
    std::shared_ptr<Window> window_;
    std::weak_ptr<ViewController> shown_;
    GtkWidget* dialog_ = nullptr;
    GtkWidget* progress_ = nullptr;
    GtkWidget* progressLabel_ = nullptr;
};

}  // namespace tq::desktop
