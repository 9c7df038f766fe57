#pragma once

#include <optional>

#include "platform/media/MediaError.h"

namespace tq {

class Environment;

enum class AudioSessionCategory { ambient, soloAmbient, playback, record, playAndRecord };
enum class AudioSessionMode { defaultMode, moviePlayback, spokenAudio, voiceChat };

// The process's audio session: how its sound mixes with other applications'. There is no sound
// device here; the session only keeps what it was told. One per environment: env.shared<AudioSession>().
class AudioSession {
public:
    explicit AudioSession(Environment&) {}

    // Each returns an error when the system refuses, and then changes nothing.
    std::optional<MediaError> setCategory(AudioSessionCategory category, AudioSessionMode mode = AudioSessionMode::defaultMode);
    std::optional<MediaError> setActive(bool active);

    AudioSessionCategory category() const { return category_; }
    AudioSessionMode mode() const { return mode_; }
    bool isActive() const { return active_; }
    int activationCount() const { return activations_; }

    // Tests: the system refuses every request with this error until cleared.
    void setRefusal(std::optional<MediaError> error) { refusal_ = std::move(error); }

private:
    AudioSessionCategory category_ = AudioSessionCategory::soloAmbient;
    AudioSessionMode mode_ = AudioSessionMode::defaultMode;
    bool active_ = false;
    int activations_ = 0;
    std::optional<MediaError> refusal_;
};

}  // namespace tq
