#include "platform/ui/StarRatingView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/DispatchScope.h"

namespace tq {

namespace {
double step(StarFillMode mode) {
    switch (mode) {
        case StarFillMode::full: return 1.0;
        case StarFillMode::half: return 0.5;
        case StarFillMode::precise: return 0.0;
    }
    return 0.0;
}
}  // namespace

void StarRatingView::setRating(double rating) {
    if (std::isnan(rating)) rating = minRating_;
    rating_ = std::clamp(rating, minRating_, static_cast<double>(maxRating_));
    changed("rating");
}

void StarRatingView::setMinRating(double min) {
    if (std::isnan(min)) return;
    minRating_ = std::clamp(min, 0.0, static_cast<double>(maxRating_));
    setRating(rating_);
    changed("minRating");
}

void StarRatingView::setMaxRating(int stars) {
    maxRating_ = std::max(stars, 1);
    minRating_ = std::min(minRating_, static_cast<double>(maxRating_));
    setRating(rating_);
    changed("maxRating");
}

double StarRatingView::displayedRating() const {
    double s = step(fillMode_);
    if (s == 0.0) return rating_;
    return std::round(rating_ / s) * s;
}

bool StarRatingView::touch(double position) {
    if (!editable_ || std::isnan(position) || !isInteractiveInTree()) return false;
    DispatchScope scope(weak_from_this().lock());
    double s = step(fillMode_);
    double mark = s == 0.0 ? position : std::ceil(position / s - 1e-9) * s;
    mark = std::clamp(mark, minRating_, static_cast<double>(maxRating_));
    if (updateOnTouch_) setRating(mark);
    if (onTouch_) onTouch_(mark);
    if (onFinish_) onFinish_(mark);
    return true;
}

}  // namespace tq
