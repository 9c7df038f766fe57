#include "platform/media/AudioFileInfo.h"

#include <dlfcn.h>
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

// libsndfile and its codecs (FLAC, Vorbis, Opus, MPEG) are opened when the first sound is read,
// not when the program starts: mapping them costs the window's first frame several milliseconds.
struct SoundFileLibrary {
    decltype(&sf_open_virtual) openVirtual = nullptr;
    decltype(&sf_strerror) strerror = nullptr;
    decltype(&sf_readf_float) readFloatFrames = nullptr;
    decltype(&sf_close) close = nullptr;
    // Why the library could not be opened; empty when it was.
    std::string fault;
};

template <typename Function>
bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

SoundFileLibrary openSoundFileLibrary() {
    SoundFileLibrary sndfile;
    // The library stays for the life of the process.
    void* library = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        sndfile.fault = std::string("the audio decoder cannot be loaded: ") + (error ? error : "libsndfile.so.1");
        return sndfile;
    }
    if (!bind(library, "sf_open_virtual", sndfile.openVirtual) || !bind(library, "sf_strerror", sndfile.strerror) ||
        !bind(library, "sf_readf_float", sndfile.readFloatFrames) || !bind(library, "sf_close", sndfile.close)) {
        sndfile.fault = "the audio decoder lacks a function it should have";
    }
    return sndfile;
}

const SoundFileLibrary& soundFileLibrary() {
    static const SoundFileLibrary library = openSoundFileLibrary();
    return library;
}

}  // namespace

std::variant<AudioFileInfo, MediaError> probeAudio(const std::string& bytes) {
    if (bytes.empty()) return unreadable("no data");
    const auto& sndfile = soundFileLibrary();
    if (!sndfile.fault.empty()) return unreadable(sndfile.fault);
    MemoryFile file{bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* sound = sndfile.openVirtual(&io, SFM_READ, &info, &file);
    if (!sound) return unreadable(sndfile.strerror(nullptr));

    AudioFileInfo result;
    result.frames = info.frames;
    result.sampleRate = info.samplerate;
    result.channels = info.channels;
    result.format = containerName(info.format);

    // The header alone can be right while what follows is not sound: decode a first block.
    std::vector<float> block(static_cast<std::size_t>(std::max(info.channels, 1)) * 1024);
    sf_count_t decoded = info.channels > 0 ? sndfile.readFloatFrames(sound, block.data(), 1024) : 0;
    sndfile.close(sound);

    if (result.sampleRate <= 0 || result.channels <= 0) return unreadable("no sample rate or channels");
    if (result.frames <= 0 || result.frames == SF_COUNT_MAX) return unreadable("no sound in the file");
    if (decoded <= 0) return unreadable("the sound does not decode");
    return result;
}

}  // namespace tq
