#pragma once

#include <memory>

#include "platform/media/MediaBackend.h"

namespace tq {

class Environment;
class Timer;

// The video engine used when no real one is plugged in. Nothing is shown: the position advances
// with the main loop's clock at the player's rate, and the end comes when the clock reaches the
// item's length (an item whose length is unknown only ends when a test says so). It is the
// player's driver in tests: `playToEnd` plays the item to its end at once.
class HeadlessVideoBackend : public VideoBackend {
public:
    explicit HeadlessVideoBackend(Environment& env);
    ~HeadlessVideoBackend() override;
    HeadlessVideoBackend(const HeadlessVideoBackend&) = delete;
    HeadlessVideoBackend& operator=(const HeadlessVideoBackend&) = delete;

    void setListener(MediaBackendListener* listener) override { listener_ = listener; }
    void setItem(std::shared_ptr<VideoPlayerItem> item) override;
    void itemDurationChanged() override;
    void setRate(double rate) override;
    double position() const override;
    void seek(double seconds) override;
    void setVolume(double volume, bool muted) override {
        volume_ = volume;
        muted_ = muted;
    }
    void setSurface(std::shared_ptr<VideoSurface> surface) override { surface_ = std::move(surface); }

    // ---- The test side
    // The media has been read: the current item lasts `seconds`.
    void setItemDuration(double seconds);
    // The current item plays to its end now, as if its last frame had just been shown.
    void playToEnd();
    // The item cannot be played: playback stops and the player hears why.
    void failItem(const MediaError& error);
    double volume() const { return volume_; }
    bool isMuted() const { return muted_; }
    // Where the player's picture would be drawn (none unless a layer that is drawn has one).
    const std::shared_ptr<VideoSurface>& surface() const { return surface_; }

private:
    double now() const;
    bool isPlaying() const { return rate_ > 0 && item_ != nullptr; }
    void settlePosition();
    void scheduleEnd();
    void cancelEnd();
    void ended();

    Environment& env_;
    MediaBackendListener* listener_ = nullptr;
    std::shared_ptr<VideoPlayerItem> item_;
    double rate_ = 0;
    double position_ = 0;  // at anchor_
    double anchor_ = 0;
    double volume_ = 1.0;
    bool muted_ = false;
    std::shared_ptr<VideoSurface> surface_;
    std::shared_ptr<Timer> endTimer_;
    std::shared_ptr<HeadlessVideoBackend*> self_;
};

}  // namespace tq
