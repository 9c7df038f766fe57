#include "platform/media/AudioFileInfo.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tq {

namespace {

// Error codes given to the application; the decoder's own text goes in the description.
constexpr int unreadableAudio = 1954115647;  // the platform's "unsupported file type" code

struct MemoryFile {
    const std::string& bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size()); }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t size = static_cast<sf_count_t>(file->bytes.size());
    sf_count_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? size : 0;
    sf_count_t target = base + offset;
    if (target < 0) return -1;
    file->position = std::min(target, size);
    return file->position;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t size = static_cast<sf_count_t>(file->bytes.size());
    sf_count_t available = std::max<sf_count_t>(0, size - file->position);
    sf_count_t n = std::clamp<sf_count_t>(count, 0, available);
    if (n > 0) std::memcpy(destination, file->bytes.data() + file->position, static_cast<std::size_t>(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t memoryTell(void* user) { return static_cast<MemoryFile*>(user)->position; }

std::string containerName(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
            return "wav";
        case SF_FORMAT_AIFF:
            return "aiff";
        case SF_FORMAT_FLAC:
            return "flac";
        case SF_FORMAT_OGG:
            return "ogg";
#ifdef SF_FORMAT_MPEG
        case SF_FORMAT_MPEG:
            return "mp3";
#endif
        default:
            return "other";
    }
}

MediaError unreadable(std::string why) { return MediaError{unreadableAudio, "The audio data cannot be played: " + why}; }

}  // namespace

std::variant<AudioFileInfo, MediaError> probeAudio(const std::string& bytes) {
    if (bytes.empty()) return unreadable("no data");
    MemoryFile file{bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sound) return unreadable(sf_strerror(nullptr));

    AudioFileInfo result;
    result.frames = info.frames;
    result.sampleRate = info.samplerate;
    result.channels = info.channels;
    result.format = containerName(info.format);

    // The header alone can be right while what follows is not sound: decode a first block.
    std::vector<float> block(static_cast<std::size_t>(std::max(info.channels, 1)) * 1024);
    sf_count_t decoded = info.channels > 0 ? sf_readf_float(sound, block.data(), 1024) : 0;
    sf_close(sound);

    if (result.sampleRate <= 0 || result.channels <= 0) return unreadable("no sample rate or channels");
    if (result.frames <= 0 || result.frames == SF_COUNT_MAX) return unreadable("no sound in the file");
    if (decoded <= 0) return unreadable("the sound does not decode");
    return result;
}

}  // namespace tq
