#include "platform/ui/ViewController.h"

#include <algorithm>

#include "platform/foundation/DispatchScope.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/Window.h"

namespace tq {

namespace {
void postCompletion(std::function<void()> completion) {
    if (!completion) return;
    if (Environment::hasCurrent()) {
        Environment::current().loop().post(std::move(completion));
    } else {
        completion();
    }
}

bool onTablet() { return Environment::hasCurrent() && Environment::current().device().idiom == DeviceIdiom::pad; }

Size screenSize() { return Environment::hasCurrent() ? Environment::current().device().screenBounds : Size{390, 844}; }
}  // namespace

ViewController::ViewController() {
    // The navigation item is shown with the screen's view: its changes are the view's.
    navigationItem_.setChangeHandler([this] {
        if (view_) view_->changed("navigationItem");
    });
}

ViewController::~ViewController() {
    for (auto& child : children_) child->parent_ = nullptr;
}

View& ViewController::view() { return *viewPointer(); }

std::shared_ptr<View> ViewController::viewPointer() {
    if (!view_) {
        loadView();
        if (!view_) view_ = std::make_shared<View>();
        // A screen's root takes the room its container (a navigation column) has left.
        if (!view_->declaresStretch()) view_->setStretches(true);
        viewDidLoad();
    }
    return view_;
}

void ViewController::loadView() {
    auto size = screenSize();
    view_ = std::make_shared<View>(Rect(0, 0, size.width, size.height));
}

void ViewController::setTitle(std::string title) {
    title_ = std::move(title);
    navigationItem_.setTitle(title_);
}

// ---- Life cycle

void ViewController::beginAppearance(bool appearing, bool animated) {
    if (appearing) {
        if (appearance_ == Appearance::appeared || appearance_ == Appearance::appearing) return;
        loadViewIfNeeded();
        appearance_ = Appearance::appearing;
        viewWillAppear(animated);
    } else {
        if (appearance_ == Appearance::disappeared || appearance_ == Appearance::disappearing) return;
        appearance_ = Appearance::disappearing;
        viewWillDisappear(animated);
    }
    for (auto& child : visibleChildren()) child->beginAppearance(appearing, animated);
}

void ViewController::endAppearance(bool appearing, bool animated) {
    auto keep = weak_from_this().lock();
    if (appearing) {
        if (appearance_ != Appearance::appearing) return;
        appearance_ = Appearance::appeared;
        viewDidAppear(animated);
        movingToParent_ = false;
    } else {
        if (appearance_ != Appearance::disappearing) return;
        appearance_ = Appearance::disappeared;
        viewDidDisappear(animated);
    }
    for (auto& child : visibleChildren()) child->endAppearance(appearing, animated);
}

void ViewController::transitionToSize(Size size, TransitionCoordinator& coordinator) {
    viewWillTransitionToSize(size, coordinator);
    for (auto& child : visibleChildren()) child->transitionToSize(size, coordinator);
    if (auto presented = presented_) presented->transitionToSize(size, coordinator);
}

void ViewController::resizeForTransition(Size size) {
    if (view_) view_->setFrame(Rect(view_->frame().origin.x, view_->frame().origin.y, size.width, size.height));
    for (auto& child : visibleChildren()) child->resizeForTransition(size);
    viewDidResize();
    if (presented_ && presented_->coversPresenter()) presented_->resizeForTransition(size);
}

// ---- Containment

void ViewController::addChild(std::shared_ptr<ViewController> child) {
    if (!child || child.get() == this || child->parent_ || child->presenting_.lock()) return;
    for (ViewController* p = parent_; p; p = p->parent_) {
        if (p == child.get()) return;  // an ancestor cannot become a child
    }
    child->parent_ = this;
    child->movingToParent_ = true;
    children_.push_back(std::move(child));
}

void ViewController::removeFromParent() {
    auto* parent = parent_;
    if (!parent) return;
    auto keep = weak_from_this().lock();
    DispatchScope::hold(keep);  // a control of this screen may still be dispatching the event that removed it
    auto& siblings = parent->children_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [this](const auto& c) { return c.get() == this; }),
                   siblings.end());
    parent_ = nullptr;
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    for (ViewController* p = parent_; p; p = p->parent_) {
        if (auto* nav = dynamic_cast<NavigationController*>(p)) {
            return std::static_pointer_cast<NavigationController>(nav->weak_from_this().lock());
        }
    }
    return nullptr;
}

