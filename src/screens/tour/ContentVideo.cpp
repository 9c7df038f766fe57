// The content screen's video: the player prepared for a video content, the system player screen,
// and its end.
#include <cstdio>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/WebAddresses.h"

namespace tq {

std::string videoDurationText(std::int64_t lang, std::int64_t seconds) {
    const char* format = lang == 1 ? "%1d min %02d s" : lang == 2 ? "%1d y %02d minutos" : "%1d:%02d minutes";
    auto minutes = seconds / 60;
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<int>(minutes), static_cast<int>(seconds - 60 * minutes));
    return text;
}

std::string contentSourceLine(const std::string& leadIn, const PoiContent& content) {
    if (!content.description || content.description->empty()) return "";
    return leadIn + *content.description;
}

void ContentController::releaseVideo() {
    videoEndObservers_.clear();
    // A video still playing belongs to the content being left: without its end observers it would
    // play on with its screen up for good.
    if (videoPlayer) videoPlayer->pause();
    if (movieController && movieController->presentingViewController()) movieController->dismiss(false);
    videoPlayer = nullptr;
    movieController = nullptr;
}

void ContentController::setupVideoContent(const ContentMedia& media) {
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{btnShow, lblShow, viewVideo, viewVideoLand}) {
        view->setHidden(false);
    }
    const auto& content = *currentContent;
    std::string duration;
    if (content.content_duration) duration = app.text("Duration") + videoDurationText(app.lang, *content.content_duration);
    lblVideoDuration->setText(duration);
    lblVideoDurationLand->setText(duration);
    auto source = contentSourceLine(app.text("sourceAudioTitle"), content);
    lblVideoSource->setText(source);
    lblVideoSourceLand->setText(source);
    if (!isPlayableAddress(media.address)) return;

    auto& env = Environment::current();
    videoPlayer = VideoPlayer::withURL(env, media.address);
    movieController = std::make_shared<VideoPlayerViewController>();
    movieController->setDelegate(this);
    // Registered before the player is attached, so it answers the end of any item.
    auto weak = weakSelf();
    videoEndObservers_.push_back(observePlayToEnd(env, nullptr, [weak] {
        if (auto self = weak.lock()) self->playerDidFinishPlaying();
    }));
    movieController->setPlayer(videoPlayer);
}

void ContentController::playVideo() {
    auto& players = MediaPlayers::shared();
    if (players.audioStillRunning) players.fadeOutAndStop(1.0, 0);
    if (!movieController || !videoPlayer) return;
    if (!present(movieController, true)) return;
    videoPlayer->play();
    auto weak = weakSelf();
    videoEndObservers_.push_back(observePlayToEnd(Environment::current(), videoPlayer->currentItem(), [weak] {
        if (auto self = weak.lock()) self->videoEnd();
    }));
}

void ContentController::videoEnd() {
    if (!movieController) return;
    auto weak = weakSelf();
    movieController->dismiss(true, [weak] {
        if (auto self = weak.lock()) self->videoEndObservers_.clear();
    });
}

void ContentController::playerDidFinishPlaying() {
    if (!movieController) return;
    const auto& player = movieController->player();
    auto item = player ? player->currentItem() : nullptr;
    std::optional<double> position = player ? std::optional<double>(player->currentTime()) : std::nullopt;
    std::optional<double> duration = item ? item->duration() : std::nullopt;
    // An end announced before the real end (another item's) leaves the player on screen.
    if (position == duration) movieController->dismiss(true);
}

void ContentController::playerViewControllerWillEndFullScreenPresentation(VideoPlayerViewController&) {
    auto bounds = Environment::current().device().screenBounds;
    showOrientation(bounds.width > bounds.height);
}

}  // namespace tq
