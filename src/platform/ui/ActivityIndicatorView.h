#pragma once

#include "platform/ui/View.h"

namespace tq {

// A spinner. By default it hides itself while stopped.
class ActivityIndicatorView : public View {
public:
    using View::View;
    Size naturalSize() const override { return {20, 20}; }
    bool drawsContent() const override { return true; }
    bool isAnimating() const { return animating_; }
    void startAnimating() {
        animating_ = true;
        if (hidesWhenStopped_) setHidden(false);
        changed("animating");
    }
    void stopAnimating() {
        animating_ = false;
        if (hidesWhenStopped_) setHidden(true);
        changed("animating");
    }
    bool hidesWhenStopped() const { return hidesWhenStopped_; }
    void setHidesWhenStopped(bool hides) {
        hidesWhenStopped_ = hides;
        changed("hidesWhenStopped");
    }

private:
    bool animating_ = false;
    bool hidesWhenStopped_ = true;
};

}  // namespace tq
