#include "platform/ui/ProgressOverlay.h"

#include "platform/foundation/Environment.h"

namespace tq {

ProgressOverlay::ProgressOverlay(Environment& env) : env_(env) {}

ProgressOverlay& ProgressOverlay::shared() { return Environment::current().shared<ProgressOverlay>(); }

void ProgressOverlay::show() {
    visible_ = true;
    text_.reset();
    ++showCount_;
}

void ProgressOverlay::show(const std::string& text) {
    visible_ = true;
    text_ = text;
    ++showCount_;
}

void ProgressOverlay::dismiss(std::function<void()> completion) {
    visible_ = false;
    ++dismissCount_;
    if (completion) env_.loop().post(std::move(completion));
}

}  // namespace tq
