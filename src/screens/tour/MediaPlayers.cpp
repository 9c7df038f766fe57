#include "screens/tour/MediaPlayers.h"

#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/AudioSession.h"

namespace tq {

MediaPlayers::MediaPlayers(Environment& env) {
    auto& session = env.shared<AudioSession>();
    auto error = session.setCategory(AudioSessionCategory::playback, AudioSessionMode::defaultMode);
    if (!error) error = session.setActive(true);
    if (!error) {
        audioSession = &session;
        error = audioSession->setActive(true);
    }
    if (error) env.console().log("error audi " + error->description);
}

MediaPlayers& MediaPlayers::shared() { return Environment::current().shared<MediaPlayers>(); }

void MediaPlayers::fadeOutAndStop(double fadeSeconds, double stopAfter) {
    if (!player) return;
    player->setVolume(0.0, fadeSeconds);
    std::weak_ptr<AudioPlayer> faded = player;
    auto stop = [this, faded] {
        auto target = faded.lock();
        if (!target) return;
        target->stop();
        if (target == player) audioStillRunning = false;
    };
    auto& loop = Environment::current().loop();
    if (stopAfter > 0) {
        loop.postAfter(stopAfter, stop);
    } else {
        loop.post(stop);
    }
}

}  // namespace tq
