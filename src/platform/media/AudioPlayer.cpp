#include "platform/media/AudioPlayer.h"

#include <algorithm>
#include <stdexcept>

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
    : env_(env), data_(std::move(data)), info_(std::move(info)), backend_(env.shared<MediaEngine>().makeAudioBackend(info_, data_)) {
    backend_->setListener(this);
}

AudioPlayer::~AudioPlayer() { backend_->setListener(nullptr); }

HeadlessAudioBackend& AudioPlayer::driver() {
    auto* headless = dynamic_cast<HeadlessAudioBackend*>(backend_.get());
    if (!headless) throw std::logic_error("the audio player's backend is not the headless one");
    return *headless;
}

void AudioPlayer::note(AudioPlayerEvent::Kind kind) { events_.push_back({kind, env_.loop().now()}); }

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
    note(AudioPlayerEvent::Kind::play);
    backend_->play();
    return true;
}

void AudioPlayer::pause() {
    playing_ = false;
    backend_->pause();
    note(AudioPlayerEvent::Kind::pause);
}

void AudioPlayer::stop() {
    playing_ = false;
    backend_->pause();
    prepared_ = false;
    note(AudioPlayerEvent::Kind::stop);
}

double AudioPlayer::currentTime() const { return backend_->position(); }

void AudioPlayer::setCurrentTime(double seconds) {
    backend_->seek(seconds);
    note(AudioPlayerEvent::Kind::seek);
}

double AudioPlayer::volume() const { return backend_->volume(); }

void AudioPlayer::setVolume(double target, double fadeDuration) { backend_->setVolume(target, fadeDuration); }

void AudioPlayer::playbackReachedEnd() {
    if (!playing_) return;
    auto keepAlive = weak_from_this().lock();  // the delegate may drop the last reference to this player
    backend_->seek(0);
    if (numberOfLoops_ < 0 || loopsPlayed_ < numberOfLoops_) {
        ++loopsPlayed_;
        note(AudioPlayerEvent::Kind::loop);
        backend_->play();
        return;
    }
    playing_ = false;
    loopsPlayed_ = 0;
    note(AudioPlayerEvent::Kind::finish);
    if (auto* delegate = delegate_.get()) delegate->audioPlayerDidFinishPlaying(*this, true);
}

void AudioPlayer::playbackFailed(const MediaError& error) {
    auto keepAlive = weak_from_this().lock();
    decodeError_ = error;
    bool wasPlaying = playing_;
    playing_ = false;
    prepared_ = false;
    if (wasPlaying) note(AudioPlayerEvent::Kind::stop);
    if (auto* delegate = delegate_.get()) delegate->audioPlayerDecodeErrorDidOccur(*this, error);
}

std::unique_ptr<AudioBackend> MediaEngine::makeAudioBackend(const AudioFileInfo& track, const std::string& bytes) {
    if (audio_) {
        if (auto backend = audio_(track, bytes)) return backend;
    }
    return std::make_unique<HeadlessAudioBackend>(env_, track.duration());
}

}  // namespace tq
