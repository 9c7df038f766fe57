#pragma once

#include <functional>

#include "platform/ui/View.h"

namespace tq {

// How much of a star a rating fills: whole stars, halves, or exactly the fraction.
enum class StarFillMode { full, half, precise };

// A row of stars showing a rating in [minRating, maxRating]; a person can touch it to set a mark
// when it is editable.
class StarRatingView : public View {
public:
    using View::View;
    // Stars of 20 points side by side.
    Size naturalSize() const override { return {20.0 * maxRating_, 20}; }
    bool drawsContent() const override { return true; }
    // The bundle pictures of one star, filled and empty; a star filled in part is the filled picture
    // cut at that fraction over the empty one.
    static constexpr const char* filledStarImageName = "star-filled";
    static constexpr const char* emptyStarImageName = "star-empty";

    double rating() const { return rating_; }
    // Clamped into [minRating, maxRating]; a value that is not a number counts as minRating.
    void setRating(double rating);
    double minRating() const { return minRating_; }
    void setMinRating(double min);
    // The number of stars.
    int maxRating() const { return maxRating_; }
    void setMaxRating(int stars);
    StarFillMode fillMode() const { return fillMode_; }
    void setFillMode(StarFillMode mode) {
        fillMode_ = mode;
        changed("fillMode");
    }
    bool isEditable() const { return editable_; }
    void setEditable(bool editable) {
        editable_ = editable;
        changed("editable");
    }
    bool updatesOnTouch() const { return updateOnTouch_; }
    void setUpdatesOnTouch(bool updates) {
        updateOnTouch_ = updates;
        changed("updatesOnTouch");
    }
    // Called with the new mark while a person touches the stars, and once more when they let go.
    void setOnTouch(std::function<void(double)> callback) { onTouch_ = std::move(callback); }
    void setOnFinishTouch(std::function<void(double)> callback) { onFinish_ = std::move(callback); }

    // How much is drawn filled: the rating rounded to the fill mode's step.
    double displayedRating() const;

    // A person touches the stars at `position`, counted in stars from the left edge (3.2 is a fifth
    // into the fourth star). The mark is the position rounded up to the fill mode's step. Returns
    // whether the touch was taken.
    bool touch(double position);

private:
    double rating_ = 0;
    double minRating_ = 0;
    int maxRating_ = 5;
    StarFillMode fillMode_ = StarFillMode::full;
    bool editable_ = true;
    bool updateOnTouch_ = true;
    std::function<void(double)> onTouch_;
    std::function<void(double)> onFinish_;
};

}  // namespace tq
