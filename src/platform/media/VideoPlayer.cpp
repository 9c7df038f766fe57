#include "platform/media/VideoPlayer.h"

#include <algorithm>

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

VideoPlayer::VideoPlayer(Environment& env, std::shared_ptr<VideoPlayerItem> item) : env_(env), item_(std::move(item)) {}

VideoPlayer::~VideoPlayer() {
    cancelEnd();
    if (item_) item_->durationChanged_ = nullptr;
}

void VideoPlayer::attach() {
    anchor_ = env_.loop().now();
    if (!item_) return;
    std::weak_ptr<VideoPlayer> weak = weak_from_this();
    item_->durationChanged_ = [weak] {
        if (auto player = weak.lock()) {
            if (player->isPlaying()) player->scheduleEnd();
        }
    };
}

void VideoPlayer::replaceCurrentItem(std::shared_ptr<VideoPlayerItem> item) {
    cancelEnd();
    if (item_) item_->durationChanged_ = nullptr;
    item_ = std::move(item);
    position_ = 0;
    attach();
    if (isPlaying()) scheduleEnd();
}

double VideoPlayer::currentTime() const {
    if (!item_) return 0;
    double t = position_ + rate_ * (env_.loop().now() - anchor_);
    if (auto d = item_->duration()) t = std::min(t, *d);
    return std::max(t, 0.0);
}

void VideoPlayer::settlePosition() {
    position_ = currentTime();
    anchor_ = env_.loop().now();
}

void VideoPlayer::setRate(double rate) {
    settlePosition();
    rate_ = std::max(rate, 0.0);
    if (isPlaying()) {
        scheduleEnd();
    } else {
        cancelEnd();
    }
}

void VideoPlayer::setVolume(double volume) { volume_ = std::clamp(volume, 0.0, 1.0); }

void VideoPlayer::seek(double seconds) {
    position_ = std::max(seconds, 0.0);
    if (item_ && item_->duration()) position_ = std::min(position_, *item_->duration());
    anchor_ = env_.loop().now();
    if (isPlaying()) scheduleEnd();
}

void VideoPlayer::scheduleEnd() {
    cancelEnd();
    if (!item_ || !item_->duration() || rate_ <= 0) return;
    double remaining = std::max((*item_->duration() - currentTime()) / rate_, 0.0);
    std::weak_ptr<VideoPlayer> weak = weak_from_this();
    endTimer_ = env_.loop().scheduledTimer(remaining, false, [weak](Timer&) {
        if (auto player = weak.lock()) player->reachEnd();
    });
}

void VideoPlayer::cancelEnd() {
    if (endTimer_) endTimer_->invalidate();
    endTimer_.reset();
}

void VideoPlayer::playToEnd() {
    if (!item_) return;
    cancelEnd();
    reachEnd();
}

void VideoPlayer::reachEnd() {
    endTimer_.reset();
    auto item = item_;
    if (!item) return;
    auto keepAlive = shared_from_this();  // an observer may drop the last reference to this player
    position_ = item->duration().value_or(currentTime());
    anchor_ = env_.loop().now();
    if (actionAtEnd_ != VideoPlayerActionAtItemEnd::none) rate_ = 0;

    auto& state = env_.shared<VideoPlaybackState>();
    const VideoPlayerItem* previous = state.ending_;
    state.ending_ = item.get();
    env_.notifications().post(playerItemDidPlayToEndTimeNotification);
    state.ending_ = previous;

    if (actionAtEnd_ == VideoPlayerActionAtItemEnd::advance && item_ == item) replaceCurrentItem(nullptr);
    auto handlers = endHandlers_;
    for (auto& handler : handlers) handler(*this);
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
