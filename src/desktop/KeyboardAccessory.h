#pragma once

// A text field's keyboard toolbar (its input accessory) on the desktop, where no on-screen keyboard
// carries it: while the field is first responder, the toolbar's items show in a bar just under the
// field (above it when the window has no room below), over the views. A click or Return on an
// item taps it through BarButtonItem::tap.

#include <gtk/gtk.h>

#include <memory>

namespace tq {
class TextField;
class View;
}  // namespace tq

namespace tq::desktop {

class Mirror;

class KeyboardAccessory {
public:
    // `layer`: an overlay over the window's views, owned by the caller.
    KeyboardAccessory(GtkWidget* layer, Mirror& mirror);
    ~KeyboardAccessory();
    KeyboardAccessory(const KeyboardAccessory&) = delete;
    KeyboardAccessory& operator=(const KeyboardAccessory&) = delete;

    // Shows the toolbar of the first responder among the views of `screen` (the screen on top),
    // or none.
    void sync(const View* screen);
    // The bar shown now, and the field it belongs to; null when none is shown.
    GtkWidget* bar() const { return bar_; }
    std::shared_ptr<TextField> field() const { return field_.lock(); }

private:
    void show(const std::shared_ptr<TextField>& field);
    void hide();
    static gboolean place(GtkOverlay* overlay, GtkWidget* child, GdkRectangle* allocation, gpointer self);

    GtkWidget* layer_;
    Mirror& mirror_;
    gulong placeHandler_ = 0;
    GtkWidget* bar_ = nullptr;
    std::weak_ptr<TextField> field_;
    std::weak_ptr<View> toolbar_;
    int fieldSyncs_ = -1;  // the field's reads when the bar was filled: refilled after a change
};

}  // namespace tq::desktop
