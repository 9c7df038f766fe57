#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace tq {

class ViewController;

// The top of a view tree: it shows its root screen's view, and the views of presented screens
// above it.
class Window : public View {
public:
    using View::View;

    std::shared_ptr<ViewController> rootViewController() const { return root_; }
    // Replaces the root screen; when the window is visible, the old root disappears and the new
    // one appears.
    void setRootViewController(std::shared_ptr<ViewController> root);
    void makeKeyAndVisible();
    bool isKeyWindow() const { return key_; }
    // The screen at the end of the root's presentation chain (the root when nothing is presented).
    std::shared_ptr<ViewController> topPresentedViewController() const;

    // The screen takes a new size (a rotation): every visible screen hears viewWillTransitionToSize
    // with its view still at the old size; then the views take the new size and are laid out; the
    // coordinator's completions run once `duration` has passed on the main loop's clock.
    void transitionToSize(Size size, double duration = 0.3);
    // The status bar of the screen the window is on, as high as the device draws it now.
    double statusBarHeight() const;

protected:
    // Each screen's view fills the window; a presented one lies above its presenter.
    Arrangement defaultArrangement() const override { return Arrangement::overlay(); }

private:
    friend class UiApplication;
    std::shared_ptr<ViewController> root_;
    bool key_ = false;
    bool visible_ = false;
};

}  // namespace tq
