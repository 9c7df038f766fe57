#pragma once

#include <memory>
#include <string>

namespace tq {

class View;

enum class LayoutAttribute { notAnAttribute, left, right, top, bottom, leading, trailing, width, height, centerX, centerY };

// What a constraint's constant measures, inside the arrangement of the item's container:
// - itself: a size request (width or height) of the item;
// - previousSibling: a signed offset from the sibling placed before the item (from the
//   container's edge when the item comes first);
// - containerEdge: a signed offset from the container's edge of that attribute;
// - secondItem: a relation to the constraint's second item, as the platform reads it.
// `unnamed` is a constraint that says none of these; no layout should hold one.
enum class LayoutAnchor { unnamed, itself, previousSibling, containerEdge, secondItem };

// A layout constraint as the screens touch it: its constant, multiplier and active flag. There is
// no solver; changing the constant asks the holding view for a layout pass, which tests can count.
class LayoutConstraint {
public:
    LayoutConstraint(std::shared_ptr<View> firstItem, LayoutAttribute firstAttribute, std::shared_ptr<View> secondItem,
                     LayoutAttribute secondAttribute, double multiplier = 1.0, double constant = 0.0);
    // A constant size request on one view (width or height; no second item, multiplier 1).
    static std::shared_ptr<LayoutConstraint> size(std::shared_ptr<View> item, LayoutAttribute attribute, double constant,
                                                  std::string identifier = {});
    // A signed offset of one view's edge (top, leading, ...) from `from`; held by no view yet.
    static std::shared_ptr<LayoutConstraint> offset(std::shared_ptr<View> item, LayoutAttribute attribute,
                                                    LayoutAnchor from, double constant, std::string identifier = {});

    // What the constant measures from; see LayoutAnchor.
    LayoutAnchor anchor() const;

    double constant() const { return constant_; }
    void setConstant(double constant);
    double multiplier() const { return multiplier_; }
    bool isActive() const { return active_; }
    void setActive(bool active);
    float priority() const { return priority_; }
    void setPriority(float priority) {
        priority_ = priority;
        report();
    }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) {
        identifier_ = std::move(identifier);
        report();
    }

    std::shared_ptr<View> firstItem() const { return first_.lock(); }
    std::shared_ptr<View> secondItem() const { return second_.lock(); }
    LayoutAttribute firstAttribute() const { return firstAttribute_; }
    LayoutAttribute secondAttribute() const { return secondAttribute_; }

    // The view that holds the constraint; set when a view adds it.
    View* owner() const { return owner_; }

private:
    friend class View;
    void requestLayout();
    // A constraint is no view: it reports through the view that holds it.
    void report();
    // Items are held weakly: the views own their constraints, not the other way round.
    std::weak_ptr<View> first_;
    std::weak_ptr<View> second_;
    LayoutAttribute firstAttribute_;
    LayoutAttribute secondAttribute_;
    double multiplier_;
    double constant_;
    bool active_ = true;
    LayoutAnchor offsetFrom_ = LayoutAnchor::unnamed;
    float priority_ = 1000;
    std::string identifier_;
    View* owner_ = nullptr;
};

}  // namespace tq
