#include "desktop/engines/StandingPositionRepeater.h"

#include "platform/foundation/MainLoop.h"

namespace tq::desktop {

StandingPositionRepeater::StandingPositionRepeater(MainLoop& loop, Deliver deliver)
    : loop_(loop), deliver_(std::move(deliver)) {}

StandingPositionRepeater::~StandingPositionRepeater() { stop(); }

void StandingPositionRepeater::reported(const Location& location) {
    stop();
    timer_ = loop_.scheduledTimer(kRepeatSeconds, true, [this, location](Timer&) { deliver_(location); });
}

void StandingPositionRepeater::stop() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

}  // namespace tq::desktop
