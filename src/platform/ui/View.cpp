#include "platform/ui/View.h"

#include <algorithm>

namespace tq {

void View::addSubview(std::shared_ptr<View> view) {
    if (!view || view.get() == this) return;
    view->removeFromSuperview();
    view->superview_ = this;
    subviews_.push_back(std::move(view));
}

void View::removeFromSuperview() {
    if (!superview_) return;
    auto& siblings = superview_->subviews_;
    auto keep = shared_from_this();  // the parent may hold the last reference
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [this](const auto& v) { return v.get() == this; }),
                   siblings.end());
    superview_ = nullptr;
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

}  // namespace tq
