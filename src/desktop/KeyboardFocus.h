#pragma once

// The keyboard focus of the window. Tab and Shift+Tab move it through the controls of the screen on
// top (or of the dialog shown), in reading order: top to bottom, then left to right. Buttons, the
// segments of a segmented control, switches, sliders, text fields and table rows take it; hidden,
// disabled or untouchable ones and anything of a screen underneath do not. Tab past the last row
// in sight of a table brings its next row into sight first. A focus left on a screen that is no
// longer on top is dropped, so that Return and Space never reach it. A text field that loses the
// focus (other than to its keyboard toolbar) gives up first responder, as its keyboard would go.

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace tq {
class TextField;
class View;
}  // namespace tq

namespace tq::desktop {

class KeyboardAccessory;
class Mirror;
class Presenters;

class KeyboardFocus {
public:
    KeyboardFocus(GtkWindow* window, Mirror& mirror, Presenters& presenters, KeyboardAccessory& accessory);
    ~KeyboardFocus();
    KeyboardFocus(const KeyboardFocus&) = delete;
    KeyboardFocus& operator=(const KeyboardFocus&) = delete;

    // The view of the screen on top, where the focus may go (null while a dialog is shown).
    const View* topScreen() const;
    // The controls Tab goes through now, in order.
    std::vector<GtkWidget*> chain() const;
    // Tab (`forward`) or Shift+Tab: the next control of the chain takes the focus, round the ends.
    void move(bool forward);
    // After each flush of the mirror.
    void sync();

private:
    GtkWidget* topLayer() const;
    bool canTakeFocus(GtkWidget* widget) const;
    bool moveAlongTable(GtkWidget* from, bool forward);
    std::shared_ptr<TextField> fieldOf(GtkWidget* widget) const;
    void focusFirstResponder();
    void focusChanged();

    GtkWindow* window_;
    Mirror& mirror_;
    Presenters& presenters_;
    KeyboardAccessory& accessory_;
    GtkEventController* keys_ = nullptr;
    gulong focusHandler_ = 0;
    std::weak_ptr<TextField> focusedField_;
};

}  // namespace tq::desktop
