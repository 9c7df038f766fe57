#pragma once

// Helpers for screen tests that act as a person would. Header-only, so that test programs that do
// not use the view toolkit need not link it.

#include <memory>
#include <string>

#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace tq::test {

// Puts `root` on screen in a new key window: it loads and appears, as at start-up.
inline std::shared_ptr<Window> showInWindow(std::shared_ptr<ViewController> root) {
    return UiApplication::shared().showWindow(std::move(root));
}

// A view of type T named `identifier` in the screen's view tree (loading the view), or null.
template <class T>
T* findView(ViewController& screen, const std::string& identifier) {
    return dynamic_cast<T*>(screen.view().viewWithIdentifier(identifier));
}

// The end of the presentation chain that starts at `screen` (or its container); null when the
// screen presents nothing.
inline std::shared_ptr<ViewController> topPresented(const ViewController& screen) {
    auto top = screen.presentedViewController();
    while (top && top->presentedViewController()) top = top->presentedViewController();
    return top;
}

// The top-most presented screen of the key window, or null when nothing is presented there.
inline std::shared_ptr<ViewController> topPresented() {
    auto window = UiApplication::shared().keyWindow();
    auto root = window ? window->rootViewController() : nullptr;
    return root ? topPresented(*root) : nullptr;
}

// The alert on top of the key window, if the top-most presented screen is one.
inline std::shared_ptr<AlertController> topAlert() {
    return std::dynamic_pointer_cast<AlertController>(topPresented());
}
inline std::shared_ptr<AlertController> topAlert(const ViewController& screen) {
    return std::dynamic_pointer_cast<AlertController>(topPresented(screen));
}

// Taps the button titled `title` of the alert on top of the key window. False when no alert is
// shown or it has no such button.
inline bool tapAlertButton(const std::string& title) {
    auto alert = topAlert();
    return alert && alert->tap(title);
}
inline bool tapAlertButton(const ViewController& screen, const std::string& title) {
    auto alert = topAlert(screen);
    return alert && alert->tap(title);
}

inline std::shared_ptr<ActivityViewController> topShareSheet() {
    return std::dynamic_pointer_cast<ActivityViewController>(topPresented());
}

// Taps the button named `identifier` on the screen; false when there is none or it took no touch.
inline bool tapButton(ViewController& screen, const std::string& identifier) {
    auto* button = findView<Button>(screen, identifier);
    return button && button->tap();
}

// Turns the device; every window's screens hear of the new size.
inline void rotate(DeviceOrientation orientation) { UiApplication::shared().rotate(orientation); }

}  // namespace tq::test
