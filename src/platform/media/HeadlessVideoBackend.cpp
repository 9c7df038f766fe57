#include "platform/media/HeadlessVideoBackend.h"

#include <algorithm>

#include "platform/foundation/Environment.h"
#include "platform/media/VideoPlayer.h"

namespace tq {

HeadlessVideoBackend::HeadlessVideoBackend(Environment& env)
    : env_(env), anchor_(env.loop().now()), self_(std::make_shared<HeadlessVideoBackend*>(this)) {}

HeadlessVideoBackend::~HeadlessVideoBackend() {
    *self_ = nullptr;
    cancelEnd();
}

double HeadlessVideoBackend::now() const { return env_.loop().now(); }

void HeadlessVideoBackend::setItem(std::shared_ptr<VideoPlayerItem> item) {
    cancelEnd();
    item_ = std::move(item);
    position_ = 0;
    anchor_ = now();
    if (isPlaying()) scheduleEnd();
}

void HeadlessVideoBackend::itemDurationChanged() {
    if (isPlaying()) scheduleEnd();
}

double HeadlessVideoBackend::position() const {
    if (!item_) return 0;
    double t = position_ + rate_ * (now() - anchor_);
    if (auto d = item_->duration()) t = std::min(t, *d);
    return std::max(t, 0.0);
}

void HeadlessVideoBackend::settlePosition() {
    position_ = position();
    anchor_ = now();
}

void HeadlessVideoBackend::setRate(double rate) {
    settlePosition();
    rate_ = std::max(rate, 0.0);
    if (isPlaying()) {
        scheduleEnd();
    } else {
        cancelEnd();
    }
}

void HeadlessVideoBackend::seek(double seconds) {
    position_ = std::max(seconds, 0.0);
    if (item_ && item_->duration()) position_ = std::min(position_, *item_->duration());
    anchor_ = now();
    if (isPlaying()) scheduleEnd();
}

void HeadlessVideoBackend::scheduleEnd() {
    cancelEnd();
    if (!item_ || !item_->duration() || rate_ <= 0) return;
    double remaining = std::max((*item_->duration() - position()) / rate_, 0.0);
    std::weak_ptr<HeadlessVideoBackend*> cell = self_;
    endTimer_ = env_.loop().scheduledTimer(remaining, false, [cell](Timer&) {
        auto self = cell.lock();
        if (self && *self) (*self)->ended();
    });
}

void HeadlessVideoBackend::cancelEnd() {
    if (endTimer_) endTimer_->invalidate();
    endTimer_.reset();
}

void HeadlessVideoBackend::setItemDuration(double seconds) {
    if (item_) item_->setDuration(seconds);
}

void HeadlessVideoBackend::playToEnd() {
    if (!item_) return;
    cancelEnd();
    ended();
}

void HeadlessVideoBackend::failItem(const MediaError& error) {
    if (!item_) return;
    settlePosition();
    rate_ = 0;
    cancelEnd();
    if (listener_) listener_->playbackFailed(error);
}

void HeadlessVideoBackend::ended() {
    endTimer_.reset();
    if (!item_) return;
    position_ = item_->duration().value_or(position());
    anchor_ = now();
    if (listener_) listener_->playbackReachedEnd();
}

}  // namespace tq
