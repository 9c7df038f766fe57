// The content screen's audio: the track of an audio content, fetched whole (from the tour folder
// or the web service) into the one shared player, its controls, its clock and its hand-over to
// other contents and screens.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/WebAddresses.h"
#include "service/Network.h"

namespace tq {
namespace {

constexpr double kAudioTick = 0.3;

std::string minutesAndSeconds(const char* format, std::int64_t seconds) {
    auto minutes = seconds / 60;
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(minutes), static_cast<int>(seconds - 60 * minutes));
    return text;
}

// The whole file, or why it could not be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "The file \"" + file.filename().string() + "\" couldn't be opened.";
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        error = "The file \"" + file.filename().string() + "\" couldn't be read.";
        return std::nullopt;
    }
    return std::move(bytes).str();
}

}  // namespace

std::string playedTimeText(std::int64_t seconds) { return minutesAndSeconds("%1d:%02d", seconds); }
std::string remainingTimeText(std::int64_t seconds) { return minutesAndSeconds("-%1d:%02d", seconds); }

std::string ContentController::currentContentId() const {
    return currentContent ? currentContent->content_id.value_or("") : std::string();
}

std::shared_ptr<AudioPlayer> ContentController::shownPlayer() const {
    auto player = shownPlayer_.lock();
    return player && player == MediaPlayers::shared().player ? player : nullptr;
}

// ---- Looks

void ContentController::setPauseLook() {
    lblShow->setText("Pause");
    btnShow->setImage(Image::named("pauseContent"));
    btnPlayAudio->setBackgroundImage(Image::named("audioplayer_pause.png"));
    btnPlayAudioLand->setBackgroundImage(Image::named("audioplayer_pause.png"));
}

void ContentController::setPlayLook() {
    lblShow->setText(app.text("Play"));
    btnShow->setImage(Image::named("playContent"));
    btnPlayAudio->setBackgroundImage(Image::named("audioplayer_play.png"));
    btnPlayAudioLand->setBackgroundImage(Image::named("audioplayer_play.png"));
}

// ---- Preparing the track

void ContentController::setupAudioContent(const ContentMedia& media) {
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{btnShow, lblShow, viewAudio, viewAudioLand}) {
        view->setHidden(false);
    }
    auto source = contentSourceLine(app.text("sourceAudioTitle"), *currentContent);
    lblAudioSource->setText(source);
    lblAudioSourceLand->setText(source);
    if (!isPlayableAddress(media.address)) return;

    auto& players = MediaPlayers::shared();
    if (players.audioStillRunning) {
        if (app.idAudioPlaying == currentContentId() && players.player) {
            // Back on the content whose audio plays: the controls take it over undisturbed.
            shownPlayer_ = players.player;
            auto duration = static_cast<float>(players.player->duration());
            sliderAudio->setMaximumValue(duration);
            sliderAudioLand->setMaximumValue(duration);
            setPauseLook();
            updateTime();
            startAudioTimer();
        } else {
            // Another content's audio goes on until the visitor acts.
            setPlayLook();
        }
        return;
    }
    fetchAudio(media);
}

void ContentController::fetchAudio(const ContentMedia& media) {
    if (app.isMyTour) {
        std::string error;
        auto bytes = media.file ? readWholeFile(*media.file, error) : std::nullopt;
        if (!bytes) {
            Environment::current().console().log("erro audio " + error);
            return;
        }
        loadAudioPlayer(*bytes);
        return;
    }
    // Bytes that arrive after another content was shown belong to nobody.
    auto weak = weakSelf();
    auto request = audioRequest_;
    Network::shared().downloadData(media.address, [weak, request](const std::string& bytes) {
        auto self = weak.lock();
        if (self && self->audioRequest_ == request) self->loadAudioPlayer(bytes);
    });
}

void ContentController::loadAudioPlayer(const std::string& bytes) {
    auto& players = MediaPlayers::shared();
    auto made = AudioPlayer::withData(Environment::current(), bytes);
    if (!made) {
        Environment::current().console().log("audio error data");
        // The old track must not go on, or start again, under this content.
        if (players.player) players.player->stop();
        players.player = nullptr;
        players.audioStillRunning = false;
        audioShouldStart = false;
        setPlayLook();
        return;
    }
    players.player = made.player;
    shownPlayer_ = made.player;
    made.player->prepareToPlay();
    auto duration = static_cast<float>(made.player->duration());
    sliderAudio->setMaximumValue(duration);
    sliderAudioLand->setMaximumValue(duration);
    updateTime();
    if (audioShouldStart) {
        audioShouldStart = false;
        setPauseLook();
        startAudioTimer();
        made.player->play();
        players.audioStillRunning = true;
    }
    for (const auto& button : {btnPlayAudioLand, btnPlayAudio, btnShow}) button->setEnabled(true);
}

