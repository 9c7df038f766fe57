#pragma once

#include <memory>

#include "platform/media/MediaBackend.h"

namespace tq {

class Environment;
class Timer;

// The audio engine used when no real one is plugged in. No sound is made: the position advances
// with the main loop's clock while playing, and the end comes when the clock reaches it. It is the
// player's driver in tests: `reachEnd` plays the track to its end at once.
class HeadlessAudioBackend : public AudioBackend {
public:
    HeadlessAudioBackend(Environment& env, double duration);
    ~HeadlessAudioBackend() override;
    HeadlessAudioBackend(const HeadlessAudioBackend&) = delete;
    HeadlessAudioBackend& operator=(const HeadlessAudioBackend&) = delete;

    void setListener(MediaBackendListener* listener) override { listener_ = listener; }
    void play() override;
    void pause() override;
    bool isPlaying() const override { return playing_; }
    double position() const override;
    void seek(double seconds) override;
    double volume() const override;
    void setVolume(double volume, double fadeSeconds) override;

    // ---- The test side
    // The track reaches its end now; false when it is not playing.
    bool reachEnd();
    // The engine cannot decode the track: playback stops and the player hears why.
    void failDecoding(const MediaError& error);

private:
    double now() const;
    void scheduleEnd();
    void cancelEnd();
    void ended();

    Environment& env_;
    double duration_;
    MediaBackendListener* listener_ = nullptr;
    bool playing_ = false;
    double position_ = 0;  // at anchor_ when playing, the position itself otherwise
    double anchor_ = 0;
    double rampFrom_ = 1.0;
    double rampTo_ = 1.0;
    double rampStart_ = 0;
    double rampDuration_ = 0;
    std::shared_ptr<Timer> endTimer_;
    // The end timer reaches the backend through this cell, emptied on destruction.
    std::shared_ptr<HeadlessAudioBackend*> self_;
};

}  // namespace tq
