#include "platform/ui/NavigationController.h"

#include <algorithm>

#include "platform/foundation/DispatchScope.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/UiApplication.h"

namespace tq {

NavigationController::NavigationController() : bar_(std::make_shared<NavigationBar>()) {
    // Every new bar takes the look the application set for all of them.
    if (!Environment::hasCurrent()) return;
    const auto* look = Environment::current().existing<NavigationBarAppearance>();
    if (!look) return;
    bar_->setBarTintColor(look->barTintColor);
    if (look->blackBarStyle) bar_->setBarStyle(BarStyle::black);
    bar_->setBackIndicatorImage(look->backIndicatorImage);
}

NavigationController::NavigationController(std::shared_ptr<ViewController> root) : NavigationController() {
    if (root) addChild(std::move(root));
}

void NavigationController::loadView() {
    ViewController::loadView();
    auto& root = view();  // loaded: the base set it
    // A column: the bar first, then the top screen's view, which takes the rest of the height.
    root.setArrangement(Arrangement::column());
    bar_->setFrame(Rect(0, 0, root.frame().width(), NavigationBar::height));
    root.addSubview(bar_);
    installTopView();
}

Rect NavigationController::topViewFrame() const {
    const Rect bounds = view_ ? view_->bounds() : Rect();
    if (bar_->isHidden()) return bounds;
    const double barHeight = NavigationBar::height;
    return Rect(0, barHeight, bounds.width(), std::max(0.0, bounds.height() - barHeight));
}

void NavigationController::placeViews() {
    if (!isViewLoaded()) return;
    bar_->setFrame(Rect(0, 0, view_->frame().width(), NavigationBar::height));
    auto top = topViewController();
    if (top && top->isViewLoaded() && top->view_->superview() == view_.get()) top->view_->setFrame(topViewFrame());
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return children().empty() ? nullptr : children().back();
}

std::shared_ptr<ViewController> NavigationController::visibleViewController() const {
    auto presented = presentedViewController();
    if (!presented) return topViewController();
    while (auto next = presented->presentedViewController()) presented = next;
    return presented;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::visibleChildren() const {
    auto top = topViewController();
    if (!top) return {};
    return {top};
}

bool NavigationController::canJoin(const ViewController& controller) const {
    return &controller != this && !controller.parent() && !controller.presentingViewController();
}

void NavigationController::installTopView() {
    if (!isViewLoaded()) return;
    auto top = topViewController();
    auto& root = view();
    auto current = root.subviews();
    for (auto& sub : current) {
        if (sub != bar_) sub->removeFromSuperview();
    }
    if (!top) return;
    auto topView = top->viewPointer();  // may run the screen's viewDidLoad, which may push again
    if (top != topViewController()) return;
    topView->setFrame(topViewFrame());
    root.addSubview(topView);
}

bool NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated) {
    if (!controller || !canJoin(*controller)) return false;
    operations_.push_back({NavigationOperation::Kind::push, animated});
    auto previous = topViewController();
    bool onScreen = isVisible();
    addChild(controller);
    if (onScreen) {
        if (previous) previous->beginAppearance(false, animated);
        controller->beginAppearance(true, animated);
    }
    installTopView();
    if (onScreen) {
        if (previous) previous->endAppearance(false, animated);
        controller->endAppearance(true, animated);
    }
    return true;
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
    if (children().size() < 2) return nullptr;
    auto popped = popTo(children().size() - 2, NavigationOperation::Kind::pop, animated);
    return popped.empty() ? nullptr : popped.back();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
    if (children().empty()) return {};
    return popTo(0, NavigationOperation::Kind::popToRoot, animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(const ViewController& controller,
                                                                                       bool animated) {
    const auto& stack = children();
    auto it = std::find_if(stack.begin(), stack.end(), [&](const auto& c) { return c.get() == &controller; });
    if (it == stack.end()) return {};
    return popTo(static_cast<std::size_t>(it - stack.begin()), NavigationOperation::Kind::popTo, animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popTo(std::size_t index, NavigationOperation::Kind kind,
                                                                         bool animated) {
    operations_.push_back({kind, animated});
    if (index + 1 >= children().size()) return {};
    std::vector<std::shared_ptr<ViewController>> popped(children().begin() + static_cast<std::ptrdiff_t>(index) + 1,
                                                        children().end());
    auto leaving = popped.back();
    auto arriving = children()[index];
    bool onScreen = isVisible();

    leaving->movingFromParent_ = true;
    if (onScreen) {
        leaving->beginAppearance(false, animated);
        arriving->beginAppearance(true, animated);
    }
    // Only the screen on top hears of leaving; those beneath it just go, as on the platform.
    for (auto& controller : popped) controller->removeFromParent();
    installTopView();
    if (onScreen) {
        leaving->endAppearance(false, animated);
        arriving->endAppearance(true, animated);
    }
    leaving->movingFromParent_ = false;
    return popped;
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated) {
    operations_.push_back({NavigationOperation::Kind::setStack, animated});
    auto previous = topViewController();
    std::vector<std::shared_ptr<ViewController>> accepted;
    for (auto& controller : controllers) {
        if (!controller || controller.get() == this) continue;
        if (std::find(accepted.begin(), accepted.end(), controller) != accepted.end()) continue;
        bool inThisStack = controller->parent().get() == this;
        if (!inThisStack && !canJoin(*controller)) continue;
        accepted.push_back(controller);
    }
    auto arriving = accepted.empty() ? nullptr : accepted.back();
    bool onScreen = isVisible() && previous != arriving;
    if (onScreen) {
        if (previous) previous->beginAppearance(false, animated);
        if (arriving) arriving->beginAppearance(true, animated);
    }
    auto old = children();
    for (auto& controller : old) {
        if (std::find(accepted.begin(), accepted.end(), controller) == accepted.end()) controller->removeFromParent();
    }
    for (auto& controller : accepted) {
        if (controller->parent().get() != this) addChild(controller);
    }
    // Keep the order asked for.
    for (std::size_t i = 0; i < accepted.size(); ++i) children_[i] = accepted[i];
    installTopView();
    if (onScreen) {
        if (previous) previous->endAppearance(false, animated);
        if (arriving) arriving->endAppearance(true, animated);
    }
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    (void)animated;
    bar_->setHidden(hidden);
    placeViews();
}

bool NavigationController::isBackButtonShown() const {
    if (children().size() < 2) return false;
    auto& item = topViewController()->navigationItem();
    if (item.hidesBackButton()) return false;
    return item.leftBarButtonItems().empty() || item.leftItemsSupplementBackButton();
}

namespace {

// The platform's own back title, in the languages it knows; English for the others.
std::string genericBackTitle(const std::string& languageCode) {
    if (languageCode == "fr") return "Retour";
    if (languageCode == "es") return "Volver";
    return "Back";
}

}  // namespace

std::string NavigationController::backButtonTitle() const {
    const auto& stack = children();
    if (stack.size() < 2) return {};
    auto& previous = stack[stack.size() - 2]->navigationItem();
    if (previous.backButtonDisplayMode() == BackButtonDisplayMode::minimal) return {};
    std::string title = previous.backBarButtonItem() ? previous.backBarButtonItem()->title() : previous.title();
    if (title.empty() || previous.backButtonDisplayMode() == BackButtonDisplayMode::generic) {
        title = genericBackTitle(UiApplication::shared().localization());
    }
    return title;
}

bool NavigationController::tapBackButton() {
    if (!isBackButtonShown() || !bar_->isInteractiveInTree()) return false;
    DispatchScope scope(weak_from_this().lock());
    popViewController(true);
    return true;
}

}  // namespace tq
