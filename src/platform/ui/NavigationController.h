#pragma once

#include <memory>
#include <vector>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/ViewController.h"

namespace tq {

// One change of the navigation stack, kept so that tests can read what was asked (and whether
// it was animated).
struct NavigationOperation {
    enum class Kind { push, pop, popToRoot, popTo, setStack };
    Kind kind;
    bool animated;
};

// A stack of screens under a navigation bar. Changes take effect at once; when the controller is
// on screen, the screen leaving gets viewWillDisappear/viewDidDisappear and the screen arriving
// viewWillAppear/viewDidAppear before the call returns.
class NavigationController : public ViewController {
public:
    NavigationController();
    explicit NavigationController(std::shared_ptr<ViewController> root);

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return children(); }
    std::shared_ptr<ViewController> topViewController() const;
    // What the person sees: the screen presented over the stack, else the top screen.
    std::shared_ptr<ViewController> visibleViewController() const;

    // Refused (false) for a screen that is already in a stack, presented, or this controller.
    bool pushViewController(std::shared_ptr<ViewController> controller, bool animated);
    // The popped screen, or null when only the root is left.
    std::shared_ptr<ViewController> popViewController(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
    // Pops down to `controller`; nothing happens when it is not in the stack.
    std::vector<std::shared_ptr<ViewController>> popToViewController(const ViewController& controller, bool animated);
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated);

    NavigationBar& navigationBar() { return *bar_; }
    std::shared_ptr<NavigationBar> navigationBarPointer() const { return bar_; }
    bool isNavigationBarHidden() const { return bar_->isHidden(); }
    void setNavigationBarHidden(bool hidden, bool animated = false);

    const std::vector<NavigationOperation>& operations() const { return operations_; }
    // Whether the back button shows for the top screen.
    bool isBackButtonShown() const;
    // The back button's title: the previous screen's back item or title, else the platform's
    // generic title in its language; empty when the previous screen asks for the minimal button.
    std::string backButtonTitle() const;
    // A person taps the back button: pops the top screen, animated, if the button shows and the
    // bar takes touches.
    bool tapBackButton();

protected:
    void loadView() override;
    std::vector<std::shared_ptr<ViewController>> visibleChildren() const override;
    void viewDidResize() override { placeViews(); }

private:
    bool canJoin(const ViewController& controller) const;
    void installTopView();
    // The top screen's view lies under the bar, or over the whole height while the bar is hidden.
    Rect topViewFrame() const;
    void placeViews();
    std::vector<std::shared_ptr<ViewController>> popTo(std::size_t index, NavigationOperation::Kind kind, bool animated);
    std::shared_ptr<NavigationBar> bar_;
    std::vector<NavigationOperation> operations_;
};

}  // namespace tq
