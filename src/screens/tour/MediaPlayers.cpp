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

}  // namespace tq
