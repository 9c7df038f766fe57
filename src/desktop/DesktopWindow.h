#pragma once

// The application's window on the desktop: the window is the device. It shows the key Window's
// view tree at the device's size, with a header bar whose button (and Ctrl+R) turns the device,
// routes keys (Tab moves the focus through the screen on top, see KeyboardFocus; Return activates;
// Escape goes back or cancels an alert), and draws the changes once per turn of the application's
// loop.

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "platform/foundation/Device.h"

namespace tq {
class Environment;
class Window;
}  // namespace tq

namespace tq::desktop {

class Images;
class KeyboardAccessory;
class KeyboardFocus;
class LoopSource;
class Mirror;
class Presenters;

// The device a window stands for.
struct DeviceChoice {
    DeviceIdiom idiom = DeviceIdiom::pad;
    Size size{1024, 768};
    static DeviceChoice tablet() { return {DeviceIdiom::pad, {1024, 768}}; }
    static DeviceChoice phone() { return {DeviceIdiom::phone, {375, 812}}; }
    // Describes the device to the application before it launches.
    void applyTo(DeviceDescription& device) const;
};

// Whether a display can be opened; GTK is initialised when it can.
bool openDisplay();

class DesktopWindow {
public:
    // Draws `window` (the application's key window) from now on. `onClose` runs when a person
    // closes the window.
    DesktopWindow(Environment& env, std::shared_ptr<Window> window, std::function<void()> onClose = {});
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_); }
    Mirror& mirror() const { return *mirror_; }
    Presenters& presenters() const { return *presenters_; }
    KeyboardAccessory& keyboardAccessory() const { return *accessory_; }
    KeyboardFocus& keyboardFocus() const { return *focus_; }
    // The widget that stands for the device's screen.
    GtkWidget* screen() const;

    bool hasPendingChanges() const;
    // Draws what changed since the last turn: the mirror's flush, the presented dialogs, the size.
    void flush();
    // Turns the device between portrait and landscape.
    void rotate();
    // What closing the window does: the program quits.
    void close();
    // Escape: cancels the dialog shown, else goes back one screen.
    bool goBack();

private:
    Environment& env_;
    std::shared_ptr<Window> tree_;
    std::unique_ptr<Images> images_;
    std::shared_ptr<Mirror> mirror_;
    std::unique_ptr<Presenters> presenters_;
    std::unique_ptr<KeyboardAccessory> accessory_;
    std::unique_ptr<KeyboardFocus> focus_;
    GtkWidget* window_ = nullptr;
    GtkWidget* stage_ = nullptr;
    std::function<void()> onClose_;
};

}  // namespace tq::desktop
