#include "platform/media/VideoPlayer.h"

#include <algorithm>
#include <stdexcept>

#include "platform/foundation/Environment.h"

namespace tq {

void VideoPlayerItem::setDuration(std::optional<double> seconds) {
    if (seconds) seconds = std::max(*seconds, 0.0);
    duration_ = seconds;
    if (durationChanged_) durationChanged_();
}

std::shared_ptr<VideoPlayer> VideoPlayer::withItem(Environment& env, std::shared_ptr<VideoPlayerItem> item) {
    std::shared_ptr<VideoPlayer> player(new VideoPlayer(env, std::move(item)));
    player->attach();
    return player;
}

std::shared_ptr<VideoPlayer> VideoPlayer::withURL(Environment& env, const std::string& url) {
    return withItem(env, std::make_shared<VideoPlayerItem>(url));
}

std::shared_ptr<VideoPlayer> VideoPlayer::withURL(const std::string& url) { return withURL(Environment::current(), url); }

VideoPlayer::VideoPlayer(Environment& env, std::shared_ptr<VideoPlayerItem> item)
    : env_(env), item_(std::move(item)), backend_(env.shared<MediaEngine>().makeVideoBackend()) {
    backend_->setListener(this);
}

VideoPlayer::~VideoPlayer() {
    backend_->setListener(nullptr);
    if (item_) item_->durationChanged_ = nullptr;
}

std::unique_ptr<VideoBackend> MediaEngine::makeVideoBackend() {
    if (video_) {
        if (auto backend = video_()) return backend;
    }
    return std::make_unique<HeadlessVideoBackend>(env_);
}

HeadlessVideoBackend& VideoPlayer::driver() {
    auto* headless = dynamic_cast<HeadlessVideoBackend*>(backend_.get());
    if (!headless) throw std::logic_error("the video player's backend is not the headless one");
    return *headless;
}

void VideoPlayer::attach() {
    backend_->setItem(item_);
    if (!item_) return;
    VideoBackend* backend = backend_.get();
    std::weak_ptr<VideoPlayer> weak = weak_from_this();
    item_->durationChanged_ = [weak, backend] {
        if (weak.lock()) backend->itemDurationChanged();
    };
}

void VideoPlayer::replaceCurrentItem(std::shared_ptr<VideoPlayerItem> item) {
    if (item_) item_->durationChanged_ = nullptr;
    item_ = std::move(item);
    attach();
}

double VideoPlayer::currentTime() const { return backend_->position(); }

void VideoPlayer::setRate(double rate) {
    rate_ = std::max(rate, 0.0);
    backend_->setRate(rate_);
}

void VideoPlayer::setMuted(bool muted) {
    muted_ = muted;
    backend_->setVolume(volume_, muted_);
}

void VideoPlayer::setVolume(double volume) {
    volume_ = std::clamp(volume, 0.0, 1.0);
    backend_->setVolume(volume_, muted_);
}

void VideoPlayer::seek(double seconds) { backend_->seek(seconds); }

void VideoPlayer::playbackReachedEnd() {
    auto item = item_;
    if (!item) return;
    auto keepAlive = shared_from_this();  // an observer may drop the last reference to this player
    if (actionAtEnd_ != VideoPlayerActionAtItemEnd::none) setRate(0);

    auto& state = env_.shared<VideoPlaybackState>();
    const VideoPlayerItem* previous = state.ending_;
    state.ending_ = item.get();
    env_.notifications().post(playerItemDidPlayToEndTimeNotification);
    state.ending_ = previous;

    if (actionAtEnd_ == VideoPlayerActionAtItemEnd::advance && item_ == item) replaceCurrentItem(nullptr);
    auto handlers = endHandlers_;
    for (auto& handler : handlers) handler(*this);
}

void VideoPlayer::playbackFailed(const MediaError& error) {
    auto item = item_;
    if (!item) return;
    auto keepAlive = shared_from_this();
    item->error_ = error;
    setRate(0);
    env_.console().log("Video " + item->url() + " cannot be played: " + error.description);
    env_.notifications().post(playerItemFailedToPlayToEndTimeNotification);
}

VideoPlayerLayer::~VideoPlayerLayer() {
    // The surface belongs to whoever drew this layer: the player must not draw into it any more.
    if (player_ && surface_) player_->backend().setSurface(nullptr);
}

void VideoPlayerLayer::setPlayer(std::shared_ptr<VideoPlayer> player) {
    if (player != player_ && surface_) {
        if (player_) player_->backend().setSurface(nullptr);
        if (player) player->backend().setSurface(surface_);
    }
    player_ = std::move(player);
    changed("player");
}

void VideoPlayerLayer::setSurface(std::shared_ptr<VideoSurface> surface) {
    if (surface == surface_) return;
    surface_ = std::move(surface);
    if (player_) player_->backend().setSurface(surface_);
}

ObserverToken observePlayToEnd(Environment& env, const std::shared_ptr<VideoPlayerItem>& item,
                               std::function<void()> handler) {
    bool anyItem = item == nullptr;
    std::weak_ptr<VideoPlayerItem> wanted = item;
    Environment* environment = &env;
    return env.notifications().addObserver(
        playerItemDidPlayToEndTimeNotification, [environment, anyItem, wanted, handler = std::move(handler)] {
            if (!anyItem) {
                auto target = wanted.lock();
                if (!target || environment->shared<VideoPlaybackState>().itemPlayingToEnd() != target.get()) return;
            }
            handler();
        });
}

VideoPlayerLooper::VideoPlayerLooper(std::shared_ptr<VideoPlayer> player) {
    if (!player) return;
    player->setActionAtItemEnd(VideoPlayerActionAtItemEnd::none);
    player->addEndHandler([loops = loops_, enabled = enabled_](VideoPlayer& p) {
        if (!*enabled) {
            p.pause();
            return;
        }
        ++*loops;
        p.seek(0);
    });
}

}  // namespace tq
