#include "platform/ui/View.h"

#include <algorithm>

#include "platform/foundation/DispatchScope.h"

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/LayoutConstraint.h"

namespace tq {

View::~View() {
    // Children and constraints may outlive this view when someone else holds them.
    for (auto& child : subviews_) child->superview_ = nullptr;
    for (auto* attached : attached_) attached->holder_ = nullptr;
    if (holder_) std::erase(holder_->attached_, this);
    for (auto& constraint : constraints_) constraint->owner_ = nullptr;
    for (auto& gesture : gestures_) gesture->view_ = nullptr;
}

void View::changed(std::string_view property) {
    for (View* v = this; v; v = v->reportsTo()) {
        if (v->observer_) {
            v->observer_->viewDidChange(*this, property);
            return;
        }
    }
}

void View::attach(std::shared_ptr<View>& slot, std::shared_ptr<View> view, std::string_view property) {
    if (view) {
        for (View* v = this; v; v = v->reportsTo()) {
            if (v == view.get()) return;
        }
    }
    if (slot && slot->holder_ == this) {
        slot->holder_ = nullptr;
        std::erase(attached_, slot.get());
    }
    slot = std::move(view);
    if (slot) {
        if (slot->holder_) std::erase(slot->holder_->attached_, slot.get());
        slot->holder_ = this;
        attached_.push_back(slot.get());
    }
    changed(property);
}

void View::setFrame(Rect frame) {
    if (frame == frame_) return;
    frame_ = frame;
    setNeedsLayout();
    changed("frame");
}

void View::setHidden(bool hidden) {
    hidden_ = hidden;
    changed("hidden");
}

void View::setAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    changed("alpha");
}

void View::setTag(int tag) {
    tag_ = tag;
    changed("tag");
}

void View::setClipsToBounds(bool clips) {
    clips_ = clips;
    changed("clipsToBounds");
}

void View::setBorderWidth(double width) {
    borderWidth_ = width;
    changed("borderWidth");
}

void View::setBorderColor(std::optional<Color> color) {
    borderColor_ = color;
    changed("borderColor");
}

void View::setLayoutMargins(EdgeInsets margins) {
    layoutMargins_ = margins;
    changed("layoutMargins");
}

void View::setArrangement(Arrangement arrangement) {
    arrangement_ = arrangement;
    setNeedsLayout();
    changed("arrangement");
}

void View::setStretches(bool stretches) {
    stretches_ = stretches;
    setNeedsLayout();
    changed("stretches");
}

void View::setUserInteractionEnabled(bool enabled) {
    userInteraction_ = enabled;
    changed("userInteractionEnabled");
}

void View::setBackgroundColor(std::optional<Color> color) {
    background_ = color;
    changed("backgroundColor");
}

void View::setTintColor(std::optional<Color> color) {
    tint_ = color;
    changed("tintColor");
}

void View::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    changed("cornerRadius");
}

void View::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    changed("contentMode");
}

void View::setTransform(Transform transform) {
    transform_ = transform;
    changed("transform");
}

void View::addSubview(std::shared_ptr<View> view) {
    insertSubview(std::move(view), subviews_.size());
}

void View::insertSubview(std::shared_ptr<View> view, std::size_t index) {
    // A view cannot hold itself or one of its ancestors: that would make a cycle.
    if (!view || view.get() == this || isDescendant(*view)) return;
    view->removeFromSuperview();
    view->superview_ = this;
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
    changed("subviews");
}

void View::removeFromSuperview() {
    if (!superview_) return;
    View* parent = superview_;
    auto& siblings = parent->subviews_;
    auto keep = shared_from_this();  // the parent may hold the last reference
    DispatchScope::hold(keep);       // and something below it may still be dispatching an event
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [this](const auto& v) { return v.get() == this; }),
                   siblings.end());
    superview_ = nullptr;
    parent->changed("subviews");
}

void View::bringSubviewToFront(View& view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &view; });
    if (it == subviews_.end()) return;
    auto held = *it;
    subviews_.erase(it);
    subviews_.push_back(std::move(held));
    changed("subviews");
}

bool View::isDescendant(const View& ancestor) const {
    for (const View* v = this; v; v = v->superview_) {
        if (v == &ancestor) return true;
    }
    return false;
}

View* View::viewWithTag(int tag) {
    if (tag_ == tag) return this;
    for (auto& child : subviews_) {
        if (auto* found = child->viewWithTag(tag)) return found;
    }
    return nullptr;
}

View* View::viewWithIdentifier(const std::string& identifier) {
    if (identifier_ == identifier) return this;
    for (auto& child : subviews_) {
        if (auto* found = child->viewWithIdentifier(identifier)) return found;
    }
    return nullptr;
}

bool View::isVisibleInTree() const {
    for (const View* v = this; v; v = v->superview_) {
        if (v->hidden_) return false;
    }
    return true;
}

bool View::isInteractiveInTree() const {
    // As on the platform, a view nearly transparent (alpha below 0.01) takes no touches.
    for (const View* v = this; v; v = v->superview_) {
        if (v->hidden_ || v->alpha_ < 0.01 || !v->userInteraction_) return false;
    }
    return true;
}

void View::setNeedsLayout() {
    needsLayout_ = true;
    ++layoutRequests_;
}

void View::layoutIfNeeded() {
    ++layoutPasses_;
    needsLayout_ = false;
    layoutSubviews();
    // Copy: a layout step may add or remove subviews.
    auto children = subviews_;
    for (auto& child : children) child->layoutIfNeeded();
}