// ---- Presentation

ViewController& ViewController::presentationHost() {
    ViewController* host = this;
    while (host->parent_) host = host->parent_;
    return *host;
}

const ViewController& ViewController::presentationHost() const {
    return const_cast<ViewController*>(this)->presentationHost();
}

std::shared_ptr<ViewController> ViewController::presentedViewController() const { return presentationHost().presented_; }

std::shared_ptr<ViewController> ViewController::presentingViewController() const {
    return presentationHost().presenting_.lock();
}

std::shared_ptr<Window> ViewController::window() const { return presentationHost().window_.lock(); }

PopoverPresentationController* ViewController::popoverPresentationController() {
    bool popover = modalStyle_ == ModalPresentationStyle::popover ||
                   (modalStyle_ == ModalPresentationStyle::automatic && becomesPopoverOnTablet() && onTablet());
    if (!popover) return nullptr;
    if (!popover_) popover_ = std::make_unique<PopoverPresentationController>();
    return popover_.get();
}

Size ViewController::presentedContentSize() const {
    if (styleInEffect_ == ModalPresentationStyle::popover && presenting_.lock()) {
        const Size preferred = preferredContentSize_;
        return preferred.width > 0 && preferred.height > 0 ? preferred : kDefaultPopoverContentSize;
    }
    return Environment::hasCurrent() ? Environment::current().device().screenBounds : Size{};
}

ModalPresentationStyle ViewController::adaptedStyle() {
    auto style = modalStyle_;
    if (style == ModalPresentationStyle::automatic && becomesPopoverOnTablet() && onTablet()) {
        style = ModalPresentationStyle::popover;
    }
    if (style == ModalPresentationStyle::popover && !onTablet()) {
        // A phone has no room for a popover: it adapts unless its delegate says otherwise.
        auto* popover = popoverPresentationController();
        auto delegate = popover ? popover->delegate() : nullptr;
        auto answer = delegate ? delegate->adaptivePresentationStyle(*popover) : ModalPresentationStyle::fullScreen;
        style = answer == ModalPresentationStyle::none ? ModalPresentationStyle::popover : answer;
    }
    if (style == ModalPresentationStyle::automatic || style == ModalPresentationStyle::none) {
        style = ModalPresentationStyle::pageSheet;
    }
    return style;
}

bool ViewController::coversPresenter() const {
    return styleInEffect_ == ModalPresentationStyle::fullScreen || styleInEffect_ == ModalPresentationStyle::currentContext;
}

bool ViewController::present(std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion) {
    auto& host = presentationHost();
    if (!controller || host.presented_ || controller->parent_ || controller->presenting_.lock()) return false;
    for (ViewController* p = &host; p; p = p->presenting_.lock().get()) {
        if (p == controller.get()) return false;  // it would present itself again further up
    }
    controller->styleInEffect_ = controller->adaptedStyle();
    controller->presentedAnimated_ = animated;
    host.presented_ = controller;
    controller->presenting_ = host.weak_from_this();
    controller->window_ = host.window_;

    bool hostLeaves = controller->coversPresenter() && host.appearance_ == Appearance::appeared;
    controller->presenterLeft_ = hostLeaves;
    if (hostLeaves) host.beginAppearance(false, animated);
    controller->beingPresented_ = true;
    if (controller->styleInEffect_ == ModalPresentationStyle::popover) {
        // A popover shows the screen at its own size, not the device's.
        controller->loadViewIfNeeded();
        const Size size = controller->presentedContentSize();
        controller->view().setFrame(Rect(0, 0, size.width, size.height));
    }
    controller->beginAppearance(true, animated);
    if (auto window = controller->window_.lock()) window->addSubview(controller->viewPointer());
    if (hostLeaves) host.endAppearance(false, animated);
    controller->endAppearance(true, animated);
    controller->beingPresented_ = false;
    postCompletion(std::move(completion));
    return true;
}

