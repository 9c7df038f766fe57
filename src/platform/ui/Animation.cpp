#include "platform/ui/Animation.h"

#include "platform/foundation/Environment.h"

namespace tq {

Animations& Animations::shared() { return Environment::current().shared<Animations>(); }

void Animations::animate(double duration, double delay, AnimationOptions options, const std::function<void()>& changes,
                         std::function<void(bool)> completion) {
    duration = duration > 0 ? duration : 0;
    delay = delay > 0 ? delay : 0;
    records_.push_back({env_.loop().now(), duration, delay, options, nullptr});
    if (changes) changes();
    finishLater(delay + duration, std::move(completion));
}

void Animations::transition(View& view, double duration, AnimationOptions options, const std::function<void()>& changes,
                            std::function<void(bool)> completion) {
    duration = duration > 0 ? duration : 0;
    records_.push_back({env_.loop().now(), duration, 0, options, &view});
    if (changes) changes();
    finishLater(duration, std::move(completion));
}

void Animations::finishLater(double after, std::function<void(bool)> completion) {
    if (!completion) return;
    auto finish = [completion = std::move(completion)] { completion(true); };
    if (after > 0) {
        env_.loop().postAfter(after, std::move(finish));
    } else {
        env_.loop().post(std::move(finish));
    }
}

void animate(double duration, const std::function<void()>& changes, std::function<void(bool)> completion) {
    Animations::shared().animate(duration, 0, {}, changes, std::move(completion));
}

void animate(double duration, double delay, AnimationOptions options, const std::function<void()>& changes,
             std::function<void(bool)> completion) {
    Animations::shared().animate(duration, delay, options, changes, std::move(completion));
}

void transition(View& view, double duration, AnimationOptions options, const std::function<void()>& changes,
                std::function<void(bool)> completion) {
    Animations::shared().transition(view, duration, options, changes, std::move(completion));
}

}  // namespace tq
