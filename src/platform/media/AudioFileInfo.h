#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/media/MediaError.h"

namespace tq {

struct AudioFileInfo {
    std::int64_t frames = 0;
    int sampleRate = 0;
    int channels = 0;
    std::string format;  // "wav", "ogg", "mp3", ... as the decoder names the container
    double duration() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

// Reads a whole audio file held in memory (WAV, AIFF, FLAC, OGG, MP3) and decodes its start to make
// sure it is sound that can be played. Gives its length and layout, or why it cannot be played.
std::variant<AudioFileInfo, MediaError> probeAudio(const std::string& bytes);

}  // namespace tq