// ---- Play and pause

void ContentController::playAudio() {
    auto& players = MediaPlayers::shared();
    auto weak = weakSelf();
    auto onNextTurn = [weak](void (ContentController::*step)()) {
        Environment::current().loop().post([weak, step] {
            if (auto self = weak.lock()) ((*self).*step)();
        });
    };
    if (players.player && players.player->isPlaying()) {
        players.player->setVolume(0.0, 0.5);
        onNextTurn(&ContentController::pauseAudio);
        return;
    }
    if (audioShouldStart && !shownPlayer()) {
        // A second press before the track is ready takes the first back.
        audioShouldStart = false;
        setPlayLook();
        return;
    }
    if (players.player) players.player->setVolume(1.0);
    onNextTurn(&ContentController::startAudio);
}

void ContentController::startAudio() {
    app.idAudioPlaying = currentContentId();
    setPauseLook();
    auto player = shownPlayer();
    if (!player) {
        // Not loaded yet: it starts as soon as it is.
        audioShouldStart = true;
        return;
    }
    startAudioTimer();
    player->play();
    MediaPlayers::shared().audioStillRunning = true;
}

void ContentController::stopSharedPlayer() {
    auto& players = MediaPlayers::shared();
    endAudioTimer();
    if (players.player) players.player->stop();
    players.audioStillRunning = false;
    setPlayLook();
}

void ContentController::pauseAudio() {
    stopSharedPlayer();
    if (app.idAudioPlaying == currentContentId()) return;
    // What was stopped was another content's audio: this content's own track now starts.
    auto& players = MediaPlayers::shared();
    if (players.player) players.player->setVolume(1.0);
    audioShouldStart = true;
    showContentAtIndex(currentIndex);
    app.idAudioPlaying = currentContentId();
    setPauseLook();
}

void ContentController::stopRunningAudio() {
    stopSharedPlayer();
    if (app.idAudioPlaying == currentContentId()) return;
    auto& players = MediaPlayers::shared();
    if (players.player) players.player->setVolume(1.0);
    if (currentContent && currentContent->content_type == ContentType::audio) {
        audioShouldStart = true;
        app.idAudioPlaying = currentContentId();
        setPauseLook();
    }
    showContentAtIndex(currentIndex);
    configureShowButton();
}

// ---- Position

void ContentController::sliderAudioChanged(const Slider& slider) {
    auto player = shownPlayer();
    if (!player) return;
    auto& players = MediaPlayers::shared();
    if (player->isPlaying()) {
        player->stop();
        endAudioTimer();
    }
    player->setCurrentTime(slider.value());
    player->prepareToPlay();
    if (players.audioStillRunning) {
        player->play();
        startAudioTimer();
    }
}

void ContentController::updateTime() {
    auto player = shownPlayer();
    if (!player) return;
    auto position = static_cast<std::int64_t>(std::trunc(player->currentTime()));
    auto duration = static_cast<std::int64_t>(std::trunc(player->duration()));
    lblTimePlayed->setText(playedTimeText(position));
    lblAudioTimePlayedLand->setText(playedTimeText(position));
    lblTimeRemaining->setText(remainingTimeText(duration - position));
    lblAudioTimeRemainingLand->setText(remainingTimeText(duration - position));
    sliderAudio->setValue(static_cast<float>(player->currentTime()));
    sliderAudioLand->setValue(static_cast<float>(player->currentTime()));
}

// ---- Clock

void ContentController::startAudioTimer() {
    endAudioTimer();
    auto weak = weakSelf();
    timerAudio = Environment::current().loop().scheduledTimer(kAudioTick, true, [weak](Timer&) {
        if (auto self = weak.lock()) self->updateTime();
    });
}

void ContentController::endAudioTimer() {
    if (timerAudio) timerAudio->invalidate();
    timerAudio = nullptr;
}

void ContentController::stopAudioTimer() {
    endAudioTimer();
    sliderAudio->setValue(0);
    sliderAudioLand->setValue(0);
    for (const auto& label : {lblTimePlayed, lblTimeRemaining, lblAudioTimePlayedLand, lblAudioTimeRemainingLand}) {
        label->setText("");
    }
}

}  // namespace tq
