#include "desktop/engines/PipelineGate.h"

namespace tq::desktop {

void PipelineGate::whenOpen(std::function<void()> start) {
    if (open_) {
        start();
        return;
    }
    waiting_.push_back(std::move(start));
}

void PipelineGate::open() {
    if (open_) return;
    open_ = true;
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& start : waiting) start();
}

}  // namespace tq::desktop
