#pragma once

#include <functional>
#include <vector>

namespace tq {

class Environment;
class View;

enum class AnimationCurve { easeInOut, easeIn, easeOut, linear };
enum class ViewTransition { none, crossDissolve, flipFromLeft, flipFromRight, curlUp, curlDown };

struct AnimationOptions {
    AnimationCurve curve = AnimationCurve::easeInOut;
    bool allowUserInteraction = false;
    bool beginFromCurrentState = false;
    ViewTransition transition = ViewTransition::none;
};

// One animation as the screens asked for it, kept for tests.
struct AnimationRecord {
    double startTime = 0;  // on the main loop's clock
    double duration = 0;
    double delay = 0;
    AnimationOptions options;
    const View* transitionView = nullptr;  // for `transition`, the view it ran on (identity only)
};

// The animations of one environment. Nothing moves on screen here: the changes are applied at
// once, and the completion runs on the main loop once delay plus duration have passed on its clock
// (on the next turn when both are zero). The completion receives true (the animation finished).
class Animations {
public:
    explicit Animations(Environment& env) : env_(env) {}
    static Animations& shared();

    void animate(double duration, double delay, AnimationOptions options, const std::function<void()>& changes,
                 std::function<void(bool)> completion);
    void transition(View& view, double duration, AnimationOptions options, const std::function<void()>& changes,
                    std::function<void(bool)> completion);

    const std::vector<AnimationRecord>& records() const { return records_; }
    void clearRecords() { records_.clear(); }

private:
    void finishLater(double after, std::function<void(bool)> completion);
    Environment& env_;
    std::vector<AnimationRecord> records_;
};

// The platform's block-based view animation, on the current environment.
void animate(double duration, const std::function<void()>& changes, std::function<void(bool)> completion = {});
void animate(double duration, double delay, AnimationOptions options, const std::function<void()>& changes,
             std::function<void(bool)> completion = {});
void transition(View& view, double duration, AnimationOptions options, const std::function<void()>& changes,
                std::function<void(bool)> completion = {});
// Changes made without any animation (no record, nothing scheduled).
inline void performWithoutAnimation(const std::function<void()>& changes) {
    if (changes) changes();
}

}  // namespace tq
