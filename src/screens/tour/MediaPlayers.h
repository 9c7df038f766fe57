#pragma once

#include <memory>

namespace tq {

class AudioPlayer;
class AudioSession;
class Environment;

// The one audio player of the application. The content screen fills it; the audio may go on
// after the visitor leaves that screen, and whichever screen takes over later fades it out and
// stops it. Users read and write the fields directly.
class MediaPlayers {
public:
    // Puts the audio session into playback; a refusal is printed ("error audi ...") and the
    // holder exists all the same, so the content screen can still play.
    explicit MediaPlayers(Environment& env);
    static MediaPlayers& shared();

    // Replaced (never cleared) by the content screen for each audio content it prepares.
    std::shared_ptr<AudioPlayer> player;
    // The session, once it has been configured and activated.
    AudioSession* audioSession = nullptr;
    // True while a content's audio counts as playing across screens.
    bool audioStillRunning = false;

    // Fades the current player to silence over `fadeSeconds` and stops that same player
    // `stopAfter` seconds later (0: on the next turn of the main loop). A newer player started in
    // the meantime keeps playing, and the running flag is cleared only while the faded player is
    // still the current one. Nothing happens without a player.
    void fadeOutAndStop(double fadeSeconds, double stopAfter);
};

}  // namespace tq
