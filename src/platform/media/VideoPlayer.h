#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/HeadlessVideoBackend.h"
#include "platform/media/MediaBackend.h"
#include "platform/media/MediaError.h"
#include "platform/media/VideoSurface.h"
#include "platform/ui/View.h"

namespace tq {

class Environment;
class Timer;
class VideoPlayer;

// Posted on the environment's notification centre when an item has played to its end.
inline constexpr const char* playerItemDidPlayToEndTimeNotification = "AVPlayerItemDidPlayToEndTimeNotification";
// Posted when an item cannot be played (it does not decode, or its address gives no video).
inline constexpr const char* playerItemFailedToPlayToEndTimeNotification =
    "AVPlayerItemFailedToPlayToEndTimeNotification";

enum class VideoPlayerItemStatus { unknown, readyToPlay, failed };

// One video to play, by address. Its length is unknown until the media is read; here a test gives
// it (a video without a known length only ends when a test says so).
class VideoPlayerItem {
public:
    explicit VideoPlayerItem(std::string url) : url_(std::move(url)) {}
    const std::string& url() const { return url_; }
    std::optional<double> duration() const { return duration_; }
    void setDuration(std::optional<double> seconds);
    // Failed once the engine found it cannot play the item; the error says why.
    VideoPlayerItemStatus status() const { return error_ ? VideoPlayerItemStatus::failed : status_; }
    const std::optional<MediaError>& error() const { return error_; }

private:
    friend class VideoPlayer;
    std::string url_;
    std::optional<double> duration_;
    VideoPlayerItemStatus status_ = VideoPlayerItemStatus::unknown;
    std::optional<MediaError> error_;
    std::function<void()> durationChanged_;
};

enum class VideoPlayerActionAtItemEnd { advance, pause, none };

// Plays a video item through a backend chosen by the environment's MediaEngine (headless unless
// another is plugged in: the position advances with the main loop's clock at the player's rate).
// At the item's end it posts the end notification and then pauses (or, with `none`, stays at the
// end; with `advance`, lets the item go).
class VideoPlayer : public std::enable_shared_from_this<VideoPlayer>, private MediaBackendListener {
public:
    static std::shared_ptr<VideoPlayer> withURL(Environment& env, const std::string& url);
    static std::shared_ptr<VideoPlayer> withURL(const std::string& url);
    static std::shared_ptr<VideoPlayer> withItem(Environment& env, std::shared_ptr<VideoPlayerItem> item);
    ~VideoPlayer() override;
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    const std::shared_ptr<VideoPlayerItem>& currentItem() const { return item_; }
    void replaceCurrentItem(std::shared_ptr<VideoPlayerItem> item);

    void play() { setRate(1.0); }
    void pause() { setRate(0.0); }
    double rate() const { return rate_; }
    void setRate(double rate);
    bool isPlaying() const { return rate_ > 0 && item_ != nullptr; }

    bool isMuted() const { return muted_; }
    void setMuted(bool muted);
    double volume() const { return volume_; }
    void setVolume(double volume);

    // Seconds into the current item (0 without one).
    double currentTime() const;
    void seek(double seconds);

    VideoPlayerActionAtItemEnd actionAtItemEnd() const { return actionAtEnd_; }
    void setActionAtItemEnd(VideoPlayerActionAtItemEnd action) { actionAtEnd_ = action; }

    VideoBackend& backend() { return *backend_; }
    // The test side: the headless backend. Throws when another backend shows the video.
    HeadlessVideoBackend& driver();

    // Called after each end, once the end notification has gone out (used by the looper).
    void addEndHandler(std::function<void(VideoPlayer&)> handler) { endHandlers_.push_back(std::move(handler)); }

private:
    VideoPlayer(Environment& env, std::shared_ptr<VideoPlayerItem> item);
    void attach();
    void playbackReachedEnd() override;
    void playbackFailed(const MediaError& error) override;

    Environment& env_;
    std::shared_ptr<VideoPlayerItem> item_;
    std::unique_ptr<VideoBackend> backend_;
    double rate_ = 0;
    bool muted_ = false;
    double volume_ = 1.0;
    VideoPlayerActionAtItemEnd actionAtEnd_ = VideoPlayerActionAtItemEnd::pause;
    std::vector<std::function<void(VideoPlayer&)>> endHandlers_;
};

// Observes the end of one item, or of any item when `item` is null, as a registration for the end
// notification with an object does on the platform. The observation lasts as long as the token.
[[nodiscard]] ObserverToken observePlayToEnd(Environment& env, const std::shared_ptr<VideoPlayerItem>& item,
                                             std::function<void()> handler);

// Which item's end is being announced, while the end notification is being delivered.
class VideoPlaybackState {
public:
    explicit VideoPlaybackState(Environment&) {}
    const VideoPlayerItem* itemPlayingToEnd() const { return ending_; }

private:
    friend class VideoPlayer;
    const VideoPlayerItem* ending_ = nullptr;
};

enum class VideoGravity { resizeAspect, resizeAspectFill, resize };

// Shows a player's picture inside the view tree (the home screen's background videos). A front
// end that draws the layer gives it a surface, which the layer hands to its player's engine (and
// takes back from a player it lets go).
class VideoPlayerLayer : public View {
public:
    explicit VideoPlayerLayer(std::shared_ptr<VideoPlayer> player = nullptr) : player_(std::move(player)) {}
    ~VideoPlayerLayer() override;
    bool drawsContent() const override { return true; }
    const std::shared_ptr<VideoPlayer>& player() const { return player_; }
    void setPlayer(std::shared_ptr<VideoPlayer> player);
    const std::shared_ptr<VideoSurface>& surface() const { return surface_; }
    void setSurface(std::shared_ptr<VideoSurface> surface);
    VideoGravity videoGravity() const { return gravity_; }
    void setVideoGravity(VideoGravity gravity) {
        gravity_ = gravity;
        changed("videoGravity");
    }

private:
    std::shared_ptr<VideoPlayer> player_;
    std::shared_ptr<VideoSurface> surface_;
    VideoGravity gravity_ = VideoGravity::resizeAspect;
};

// Plays a player's item over and over: at each end it goes back to the start and keeps playing.
class VideoPlayerLooper {
public:
    explicit VideoPlayerLooper(std::shared_ptr<VideoPlayer> player);
    ~VideoPlayerLooper() { disable(); }
    VideoPlayerLooper(const VideoPlayerLooper&) = delete;
    VideoPlayerLooper& operator=(const VideoPlayerLooper&) = delete;
    int loopCount() const { return *loops_; }
    // Stops looping; the player then pauses at the next end.
    void disable() { *enabled_ = false; }

private:
    std::shared_ptr<int> loops_ = std::make_shared<int>(0);
    std::shared_ptr<bool> enabled_ = std::make_shared<bool>(true);
};

}  // namespace tq
