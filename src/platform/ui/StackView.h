#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace tq {

enum class LayoutAxis { horizontal, vertical };
enum class StackAlignment { fill, leading, firstBaseline, center, trailing, lastBaseline };
enum class StackDistribution { fill, fillEqually, fillProportionally, equalSpacing, equalCentering };

// A row or column of arranged views. An arranged view is also a subview; removing it from the
// arrangement leaves it in the tree, as on the platform.
class StackView : public View {
public:
    using View::View;

    LayoutAxis axis() const { return axis_; }
    void setAxis(LayoutAxis axis) { axis_ = axis; }
    double spacing() const { return spacing_; }
    void setSpacing(double spacing) { spacing_ = spacing; }
    StackAlignment alignment() const { return alignment_; }
    void setAlignment(StackAlignment alignment) { alignment_ = alignment; }
    StackDistribution distribution() const { return distribution_; }
    void setDistribution(StackDistribution distribution) { distribution_ = distribution; }

    const std::vector<std::shared_ptr<View>>& arrangedSubviews() const { return arranged_; }
    void addArrangedSubview(std::shared_ptr<View> view) { insertArrangedSubview(std::move(view), arranged_.size()); }
    void insertArrangedSubview(std::shared_ptr<View> view, std::size_t index) {
        if (!view) return;
        removeArrangedSubview(*view);
        addSubview(view);
        if (view->superview() != this) return;  // refused (it would have made a cycle)
        index = std::min(index, arranged_.size());
        arranged_.insert(arranged_.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
        setNeedsLayout();
    }
    void removeArrangedSubview(const View& view) {
        arranged_.erase(std::remove_if(arranged_.begin(), arranged_.end(), [&](const auto& v) { return v.get() == &view; }),
                        arranged_.end());
        setNeedsLayout();
    }
    // The arranged views that take space: hidden ones collapse.
    std::vector<std::shared_ptr<View>> shownArrangedSubviews() const {
        std::vector<std::shared_ptr<View>> shown;
        for (const auto& v : arranged_) {
            if (!v->isHidden()) shown.push_back(v);
        }
        return shown;
    }

private:
    LayoutAxis axis_ = LayoutAxis::horizontal;
    double spacing_ = 0;
    StackAlignment alignment_ = StackAlignment::fill;
    StackDistribution distribution_ = StackDistribution::fill;
    std::vector<std::shared_ptr<View>> arranged_;
};

}  // namespace tq
