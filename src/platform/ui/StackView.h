#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace tq {

enum class LayoutAxis { horizontal, vertical };
using StackAlignment = Alignment;
enum class StackDistribution { fill, fillEqually, fillProportionally, equalSpacing, equalCentering };

// A row or column of arranged views: its axis, spacing and alignment are its arrangement (a
// horizontal stack is a row, a vertical one a column). An arranged view is also a subview;
// removing it from the arrangement leaves it in the tree, as on the platform.
class StackView : public View {
public:
    using View::View;

    LayoutAxis axis() const {
        return arrangement().kind == ArrangementKind::column ? LayoutAxis::vertical : LayoutAxis::horizontal;
    }
    void setAxis(LayoutAxis axis) {
        auto a = arrangement();
        a.kind = axis == LayoutAxis::vertical ? ArrangementKind::column : ArrangementKind::row;
        setArrangement(a);
    }
    double spacing() const { return arrangement().spacing; }
    void setSpacing(double spacing) {
        auto a = arrangement();
        a.spacing = spacing;
        setArrangement(a);
    }
    StackAlignment alignment() const { return arrangement().alignment; }
    void setAlignment(StackAlignment alignment) {
        auto a = arrangement();
        a.alignment = alignment;
        setArrangement(a);
    }
    StackDistribution distribution() const { return distribution_; }
    void setDistribution(StackDistribution distribution) {
        distribution_ = distribution;
        changed("distribution");
    }

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
        changed("arrangedSubviews");
    }
    void removeArrangedSubview(const View& view) {
        auto it = std::find_if(arranged_.begin(), arranged_.end(), [&](const auto& v) { return v.get() == &view; });
        if (it == arranged_.end()) return;
        arranged_.erase(it);
        setNeedsLayout();
        changed("arrangedSubviews");
    }
    // The arranged views that take space: hidden ones collapse.
    std::vector<std::shared_ptr<View>> shownArrangedSubviews() const {
        std::vector<std::shared_ptr<View>> shown;
        for (const auto& v : arranged_) {
            if (!v->isHidden()) shown.push_back(v);
        }
        return shown;
    }

protected:
    Arrangement defaultArrangement() const override { return Arrangement::row(); }

private:
    StackDistribution distribution_ = StackDistribution::fill;
    std::vector<std::shared_ptr<View>> arranged_;
};

}  // namespace tq
