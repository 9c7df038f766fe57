#include "platform/media/HeadlessAudioBackend.h"

#include <algorithm>

#include "platform/foundation/Environment.h"

namespace tq {

HeadlessAudioBackend::HeadlessAudioBackend(Environment& env, double duration)
    : env_(env), duration_(std::max(duration, 0.0)), self_(std::make_shared<HeadlessAudioBackend*>(this)) {}

HeadlessAudioBackend::~HeadlessAudioBackend() {
    *self_ = nullptr;
    cancelEnd();
}

double HeadlessAudioBackend::now() const { return env_.loop().now(); }

void HeadlessAudioBackend::play() {
    if (playing_) return;
    playing_ = true;
    anchor_ = now();
    scheduleEnd();
}

void HeadlessAudioBackend::pause() {
    if (!playing_) return;
    position_ = position();
    playing_ = false;
    cancelEnd();
}

double HeadlessAudioBackend::position() const {
    if (!playing_) return position_;
    return std::clamp(position_ + (now() - anchor_), 0.0, duration_);
}

void HeadlessAudioBackend::seek(double seconds) {
    position_ = std::clamp(seconds, 0.0, duration_);
    anchor_ = now();
    if (playing_) scheduleEnd();
}

double HeadlessAudioBackend::volume() const {
    if (rampDuration_ <= 0) return rampTo_;
    double progress = std::clamp((now() - rampStart_) / rampDuration_, 0.0, 1.0);
    return rampFrom_ + (rampTo_ - rampFrom_) * progress;
}

void HeadlessAudioBackend::setVolume(double target, double fadeSeconds) {
    rampFrom_ = volume();
    rampTo_ = std::clamp(target, 0.0, 1.0);
    rampStart_ = now();
    rampDuration_ = std::max(fadeSeconds, 0.0);
}

void HeadlessAudioBackend::scheduleEnd() {
    cancelEnd();
    double remaining = std::max(duration_ - position_, 0.0);
    std::weak_ptr<HeadlessAudioBackend*> cell = self_;
    endTimer_ = env_.loop().scheduledTimer(remaining, false, [cell](Timer&) {
        auto self = cell.lock();
        if (self && *self) (*self)->ended();
    });
}

void HeadlessAudioBackend::cancelEnd() {
    if (endTimer_) endTimer_->invalidate();
    endTimer_.reset();
}

bool HeadlessAudioBackend::reachEnd() {
    if (!playing_) return false;
    cancelEnd();
    ended();
    return true;
}

void HeadlessAudioBackend::ended() {
    endTimer_.reset();
    if (!playing_) return;
    playing_ = false;
    position_ = duration_;
    if (listener_) listener_->playbackReachedEnd();
}

void HeadlessAudioBackend::failDecoding(const MediaError& error) {
    pause();
    if (listener_) listener_->playbackFailed(error);
}

}  // namespace tq
