#include "platform/ui/Window.h"

#include "platform/foundation/DispatchScope.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/ViewController.h"

namespace tq {

double Window::statusBarHeight() const { return Environment::current().device().statusBarHeight(); }

void Window::setRootViewController(std::shared_ptr<ViewController> root) {
    if (root == root_) return;
    if (root && (root->parent() || root->presentingViewController())) return;  // shown elsewhere already
    auto previous = root_;
    if (previous && visible_) previous->beginAppearance(false, false);
    if (previous) {
        DispatchScope::hold(previous);
        if (previous->isViewLoaded()) previous->view().removeFromSuperview();
        previous->window_.reset();
    }
    root_ = std::move(root);
    if (root_) {
        root_->window_ = std::static_pointer_cast<Window>(shared_from_this());
        if (visible_) root_->beginAppearance(true, false);
        auto rootView = root_->viewPointer();
        rootView->setFrame(bounds());
        root_->viewDidResize();
        insertSubview(rootView, 0);
    }
    if (previous && visible_) previous->endAppearance(false, false);
    if (root_ && visible_) root_->endAppearance(true, false);
}

void Window::makeKeyAndVisible() {
    if (Environment::hasCurrent()) UiApplication::shared().makeKey(*this);
    setHidden(false);
    if (visible_) return;
    visible_ = true;
    if (root_) {
        root_->beginAppearance(true, false);
        root_->endAppearance(true, false);
    }
}

std::shared_ptr<ViewController> Window::topPresentedViewController() const {
    auto top = root_;
    while (top && top->presentedViewController()) top = top->presentedViewController();
    return top;
}

void Window::transitionToSize(Size size, double duration) {
    TransitionCoordinator coordinator(size, duration);
    if (root_) root_->transitionToSize(size, coordinator);
    setFrame(Rect(frame().origin.x, frame().origin.y, size.width, size.height));
    if (root_) root_->resizeForTransition(size);
    layoutIfNeeded();
    auto completions = coordinator.takeCompletions();
    if (completions.empty() || !Environment::hasCurrent()) return;
    Environment::current().loop().postAfter(duration, [completions = std::move(completions)] {
        for (const auto& completion : completions) completion();
    });
}

}  // namespace tq