void View::addConstraint(std::shared_ptr<LayoutConstraint> constraint) {
    if (!constraint) return;
    if (constraint->owner_ && constraint->owner_ != this) constraint->owner_->removeConstraint(*constraint);
    if (constraint->owner_ == this) return;
    constraint->owner_ = this;
    constraints_.push_back(std::move(constraint));
    setNeedsLayout();
    changed("constraints");
}

void View::removeConstraint(const LayoutConstraint& constraint) {
    auto it = std::find_if(constraints_.begin(), constraints_.end(), [&](const auto& c) { return c.get() == &constraint; });
    if (it == constraints_.end()) return;
    (*it)->owner_ = nullptr;
    constraints_.erase(it);
    setNeedsLayout();
    changed("constraints");
}

std::shared_ptr<LayoutConstraint> View::constraintWithIdentifier(const std::string& identifier) const {
    for (const auto& constraint : constraints_) {
        if (constraint->identifier() == identifier) return constraint;
    }
    for (const auto& child : subviews_) {
        if (auto found = child->constraintWithIdentifier(identifier)) return found;
    }
    return nullptr;
}

void View::addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
    if (!recognizer) return;
    if (recognizer->view_ && recognizer->view_ != this) recognizer->view_->removeGestureRecognizer(*recognizer);
    if (recognizer->view_ == this) return;
    recognizer->view_ = this;
    gestures_.push_back(std::move(recognizer));
    changed("gestureRecognizers");
}

void View::removeGestureRecognizer(const GestureRecognizer& recognizer) {
    auto it = std::find_if(gestures_.begin(), gestures_.end(), [&](const auto& g) { return g.get() == &recognizer; });
    if (it == gestures_.end()) return;
    (*it)->view_ = nullptr;
    gestures_.erase(it);
    changed("gestureRecognizers");
}

bool View::swipe(SwipeDirection direction) {
    auto gestures = gestures_;
    for (auto& gesture : gestures) {
        if (gesture->kind() == GestureKind::swipe && gesture->direction() == direction && gesture->isEnabled()) {
            return gesture->recognize();
        }
    }
    return false;
}

bool View::tapGesture() {
    auto gestures = gestures_;
    for (auto& gesture : gestures) {
        if (gesture->kind() == GestureKind::tap && gesture->isEnabled()) return gesture->recognize();
    }
    return false;
}

void GestureRecognizer::changed() {
    if (view_) view_->changed("gestureRecognizers");
}

void GestureRecognizer::setDirection(SwipeDirection direction) {
    direction_ = direction;
    changed();
}

void GestureRecognizer::setNumberOfTapsRequired(int taps) {
    taps_ = taps;
    changed();
}

void GestureRecognizer::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void GestureRecognizer::setCancelsTouchesInView(bool cancels) {
    cancelsTouches_ = cancels;
    changed();
}

bool GestureRecognizer::recognize() {
    if (!enabled_ || !action_ || !view_ || !view_->isInteractiveInTree()) return false;
    DispatchScope scope(view_->weak_from_this().lock());
    auto action = action_;  // the action may replace or remove this recognizer
    action(*this);
    return true;
}

LayoutConstraint::LayoutConstraint(std::shared_ptr<View> firstItem, LayoutAttribute firstAttribute,
                                   std::shared_ptr<View> secondItem, LayoutAttribute secondAttribute, double multiplier,
                                   double constant)
    : first_(firstItem),
      second_(secondItem),
      firstAttribute_(firstAttribute),
      secondAttribute_(secondAttribute),
      multiplier_(multiplier),
      constant_(constant) {}

std::shared_ptr<LayoutConstraint> LayoutConstraint::size(std::shared_ptr<View> item, LayoutAttribute attribute,
                                                         double constant, std::string identifier) {
    auto constraint = std::make_shared<LayoutConstraint>(item, attribute, nullptr, LayoutAttribute::notAnAttribute, 1.0,
                                                         constant);
    constraint->setIdentifier(std::move(identifier));
    if (item) item->addConstraint(constraint);
    return constraint;
}

std::shared_ptr<LayoutConstraint> LayoutConstraint::offset(std::shared_ptr<View> item, LayoutAttribute attribute,
                                                           LayoutAnchor from, double constant, std::string identifier) {
    auto constraint = std::make_shared<LayoutConstraint>(std::move(item), attribute, nullptr,
                                                         LayoutAttribute::notAnAttribute, 1.0, constant);
    constraint->setIdentifier(std::move(identifier));
    if (from == LayoutAnchor::previousSibling || from == LayoutAnchor::containerEdge) constraint->offsetFrom_ = from;
    return constraint;
}

LayoutAnchor LayoutConstraint::anchor() const {
    if (secondAttribute_ != LayoutAttribute::notAnAttribute && !second_.expired()) return LayoutAnchor::secondItem;
    const bool sizeAttribute = firstAttribute_ == LayoutAttribute::width || firstAttribute_ == LayoutAttribute::height;
    if (sizeAttribute) return LayoutAnchor::itself;
    return offsetFrom_;
}

void LayoutConstraint::setConstant(double constant) {
    constant_ = constant;
    requestLayout();
}

void LayoutConstraint::setActive(bool active) {
    active_ = active;
    requestLayout();
}

void LayoutConstraint::requestLayout() {
    if (owner_) owner_->setNeedsLayout();
    report();
}

void LayoutConstraint::report() {
    if (owner_) owner_->changed("constraints");
}

}  // namespace tq
