#pragma once

#include <functional>
#include <memory>

namespace tq {

class View;

enum class GestureKind { tap, swipe, longPress, pan, pinch };
enum class SwipeDirection { right = 1, left = 2, up = 4, down = 8 };

// A gesture recognizer reduced to what a person can do to it in a test: `recognize()` fires the
// action as if the gesture had been made, unless the recognizer or its view cannot take touches.
// A renderer routes taps and swipes by them, so each setter reports through the recognizer's view.
class GestureRecognizer {
public:
    GestureRecognizer(GestureKind kind, std::function<void(GestureRecognizer&)> action)
        : kind_(kind), action_(std::move(action)) {}
    static std::shared_ptr<GestureRecognizer> swipe(SwipeDirection direction, std::function<void(GestureRecognizer&)> action) {
        auto recognizer = std::make_shared<GestureRecognizer>(GestureKind::swipe, std::move(action));
        recognizer->direction_ = direction;
        return recognizer;
    }

    GestureKind kind() const { return kind_; }
    SwipeDirection direction() const { return direction_; }
    void setDirection(SwipeDirection direction);
    int numberOfTapsRequired() const { return taps_; }
    void setNumberOfTapsRequired(int taps);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return cancelsTouches_; }
    void setCancelsTouchesInView(bool cancels);
    View* view() const { return view_; }

    bool recognize();

private:
    friend class View;
    void changed();
    GestureKind kind_;
    SwipeDirection direction_ = SwipeDirection::right;
    int taps_ = 1;
    bool enabled_ = true;
    bool cancelsTouches_ = true;
    std::function<void(GestureRecognizer&)> action_;
    View* view_ = nullptr;
};

}  // namespace tq