void ViewController::dismiss(bool animated, std::function<void()> completion) {
    auto& host = presentationHost();
    if (host.presented_) {
        host.dismissPresentedChain(animated);
    } else if (auto presenter = host.presenting_.lock()) {
        presenter->dismissPresentedChain(animated);
    }
    postCompletion(std::move(completion));
}

void ViewController::dismissPresentedChain(bool animated) {
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto p = presented_; p; p = p->presented_) chain.push_back(p);
    if (chain.empty()) return;
    bool hostReturns = chain.front()->presenterLeft_;

    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->beingDismissed_ = true;
        (*it)->beginAppearance(false, animated);
    }
    if (hostReturns) beginAppearance(true, animated);
    for (auto& controller : chain) {
        DispatchScope::hold(controller);  // its own control may be dispatching this dismissal
        if (controller->isViewLoaded()) controller->view().removeFromSuperview();
        controller->presenting_.reset();
        controller->window_.reset();
        controller->presented_.reset();
    }
    presented_.reset();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->endAppearance(false, animated);
        (*it)->beingDismissed_ = false;
        if (auto* popover = (*it)->popover_.get()) {
            if (auto delegate = popover->delegate()) delegate->popoverPresentationControllerDidDismissPopover(*popover);
        }
    }
    if (hostReturns) endAppearance(true, animated);
}

void ViewController::show(std::shared_ptr<ViewController> controller, const std::any&) {
    if (auto nav = navigationController()) {
        nav->pushViewController(std::move(controller), true);
    } else if (auto self = std::dynamic_pointer_cast<NavigationController>(shared_from_this())) {
        self->pushViewController(std::move(controller), true);
    } else {
        present(std::move(controller), true);
    }
}

// ---- Segues

bool ViewController::triggerSegue(const std::string& identifier, const std::any& sender) {
    if (!shouldPerformSegue(identifier, sender)) return false;
    return performSegue(identifier, sender);
}

bool ViewController::performSegue(const std::string& identifier, const std::any& sender) {
    if (!storyboard_) return false;
    const auto* definition = storyboard_->segue(storyboardIdentifier_, identifier);
    if (!definition) return false;
    auto segueDefinition = *definition;  // preparation may register more segues
    auto destination = storyboard_->instantiateViewController(segueDefinition.destination);
    if (!destination) return false;

    auto self = shared_from_this();
    StoryboardSegue segue(identifier, self, destination);
    prepareForSegue(segue, sender);

    switch (segueDefinition.kind) {
        case SegueKind::show:
            show(destination, sender);
            return true;
        case SegueKind::presentModally:
            destination->setModalPresentationStyle(segueDefinition.presentationStyle);
            return present(destination, segueDefinition.animated);
        case SegueKind::popover: {
            destination->setModalPresentationStyle(ModalPresentationStyle::popover);
            auto* popover = destination->popoverPresentationController();
            if (!segueDefinition.anchorIdentifier.empty() && isViewLoaded()) {
                if (auto* anchor = view().viewWithIdentifier(segueDefinition.anchorIdentifier)) {
                    popover->setSourceView(anchor->shared_from_this());
                }
            }
            if (const auto* view = std::any_cast<std::shared_ptr<View>>(&sender)) popover->setSourceView(*view);
            if (const auto* item = std::any_cast<std::shared_ptr<BarButtonItem>>(&sender)) popover->setBarButtonItem(*item);
            return present(destination, segueDefinition.animated);
        }
    }
    return false;
}

}  // namespace tq
