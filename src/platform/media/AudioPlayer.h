#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/media/AudioFileInfo.h"
#include "platform/media/HeadlessAudioBackend.h"
#include "platform/media/MediaBackend.h"
#include "platform/media/MediaError.h"
#include "platform/ui/WeakDelegate.h"

namespace tq {

class AudioPlayer;
class Environment;
class Timer;

class AudioPlayerDelegate : public WeaklyReferenced {
public:
    virtual void audioPlayerDidFinishPlaying(AudioPlayer& player, bool successfully) {
        (void)player;
        (void)successfully;
    }
    // The engine could not decode the track; playback has stopped.
    virtual void audioPlayerDecodeErrorDidOccur(AudioPlayer& player, const MediaError& error) {
        (void)player;
        (void)error;
    }
};

struct AudioPlayerEvent {
    enum class Kind { prepare, play, pause, stop, seek, loop, finish };
    Kind kind;
    double at;  // main loop clock time
};

struct AudioPlayerOrError {
    std::shared_ptr<AudioPlayer> player;
    MediaError error;
    explicit operator bool() const { return player != nullptr; }
};

// Plays a whole audio file held in memory. The file is read for its validity and length; the
// sound comes from a backend chosen through the environment's MediaEngine (headless unless
// another is plugged in: silent, its position moving with the main loop's clock). Reaching the end
// stops playback (or starts the next loop), puts the position back to 0 and tells the delegate.
class AudioPlayer : public std::enable_shared_from_this<AudioPlayer>, private MediaBackendListener {
public:
    // Fails, with the reason, for bytes that are no playable audio.
    static AudioPlayerOrError withData(Environment& env, std::string data);
    static AudioPlayerOrError withData(std::string data);
    ~AudioPlayer() override;
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    bool prepareToPlay();
    bool play();
    // Both keep the position; stop also undoes the preparation.
    void pause();
    void stop();

    bool isPlaying() const { return playing_; }
    bool isPrepared() const { return prepared_; }
    double duration() const { return info_.duration(); }
    // Seconds into the track, between 0 and the duration.
    double currentTime() const;
    void setCurrentTime(double seconds);

    // 0 to 1. With a fade, the volume moves linearly from its present value to the new one over
    // the fade's seconds on the clock; volume() reads the value at the present time.
    double volume() const;
    void setVolume(double volume, double fadeDuration = 0);

    // Extra plays after the first; a negative number loops until stopped.
    int numberOfLoops() const { return numberOfLoops_; }
    void setNumberOfLoops(int loops) { numberOfLoops_ = loops; }

    void setDelegate(AudioPlayerDelegate* delegate) { delegate_ = delegate; }
    AudioPlayerDelegate* delegate() const { return delegate_.get(); }

    const std::string& data() const { return data_; }
    const AudioFileInfo& fileInfo() const { return info_; }
    int numberOfChannels() const { return info_.channels; }

    // What was asked of the player, in order; tests read it.
    const std::vector<AudioPlayerEvent>& events() const { return events_; }
    int count(AudioPlayerEvent::Kind kind) const;

    // Why the engine stopped the track, when it could not play it.
    const std::optional<MediaError>& decodeError() const { return decodeError_; }

    AudioBackend& backend() { return *backend_; }
    // The test side: the headless backend. Throws when another backend plays.
    HeadlessAudioBackend& driver();

private:
    AudioPlayer(Environment& env, std::string data, AudioFileInfo info);
    void note(AudioPlayerEvent::Kind kind);
    void playbackReachedEnd() override;
    void playbackFailed(const MediaError& error) override;

    Environment& env_;
    std::string data_;
    AudioFileInfo info_;
    std::unique_ptr<AudioBackend> backend_;
    bool prepared_ = false;
    bool playing_ = false;
    int numberOfLoops_ = 0;
    int loopsPlayed_ = 0;
    WeakDelegate<AudioPlayerDelegate> delegate_;
    std::optional<MediaError> decodeError_;
    std::vector<AudioPlayerEvent> events_;
};

}  // namespace tq
