#include "platform/media/AudioPlayer.h"

#include <algorithm>

#include "platform/foundation/Environment.h"

namespace tq {

AudioPlayerOrError AudioPlayer::withData(Environment& env, std::string data) {
    auto probe = probeAudio(data);
    if (auto* error = std::get_if<MediaError>(&probe)) return {nullptr, *error};
    auto info = std::get<AudioFileInfo>(probe);
    return {std::shared_ptr<AudioPlayer>(new AudioPlayer(env, std::move(data), info)), {}};
}

AudioPlayerOrError AudioPlayer::withData(std::string data) { return withData(Environment::current(), std::move(data)); }

AudioPlayer::AudioPlayer(Environment& env, std::string data, AudioFileInfo info)
    : env_(env), data_(std::move(data)), info_(std::move(info)) {}

AudioPlayer::~AudioPlayer() { cancelEnd(); }

double AudioPlayer::now() const { return env_.loop().now(); }

void AudioPlayer::note(AudioPlayerEvent::Kind kind) { events_.push_back({kind, now()}); }

int AudioPlayer::count(AudioPlayerEvent::Kind kind) const {
    return static_cast<int>(std::count_if(events_.begin(), events_.end(), [kind](const auto& e) { return e.kind == kind; }));
}

bool AudioPlayer::prepareToPlay() {
    prepared_ = true;
    note(AudioPlayerEvent::Kind::prepare);
    return true;
}

bool AudioPlayer::play() {
    if (playing_) return true;
    prepared_ = true;
    playing_ = true;
    anchor_ = now();
    note(AudioPlayerEvent::Kind::play);
    scheduleEnd();
    return true;
}

void AudioPlayer::pause() {
    if (playing_) {
        position_ = currentTime();
        playing_ = false;
        cancelEnd();
    }
    note(AudioPlayerEvent::Kind::pause);
}

void AudioPlayer::stop() {
    if (playing_) {
        position_ = currentTime();
        playing_ = false;
        cancelEnd();
    }
    prepared_ = false;
    note(AudioPlayerEvent::Kind::stop);
}

double AudioPlayer::currentTime() const {
    if (!playing_) return position_;
    return std::clamp(position_ + (now() - anchor_), 0.0, duration());
}

void AudioPlayer::setCurrentTime(double seconds) {
    position_ = std::clamp(seconds, 0.0, duration());
    anchor_ = now();
    note(AudioPlayerEvent::Kind::seek);
    if (playing_) scheduleEnd();
}

double AudioPlayer::volume() const {
    if (rampDuration_ <= 0) return rampTo_;
    double progress = std::clamp((now() - rampStart_) / rampDuration_, 0.0, 1.0);
    return rampFrom_ + (rampTo_ - rampFrom_) * progress;
}

void AudioPlayer::setVolume(double target, double fadeDuration) {
    target = std::clamp(target, 0.0, 1.0);
    rampFrom_ = volume();
    rampTo_ = target;
    rampStart_ = now();
    rampDuration_ = std::max(fadeDuration, 0.0);
}

void AudioPlayer::scheduleEnd() {
    cancelEnd();
    double remaining = std::max(duration() - position_, 0.0);
    std::weak_ptr<AudioPlayer> weak = weak_from_this();
    endTimer_ = env_.loop().scheduledTimer(remaining, false, [weak](Timer&) {
        if (auto player = weak.lock()) player->reachEnd();
    });
}

void AudioPlayer::cancelEnd() {
    if (endTimer_) endTimer_->invalidate();
    endTimer_.reset();
}

void AudioPlayer::reachEnd() {
    endTimer_.reset();
    if (!playing_) return;
    if (numberOfLoops_ < 0 || loopsPlayed_ < numberOfLoops_) {
        ++loopsPlayed_;
        position_ = 0;
        anchor_ = now();
        note(AudioPlayerEvent::Kind::loop);
        scheduleEnd();
        return;
    }
    playing_ = false;
    position_ = 0;
    loopsPlayed_ = 0;
    note(AudioPlayerEvent::Kind::finish);
    if (auto* delegate = delegate_.get()) delegate->audioPlayerDidFinishPlaying(*this, true);
}

}  // namespace tq
